#pragma once

// The flat binary search table that the device uses for both its glyph table (keyed by code point)
// and its text table (keyed by text index): a balanced tree over 16-bit keys in 12-byte entries,
// little-endian in files:
//
//   offset  field          meaning
//   0       u32 left       bit 31 set: the left child is a leaf and bits 0-30 are its value;
//                          bit 31 clear: the byte distance from this entry to the left child's entry
//   4       u32 right      the same for the right child
//   8       u16 leftKey    left leaf: its key; left inner child: this node's separator
//   10      u16 rightKey   this node's separator, the smallest key of the right subtree
//                          (for a right leaf that is the leaf's own key)
//
// Looking up k at an entry: a left leaf is k's when leftKey == k; an inner left child is taken when
// k < leftKey; otherwise the right side decides: a right leaf is k's when rightKey == k, an inner
// right child is taken when k >= rightKey, and anything else means k is not in the table.
//
// Children are found by distance, not by position, so the table works wherever it is loaded and
// needs no fixing up. Leaves live inside their parent's entry, so n keys take n - 1 entries rather
// than 2n - 1, and each leaf keeps its own key, so a missing key is told from a present one. Entries
// are in pre-order, entry 0 the root: every distance is positive, and an inner left child is always
// the next entry. A range of m keys splits into its first m / 2 (rounded down) on the left and the
// rest on the right, so 65,536 keys take 16 steps. There is no form for fewer than two keys.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"

namespace orv {

struct SearchTableEntry
{
    std::uint32_t Left = 0;
    std::uint32_t Right = 0;
    std::uint16_t LeftKey = 0;
    std::uint16_t RightKey = 0;

    bool operator==(const SearchTableEntry&) const = default;
};

inline constexpr std::size_t kSearchEntrySize = 12;
inline constexpr std::uint32_t kLeafBit = 0x80000000u;
inline constexpr std::uint32_t kMaxLeafValue = 0x7FFFFFFFu;
// A lookup reads at most this many entries; balanced tables of 65,536 keys need 16.
inline constexpr int kMaxSearchSteps = 20;

// The entries for `keys` (strictly ascending, at least two) and their `values` (each at most
// kMaxLeafValue). Returns no entries for fewer than two keys.
std::vector<SearchTableEntry> BuildSearchTable(std::span<const std::uint16_t> keys,
                                               std::span<const std::uint32_t> values);

// The value stored under `key`, or nothing. Safe on any entries: a distance that is zero, not a
// multiple of the entry size or beyond the table ends the search without a result.
std::optional<std::uint32_t> FindInSearchTable(std::span<const SearchTableEntry> entries, std::uint16_t key);

// The 12-byte form of each entry, in order.
void WriteSearchTable(ByteWriter& out, std::span<const SearchTableEntry> entries);

// Reads `count` entries; false when fewer than 12 * count bytes are left.
bool ReadSearchTable(ByteReader& in, std::size_t count, std::vector<SearchTableEntry>& entries);

} // namespace orv
