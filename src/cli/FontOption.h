#pragma once

// The --font option of the subcommands that render, and the rendering they share: a definition file
// read as the editor reads it, and the device glyphs of every text in it drawn from one desktop font.
//
//   auto rendered = RenderDefinitionFont(file, font);
//   if (!rendered)
//       return ReportError(err, rendered.error().Message);
//   ... FindGlyph(rendered->Font, codePoint), rendered->Document.Table ...

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "font/GlyphTable.h"
#include "font/Rasteriser.h"
#include "store/DefinitionDocument.h"

namespace CLI {
class App;
}

namespace orv {

// Adds the required option "--font FONT", stored in `font`, to a subcommand.
void AddFontOption(CLI::App& command, std::string& font);

// A definition file and the device font for its texts.
struct DefinitionFont
{
    DefinitionDocument Document;          // as read from the file; nothing in it is changed
    std::vector<char16_t> CodePoints;     // the rendered character set, ascending; each has a glyph
    RenderedFont Font;                    // as the editor renders it for these texts
    std::vector<CodePointRange> Coverage; // the code points that the face itself maps
};

// Renders the EffectiveText of every definition of `document`, and `extraText`, with the face that
// `fontArgument` names (a .ttf, .otf or .ttc path, or a fontconfig pattern such as "DejaVu Sans:bold"),
// as the editor's Choose Font does. Fails with a message naming the file or font: a font that is not
// found (never replaced by another face), and every failure of RenderFont.
Result<DefinitionFont> RenderDocumentFont(DefinitionDocument document, std::string_view fontArgument,
                                          std::u16string_view extraText = {});

// LoadCompleteDefinitionFile, then RenderDocumentFont; fails as they do.
Result<DefinitionFont> RenderDefinitionFont(const std::filesystem::path& file, std::string_view fontArgument,
                                            std::u16string_view extraText = {});

} // namespace orv
