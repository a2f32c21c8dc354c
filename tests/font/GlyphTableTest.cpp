#include "font/GlyphTable.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

Glyph MakeGlyph(std::uint8_t advance, std::int8_t x, std::int8_t y, std::uint8_t width, std::uint8_t height,
                const std::vector<std::uint8_t>& pixels)
{
    return Glyph{advance, x, y, width, height, pixels};
}

TEST(GlyphTable, RecordsFollowEachOtherAndTheTreeFindsThem)
{
    const std::vector<std::uint8_t> a = {0, 36, 73, 109, 146, 182}; // 3 x 2
    const std::vector<std::uint8_t> b = {255};
    const std::vector<std::uint8_t> c = {219, 0};
    GlyphTableBuilder builder;
    builder.Add(u'A', MakeGlyph(4, -1, 3, 3, 2, a));
    builder.Add(u'B', MakeGlyph(2, 0, 21, 1, 1, b));
    builder.Add(u'C', MakeGlyph(3, 1, 0, 2, 1, c));
    const RenderedFont font = builder.Finish();

    // A takes 5 + 6 bytes, so B starts at 11 and C at 17.
    EXPECT_EQ(test::Hex(font.GlyphStore),
              "04 FF 03 03 02 00 24 49 6D 92 B6 02 00 15 01 01 FF 03 01 00 02 01 DB 00");
    EXPECT_EQ(font.GlyphTree, (std::vector<SearchTableEntry>{{kLeafBit | 0, 12, 0x41, 0x42},
                                                             {kLeafBit | 11, kLeafBit | 17, 0x42, 0x43}}));
    const Glyph found = FindGlyph(font, u'A');
    EXPECT_EQ(found.Advance, 4);
    EXPECT_EQ(found.XOffset, -1);
    EXPECT_EQ(std::vector<std::uint8_t>(found.Pixels.begin(), found.Pixels.end()), a);
    EXPECT_EQ(FindGlyph(font, u'C').Pixels.size(), 2u);
    EXPECT_EQ(FindGlyph(font, u'@').Advance, 0);
    EXPECT_EQ(FindGlyph(font, u'D').Advance, 0);
}

TEST(GlyphTable, EverythingIsEmptyBeforeTheFirstRendering)
{
    const RenderedFont font;
    const Glyph glyph = FindGlyph(font, u'A');
    EXPECT_EQ(glyph.Advance, 0);
    EXPECT_EQ(glyph.Width, 0);
    EXPECT_TRUE(glyph.Pixels.empty());
}

TEST(GlyphTable, RecordsThatDoNotFitTheStoreAreEmpty)
{
    const std::vector<std::uint8_t> store = {5, 0, 0, 4, 4, 1, 2, 3}; // claims 16 pixels, has 3
    EXPECT_EQ(GlyphAt(store, 0).Advance, 0);
    EXPECT_EQ(GlyphAt(store, 6).Advance, 0);
    EXPECT_EQ(GlyphAt(store, 100).Advance, 0);
}

} // namespace
} // namespace orv
