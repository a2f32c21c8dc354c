#pragma once

// The preview of one text as the device draws it: a canvas of 32-bit pixels (0x00RRGGBB, rows top
// to bottom) and the layout that puts the glyphs of a RenderedFont on it, one line, scaled by a zoom.
// Callers only copy the canvas to a screen or a file; everything that decides which pixel gets which
// grey is here.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "font/GlyphTable.h"

namespace orv {

class PreviewCanvas
{
public:
    // Makes the canvas `width` x `height` pixels, all black; negative sizes count as 0.
    void Resize(int width, int height);
    int Width() const { return CanvasWidth; }
    int Height() const { return CanvasHeight; }
    std::span<const std::uint32_t> Pixels() const { return CanvasPixels; }
    // The pixel at column `x`, row `y`; both must lie inside the canvas.
    std::uint32_t Pixel(int x, int y) const;

    // Sets every pixel to black.
    void Clear();

    // Fills the `size` x `size` square whose top-left pixel is (x, y) with `colour`, skipping the
    // pixels outside the canvas one by one. Does nothing when `size` is 0 or negative.
    void PutPixel(int x, int y, std::uint32_t colour, int size);

private:
    int CanvasWidth = 0;
    int CanvasHeight = 0;
    std::vector<std::uint32_t> CanvasPixels;
};

// The pen movement of `text` in canvas pixels: the sum of every unit's advance times `zoom`.
int MeasureText(const RenderedFont& font, std::u16string_view text, int zoom);

// Draws `text` on one line with the pen starting at `x` and the line's top at `y`. Each glyph pixel
// becomes a `zoom` x `zoom` grey square; pixels of value 0 are not drawn, so they never cover ink of
// an earlier glyph. Units without a glyph take no room and draw nothing.
void DrawPreviewText(PreviewCanvas& canvas, const RenderedFont& font, int x, int y, std::u16string_view text,
                     int zoom);

// Clears the canvas and draws `text` centred in a client area of `clientWidth` x `clientHeight`;
// a text wider than the area loses both ends.
void LayoutPreviewText(PreviewCanvas& canvas, const RenderedFont& font, std::u16string_view text, int zoom,
                       int clientWidth, int clientHeight);

} // namespace orv
