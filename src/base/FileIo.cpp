#include "base/FileIo.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv {

namespace {

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
    // Closes now and reports the result, since close can report a failed delayed write.
    bool Close()
    {
        const int fd = Fd;
        Fd = -1;
        return ::close(fd) == 0;
    }

private:
    int Fd;
};

} // namespace

std::string SystemReason()
{
    return std::strerror(errno);
}

Result<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
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

    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size));
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
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    return bytes;
}

Result<void> WriteFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        return Fail(ErrorCode::WriteFailed, "cannot create " + path.string() + ": " + SystemReason());
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(file.Get(), bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return Fail(ErrorCode::WriteFailed, "cannot write " + path.string() + ": " + SystemReason());
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(file.Get()) != 0 && errno != EINVAL && errno != EROFS)
        return Fail(ErrorCode::WriteFailed, "cannot flush " + path.string() + ": " + SystemReason());
    if (!file.Close())
        return Fail(ErrorCode::WriteFailed, "cannot write " + path.string() + ": " + SystemReason());
    return {};
}

void SyncParentDirectory(const std::filesystem::path& path)
{
    std::filesystem::path directory = path.parent_path();
    if (directory.empty())
        directory = ".";
    FileDescriptor handle(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.Get() >= 0)
        ::fsync(handle.Get());
}

Result<void> ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes)
{
    std::filesystem::path temporary = path;
    temporary += ".part";
    if (auto written = WriteFileDurably(temporary, bytes); !written) {
        ::unlink(temporary.c_str());
        return written;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = SystemReason();
        ::unlink(temporary.c_str());
        return Fail(ErrorCode::WriteFailed, "cannot replace " + path.string() + ": " + reason);
    }
    SyncParentDirectory(path);
    return {};
}

} // namespace orv
