#include "session/TextFilter.h"

#include <bit>
#include <cstdint>
#include <iterator>
#include <new>

#include "base/CaseFold.h"

namespace orv {

namespace {

std::size_t SlotOf(const BlockItem* item, unsigned shift)
{
    // Fibonacci hashing: the top bits of the address times 2^64 divided by the golden ratio.
    return static_cast<std::size_t>((reinterpret_cast<std::uintptr_t>(item) * 0x9E3779B97F4A7C15ull) >>
                                    shift);
}

bool IndexContains(std::uint16_t index, const FoldedSearch& query)
{
    char16_t digits[5];
    std::size_t first = std::size(digits);
    do {
        digits[--first] = static_cast<char16_t>(u'0' + index % 10);
        index = static_cast<std::uint16_t>(index / 10);
    } while (index != 0);
    return query.FoundIn(std::u16string_view(digits + first, std::size(digits) - first));
}

bool StateKept(const EditorSession& session, const BlockItem& text, bool translated, StateFilter state)
{
    switch (state) {
    case StateFilter::All:
        return true;
    case StateFilter::Untranslated:
        return !translated;
    case StateFilter::Translated:
        return translated;
    case StateFilter::WithProblems:
        return translated && session.StateOf(text) == TextState::TranslatedWithProblem;
    }
    return false;
}

bool Matches(const EditorSession& session, const BlockItem& text, const FoldedSearch& query,
             StateFilter state)
{
    if (text.IsBlock())
        return false;
    const auto& definitions = session.Document.Table.Definitions;
    const auto found = definitions.find(text.TextIndex());
    const StringDefinition* definition = found != definitions.end() ? &found->second : nullptr;
    const bool queryFound =
        IndexContains(text.TextIndex(), query) ||
        (definition && (query.FoundIn(definition->Identifier) || query.FoundIn(definition->DefaultText) ||
                        query.FoundIn(definition->Translation) || query.FoundIn(definition->Description)));
    // The state last: finding a translation's faults means checking it against the device font.
    return queryFound && StateKept(session, text, definition && definition->Translated != 0, state);
}

} // namespace

bool TreeFilterResult::Shows(const BlockItem* item) const
{
    if (ShowAll)
        return true;
    if (!item)
        return false;
    if (Slots.empty())
        return HiddenSet;
    const std::size_t mask = Slots.size() - 1;
    for (std::size_t slot = SlotOf(item, SlotShift);; slot = (slot + 1) & mask) {
        if (Slots[slot] == item)
            return !HiddenSet;
        if (!Slots[slot])
            return HiddenSet;
    }
}

void TreeFilterResult::ReserveSet(std::size_t count)
{
    Slots.clear();
    if (count == 0)
        return;
    const std::size_t slots = std::bit_ceil(count * 2);
    SlotShift = static_cast<unsigned>(64 - std::countr_zero(slots));
    Slots.assign(slots, nullptr);
}

void TreeFilterResult::Insert(const BlockItem* item)
{
    const std::size_t mask = Slots.size() - 1;
    std::size_t slot = SlotOf(item, SlotShift);
    while (Slots[slot] && Slots[slot] != item)
        slot = (slot + 1) & mask;
    Slots[slot] = item;
}

bool TextMatches(const EditorSession& session, const BlockItem& text, std::u16string_view foldedQuery,
                 StateFilter state)
{
    return Matches(session, text, FoldedSearch(foldedQuery), state);
}

TreeFilterResult FilterTree(const EditorSession& session, const TextFilter& filter, const BlockItem* keep)
{
    const BlockTree& tree = session.Document.Tree;
    TreeFilterResult result;
    if (!filter.IsEmpty()) {
        try {
            const std::u16string folded = FoldCase(filter.Query);
            const FoldedSearch query(folded);
            struct Holder
            {
                const BlockItem* Item;
                std::size_t Position; // in display order
                bool Shown;
            };
            std::vector<Holder> holders; // the items that hold the current one, outermost first
            std::vector<bool> shownAt;   // by position in display order
            std::size_t shownCount = 0;
            for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder()) {
                const BlockItem* parent = item->Parent();
                while (!holders.empty() && holders.back().Item != parent)
                    holders.pop_back();
                bool show = item == keep;
                if (!item->IsBlock()) {
                    ++result.Total;
                    if (Matches(session, *item, query, filter.State)) {
                        ++result.Matching;
                        show = true;
                    }
                }
                if (show) {
                    ++shownCount;
                    // Those further out were marked with the first shown item below them.
                    for (auto holder = holders.rbegin(); holder != holders.rend() && !holder->Shown;
                         ++holder) {
                        holder->Shown = true;
                        shownAt[holder->Position] = true;
                        ++shownCount;
                    }
                }
                holders.push_back(Holder{item, shownAt.size(), show});
                shownAt.push_back(show);
            }
            // The set holds whichever of the shown and the hidden items are fewer.
            result.HiddenSet = shownCount > shownAt.size() - shownCount;
            result.ReserveSet(result.HiddenSet ? shownAt.size() - shownCount : shownCount);
            if (!result.Slots.empty()) {
                std::size_t position = 0;
                for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder())
                    if (shownAt[position++] != result.HiddenSet)
                        result.Insert(item);
            }
            result.ShowAll = false;
            return result;
        } catch (const std::bad_alloc&) {
            result = TreeFilterResult();
        }
    }
    // An empty filter, or no memory left to filter with: every item shown, every text matching.
    for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder())
        result.Total += item->IsBlock() ? 0 : 1;
    result.Matching = result.Total;
    return result;
}

} // namespace orv
