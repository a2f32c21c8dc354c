#include "cli/FontOption.h"

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"
#include "store/StringDefinition.h"

namespace orv {

void AddFontOption(CLI::App& command, std::string& font)
{
    // A font that is not found is an error, never another face; the help says so once per subcommand.
    command
        .add_option("--font", font,
                    "A font file (.ttf, .otf, .ttc) or a fontconfig pattern (\"DejaVu Sans:bold\")")
        ->type_name("FONT")
        ->required();
}

Result<DefinitionFont> RenderDocumentFont(DefinitionDocument document, std::string_view fontArgument,
                                          std::u16string_view extraText)
{
    DefinitionFont rendered;
    rendered.Document = std::move(document);
    const std::filesystem::path& file = rendered.Document.FilePath;

    // EffectiveText trims the translation it uses; copies keep the document as it was read, so that
    // the checks still see the blanks and the exports trim for themselves.
    CharacterSet characters;
    for (const auto& [index, definition] : rendered.Document.Table.Definitions) {
        StringDefinition copy = definition;
        characters.AddText(EffectiveText(copy));
    }
    characters.AddText(extraText);

    auto rasteriser = OpenFontArgument(fontArgument);
    if (!rasteriser)
        return Fail(ErrorCode::OpenFailed, rasteriser.error().Message);
    // RenderFont reads the coverage as well, only to refuse a face whose map is unusable.
    auto coverage = (*rasteriser)->UnicodeCoverage();
    if (!coverage)
        return Fail(ErrorCode::BadInput,
                    std::string(fontArgument) + ": " + std::string(kCoverageFailedMessage));
    rendered.Coverage = std::move(*coverage);

    const RenderFontResult result = RenderFont(rendered.Font, characters, **rasteriser);
    if (!result.Succeeded()) {
        // A font that fails names itself; the other failures are about the texts of the file.
        if (result.Outcome == RenderOutcome::FontFailed)
            return Fail(ErrorCode::OpenFailed, result.Message);
        if (result.Outcome == RenderOutcome::TooManyCharacters)
            return Fail(ErrorCode::OutOfRange, file.string() + ": " + result.Message + " (the texts need " +
                                                   std::to_string(result.CharacterCount) + ")");
        return Fail(ErrorCode::BadInput, std::string(fontArgument) + ": " + result.Message);
    }
    rendered.CodePoints = characters.CodePoints();
    return rendered;
}

Result<DefinitionFont> RenderDefinitionFont(const std::filesystem::path& file, std::string_view fontArgument,
                                            std::u16string_view extraText)
{
    auto document = LoadCompleteDefinitionFile(file);
    if (!document)
        return tl::unexpected(document.error());
    return RenderDocumentFont(std::move(*document), fontArgument, extraText);
}

} // namespace orv
