#pragma once

// Something an operation has to tell the user besides its result: a warning about what it wrote, an
// error it met on the way, a piece of information. Operations return their notices in the order they
// are to be shown; the core decides every text, and a caller only presents them.

#include <string>
#include <utility>

namespace orv {

enum class Severity
{
    Information,
    Warning,
    Error,
};

// The symbol of the message box a notice is shown in. It usually follows the severity, but not
// always: a refused command is an error shown with the exclamation mark.
enum class NoticeIcon
{
    Error,   // the stop sign
    Warning, // the exclamation mark
    Information,
};

struct Notice
{
    Severity Level = Severity::Warning;
    std::string Text;    // the exact message, lines separated by "\r\n"
    std::string Caption; // the title of its box: "ERROR", "WARNING", ...
    NoticeIcon Icon = NoticeIcon::Warning;
    std::string Details; // the system's account of a failure (file and reason), or empty

    bool operator==(const Notice&) const = default;

    static constexpr const char* kErrorCaption = "ERROR";
    static constexpr const char* kWarningCaption = "WARNING";
};

// An error in an "ERROR" box with the given icon and details.
inline Notice ErrorNotice(std::string text, NoticeIcon icon = NoticeIcon::Warning, std::string details = {})
{
    return Notice{Severity::Error, std::move(text), Notice::kErrorCaption, icon, std::move(details)};
}

// A warning in a "WARNING" box with the exclamation mark.
inline Notice WarningNotice(std::string text)
{
    return Notice{Severity::Warning, std::move(text), Notice::kWarningCaption, NoticeIcon::Warning, {}};
}

// Information in a box with the given caption.
inline Notice InformationNotice(std::string text, std::string caption)
{
    return Notice{Severity::Information, std::move(text), std::move(caption), NoticeIcon::Information, {}};
}

} // namespace orv
