#include "font/GlyphTable.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

TEST(GlyphTable, RecordsFollowEachOtherAndTheTreeFindsThem)
{
    const std::vector<std::uint8_t> a = {0, 36, 73, 109, 146, 182}, b = {255}, c = {219, 0};
    GlyphTableBuilder builder;
    builder.Add(u'A', Glyph{4, -1, 3, 3, 2, a});
    builder.Add(u'B', Glyph{2, 0, 21, 1, 1, b});
    builder.Add(u'C', Glyph{3, 1, 0, 2, 1, c});
    const RenderedFont font = builder.Finish();

    // 'A' takes 5 + 6 bytes, so 'B' starts at 11 and 'C' at 17.
    EXPECT_EQ(test::Hex(font.GlyphStore),
              "04 FF 03 03 02 00 24 49 6D 92 B6 02 00 15 01 01 FF 03 01 00 02 01 DB 00");
    EXPECT_EQ(font.GlyphTree, (std::vector<SearchTableEntry>{{kLeafBit | 0, 12, 0x41, 0x42},
                                                             {kLeafBit | 11, kLeafBit | 17, 0x42, 0x43}}));
    const Glyph found = FindGlyph(font, u'A');
    EXPECT_EQ(found.XOffset, -1);
    EXPECT_EQ(std::vector<std::uint8_t>(found.Pixels.begin(), found.Pixels.end()), a);
    EXPECT_EQ(FindGlyph(font, u'C').Pixels.data(), font.GlyphStore.data() + 22);
    EXPECT_EQ(FindGlyph(font, u'@').Pixels.data(), nullptr);
    EXPECT_EQ(FindGlyph(font, u'D').Pixels.data(), nullptr);
    EXPECT_EQ(FindGlyph(RenderedFont{}, u'A').Pixels.data(), nullptr);
}

TEST(GlyphTable, RecordsThatDoNotFitTheStoreAreEmpty)
{
    const std::vector<std::uint8_t> store = {5, 0, 0, 1, 3, 1, 2, 3, 9}; // 1 x 3 at 0; 4 bytes at 5
    EXPECT_EQ(GlyphAt(store, 0).Pixels.size(), 3u);
    EXPECT_EQ(GlyphAt(std::span(store).first(7), 0).Advance, 0); // claims 3 pixels, has 2
    EXPECT_EQ(GlyphAt(store, 5).Advance, 0);                     // a header of 4 bytes
    EXPECT_EQ(GlyphAt(store, 100).Advance, 0);
}

} // namespace
} // namespace orv
