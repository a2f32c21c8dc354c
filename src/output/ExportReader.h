#pragma once

// Reading and checking a font-and-text file (layout in output/FontTextExport.h) as a device would
// rely on it, for `strdef inspect`.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Result.h"
#include "output/FontTextExport.h"
#include "output/TextTable.h"

namespace orv {

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
// against the file, each packed stream against its raw size, the checksums, the glyph tree (every
// record reached and in code-point order), every glyph record (sizes, place in the line, grey
// levels), and the text table as ReadTextTable does; nothing may follow the text block. BadInput
// names the part and the byte offset, in the file or in the unpacked block.
Result<ExportContents> InspectExport(std::span<const std::uint8_t> file);

} // namespace orv
