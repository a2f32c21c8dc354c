#include "editor/PreviewWidget.h"

#include <QPainter>
#include <QResizeEvent>
#include <cstdint>

namespace orv {

namespace {

// The canvas holds 0x00RRGGBB; Qt's 32-bit RGB images want the top byte set.
constexpr std::uint32_t kOpaque = 0xFF000000u;

} // namespace

PreviewWidget::PreviewWidget(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted each time, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewWidget::resizeEvent(QResizeEvent* event)
{
    // The canvas reaches one pixel past the client area in each direction, like the client
    // rectangle's inclusive corners; the window has a fixed size, so this happens once.
    m_canvas.Resize(event->size().width() + 1, event->size().height() + 1);
    m_bitmap = QImage(m_canvas.Width(), m_canvas.Height(), QImage::Format_RGB32);
    QWidget::resizeEvent(event);
}

void PreviewWidget::paintEvent(QPaintEvent*)
{
    if (m_bitmap.isNull())
        return;
    const auto pixels = m_canvas.Pixels();
    for (int row = 0; row < m_canvas.Height(); ++row) {
        auto* line = reinterpret_cast<std::uint32_t*>(m_bitmap.scanLine(row));
        const std::uint32_t* source = pixels.data() + static_cast<std::size_t>(row) * m_canvas.Width();
        for (int column = 0; column < m_canvas.Width(); ++column)
            line[column] = source[column] | kOpaque;
    }
    QPainter painter(this);
    painter.drawImage(0, 0, m_bitmap);
}

} // namespace orv
