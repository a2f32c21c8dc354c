#include "base/FileIo.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

TEST(FileIo, RefusesWhatIsNotARegularFile)
{
    for (const char* path : {"/dev/zero", "/tmp", "/nonexistent/file"}) {
        const auto read = ReadWholeFile(path);
        ASSERT_FALSE(read) << path;
        EXPECT_EQ(read.error().Code, ErrorCode::OpenFailed);
        EXPECT_NE(read.error().Message.find(path), std::string::npos);
    }
}

TEST(FileIo, ReplacingAFileLeavesNoPartBehind)
{
    test::TemporaryDirectory directory;
    const auto path = directory / "out.bin";
    test::WriteBytes(path, {1, 2, 3});
    ASSERT_TRUE(ReplaceFileAtomically(path, std::vector<std::uint8_t>{4, 5}));
    EXPECT_EQ(ReadWholeFile(path).value(), (std::vector<std::uint8_t>{4, 5}));
    EXPECT_FALSE(std::filesystem::exists(directory / "out.bin.part"));
    const auto failed = ReplaceFileAtomically(directory / "missing" / "x.bin", std::vector<std::uint8_t>{1});
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().Code, ErrorCode::WriteFailed);
}

} // namespace
} // namespace orv
