#include "store/DefinitionFile.h"

#include <map>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "StoreSamples.h"

namespace orv {
namespace {

using test::Bytes;
using test::DefinitionBytes;
using test::DescribeTree;
using test::FromHex;
using test::Hex;
using ::testing::HasSubstr;

struct ReadBack
{
    BlockTree Tree;
    DefinitionTable Table;
    ReadOutcome Outcome;
};

ReadBack Read(const Bytes& bytes)
{
    ReadBack result;
    result.Outcome = ReadDefinitionBytes(bytes, result.Tree, result.Table);
    return result;
}

TEST(DefinitionFile, SmallExampleIsWrittenByteForByteWithoutItsSaveLock)
{
    BlockTree tree;
    DefinitionTable table;
    test::FillSmallTable(tree, table);
    table.SaveLock = 5;
    EXPECT_EQ(Hex(WriteDefinitionBytes(tree, table)), Hex(test::SmallFileBytes())); // "foni" is always 0
}

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
        DefinitionTable table;
        table.FindOrAddDefinition(1).Identifier.assign(length, u'i');
        const Bytes written = WriteDefinitionBytes(BlockTree(), table);
        const Bytes expected = FromHex("FF FE FF " + form);
        // The identifier starts at byte 38, after the header, the end marker, the counts, mask and index.
        const Bytes head(written.begin() + 38, written.begin() + 38 + static_cast<long>(expected.size()));
        EXPECT_EQ(Hex(head), Hex(expected)) << length;
        EXPECT_EQ(Read(written).Table, table) << length;
    }
}

TEST(DefinitionFile, RandomTreesAndTablesSurviveARoundTrip)
{
    const std::uint16_t prefixes[] = {0, 1, 0xFFFE, 0xFFFF};
    for (unsigned seed = 0; seed < 40; ++seed) {
        std::mt19937 random(seed);
        BlockTree tree;
        test::FillRandomTree(tree, random, static_cast<int>(seed % 20));
        DefinitionTable table;
        table.CountPrefix = prefixes[seed % 4];
        table.FirmwareVersion = static_cast<std::uint16_t>(random());
        for (unsigned i = seed % 6; i > 0; --i) {
            StringDefinition& definition = table.FindOrAddDefinition(static_cast<std::uint16_t>(random()));
            for (std::u16string* text : {&definition.Identifier, &definition.DefaultText,
                                         &definition.Translation, &definition.Description})
                for (std::size_t length = random() % 300; length > 0; --length)
                    text->push_back(static_cast<char16_t>(random())); // lone surrogates included
            definition.Translated = static_cast<std::uint32_t>(random());
        }
        const Bytes written = WriteDefinitionBytes(tree, table);
        ReadBack back = Read(written);
        ASSERT_EQ(back.Outcome.Status, ReadResult::ReadOk) << seed << ": " << back.Outcome.Reason;
        EXPECT_TRUE(back.Tree == tree) << seed;
        EXPECT_EQ(back.Table, table) << seed;
    }
}

TEST(DefinitionFile, ReadsEveryFormTheWriterDoesNotUse)
{
    ReadBack back = Read(FromHex(
        // The magic in 8-bit characters and the format word. The tree: 3 without a current item,
        // then 1 and 2 without one (both at the top level), 3 3, an 8-bit label "B\x80c\xE9" with
        // the children c1, xUNUSEDx (holding "in") and "unused", then 0 (the top level again) d.
        // "UNUSED" removes an item with everything below it.
        "09 4F 52 56 73 74 72 64 65 66 00 00 00 00 03 00 01 00 'a' 00 00 00 00 02 00 'b' 00 00 00 00 "
        "03 00 03 00 01 00 04 42 80 63 E9 00 00 00 00 01 00 'c1' 04 00 00 00 02 00 'xUNUSEDx' 00 00 00 00 "
        "01 00 'in' 01 00 00 00 03 00 02 00 'unused' 05 00 00 00 00 00 'd' 06 00 00 00 FF FF "
        // Count prefix 7 in the u32 form, 5 records counted in the u64 form.
        "FF FF 07 00 00 00 FF FF FF FF FF FF 05 00 00 00 00 00 00 00 "
        // Mask 0B: index 1, identifier 8-bit "abc" with a u16 length, translation UTF-16 "y" with a
        // u32 length.
        "0B 00 00 00 01 00 FF 03 00 61 62 63 FF FE FF FF FF FF 01 00 00 00 79 00 "
        // Mask 35: index 2, default text 8-bit "de" with a u32 length, description UTF-16 "x" with a
        // u16 length, translated 7.
        "35 00 00 00 02 00 FF FF FF 02 00 00 00 64 65 FF FE FF FF 01 00 78 00 07 00 00 00 "
        // Index 3 (the bits above 0x20 mean nothing), then two records without an index: the second
        // replaces the first.
        "C1 FF FF FF 03 00 00 00 00 00 02 00 00 00 'z' "
        // Tags: one without a value, the version, "FONI" (not "foni"), the save lock, and the empty
        // tag in 8 bits as the last byte.
        "'abc' 'ver' 04 01 'FONI' 'foni' 07 00 00 00 00"));
    ASSERT_EQ(back.Outcome.Status, ReadResult::ReadOk) << back.Outcome.Reason;
    EXPECT_EQ(DescribeTree(back.Tree), "a (0)\nb (0)\nB€cé (0)\n  c1 (4)\n  unused (5)\nd (6)\n");
    // clang-format off
    EXPECT_EQ(back.Table, (DefinitionTable{7, 0x104, 7, {{0, {0, u"z", u"", u"", 0, u""}},
                                                         {1, {1, u"abc", u"", u"y", 0, u""}},
                                                         {2, {2, u"", u"de", u"", 7, u"x"}},
                                                         {3, {3, u"", u"", u"", 0, u""}}}}));
    // clang-format on

    // Without the tags, both words are 0, whatever the table held; nothing after the end tag is read.
    ASSERT_EQ(ReadDefinitionBytes(DefinitionBytes("FF FF 01 00 00 00 '' DE"), back.Tree, back.Table).Status,
              ReadResult::ReadOk);
    EXPECT_EQ(back.Table.FirmwareVersion, 0);
    EXPECT_EQ(back.Table.SaveLock, 0u);
}

TEST(DefinitionFile, RejectsBrokenFilesAtOnceAfterEmptyingTheTables)
{
    const std::string header = "'ORVstrdef' 00 00 00 00 ";
    // Each file (in FromHex's notation), its result, what stays of the tree, and the reason.
    const std::tuple<std::string, ReadResult, const char*, const char*> cases[] = {
        {"'ORVStrdef' 00 00 00 00 FF FF", ReadResult::ReadBadMagic, "", ""},
        {"'ORVstrdef' 01 00 00 00 FF FF", ReadResult::ReadBadFormatWord, "", ""},
        // What was read stays, and "UNUSED" items are only removed from a complete read.
        {header + "00 00 'UNUSED' 00 00 00 00 04 00 'no' 00 00 00 00 FF FF", ReadResult::ReadBadTreeMarker,
         "UNUSED (0)\n", ""},
        // Longer length forms cut short: 8 bits and UTF-16 with a u32 length, a count with a u64 value.
        {"FF FF FF 01", ReadResult::ReadFailed, "", "magic at byte 0: the file ends after 4 of its 7 bytes"},
        {header + "FF FF 01 00 FF FF FF FF FF FF 01", ReadResult::ReadFailed, "",
         "record count at byte 30: the file ends after 7 of its 14 bytes"},
        {"FF FE FF FF FF FF 01", ReadResult::ReadFailed, "",
         "magic at byte 0: the file ends after 7 of its 10 bytes"},
        // Huge lengths are refused before anything is allocated, also one that wraps when doubled.
        {header + "00 00 FF F0 FF 7A 7A", ReadResult::ReadFailed, "",
         "tree item 0: label at byte 28: string claims 65520 8-bit characters, only 2 bytes left"},
        {header + "00 00 FF FE FF FF FF FF 00 00 00 10 7A 7A", ReadResult::ReadFailed, "",
         "tree item 0: label at byte 28: string claims 268435456 UTF-16 characters, only 2 bytes left"},
        {header + "00 00 FF FE FF FF FF FF FF FF FF FF 01 00 00 00 00 00 00 80 7A 7A", ReadResult::ReadFailed,
         "",
         "tree item 0: label at byte 28: string claims 9223372036854775809 UTF-16 characters, only 2 bytes "
         "left"},
        // A record count far beyond the file ends at the end of the file.
        {header + "FF FF 01 00 FF FF FF FF FF FF FF FF FF FF FF FF FF FF", ReadResult::ReadFailed, "",
         "record 0 of 18446744073709551615: field mask at byte 44: the file ends after 0 of its 4 bytes"},
    };
    for (const auto& [hex, result, tree, reason] : cases) {
        ReadBack back;
        test::FillSmallTable(back.Tree, back.Table);
        back.Outcome = ReadDefinitionBytes(FromHex(hex), back.Tree, back.Table);
        EXPECT_EQ(back.Outcome.Status, result) << hex;
        EXPECT_EQ(back.Outcome.Reason, reason);
        EXPECT_EQ(DescribeTree(back.Tree), tree);
        EXPECT_TRUE(back.Table.Definitions.empty());
    }
}

TEST(DefinitionFile, EveryTruncationFailsCleanlyAndKeepsWhatWasRead)
{
    // Where the read stops and why, for a cut in each kind of field.
    const std::map<std::size_t, std::string> reasons = {
        {27, "tree item 0: marker at byte 26: the file ends after 1 of its 2 bytes"},
        {28, "tree item 0: label at byte 28: the file ends after 0 of its 1 bytes"},
        {29, "tree item 0: label at byte 28: the file ends after 1 of its 3 bytes"},
        {31, "tree item 0: label at byte 28: the file ends after 3 of its 4 bytes"},
        {35, "tree item 0: data at byte 34: the file ends after 1 of its 4 bytes"},
        {55, "count prefix at byte 54: the file ends after 1 of its 2 bytes"},
        {57, "record count at byte 56: the file ends after 1 of its 2 bytes"},
        {58, "record 0 of 1: field mask at byte 58: the file ends after 0 of its 4 bytes"},
        {119, "tag 2 at byte 116: the file ends after 3 of its 4 bytes"},
    };
    const Bytes file = test::SmallFileBytes();
    for (std::size_t length = 0; length < file.size(); ++length) {
        ReadBack back = Read(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
        EXPECT_EQ(back.Outcome.Status, ReadResult::ReadFailed) << length;
        EXPECT_THAT(back.Outcome.Reason, HasSubstr("at byte"));
        if (reasons.contains(length)) {
            EXPECT_EQ(back.Outcome.Reason, reasons.at(length));
        }
        // The record is complete at byte 88; each tree item is added once its label has been read.
        EXPECT_EQ(back.Table.Definitions.size(), length >= 88 ? 1u : 0u) << length;
        EXPECT_EQ(back.Tree.ItemCount(), length >= 46 ? 2u : length >= 34 ? 1u : 0u) << length;
    }
}

TEST(DefinitionFile, DeepTreesAreReadWrittenComparedAndFreedWithoutRecursion)
{
    // A chain of 300,000 items, each the child of the one before, with empty 8-bit labels; no records.
    Bytes bytes = DefinitionBytes("00 00 'root' 00 00 00 00");
    for (int level = 1; level < 300000; ++level)
        bytes.insert(bytes.end(), {1, 0, 0, 1, 0, 0, 0});
    const Bytes end = FromHex("FF FF 01 00 00 00 ''");
    bytes.insert(bytes.end(), end.begin(), end.end());
    ReadBack back = Read(bytes);
    ASSERT_EQ(back.Outcome.Status, ReadResult::ReadOk);
    EXPECT_EQ(back.Tree.ItemCount(), 300000u);
    EXPECT_TRUE(Read(WriteDefinitionBytes(back.Tree, back.Table)).Tree == back.Tree);
    EXPECT_EQ(back.Tree.RemoveItemsContaining(u"root"), 300000u);
}

TEST(DefinitionFile, LabelShowsTheVersionDividedByAHundred)
{
    EXPECT_EQ(ReaderLabelText(0x110), "System strings (Fw. ver. 2.72)");
    EXPECT_EQ(ReaderLabelText(0x104), "System strings (Fw. ver. 2.60)");
}

} // namespace
} // namespace orv
