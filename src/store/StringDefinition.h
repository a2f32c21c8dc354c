#pragma once

// The record of one device text and the operations on a single record.

#include <cstdint>
#include <string>
#include <string_view>

namespace orv {

struct StringDefinition
{
    std::uint16_t Index = 0;
    std::u16string Identifier; // without the "S_" prefix
    std::u16string DefaultText;
    std::u16string Translation;
    std::uint32_t Translated = 0; // nonzero: the translation is used; files may hold any value
    std::u16string Description;

    bool operator==(const StringDefinition&) const = default;
};

// The blanks that the blank rule trims: space, carriage return, line feed and tab.
inline constexpr std::u16string_view kBlankCharacters = u" \r\n\t";

// `text` without blanks at either end.
std::u16string_view TrimBlanks(std::u16string_view text);

// True when nothing is left of `text` after trimming blanks.
bool IsBlank(std::u16string_view text);

// The text the device shows for `definition`: the translation without blanks at either end when it
// is in use and not blank, else the default text.
std::u16string EffectiveText(const StringDefinition& definition);

// Stores the translation in use as the device shows it, without blanks at either end; a translation
// not in use stays as typed. Rendering and exporting do this to every definition, so that the file
// holds what the device shows.
void TrimTranslationInUse(StringDefinition& definition);

// `Index` as plain decimal digits, for the Index box.
std::string IndexText(const StringDefinition& definition);

} // namespace orv
