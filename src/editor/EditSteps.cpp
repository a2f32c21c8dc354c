#include "editor/EditSteps.h"

#include <utility>

namespace orv {

namespace {

QString TranslationStepName(const TranslationState& before, const TranslationState& after)
{
    if (before.Translation != after.Translation)
        return QStringLiteral("Edit translation");
    return after.Translated ? QStringLiteral("Mark translated") : QStringLiteral("Unmark translated");
}

} // namespace

TranslationStep::TranslationStep(StepView& view, const BlockItem& item, TranslationState before,
                                 TranslationState after)
    : QUndoCommand(TranslationStepName(before, after)), View(view), Item(item), Before(std::move(before)),
      After(std::move(after))
{}

void TranslationStep::redo()
{
    if (std::exchange(Done, false))
        return;
    Apply(After);
}

void TranslationStep::Apply(const TranslationState& state)
{
    View.StepSession().SetTranslation(Item.TextIndex(), state);
    View.ShowChangedItem(Item);
}

ImportStep::ImportStep(StepView& view, std::vector<TranslationChange> changes)
    : QUndoCommand(QStringLiteral("Import translations")), View(view), Changes(std::move(changes))
{}

void ImportStep::undo()
{
    for (auto change = Changes.rbegin(); change != Changes.rend(); ++change)
        View.StepSession().SetTranslation(change->Index, change->Before);
    View.ShowChangedTranslations();
}

void ImportStep::redo()
{
    if (std::exchange(Done, false))
        return;
    for (const TranslationChange& change : Changes)
        View.StepSession().SetTranslation(change.Index, change.After);
    View.ShowChangedTranslations();
}

MoveStep::MoveStep(StepView& view, BlockItem& item, MoveKind kind, TreePlace from)
    : QUndoCommand(QStringLiteral("Move")), View(view), Item(item), Kind(kind), From(from)
{}

void MoveStep::undo()
{
    View.StepSession().MoveBack(Item, From);
    View.ShowChangedItem(Item);
}

void MoveStep::redo()
{
    if (std::exchange(Done, false))
        return;
    View.StepSession().Move(Item, Kind);
    View.ShowChangedItem(Item);
}

MergeStep::MergeStep(StepView& view, DocumentContent replaced)
    : QUndoCommand(QStringLiteral("Merge")), View(view), Other(std::move(replaced))
{}

void MergeStep::redo()
{
    if (std::exchange(Done, false))
        return;
    Swap();
}

void MergeStep::Swap()
{
    View.StepSession().SwapContent(Other);
    View.ShowReplacedContent();
}

} // namespace orv
