#include "font/CharacterSet.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(CharacterSet, HoldsAsciiTheSymbolsAndEveryUnitOfTheTextsButNeverTheUnrenderedOnes)
{
    // Without texts: U+0020-U+007E, then the sixteen symbols, all above it.
    const std::vector<char16_t> fixed = CharacterSet().CodePoints();
    ASSERT_EQ(fixed.size(), kFixedCharacterCount);
    EXPECT_TRUE(std::ranges::is_sorted(fixed) && fixed[0] == u' ' && fixed[94] == u'~' && fixed[95] > 0x7F);

    CharacterSet characters;
    characters.AddText(u"\t Grüße\r\n");
    characters.AddText(std::u16string_view(u"\u0000\u0007\u000F\u0010\u001F\u25A1\uFFFC", 7));
    characters.AddText(u"\U0001F600 \u0416\u0416AAA"); // a surrogate pair is two characters
    std::vector<char16_t> expected = fixed;
    expected.insert(expected.end(), {0x0010, 0x001F, 0x00DF, 0x00FC, 0x0416, 0xD83D, 0xDE00});
    std::ranges::sort(expected);
    EXPECT_EQ(characters.CodePoints(), expected);
}

} // namespace
} // namespace orv
