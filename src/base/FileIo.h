#pragma once

// Whole-file reading and safe writing. Messages name the file and carry the system's reason.
//
// Writing never touches the bytes of an existing file: the new content goes to a file of its own,
// created exclusively beside the target (never through a link, never over an existing name), and a
// rename puts it in place in one step, so that a reader, a crash or a full disk sees either the old
// file whole or the new one whole.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "base/Result.h"

namespace orv {

inline constexpr std::uint64_t kNoSizeLimit = std::numeric_limits<std::uint64_t>::max();

// The whole content of a regular file. OpenFailed when it cannot be opened or is a directory, device
// or pipe (a pipe is refused without waiting for a writer); ReadFailed when reading fails, when the
// file is larger than `maxSize` (checked before reading) or when there is not enough memory for it.
Result<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                std::uint64_t maxSize = kNoSizeLimit);

// The file that `path` names once symbolic links are followed; it need not exist. BadInput for a
// chain of links that loops or is too long.
Result<std::filesystem::path> FollowLinks(const std::filesystem::path& path);

// Where a write to `path` lands: the path itself, or the target of the links it names. OpenFailed
// when that exists and is not a regular file (a directory, device, pipe or socket is never replaced).
Result<std::filesystem::path> ResolveOutputTarget(const std::filesystem::path& path);

// A new file, created exclusively in a directory under a preferred name or, when that name is
// taken, the name followed by a unique suffix. It is removed when dropped unless it was renamed into
// place or kept.
class ExclusiveFile
{
public:
    // Creates the file. `like`, when given, is the file it will replace: the new one gets its mode
    // and, where the system allows it, its owner. OpenFailed when no file can be created.
    static Result<ExclusiveFile> Create(const std::filesystem::path& directory,
                                        const std::string& preferredName, const struct stat* like = nullptr);

    ExclusiveFile(ExclusiveFile&& other) noexcept;
    ExclusiveFile& operator=(ExclusiveFile&&) = delete;
    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;
    ~ExclusiveFile();

    const std::filesystem::path& Path() const { return FilePath; }

    // Writes `bytes`, flushes them to the disk and closes the file. WriteFailed on any failure.
    Result<void> WriteAll(std::span<const std::uint8_t> bytes);

    // Renames the file over `target` (in the same directory) and flushes the directory. On success
    // the file is the target's and no longer removed when this is dropped; WriteFailed otherwise.
    Result<void> RenameOnto(const std::filesystem::path& target);

    // Leaves the file on disk when this is dropped.
    void Keep() { Owned = false; }

private:
    ExclusiveFile(std::filesystem::path path, int fd) : FilePath(std::move(path)), Fd(fd) {}

    std::filesystem::path FilePath;
    int Fd = -1;
    bool Owned = true;
};

// Makes a hard link to `existing` in `directory` under a preferred name or a unique variant of it,
// and returns the link's path. WriteFailed when no link can be made (some file systems have none).
Result<std::filesystem::path> LinkExclusively(const std::filesystem::path& existing,
                                              const std::filesystem::path& directory,
                                              const std::string& preferredName);

// Replaces the regular file that `path` names (following links) with `bytes`, through a file of
// its own beside it and a rename; a new file is created when none exists. An existing file keeps
// its mode and, where allowed, its owner. OpenFailed when `path` is not a regular file or nothing
// can be created beside it, WriteFailed when writing fails; either leaves `path` as it was.
Result<void> WriteFileSafely(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Flushes a directory entry change (a rename or a new file) in the directory holding `path`.
// Best effort: some file systems refuse it, and nothing is lost when they do.
void SyncParentDirectory(const std::filesystem::path& path);

// The directory that holds `path` ("." for a bare name).
std::filesystem::path DirectoryOf(const std::filesystem::path& path);

// The system's text for the current errno.
std::string SystemReason();

} // namespace orv
