#pragma once

// What the window asks of the desktop: file dialogs, the font picker, message boxes, the clipboard
// and running a command line. The window owns no dialog code of its own; the Qt implementation
// shows the real dialogs, and tests put in a scripted one that answers and records.

#include <QFont>
#include <QString>
#include <optional>
#include <utility>

#include "base/Result.h"

class QWidget;

namespace orv {

enum class MessageIcon
{
    None,
    Information,
    Warning,
    Error,
    Question,
};

enum class MessageButtons
{
    Ok,
    YesNo,
    YesNoCancel,
};

enum class MessageAnswer
{
    Ok,
    Yes,
    No,
    Cancel,
};

struct Message
{
    Message() = default;
    Message(QString text, QString caption, MessageIcon icon = MessageIcon::None,
            MessageButtons buttons = MessageButtons::Ok, QString details = QString())
        : Text(std::move(text)), Caption(std::move(caption)), Icon(icon), Buttons(buttons),
          Details(std::move(details))
    {}

    QString Text;
    QString Caption;
    MessageIcon Icon = MessageIcon::None;
    MessageButtons Buttons = MessageButtons::Ok;
    QString Details; // more about the failure, shown on request; empty for none

    bool operator==(const Message&) const = default;
};

struct FileDialogRequest
{
    QString Filter;        // one entry, as "String definition files (*.strdef)"
    QString DefaultSuffix; // added to a typed name without one, as "strdef"
    QString InitialName;   // file name proposed by a save dialog
};

class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    // The full path of an existing file that the user chose, or nothing when cancelled.
    virtual std::optional<QString> ChooseFileToOpen(QWidget* owner, const FileDialogRequest& request) = 0;
    // The full path of a file to write (existing or not), or nothing when cancelled.
    virtual std::optional<QString> ChooseFileToSave(QWidget* owner, const FileDialogRequest& request) = 0;
    // A scalable font that the user chose, or nothing when cancelled.
    virtual std::optional<QFont> ChooseFont(QWidget* owner) = 0;
    // Shows `message` modally and returns the button pressed (Ok for a box with only OK). A box
    // closed without a button answers No, or Cancel where it offers Cancel.
    virtual MessageAnswer ShowMessage(QWidget* owner, const Message& message) = 0;
    // Puts `text` on the clipboard as Unicode text. A failure's message is the one to show the user,
    // e.g. "Cannot open the Clipboard".
    virtual Result<void> SetClipboardText(const QString& text) = 0;
    // Runs `commandLine` through the system's command interpreter and returns its exit status, or
    // -1 when it could not be started.
    virtual int RunCommand(const QString& commandLine) = 0;

    // The widest text in device pixels that the user allowed for the definition file `path`, as
    // last stored; nothing when none was. A platform without settings remembers nothing.
    virtual std::optional<int> StoredMaxWidth(const QString& path)
    {
        (void)path;
        return std::nullopt;
    }
    // Remembers `maxWidth` (nothing: no maximum) for the file `path` from now on.
    virtual void StoreMaxWidth(const QString& path, std::optional<int> maxWidth)
    {
        (void)path;
        (void)maxWidth;
    }
};

} // namespace orv
