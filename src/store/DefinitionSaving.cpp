#include "store/DefinitionSaving.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

#include "base/FileIo.h"
#include "store/DefinitionFile.h"

namespace orv {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kCompareBlockSize = 1024;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Runs the test hook, if any, before a step: nonzero is the errno the step is to fail with.
int InjectedFault(const SaveFaultHook& faults, SaveStep step, int generation = 0)
{
    return faults ? faults(step, generation) : 0;
}

tl::unexpected<Error> StepFailed(const std::string& what, int error)
{
    return Fail(ErrorCode::WriteFailed, what + ": " + std::strerror(error));
}

// Gives the definition file a second name beside it, so that its content stays on disk whatever
// happens to the name `target`: a hard link, or a copy where the file system has none.
Result<fs::path> KeepPreviousVersion(const fs::path& target, const struct stat& existing,
                                     const SaveFaultHook& faults)
{
    const fs::path directory = DirectoryOf(target);
    const std::string name = target.filename().string() + ".bck0";
    if (const int error = InjectedFault(faults, SaveStep::KeepPrevious))
        return StepFailed("cannot keep the previous version of " + target.string(), error);
    if (auto linked = LinkExclusively(target, directory, name))
        return linked;

    auto content = ReadWholeFile(target);
    if (!content)
        return Fail(ErrorCode::WriteFailed, "cannot keep the previous version of " + target.string() + ": " +
                                                content.error().Message);
    auto copy = ExclusiveFile::Create(directory, name, &existing);
    if (!copy)
        return tl::unexpected(copy.error());
    if (auto written = copy->WriteAll(*content); !written)
        return tl::unexpected(written.error());
    copy->Keep();
    return copy->Path();
}

// Shifts backups 1 to 8 up one generation and puts `previous` in as backup 1. Every step is a
// rename onto the next name, so a step that fails or is interrupted leaves each version under one
// name or another; on failure the shifting stops there and `previous` stays where it is.
Result<void> RotateBackups(const fs::path& target, const fs::path& previous, const SaveFaultHook& faults)
{
    const auto keptIn = [&] { return "; the previous version is kept in " + previous.string(); };
    for (int generation = kBackupGenerations - 1; generation >= 1; --generation) {
        const fs::path from = BackupPath(target, generation);
        const fs::path to = BackupPath(target, generation + 1);
        int error = InjectedFault(faults, SaveStep::ShiftBackup, generation);
        if (error == 0 && ::rename(from.c_str(), to.c_str()) != 0)
            error = errno;
        if (error == ENOENT) {
            // A missing generation is a gap that moves up with the others; the oldest generation
            // drops out whether or not the one below it exists.
            if (generation == kBackupGenerations - 1)
                ::unlink(to.c_str());
            continue;
        }
        if (error != 0)
            return StepFailed(target.string() +
                                  " is saved, but its backups could not be shifted: cannot rename " +
                                  from.string() + " to " + to.string() + keptIn(),
                              error);
    }
    const fs::path first = BackupPath(target, 1);
    int error = InjectedFault(faults, SaveStep::PlaceBackup);
    if (error == 0 && ::rename(previous.c_str(), first.c_str()) != 0)
        error = errno;
    if (error != 0)
        return StepFailed(target.string() + " is saved, but cannot rename " + previous.string() + " to " +
                              first.string() + keptIn(),
                          error);
    SyncParentDirectory(target);
    return {};
}

} // namespace

fs::path BackupPath(const fs::path& path, int generation)
{
    fs::path backup = path;
    backup += ".bck" + std::to_string(generation);
    return backup;
}

int CompareFiles(const fs::path& temporaryPath, const fs::path& path)
{
    FileHandle temporary(std::fopen(temporaryPath.c_str(), "rb"));
    if (!temporary)
        return -1;
    FileHandle other(std::fopen(path.c_str(), "rb"));
    if (!other)
        return -1;
    std::array<char, kCompareBlockSize> left{};
    std::array<char, kCompareBlockSize> right{};
    for (;;) {
        const std::size_t leftCount = std::fread(left.data(), 1, left.size(), temporary.get());
        const std::size_t rightCount = std::fread(right.data(), 1, right.size(), other.get());
        if (leftCount != rightCount)
            return 1;
        if (leftCount == 0)
            return 0;
        if (std::memcmp(left.data(), right.data(), leftCount) != 0)
            return 1;
    }
}

Result<SaveOutcome> SaveDefinitionFile(const BlockTree& tree, DefinitionTable& table,
                                       const fs::path& filePath, const SaveFaultHook& faults)
{
    table.SaveLock = 0;
    const std::vector<std::uint8_t> bytes = WriteDefinitionBytes(tree, table);

    // A definition file that is a link is saved into the file it links to, and its backups sit
    // beside that file, so that every rename below stays in one directory of one file system.
    auto target = ResolveOutputTarget(filePath);
    if (!target)
        return tl::unexpected(target.error());
    struct stat existing
    {};
    const bool exists = ::stat(target->c_str(), &existing) == 0;

    if (const int error = InjectedFault(faults, SaveStep::CreateTemporary))
        return StepFailed("cannot create a temporary file beside " + target->string(), error);
    auto temporary =
        ExclusiveFile::Create(DirectoryOf(*target), kTemporaryFileName, exists ? &existing : nullptr);
    if (!temporary)
        return tl::unexpected(temporary.error());
    if (const int error = InjectedFault(faults, SaveStep::WriteTemporary))
        return StepFailed("cannot write " + temporary->Path().string(), error);
    if (auto written = temporary->WriteAll(bytes); !written)
        return tl::unexpected(written.error());

    if (CompareFiles(temporary->Path(), *target) == 0)
        return SaveOutcome::Unchanged;

    std::optional<fs::path> previous;
    if (exists) {
        auto kept = KeepPreviousVersion(*target, existing, faults);
        if (!kept)
            return tl::unexpected(kept.error());
        previous = std::move(*kept);
    }

    int error = InjectedFault(faults, SaveStep::Replace);
    auto replaced =
        error != 0 ? StepFailed("cannot replace " + target->string(), error) : temporary->RenameOnto(*target);
    if (!replaced) {
        // Nothing has changed yet: the second name of the old file goes, the backups were not touched.
        if (previous)
            ::unlink(previous->c_str());
        return tl::unexpected(replaced.error());
    }
    if (previous) {
        if (auto rotated = RotateBackups(*target, *previous, faults); !rotated)
            return tl::unexpected(rotated.error());
    }
    return SaveOutcome::Replaced;
}

} // namespace orv
