#include "editor/BoxText.h"

#include <tuple>

#include <gtest/gtest.h>

namespace orv {
namespace {

// A box as the widget would hold it: the shown text, with nothing replaced by the widget.
BoxText Shown(std::u16string stored)
{
    BoxText box;
    box.Set(stored, ShownText(stored));
    return box;
}

// Edits the shown text of `box`: `replacement` in place of `count` units at `at`.
bool Edit(BoxText& box, std::size_t at, std::size_t count, std::u16string_view replacement)
{
    std::u16string shown = box.Shown();
    return box.Edit(shown.replace(at, count, replacement));
}

TEST(BoxText, OnlyCarriageReturnLineFeedShowsAsALineBreak)
{
    EXPECT_EQ(ShownText(u"\r\r\n\nb\rc\t\u0007\u00A0"), u"\u240D\u2029\u240Ab\u240Dc\t\u0007\u00A0");
    EXPECT_EQ(StoredFromTyped(u"x\u2029y\u240A"), u"x\r\ny\u240A");
}

TEST(BoxText, EditsChangeOnlyTheUnitsTheyTouch)
{
    // The stored text, the edit of its shown text (where, how many units, by what), the stored result.
    // "a\nb\r\nc\rd" shows as a LF b | break c CR d.
    const std::tuple<std::u16string, std::size_t, std::size_t, std::u16string_view, std::u16string> cases[] =
        {
            {u"a\nb\r\nc\rd", 7, 0, u"e", u"a\nb\r\nc\rde"},
            {u"a\nb\r\nc\rd", 0, 0, u"_", u"_a\nb\r\nc\rd"},
            {u"a\nb\r\nc\rd", 3, 0, u"\u2029", u"a\nb\r\n\r\nc\rd"},
            {u"a\nb\r\nc\rd", 3, 1, u"", u"a\nbc\rd"}, // the shown break is both units
            {u"a\nb\r\nc\rd", 1, 1, u"", u"ab\r\nc\rd"},
            {u"a\nb\r\nc\rd", 2, 3, u"XY", u"a\nXY\rd"},     // a selection over a break
            {u"\r\n\r\n", 1, 0, u"\u2029", u"\r\n\r\n\r\n"}, // the diff cannot tell which one is new
            {u"\r\n\r\n", 0, 2, u"", u""},
        };
    for (const auto& [stored, at, count, replacement, expected] : cases) {
        BoxText box = Shown(stored);
        ASSERT_TRUE(Edit(box, at, count, replacement));
        EXPECT_EQ(box.Stored(), expected) << at << " " << count;
    }
    BoxText box = Shown(u"a\r\n");
    EXPECT_FALSE(box.Edit(box.Shown()));

    // Deleting the "b" between a lone CR and a lone LF joins them in the text, still shown as two
    // units; a later edit nearby keeps both.
    box = Shown(u"a\rb\nc");
    ASSERT_TRUE(Edit(box, 2, 1, u""));
    EXPECT_EQ(box.Shown(), u"a\u240D\u240Ac");
    ASSERT_TRUE(Edit(box, 2, 0, u"\u2029"));
    EXPECT_EQ(box.Stored(), u"a\r\r\n\nc");
}

TEST(BoxText, CharactersTheWidgetChangedAreKeptOrTheFirstEditTakesTheWholeText)
{
    // Qt's text document makes its frame marks U+FDD0 and U+FDD1 paragraph breaks.
    BoxText box;
    box.Set(u"a\uFDD0b\r\nc\u2029", u"a\u2029b\u2029c\u2029");
    ASSERT_TRUE(box.Edit(u"a\u2029b\u2029cd\u2029"));
    ASSERT_TRUE(box.Edit(u"Xa\u2029b\u2029cd\u2029"));
    EXPECT_EQ(box.Stored(), u"Xa\uFDD0b\r\ncd\u2029");

    // A widget that dropped characters: unedited, the stored text stays.
    box.Set(u"a\u0000b", u"ab");
    EXPECT_EQ(box.Stored(), u"a\u0000b");
    ASSERT_TRUE(box.Edit(u"abc\u2029"));
    EXPECT_EQ(box.Stored(), u"abc\r\n");
}

} // namespace
} // namespace orv
