#include "editor/DialogUnits.h"

#include <QFontMetrics>
#include <algorithm>

namespace orv {

namespace {

constexpr int kHorizontalUnitsPerBase = 4;
constexpr int kVerticalUnitsPerBase = 8;

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

DialogUnits DialogUnits::FromFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogUnits units;
    // Note: the average of 52 letters, rounded to the nearest pixel: (sum / 26 + 1) / 2.
    units.AverageWidth = std::max(1, (letters / 26 + 1) / 2);
    units.FontHeight = std::max(1, metrics.height());
    return units;
}

int DialogUnits::X(int units) const
{
    return MulDiv(units, AverageWidth, kHorizontalUnitsPerBase);
}

int DialogUnits::Y(int units) const
{
    return MulDiv(units, FontHeight, kVerticalUnitsPerBase);
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const
{
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::Size(int width, int height) const
{
    return QSize(X(width), Y(height));
}

} // namespace orv
