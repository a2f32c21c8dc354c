#pragma once

// Reading and checking a font-and-text file (layout in output/FontTextExport.h) as a device would
// rely on it, for `strdef inspect`.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "base/Result.h"
#include "output/FontTextExport.h"
#include "output/TextTable.h"

namespace orv {

// The most bytes that each block's unpacked payload can hold; a block header whose raw size is
// larger is refused before anything is unpacked.
// Note: a font payload has its two length words, at most kMaxGlyphCount - 1 tree entries, and for
// each of the kMaxGlyphCount code points they reach a record of at most 50 x 22 pixels. A text
// payload has its header, one entry fewer than the 65,536 indexes, and a full pool.
inline constexpr std::size_t kMaxFontPayloadSize =
    2 * sizeof(std::uint32_t) + kSearchEntrySize * (kMaxGlyphCount - 1) +
    kMaxGlyphCount * (kGlyphHeaderSize + std::size_t{kMaxGlyphWidth} * std::size_t{kLineHeight});
inline constexpr std::size_t kMaxTextPayloadSize =
    kTextTableHeaderSize + kSearchEntrySize * std::numeric_limits<std::uint16_t>::max() + kPoolSize;
static_assert(kMaxFontPayloadSize == 4'575'228 && kMaxTextPayloadSize == 851'964);

// One glyph of the font block, reached through the glyph tree.
struct ExportedGlyph
{
    std::uint16_t CodePoint = 0;
    std::uint32_t Offset = 0; // of its record in the glyph store
    std::uint8_t Advance = 0;
    std::int8_t XOffset = 0;
    std::int8_t YOffset = 0;
    std::uint8_t Width = 0;
    std::uint8_t Height = 0;
};

struct ExportContents
{
    std::uint16_t FirmwareVersion = 0;
    BlockHeader FontBlock;
    BlockHeader TextBlock;
    std::size_t GlyphTreeEntries = 0;
    std::size_t GlyphStoreLength = 0;
    std::vector<ExportedGlyph> Glyphs; // ascending code point
    TextTableContents Texts;
};

// Reads and checks a whole export file: the magic, the format word, both tags, the block headers
// against the file and against the payload sizes above, each packed stream against its raw size, the
// checksums, the glyph tree (every record reached and in code-point order), every glyph record (sizes, place
// in the line, grey levels), and the text table as ReadTextTable does; nothing may follow the text block.
// BadInput names the part and the byte offset, in the file or in the unpacked block.
Result<ExportContents> InspectExport(std::span<const std::uint8_t> file);

} // namespace orv
