#pragma once

// The subcommands for the device outputs:
//
//   strdef generate FILE.strdef [--dir DIR] [--no-script]   "fw_textIDs.h", "texts.bin", "make_texts.bat"
//   strdef export FILE.strdef --font FONT -o OUT.ovtx        the font-and-text file of the window's export
//   strdef inspect FILE.ovtx [--json]                        a font-and-text file checked and summed up
//   strdef check FILE.strdef --font FONT [--max-width PIXELS] [--json]
//                                                            what the device would show wrong
//
// None of them changes the definition file. Warnings of the core go to stderr as
// "strdef: warning: ..." and leave the exit status alone.

#include <optional>
#include <ostream>
#include <string>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace orv {

// The four subcommands' options, filled by the parser, and their runs.
class OutputCommands
{
public:
    // Adds the four subcommands and their options to `app`, which must outlive this object's use.
    void AddTo(CLI::App& app);

    // Runs the subcommand that `app` parsed, when it is one of these four, and returns its exit status;
    // nothing when another subcommand was parsed.
    std::optional<int> RunParsed(std::ostream& out, std::ostream& err) const;

private:
    CLI::App* Generate = nullptr;
    CLI::App* Export = nullptr;
    CLI::App* Inspect = nullptr;
    CLI::App* Check = nullptr;

    std::string File;
    std::string Directory;
    bool NoScript = false;
    std::string Font;
    std::string Output;
    bool Json = false;
    std::string MaxWidth;
    CLI::Option* MaxWidthOption = nullptr;
};

} // namespace orv
