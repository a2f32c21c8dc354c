#include "store/DefinitionSaving.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "StoreSamples.h"
#include "store/DefinitionFile.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

// File names with their content: "NEW" is what the save writes (the small file), "-> target" a symbolic
// link.
using Files = std::map<std::string, std::string>;

class DefinitionSaving : public ::testing::Test
{
protected:
    static constexpr int kStepsOfAFullSave = 13; // create, write, keep, replace, 8 shifts, place

    static std::string Backup(int generation) { return "main.strdef.bck" + std::to_string(generation); }

    TemporaryDirectory Directory;
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

    void SetUp() override { ReadDefinitionBytes(SmallFileBytes(), Tree, Table); }

    Files Listing() const
    {
        Files files;
        for (const auto& entry : fs::directory_iterator(Directory.Path())) {
            const Bytes bytes = entry.is_symlink() ? Bytes() : ReadBytes(entry.path());
            files[entry.path().filename().string()] =
                entry.is_symlink()          ? "-> " + fs::read_symlink(entry.path()).string()
                : bytes == SmallFileBytes() ? "NEW"
                                            : std::string(bytes.begin(), bytes.end());
        }
        return files;
    }

    // Empties the directory (it stays the working directory) and lays `files` out in it, the regular
    // files with mode 0640.
    void Lay(const Files& files) const
    {
        for (const auto& entry : fs::directory_iterator(Directory.Path()))
            fs::remove_all(entry.path());
        for (const auto& [name, content] : files) {
            if (content.starts_with("-> ")) {
                fs::create_symlink(content.substr(3), name);
            } else {
                WriteBytes(name, content == "NEW" ? SmallFileBytes() : Bytes(content.begin(), content.end()));
                fs::permissions(name, fs::perms(0640));
            }
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
    // History after a save, and the same without backups 2 and 8: the gap moves up with the others,
    // and backup 9 drops out also when there is no backup 8.
    Files shifted{{"main.strdef", "NEW"}, {Backup(1), "current"}};
    for (int generation = 2; generation <= 9; ++generation)
        shifted[Backup(generation)] = "backup " + std::to_string(generation - 1);
    Files gaps = History;
    Files gapsShifted = shifted;
    for (const int generation : {2, 8}) {
        gaps.erase(Backup(generation));
        gapsShifted.erase(Backup(generation + 1));
    }
    // A missing file is written without a backup, an unchanged one is not touched, and a link is saved
    // through to its target, whose backups go beside it. Names that are taken are neither followed nor
    // overwritten: the temporary file's name is a link to someone else's file, and a file kept by an
    // interrupted save has the name of the coming backup 1.
    const std::tuple<Files, std::optional<SaveOutcome>, Files> rows[] = {
        {{}, SaveOutcome::Replaced, {{"main.strdef", "NEW"}}},
        {{{"main.strdef", "NEW"}}, SaveOutcome::Unchanged, {{"main.strdef", "NEW"}}},
        {History, SaveOutcome::Replaced, shifted},
        {gaps, SaveOutcome::Replaced, gapsShifted},
        // clang-format off
        {{{"main.strdef", "-> texts.strdef"}, {"texts.strdef", "current"}},
         SaveOutcome::Replaced,
         {{"main.strdef", "-> texts.strdef"}, {"texts.strdef", "NEW"}, {"texts.strdef.bck1", "current"}}},
        {{{"victim", "v"}, {kTemporaryFileName, "-> victim"}, {"main.strdef.bck0", "kept"}, {"main.strdef", "current"}},
         SaveOutcome::Replaced,
         {{"victim", "v"}, {kTemporaryFileName, "-> victim"}, {"main.strdef.bck0", "kept"}, {"main.strdef", "NEW"},
          {Backup(1), "current"}}},
        // clang-format on
    };
    for (const auto& [before, outcome, after] : rows) {
        Lay(before);
        const auto written = before.empty() ? fs::file_time_type() : fs::last_write_time(FilePath);
        const auto saved = SaveDefinitionFile(Tree, Table, FilePath);
        EXPECT_EQ(saved ? std::optional(*saved) : std::nullopt, outcome);
        EXPECT_EQ(Listing(), after);
        EXPECT_TRUE(outcome == SaveOutcome::Replaced || fs::last_write_time(FilePath) == written);
        // A file that is replaced keeps its mode.
        EXPECT_TRUE(before.empty() || !saved || fs::status(FilePath).permissions() == fs::perms(0640));
    }
}

TEST_F(DefinitionSaving, AStepThatFailsOrAKilledProcessLosesNothing)
{
    constexpr int kReplaceStep = 3;
    for (int stop = 0; stop < kStepsOfAFullSave; ++stop) {
        SCOPED_TRACE("step " + std::to_string(stop));
        // The step fails: before the replace nothing changes, after it nothing is lost.
        Lay(History);
        int step = 0;
        const auto saved = SaveDefinitionFile(Tree, Table, FilePath,
                                              [&](SaveStep, int) { return step++ == stop ? EIO : 0; });
        ASSERT_FALSE(saved);
        EXPECT_THAT(saved.error().Message, HasSubstr(std::strerror(EIO)));
        if (stop <= kReplaceStep) {
            EXPECT_EQ(Listing(), History);
        } else {
            ExpectNothingLost(/*shifted=*/true);
            EXPECT_EQ(Listing().at("main.strdef"), "NEW");
            // The error tells where the version that did not reach backup 1 is.
            EXPECT_THAT(saved.error().Message, HasSubstr(".bck0"));
        }

        // The process killed before the step.
        Lay(History);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            step = 0;
            (void)SaveDefinitionFile(Tree, Table, FilePath,
                                     [&](SaveStep, int) { return step++ == stop ? (::_exit(0), 0) : 0; });
            ::_exit(0);
        }
        ASSERT_EQ(::waitpid(child, nullptr, 0), child);
        ExpectNothingLost(/*shifted=*/stop > kReplaceStep + 1);
    }
}

TEST_F(DefinitionSaving, CompareFilesComparesWholeContentInBlocks)
{
    Lay({{"a", std::string(3000, 'z')},
         {"end", std::string(2999, 'z') + "y"},
         {"prefix", std::string(2048, 'z')}});
    EXPECT_EQ(CompareFiles("a", "a"), 0);
    EXPECT_EQ(CompareFiles("a", "end"), 1);
    EXPECT_EQ(CompareFiles("a", "prefix"), 1); // equal up to a block boundary
    EXPECT_EQ(CompareFiles("prefix", "a"), 1);
    EXPECT_EQ(CompareFiles("missing", "a"), -1);
}

} // namespace
} // namespace orv::test
