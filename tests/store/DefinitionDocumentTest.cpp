#include "store/DefinitionDocument.h"

#include <gtest/gtest.h>

#include "StoreSamples.h"

namespace orv::test {
namespace {

class DefinitionDocumentTest : public ::testing::Test
{
protected:
    TemporaryDirectory Directory;
    DefinitionDocument Document;

    // Opens the small file with a "foni" word of `lock`; whether it is locked against saving.
    bool Open(const std::string& name, std::uint8_t lock = 0)
    {
        Bytes bytes = SmallFileBytes();
        bytes[bytes.size() - 8] = lock; // the word's low byte, before the four bytes of the end tag
        WriteBytes(Directory / name, bytes);
        const auto outcome = Document.OpenDefinitionFile(Directory / name);
        return outcome && outcome->SaveLocked;
    }

    // Whether the document is loaded, has unsaved changes, and what saving it does.
    std::tuple<bool, bool, SaveStatus> State()
    {
        return {Document.Loaded, Document.HasUnsavedChanges(), Document.SaveDefinitionFile().value()};
    }
};

TEST_F(DefinitionDocumentTest, AnOpenFileIsSavedOnlyWhenChangedStaysOpenWhenAnotherCannotBeOpenedAndClears)
{
    EXPECT_FALSE(Open("a.strdef"));
    EXPECT_EQ(State(), std::tuple(true, false, SaveStatus::Unchanged));
    Document.Table.Definitions.at(1).Translation = u"Texte";
    const auto failed = Document.OpenDefinitionFile(Directory / "missing.strdef");
    EXPECT_TRUE(!failed && failed.error().Code == ErrorCode::OpenFailed);
    EXPECT_EQ(Document.FilePath, Directory / "a.strdef");
    EXPECT_EQ(Document.Table.Definitions.at(1).Translation, u"Texte");
    EXPECT_EQ(State(), std::tuple(true, true, SaveStatus::Replaced));

    // Clearing resets the version and keeps the count prefix and the file.
    Document.Table.CountPrefix = 5;
    Document.Table.FirmwareVersion = 0x104;
    Document.ClearDefinitions();
    EXPECT_TRUE(Document.Tree.Empty());
    EXPECT_EQ(Document.Table, (DefinitionTable{5, kDefaultFirmwareVersion, 0, {}}));
}

TEST_F(DefinitionDocumentTest, ASaveLockedFileLoadsButIsNeverSaved)
{
    EXPECT_TRUE(Open("locked.strdef", 7));
    EXPECT_EQ(Document.Table.SaveLock, 0u);
    Document.Table.Definitions.at(1).Translation = u"changed";
    EXPECT_EQ(State(), std::tuple(true, false, SaveStatus::Disabled));
}

TEST_F(DefinitionDocumentTest, AFileThatCannotBeReadLeavesTheDocumentUnloadedAndUnsavable)
{
    WriteBytes(Directory / "short.strdef", {0xFF});
    // One byte more than a definition file may have: refused before a byte is read, as a failed read.
    WriteBytes(Directory / "huge.strdef", {});
    std::filesystem::resize_file(Directory / "huge.strdef", kMaxDefinitionFileSize + 1);
    for (const char* name : {"short.strdef", "huge.strdef"}) {
        Open("a.strdef");
        const auto failed = Document.OpenDefinitionFile(Directory / name);
        EXPECT_TRUE(failed && failed->Status == ReadResult::ReadFailed && !failed->Reason.empty()) << name;
        EXPECT_EQ(State(), std::tuple(false, false, SaveStatus::Disabled));
    }
}

} // namespace
} // namespace orv::test
