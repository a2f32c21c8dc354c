#include "cli/Cli.h"

#include <exception>
#include <string_view>

#include <CLI/CLI.hpp>

#include "base/FileIo.h"
#include "cli/DefinitionJson.h"
#include "store/DefinitionDocument.h"
#include "store/DefinitionFile.h"
#include "store/DefinitionMerge.h"
#include "store/DefinitionSaving.h"

namespace orv {

namespace {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kDumpFooter =
    "Prints the file as the editor reads it, in the JSON form that 'strdef build' reads. A file that is\n"
    "not read completely is still printed, with \"result\" set to the reader's code (1 wrong magic, 2 bad\n"
    "format word, 3 bad tree marker, 9 incomplete), and the exit status is 1.\n";

constexpr const char* kBuildFooter =
    "The JSON has the form that 'strdef dump' prints:\n"
    "  {\"countPrefix\": 1, \"firmwareVersion\": 272,\n"
    "   \"tree\": [{\"label\": \"B\", \"data\": 0, \"children\": [{\"label\": \"T\", \"data\": 1}]}],\n"
    "   \"definitions\": [{\"key\": 1, \"index\": 1, \"identifier\": \"X\", \"defaultText\": \"D\",\n"
    "                    \"translation\": \"\", \"translated\": 0, \"description\": \"\"}]}\n"
    "At the top every field is optional: countPrefix defaults to 1, firmwareVersion to 272 (1.10),\n"
    "tree and definitions to empty. \"result\" and \"saveLock\" are accepted and checked but not used;\n"
    "the file's lock word is always written as 0. In tree items \"children\" is optional, in\n"
    "definitions \"key\" (default: the index). All other fields are required; unknown or repeated\n"
    "fields are errors. Texts are UTF-8; \\uD800-\\uDFFF escapes may stand alone. Nothing is written\n"
    "unless the whole input is valid.\n";

constexpr const char* kResaveFooter =
    "Loads the file and saves it as closing the editor does: the new content goes to\n"
    "@orv_txtdefs.strdef.temp in the working directory and replaces the file only when it differs, the\n"
    "previous version becoming FILE.bck1 (older versions move up to FILE.bck9). Files that are not read\n"
    "completely, and files locked against saving, are refused and left untouched.\n";

constexpr const char* kMergeFooter =
    "Merges OTHER into LOADED as the editor's Merge does: OTHER's tree, identifiers, default texts and\n"
    "descriptions replace LOADED's, LOADED's translations are carried over where OTHER has none, and a\n"
    "translation whose default text changed loses its \"Translated\" mark. Then LOADED is saved as closing\n"
    "the editor does. OTHER is never written. Refused: the same file, a file with an older firmware\n"
    "version, a file that cannot be read completely.\n";

// Prints the one error line. Control characters (a newline in a file name, say) would split it.
int ReportError(std::ostream& err, std::string_view message, int status = kExitFailure)
{
    std::string line = "strdef: ";
    for (char character : message)
        line += static_cast<unsigned char>(character) < 0x20 ? '?' : character;
    err << line << '\n';
    return status;
}

std::string DescribeIncompleteRead(const std::string& path, ReadResult result, const std::string& reason)
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
    return path + ": " + description + " (result " + std::to_string(static_cast<int>(result)) + ")";
}

int RunDump(const std::string& path, std::ostream& out, std::ostream& err)
{
    BlockTree tree;
    DefinitionTable table;
    const auto read = ReadDefinitionFile(path, tree, table);
    if (!read)
        return ReportError(err, read.error().Message);
    // What was read before a failure is printed as well, so that a damaged file can be inspected.
    out << WriteDefinitionJson(tree, table, read->Result);
    if (read->Result != ReadResult::ReadOk)
        return ReportError(err, DescribeIncompleteRead(path, read->Result, read->Reason));
    return kExitSuccess;
}

int RunBuild(const std::string& jsonPath, const std::string& outputPath, std::ostream& err)
{
    const auto json = ReadWholeFile(jsonPath);
    if (!json)
        return ReportError(err, json.error().Message);
    auto content = ParseDefinitionJson(std::string(json->begin(), json->end()));
    if (!content)
        return ReportError(err, jsonPath + ": " + content.error().Message);
    const std::vector<std::uint8_t> bytes = WriteDefinitionBytes(content->Tree, content->Table);
    if (auto written = ReplaceFileAtomically(outputPath, bytes); !written)
        return ReportError(err, written.error().Message);
    return kExitSuccess;
}

// Saves as closing the editor does and says what happened.
int ReportSave(DefinitionDocument& document, const std::string& path, std::ostream& out, std::ostream& err)
{
    const auto saved = document.SaveDefinitionFile();
    if (!saved)
        return ReportError(err, saved.error().Message);
    switch (*saved) {
    case SaveStatus::Unchanged:
        out << "unchanged\n";
        return kExitSuccess;
    case SaveStatus::Replaced:
    case SaveStatus::ReplacedByCopy:
        out << "saved (previous version kept as " << BackupPath(path, 1).string() << ")\n";
        return kExitSuccess;
    case SaveStatus::Disabled:
        break;
    }
    return ReportError(err, path + ": saving is disabled for this file");
}

int RunResave(const std::string& path, std::ostream& out, std::ostream& err)
{
    DefinitionDocument document;
    document.FilePath = path;
    const auto loaded = document.LoadDefinitionFile();
    if (!loaded)
        return ReportError(err, loaded.error().Message);
    if (loaded->Result != ReadResult::ReadOk)
        return ReportError(err, DescribeIncompleteRead(path, loaded->Result, loaded->Reason));
    // The document would refuse quietly; the editor warns, and so do we.
    if (loaded->SaveLocked)
        return ReportError(err, path + ": " + kSaveLockWarning);

    return ReportSave(document, path, out, err);
}

// Two paths for the same file, also when written differently; the editor compares the text only.
bool IsSameFile(const std::filesystem::path& left, const std::filesystem::path& right)
{
    std::error_code error;
    return left == right || std::filesystem::equivalent(left, right, error);
}

int RunMerge(const std::string& loadedPath, const std::string& otherPath, bool dryRun, std::ostream& out,
             std::ostream& err)
{
    DefinitionDocument document;
    document.FilePath = loadedPath;
    const auto loaded = document.LoadDefinitionFile();
    if (!loaded)
        return ReportError(err, loaded.error().Message);
    if (loaded->Result != ReadResult::ReadOk)
        return ReportError(err, DescribeIncompleteRead(loadedPath, loaded->Result, loaded->Reason));
    if (loaded->SaveLocked && !dryRun)
        return ReportError(err, loadedPath + ": " + kSaveLockWarning);
    if (IsSameFile(loadedPath, otherPath))
        return ReportError(err, kMergeSameFileMessage);

    BlockTree otherTree;
    DefinitionTable otherTable;
    const auto read = ReadDefinitionFile(otherPath, otherTree, otherTable);
    if (!read)
        return ReportError(err, read.error().Message);
    if (read->Result != ReadResult::ReadOk)
        return ReportError(err, std::string(kMergeReadFailedMessage) + ": " +
                                    DescribeIncompleteRead(otherPath, read->Result, read->Reason));
    if (IsOlderFirmwareVersion(otherTable.FirmwareVersion, document.Table.FirmwareVersion))
        return ReportError(
            err, MergeOlderVersionMessage(otherTable.FirmwareVersion, document.Table.FirmwareVersion));

    const MergeSummary summary = MergeDefinitions(document.Tree, document.Table, otherTree, otherTable);
    out << summary.Kept << " texts kept with their translation\n"
        << summary.Unmarked << " translations unmarked because the default text changed\n"
        << summary.Added << " texts new in " << otherPath << "\n"
        << summary.Removed << " texts removed\n";
    if (dryRun)
        return kExitSuccess;
    return ReportSave(document, loadedPath, out, err);
}

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
        CLI::App app{"Reads, writes, re-saves and merges .strdef text definition files.", "strdef"};
        app.require_subcommand(1);
        std::string file;
        std::string output;

        CLI::App* dump = app.add_subcommand("dump", "Print a .strdef file as JSON");
        dump->add_option("FILE", file, "The .strdef file to read")->required();
        dump->footer(kDumpFooter);

        CLI::App* build = app.add_subcommand("build", "Write a .strdef file from JSON");
        build->add_option("FILE", file, "The JSON file to read")->required();
        build->add_option("-o,--output", output, "The .strdef file to write")->required();
        build->footer(kBuildFooter);

        CLI::App* resave = app.add_subcommand("resave", "Load a .strdef file and save it as the editor does");
        resave->add_option("FILE", file, "The .strdef file to re-save")->required();
        resave->footer(kResaveFooter);

        std::string other;
        bool dryRun = false;
        CLI::App* merge = app.add_subcommand("merge", "Merge a newer .strdef file into a translated one");
        merge->add_option("LOADED", file, "The translated .strdef file, saved with the result")->required();
        merge->add_option("OTHER", other, "The newer .strdef file to merge in")->required();
        merge->add_flag("--dry-run", dryRun, "Print the summary and write nothing");
        merge->footer(kMergeFooter);

        try {
            // CLI11 takes its arguments last first.
            app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
        } catch (const CLI::CallForHelp&) {
            out << app.help();
            return kExitSuccess;
        } catch (const CLI::ParseError& error) {
            return ReportError(err, UsageProblem(app, args, error), kExitUsage);
        }

        if (dump->parsed())
            return RunDump(file, out, err);
        if (build->parsed())
            return RunBuild(file, output, err);
        if (merge->parsed())
            return RunMerge(file, other, dryRun, out, err);
        return RunResave(file, out, err);
    } catch (const std::exception& error) {
        // Only running out of memory or a broken stream should get here.
        return ReportError(err, std::string("internal error: ") + error.what());
    }
}

} // namespace orv
