#include "store/DefinitionMerge.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

StringDefinition Definition(std::uint16_t index, std::u16string defaultText, std::u16string translation,
                            std::uint32_t translated)
{
    return StringDefinition{index,
                            u"ID" + std::u16string(1, char16_t(u'0' + index % 10)),
                            std::move(defaultText),
                            std::move(translation),
                            translated,
                            u""};
}

struct Merged
{
    BlockTree Tree;
    DefinitionTable Table;
    DefinitionTable Old;
    MergeSummary Summary;
};

Merged Merge(std::vector<StringDefinition> loaded, std::vector<StringDefinition> other)
{
    Merged result;
    for (auto& definition : loaded)
        result.Table.Definitions[definition.Index] = definition;
    result.Table.FirmwareVersion = 0x110;
    result.Tree.Append(nullptr, u"old", 0);
    BlockTree otherTree;
    otherTree.Append(&otherTree.Append(nullptr, u"new", 0), u"t", 1);
    result.Old.FirmwareVersion = 0x111;
    result.Old.CountPrefix = 4;
    for (auto& definition : other)
        result.Old.Definitions[definition.Index] = definition;
    result.Summary = MergeDefinitions(result.Tree, result.Table, otherTree, result.Old);
    return result;
}

TEST(DefinitionMerge, CarryOverRulesRowByRow)
{
    const Merged merged = Merge(
        {
            Definition(1, u"Same", u"Gleich", 1),       // translated, same default, new blank
            Definition(2, u"Old text", u"Alt", 1),      // translated, default changed, new untranslated
            Definition(3, u"Any", u"Irgendwas", 1),     // new translated with same default
            Definition(4, u"Any", u"", 0),              // new translated, default changed
            Definition(5, u"Plain", u"", 0),            // neither translated
            Definition(6, u"Gone", u"Weg", 1),          // only in the old file
            Definition(7, u"Odd", u"Seltsam  \r\n", 7), // odd flag and trailing blanks carried as they are
        },
        {
            Definition(1, u"Same", u"  \t", 1), Definition(2, u"New text", u"", 0),
            Definition(3, u"Any", u"Neu", 1), Definition(4, u"Other", u"Anders", 1),
            Definition(5, u"Plain", u"own text", 0), Definition(7, u"Odd", u"", 0),
            Definition(8, u"Fresh", u"Frisch", 1), // only in the new file, non-empty default
            Definition(9, u"", u"Leer", 1),        // only in the new file, empty default
        });
    const auto& table = merged.Table.Definitions;
    EXPECT_EQ(table.at(1), Definition(1, u"Same", u"Gleich", 1));
    EXPECT_EQ(table.at(2), Definition(2, u"New text", u"Alt", 0));
    EXPECT_EQ(table.at(3), Definition(3, u"Any", u"Neu", 1));
    EXPECT_EQ(table.at(4), Definition(4, u"Other", u"Anders", 0));
    EXPECT_EQ(table.at(5), Definition(5, u"Plain", u"own text", 0));
    EXPECT_FALSE(table.contains(6));
    EXPECT_EQ(table.at(7), Definition(7, u"Odd", u"Seltsam  \r\n", 7));
    EXPECT_EQ(table.at(8), Definition(8, u"Fresh", u"Frisch", 0));
    EXPECT_EQ(table.at(9), Definition(9, u"", u"Leer", 1));

    EXPECT_EQ(merged.Summary.Kept, 2u);     // 1 and 7
    EXPECT_EQ(merged.Summary.Unmarked, 2u); // 2 and 4
    EXPECT_EQ(merged.Summary.Added, 2u);    // 8 and 9
    EXPECT_EQ(merged.Summary.Removed, 1u);  // 6
}

TEST(DefinitionMerge, TreeAndHeaderWordsComeFromTheOtherFile)
{
    const Merged merged = Merge({Definition(1, u"a", u"", 0)}, {Definition(1, u"a", u"", 0)});
    EXPECT_EQ(test::DescribeTree(merged.Tree), "new (0)\n  t (1)\n");
    EXPECT_EQ(merged.Table.FirmwareVersion, 0x111);
    EXPECT_EQ(merged.Table.CountPrefix, 4);
    EXPECT_EQ(merged.Old.FirmwareVersion, 0x110);
}

TEST(DefinitionMerge, VersionCheckAndItsMessage)
{
    EXPECT_TRUE(IsOlderFirmwareVersion(0x104, 0x110));
    EXPECT_FALSE(IsOlderFirmwareVersion(0x110, 0x110));
    EXPECT_FALSE(IsOlderFirmwareVersion(0x200, 0x110));
    EXPECT_EQ(MergeOlderVersionMessage(0x104, 0x110),
              "The file to be merged (1.04) with is older than the existing (1.10)");
}

} // namespace
} // namespace orv
