#pragma once

// What the glyph rendering needs from a desktop font: one UTF-16 unit drawn white on black into a
// fixed work bitmap at a fixed cell height, its A, B and C widths, and the face's Unicode coverage.
//
// The work bitmap is kWorkSize x kWorkSize coverage bytes (0 = no ink, 255 = full ink), row-major,
// rows from the top. A character is drawn with the top-left corner of its character cell at
// (kCellLeft, 0); the cell is kCellHeight pixels tall, so its baseline lies at the font's scaled
// ascent below row 0.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Result.h"

namespace orv {

inline constexpr int kWorkSize = 200;
inline constexpr int kCellLeft = 16;
inline constexpr int kCellHeight = 88;

struct CoverageBitmap
{
    std::array<std::uint8_t, std::size_t{kWorkSize} * kWorkSize> Pixels{};

    std::uint8_t& At(int x, int y) { return Pixels[static_cast<std::size_t>(y) * kWorkSize + x]; }
    std::uint8_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * kWorkSize + x]; }
    void Clear() { Pixels.fill(0); }
};

// A character's advance split into left bearing, ink width and right bearing, in pixels: A is the
// space before the ink (negative when the ink starts left of the pen), B the ink width, C the space
// after the ink (C = advance - A - B). A character without ink has A = 0, B = 0 and C = its advance.
struct CharacterWidths
{
    std::int32_t A = 0;
    std::uint32_t B = 0;
    std::int32_t C = 0;

    bool operator==(const CharacterWidths&) const = default;
};

// An inclusive range of Unicode code points that a face maps to glyphs.
struct CodePointRange
{
    char32_t First = 0;
    char32_t Last = 0;

    bool operator==(const CodePointRange&) const = default;
};

class Rasteriser
{
public:
    virtual ~Rasteriser() = default;

    // The code points the face maps, in ascending disjoint ranges; an Error when the face's
    // character map cannot be read. May throw std::bad_alloc.
    virtual Result<std::vector<CodePointRange>> UnicodeCoverage() = 0;

    // Draws `unit` (one UTF-16 unit taken as a character; a unit the face lacks is drawn as the face
    // draws a missing character) into `bitmap`, which the caller has cleared, and returns its widths.
    // An Error when the face cannot produce the glyph. May throw std::bad_alloc.
    virtual Result<CharacterWidths> DrawCharacter(char16_t unit, CoverageBitmap& bitmap) = 0;
};

} // namespace orv
