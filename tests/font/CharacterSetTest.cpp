#include "font/CharacterSet.h"

#include <algorithm>
#include <iterator>

#include <gtest/gtest.h>

namespace orv {

using namespace std::string_view_literals;
namespace {

TEST(CharacterSet, HoldsAsciiTheSymbolsAndEveryUnitOfTheTextsButNeverTheUnrenderedOnes)
{
    // Without texts: U+0020-U+007E, then the sixteen symbols, all above it.
    const std::vector<char16_t> fixed = CharacterSet().CodePoints();
    ASSERT_EQ(fixed.size(), kFixedCharacterCount);
    EXPECT_EQ(fixed[0], u' ');
    EXPECT_EQ(fixed[94], u'~');
    EXPECT_GT(fixed[95], u'\u007F');
    EXPECT_TRUE(std::ranges::is_sorted(fixed));

    CharacterSet characters;
    characters.AddText(u"\t Grüße\r\n");
    characters.AddText(u"\u0000\u0007\u000F\u0010\u001F\u25A1\uFFFC"sv);
    characters.AddText(u"\U0001F600 \u0416\u0416AAA"); // a surrogate pair is two characters
    const std::vector<char16_t> all = characters.CodePoints();
    std::vector<char16_t> added;
    std::ranges::set_difference(all, fixed, std::back_inserter(added));
    EXPECT_EQ(added, (std::vector<char16_t>{0x0010, 0x001F, 0x00DF, 0x00FC, 0x0416, 0xD83D, 0xDE00}));
    EXPECT_EQ(all.size(), fixed.size() + added.size());
    EXPECT_TRUE(std::ranges::is_sorted(all));
}

} // namespace
} // namespace orv
