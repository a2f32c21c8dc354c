#pragma once

// The subcommands of `strdef` and what they share: the exit statuses, the one-line reports on stderr,
// the strict reading of numeric arguments, and loading a definition file completely or saying why not.
//
// Each subcommand is one function that adds it and its own options to the parser and, once the
// parser has chosen it, runs it:
//
//   void AddDumpCommand(CLI::App& app, CommandRun& run)
//   {
//       auto file = std::make_shared<std::string>();
//       CLI::App* command = app.add_subcommand("dump", "Print a .strdef file as JSON");
//       command->add_option("FILE", *file, "The .strdef file to read")->required();
//       run.On(command, [file](std::ostream& out, std::ostream& err) { ... return kExitSuccess; });
//   }

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "session/EditorSession.h"
#include "store/DefinitionFile.h"

namespace CLI {
class App;
}

namespace orv {

struct Notice;

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// The streams a subcommand prints to and the exit status it leaves.
struct CommandRun
{
    using Action = std::function<int(std::ostream& out, std::ostream& err)>;

    std::ostream& Out;
    std::ostream& Err;
    int Status = kExitSuccess;

    // Runs `action` when the parser has chosen `command`, after every argument was checked.
    void On(CLI::App* command, Action action);
};

// DefinitionCommands.cpp
void AddDumpCommand(CLI::App& app, CommandRun& run);
void AddBuildCommand(CLI::App& app, CommandRun& run);
void AddResaveCommand(CLI::App& app, CommandRun& run);
void AddMergeCommand(CLI::App& app, CommandRun& run);
// FontCommands.cpp
void AddPreviewCommand(CLI::App& app, CommandRun& run);
void AddGlyphsCommand(CLI::App& app, CommandRun& run);
// ExchangeCommands.cpp
void AddPoCommand(CLI::App& app, CommandRun& run);
void AddXliffCommand(CLI::App& app, CommandRun& run);
// OutputCommands.cpp
void AddGenerateCommand(CLI::App& app, CommandRun& run);
void AddExportCommand(CLI::App& app, CommandRun& run);
void AddInspectCommand(CLI::App& app, CommandRun& run);
void AddCheckCommand(CLI::App& app, CommandRun& run);

// Prints "strdef: MESSAGE" as one line, control characters replaced by '?', and returns `status`.
int ReportError(std::ostream& err, std::string_view message, int status = kExitFailure);

// Prints "strdef: warning: MESSAGE" as one line, as ReportError does.
void ReportWarning(std::ostream& err, std::string_view message);

// A usage error of `subcommand` with a pointer to its help; returns kExitUsage.
int ReportUsage(std::ostream& err, std::string_view subcommand, const std::string& message);

// `text` without control characters, which would break a line apart or move the terminal's cursor.
std::string Printable(std::string_view text);

// A decimal number from 0 to `maximum` written with digits only; nothing for anything else.
std::optional<int> ParseDecimal(std::string_view text, int maximum);

// A message box of the core as one line: its paragraphs joined by a blank, the details (the system's
// account of a failure) in parentheses after them.
std::string NoticeLine(const Notice& notice);

// A session with `file` opened as the editor opens it. Fails with a message naming the file when it
// cannot be opened or is not read completely.
Result<EditorSession> OpenCompleteDefinitionFile(const std::filesystem::path& file);

// Saves as closing the editor does and prints what happened: "unchanged", or "saved" with the name
// the previous version is kept under; a failure is reported as an error. The exit status.
int ReportSave(EditorSession& session, const std::string& path, std::ostream& out, std::ostream& err);

// "PATH: what went wrong (result N)" for the reader's result `result` and, for ReadFailed, its `reason`.
std::string DescribeIncompleteRead(const std::filesystem::path& path, ReadResult result,
                                   const std::string& reason);

} // namespace orv
