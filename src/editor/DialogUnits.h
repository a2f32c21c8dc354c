#pragma once

// Places of controls in dialog units, converted to pixels from the dialog's font, so that the layout
// grows with the font instead of clipping captions: a horizontal unit is a quarter of the font's
// average width of the 52 letters A-Z and a-z, a vertical unit an eighth of the font's height.

#include <QFont>
#include <QRect>
#include <QSize>

namespace orv {

class DialogUnits
{
public:
    // The units of `font`.
    static DialogUnits FromFont(const QFont& font);

    int BaseWidth() const { return AverageWidth; }
    int BaseHeight() const { return FontHeight; }

    // The pixel rectangle of the dialog-unit rectangle x, y, width, height; its corners are
    // converted separately, so neighbouring places stay neighbours.
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;
    int X(int units) const;
    int Y(int units) const;

private:
    int AverageWidth = 1;
    int FontHeight = 1;
};

} // namespace orv
