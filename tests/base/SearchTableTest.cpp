#include "base/SearchTable.h"

#include <algorithm>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

constexpr std::uint32_t L = kLeafBit;

std::vector<SearchTableEntry> Build(std::vector<std::uint16_t> keys, std::vector<std::uint32_t> values)
{
    return BuildSearchTable(keys, values);
}

TEST(SearchTable, BuildsPreOrderEntriesWithTheSmallerHalfOnTheLeft)
{
    // Four keys: the root splits 2 + 2 with separator 3, both halves are entries of two leaves.
    EXPECT_EQ(
        Build({1, 2, 3, 4}, {100, 200, 300, 400}),
        (std::vector<SearchTableEntry>{{12, 24, 3, 3}, {L | 100, L | 200, 1, 2}, {L | 300, L | 400, 3, 4}}));
    // Three keys: a leaf on the left (a value of 0 is still a leaf), the larger half on the right.
    EXPECT_EQ(Build({10, 20, 30}, {0, 8, 9}),
              (std::vector<SearchTableEntry>{{L | 0, 12, 10, 20}, {L | 8, L | 9, 20, 30}}));
    EXPECT_TRUE(Build({5}, {1}).empty());
    EXPECT_TRUE(Build({}, {}).empty());
}

TEST(SearchTable, WritesTwelveLittleEndianBytesPerEntry)
{
    ByteWriter out;
    WriteSearchTable(out, Build({1, 2}, {0, 2}));
    EXPECT_EQ(test::Hex(out.Bytes()), "00 00 00 80 02 00 00 80 01 00 02 00");
    ByteReader in(out.Bytes());
    std::vector<SearchTableEntry> entries;
    ASSERT_TRUE(ReadSearchTable(in, 1, entries));
    EXPECT_EQ(entries, Build({1, 2}, {0, 2}));
    EXPECT_FALSE(ReadSearchTable(in, 1, entries)); // nothing is left
}

TEST(SearchTable, FindsEveryKeyAndNothingElseForEverySize)
{
    std::mt19937 random(7);
    std::vector<std::uint16_t> all(65536);
    std::iota(all.begin(), all.end(), std::uint16_t{0});
    for (std::size_t count : {2, 3, 4, 5, 7, 8, 9, 31, 32, 33, 100, 257, 4096, 65536}) {
        // Keys spread over the whole range, with gaps so that misses are tested between them.
        std::ranges::shuffle(all, random);
        std::vector<std::uint16_t> keys(all.begin(), all.begin() + count);
        std::ranges::sort(keys);
        std::vector<std::uint32_t> values(count);
        for (std::size_t i = 0; i < count; ++i)
            values[i] = static_cast<std::uint32_t>(i * 977 % kMaxLeafValue);
        const auto entries = BuildSearchTable(keys, values);
        ASSERT_EQ(entries.size(), count - 1);
        for (std::size_t i = 0; i < count; ++i)
            ASSERT_EQ(FindInSearchTable(entries, keys[i]), values[i]) << count << " " << keys[i];
        for (std::uint32_t key = 0; key < 65536; key += (count > 1000 ? 1 : 13))
            ASSERT_EQ(FindInSearchTable(entries, static_cast<std::uint16_t>(key)).has_value(),
                      std::ranges::binary_search(keys, key))
                << key;
    }
}

TEST(SearchTable, LookupsInHostileTablesEndWithoutAResult)
{
    const std::vector<SearchTableEntry> selfLoop = {{0, 0, 0xFFFF, 0}};
    EXPECT_FALSE(FindInSearchTable(selfLoop, 5));
    const std::vector<SearchTableEntry> misaligned = {{7, 13, 0xFFFF, 0}, {L, L, 5, 5}};
    EXPECT_FALSE(FindInSearchTable(misaligned, 5));
    const std::vector<SearchTableEntry> beyond = {{12 * 1000, 0x7FFFFFF4, 0xFFFF, 0}};
    EXPECT_FALSE(FindInSearchTable(beyond, 5));
    EXPECT_FALSE(FindInSearchTable(std::vector<SearchTableEntry>{}, 0));
    // A chain longer than the step limit is cut off rather than followed.
    std::vector<SearchTableEntry> chain(30, SearchTableEntry{12, 12, 0xFFFF, 0});
    chain.back() = {L | 9, L | 9, 3, 3};
    EXPECT_FALSE(FindInSearchTable(chain, 3));
}

} // namespace
} // namespace orv
