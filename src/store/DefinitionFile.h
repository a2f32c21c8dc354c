#pragma once

// The .strdef definition file: reading into a DefinitionTable and a BlockTree, and writing them back.
//
// Layout (all integers little-endian, no padding):
//   magic        ArchiveString "ORVstrdef"
//   format word  u32, always 0
//   tree section u16 markers, each of 0, 1, 2 followed by an item (ArchiveString label, u32 data):
//                  0 append at the top level, 1 append as the last child of the current item,
//                  2 append as the next sibling of the current item, 3 go up to the parent,
//                  0xFFFF end of the section; an appended item becomes the current item
//   count prefix ArchiveCount, kept in DefinitionTable::CountPrefix
//   record count ArchiveCount n, then n records:
//                  u32 field mask, then the fields whose bit is set, in this order:
//                  0x01 u16 index, 0x02 identifier, 0x04 default text, 0x08 translation,
//                  0x10 description (strings are ArchiveStrings), 0x20 u32 translated
//   tag list     ArchiveString tags, each followed by its value: "ver" u16 firmware version,
//                  "foni" u32 save lock, any other tag no value; an empty tag ends the file
//
// ArchiveCount: u16; 0xFFFF is followed by a u32; a u32 of 0xFFFFFFFF by a u64.
// ArchiveString: a byte below 0xFF is the length of an 8-bit (Windows-1252) string. Otherwise a u16
//   follows; 0xFFFE marks UTF-16, and a length byte follows in the same escalating form (0xFF, then
//   a u16, a u32 of 0xFFFF..., a u64). Any other u16 is already the 8-bit string's escalating length.
//   The writer always writes UTF-16: FF FE FF, then the length in its shortest form, then the units.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "store/BlockTree.h"
#include "store/DefinitionTable.h"

namespace orv {

inline constexpr std::u16string_view kDefinitionMagic = u"ORVstrdef";
inline constexpr std::u16string_view kUnusedMarker = u"UNUSED";
inline constexpr std::uint32_t kAllFieldsMask = 0x3F;

// The reader's result codes; the values are fixed.
enum class ReadResult : int
{
    ReadOk = 0,
    ReadBadMagic = 1,
    ReadBadFormatWord = 2,
    ReadBadTreeMarker = 3,
    ReadFailed = 9,
};

struct ReadOutcome
{
    ReadResult Status = ReadResult::ReadOk;
    std::string Reason; // for ReadFailed: what was being read, where, and why it failed
};

// Empties `table`'s definitions and `tree`, then reads `bytes` into them. What was read before a
// failure stays; "UNUSED" items are removed only from a complete read.
ReadOutcome ReadDefinitionBytes(std::span<const std::uint8_t> bytes, BlockTree& tree, DefinitionTable& table);

// The largest definition file that is read. 65,536 texts with four strings of a few thousand
// characters each stay well below it; a larger file is refused before anything is allocated.
inline constexpr std::uint64_t kMaxDefinitionFileSize = std::uint64_t{1} << 30;

// Reads the file at `path` as ReadDefinitionBytes does. A file that cannot be opened or read, or is
// larger than kMaxDefinitionFileSize, is an error, and then `tree` and `table` are unchanged; running
// out of memory while reading is ReadFailed.
Result<ReadOutcome> ReadDefinitionFile(const std::filesystem::path& path, BlockTree& tree,
                                       DefinitionTable& table);

// The file's bytes for `tree` and `table`, always with a "foni" word of 0: whatever is written can be
// saved again.
std::vector<std::uint8_t> WriteDefinitionBytes(const BlockTree& tree, const DefinitionTable& table);

// The text the reader puts above the tree after a complete read: "System strings (Fw. ver. %.2f)" of
// the version divided by 100 (0x110 shows as 2.72 until the title replaces it).
std::string ReaderLabelText(std::uint16_t firmwareVersion);

} // namespace orv
