// The subcommands that draw the device font: preview and glyphs.

#include <memory>
#include <optional>
#include <utility>

#include <CLI/CLI.hpp>

#include "base/Text.h"
#include "cli/CommandSupport.h"
#include "cli/FontOption.h"
#include "cli/GlyphSheet.h"
#include "cli/JsonText.h"
#include "cli/PngWriter.h"
#include "cli/PreviewImage.h"

namespace orv {

namespace {

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
    "  "
    "{\"codePoint\":65,\"character\":\"A\",\"advance\":13,\"xOffset\":0,\"yOffset\":3,\"width\":13,"
    "\"height\":15}\n"
    "With --json, -o is optional; given both, the sheet is written as well. A FONT that is not\n"
    "installed is an error; no other face is used in its place.\n";

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

} // namespace

void AddPreviewCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string File;
        std::string Font;
        std::string Output;
        std::optional<std::string> Index;
        std::optional<std::string> Text;
        std::string Zoom = "1";
        std::optional<std::string> Size;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("preview", "Draw a text as the editor's preview shows it (PNG)")
                            ->footer(kPreviewFooter);
    command->add_option("FILE", options->File, "The .strdef file whose texts the font is made for")
        ->required();
    AddFontOption(*command, options->Font);
    command->add_option("--index", options->Index, "The definition whose text is shown")->type_name("N");
    command->add_option("--text", options->Text, "The text to show (UTF-8)")->type_name("TEXT");
    command->add_option("--zoom", options->Zoom, "1, or 3 as with \"zoomed\" set (default 1)")
        ->type_name("1|3");
    command->add_option("--size", options->Size, "The image size in pixels (default 226x122)")
        ->type_name("WxH");
    command->add_option("-o,--output", options->Output, "The PNG file to write")
        ->type_name("OUT.png")
        ->required();
    run.On(command, [options](std::ostream&, std::ostream& err) {
        const Options& request = *options;
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
                return ReportError(err,
                                   request.File + ": no definition has the index " + std::to_string(*index));
            text = EffectiveText(found->second);
        }

        const PngImage image = DrawPreviewImage(rendered->DeviceFont, text, zoom, size.first, size.second);
        if (auto written = WritePngFile(request.Output, image); !written)
            return ReportError(err, written.error().Message);
        return kExitSuccess;
    });
}

void AddGlyphsCommand(CLI::App& app, CommandRun& run)
{
    struct Options
    {
        std::string File;
        std::string Font;
        std::string Output;
        bool Json = false;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("glyphs", "Draw every glyph of the device font in a grid (PNG)")
                            ->footer(kGlyphsFooter);
    command->add_option("FILE", options->File, "The .strdef file whose texts the font is made for")
        ->required();
    AddFontOption(*command, options->Font);
    command->add_option("-o,--output", options->Output, "The PNG file to write")->type_name("SHEET.png");
    command->add_flag("--json", options->Json, "Print the glyph records as JSON");
    run.On(command, [options](std::ostream& out, std::ostream& err) {
        if (!options->Json && options->Output.empty())
            return ReportUsage(err, "glyphs", "-o SHEET.png is required unless --json is given");
        const auto rendered = RenderDefinitionFont(options->File, options->Font);
        if (!rendered)
            return ReportError(err, rendered.error().Message);
        const std::vector<char16_t> codePoints = rendered->TextCharacters().CodePoints();
        // The sheet first: a failure then leaves nothing printed that looks like a complete result.
        if (!options->Output.empty()) {
            const auto sheet = DrawGlyphSheet(rendered->DeviceFont, codePoints);
            if (!sheet)
                return ReportError(err, options->File + ": " + sheet.error().Message);
            if (auto written = WritePngFile(options->Output, *sheet); !written)
                return ReportError(err, written.error().Message);
        }
        if (!options->Json)
            return kExitSuccess;
        OrderedJson records = OrderedJson::array();
        for (const char16_t codePoint : codePoints) {
            const Glyph glyph = FindGlyph(rendered->DeviceFont, codePoint);
            records.push_back({{"codePoint", int{codePoint}},
                               {"character", TextJson(std::u16string(1, codePoint))},
                               {"advance", glyph.Advance},
                               {"xOffset", glyph.XOffset},
                               {"yOffset", glyph.YOffset},
                               {"width", glyph.Width},
                               {"height", glyph.Height}});
        }
        out << JsonLines({{"glyphs", std::move(records)}});
        return kExitSuccess;
    });
}

} // namespace orv
