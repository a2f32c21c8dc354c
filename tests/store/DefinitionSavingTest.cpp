#include "store/DefinitionSaving.h"

#include <fstream>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "StoreSamples.h"
#include "store/DefinitionFile.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

Bytes Text(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

class DefinitionSaving : public ::testing::Test
{
protected:
    test::TemporaryDirectory Directory;
    fs::path FilePath = Directory / "main.strdef";
    BlockTree Tree;
    DefinitionTable Table;

    void SetUp() override { test::FillSmallTable(Tree, Table); }

    Result<SaveOutcome> Save() { return SaveDefinitionFile(Tree, Table, FilePath); }
    bool Exists(const fs::path& path) const { return fs::exists(fs::symlink_status(path)); }
};

TEST_F(DefinitionSaving, UnchangedContentLeavesTheFileItsDateAndBackupsAlone)
{
    WriteBytes(FilePath, test::SmallFileBytes());
    const auto before = fs::last_write_time(FilePath);
    ASSERT_EQ(Save().value(), SaveOutcome::Unchanged);
    EXPECT_EQ(fs::last_write_time(FilePath), before);
    EXPECT_FALSE(Exists(BackupPath(FilePath, 1)));
    EXPECT_FALSE(Exists(kTemporaryFileName));
}

TEST_F(DefinitionSaving, ChangedContentReplacesTheFileAndKeepsTheOldAsBackupOne)
{
    WriteBytes(FilePath, test::SmallFileBytes());
    Table.Definitions.at(1).Translation = u"Y";
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), test::SmallFileBytes());
    EXPECT_EQ(ReadBytes(FilePath), WriteDefinitionBytes(Tree, Table));
    EXPECT_FALSE(Exists(kTemporaryFileName));
    // Saving again without a change is a no-op.
    ASSERT_EQ(Save().value(), SaveOutcome::Unchanged);
    EXPECT_FALSE(Exists(BackupPath(FilePath, 2)));
}

TEST_F(DefinitionSaving, NineGenerationsShiftUpAndTheOldestIsDropped)
{
    WriteBytes(FilePath, Text("current"));
    for (int generation = 1; generation <= 9; ++generation)
        WriteBytes(BackupPath(FilePath, generation), Text("backup " + std::to_string(generation)));
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), Text("current"));
    for (int generation = 2; generation <= 9; ++generation)
        EXPECT_EQ(ReadBytes(BackupPath(FilePath, generation)),
                  Text("backup " + std::to_string(generation - 1)));
    EXPECT_FALSE(Exists(BackupPath(FilePath, 10)));
}

TEST_F(DefinitionSaving, GapsBetweenGenerationsMoveUpWithThem)
{
    WriteBytes(FilePath, Text("current"));
    WriteBytes(BackupPath(FilePath, 1), Text("one"));
    WriteBytes(BackupPath(FilePath, 3), Text("three"));
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), Text("current"));
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 2)), Text("one"));
    EXPECT_FALSE(Exists(BackupPath(FilePath, 3)));
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 4)), Text("three"));
}

TEST_F(DefinitionSaving, ADeletedFileIsWrittenAgainWithoutABackup)
{
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(ReadBytes(FilePath), test::SmallFileBytes());
    EXPECT_FALSE(Exists(BackupPath(FilePath, 1)));
}

TEST_F(DefinitionSaving, AFailedWriteOfTheTemporaryFileTouchesNothing)
{
    WriteBytes(FilePath, Text("current"));
    WriteBytes(BackupPath(FilePath, 1), Text("one"));
    // A disk that is full: every write to /dev/full fails with ENOSPC, even for root.
    const fs::path full = Directory / "full.temp";
    ASSERT_EQ(::symlink("/dev/full", full.c_str()), 0);
    const auto saved = SaveDefinitionFile(Tree, Table, FilePath, full);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().Code, ErrorCode::WriteFailed);
    EXPECT_NE(saved.error().Message.find("No space left on device"), std::string::npos)
        << saved.error().Message;
    EXPECT_EQ(ReadBytes(FilePath), Text("current"));
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), Text("one"));
    EXPECT_FALSE(Exists(BackupPath(FilePath, 2)));

    const auto missingDirectory = SaveDefinitionFile(Tree, Table, FilePath, Directory / "no/such/dir.temp");
    ASSERT_FALSE(missingDirectory);
    EXPECT_NE(missingDirectory.error().Message.find("no/such/dir.temp"), std::string::npos);
    EXPECT_EQ(ReadBytes(FilePath), Text("current"));
}

TEST_F(DefinitionSaving, ABackupThatCannotBeMadeStopsTheSaveBeforeAnythingIsLost)
{
    WriteBytes(FilePath, Text("current"));
    // Non-empty directories in every generation: no rename onto them succeeds, even for root.
    for (int generation = 1; generation <= 9; ++generation) {
        fs::create_directories(BackupPath(FilePath, generation) / "x");
    }
    const auto saved = Save();
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.error().Message.find(kTemporaryFileName), std::string::npos) << saved.error().Message;
    EXPECT_EQ(ReadBytes(FilePath), Text("current"));
    EXPECT_EQ(ReadBytes(kTemporaryFileName), test::SmallFileBytes());
}

// The working directory on another file system than the definition file: the rename fails and the
// content is copied instead. Needs a second file system; /dev/shm is one on most Linux machines.
class DefinitionSavingAcrossFileSystems : public DefinitionSaving
{
protected:
    fs::path OtherTemporary;

    void SetUp() override
    {
        DefinitionSaving::SetUp();
        struct stat here
        {};
        struct stat there
        {};
        if (::stat(Directory.Path().c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
            here.st_dev == there.st_dev || ::access("/dev/shm", W_OK) != 0)
            GTEST_SKIP() << "no second writable file system at /dev/shm";
        OtherTemporary = "/dev/shm/orv-save-test-" + std::to_string(::getpid()) + ".temp";
    }
    void TearDown() override
    {
        if (!OtherTemporary.empty())
            fs::remove(OtherTemporary);
    }
};

TEST_F(DefinitionSavingAcrossFileSystems, AFailedRenameCopiesTheContentInstead)
{
    WriteBytes(FilePath, Text("current"));
    const auto saved = SaveDefinitionFile(Tree, Table, FilePath, OtherTemporary);
    ASSERT_EQ(saved.value(), SaveOutcome::ReplacedByCopy);
    EXPECT_EQ(ReadBytes(FilePath), test::SmallFileBytes());
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), Text("current"));
    EXPECT_FALSE(Exists(OtherTemporary));
}

TEST_F(DefinitionSavingAcrossFileSystems, WhenTheCopyFailsTooTheTemporaryFileIsKeptAndNamed)
{
    WriteBytes(FilePath, Text("current"));
    fs::path part = FilePath;
    part += ".part";
    fs::create_directories(part / "blocker"); // the copy's own temporary name is taken by a directory
    const auto saved = SaveDefinitionFile(Tree, Table, FilePath, OtherTemporary);
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.error().Message.find(OtherTemporary.string()), std::string::npos)
        << saved.error().Message;
    EXPECT_NE(saved.error().Message.find(BackupPath(FilePath, 1).string()), std::string::npos);
    EXPECT_EQ(ReadBytes(OtherTemporary), test::SmallFileBytes());
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), Text("current"));
}

TEST(CompareFiles, ComparesWholeContentInBlocks)
{
    test::TemporaryDirectory directory;
    const fs::path temporary = directory / "temp";
    const fs::path other = directory / "other";
    Bytes content(3000, 0x5A);
    WriteBytes(temporary, content);
    WriteBytes(other, content);
    EXPECT_EQ(CompareFiles(temporary, other), 0);
    content[2999] = 0;
    WriteBytes(other, content);
    EXPECT_EQ(CompareFiles(temporary, other), 1);
    content.resize(2048); // a prefix that ends exactly on a block boundary
    content[2047] = 0x5A;
    WriteBytes(other, content);
    EXPECT_EQ(CompareFiles(temporary, other), 1);
    EXPECT_EQ(CompareFiles(temporary, directory / "missing"), -1);
    EXPECT_EQ(CompareFiles(directory / "missing", other), -1);
    WriteBytes(temporary, {});
    WriteBytes(other, {});
    EXPECT_EQ(CompareFiles(temporary, other), 0);
}

} // namespace
} // namespace orv
