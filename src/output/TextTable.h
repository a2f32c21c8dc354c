#pragma once

// The device's text table: texts packed one after another into a pool of at most 65,536 bytes and
// found by their 16-bit index through the flat search table of base/SearchTable.h, whose leaves hold
// pool offsets. The firmware build reads it as "texts.bin"; the export packs it as its text block.
//
// Layout, little-endian, no padding:
//
//   offset         size       field
//   0              u32        flags: 0x1 NonBaseCharacter, a stored text has a character outside the
//                             BaseCharacterSet; 0x100 PoolOverflow, a text did not fit whole into the
//                             pool; all other bits 0
//   4              u32        treeSize: 12 x the number of search-table entries
//   8              treeSize   the search-table entries, entry 0 (the root) first
//   8 + treeSize   the rest   the used bytes of the pool; leaf values count from its first byte
//
// There is no magic number, count of texts or checksum: the firmware build knows "texts.bin" by its
// name, and in the export the block header already carries the size and the Adler-32. n texts
// (n >= 2) give n - 1 entries; like the search table, the text table has no form for fewer than two.
//
// A text is its UTF-16 code units, each encoded on its own, then one 0 byte:
//
//   code unit c          bytes
//   c < 0x80             c
//   0x80 <= c < 0x800    0xC0 | c >> 6, 0x80 | (c & 0x3F)
//   c >= 0x800           0xE0 | c >> 12, 0x80 | (c >> 6 & 0x3F), 0x80 | (c & 0x3F)
//
// This is UTF-8 within the Basic Multilingual Plane, so the bulk of the texts, plain ASCII, takes one
// byte a character; the two halves of a surrogate pair are encoded separately, so the device turns at
// most three bytes back into one 16-bit unit, the key of its glyph table, and never pairs surrogates.
// A text that does not fit ends after its last whole code unit, without its 0 byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "base/SearchTable.h"

namespace orv {

// Bits of a text table's flags word.
enum TextTableFlag : std::uint32_t
{
    NonBaseCharacter = 0x1,
    PoolOverflow = 0x100,
};

inline constexpr std::size_t kPoolSize = 65536;
inline constexpr std::size_t kTextTableHeaderSize = 8;
// Texts are cut to this many code units before they are stored.
inline constexpr std::size_t kMaxTextUnits = 1023;

// The 112 characters that every device font has: U+0020 to U+007E and 17 symbols.
inline constexpr std::array<char16_t, 112> BaseCharacterSet = [] {
    std::array<char16_t, 112> set{};
    std::size_t count = 0;
    for (char16_t c = u' '; c <= u'~'; ++c)
        set[count++] = c;
    for (char16_t c : std::u16string_view(u"\u25A1\u25B2\u25BA\u25BC\u25C4\u00AB\u00BB\u2194\u2195"
                                          u"\u00A9\u00B0\u00B1\u00B2\u00B5\u00D7\u2248\u266A"))
        set[count++] = c;
    return set;
}();

// True when `c` is in the BaseCharacterSet.
bool IsBaseCharacter(char16_t c);

// The number of bytes (1, 2 or 3) that the pool encoding takes for `c`.
constexpr std::size_t EncodedSize(char16_t c)
{
    return c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
}

// How much of a text went into the pool.
enum class TextFit
{
    Whole,   // every code unit and the terminating 0
    Cut,     // some bytes, but not all code units or not the terminating 0
    LeftOut, // nothing at all
};

struct AppendedText
{
    std::uint32_t Offset = 0; // the pool's used length before the text, whatever fitted
    TextFit Fit = TextFit::Whole;
};

// The 65,536-byte pool of encoded texts. Allocates its buffer on construction.
class TextPool
{
public:
    TextPool() : Bytes(kPoolSize) {}

    // Appends `text` as laid out above and returns its offset. Sets NonBaseCharacter in `flags` for
    // a unit outside the BaseCharacterSet (also for one that then does not fit) and PoolOverflow
    // when the text does not fit whole.
    AppendedText AppendText(std::u16string_view text, std::uint32_t& flags);

    std::size_t UsedLength() const { return Length; }
    std::span<const std::uint8_t> Used() const { return std::span(Bytes).first(Length); }

private:
    std::vector<std::uint8_t> Bytes;
    std::size_t Length = 0;
};

// The search-table entries over `indexes` (strictly ascending, at least two) and their pool
// `offsets`, through the builder shared with the glyph table.
std::vector<SearchTableEntry> BuildTextTree(std::span<const std::uint16_t> indexes,
                                            std::span<const std::uint32_t> offsets);

// One text to go into a table.
struct IndexedText
{
    std::uint16_t Index = 0;
    std::u16string Text;
};

// A laid-out text table and what happened to its texts.
struct TextTableBytes
{
    std::vector<std::uint8_t> Bytes;
    std::uint32_t Flags = 0;
    std::vector<std::uint16_t> CutIndexes;     // stored in part
    std::vector<std::uint16_t> LeftOutIndexes; // not stored at all
    std::vector<std::uint16_t> NonBaseIndexes; // texts that raised NonBaseCharacter
};

// Lays out the table of `texts` (strictly ascending indexes), each cut to its first kMaxTextUnits
// code units and appended in order. BadInput for fewer than two texts.
Result<TextTableBytes> BuildTextTable(std::span<const IndexedText> texts);

// One text as a device would read it from a table.
struct TableText
{
    std::uint16_t Index = 0;
    std::uint32_t Offset = 0;
    std::u16string Text;
    bool Terminated = true; // false: the text runs to the end of the pool (only with PoolOverflow)
};

struct TextTableContents
{
    std::uint32_t Flags = 0;
    std::vector<SearchTableEntry> Tree;
    std::uint32_t PoolLength = 0;
    std::vector<TableText> Texts; // ascending index
};

// Reads and checks a whole text table: the flags, the tree size, the search table (each entry
// reached exactly once in pre-order, keys strictly ascending, every index found by the device's
// lookup), every text's offset and encoding, and the flags against the texts. BadInput names the
// part and the byte offset (counted from `bytes`); `what` prefixes every message.
Result<TextTableContents> ReadTextTable(std::span<const std::uint8_t> bytes, const std::string& what);

} // namespace orv
