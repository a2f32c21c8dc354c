#include "base/FileIo.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

TEST(FileIo, ReadingRefusesWhatIsNotARegularFileWithoutWaiting)
{
    test::TemporaryDirectory directory;
    // Opening a pipe with no writer would wait for ever.
    ASSERT_EQ(::mkfifo((directory / "pipe").c_str(), 0600), 0);
    for (const fs::path& path :
         {fs::path("/dev/zero"), directory.Path(), directory / "pipe", directory / "missing"}) {
        const auto read = ReadWholeFile(path);
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(read.error().Code, ErrorCode::OpenFailed);
        EXPECT_NE(read.error().Message.find(path.string()), std::string::npos);
    }
}

TEST(FileIo, TooLargeOrUnreadableFilesAreReadFailed)
{
    test::TemporaryDirectory directory;
    const fs::path path = directory / "huge";
    // A sparse file of 2 TiB takes no room on the disk, but reading it would take the memory.
    test::WriteBytes(path, {});
    ASSERT_EQ(::truncate(path.c_str(), std::int64_t{1} << 41), 0);
    const auto read = ReadWholeFile(path, 1000);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().Code, ErrorCode::ReadFailed);
    EXPECT_NE(read.error().Message.find("2199023255552 bytes"), std::string::npos) << read.error().Message;
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
    EXPECT_EQ(ReadWholeFile(path, 1000)->size(), 1000U);

    // This process's memory, read from address 0 where nothing is mapped: read() fails with EIO.
    const auto failed = ReadWholeFile("/proc/self/mem");
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().Code, ErrorCode::ReadFailed);
    EXPECT_EQ(failed.error().Message, std::string("cannot read /proc/self/mem: ") + std::strerror(EIO));
}

TEST(FileIo, WritingReplacesTheFileThroughLinksAndKeepsItsMode)
{
    test::TemporaryDirectory directory;
    const fs::path target = directory / "out.bin";
    test::WriteBytes(target, {1, 2, 3});
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("out.bin", (directory / "link").c_str()), 0);
    ASSERT_TRUE(WriteFileSafely(directory / "link", Bytes{4, 5}));
    EXPECT_EQ(test::ReadBytes(target), (Bytes{4, 5}));
    EXPECT_TRUE(fs::is_symlink(directory / "link"));
    struct stat info
    {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600U);
    // Only the file and the link: nothing is left beside them.
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.Path()), fs::directory_iterator()), 2);
}

TEST(FileIo, WritingNeverReplacesWhatIsNotARegularFile)
{
    test::TemporaryDirectory directory;
    ASSERT_EQ(::mkfifo((directory / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/null", (directory / "null").c_str()), 0);
    for (const fs::path& path :
         {directory / "pipe", directory / "null", directory.Path(), fs::path("/dev/full")}) {
        const auto written = WriteFileSafely(path, Bytes{1});
        ASSERT_FALSE(written) << path;
        EXPECT_EQ(written.error().Code, ErrorCode::OpenFailed);
        EXPECT_FALSE(fs::is_regular_file(path)) << path;
    }
    EXPECT_TRUE(fs::is_symlink(directory / "null"));
    const auto missing = WriteFileSafely(directory / "missing" / "x.bin", Bytes{1});
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().Message.find("missing"), std::string::npos);
}

TEST(FileIo, ExclusiveFilesTakeAFreeNameAndRemoveThemselves)
{
    test::TemporaryDirectory directory;
    ASSERT_EQ(::symlink("/dev/null", (directory / "new").c_str()), 0);
    fs::path kept;
    {
        auto first = ExclusiveFile::Create(directory.Path(), "new");
        ASSERT_TRUE(first);
        EXPECT_NE(first->Path(), directory / "new");
        EXPECT_EQ(first->Path().filename().string().rfind("new.", 0), 0U);
        auto second = ExclusiveFile::Create(directory.Path(), "new");
        ASSERT_TRUE(second);
        EXPECT_NE(second->Path(), first->Path());
        kept = second->Path();
        second->Keep();
        EXPECT_TRUE(fs::exists(first->Path()));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.Path()), fs::directory_iterator()), 2);
    EXPECT_TRUE(fs::exists(kept));
}

} // namespace
} // namespace orv
