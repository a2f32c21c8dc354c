#include "store/DefinitionTable.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(DefinitionTable, FindOrAddDefinitionAddsAnEntryUnderItsOwnIndex)
{
    DefinitionTable table;
    StringDefinition& added = table.FindOrAddDefinition(7);
    // The new entry carries the looked-up index, so that it is saved and read back under key 7.
    EXPECT_EQ(added, (StringDefinition{7, u"", u"", u"", 0, u""}));
    EXPECT_EQ(table.Definitions.size(), 1u);
    added.Translation = u"kept";
    EXPECT_EQ(&table.FindOrAddDefinition(7), &added);
    EXPECT_EQ(table.Definitions.size(), 1u);
}

TEST(DefinitionTable, IteratesInNumericOrder)
{
    DefinitionTable table;
    for (const std::uint16_t index :
         {std::uint16_t{0xFFFF}, std::uint16_t{10}, std::uint16_t{2}, std::uint16_t{0}})
        table.FindOrAddDefinition(index);
    std::vector<std::uint16_t> order;
    for (const auto& [key, definition] : table.Definitions)
        order.push_back(key);
    EXPECT_EQ(order, (std::vector<std::uint16_t>{0, 2, 10, 0xFFFF}));
}

TEST(DefinitionTable, SwapExchangesAllFourFields)
{
    DefinitionTable left;
    left.FindOrAddDefinition(1).DefaultText = u"left";
    DefinitionTable right;
    right.CountPrefix = 3;
    right.FirmwareVersion = 0x104;
    right.SaveLock = 9;
    const StringDefinition* rightEntry = &right.FindOrAddDefinition(2);
    swap(left, right);
    EXPECT_EQ(left.CountPrefix, 3);
    EXPECT_EQ(left.FirmwareVersion, 0x104);
    EXPECT_EQ(left.SaveLock, 9u);
    EXPECT_EQ(&left.Definitions.at(2), rightEntry); // entries move without being copied
    EXPECT_EQ(right.CountPrefix, kDefaultCountPrefix);
    EXPECT_EQ(right.FirmwareVersion, kDefaultFirmwareVersion);
    EXPECT_EQ(right.Definitions.at(1).DefaultText, u"left");
}

TEST(EffectiveText, TrimsAUsedTranslationInPlace)
{
    StringDefinition definition{1, u"", u"Default", u"  Hello \r\n", 1, u""};
    EXPECT_EQ(EffectiveText(definition), u"Hello");
    EXPECT_EQ(definition.Translation, u"Hello");

    definition.Translation = u" \t\r\n ";
    definition.Translated = 0xFFFFFFFF; // any nonzero value counts as set
    EXPECT_EQ(EffectiveText(definition), u"Default");
    EXPECT_EQ(definition.Translation, u"");
}

TEST(EffectiveText, LeavesAnUnusedTranslationAlone)
{
    StringDefinition definition{1, u"", u" Default ", u"  padded  ", 0, u""};
    EXPECT_EQ(EffectiveText(definition), u" Default ");
    EXPECT_EQ(definition.Translation, u"  padded  ");
}

TEST(BlankRule, TrimsOnlySpaceReturnLineFeedAndTab)
{
    EXPECT_TRUE(IsBlank(u""));
    EXPECT_TRUE(IsBlank(u" \r\n\t"));
    EXPECT_FALSE(IsBlank(u"\u00A0"));
    EXPECT_FALSE(IsBlank(u"\v"));
    EXPECT_EQ(TrimBlanks(u"\t a b \n"), u"a b");
}

TEST(DefinitionTable, TextsForIndexAndVersion)
{
    StringDefinition definition;
    definition.Index = 65535;
    EXPECT_EQ(IndexText(definition), "65535");
    definition.Index = 0;
    EXPECT_EQ(IndexText(definition), "0");
    EXPECT_EQ(FirmwareVersionText(0x110), "1.10");
    EXPECT_EQ(FirmwareVersionText(0x104), "1.04");
    EXPECT_EQ(FirmwareVersionText(0xAB0C), "ab.0c");
}

} // namespace
} // namespace orv
