#include "output/SearchTableCheck.h"

#include <variant>

#include "output/OutputMessages.h"

namespace orv {

namespace {

// What the walk still has to do: visit an entry, or take a leaf in key order.
struct VisitEntry
{
    std::size_t Entry;
    std::size_t Parent;
};
using WalkStep = std::variant<VisitEntry, SearchLeaf>;

} // namespace

Result<std::vector<SearchLeaf>> CheckSearchTable(std::span<const SearchTableEntry> entries,
                                                 std::size_t firstEntryOffset, const std::string& what)
{
    const auto entryPlace = [&](std::size_t entry) {
        return what + ": entry " + std::to_string(entry) + " (byte " +
               std::to_string(firstEntryOffset + entry * kSearchEntrySize) + ")";
    };

    std::vector<SearchLeaf> leaves;
    if (entries.empty())
        return leaves;
    leaves.reserve(entries.size() + 1);

    // Note: an explicit stack instead of recursion, since a hostile table can be as deep as it is long.
    // The right half is pushed first so that the left half, and in it the smaller keys, come out first.
    std::vector<WalkStep> pending{VisitEntry{0, 0}};
    std::size_t nextEntry = 0;
    while (!pending.empty()) {
        const WalkStep step = pending.back();
        pending.pop_back();
        if (const auto* leaf = std::get_if<SearchLeaf>(&step)) {
            if (!leaves.empty() && leaf->Key <= leaves.back().Key)
                return Fail(ErrorCode::BadInput, what + ": key 0x" + HexNumber(leaf->Key, 4) +
                                                     " follows key " + "0x" +
                                                     HexNumber(leaves.back().Key, 4) + "; keys must ascend");
            leaves.push_back(*leaf);
            continue;
        }
        const VisitEntry visit = std::get<VisitEntry>(step);
        // Pre-order: each entry is the next one not yet reached, so no entry is shared or skipped.
        if (visit.Entry != nextEntry)
            return Fail(ErrorCode::BadInput, entryPlace(visit.Parent) + " points to entry " +
                                                 std::to_string(visit.Entry) + " where entry " +
                                                 std::to_string(nextEntry) + " must follow");
        ++nextEntry;
        const SearchTableEntry& entry = entries[visit.Entry];

        WalkStep halves[2];
        const std::uint32_t links[2] = {entry.Left, entry.Right};
        const std::uint16_t keys[2] = {entry.LeftKey, entry.RightKey};
        for (int half = 0; half < 2; ++half) {
            if (links[half] & kLeafBit) {
                halves[half] = SearchLeaf{keys[half], links[half] & kMaxLeafValue};
                continue;
            }
            const std::uint32_t distance = links[half];
            if (distance == 0 || distance % kSearchEntrySize != 0 ||
                distance / kSearchEntrySize >= entries.size() - visit.Entry)
                return Fail(ErrorCode::BadInput,
                            entryPlace(visit.Entry) + ": " + (half == 0 ? "left" : "right") + " distance " +
                                std::to_string(distance) + " leads to no entry of the table");
            halves[half] = VisitEntry{visit.Entry + distance / kSearchEntrySize, visit.Entry};
        }
        pending.push_back(halves[1]);
        pending.push_back(halves[0]);
    }
    if (nextEntry != entries.size())
        return Fail(ErrorCode::BadInput, entryPlace(nextEntry) + " is not reached from entry 0");

    // Ascending keys alone do not make the separators right; the device's own walk must find each.
    for (const SearchLeaf& leaf : leaves) {
        const auto found = FindInSearchTable(entries, leaf.Key);
        if (!found || *found != leaf.Value)
            return Fail(ErrorCode::BadInput, what + ": key 0x" + HexNumber(leaf.Key, 4) +
                                                 " is in the table but a lookup does not find it");
    }
    return leaves;
}

} // namespace orv
