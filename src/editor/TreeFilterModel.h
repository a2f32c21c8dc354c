#pragma once

// The tree as the view shows it through the filter line and the state filter: a proxy over the
// BlockTreeModel that leaves out what the last TreeFilterResult does not show. The window reaches
// items only through IndexOf and ItemAt here, so that the mapping between the view and the tree
// lives in one place.

#include <QSortFilterProxyModel>

#include "editor/BlockTreeModel.h"
#include "session/TextFilter.h"

namespace orv {

class TreeFilterModel final : public QSortFilterProxyModel
{
public:
    explicit TreeFilterModel(BlockTreeModel& source, QObject* parent = nullptr);

    // Shows what `result` shows; an empty result (the default) shows everything. False when it
    // shows what was shown already, and the view was left alone.
    bool SetResult(TreeFilterResult result);
    const TreeFilterResult& Result() const { return Shown; }

    // The view's index of `item`, or the invalid index for nullptr or an item filtered out.
    QModelIndex IndexOf(const BlockItem* item) const;
    // The item a view's index shows, or nullptr for the invalid index.
    BlockItem* ItemAt(const QModelIndex& index) const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    BlockTreeModel& Source;
    TreeFilterResult Shown;
};

} // namespace orv
