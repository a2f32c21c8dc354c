#include "cli/PreviewImage.h"

#include <cassert>
#include <cstddef>

#include "font/PreviewCanvas.h"

namespace orv {

PngImage DrawPreviewImage(const RenderedFont& font, std::u16string_view text, int zoom, int width, int height)
{
    assert(width >= 1 && width <= kMaxPreviewSide && height >= 1 && height <= kMaxPreviewSide);
    // The window's canvas reaches one pixel past its client area, which is never shown; the picture is
    // what the control shows.
    PreviewCanvas canvas;
    canvas.Resize(width, height);
    LayoutPreviewText(canvas, font, text, zoom, width, height);

    PngImage image = PngImage::Black(width, height, PngColour::Grey);
    const auto pixels = canvas.Pixels();
    // Every colour on the canvas is a grey with red, green and blue equal; blue carries it.
    for (std::size_t i = 0; i < pixels.size(); ++i)
        image.Pixels[i] = static_cast<std::uint8_t>(pixels[i] & 0xFF);
    return image;
}

} // namespace orv
