// The subcommands on definition files themselves: dump, build, resave and merge.

#include <memory>

#include <CLI/CLI.hpp>

#include "base/FileIo.h"
#include "cli/CommandSupport.h"
#include "cli/DefinitionJson.h"
#include "session/EditorSession.h"
#include "store/DefinitionSaving.h"

namespace orv {

namespace {

constexpr const char* kDumpFooter =
    "Prints the file as the editor reads it, in the JSON form that 'strdef build' reads. A file that is\n"
    "not read completely is still printed, with \"result\" set to the reader's code (1 wrong magic, 2 bad\n"
    "format word, 3 bad tree marker, 9 incomplete), and the exit status is 1. Texts are JSON strings;\n"
    "a text holding an unpaired surrogate, which has no UTF-8 form, is an object of its UTF-16 code\n"
    "units instead: {\"utf16\": [55296, 65]} is U+D800 followed by \"A\".\n";

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
    "fields are errors. Texts are UTF-8 strings, or {\"utf16\": [UNIT, ...]} with the UTF-16 code units\n"
    "of a text (0 to 65535), which is how dump writes texts with unpaired surrogates. Nothing is\n"
    "written unless the whole input is valid.\n";

constexpr const char* kResaveFooter =
    "Loads the file and saves it as closing the editor does: the new content goes to\n"
    "\"@orv_txtdefs.strdef.temp\" beside the file (a unique variant of that name when it is taken) and\n"
    "replaces the file only when it differs. The previous version is kept as FILE.bck1, older ones move\n"
    "up to FILE.bck9, and whatever fails, no version is lost. Files that are not read completely, and\n"
    "files locked against saving, are refused and left untouched.\n";

constexpr const char* kMergeFooter =
    "Merges OTHER into LOADED as the editor's Merge does: OTHER's tree, identifiers, default texts and\n"
    "descriptions replace LOADED's, LOADED's translations are carried over where OTHER has none, and a\n"
    "translation whose default text changed loses its \"Translated\" mark. Then LOADED is saved as closing\n"
    "the editor does. OTHER is never written. Refused: the same file, a file with an older firmware\n"
    "version, a file that cannot be read completely.\n";

} // namespace

void AddDumpCommand(CLI::App& app, CommandRun& run)
{
    auto file = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand("dump", "Print a .strdef file as JSON")->footer(kDumpFooter);
    command->add_option("FILE", *file, "The .strdef file to read")->required();
    run.On(command, [file](std::ostream& out, std::ostream& err) {
        BlockTree tree;
        DefinitionTable table;
        const auto read = ReadDefinitionFile(*file, tree, table);
        if (!read)
            return ReportError(err, read.error().Message);
        // What was read before a failure is printed as well, so that a damaged file can be inspected.
        out << WriteDefinitionJson(tree, table, read->Status);
        if (read->Status != ReadResult::ReadOk)
            return ReportError(err, DescribeIncompleteRead(*file, read->Status, read->Reason));
        return kExitSuccess;
    });
}

void AddBuildCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string Json;
        std::string Output;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("build", "Write a .strdef file from JSON")->footer(kBuildFooter);
    command->add_option("FILE", options->Json, "The JSON file to read")->required();
    command->add_option("-o,--output", options->Output, "The .strdef file to write")->required();
    run.On(command, [options](std::ostream&, std::ostream& err) {
        const auto json = ReadWholeFile(options->Json);
        if (!json)
            return ReportError(err, json.error().Message);
        const auto content = ParseDefinitionJson(std::string(json->begin(), json->end()));
        if (!content)
            return ReportError(err, options->Json + ": " + content.error().Message);
        const std::vector<std::uint8_t> bytes = WriteDefinitionBytes(content->Tree, content->Table);
        if (auto written = WriteFileSafely(options->Output, bytes); !written)
            return ReportError(err, written.error().Message);
        return kExitSuccess;
    });
}

void AddResaveCommand(CLI::App& app, CommandRun& run)
{
    auto file = std::make_shared<std::string>();
    CLI::App* command = app.add_subcommand("resave", "Load a .strdef file and save it as the editor does")
                            ->footer(kResaveFooter);
    command->add_option("FILE", *file, "The .strdef file to re-save")->required();
    run.On(command, [file](std::ostream& out, std::ostream& err) {
        auto session = OpenCompleteDefinitionFile(*file);
        if (!session)
            return ReportError(err, session.error().Message);
        // The document would refuse quietly; the editor warns, and so do we.
        if (session->Document.SaveDisabled)
            return ReportError(err, *file + ": " + kSaveLockWarning);
        return ReportSave(*session, *file, out, err);
    });
}

void AddMergeCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string Loaded;
        std::string Other;
        bool DryRun = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command =
        app.add_subcommand("merge", "Merge a newer .strdef file into a translated one")->footer(kMergeFooter);
    command->add_option("LOADED", options->Loaded, "The translated .strdef file, saved with the result")
        ->required();
    command->add_option("OTHER", options->Other, "The newer .strdef file to merge in")->required();
    command->add_flag("--dry-run", options->DryRun, "Print the summary and write nothing");
    run.On(command, [options](std::ostream& out, std::ostream& err) {
        const std::string& loadedPath = options->Loaded;
        const std::string& otherPath = options->Other;
        auto session = OpenCompleteDefinitionFile(loadedPath);
        if (!session)
            return ReportError(err, session.error().Message);
        if (session->Document.SaveDisabled && !options->DryRun)
            return ReportError(err, loadedPath + ": " + kSaveLockWarning);
        const MergeOutcome merged = session->Merge(otherPath);
        if (!merged)
            return ReportError(err, merged.Value.error().Message);
        if (!*merged.Value) {
            // Refused: the notices say why, the last one the most plainly.
            for (std::size_t i = 0; i + 1 < merged.Notices.size(); ++i)
                ReportError(err, NoticeLine(merged.Notices[i]));
            return ReportError(err, NoticeLine(merged.Notices.back()));
        }
        const MergeSummary& summary = **merged.Value;
        out << summary.Kept << " texts kept with their translation\n"
            << summary.Unmarked << " translations unmarked because the default text changed\n"
            << summary.Added << " texts new in " << otherPath << "\n"
            << summary.Removed << " texts removed\n";
        if (options->DryRun)
            return kExitSuccess;
        return ReportSave(*session, loadedPath, out, err);
    });
}

} // namespace orv
