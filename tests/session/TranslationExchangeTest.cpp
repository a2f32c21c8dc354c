#include "session/TranslationExchange.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "support/TestSupport.h"

namespace orv::test {
namespace {

// Menu { OPEN 1, Sub { SAVE 3 }, OPEN again }, QUIT 4 at the top, NEW 40 without a definition.
// 1 is translated, 3 has an unmarked draft, 4 is untranslated; 9 is only in the table.
class TranslationExchangeTest : public ::testing::Test
{
protected:
    TranslationExchangeTest()
    {
        BlockTree& tree = session.Document.Tree;
        BlockItem& menu = tree.Append(nullptr, u"Menu", 0);
        tree.Append(&menu, u"OPEN", 1);
        tree.Append(&tree.Append(&menu, u"Sub", 0), u"SAVE", 3);
        tree.Append(&menu, u"OPEN", 1);
        tree.Append(nullptr, u"QUIT", 4);
        tree.Append(nullptr, u"NEW", 40);
        auto& definitions = session.Document.Table.Definitions;
        definitions[1] = {1, u"OPEN", u"Open", u"\u00D6ffnen", 1, u"Opens a file"};
        definitions[3] = {3, u"SAVE", u"Save", u"Sichern", 0, u""};
        definitions[4] = {4, u"QUIT", u"Quit", u"", 0, u""};
        definitions[9] = {9, u"HIDDEN", u"Hidden", u"", 0, u""};
        session.Document.FilePath = "/somewhere/texts.strdef";
    }

    static ReadUnit Unit(std::uint16_t index, std::u16string source, std::u16string target, bool translated)
    {
        return {index, std::move(source), std::move(target), translated, "line " + std::to_string(index)};
    }

    EditorSession session;
};

TEST_F(TranslationExchangeTest, UnitsFollowTheTreeOncePerDefinitionWithTheirBlockPath)
{
    const TranslationFile all = TranslationUnitsOf(session, {false, "de"});
    EXPECT_EQ(all.Original, "texts.strdef");
    EXPECT_EQ(all.TargetLanguage, "de");
    ASSERT_EQ(all.Units.size(), 3u);
    EXPECT_EQ(all.Units[0],
              (TranslationUnit{1, u"OPEN", u"Menu", u"Open", u"\u00D6ffnen", true, u"Opens a file"}));
    EXPECT_EQ(all.Units[1].BlockPath, u"Menu / Sub");
    EXPECT_EQ(all.Units[1].Target, u"Sichern");
    EXPECT_EQ(all.Units[2].BlockPath, u"");

    const TranslationFile untranslated = TranslationUnitsOf(session, {true, ""});
    ASSERT_EQ(untranslated.Units.size(), 2u);
    EXPECT_EQ(untranslated.Units[0].Index, 3);
    EXPECT_EQ(untranslated.Units[1].Index, 4);
    EXPECT_EQ(session.Document.Table.Definitions.size(), 4u); // NEW got no definition
}

TEST_F(TranslationExchangeTest, AnImportChangesOnlyTranslationsAndMarksAndSaysWhatItSkipped)
{
    const std::vector<ReadUnit> units = {
        Unit(1, u"Open", u"\u00D6ffnen", true),  // as it is
        Unit(3, u"Save", u"Speichern", true),    // a new translation
        Unit(4, u"Quit", u"", false),            // none in the file: the text keeps what it has
        Unit(9, u"Hidden ", u"Versteckt", true), // made from another default text
        Unit(77, u"Gone", u"Weg", true),         // no such definition
    };
    const DefinitionTable before = session.Document.Table;
    const auto dry = ApplyTranslationUnits(session, units, /*apply=*/false);
    ASSERT_TRUE(dry);
    EXPECT_EQ(SummaryLine(*dry),
              "1 applied, 2 unchanged, 2 skipped: 1 whose default text changed, 1 unknown index");
    EXPECT_EQ(session.Document.Table.Definitions, before.Definitions);

    const auto applied = ApplyTranslationUnits(session, units, /*apply=*/true);
    ASSERT_TRUE(applied);
    ASSERT_EQ(applied->Applied.size(), 1u);
    EXPECT_EQ(applied->Applied[0].Before, (TranslationState{u"Sichern", 0}));
    EXPECT_EQ(applied->Applied[0].After, (TranslationState{u"Speichern", 1}));
    EXPECT_EQ(applied->Skipped[1].Place, "line 77");
    StringDefinition expected = before.Definitions.at(3);
    expected.Translation = u"Speichern";
    expected.Translated = 1;
    EXPECT_EQ(session.Document.Table.Definitions.at(3), expected);
    EXPECT_EQ(session.Document.Table.Definitions.at(9), before.Definitions.at(9));

    // A file that names one text twice is refused as a whole.
    const auto twice =
        ApplyTranslationUnits(session, {Unit(4, u"Quit", u"Ende", true), Unit(4, u"Quit", u"", false)}, true);
    ASSERT_FALSE(twice);
    EXPECT_EQ(twice.error().Message, "line 4: text 4 appears a second time (first at line 4)");
    EXPECT_EQ(session.Document.Table.Definitions.at(4).Translation, u"");
}

TEST_F(TranslationExchangeTest, AFileWrittenAndReadBackChangesNothing)
{
    TemporaryDirectory directory;
    for (const char* name : {"texts.po", "texts.xlf"}) {
        const std::filesystem::path path = directory / name;
        const auto format = FormatOfName(path);
        ASSERT_EQ(ExportForTranslation(session, path, *format, {}), 3u) << name;
        const auto summary = ImportTranslations(session, path, *format, /*apply=*/true);
        ASSERT_TRUE(summary) << summary.error().Message;
        EXPECT_EQ(SummaryLine(*summary), "0 applied, 3 unchanged, 0 skipped") << name;
    }
    // A file that cannot be read fails the import as a whole.
    EXPECT_FALSE(ImportTranslations(session, directory / "missing.po", ExchangeFormat::Po, true));
}

} // namespace
} // namespace orv::test
