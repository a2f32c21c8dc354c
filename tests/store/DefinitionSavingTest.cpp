#include "store/DefinitionSaving.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include <gmock/gmock.h>
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
using ::testing::HasSubstr;

// File names with their content: "NEW" is what the save writes, "-> target" a symbolic link,
// "(fifo)" a named pipe (or another thing that is not a file).
using Files = std::map<std::string, std::string>;

std::string Backup(int generation)
{
    return "main.strdef.bck" + std::to_string(generation);
}

class DefinitionSaving : public ::testing::Test
{
protected:
    static constexpr int kStepsOfAFullSave = 13; // create, write, keep, replace, 8 shifts, place

    test::TemporaryDirectory Directory;
    fs::path FilePath = Directory / "main.strdef";
    BlockTree Tree;
    DefinitionTable Table;
    // The definition file "current" with nine backups "backup N".
    Files History = [] {
        Files files{{"main.strdef", "current"}};
        for (int generation = 1; generation <= 9; ++generation)
            files[Backup(generation)] = "backup " + std::to_string(generation);
        return files;
    }();

    void SetUp() override { test::FillSmallTable(Tree, Table); }
    Result<SaveOutcome> Save(const SaveFaultHook& faults = nullptr)
    {
        return SaveDefinitionFile(Tree, Table, FilePath, faults);
    }

    Files Listing() const
    {
        const Bytes saved = WriteDefinitionBytes(Tree, Table);
        Files files;
        for (const auto& entry : fs::directory_iterator(Directory.Path())) {
            const Bytes bytes = entry.is_regular_file() ? test::ReadBytes(entry.path()) : Bytes();
            files[entry.path().filename().string()] =
                entry.is_symlink()         ? "-> " + fs::read_symlink(entry.path()).string()
                : !entry.is_regular_file() ? "(fifo)"
                : bytes == saved           ? "NEW"
                                           : std::string(bytes.begin(), bytes.end());
        }
        return files;
    }

    // Empties the directory (it stays the working directory) and lays `files` out in it.
    void Lay(const Files& files) const
    {
        for (const auto& entry : fs::directory_iterator(Directory.Path()))
            fs::remove_all(entry.path());
        for (const auto& [name, content] : files) {
            if (content.starts_with("-> "))
                ASSERT_EQ(::symlink(content.substr(3).c_str(), name.c_str()), 0);
            else if (content == "(fifo)")
                ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
            else
                test::WriteBytes(name, content == "NEW" ? WriteDefinitionBytes(Tree, Table)
                                                        : Bytes(content.begin(), content.end()));
        }
    }

    // Every version of History is still in some file, except backup 9 once the shifting began; the
    // definition file holds the old or the new content whole.
    void ExpectNothingLost(bool shifted) const
    {
        std::multiset<std::string> contents;
        for (const auto& [name, content] : Listing())
            contents.insert(content);
        for (const auto& [name, content] : History)
            EXPECT_TRUE((shifted && name == Backup(9)) || contents.contains(content)) << "lost: " << name;
        EXPECT_THAT(Listing().at("main.strdef"), ::testing::AnyOf("current", "NEW"));
    }
};

TEST_F(DefinitionSaving, ReplacesOnlyAChangedFileAndMovesItsBackupsUp)
{
    Files gaps = History; // backup 9 drops out also when there is no backup 8
    gaps.erase(Backup(2));
    gaps.erase(Backup(8));
    const auto shifted = [](const Files& before) {
        Files after{{"main.strdef", "NEW"}, {Backup(1), "current"}};
        for (int generation = 1; generation < 9; ++generation)
            if (before.contains(Backup(generation)))
                after[Backup(generation + 1)] = before.at(Backup(generation));
        return after;
    };
    // A missing file is written without a backup, an unchanged one is not touched, what is not a file
    // is refused. Names that are taken are neither followed nor overwritten: the temporary file's name
    // is a link to someone else's file, and a file kept by an interrupted save has the name of the
    // coming backup 1.
    const std::tuple<Files, std::optional<SaveOutcome>, Files> rows[] = {
        {{}, SaveOutcome::Replaced, {{"main.strdef", "NEW"}}},
        {{{"main.strdef", "NEW"}}, SaveOutcome::Unchanged, {{"main.strdef", "NEW"}}},
        {{{"main.strdef", "(fifo)"}}, std::nullopt, {{"main.strdef", "(fifo)"}}},
        {History, SaveOutcome::Replaced, shifted(History)},
        {gaps, SaveOutcome::Replaced, shifted(gaps)},
        // clang-format off
        {{{"victim", "v"}, {kTemporaryFileName, "-> victim"}, {"main.strdef.bck0", "kept"}, {"main.strdef", "current"}},
         SaveOutcome::Replaced,
         {{"victim", "v"}, {kTemporaryFileName, "-> victim"}, {"main.strdef.bck0", "kept"}, {"main.strdef", "NEW"},
          {Backup(1), "current"}}},
        // clang-format on
    };
    for (const auto& [before, outcome, after] : rows) {
        Lay(before);
        const auto written = before.empty() ? fs::file_time_type() : fs::last_write_time(FilePath);
        const auto saved = Save();
        EXPECT_EQ(saved ? std::optional(*saved) : std::nullopt, outcome);
        EXPECT_EQ(Listing(), after);
        EXPECT_TRUE(outcome == SaveOutcome::Replaced || fs::last_write_time(FilePath) == written);
    }
}

TEST_F(DefinitionSaving, AStepThatFailsLosesNothingAndBeforeTheReplaceChangesNothing)
{
    constexpr int kReplaceStep = 3;
    for (int failing = 0; failing < kStepsOfAFullSave; ++failing) {
        SCOPED_TRACE("step " + std::to_string(failing));
        Lay(History);
        int step = 0;
        const auto saved = Save([&](SaveStep, int) { return step++ == failing ? EIO : 0; });
        ASSERT_FALSE(saved);
        EXPECT_THAT(saved.error().Message, HasSubstr(std::strerror(EIO)));
        if (failing <= kReplaceStep) {
            EXPECT_EQ(Listing(), History);
        } else {
            ExpectNothingLost(/*shifted=*/true);
            EXPECT_EQ(Listing().at("main.strdef"), "NEW");
            // The error tells where the version that did not reach backup 1 is.
            EXPECT_THAT(saved.error().Message, HasSubstr(".bck0"));
        }
    }
}

TEST_F(DefinitionSaving, AProcessKilledAtAnyStepLosesNothing)
{
    for (int killed = 0; killed <= kStepsOfAFullSave; ++killed) {
        SCOPED_TRACE("killed before step " + std::to_string(killed));
        Lay(History);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int step = 0;
            (void)Save([&](SaveStep, int) {
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
    DefinitionTable otherTable = Table;
    otherTable.Definitions.at(1).Translation = u"other";
    const auto saved = Save([&](SaveStep step, int) {
        if (step == SaveStep::Replace) {
            EXPECT_EQ(SaveDefinitionFile(Tree, otherTable, Directory / "other.strdef").value(),
                      SaveOutcome::Replaced);
        }
        return 0;
    });
    ASSERT_EQ(saved.value(), SaveOutcome::Replaced);
    const Bytes other = WriteDefinitionBytes(Tree, otherTable);
    // No temporary file is left behind.
    EXPECT_EQ(Listing(),
              (Files{{"main.strdef", "NEW"}, {"other.strdef", std::string(other.begin(), other.end())}}));
}

TEST_F(DefinitionSaving, AFileNamedLikeTheTemporaryFileIsSavedLikeAnyOther)
{
    FilePath = Directory / kTemporaryFileName;
    Lay({{kTemporaryFileName, "current"}});
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(Listing(),
              (Files{{kTemporaryFileName, "NEW"}, {kTemporaryFileName + std::string(".bck1"), "current"}}));
}

TEST_F(DefinitionSaving, ALinkIsSavedThroughToItsTargetWithItsModeAndOwner)
{
    Lay({{"main.strdef", "-> texts.strdef"}, {"texts.strdef", "current"}});
    ASSERT_EQ(::chmod("texts.strdef", 0640), 0);
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown("texts.strdef", 4321, 4321) == 0);
    ASSERT_EQ(Save().value(), SaveOutcome::Replaced);
    EXPECT_EQ(Listing(), (Files{{"main.strdef", "-> texts.strdef"},
                                {"texts.strdef", "NEW"},
                                {"texts.strdef.bck1", "current"}}));
    struct stat info
    {};
    ASSERT_EQ(::stat("texts.strdef", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640U);
    EXPECT_EQ(info.st_uid, root ? 4321U : ::geteuid());
}

TEST_F(DefinitionSaving, CompareFilesComparesWholeContentInBlocks)
{
    Lay({{"a", std::string(3000, 'z')},
         {"end", std::string(2999, 'z') + "y"},
         {"prefix", std::string(2048, 'z')},
         {"empty", ""},
         {"none", ""}});
    EXPECT_EQ(CompareFiles("a", "a"), 0);
    EXPECT_EQ(CompareFiles("a", "end"), 1);
    EXPECT_EQ(CompareFiles("a", "prefix"), 1); // equal up to a block boundary
    EXPECT_EQ(CompareFiles("prefix", "a"), 1);
    EXPECT_EQ(CompareFiles("empty", "none"), 0);
    EXPECT_EQ(CompareFiles("a", "missing"), -1);
    EXPECT_EQ(CompareFiles("missing", "a"), -1);
}

} // namespace
} // namespace orv
