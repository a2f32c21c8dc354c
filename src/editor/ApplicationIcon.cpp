#include "editor/ApplicationIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace orv {

namespace {

constexpr const char* kIconResource = ":/orvane-text-editor.svg";
// Title bars and task bars ask for 16 to 64, high-density screens for up to four times that, and
// the About box shows 32. An exact pixmap keeps the icon's pixel font sharp where scaling would not.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

} // namespace

QIcon ApplicationIcon()
{
    // Rendered here rather than handed to QIcon as a file name: that would load through Qt's SVG
    // plugins at run time and quietly give empty pixmaps where they are missing, while a missing
    // Qt SVG library fails the build.
    QSvgRenderer renderer(QString::fromLatin1(kIconResource));
    if (!renderer.isValid())
        return QIcon();
    QIcon icon;
    for (int size : kIconSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace orv
