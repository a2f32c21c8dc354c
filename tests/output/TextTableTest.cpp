#include "output/TextTable.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

using test::ByteBuilder;
using test::Bytes;
using test::Hex;

constexpr std::uint32_t L = kLeafBit;

std::string UsedHex(const TextPool& pool)
{
    return Hex(Bytes(pool.Used().begin(), pool.Used().end()));
}

TEST(AppendText, EncodesEachCodeUnitAndRaisesTheFlagForNonBaseCharacters)
{
    const std::tuple<std::u16string, const char*, std::uint32_t> cases[] = {
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
        EXPECT_EQ(pool.AppendText(text, raised).Fit, TextFit::Whole);
        EXPECT_EQ(UsedHex(pool), bytes);
        EXPECT_EQ(raised, flags) << bytes;
    }
    // Texts follow each other, equal ones too.
    TextPool pool;
    std::uint32_t flags = 0;
    for (const std::uint32_t offset : {0u, 3u, 6u})
        EXPECT_EQ(pool.AppendText(offset < 6 ? u"Hi" : u"", flags).Offset, offset);
    EXPECT_EQ(UsedHex(pool), "48 69 00 48 69 00 00");

    for (const char16_t c : BaseCharacterSet)
        EXPECT_TRUE(IsBaseCharacter(c)) << int{c};
    for (const char16_t c : {u'\u001F', u'\u00AA', u'\u00B3', u'\u25A0', u'\u266B', u'\u2247', u'\u00D8'})
        EXPECT_FALSE(IsBaseCharacter(c)) << int{c};
}

TEST(AppendText, OverflowsThePoolAtItsExactEdges)
{
    // A pool with `used` bytes taken, then one text: how much of it fits, and the flags it raises.
    const std::tuple<std::size_t, std::u16string, TextFit, std::size_t, std::uint32_t> edges[] = {
        // No room for three bytes; the flag of the character that did not fit is raised all the same.
        {65534, u"\u25A1", TextFit::LeftOut, 65534, PoolOverflow},
        {65534, u"\u0800", TextFit::LeftOut, 65534, PoolOverflow | NonBaseCharacter},
        {65534, u"b", TextFit::Whole, 65536, 0}, // a letter and its 0 byte fill it exactly
        {65534, u"bc", TextFit::Cut, 65536, PoolOverflow},
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
        EXPECT_EQ(appended.Offset, used);
        EXPECT_EQ(appended.Fit, fit) << used << " " << text.size();
        EXPECT_EQ(pool.UsedLength(), usedAfter) << used << " " << text.size();
        EXPECT_EQ(raised, flags) << used << " " << text.size();
    }
}

TEST(TextTable, TheSmallestTableIsTwentyThreeBytes)
{
    // Flags 0, tree size 12, one entry of the leaves 1 -> 0 and 2 -> 2, the pool "A" 0, "" 0.
    EXPECT_EQ(Hex(BuildTextTable(std::vector<IndexedText>{{1, u"A"}, {2, u""}}).value().Bytes),
              "00 00 00 00 0C 00 00 00 00 00 00 80 02 00 00 80 01 00 02 00 41 00 00");
    EXPECT_FALSE(BuildTextTable(std::vector<IndexedText>{{1, u"A"}}));
}

TEST(TextTable, CutsTextsTo1023UnitsAndNamesTheTextsCutLeftOutOrOutsideTheBaseSet)
{
    // Index 1 has 1500 units, of which 1023 are kept. 5 + 1024 + 21 x 3,070 = 65,499 bytes, then
    // index 122 gets 12 units of the 37 bytes left, not its U+00E9, whose flag is therefore not raised.
    // Index 200 is left out, but its U+00E9 was looked at first; "z" takes the last byte without its
    // 0; after it nothing fits at all.
    std::vector<IndexedText> texts = {{0, u"\u00E9\u00E9"}, {1, std::u16string(1500, u'x')}};
    for (std::uint16_t i = 101; i <= 121; ++i)
        texts.push_back({i, std::u16string(1023, u'\u25A1')});
    for (const auto& [index, text] : {std::pair{122, std::u16string(355, u'\u25A1') + u"\u00E9"},
                                      {200, u"\u00E9"},
                                      {201, u"z"},
                                      {202, u"q"}})
        texts.push_back({static_cast<std::uint16_t>(index), text});
    const TextTableBytes table = BuildTextTable(texts).value();
    EXPECT_EQ(table.Flags, NonBaseCharacter | PoolOverflow);
    EXPECT_EQ(table.CutIndexes, (std::vector<std::uint16_t>{122, 201}));
    EXPECT_EQ(table.LeftOutIndexes, (std::vector<std::uint16_t>{200, 202}));
    EXPECT_EQ(table.NonBaseIndexes, (std::vector<std::uint16_t>{0, 200}));
    EXPECT_EQ(table.Bytes.size(), 8u + 12u * 26u + kPoolSize);

    // As the device reads it: the cut text runs on into "z", the left-out text points at "z" too,
    // and the last one points at the end of the pool.
    const TextTableContents contents = ReadTextTable(table.Bytes, "table").value();
    ASSERT_EQ(contents.Texts.size(), 27u);
    EXPECT_EQ(contents.Texts[1].Text, std::u16string(1023, u'x'));
    EXPECT_EQ(contents.Texts[23].Text, std::u16string(12, u'\u25A1') + u"z");
    EXPECT_FALSE(contents.Texts[23].Terminated);
    EXPECT_EQ(contents.Texts[24].Offset, kPoolSize - 1);
    EXPECT_EQ(contents.Texts[25].Text, u"z");
    EXPECT_EQ(contents.Texts[26].Offset, kPoolSize);
    EXPECT_EQ(contents.Texts[26].Text, u"");
}

TEST(ReadTextTable, ReadsWhatTheBuilderWritesAndRejectsEveryInconsistency)
{
    const std::vector<IndexedText> texts = {
        {0, u"Zero"}, {7, u""}, {8, u"\u00E9t\u00E9 \U0001F600"}, {65535, u"L"}};
    const Bytes built = BuildTextTable(texts).value().Bytes;
    const TextTableContents contents = ReadTextTable(built, "texts").value();
    EXPECT_EQ(contents.Flags, std::uint32_t{NonBaseCharacter});
    EXPECT_EQ(contents.PoolLength, 5u + 1u + 13u + 2u);
    ASSERT_EQ(contents.Texts.size(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(contents.Texts[i].Index, texts[i].Index);
        EXPECT_EQ(contents.Texts[i].Text, texts[i].Text);
        EXPECT_TRUE(contents.Texts[i].Terminated);
    }
    // The pool always ends in a 0 byte, so every truncation fails.
    for (std::size_t size = 0; size < built.size(); ++size)
        EXPECT_FALSE(ReadTextTable(std::span(built).first(size), "t")) << size;

    const auto table = [](std::uint32_t flags, std::vector<SearchTableEntry> entries, Bytes pool) {
        ByteBuilder bytes;
        bytes.U32(flags).U32(static_cast<std::uint32_t>(entries.size() * 12));
        for (const SearchTableEntry& entry : entries)
            bytes.U32(entry.Left).U32(entry.Right).U16(entry.LeftKey).U16(entry.RightKey);
        Bytes all = bytes.Take();
        all.insert(all.end(), pool.begin(), pool.end());
        return all;
    };
    const SearchTableEntry two = {L | 0, L | 2, 1, 2};
    ASSERT_TRUE(ReadTextTable(table(0, {two}, {'A', 0, 'B', 0}), "t"));
    const std::tuple<const char*, Bytes, const char*> cases[] = {
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
        {"lead byte 0xF0", table(1, {two}, {'A', 0, 0xF0, 0x90, 0x80, 0x80, 0}), "cannot start"},
        {"overlong", table(1, {two}, {'A', 0, 0xC1, 0x81, 0}), "more bytes than it needs"},
        {"bad continuation", table(1, {two}, {'A', 0, 0xC3, 0x29, 0}), "not a continuation"},
        {"sequence cut off", table(1, {two}, {'A', 0, 0xE2, 0x96}), "cuts off"},
        {"flag missing", table(0, {two}, {'A', 0, 0xC3, 0xA9, 0}), "do not say so"},
        {"pool too large", table(PoolOverflow, {two}, Bytes(kPoolSize + 1, 'a')), "more than 65536"},
        {"overflowing text too long", table(PoolOverflow, {two}, Bytes(2000, 'a')), "past 1025"},
    };
    for (const auto& [name, bytes, expected] : cases) {
        const auto result = ReadTextTable(bytes, "texts");
        ASSERT_FALSE(result) << name;
        EXPECT_EQ(result.error().Code, ErrorCode::BadInput);
        EXPECT_TRUE(result.error().Message.starts_with("texts") &&
                    result.error().Message.find(expected) != std::string::npos)
            << name << ": " << result.error().Message;
    }
}

} // namespace
} // namespace orv
