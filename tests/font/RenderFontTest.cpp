#include "font/RenderFont.h"

#include <map>
#include <new>

#include <gtest/gtest.h>

namespace orv {
namespace {

using Pixels = std::vector<std::uint8_t>;

// Ink as a rectangle of work-bitmap pixels: columns [Left, Right), rows [Top, Bottom).
struct Ink
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    std::uint8_t Value = 255;
};

struct SyntheticCharacter
{
    CharacterWidths Widths;
    std::vector<Ink> Inks;
};

// Draws characters as rectangles of ink with fixed widths. A character without an entry has no ink
// and an advance of 4 * (its code point % 251), so that every record is told apart by its advance;
// in a Flat font it has widths that add up to 0.
class SyntheticRasteriser final : public Rasteriser
{
public:
    enum class Failure
    {
        None,
        Error,
        OutOfMemory,
    };

    std::map<char16_t, SyntheticCharacter> Characters;
    Failure CoverageFailure = Failure::None;
    Failure DrawFailure = Failure::None;
    char16_t FailingCharacter = 0;
    bool Flat = false;
    std::vector<char16_t> Drawn;
    bool DrawnOnDirtyBitmap = false;

    static std::uint8_t DefaultAdvance(char16_t unit) { return static_cast<std::uint8_t>(unit % 251); }

    Result<std::vector<CodePointRange>> UnicodeCoverage() override
    {
        if (CoverageFailure == Failure::Error)
            return Fail(ErrorCode::BadInput, "no character map");
        if (CoverageFailure == Failure::OutOfMemory)
            throw std::bad_alloc();
        return std::vector<CodePointRange>{{0x20, 0x7E}};
    }

    Result<CharacterWidths> DrawCharacter(char16_t unit, CoverageBitmap& bitmap) override
    {
        Drawn.push_back(unit);
        for (const std::uint8_t pixel : bitmap.Pixels)
            DrawnOnDirtyBitmap = DrawnOnDirtyBitmap || pixel != 0;
        if (unit == FailingCharacter && DrawFailure == Failure::Error)
            return Fail(ErrorCode::BadInput, "font \"Synthetic\": character U+0041 cannot be drawn");
        if (unit == FailingCharacter && DrawFailure == Failure::OutOfMemory)
            throw std::bad_alloc();
        const auto found = Characters.find(unit);
        if (found == Characters.end())
            return Flat ? CharacterWidths{1, 2, -3} : CharacterWidths{0, 0, 4 * DefaultAdvance(unit)};
        for (const Ink& ink : found->second.Inks) {
            for (int y = std::max(ink.Top, 0); y < std::min(ink.Bottom, kWorkSize); ++y) {
                for (int x = std::max(ink.Left, 0); x < std::min(ink.Right, kWorkSize); ++x)
                    bitmap.At(x, y) = ink.Value;
            }
        }
        return found->second.Widths;
    }
};

// The record's header (its pixel view cleared) and its pixels.
struct ReducedGlyph
{
    Glyph Header;
    Pixels Bytes;
};

ReducedGlyph Reduce(const std::vector<Ink>& inks, CharacterWidths widths)
{
    SyntheticRasteriser rasteriser;
    rasteriser.Characters[u'x'] = {widths, inks};
    CoverageBitmap bitmap;
    EXPECT_TRUE(rasteriser.DrawCharacter(u'x', bitmap));
    Pixels pixels;
    const Glyph glyph = ReduceCharacter(bitmap, widths, pixels);
    EXPECT_EQ(glyph.Pixels.size(), std::size_t{glyph.Width} * glyph.Height);
    Pixels bytes(glyph.Pixels.begin(), glyph.Pixels.end());
    Glyph header = glyph;
    header.Pixels = {};
    return {header, std::move(bytes)};
}

// The record of a glyph without ink: one pixel of value 0 in the last row, 49 columns from the first
// device column (which is x0 relative to the pen).
void ExpectInkless(const Glyph& header, std::span<const std::uint8_t> pixels, int x0)
{
    EXPECT_EQ(header.Width, 1);
    EXPECT_EQ(header.Height, 1);
    EXPECT_EQ(header.YOffset, 21);
    EXPECT_EQ(header.XOffset, 49 + x0);
    EXPECT_EQ(Pixels(pixels.begin(), pixels.end()), Pixels{0});
}

void ExpectInkless(const ReducedGlyph& reduced, int x0)
{
    ExpectInkless(reduced.Header, reduced.Bytes, x0);
}

TEST(ReduceCharacter, QuantisesTheSumOfSixteenSamplesToEightLevels)
{
    struct Case
    {
        std::vector<Ink> Inks; // within the first cell, work-bitmap columns 16-19 and rows 0-3
        int Expected;
    };
    const std::vector<Case> cases = {
        {{{16, 0, 20, 4, 255}}, 255},                   // 16 x 255
        {{{16, 0, 18, 4, 255}}, 109},                   // 8 x 255 = 2040
        {{{16, 0, 18, 1, 255}, {18, 0, 19, 1, 1}}, 0},  // 511: a faint fringe vanishes
        {{{16, 0, 18, 1, 255}, {18, 0, 19, 1, 2}}, 36}, // 512
        {{{16, 0, 20, 4, 64}}, 73},                     // 1024
        {{{16, 0, 20, 4, 128}}, 146},                   // 2048
        {{{16, 0, 20, 4, 160}}, 182},                   // 2560
        {{{16, 0, 20, 4, 192}}, 219},                   // 3072
        {{{16, 0, 20, 4, 224}}, 255},                   // 3584, the top level
    };
    for (const Case& c : cases) {
        const ReducedGlyph reduced = Reduce(c.Inks, {0, 4, 0});
        if (c.Expected == 0) {
            ExpectInkless(reduced, 0);
            continue;
        }
        EXPECT_EQ(reduced.Bytes, Pixels{static_cast<std::uint8_t>(c.Expected)}) << "expected " << c.Expected;
        EXPECT_EQ(reduced.Header.XOffset, 0);
        EXPECT_EQ(reduced.Header.YOffset, 0);
    }
}

TEST(ReduceCharacter, TheWorkedExampleOfAFiveThirtySixCharacter)
{
    // A = 5, B = 30, C = 6: advance 41 / 4 = 10, and the first device column is 1, so it starts at
    // work-bitmap column 16 + 4 = 20. Ink over columns 21-50 covers device columns 0-7, the outer two
    // with three of their four sample columns (12 x 255 = 3060, level 5).
    const ReducedGlyph reduced = Reduce({{21, 0, 51, 88, 255}}, {5, 30, 6});
    EXPECT_EQ(reduced.Header.Advance, 10);
    EXPECT_EQ(reduced.Header.XOffset, 1);
    EXPECT_EQ(reduced.Header.YOffset, 0);
    EXPECT_EQ(reduced.Header.Width, 8);
    EXPECT_EQ(reduced.Header.Height, 22);
    const Pixels row = {182, 255, 255, 255, 255, 255, 255, 182};
    for (int r = 0; r < 22; ++r)
        EXPECT_EQ(Pixels(reduced.Bytes.begin() + 8 * r, reduced.Bytes.begin() + 8 * r + 8), row)
            << "row " << r;
}

TEST(ReduceCharacter, TheFirstColumnIsTheLeftBearingDividedByFourRoundedDown)
{
    // Ink at work-bitmap columns 8-11 is device column -2 from the pen only when A = -5 gives
    // x0 = -2 (floor), not -1 (truncation): then it is the first cell and the glyph starts there.
    const ReducedGlyph negative = Reduce({{8, 0, 12, 4, 255}}, {-5, 4, 0});
    EXPECT_EQ(negative.Header.XOffset, -2);
    EXPECT_EQ(negative.Header.Width, 1);
    EXPECT_EQ(negative.Bytes, Pixels{255});

    const ReducedGlyph positive = Reduce({{24, 0, 28, 4, 255}}, {7, 4, 0}); // x0 = 1, column 1 -> x 2
    EXPECT_EQ(positive.Header.XOffset, 2);

    // Without ink the record sits in the last column of the grid, which starts at x0.
    const std::vector<std::pair<std::int32_t, int>> firstColumns = {
        {-400, -100}, {-5, -2}, {-4, -1}, {-1, -1}, {0, 0}, {3, 0}, {4, 1}, {5, 1}, {100, 25}};
    for (const auto& [a, x0] : firstColumns) {
        SCOPED_TRACE("A = " + std::to_string(a));
        ExpectInkless(Reduce({}, {a, 0, 0}), x0);
    }
}

TEST(ReduceCharacter, InkOutsideTheGridIsLost)
{
    // A = -12: the grid starts at work-bitmap column 4, so ink in columns 0-3 is not sampled.
    const ReducedGlyph left = Reduce({{0, 0, 4, 4, 255}, {8, 0, 12, 4, 255}}, {-12, 12, 0});
    EXPECT_EQ(left.Header.XOffset, 1 - 3);
    EXPECT_EQ(left.Header.Width, 1);

    // A = -32: the 50 columns end at work-bitmap column 183; ink from 184 on is lost.
    const ReducedGlyph right = Reduce({{180, 0, 200, 4, 255}}, {-32, 200, 0});
    EXPECT_EQ(right.Header.XOffset, 49 - 8);
    EXPECT_EQ(right.Header.Width, 1);

    // Rows from 88 on lie below the cell and are never sampled.
    ExpectInkless(Reduce({{16, 88, 200, 200, 255}}, {0, 184, 0}), 0);
}

TEST(ReduceCharacter, CropsToTheInkKeepingBlankRowsInside)
{
    // Ink in device rows 2 and 10, device columns 3 and 5 (A = 0).
    const ReducedGlyph reduced = Reduce({{28, 8, 32, 12, 255}, {36, 40, 40, 44, 255}}, {0, 24, 0});
    EXPECT_EQ(reduced.Header.XOffset, 3);
    EXPECT_EQ(reduced.Header.YOffset, 2);
    EXPECT_EQ(reduced.Header.Width, 3);
    EXPECT_EQ(reduced.Header.Height, 9);
    Pixels expected(27, 0);
    expected[0] = 255;         // row 2, column 3
    expected[8 * 3 + 2] = 255; // row 10, column 5
    EXPECT_EQ(reduced.Bytes, expected);
}

CharacterSet TextsOf(std::initializer_list<std::u16string_view> texts)
{
    CharacterSet characters;
    for (const std::u16string_view text : texts)
        characters.AddText(text);
    return characters;
}

// A set of 111 fixed characters plus `extra` CJK code points.
CharacterSet SetOfSize(std::size_t extra)
{
    std::u16string text;
    for (std::size_t i = 0; i < extra; ++i)
        text.push_back(static_cast<char16_t>(0x4E00 + i));
    return TextsOf({text});
}

TEST(RenderFont, TheFixedCharactersGiveOneHundredAndElevenRecordsInCodePointOrder)
{
    SyntheticRasteriser rasteriser;
    rasteriser.Characters[u'A'] = {{0, 4, 0}, {{16, 0, 20, 4, 255}}}; // ink that must not reach 'B'
    RenderedFont font;
    const RenderFontResult result = RenderFont(font, TextsOf({u"", u"  \r\n\t"}), rasteriser);
    ASSERT_TRUE(result.Succeeded());
    EXPECT_EQ(result.CharacterCount, 111u);
    EXPECT_TRUE(result.Message.empty());
    EXPECT_EQ(font.GlyphTree.size(), 110u);
    EXPECT_EQ(font.GlyphStore.size(), 111u * 6); // all inkless: 5 header bytes and one pixel
    EXPECT_EQ(rasteriser.Drawn, CharacterSet().CodePoints());
    EXPECT_FALSE(rasteriser.DrawnOnDirtyBitmap);

    // The space comes first: advance 32 % 251, no ink.
    const Glyph first = GlyphAt(font.GlyphStore, 0);
    EXPECT_EQ(first.Advance, 32);
    ExpectInkless(first, first.Pixels, 0);
}

TEST(RenderFont, FourThousandNinetySixCharactersRenderAndOneMoreIsRefused)
{
    SyntheticRasteriser rasteriser;
    RenderedFont font;
    const RenderFontResult full = RenderFont(font, SetOfSize(kMaxGlyphCount - 111), rasteriser);
    ASSERT_TRUE(full.Succeeded());
    EXPECT_EQ(full.CharacterCount, 4096u);
    EXPECT_EQ(font.GlyphTree.size(), 4095u);
    EXPECT_EQ(FindGlyph(font, static_cast<char16_t>(0x4E00 + 3984)).Advance,
              SyntheticRasteriser::DefaultAdvance(static_cast<char16_t>(0x4E00 + 3984)));

    const RenderFontResult tooMany = RenderFont(font, SetOfSize(kMaxGlyphCount - 110), rasteriser);
    EXPECT_EQ(tooMany.Outcome, RenderOutcome::TooManyCharacters);
    EXPECT_EQ(tooMany.Message, "Too many characters, max. is 4096");
    EXPECT_EQ(tooMany.CharacterCount, 4097u);
    EXPECT_TRUE(font.GlyphStore.empty());
    EXPECT_TRUE(font.GlyphTree.empty());
}

// Every failure leaves a font without records or entries, whatever was there before.
TEST(RenderFont, FailuresLeaveAnEmptyFontAndSayWhichMessageToShow)
{
    struct Case
    {
        const char* Name;
        SyntheticRasteriser::Failure Coverage;
        SyntheticRasteriser::Failure Draw;
        RenderOutcome Outcome;
        std::string Message;
    };
    using F = SyntheticRasteriser::Failure;
    const std::vector<Case> cases = {
        {"coverage unreadable", F::Error, F::None, RenderOutcome::CoverageFailed,
         "Error while getting the available character codes of the font!"},
        {"no memory for the coverage", F::OutOfMemory, F::None, RenderOutcome::OutOfMemory,
         "Out of memory, can't render font!"},
        {"glyph store cannot grow", F::None, F::OutOfMemory, RenderOutcome::OutOfMemory,
         "Out of memory, can't render font!"},
        {"glyph cannot be drawn", F::None, F::Error, RenderOutcome::FontFailed,
         "font \"Synthetic\": character U+0041 cannot be drawn"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        RenderedFont font;
        SyntheticRasteriser good;
        ASSERT_TRUE(RenderFont(font, CharacterSet(), good).Succeeded());
        ASSERT_NE(FindGlyph(font, u'A').Advance, 0);

        SyntheticRasteriser failing;
        failing.CoverageFailure = c.Coverage;
        failing.DrawFailure = c.Draw;
        failing.FailingCharacter = u'A';
        const RenderFontResult result = RenderFont(font, CharacterSet(), failing);
        EXPECT_EQ(result.Outcome, c.Outcome);
        EXPECT_EQ(result.Message, c.Message);
        EXPECT_TRUE(font.GlyphStore.empty());
        EXPECT_TRUE(font.GlyphTree.empty());
        EXPECT_EQ(FindGlyph(font, u' ').Pixels.data(), nullptr);

        // The next rendering starts afresh.
        ASSERT_TRUE(RenderFont(font, CharacterSet(), good).Succeeded());
        EXPECT_EQ(font.GlyphTree.size(), 110u);
    }
}

TEST(RenderFont, AFontWhoseAdvancesAreAllZeroIsRefusedButOneAdvanceIsEnough)
{
    RenderedFont font;
    SyntheticRasteriser flat;
    flat.Flat = true;
    const RenderFontResult result = RenderFont(font, CharacterSet(), flat);
    EXPECT_EQ(result.Outcome, RenderOutcome::NoAdvance);
    EXPECT_EQ(result.Message, "Every character of the font has an advance width of 0, can't render font!");
    EXPECT_TRUE(font.GlyphStore.empty());
    EXPECT_TRUE(font.GlyphTree.empty());

    flat.Characters[u'~'] = {{0, 0, 4}, {}};
    EXPECT_TRUE(RenderFont(font, CharacterSet(), flat).Succeeded());
    EXPECT_EQ(FindGlyph(font, u'~').Advance, 1);
}

TEST(RenderFont, AFontThatCannotBeOpenedIsAFontFailureWithItsReason)
{
    RenderedFont font;
    SyntheticRasteriser good;
    ASSERT_TRUE(RenderFont(font, CharacterSet(), good).Succeeded());

    const RenderFontResult result =
        RenderFont(font, CharacterSet(), Fail(ErrorCode::OpenFailed, "font \"Nowhere\": not installed"));
    EXPECT_EQ(result.Outcome, RenderOutcome::FontFailed);
    EXPECT_EQ(result.Message, "font \"Nowhere\": not installed");
    EXPECT_TRUE(font.GlyphTree.empty());
    EXPECT_TRUE(font.GlyphStore.empty());

    const RenderFontResult opened = RenderFont(
        font, CharacterSet(), Result<std::unique_ptr<Rasteriser>>(std::make_unique<SyntheticRasteriser>()));
    EXPECT_TRUE(opened.Succeeded());
    EXPECT_EQ(font.GlyphTree.size(), 110u);
}

} // namespace
} // namespace orv
