#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliTestSupport.h"
#include "cli/Cli.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"
#include "output/FontTextExport.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::ByteBuilder;
using test::Bytes;
using test::IsOneErrorLine;
using test::kDejaVuSans;
using test::Outcome;
using test::RunStrdef;
using test::WriteDefinitions;

std::vector<std::string> FilesIn(const fs::path& directory)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

void WriteScript(const fs::path& path, const std::string& body)
{
    const std::string text = "#!/bin/sh\n" + body + "\n";
    test::WriteBytes(path, Bytes(text.begin(), text.end()));
    fs::permissions(path, fs::perms::owner_all);
}

std::string ReadText(const fs::path& path)
{
    const Bytes bytes = test::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class OutputCommands : public testing::Test
{
protected:
    test::TemporaryDirectory Directory;
};

// ---------------------------------------------------------------------------------------------
// generate

TEST_F(OutputCommands, GenerateWritesBothFilesAndLeavesTheDefinitionFileAlone)
{
    // Index 1 "A" and index 2 with an empty default text: the translations play no part.
    WriteDefinitions("texts.strdef",
                     {{1, u"A_TEXT", u"A", u"\u00C4", 1, u""}, {2, u"EMPTY", u"", u"x", 0, u""}});
    const Bytes definitions = test::ReadBytes("texts.strdef");
    fs::create_directory("out");
    const Outcome outcome = RunStrdef({"generate", "texts.strdef", "--dir", "out", "--no-script"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out + outcome.Err, "");

    EXPECT_EQ(ReadText("out/fw_textIDs.h"), "#define S_A_TEXT 1\r\n#define S_EMPTY 2\r\n");
    // Flags 0, tree size 12, one entry with the leaves 1 -> 0 and 2 -> 2, the pool "A" 0 0.
    EXPECT_EQ(test::Hex(test::ReadBytes("out/texts.bin")),
              "00 00 00 00 0C 00 00 00 00 00 00 80 02 00 00 80 01 00 02 00 41 00 00");
    EXPECT_EQ(FilesIn("out"), (std::vector<std::string>{"fw_textIDs.h", "texts.bin"}));
    // Neither saved nor backed up.
    EXPECT_EQ(test::ReadBytes("texts.strdef"), definitions);
    EXPECT_EQ(FilesIn("."), (std::vector<std::string>{"out", "texts.strdef"}));

    // Without --dir the working directory takes them.
    ASSERT_EQ(RunStrdef({"generate", "texts.strdef", "--no-script"}).Status, 0);
    EXPECT_EQ(test::ReadBytes("fw_textIDs.h"), test::ReadBytes("out/fw_textIDs.h"));
    EXPECT_EQ(test::ReadBytes("texts.bin"), test::ReadBytes("out/texts.bin"));
}

TEST_F(OutputCommands, GenerateRunsTheScriptInTheDirectoryAfterWritingUnlessTold)
{
    WriteDefinitions("texts.strdef", {{1, u"ONE", u"One", u"", 0, u""}, {2, u"TWO", u"Two", u"", 0, u""}});
    fs::create_directory("out");
    // The script sees both files complete.
    WriteScript("out/make_texts.bat", "cat fw_textIDs.h texts.bin | wc -c > ran.marker");

    Outcome outcome = RunStrdef({"generate", "texts.strdef", "--dir", "out", "--no-script"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_FALSE(fs::exists("out/ran.marker"));

    outcome = RunStrdef({"generate", "texts.strdef", "--dir", "out"});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out + outcome.Err, "");
    ASSERT_TRUE(fs::exists("out/ran.marker"));
    const std::size_t expected = fs::file_size("out/fw_textIDs.h") + fs::file_size("out/texts.bin");
    EXPECT_EQ(std::stoul(ReadText("out/ran.marker")), expected);
    EXPECT_FALSE(fs::exists("ran.marker"));

    // A failing script is a warning; the files are there all the same.
    WriteScript("out/make_texts.bat", "exit 3");
    outcome = RunStrdef({"generate", "texts.strdef", "--dir", "out"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Err, "strdef: warning: \"make_texts.bat\" ended with exit status 3\n");
}

TEST_F(OutputCommands, GenerateReportsWhatCannotBeWrittenAndRunsNoScriptThen)
{
    fs::create_directory("out");
    WriteScript("out/make_texts.bat", "touch ran.marker");

    // One definition: the header is written, "texts.bin" is not, the script is not run.
    WriteDefinitions("one.strdef", {{5, u"ONLY", u"Only", u"", 0, u""}});
    Outcome outcome = RunStrdef({"generate", "one.strdef", "--dir", "out"});
    EXPECT_TRUE(IsOneErrorLine(outcome, 1));
    EXPECT_EQ(outcome.Err, "strdef: \"texts.bin\" was not written: its text table needs at least two "
                           "definitions, and this file has 1.\n");
    EXPECT_EQ(ReadText("out/fw_textIDs.h"), "#define S_ONLY 5\r\n");
    EXPECT_EQ(FilesIn("out"), (std::vector<std::string>{"fw_textIDs.h", "make_texts.bat"}));

    // An identifier without an 8-bit form loses its line, with a warning, and the rest goes on.
    WriteDefinitions("wide.strdef", {{1, u"OK", u"a", u"", 0, u""}, {2, u"\u0416UK", u"b", u"", 0, u""}});
    outcome = RunStrdef({"generate", "wide.strdef", "--dir", "out"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Err, "strdef: warning: These identifiers have characters above U+00FF, which "
                           "\"fw_textIDs.h\" cannot hold; their lines were left out. Indexes: 2\n");
    EXPECT_EQ(ReadText("out/fw_textIDs.h"), "#define S_OK 1\r\n");
    EXPECT_TRUE(fs::exists("out/ran.marker"));

    // A directory that does not exist, a file that does not.
    outcome = RunStrdef({"generate", "one.strdef", "--dir", "missing", "--no-script"});
    EXPECT_TRUE(IsOneErrorLine(outcome, 1));
    EXPECT_TRUE(outcome.Err.starts_with("strdef: Can't write \"fw_textIDs.h\"; \"texts.bin\" was left as it "
                                        "was and \"make_texts.bat\" was not run. (cannot"))
        << outcome.Err;
    EXPECT_NE(outcome.Err.find("missing/fw_textIDs.h"), std::string::npos) << outcome.Err;
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"generate", "none.strdef", "--no-script"}), 1));
    EXPECT_FALSE(fs::exists("fw_textIDs.h"));
}

// ---------------------------------------------------------------------------------------------
// export and inspect

// The font that the window renders for the texts of `path`, and the table as read.
RenderedFont WindowFont(const fs::path& path, DefinitionTable& table)
{
    BlockTree tree;
    EXPECT_EQ(ReadDefinitionFile(path, tree, table).value().Result, ReadResult::ReadOk);
    CharacterSet characters;
    for (const auto& [index, definition] : table.Definitions) {
        StringDefinition copy = definition;
        characters.AddText(EffectiveText(copy));
    }
    RenderedFont font;
    EXPECT_TRUE(RenderFont(font, characters, OpenFontFile(kDejaVuSans)).Succeeded());
    return font;
}

// "U+0020-U+007E, U+00A9": the code points of a font's glyphs, runs joined.
std::string Ranges(const std::vector<char16_t>& codePoints)
{
    std::ostringstream text;
    text << std::hex << std::uppercase << std::setfill('0');
    for (std::size_t i = 0; i < codePoints.size();) {
        std::size_t last = i;
        while (last + 1 < codePoints.size() && codePoints[last + 1] == codePoints[last] + 1)
            ++last;
        text << (i == 0 ? "U+" : ", U+") << std::setw(4) << int{codePoints[i]};
        if (last > i)
            text << "-U+" << std::setw(4) << int{codePoints[last]};
        i = last + 1;
    }
    return text.str();
}

TEST_F(OutputCommands, ExportWritesTheWindowsBytesAndInspectReadsThemBack)
{
    WriteDefinitions("texts.strdef", {{1, u"HELLO", u"Hello", u"  Gr\u00FC\u00DFe\r\n", 1, u""},
                                      {2, u"TEMP", u"Temperature", u"W\u00E4rme", 0, u""},
                                      {3, u"BLANK", u"Default", u" \t ", 1, u""}});
    const Bytes definitions = test::ReadBytes("texts.strdef");
    const Outcome exported = RunStrdef({"export", "texts.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"});
    ASSERT_EQ(exported.Status, 0) << exported.Err;
    EXPECT_EQ(exported.Out + exported.Err, "");
    // The translations were trimmed only in memory.
    EXPECT_EQ(test::ReadBytes("texts.strdef"), definitions);
    EXPECT_EQ(FilesIn("."), (std::vector<std::string>{"out.ovtx", "texts.strdef"}));

    DefinitionTable table;
    const RenderedFont font = WindowFont("texts.strdef", table);
    const ExportFile expected = BuildExport(table, font).value();
    EXPECT_EQ(test::ReadBytes("out.ovtx"), expected.Bytes);

    const Outcome inspected = RunStrdef({"inspect", "out.ovtx"});
    ASSERT_EQ(inspected.Status, 0) << inspected.Err;
    EXPECT_EQ(inspected.Err, "");
    CharacterSet characters;
    for (const char16_t* text : {u"Gr\u00FC\u00DFe", u"Temperature", u"Default"})
        characters.AddText(text);
    const std::vector<char16_t> codePoints = characters.CodePoints();
    const auto block = [](const char* name, const BlockHeader& header) {
        std::ostringstream line;
        line << name << ": " << header.PackedSize << " bytes packed, " << header.RawSize
             << " bytes unpacked, checksum 0x" << std::hex << std::uppercase << std::setw(8)
             << std::setfill('0') << header.Checksum;
        return line.str();
    };
    EXPECT_EQ(Lines(inspected.Out),
              (std::vector<std::string>{
                  "firmware version: 1.10",
                  "glyphs: " + std::to_string(codePoints.size()) + " (" + Ranges(codePoints) + ")",
                  "texts: 2 (indexes 1, 3)",
                  "flags: 0x00000001 (NonBaseCharacter)",
                  block("font block", expected.FontBlock),
                  block("text block", expected.TextBlock),
              }));
    EXPECT_NE(inspected.Out.find("(U+0020-U+007E, U+00A9, U+00AB, "), std::string::npos);

    const Outcome json = RunStrdef({"inspect", "out.ovtx", "--json"});
    ASSERT_EQ(json.Status, 0) << json.Err;
    const nlohmann::json contents = nlohmann::json::parse(json.Out);
    EXPECT_EQ(contents.at("firmwareVersion"), 0x110);
    EXPECT_EQ(contents.at("firmwareVersionText"), "1.10");
    EXPECT_EQ(contents.at("flags"), 1);
    EXPECT_EQ(contents.at("fontBlock").at("packedSize"), expected.FontBlock.PackedSize);
    EXPECT_EQ(contents.at("textBlock").at("checksum"), expected.TextBlock.Checksum);
    EXPECT_EQ(contents.at("texts"), nlohmann::json::parse(R"([
        {"index": 1, "offset": 0, "terminated": true, "text": "Grüße"},
        {"index": 3, "offset": 8, "terminated": true, "text": "Default"}])"));
    const nlohmann::json& glyphs = contents.at("glyphs");
    ASSERT_EQ(glyphs.size(), codePoints.size());
    for (std::size_t i = 0; i < codePoints.size(); ++i) {
        const Glyph glyph = FindGlyph(font, codePoints[i]);
        EXPECT_EQ(glyphs[i].at("codePoint"), int{codePoints[i]});
        EXPECT_EQ(glyphs[i].at("advance"), glyph.Advance);
        EXPECT_EQ(glyphs[i].at("xOffset"), glyph.XOffset);
        EXPECT_EQ(glyphs[i].at("yOffset"), glyph.YOffset);
        EXPECT_EQ(glyphs[i].at("width"), glyph.Width);
        EXPECT_EQ(glyphs[i].at("height"), glyph.Height);
        EXPECT_EQ(glyphs[i].at("offset"), glyph.Pixels.data() - kGlyphHeaderSize - font.GlyphStore.data());
    }
    EXPECT_EQ(glyphs[0].at("character"), " ");
}

TEST_F(OutputCommands, InspectJsonKeepsUnpairedSurrogatesAsEscapes)
{
    WriteDefinitions("texts.strdef",
                     {{1, u"A", u"a", u"x\xD800y", 1, u""}, {2, u"B", u"b", u"\U0001F600", 1, u""}});
    ASSERT_EQ(RunStrdef({"export", "texts.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"}).Status, 0);
    const Outcome json = RunStrdef({"inspect", "out.ovtx", "--json"});
    ASSERT_EQ(json.Status, 0) << json.Err;
    EXPECT_NE(json.Out.find(R"("text": "x\ud800y"})"), std::string::npos) << json.Out;
    // A pair, stored as two three-byte halves, reads back as the character.
    EXPECT_NE(json.Out.find("\"text\": \"\U0001F600\"}"), std::string::npos) << json.Out;
}

TEST_F(OutputCommands, ExportWarnsOfItsLimitsAndWritesTheFileAllTheSame)
{
    // 64 texts of 1023 units fill the pool to its last byte; index 100 is left out.
    std::vector<StringDefinition> definitions;
    for (std::uint16_t index = 1; index <= 64; ++index)
        definitions.push_back({index, u"T", u"d", std::u16string(1023, u'a'), 1, u""});
    definitions.push_back({100, u"LATE", u"d", u"b", 1, u""});
    WriteDefinitions("texts.strdef", definitions);
    const Outcome outcome = RunStrdef({"export", "texts.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Out, "");
    EXPECT_EQ(
        Lines(outcome.Err),
        (std::vector<std::string>{
            "strdef: warning: Text data is too big to fit the max. size for Fw. 1.04! It is very probable "
            "that the Fw. can't load and use this file.",
            "strdef: warning: The texts do not fit into the 65,536 bytes of the text table; the file was "
            "written with the overflow flag set, and the device will not show these texts whole. Left "
            "out: 100",
        }));
    const Outcome inspected = RunStrdef({"inspect", "out.ovtx"});
    ASSERT_EQ(inspected.Status, 0) << inspected.Err;
    EXPECT_NE(inspected.Out.find("\nflags: 0x00000100 (PoolOverflow)\n"), std::string::npos) << inspected.Out;
}

TEST_F(OutputCommands, ExportFailuresAreOneLineAndCreateNoFile)
{
    WriteDefinitions("one.strdef", {{1, u"A", u"a", u"b", 1, u""}, {2, u"B", u"b", u"c", 0, u""}});
    WriteDefinitions("two.strdef", {{1, u"A", u"a", u"b", 1, u""}, {2, u"B", u"b", u"c", 1, u""}});
    const struct
    {
        std::vector<std::string> Args;
        std::string Says;
    } failures[] = {
        {{"export", "one.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"},
         "strdef: one.strdef: Nothing was exported: the file's text table needs at least two texts marked "
         "\"Translated\", and this file has 1.\n"},
        {{"export", "two.strdef", "--font", "Orvane No Such Family", "-o", "out.ovtx"},
         "Orvane No Such Family"},
        {{"export", "missing.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"}, "missing.strdef"},
        {{"export", "two.strdef", "--font", kDejaVuSans, "-o", "no/dir/out.ovtx"},
         "cannot create no/dir/out.ovtx"},
    };
    for (const auto& failure : failures) {
        const Outcome outcome = RunStrdef(failure.Args);
        EXPECT_TRUE(IsOneErrorLine(outcome, 1)) << failure.Args[1];
        EXPECT_NE(outcome.Err.find(failure.Says), std::string::npos) << outcome.Err;
        EXPECT_EQ(FilesIn("."), (std::vector<std::string>{"one.strdef", "two.strdef"}));
    }
}

// A small export built by the core: glyphs 'A' and 'B', texts 1 and 2.
Bytes SmallExport()
{
    const std::vector<std::uint8_t> ink = {255, 36};
    GlyphTableBuilder builder;
    builder.Add(u'A', Glyph{3, 0, 10, 2, 1, ink});
    builder.Add(u'B', Glyph{4, -1, 0, 1, 2, ink});
    DefinitionTable table;
    table.Definitions[1] = {1, u"HI", u"Hello", u"Hi", 1, u""};
    table.Definitions[2] = {2, u"YO", u"Yo", u"Yo!", 1, u""};
    return BuildExport(table, builder.Finish()).value().Bytes;
}

TEST_F(OutputCommands, InspectNamesThePlaceOfEveryDamage)
{
    const Bytes good = SmallExport();
    test::WriteBytes("good.ovtx", good);
    const Outcome fine = RunStrdef({"inspect", "good.ovtx"});
    ASSERT_EQ(fine.Status, 0) << fine.Err;
    EXPECT_NE(fine.Out.find("glyphs: 2 (U+0041-U+0042)\ntexts: 2 (indexes 1-2)\nflags: 0x00000000 (none)\n"),
              std::string::npos)
        << fine.Out;

    // Where the text block starts: after the font block's tag, header and packed bytes.
    const std::size_t fontPacked = good[12] | good[13] << 8;
    const std::size_t textTag = 24 + fontPacked;
    const struct
    {
        const char* Region;
        std::size_t Offset;
        std::string Says;
    } damages[] = {
        {"magic", 1, "bad.ovtx: not a font-and-text file: it does not start with \"ORVtex\""},
        {"format word", 6, "bad.ovtx: the format word at byte 6 is 0, not 1"},
        {"font tag", 11, "bad.ovtx: font block: the tag \"FO\" is missing at byte 10"},
        {"font checksum", 17, "bad.ovtx: font block: the checksum 0x"},
        {"font raw size", 20, "bad.ovtx: font block (packed from byte 24): "},
        {"font payload", 30, "bad.ovtx: font block"},
        {"text tag", textTag,
         "bad.ovtx: text block: the tag \"TD\" is missing at byte " + std::to_string(textTag)},
        {"text packed size", textTag + 2, "bad.ovtx: text block: "},
        {"text checksum", textTag + 6, "bad.ovtx: text block: the checksum 0x"},
        {"text payload", good.size() - 1, "bad.ovtx: text block"},
    };
    for (const auto& damage : damages) {
        Bytes bad = good;
        bad[damage.Offset] ^= damage.Offset == 6 ? 0x01 : 0x40;
        test::WriteBytes("bad.ovtx", bad);
        const Outcome outcome = RunStrdef({"inspect", "bad.ovtx"});
        EXPECT_TRUE(IsOneErrorLine(outcome, 1)) << damage.Region;
        EXPECT_TRUE(outcome.Err.starts_with("strdef: " + damage.Says))
            << damage.Region << ": " << outcome.Err;
        EXPECT_TRUE(IsOneErrorLine(RunStrdef({"inspect", "bad.ovtx", "--json"}), 1)) << damage.Region;
    }

    Bytes cut = good;
    cut.pop_back();
    test::WriteBytes("bad.ovtx", cut);
    Outcome outcome = RunStrdef({"inspect", "bad.ovtx"});
    EXPECT_TRUE(IsOneErrorLine(outcome, 1));
    EXPECT_NE(outcome.Err.find("text block: "), std::string::npos) << outcome.Err;
    EXPECT_NE(outcome.Err.find("but only"), std::string::npos) << outcome.Err;

    Bytes longer = good;
    longer.push_back(0);
    test::WriteBytes("bad.ovtx", longer);
    outcome = RunStrdef({"inspect", "bad.ovtx"});
    EXPECT_EQ(outcome.Err, "strdef: bad.ovtx: 1 bytes follow the text block at byte " +
                               std::to_string(good.size()) + "\n");

    // Larger than two blocks of the largest packed size: refused before it is read.
    {
        std::ofstream sparse("huge.ovtx");
    }
    fs::resize_file("huge.ovtx", 40'000'000);
    outcome = RunStrdef({"inspect", "huge.ovtx"});
    EXPECT_TRUE(IsOneErrorLine(outcome, 1));
    EXPECT_NE(outcome.Err.find("huge.ovtx: 40000000 bytes, more than a font-and-text file can hold"),
              std::string::npos)
        << outcome.Err;
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"inspect", "missing.ovtx"}), 1));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"inspect", "."}), 1));
}

// ---------------------------------------------------------------------------------------------
// check

// `count` code points from U+0100 on that DejaVu Sans maps, none of the device's codes among them.
std::u16string DejaVuCharacters(std::size_t count)
{
    const auto rasteriser = OpenFontFile(kDejaVuSans);
    const auto coverage = rasteriser.value()->UnicodeCoverage().value();
    std::u16string characters;
    for (const CodePointRange& range : coverage) {
        for (char32_t codePoint = std::max<char32_t>(range.First, 0x100);
             codePoint <= range.Last && codePoint < 0xD800 && characters.size() < count; ++codePoint) {
            if (codePoint != kWildcard)
                characters.push_back(static_cast<char16_t>(codePoint));
        }
    }
    return characters;
}

TEST_F(OutputCommands, CheckReportsEachProblemOfAFileExactlyOnce)
{
    const std::u16string wildcards(1023, u'\u25A1');
    std::vector<StringDefinition> definitions = {
        {1, u"FINE", u"Hello", u"Hallo", 1, u""},
        {2, u"MISSING", u"Menu \u4E2D", u"", 0, u""},
        // 1,500 characters that the face has: too wide, and they make the font block too big.
        {3, u"WIDE", DejaVuCharacters(1500), u"", 0, u""},
        {4, u"VALUE", u"Value \u0007", u"Wert", 1, u""},
        {5, u"BLANK", u"Blank", u"   ", 1, u""},
        {6, u"SAME", u"Service", u"Service", 1, u""},
        {7, u"EDGE", u"Edge", u"Kante\r\n", 1, u""},
        {8, u"HEAT", u"Heat", u"W\u00E4rme", 1, u""},
        {9, u"LONG", wildcards + u"\u25A1\u25A1d", wildcards + u"\u25A1\u25A1", 1, u""},
    };
    // Wildcards take three bytes each and no room: twenty texts fill the pool up to the last one.
    for (std::uint16_t index = 100; index < 120; ++index)
        definitions.push_back({index, u"FILL", wildcards + u"f", wildcards, 1, u""});
    definitions.push_back({200, u"CUT", wildcards + u"c", wildcards, 1, u""});
    WriteDefinitions("problems.strdef", definitions);

    const Outcome json =
        RunStrdef({"check", "problems.strdef", "--font", kDejaVuSans, "--max-width", "200", "--json"});
    EXPECT_EQ(json.Status, 1) << json.Err;
    EXPECT_EQ(json.Err, "");
    const nlohmann::json findings = nlohmann::json::parse(json.Out);
    std::map<std::string, int> kinds;
    for (const nlohmann::json& finding : findings) {
        ++kinds[finding.at("kind").get<std::string>()];
        EXPECT_EQ(finding.at("file"), "problems.strdef");
    }
    const std::map<std::string, int> once = {
        {"missing-glyph", 1},       {"too-wide", 1},        {"special-codes", 1},   {"blank-translation", 1},
        {"same-as-default", 1},     {"blank-edges", 1},     {"too-long", 1},        {"pool-overflow", 1},
        {"non-base-characters", 1}, {"font-block-size", 1}, {"text-block-size", 1},
    };
    EXPECT_EQ(kinds, once) << json.Out;
    const std::vector<nlohmann::json> expectedIndexes = {2, 3, 4, 5, 6, 7, 9, 200, nullptr, nullptr, nullptr};
    ASSERT_EQ(findings.size(), expectedIndexes.size());
    for (std::size_t i = 0; i < findings.size(); ++i)
        EXPECT_EQ(findings[i].at("index"), expectedIndexes[i]) << findings[i];
    EXPECT_EQ(findings[2], nlohmann::json::parse(R"({"file": "problems.strdef", "severity": "error",
        "kind": "special-codes", "index": 4, "identifier": "VALUE", "excerpt": "Wert",
        "message": "special codes differ: U+0007 (normal) 1 in the default text, 0 in the translation"})"));
    EXPECT_EQ(findings[8].at("identifier"), nullptr);
    EXPECT_EQ(findings[8].at("excerpt"), nullptr);
    EXPECT_EQ(findings[8].at("severity"), "warning");

    // The same findings as lines, then the counts.
    const Outcome text = RunStrdef({"check", "problems.strdef", "--font", kDejaVuSans, "--max-width", "200"});
    EXPECT_EQ(text.Status, 1);
    const std::vector<std::string> lines = Lines(text.Out);
    ASSERT_EQ(lines.size(), findings.size() + 1) << text.Out;
    EXPECT_EQ(lines[2],
              "problems.strdef: index 4 (S_VALUE): error: special codes differ: U+0007 (normal) 1 in "
              "the default text, 0 in the translation: \"Wert\"");
    EXPECT_EQ(lines[5],
              "problems.strdef: index 7 (S_EDGE): warning: the translation ends with \"\\r\\n\" where "
              "the default text ends with nothing; the export drops the blanks and line breaks at both "
              "ends of a translation, and the device draws one line: \"Kante\\r\\n\"");
    EXPECT_EQ(lines[8], "problems.strdef: warning: the text block is flagged NonBaseCharacter: 1 character "
                        "outside the base character set, U+00E4 (\u00E4), in 1 exported text (index 8)");
    EXPECT_EQ(lines.back(), "problems.strdef: 30 texts checked, 3 errors, 8 warnings");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string& message = findings[i].at("message").get_ref<const std::string&>();
        EXPECT_NE(lines[i].find(message), std::string::npos) << lines[i];
    }

    // Without --max-width the width is not checked.
    const Outcome unlimited = RunStrdef({"check", "problems.strdef", "--font", kDejaVuSans});
    EXPECT_EQ(Lines(unlimited.Out).back(), "problems.strdef: 30 texts checked, 2 errors, 8 warnings");
}

TEST_F(OutputCommands, CheckSucceedsWithWarningsOnlyAndEscapesWhatALineCannotShow)
{
    WriteDefinitions("texts.strdef",
                     {{1, u"ONE", u"One", u"Eins", 1, u""}, {2, u"TWO", u"Two", u"", 0, u""}});
    Outcome outcome = RunStrdef({"check", "texts.strdef", "--font", kDejaVuSans});
    EXPECT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out,
              "texts.strdef: warning: there is no export: its text table needs at least two texts "
              "marked \"Translated\", and this file has 1\n"
              "texts.strdef: 2 texts checked, 0 errors, 1 warning\n");
    EXPECT_EQ(outcome.Err, "");

    WriteDefinitions("clean.strdef",
                     {{1, u"ONE", u"One", u"Eins", 1, u""}, {2, u"TWO", u"Two", u"Zwei", 1, u""}});
    outcome = RunStrdef({"check", "clean.strdef", "--font", kDejaVuSans, "--json"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Out, "[]\n");

    // An unpaired surrogate has no glyph and no UTF-8 form; a line break in an identifier would split
    // the line.
    WriteDefinitions("odd.strdef",
                     {{1, u"A\nB", u"x", u"y\xDC00", 1, u""}, {2, u"TWO", u"Two", u"Zwei", 1, u""}});
    outcome = RunStrdef({"check", "odd.strdef", "--font", kDejaVuSans});
    EXPECT_EQ(outcome.Status, 1);
    EXPECT_EQ(Lines(outcome.Out)[0],
              "odd.strdef: index 1 (S_A?B): error: the font has no glyph for U+DC00; the "
              "device shows its missing-character box instead: \"y\\udc00\"");
    outcome = RunStrdef({"check", "odd.strdef", "--font", kDejaVuSans, "--json"});
    EXPECT_NE(outcome.Out.find(R"("identifier": "A\nB", "excerpt": "y\udc00")"), std::string::npos)
        << outcome.Out;

    outcome = RunStrdef({"check", "texts.strdef", "--font", "Orvane No Such Family"});
    EXPECT_TRUE(IsOneErrorLine(outcome, 1));
    EXPECT_NE(outcome.Err.find("Orvane No Such Family"), std::string::npos);
}

// ---------------------------------------------------------------------------------------------
// usage

TEST_F(OutputCommands, UsageErrorsAreStatusTwoAndEachSubcommandHasHelp)
{
    WriteDefinitions("texts.strdef", {{1, u"A", u"a", u"b", 1, u""}, {2, u"B", u"b", u"c", 1, u""}});
    const std::vector<std::string> misuses[] = {
        {"generate"},
        {"generate", "texts.strdef", "--dir"},
        {"generate", "texts.strdef", "--frob"},
        {"generate", "texts.strdef", "other.strdef"},
        {"export", "texts.strdef", "--font", kDejaVuSans},
        {"export", "texts.strdef", "-o", "out.ovtx"},
        {"inspect"},
        {"inspect", "a.ovtx", "--json", "--frob"},
        {"check", "texts.strdef"},
        {"check", "texts.strdef", "--font", kDejaVuSans, "--max-width", "wide"},
        {"check", "texts.strdef", "--font", kDejaVuSans, "--max-width", "0"},
        {"check", "texts.strdef", "--font", kDejaVuSans, "--max-width", "-5"},
        {"check", "texts.strdef", "--font", kDejaVuSans, "--max-width", "99999999999"},
    };
    for (const auto& misuse : misuses) {
        const Outcome outcome = RunStrdef(misuse);
        EXPECT_TRUE(IsOneErrorLine(outcome, 2)) << testing::PrintToString(misuse);
    }
    EXPECT_EQ(FilesIn("."), std::vector<std::string>{"texts.strdef"});

    for (const char* subcommand : {"generate", "export", "inspect", "check"}) {
        const Outcome help = RunStrdef({subcommand, "--help"});
        EXPECT_EQ(help.Status, 0);
        EXPECT_NE(help.Out.find(std::string("Usage: strdef ") + subcommand), std::string::npos) << help.Out;
    }
    const Outcome help = RunStrdef({"--help"});
    for (const char* subcommand : {"generate", "export", "inspect", "check"})
        EXPECT_NE(help.Out.find(std::string("  ") + subcommand + " "), std::string::npos) << help.Out;
}

} // namespace
} // namespace orv
