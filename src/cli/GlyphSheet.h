#pragma once

// The glyph sheet of `strdef glyphs`: every rendered glyph in a grid of equal cells, in ascending
// code-point order, each with its code point in four hexadecimal digits under it, so that all the
// characters of a font can be checked at a glance.
//
// A cell (sheet pixels; a device pixel is kSheetZoom x kSheetZoom):
//
//   +----------------------------------+  grid line (top and left of every cell)
//   |  padding                         |
//   |  line: 22 device pixels tall,    |  the advance shaded from the pen position, the glyph drawn
//   |  as wide as the widest extent    |  over it in grey levels at its x and y offsets
//   |  gap                             |
//   |  label: 4 hex digits, 3 x 5 each |  centred
//   |  padding                         |
//   +----------------------------------+

#include <array>
#include <cstdint>
#include <span>

#include "base/Result.h"
#include "cli/PngWriter.h"
#include "font/GlyphTable.h"

namespace orv {

inline constexpr int kSheetColumns = 16;
inline constexpr int kSheetZoom = 2;
inline constexpr int kLabelZoom = 2;
inline constexpr int kLabelDigits = 4;
inline constexpr int kDigitWidth = 3;
inline constexpr int kDigitHeight = 5;
inline constexpr int kDigitSpacing = 1; // label pixels between digits, before kLabelZoom
// A sheet of more pixels is refused: only a font with absurd advances or offsets gets there.
inline constexpr long long kMaxSheetPixels = 1LL << 25;

// The hexadecimal digits 0-F, 3 x 5 pixels: one row per entry, bit 2 the left column.
inline constexpr std::array<std::array<std::uint8_t, kDigitHeight>, 16> kHexDigitRows = {{
    {7, 5, 5, 5, 7}, // 0
    {2, 6, 2, 2, 7}, // 1
    {7, 1, 7, 4, 7}, // 2
    {7, 1, 7, 1, 7}, // 3
    {5, 5, 7, 1, 1}, // 4
    {7, 4, 7, 1, 7}, // 5
    {7, 4, 7, 5, 7}, // 6
    {7, 1, 1, 2, 2}, // 7
    {7, 5, 7, 5, 7}, // 8
    {7, 5, 7, 1, 7}, // 9
    {2, 5, 7, 5, 5}, // A
    {6, 5, 6, 5, 6}, // B
    {3, 4, 4, 4, 3}, // C
    {6, 5, 5, 5, 6}, // D
    {7, 4, 6, 4, 7}, // E
    {7, 4, 6, 4, 4}, // F
}};

// Sheet colours, 0xRRGGBB. Glyph pixels are greys; nothing else on the sheet is.
inline constexpr std::uint32_t kGridColour = 0x303848;
inline constexpr std::uint32_t kAdvanceColour = 0x18204A;
inline constexpr std::uint32_t kLabelColour = 0xE8B030;

// Where things lie on a sheet, in sheet pixels; cell offsets are from the cell's top-left corner.
struct GlyphSheetLayout
{
    int Columns = 1;
    int Rows = 1;
    int CellWidth = 0;
    int CellHeight = 0;
    int PenX = 0;   // the pen position of every glyph
    int LineY = 0;  // the top of the 22-pixel line
    int LabelX = 0; // the label's top-left corner
    int LabelY = 0;

    // The sheet with a closing grid line on the right and at the bottom.
    long long Width() const { return static_cast<long long>(Columns) * CellWidth + 1; }
    long long Height() const { return static_cast<long long>(Rows) * CellHeight + 1; }
    // The top-left corner of cell `position` (0-based, row by row).
    int CellX(std::size_t position) const { return static_cast<int>(position % Columns) * CellWidth; }
    int CellY(std::size_t position) const { return static_cast<int>(position / Columns) * CellHeight; }
};

// The layout for the glyphs of `codePoints` in `font`: cells wide enough for every glyph's ink and
// advance, and for the label.
GlyphSheetLayout LayOutGlyphSheet(const RenderedFont& font, std::span<const char16_t> codePoints);

// The sheet of `codePoints` (ascending) as an RGB image. OutOfRange when it would exceed
// kMaxSheetPixels.
Result<PngImage> DrawGlyphSheet(const RenderedFont& font, std::span<const char16_t> codePoints);

} // namespace orv
