#include "cli/FontOption.h"

#include <CLI/CLI.hpp>

#include "cli/ReadMessages.h"
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

Result<DefinitionFont> RenderDefinitionFont(const std::filesystem::path& file, std::string_view fontArgument,
                                            std::u16string_view extraText)
{
    DefinitionFont rendered;
    rendered.Document.FilePath = file;
    const auto loaded = rendered.Document.LoadDefinitionFile();
    if (!loaded)
        return tl::unexpected(loaded.error());
    // A partly read file would give a font without the characters of the texts that were lost.
    if (loaded->Result != ReadResult::ReadOk)
        return Fail(ErrorCode::BadInput, DescribeIncompleteRead(file, loaded->Result, loaded->Reason));

    CharacterSet characters;
    for (auto& [index, definition] : rendered.Document.Table.Definitions)
        characters.AddText(EffectiveText(definition));
    characters.AddText(extraText);

    const RenderFontResult result = RenderFont(rendered.Font, characters, OpenFontArgument(fontArgument));
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

} // namespace orv
