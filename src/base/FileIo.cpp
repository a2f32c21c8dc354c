#include "base/FileIo.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <random>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace orv {

namespace {

// Symbolic links followed before a chain is taken for a loop; the kernel's own limit.
constexpr int kMaxLinkDepth = 40;
// Names tried after the preferred one before giving up on finding a free one.
constexpr int kMaxNameAttempts = 100;

// Closes a descriptor on every path out of a function.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : Fd(fd) {}
    ~FileDescriptor()
    {
        if (Fd >= 0)
            ::close(Fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return Fd; }

private:
    int Fd;
};

// Candidate names for a new file: the preferred one, then the preferred one with a suffix that no
// other process is likely to pick (its pid, a counter and a random number).
std::string CandidateName(const std::string& preferredName, int attempt)
{
    if (attempt == 0)
        return preferredName;
    static std::atomic<unsigned> counter{0};
    static thread_local std::minstd_rand random{std::random_device{}()};
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%ld-%u-%06x", static_cast<long>(::getpid()), counter.fetch_add(1),
                  static_cast<unsigned>(random() & 0xFFFFFF));
    return preferredName + suffix;
}

// Calls `attempt` with candidate paths until it succeeds (returns 0) or fails for another reason
// than the name being taken (returns that errno). Sets `chosen` to the last path tried.
int TryNames(const std::filesystem::path& directory, const std::string& preferredName,
             const std::function<int(const std::filesystem::path&)>& attempt, std::filesystem::path& chosen)
{
    int error = EEXIST;
    for (int index = 0; index <= kMaxNameAttempts && error == EEXIST; ++index) {
        chosen = directory / CandidateName(preferredName, index);
        error = attempt(chosen);
    }
    return error;
}

Result<void> WriteAllTo(int fd, const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return Fail(ErrorCode::WriteFailed, "cannot write " + path.string() + ": " + SystemReason());
        }
        written += static_cast<std::size_t>(count);
    }
    // Some file systems cannot sync (EINVAL, EROFS); what they hold is as durable as they make it.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return Fail(ErrorCode::WriteFailed, "cannot flush " + path.string() + ": " + SystemReason());
    return {};
}

} // namespace

std::string SystemReason()
{
    return std::strerror(errno);
}

std::filesystem::path DirectoryOf(const std::filesystem::path& path)
{
    std::filesystem::path directory = path.parent_path();
    return directory.empty() ? std::filesystem::path(".") : directory;
}

Result<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path, std::uint64_t maxSize)
{
    // Opening a pipe for reading waits for a writer; O_NONBLOCK makes it return at once so that the
    // check below can refuse it.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.Get() < 0)
        return Fail(ErrorCode::OpenFailed, "cannot open " + path.string() + ": " + SystemReason());
    struct stat info
    {};
    if (::fstat(file.Get(), &info) != 0)
        return Fail(ErrorCode::ReadFailed, "cannot read " + path.string() + ": " + SystemReason());
    if (S_ISDIR(info.st_mode))
        return Fail(ErrorCode::OpenFailed, "cannot open " + path.string() + ": " + std::strerror(EISDIR));
    // Devices and pipes can deliver bytes without end (think of /dev/zero); files are what we read.
    if (!S_ISREG(info.st_mode))
        return Fail(ErrorCode::OpenFailed, "cannot open " + path.string() + ": not a regular file");
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > maxSize)
        return Fail(ErrorCode::ReadFailed, "cannot read " + path.string() + ": it is " +
                                               std::to_string(size) + " bytes, more than the " +
                                               std::to_string(maxSize) + " bytes such a file can have");
    ::fcntl(file.Get(), F_SETFL, ::fcntl(file.Get(), F_GETFL) & ~O_NONBLOCK);

    try {
        std::vector<std::uint8_t> bytes;
        bytes.reserve(static_cast<std::size_t>(size));
        // Read until the end rather than trusting the size, which can change while we read.
        std::uint8_t chunk[65536];
        for (;;) {
            const ssize_t count = ::read(file.Get(), chunk, sizeof chunk);
            if (count < 0) {
                if (errno == EINTR)
                    continue;
                return Fail(ErrorCode::ReadFailed, "cannot read " + path.string() + ": " + SystemReason());
            }
            if (count == 0)
                break;
            if (bytes.size() + static_cast<std::size_t>(count) > maxSize)
                return Fail(ErrorCode::ReadFailed, "cannot read " + path.string() + ": it grew beyond the " +
                                                       std::to_string(maxSize) +
                                                       " bytes such a file can have");
            bytes.insert(bytes.end(), chunk, chunk + count);
        }
        return bytes;
    } catch (const std::bad_alloc&) {
        return Fail(ErrorCode::ReadFailed, "cannot read " + path.string() + ": not enough memory for its " +
                                               std::to_string(size) + " bytes");
    }
}

Result<std::filesystem::path> FollowLinks(const std::filesystem::path& path)
{
    std::filesystem::path current = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info
        {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX) + 1, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0)
            return Fail(ErrorCode::BadInput,
                        "cannot follow the link " + current.string() + ": " + SystemReason());
        target.resize(static_cast<std::size_t>(length));
        const std::filesystem::path next(target);
        current = next.is_absolute() ? next : DirectoryOf(current) / next;
    }
    return Fail(ErrorCode::BadInput,
                "cannot follow the links from " + path.string() + ": " + std::strerror(ELOOP));
}

Result<std::filesystem::path> ResolveOutputTarget(const std::filesystem::path& path)
{
    auto target = FollowLinks(path);
    if (!target)
        return Fail(ErrorCode::OpenFailed, target.error().Message);
    struct stat info
    {};
    if (::lstat(target->c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        const char* what = S_ISDIR(info.st_mode) ? "it is a directory" : "it is not a regular file";
        return Fail(ErrorCode::OpenFailed, "cannot write " + path.string() + ": " + what);
    }
    return target;
}

Result<ExclusiveFile> ExclusiveFile::Create(const std::filesystem::path& directory,
                                            const std::string& preferredName, const struct stat* like)
{
    int fd = -1;
    std::filesystem::path chosen;
    // O_EXCL refuses every existing name, a symbolic link included, so nothing is followed or reused.
    const int error = TryNames(
        directory, preferredName,
        [&](const std::filesystem::path& candidate) {
            fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            return fd >= 0 ? 0 : errno;
        },
        chosen);
    if (error != 0)
        return Fail(ErrorCode::OpenFailed, "cannot create " + chosen.string() + ": " + std::strerror(error));
    ExclusiveFile file(chosen, fd);
    if (like) {
        // The owner first: changing it clears the set-user and set-group bits that the mode restores.
        // Only a privileged process may give a file away, so a refusal is expected and harmless.
        if (like->st_uid != ::geteuid() || like->st_gid != ::getegid())
            (void)::fchown(fd, like->st_uid, like->st_gid);
        if (::fchmod(fd, like->st_mode & 07777) != 0)
            return Fail(ErrorCode::WriteFailed,
                        "cannot set the mode of " + chosen.string() + ": " + SystemReason());
    }
    return file;
}

ExclusiveFile::ExclusiveFile(ExclusiveFile&& other) noexcept
    : FilePath(std::move(other.FilePath)), Fd(other.Fd), Owned(other.Owned)
{
    other.Fd = -1;
    other.Owned = false;
}

ExclusiveFile::~ExclusiveFile()
{
    if (Fd >= 0)
        ::close(Fd);
    if (Owned)
        ::unlink(FilePath.c_str());
}

Result<void> ExclusiveFile::WriteAll(std::span<const std::uint8_t> bytes)
{
    if (auto written = WriteAllTo(Fd, FilePath, bytes); !written)
        return written;
    const int fd = Fd;
    Fd = -1;
    // close can report a delayed write that failed.
    if (::close(fd) != 0)
        return Fail(ErrorCode::WriteFailed, "cannot write " + FilePath.string() + ": " + SystemReason());
    return {};
}

Result<void> ExclusiveFile::RenameOnto(const std::filesystem::path& target)
{
    if (::rename(FilePath.c_str(), target.c_str()) != 0)
        return Fail(ErrorCode::WriteFailed, "cannot replace " + target.string() + " with " +
                                                FilePath.string() + ": " + SystemReason());
    Owned = false;
    SyncParentDirectory(target);
    return {};
}

Result<std::filesystem::path> LinkExclusively(const std::filesystem::path& existing,
                                              const std::filesystem::path& directory,
                                              const std::string& preferredName)
{
    std::filesystem::path chosen;
    const int error = TryNames(
        directory, preferredName,
        [&](const std::filesystem::path& candidate) {
            return ::link(existing.c_str(), candidate.c_str()) == 0 ? 0 : errno;
        },
        chosen);
    if (error != 0)
        return Fail(ErrorCode::WriteFailed, "cannot link " + existing.string() + " as " + chosen.string() +
                                                ": " + std::strerror(error));
    return chosen;
}

Result<void> WriteFileSafely(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    auto target = ResolveOutputTarget(path);
    if (!target)
        return tl::unexpected(target.error());
    struct stat existing
    {};
    const bool exists = ::stat(target->c_str(), &existing) == 0;
    auto file = ExclusiveFile::Create(DirectoryOf(*target), target->filename().string() + ".part",
                                      exists ? &existing : nullptr);
    if (!file)
        return tl::unexpected(file.error());
    if (auto written = file->WriteAll(bytes); !written)
        return written;
    return file->RenameOnto(*target);
}

void SyncParentDirectory(const std::filesystem::path& path)
{
    FileDescriptor handle(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.Get() >= 0)
        ::fsync(handle.Get());
}

} // namespace orv
