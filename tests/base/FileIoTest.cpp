#include "base/FileIo.h"

#include <cerrno>
#include <cstring>
#include <tuple>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

TEST(FileIo, ReadingRefusesWhatIsNotARegularFileOfAtMostTheLimitWithoutWaiting)
{
    test::TemporaryDirectory directory;
    const std::string in = directory.Path().string();
    // Opening a pipe with no writer would wait for ever.
    ASSERT_EQ(::mkfifo((directory / "pipe").c_str(), 0600), 0);
    // A sparse file of 2 TiB takes no room on the disk, but reading it would take the memory.
    test::WriteBytes(directory / "huge", {});
    ASSERT_EQ(::truncate((directory / "huge").c_str(), std::int64_t{1} << 41), 0);
    using enum ErrorCode;
    // What each message starts with.
    const std::tuple<fs::path, ErrorCode, std::string> cases[] = {
        {"/dev/zero", OpenFailed, "cannot open /dev/zero: not a regular file"},
        {directory.Path(), OpenFailed, "cannot open " + in + ": " + std::strerror(EISDIR)},
        {directory / "pipe", OpenFailed, "cannot open " + in + "/pipe: not a regular file"},
        {directory / "missing", OpenFailed, "cannot open " + in + "/missing: " + std::strerror(ENOENT)},
        {directory / "huge", ReadFailed, "cannot read " + in + "/huge: it is 2199023255552 bytes, more"},
        // This process's memory, read from address 0 where nothing is mapped: read() fails with EIO.
        {"/proc/self/mem", ReadFailed, std::string("cannot read /proc/self/mem: ") + std::strerror(EIO)},
    };
    for (const auto& [path, code, message] : cases) {
        const auto read = ReadWholeFile(path, 1000);
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(read.error().Code, code) << path;
        EXPECT_EQ(read.error().Message.substr(0, message.size()), message);
    }
    ASSERT_EQ(::truncate((directory / "huge").c_str(), 1000), 0);
    EXPECT_EQ(ReadWholeFile(directory / "huge", 1000)->size(), 1000U);
}

TEST(FileIo, WritingReplacesOnlyARegularFileThroughLinksKeepingItsModeAndLeavingNothingBeside)
{
    test::TemporaryDirectory directory;
    const fs::path target = directory / "out.bin";
    test::WriteBytes(target, {1, 2, 3});
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    ASSERT_EQ(::symlink("out.bin", (directory / "link").c_str()), 0);
    ASSERT_TRUE(WriteFileSafely(directory / "link", Bytes{4, 5}));
    EXPECT_EQ(test::ReadBytes(target), (Bytes{4, 5}));
    EXPECT_TRUE(fs::is_symlink(directory / "link"));
    EXPECT_EQ(fs::status(target).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_EQ(::mkfifo((directory / "pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/null", (directory / "null").c_str()), 0);
    for (const fs::path& path :
         {directory / "pipe", directory / "null", directory.Path(), fs::path("/dev/full")}) {
        const auto written = WriteFileSafely(path, Bytes{1});
        ASSERT_FALSE(written) << path;
        EXPECT_EQ(written.error().Code, ErrorCode::OpenFailed);
        EXPECT_FALSE(fs::is_regular_file(path)) << path;
    }
    const auto missing = WriteFileSafely(directory / "missing" / "x.bin", Bytes{1});
    ASSERT_FALSE(missing);
    EXPECT_NE(missing.error().Message.find("missing"), std::string::npos);
    // The file, the link, the pipe and the other link: no part file is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(directory.Path()), fs::directory_iterator()), 4);
}

TEST(FileIo, ExclusiveFilesTakeAFreeNameAndRemoveThemselves)
{
    test::TemporaryDirectory directory;
    ASSERT_EQ(::symlink("/dev/null", (directory / "new").c_str()), 0);
    fs::path kept;
    {
        auto first = ExclusiveFile::Create(directory.Path(), "new");
        auto second = ExclusiveFile::Create(directory.Path(), "new");
        ASSERT_TRUE(first && second);
        EXPECT_EQ(first->Path().filename().string().rfind("new.", 0), 0U);
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
