#include "font/RenderFont.h"

#include <algorithm>
#include <array>
#include <new>
#include <tuple>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

using Pixels = std::vector<std::uint8_t>;

// Ink as a rectangle of work-bitmap pixels: columns [left, right), rows [top, bottom), and its value.
using Ink = std::array<int, 5>;

void Paint(CoverageBitmap& bitmap, const std::vector<Ink>& inks)
{
    for (const auto& [left, top, right, bottom, value] : inks)
        for (int y = top; y < std::min(bottom, kWorkSize); ++y)
            std::fill(&bitmap.At(left, y), &bitmap.At(left, y) + (right - left), value);
}

// Draws 'A' as a 4 x 4 block of ink with the widths 0, 4, 0, and every other unit without ink with
// the advance of its code point % 251, so that each record is told apart; `Broken` makes it fail.
struct SyntheticRasteriser final : Rasteriser
{
    // clang-format off
    enum class Fault { None, CoverageError, DrawError, DrawOutOfMemory, Flat, FlatButTilde };
    // clang-format on
    explicit SyntheticRasteriser(Fault broken = Fault::None) : Broken(broken) {}
    const Fault Broken;
    bool DrawnOnDirtyBitmap = false;

    Result<std::vector<CodePointRange>> UnicodeCoverage() override
    {
        return Broken != Fault::CoverageError ? Result<std::vector<CodePointRange>>()
                                              : Fail(ErrorCode::BadInput, "no character map");
    }

    Result<CharacterWidths> DrawCharacter(char16_t unit, CoverageBitmap& bitmap) override
    {
        DrawnOnDirtyBitmap |= std::ranges::count(bitmap.Pixels, 0) != kWorkSize * kWorkSize;
        if (Broken == Fault::DrawOutOfMemory)
            throw std::bad_alloc();
        if (Broken == Fault::DrawError)
            return Fail(ErrorCode::BadInput, "U+0020 cannot be drawn");
        if (Broken == Fault::Flat || (Broken == Fault::FlatButTilde && unit != u'~'))
            return CharacterWidths{1, 2, -3};
        if (unit != u'A')
            return CharacterWidths{0, 0, 4 * (unit % 251)};
        Paint(bitmap, {{16, 0, 20, 4, 255}});
        return CharacterWidths{0, 4, 0};
    }
};

// The record of `inks` drawn with `widths` as "advance x,y widthxheight: pixels".
std::string Reduce(const std::vector<Ink>& inks, CharacterWidths widths)
{
    CoverageBitmap bitmap;
    Paint(bitmap, inks);
    Pixels pixels;
    const Glyph glyph = ReduceCharacter(bitmap, widths, pixels);
    return std::to_string(glyph.Advance) + " " + std::to_string(glyph.XOffset) + "," +
           std::to_string(glyph.YOffset) + " " + std::to_string(glyph.Width) + "x" +
           std::to_string(glyph.Height) + ": " + test::Hex(Pixels(glyph.Pixels.begin(), glyph.Pixels.end()));
}

TEST(ReduceCharacter, QuantisesAndCropsAGridFromTheLeftBearingDividedByFourAndLosesInkOutsideIt)
{
    // Ink of one value over the first device pixel (work-bitmap columns 16-19, rows 0-3): the level
    // is the sum of its 16 samples >> 9, and below 512 nothing is left but the record of no ink.
    for (const auto& [value, level] : {std::pair{32, "24"}, {96, "6D"}, {224, "FF"}, {255, "FF"}})
        EXPECT_EQ(Reduce({{16, 0, 20, 4, value}}, {0, 4, 0}), std::string("1 0,0 1x1: ") + level);
    EXPECT_EQ(Reduce({{16, 0, 20, 4, 31}}, {0, 4, 0}), "1 49,21 1x1: 00");

    // Without ink the record's x offset is 49 columns right of the grid's first column floor(A / 4).
    for (const auto& [a, x0] :
         {std::pair{-400, -100}, {-5, -2}, {-4, -1}, {-1, -1}, {0, 0}, {3, 0}, {4, 1}, {100, 25}})
        EXPECT_EQ(Reduce({}, {a, 0, -a}), "0 " + std::to_string(49 + x0) + ",21 1x1: 00") << a;

    // A = 5, B = 30, C = 6: advance 41 / 4, grid from column 20. Ink over columns 21-50 covers device
    // columns 0-7, the outer two with 3 of their 4 sample columns (12 x 255 = 3060, level 5).
    EXPECT_EQ(Reduce({{21, 0, 51, 4, 255}}, {5, 30, 6}), "10 1,0 8x1: B6 FF FF FF FF FF FF B6");

    // Ink in device rows 2 and 4, columns 3 and 5: the blank row and column between stay.
    EXPECT_EQ(Reduce({{28, 8, 32, 12, 255}, {36, 16, 40, 20, 255}}, {0, 24, 0}),
              "6 3,2 3x3: FF 00 00 00 00 00 00 00 FF");
    // A = -12: the grid starts at column 4, so ink in columns 0-3, in any row, is not sampled.
    EXPECT_EQ(Reduce({{0, 0, 4, 88, 255}, {8, 0, 12, 4, 255}}, {-12, 12, 0}), "0 -2,0 1x1: FF");
    // A = -32: the 50 grid columns end at column 183; ink from 184 on is lost.
    EXPECT_EQ(Reduce({{180, 0, 200, 4, 255}}, {-32, 200, 0}), "42 41,0 1x1: FF");
    // The last of the 22 rows ends at row 87 of the work bitmap; below it the ink is lost.
    EXPECT_EQ(Reduce({{16, 84, 20, 200, 255}}, {0, 4, 0}), "1 0,21 1x1: FF");
}

TEST(RenderFont, GivesEachCodePointOfTheSetItsOwnRecordUpToTheLimit)
{
    SyntheticRasteriser rasteriser;
    RenderedFont font;
    EXPECT_EQ(RenderFont(font, CharacterSet(), rasteriser).value(), kFixedCharacterCount);
    EXPECT_EQ(font.GlyphStore.size(), kFixedCharacterCount * 6); // five header bytes and one pixel each
    for (const char16_t codePoint : CharacterSet().CodePoints())
        EXPECT_EQ(FindGlyph(font, codePoint).Advance, codePoint == u'A' ? 1 : codePoint % 251)
            << int{codePoint};
    EXPECT_FALSE(rasteriser.DrawnOnDirtyBitmap); // the ink of 'A' does not reach 'B'

    // 4096 characters are rendered, one more is refused.
    CharacterSet characters;
    for (char16_t unit = 0x4E00; unit < 0x4E00 + kMaxGlyphCount - kFixedCharacterCount; ++unit)
        characters.AddText(std::u16string(1, unit));
    EXPECT_EQ(RenderFont(font, characters, rasteriser).value(), kMaxGlyphCount);
    characters.AddText(u"\u4000");
    const auto refused = RenderFont(font, characters, rasteriser);
    EXPECT_TRUE(!refused && std::tie(refused.error().Code, refused.error().Message) ==
                                std::tuple(ErrorCode::OutOfRange, kTooManyCharactersMessage));
}

TEST(RenderFont, EveryFailureLeavesAnEmptyFontAndSaysWhy)
{
    using enum SyntheticRasteriser::Fault;
    using enum ErrorCode;
    using Synthetic = SyntheticRasteriser;
    std::tuple<Result<std::unique_ptr<Rasteriser>>, ErrorCode, std::string_view> cases[] = {
        {std::make_unique<Synthetic>(CoverageError), ReadFailed, kCoverageFailedMessage},
        {std::make_unique<Synthetic>(DrawOutOfMemory), OutOfMemory, kRenderOutOfMemoryMessage},
        {std::make_unique<Synthetic>(DrawError), OpenFailed, "U+0020 cannot be drawn"},
        {std::make_unique<Synthetic>(Flat), BadInput, kNoAdvanceMessage},
        {Fail(OpenFailed, "not installed"), OpenFailed, "not installed"},
    };
    for (auto& [rasteriser, code, message] : cases) {
        RenderedFont font{{1, 0, 0, 1, 1, 0}, {{}}}; // whatever an earlier rendering left
        const auto rendered = RenderFont(font, CharacterSet(), std::move(rasteriser));
        ASSERT_FALSE(rendered) << message;
        EXPECT_EQ(std::tie(rendered.error().Code, rendered.error().Message), std::tie(code, message));
        EXPECT_TRUE(font.GlyphStore.empty() && font.GlyphTree.empty()) << message;
    }
    // One character that moves the pen is enough.
    RenderedFont font;
    EXPECT_TRUE(RenderFont(font, CharacterSet(), std::make_unique<SyntheticRasteriser>(FlatButTilde)));
}

} // namespace
} // namespace orv
