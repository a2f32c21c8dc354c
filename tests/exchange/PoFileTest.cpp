#include "exchange/PoFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "base/Text.h"
#include "support/TestSupport.h"

namespace orv::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using namespace std::string_literals;

Bytes AsBytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

std::string AsString(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The exit status of a shell command.
int ExitStatus(const std::string& command)
{
    const int status = std::system((command + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Output(const std::string& command)
{
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, count);
        ::pclose(pipe);
    }
    return output;
}

// Texts that stress the format, each used as a default text and, shifted by one, as a translation.
const std::u16string kTrickyTexts[] = {
    u"",
    u"\n",
    u"\r\n\r\n",
    u"\r",
    u"\r\nLine one\r\nLine two\r\n",
    u"\rlone CR\r",
    u"\n\r\nmixed runs\r\n\n",
    u"lead and trail\n",
    u"\tTabs\tand  blanks  ",
    u" ",
    u"Bell \u0007 and backspace \u0008",
    u"Controls \u0001 \u001B \u007F \u000B \u000C end",
    u"Quotes \" and backslashes \\ \\n",
    u"Box \u25A1, object \uFFFC, emoji \U0001F600 and \U00010348",
    u"(empty)",
    u"A long text that the library will wrap somewhere, because its line is well past the width of "
    u"seventy-nine columns, isn't it?",
    u"%s %d {0} $1",
};

TranslationFile TrickyFile()
{
    TranslationFile file{"texts.strdef", "en", "de", {}};
    const std::size_t count = std::size(kTrickyTexts);
    for (std::size_t i = 0; i < 2 * count; ++i) {
        TranslationUnit unit;
        unit.Index = static_cast<std::uint16_t>(i == 0 ? 65535 : i * 7);
        unit.Identifier = u"TEXT_" + FromAscii(std::to_string(i));
        unit.BlockPath = i % 3 == 0 ? u"" : u"Menu / Sub";
        unit.Source = kTrickyTexts[i % count];
        unit.Target = kTrickyTexts[(i + 1) % count];
        unit.Translated = i >= count;
        unit.Description =
            i % 4 == 0 ? u"Two lines\r\nof description" : u"line breaks at the ends: looks alike";
        file.Units.push_back(unit);
    }
    return file;
}

TEST(PoFile, TrickyTextsComeBackExactly)
{
    TemporaryDirectory directory;
    const TranslationFile file = TrickyFile();
    const auto bytes = WritePoFile(file);
    ASSERT_TRUE(bytes) << bytes.error().Message;
    WriteBytes(directory / "texts.po", *bytes);
    const auto units = ReadPoFile(directory / "texts.po");
    ASSERT_TRUE(units) << units.error().Message;
    ASSERT_EQ(units->size(), file.Units.size());
    for (std::size_t i = 0; i < units->size(); ++i) {
        const TranslationUnit& written = file.Units[i];
        const ReadUnit& read = (*units)[i];
        EXPECT_EQ(read.Index, written.Index);
        EXPECT_EQ(read.Source, written.Source) << i;
        EXPECT_EQ(read.Target, written.Target) << i;
        // An empty translation marked done reads back as not translated: PO cannot tell them apart.
        EXPECT_EQ(read.Translated, written.Translated && !written.Target.empty()) << i;
        EXPECT_EQ(read.Place, "message " + std::to_string(i + 1) + " (\"" +
                                  ToUtf8(written.BlockPath.empty() ? u"" : written.BlockPath + u" / ") +
                                  ToUtf8(written.Identifier) + " #" + std::to_string(written.Index) + "\")");
    }
}

TEST(PoFile, WrittenFilesSatisfyGettextAndTranslateToolkit)
{
    TemporaryDirectory directory;
    const TranslationFile file = TrickyFile();
    WriteBytes(directory / "texts.po", WritePoFile(file).value());
    EXPECT_EQ(ExitStatus("msgfmt --check -o /dev/null texts.po"), 0);

    // pocount's CSV: translated, its source and target words, fuzzy, its words, untranslated, its
    // words, total. It sees a translation where msgstr holds more than the line breaks at its ends.
    int translated = 0;
    for (const TranslationUnit& unit : file.Units)
        translated += unit.Translated && unit.Target.find_first_not_of(u"\r\n") != std::u16string::npos;
    const std::string csv = Output("pocount --csv texts.po");
    const std::size_t row = csv.find("\ntexts.po,");
    ASSERT_NE(row, std::string::npos) << csv;
    int counts[8] = {};
    ASSERT_EQ(std::sscanf(csv.c_str() + row + 1, "texts.po, %d, %*d, %*d, %*d, %*d, %*d, %*d, %d", &counts[0],
                          &counts[7]),
              2)
        << csv;
    EXPECT_EQ(counts[0], translated);
    EXPECT_EQ(counts[7], static_cast<int>(file.Units.size()));
}

TEST(PoFile, SmallFileHasThisForm)
{
    TranslationFile file{"menu.strdef", "en", "de", {}};
    file.Units.push_back({3, u"OPEN", u"Menu", u"Open", u"Öffnen", true, u""});
    file.Units.push_back({47, u"SET_COMM_TIMEOUT", u"Settings / Communication", u"Timeout:\n", u"Zeit", false,
                          u"Seconds\nbefore giving up"});
    file.Units.push_back({48, u"BLANK", u"", u"", u"", false, u""});
    EXPECT_EQ(AsString(WritePoFile(file).value()),
              "msgid \"\"\n"
              "msgstr \"\"\n"
              "\"Project-Id-Version: menu.strdef\\n\"\n"
              "\"Language: de\\n\"\n"
              "\"MIME-Version: 1.0\\n\"\n"
              "\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
              "\"Content-Transfer-Encoding: 8bit\\n\"\n"
              "\n"
              "msgctxt \"Menu / OPEN #3\"\n"
              "msgid \"Open\"\n"
              "msgstr \"Öffnen\"\n"
              "\n"
              "#. Seconds\n"
              "#. before giving up\n"
              "#. line breaks at the ends: \"\" \"\\n\" | \"\" \"\"\n"
              "#, fuzzy\n"
              "msgctxt \"Settings / Communication / SET_COMM_TIMEOUT #47\"\n"
              "msgid \"Timeout:\"\n"
              "msgstr \"Zeit\"\n"
              "\n"
              "#. empty default text, line breaks at the ends: \"\" \"\" | "
              "\"\" \"\"\n"
              "msgctxt \"BLANK #48\"\n"
              "msgid \"(empty)\"\n"
              "msgstr \"\"\n");
    file.TargetLanguage.clear();
    EXPECT_THAT(AsString(WritePoFile(file).value()), Not(HasSubstr("Language")));
}

TEST(PoFile, TextsThatNoPoFileHoldsAreRefusedByIndex)
{
    TranslationFile file{"texts.strdef", "en", "de", {}};
    file.Units.push_back({12, u"A", u"", u"lone \xD800 high", u"", false, u""});
    file.Units.push_back({13, u"B", u"", u"pair \U0001F600 is fine", u"", false, u""});
    file.Units.push_back({47, u"C", u"", u"x", u"x", true, std::u16string(u"NUL \0", 5)});
    file.Units.push_back({48, u"D", u"", u"EOT \u0004", u"", false, u""});
    file.Units.push_back({49, u"E", u"Block \xDC00", u"x", u"", false, u""});
    const auto bytes = WritePoFile(file);
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.error().Code, ErrorCode::BadInput);
    EXPECT_THAT(bytes.error().Message, StartsWith("texts 12, 47, 48 and 49 hold a lone surrogate half"));

    // Two units of the same index and identifier would make one message twice.
    const TranslationFile twice{
        "t", "en", "de", {{5, u"A", u"", u"x", u"", false, u""}, {5, u"A", u"", u"x", u"", false, u""}}};
    EXPECT_THAT(WritePoFile(twice).error().Message, StartsWith("texts 5 and 5 would be the same message"));
}

TEST(PoFile, FilesChangedByOtherToolsImport)
{
    TemporaryDirectory directory;
    TranslationFile file{"texts.strdef", "en", "fr", {}};
    file.Units.push_back({1, u"DONE", u"", u"Done\r\n", u"Fait\r\n", true, u""});
    file.Units.push_back({2, u"TODO", u"", u"\nTo do", u"", false, u""});
    WriteBytes(directory / "texts.po", WritePoFile(file).value());
    // msgen fills empty translations with the default text; the translation gets the line breaks
    // that the translation had, none here.
    ASSERT_EQ(ExitStatus("msgen -o en.po texts.po"), 0);
    const auto filled = ReadPoFile(directory / "en.po");
    ASSERT_TRUE(filled) << filled.error().Message;
    EXPECT_EQ((*filled)[0].Target, u"Fait\r\n");
    EXPECT_EQ((*filled)[1].Target, u"To do");
    EXPECT_TRUE((*filled)[1].Translated);

    // Windows line ends, a byte order mark, an obsolete message, translator comments and flags.
    std::string edited = "\xEF\xBB\xBF";
    for (const char c : AsString(ReadBytes(directory / "en.po")))
        edited += c == '\n' ? std::string("\r\n") : std::string(1, c);
    edited += "\r\n# A translator's note\r\n#, fuzzy, c-format\r\n#| msgid \"Old\"\r\nmsgctxt \"X #9\"\r\n"
              "msgid \"A\"\r\n\"B\"\r\nmsgstr \"C\"\r\n\r\n#~ msgctxt \"GONE\"\r\n#~ msgid \"x\"\r\n#~ "
              "msgstr \"y\"\r\n";
    WriteBytes(directory / "edited.po", AsBytes(edited));
    const auto read = ReadPoFile(directory / "edited.po");
    ASSERT_TRUE(read) << read.error().Message;
    ASSERT_EQ(read->size(), 3u);
    EXPECT_EQ((*read)[0].Source, u"Done\r\n");
    EXPECT_EQ((*read)[1].Source, u"\nTo do");
    EXPECT_EQ((*read)[2], (ReadUnit{9, u"AB", u"C", false, "message 3 (\"X #9\")"}));
}

TEST(PoFile, HostileFilesAreRefusedWithTheirPlace)
{
    TemporaryDirectory directory;
    const std::string header = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
    const std::string good = "msgctxt \"A #1\"\nmsgid \"a\"\nmsgstr \"b\"\n\n";
    std::string manyErrors;
    for (int i = 0; i < 100000; ++i)
        manyErrors += "x\n";
    const std::pair<std::string, std::string> cases[] = {
        {header + "msgctxt \"A #1\"\nmsgid \"a", "bad.po: line 6: end-of-file within string"},
        {"\x89PNG\r\n\x1A\n\xFF\xFE", "bad.po: line "},
        {header + "msgctxt \"A #1\"\nmsgid \"a\\q\"\nmsgstr \"\"\n",
         "line 6, column 10: invalid control sequence"},
        {header + "msgctxt \"A #1\"\nmsgid \"caf\xE9\"\nmsgstr \"\"\n",
         "line 6, column 11: invalid multibyte sequence"},
        {header + "msgctxt \"A #1\"\nmsgid \"a\\377\"\nmsgstr \"\"\n",
         "message 1 (\"A #1\"): the default text is not valid UTF-8"},
        {header + "msgctxt \"A #1\"\nmsgid \"a\0b\"\nmsgstr \"\"\n"s, "bad.po: line 6: a NUL byte"},
        {"msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=ISO-8859-1\\n\"\n\n" + good,
         "\"ISO-8859-1\"; only UTF-8"},
        {good, "bad.po: there is no header entry"},
        {header + good + "msgid \"a\"\nmsgstr \"b\"\n", "message 2: it has no context"},
        {header + good + "msgctxt \"A#2\"\nmsgid \"a\"\nmsgstr \"b\"\n",
         "message 2 (\"A#2\"): its context does not end"},
        {header + "msgctxt \"A #1\"\nmsgid \"a\"\nmsgid_plural \"as\"\nmsgstr[0] \"b\"\n",
         "it has plural forms"},
        {header + "#. line breaks at the ends: \"\\t\" \"\" | \"\" \"\"\n" + good,
         "message 1 (\"A #1\"): the comment"},
        {header + good + good, "bad.po: line 10: duplicate message definition"},
        {header + "domain \"other\"\n" + good, "a domain \"other\""},
        // The parser stops soon after 20 errors: each one costs it a little memory for good.
        {header + manyErrors, "line 5: keyword \"x\" unknown (and more errors)"},
    };
    for (const auto& [content, expected] : cases) {
        WriteBytes(directory / "bad.po", AsBytes(content));
        const auto units = ReadPoFile("bad.po");
        ASSERT_FALSE(units) << expected;
        EXPECT_EQ(units.error().Code, ErrorCode::BadInput) << expected;
        EXPECT_THAT(units.error().Message, StartsWith("bad.po: ")) << expected;
        EXPECT_THAT(units.error().Message, HasSubstr(expected));
    }
}

TEST(PoFile, OversizedFilesAreRefusedBeforeReading)
{
    TemporaryDirectory directory;
    WriteBytes(directory / "huge.po", AsBytes("msgid \"\"\n"));
    std::filesystem::resize_file(directory / "huge.po", kMaxTranslationFileBytes + 1); // sparse
    const auto units = ReadPoFile(directory / "huge.po");
    ASSERT_FALSE(units);
    EXPECT_EQ(units.error().Code, ErrorCode::BadInput);
    EXPECT_THAT(units.error().Message, HasSubstr("more than the 67108864 bytes"));
    EXPECT_EQ(ReadPoFile(directory / "missing.po").error().Code, ErrorCode::OpenFailed);
}

} // namespace
} // namespace orv::test
