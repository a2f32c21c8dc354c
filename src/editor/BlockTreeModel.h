#pragma once

// The BlockTree as a Qt item model. It stores nothing of its own: an index's internal pointer is
// the BlockItem it shows, and every answer is read from the tree. It listens to the session that
// changes the tree: a load or merge resets the model, and a move is a row move of the same item, so
// that views keep its expansion and the scroll position of everything else.

#include <QAbstractItemModel>

#include "session/EditorSession.h"
#include "store/BlockTree.h"

namespace orv {

class BlockTreeModel final : public QAbstractItemModel, public TreeListener
{
public:
    // Beyond the label: for a block, "translated / total" of the texts below it (a QString).
    static constexpr int ProgressRole = Qt::UserRole + 1;

    explicit BlockTreeModel(BlockTree& tree, QObject* parent = nullptr);

    // The session whose table says which texts are translated: blocks then answer ProgressRole and
    // texts show their state as their decoration. None: labels only.
    void SetProgressSource(const EditorSession* session) { Session = session; }

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

    void TreeAboutToBeReplaced() override { beginResetModel(); }
    void TreeReplaced() override { endResetModel(); }
    void ItemAboutToMove(const BlockItem& item, const BlockItem* parent, std::size_t row) override;
    void ItemMoved() override { endMoveRows(); }

private:
    BlockTree& Tree;
    const EditorSession* Session = nullptr;
};

} // namespace orv
