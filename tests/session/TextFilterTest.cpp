#include "session/TextFilter.h"

#include <gtest/gtest.h>

#include "base/CaseFold.h"
#include "base/Text.h"
#include "font/FreeTypeRasteriser.h"

namespace orv::test {
namespace {

using Labels = std::vector<std::string>;

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Menu { OPEN 1, Sub { Deeper { SAVE 3 }, CLOSE 2 } }, Other { NEW 40, QUIT 4 }, Empty. Text 40 has
// no definition; 1, 3 and 4 are translated, 4 into characters that DejaVu Sans lacks.
class TextFilterTest : public ::testing::Test
{
protected:
    TextFilterTest()
    {
        BlockTree& tree = session.Document.Tree;
        BlockItem& menu = tree.Append(nullptr, u"Menu", 0);
        tree.Append(&menu, u"OPEN", 1);
        BlockItem& sub = tree.Append(&menu, u"Sub", 0);
        tree.Append(&tree.Append(&sub, u"Deeper", 0), u"SAVE", 3);
        tree.Append(&sub, u"CLOSE", 2);
        BlockItem& other = tree.Append(nullptr, u"Other", 0);
        tree.Append(&other, u"NEW", 40);
        tree.Append(&other, u"QUIT", 4);
        tree.Append(nullptr, u"Empty", 0);

        auto& definitions = session.Document.Table.Definitions;
        definitions[1] = {1, u"OPEN", u"Open", u"\u00D6ffnen", 1, u"Opens a file"};
        definitions[2] = {2, u"CLOSE", u"Close", u"", 0, u"Closes the caf\u00E9"};
        definitions[3] = {3, u"SAVE", u"Save", u"Speichern", 1, u""};
        definitions[4] = {4, u"QUIT", u"Quit", u"\u9000\u51FA", 1, u"Leaves the program"};
    }

    // The labels of the texts that match, in tree order.
    Labels Matching(std::u16string_view query, StateFilter state = StateFilter::All) const
    {
        Labels labels;
        const std::u16string folded = FoldCase(query);
        for (const BlockItem* item = session.Document.Tree.FirstTopLevel(); item;
             item = item->NextInDisplayOrder())
            if (TextMatches(session, *item, folded, state))
                labels.push_back(ToUtf8(item->Label));
        return labels;
    }

    // The labels of the items that `result` shows, in tree order.
    Labels Shown(const TreeFilterResult& result) const
    {
        Labels labels;
        for (const BlockItem* item = session.Document.Tree.FirstTopLevel(); item;
             item = item->NextInDisplayOrder())
            if (result.Shows(item))
                labels.push_back(ToUtf8(item->Label));
        return labels;
    }

    const BlockItem* Find(std::u16string_view label) const
    {
        const BlockItem* item = session.Document.Tree.FirstTopLevel();
        while (item && item->Label != label)
            item = item->NextInDisplayOrder();
        return item;
    }

    EditorSession session;
};

TEST_F(TextFilterTest, AQueryFindsTheIndexAndEveryTextOfADefinitionIgnoringCaseButNotAccents)
{
    const std::pair<std::u16string_view, Labels> cases[] = {
        {u"open", {"OPEN"}},               // identifier, default text and description
        {u"\u00F6FF", {"OPEN"}},           // translation, folded beyond ASCII
        {u"SPEICH", {"SAVE"}},             // translation
        {u"leaves", {"QUIT"}},             // description only
        {u"caf", {"CLOSE"}},               // description
        {u"cafe", {}},                     // "e" is not "é"
        {u"CAF\u00C9", {"CLOSE"}},         // but "É" is
        {u"4", {"NEW", "QUIT"}},           // index digits, with or without a definition
        {u"new", {}},                      // the label of a text without a definition is no field
        {u" ", {"OPEN", "CLOSE", "QUIT"}}, // a blank is a character like any other
        {u"", {"OPEN", "SAVE", "CLOSE", "NEW", "QUIT"}},
    };
    for (const auto& [query, labels] : cases)
        EXPECT_EQ(Matching(query), labels) << ToUtf8(query);
    EXPECT_FALSE(TextMatches(session, *Find(u"Menu"), u"", StateFilter::All));
}

TEST_F(TextFilterTest, TheStateFilterKeepsTextsByTheirMarkAndTheirFaults)
{
    EXPECT_EQ(Matching(u"", StateFilter::Untranslated), (Labels{"CLOSE", "NEW"}));
    EXPECT_EQ(Matching(u"", StateFilter::Translated), (Labels{"OPEN", "SAVE", "QUIT"}));
    EXPECT_EQ(Matching(u"s", StateFilter::Untranslated), (Labels{"CLOSE"}));
    EXPECT_EQ(Matching(u"", StateFilter::WithProblems), Labels{}); // no device font yet
    ASSERT_TRUE(session.RenderFont(OpenFontArgument(kDejaVuSans)));
    EXPECT_EQ(Matching(u"", StateFilter::WithProblems), (Labels{"QUIT"}));
    EXPECT_EQ(Matching(u"", StateFilter::Translated), (Labels{"OPEN", "SAVE", "QUIT"}));
}

TEST_F(TextFilterTest, TheTreeKeepsEveryBlockAboveAShownTextAndTheTextBeingEdited)
{
    const DefinitionTable before = session.Document.Table;

    const TreeFilterResult close = FilterTree(session, {u"close", StateFilter::All});
    EXPECT_EQ(Shown(close), (Labels{"Menu", "Sub", "CLOSE"}));
    EXPECT_EQ(std::tuple(close.MatchingTexts(), close.TotalTexts()), std::tuple(1u, 5u));

    const TreeFilterResult saveAndQuit = FilterTree(session, {u"", StateFilter::Translated}, Find(u"OPEN"));
    EXPECT_EQ(Shown(saveAndQuit), (Labels{"Menu", "OPEN", "Sub", "Deeper", "SAVE", "Other", "QUIT"}));

    // The text being edited stays with its blocks, and counts only when it matches.
    const TreeFilterResult kept = FilterTree(session, {u"nothing like it", StateFilter::All}, Find(u"SAVE"));
    EXPECT_EQ(Shown(kept), (Labels{"Menu", "Sub", "Deeper", "SAVE"}));
    EXPECT_EQ(kept.MatchingTexts(), 0u);
    EXPECT_FALSE(kept.Shows(nullptr));

    // Nothing was added to the table for text 40.
    EXPECT_EQ(FilterTree(session, {u"40", StateFilter::Untranslated}).MatchingTexts(), 1u);
    EXPECT_EQ(session.Document.Table, before);
}

TEST_F(TextFilterTest, AnEmptyFilterShowsEverythingEvenEmptyBlocks)
{
    EXPECT_TRUE((TextFilter{u"", StateFilter::All}.IsEmpty()));
    EXPECT_FALSE((TextFilter{u" ", StateFilter::All}.IsEmpty()));
    EXPECT_FALSE((TextFilter{u"", StateFilter::Untranslated}.IsEmpty()));

    const TreeFilterResult all = FilterTree(session, {});
    EXPECT_TRUE(all.ShowsEverything());
    EXPECT_EQ(Shown(all),
              (Labels{"Menu", "OPEN", "Sub", "Deeper", "SAVE", "CLOSE", "Other", "NEW", "QUIT", "Empty"}));
    EXPECT_EQ(std::tuple(all.MatchingTexts(), all.TotalTexts()), std::tuple(5u, 5u));
}

} // namespace
} // namespace orv::test
