#include "cli/FontOption.h"

#include <CLI/CLI.hpp>

#include "cli/CommandSupport.h"
#include "font/FreeTypeRasteriser.h"

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

Result<void> RenderSessionFont(EditorSession& session, std::string_view fontArgument,
                               std::u16string_view extraText)
{
    const auto rendered = session.RenderFont(OpenFontArgument(fontArgument), extraText);
    if (rendered)
        return {};
    const Error& error = rendered.Value.error();
    // A font that fails names itself; too many characters is about the texts of the file.
    switch (error.Code) {
    case ErrorCode::OpenFailed:
        return tl::unexpected(error);
    case ErrorCode::OutOfRange:
        return Fail(ErrorCode::OutOfRange,
                    session.Document.FilePath.string() + ": " + error.Message + " (the texts need " +
                        std::to_string(session.TextCharacters(extraText).CodePoints().size()) + ")");
    default:
        return Fail(error.Code, std::string(fontArgument) + ": " + error.Message);
    }
}

Result<EditorSession> RenderDefinitionFont(const std::filesystem::path& file, std::string_view fontArgument,
                                           std::u16string_view extraText)
{
    auto session = OpenCompleteDefinitionFile(file);
    if (!session)
        return tl::unexpected(session.error());
    if (auto rendered = RenderSessionFont(*session, fontArgument, extraText); !rendered)
        return tl::unexpected(rendered.error());
    return session;
}

} // namespace orv
