#pragma once

// The filter line over the block tree: which texts match what the user typed and the state chosen,
// and which items the tree then shows. Case is ignored as CaseFold.h folds it; accents count, so "e"
// does not find "é" while "É" does.
//
//   const TreeFilterResult shown = FilterTree(session, {u"open", StateFilter::Untranslated}, edited);
//   for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder())
//       row->setHidden(!shown.Shows(item));

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "session/EditorSession.h"

namespace orv {

// Which texts a filter keeps by their state (see EditorSession::StateOf).
enum class StateFilter
{
    All,
    Untranslated, // not marked translated, or without a definition
    WithProblems, // marked translated, with a fault the device would show
    Translated,   // marked translated, with or without a fault
};

struct TextFilter
{
    std::u16string Query; // as typed; blanks are matched like any other character
    StateFilter State = StateFilter::All;

    // No query and every state: the filter keeps everything.
    bool IsEmpty() const { return Query.empty() && State == StateFilter::All; }
};

// Which items of one tree a filter leaves shown, as FilterTree found them.
class TreeFilterResult
{
public:
    // Every item is shown; no texts counted.
    TreeFilterResult() = default;

    // Whether `item`, an item of the tree filtered, stays shown. True for every item when the filter
    // was empty; false for nullptr otherwise.
    bool Shows(const BlockItem* item) const;
    // Whether the filter was empty, so that every item is shown.
    bool ShowsEverything() const { return ShowAll; }
    // Whether both results of one tree show the same items.
    bool ShowsSameAs(const TreeFilterResult& other) const
    {
        return ShowAll == other.ShowAll && HiddenSet == other.HiddenSet && Slots == other.Slots;
    }
    // The texts that match the filter; the kept text counts only when it matches.
    std::size_t MatchingTexts() const { return Matching; }
    // The texts of the tree at every depth.
    std::size_t TotalTexts() const { return Total; }

private:
    friend TreeFilterResult FilterTree(const EditorSession&, const TextFilter&, const BlockItem*);

    void ReserveSet(std::size_t count);
    void Insert(const BlockItem* item);

    bool ShowAll = true;
    std::size_t Matching = 0;
    std::size_t Total = 0;
    // The shown items, or the hidden ones when they are fewer, as an open-addressing hash set: a
    // power-of-two count of slots, at most half of them used, nullptr for an empty slot.
    bool HiddenSet = false;
    std::vector<const BlockItem*> Slots;
    unsigned SlotShift = 0; // 64 minus the base-2 logarithm of the slot count
};

// Filters the document's tree of `session` in one pass: it shows every text that matches `filter`,
// every item that holds a shown item at any depth below it, and `keep` (the text being edited, or
// nullptr) with the items that hold it. Nothing is added to the table. Should memory run out, the
// result is that of an empty filter.
TreeFilterResult FilterTree(const EditorSession& session, const TextFilter& filter,
                            const BlockItem* keep = nullptr);

// Whether the text `text` matches: `foldedQuery` (folded with FoldCase) occurs in its index as
// decimal digits or, folded, in its identifier, default text, translation or description, and its
// state is one that `state` keeps. A text without a definition matches by its index alone and counts
// as untranslated. A block matches nothing.
bool TextMatches(const EditorSession& session, const BlockItem& text, std::u16string_view foldedQuery,
                 StateFilter state);

} // namespace orv
