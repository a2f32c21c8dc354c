// The subcommands for the device outputs: generate, export, inspect and check. None of them changes the
// definition file. Warnings of the core go to stderr as "strdef: warning: ..." and leave the exit
// status alone.

#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include <CLI/CLI.hpp>

#include "base/FileIo.h"
#include "base/Text.h"
#include "cli/CommandSupport.h"
#include "cli/FontOption.h"
#include "cli/JsonText.h"
#include "output/ExportReader.h"
#include "output/FontTextExport.h"
#include "output/OutputMessages.h"
#include "output/SourceGeneration.h"
#include "output/TextChecks.h"
#include "store/DefinitionTable.h"

namespace orv {

namespace {

constexpr const char* kGenerateFooter =
    "Writes \"fw_textIDs.h\" (a line \"#define S_IDENTIFIER INDEX\" per definition) and \"texts.bin\" (the\n"
    "table of every default text) into DIR, the working directory by default, as the editor's generation\n"
    "does, then runs \"make_texts.bat\" through the shell in DIR (the one in DIR when there is one, else\n"
    "the one on the search path) unless --no-script is given. The definition file is not changed. A file\n"
    "of fewer than two definitions gets its header but no \"texts.bin\", and the script is not run\n"
    "(status 1). Identifiers with characters above U+00FF or with line breaks or control characters\n"
    "have no header line, and texts beyond the 65,536 bytes of the table are cut: both are warnings, as\n"
    "is a script that fails. Every file is written beside its target and then renamed into place.\n";

constexpr const char* kExportFooter =
    "Renders the device font from FONT for the texts of FILE and writes the font-and-text file byte for\n"
    "byte as the editor's \"Export with font\" does: the packed glyphs, and the texts marked \"Translated\"\n"
    "(trimmed, cut to 1023 code units). Size warnings (a block over the 65,000 bytes of firmware 1.04,\n"
    "texts beyond the 65,536-byte text pool) go to stderr and do not change the exit status. A file with\n"
    "fewer than two translated texts is refused before anything is written. FILE is not changed.\n";

constexpr const char* kInspectFooter =
    "Reads a font-and-text file and checks everything a device relies on: the magic, the format word,\n"
    "both tags, the block sizes and checksums, the packed streams, both search tables, every glyph record\n"
    "and every text. Prints the firmware version, the glyphs and their code points, the texts and their\n"
    "indexes, the text flags and the sizes of both blocks. --json prints the same with every glyph's\n"
    "metrics and every text by index (a text with an unpaired surrogate as {\"utf16\": [UNIT, ...]}, as\n"
    "'strdef dump' writes it). The first inconsistency is an error naming the part and the byte offset\n"
    "(status 1).\n";

constexpr const char* kCheckFooter =
    "Renders FONT for the texts of FILE as the export does and reports what the device would show wrong:\n"
    "  error    a character that the face has no glyph for; with --max-width, a text wider than PIXELS\n"
    "           (zoom 1, as the preview measures); a marked translation whose special codes (U+0007,\n"
    "           U+0008, U+25A1, U+FFFC) differ in number from its default text's\n"
    "  warning  a marked translation that is blank, equal to its default text, or whose blanks and line\n"
    "           breaks at the ends differ from the default text's; texts that the export cuts (over 1023\n"
    "           code units, or beyond the 65,536-byte pool); for the whole file, exported characters\n"
    "           outside the device's base set, blocks over 65,000 bytes, fewer than two translated texts;\n"
    "           an identifier that is no C name after \"S_\"\n"
    "Each finding is a line 'FILE: index N (S_IDENTIFIER): SEVERITY: MESSAGE: \"EXCERPT\"' ('FILE:\n"
    "SEVERITY: MESSAGE' for the whole file), then a summary line. --json prints an array of objects\n"
    "with file, severity, kind, index, identifier, excerpt and message instead, the texts as 'strdef\n"
    "dump' writes them. The status is 1 when there is an error, else 0.\n";

// --max-width beyond this is surely a mistake: no text of a file is that wide.
constexpr int kMaxWidthLimit = 1000000;

// The largest file that can be a font-and-text file: the header, two tags and block headers, and two
// blocks of the most packed bytes a header can announce. Larger files are refused before reading.
constexpr std::uintmax_t kMaxExportFileSize =
    kExportHeaderSize + 2 * (kFontBlockTag.size() + kBlockHeaderSize + std::uintmax_t{kMaxPackedSize});

std::string FlagNames(std::uint32_t flags)
{
    std::string names;
    if (flags & NonBaseCharacter)
        names += "NonBaseCharacter";
    if (flags & PoolOverflow)
        names += names.empty() ? "PoolOverflow" : ", PoolOverflow";
    return names.empty() ? "none" : names;
}

std::string InspectSummary(const ExportContents& contents)
{
    std::vector<std::uint16_t> indexes;
    std::size_t unterminated = 0;
    for (const TableText& text : contents.Texts.Texts) {
        indexes.push_back(text.Index);
        unterminated += text.Terminated ? 0 : 1;
    }
    std::string summary = "firmware version: " + FirmwareVersionText(contents.FirmwareVersion) + "\n";
    std::vector<std::uint16_t> codePoints;
    for (const ExportedGlyph& glyph : contents.Glyphs)
        codePoints.push_back(glyph.CodePoint);
    summary += "glyphs: " + std::to_string(codePoints.size());
    if (!codePoints.empty())
        summary += " (" + FormatCodePointRanges(codePoints) + ")";
    summary += "\ntexts: " + std::to_string(indexes.size()) + " (indexes " + FormatIndexRanges(indexes) + ")";
    if (unterminated > 0)
        summary += ", " + std::to_string(unterminated) + " without an end in the full pool";
    summary +=
        "\nflags: 0x" + HexNumber(contents.Texts.Flags, 8) + " (" + FlagNames(contents.Texts.Flags) + ")\n";
    const auto block = [](const char* name, const BlockHeader& header) {
        return std::string(name) + ": " + std::to_string(header.PackedSize) + " bytes packed, " +
               std::to_string(header.RawSize) + " bytes unpacked, checksum 0x" +
               HexNumber(header.Checksum, 8) + "\n";
    };
    return summary + block("font block", contents.FontBlock) + block("text block", contents.TextBlock);
}

std::string InspectJson(const ExportContents& contents)
{
    const auto block = [](const BlockHeader& header) {
        return OrderedJson{
            {"packedSize", header.PackedSize}, {"checksum", header.Checksum}, {"rawSize", header.RawSize}};
    };
    OrderedJson glyphs = OrderedJson::array();
    for (const ExportedGlyph& glyph : contents.Glyphs) {
        glyphs.push_back({{"codePoint", glyph.CodePoint},
                          {"character", TextJson(std::u16string(1, static_cast<char16_t>(glyph.CodePoint)))},
                          {"offset", glyph.Offset},
                          {"advance", glyph.Advance},
                          {"xOffset", glyph.XOffset},
                          {"yOffset", glyph.YOffset},
                          {"width", glyph.Width},
                          {"height", glyph.Height}});
    }
    OrderedJson texts = OrderedJson::array();
    for (const TableText& text : contents.Texts.Texts) {
        texts.push_back({{"index", text.Index},
                         {"offset", text.Offset},
                         {"terminated", text.Terminated},
                         {"text", TextJson(text.Text)}});
    }
    return JsonLines({{"firmwareVersion", contents.FirmwareVersion},
                      {"firmwareVersionText", FirmwareVersionText(contents.FirmwareVersion)},
                      {"flags", contents.Texts.Flags},
                      {"fontBlock", block(contents.FontBlock)},
                      {"textBlock", block(contents.TextBlock)},
                      {"glyphs", std::move(glyphs)},
                      {"texts", std::move(texts)}});
}

const char* SeverityName(Severity severity)
{
    return severity == Severity::Error ? "error" : "warning";
}

std::string FindingLine(const std::string& file, const TextFinding& finding)
{
    std::string line = file + ": ";
    if (finding.Index)
        line += "index " + std::to_string(*finding.Index) + " (S_" + ToUtf8(finding.Identifier) + "): ";
    line += std::string(SeverityName(finding.Level)) + ": " + finding.Message;
    if (finding.Index)
        line += ": " + CompactJson(ToUtf8(finding.Excerpt));
    return Printable(line) + "\n";
}

std::string FindingsJson(const std::string& file, std::span<const TextFinding> findings)
{
    OrderedJson records = OrderedJson::array();
    for (const TextFinding& finding : findings) {
        // The findings about the whole file have no index, identifier or excerpt.
        const bool aboutText = finding.Index.has_value();
        records.push_back({{"file", file},
                           {"severity", SeverityName(finding.Level)},
                           {"kind", FindingKindName(finding.Kind)},
                           {"index", aboutText ? OrderedJson(*finding.Index) : OrderedJson()},
                           {"identifier", aboutText ? TextJson(finding.Identifier) : OrderedJson()},
                           {"excerpt", aboutText ? TextJson(finding.Excerpt) : OrderedJson()},
                           {"message", finding.Message}});
    }
    return JsonLines(records);
}

std::string CountOf(std::size_t count, const char* noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

} // namespace

void AddGenerateCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string File;
        std::string Directory;
        bool NoScript = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command =
        app.add_subcommand("generate", "Write the firmware's text sources and run make_texts.bat")
            ->footer(kGenerateFooter);
    command->add_option("FILE", options->File, "The .strdef file to read")->required();
    command
        ->add_option("--dir", options->Directory,
                     "Where the files are written (default: the working directory)")
        ->type_name("DIR");
    command->add_flag("--no-script", options->NoScript, "Do not run make_texts.bat");
    run.On(command, [options](std::ostream& out, std::ostream& err) {
        auto session = OpenCompleteDefinitionFile(options->File);
        if (!session)
            return ReportError(err, session.error().Message);
        const auto generated = session->GenerateSources(options->Directory);
        if (!generated)
            return ReportError(err, generated.Value.error().Message);
        if (*generated.Value && !options->NoScript) {
            // The script writes to the same terminal; what was printed so far comes first.
            out.flush();
            err.flush();
            const int status = RunMakeTexts(options->Directory);
            if (status != 0)
                ReportWarning(err, std::string("\"") + kMakeTextsScript + "\" " +
                                       (status < 0 ? "could not be run or was stopped"
                                                   : "ended with exit status " + std::to_string(status)));
        }
        // At most one notice is an error; the warnings are all printed before it.
        std::optional<std::string> failure;
        for (const Notice& notice : generated.Notices) {
            if (notice.Level == Severity::Warning)
                ReportWarning(err, NoticeLine(notice));
            else
                failure = NoticeLine(notice);
        }
        if (failure)
            return ReportError(err, *failure);
        return kExitSuccess;
    });
}

void AddExportCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string File;
        std::string Font;
        std::string Output;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command =
        app.add_subcommand("export", "Write the font-and-text file (.ovtx) that the device loads")
            ->footer(kExportFooter);
    command->add_option("FILE", options->File, "The .strdef file whose translated texts are exported")
        ->required();
    AddFontOption(*command, options->Font);
    command->add_option("-o,--output", options->Output, "The .ovtx file to write")
        ->type_name("OUT.ovtx")
        ->required();
    run.On(command, [options](std::ostream&, std::ostream& err) {
        const std::string& file = options->File;
        auto session = OpenCompleteDefinitionFile(file);
        if (!session)
            return ReportError(err, session.error().Message);
        // Refused before the font is rendered and before the file is created, as in the window.
        if (auto exportable = CheckExportable(session->Document.Table); !exportable)
            return ReportError(err, file + ": " + exportable.error().Message);
        if (auto rendered = RenderSessionFont(*session, options->Font); !rendered)
            return ReportError(err, rendered.error().Message);
        // The export trims the translations of the table in memory; the file is never saved here.
        const auto exported = session->Export(options->Output);
        if (!exported) {
            // A file that cannot be written names itself; the rest is about the texts of FILE.
            const Error& error = exported.Value.error();
            const bool writing = error.Code == ErrorCode::OpenFailed || error.Code == ErrorCode::WriteFailed;
            return ReportError(err, writing ? error.Message : file + ": " + error.Message);
        }
        for (const Notice& notice : exported.Notices)
            ReportWarning(err, NoticeLine(notice));
        return kExitSuccess;
    });
}

void AddInspectCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string File;
        bool Json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("inspect", "Check a font-and-text file (.ovtx) and summarise it")
                            ->footer(kInspectFooter);
    command->add_option("FILE", options->File, "The .ovtx file to read")->required();
    command->add_flag("--json", options->Json, "Print every glyph and text as JSON");
    run.On(command, [options](std::ostream& out, std::ostream& err) {
        const std::string& file = options->File;
        // A file larger than any export could be is refused before it is read into memory.
        std::error_code sizeError;
        const std::uintmax_t size = std::filesystem::file_size(file, sizeError);
        if (!sizeError && size > kMaxExportFileSize)
            return ReportError(err, file + ": " + std::to_string(size) +
                                        " bytes, more than a font-and-text file can hold (" +
                                        std::to_string(kMaxExportFileSize) + ")");
        const auto bytes = ReadWholeFile(file);
        if (!bytes)
            return ReportError(err, bytes.error().Message);
        const auto contents = InspectExport(*bytes);
        if (!contents)
            return ReportError(err, file + ": " + contents.error().Message);
        out << (options->Json ? InspectJson(*contents) : InspectSummary(*contents));
        return kExitSuccess;
    });
}

void AddCheckCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string File;
        std::string Font;
        std::optional<std::string> MaxWidth;
        bool Json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("check", "Find the texts that will look wrong on the device")
                            ->footer(kCheckFooter);
    command->add_option("FILE", options->File, "The .strdef file to check")->required();
    AddFontOption(*command, options->Font);
    command->add_option("--max-width", options->MaxWidth, "The widest a text may be, in device pixels")
        ->type_name("PIXELS");
    command->add_flag("--json", options->Json, "Print the findings as JSON");
    run.On(command, [options](std::ostream& out, std::ostream& err) {
        const std::string& file = options->File;
        std::optional<int> maxWidth;
        if (options->MaxWidth) {
            maxWidth = ParseDecimal(*options->MaxWidth, kMaxWidthLimit);
            if (!maxWidth || *maxWidth == 0)
                return ReportUsage(err, "check",
                                   "--max-width must be a number of pixels from 1 to " +
                                       std::to_string(kMaxWidthLimit) + ", not '" + *options->MaxWidth + "'");
        }
        const auto rendered = RenderDefinitionFont(file, options->Font);
        if (!rendered)
            return ReportError(err, rendered.error().Message);
        const DefinitionTable& table = rendered->Document.Table;
        const std::vector<TextFinding> findings =
            CheckTexts(table, rendered->DeviceFont, rendered->FaceUnits, TextCheckOptions{maxWidth});

        std::size_t errors = 0;
        for (const TextFinding& finding : findings)
            errors += finding.Level == Severity::Error ? 1 : 0;
        if (options->Json) {
            out << FindingsJson(file, findings);
        } else {
            for (const TextFinding& finding : findings)
                out << FindingLine(file, finding);
            out << Printable(file) << ": " << CountOf(table.Definitions.size(), "text") << " checked, "
                << CountOf(errors, "error") << ", " << CountOf(findings.size() - errors, "warning") << "\n";
        }
        return errors > 0 ? kExitFailure : kExitSuccess;
    });
}

} // namespace orv
