#include "editor/QtPlatformServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>

namespace orv {

namespace {

std::optional<QString> RunFileDialog(QWidget* owner, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilter(request.Filter);
    dialog.setDefaultSuffix(request.DefaultSuffix);
    // The editor's files are replaced knowingly: picking an existing one is the confirmation.
    if (mode == QFileDialog::AcceptSave)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (!request.InitialName.isEmpty())
        dialog.selectFile(request.InitialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
}

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::optional<QString> QtPlatformServices::ChooseFileToOpen(QWidget* owner, const FileDialogRequest& request)
{
    return RunFileDialog(owner, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtPlatformServices::ChooseFileToSave(QWidget* owner, const FileDialogRequest& request)
{
    return RunFileDialog(owner, request, QFileDialog::AcceptSave);
}

std::optional<QFont> QtPlatformServices::ChooseFont(QWidget* owner)
{
    // Qt's own dialog rather than the desktop's: only it can be kept to scalable fonts.
    QFontDialog dialog(owner);
    dialog.setOptions(QFontDialog::ScalableFonts | QFontDialog::DontUseNativeDialog);
    // Underline and strike-out play no part in the device font; their group is the one that
    // holds the dialog's check boxes.
    for (QCheckBox* effect : dialog.findChildren<QCheckBox*>()) {
        if (auto* group = qobject_cast<QGroupBox*>(effect->parentWidget()))
            group->hide();
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}

MessageAnswer QtPlatformServices::ShowMessage(QWidget* owner, const Message& message)
{
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    MessageAnswer closed = MessageAnswer::Ok; // what closing the box without a button answers
    switch (message.Buttons) {
    case MessageButtons::Ok:
        break;
    case MessageButtons::YesNo:
        buttons = QMessageBox::Yes | QMessageBox::No;
        closed = MessageAnswer::No;
        break;
    case MessageButtons::YesNoCancel:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        closed = MessageAnswer::Cancel;
        break;
    }
    // Messages separate their lines with "\r\n", which a label would show with a stray mark.
    QString text = message.Text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(BoxIcon(message.Icon), message.Caption, text, buttons, owner);
    if (!message.Details.isEmpty())
        box.setDetailedText(message.Details);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    default:
        return closed;
    }
}

Result<void> QtPlatformServices::SetClipboardText(const QString& text)
{
    QClipboard* clipboard = QApplication::clipboard();
    if (!clipboard)
        return Fail(ErrorCode::WriteFailed, "Cannot open the Clipboard");
    clipboard->setText(text, QClipboard::Clipboard);
    return {};
}

int QtPlatformServices::RunCommand(const QString& commandLine)
{
    return QProcess::execute(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), commandLine});
}

namespace {

// The settings key of a file's maximum width: one group, with the path escaped so that its slashes
// make no groups of their own.
QString MaxWidthKey(const QString& path)
{
    const QFileInfo file(path);
    const QString canonical = file.canonicalFilePath();
    const QString name = canonical.isEmpty() ? file.absoluteFilePath() : canonical;
    return QStringLiteral("MaxWidth/") + QString::fromLatin1(name.toUtf8().toPercentEncoding());
}

} // namespace

std::optional<int> QtPlatformServices::StoredMaxWidth(const QString& path)
{
    bool valid = false;
    const int width = QSettings().value(MaxWidthKey(path)).toInt(&valid);
    if (!valid || width <= 0)
        return std::nullopt;
    return width;
}

void QtPlatformServices::StoreMaxWidth(const QString& path, std::optional<int> maxWidth)
{
    QSettings settings;
    if (maxWidth)
        settings.setValue(MaxWidthKey(path), *maxWidth);
    else
        settings.remove(MaxWidthKey(path));
}

} // namespace orv
