#pragma once

// The --font option of the subcommands that render, and the rendering they share: a definition file
// opened as the editor opens it, and the device glyphs of every text in it drawn from one desktop font.
//
//   auto rendered = RenderDefinitionFont(file, font);
//   if (!rendered)
//       return ReportError(err, rendered.error().Message);
//   ... FindGlyph(rendered->DeviceFont, codePoint), rendered->Document.Table ...

#include <filesystem>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "session/EditorSession.h"

namespace CLI {
class App;
}

namespace orv {

// Adds the required option "--font FONT", stored in `font`, to a subcommand.
void AddFontOption(CLI::App& command, std::string& font);

// Renders the texts of `session`, and `extraText`, with the face that `fontArgument` names (a .ttf,
// .otf or .ttc path, or a fontconfig pattern such as "DejaVu Sans:bold"), as the editor's Choose
// Font does, into the session's DeviceFont and FontCoverage. The stored translations stay as they
// were read. Fails with a message naming the file or font: a font that is not found (never replaced
// by another face), and every failure of the rendering.
Result<void> RenderSessionFont(EditorSession& session, std::string_view fontArgument,
                               std::u16string_view extraText = {});

// OpenCompleteDefinitionFile, then RenderSessionFont; fails as they do.
Result<EditorSession> RenderDefinitionFont(const std::filesystem::path& file, std::string_view fontArgument,
                                           std::u16string_view extraText = {});

} // namespace orv
