#include "editor/BlockTreeModel.h"

#include <new>

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

BlockItem* BlockTreeModel::MoveItem(BlockItem& item, MoveKind kind)
{
    const std::optional<MoveTarget> target = FindMoveTarget(Tree, item, kind);
    if (!target)
        return nullptr;
    const int row = static_cast<int>(target->Row);
    beginInsertRows(IndexOf(target->Parent), row, row);
    BlockItem* moved = nullptr;
    try {
        moved = &Tree.Insert(target->Parent, target->Row, u"", 0);
        // The copy is complete before views hear of the row, so they find its whole subtree.
        CopySubtree(Tree, *moved, item);
    } catch (const std::bad_alloc&) {
        if (moved) {
            // The partial copy is a real row by now: announce it, then take it away again.
            endInsertRows();
            const int partialRow = static_cast<int>(moved->Row());
            beginRemoveRows(IndexOf(moved->Parent()), partialRow, partialRow);
            Tree.Remove(*moved);
            endRemoveRows();
        } else {
            // Nothing was inserted after all; the views start afresh from the unchanged tree.
            beginResetModel();
            endResetModel();
        }
        throw;
    }
    endInsertRows();

    const int oldRow = static_cast<int>(item.Row());
    beginRemoveRows(IndexOf(item.Parent()), oldRow, oldRow);
    Tree.Remove(item);
    endRemoveRows();
    return moved;
}

BlockItem* BlockTreeModel::ItemAt(const QModelIndex& index)
{
    return index.isValid() ? static_cast<BlockItem*>(index.internalPointer()) : nullptr;
}

} // namespace orv
