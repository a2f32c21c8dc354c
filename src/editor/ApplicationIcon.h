#pragma once

// The application icon. Its one source is the SVG installed for the desktop; the program draws it
// itself, since the picture is made of rectangles only and Qt's SVG support is a separate module.

#include <QByteArray>
#include <QIcon>
#include <QImage>

namespace orv {

// The icon drawn from the program's own SVG, in the sizes desktops ask for.
QIcon ApplicationIcon();

// Draws an SVG made of <rect> elements (x, y, width, height, rx, fill as #rrggbb, fill-opacity)
// into a transparent `size` x `size` image, scaled from its viewBox. Other elements are skipped;
// a null image when the SVG cannot be parsed.
QImage DrawRectangleSvg(const QByteArray& svg, int size);

} // namespace orv
