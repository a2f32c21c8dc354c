#include "output/OutputMessages.h"

#include <vector>

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(OutputMessages, ListsJoinRunsAndCountWhatIsLeftOver)
{
    const std::vector<std::uint16_t> indexes = {0, 3, 5, 6, 7, 9, 65535};
    EXPECT_EQ(FormatIndexRanges(indexes), "0, 3, 5-7, 9, 65535");
    EXPECT_EQ(FormatIndexRanges(indexes, 2), "0, 3, and 5 more");
    EXPECT_EQ(FormatCodePointRanges(std::vector<std::uint16_t>{0x20, 0x21, 0x7E, 0xA9, 0xAA, 0x25A1}),
              "U+0020-U+0021, U+007E, U+00A9-U+00AA, U+25A1");
    EXPECT_EQ(HexNumber(0x1F600, 4), "1F600");

    // The overflow warning lists the texts cut and those left out, each list only when it has any.
    const std::vector<std::uint16_t> none, cut = {21}, leftOut = {22, 23, 24};
    EXPECT_TRUE(PoolOverflowNotice("the file", cut, leftOut)
                    .Text.ends_with("whole.\r\n\r\nCut: 21\r\n\r\nLeft out: 22-24"));
    EXPECT_TRUE(
        PoolOverflowNotice("the file", none, leftOut).Text.ends_with("whole.\r\n\r\nLeft out: 22-24"));
    EXPECT_TRUE(PoolOverflowNotice("the file", cut, none).Text.ends_with("whole.\r\n\r\nCut: 21"));
}

} // namespace
} // namespace orv
