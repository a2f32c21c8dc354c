#include "cli/Cli.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "store/DefinitionDocument.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::ByteBuilder;
using test::Bytes;

// clang-format off
// The editor's smallest complete file: block "B" holding text item "T" for definition 1.
Bytes ExampleFile(std::uint32_t saveLock = 0)
{
    return ByteBuilder()
        .Byte({0xFF, 0xFE, 0xFF, 0x09})
        .U16('O').U16('R').U16('V').U16('s').U16('t').U16('r').U16('d').U16('e').U16('f')
        .U32(0)
        .U16(0).Utf16String(u"B").U32(0)
        .U16(1).Utf16String(u"T").U32(1)
        .U16(3).U16(0xFFFF)
        .U16(1).U16(1)
        .U32(0x3F).U16(1).Utf16String(u"X").Utf16String(u"D").Utf16String(u"").Utf16String(u"").U32(0)
        .Utf16String(u"ver").U16(0x110).Utf16String(u"foni").U32(saveLock).Utf16String(u"")
        .Take();
}
// clang-format on

constexpr const char* kExampleJson = R"({
  "result": 0,
  "countPrefix": 1,
  "firmwareVersion": 272,
  "saveLock": 0,
  "tree": [
    {"label": "B", "data": 0, "children": [{"label": "T", "data": 1, "children": []}]}
  ],
  "definitions": [
    {"key": 1, "index": 1, "identifier": "X", "defaultText": "D", )"
                                     R"("translation": "", "translated": 0, "description": ""}
  ]
}
)";

struct Outcome
{
    int Status;
    std::string Out;
    std::string Err;
};

class StrdefTest : public testing::Test
{
protected:
    static Outcome Run(const std::vector<std::string>& args)
    {
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCli(args, out, err);
        return {status, out.str(), err.str()};
    }

    static void WriteText(const std::string& name, const std::string& text)
    {
        test::WriteBytes(name, Bytes(text.begin(), text.end()));
    }

    static std::vector<std::string> FilesHere()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("."))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static testing::AssertionResult IsOneErrorLine(const std::string& text)
    {
        if (text.starts_with("strdef: ") && text.find('\n') == text.size() - 1)
            return testing::AssertionSuccess();
        return testing::AssertionFailure() << "not one \"strdef: \" line: " << text;
    }

    test::TemporaryDirectory Directory;
};

TEST_F(StrdefTest, DumpsTheEditorExample)
{
    test::WriteBytes("example.strdef", ExampleFile());
    const Outcome dump = Run({"dump", "example.strdef"});
    EXPECT_EQ(dump.Status, 0);
    EXPECT_EQ(dump.Out, kExampleJson);
    EXPECT_EQ(dump.Err, "");
}

TEST_F(StrdefTest, BuildsTheEditorExampleByteForByte)
{
    WriteText("example.json", R"({"tree": [{"label": "B", "data": 0,
                                            "children": [{"label": "T", "data": 1}]}],
        "definitions": [{"index": 1, "identifier": "X", "defaultText": "D", "translation": "",
                         "translated": 0, "description": ""}]})");
    const Outcome build = Run({"build", "example.json", "-o", "example.strdef"});
    ASSERT_EQ(build.Status, 0) << build.Err;
    EXPECT_EQ(build.Out + build.Err, "");
    EXPECT_EQ(test::Hex(test::ReadBytes("example.strdef")), test::Hex(ExampleFile()));
}

TEST_F(StrdefTest, BuildOrdersRecordsByKeyAndStoresOnlyTheIndex)
{
    WriteText("keys.json", R"({"countPrefix": 2, "firmwareVersion": 513, "saveLock": 5, "definitions": [
        {"key": 9, "index": 3, "identifier": "", "defaultText": "", "translation": "", "translated": 1,
         "description": ""},
        {"key": 4, "index": 8, "identifier": "", "defaultText": "", "translation": "", "translated": 0,
         "description": ""}]})");
    ASSERT_EQ(Run({"build", "keys.json", "-o", "keys.strdef"}).Status, 0);
    const auto record = [](ByteBuilder& bytes, std::uint16_t index, std::uint32_t translated) {
        bytes.U32(0x3F).U16(index);
        bytes.Utf16String(u"").Utf16String(u"").Utf16String(u"").Utf16String(u"").U32(translated);
    };
    ByteBuilder expected;
    expected.Utf16String(u"ORVstrdef").U32(0).U16(0xFFFF).U16(2).U16(2);
    record(expected, 8, 0);
    record(expected, 3, 1);
    expected.Utf16String(u"ver").U16(513).Utf16String(u"foni").U32(0).Utf16String(u"");
    EXPECT_EQ(test::Hex(test::ReadBytes("keys.strdef")), test::Hex(expected.Get()));
}

TEST_F(StrdefTest, DumpThenBuildKeepsAnEditorWrittenFile)
{
    BlockTree tree;
    BlockItem& block = tree.Append(nullptr, u"Men\u00FC \xD800 \xD83D\xDE00", 0);
    tree.Append(&block, u"tab\there \"q\" \\ \x01\x1F \xDC00\xD800", 0x00010005);
    tree.Append(nullptr, u"\u20AC\uFFFE\uFFFF \xDBFF\xDBFF\xDFFF", 7);
    DefinitionTable table;
    table.CountPrefix = 3;
    table.FirmwareVersion = 0x213;
    table.Definitions[10] = {
        5, u"ID\xDBFF", u"line\nbreak", u"\xD83D\xDE00", 0xFFFFFFFF, std::u16string(u"nul\0end", 7)};
    table.Definitions[20] = {12, u"S", u"", u"\u00E9", 1, u"\xDFFF"};
    const Bytes original = WriteDefinitionBytes(tree, table);
    test::WriteBytes("original.strdef", original);

    const Outcome dump = Run({"dump", "original.strdef"});
    ASSERT_EQ(dump.Status, 0) << dump.Err;
    WriteText("dumped.json", dump.Out);
    const Outcome build = Run({"build", "dumped.json", "-o", "rebuilt.strdef"});
    ASSERT_EQ(build.Status, 0) << build.Err;
    EXPECT_EQ(test::Hex(test::ReadBytes("rebuilt.strdef")), test::Hex(original));
}

TEST_F(StrdefTest, DumpOfAnIncompleteFilePrintsWhatWasReadAndFails)
{
    const Bytes example = ExampleFile();
    test::WriteBytes("cut.strdef", Bytes(example.begin(), example.begin() + 70));
    const Outcome cut = Run({"dump", "cut.strdef"});
    EXPECT_EQ(cut.Status, 1);
    EXPECT_TRUE(IsOneErrorLine(cut.Err));
    EXPECT_TRUE(cut.Err.starts_with("strdef: cut.strdef: incomplete: record 0 of 1: ")) << cut.Err;
    const auto json = nlohmann::json::parse(cut.Out);
    EXPECT_EQ(json["result"], 9);
    EXPECT_EQ(json["tree"][0]["children"][0]["label"], "T");
    EXPECT_EQ(json["definitions"].size(), 0u);

    test::WriteBytes("other.strdef", ByteBuilder().NarrowString("ORVstrdeg").U32(0).Take());
    const Outcome other = Run({"dump", "other.strdef"});
    EXPECT_EQ(other.Status, 1);
    EXPECT_EQ(other.Err, "strdef: other.strdef: not a definition file (wrong magic) (result 1)\n");
    EXPECT_EQ(nlohmann::json::parse(other.Out)["result"], 1);

    const Outcome missing = Run({"dump", "missing.strdef"});
    EXPECT_EQ(missing.Status, 1);
    EXPECT_EQ(missing.Out, "");
    EXPECT_EQ(missing.Err, "strdef: cannot open missing.strdef: No such file or directory\n");
}

TEST_F(StrdefTest, BuildRefusesBadInputAndWritesNothing)
{
    const std::string cases[] = {
        R"({"definitions": [)",
        R"({"definitions": [{"index": 70000}]})",
        R"({"definitions": [{"index": 1, "identifier": "", "defaultText": "", "translation": "",
                             "translated": 4294967296, "description": ""}]})",
        R"({"tree": [{"label": "\ud800", "data": 1}], "extra": 1})",
    };
    for (const std::string& json : cases) {
        WriteText("in.json", json);
        WriteText("out.strdef", "old");
        const Outcome build = Run({"build", "in.json", "-o", "out.strdef"});
        EXPECT_EQ(build.Status, 1) << json;
        EXPECT_TRUE(IsOneErrorLine(build.Err)) << json;
        EXPECT_TRUE(build.Err.starts_with("strdef: in.json: ")) << build.Err;
        EXPECT_EQ(test::ReadBytes("out.strdef"), Bytes({'o', 'l', 'd'}));
        EXPECT_EQ(FilesHere(), (std::vector<std::string>{"in.json", "out.strdef"}));
    }

    WriteText("in.json", "{}");
    const Outcome unwritable = Run({"build", "in.json", "-o", "no/such/dir.strdef"});
    EXPECT_EQ(unwritable.Status, 1);
    EXPECT_TRUE(unwritable.Err.starts_with("strdef: cannot create no/such/dir.strdef")) << unwritable.Err;
}

TEST_F(StrdefTest, UsageErrorsExitWithTwoAndHelpWithZero)
{
    const std::vector<std::string> misuses[] = {
        {}, {"frob"}, {"--frob"}, {"dump"}, {"dump", "a", "b"}, {"build", "in.json"}, {"resave", "--x", "f"},
    };
    for (const auto& args : misuses) {
        const Outcome outcome = Run(args);
        EXPECT_EQ(outcome.Status, 2) << outcome.Err;
        EXPECT_TRUE(IsOneErrorLine(outcome.Err));
        EXPECT_EQ(outcome.Out, "");
    }

    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.Status, 0);
    for (const char* subcommand : {"dump", "build", "resave"}) {
        EXPECT_NE(help.Out.find(subcommand), std::string::npos) << help.Out;
        const Outcome subcommandHelp = Run({subcommand, "--help"});
        EXPECT_EQ(subcommandHelp.Status, 0);
        EXPECT_NE(subcommandHelp.Out.find(std::string("Usage: strdef ") + subcommand), std::string::npos)
            << subcommandHelp.Out;
    }
}

TEST_F(StrdefTest, ResaveRewritesAFileFromAnotherProgramOnceThenFindsItUnchanged)
{
    // Another program's writer: 8-bit strings throughout, which the editor never writes.
    // clang-format off
    const Bytes foreign = ByteBuilder()
                              .NarrowString("ORVstrdef").U32(0)
                              .U16(0).NarrowString("Men\xFC").U32(0)
                              .U16(0xFFFF).U16(1).U16(1)
                              .U32(0x3F).U16(1).NarrowString("X").NarrowString("D").NarrowString("\x80")
                              .NarrowString("").U32(1)
                              .NarrowString("ver").U16(0x110).NarrowString("foni").U32(0).NarrowString("")
                              .Take();
    // clang-format on
    test::WriteBytes("defs.strdef", foreign);

    const Outcome first = Run({"resave", "defs.strdef"});
    ASSERT_EQ(first.Status, 0) << first.Err;
    EXPECT_EQ(first.Out, "saved (previous version kept as defs.strdef.bck1)\n");
    EXPECT_EQ(test::ReadBytes("defs.strdef.bck1"), foreign);
    EXPECT_EQ(Run({"dump", "defs.strdef"}).Out, Run({"dump", "defs.strdef.bck1"}).Out);

    const Outcome second = Run({"resave", "defs.strdef"});
    EXPECT_EQ(second.Status, 0) << second.Err;
    EXPECT_EQ(second.Out, "unchanged\n");
    EXPECT_EQ(FilesHere(), (std::vector<std::string>{"defs.strdef", "defs.strdef.bck1"}));
}

TEST_F(StrdefTest, ResaveRefusesLockedAndIncompleteFilesWithoutWritingAnything)
{
    test::WriteBytes("locked.strdef", ExampleFile(1));
    const Outcome locked = Run({"resave", "locked.strdef"});
    EXPECT_EQ(locked.Status, 1);
    EXPECT_EQ(locked.Err, std::string("strdef: locked.strdef: ") + kSaveLockWarning + "\n");
    EXPECT_EQ(test::ReadBytes("locked.strdef"), ExampleFile(1));

    const Bytes example = ExampleFile();
    test::WriteBytes("cut.strdef", Bytes(example.begin(), example.end() - 1));
    const Outcome cut = Run({"resave", "cut.strdef"});
    EXPECT_EQ(cut.Status, 1);
    EXPECT_TRUE(IsOneErrorLine(cut.Err));
    EXPECT_EQ(cut.Out, "");
    EXPECT_EQ(FilesHere(), (std::vector<std::string>{"cut.strdef", "locked.strdef"}));
}

TEST_F(StrdefTest, DeeplyNestedTreeSurvivesDumpAndBuild)
{
    constexpr std::uint32_t kDepth = 200'000;
    ByteBuilder file;
    file.Utf16String(u"ORVstrdef").U32(0).U16(0).Utf16String(u"L").U32(0);
    for (std::uint32_t level = 1; level < kDepth; ++level)
        file.U16(1).Utf16String(u"L").U32(level);
    for (std::uint32_t level = 1; level < kDepth; ++level)
        file.U16(3);
    file.U16(0xFFFF).U16(1).U16(0);
    file.Utf16String(u"ver").U16(0x110).Utf16String(u"foni").U32(0).Utf16String(u"");
    test::WriteBytes("deep.strdef", file.Get());

    const Outcome dump = Run({"dump", "deep.strdef"});
    ASSERT_EQ(dump.Status, 0) << dump.Err;
    WriteText("deep.json", dump.Out);
    const Outcome build = Run({"build", "deep.json", "-o", "rebuilt.strdef"});
    ASSERT_EQ(build.Status, 0) << build.Err;
    EXPECT_TRUE(test::ReadBytes("rebuilt.strdef") == file.Get());
}

} // namespace
} // namespace orv
