#include "cli/GlyphSheet.h"

#include <algorithm>
#include <cstddef>
#include <string>

namespace orv {

namespace {

constexpr int kGridLine = 1;
constexpr int kCellPadding = 4;
constexpr int kLabelGap = 4; // between the line and the label
constexpr int kLabelWidth = (kLabelDigits * kDigitWidth + (kLabelDigits - 1) * kDigitSpacing) * kLabelZoom;
constexpr int kLabelHeight = kDigitHeight * kLabelZoom;

// Fills a rectangle of an RGB image, clipped to it.
void Fill(PngImage& image, long long x, long long y, long long width, long long height, std::uint32_t colour)
{
    const long long left = std::max(x, 0LL);
    const long long top = std::max(y, 0LL);
    const long long right = std::min<long long>(x + width, image.Width);
    const long long bottom = std::min<long long>(y + height, image.Height);
    for (long long row = top; row < bottom; ++row) {
        std::uint8_t* pixel = image.Pixels.data() + (row * image.Width + left) * 3;
        for (long long column = left; column < right; ++column) {
            *pixel++ = static_cast<std::uint8_t>(colour >> 16);
            *pixel++ = static_cast<std::uint8_t>(colour >> 8);
            *pixel++ = static_cast<std::uint8_t>(colour);
        }
    }
}

void DrawLabel(PngImage& image, int x, int y, char16_t codePoint)
{
    for (int digit = 0; digit < kLabelDigits; ++digit) {
        const int value = (codePoint >> (4 * (kLabelDigits - 1 - digit))) & 0xF;
        const int digitX = x + digit * (kDigitWidth + kDigitSpacing) * kLabelZoom;
        for (int row = 0; row < kDigitHeight; ++row) {
            for (int column = 0; column < kDigitWidth; ++column) {
                if (kHexDigitRows[value][row] & (1 << (kDigitWidth - 1 - column)))
                    Fill(image, digitX + column * kLabelZoom, y + row * kLabelZoom, kLabelZoom, kLabelZoom,
                         kLabelColour);
            }
        }
    }
}

void DrawGlyph(PngImage& image, int penX, int lineY, const Glyph& glyph)
{
    // The advance first, so that the glyph's spacing shows behind its ink.
    Fill(image, penX, lineY, glyph.Advance * kSheetZoom, kLineHeight * kSheetZoom, kAdvanceColour);
    std::size_t next = 0;
    for (int row = 0; row < glyph.Height; ++row) {
        for (int column = 0; column < glyph.Width; ++column) {
            const std::uint8_t value = glyph.Pixels[next++];
            if (value != 0)
                Fill(image, penX + (glyph.XOffset + column) * kSheetZoom,
                     lineY + (glyph.YOffset + row) * kSheetZoom, kSheetZoom, kSheetZoom,
                     std::uint32_t{value} * 0x010101u);
        }
    }
}

} // namespace

GlyphSheetLayout LayOutGlyphSheet(const RenderedFont& font, std::span<const char16_t> codePoints)
{
    // The extent of every glyph around its pen position, in device pixels: ink may start left of the pen
    // and the advance may reach past the ink.
    int extentLeft = 0;
    int extentRight = 1;
    for (const char16_t codePoint : codePoints) {
        const Glyph glyph = FindGlyph(font, codePoint);
        extentRight = std::max<int>(extentRight, glyph.Advance);
        // A glyph without ink keeps a 1 x 1 record of value 0 at the cell's far corner; it draws nothing
        // and needs no room.
        if (std::any_of(glyph.Pixels.begin(), glyph.Pixels.end(),
                        [](std::uint8_t value) { return value != 0; })) {
            extentLeft = std::min<int>(extentLeft, glyph.XOffset);
            extentRight = std::max(extentRight, glyph.XOffset + glyph.Width);
        }
    }
    const int lineWidth = (extentRight - extentLeft) * kSheetZoom;
    const int inner = std::max(lineWidth, kLabelWidth);

    GlyphSheetLayout layout;
    // Ascending code points are distinct 16-bit values, so there are at most 65536 of them.
    const int count = static_cast<int>(std::min<std::size_t>(codePoints.size(), 0x10000));
    layout.Columns = std::clamp(count, 1, kSheetColumns);
    layout.Rows = std::max(1, (count + kSheetColumns - 1) / kSheetColumns);
    layout.CellWidth = kGridLine + kCellPadding + inner + kCellPadding;
    layout.PenX = kGridLine + kCellPadding + (inner - lineWidth) / 2 - extentLeft * kSheetZoom;
    layout.LineY = kGridLine + kCellPadding;
    layout.LabelX = kGridLine + kCellPadding + (inner - kLabelWidth) / 2;
    layout.LabelY = layout.LineY + kLineHeight * kSheetZoom + kLabelGap;
    layout.CellHeight = layout.LabelY + kLabelHeight + kCellPadding;
    return layout;
}

Result<PngImage> DrawGlyphSheet(const RenderedFont& font, std::span<const char16_t> codePoints)
{
    const GlyphSheetLayout layout = LayOutGlyphSheet(font, codePoints);
    if (layout.Width() * layout.Height() > kMaxSheetPixels || layout.Width() > kMaxPngSide ||
        layout.Height() > kMaxPngSide)
        return Fail(ErrorCode::OutOfRange, "the glyph sheet would be " + std::to_string(layout.Width()) +
                                               " x " + std::to_string(layout.Height()) +
                                               " pixels, more than " + std::to_string(kMaxSheetPixels) +
                                               " pixels or " + std::to_string(kMaxPngSide) + " a side");

    PngImage sheet =
        PngImage::Black(static_cast<int>(layout.Width()), static_cast<int>(layout.Height()), PngColour::Rgb);
    for (int row = 0; row <= layout.Rows; ++row)
        Fill(sheet, 0, static_cast<long long>(row) * layout.CellHeight, sheet.Width, kGridLine, kGridColour);
    for (int column = 0; column <= layout.Columns; ++column)
        Fill(sheet, static_cast<long long>(column) * layout.CellWidth, 0, kGridLine, sheet.Height,
             kGridColour);

    for (std::size_t position = 0; position < codePoints.size(); ++position) {
        const int cellX = layout.CellX(position);
        const int cellY = layout.CellY(position);
        DrawGlyph(sheet, cellX + layout.PenX, cellY + layout.LineY, FindGlyph(font, codePoints[position]));
        DrawLabel(sheet, cellX + layout.LabelX, cellY + layout.LabelY, codePoints[position]);
    }
    return sheet;
}

} // namespace orv
