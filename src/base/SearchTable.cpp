#include "base/SearchTable.h"

#include <cassert>

namespace orv {

namespace {

class SearchTableBuilder
{
public:
    SearchTableBuilder(std::span<const std::uint16_t> keys, std::span<const std::uint32_t> values)
        : Keys(keys), Values(values)
    {
        Entries.reserve(keys.size() - 1);
    }

    std::vector<SearchTableEntry> Build()
    {
        Emit(0, Keys.size());
        return std::move(Entries);
    }

private:
    // Emits the inner node over the `count` keys from `first` and, after it, its subtrees.
    // Note: the depth is log2 of the key count, at most 16 for 16-bit keys.
    void Emit(std::size_t first, std::size_t count)
    {
        const std::size_t position = Entries.size();
        Entries.emplace_back();
        const std::size_t leftCount = count / 2;
        const std::size_t rightFirst = first + leftCount;
        const std::uint16_t separator = Keys[rightFirst];

        SearchTableEntry entry;
        if (leftCount == 1) {
            entry.Left = kLeafBit | Values[first];
            entry.LeftKey = Keys[first];
        } else {
            Emit(first, leftCount);
            entry.Left = kSearchEntrySize;
            entry.LeftKey = separator;
        }
        if (count - leftCount == 1) {
            entry.Right = kLeafBit | Values[rightFirst];
        } else {
            const std::size_t rightPosition = Entries.size();
            Emit(rightFirst, count - leftCount);
            entry.Right = static_cast<std::uint32_t>((rightPosition - position) * kSearchEntrySize);
        }
        entry.RightKey = separator;
        Entries[position] = entry;
    }

    std::span<const std::uint16_t> Keys;
    std::span<const std::uint32_t> Values;
    std::vector<SearchTableEntry> Entries;
};

} // namespace

std::vector<SearchTableEntry> BuildSearchTable(std::span<const std::uint16_t> keys,
                                               std::span<const std::uint32_t> values)
{
    assert(keys.size() == values.size());
    if (keys.size() < 2)
        return {};
    return SearchTableBuilder(keys, values).Build();
}

std::optional<std::uint32_t> FindInSearchTable(std::span<const SearchTableEntry> entries, std::uint16_t key)
{
    // Moves `position` forward by a byte distance; false when the distance leads nowhere valid.
    const auto advance = [&](std::size_t& position, std::uint32_t distance) {
        if (distance == 0 || distance % kSearchEntrySize != 0)
            return false;
        position += distance / kSearchEntrySize;
        return position < entries.size();
    };

    std::size_t position = 0;
    for (int step = 0; step < kMaxSearchSteps && position < entries.size(); ++step) {
        const SearchTableEntry& entry = entries[position];
        if (entry.Left & kLeafBit) {
            if (entry.LeftKey == key)
                return entry.Left & kMaxLeafValue;
        } else if (key < entry.LeftKey) {
            if (!advance(position, entry.Left))
                return std::nullopt;
            continue;
        }
        if (entry.Right & kLeafBit) {
            if (entry.RightKey == key)
                return entry.Right & kMaxLeafValue;
            return std::nullopt;
        }
        if (key < entry.RightKey || !advance(position, entry.Right))
            return std::nullopt;
    }
    return std::nullopt;
}

void WriteSearchTable(ByteWriter& out, std::span<const SearchTableEntry> entries)
{
    for (const SearchTableEntry& entry : entries) {
        out.WriteU32(entry.Left);
        out.WriteU32(entry.Right);
        out.WriteU16(entry.LeftKey);
        out.WriteU16(entry.RightKey);
    }
}

bool ReadSearchTable(ByteReader& in, std::size_t count, std::vector<SearchTableEntry>& entries)
{
    if (count > in.Remaining() / kSearchEntrySize)
        return false;
    entries.resize(count);
    for (SearchTableEntry& entry : entries) {
        in.ReadU32(entry.Left);
        in.ReadU32(entry.Right);
        in.ReadU16(entry.LeftKey);
        in.ReadU16(entry.RightKey);
    }
    return true;
}

} // namespace orv
