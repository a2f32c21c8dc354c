#pragma once

// A strict stand-in for the desktop in window tests. Every dialog the window opens must have been
// scripted with its answer, in order among the dialogs of its kind (file dialogs, font dialogs,
// message boxes); an unscripted or different dialog fails the test. Every message box is
// recorded, and so are the clipboard and the command lines.

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "editor/PlatformServices.h"

void PrintTo(const QString& text, std::ostream* out);

namespace orv {

void PrintTo(const Message& message, std::ostream* out);

namespace test {

class ScriptedPlatform final : public PlatformServices
{
public:
    // Fails the test if a scripted step was not used.
    ~ScriptedPlatform() override;

    // The next open-file dialog answers `path` (nothing: cancelled).
    void ExpectOpenDialog(std::optional<QString> path);
    void ExpectSaveDialog(std::optional<QString> path);
    void ExpectFontDialog(std::optional<QFont> font);
    // The next font dialog fails as if memory ran out (it throws std::bad_alloc).
    void ExpectFailingFontDialog();
    // The next message box must show `message` (text, caption, icon and buttons) and is answered
    // with `answer`.
    void ExpectMessage(Message message, MessageAnswer answer = MessageAnswer::Ok);
    // As ExpectMessage, for a message whose text comes from the system (an error's reason): any
    // text is accepted; it is in Messages for further checks.
    void ExpectMessageWithAnyText(Message message, MessageAnswer answer = MessageAnswer::Ok);
    // The next clipboard request fails with `outcome`.
    void FailNextClipboard(ClipboardOutcome outcome);
    // True when every scripted step has been used.
    bool Done() const;

    std::vector<Message> Messages;              // every message box shown
    std::vector<FileDialogRequest> FileDialogs; // every file dialog asked for
    QString Clipboard;
    std::vector<QString> Commands;
    // Called for each command line after it is recorded; gives the exit status (0 when unset).
    std::function<int(const QString&)> OnCommand;

    std::optional<QString> ChooseFileToOpen(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QString> ChooseFileToSave(QWidget* owner, const FileDialogRequest& request) override;
    std::optional<QFont> ChooseFont(QWidget* owner) override;
    MessageAnswer ShowMessage(QWidget* owner, const Message& message) override;
    ClipboardOutcome SetClipboardText(const QString& text) override;
    int RunCommand(const QString& commandLine) override;

private:
    enum class Kind
    {
        OpenDialog,
        SaveDialog,
        FontDialog,
        MessageBox,
        Clipboard,
    };
    struct Step
    {
        Kind What;
        std::optional<QString> Path;
        std::optional<QFont> Font;
        Message Expected;
        MessageAnswer Answer = MessageAnswer::Ok;
        ClipboardOutcome ClipboardResult;
        bool AnyText = false;
        bool Throws = false;
    };
    // The next step if it is of kind `what`; otherwise fails the test with `description`.
    std::optional<Step> Take(Kind what, const std::string& description);

    std::map<Kind, std::deque<Step>> Script;
};

} // namespace test
} // namespace orv
