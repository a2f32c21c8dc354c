#include "editor/BlockTreeModel.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

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

namespace {

// A small disc of `colour`, filled or only its ring.
QIcon Disc(const QColor& colour, bool filled)
{
    QPixmap pixmap(12, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(filled ? QPen(Qt::NoPen) : QPen(colour, 1.5));
    painter.setBrush(filled ? QBrush(colour) : QBrush(Qt::NoBrush));
    painter.drawEllipse(filled ? QRectF(1.5, 1.5, 9, 9) : QRectF(2, 2, 8, 8));
    return QIcon(pixmap);
}

// A text's state as a small disc: a grey ring while untranslated, green once translated, red when
// the translation has a problem on the device.
QIcon StateIcon(TextState state)
{
    static const QIcon icons[3] = {Disc(QColor(0x80, 0x80, 0x80), false),
                                   Disc(QColor(0x2E, 0x9E, 0x4F), true),
                                   Disc(QColor(0xD0, 0x30, 0x30), true)};
    return icons[static_cast<int>(state)];
}

} // namespace

QVariant BlockTreeModel::data(const QModelIndex& index, int role) const
{
    const BlockItem* item = ItemAt(index);
    if (!item)
        return QVariant();
    if (role == Qt::DisplayRole)
        return QString::fromUtf16(item->Label.data(), static_cast<qsizetype>(item->Label.size()));
    if (!Session)
        return QVariant();
    if (role == ProgressRole && item->IsBlock()) {
        const TextProgress progress = Session->ProgressBelow(*item);
        return QStringLiteral("%1 / %2").arg(progress.Translated).arg(progress.Total);
    }
    if (role == Qt::DecorationRole && !item->IsBlock())
        return StateIcon(Session->StateOf(*item));
    return QVariant();
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
