#include "cli/CommandSupport.h"

#include <charconv>

#include <CLI/CLI.hpp>

#include "base/FileIo.h"
#include "output/OutputMessages.h"
#include "store/DefinitionSaving.h"

namespace orv {

void CommandRun::On(CLI::App* command, Action action)
{
    // CLI11 calls a subcommand's final callback once the whole command line has passed its checks.
    command->callback([this, action = std::move(action)] { Status = action(Out, Err); });
}

int ReportError(std::ostream& err, std::string_view message, int status)
{
    err << "strdef: " << Printable(message) << '\n';
    return status;
}

void ReportWarning(std::ostream& err, std::string_view message)
{
    err << "strdef: warning: " << Printable(message) << '\n';
}

int ReportUsage(std::ostream& err, std::string_view subcommand, const std::string& message)
{
    return ReportError(err, message + " (see 'strdef " + std::string(subcommand) + " --help')", kExitUsage);
}

std::string Printable(std::string_view text)
{
    std::string line;
    line.reserve(text.size());
    for (const char character : text)
        line += static_cast<unsigned char>(character) < 0x20 ? '?' : character;
    return line;
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

Result<EditorSession> OpenCompleteDefinitionFile(const std::filesystem::path& file)
{
    EditorSession session;
    const auto opened = session.Open(file);
    if (!opened)
        return tl::unexpected(opened.Value.error());
    // A partly read file would give outputs without the texts that were lost, and saves that lose them.
    if (opened.Value->Status != ReadResult::ReadOk)
        return Fail(ErrorCode::BadInput,
                    DescribeIncompleteRead(file, opened.Value->Status, opened.Value->Reason));
    return session;
}

std::string DescribeIncompleteRead(const std::filesystem::path& path, ReadResult result,
                                   const std::string& reason)
{
    std::string description;
    switch (result) {
    case ReadResult::ReadOk:
        description = "read completely";
        break;
    case ReadResult::ReadBadMagic:
        description = "not a definition file (wrong magic)";
        break;
    case ReadResult::ReadBadFormatWord:
        description = "unsupported format word (not 0)";
        break;
    case ReadResult::ReadBadTreeMarker:
        description = "unknown marker in the tree section";
        break;
    case ReadResult::ReadFailed:
        description = "incomplete: " + reason;
        break;
    }
    return path.string() + ": " + description + " (result " + std::to_string(static_cast<int>(result)) + ")";
}

// Saves as closing the editor does and says what happened.
int ReportSave(EditorSession& session, const std::string& path, std::ostream& out, std::ostream& err)
{
    const auto saved = session.Save();
    if (!saved)
        return ReportError(err, saved.Value.error().Message);
    switch (*saved.Value) {
    case SaveStatus::Unchanged:
        out << "unchanged\n";
        return kExitSuccess;
    case SaveStatus::Replaced:
        out << "saved (previous version kept as " << BackupPath(FollowLinks(path).value_or(path), 1).string()
            << ")\n";
        return kExitSuccess;
    case SaveStatus::Disabled:
        break;
    }
    return ReportError(err, path + ": saving is disabled for this file");
}

} // namespace orv
