// The GUI tests run headless: the offscreen platform unless another one is asked for, and every Qt
// warning fails the test that caused it.

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace {

void FailOnQtWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    // The offscreen platform says so when a popup menu asks for what only a real screen has
    // (raising a window, grabbing the keyboard); that is the platform's limit, not a fault.
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support")))
        return;
    ADD_FAILURE() << "Qt reported: " << message.toStdString();
    if (type == QtFatalMsg)
        std::abort();
}

// Qt warns when it has no runtime directory of its own to use; this one is removed at the end.
std::filesystem::path ProvideRuntimeDirectory()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return {};
    std::string pattern = (std::filesystem::temp_directory_path() / "orv-runtime-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return {};
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(pattern));
    return pattern;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path runtimeDirectory = ProvideRuntimeDirectory();
    qInstallMessageHandler(FailOnQtWarnings);
    int result = 0;
    {
        QApplication application(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (!runtimeDirectory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(runtimeDirectory, ignored);
    }
    return result;
}
