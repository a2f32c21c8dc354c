#include "editor/CBitmapRect.h"

#include <QPainter>
#include <QResizeEvent>

namespace orv {

namespace {

// The canvas holds 0x00RRGGBB; Qt's 32-bit RGB images want the top byte set.
constexpr std::uint32_t kOpaque = 0xFF000000u;

} // namespace

CBitmapRect::CBitmapRect(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted each time, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CBitmapRect::resizeEvent(QResizeEvent* event)
{
    // The canvas reaches one pixel past the client area in each direction, like the client
    // rectangle's inclusive corners; the window has a fixed size, so this happens once.
    CanvasPixels.Resize(event->size().width() + 1, event->size().height() + 1);
    Bitmap = QImage(CanvasPixels.Width(), CanvasPixels.Height(), QImage::Format_RGB32);
    QWidget::resizeEvent(event);
}

void CBitmapRect::paintEvent(QPaintEvent*)
{
    if (Bitmap.isNull())
        return;
    const auto pixels = CanvasPixels.Pixels();
    for (int row = 0; row < CanvasPixels.Height(); ++row) {
        auto* line = reinterpret_cast<std::uint32_t*>(Bitmap.scanLine(row));
        const std::uint32_t* source = pixels.data() + static_cast<std::size_t>(row) * CanvasPixels.Width();
        for (int column = 0; column < CanvasPixels.Width(); ++column)
            line[column] = source[column] | kOpaque;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, Bitmap);
}

} // namespace orv
