#include "font/RenderFont.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <new>

namespace orv {

namespace {

constexpr int kSampleSize = 4; // work-bitmap pixels per device pixel, in each direction
constexpr int kCellRows = kLineHeight;
constexpr int kCellColumns = kMaxGlyphWidth;

// Note: the reduced cell is quantised from its top three bits of a 16 x 255 sum (S >> 9 is 0-7),
// spread by 32 and stretched by the single-precision factor nearest 7.99 / 7. The products are
// computed in float exactly as the device font has always been made, so that the levels stay
// 0, 36, 73, 109, 146, 182, 219, 255 and not the 0, 36, 73, 110, ... of an exact 255 / 7 scale.
constexpr float kLevelStretch = static_cast<float>(7.99 / 7.0);
constexpr int kLevelShift = 9;
constexpr int kLevelSpread = 32;

constexpr std::array<std::uint8_t, 8> MakeLevels()
{
    std::array<std::uint8_t, 8> levels{};
    for (int level = 0; level < 8; ++level)
        levels[level] = static_cast<std::uint8_t>(static_cast<float>(level * kLevelSpread) * kLevelStretch);
    return levels;
}

constexpr std::array<std::uint8_t, 8> kLevels = MakeLevels();
static_assert(kLevels == std::array<std::uint8_t, 8>{0, 36, 73, 109, 146, 182, 219, 255});
static_assert((kSampleSize * kSampleSize * 255) >> kLevelShift == 7);

// Note: ((A + 400) / 4) - 100 with truncating division is floor(A / 4) for every A >= -400, the
// device column that holds the first ink. It is kept in this form (and in 64 bits, which no width
// can overflow) so that a font with an absurd bearing gets the same column as always.
std::int64_t FirstColumn(std::int32_t a)
{
    return (std::int64_t{a} + 400) / kSampleSize - 100;
}

tl::unexpected<Error> Failure(RenderedFont& font, ErrorCode code, std::string_view message)
{
    font = RenderedFont{};
    return Fail(code, std::string(message));
}

} // namespace

Glyph ReduceCharacter(const CoverageBitmap& bitmap, const CharacterWidths& widths,
                      std::vector<std::uint8_t>& pixels)
{
    const std::int64_t x0 = FirstColumn(widths.A);
    // Work-bitmap column of the first sample of device column 0; samples outside the bitmap count 0.
    const std::int64_t firstX = kCellLeft + kSampleSize * x0;

    std::array<std::array<std::uint8_t, kCellColumns>, kCellRows> cells{};
    std::array<std::uint16_t, kWorkSize> columnSums{};
    for (int row = 0; row < kCellRows; ++row) {
        columnSums.fill(0);
        for (int dy = 0; dy < kSampleSize; ++dy) {
            const int y = kSampleSize * row + dy;
            for (int x = 0; x < kWorkSize; ++x)
                columnSums[x] = static_cast<std::uint16_t>(columnSums[x] + bitmap.At(x, y));
        }
        for (int column = 0; column < kCellColumns; ++column) {
            const std::int64_t left = firstX + std::int64_t{kSampleSize} * column;
            unsigned sum = 0;
            for (std::int64_t x = std::max<std::int64_t>(left, 0);
                 x < std::min<std::int64_t>(left + kSampleSize, kWorkSize); ++x)
                sum += columnSums[static_cast<std::size_t>(x)];
            cells[row][column] = kLevels[sum >> kLevelShift];
        }
    }

    // The ink box; without ink it is the single bottom-right cell.
    int top = kCellRows - 1, bottom = 0, left = kCellColumns - 1, right = 0;
    for (int row = 0; row < kCellRows; ++row) {
        for (int column = 0; column < kCellColumns; ++column) {
            if (cells[row][column] == 0)
                continue;
            top = std::min(top, row);
            bottom = std::max(bottom, row);
            left = std::min(left, column);
            right = std::max(right, column);
        }
    }
    bottom = std::max(bottom, top);
    right = std::max(right, left);
    const int width = right - left + 1;
    const int height = bottom - top + 1;

    pixels.clear();
    for (int row = top; row <= bottom; ++row)
        pixels.insert(pixels.end(), cells[row].begin() + left, cells[row].begin() + right + 1);

    // Note: the advance is the 32-bit sum of the widths divided by four, of which the record keeps the
    // low byte, and the x offset is the low byte of the first ink column relative to the pen; both wrap
    // only for widths no real font has at this size.
    const std::uint32_t advance =
        (static_cast<std::uint32_t>(widths.A) + widths.B + static_cast<std::uint32_t>(widths.C)) >> 2;
    Glyph glyph;
    glyph.Advance = static_cast<std::uint8_t>(advance);
    glyph.XOffset = static_cast<std::int8_t>(static_cast<std::uint8_t>(left + x0));
    glyph.YOffset = static_cast<std::int8_t>(top);
    glyph.Width = static_cast<std::uint8_t>(width);
    glyph.Height = static_cast<std::uint8_t>(height);
    glyph.Pixels = pixels;
    return glyph;
}

Result<std::size_t> RenderFont(RenderedFont& font, const CharacterSet& characters, Rasteriser& rasteriser)
{
    try {
        // The previous glyphs go first, memory and all: whatever happens below, the font is then
        // either complete or empty, never a tree pointing into a store it does not describe.
        font = RenderedFont{};
        const std::vector<char16_t> codePoints = characters.CodePoints();
        const std::size_t characterCount = codePoints.size();

        // The coverage itself is not used: a code point the face lacks is drawn as the face draws it.
        // A face whose coverage cannot be read is refused, as its character map is unusable.
        if (!rasteriser.UnicodeCoverage())
            return Failure(font, ErrorCode::ReadFailed, kCoverageFailedMessage);
        // Checked before drawing rather than after it: the outcome is the same, without the wait.
        if (characterCount > kMaxGlyphCount)
            return Failure(font, ErrorCode::OutOfRange, kTooManyCharactersMessage);

        auto bitmap = std::make_unique<CoverageBitmap>();
        std::vector<std::uint8_t> pixels;
        pixels.reserve(std::size_t{kCellRows} * kCellColumns);
        GlyphTableBuilder builder;
        bool anyAdvance = false;
        for (const char16_t codePoint : codePoints) {
            bitmap->Clear();
            const Result<CharacterWidths> widths = rasteriser.DrawCharacter(codePoint, *bitmap);
            if (!widths)
                return Failure(font, ErrorCode::OpenFailed, widths.error().Message);
            const Glyph glyph = ReduceCharacter(*bitmap, *widths, pixels);
            anyAdvance = anyAdvance || glyph.Advance != 0;
            builder.Add(codePoint, glyph);
        }
        // A face whose transform squeezes it flat, or whose widths are all missing, draws every text
        // as one heap of ink; the device would show that without complaint, so it is refused here.
        if (!codePoints.empty() && !anyAdvance)
            return Failure(font, ErrorCode::BadInput, kNoAdvanceMessage);
        font = builder.Finish();
        return characterCount;
    } catch (const std::bad_alloc&) {
        return Failure(font, ErrorCode::OutOfMemory, kRenderOutOfMemoryMessage);
    }
}

Result<std::size_t> RenderFont(RenderedFont& font, const CharacterSet& characters,
                               Result<std::unique_ptr<Rasteriser>> rasteriser)
{
    if (!rasteriser)
        return Failure(font, ErrorCode::OpenFailed, rasteriser.error().Message);
    assert(*rasteriser);
    return RenderFont(font, characters, **rasteriser);
}

} // namespace orv
