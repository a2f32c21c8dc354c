#include "exchange/XliffFile.h"

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "base/Text.h"
#include "support/TestSupport.h"

namespace orv {

void PrintTo(const ReadUnit& unit, std::ostream* out)
{
    *out << unit.Index << " [" << ToUtf8(unit.Source) << "] [" << ToUtf8(unit.Target) << "] "
         << (unit.Translated ? "translated " : "") << unit.Place;
}

} // namespace orv

namespace orv::test {
namespace {

using namespace std::string_literals;

using ::testing::HasSubstr;
using ::testing::StartsWith;

Bytes ToBytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

std::string ToString(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// Texts that XML, or a careless writer, would change.
const std::u16string kTrickyTexts[] = {
    u"",
    u"plain",
    u"\r\n",
    u"one\rtwo\r",
    u"\n\nthree\r\n\r\n",
    u"\tleading and trailing blanks  ",
    u"   ",
    u"\u25A1 \uFFFC",
    u"\U0001F600 beyond the BMP \U00010348",
    u"\a",
    u"\b",
    u"\a\b\a normal, inverted \b",
    u"nul \0 and other codes \x01\x0B\x0C\x1F"s,
    u"\uFFFE\uFFFF",
    u"<tag> & \"quotes\" 'apos' ]]>",
    u"&amp; &#13; &#x7; as text",
    u"\u0085\u2028\u00A0\u007F\uFEFF",
    u"\r\a\r\n\b\r",
};

TranslationFile TrickyFile()
{
    TranslationFile file{"texts.strdef", "en", "de", {}};
    std::uint16_t index = 0;
    for (const auto& source : kTrickyTexts)
        for (const auto& target : {source, std::u16string(u"x") + source, std::u16string()}) {
            file.Units.push_back({index, u"ID_" + FromAscii(std::to_string(index)), u"Block / Sub", source,
                                  target, index % 2 == 0, u"Description\r\n"});
            ++index;
        }
    return file;
}

Bytes Write(const TranslationFile& file)
{
    auto bytes = WriteXliffFile(file);
    if (!bytes)
        throw std::runtime_error(bytes.error().Message);
    return *bytes;
}

Result<std::vector<ReadUnit>> Read(std::string_view xml)
{
    return ReadXliffBytes(ToBytes(xml), "t.xlf");
}

// A file around trans-units.
std::string Wrap(std::string_view units)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
           "<file original=\"t\" source-language=\"en\" datatype=\"plaintext\"><body>\n" +
           std::string(units) + "\n</body></file></xliff>\n";
}

TEST(XliffFile, EveryTextSurvivesARoundTrip)
{
    const TranslationFile file = TrickyFile();
    const auto read = ReadXliffBytes(Write(file), "t.xlf");
    ASSERT_TRUE(read) << read.error().Message;
    ASSERT_EQ(read->size(), file.Units.size());
    for (std::size_t i = 0; i < read->size(); ++i) {
        const TranslationUnit& unit = file.Units[i];
        const ReadUnit& back = (*read)[i];
        EXPECT_EQ(back.Index, unit.Index);
        EXPECT_EQ(back.Source, unit.Source) << i;
        EXPECT_EQ(back.Target, unit.Target) << i;
        EXPECT_EQ(back.Translated, unit.Translated) << i;
    }
}

TEST(XliffFile, WritesThisExactFile)
{
    const TranslationFile file{"texts.strdef",
                               "en",
                               "de",
                               {{47, u"SET_COMM_TIMEOUT", u"Settings / Communication", u"Timeout\a\r\n 5 s",
                                 u"Zeitlimit\b\x01", true, u"Waiting for <device> & \"host\""},
                                {3, u"EMPTY", u"", u" ", u"", false, u""}}};
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<xliff version=\"1.2\" xmlns=\"urn:oasis:names:tc:xliff:document:1.2\">\n"
        "  <file original=\"texts.strdef\" source-language=\"en\" target-language=\"de\" "
        "datatype=\"plaintext\">\n"
        "    <body>\n"
        "      <trans-unit id=\"47\" resname=\"SET_COMM_TIMEOUT\" xml:space=\"preserve\" approved=\"yes\">\n"
        "        <source>Timeout<x id=\"1\" ctype=\"x-orvane-normal\"/>&#13;\n 5 s</source>\n"
        "        <target state=\"translated\">Zeitlimit<x id=\"1\" ctype=\"x-orvane-inverted\"/><x id=\"2\" "
        "ctype=\"x-orvane-code\" equiv-text=\"U+0001\"/></target>\n"
        "        <note from=\"developer\">Waiting for &lt;device&gt; &amp; \"host\"</note>\n"
        "        <note from=\"location\">Settings / Communication</note>\n"
        "      </trans-unit>\n"
        "      <trans-unit id=\"3\" resname=\"EMPTY\" xml:space=\"preserve\">\n"
        "        <source> </source>\n"
        "        <target state=\"needs-translation\"/>\n"
        "      </trans-unit>\n"
        "    </body>\n"
        "  </file>\n"
        "</xliff>\n";
    EXPECT_EQ(ToString(Write(file)), expected);

    const auto read = Read(expected);
    ASSERT_TRUE(read) << read.error().Message;
    EXPECT_EQ(*read, (std::vector<ReadUnit>{{47, u"Timeout\a\r\n 5 s", u"Zeitlimit\b\x01", true, "line 5"},
                                            {3, u" ", u"", false, "line 12"}}));

    TranslationFile noTarget = file;
    noTarget.TargetLanguage.clear();
    EXPECT_THAT(ToString(Write(noTarget)), HasSubstr("source-language=\"en\" datatype="));
}

TEST(XliffFile, RefusesUnitsWhoseTextsItCannotHold)
{
    TranslationFile file{"texts.strdef", "en", "de", {}};
    for (std::uint16_t index = 0; index < 10; ++index)
        file.Units.push_back({index, u"ID", u"Block", u"\a text", u"\b", false, u""});
    file.Units[3].Target = u"half \xD800 a pair";
    file.Units[5].Description = u"bell \a";
    file.Units[7].Source = u"\xDC00";
    file.Units[8].Identifier = u"ID\x01";
    const auto bytes = WriteXliffFile(file);
    ASSERT_FALSE(bytes);
    EXPECT_EQ(bytes.error().Code, ErrorCode::BadInput);
    EXPECT_THAT(bytes.error().Message, HasSubstr("unit 3: a lone surrogate (U+D800) in the target; "
                                                 "unit 5: U+0007 in the description; "
                                                 "unit 7: a lone surrogate (U+DC00) in the source; "
                                                 "unit 8: U+0001 in the identifier)"));
}

// ---------------------------------------------------------------------------------------------
// Other tools

bool HaveTool(const char* name)
{
    return std::system(("command -v " + std::string(name) + " > /dev/null 2>&1").c_str()) == 0;
}

// The msgid and msgstr of each entry of a PO file as translate-toolkit writes it, header excluded.
std::vector<std::pair<std::string, std::string>> PoEntries(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> entries;
    std::string* field = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        if (line.starts_with("msgid ")) {
            entries.emplace_back();
            field = &entries.back().first;
        } else if (line.starts_with("msgstr ")) {
            field = &entries.back().second;
        } else if (!line.starts_with("\"")) {
            field = nullptr;
        }
        const std::size_t quote = line.find('"');
        if (!field || quote == std::string::npos)
            continue;
        for (std::size_t i = quote + 1; i + 1 < line.size(); ++i) {
            char c = line[i];
            if (c == '\\') {
                c = line[++i];
                c = c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
            }
            field->push_back(c);
        }
    }
    if (!entries.empty() && entries.front().first.empty())
        entries.erase(entries.begin());
    return entries;
}

TEST(XliffFile, TranslateToolkitReadsWrittenFiles)
{
    if (!HaveTool("xliff2po") || !HaveTool("pocount"))
        GTEST_SKIP() << "translate-toolkit is not installed";
    TemporaryDirectory directory;
    TranslationFile file = TrickyFile();
    for (auto& unit : file.Units)
        unit.Source = u"S" + unit.Source; // an empty msgid would be taken for the header
    WriteBytes(directory / "texts.xlf", Write(file));

    ASSERT_EQ(std::system("xliff2po --progress=none texts.xlf texts.po 2> errors.txt"), 0);
    EXPECT_EQ(ToString(ReadBytes(directory / "errors.txt")), "");
    const auto entries = PoEntries(ToString(ReadBytes(directory / "texts.po")));
    ASSERT_EQ(entries.size(), file.Units.size());
    std::size_t compared = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TranslationUnit& unit = file.Units[i];
        // xliff2po leaves placeholders out, and reads the text "&#x7;" as U+0007 (its own way of
        // writing characters XML does not allow).
        const std::string written = ToString(Write({"t", "en", "", {unit}}));
        if (written.find("<x ") != std::string::npos || written.find("&amp;#x") != std::string::npos)
            continue;
        EXPECT_EQ(entries[i].first, ToUtf8(unit.Source)) << i;
        EXPECT_EQ(entries[i].second, ToUtf8(unit.Target)) << i;
        ++compared;
    }
    EXPECT_GT(compared, file.Units.size() / 2);

    ASSERT_EQ(std::system("pocount --csv texts.xlf > counts.csv 2> /dev/null"), 0);
    const std::string counts = ToString(ReadBytes(directory / "counts.csv"));
    // Filename, translated, its source and target words, fuzzy, its words, untranslated, its words, total,
    // ...
    const std::string row = counts.substr(counts.find("texts.xlf,"));
    std::vector<std::string> columns;
    for (std::size_t start = 0; start != std::string::npos;) {
        const std::size_t comma = row.find(',', start);
        columns.push_back(row.substr(start, comma == std::string::npos ? comma : comma - start));
        start = comma == std::string::npos ? comma : comma + 1;
    }
    ASSERT_GT(columns.size(), 8u) << counts;
    EXPECT_EQ(std::stoul(columns[8]), file.Units.size()) << counts;

    // A translated unit counts as done there, an unmarked draft as fuzzy.
    WriteBytes(directory / "two.xlf", Write({"t",
                                             "en",
                                             "de",
                                             {{1, u"A", u"", u"Yes", u"Ja", true, u""},
                                              {2, u"B", u"", u"No", u"Nein", false, u""}}}));
    ASSERT_EQ(std::system("pocount --csv two.xlf > two.csv 2> /dev/null"), 0);
    const std::string two = ToString(ReadBytes(directory / "two.csv"));
    EXPECT_NE(two.find("two.xlf,  1, 1, 1, 1, 1, 0, 0, 2, 2"), std::string::npos) << two;
}

TEST(XliffFile, ReadsWhatPo2xliffWrites)
{
    if (!HaveTool("po2xliff"))
        GTEST_SKIP() << "translate-toolkit is not installed";
    TemporaryDirectory directory;
    WriteBytes(directory / "texts.po", ToBytes("msgid \"\"\nmsgstr \"\"\n"
                                               "\"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                                               "#. the description\n#: Settings/Comm:47\n"
                                               "msgctxt \"SET_COMM_TIMEOUT\"\n"
                                               "msgid \"Timeout\\tin s \"\nmsgstr \"Zeit\\r\\nlimit\"\n\n"
                                               "#, fuzzy\nmsgid \"two\"\nmsgstr \"zwei\"\n\n"
                                               "msgid \"three\"\nmsgstr \"\"\n"));
    ASSERT_EQ(std::system("po2xliff --progress=none texts.po texts.xlf"), 0);
    const auto read = ReadXliffFile(directory / "texts.xlf");
    ASSERT_TRUE(read) << read.error().Message;
    ASSERT_EQ(read->size(), 3u);
    const std::vector<std::tuple<std::u16string, std::u16string, bool>> expected = {
        {u"Timeout\tin s ", u"Zeit\r\nlimit", true}, {u"two", u"zwei", false}, {u"three", u"", false}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::tuple((*read)[i].Source, (*read)[i].Target, (*read)[i].Translated), expected[i]) << i;
    }
}

TEST(XliffFile, ReadsAHandEditedFile)
{
    // Several files, groups, other tools' attributes and elements, every kind of state, CDATA,
    // comments, <mrk>, a byte order mark and CR LF line ends (which XML reads as LF).
    const std::string xml =
        "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>\r\n"
        "<xliff version='1.2' xmlns='urn:oasis:names:tc:xliff:document:1.2' xmlns:o='urn:other'>\r\n"
        "<file original='a' source-language='en' "
        "datatype='plaintext'><header><note>h</note></header><body>\r\n"
        " <group id='g1' resname='Settings'><group id='g2'>\r\n"
        "  <trans-unit id='1' approved='yes' o:extra='1'><source>one\r\ntwo</source>"
        "<target state='final'>eins<!-- c -->&#13;&#x1F600;</target>\r\n"
        "   <alt-trans><source>x</source><target>y</target></alt-trans><o:data/></trans-unit>\r\n"
        " </group></group>\r\n"
        " <trans-unit id='00002'><source><![CDATA[<raw> &amp;]]></source><target state='signed-off'>"
        "<mrk mtype='term'>Ge<mrk mtype='x'>r<x id='5' ctype='x-orvane-normal'/></mrk>ät</mrk></target>\r\n"
        " </trans-unit>\r\n"
        "</body></file>\r\n"
        "<file original='b' source-language='en' datatype='plaintext'><body>\r\n"
        " <trans-unit id='3'><source>s</source><target "
        "state='needs-review-translation'>t</target></trans-unit>\r\n"
        " <trans-unit id='4'><source>s</source><target>t</target></trans-unit>\r\n"
        " <trans-unit id='5'><source>s</source><target state='new'></target></trans-unit>\r\n"
        " <trans-unit id='65535'><source>s</source></trans-unit>\r\n"
        " <trans-unit id='6'><source>s</source><target/></trans-unit>\r\n"
        "</body></file></xliff>\r\n";
    const auto read = Read(xml);
    ASSERT_TRUE(read) << read.error().Message;
    EXPECT_EQ(*read, (std::vector<ReadUnit>{{1, u"one\ntwo", u"eins\r\U0001F600", true, "line 5"},
                                            {2, u"<raw> &amp;", u"Ger\aät", true, "line 9"},
                                            {3, u"s", u"t", false, "line 13"},
                                            {4, u"s", u"t", true, "line 14"},
                                            {5, u"s", u"", false, "line 15"},
                                            {65535, u"s", u"", false, "line 16"},
                                            {6, u"s", u"", false, "line 17"}}));
}

TEST(XliffFile, RefusesBrokenAndHostileFiles)
{
    const std::string laughs = "<?xml version='1.0'?>\n<!DOCTYPE lolz [<!ENTITY lol 'lol'>"
                               "<!ENTITY lol2 '&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;'>"
                               "<!ENTITY lol3 '&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;'>]>\n"
                               "<xliff><file><body><trans-unit id='1'><source>&lol3;</source></trans-unit>"
                               "</body></file></xliff>";
    const std::string external = "<!DOCTYPE xliff [<!ENTITY e SYSTEM 'file:///etc/passwd'>]>\n" +
                                 Wrap("<trans-unit id='1'><source>&e;</source></trans-unit>");
    const std::string unit = "<trans-unit id='1'><source>s</source></trans-unit>";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"", {"no XML element"}},
        {"<xliff><file></xliff>", {"line 1, column 16: malformed XML"}},
        // pugixml stops after the second name; the column counts characters, not bytes.
        {"<xliff>\n<file a='ä' a></file></xliff>", {"line 2, column 15: malformed XML: a bad attribute"}},
        {laughs, {"line 2: a DOCTYPE declaration"}},
        {external, {"line 1: a DOCTYPE declaration"}},
        {std::string("\xFF\xFE<\0x\0", 6), {"UTF-16 or UTF-32"}},
        {"<?xml version='1.0' encoding='ISO-8859-1'?>\n" + Wrap(unit), {"line 1:", "\"ISO-8859-1\""}},
        {Wrap("<trans-unit id='1'>\n<source>bad \xE4 byte</source></trans-unit>"), {"line 5: invalid UTF-8"}},
        {Wrap("<trans-unit id='1'><source>\x01</source></trans-unit>"), {"line 4:", "U+0001"}},
        {Wrap("<trans-unit id='1'><source>a\nb&#0;</source></trans-unit>"), {"line 5:", "\"&#0;\""}},
        {Wrap("<trans-unit id='1'><source>&#99999999999;</source></trans-unit>"), {"character reference"}},
        {Wrap("<trans-unit id='1'><source>&nbsp;</source></trans-unit>"), {"\"&nbsp;\""}},
        {Wrap("\n<trans-unit id='x1'><source/></trans-unit>"), {"line 5:", "id \"x1\" is not an index"}},
        {Wrap("<trans-unit><source/></trans-unit>"), {"line 4: a <trans-unit> without an id"}},
        {Wrap("<trans-unit id='1'><source/><target/><target/></trans-unit>"), {"a second <target>"}},
        {Wrap("<trans-unit id='1'><source/>\n<target>a<g id='1'>b</g></target></trans-unit>"),
         {"line 5: <g> in a <target>"}},
        {Wrap("<trans-unit id='1'><source><mrk><ph id='1'>\\a</ph></mrk></source></trans-unit>"), {"<ph>"}},
        {Wrap("<trans-unit id='1'><source><x id='1' ctype='x-other'/></source></trans-unit>"),
         {"ctype \"x-other\""}},
        {Wrap("<trans-unit id='1'><source><x id='1' ctype='x-orvane-code' equiv-text='U+0041'/></source>"
              "</trans-unit>"),
         {"equiv-text \"U+0041\""}},
        {"<xliff version='2.0' xmlns='urn:oasis:names:tc:xliff:document:2.0'/>", {"XLIFF 2"}},
    };
    for (const auto& [xml, fragments] : cases) {
        const auto read = Read(xml);
        ASSERT_FALSE(read) << xml;
        EXPECT_EQ(read.error().Code, ErrorCode::BadInput) << xml;
        EXPECT_THAT(read.error().Message, StartsWith("t.xlf: ")) << xml;
        for (const auto& fragment : fragments)
            EXPECT_THAT(read.error().Message, HasSubstr(fragment)) << xml;
    }

    // Cut off anywhere, a written file is refused as such.
    const std::string whole = ToString(Write(TrickyFile()));
    for (std::size_t length = 1; length + 1 < whole.size(); length += 97) {
        const auto read = Read(whole.substr(0, length));
        ASSERT_FALSE(read) << length;
        EXPECT_THAT(read.error().Message, HasSubstr("(is it cut off?)")) << length;
    }

    // Too many tags to hold in memory for what a file of that size could mean.
    std::string tags = "<xliff>";
    for (int i = 0; i <= (1 << 21); ++i)
        tags += "<a/>";
    EXPECT_THAT(Read(tags + "</xliff>").error().Message, HasSubstr("tags"));
}

TEST(XliffFile, RefusesOversizedFilesBeforeReadingThem)
{
    TemporaryDirectory directory;
    const auto path = directory / "big.xlf";
    WriteBytes(path, {});
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(kMaxTranslationFileBytes + 1)), 0); // sparse
    const auto read = ReadXliffFile(path);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().Code, ErrorCode::ReadFailed);
    EXPECT_THAT(read.error().Message, HasSubstr(std::to_string(kMaxTranslationFileBytes + 1)));
}

} // namespace
} // namespace orv::test
