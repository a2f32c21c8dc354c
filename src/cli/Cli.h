#pragma once

// The `strdef` command-line tool: dump, build and resave of .strdef definition files.

#include <ostream>
#include <string>
#include <vector>

namespace orv {

// Runs `strdef` with `args`, the arguments after the program name. Results and help go to `out`;
// errors go to `err` as one line starting "strdef: ". Returns the exit status: 0 success, 1 bad input
// or a failed operation, 2 a usage error. Never throws.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orv
