#include "font/GlyphTable.h"

#include <cassert>

namespace orv {

Glyph GlyphAt(std::span<const std::uint8_t> store, std::size_t offset)
{
    if (offset > store.size() || store.size() - offset < kGlyphHeaderSize)
        return EmptyGlyph;
    Glyph glyph;
    glyph.Advance = store[offset];
    glyph.XOffset = static_cast<std::int8_t>(store[offset + 1]);
    glyph.YOffset = static_cast<std::int8_t>(store[offset + 2]);
    glyph.Width = store[offset + 3];
    glyph.Height = store[offset + 4];
    const std::size_t pixelCount = std::size_t{glyph.Width} * glyph.Height;
    if (store.size() - offset - kGlyphHeaderSize < pixelCount)
        return EmptyGlyph;
    glyph.Pixels = store.subspan(offset + kGlyphHeaderSize, pixelCount);
    return glyph;
}

Glyph FindGlyph(const RenderedFont& font, char16_t codePoint)
{
    const auto offset = FindInSearchTable(font.GlyphTree, static_cast<std::uint16_t>(codePoint));
    return offset ? GlyphAt(font.GlyphStore, *offset) : EmptyGlyph;
}

void GlyphTableBuilder::Add(char16_t codePoint, const Glyph& glyph)
{
    assert(CodePoints.empty() || codePoint > CodePoints.back());
    assert(glyph.Pixels.size() == std::size_t{glyph.Width} * glyph.Height);
    CodePoints.push_back(static_cast<std::uint16_t>(codePoint));
    Offsets.push_back(static_cast<std::uint32_t>(Font.GlyphStore.size()));
    Font.GlyphStore.push_back(glyph.Advance);
    Font.GlyphStore.push_back(static_cast<std::uint8_t>(glyph.XOffset));
    Font.GlyphStore.push_back(static_cast<std::uint8_t>(glyph.YOffset));
    Font.GlyphStore.push_back(glyph.Width);
    Font.GlyphStore.push_back(glyph.Height);
    Font.GlyphStore.insert(Font.GlyphStore.end(), glyph.Pixels.begin(), glyph.Pixels.end());
}

RenderedFont GlyphTableBuilder::Finish()
{
    Font.GlyphTree = BuildSearchTable(CodePoints, Offsets);
    CodePoints.clear();
    Offsets.clear();
    return std::move(Font);
}

} // namespace orv
