#include "cli/Cli.h"

#include <exception>

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"

namespace orv {

namespace {

// CLI11's message with a pointer to the right help. Without a subcommand CLI11 only says that one is
// required, even when the first argument is a mistyped one or an unknown option.
std::string UsageProblem(const CLI::App& app, const std::vector<std::string>& args,
                         const CLI::ParseError& error)
{
    const auto subcommands = app.get_subcommands();
    if (!subcommands.empty())
        return error.what() + (" (see 'strdef " + subcommands.front()->get_name() + " --help')");
    if (args.empty())
        return error.what() + std::string(" (see 'strdef --help')");
    const char* kind = args.front().starts_with('-') ? "unknown option '" : "unknown subcommand '";
    return kind + args.front() + "' (see 'strdef --help')";
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        CLI::App app{"Reads, writes, re-saves, merges, previews and checks .strdef text definition files, "
                     "makes and inspects the device outputs, and exchanges texts with translation tools.",
                     "strdef"};
        app.require_subcommand(1);
        app.set_version_flag("--version", "strdef " ORV_PROJECT_VERSION);
        CommandRun run{out, err};
        for (const auto add : {AddDumpCommand, AddBuildCommand, AddResaveCommand, AddMergeCommand,
                               AddPreviewCommand, AddGlyphsCommand, AddGenerateCommand, AddExportCommand,
                               AddInspectCommand, AddCheckCommand, AddPoCommand, AddXliffCommand})
            add(app, run);

        try {
            // CLI11 takes its arguments last first.
            app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
        } catch (const CLI::CallForHelp&) {
            out << app.help();
            return kExitSuccess;
        } catch (const CLI::CallForVersion& version) {
            out << version.what() << '\n';
            return kExitSuccess;
        } catch (const CLI::ParseError& error) {
            return ReportError(err, UsageProblem(app, args, error), kExitUsage);
        }
        return run.Status;
    } catch (const std::exception& error) {
        // Only running out of memory or a broken stream should get here.
        return ReportError(err, std::string("internal error: ") + error.what());
    }
}

} // namespace orv
