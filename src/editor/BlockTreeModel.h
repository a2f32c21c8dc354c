#pragma once

// The BlockTree as a Qt item model. It stores nothing of its own: an index's internal pointer is
// the BlockItem it shows, and every answer is read from the tree. Whoever changes the tree wraps
// the change in BeginReset and EndReset (loads replace everything at once).

#include <QAbstractItemModel>

#include "store/BlockTree.h"

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

private:
    BlockTree& Tree;
};

} // namespace orv
