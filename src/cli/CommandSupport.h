#pragma once

// What every subcommand of `strdef` shares: the exit statuses, the one-line reports on stderr and the
// strict reading of numeric arguments.

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace orv {

struct Notice;

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// Prints "strdef: MESSAGE" as one line, control characters replaced by '?', and returns `status`.
int ReportError(std::ostream& err, std::string_view message, int status = kExitFailure);

// Prints "strdef: warning: MESSAGE" as one line, as ReportError does.
void ReportWarning(std::ostream& err, std::string_view message);

// A usage error of `subcommand` with a pointer to its help; returns kExitUsage.
int ReportUsage(std::ostream& err, std::string_view subcommand, const std::string& message);

// A decimal number from 0 to `maximum` written with digits only; nothing for anything else.
std::optional<int> ParseDecimal(std::string_view text, int maximum);

// A message box of the core as one line: its paragraphs joined by a blank, the details (the system's
// account of a failure) in parentheses after them.
std::string NoticeLine(const Notice& notice);

} // namespace orv
