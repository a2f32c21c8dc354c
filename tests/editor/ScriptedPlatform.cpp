#include "ScriptedPlatform.h"

#include <new>

#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace orv::test {

namespace {

std::string Describe(const Message& message)
{
    return "\"" + message.Text.toStdString() + "\" (caption \"" + message.Caption.toStdString() +
           "\", icon " + std::to_string(int(message.Icon)) + ", buttons " +
           std::to_string(int(message.Buttons)) + ")";
}

} // namespace

ScriptedPlatform::~ScriptedPlatform()
{
    EXPECT_TRUE(Done()) << "a scripted dialog was never shown";
}

bool ScriptedPlatform::Done() const
{
    return OpenAnswers.empty() && SaveAnswers.empty() && FontAnswers.empty() && MessageAnswers.empty() &&
           ClipboardFailures.empty() && !ThrowNext;
}

template <typename Answer> Answer ScriptedPlatform::Take(std::deque<Answer>& answers, const char* dialog)
{
    if (std::exchange(ThrowNext, false))
        throw std::bad_alloc();
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted " << dialog;
        answers.emplace_back(); // cancelled, or a box with an empty expectation
    }
    Answer answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPlatform::ChooseFileToOpen(QWidget*, const FileDialogRequest&)
{
    return Take(OpenAnswers, "open-file dialog");
}

std::optional<QString> ScriptedPlatform::ChooseFileToSave(QWidget*, const FileDialogRequest&)
{
    return Take(SaveAnswers, "save-file dialog");
}

std::optional<QFont> ScriptedPlatform::ChooseFont(QWidget*)
{
    return Take(FontAnswers, "font dialog");
}

MessageAnswer ScriptedPlatform::ShowMessage(QWidget*, const Message& message)
{
    Messages.push_back(message);
    const std::string shown = "message box " + Describe(message);
    const auto [expected, answer] = Take(MessageAnswers, shown.c_str());
    EXPECT_TRUE((expected.Text.isEmpty() || message.Text == expected.Text) &&
                message.Caption == expected.Caption && message.Icon == expected.Icon &&
                message.Buttons == expected.Buttons)
        << "shown:    " << Describe(message) << "\nexpected: " << Describe(expected);
    return answer;
}

ClipboardOutcome ScriptedPlatform::SetClipboardText(const QString& text)
{
    if (!ClipboardFailures.empty()) {
        const ClipboardOutcome outcome = ClipboardFailures.front();
        ClipboardFailures.pop_front();
        return outcome;
    }
    Clipboard = text;
    return {};
}

int ScriptedPlatform::RunCommand(const QString& commandLine)
{
    Commands.push_back(commandLine);
    return OnCommand ? OnCommand(commandLine) : 0;
}

} // namespace orv::test
