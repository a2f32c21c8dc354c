// The GUI tests run headless: the offscreen platform unless another one is asked for, and every Qt
// warning fails the test that caused it.

#include <QApplication>
#include <optional>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace {

void FailOnQtWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    // The offscreen platform says so when a popup menu asks for what only a real screen has
    // (raising a window, grabbing the keyboard); that is the platform's limit, not a fault.
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    ADD_FAILURE() << "Qt reported: " << message.toStdString(); // a fatal one ends the run after this
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt warns when it has no runtime directory of its own to use; this one goes at the end.
    std::optional<orv::test::TemporaryDirectory> runtimeDirectory;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        runtimeDirectory.emplace();
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtimeDirectory->Path().string()));
    }
    qInstallMessageHandler(FailOnQtWarnings);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
