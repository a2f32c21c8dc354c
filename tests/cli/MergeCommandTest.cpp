#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "cli/Cli.h"
#include "store/DefinitionFile.h"
#include "store/DefinitionSaving.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::IsOneErrorLine;
using test::kDejaVuSans;
using test::Outcome;
using test::RunStrdef;

// Writes a definition file with one block holding a text item per definition.
void WriteDefinitions(const fs::path& path, std::uint16_t version,
                      const std::vector<StringDefinition>& definitions, std::uint32_t saveLock = 0)
{
    BlockTree tree;
    DefinitionTable table;
    table.FirmwareVersion = version;
    BlockItem& block = tree.Append(nullptr, u"Block " + std::u16string(1, char16_t(u'0' + version % 10)), 0);
    for (const StringDefinition& definition : definitions) {
        table.Definitions[definition.Index] = definition;
        tree.Append(&block, definition.Identifier, definition.Index);
    }
    std::vector<std::uint8_t> bytes = WriteDefinitionBytes(tree, table);
    if (saveLock) {
        // The lock word is the last four bytes before the empty tag.
        for (int i = 0; i < 4; ++i)
            bytes[bytes.size() - 8 + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(saveLock >> (8 * i));
    }
    test::WriteBytes(path, bytes);
}

ReadOutcome ReadBack(const fs::path& path, BlockTree& tree, DefinitionTable& table)
{
    return ReadDefinitionFile(path, tree, table).value();
}

class MergeCommand : public testing::Test
{
protected:
    test::TemporaryDirectory Directory;

    void SetUp() override
    {
        WriteDefinitions("loaded.strdef", 0x110,
                         {{1, u"KEEP", u"Same", u"Gleich", 1, u""},
                          {2, u"CHANGED", u"Old", u"Alt", 1, u""},
                          {3, u"GONE", u"Gone", u"Weg", 1, u""}});
        WriteDefinitions("newer.strdef", 0x111,
                         {{1, u"KEEP", u"Same", u"", 0, u"note"},
                          {2, u"CHANGED", u"New", u"", 0, u""},
                          {4, u"ADDED", u"Added", u"", 0, u""}});
    }
};

TEST_F(MergeCommand, MergesSavesWithABackupAndSummarises)
{
    const auto before = test::ReadBytes("loaded.strdef");
    const auto newer = test::ReadBytes("newer.strdef");
    const Outcome outcome = RunStrdef({"merge", "loaded.strdef", "newer.strdef"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_EQ(outcome.Out, "1 texts kept with their translation\n"
                           "1 translations unmarked because the default text changed\n"
                           "1 texts new in newer.strdef\n"
                           "1 texts removed\n"
                           "saved (previous version kept as loaded.strdef.bck1)\n");
    EXPECT_EQ(test::ReadBytes(BackupPath("loaded.strdef", 1)), before);
    EXPECT_EQ(test::ReadBytes("newer.strdef"), newer);
    EXPECT_FALSE(fs::exists(kTemporaryFileName));

    BlockTree tree;
    DefinitionTable table;
    ASSERT_EQ(ReadBack("loaded.strdef", tree, table).Result, ReadResult::ReadOk);
    EXPECT_EQ(test::DescribeTree(tree), "Block 3 (0)\n  KEEP (1)\n  CHANGED (2)\n  ADDED (4)\n");
    EXPECT_EQ(table.FirmwareVersion, 0x111);
    EXPECT_EQ(table.Definitions.at(1), (StringDefinition{1, u"KEEP", u"Same", u"Gleich", 1, u"note"}));
    EXPECT_EQ(table.Definitions.at(2), (StringDefinition{2, u"CHANGED", u"New", u"Alt", 0, u""}));
    EXPECT_FALSE(table.Definitions.contains(3));
}

TEST_F(MergeCommand, DryRunWritesNothing)
{
    const auto before = test::ReadBytes("loaded.strdef");
    const Outcome outcome = RunStrdef({"merge", "loaded.strdef", "newer.strdef", "--dry-run"});
    ASSERT_EQ(outcome.Status, 0) << outcome.Err;
    EXPECT_NE(outcome.Out.find("1 texts removed\n"), std::string::npos);
    EXPECT_EQ(outcome.Out.find("saved"), std::string::npos);
    EXPECT_EQ(test::ReadBytes("loaded.strdef"), before);
    EXPECT_FALSE(fs::exists(BackupPath("loaded.strdef", 1)));
    EXPECT_FALSE(fs::exists(kTemporaryFileName));
}

TEST_F(MergeCommand, RefusalsUseTheEditorsTextsAndTouchNothing)
{
    WriteDefinitions("older.strdef", 0x104, {{1, u"KEEP", u"Same", u"", 0, u""}});
    test::WriteBytes("broken.strdef", {0xFF, 0xFE, 0xFF, 0x09, 'O', 0});
    WriteDefinitions("locked.strdef", 0x110, {{1, u"KEEP", u"Same", u"", 0, u""}}, 7);
    const auto before = test::ReadBytes("loaded.strdef");

    struct Case
    {
        std::vector<std::string> Args;
        std::string Message;
    };
    const Case cases[] = {
        {{"merge", "loaded.strdef", "loaded.strdef"},
         "strdef: It's no use merging with the same file that is already loaded\n"},
        {{"merge", "loaded.strdef", "./loaded.strdef"},
         "strdef: It's no use merging with the same file that is already loaded\n"},
        {{"merge", "loaded.strdef", "older.strdef"},
         "strdef: The file to be merged (1.04) with is older than the existing (1.10)\n"},
        {{"merge", "loaded.strdef", "broken.strdef"}, "strdef: Can't load file for merging: broken.strdef: "},
        {{"merge", "loaded.strdef", "missing.strdef"}, "strdef: cannot open missing.strdef"},
        {{"merge", "locked.strdef", "newer.strdef"},
         "strdef: locked.strdef: You won't be able to save the changes on this file\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunStrdef(c.Args);
        EXPECT_EQ(outcome.Status, 1) << c.Args[2];
        EXPECT_EQ(outcome.Err.substr(0, c.Message.size()), c.Message) << outcome.Err;
        EXPECT_EQ(outcome.Out, "");
    }
    EXPECT_EQ(test::ReadBytes("loaded.strdef"), before);
    EXPECT_FALSE(fs::exists(BackupPath("loaded.strdef", 1)));
    EXPECT_FALSE(fs::exists(BackupPath("locked.strdef", 1)));
    EXPECT_FALSE(fs::exists(kTemporaryFileName));
    EXPECT_EQ(RunStrdef({"merge", "loaded.strdef"}).Status, 2);
}

} // namespace
} // namespace orv
