#include "output/SourceGeneration.h"

#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "base/Text.h"
#include "output/OutputMessages.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ReadBytes;

std::string ReadText(const fs::path& path)
{
    const Bytes bytes = ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(HeaderLine, WritesIdentifiersAsEightBitCharactersAndRefusesThoseThatWouldBreakTheLine)
{
    EXPECT_EQ(HeaderLine(65535, u"").value(), "#define S_ 65535\r\n");
    EXPECT_EQ(HeaderLine(12, u"CAF\u00C9_\u00FF ~\x7F\u0084\u0086").value(),
              "#define S_CAF\xC9_\xFF ~\x7F\x84\x86 12\r\n");
    EXPECT_EQ(HeaderLine(12, u"CAF\u0100"), tl::make_unexpected(HeaderLineFault::BeyondEightBits));
    // Line breaks of every kind and controls that split the define; a line break wins over a
    // character above U+00FF.
    for (const std::u16string& identifier : std::initializer_list<std::u16string>{
             u"A\nB", u"A\r", u"A\tB", u"\x1F", u"A\u0085", u"A\u2028", u"\u2029", u"\u03C0\n", {u"A\0B", 3}})
        EXPECT_EQ(HeaderLine(1, identifier), tl::make_unexpected(HeaderLineFault::BreaksLine))
            << ToUtf8(identifier);
}

TEST(WriteSourceFiles, NamesEachDefinitionByItsKeyAndTellsWhatItLeftOutOrCouldNotWrite)
{
    // An entry whose Index field differs from its key is named and stored under the key; translations
    // play no part. Identifiers above U+00FF or with line breaks have no line: one list for each
    // reason, the line breaks after the characters above U+00FF.
    test::TemporaryDirectory directory;
    DefinitionTable table;
    table.Definitions[0] = {0, u"ZERO", u"z", u"Null", 1, u""};
    table.Definitions[65535] = {65535, u"LAST", u"last", u"", 0, u""};
    table.Definitions[7] = {0, u"SEVEN", u"seven", u"", 0, u""};
    table.Definitions[2] = {2, u"PI_\u03C0", u"b", u"", 0, u""};
    table.Definitions[3] = {3, u"X 2\r\n#include \"/etc/passwd\"\r\n#define Y", u"c", u"", 0, u""};
    table.Definitions[4] = {4, u"LATIN_\u00E9", u"d", u"", 0, u""};
    const SourceGenerationResult result = WriteSourceFiles(table, directory.Path());
    EXPECT_TRUE(result.RunScript);
    EXPECT_EQ(ReadText(directory / "fw_textIDs.h"),
              "#define S_ZERO 0\r\n#define S_LATIN_\xE9 4\r\n#define S_SEVEN 7\r\n#define S_LAST 65535\r\n");
    const auto contents = ReadTextTable(ReadBytes(directory / "texts.bin"), "texts.bin").value();
    ASSERT_EQ(contents.Texts.size(), 6u);
    EXPECT_EQ(std::tuple(contents.Texts[0].Text, contents.Texts[4].Index, contents.Texts[4].Text),
              std::tuple(u"z", 7u, u"seven"));
    ASSERT_EQ(result.Notices.size(), 2u);
    EXPECT_EQ(result.Notices[0], UnwritableIdentifiersNotice(std::vector<std::uint16_t>{2}));
    EXPECT_TRUE(result.Notices[1].Text.ends_with("left out.\r\n\r\nIndexes: 3")) << result.Notices[1].Text;

    // Fewer than two definitions: the header is written, the table left as it was.
    table.Definitions = {{65535, table.Definitions.at(65535)}};
    test::WriteBytes(directory / "texts.bin", {1, 2, 3});
    const SourceGenerationResult one = WriteSourceFiles(table, directory.Path());
    EXPECT_FALSE(one.RunScript);
    EXPECT_EQ(one.Notices, std::vector{ErrorNotice(TooFewDefinitionsMessage(1))});
    EXPECT_EQ(ReadText(directory / "fw_textIDs.h"), "#define S_LAST 65535\r\n");
    EXPECT_EQ(ReadBytes(directory / "texts.bin"), (Bytes{1, 2, 3}));

    // The header's name taken by a directory: nothing else is touched.
    table.Definitions[1] = {1, u"A", u"a", u"", 0, u""};
    fs::remove(directory / "fw_textIDs.h");
    fs::create_directory(directory / "fw_textIDs.h");
    SourceGenerationResult failed = WriteSourceFiles(table, directory.Path());
    ASSERT_EQ(std::tuple(failed.RunScript, failed.Notices.size()), std::tuple(false, 1u));
    EXPECT_EQ(std::tuple(failed.Notices[0].Text, failed.Notices[0].Icon),
              std::tuple(kHeaderNotWrittenMessage, NoticeIcon::Error));
    EXPECT_NE(failed.Notices[0].Details.find("fw_textIDs.h"), std::string::npos);
    EXPECT_EQ(ReadBytes(directory / "texts.bin"), (Bytes{1, 2, 3}));

    // The table's name taken by a directory: the header is written, the script is not run.
    fs::remove(directory / "fw_textIDs.h");
    fs::remove(directory / "texts.bin");
    fs::create_directory(directory / "texts.bin");
    failed = WriteSourceFiles(table, directory.Path());
    ASSERT_EQ(std::tuple(failed.RunScript, failed.Notices.size()), std::tuple(false, 1u));
    EXPECT_EQ(failed.Notices[0].Text, kTextTableNotWrittenMessage);
    EXPECT_EQ(ReadText(directory / "fw_textIDs.h"), "#define S_A 1\r\n#define S_LAST 65535\r\n");
}

TEST(MakeTexts, TheWorkingDirectoryIsSearchedBeforeThePath)
{
    // Scripts that append `mark` to "ran.txt" in the working directory and exit with `status`.
    const auto writeScript = [](const fs::path& path, const std::string& mark, int status) {
        std::ofstream(path) << "#!/bin/sh\necho " << mark << " >> ran.txt\nexit " << status << "\n";
        fs::permissions(path, fs::perms::owner_all);
    };
    test::TemporaryDirectory directory;
    const std::string path = std::getenv("PATH");
    setenv("PATH", (directory.Path().string() + ":" + path).c_str(), 1);
    writeScript(directory / "make_texts.bat", "path", 0);
    const fs::path work = directory / "it's here";
    fs::create_directory(work);

    // Only on the path: the shell finds it there, running in the given directory.
    EXPECT_EQ(MakeTextsCommand(work),
              "cd -- '" + directory.Path().string() + "/it'\\''s here' && make_texts.bat");
    EXPECT_EQ(RunMakeTexts(work), 0);
    EXPECT_EQ(ReadText(work / "ran.txt"), "path\n");

    // In the directory too: that one runs, and its exit status comes back.
    writeScript(work / "make_texts.bat", "local", 3);
    EXPECT_EQ(RunMakeTexts(work), 3);
    EXPECT_EQ(ReadText(work / "ran.txt"), "path\nlocal\n");
    setenv("PATH", path.c_str(), 1);
}

} // namespace
} // namespace orv
