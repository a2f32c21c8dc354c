#include "cli/Cli.h"

#include <exception>
#include <optional>
#include <string_view>
#include <utility>

#include <CLI/CLI.hpp>

#include "base/FileIo.h"
#include "base/Text.h"
#include "cli/CommandSupport.h"
#include "cli/DefinitionJson.h"
#include "cli/FontOption.h"
#include "cli/GlyphSheet.h"
#include "cli/OutputCommands.h"
#include "cli/PngWriter.h"
#include "cli/PreviewImage.h"
#include "cli/ReadMessages.h"
#include "store/DefinitionDocument.h"
#include "store/DefinitionFile.h"
#include "store/DefinitionMerge.h"
#include "store/DefinitionSaving.h"

namespace orv {

namespace {

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

constexpr const char* kPreviewFooter =
    "Draws the text as the editor's preview does: the glyphs of the device font made from FONT for the\n"
    "texts of FILE, centred, in grey levels on black, each glyph pixel a ZOOM x ZOOM square. --index\n"
    "shows the text that the editor shows for that definition (its translation when marked translated,\n"
    "trimmed; else its default text); --text shows the given UTF-8 text, rendered together with FILE's\n"
    "texts as if it were one of them. The image is as large as the editor's preview (226 x 122) unless\n"
    "--size says otherwise; a text wider than it loses both ends. Characters without a glyph (control\n"
    "codes, U+FFFC, U+25A1) take no room. The PNG is 8-bit grey. A FONT that is not installed is an\n"
    "error; no other face is used in its place.\n";

constexpr const char* kGlyphsFooter =
    "Renders the device font from FONT for the texts of FILE, as the editor's Choose Font does, and\n"
    "draws every glyph in a grid in ascending code-point order: each cell shows the glyph twice the\n"
    "device size in grey over its advance (shaded blue) and the code point in hexadecimal under it.\n"
    "--json prints the glyph records instead, one line per code point:\n"
    "  {\"codePoint\": 65, \"character\": \"A\", \"advance\": 13, \"xOffset\": 0, \"yOffset\": 3,\n"
    "   \"width\": 13, \"height\": 15}\n"
    "With --json, -o is optional; given both, the sheet is written as well. A FONT that is not\n"
    "installed is an error; no other face is used in its place.\n";

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
    if (auto written = WriteFileSafely(outputPath, bytes); !written)
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
        out << "saved (previous version kept as " << BackupPath(FollowLinks(path).value_or(path), 1).string()
            << ")\n";
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

// "WIDTHxHEIGHT", each side from 1 to kMaxPreviewSide.
std::optional<std::pair<int, int>> ParsePreviewSize(std::string_view text)
{
    const std::size_t separator = text.find('x');
    if (separator == std::string_view::npos)
        return std::nullopt;
    const auto width = ParseDecimal(text.substr(0, separator), kMaxPreviewSide);
    const auto height = ParseDecimal(text.substr(separator + 1), kMaxPreviewSide);
    if (!width || !height || *width == 0 || *height == 0)
        return std::nullopt;
    return std::pair{*width, *height};
}

struct PreviewRequest
{
    std::string File;
    std::string Font;
    std::string Output;
    std::optional<std::string> Index;
    std::optional<std::string> Text;
    std::string Zoom = "1";
    std::optional<std::string> Size;
};

int RunPreview(const PreviewRequest& request, std::ostream& err)
{
    constexpr std::string_view kName = "preview";
    if (request.Index && request.Text)
        return ReportUsage(err, kName, "--index and --text cannot be used together");
    if (!request.Index && !request.Text)
        return ReportUsage(err, kName, "one of --index N and --text TEXT is required");
    int zoom = kNormalPreviewZoom;
    if (request.Zoom == "3")
        zoom = kZoomedPreviewZoom;
    else if (request.Zoom != "1")
        return ReportUsage(err, kName, "--zoom must be 1 or 3, not '" + request.Zoom + "'");
    std::optional<int> index;
    if (request.Index) {
        index = ParseDecimal(*request.Index, 0xFFFF);
        if (!index)
            return ReportUsage(err, kName,
                               "--index must be a number from 0 to 65535, not '" + *request.Index + "'");
    }
    std::pair size{kPreviewControlWidth, kPreviewControlHeight};
    if (request.Size) {
        const auto parsed = ParsePreviewSize(*request.Size);
        if (!parsed)
            return ReportUsage(err, kName,
                               "--size must be WIDTHxHEIGHT with sides from 1 to " +
                                   std::to_string(kMaxPreviewSide) + ", not '" + *request.Size + "'");
        size = *parsed;
    }

    std::u16string text;
    if (request.Text) {
        auto decoded = FromUtf8(*request.Text);
        if (!decoded)
            return ReportError(err, "--text: " + decoded.error().Message);
        text = std::move(*decoded);
    }
    auto rendered = RenderDefinitionFont(request.File, request.Font, text);
    if (!rendered)
        return ReportError(err, rendered.error().Message);
    if (index) {
        auto& definitions = rendered->Document.Table.Definitions;
        const auto found = definitions.find(static_cast<std::uint16_t>(*index));
        if (found == definitions.end())
            return ReportError(err, request.File + ": no definition has the index " + std::to_string(*index));
        text = EffectiveText(found->second);
    }

    const PngImage image = DrawPreviewImage(rendered->Font, text, zoom, size.first, size.second);
    if (auto written = WritePngFile(request.Output, image); !written)
        return ReportError(err, written.error().Message);
    return kExitSuccess;
}

int RunGlyphs(const std::string& file, const std::string& font, const std::string& output, bool json,
              std::ostream& out, std::ostream& err)
{
    if (!json && output.empty())
        return ReportUsage(err, "glyphs", "-o SHEET.png is required unless --json is given");
    const auto rendered = RenderDefinitionFont(file, font);
    if (!rendered)
        return ReportError(err, rendered.error().Message);
    // The sheet first: a failure then leaves nothing printed that looks like a complete result.
    if (!output.empty()) {
        const auto sheet = DrawGlyphSheet(rendered->Font, rendered->CodePoints);
        if (!sheet)
            return ReportError(err, file + ": " + sheet.error().Message);
        if (auto written = WritePngFile(output, *sheet); !written)
            return ReportError(err, written.error().Message);
    }
    if (json)
        out << GlyphRecordsJson(rendered->Font, rendered->CodePoints);
    return kExitSuccess;
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
        CLI::App app{
            "Reads, writes, re-saves, merges, previews and checks .strdef text definition files, and "
            "makes and inspects the device outputs.",
            "strdef"};
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

        std::string font;
        PreviewRequest previewRequest;
        std::string index;
        std::string text;
        std::string size;
        CLI::App* preview =
            app.add_subcommand("preview", "Draw a text as the editor's preview shows it (PNG)");
        preview->add_option("FILE", previewRequest.File, "The .strdef file whose texts the font is made for")
            ->required();
        AddFontOption(*preview, previewRequest.Font);
        CLI::Option* indexOption =
            preview->add_option("--index", index, "The definition whose text is shown")->type_name("N");
        CLI::Option* textOption =
            preview->add_option("--text", text, "The text to show (UTF-8)")->type_name("TEXT");
        preview->add_option("--zoom", previewRequest.Zoom, "1, or 3 as with \"zoomed\" set (default 1)")
            ->type_name("1|3");
        CLI::Option* sizeOption =
            preview->add_option("--size", size, "The image size in pixels (default 226x122)")
                ->type_name("WxH");
        preview->add_option("-o,--output", previewRequest.Output, "The PNG file to write")
            ->type_name("OUT.png")
            ->required();
        preview->footer(kPreviewFooter);

        bool json = false;
        CLI::App* glyphs =
            app.add_subcommand("glyphs", "Draw every glyph of the device font in a grid (PNG)");
        glyphs->add_option("FILE", file, "The .strdef file whose texts the font is made for")->required();
        AddFontOption(*glyphs, font);
        glyphs->add_option("-o,--output", output, "The PNG file to write")->type_name("SHEET.png");
        glyphs->add_flag("--json", json, "Print the glyph records as JSON");
        glyphs->footer(kGlyphsFooter);

        OutputCommands outputCommands;
        outputCommands.AddTo(app);

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
        if (preview->parsed()) {
            // Whether an option was given is what matters, also for an empty --text.
            if (indexOption->count() > 0)
                previewRequest.Index = index;
            if (textOption->count() > 0)
                previewRequest.Text = text;
            if (sizeOption->count() > 0)
                previewRequest.Size = size;
            return RunPreview(previewRequest, err);
        }
        if (glyphs->parsed())
            return RunGlyphs(file, font, output, json, out, err);
        if (const auto status = outputCommands.RunParsed(out, err))
            return *status;
        return RunResave(file, out, err);
    } catch (const std::exception& error) {
        // Only running out of memory or a broken stream should get here.
        return ReportError(err, std::string("internal error: ") + error.what());
    }
}

} // namespace orv
