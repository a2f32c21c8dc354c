#pragma once

// The device font: a GlyphStore of consecutive Glyph records in ascending code-point order, and a
// GlyphTree (the flat search table of base/SearchTable.h) whose leaves hold each record's byte
// offset in the store. Both go into the export file unchanged.
//
// Glyph record layout (bytes, no alignment):
//   0  u8  advance   pen movement after the character, device pixels
//   1  s8  x offset  bitmap left edge relative to the pen
//   2  s8  y offset  bitmap top edge relative to the top of the 22-pixel line (0-21)
//   3  u8  width     1-50
//   4  u8  height    1-22
//   5  width x height pixel bytes, rows top to bottom, each one of 0, 36, 73, ..., 255

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/SearchTable.h"

namespace orv {

inline constexpr std::size_t kGlyphHeaderSize = 5;
inline constexpr int kLineHeight = 22;
inline constexpr int kMaxGlyphWidth = 50;
inline constexpr std::size_t kMaxGlyphCount = 4096;

// One glyph as a view into a GlyphStore (or into nothing, for the EmptyGlyph).
struct Glyph
{
    std::uint8_t Advance = 0;
    std::int8_t XOffset = 0;
    std::int8_t YOffset = 0;
    std::uint8_t Width = 0;
    std::uint8_t Height = 0;
    std::span<const std::uint8_t> Pixels; // Width * Height bytes
};

// All five header bytes zero, no pixels: what every lookup without a glyph yields.
inline constexpr Glyph EmptyGlyph{};

struct RenderedFont
{
    std::vector<std::uint8_t> GlyphStore;
    std::vector<SearchTableEntry> GlyphTree;

    bool Empty() const { return GlyphTree.empty(); }
    void Clear()
    {
        GlyphStore.clear();
        GlyphTree.clear();
    }
};

// The glyph of `codePoint`, or the EmptyGlyph. Never reads outside the store, whatever its content.
Glyph FindGlyph(const RenderedFont& font, char16_t codePoint);

// The record at `offset` of a store; the EmptyGlyph when the record does not fit in the store.
Glyph GlyphAt(std::span<const std::uint8_t> store, std::size_t offset);

// Collects glyph records in ascending code-point order and builds the search table over them.
class GlyphTableBuilder
{
public:
    // Appends the record of `codePoint`, which must be above every code point added before;
    // `glyph.Pixels` holds Width * Height bytes.
    void Add(char16_t codePoint, const Glyph& glyph);
    std::size_t Count() const { return CodePoints.size(); }
    // The store and its search table; no table (every lookup empty) for fewer than two glyphs.
    RenderedFont Finish();

private:
    RenderedFont Font;
    std::vector<std::uint16_t> CodePoints;
    std::vector<std::uint32_t> Offsets;
};

} // namespace orv
