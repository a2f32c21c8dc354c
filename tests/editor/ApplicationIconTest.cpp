#include "editor/ApplicationIcon.h"

#include <QImage>

#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(ApplicationIcon, ThePictureIsRenderedExactlyAtEverySizeItHolds)
{
    const QIcon icon = ApplicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    // Title bars, the About box and high-density task bars get a pixmap of their own, not a scaled one.
    for (int size : {16, 32, 256})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
    for (const QSize& size : sizes) {
        SCOPED_TRACE(size.width());
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), size);
        // The corners lie outside the device's rounded case; the middle is its dark screen.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size.width() / 2, size.height() * 7 / 16)), 255);
    }
}

} // namespace
} // namespace orv
