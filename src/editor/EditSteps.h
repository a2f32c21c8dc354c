#pragma once

// The changes of the table as steps of the window's undo stack: a committed translation edit or
// mark, a move, a merge. A step is pushed once its change is made, so its first redo does nothing;
// every later undo and redo goes through the session and then shows the text it changed.

#include <QUndoCommand>

#include "session/EditorSession.h"
#include "session/TranslationExchange.h"

namespace orv {

// What the steps need of the window.
class StepView
{
public:
    virtual EditorSession& StepSession() = 0;
    // Shows `item` selected, with its definition as the table now holds it.
    virtual void ShowChangedItem(const BlockItem& item) = 0;
    // The tree and the table were swapped for others: the views start again with nothing selected.
    virtual void ShowReplacedContent() = 0;
    // Translations anywhere in the table changed: the shown text and the tree follow.
    virtual void ShowChangedTranslations() = 0;

protected:
    ~StepView() = default;
};

// The translation and mark of one text, from `before` to `after`.
class TranslationStep final : public QUndoCommand
{
public:
    TranslationStep(StepView& view, const BlockItem& item, TranslationState before, TranslationState after);
    void undo() override { Apply(Before); }
    void redo() override;

private:
    void Apply(const TranslationState& state);

    StepView& View;
    const BlockItem& Item;
    TranslationState Before;
    TranslationState After;
    bool Done = true;
};

// The translations an import changed, all in one step.
class ImportStep final : public QUndoCommand
{
public:
    ImportStep(StepView& view, std::vector<TranslationChange> changes);
    void undo() override;
    void redo() override;

private:
    StepView& View;
    std::vector<TranslationChange> Changes;
    bool Done = true;
};

// `item` moved one step as `kind` says, from `from`.
class MoveStep final : public QUndoCommand
{
public:
    MoveStep(StepView& view, BlockItem& item, MoveKind kind, TreePlace from);
    void undo() override;
    void redo() override;

private:
    StepView& View;
    BlockItem& Item;
    MoveKind Kind;
    TreePlace From;
    bool Done = true;
};

// A merge: `replaced` is the tree and table it replaced; undoing swaps them back in.
class MergeStep final : public QUndoCommand
{
public:
    MergeStep(StepView& view, DocumentContent replaced);
    void undo() override { Swap(); }
    void redo() override;

private:
    void Swap();

    StepView& View;
    DocumentContent Other;
    bool Done = true;
};

} // namespace orv
