#include "editor/TreeFilterModel.h"

#include <utility>

namespace orv {

TreeFilterModel::TreeFilterModel(BlockTreeModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), Source(source)
{
    setSourceModel(&source);
    // The decision for every row comes from the result, computed once per keystroke for the whole
    // tree; the proxy must not search the subtrees again.
    setRecursiveFilteringEnabled(false);
    setDynamicSortFilter(false);
}

bool TreeFilterModel::SetResult(TreeFilterResult result)
{
    // A keystroke that finds what the last one found leaves the view alone.
    if (result.ShowsSameAs(Shown))
        return false;
    Shown = std::move(result);
    invalidateRowsFilter();
    return true;
}

QModelIndex TreeFilterModel::IndexOf(const BlockItem* item) const
{
    return mapFromSource(Source.IndexOf(item));
}

BlockItem* TreeFilterModel::ItemAt(const QModelIndex& index) const
{
    return BlockTreeModel::ItemAt(mapToSource(index));
}

bool TreeFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    return Shown.Shows(BlockTreeModel::ItemAt(Source.index(sourceRow, 0, sourceParent)));
}

} // namespace orv
