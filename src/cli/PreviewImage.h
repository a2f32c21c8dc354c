#pragma once

// The picture of `strdef preview`: one text laid out as the window's preview control draws it.

#include <string_view>

#include "cli/PngWriter.h"
#include "font/GlyphTable.h"

namespace orv {

// The client area of the window's preview control in pixels. The control is 113 x 65 dialog units at
// (344, 135); the dialog font is Arial 10 pt, which fontconfig gives as Liberation Sans, 13 pixels at
// 96 dpi. Its 52 letters A-Z, a-z are 394 pixels wide, so a horizontal unit is a quarter of
// (394 / 26 + 1) / 2 = 8 pixels, and its height is 15 pixels, so a vertical unit is an eighth of 15.
// The control's corners, rounded separately as the window places them, give
// 914 - 688 = 226 by 375 - 253 = 122 pixels; the window under Qt measures the same.
inline constexpr int kPreviewControlWidth = 226;
inline constexpr int kPreviewControlHeight = 122;

// The preview's zoom levels: normal, and with "zoomed" set.
inline constexpr int kNormalPreviewZoom = 1;
inline constexpr int kZoomedPreviewZoom = 3;

// The largest side of a preview image that `strdef preview` draws.
inline constexpr int kMaxPreviewSide = 4096;

// `text` drawn with `font` and centred in a `width` x `height` picture as grey levels on black, each
// glyph pixel a `zoom` x `zoom` square; a text wider than the picture loses both ends. The sides must
// lie within 1..kMaxPreviewSide.
PngImage DrawPreviewImage(const RenderedFont& font, std::u16string_view text, int zoom, int width,
                          int height);

} // namespace orv
