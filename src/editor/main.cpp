// The program: the application object runs the main window modally and ends with it. Its one
// argument, a definition file, is opened as soon as the window shows; Qt reads its standard ones
// (-platform and the like) first.

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "editor/ApplicationIcon.h"
#include "editor/DisplayCheck.h"
#include "editor/MainWindow.h"
#include "editor/QtPlatformServices.h"

int main(int argc, char** argv)
{
    using namespace orv;
    // Returns 1 at once when there is no display to show the window on.
    if (IsDisplayMissing(argc, argv, DisplayEnvironment::OfProcess())) {
        std::fprintf(stderr, "%s: no display found (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                     kProgramName);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(kProgramName));
    QApplication::setOrganizationName(QStringLiteral("Orvane")); // where the settings are kept
    // No display name: on X11 and Wayland, Qt would append it to every window title.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kProgramName));
    QApplication::setWindowIcon(ApplicationIcon());

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 2 || (arguments.size() == 2 && arguments[1].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage: %s [FILE.strdef]\n", kProgramName);
        return 2;
    }

    QtPlatformServices services;
    MainWindow window(services);
    if (arguments.size() == 2)
        QTimer::singleShot(0, &window, [&window, path = arguments[1]] { window.openPath(path); });
    window.exec();
    return 0;
}
