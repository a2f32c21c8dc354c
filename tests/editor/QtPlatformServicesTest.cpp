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
    QFontDialog* dialog = nullptr;
    QTimer::singleShot(0, [&] {
        dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        EXPECT_TRUE(dialog->testOption(QFontDialog::ScalableFonts));
        EXPECT_TRUE(dialog->testOption(QFontDialog::DontUseNativeDialog));
        const auto boxes = dialog->findChildren<QCheckBox*>();
        EXPECT_FALSE(boxes.isEmpty());
        for (QCheckBox* box : boxes)
            EXPECT_FALSE(box->isVisibleTo(dialog)) << box->text().toStdString();
        dialog->reject();
    });
    EXPECT_FALSE(QtPlatformServices().ChooseFont(nullptr));
    EXPECT_TRUE(dialog);
}

} // namespace
} // namespace orv
