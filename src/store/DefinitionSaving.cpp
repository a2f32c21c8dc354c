#include "store/DefinitionSaving.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

#include "base/FileIo.h"
#include "store/DefinitionFile.h"

namespace orv {

namespace {

constexpr std::size_t kCompareBlockSize = 1024;

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

bool PathExists(const std::filesystem::path& path)
{
    struct stat info
    {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

std::filesystem::path BackupPath(const std::filesystem::path& path, int generation)
{
    std::filesystem::path backup = path;
    backup += ".bck" + std::to_string(generation);
    return backup;
}

int CompareFiles(const std::filesystem::path& temporaryPath, const std::filesystem::path& path)
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

void RotateBackups(const std::filesystem::path& path)
{
    for (int generation = kBackupGenerations - 1; generation >= 1; --generation) {
        ::unlink(BackupPath(path, generation + 1).c_str());
        ::rename(BackupPath(path, generation).c_str(), BackupPath(path, generation + 1).c_str());
    }
    ::unlink(BackupPath(path, 1).c_str());
    ::rename(path.c_str(), BackupPath(path, 1).c_str());
}

Result<SaveOutcome> SaveDefinitionFile(const BlockTree& tree, DefinitionTable& table,
                                       const std::filesystem::path& filePath,
                                       const std::filesystem::path& temporaryPath)
{
    const std::vector<std::uint8_t> bytes = WriteDefinitionBytes(tree, table);
    // The temporary file is on disk before anything else is touched, so that a crash during the
    // renames below leaves the new content in it.
    if (auto written = WriteFileDurably(temporaryPath, bytes); !written) {
        ::unlink(temporaryPath.c_str());
        return tl::unexpected(written.error());
    }

    if (CompareFiles(temporaryPath, filePath) == 0) {
        ::unlink(temporaryPath.c_str());
        return SaveOutcome::Unchanged;
    }

    RotateBackups(filePath);
    const std::filesystem::path backup = BackupPath(filePath, 1);
    if (PathExists(filePath)) {
        // The old file could not become backup 1; replacing it now would lose it.
        return Fail(ErrorCode::WriteFailed, "cannot keep the previous version of " + filePath.string() +
                                                " as " + backup.string() + "; the new content is kept in " +
                                                temporaryPath.string());
    }

    if (::rename(temporaryPath.c_str(), filePath.c_str()) == 0) {
        SyncParentDirectory(filePath);
        return SaveOutcome::Replaced;
    }

    // A rename cannot cross file systems, and the temporary file lives in the working directory.
    const std::string renameReason = SystemReason();
    if (auto copied = ReplaceFileAtomically(filePath, bytes); !copied) {
        return Fail(ErrorCode::WriteFailed, "cannot move " + temporaryPath.string() + " to " +
                                                filePath.string() + " (" + renameReason + ") nor copy it (" +
                                                copied.error().Message + "); the new content is kept in " +
                                                temporaryPath.string() + ", the previous version in " +
                                                backup.string());
    }
    ::unlink(temporaryPath.c_str());
    return SaveOutcome::ReplacedByCopy;
}

} // namespace orv
