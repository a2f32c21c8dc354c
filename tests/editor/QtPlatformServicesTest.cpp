// The desktop's own dialogs, as the window gets them.

#include "editor/QtPlatformServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QSettings>
#include <QTimer>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

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

// A file's maximum width is kept in the settings under the file itself, whatever name reaches it.
TEST(QtPlatformServices, RemembersAMaximumWidthPerFile)
{
    test::TemporaryDirectory directory;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((directory / "settings").string()));
    std::filesystem::create_directory(directory / "real");
    std::filesystem::create_directory_symlink(directory / "real", directory / "link");
    test::WriteBytes(directory / "real" / "a b%.strdef", {});
    const auto path = [&](const char* name) { return QString::fromStdString((directory / name).string()); };

    QtPlatformServices services;
    EXPECT_FALSE(services.StoredMaxWidth(path("real/a b%.strdef")));
    services.StoreMaxWidth(path("real/a b%.strdef"), 200);
    EXPECT_EQ(services.StoredMaxWidth(path("link/a b%.strdef")), 200);
    EXPECT_FALSE(services.StoredMaxWidth(path("real/other.strdef")));
    services.StoreMaxWidth(path("link/a b%.strdef"), std::nullopt);
    EXPECT_FALSE(services.StoredMaxWidth(path("real/a b%.strdef")));
}

} // namespace
} // namespace orv
