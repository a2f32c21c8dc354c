#pragma once

// The preview control: shows a canvas of 32-bit pixels (font/PreviewCanvas.h) of its own size plus
// one pixel each way, painting the whole canvas in one image copy.

#include <QImage>
#include <QWidget>
#include <cstdint>

#include "font/PreviewCanvas.h"

namespace orv {

class CBitmapRect final : public QWidget
{
    Q_OBJECT

public:
    explicit CBitmapRect(QWidget* parent = nullptr);

    PreviewCanvas& Canvas() { return CanvasPixels; }
    const PreviewCanvas& Canvas() const { return CanvasPixels; }
    // Sets a `size` x `size` square of canvas pixels (see PreviewCanvas::PutPixel).
    void PutPixel(int x, int y, std::uint32_t colour, int size) { CanvasPixels.PutPixel(x, y, colour, size); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    PreviewCanvas CanvasPixels;
    QImage Bitmap; // the canvas as Qt paints it, made once per size
};

} // namespace orv
