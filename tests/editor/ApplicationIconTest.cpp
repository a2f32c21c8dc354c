#include "editor/ApplicationIcon.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(ApplicationIcon, RectanglesAreDrawnScaledFromTheViewBox)
{
    const QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 8 8">
        <rect x="0" y="0" width="4" height="8" fill="#ff0000"/>
        <circle cx="6" cy="6" r="2" fill="#00ff00"/>
        <rect x="4" y="4" width="4" height="4" fill="#0000ff" fill-opacity="0.5"/>
    </svg>)";
    const QImage image = DrawRectangleSvg(svg, 16);
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(image.pixel(3, 8), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(image.pixel(12, 3)), 0); // nothing there; the circle is not drawn
    EXPECT_EQ(qAlpha(image.pixel(12, 12)), 128);
}

TEST(ApplicationIcon, MalformedPicturesGiveNoImage)
{
    EXPECT_TRUE(DrawRectangleSvg("<svg viewBox=\"0 0 8 8\"><rect", 16).isNull());
    EXPECT_TRUE(DrawRectangleSvg("<svg viewBox=\"0 0 0 8\"/>", 16).isNull());
    EXPECT_TRUE(DrawRectangleSvg("not svg", 16).isNull());
}

TEST(ApplicationIcon, TheInstalledPictureMakesTheIcon)
{
    const QIcon icon = ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage small = icon.pixmap(16).toImage();
    EXPECT_EQ(small.size(), QSize(16, 16));
    // The middle of the icon is the device's dark screen, the corners are transparent.
    EXPECT_EQ(qAlpha(small.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(small.pixel(8, 7)), 255);
}

} // namespace
} // namespace orv
