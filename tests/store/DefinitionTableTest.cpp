#include "store/DefinitionTable.h"

#include <tuple>

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

TEST(EffectiveText, IsTheTrimmedTranslationInUseElseTheDefaultAndTrimmingIsASeparateStep)
{
    // The translation and its mark, the effective text, and the translation once trimmed in use.
    const std::tuple<const char16_t*, std::uint32_t, const char16_t*, const char16_t*> cases[] = {
        {u"\t Hello \r\n", 1, u"Hello", u"Hello"},
        {u" \t\r\n ", 0xFFFFFFFF, u" Default ", u""}, // any nonzero value counts as set
        {u"  unused  ", 0, u" Default ", u"  unused  "},
    };
    for (const auto& [translation, translated, effective, trimmed] : cases) {
        StringDefinition definition{1, u"", u" Default ", translation, translated, u""};
        EXPECT_EQ(EffectiveText(definition), effective);
        EXPECT_EQ(definition.Translation, translation);
        TrimTranslationInUse(definition);
        EXPECT_EQ(definition.Translation, trimmed);
    }
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
