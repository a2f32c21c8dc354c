#pragma once

// A strict stand-in for the desktop in window tests. Every dialog the window opens must have been
// scripted with its answer, in order among the dialogs of its kind (file dialogs, font dialogs,
// message boxes); an unscripted or different dialog fails the test. Every message box is recorded,
// and so are the clipboard and the command lines.

#include <deque>
#include <functional>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include "editor/PlatformServices.h"

void PrintTo(const QString& text, std::ostream* out);

namespace orv::test {

class ScriptedPlatform final : public PlatformServices
{
public:
    // Fails the test if a scripted answer was never used.
    ~ScriptedPlatform() override;

    // The next dialog of each kind answers this (nothing: cancelled).
    void ExpectOpenDialog(std::optional<QString> path) { OpenAnswers.push_back(std::move(path)); }
    void ExpectSaveDialog(std::optional<QString> path) { SaveAnswers.push_back(std::move(path)); }
    void ExpectFontDialog(std::optional<QFont> font) { FontAnswers.push_back(std::move(font)); }
    // The next message box must show `message` (its caption, icon and buttons, and its text unless
    // that is empty: a text from the system) and is answered with `answer`.
    void ExpectMessage(Message message, MessageAnswer answer = MessageAnswer::Ok)
    {
        MessageAnswers.emplace_back(std::move(message), answer);
    }
    // The next dialog of any kind throws std::bad_alloc, as if memory ran out.
    void FailNextDialog() { ThrowNext = true; }
    void FailNextClipboard(ClipboardOutcome outcome) { ClipboardFailures.push_back(outcome); }
    // True when every scripted answer has been used.
    bool Done() const;

    std::vector<Message> Messages; // every message box shown
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
    template <typename Answer> Answer Take(std::deque<Answer>& answers, const char* dialog);

    std::deque<std::optional<QString>> OpenAnswers;
    std::deque<std::optional<QString>> SaveAnswers;
    std::deque<std::optional<QFont>> FontAnswers;
    std::deque<std::pair<Message, MessageAnswer>> MessageAnswers;
    std::deque<ClipboardOutcome> ClipboardFailures;
    bool ThrowNext = false;
};

} // namespace orv::test
