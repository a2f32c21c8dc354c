#include "store/DefinitionDocument.h"

#include <gtest/gtest.h>

#include "StoreSamples.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

// One text, index 3, with a "foni" word of `lock` (below 0x10).
Bytes FileWithSaveLock(int lock)
{
    return test::DefinitionBytes(
        "00 00 'T' 03 00 00 00 FF FF 01 00 01 00 3F 00 00 00 03 00 'ID' 'Text' '' '' "
        "00 00 00 00 'ver' 04 01 'foni' 0" +
        std::to_string(lock) + " 00 00 00 ''");
}

class DefinitionDocumentTest : public ::testing::Test
{
protected:
    test::TemporaryDirectory Directory;
    DefinitionDocument Document;

    LoadOutcome Open(const std::string& name, int lock = 0)
    {
        test::WriteBytes(Directory / name, FileWithSaveLock(lock));
        auto outcome = Document.OpenDefinitionFile(Directory / name);
        EXPECT_TRUE(outcome && outcome->Status == ReadResult::ReadOk);
        return outcome.value_or(LoadOutcome{});
    }

    // Whether the document is loaded, has unsaved changes, and what saving it does.
    std::tuple<bool, bool, SaveStatus> State()
    {
        const bool loaded = Document.Loaded;
        const bool unsaved = Document.HasUnsavedChanges();
        return {loaded, unsaved, Document.SaveDefinitionFile().value()};
    }
};

TEST_F(DefinitionDocumentTest, AnOpenFileIsSavedOnlyWhenChangedStaysOpenWhenAnotherCannotBeOpenedAndClears)
{
    EXPECT_FALSE(Open("a.strdef").SaveLocked);
    EXPECT_EQ(State(), std::tuple(true, false, SaveStatus::Unchanged));
    Document.Table.Definitions.at(3).Translation = u"Texte";
    const auto failed = Document.OpenDefinitionFile(Directory / "missing.strdef");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().Code, ErrorCode::OpenFailed);
    EXPECT_EQ(Document.FilePath, Directory / "a.strdef");
    EXPECT_EQ(Document.Table.Definitions.at(3).Translation, u"Texte");
    EXPECT_EQ(State(), std::tuple(true, true, SaveStatus::Replaced));
    EXPECT_FALSE(Document.HasUnsavedChanges());

    // Clearing resets the version and keeps the count prefix and the file.
    Document.Table.CountPrefix = 5;
    Document.ClearDefinitions();
    EXPECT_TRUE(Document.Tree.Empty());
    EXPECT_EQ(Document.Table, (DefinitionTable{5, kDefaultFirmwareVersion, 0, {}}));
    EXPECT_EQ(Document.FilePath, Directory / "a.strdef");
}

TEST_F(DefinitionDocumentTest, ASaveLockedFileLoadsButIsNeverSaved)
{
    EXPECT_TRUE(Open("locked.strdef", 7).SaveLocked);
    EXPECT_EQ(Document.Table.SaveLock, 0u);
    Document.Table.Definitions.at(3).Translation = u"changed";
    EXPECT_EQ(State(), std::tuple(true, false, SaveStatus::Disabled));
    EXPECT_EQ(test::ReadBytes(Document.FilePath), FileWithSaveLock(7));
    EXPECT_EQ(std::distance(fs::directory_iterator(Directory.Path()), fs::directory_iterator()), 1);
}

TEST_F(DefinitionDocumentTest, AFileThatCannotBeReadLeavesTheDocumentUnloadedAndUnsavable)
{
    Bytes truncated = FileWithSaveLock(0);
    truncated.resize(40);
    test::WriteBytes(Directory / "short.strdef", truncated);
    // One byte more than a definition file may have: refused before a byte is read, as a failed read.
    test::WriteBytes(Directory / "huge.strdef", {});
    fs::resize_file(Directory / "huge.strdef", kMaxDefinitionFileSize + 1);
    for (const char* name : {"short.strdef", "huge.strdef"}) {
        Open("a.strdef");
        const auto failed = Document.OpenDefinitionFile(Directory / name);
        ASSERT_TRUE(failed) << name;
        EXPECT_EQ(failed->Status, ReadResult::ReadFailed);
        EXPECT_FALSE(failed->Reason.empty());
        EXPECT_EQ(State(), std::tuple(false, false, SaveStatus::Disabled));
    }
}

} // namespace
} // namespace orv
