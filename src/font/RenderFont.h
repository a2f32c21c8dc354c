#pragma once

// Turning a desktop font into the device font: every code point of a CharacterSet is drawn at four
// times the device size, reduced over 4 x 4 samples to a cell of at most 50 x 22 device pixels with
// eight grey levels, cropped to its ink and stored as a Glyph record; the GlyphTree is built over the
// sorted code points.
//
// A typical call:
//
//   CharacterSet characters;
//   for (auto& [index, definition] : table.Definitions)
//       characters.AddText(EffectiveText(definition));
//   const auto rendered = RenderFont(font, characters, OpenChosenFont(chosen));
//   if (!rendered)
//       report rendered.error().Message;  // OutOfRange: no face can render these texts

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "font/CharacterSet.h"
#include "font/GlyphTable.h"
#include "font/Rasteriser.h"

namespace orv {

inline constexpr std::string_view kRenderOutOfMemoryMessage = "Out of memory, can't render font!";
inline constexpr std::string_view kCoverageFailedMessage =
    "Error while getting the available character codes of the font!";
inline constexpr std::string_view kTooManyCharactersMessage = "Too many characters, max. is 4096";
inline constexpr std::string_view kNoAdvanceMessage =
    "Every character of the font has an advance width of 0, can't render font!";

// The Glyph of one drawn character: `bitmap` reduced over 4 x 4 samples from the column of
// floor(A / 4), quantised to eight grey levels and cropped to its ink (1 x 1 of value 0 without
// ink), its advance (A + B + C) / 4. The record's pixels are kept in `pixels`.
Glyph ReduceCharacter(const CoverageBitmap& bitmap, const CharacterWidths& widths,
                      std::vector<std::uint8_t>& pixels);

// Replaces `font` with the glyphs of `characters` drawn by `rasteriser` and returns how many code
// points it holds. A failure's message is the exact text for the user, its code says what failed:
//   OpenFailed   the face could not be found, opened or drawn
//   ReadFailed   the face's character coverage could not be read (kCoverageFailedMessage)
//   OutOfRange   the set holds more than kMaxGlyphCount code points (kTooManyCharactersMessage)
//   BadInput     every glyph drawn has an advance of 0, so texts would pile up (kNoAdvanceMessage)
//   OutOfMemory  memory ran out (kRenderOutOfMemoryMessage)
// Every failure leaves `font` without glyphs and tables, so that each lookup yields the EmptyGlyph;
// no exception leaves it.
Result<std::size_t> RenderFont(RenderedFont& font, const CharacterSet& characters, Rasteriser& rasteriser);

// The same with a rasteriser that may have failed to open: its error is the rendering's, with
// `font` emptied as for any failure.
Result<std::size_t> RenderFont(RenderedFont& font, const CharacterSet& characters,
                               Result<std::unique_ptr<Rasteriser>> rasteriser);

} // namespace orv
