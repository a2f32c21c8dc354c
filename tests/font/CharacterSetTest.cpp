#include "font/CharacterSet.h"

#include <algorithm>

#include <gtest/gtest.h>

namespace orv {

using namespace std::string_view_literals;
namespace {

std::vector<char16_t> FixedCharacters()
{
    std::vector<char16_t> expected;
    for (char16_t unit = 0x20; unit <= 0x7E; ++unit)
        expected.push_back(unit);
    expected.insert(expected.end(), {0x00A9, 0x00AB, 0x00B0, 0x00B1, 0x00B2, 0x00B5, 0x00BB, 0x00D7, 0x2194,
                                     0x2195, 0x2248, 0x25B2, 0x25BA, 0x25BC, 0x25C4, 0x266A});
    return expected;
}

TEST(CharacterSet, WithoutTextsItHoldsPrintableAsciiAndTheSixteenSymbols)
{
    const std::vector<char16_t> codePoints = CharacterSet().CodePoints();
    EXPECT_EQ(codePoints, FixedCharacters());
    EXPECT_EQ(codePoints.size(), kFixedCharacterCount);
}

TEST(CharacterSet, AddsEveryUnitOfTheTextsButNeverTheUnrenderedOnes)
{
    CharacterSet characters;
    characters.AddText(u"\t Grüße\r\n");
    characters.AddText(u"\u0000\u0007\u0008\u000F\u0010\u001F\u25A1\uFFFC"sv);
    characters.AddText(u"\U0001F600 \u0416\u0416"); // a surrogate pair is two characters
    characters.AddText(u"AAA");                     // already there

    std::vector<char16_t> expected = FixedCharacters();
    expected.insert(expected.end(), {0x00DF, 0x00FC, 0x0010, 0x001F, 0xD83D, 0xDE00, 0x0416});
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(characters.CodePoints(), expected);
}

} // namespace
} // namespace orv
