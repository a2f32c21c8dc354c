#include "font/RenderFont.h"

#include <algorithm>
#include <new>
#include <tuple>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

using Pixels = std::vector<std::uint8_t>;

// Ink as a rectangle of work-bitmap pixels: columns [Left, Right), rows [Top, Bottom).
struct Ink
{
    int Left, Top, Right, Bottom;
    std::uint8_t Value = 255;
};

void Paint(CoverageBitmap& bitmap, const std::vector<Ink>& inks)
{
    for (const Ink& ink : inks) {
        for (int y = ink.Top; y < std::min(ink.Bottom, kWorkSize); ++y)
            std::fill(&bitmap.At(ink.Left, y), &bitmap.At(ink.Left, y) + (ink.Right - ink.Left), ink.Value);
    }
}

// Draws 'A' as a 4 x 4 block of ink with the widths 0, 4, 0, and every other unit without ink with
// the advance of its code point % 251, so that each record is told apart; `Broken` makes it fail.
class SyntheticRasteriser final : public Rasteriser
{
public:
    // clang-format off
    enum class Fault { None, CoverageError, DrawError, DrawOutOfMemory, Flat, FlatButTilde };
    // clang-format on
    Fault Broken = Fault::None;
    bool DrawnOnDirtyBitmap = false;

    Result<std::vector<CodePointRange>> UnicodeCoverage() override
    {
        if (Broken == Fault::CoverageError)
            return Fail(ErrorCode::BadInput, "no character map");
        return std::vector<CodePointRange>{};
    }

    Result<CharacterWidths> DrawCharacter(char16_t unit, CoverageBitmap& bitmap) override
    {
        DrawnOnDirtyBitmap =
            DrawnOnDirtyBitmap || std::ranges::count(bitmap.Pixels, 0) != kWorkSize * kWorkSize;
        if (Broken == Fault::DrawOutOfMemory && unit == u'A')
            throw std::bad_alloc();
        if (Broken == Fault::DrawError && unit == u'A')
            return Fail(ErrorCode::BadInput, "U+0041 cannot be drawn");
        if (Broken == Fault::Flat || (Broken == Fault::FlatButTilde && unit != u'~'))
            return CharacterWidths{1, 2, -3};
        if (unit != u'A')
            return CharacterWidths{0, 0, 4 * (unit % 251)};
        Paint(bitmap, {{16, 0, 20, 4}});
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
    EXPECT_EQ(glyph.Pixels.size(), std::size_t{glyph.Width} * glyph.Height);
    return std::to_string(glyph.Advance) + " " + std::to_string(glyph.XOffset) + "," +
           std::to_string(glyph.YOffset) + " " + std::to_string(glyph.Width) + "x" +
           std::to_string(glyph.Height) + ": " + test::Hex(Pixels(glyph.Pixels.begin(), glyph.Pixels.end()));
}

TEST(ReduceCharacter, QuantisesSixteenSamplesToEightLevelsInAGridFromTheLeftBearingDividedByFour)
{
    // Ink of one value over the first device pixel (work-bitmap columns 16-19, rows 0-3): the level
    // is the sum of its 16 samples >> 9, and below 512 nothing is left but the record of no ink.
    const std::pair<std::uint8_t, const char*> levels[] = {
        {32, "24"}, {64, "49"}, {96, "6D"}, {128, "92"}, {160, "B6"}, {192, "DB"}, {224, "FF"}, {255, "FF"}};
    for (const auto& [value, level] : levels)
        EXPECT_EQ(Reduce({{16, 0, 20, 4, value}}, {0, 4, 0}), std::string("1 0,0 1x1: ") + level);
    EXPECT_EQ(Reduce({{16, 0, 20, 4, 31}}, {0, 4, 0}), "1 49,21 1x1: 00");

    // Without ink the record's x offset is 49 columns right of the grid's first column floor(A / 4).
    for (const auto& [a, x0] :
         {std::pair{-400, -100}, {-5, -2}, {-4, -1}, {-1, -1}, {0, 0}, {3, 0}, {4, 1}, {100, 25}})
        EXPECT_EQ(Reduce({}, {a, 0, -a}), "0 " + std::to_string(49 + x0) + ",21 1x1: 00") << a;
    // With A = -5 the grid starts at work-bitmap column 16 - 8, where this ink is.
    EXPECT_EQ(Reduce({{8, 0, 12, 4}}, {-5, 4, 1}), "0 -2,0 1x1: FF");

    // A = 5, B = 30, C = 6: advance 41 / 4, grid from column 20. Ink over columns 21-50 covers device
    // columns 0-7, the outer two with 3 of their 4 sample columns (12 x 255 = 3060, level 5).
    std::string rows;
    for (int row = 0; row < kLineHeight; ++row)
        rows += std::string(row ? " " : "") + "B6 FF FF FF FF FF FF B6";
    EXPECT_EQ(Reduce({{21, 0, 51, 88}}, {5, 30, 6}), "10 1,0 8x22: " + rows);
}

TEST(ReduceCharacter, CropsToTheInkAndLosesInkOutsideTheGrid)
{
    // Ink in device rows 2 and 10, columns 3 and 5: the blank rows and column between stay.
    Pixels crossed(27);
    crossed.front() = crossed.back() = 255;
    EXPECT_EQ(Reduce({{28, 8, 32, 12}, {36, 40, 40, 44}}, {0, 24, 0}), "6 3,2 3x9: " + test::Hex(crossed));
    // A = -12: the grid starts at column 4, so ink in columns 0-3 is not sampled.
    EXPECT_EQ(Reduce({{0, 0, 4, 4}, {8, 0, 12, 4}}, {-12, 12, 0}), "0 -2,0 1x1: FF");
    // A = -32: the 50 grid columns end at column 183; ink from 184 on is lost.
    EXPECT_EQ(Reduce({{180, 0, 200, 4}}, {-32, 200, 0}), "42 41,0 1x1: FF");
    // Rows from 88 on lie below the cell.
    EXPECT_EQ(Reduce({{16, 88, 200, 200}}, {0, 184, 0}), "46 49,21 1x1: 00");
}

TEST(RenderFont, GivesEachCodePointOfTheSetItsOwnRecord)
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
    for (const auto& [extra, refused] : {std::pair{kMaxGlyphCount - kFixedCharacterCount, false},
                                         {kMaxGlyphCount - kFixedCharacterCount + 1, true}}) {
        std::u16string text;
        for (std::size_t i = 0; i < extra; ++i)
            text.push_back(static_cast<char16_t>(0x4E00 + i));
        CharacterSet characters;
        characters.AddText(text);
        const auto many = RenderFont(font, characters, rasteriser);
        EXPECT_EQ(font.GlyphTree.size(), refused ? 0 : kMaxGlyphCount - 1);
        if (refused)
            EXPECT_EQ(many.error().Code, ErrorCode::OutOfRange);
        else
            EXPECT_EQ(many.value(), kMaxGlyphCount);
    }
}

TEST(RenderFont, EveryFailureLeavesAnEmptyFontAndSaysWhy)
{
    using enum SyntheticRasteriser::Fault;
    const auto broken = [](SyntheticRasteriser::Fault fault) {
        auto rasteriser = std::make_unique<SyntheticRasteriser>();
        rasteriser->Broken = fault;
        return Result<std::unique_ptr<Rasteriser>>(std::move(rasteriser));
    };
    std::tuple<Result<std::unique_ptr<Rasteriser>>, ErrorCode, std::string_view> cases[] = {
        {broken(CoverageError), ErrorCode::ReadFailed, kCoverageFailedMessage},
        {broken(DrawOutOfMemory), ErrorCode::OutOfMemory, kRenderOutOfMemoryMessage},
        {broken(DrawError), ErrorCode::OpenFailed, "U+0041 cannot be drawn"},
        {broken(Flat), ErrorCode::BadInput, kNoAdvanceMessage},
        {Fail(ErrorCode::OpenFailed, "not installed"), ErrorCode::OpenFailed, "not installed"},
    };
    for (auto& [rasteriser, code, message] : cases) {
        RenderedFont font{{1, 0, 0, 1, 1, 0}, {{}}}; // whatever an earlier rendering left
        const auto rendered = RenderFont(font, CharacterSet(), std::move(rasteriser));
        ASSERT_FALSE(rendered) << message;
        EXPECT_EQ(rendered.error().Code, code) << message;
        EXPECT_EQ(rendered.error().Message, message);
        EXPECT_TRUE(font.GlyphStore.empty() && font.GlyphTree.empty()) << message;
    }
    // One character that moves the pen is enough.
    RenderedFont font;
    EXPECT_TRUE(RenderFont(font, CharacterSet(), broken(FlatButTilde)));
}

} // namespace
} // namespace orv
