#pragma once

// A strict stand-in for the desktop in window tests. Every dialog the window opens must have been
// scripted with its answer, in order among the dialogs of its kind; an unscripted or different
// dialog fails the test, and so does an answer left unused. Message boxes, the clipboard and the
// command lines are recorded.

#include <deque>
#include <map>
#include <new>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "editor/PlatformServices.h"

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace orv {

inline void PrintTo(const Message& message, std::ostream* out)
{
    *out << '"' << message.Text.toStdString() << "\" (caption \"" << message.Caption.toStdString()
         << "\", icon " << int(message.Icon) << ", buttons " << int(message.Buttons) << ")";
}

namespace test {

class ScriptedPlatform final : public PlatformServices
{
public:
    ~ScriptedPlatform() override
    {
        EXPECT_TRUE(Opens.empty() && Saves.empty() && Fonts.empty() && Expected.empty() &&
                    !ClipboardFailure && !ThrowOnNextDialog)
            << "a scripted dialog was never shown";
    }

    // The next message box must show `message` (its caption, icon and buttons, and its text unless
    // that is empty: a text from the system) and is answered with `answer`.
    void ExpectMessage(Message message, MessageAnswer answer = MessageAnswer::Ok)
    {
        Expected.emplace_back(std::move(message), answer);
    }

    // The answers of the next dialogs to open a file, to save one, to pick a font (nothing: cancelled).
    using FileAnswer = std::optional<QString>;
    std::deque<FileAnswer> Opens, Saves;
    std::deque<std::optional<QFont>> Fonts;
    bool ThrowOnNextDialog = false;        // the next dialog throws std::bad_alloc
    std::optional<Error> ClipboardFailure; // what the next use of the clipboard meets
    std::vector<Message> Messages;         // every message box shown
    QString Clipboard;
    std::vector<QString> Commands;

    FileAnswer ChooseFileToOpen(QWidget*, const FileDialogRequest&) override { return Take(Opens); }
    FileAnswer ChooseFileToSave(QWidget*, const FileDialogRequest&) override { return Take(Saves); }
    std::optional<QFont> ChooseFont(QWidget*) override { return Take(Fonts); }
    MessageAnswer ShowMessage(QWidget*, const Message& message) override
    {
        Messages.push_back(message);
        auto [expected, answer] = Take(Expected);
        if (expected.Text.isEmpty())
            expected.Text = message.Text;
        expected.Details = message.Details;
        EXPECT_EQ(message, expected);
        return answer;
    }
    Result<void> SetClipboardText(const QString& text) override
    {
        if (ClipboardFailure)
            return tl::unexpected(*std::exchange(ClipboardFailure, std::nullopt));
        Clipboard = text;
        return {};
    }
    int RunCommand(const QString& commandLine) override
    {
        Commands.push_back(commandLine);
        return 0;
    }
    std::optional<int> StoredMaxWidth(const QString& path) override
    {
        const auto found = MaxWidths.find(path);
        return found == MaxWidths.end() ? std::nullopt : std::optional<int>(found->second);
    }
    void StoreMaxWidth(const QString& path, std::optional<int> maxWidth) override
    {
        if (maxWidth)
            MaxWidths[path] = *maxWidth;
        else
            MaxWidths.erase(path);
    }
    std::map<QString, int> MaxWidths; // the maximum widths stored, by the path as given

private:
    template <typename Answer> Answer Take(std::deque<Answer>& answers)
    {
        if (std::exchange(ThrowOnNextDialog, false))
            throw std::bad_alloc();
        EXPECT_FALSE(answers.empty()) << "an unscripted dialog";
        Answer answer = answers.empty() ? Answer() : std::move(answers.front());
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }

    std::deque<std::pair<Message, MessageAnswer>> Expected;
};

} // namespace test
} // namespace orv
