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
    added.Translation = u"kept";
    EXPECT_EQ(&table.FindOrAddDefinition(7), &added);
    EXPECT_EQ(table.Definitions.size(), 1u);
}

TEST(DefinitionTable, VersionTextIsHexMajorAndTwoDigitMinor)
{
    EXPECT_EQ(FirmwareVersionText(0x104), "1.04");
    EXPECT_EQ(FirmwareVersionText(0xAB0C), "ab.0c");
}

TEST(EffectiveText, TrimsAUsedTranslationInPlaceAndFallsBackWhenItIsBlank)
{
    StringDefinition definition{1, u"", u" Default ", u"\t Hello \r\n", 1, u""};
    EXPECT_EQ(EffectiveText(definition), u"Hello");
    EXPECT_EQ(definition.Translation, u"Hello");

    definition.Translation = u" \t\r\n ";
    definition.Translated = 0xFFFFFFFF; // any nonzero value counts as set
    EXPECT_EQ(EffectiveText(definition), u" Default ");
    EXPECT_EQ(definition.Translation, u"");

    definition.Translation = u"  unused  ";
    definition.Translated = 0;
    EXPECT_EQ(EffectiveText(definition), u" Default ");
    EXPECT_EQ(definition.Translation, u"  unused  ");
}

TEST(EffectiveText, OnlySpaceReturnLineFeedAndTabAreBlanks)
{
    EXPECT_TRUE(IsBlank(u""));
    EXPECT_FALSE(IsBlank(u"\u00A0"));
    EXPECT_FALSE(IsBlank(u"\v"));
    EXPECT_EQ(TrimBlanks(u"\t a b \n"), u"a b");
}

} // namespace
} // namespace orv
