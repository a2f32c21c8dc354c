#pragma once

// The `strdef` command-line tool: dump, build, resave, merge, preview and check .strdef definition
// files, draw the device glyphs, generate the firmware's text sources, and export and inspect the
// font-and-text file.

#include <ostream>
#include <string>
#include <vector>

namespace orv {

// Runs `strdef` with `args`, the arguments after the program name. Results and help go to `out`;
// errors go to `err` as one line starting "strdef: ". Returns the exit status: 0 success, 1 bad input
// or a failed operation, 2 a usage error. Never throws.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace orv
