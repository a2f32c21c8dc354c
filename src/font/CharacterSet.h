#pragma once

// The code points one rendering covers: every UTF-16 unit of the texts (each unit taken as one
// character, surrogates included), the printable ASCII range and sixteen fixed symbols, without the
// units that never get a glyph.

#include <array>
#include <bitset>
#include <cstddef>
#include <string_view>
#include <vector>

namespace orv {

// The symbols of the special-character list that are always rendered.
inline constexpr std::array<char16_t, 16> kFixedSymbols = {
    u'\u25B2', u'\u25BA', u'\u25BC', u'\u25C4', u'\u00AB', u'\u00BB', u'\u2194', u'\u2195',
    u'\u00A9', u'\u00B0', u'\u00B1', u'\u00B2', u'\u00B5', u'\u00D7', u'\u2248', u'\u266A',
};
// Printable ASCII, always rendered.
inline constexpr char16_t kFirstAscii = u'\u0020';
inline constexpr char16_t kLastAscii = u'\u007E';
// Never rendered: U+0000-U+000F (control codes, the special list's normal and inverted codes),
// the object replacement character and the special list's wildcard.
inline constexpr char16_t kLastControlCode = u'\u000F';
inline constexpr char16_t kObjectReplacement = u'\uFFFC';
inline constexpr char16_t kWildcard = u'\u25A1';
// ASCII and the symbols: what every rendering covers.
inline constexpr std::size_t kFixedCharacterCount = 111;

class CharacterSet
{
public:
    // Adds every unit of `text` without its leading and trailing space, CR, LF and tab.
    void AddText(std::u16string_view text);
    // The set in ascending order: the texts' units, U+0020-U+007E and the fixed symbols, minus
    // U+0000-U+000F, U+FFFC and U+25A1.
    std::vector<char16_t> CodePoints() const;

private:
    std::bitset<65536> TextUnits;
};

} // namespace orv
