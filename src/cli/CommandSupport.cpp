#include "cli/CommandSupport.h"

#include <charconv>

#include "output/Notice.h"

namespace orv {

namespace {

// One line for the terminal: control characters (a newline in a file name, say) would split it.
std::string OneLine(std::string_view text)
{
    std::string line;
    line.reserve(text.size());
    for (const char character : text)
        line += static_cast<unsigned char>(character) < 0x20 ? '?' : character;
    return line;
}

} // namespace

int ReportError(std::ostream& err, std::string_view message, int status)
{
    err << "strdef: " << OneLine(message) << '\n';
    return status;
}

void ReportWarning(std::ostream& err, std::string_view message)
{
    err << "strdef: warning: " << OneLine(message) << '\n';
}

int ReportUsage(std::ostream& err, std::string_view subcommand, const std::string& message)
{
    return ReportError(err, message + " (see 'strdef " + std::string(subcommand) + " --help')", kExitUsage);
}

std::optional<int> ParseDecimal(std::string_view text, int maximum)
{
    int value = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value > maximum)
        return std::nullopt;
    return value;
}

std::string NoticeLine(const Notice& notice)
{
    // Message boxes break their text into paragraphs with "\r\n\r\n"; a line joins them.
    std::string line;
    bool breakPending = false;
    for (const char character : notice.Text) {
        if (character == '\r' || character == '\n') {
            breakPending = true;
            continue;
        }
        if (breakPending && !line.empty())
            line += ' ';
        breakPending = false;
        line += character;
    }
    if (!notice.Details.empty())
        line += " (" + notice.Details + ")";
    return line;
}

} // namespace orv
