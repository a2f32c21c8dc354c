#include "output/TextTable.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

using test::ByteBuilder;
using test::Bytes;
using test::Hex;

constexpr std::uint32_t L = kLeafBit;

struct Encoding
{
    std::u16string Text;
    const char* Bytes;
    std::uint32_t Flags;
};

TEST(AppendText, EncodesEachCodeUnitAndRaisesTheFlagForNonBaseCharacters)
{
    const Encoding cases[] = {
        {u"", "00", 0},
        {u"A ~", "41 20 7E 00", 0},
        {u"\u00E9", "C3 A9 00", NonBaseCharacter},
        {u"\u00A9", "C2 A9 00", 0},
        {u"\u25A1", "E2 96 A1 00", 0},
        {u"\r\n", "0D 0A 00", NonBaseCharacter},
        {u"\u0007\u0008", "07 08 00", NonBaseCharacter},
        {u"\u007F", "7F 00", NonBaseCharacter},
        {u"\u07FF\u0800", "DF BF E0 A0 80 00", NonBaseCharacter},
        // A character beyond the Basic Multilingual Plane: each surrogate on its own, three bytes each.
        {u"\U0001F600", "ED A0 BD ED B8 80 00", NonBaseCharacter},
        {u"\uFFFF", "EF BF BF 00", NonBaseCharacter},
    };
    for (const Encoding& encoding : cases) {
        TextPool pool;
        std::uint32_t flags = 0;
        const AppendedText appended = pool.AppendText(encoding.Text, flags);
        EXPECT_EQ(appended.Offset, 0u);
        EXPECT_EQ(appended.Fit, TextFit::Whole);
        EXPECT_EQ(Hex(Bytes(pool.Used().begin(), pool.Used().end())), encoding.Bytes);
        EXPECT_EQ(flags, encoding.Flags) << encoding.Bytes;
    }

    // Every symbol of the set is a base character; its neighbours are not.
    for (char16_t c : BaseCharacterSet)
        EXPECT_TRUE(IsBaseCharacter(c)) << int(c);
    for (char16_t c : {u'\u001F', u'\u00AA', u'\u00B3', u'\u25A0', u'\u266B', u'\u2247', u'\u00D8'})
        EXPECT_FALSE(IsBaseCharacter(c)) << int(c);
}

TEST(AppendText, StoresTextsBackToBackWithoutSharing)
{
    TextPool pool;
    std::uint32_t flags = 0;
    EXPECT_EQ(pool.AppendText(u"Hi", flags).Offset, 0u);
    EXPECT_EQ(pool.AppendText(u"Hi", flags).Offset, 3u);
    EXPECT_EQ(pool.AppendText(u"", flags).Offset, 6u);
    EXPECT_EQ(Hex(Bytes(pool.Used().begin(), pool.Used().end())), "48 69 00 48 69 00 00");
    EXPECT_EQ(flags, 0u);
}

// A pool filled by one text of `used` - 1 letters and its 0 byte.
TextPool PoolWithUsedLength(std::size_t used)
{
    TextPool pool;
    std::uint32_t flags = 0;
    pool.AppendText(std::u16string(used - 1, u'a'), flags);
    EXPECT_EQ(pool.UsedLength(), used);
    EXPECT_EQ(flags, 0u);
    return pool;
}

TEST(AppendText, OverflowsThePoolAtItsExactEdges)
{
    struct Edge
    {
        std::size_t Used;
        std::u16string Text;
        TextFit Fit;
        std::size_t UsedAfter;
        std::uint32_t Flags;
    };
    const Edge edges[] = {
        // 65,534 used: no room for three bytes; the flag for the character that did not fit is raised.
        {65534, u"\u25A1", TextFit::LeftOut, 65534, PoolOverflow},
        {65534, u"\u0800", TextFit::LeftOut, 65534, PoolOverflow | NonBaseCharacter},
        // ... but a letter and its 0 byte fill it exactly.
        {65534, u"b", TextFit::Whole, 65536, 0},
        {65534, u"bc", TextFit::Cut, 65536, PoolOverflow},
        {65533, u"\u25A1", TextFit::Cut, 65536, PoolOverflow},
        {65533, u"\u25A1x\u00E9", TextFit::Cut, 65536, PoolOverflow},
        {65535, u"", TextFit::Whole, 65536, 0},
        {65535, u"b", TextFit::Cut, 65536, PoolOverflow},
        {65535, u"\u00E9", TextFit::LeftOut, 65535, PoolOverflow | NonBaseCharacter},
        {65536, u"", TextFit::LeftOut, 65536, PoolOverflow},
    };
    for (const Edge& edge : edges) {
        TextPool pool = PoolWithUsedLength(edge.Used);
        std::uint32_t flags = 0;
        const AppendedText appended = pool.AppendText(edge.Text, flags);
        EXPECT_EQ(appended.Offset, edge.Used);
        EXPECT_EQ(appended.Fit, edge.Fit) << edge.Used << " " << edge.Text.size();
        EXPECT_EQ(pool.UsedLength(), edge.UsedAfter) << edge.Used << " " << edge.Text.size();
        EXPECT_EQ(flags, edge.Flags) << edge.Used << " " << edge.Text.size();
    }

    // After an overflow, later texts are still tried, and a shorter one can still fit.
    TextPool pool = PoolWithUsedLength(65534);
    std::uint32_t flags = 0;
    EXPECT_EQ(pool.AppendText(u"\u25A1\u25A1", flags).Fit, TextFit::LeftOut);
    const AppendedText later = pool.AppendText(u"z", flags);
    EXPECT_EQ(later.Offset, 65534u);
    EXPECT_EQ(later.Fit, TextFit::Whole);
    EXPECT_EQ(flags, std::uint32_t{PoolOverflow});
    EXPECT_EQ(pool.Used()[65534], 'z');
}

TEST(TextTable, WorkedSearchTables)
{
    // Indexes 1 to 4: the root splits two and two with separator 3, and its halves are entries of
    // two leaves at 12 and 24 bytes.
    EXPECT_EQ(
        BuildTextTree(std::vector<std::uint16_t>{1, 2, 3, 4}, std::vector<std::uint32_t>{10, 20, 30, 40}),
        (std::vector<SearchTableEntry>{{12, 24, 3, 3}, {L | 10, L | 20, 1, 2}, {L | 30, L | 40, 3, 4}}));
    // Indexes 10, 20, 30: a leaf on the left, the larger half on the right.
    EXPECT_EQ(BuildTextTree(std::vector<std::uint16_t>{10, 20, 30}, std::vector<std::uint32_t>{0, 5, 9}),
              (std::vector<SearchTableEntry>{{L | 0, 12, 10, 20}, {L | 5, L | 9, 20, 30}}));

    const std::vector<IndexedText> texts = {{1, u"a"}, {2, u"bb"}, {3, u""}, {4, u"c"}};
    const TextTableBytes table = BuildTextTable(texts).value();
    EXPECT_EQ(table.Bytes, ByteBuilder()
                               .U32(0)
                               .U32(36)
                               .U32(12)
                               .U32(24)
                               .U16(3)
                               .U16(3)
                               .U32(L | 0)
                               .U32(L | 2)
                               .U16(1)
                               .U16(2)
                               .U32(L | 5)
                               .U32(L | 6)
                               .U16(3)
                               .U16(4)
                               .Byte({'a', 0, 'b', 'b', 0, 0, 'c', 0})
                               .Take());
}

TEST(TextTable, TheSmallestTableIsTwentyThreeBytes)
{
    // Index 1 "A" and index 2 empty: flags 0, tree size 12, one entry of two leaves, the pool 41 00 00.
    const std::vector<IndexedText> texts = {{1, u"A"}, {2, u""}};
    const TextTableBytes table = BuildTextTable(texts).value();
    EXPECT_EQ(Hex(table.Bytes), "00 00 00 00 0C 00 00 00 00 00 00 80 02 00 00 80 01 00 02 00 41 00 00");
    EXPECT_TRUE(table.CutIndexes.empty());
    EXPECT_TRUE(table.LeftOutIndexes.empty());

    EXPECT_EQ(BuildTextTable(std::vector<IndexedText>{{1, u"A"}}).error().Code, ErrorCode::BadInput);
    EXPECT_EQ(BuildTextTable(std::vector<IndexedText>{}).error().Code, ErrorCode::BadInput);
}

TEST(TextTable, CutsTextsTo1023UnitsAndReportsOverflowByIndex)
{
    const std::vector<IndexedText> longText = {{1, std::u16string(1500, u'x')}, {2, u"y"}};
    const TextTableBytes cut = BuildTextTable(longText).value();
    EXPECT_EQ(cut.Bytes.size(), 8u + 12u + 1024u + 2u);
    EXPECT_EQ(cut.Bytes[8 + 12 + 1023], 0);

    // 21 texts of 1023 three-byte units and their 0 bytes take 64,470 bytes; the 22nd gets 355 whole
    // units of the 1,066 bytes left and is cut, leaving 1 byte. A three-byte unit is then left out,
    // "z" takes the last byte without its 0, and after it nothing fits at all.
    std::vector<IndexedText> texts;
    for (std::uint16_t i = 0; i < 22; ++i)
        texts.push_back({static_cast<std::uint16_t>(100 + i), std::u16string(1023, u'\u25A1')});
    texts.push_back({200, u"\u25A1"});
    texts.push_back({201, u"z"});
    texts.push_back({202, u"q"});
    const TextTableBytes table = BuildTextTable(texts).value();
    EXPECT_EQ(table.Flags, std::uint32_t{PoolOverflow});
    EXPECT_EQ(table.CutIndexes, (std::vector<std::uint16_t>{121, 201}));
    EXPECT_EQ(table.LeftOutIndexes, (std::vector<std::uint16_t>{200, 202}));
    EXPECT_EQ(table.Bytes.size(), 8u + 12u * 24u + kPoolSize);

    // As the device reads it: the cut text runs on into "z", the left-out text points at "z" too,
    // and the last one points at the end of the pool.
    const auto contents = ReadTextTable(table.Bytes, "table").value();
    ASSERT_EQ(contents.Texts.size(), 25u);
    EXPECT_EQ(contents.Texts[21].Text, std::u16string(355, u'\u25A1') + u"z");
    EXPECT_FALSE(contents.Texts[21].Terminated);
    EXPECT_EQ(contents.Texts[22].Offset, kPoolSize - 1);
    EXPECT_EQ(contents.Texts[22].Text, u"z");
    EXPECT_EQ(contents.Texts[23].Offset, kPoolSize - 1);
    EXPECT_EQ(contents.Texts[24].Offset, kPoolSize);
    EXPECT_EQ(contents.Texts[24].Text, u"");
    EXPECT_FALSE(contents.Texts[24].Terminated);
}

TEST(ReadTextTable, ReadsWhatTheBuilderWrites)
{
    const std::vector<IndexedText> texts = {
        {0, u"Zero"}, {7, u""}, {8, u"\u00E9t\u00E9 \U0001F600"}, {65535, u"Last"}};
    const TextTableBytes table = BuildTextTable(texts).value();
    const TextTableContents contents = ReadTextTable(table.Bytes, "texts").value();
    EXPECT_EQ(contents.Flags, std::uint32_t{NonBaseCharacter});
    EXPECT_EQ(contents.PoolLength, 5u + 1u + 13u + 5u);
    ASSERT_EQ(contents.Texts.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(contents.Texts[i].Index, texts[i].Index);
        EXPECT_EQ(contents.Texts[i].Text, texts[i].Text);
        EXPECT_TRUE(contents.Texts[i].Terminated);
    }
}

struct BadTable
{
    const char* Name;
    Bytes Table;
    const char* Expected; // a piece of the message
};

TEST(ReadTextTable, RejectsEveryInconsistency)
{
    const auto table = [](std::uint32_t flags, std::vector<SearchTableEntry> entries, Bytes pool) {
        ByteBuilder bytes;
        bytes.U32(flags).U32(static_cast<std::uint32_t>(entries.size() * 12));
        for (const SearchTableEntry& entry : entries)
            bytes.U32(entry.Left).U32(entry.Right).U16(entry.LeftKey).U16(entry.RightKey);
        bytes.Byte({});
        Bytes all = bytes.Take();
        all.insert(all.end(), pool.begin(), pool.end());
        return all;
    };
    const SearchTableEntry two = {L | 0, L | 2, 1, 2};
    const Bytes good = table(0, {two}, {'A', 0, 'B', 0});
    ASSERT_TRUE(ReadTextTable(good, "t"));

    const BadTable cases[] = {
        {"short header", Bytes{0, 0, 0, 0, 12, 0}, "8-byte header"},
        {"unknown flag", table(0x2, {two}, {'A', 0, 'B', 0}), "unknown bits"},
        {"no tree", table(0, {}, {'A', 0}), "not a positive multiple"},
        {"tree beyond the end", ByteBuilder().U32(0).U32(24).U32(L).U32(L | 2).U16(1).U16(2).Take(),
         "leaves"},
        {"distance not a multiple of 12", table(0, {{13, L | 2, 2, 2}, two}, {'A', 0, 'B', 0}),
         "leads to no entry"},
        {"entry shared", table(0, {{12, 12, 2, 2}, two}, {'A', 0, 'B', 0}), "must follow"},
        {"entry not reached", table(0, {two, two}, {'A', 0, 'B', 0}), "not reached"},
        {"keys descending", table(0, {{L | 0, L | 2, 2, 1}}, {'A', 0, 'B', 0}), "must ascend"},
        {"separator wrong", table(0, {{L | 0, 12, 1, 9}, {L | 2, L | 4, 2, 3}}, {'A', 0, 'B', 0, 'C', 0}),
         "does not find"},
        {"offsets out of order", table(0, {{L | 2, L | 0, 1, 2}}, {'A', 0, 'B', 0}), "does not start"},
        {"offset beyond the pool", table(0, {{L | 0, L | 9, 1, 2}}, {'A', 0, 'B', 0}), "beyond the pool"},
        {"gap between texts", table(0, {{L | 0, L | 3, 1, 2}}, {'A', 0, 'x', 'B', 0}), "0 byte right before"},
        {"last text unterminated", table(0, {two}, {'A', 0, 'B'}), "0 byte right before"},
        {"lead byte 0x80", table(0, {two}, {'A', 0, 0x80, 0}), "cannot start"},
        {"lead byte 0xF0", table(1, {two}, {'A', 0, 0xF0, 0x90, 0x80, 0x80, 0}), "cannot start"},
        {"overlong", table(1, {two}, {'A', 0, 0xC1, 0x81, 0}), "more bytes than it needs"},
        {"bad continuation", table(1, {two}, {'A', 0, 0xC3, 0x29, 0}), "not a continuation"},
        {"sequence cut off", table(1, {two}, {'A', 0, 0xE2, 0x96}), "cuts off"},
        {"flag missing", table(0, {two}, {'A', 0, 0xC3, 0xA9, 0}), "do not say so"},
        {"pool too large", table(PoolOverflow, {two}, Bytes(kPoolSize + 1, 'a')), "more than 65536"},
        {"overflowing text too long", table(PoolOverflow, {two}, Bytes(2000, 'a')), "past 1025"},
    };
    for (const BadTable& bad : cases) {
        const auto result = ReadTextTable(bad.Table, "texts");
        ASSERT_FALSE(result) << bad.Name;
        EXPECT_EQ(result.error().Code, ErrorCode::BadInput);
        EXPECT_NE(result.error().Message.find(bad.Expected), std::string::npos)
            << bad.Name << ": " << result.error().Message;
        EXPECT_EQ(result.error().Message.rfind("texts", 0), 0u) << result.error().Message;
    }

    // Every truncation of a valid table fails: the pool always ends in a 0 byte.
    const Bytes built =
        BuildTextTable(std::vector<IndexedText>{{3, u"ab"}, {4, u"\u00E9"}, {9, u"c"}}).value().Bytes;
    for (std::size_t size = 0; size < built.size(); ++size)
        EXPECT_FALSE(ReadTextTable(std::span(built).first(size), "t")) << size;
}

} // namespace
} // namespace orv
