#include <filesystem>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliTestSupport.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::FilesIn;
using test::IsOneErrorLine;
using test::kDejaVuSans;
using test::Lines;
using test::Outcome;
using test::RunQuietly;
using test::RunStrdef;

void WriteScript(const fs::path& path, const std::string& body)
{
    const std::string text = "#!/bin/sh\n" + body + "\n";
    test::WriteBytes(path, Bytes(text.begin(), text.end()));
    fs::permissions(path, fs::perms::owner_all);
}

class OutputCommands : public testing::Test
{
protected:
    test::TemporaryDirectory Directory;
};

TEST_F(OutputCommands, GenerateWritesTheSourcesThenRunsTheScriptUnlessTold)
{
    test::WriteDefinitions("texts.strdef",
                           {{1, u"ONE", u"One", u"", 0, u""}, {2, u"TWO", u"Two", u"", 0, u""}});
    const Bytes definitions = test::ReadBytes("texts.strdef");
    fs::create_directory("out");
    WriteScript("out/make_texts.bat", "touch ran");
    EXPECT_EQ(RunQuietly({"generate", "texts.strdef", "--dir", "out", "--no-script"}), "");
    EXPECT_EQ(FilesIn("out"), (std::vector<std::string>{"fw_textIDs.h", "make_texts.bat", "texts.bin"}));
    EXPECT_EQ(RunQuietly({"generate", "texts.strdef", "--dir", "out"}), "");
    EXPECT_TRUE(fs::exists("out/ran"));
    EXPECT_EQ(test::ReadBytes("texts.strdef"), definitions);
    EXPECT_EQ(FilesIn(), (std::vector<std::string>{"out", "texts.strdef"}));

    // A failing script is a warning; too few definitions for the table an error, and no script runs.
    WriteScript("out/make_texts.bat", "exit 3");
    const Outcome outcome = RunStrdef({"generate", "texts.strdef", "--dir", "out"});
    EXPECT_EQ(outcome.Status, 0);
    EXPECT_EQ(outcome.Err, "strdef: warning: \"make_texts.bat\" ended with exit status 3\n");
    test::WriteDefinitions("one.strdef", {{5, u"ONLY", u"Only", u"", 0, u""}});
    WriteScript("out/make_texts.bat", "touch ran.again");
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"generate", "one.strdef", "--dir", "out"}), 1));
    EXPECT_FALSE(fs::exists("out/ran.again"));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"generate", "missing.strdef", "--no-script"}), 1));
}

TEST_F(OutputCommands, ExportWritesTheFileQuietlyAndInspectSummarisesIt)
{
    test::WriteDefinitions("texts.strdef", {{1, u"HELLO", u"Hello", u"  Gr\u00FC\u00DFe\r\n", 1, u""},
                                            {2, u"ODD", u"Odd", u"x\xD800y", 1, u""},
                                            {3, u"TEMP", u"Temperature", u"W\u00E4rme", 0, u""}});
    const Bytes definitions = test::ReadBytes("texts.strdef");
    EXPECT_EQ(RunQuietly({"export", "texts.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"}), "");
    EXPECT_EQ(test::ReadBytes("texts.strdef"), definitions); // trimmed for the export only

    const std::vector<std::string> lines = Lines(RunQuietly({"inspect", "out.ovtx"}));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "firmware version: 1.10");
    EXPECT_TRUE(lines[1].starts_with("glyphs: ")) << lines[1];
    EXPECT_EQ(lines[2], "texts: 2 (indexes 1-2)");
    EXPECT_EQ(lines[3], "flags: 0x00000001 (NonBaseCharacter)");
    EXPECT_TRUE(lines[4].starts_with("font block: ") && lines[5].starts_with("text block: "));

    const std::string json = RunQuietly({"inspect", "out.ovtx", "--json"});
    EXPECT_TRUE(json.starts_with("{\n  \"firmwareVersion\": 272,\n  \"firmwareVersionText\": \"1.10\",\n"))
        << json;
    // An unpaired surrogate is a text of code units, as dump writes it.
    EXPECT_NE(json.find(R"({"index":2,"offset":8,"terminated":true,"text":{"utf16":[120,55296,121]}})"),
              std::string::npos)
        << json;
    EXPECT_EQ(nlohmann::json::parse(json).at("texts")[0].at("text"), "Grüße");
}

TEST_F(OutputCommands, ExportAndInspectFailuresAreOneLineAndCreateNoFile)
{
    test::WriteDefinitions("one.strdef", {{1, u"A", u"a", u"b", 1, u""}, {2, u"B", u"b", u"c", 0, u""}});
    const Outcome one = RunStrdef({"export", "one.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"});
    EXPECT_TRUE(IsOneErrorLine(one, 1));
    EXPECT_TRUE(one.Err.starts_with("strdef: one.strdef: Nothing was exported")) << one.Err;
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"export", "missing.strdef", "--font", kDejaVuSans, "-o", "o"}), 1));

    test::WriteBytes("bad.ovtx", {'O', 'R', 'V', 't', 'e', 'x', 1, 0});
    const Outcome bad = RunStrdef({"inspect", "bad.ovtx", "--json"});
    EXPECT_TRUE(IsOneErrorLine(bad, 1));
    EXPECT_TRUE(bad.Err.starts_with("strdef: bad.ovtx: ")) << bad.Err;
    // Larger than two blocks of the largest packed size: refused before it is read.
    test::WriteBytes("huge.ovtx", {});
    fs::resize_file("huge.ovtx", 40'000'000);
    const Outcome huge = RunStrdef({"inspect", "huge.ovtx"});
    EXPECT_TRUE(IsOneErrorLine(huge, 1));
    EXPECT_TRUE(
        huge.Err.starts_with("strdef: huge.ovtx: 40000000 bytes, more than a font-and-text file can hold"))
        << huge.Err;
    EXPECT_EQ(FilesIn(), (std::vector<std::string>{"bad.ovtx", "huge.ovtx", "one.strdef"}));
}

TEST_F(OutputCommands, CheckPrintsALinePerFindingAndFailsOnErrors)
{
    // Index 1: no glyph for U+4E2D (an error) and a line break in the identifier, which would split the
    // line (a warning); index 2: a blank translation (a warning); index 3: an unpaired surrogate (an
    // error, and a character outside the base set for the whole file).
    test::WriteDefinitions("texts.strdef", {{1, u"A\nB", u"Menu \u4E2D", u"", 0, u""},
                                            {2, u"BLANK", u"Blank", u"   ", 1, u""},
                                            {3, u"ODD", u"Odd", u"y\xDC00", 1, u""}});
    const Outcome text = RunStrdef({"check", "texts.strdef", "--font", kDejaVuSans, "--max-width", "5000"});
    EXPECT_EQ(text.Status, 1) << text.Err;
    EXPECT_EQ(text.Err, "");
    const std::vector<std::string> lines = Lines(text.Out);
    ASSERT_EQ(lines.size(), 6u) << text.Out;
    EXPECT_TRUE(lines[0].starts_with("texts.strdef: index 1 (S_A?B): error: ")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(": \"Menu \u4E2D\"")) << lines[0];
    EXPECT_TRUE(lines[2].starts_with("texts.strdef: index 2 (S_BLANK): warning: ")) << lines[2];
    EXPECT_TRUE(lines[3].ends_with(": \"y\uFFFD\"")) << lines[3];
    EXPECT_TRUE(lines[4].starts_with("texts.strdef: warning: ")) << lines[4];
    EXPECT_EQ(lines[5], "texts.strdef: 3 texts checked, 2 errors, 3 warnings");

    const Outcome json = RunStrdef({"check", "texts.strdef", "--font", kDejaVuSans, "--json"});
    EXPECT_EQ(json.Status, 1);
    EXPECT_TRUE(json.Out.starts_with(
        R"([
  {"file":"texts.strdef","severity":"error","kind":"missing-glyph","index":1,"identifier":"A\nB",)"))
        << json.Out;
    const nlohmann::json findings = nlohmann::json::parse(json.Out);
    ASSERT_EQ(findings.size(), 5u);
    EXPECT_EQ(findings[3].at("excerpt"), nlohmann::json::parse(R"({"utf16": [121, 56320]})"));
    EXPECT_EQ(findings[4].at("index"), nullptr);
    EXPECT_EQ(findings[4].at("identifier"), nullptr);
    EXPECT_EQ(findings[4].at("excerpt"), nullptr);

    // A clean file prints an empty array.
    test::WriteDefinitions("clean.strdef",
                           {{1, u"ONE", u"One", u"Eins", 1, u""}, {2, u"TWO", u"Two", u"Zwei", 1, u""}});
    EXPECT_EQ(RunQuietly({"check", "clean.strdef", "--font", kDejaVuSans, "--json"}), "[]\n");
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"check", "clean.strdef", "--font", "Orvane No Such Family"}), 1));
}

} // namespace
} // namespace orv
