#include "font/GlyphTable.h"

#include <tuple>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

TEST(GlyphTable, RecordsFollowEachOtherTheTreeFindsThemAndThoseThatDoNotFitAreEmpty)
{
    using Pixels = std::vector<std::uint8_t>;
    GlyphTableBuilder builder;
    builder.Add(u'A', Glyph{4, -1, 3, 3, 2, Pixels{0, 36, 73, 109, 146, 182}});
    builder.Add(u'B', Glyph{2, 0, 21, 1, 1, Pixels{255}});
    builder.Add(u'C', Glyph{3, 1, 0, 2, 1, Pixels{219, 0}});
    const RenderedFont font = builder.Finish();

    // 'A' takes 5 + 6 bytes, so 'B' starts at 11 and 'C' at 17.
    EXPECT_EQ(test::Hex(font.GlyphStore),
              "04 FF 03 03 02 00 24 49 6D 92 B6 02 00 15 01 01 FF 03 01 00 02 01 DB 00");
    const Glyph found = FindGlyph(font, u'A');
    EXPECT_EQ(std::tuple(found.Advance, found.XOffset, found.YOffset, found.Width, found.Height),
              std::tuple(4, -1, 3, 3, 2));
    for (const auto& [unit, pixels] : {std::pair{u'A', 5}, {u'B', 16}, {u'C', 22}, {u'@', -1}, {u'D', -1}})
        EXPECT_EQ(FindGlyph(font, unit).Pixels.data(),
                  pixels < 0 ? nullptr : font.GlyphStore.data() + pixels);

    // Records that do not fit the store are empty.
    const std::vector<std::uint8_t> store = {5, 0, 0, 1, 3, 1, 2, 3, 9}; // 1 x 3 at 0; 4 bytes at 5
    EXPECT_EQ(GlyphAt(store, 0).Pixels.size(), 3u);
    EXPECT_EQ(GlyphAt(std::span(store).first(7), 0).Advance, 0); // claims 3 pixels, has 2
    EXPECT_EQ(GlyphAt(store, 5).Advance, 0);                     // a header of 4 bytes
    EXPECT_EQ(GlyphAt(store, 100).Advance, 0);
}

} // namespace
} // namespace orv
