#include "editor/BlockTreeView.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleFactory>
#include <QStyledItemDelegate>

#include "editor/BlockTreeModel.h"

namespace orv {

namespace {

// Draws a block's "translated / total" in a quieter colour just after its label; the label itself
// stays as the model gives it.
class ProgressDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QString progress = index.data(BlockTreeModel::ProgressRole).toString();
        if (progress.isEmpty())
            return;
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget* view = option.widget;
        const QStyle* style = view ? view->style() : QApplication::style();
        const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
        const QFontMetrics metrics(item.font);
        QRect place = text;
        place.setLeft(text.left() + metrics.horizontalAdvance(item.text) + metrics.averageCharWidth() * 2);
        painter->save();
        painter->setFont(item.font);
        painter->setPen(item.state & QStyle::State_Selected ? item.palette.color(QPalette::HighlightedText)
                                                            : item.palette.color(QPalette::PlaceholderText));
        painter->drawText(place, Qt::AlignLeft | Qt::AlignVCenter, progress);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QString progress = index.data(BlockTreeModel::ProgressRole).toString();
        if (!progress.isEmpty())
            size.rwidth() += QFontMetrics(option.font).horizontalAdvance(progress) +
                             QFontMetrics(option.font).averageCharWidth() * 2;
        return size;
    }
};

} // namespace

BlockTreeView::BlockTreeView(QWidget* parent) : QTreeView(parent)
{
    setItemDelegate(new ProgressDelegate(this));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // No menu of its own, and none of the window's either.
    setContextMenuPolicy(Qt::PreventContextMenu);
    // Qt's "Windows" style draws the dotted lines between items and the boxed expand buttons that
    // the default style leaves out.
    if (QStyle* lines = QStyleFactory::create(QStringLiteral("Windows"))) {
        lines->setParent(this);
        setStyle(lines);
    }
}

void BlockTreeView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mousePressEvent(event);
}

void BlockTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mouseReleaseEvent(event);
}

void BlockTreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
}

} // namespace orv
