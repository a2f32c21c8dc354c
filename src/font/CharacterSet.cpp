#include "font/CharacterSet.h"

namespace orv {

namespace {

// The blanks of the blank rule. The trim changes nothing in the result (the space is always in the set
// and the others are never rendered), but the set is defined over the trimmed texts.
constexpr std::u16string_view kBlanks = u" \r\n\t";

} // namespace

void CharacterSet::AddText(std::u16string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::u16string_view::npos)
        return;
    const std::size_t last = text.find_last_not_of(kBlanks);
    for (const char16_t unit : text.substr(first, last - first + 1))
        TextUnits.set(unit);
}

std::vector<char16_t> CharacterSet::CodePoints() const
{
    std::bitset<65536> members = TextUnits;
    for (char16_t unit = kFirstAscii; unit <= kLastAscii; ++unit)
        members.set(unit);
    for (const char16_t symbol : kFixedSymbols)
        members.set(symbol);
    for (char16_t unit = 0; unit <= kLastControlCode; ++unit)
        members.reset(unit);
    members.reset(kObjectReplacement);
    members.reset(kWildcard);

    std::vector<char16_t> codePoints;
    codePoints.reserve(members.count());
    for (std::size_t unit = 0; unit < members.size(); ++unit) {
        if (members.test(unit))
            codePoints.push_back(static_cast<char16_t>(unit));
    }
    return codePoints;
}

} // namespace orv
