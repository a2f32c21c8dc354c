#pragma once

// Merging a newer definition file into the loaded one: the other file's tree and definitions become
// the working state, and the loaded translations are carried over where the other file has none,
// losing their "Translated" mark where the default text changed.

#include <cstddef>
#include <cstdint>
#include <string>

#include "store/BlockTree.h"
#include "store/DefinitionTable.h"

namespace orv {

inline constexpr const char* kMergeSameFileMessage =
    "It's no use merging with the same file that is already loaded";
inline constexpr const char* kMergeReadFailedMessage = "Can't load file for merging";

// What a merge did, per index.
struct MergeSummary
{
    std::size_t Kept = 0;     // loaded translations carried over with their mark
    std::size_t Unmarked = 0; // translations whose mark was cleared because the default text changed
    std::size_t Added = 0;    // indexes only the other file has
    std::size_t Removed = 0;  // indexes only the loaded file had
};

// True when the other file's version is older than the loaded one: such a merge is refused.
bool IsOlderFirmwareVersion(std::uint16_t other, std::uint16_t loaded);

// "The file to be merged (%x.%02x) with is older than the existing (%x.%02x)".
std::string MergeOlderVersionMessage(std::uint16_t other, std::uint16_t loaded);

// Replaces `tree` by a copy of `otherTree` and swaps `table` with `otherTable`, then carries the
// loaded translations over. Afterwards `otherTable` holds the old definitions.
MergeSummary MergeDefinitions(BlockTree& tree, DefinitionTable& table, const BlockTree& otherTree,
                              DefinitionTable& otherTable);

} // namespace orv
