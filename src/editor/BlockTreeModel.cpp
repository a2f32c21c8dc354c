#include "editor/BlockTreeModel.h"

namespace orv {

BlockTreeModel::BlockTreeModel(BlockTree& tree, QObject* parent) : QAbstractItemModel(parent), Tree(tree) {}

QModelIndex BlockTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column != 0 || parent.column() > 0)
        return QModelIndex();
    const BlockItem* parentItem = ItemAt(parent);
    if (static_cast<std::size_t>(row) >= Tree.ChildCount(parentItem))
        return QModelIndex();
    return createIndex(row, 0, Tree.Child(parentItem, static_cast<std::size_t>(row)));
}

QModelIndex BlockTreeModel::parent(const QModelIndex& child) const
{
    const BlockItem* item = ItemAt(child);
    return item ? IndexOf(item->Parent()) : QModelIndex();
}

int BlockTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(Tree.ChildCount(ItemAt(parent)));
}

int BlockTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant BlockTreeModel::data(const QModelIndex& index, int role) const
{
    const BlockItem* item = ItemAt(index);
    if (!item || role != Qt::DisplayRole)
        return QVariant();
    return QString::fromUtf16(item->Label.data(), static_cast<qsizetype>(item->Label.size()));
}

Qt::ItemFlags BlockTreeModel::flags(const QModelIndex& index) const
{
    // Selectable only: labels are not edited here and items are not dragged.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QModelIndex BlockTreeModel::IndexOf(const BlockItem* item) const
{
    if (!item)
        return QModelIndex();
    return createIndex(static_cast<int>(item->Row()), 0, const_cast<BlockItem*>(item));
}

void BlockTreeModel::ItemAboutToMove(const BlockItem& item, const BlockItem* parent, std::size_t row)
{
    const int oldRow = static_cast<int>(item.Row());
    beginMoveRows(IndexOf(item.Parent()), oldRow, oldRow, IndexOf(parent), static_cast<int>(row));
}

BlockItem* BlockTreeModel::ItemAt(const QModelIndex& index)
{
    return index.isValid() ? static_cast<BlockItem*>(index.internalPointer()) : nullptr;
}

} // namespace orv
