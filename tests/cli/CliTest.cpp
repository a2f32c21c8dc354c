#include "cli/Cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "CliTestSupport.h"
#include "store/DefinitionDocument.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::ByteBuilder;
using test::Bytes;
using test::FilesIn;
using test::IsOneErrorLine;
using test::Outcome;
using test::RunQuietly;
using test::RunStrdef;

// Writes "small.strdef", definition 1 shown by text item "X" in block "Block" as the editor writes it,
// locked against saving when `saveLock` is set, and returns its bytes.
Bytes SmallFile(std::uint8_t saveLock = 0)
{
    test::WriteDefinitions("small.strdef", {{1, u"X", u"D", u"", 0, u""}});
    Bytes bytes = test::ReadBytes("small.strdef");
    bytes[bytes.size() - 8] = saveLock; // the lock word's low byte, before the empty tag
    test::WriteBytes("small.strdef", bytes);
    return bytes;
}

void WriteText(const std::string& name, const std::string& text)
{
    test::WriteBytes(name, Bytes(text.begin(), text.end()));
}

// Writes `file`, dumps it, builds the dump and returns the bytes built.
Bytes DumpAndBuild(const Bytes& file)
{
    test::WriteBytes("original.strdef", file);
    WriteText("dumped.json", RunQuietly({"dump", "original.strdef"}));
    EXPECT_EQ(RunQuietly({"build", "dumped.json", "-o", "rebuilt.strdef"}), "");
    return test::ReadBytes("rebuilt.strdef");
}

class Strdef : public testing::Test
{
protected:
    test::TemporaryDirectory Directory;
};

TEST_F(Strdef, UsageErrorsAreOneLineWithStatusTwoAndTouchNothing)
{
    const std::string font = test::kDejaVuSans;
    // clang-format off
    std::vector<std::vector<std::string>> misuses = {
        {}, {"frob"}, {"--frob"}, {"dump"}, {"dump", "a.strdef", "b.strdef"}, {"dump", "a.strdef", "--version"},
        {"build", "in.json"}, {"resave", "--x", "a.strdef"}, {"merge", "a.strdef"}, {"glyphs", "a.strdef", "--font", font},
        {"generate", "a.strdef", "--dir"}, {"export", "a.strdef", "--font", font}, {"inspect"}, {"check", "a.strdef"},
        {"check", "a.strdef", "--font", font, "--max-width", "0"},
        {"check", "a.strdef", "--font", font, "--max-width", "1000001"},
    };
    const std::vector<std::string> previewMisuses[] = {
        {}, {"--index", "1", "--text", "x"}, {"--index", "65536"}, {"--index", "1", "--zoom", "2"},
        {"--index", "1", "--size", "0x5"}, {"--index", "1", "--size", "5x4097"},
    };
    // clang-format on
    for (const auto& extra : previewMisuses) {
        misuses.push_back({"preview", "a.strdef", "--font", font, "-o", "out.png"});
        misuses.back().insert(misuses.back().end(), extra.begin(), extra.end());
    }
    for (const auto& args : misuses) {
        const Outcome outcome = RunStrdef(args);
        EXPECT_TRUE(IsOneErrorLine(outcome, 2)) << testing::PrintToString(args);
        EXPECT_TRUE(outcome.Err.ends_with(" --help')\n")) << outcome.Err;
    }
    EXPECT_EQ(RunStrdef({"frob"}).Err, "strdef: unknown subcommand 'frob' (see 'strdef --help')\n");
    EXPECT_EQ(FilesIn(), std::vector<std::string>{});
}

TEST_F(Strdef, HelpListsEverySubcommandAndEachHasItsOwn)
{
    const std::string help = RunQuietly({"--help"});
    for (const char* subcommand : {"dump", "build", "resave", "merge", "preview", "glyphs", "generate",
                                   "export", "inspect", "check"}) {
        EXPECT_NE(help.find(std::string("  ") + subcommand + " "), std::string::npos) << subcommand;
        EXPECT_NE(RunQuietly({subcommand, "--help"}).find(std::string("\nUsage: strdef ") + subcommand),
                  std::string::npos);
    }
}

TEST_F(Strdef, DumpPrintsOneLinePerItemAndDefinitionAndWhatAFailedReadGot)
{
    const Bytes small = SmallFile();
    EXPECT_EQ(RunQuietly({"dump", "small.strdef"}), R"({
  "result": 0,
  "countPrefix": 1,
  "firmwareVersion": 272,
  "saveLock": 0,
  "tree": [
    {"label":"Block","data":0,"children":[{"label":"X","data":1,"children":[]}]}
  ],
  "definitions": [
    {"key":1,"index":1,"identifier":"X","defaultText":"D","translation":"","translated":0,"description":""}
  ]
}
)");

    test::WriteBytes("cut.strdef", Bytes(small.begin(), small.begin() + 70));
    const Outcome cut = RunStrdef({"dump", "cut.strdef"});
    EXPECT_TRUE(IsOneErrorLine({cut.Status, "", cut.Err}, 1));
    EXPECT_TRUE(cut.Err.starts_with("strdef: cut.strdef: incomplete: ")) << cut.Err;
    EXPECT_EQ(nlohmann::json::parse(cut.Out).at("result"), 9);
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"dump", "missing.strdef"}), 1));
}

TEST_F(Strdef, BuildWritesTheEditorsBytesOrNothing)
{
    const Bytes small = SmallFile();
    WriteText(
        "small.json",
        R"({"result": 9, "saveLock": 4294967295, "tree": [{"label": "Block", "data": -0, "children": [{"label": "X", "data": 1}]}],
        "definitions": [{"index": 1, "identifier": "X", "defaultText": "D", "translation": "",
                         "translated": 0, "description": ""}]})");
    EXPECT_EQ(RunQuietly({"build", "small.json", "-o", "built.strdef"}), "");
    EXPECT_EQ(test::Hex(test::ReadBytes("built.strdef")), test::Hex(small));

    WriteText("bad.json", R"({"definitions": [{"index": 70000}]})");
    const Outcome bad = RunStrdef({"build", "bad.json", "-o", "small.strdef"});
    EXPECT_TRUE(IsOneErrorLine(bad, 1));
    EXPECT_EQ(bad.Err, "strdef: bad.json: definitions[0].index: 70000 is out of range 0..65535\n");
    EXPECT_EQ(test::ReadBytes("small.strdef"), small);
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"build", "small.json", "-o", "no/dir/out.strdef"}), 1));
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"build", "missing.json", "-o", "out.strdef"}), 1));
    EXPECT_EQ(FilesIn(),
              (std::vector<std::string>{"bad.json", "built.strdef", "small.json", "small.strdef"}));
}

TEST_F(Strdef, DumpThenBuildGivesBackAnyFileWithUnpairedSurrogatesZerosAndDeepTrees)
{
    BlockTree tree;
    BlockItem& block = tree.Append(nullptr, u"Men\u00FC \xD800 \xD83D\xDE00", 0);
    tree.Append(&block, u"tab\there \"q\" \\ \x01\x1F \xDC00\xD800", 0x00010005);
    DefinitionTable table{3, 0x213, 0, {}};
    table.Definitions[10] = {5, u"ID\xDBFF", u"line\nbreak", u"\xD83D\xDE00", 0xFFFFFFFF, {u"nul\0end", 7}};
    table.Definitions[20] = {12, u"S", u"\u20AC\uFFFE\uFFFF", u"\u00E9", 1, u"\xDFFF"};
    const Bytes original = WriteDefinitionBytes(tree, table);
    EXPECT_EQ(test::Hex(DumpAndBuild(original)), test::Hex(original));
    // Valid texts stay strings; only the ones with an unpaired surrogate become code units.
    const std::string dump = RunQuietly({"dump", "original.strdef"});
    EXPECT_NE(dump.find(R"("description":"nul\u0000end")"), std::string::npos) << dump;
    EXPECT_NE(dump.find(R"("description":{"utf16":[57343]})"), std::string::npos) << dump;

    // A chain of 200,000 items, each the child of the one before.
    BlockTree deep;
    BlockItem* parent = nullptr;
    for (std::uint32_t level = 0; level < 200'000; ++level)
        parent = &deep.Append(parent, u"L", level);
    const Bytes chain = WriteDefinitionBytes(deep, DefinitionTable{});
    EXPECT_TRUE(DumpAndBuild(chain) == chain);
}

TEST_F(Strdef, ResaveSavesOnceThenFindsTheFileUnchangedAndRefusesALockedOne)
{
    // 8-bit strings, which the editor reads but never writes.
    // clang-format off
    test::WriteBytes("defs.strdef", ByteBuilder().NarrowString("ORVstrdef").U32(0).U16(0xFFFF).U16(1).U16(0)
        .NarrowString("ver").U16(0x110).NarrowString("foni").U32(0).NarrowString("").Take());
    // clang-format on
    EXPECT_EQ(RunQuietly({"resave", "defs.strdef"}), "saved (previous version kept as defs.strdef.bck1)\n");
    EXPECT_EQ(RunQuietly({"resave", "defs.strdef"}), "unchanged\n");

    SmallFile(1);
    const Outcome locked = RunStrdef({"resave", "small.strdef"});
    EXPECT_TRUE(IsOneErrorLine(locked, 1));
    EXPECT_EQ(locked.Err, std::string("strdef: small.strdef: ") + kSaveLockWarning + "\n");
    EXPECT_TRUE(IsOneErrorLine(RunStrdef({"resave", "missing.strdef"}), 1));
    EXPECT_EQ(FilesIn(), (std::vector<std::string>{"defs.strdef", "defs.strdef.bck1", "small.strdef"}));
}

TEST_F(Strdef, MergePrintsEachCountOnItsLineAndSavesUnlessDryRunOrRefused)
{
    test::WriteDefinitions("loaded.strdef",
                           {{1, u"A", u"Same", u"Gleich", 1, u""}, {2, u"B", u"b", u"", 0, u""}});
    test::WriteDefinitions("newer.strdef", {{1, u"A", u"Same", u"", 0, u""}, {3, u"C", u"c", u"", 0, u""}});
    test::WriteDefinitions("older.strdef", {{1, u"A", u"Same", u"", 0, u""}}, 0x104);
    const Bytes before = test::ReadBytes("loaded.strdef");
    const std::string summary = "1 texts kept with their translation\n"
                                "0 translations unmarked because the default text changed\n"
                                "1 texts new in newer.strdef\n"
                                "1 texts removed\n";

    EXPECT_EQ(RunQuietly({"merge", "loaded.strdef", "newer.strdef", "--dry-run"}), summary);
    for (const char* refused : {"older.strdef", "./loaded.strdef"})
        EXPECT_TRUE(IsOneErrorLine(RunStrdef({"merge", "loaded.strdef", refused}), 1)) << refused;
    EXPECT_EQ(test::ReadBytes("loaded.strdef"), before);
    EXPECT_EQ(FilesIn(), (std::vector<std::string>{"loaded.strdef", "newer.strdef", "older.strdef"}));

    EXPECT_EQ(RunQuietly({"merge", "loaded.strdef", "newer.strdef"}),
              summary + "saved (previous version kept as loaded.strdef.bck1)\n");
}

} // namespace
} // namespace orv
