#include "output/Notice.h"

#include <numeric>
#include <vector>

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(Notice, ListsJoinRunsAndCountWhatIsLeftOver)
{
    const std::vector<std::uint16_t> indexes = {0, 3, 5, 6, 7, 9, 65535};
    EXPECT_EQ(FormatIndexRanges(indexes), "0, 3, 5-7, 9, 65535");
    EXPECT_EQ(FormatIndexRanges(indexes, 2), "0, 3, and 5 more");
    EXPECT_EQ(FormatIndexRanges({}), "");

    std::vector<std::uint16_t> codePoints(95);
    std::iota(codePoints.begin(), codePoints.end(), std::uint16_t{0x20});
    codePoints.push_back(0xA9);
    codePoints.push_back(0x25A1);
    EXPECT_EQ(FormatCodePointRanges(codePoints), "U+0020-U+007E, U+00A9, U+25A1");
    EXPECT_EQ(HexNumber(0x1F600, 4), "1F600");
}

} // namespace
} // namespace orv
