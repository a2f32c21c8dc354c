#pragma once

// The preview control: shows a canvas of 32-bit pixels (font/PreviewCanvas.h) of its own size plus
// one pixel each way, painting the whole canvas in one image copy.

#include <QImage>
#include <QWidget>

#include "font/PreviewCanvas.h"

namespace orv {

class PreviewWidget final : public QWidget
{
    Q_OBJECT

public:
    explicit PreviewWidget(QWidget* parent = nullptr);

    PreviewCanvas& canvas() { return m_canvas; }
    const PreviewCanvas& canvas() const { return m_canvas; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    PreviewCanvas m_canvas;
    QImage m_bitmap; // the canvas as Qt paints it, made once per size
};

} // namespace orv
