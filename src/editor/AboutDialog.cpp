#include "editor/AboutDialog.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "editor/DialogUnits.h"
#include "editor/TextBox.h"

namespace orv {

namespace {

constexpr int kIconSize = 32;
constexpr std::u16string_view kNotice =
    u"The author takes no responsibility of the text content created with this Application.\r\n\r\n"
    u"There may be incorrectly displayed characters on the device if the User had not checked for the "
    u"proper appearance of the text in the preview window.\r\n\r\n"
    u"For more information on the usage of this Application read the Orvane Text Definition manual.";

} // namespace

AboutDialog::AboutDialog(const QIcon& icon, const QString& version,
                         const QList<QPair<QString, QString>>& shortcuts, QWidget* parent)
    : QDialog(parent)
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
    const DialogUnits units = DialogUnits::FromFont(font());
    setFixedSize(units.Size(211, 152));

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("iconLabel"));
    picture->setPixmap(icon.pixmap(kIconSize, kIconSize));
    picture->setGeometry(units.X(14), units.Y(14), kIconSize, kIconSize);

    auto* versionLabel =
        new QLabel(QStringLiteral("Orvane Text Definition Editor, Version %1").arg(version), this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    versionLabel->setGeometry(units.Rect(42, 14, 162, 8));

    auto* notice = new TextBox(this);
    notice->setObjectName(QStringLiteral("noticeBox"));
    notice->setReadOnly(true);
    notice->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    notice->setLineWrapMode(QTextEdit::WidgetWidth);
    notice->setStoredText(std::u16string(kNotice));
    notice->setGeometry(units.Rect(7, 50, 197, 79));

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    okButton->setGeometry(units.Rect(154, 131, 50, 14));
    connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
    okButton->setFocus();

    if (shortcuts.isEmpty())
        return;
    // The keys below the box's own content, which keeps its place; the box grows to hold them.
    QString rows;
    for (const auto& [keys, action] : shortcuts)
        rows += QStringLiteral("<tr><td>%1</td><td>&nbsp;&nbsp;%2</td></tr>")
                    .arg(keys.toHtmlEscaped(), action.toHtmlEscaped());
    auto* keyList = new QLabel(QStringLiteral("<b>Keys</b><table>%1</table>").arg(rows), this);
    keyList->setObjectName(QStringLiteral("shortcutsLabel"));
    keyList->setTextFormat(Qt::RichText);
    const QRect place = units.Rect(7, 152, 197, 0);
    keyList->setGeometry(place.x(), place.y(), place.width(), keyList->heightForWidth(place.width()));
    setFixedSize(width(), keyList->geometry().bottom() + units.Y(7));
}

} // namespace orv
