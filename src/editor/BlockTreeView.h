#pragma once

// The tree view of the window: lines and expand buttons, no label editing, no dragging, and a
// right-click that does nothing at all (it neither selects nor opens a menu).

#include <QTreeView>

namespace orv {

class BlockTreeView final : public QTreeView
{
    Q_OBJECT

public:
    explicit BlockTreeView(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

} // namespace orv
