#pragma once

// The BlockTree as a Qt item model. It stores nothing of its own: an index's internal pointer is
// the BlockItem it shows, and every answer is read from the tree. Loads and merges replace the
// whole tree between BeginReset and EndReset; moves go through MoveItem, which tells the views row
// by row, so that they keep the expansion and scroll position of everything else.

#include <QAbstractItemModel>

#include "store/BlockTree.h"
#include "store/TreeMoves.h"

namespace orv {

class BlockTreeModel final : public QAbstractItemModel
{
public:
    explicit BlockTreeModel(BlockTree& tree, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The index of `item`, or the invalid index for nullptr.
    QModelIndex IndexOf(const BlockItem* item) const;
    // The item an index of this model shows, or nullptr for the invalid index.
    static BlockItem* ItemAt(const QModelIndex& index);

    // Brackets a change of the tree that views must forget everything about.
    void BeginReset() { beginResetModel(); }
    void EndReset() { endResetModel(); }

    // Moves `item` with its subtree one step as `kind` says (see store/TreeMoves.h): the new item
    // with its copied subtree is announced as one inserted row, the old item as one removed row.
    // Returns the new item, or nullptr when the move is not possible (nothing changes). When memory
    // runs out it throws std::bad_alloc with the tree as it was and the views told so.
    BlockItem* MoveItem(BlockItem& item, MoveKind kind);

private:
    BlockTree& Tree;
};

} // namespace orv
