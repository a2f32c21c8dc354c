#include "output/TextTable.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

using test::ByteBuilder;
using test::Bytes;
using test::Hex;

constexpr std::uint32_t L = kLeafBit;

TEST(AppendText, EncodesEachCodeUnitRaisesTheFlagsAndOverflowsThePoolAtItsExactEdges)
{
    const std::tuple<std::u16string, std::string, std::uint32_t> cases[] = {
        {u"", "00", 0},
        {u"A ~\u00A9\u00D7", "41 20 7E C2 A9 C3 97 00", 0},
        {u"\u25A1\u266A", "E2 96 A1 E2 99 AA 00", 0},
        {u"\u00E8", "C3 A8 00", NonBaseCharacter},
        {u"\r\n\u0007\u007F", "0D 0A 07 7F 00", NonBaseCharacter},
        {u"\u07FF\u0800\uFFFF", "DF BF E0 A0 80 EF BF BF 00", NonBaseCharacter},
        // Beyond the Basic Multilingual Plane each surrogate is encoded on its own.
        {u"\U0001F600", "ED A0 BD ED B8 80 00", NonBaseCharacter},
    };
    for (const auto& [text, bytes, flags] : cases) {
        TextPool pool;
        std::uint32_t raised = 0;
        const TextFit fit = pool.AppendText(text, raised).Fit;
        EXPECT_EQ(std::tuple(fit, Hex(Bytes(pool.Used().begin(), pool.Used().end())), raised),
                  std::tuple(TextFit::Whole, bytes, flags));
    }

    for (const char16_t c : {u'\u001F', u'\u00AA', u'\u00B3', u'\u25A0', u'\u266B', u'\u2247', u'\u00D8'})
        EXPECT_FALSE(IsBaseCharacter(c)) << int{c};

    // A pool with `used` bytes taken, then one text: how much of it fits, and the flags it raises.
    const std::tuple<std::size_t, std::u16string, TextFit, std::size_t, std::uint32_t> edges[] = {
        // No room for three bytes; the flag of the character that did not fit is raised all the same.
        {65534, u"\u0800", TextFit::LeftOut, 65534, PoolOverflow | NonBaseCharacter},
        {65534, u"b", TextFit::Whole, 65536, 0}, // a letter and its 0 byte fill it exactly
        {65533, u"\u25A1x\u00E9", TextFit::Cut, 65536, PoolOverflow},
        {65535, u"", TextFit::Whole, 65536, 0},
        {65535, u"b", TextFit::Cut, 65536, PoolOverflow},
        {65535, u"\u00E9", TextFit::LeftOut, 65535, PoolOverflow | NonBaseCharacter},
        {65536, u"", TextFit::LeftOut, 65536, PoolOverflow},
    };
    for (const auto& [used, text, fit, usedAfter, flags] : edges) {
        TextPool pool;
        std::uint32_t raised = 0;
        pool.AppendText(std::u16string(used - 1, u'a'), raised);
        const AppendedText appended = pool.AppendText(text, raised);
        EXPECT_EQ(std::tuple(std::size_t{appended.Offset}, appended.Fit, pool.UsedLength(), raised),
                  std::tuple(used, fit, usedAfter, flags))
            << used << " " << text.size();
    }
}

TEST(TextTable, CutsTextsNamesTheTextsCutLeftOutOrOutsideTheBaseSetAndReadsBackConsistentTables)
{
    // The smallest table: flags 0, tree size 12, one entry of the leaves 1 -> 0 and 2 -> 2, the pool
    // "A" 0, "" 0.
    EXPECT_EQ(Hex(BuildTextTable(std::vector<IndexedText>{{1, u"A"}, {2, u""}}).value().Bytes),
              "00 00 00 00 0C 00 00 00 00 00 00 80 02 00 00 80 01 00 02 00 41 00 00");
    EXPECT_FALSE(BuildTextTable(std::vector<IndexedText>{{1, u"A"}}));

    // Index 1 has 1500 units, of which 1023 are kept. 5 + 1024 + 21 x 3,070 = 65,499 bytes, then
    // index 122 gets 12 units of the 37 bytes left, not its U+00E9, whose flag is therefore not raised.
    // Index 200 is left out, but its U+00E9 was looked at first; "z" takes the last byte without its
    // 0; after it nothing fits at all.
    std::vector<IndexedText> crowded = {{0, u"\u00E9\u00E9"}, {1, std::u16string(1500, u'x')}};
    for (std::uint16_t i = 101; i <= 121; ++i)
        crowded.push_back({i, std::u16string(1023, u'\u25A1')});
    crowded.insert(
        crowded.end(),
        {{122, std::u16string(355, u'\u25A1') + u"\u00E9"}, {200, u"\u00E9"}, {201, u"z"}, {202, u"q"}});
    const TextTableBytes full = BuildTextTable(crowded).value();
    using Indexes = std::vector<std::uint16_t>;
    EXPECT_EQ(
        std::tuple(full.Flags, full.CutIndexes, full.LeftOutIndexes, full.NonBaseIndexes, full.Bytes.size()),
        std::tuple(NonBaseCharacter | PoolOverflow, Indexes{122, 201}, Indexes{200, 202}, Indexes{0, 200},
                   8 + 12 * 26 + kPoolSize));

    // As the device reads it: the cut text runs on into "z", the left-out text points at "z" too,
    // and the last one points at the end of the pool.
    const std::vector<TableText> read = ReadTextTable(full.Bytes, "table").value().Texts;
    ASSERT_EQ(read.size(), 27u);
    EXPECT_EQ(
        std::tuple(read[1].Text.size(), read[23].Text, read[23].Terminated, read[24].Offset, read[25].Text,
                   read[26].Offset, read[26].Text),
        std::tuple(1023u, std::u16string(12, u'\u25A1') + u"z", false, kPoolSize - 1, u"z", kPoolSize, u""));

    // Without an overflow, the reader gives back exactly what the builder wrote.
    const std::vector<IndexedText> texts = {
        {0, u"Zero"}, {7, u""}, {8, u"\u00E9t\u00E9 \u0800\U0001F600"}, {65535, u"L"}};
    const Bytes built = BuildTextTable(texts).value().Bytes;
    const TextTableContents contents = ReadTextTable(built, "texts").value();
    EXPECT_EQ(std::tuple(contents.Flags, contents.PoolLength),
              std::tuple(std::uint32_t{NonBaseCharacter}, 5u + 1u + 16u + 2u));
    ASSERT_EQ(contents.Texts.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
        EXPECT_EQ(std::tuple(contents.Texts[i].Index, contents.Texts[i].Text, contents.Texts[i].Terminated),
                  std::tuple(texts[i].Index, texts[i].Text, true));
    // The pool always ends in a 0 byte, so every truncation fails.
    for (std::size_t size = 0; size < built.size(); ++size)
        EXPECT_FALSE(ReadTextTable(std::span(built).first(size), "t")) << size;

    const auto table = [](std::uint32_t flags, std::vector<SearchTableEntry> entries, Bytes pool) {
        ByteBuilder bytes;
        bytes.U32(flags).U32(static_cast<std::uint32_t>(entries.size() * 12));
        for (const SearchTableEntry& entry : entries)
            bytes.U32(entry.Left).U32(entry.Right).U16(entry.LeftKey).U16(entry.RightKey);
        for (const std::uint8_t byte : pool)
            bytes.Byte({byte});
        return bytes.Take();
    };
    const SearchTableEntry two = {L | 0, L | 2, 1, 2};
    ASSERT_TRUE(ReadTextTable(table(0, {two}, {'A', 0, 'B', 0}), "t"));
    const std::pair<Bytes, const char*> cases[] = {
        {Bytes{0, 0, 0, 0, 12, 0}, "8-byte header"},
        {table(0x2, {two}, {'A', 0, 'B', 0}), "flags 2 at byte 0 have unknown bits"},
        {table(0, {}, {'A', 0}), "tree size 0 at byte 4 is not a positive multiple"},
        {ByteBuilder().U32(0).U32(24).U32(L).U32(L | 2).U16(1).U16(2).Take(), "leaves 12 bytes for"},
        {table(0, {{13, L | 2, 2, 2}, two}, {'A', 0, 'B', 0}), "left distance 13 leads to no entry"},
        {table(0, {{12, 12, 2, 2}, two}, {'A', 0, 'B', 0}), "points to entry 1 where entry 2 must follow"},
        {table(0, {two, two}, {'A', 0, 'B', 0}), "entry 1 (byte 20) is not reached"},
        {table(0, {{L | 0, L | 2, 2, 1}}, {'A', 0, 'B', 0}), "key 0x0001 follows key 0x0002"},
        {table(0, {{L | 0, 12, 1, 9}, {L | 2, L | 4, 2, 3}}, {'A', 0, 'B', 0, 'C', 0}), "does not find it"},
        {table(0, {{L | 2, L | 0, 1, 2}}, {'A', 0, 'B', 0}), "index 1 at pool offset 2 does not start"},
        {table(0, {{L | 0, 12, 1, 2}, {L | 2, L | 2, 2, 3}}, {'A', 0, 'B', 0}), "index 3 at pool"},
        {table(0, {{L | 0, L | 9, 1, 2}}, {'A', 0, 'B', 0}), "index 2 at pool offset 9 lies beyond the pool"},
        {table(0, {{L | 0, L | 3, 1, 2}}, {'A', 0, 'x', 'B', 0}), "index 1 at pool offset 0 does not end"},
        {table(0, {two}, {'A', 0, 'B'}), "index 2 at pool offset 2 does not end in a 0 byte"},
        {table(1, {two}, {'A', 0, 0xF0, 0x90, 0x80, 0x80, 0}), "byte 22 (0xF0) cannot start"},
        {table(1, {two}, {'A', 0, 0xC1, 0x81, 0}), "byte 22 starts a code unit in more bytes"},
        {table(1, {two}, {'A', 0, 0xC3, 0x29, 0}), "byte 23 (0x29) is not a continuation"},
        {table(1, {two}, {'A', 0, 0xE2, 0x96}), "byte 22 starts a code unit that the pool cuts off"},
        {table(0, {two}, {'A', 0, 0xC3, 0xA9, 0}), "holds U+00E9, outside the base characters, but"},
        {table(PoolOverflow, {two}, Bytes(kPoolSize + 1, 'a')), "byte 20 holds 65537 bytes, more than 65536"},
        {table(PoolOverflow, {two}, Bytes(2000, 'a')), "byte 1045 continues the text past 1025"},
    };
    for (const auto& [bytes, expected] : cases) {
        const auto result = ReadTextTable(bytes, "texts");
        ASSERT_FALSE(result) << expected;
        EXPECT_TRUE(result.error().Code == ErrorCode::BadInput &&
                    result.error().Message.starts_with("texts") &&
                    result.error().Message.find(expected) != std::string::npos)
            << expected << ": " << result.error().Message;
    }
}

} // namespace
} // namespace orv
