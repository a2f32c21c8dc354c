#include "base/CaseFold.h"

#include <random>

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(CaseFold, FoldsUnitsOfEveryScriptToTheirSimpleFolding)
{
    const std::pair<char16_t, char16_t> cases[] = {
        {u'A', u'a'},           {u'Z', u'z'},           {u'a', u'a'},
        {u'@', u'@'},           {u'[', u'['},           {u'\u00C4', u'\u00E4'}, // Ä
        {u'\u00C9', u'\u00E9'},                                                 // É keeps its accent
        {u'\u00E9', u'\u00E9'}, {u'\u00DF', u'\u00DF'}, // ß has only a full folding ("ss")
        {u'\u1E9E', u'\u00DF'},                         // capital sharp s
        {u'\u00B5', u'\u03BC'},                         // micro sign to Greek mu
        {u'\u00D7', u'\u00D7'},                         // multiplication sign, between two runs
        {u'\u0100', u'\u0101'}, {u'\u0101', u'\u0101'}, {u'\u012E', u'\u012F'}, // alternating run
        {u'\u0130', u'\u0130'},                                                 // İ: no simple folding
        {u'\u03A3', u'\u03C3'}, {u'\u03C2', u'\u03C3'}, {u'\u03C3', u'\u03C3'}, // sigma, final sigma
        {u'\u0416', u'\u0436'}, {u'\u0401', u'\u0451'},                         // Cyrillic Ж, Ё
        {u'\u212A', u'k'},      {u'\u2126', u'\u03C9'},                         // Kelvin, Ohm
        {u'\uAB70', u'\u13A0'},                                                 // Cherokee folds to capitals
        {u'\uFF21', u'\uFF41'},                                                 // fullwidth A
        {u'\xD801', u'\xD801'}, {u'\xDC00', u'\xDC00'}, {u'\uFFFF', u'\uFFFF'},
    };
    for (const auto& [unit, folded] : cases)
        EXPECT_EQ(FoldCase(unit), folded) << std::hex << static_cast<int>(unit);

    // Deseret capital long I (U+10400) lies beyond the BMP and stays as it is.
    EXPECT_EQ(FoldCase(u"Stra\u00DFe \u00C9T\u00C9 \u039F\u0394\u039F\u03A3 \U00010400"),
              u"stra\u00DFe \u00E9t\u00E9 \u03BF\u03B4\u03BF\u03C3 \U00010400");
}

TEST(CaseFold, ContainsFoldedFindsTheNeedleAnywhereAndNothingLongerThanTheText)
{
    EXPECT_TRUE(ContainsFolded(u"Hello", u"hel"));
    EXPECT_TRUE(ContainsFolded(u"HELLO", u"llo"));
    EXPECT_TRUE(ContainsFolded(u"Hello", u"hello"));
    EXPECT_TRUE(ContainsFolded(u"", u""));
    EXPECT_TRUE(ContainsFolded(u"Hello", u""));
    EXPECT_FALSE(ContainsFolded(u"Hello", u"hello!"));
    EXPECT_FALSE(ContainsFolded(u"", u"h"));
    EXPECT_FALSE(ContainsFolded(u"Hello", u"Hel")); // the needle must come folded
    EXPECT_TRUE(ContainsFolded(u"CAF\u00C9", u"caf\u00E9"));
    EXPECT_FALSE(ContainsFolded(u"caf\u00E9", u"cafe"));
}

// The search skips ahead on mismatches; compare it with trying every position, on texts over two
// letters in both cases, where periodic needles and near misses are common.
TEST(CaseFold, ContainsFoldedAgreesWithASearchAtEveryPosition)
{
    std::mt19937 random(2024);
    const auto randomText = [&](std::size_t maxLength) {
        std::u16string text(random() % (maxLength + 1), u'a');
        for (char16_t& unit : text)
            unit = u"abAB"[random() % 4];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::u16string text = randomText(24);
        const std::u16string needle = FoldCase(randomText(8));
        const bool expected = FoldCase(text).find(needle) != std::u16string::npos;
        ASSERT_EQ(ContainsFolded(text, needle), expected)
            << std::string(text.begin(), text.end()) << " / " << std::string(needle.begin(), needle.end());
    }
}

} // namespace
} // namespace orv
