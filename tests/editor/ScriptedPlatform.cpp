#include "ScriptedPlatform.h"

#include <new>

#include <gtest/gtest.h>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace orv {

namespace {

const char* IconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return "no icon";
    case MessageIcon::Information:
        return "information";
    case MessageIcon::Warning:
        return "warning";
    case MessageIcon::Error:
        return "error";
    case MessageIcon::Question:
        return "question";
    }
    return "?";
}

const char* ButtonsName(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return "OK";
    case MessageButtons::YesNo:
        return "Yes/No";
    case MessageButtons::YesNoCancel:
        return "Yes/No/Cancel";
    }
    return "?";
}

std::string Describe(const Message& message)
{
    return "\"" + message.Text.toStdString() + "\" (caption \"" + message.Caption.toStdString() + "\", " +
           IconName(message.Icon) + ", " + ButtonsName(message.Buttons) + ")";
}

// What a box answers when it is closed without a button.
MessageAnswer ClosedAnswer(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return MessageAnswer::Ok;
    case MessageButtons::YesNo:
        return MessageAnswer::No;
    case MessageButtons::YesNoCancel:
        return MessageAnswer::Cancel;
    }
    return MessageAnswer::Ok;
}

} // namespace

void PrintTo(const Message& message, std::ostream* out)
{
    *out << Describe(message);
}

namespace test {

ScriptedPlatform::~ScriptedPlatform()
{
    for (const auto& [kind, steps] : Script) {
        for (const Step& step : steps) {
            ADD_FAILURE() << "a scripted dialog was never shown"
                          << (kind == Kind::MessageBox ? ": " + Describe(step.Expected) : std::string());
        }
    }
}

bool ScriptedPlatform::Done() const
{
    for (const auto& [kind, steps] : Script) {
        if (!steps.empty())
            return false;
    }
    return true;
}

void ScriptedPlatform::ExpectOpenDialog(std::optional<QString> path)
{
    Script[Kind::OpenDialog].push_back(
        {Kind::OpenDialog, std::move(path), {}, {}, MessageAnswer::Ok, {}, false});
}

void ScriptedPlatform::ExpectSaveDialog(std::optional<QString> path)
{
    Script[Kind::SaveDialog].push_back(
        {Kind::SaveDialog, std::move(path), {}, {}, MessageAnswer::Ok, {}, false});
}

void ScriptedPlatform::ExpectFontDialog(std::optional<QFont> font)
{
    Script[Kind::FontDialog].push_back(
        {Kind::FontDialog, {}, std::move(font), {}, MessageAnswer::Ok, {}, false});
}

void ScriptedPlatform::ExpectFailingFontDialog()
{
    Script[Kind::FontDialog].push_back(
        {Kind::FontDialog, {}, std::nullopt, {}, MessageAnswer::Ok, {}, false, /*Throws=*/true});
}

void ScriptedPlatform::ExpectMessage(Message message, MessageAnswer answer)
{
    Script[Kind::MessageBox].push_back({Kind::MessageBox, {}, {}, std::move(message), answer, {}, false});
}

void ScriptedPlatform::ExpectMessageWithAnyText(Message message, MessageAnswer answer)
{
    Script[Kind::MessageBox].push_back({Kind::MessageBox, {}, {}, std::move(message), answer, {}, true});
}

void ScriptedPlatform::FailNextClipboard(ClipboardOutcome outcome)
{
    Script[Kind::Clipboard].push_back({Kind::Clipboard, {}, {}, {}, MessageAnswer::Ok, outcome, false});
}

std::optional<ScriptedPlatform::Step> ScriptedPlatform::Take(Kind what, const std::string& description)
{
    std::deque<Step>& steps = Script[what];
    if (steps.empty()) {
        ADD_FAILURE() << "unscripted " << description;
        return std::nullopt;
    }
    Step step = std::move(steps.front());
    steps.pop_front();
    return step;
}

std::optional<QString> ScriptedPlatform::ChooseFileToOpen(QWidget*, const FileDialogRequest& request)
{
    FileDialogs.push_back(request);
    const auto step = Take(Kind::OpenDialog, "open-file dialog");
    return step ? step->Path : std::nullopt;
}

std::optional<QString> ScriptedPlatform::ChooseFileToSave(QWidget*, const FileDialogRequest& request)
{
    FileDialogs.push_back(request);
    const auto step = Take(Kind::SaveDialog, "save-file dialog");
    return step ? step->Path : std::nullopt;
}

std::optional<QFont> ScriptedPlatform::ChooseFont(QWidget*)
{
    const auto step = Take(Kind::FontDialog, "font dialog");
    if (step && step->Throws)
        throw std::bad_alloc();
    return step ? step->Font : std::nullopt;
}

MessageAnswer ScriptedPlatform::ShowMessage(QWidget*, const Message& message)
{
    Messages.push_back(message);
    const auto step = Take(Kind::MessageBox, "message box " + Describe(message));
    if (!step)
        return ClosedAnswer(message.Buttons);
    const Message& expected = step->Expected;
    EXPECT_TRUE((step->AnyText || message.Text == expected.Text) && message.Caption == expected.Caption &&
                message.Icon == expected.Icon && message.Buttons == expected.Buttons)
        << "shown:    " << Describe(message) << "\nexpected: " << Describe(expected);
    return step->Answer;
}

ClipboardOutcome ScriptedPlatform::SetClipboardText(const QString& text)
{
    std::deque<Step>& failures = Script[Kind::Clipboard];
    if (!failures.empty()) {
        const ClipboardOutcome outcome = failures.front().ClipboardResult;
        failures.pop_front();
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

} // namespace test
} // namespace orv
