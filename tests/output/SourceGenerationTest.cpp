#include "output/SourceGeneration.h"

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/Text.h"
#include "output/OutputMessages.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::Hex;
using test::ReadBytes;
using test::WriteBytes;

std::string ReadText(const fs::path& path)
{
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void Add(DefinitionTable& table, std::uint16_t index, std::u16string identifier, std::u16string defaultText,
         std::u16string translation = u"", std::uint32_t translated = 0)
{
    StringDefinition& definition = table.Definitions[index];
    definition.Index = index;
    definition.Identifier = std::move(identifier);
    definition.DefaultText = std::move(defaultText);
    definition.Translation = std::move(translation);
    definition.Translated = translated;
}

TEST(HeaderLine, WritesIdentifiersAsEightBitCharacters)
{
    EXPECT_EQ(HeaderLine(0, u"MENU_TITLE").value(), "#define S_MENU_TITLE 0\r\n");
    EXPECT_EQ(HeaderLine(65535, u"LAST").value(), "#define S_LAST 65535\r\n");
    EXPECT_EQ(HeaderLine(5, u"").value(), "#define S_ 5\r\n");
    EXPECT_EQ(HeaderLine(12, u"CAF\u00C9_\u00FF").value(), "#define S_CAF\xC9_\xFF 12\r\n");
    EXPECT_EQ(HeaderLine(12, u"CAF\u0100").error(), HeaderLineFault::BeyondEightBits);
    EXPECT_EQ(HeaderLine(12, u"\u25A1").error(), HeaderLineFault::BeyondEightBits);
    // The printable neighbours of the line-breaking characters below.
    EXPECT_EQ(HeaderLine(3, u" ~\x7F\u0084\u0086").value(), "#define S_ ~\x7F\x84\x86 3\r\n");
}

TEST(HeaderLine, RefusesIdentifiersThatWouldEndTheLineOrTheDefine)
{
    // Line breaks of every kind, controls that split the define, and a line break that also has a
    // character above U+00FF, reported as the line break it is.
    const std::u16string lineBreaking[] = {
        u"A\nB",   u"A\r",      std::u16string(u"A\0B", 3), u"A\tB", u"\x1F", u"A\u0085", u"A\u2028",
        u"\u2029", u"\u03C0\n",
    };
    for (const std::u16string& identifier : lineBreaking)
        EXPECT_EQ(HeaderLine(1, identifier).error(), HeaderLineFault::BreaksLine) << ToUtf8(identifier);
}

class SourceFiles : public ::testing::Test
{
protected:
    test::TemporaryDirectory Directory;
    DefinitionTable Table;
};

TEST_F(SourceFiles, TwoDefinitionsGiveTheHeaderAndTheSmallestTable)
{
    Add(Table, 1, u"FIRST", u"A", u"Translated text", 1);
    Add(Table, 2, u"SECOND", u"");
    const SourceGenerationResult result = WriteSourceFiles(Table, Directory.Path());
    EXPECT_TRUE(result.RunScript);
    EXPECT_TRUE(result.Notices.empty());
    EXPECT_EQ(ReadText(Directory / "fw_textIDs.h"), "#define S_FIRST 1\r\n#define S_SECOND 2\r\n");
    // The default texts, also of a translated definition.
    EXPECT_EQ(Hex(ReadBytes(Directory / "texts.bin")),
              "00 00 00 00 0C 00 00 00 00 00 00 80 02 00 00 80 01 00 02 00 41 00 00");
}

TEST_F(SourceFiles, NamesEveryDefinitionByItsKey)
{
    // An entry whose Index field differs from its key is named and stored under the key; the
    // extreme indexes are ordinary keys.
    Add(Table, 0, u"ZERO", u"z");
    Add(Table, 65535, u"LAST", std::u16string(1500, u'x'));
    Table.Definitions[7].DefaultText = u"seven";
    Table.Definitions[7].Identifier = u"SEVEN";
    Table.Definitions[7].Index = 0;
    ASSERT_TRUE(WriteSourceFiles(Table, Directory.Path()).RunScript);
    EXPECT_EQ(ReadText(Directory / "fw_textIDs.h"),
              "#define S_ZERO 0\r\n#define S_SEVEN 7\r\n#define S_LAST 65535\r\n");
    const Bytes table = ReadBytes(Directory / "texts.bin");
    const auto contents = ReadTextTable(table, "texts.bin").value();
    ASSERT_EQ(contents.Texts.size(), 3u);
    EXPECT_EQ(contents.Texts[1].Index, 7u);
    EXPECT_EQ(contents.Texts[1].Text, u"seven");
    EXPECT_EQ(contents.Texts[2].Index, 65535u);
    EXPECT_EQ(contents.Texts[2].Text, std::u16string(1023, u'x'));
}

TEST_F(SourceFiles, FewerThanTwoDefinitionsWriteTheHeaderButNotTheTable)
{
    WriteBytes(Directory / "texts.bin", {1, 2, 3});
    Add(Table, 4, u"ONLY", u"Only");
    const SourceGenerationResult one = WriteSourceFiles(Table, Directory.Path());
    EXPECT_FALSE(one.RunScript);
    ASSERT_EQ(one.Notices.size(), 1u);
    EXPECT_EQ(one.Notices[0], ErrorNotice(TooFewDefinitionsMessage(1)));
    EXPECT_EQ(ReadText(Directory / "fw_textIDs.h"), "#define S_ONLY 4\r\n");
    EXPECT_EQ(ReadBytes(Directory / "texts.bin"), (Bytes{1, 2, 3}));

    const SourceGenerationResult none = WriteSourceFiles(DefinitionTable{}, Directory.Path());
    EXPECT_FALSE(none.RunScript);
    EXPECT_EQ(ReadText(Directory / "fw_textIDs.h"), "");
    EXPECT_EQ(ReadBytes(Directory / "texts.bin"), (Bytes{1, 2, 3}));
    EXPECT_NE(none.Notices.at(0).Text.find("this file has 0"), std::string::npos);
}

TEST_F(SourceFiles, IdentifiersBeyondEightBitsAreLeftOutAndReportedAfterwards)
{
    Add(Table, 1, u"OK", u"a");
    Add(Table, 2, u"PI_\u03C0", u"b");
    Add(Table, 3, u"ARROW_\u2192", u"c");
    Add(Table, 5, u"SIGMA_\u03A3", u"d");
    Add(Table, 6, u"LATIN_\u00E9", u"e");
    const SourceGenerationResult result = WriteSourceFiles(Table, Directory.Path());
    EXPECT_TRUE(result.RunScript);
    EXPECT_EQ(ReadText(Directory / "fw_textIDs.h"), "#define S_OK 1\r\n#define S_LATIN_\xE9 6\r\n");
    // Their texts are still in the table.
    EXPECT_EQ(ReadTextTable(ReadBytes(Directory / "texts.bin"), "t").value().Texts.size(), 5u);
    ASSERT_EQ(result.Notices.size(), 1u);
    EXPECT_EQ(result.Notices[0].Caption, "WARNING");
    EXPECT_NE(result.Notices[0].Text.find("Indexes: 2-3, 5"), std::string::npos) << result.Notices[0].Text;
}

TEST_F(SourceFiles, AnIdentifierWithALineBreakCannotAddLinesToTheHeader)
{
    Add(Table, 1, u"OK", u"a");
    Add(Table, 2, u"X 2\r\n#include \"/etc/passwd\"\r\n#define Y", u"b");
    Add(Table, 3, u"PI_\u03C0", u"c");
    Add(Table, 4, u"TAB\tBED", u"d");
    const SourceGenerationResult result = WriteSourceFiles(Table, Directory.Path());
    EXPECT_TRUE(result.RunScript);
    EXPECT_EQ(ReadText(Directory / "fw_textIDs.h"), "#define S_OK 1\r\n");
    // Each reason has its own list, the line breaks after the characters above U+00FF.
    ASSERT_EQ(result.Notices.size(), 2u);
    EXPECT_EQ(result.Notices[0], UnwritableIdentifiersNotice(std::vector<std::uint16_t>{3}));
    EXPECT_EQ(result.Notices[1].Caption, "WARNING");
    EXPECT_TRUE(result.Notices[1].Text.ends_with("left out.\r\n\r\nIndexes: 2, 4")) << result.Notices[1].Text;
}

TEST_F(SourceFiles, AnOverflowingPoolIsWrittenWithItsFlagAndReported)
{
    for (std::uint16_t i = 0; i < 70; ++i)
        Add(Table, i, u"T" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)),
            std::u16string(1023, u'\u00E9'));
    const SourceGenerationResult result = WriteSourceFiles(Table, Directory.Path());
    EXPECT_TRUE(result.RunScript);
    const Bytes table = ReadBytes(Directory / "texts.bin");
    EXPECT_EQ(table[1], 0x01); // PoolOverflow
    EXPECT_EQ(table[0], 0x01); // NonBaseCharacter
    // 2,047 bytes per text: 32 fit whole, the 33rd is cut, the rest are left out.
    ASSERT_EQ(result.Notices.size(), 1u);
    EXPECT_NE(result.Notices[0].Text.find("Cut: 32\r\n\r\nLeft out: 33-69"), std::string::npos)
        << result.Notices[0].Text;
}

TEST_F(SourceFiles, AFileThatCannotBeWrittenStopsBeforeTheScript)
{
    Add(Table, 1, u"A", u"a");
    Add(Table, 2, u"B", u"b");
    // The header's name taken by a directory: nothing else is touched.
    fs::create_directory(Directory / "fw_textIDs.h");
    WriteBytes(Directory / "texts.bin", {7});
    SourceGenerationResult result = WriteSourceFiles(Table, Directory.Path());
    EXPECT_FALSE(result.RunScript);
    ASSERT_EQ(result.Notices.size(), 1u);
    EXPECT_EQ(result.Notices[0].Text, kHeaderNotWrittenMessage);
    EXPECT_EQ(result.Notices[0].Icon, NoticeIcon::Error);
    EXPECT_NE(result.Notices[0].Details.find("fw_textIDs.h"), std::string::npos);
    EXPECT_EQ(ReadBytes(Directory / "texts.bin"), Bytes{7});

    // The table's name taken by a directory: the header is written, the script is not run.
    fs::remove(Directory / "fw_textIDs.h");
    fs::remove(Directory / "texts.bin");
    fs::create_directory(Directory / "texts.bin");
    result = WriteSourceFiles(Table, Directory.Path());
    EXPECT_FALSE(result.RunScript);
    ASSERT_EQ(result.Notices.size(), 1u);
    EXPECT_EQ(result.Notices[0].Text, kTextTableNotWrittenMessage);
    EXPECT_EQ(ReadText(Directory / "fw_textIDs.h"), "#define S_A 1\r\n#define S_B 2\r\n");
}

// Writes an executable script that appends `mark` to "ran.txt" in the working directory and exits
// with `status`.
void WriteScript(const fs::path& path, const std::string& mark, int status)
{
    std::ofstream(path) << "#!/bin/sh\necho " << mark << " >> ran.txt\nexit " << status << "\n";
    fs::permissions(path, fs::perms::owner_all);
}

class MakeTexts : public SourceFiles
{
protected:
    void SetUp() override
    {
        const char* path = std::getenv("PATH");
        SavedPath = path ? path : "";
        fs::create_directory(Directory / "bin");
        setenv("PATH", ((Directory / "bin").string() + ":" + SavedPath).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", SavedPath.c_str(), 1); }

    std::string SavedPath;
};

TEST_F(MakeTexts, TheWorkingDirectoryIsSearchedBeforeThePath)
{
    WriteScript(Directory / "bin" / "make_texts.bat", "path", 0);
    const fs::path work = Directory / "it's here";
    fs::create_directory(work);

    // Only on the path: the shell finds it there, running in the given directory.
    EXPECT_EQ(MakeTextsCommand(work),
              "cd -- '" + Directory.Path().string() + "/it'\\''s here' && make_texts.bat");
    EXPECT_EQ(RunMakeTexts(work), 0);
    EXPECT_EQ(ReadText(work / "ran.txt"), "path\n");

    // In the directory too: that one runs, and its exit status comes back.
    WriteScript(work / "make_texts.bat", "local", 3);
    EXPECT_EQ(RunMakeTexts(work), 3);
    EXPECT_EQ(ReadText(work / "ran.txt"), "path\nlocal\n");
}

TEST_F(MakeTexts, AMissingScriptIsNoFailureOfTheGeneration)
{
    setenv("PATH", (Directory / "bin").string().c_str(), 1);
    EXPECT_EQ(RunMakeTexts(Directory.Path()), 127); // the shell's "not found"
}

} // namespace
} // namespace orv
