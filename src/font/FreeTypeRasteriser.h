#pragma once

// The Rasteriser over FreeType, with faces found through fontconfig or opened from a font file.
//
// The face is scaled so that its character cell, the OS/2 table's usWinAscent + usWinDescent (the
// hhea ascender - descender for a font without an OS/2 table), is kCellHeight pixels, and the baseline
// lies at the scaled ascent below the cell top. Glyphs are hinted as the font asks and drawn with
// 256-level anti-aliasing, whatever the desktop's settings. A font that is not found is an error,
// never another face: the face that fontconfig offers must carry the requested family.

#include <filesystem>
#include <memory>
#include <string_view>

#include "base/Result.h"
#include "font/ChosenFont.h"
#include "font/Rasteriser.h"

namespace orv {

// The installed face of `font`'s family nearest to its weight, slant and width, with the emboldening
// and slant that fontconfig adds when the family lacks that style. BadInput when `font` fails
// CheckChosenFont; OpenFailed when no installed font has the family or its face cannot be opened or
// is not a scalable outline font.
Result<std::unique_ptr<Rasteriser>> OpenChosenFont(const ChosenFont& font);

// The face that a fontconfig pattern such as "DejaVu Sans:bold" names. BadInput when the pattern does
// not parse or names no family; otherwise fails as OpenChosenFont.
Result<std::unique_ptr<Rasteriser>> OpenFontPattern(std::string_view pattern);

// Face `faceIndex` of a font file (.ttf, .otf, .ttc). OpenFailed when the file is missing, is not a
// font, lacks that face or holds no scalable outline font.
Result<std::unique_ptr<Rasteriser>> OpenFontFile(const std::filesystem::path& path, int faceIndex = 0);

// A font given on a command line: a path ending in .ttf, .otf or .ttc (any case) is a font file,
// anything else a fontconfig pattern. Fails as OpenFontFile or OpenFontPattern.
Result<std::unique_ptr<Rasteriser>> OpenFontArgument(std::string_view argument);

} // namespace orv
