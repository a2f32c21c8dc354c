#pragma once

// The font-and-text file (".ovtx") that the device loads: the rendered font and the translated
// texts, each as a block packed by PackBlock with the Adler-32 checksum of its unpacked bytes.
//
// File layout, little-endian, no padding or alignment:
//
//   offset 0   6 bytes  the magic "ORVtex", no terminator
//   offset 6   u16      1
//   offset 8   u16      the firmware version of the definition table (high byte major, low minor)
//   offset 10  2 bytes  the tag "FO"
//   offset 12  12 bytes the block header of the font block
//   offset 24           the packed font payload
//   then       2 bytes  the tag "TD"
//   then       12 bytes the block header of the text block
//   then                the packed text payload; the file ends here
//
// Block header:
//   offset 0   u32  packedSize  the number of packed bytes that follow, in bits 0-23; bits 24-31 are 0
//   offset 4   u32  checksum    Adler-32 of the unpacked payload
//   offset 8   u32  rawSize     the number of bytes of the unpacked payload
//
// Font payload: u32 the glyph-tree entry count E, the E entries (12 bytes each, base/SearchTable.h),
// u32 the glyph-store length G, the G bytes of glyph records (font/GlyphTable.h), to which the tree's
// leaf offsets point. rawSize = 8 + 12 E + G.
// Text payload: the text table (output/TextTable.h) of the definitions marked "Translated", each with
// its effective text cut to 1023 code units; the other definitions have no entry.
//
// The firmware of version 1.04 takes blocks of at most 65,000 bytes; the export warns when the
// packed font block or the unpacked text block is larger, and writes the file all the same.

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "base/Result.h"
#include "font/GlyphTable.h"
#include "output/OutputMessages.h"
#include "store/DefinitionTable.h"

namespace orv {

inline constexpr std::array<std::uint8_t, 6> kExportMagic = {'O', 'R', 'V', 't', 'e', 'x'};
inline constexpr std::uint16_t kExportFormatVersion = 1;
inline constexpr std::array<std::uint8_t, 2> kFontBlockTag = {'F', 'O'};
inline constexpr std::array<std::uint8_t, 2> kTextBlockTag = {'T', 'D'};
inline constexpr std::size_t kExportHeaderSize = 10;
inline constexpr std::size_t kBlockHeaderSize = 12;
inline constexpr std::uint32_t kMaxPackedSize = 0xFFFFFF;
// The largest block that firmware 1.04 loads.
inline constexpr std::size_t kFirmwareBlockLimit = 65000;

struct BlockHeader
{
    std::uint32_t PackedSize = 0;
    std::uint32_t Checksum = 0;
    std::uint32_t RawSize = 0;

    bool operator==(const BlockHeader&) const = default;
};

// A built export file and what the user is to be told about it.
struct ExportFile
{
    std::vector<std::uint8_t> Bytes;
    BlockHeader FontBlock;
    BlockHeader TextBlock;
    std::uint32_t TextFlags = 0;
    std::vector<std::uint16_t> CutIndexes;     // texts stored in part
    std::vector<std::uint16_t> LeftOutIndexes; // texts not stored at all
    std::vector<std::uint16_t> NonBaseIndexes; // texts that raised the NonBaseCharacter flag
    std::vector<Notice> Notices; // the size warnings, then the overflow report; show after writing
};

// The number of definitions marked "Translated".
std::size_t CountTranslated(const DefinitionTable& table);

// BadInput, with the message for the user, when fewer than two definitions are marked "Translated":
// the text table has no form for that.
Result<void> CheckExportable(const DefinitionTable& table);

// The bytes of the export file of `table` with `font`: the effective texts of the translated
// definitions. Fails as CheckExportable; OutOfRange when memory runs out ("Out of memory") or a block
// packs to more than its header holds.
Result<ExportFile> BuildExport(const DefinitionTable& table, const RenderedFont& font);

// The message box for an error of CheckExportable, BuildExport or WriteFileSafely.
Notice ExportFailureNotice(const Error& error);

} // namespace orv
