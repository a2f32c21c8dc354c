#include "store/DefinitionDocument.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "StoreSamples.h"

namespace orv {
namespace {

// Byte vectors are laid out by hand, a field or an item per line.
// clang-format off

namespace fs = std::filesystem;
using test::Bytes;

Bytes WithSaveLock(std::uint32_t lock)
{
    return test::FileHeader()
        .U16(0).Utf16String(u"T").U32(3)
        .U16(0xFFFF).U16(1).U16(1)
        .U32(0x3F).U16(3).Utf16String(u"ID").Utf16String(u"Text").Utf16String(u"").Utf16String(u"").U32(0)
        .Utf16String(u"ver").U16(0x104)
        .Utf16String(u"foni").U32(lock)
        .Utf16String(u"")
        .Take();
}

class DefinitionDocumentTest : public ::testing::Test
{
protected:
    test::TemporaryDirectory Directory;
    DefinitionDocument Document;
};

TEST_F(DefinitionDocumentTest, ALoadedFileIsSavedOnlyWhenItChanged)
{
    Document.FilePath = Directory / "a.strdef";
    test::WriteBytes(Document.FilePath, WithSaveLock(0));
    const auto loaded = Document.LoadDefinitionFile();
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->Result, ReadResult::ReadOk);
    EXPECT_FALSE(loaded->SaveLocked);
    EXPECT_TRUE(Document.Loaded);
    EXPECT_FALSE(Document.SaveDisabled);
    EXPECT_EQ(Document.SaveDefinitionFile().value(), SaveStatus::Unchanged);

    Document.Table.Definitions.at(3).Translation = u"Texte";
    Document.Table.Definitions.at(3).Translated = 1;
    EXPECT_EQ(Document.SaveDefinitionFile().value(), SaveStatus::Replaced);
    EXPECT_EQ(test::ReadBytes(BackupPath(Document.FilePath, 1)), WithSaveLock(0));
}

TEST_F(DefinitionDocumentTest, ASaveLockedFileLoadsButIsNeverSaved)
{
    Document.FilePath = Directory / "locked.strdef";
    test::WriteBytes(Document.FilePath, WithSaveLock(7));
    const auto loaded = Document.LoadDefinitionFile();
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->SaveLocked);
    EXPECT_TRUE(Document.Loaded);
    EXPECT_TRUE(Document.SaveDisabled);
    EXPECT_EQ(Document.Table.SaveLock, 0u);

    Document.Table.Definitions.at(3).Translation = u"changed";
    EXPECT_EQ(Document.SaveDefinitionFile().value(), SaveStatus::Disabled);
    EXPECT_FALSE(fs::exists(Directory / kTemporaryFileName));
    EXPECT_FALSE(fs::exists(BackupPath(Document.FilePath, 1)));
    EXPECT_EQ(test::ReadBytes(Document.FilePath), WithSaveLock(7));
}

TEST_F(DefinitionDocumentTest, AFileThatCannotBeReadLeavesTheDocumentUnloadedAndUnsavable)
{
    Bytes truncated = WithSaveLock(0);
    truncated.resize(40);
    test::WriteBytes(Directory / "short.strdef", truncated);
    // Larger than any definition file: refused before a byte is read, as a failed read.
    test::WriteBytes(Directory / "huge.strdef", {});
    fs::resize_file(Directory / "huge.strdef", std::uintmax_t{1} << 41);
    for (const char* name : {"short.strdef", "huge.strdef"}) {
        const auto failed = Document.OpenDefinitionFile(Directory / name);
        ASSERT_TRUE(failed) << name;
        EXPECT_EQ(failed->Result, ReadResult::ReadFailed);
        EXPECT_FALSE(failed->Reason.empty());
        EXPECT_FALSE(Document.Loaded);
        EXPECT_TRUE(Document.SaveDisabled);
    }
}

TEST_F(DefinitionDocumentTest, AFileThatCannotBeOpenedLeavesTheOpenDocumentAsItWas)
{
    test::WriteBytes(Directory / "a.strdef", WithSaveLock(0));
    ASSERT_EQ(Document.OpenDefinitionFile(Directory / "a.strdef")->Result, ReadResult::ReadOk);
    EXPECT_FALSE(Document.HasUnsavedChanges());
    Document.Table.Definitions.at(3).Translation = u"edited";
    EXPECT_TRUE(Document.HasUnsavedChanges());

    ASSERT_EQ(::mkfifo((Directory / "pipe.strdef").c_str(), 0600), 0);
    for (const char* name : {"missing.strdef", "pipe.strdef"}) {
        const auto failed = Document.OpenDefinitionFile(Directory / name);
        ASSERT_FALSE(failed) << name;
        EXPECT_EQ(failed.error().Code, ErrorCode::OpenFailed);
    }
    EXPECT_EQ(Document.FilePath, Directory / "a.strdef");
    EXPECT_TRUE(Document.Loaded);
    EXPECT_EQ(Document.SaveDefinitionFile().value(), SaveStatus::Replaced);
    EXPECT_FALSE(Document.HasUnsavedChanges());
}

TEST_F(DefinitionDocumentTest, AnEntryAddedForAnItemWithoutDefinitionSurvivesASave)
{
    // A text item whose index has no definition gets one on first access; typing a translation
    // there must come back under the same index after saving and loading.
    Document.FilePath = Directory / "gap.strdef";
    BlockItem& item = Document.Tree.Append(nullptr, u"orphan", 12);
    Document.Table.FindOrAddDefinition(0).DefaultText = u"zero";
    Document.Table.FindOrAddDefinition(item.TextIndex()).Translation = u"typed";
    ASSERT_EQ(Document.SaveDefinitionFile().value(), SaveStatus::Replaced);

    DefinitionDocument reloaded;
    reloaded.FilePath = Document.FilePath;
    ASSERT_EQ(reloaded.LoadDefinitionFile()->Result, ReadResult::ReadOk);
    EXPECT_EQ(reloaded.Table.Definitions.at(12).Translation, u"typed");
    EXPECT_EQ(reloaded.Table.Definitions.at(0).DefaultText, u"zero");
}

TEST_F(DefinitionDocumentTest, ClearDefinitionsKeepsCountPrefixAndPath)
{
    Document.FilePath = Directory / "a.strdef";
    Document.Table.CountPrefix = 5;
    Document.Table.FirmwareVersion = 0x204;
    test::FillSmallTable(Document.Tree, Document.Table);
    Document.ClearDefinitions();
    EXPECT_TRUE(Document.Tree.Empty());
    EXPECT_TRUE(Document.Table.Definitions.empty());
    EXPECT_EQ(Document.Table.FirmwareVersion, kDefaultFirmwareVersion);
    EXPECT_EQ(Document.Table.CountPrefix, 5);
    EXPECT_EQ(Document.FilePath, Directory / "a.strdef");
}

// clang-format on

} // namespace
} // namespace orv
