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

    // A failing script is a warning; too few definitions for the table an error, and no script runs.
    WriteScript("out/make_texts.bat", "exit 3");
    const Outcome outcome = RunStrdef({"generate", "texts.strdef", "--dir", "out"});
    EXPECT_EQ(std::pair(outcome.Status, outcome.Err),
              std::pair(0, std::string("strdef: warning: \"make_texts.bat\" ended with exit status 3\n")));
    test::WriteDefinitions("one.strdef", {{5, u"ONLY", u"Only", u"", 0, u""}});
    WriteScript("out/make_texts.bat", "touch ran.again");
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"generate", "one.strdef", "--dir", "out"}), 1));
    EXPECT_FALSE(fs::exists("out/ran.again"));
}

TEST_F(OutputCommands, ExportWritesTheFileQuietlyAndInspectSummarisesIt)
{
    test::WriteDefinitions("texts.strdef", {{1, u"HELLO", u"Hello", u"  Gr\u00FC\u00DFe\r\n", 1, u""},
                                            {2, u"ODD", u"Odd", u"x\xD800y", 1, u""}});
    const Bytes definitions = test::ReadBytes("texts.strdef");
    EXPECT_EQ(RunQuietly({"export", "texts.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"}), "");
    EXPECT_EQ(test::ReadBytes("texts.strdef"), definitions); // trimmed for the export only

    const std::vector<std::string> lines = Lines(RunQuietly({"inspect", "out.ovtx"}));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(std::tuple(lines[0], lines[2], lines[3]),
              std::tuple("firmware version: 1.10", "texts: 2 (indexes 1-2)",
                         "flags: 0x00000001 (NonBaseCharacter)"));
    EXPECT_TRUE(lines[1].starts_with("glyphs: ") && lines[4].starts_with("font block: ") &&
                lines[5].starts_with("text block: "));

    // An unpaired surrogate is a text of code units, as dump writes it.
    const std::string json = RunQuietly({"inspect", "out.ovtx", "--json"});
    EXPECT_TRUE(json.starts_with("{\n  \"firmwareVersion\": 272,\n  \"firmwareVersionText\": \"1.10\",\n"))
        << json;
    EXPECT_NE(json.find(R"({"index":2,"offset":8,"terminated":true,"text":{"utf16":[120,55296,121]}})"),
              std::string::npos)
        << json;
}

TEST_F(OutputCommands, FailuresAreOneLineWithStatusOneAndCreateNoFile)
{
    test::WriteDefinitions("one.strdef", {{1, u"A", u"a", u"b", 1, u""}, {2, u"B", u"b", u"c", 0, u""}});
    test::WriteBytes("bad.ovtx", {'O', 'R', 'V', 't', 'e', 'x', 1, 0});
    // Larger than two blocks of the largest packed size: refused before it is read.
    test::WriteBytes("huge.ovtx", {});
    fs::resize_file("huge.ovtx", 40'000'000);
    const std::pair<std::vector<std::string>, std::string> failures[] = {
        {{"export", "one.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"},
         "strdef: one.strdef: Nothing was exported"},
        {{"export", "missing.strdef", "--font", kDejaVuSans, "-o", "out.ovtx"}, "missing.strdef"},
        {{"inspect", "bad.ovtx", "--json"}, "strdef: bad.ovtx: "},
        {{"inspect", "huge.ovtx"},
         "strdef: huge.ovtx: 40000000 bytes, more than a font-and-text file can hold"},
        {{"generate", "missing.strdef", "--no-script"}, "missing.strdef"},
        {{"check", "one.strdef", "--font", "Orvane No Such Family"}, "Orvane No Such Family"},
    };
    for (const auto& [args, says] : failures) {
        const Outcome outcome = RunStrdef(args);
        EXPECT_TRUE(IsOneErrorLine(outcome, 1)) << args[0] << " " << args[1];
        EXPECT_NE(outcome.Err.find(says), std::string::npos) << outcome.Err;
    }
    EXPECT_EQ(FilesIn(), (std::vector<std::string>{"bad.ovtx", "huge.ovtx", "one.strdef"}));
}

TEST_F(OutputCommands, CheckPrintsALinePerFindingAndASummaryAndFailsOnErrors)
{
    // Index 1: no glyph for U+4E2D (an error) and a line break in the identifier (a warning); index 3:
    // an unpaired surrogate (an error, and a character outside the base set for the whole file).
    test::WriteDefinitions("texts.strdef", {{1, u"A\nB", u"Menu \u4E2D", u"", 0, u""},
                                            {2, u"TWO", u"Two", u"Zwei", 1, u""},
                                            {3, u"ODD", u"Odd", u"y\xDC00", 1, u""}});
    const Outcome text = RunStrdef({"check", "texts.strdef", "--font", kDejaVuSans, "--max-width", "5000"});
    EXPECT_EQ(std::pair(text.Status, text.Err), std::pair(1, std::string()));
    const std::vector<std::string> lines = Lines(text.Out);
    ASSERT_EQ(lines.size(), 5u) << text.Out;
    EXPECT_TRUE(lines[0].starts_with("texts.strdef: index 1 (S_A?B): error: ")) << lines[0];
    EXPECT_TRUE(lines[0].ends_with(": \"Menu \u4E2D\"")) << lines[0];
    EXPECT_TRUE(lines[1].starts_with("texts.strdef: index 1 (S_A?B): warning: ")) << lines[1];
    EXPECT_TRUE(lines[2].ends_with(": \"y\uFFFD\"")) << lines[2];
    EXPECT_TRUE(lines[3].starts_with("texts.strdef: warning: ")) << lines[3];
    EXPECT_EQ(lines[4], "texts.strdef: 3 texts checked, 2 errors, 2 warnings");

    const Outcome json = RunStrdef({"check", "texts.strdef", "--font", kDejaVuSans, "--json"});
    EXPECT_EQ(json.Status, 1);
    EXPECT_TRUE(json.Out.starts_with(
        R"([
  {"file":"texts.strdef","severity":"error","kind":"missing-glyph","index":1,"identifier":"A\nB",)"))
        << json.Out;
    const nlohmann::json findings = nlohmann::json::parse(json.Out);
    ASSERT_EQ(findings.size(), 4u);
    EXPECT_EQ(findings[2].at("excerpt"), nlohmann::json::parse(R"({"utf16": [121, 56320]})"));
    const nlohmann::json& file = findings[3];
    EXPECT_EQ(std::tuple(file.at("index"), file.at("identifier"), file.at("excerpt")),
              std::tuple(nullptr, nullptr, nullptr));

    // A clean file prints an empty array.
    test::WriteDefinitions("clean.strdef",
                           {{1, u"ONE", u"One", u"Eins", 1, u""}, {2, u"TWO", u"Two", u"Zwei", 1, u""}});
    EXPECT_EQ(RunQuietly({"check", "clean.strdef", "--font", kDejaVuSans, "--json"}), "[]\n");
}

} // namespace
} // namespace orv
