// The program: the application object runs the main window modally and ends with it.

#include <QApplication>

#include "editor/ApplicationIcon.h"
#include "editor/CKV_string_editorDlg.h"
#include "editor/QtPlatformServices.h"

namespace orv {

class CKV_string_editorApp
{
public:
    // Runs the editor until its window closes. Takes no arguments of its own; Qt reads its
    // standard ones (-platform and the like).
    int Run(int argc, char** argv)
    {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QString::fromLatin1(kProgramName));
        QApplication::setApplicationDisplayName(QStringLiteral("Orvane text definition editor"));
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
