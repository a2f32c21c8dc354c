#pragma once

// Checking a search table read from a file, for the readers of the text table and the export file.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/Result.h"
#include "base/SearchTable.h"

namespace orv {

struct SearchLeaf
{
    std::uint16_t Key = 0;
    std::uint32_t Value = 0;
};

// The leaves of `entries` in ascending key order, after checking that the entries form one binary
// tree in pre-order (every entry reached exactly once, every distance leading forward to the next
// entry in that order), that the keys ascend strictly and that the device's lookup finds every key.
// An empty table has no leaves. BadInput names the entry and its byte offset, counted from
// `firstEntryOffset`, prefixed by `what`.
Result<std::vector<SearchLeaf>> CheckSearchTable(std::span<const SearchTableEntry> entries,
                                                 std::size_t firstEntryOffset, const std::string& what);

} // namespace orv
