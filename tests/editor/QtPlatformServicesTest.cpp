// The desktop's own dialogs, as the window gets them.

#include "editor/QtPlatformServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace orv {
namespace {

// The font picker: Qt's own dialog, scalable fonts only, without the effects group.
TEST(QtPlatformServices, TheFontPickerOffersScalableFontsWithoutEffects)
{
    QtPlatformServices services;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seen = true;
        EXPECT_TRUE(dialog->testOption(QFontDialog::ScalableFonts));
        EXPECT_TRUE(dialog->testOption(QFontDialog::DontUseNativeDialog));
        const auto boxes = dialog->findChildren<QCheckBox*>();
        EXPECT_FALSE(boxes.isEmpty());
        for (QCheckBox* box : boxes)
            EXPECT_FALSE(box->isVisibleTo(dialog)) << box->text().toStdString();
        dialog->reject();
    });
    EXPECT_FALSE(services.ChooseFont(nullptr));
    EXPECT_TRUE(seen);
}

} // namespace
} // namespace orv
