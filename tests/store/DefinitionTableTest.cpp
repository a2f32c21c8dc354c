#include "store/DefinitionTable.h"

#include <tuple>

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(DefinitionTable, FindOrAddDefinitionAddsAnEntryUnderItsOwnIndexOnce)
{
    DefinitionTable table;
    StringDefinition& added = table.FindOrAddDefinition(7);
    // The new entry carries the looked-up index, so that it is saved and read back under key 7.
    EXPECT_EQ(added, (StringDefinition{7, u"", u"", u"", 0, u""}));
    EXPECT_EQ(&table.FindOrAddDefinition(7), &added);
    EXPECT_EQ(FirmwareVersionText(0xAB0C), "ab.0c"); // hexadecimal, the minor part in two digits
}

TEST(EffectiveText, IsTheTrimmedTranslationInUseElseTheDefaultAndTrimmingIsASeparateStep)
{
    // The translation and its mark, the effective text, and the translation once trimmed in use.
    // Only space, carriage return, line feed and tab are blanks.
    const std::tuple<const char16_t*, std::uint32_t, const char16_t*, const char16_t*> cases[] = {
        {u"\t Hello \r\n", 1, u"Hello", u"Hello"},
        {u" \t\r\n ", 0xFFFFFFFF, u" Default ", u""}, // any nonzero value counts as set
        {u"  unused  ", 0, u" Default ", u"  unused  "},
        {u"\v\u00A0", 1, u"\v\u00A0", u"\v\u00A0"},
    };
    for (const auto& [translation, translated, effective, trimmed] : cases) {
        StringDefinition definition{1, u"", u" Default ", translation, translated, u""};
        EXPECT_EQ(EffectiveText(definition), effective);
        TrimTranslationInUse(definition);
        EXPECT_EQ(definition.Translation, trimmed);
    }
}

} // namespace
} // namespace orv
