#include "font/PreviewCanvas.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace orv {

namespace {

// Every glyph pixel byte is a grey level; the preview shows it with red, green and blue all equal.
constexpr std::uint32_t GreyColour(std::uint8_t value)
{
    return std::uint32_t{value} * 0x010101u;
}

} // namespace

void PreviewCanvas::Resize(int width, int height)
{
    CanvasWidth = std::max(width, 0);
    CanvasHeight = std::max(height, 0);
    CanvasPixels.assign(std::size_t(CanvasWidth) * std::size_t(CanvasHeight), 0);
}

std::uint32_t PreviewCanvas::Pixel(int x, int y) const
{
    assert(x >= 0 && x < CanvasWidth && y >= 0 && y < CanvasHeight);
    return CanvasPixels[std::size_t(y) * std::size_t(CanvasWidth) + std::size_t(x)];
}

void PreviewCanvas::Clear()
{
    std::fill(CanvasPixels.begin(), CanvasPixels.end(), 0u);
}

void PreviewCanvas::PutPixel(int x, int y, std::uint32_t colour, int size)
{
    if (size <= 0)
        return;
    // Clip the square once instead of testing each pixel; 64-bit ends so that squares near the
    // integer limits cannot overflow.
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>(static_cast<long long>(x) + size, CanvasWidth);
    const long long bottom = std::min<long long>(static_cast<long long>(y) + size, CanvasHeight);
    for (long long row = top; row < bottom; ++row) {
        std::uint32_t* line = CanvasPixels.data() + row * CanvasWidth;
        std::fill(line + left, line + std::max(left, right), colour);
    }
}

int MeasureText(const RenderedFont& font, std::u16string_view text, int zoom)
{
    // Accumulated as an unsigned 32-bit number, as the device's own layout does.
    std::uint32_t width = 0;
    for (char16_t unit : text)
        width += std::uint32_t{FindGlyph(font, unit).Advance} * static_cast<std::uint32_t>(zoom);
    return static_cast<int>(width);
}

void DrawPreviewText(PreviewCanvas& canvas, const RenderedFont& font, int x, int y, std::u16string_view text,
                     int zoom)
{
    for (char16_t unit : text) {
        const Glyph glyph = FindGlyph(font, unit);
        const long long left = static_cast<long long>(x) + static_cast<long long>(zoom) * glyph.XOffset;
        const long long right = left + static_cast<long long>(zoom) * glyph.Width;
        // A glyph wholly outside the canvas still moves the pen but needs no pixel work; long
        // texts are mostly outside.
        if (right > 0 && left < canvas.Width()) {
            std::size_t next = 0;
            for (int row = glyph.YOffset; row < glyph.YOffset + glyph.Height; ++row) {
                for (int column = glyph.XOffset; column < glyph.XOffset + glyph.Width; ++column) {
                    const std::uint8_t value = glyph.Pixels[next++];
                    if (value != 0)
                        canvas.PutPixel(x + zoom * column, y + zoom * row, GreyColour(value), zoom);
                }
            }
        }
        x += glyph.Advance * zoom;
    }
}

void LayoutPreviewText(PreviewCanvas& canvas, const RenderedFont& font, std::u16string_view text, int zoom,
                       int clientWidth, int clientHeight)
{
    canvas.Clear();
    const int width = MeasureText(font, text, zoom);
    // Note: C++ division truncates toward zero like the device's, so a text wider than the area
    // starts at a negative x and is cut off equally at both ends.
    const int x = clientWidth / 2 - width / 2;
    const int y = clientHeight / 2 - (kLineHeight / 2) * zoom;
    DrawPreviewText(canvas, font, x, y, text, zoom);
}

} // namespace orv
