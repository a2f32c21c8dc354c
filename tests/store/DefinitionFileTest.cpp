#include "store/DefinitionFile.h"

#include <map>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreSamples.h"

namespace orv::test {
namespace {

using ::testing::HasSubstr;
using enum ReadResult;

struct ReadBack
{
    explicit ReadBack(const Bytes& bytes) : Outcome(ReadDefinitionBytes(bytes, Tree, Table)) {}

    BlockTree Tree;
    DefinitionTable Table;
    ReadOutcome Outcome;
};

TEST(DefinitionFile, StringLengthsTakeTheirShortestForm)
{
    // The length bytes after FF FE FF; a length of exactly 0xFFFE already takes the u32 form.
    const std::pair<std::size_t, std::string> cases[] = {
        {254, "FE"},
        {255, "FF FF 00"},
        {0xFFFD, "FF FD FF"},
        {0xFFFE, "FF FF FF FE FF 00 00"},
    };
    for (const auto& [length, form] : cases) {
        const DefinitionTable table{1, 0x110, 0, {{1, {1, std::u16string(length, u'i'), u"", u"", 0, u""}}}};
        const std::string hex = Hex(WriteDefinitionBytes(BlockTree(), table));
        // The identifier starts at byte 38, after the header, the end marker, the counts, mask and index.
        EXPECT_EQ(hex.substr(3 * 38, 9 + form.size()), "FF FE FF " + form) << length;
    }
}

TEST(DefinitionFile, TreesAndRandomTablesSurviveARoundTrip)
{
    // Every marker: up one or more levels, then the next sibling or the end.
    const BlockTree tree = TreeFrom("a(b(c(d)) e) f(g(h)) i");
    for (unsigned seed = 0; seed < 40; ++seed) {
        std::mt19937 random(seed);
        DefinitionTable table;
        table.CountPrefix = static_cast<std::uint16_t>(0xFFFE + seed % 4); // 0xFFFE, 0xFFFF, 0, 1 in turn
        table.FirmwareVersion = static_cast<std::uint16_t>(random());
        for (unsigned i = seed % 6; i > 0; --i) {
            StringDefinition& definition = table.FindOrAddDefinition(static_cast<std::uint16_t>(random()));
            for (std::u16string* text : {&definition.Identifier, &definition.DefaultText,
                                         &definition.Translation, &definition.Description})
                for (std::size_t length = random() % 300; length > 0; --length)
                    text->push_back(static_cast<char16_t>(random())); // lone surrogates included
            definition.Translated = static_cast<std::uint32_t>(random());
        }
        const ReadBack back(WriteDefinitionBytes(tree, table));
        ASSERT_EQ(back.Outcome.Status, ReadOk) << seed << ": " << back.Outcome.Reason;
        EXPECT_TRUE(back.Tree == tree) << seed;
        EXPECT_EQ(back.Table, table) << seed;
    }
}

TEST(DefinitionFile, ReadsEveryFormTheWriterDoesNotUse)
{
    ReadBack back(FromHex(
        // The magic in 8-bit characters and the format word. The tree: 3 without a current item,
        // then 1 and 2 without one (both at the top level), 3 3, an 8-bit label "B\x80c\xE9" with
        // the children c1, xUNUSEDx (holding "in") and "unused", then 0 (the top level again) d.
        // "UNUSED" removes an item with everything below it. Then the count prefix 7 in the u32 form
        // and 5 records counted in the u64 form.
        "09 4F5256737472646566 00000000 0300 0100 'a' 00000000 0200 'b' 00000000 0300 0300 0100 04 428063E9 "
        "00000000 0100 'c1' 04000000 0200 'xUNUSEDx' 00000000 0100 'in' 01000000 0300 0200 'unused' 05000000 "
        "0000 'd' 06000000 FFFF FFFF 07000000 FFFF FFFFFFFF 0500000000000000 "
        // Mask 0B: index 1, identifier 8-bit "abc" with a u16 length, translation UTF-16 "y" with a u32
        // length. Mask 35: index 2, default text 8-bit "de" with a u32 length, description UTF-16 "x"
        // with a u16 length, translated 7.
        "0B000000 0100 FF 0300 616263 FFFEFF FF FFFF 01000000 7900 "
        "35000000 0200 FF FFFF 02000000 6465 FFFEFF FF 0100 7800 07000000 "
        // Index 3 (the bits above 0x20 mean nothing), then two records without an index: the second
        // replaces the first. The tags: one without a value, the version, "FONI" (not "foni"), the save
        // lock, and the empty tag in 8 bits as the last byte.
        "C1FFFFFF 0300 00000000 02000000 'z' 'abc' 'ver' 0401 'FONI' 'foni' 07000000 00"));
    ASSERT_EQ(back.Outcome.Status, ReadOk) << back.Outcome.Reason;
    EXPECT_EQ(DescribeTree(back.Tree), "a (0)\nb (0)\nB€cé (0)\n  c1 (4)\n  unused (5)\nd (6)\n");
    // clang-format off
    EXPECT_EQ(back.Table, (DefinitionTable{7, 0x104, 7, {{0, {0, u"z", u"", u"", 0, u""}},
                                                         {1, {1, u"abc", u"", u"y", 0, u""}},
                                                         {2, {2, u"", u"de", u"", 7, u"x"}},
                                                         {3, {3, u"", u"", u"", 0, u""}}}}));
    // clang-format on
    // The label above the tree shows the version divided by a hundred.
    EXPECT_EQ(ReaderLabelText(back.Table.FirmwareVersion), "System strings (Fw. ver. 2.60)");

    // Without the tags, both words are 0, whatever the table held; nothing after the end tag is read.
    const Bytes bare = FromHex("'ORVstrdef' 00000000 FFFF 0100 0000 '' DE");
    ASSERT_EQ(ReadDefinitionBytes(bare, back.Tree, back.Table).Status, ReadOk);
    EXPECT_EQ(std::tie(back.Table.FirmwareVersion, back.Table.SaveLock), std::tuple(0, 0u));
}

TEST(DefinitionFile, RejectsBrokenFilesAtOnceAfterEmptyingTheTables)
{
    const std::string header = "'ORVstrdef' 00000000 ";
    // Each file (in FromHex's notation), its result, and the reason.
    const std::tuple<std::string, ReadResult, std::string> cases[] = {
        {"'ORVStrdef' 00000000 FFFF", ReadBadMagic, ""},
        {"'ORVstrdef' 01000000 FFFF", ReadBadFormatWord, ""},
        // What was read stays, and "UNUSED" items are only removed from a complete read.
        {header + "0000 'UNUSED' 00000000 0400 'no' 00000000 FFFF", ReadBadTreeMarker, ""},
        // Longer length forms cut short: 8 bits and UTF-16 with a u32 length, a count with a u64 value.
        {"FF FFFF 01", ReadFailed, "magic at byte 0: the file ends after 4 of its 7 bytes"},
        {header + "FFFF 0100 FFFF FFFFFFFF 01", ReadFailed,
         "record count at byte 30: the file ends after 7 of its 14 bytes"},
        {"FFFEFF FF FFFF 01", ReadFailed, "magic at byte 0: the file ends after 7 of its 10 bytes"},
        // Huge lengths are refused before anything is allocated.
        {header + "0000 FF F0FF 7A7A", ReadFailed,
         "tree item 0: label at byte 28: string claims 65520 8-bit characters, only 2 bytes left"},
        {header + "0000 FFFEFF FF FFFF 00000010 7A7A", ReadFailed,
         "tree item 0: label at byte 28: string claims 268435456 UTF-16 characters, only 2 bytes left"},
        // A record count far beyond the file ends at the end of the file.
        {header + "FFFF 0100 FFFF FFFFFFFF FFFFFFFFFFFFFFFF", ReadFailed,
         "record 0 of 18446744073709551615: field mask at byte 44: the file ends after 0 of its 4 bytes"},
    };
    for (const auto& [hex, result, reason] : cases) {
        ReadBack back(SmallFileBytes()); // the tree and table hold the small file's before
        back.Outcome = ReadDefinitionBytes(FromHex(hex), back.Tree, back.Table);
        EXPECT_EQ(std::tie(back.Outcome.Status, back.Outcome.Reason), std::tie(result, reason)) << hex;
        EXPECT_EQ(DescribeTree(back.Tree), result == ReadBadTreeMarker ? "UNUSED (0)\n" : "");
        EXPECT_TRUE(back.Table.Definitions.empty());
    }
}

TEST(DefinitionFile, SmallFileIsWrittenExactlyAndEveryCutOfItFailsKeepingWhatWasRead)
{
    BlockTree tree;
    tree.Append(&tree.Append(nullptr, u"B", 0), u"T", 1);
    const DefinitionTable table{1, 0x110, 5, {{1, {1, u"X", u"D", u"", 0, u""}}}};
    const Bytes file = SmallFileBytes();
    EXPECT_EQ(Hex(WriteDefinitionBytes(tree, table)), Hex(file)); // "foni" is always written as 0

    // Where the read stops and why, for a cut in each kind of field.
    const std::map<std::size_t, std::string> reasons = {
        {27, "tree item 0: marker at byte 26: the file ends after 1 of its 2 bytes"},
        {28, "tree item 0: label at byte 28: the file ends after 0 of its 1 bytes"},
        {29, "tree item 0: label at byte 28: the file ends after 1 of its 3 bytes"},
        {31, "tree item 0: label at byte 28: the file ends after 3 of its 4 bytes"},
        {35, "tree item 0: data at byte 34: the file ends after 1 of its 4 bytes"},
        {55, "count prefix at byte 54: the file ends after 1 of its 2 bytes"},
        {119, "tag 2 at byte 116: the file ends after 3 of its 4 bytes"},
    };
    for (std::size_t length = 0; length < file.size(); ++length) {
        const ReadBack back(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
        const auto known = reasons.find(length);
        EXPECT_THAT(back.Outcome.Reason, HasSubstr(known == reasons.end() ? "at byte" : known->second));
        // The record is complete at byte 88; the tree items are added once their labels are read, at 34
        // and 46.
        EXPECT_EQ(
            std::tuple(back.Outcome.Status, back.Table.Definitions.size(), back.Tree.ItemCount()),
            std::tuple(ReadFailed, std::size_t{length >= 88}, std::size_t{length >= 34} + (length >= 46)))
            << length;
    }
}

TEST(DefinitionFile, DeepTreesAreReadWrittenComparedAndFreedWithoutRecursion)
{
    // A chain of 300,000 items, each the child of the one before.
    BlockTree tree;
    BlockItem* item = &tree.Append(nullptr, u"root", 0);
    for (int level = 1; level < 300000; ++level)
        item = &tree.Append(item, u"", 0);
    const ReadBack back(WriteDefinitionBytes(tree, DefinitionTable()));
    EXPECT_EQ(std::tuple(back.Outcome.Status, back.Tree == tree), std::tuple(ReadOk, true));
    EXPECT_EQ(tree.RemoveItemsContaining(u"root"), 300000u);
}

} // namespace
} // namespace orv::test
