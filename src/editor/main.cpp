// The program: the application object runs the main window modally and ends with it.

#include <QApplication>
#include <cstdio>

#include "editor/ApplicationIcon.h"
#include "editor/CKV_string_editorDlg.h"
#include "editor/DisplayCheck.h"
#include "editor/QtPlatformServices.h"

namespace orv {

class CKV_string_editorApp
{
public:
    // Runs the editor until its window closes. Takes no arguments of its own; Qt reads its
    // standard ones (-platform and the like). Returns 1 at once when there is no display to show
    // the window on.
    int Run(int argc, char** argv)
    {
        if (IsDisplayMissing(argc, argv, DisplayEnvironment::OfProcess())) {
            std::fprintf(stderr, "%s: no display found (DISPLAY and WAYLAND_DISPLAY are not set)\n",
                         kProgramName);
            return 1;
        }
        QApplication application(argc, argv);
        QApplication::setApplicationName(QString::fromLatin1(kProgramName));
        // No display name: on X11 and Wayland, Qt would append it to every window title.
        QGuiApplication::setDesktopFileName(QString::fromLatin1(kProgramName));
        QApplication::setWindowIcon(ApplicationIcon());

        QtPlatformServices services;
        CKV_string_editorDlg window(services);
        window.exec();
        return 0;
    }
};

} // namespace orv

int main(int argc, char** argv)
{
    orv::CKV_string_editorApp application;
    return application.Run(argc, argv);
}
