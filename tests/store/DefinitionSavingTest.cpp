#include "store/DefinitionSaving.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
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
    EXPECT_FALSE(Exists(Directory / kTemporaryFileName));
}

TEST_F(DefinitionSaving, ChangedContentReplacesTheFileAndKeepsTheOldAsBackupOne)
{
    WriteBytes(FilePath, test::SmallFileBytes());
    Table.Definitions.at(1).Translation = u"Y";
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), test::SmallFileBytes());
    EXPECT_EQ(ReadBytes(FilePath), WriteDefinitionBytes(Tree, Table));
    EXPECT_FALSE(Exists(Directory / kTemporaryFileName));
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

// Every name in the directory with its content ("-> target" for a link), to compare before and after.
std::map<std::string, std::string> Listing(const fs::path& directory)
{
    std::map<std::string, std::string> listing;
    for (const auto& entry : fs::directory_iterator(directory)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_symlink()) {
            listing[name] = "-> " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_regular_file()) {
            const Bytes bytes = ReadBytes(entry.path());
            listing[name] = std::string(bytes.begin(), bytes.end());
        } else {
            listing[name] = "(special)";
        }
    }
    return listing;
}

// A definition file with nine backups, each holding its own name, for the fault tests.
class DefinitionSavingUnderFaults : public DefinitionSaving
{
protected:
    static constexpr int kStepsOfAFullSave = 13; // create, write, keep, replace, 8 shifts, place

    // Empties the directory (it stays the working directory) and lays out the files afresh.
    void Prepare()
    {
        for (const auto& entry : fs::directory_iterator(Directory.Path()))
            fs::remove_all(entry.path());
        WriteBytes(FilePath, Text("current"));
        for (int generation = 1; generation <= kBackupGenerations; ++generation)
            WriteBytes(BackupPath(FilePath, generation), Text("backup " + std::to_string(generation)));
        Before = Listing(Directory.Path());
    }

    // Every version that was there before is still in some file, except backup 9 once the shifting
    // began; the definition file holds the old or the new content whole.
    void ExpectNothingLost(bool shifted) const
    {
        std::multiset<std::string> contents;
        for (const auto& [name, content] : Listing(Directory.Path()))
            contents.insert(content);
        for (const auto& [name, content] : Before) {
            if (!(shifted && name == BackupPath(FilePath, 9).filename().string())) {
                EXPECT_TRUE(contents.contains(content)) << "lost: " << name;
            }
        }
        const Bytes now = ReadBytes(FilePath);
        EXPECT_TRUE(now == Text("current") || now == WriteDefinitionBytes(Tree, Table));
    }

    std::map<std::string, std::string> Before;
};

TEST_F(DefinitionSavingUnderFaults, AStepThatFailsLosesNothingAndBeforeTheReplaceChangesNothing)
{
    constexpr int kReplaceStep = 3;
    for (int failing = 0; failing < kStepsOfAFullSave; ++failing) {
        SCOPED_TRACE("step " + std::to_string(failing));
        Prepare();
        int step = 0;
        const auto saved = SaveDefinitionFile(Tree, Table, FilePath,
                                              [&](SaveStep, int) { return step++ == failing ? EIO : 0; });
        ASSERT_FALSE(saved);
        EXPECT_NE(saved.error().Message.find(std::strerror(EIO)), std::string::npos) << saved.error().Message;
        if (failing <= kReplaceStep) {
            EXPECT_EQ(Listing(Directory.Path()), Before);
        } else {
            ExpectNothingLost(/*shifted=*/true);
            EXPECT_EQ(ReadBytes(FilePath), WriteDefinitionBytes(Tree, Table));
            // The error tells where the version that did not reach backup 1 is.
            EXPECT_NE(saved.error().Message.find(".bck0"), std::string::npos) << saved.error().Message;
        }
    }
}

TEST_F(DefinitionSavingUnderFaults, AProcessKilledAtAnyStepLosesNothing)
{
    for (int killed = 0; killed <= kStepsOfAFullSave; ++killed) {
        SCOPED_TRACE("killed before step " + std::to_string(killed));
        Prepare();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int step = 0;
            (void)SaveDefinitionFile(Tree, Table, FilePath, [&](SaveStep, int) {
                if (step++ == killed)
                    ::_exit(0);
                return 0;
            });
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ExpectNothingLost(/*shifted=*/killed > 4);
    }
}

TEST_F(DefinitionSaving, TwoSavesInOneDirectoryKeepTheirOwnContent)
{
    // While one save is between writing its temporary file and replacing, a save of another file in
    // the same directory runs from start to end.
    const fs::path otherPath = Directory / "other.strdef";
    BlockTree otherTree;
    DefinitionTable otherTable;
    test::FillSmallTable(otherTree, otherTable);
    otherTable.Definitions.at(1).Translation = u"other";
    Table.Definitions.at(1).Translation = u"mine";

    bool otherSaved = false;
    const auto saved = SaveDefinitionFile(Tree, Table, FilePath, [&](SaveStep step, int) {
        if (step == SaveStep::Replace && !otherSaved) {
            otherSaved = true;
            EXPECT_EQ(SaveDefinitionFile(otherTree, otherTable, otherPath).value(), SaveOutcome::Replaced);
        }
        return 0;
    });
    ASSERT_EQ(saved.value(), SaveOutcome::Replaced);
    EXPECT_EQ(ReadBytes(FilePath), WriteDefinitionBytes(Tree, Table));
    EXPECT_EQ(ReadBytes(otherPath), WriteDefinitionBytes(otherTree, otherTable));
    EXPECT_EQ(Listing(Directory.Path()).size(), 2U); // no temporary file is left behind
}

TEST_F(DefinitionSaving, NamesThatAreTakenAreNeitherFollowedNorOverwritten)
{
    // The temporary file's name is a link to a file of someone else's, and a file kept by an
    // interrupted save sits beside it under a unique variant of the name.
    const fs::path victim = Directory / "victim";
    WriteBytes(victim, Text("victim"));
    ASSERT_EQ(::symlink(victim.c_str(), (Directory / kTemporaryFileName).c_str()), 0);
    WriteBytes(FilePath, Text("current"));
    WriteBytes(FilePath.string() + ".bck0", Text("kept by an interrupted save"));
    const auto before = Listing(Directory.Path());

    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    auto after = Listing(Directory.Path());
    EXPECT_EQ(after.at(kTemporaryFileName), before.at(kTemporaryFileName));
    EXPECT_EQ(after.at("victim"), "victim");
    EXPECT_EQ(after.at("main.strdef.bck0"), "kept by an interrupted save");
    EXPECT_EQ(after.at("main.strdef.bck1"), "current");
    EXPECT_EQ(after.size(), before.size() + 1);
}

TEST_F(DefinitionSaving, AFileNamedLikeTheTemporaryFileIsSavedLikeAnyOther)
{
    FilePath = Directory / kTemporaryFileName;
    WriteBytes(FilePath, Text("current"));
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(ReadBytes(FilePath), WriteDefinitionBytes(Tree, Table));
    EXPECT_EQ(ReadBytes(BackupPath(FilePath, 1)), Text("current"));
}

TEST_F(DefinitionSaving, ALinkIsSavedThroughToItsTargetWithItsModeAndOwner)
{
    const fs::path target = Directory / "real" / "texts.strdef";
    fs::create_directories(target.parent_path());
    WriteBytes(target, Text("current"));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(target.c_str(), 4321, 4321), 0);
    }
    ASSERT_EQ(::symlink("real/texts.strdef", FilePath.c_str()), 0);

    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_TRUE(fs::is_symlink(FilePath));
    EXPECT_EQ(ReadBytes(target), WriteDefinitionBytes(Tree, Table));
    EXPECT_EQ(ReadBytes(BackupPath(target, 1)), Text("current"));
    struct stat info
    {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640U);
    if (root) {
        EXPECT_EQ(info.st_uid, 4321U);
    }
}

TEST_F(DefinitionSaving, WhatIsNotARegularFileIsNeverReplaced)
{
    ASSERT_EQ(::mkfifo(FilePath.c_str(), 0600), 0);
    const auto saved = Save();
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.error().Message.find("not a regular file"), std::string::npos) << saved.error().Message;
    EXPECT_EQ(Listing(Directory.Path()).size(), 1U);
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
