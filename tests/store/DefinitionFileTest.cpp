#include "store/DefinitionFile.h"

#include <gtest/gtest.h>

#include "StoreSamples.h"
#include "base/Text.h"

namespace orv {
namespace {

// Byte vectors are laid out by hand, a field or an item per line.
// clang-format off

using test::ByteBuilder;
using test::Bytes;
using test::DescribeTree;
using test::FileHeader;
using test::Hex;

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

// Files that differ from the small example only in their tree section.
Bytes WithTreeSection(const std::function<void(ByteBuilder&)>& tree)
{
    ByteBuilder file = FileHeader();
    tree(file);
    return file.U16(1).U16(0).Utf16String(u"ver").U16(0x110).Utf16String(u"").Take();
}

TEST(DefinitionFileWriter, WritesTheSmallExampleByteForByte)
{
    BlockTree tree;
    DefinitionTable table;
    test::FillSmallTable(tree, table);
    table.SaveLock = 5;
    const Bytes written = WriteDefinitionBytes(tree, table);
    ASSERT_EQ(written.size(), 120u);
    EXPECT_EQ(Hex(written), Hex(test::SmallFileBytes())); // "foni" is written as 0
    EXPECT_EQ(table.SaveLock, 5u);                         // and the table is left alone
}

TEST(DefinitionFileWriter, WritesTreeMarkersInDisplayOrder)
{
    // A (a1, a2) and B (b1): 0 A, 1 a1, 2 a2, 3, 2 B, 1 b1, 3, FFFF.
    BlockTree tree;
    BlockItem& a = tree.Append(nullptr, u"A", 0);
    tree.Append(&a, u"a1", 1);
    tree.Append(&a, u"a2", 2);
    BlockItem& b = tree.Append(nullptr, u"B", 0);
    tree.Append(&b, u"b1", 3);
    DefinitionTable table;
    const Bytes expected = FileHeader()
                               .U16(0).Utf16String(u"A").U32(0)
                               .U16(1).Utf16String(u"a1").U32(1)
                               .U16(2).Utf16String(u"a2").U32(2)
                               .U16(3)
                               .U16(2).Utf16String(u"B").U32(0)
                               .U16(1).Utf16String(u"b1").U32(3)
                               .U16(3)
                               .U16(0xFFFF)
                               .U16(1).U16(0)
                               .Utf16String(u"ver").U16(0x110).Utf16String(u"foni").U32(0).Utf16String(u"")
                               .Take();
    EXPECT_EQ(Hex(WriteDefinitionBytes(tree, table)), Hex(expected));
}

TEST(DefinitionFileWriter, EmptyTreeIsTheEndMarkerAlone)
{
    BlockTree tree;
    DefinitionTable table;
    table.FindOrAddDefinition(4).DefaultText = u"x";
    const Bytes written = WriteDefinitionBytes(tree, table);
    const Bytes prefix = FileHeader().U16(0xFFFF).U16(1).U16(1).Take();
    ASSERT_GE(written.size(), prefix.size());
    EXPECT_EQ(Hex(Bytes(written.begin(), written.begin() + static_cast<long>(prefix.size()))), Hex(prefix));
}

TEST(DefinitionFileWriter, StringAndCountLengthsTakeTheirShortestForms)
{
    // Each case: a definition whose identifier has `length` units; the bytes after FF FE FF.
    struct Case
    {
        std::size_t Length;
        Bytes Prefix;
    };
    const Case cases[] = {
        {0, {0x00}},
        {254, {0xFE}},
        {255, {0xFF, 0xFF, 0x00}},
        {0xFFFD, {0xFF, 0xFD, 0xFF}},
        {0xFFFE, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
        {0x10000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00}},
    };
    for (const Case& c : cases) {
        BlockTree tree;
        DefinitionTable table;
        table.FindOrAddDefinition(1).Identifier.assign(c.Length, u'i');
        const Bytes written = WriteDefinitionBytes(tree, table);
        // magic 22, format 4, end marker 2, prefix 2, count 2, mask 4, index 2 = offset 38.
        const Bytes head(written.begin() + 38, written.begin() + 41 + static_cast<long>(c.Prefix.size()));
        EXPECT_EQ(Hex(head), Hex(ByteBuilder().Byte({0xFF, 0xFE, 0xFF}).Take()) + " " + Hex(c.Prefix))
            << "length " << c.Length;
        ReadBack back = Read(written);
        ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk) << back.Outcome.Reason;
        EXPECT_EQ(back.Table.Definitions.at(1).Identifier.size(), c.Length);
    }
}

TEST(DefinitionFileReader, ReadsTheSmallExample)
{
    ReadBack back = Read(test::SmallFileBytes());
    ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk);
    EXPECT_EQ(DescribeTree(back.Tree), "B (0)\n  T (1)\n");
    ASSERT_EQ(back.Table.Definitions.size(), 1u);
    const StringDefinition& definition = back.Table.Definitions.at(1);
    EXPECT_EQ(definition, (StringDefinition{1, u"X", u"D", u"", 0, u""}));
    EXPECT_EQ(back.Table.CountPrefix, 1);
    EXPECT_EQ(back.Table.FirmwareVersion, 0x110);
}

TEST(DefinitionFileReader, RoundTripKeepsTreeAndTable)
{
    BlockTree tree;
    DefinitionTable table;
    BlockItem& outer = tree.Append(nullptr, u"Menu", 0);
    BlockItem& inner = tree.Append(&outer, u"Sub", 0);
    tree.Append(&inner, u"Deep", 0x10005);  // upper half of the data word is kept too
    tree.Append(&outer, u"Second", 7);
    tree.Append(nullptr, u"", 0);
    table.CountPrefix = 0xFFFE;
    table.FirmwareVersion = 0x204;
    table.FindOrAddDefinition(5) = {5, u"ID", u"line 1\r\nline 2", u"\tpadded ", 0xFFFFFFFF, u"note \xD800"};
    table.FindOrAddDefinition(0xFFFF) = {0xFFFF, u"LAST", u"\u00E9\U0001F600", u"", 2, u""};
    DefinitionTable copy = table;

    ReadBack back = Read(WriteDefinitionBytes(tree, table));
    ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk) << back.Outcome.Reason;
    EXPECT_TRUE(back.Tree == tree) << DescribeTree(back.Tree);
    EXPECT_EQ(back.Table, copy);
}

TEST(DefinitionFileReader, AcceptsEightBitStringsAndLongLengthForms)
{
    const Bytes file = ByteBuilder()
                           .NarrowString("ORVstrdef").U32(0)
                           .U16(0).Byte({4, 'B', 0x80, 'c', 0xE9}).U32(0)  // 8-bit label "B€cé"
                           .U16(0xFFFF)
                           .U16(0xFFFF).U32(7)                 // count prefix in the u32 form
                           .U16(0xFFFF).U32(0xFFFFFFFF).U64(1)  // record count in the u64 form
                           .U32(0x3F).U16(9)
                           .Byte({0xFF, 0x03, 0x00, 'a', 'b', 'c'})               // 8-bit, u16 length
                           .Byte({0xFF, 0xFF, 0xFF, 0x02, 0x00, 0x00, 0x00, 'd', 'e'})  // 8-bit, u32 length
                           .Byte({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 'x', 0})  // UTF-16, u16 length
                           .Byte({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0, 0, 0, 'y', 0})  // UTF-16, u32
                           .U32(1)
                           .Utf16String(u"").Take();
    ReadBack back = Read(file);
    ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk) << back.Outcome.Reason;
    EXPECT_EQ(back.Tree.FirstTopLevel()->Label, u"B\u20ACc\u00E9");
    EXPECT_EQ(back.Table.CountPrefix, 7);
    EXPECT_EQ(back.Table.Definitions.at(9), (StringDefinition{9, u"abc", u"de", u"x", 1, u"y"}));
    EXPECT_EQ(back.Table.FirmwareVersion, 0);
    EXPECT_EQ(back.Table.SaveLock, 0u);
}

TEST(DefinitionFileReader, RejectsBadMagicAndFormatWordLeavingEverythingEmpty)
{
    ReadBack wrongCase = Read(ByteBuilder().Utf16String(u"ORVStrdef").U32(0).U16(0xFFFF).Take());
    EXPECT_EQ(wrongCase.Outcome.Result, ReadResult::ReadBadMagic);

    BlockTree tree;
    DefinitionTable table;
    test::FillSmallTable(tree, table);
    Bytes formatOne = test::SmallFileBytes();
    formatOne[22] = 1;
    EXPECT_EQ(ReadDefinitionBytes(formatOne, tree, table).Result, ReadResult::ReadBadFormatWord);
    EXPECT_TRUE(tree.Empty());
    EXPECT_TRUE(table.Definitions.empty());
}

TEST(DefinitionFileReader, TreeMarkersAtTheTopLevelAndUnknownMarkers)
{
    // 1 and 2 without a current item append at the top level; 3 there leaves no current item.
    ReadBack top = Read(WithTreeSection([](ByteBuilder& file) {
        file.U16(3).U16(1).Utf16String(u"a").U32(0).U16(2).Utf16String(u"b").U32(0).U16(3).U16(3);
        file.U16(1).Utf16String(u"c").U32(0).U16(1).Utf16String(u"c1").U32(4).U16(0xFFFF);
    }));
    ASSERT_EQ(top.Outcome.Result, ReadResult::ReadOk) << top.Outcome.Reason;
    EXPECT_EQ(DescribeTree(top.Tree), "a (0)\nb (0)\nc (0)\n  c1 (4)\n");

    ReadBack bad = Read(WithTreeSection([](ByteBuilder& file) {
        file.U16(0).Utf16String(u"kept").U32(0).U16(4).Utf16String(u"dropped").U32(1).U16(0xFFFF);
    }));
    EXPECT_EQ(bad.Outcome.Result, ReadResult::ReadBadTreeMarker);
    EXPECT_EQ(DescribeTree(bad.Tree), "kept (0)\n");
    EXPECT_TRUE(bad.Table.Definitions.empty());
}

TEST(DefinitionFileReader, RemovesUnusedItemsWithTheirSubtrees)
{
    ReadBack back = Read(WithTreeSection([](ByteBuilder& file) {
        file.U16(0).Utf16String(u"UNUSED block").U32(0).U16(1).Utf16String(u"inside").U32(1).U16(3);
        file.U16(2).Utf16String(u"Keep").U32(0);
        file.U16(1).Utf16String(u"text UNUSED").U32(2).U16(1).Utf16String(u"child").U32(3).U16(3);
        file.U16(2).Utf16String(u"unused").U32(4).U16(2).Utf16String(u"xUNUSEDx").U32(0).U16(3);
        file.U16(0xFFFF);
    }));
    ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk);
    EXPECT_EQ(DescribeTree(back.Tree), "Keep (0)\n  unused (4)\n");
}

TEST(DefinitionFileReader, RecordsWithMissingFieldsAndRepeatedIndexes)
{
    const Bytes file = FileHeader()
                           .U16(0xFFFF).U16(1).U16(4)
                           .U32(0x02).Utf16String(u"only id")  // lands under key 0 with Index 0
                           .U32(0x01 | 0x04).U16(5).Utf16String(u"first")
                           .U32(0xFFFFFF21).U16(5).U32(3)  // bits above 0x20 are ignored
                           .U32(0x00)
                           .Utf16String(u"ver").U16(0x104).Take();
    Bytes complete = file;
    const Bytes tail = ByteBuilder().Utf16String(u"").Take();
    complete.insert(complete.end(), tail.begin(), tail.end());
    ReadBack back = Read(complete);
    ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk) << back.Outcome.Reason;
    ASSERT_EQ(back.Table.Definitions.size(), 2u);
    EXPECT_EQ(back.Table.Definitions.at(0).Identifier, u"");  // the empty fourth record replaced it
    EXPECT_EQ(back.Table.Definitions.at(5), (StringDefinition{5, u"", u"", u"", 3, u""}));
}

TEST(DefinitionFileReader, TagsOtherThanTheirOwnCarryNoValue)
{
    const Bytes file = FileHeader()
                           .U16(0xFFFF).U16(1).U16(0)
                           .Utf16String(u"abc")
                           .Utf16String(u"ver").U16(0x104)
                           .Utf16String(u"FONI")  // tags are compared with their case
                           .Utf16String(u"foni").U32(7)
                           .Utf16String(u"")
                           .Byte({0xDE, 0xAD})  // anything after the empty tag is not read
                           .Take();
    ReadBack back = Read(file);
    ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk) << back.Outcome.Reason;
    EXPECT_EQ(back.Table.FirmwareVersion, 0x104);
    EXPECT_EQ(back.Table.SaveLock, 7u);

    DefinitionTable table;
    table.FirmwareVersion = 0x300;
    table.SaveLock = 9;
    BlockTree tree;
    const Bytes noTags = FileHeader().U16(0xFFFF).U16(1).U16(0).Utf16String(u"").Take();
    ASSERT_EQ(ReadDefinitionBytes(noTags, tree, table).Result, ReadResult::ReadOk);
    EXPECT_EQ(table.FirmwareVersion, 0);
    EXPECT_EQ(table.SaveLock, 0u);
}

TEST(DefinitionFileReader, EveryTruncationFailsCleanlyAndKeepsWhatWasRead)
{
    const Bytes file = test::SmallFileBytes();
    for (std::size_t length = 0; length < file.size(); ++length) {
        ReadBack back = Read(Bytes(file.begin(), file.begin() + static_cast<long>(length)));
        EXPECT_EQ(back.Outcome.Result, ReadResult::ReadFailed) << "length " << length;
        EXPECT_NE(back.Outcome.Reason.find("at byte"), std::string::npos) << back.Outcome.Reason;
        // The record is complete at byte 88; each tree item is added once its label has been read.
        EXPECT_EQ(back.Table.Definitions.size(), length >= 88 ? 1u : 0u) << "length " << length;
        EXPECT_EQ(back.Tree.ItemCount(), length >= 46 ? 2u : length >= 34 ? 1u : 0u) << "length " << length;
    }
}

TEST(DefinitionFileReader, HugeLengthsFailAtOnceWithAReason)
{
    struct Case
    {
        const char* What;
        Bytes Length;  // the string's bytes after the magic and format word, as a tree label
    };
    const Case cases[] = {
        {"8-bit u16", {0xFF, 0xF0, 0xFF}},
        {"8-bit u64", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {"UTF-16 u32", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x10}},
        {"UTF-16 u64", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                        0xFF, 0x7F}},
        {"UTF-16 u64 doubling wraps", {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00,
                                       0x00, 0x00, 0x00, 0x00, 0x80}},
    };
    for (const Case& c : cases) {
        Bytes file = FileHeader().U16(0).Take();
        file.insert(file.end(), c.Length.begin(), c.Length.end());
        file.insert(file.end(), 16, 'z');
        ReadBack back = Read(file);
        EXPECT_EQ(back.Outcome.Result, ReadResult::ReadFailed) << c.What;
        EXPECT_NE(back.Outcome.Reason.find("tree item 0: label at byte 28: string claims"), std::string::npos)
            << c.What << ": " << back.Outcome.Reason;
    }

    // A record count far beyond the file ends at the end of the file.
    const Bytes manyRecords = FileHeader().U16(0xFFFF).U16(1).U16(0xFFFF).U32(0xFFFFFFFF).U64(~0ull).Take();
    ReadBack back = Read(manyRecords);
    EXPECT_EQ(back.Outcome.Result, ReadResult::ReadFailed);
    EXPECT_NE(back.Outcome.Reason.find("record 0 of 18446744073709551615: field mask at byte"),
              std::string::npos)
        << back.Outcome.Reason;
}

TEST(DefinitionFileReader, DeepTreesReadWriteAndFreeWithoutRecursion)
{
    constexpr int kDepth = 300000;
    ByteBuilder file = FileHeader();
    file.U16(0).Utf16String(u"root").U32(0);
    for (int level = 1; level < kDepth; ++level)
        file.U16(1).Byte({0}).U32(static_cast<std::uint32_t>(level));
    Bytes bytes = file.U16(0xFFFF).U16(1).U16(0).Utf16String(u"").Take();
    {
        ReadBack back = Read(bytes);
        ASSERT_EQ(back.Outcome.Result, ReadResult::ReadOk);
        EXPECT_EQ(back.Tree.ItemCount(), static_cast<std::size_t>(kDepth));
        const Bytes again = WriteDefinitionBytes(back.Tree, back.Table);
        ReadBack twice = Read(again);
        EXPECT_TRUE(twice.Tree == back.Tree);
    }
}

TEST(DefinitionFileReader, OpenFailureIsAnErrorThatChangesNothing)
{
    BlockTree tree;
    DefinitionTable table;
    test::FillSmallTable(tree, table);
    const auto result = ReadDefinitionFile("/nonexistent/dir/file.strdef", tree, table);
    ASSERT_FALSE(result);
    EXPECT_EQ(result.error().Code, ErrorCode::OpenFailed);
    EXPECT_NE(result.error().Message.find("No such file or directory"), std::string::npos);
    EXPECT_EQ(tree.ItemCount(), 2u);
    EXPECT_EQ(table.Definitions.size(), 1u);
}

TEST(DefinitionFileReader, LabelShowsTheVersionDividedByAHundred)
{
    EXPECT_EQ(ReaderLabelText(0x110), "System strings (Fw. ver. 2.72)");
    EXPECT_EQ(ReaderLabelText(0x104), "System strings (Fw. ver. 2.60)");
    EXPECT_EQ(ReaderLabelText(0), "System strings (Fw. ver. 0.00)");
}

// clang-format on

} // namespace
} // namespace orv
