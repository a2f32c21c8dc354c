#include "editor/CAboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "editor/CKV_string_editorDlg.h"
#include "editor/CTextBox.h"

namespace orv {

namespace {

constexpr int kIconSize = 32;
constexpr std::u16string_view kNotice =
    u"The author takes no responsibility of the text content created with this Application.\r\n\r\n"
    u"There may be incorrectly displayed characters on the device if the User had not checked for the "
    u"proper appearance of the text in the preview window.\r\n\r\n"
    u"For more information on the usage of this Application read the Orvane Text Definition manual.";

} // namespace

CAboutDlg::CAboutDlg(const QIcon& icon, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About the editor"));
    setWindowIcon(icon);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    // The box's own small dialog font; where the desktop has no font of that name, its
    // metric twin.
    QFont boxFont;
    boxFont.setFamilies({QStringLiteral("MS Shell Dlg"), QStringLiteral("Microsoft Sans Serif"),
                         QStringLiteral("Liberation Sans")});
    boxFont.setPointSize(8);
    setFont(boxFont);
    Units = DialogUnits::FromFont(font());
    setFixedSize(Units.Size(211, 152));

    auto* picture = new QLabel(this);
    picture->setPixmap(icon.pixmap(kIconSize, kIconSize));
    picture->setGeometry(Units.X(14), Units.Y(14), kIconSize, kIconSize);

    VersionLabel = new QLabel(QStringLiteral("Orvane Text Definition Editor, Version %1.%2")
                                  .arg(kEditorVersionMajor)
                                  .arg(kEditorVersionMinor),
                              this);
    VersionLabel->setGeometry(Units.Rect(42, 14, 162, 8));

    Notice = new CTextBox(this);
    Notice->setReadOnly(true);
    Notice->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Notice->setLineWrapMode(QTextEdit::WidgetWidth);
    Notice->SetText(std::u16string(kNotice));
    Notice->setGeometry(Units.Rect(7, 50, 197, 79));

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setDefault(true);
    OkButton->setGeometry(Units.Rect(154, 131, 50, 14));
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    OkButton->setFocus();
}

} // namespace orv
