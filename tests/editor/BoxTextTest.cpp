#include "editor/BoxText.h"

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

// The shown text with `replacement` in place of `count` units at `at`.
std::u16string Replace(const BoxText& box, std::size_t at, std::size_t count, std::u16string_view replacement)
{
    std::u16string shown = box.Shown();
    shown.replace(at, count, replacement);
    return shown;
}

TEST(BoxText, OnlyCarriageReturnLineFeedShowsAsALineBreak)
{
    EXPECT_EQ(ShownText(u"a\r\nb"), u"a\u2029b");
    EXPECT_EQ(ShownText(u"a\nb\rc"), u"a\u240Ab\u240Dc");
    EXPECT_EQ(ShownText(u"\r\r\n\n"), u"\u240D\u2029\u240A");
    EXPECT_EQ(ShownText(u"\t\u0007\u0008\u00A0"), u"\t\u0007\u0008\u00A0");
    EXPECT_EQ(StoredFromTyped(u"x\u2029y\u240A"), u"x\r\ny\u240A");
}

TEST(BoxText, EditsChangeOnlyTheUnitsTheyTouch)
{
    BoxText box = Shown(u"a\nb\r\nc\rd");
    EXPECT_FALSE(box.Edit(box.Shown()));
    EXPECT_EQ(box.Stored(), u"a\nb\r\nc\rd");

    // Typing at the end, at the start, in the middle.
    ASSERT_TRUE(box.Edit(box.Shown() + u"e"));
    EXPECT_EQ(box.Stored(), u"a\nb\r\nc\rde");
    ASSERT_TRUE(box.Edit(u"_" + box.Shown()));
    EXPECT_EQ(box.Stored(), u"_a\nb\r\nc\rde");
    // A new paragraph after "b" (shown: _ a LF b | break c CR d e).
    ASSERT_TRUE(box.Edit(Replace(box, 4, 0, u"\u2029")));
    EXPECT_EQ(box.Stored(), u"_a\nb\r\n\r\nc\rde");
    // Deleting the shown line break deletes both units; deleting a lone one deletes one.
    ASSERT_TRUE(box.Edit(Replace(box, 5, 1, u"")));
    EXPECT_EQ(box.Stored(), u"_a\nb\r\nc\rde");
    ASSERT_TRUE(box.Edit(Replace(box, 2, 1, u"")));
    EXPECT_EQ(box.Stored(), u"_ab\r\nc\rde");
    // Replacing a run that spans breaks (a selection over "b", the break and "c").
    ASSERT_TRUE(box.Edit(Replace(box, 2, 3, u"XY")));
    EXPECT_EQ(box.Stored(), u"_aXY\rde");
    // A character typed into a run of equal ones (the diff cannot tell which one is new).
    BoxText repeated = Shown(u"\r\n\r\n");
    ASSERT_TRUE(repeated.Edit(u"\u2029\u2029\u2029"));
    EXPECT_EQ(repeated.Stored(), u"\r\n\r\n\r\n");
    ASSERT_TRUE(repeated.Edit(u""));
    EXPECT_EQ(repeated.Stored(), u"");
}

TEST(BoxText, UnitsJoinedByAnEditStayWhatTheyWere)
{
    // Deleting the "b" between a lone CR and a lone LF leaves CR LF in the text, still shown as
    // two units; a later edit nearby keeps both.
    BoxText box = Shown(u"a\rb\nc");
    ASSERT_TRUE(box.Edit(Replace(box, 2, 1, u"")));
    EXPECT_EQ(box.Stored(), u"a\r\nc");
    EXPECT_EQ(box.Shown(), u"a\u240D\u240Ac");
    ASSERT_TRUE(box.Edit(box.Shown() + u"d"));
    EXPECT_EQ(box.Stored(), u"a\r\ncd");
    ASSERT_TRUE(box.Edit(Replace(box, 2, 0, u"\u2029")));
    EXPECT_EQ(box.Stored(), u"a\r\r\n\ncd");
}

TEST(BoxText, CharactersTheWidgetTurnedIntoBreaksAreKept)
{
    // Qt's text document makes its frame marks U+FDD0 and U+FDD1 paragraph breaks.
    BoxText box;
    box.Set(u"a\uFDD0b\r\nc\u2029", u"a\u2029b\u2029c\u2029");
    ASSERT_TRUE(box.Edit(u"a\u2029b\u2029cd\u2029"));
    EXPECT_EQ(box.Stored(), u"a\uFDD0b\r\ncd\u2029");
    ASSERT_TRUE(box.Edit(u"Xa\u2029b\u2029cd\u2029"));
    EXPECT_EQ(box.Stored(), u"Xa\uFDD0b\r\ncd\u2029");
}

TEST(BoxText, AWidgetThatDroppedCharactersGetsTheWholeTextOnTheFirstEdit)
{
    BoxText box;
    box.Set(u"a\u0000b", u"ab");
    EXPECT_EQ(box.Stored(), u"a\u0000b"); // unedited, the stored text stays
    ASSERT_TRUE(box.Edit(u"abc\u2029"));
    EXPECT_EQ(box.Stored(), u"abc\r\n");
    ASSERT_TRUE(box.Edit(u"abcd\u2029"));
    EXPECT_EQ(box.Stored(), u"abcd\r\n");
}

} // namespace
} // namespace orv
