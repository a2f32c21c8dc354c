#include "font/PreviewCanvas.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace orv {
namespace {

// Three glyphs with ink on rows 10 and 11 of the 22-pixel line:
//   'I'  advance 2, one column of full ink
//   'T'  advance 4, three columns: a bar on row 10, a stem on row 11 in a lighter grey
//   'j'  advance 2, x offset -2: both its columns lie left of the pen, over the glyph before it,
//        and its top-left pixel is 0
RenderedFont SampleFont()
{
    using Pixels = std::vector<std::uint8_t>;
    GlyphTableBuilder builder;
    builder.Add(u'I', Glyph{2, 0, 10, 1, 2, Pixels{255, 255}});
    builder.Add(u'T', Glyph{4, 0, 10, 3, 2, Pixels{255, 255, 255, 0, 109, 0}});
    builder.Add(u'j', Glyph{2, -2, 10, 2, 2, Pixels{0, 182, 219, 182}});
    return builder.Finish();
}

// Canvas rows as text: '.' black, '#' full ink, 1-6 the grey levels 36 to 219.
std::string Rows(const PreviewCanvas& canvas, int first, int last)
{
    std::string text;
    for (int y = first; y <= last; ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            const unsigned grey = canvas.Pixel(x, y) & 0xFF;
            EXPECT_EQ(canvas.Pixel(x, y), grey * 0x010101u) << "not grey at " << x << "," << y;
            text += grey == 0 ? '.' : grey == 255 ? '#' : char('0' + (grey + 18) / 36);
        }
        text += '\n';
    }
    return text;
}

TEST(PreviewCanvas, PutPixelClipsSquaresPixelByPixel)
{
    PreviewCanvas canvas;
    canvas.Resize(4, 3);
    canvas.PutPixel(-1, -1, 0xFFFFFF, 2); // only its bottom-right pixel is inside
    canvas.PutPixel(3, 1, 0x494949, 3);   // the right column and two rows are outside
    canvas.PutPixel(1, 1, 0xFFFFFF, -3);
    canvas.PutPixel(2147483600, 2147483600, 0xFFFFFF, 100);
    EXPECT_EQ(Rows(canvas, 0, 2), "#...\n...2\n...2\n");
}

TEST(PreviewCanvas, TextIsCentredZoomedAndCutAtBothEndsAndGlyphsOverlapWithoutErasing)
{
    const RenderedFont font = SampleFont();
    PreviewCanvas canvas;
    canvas.Resize(13, 23); // one pixel more than the client area, as the control makes it
    LayoutPreviewText(canvas, font, u"TI", 1, 12, 22);
    // x = 12 / 2 - 6 / 2 = 3; y = 22 / 2 - 11 = 0, so the ink rows 10 and 11 stay where they are.
    EXPECT_EQ(Rows(canvas, 10, 11), "...###.#.....\n....3..#.....\n");
    EXPECT_EQ(std::ranges::count(canvas.Pixels(), 0u), 13 * 23 - 6);
    // An odd client width: 13 / 2 - 6 / 2 = 3 as well, both divisions truncating.
    LayoutPreviewText(canvas, font, u"TI", 1, 13, 23);
    EXPECT_EQ(Rows(canvas, 10, 10), "...###.#.....\n");

    // Zoom 3: y = 33 - 33 = 0, glyph row 10 covers canvas rows 30 to 32; the pens are at 0 and 6.
    canvas.Resize(12, 67);
    LayoutPreviewText(canvas, font, u"II", 3, 12, 66);
    EXPECT_EQ(Rows(canvas, 29, 30), "............\n###...###...\n");
    EXPECT_EQ(Rows(canvas, 35, 36), "###...###...\n............\n");
    EXPECT_EQ(std::ranges::count(canvas.Pixels(), 0u), 12 * 67 - 36);

    // Width 16 in a 5-pixel area: x = 2 - 8 = -6, so the pens are at -6, -2, 2 and 6; the first
    // and the last glyph fall outside, the second shows its last column and the third all of it.
    canvas.Resize(5, 22);
    LayoutPreviewText(canvas, font, u"TTTT", 1, 5, 22);
    EXPECT_EQ(Rows(canvas, 10, 11), "#.###\n...3.\n");

    // The pen of 'j' is at 2 and its bitmap starts two columns left of it, on the 'I': its ink
    // covers the 'I' on row 11, its zero pixel leaves the 'I' visible on row 10.
    canvas.Resize(6, 22);
    DrawPreviewText(canvas, font, 0, 0, u"Ij", 1);
    EXPECT_EQ(Rows(canvas, 10, 11), "#5....\n65....\n");
    // Units without glyphs take no room: the text is 8 pixels wide.
    canvas.Resize(12, 22);
    LayoutPreviewText(canvas, font, u"I\r\nT\u0007\u0008\u25A1\uFFFCI", 1, 12, 22);
    EXPECT_EQ(Rows(canvas, 10, 11), "..#.###.#...\n..#..3..#...\n");
}

} // namespace
} // namespace orv
