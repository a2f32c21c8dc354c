#include "store/StringDefinition.h"

namespace orv {

std::u16string_view TrimBlanks(std::u16string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlankCharacters);
    if (first == std::u16string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(kBlankCharacters);
    return text.substr(first, last - first + 1);
}

bool IsBlank(std::u16string_view text)
{
    return TrimBlanks(text).empty();
}

std::u16string EffectiveText(const StringDefinition& definition)
{
    if (definition.Translated == 0)
        return definition.DefaultText;
    const std::u16string_view trimmed = TrimBlanks(definition.Translation);
    return trimmed.empty() ? definition.DefaultText : std::u16string(trimmed);
}

void TrimTranslationInUse(StringDefinition& definition)
{
    if (definition.Translated == 0)
        return;
    const std::u16string_view trimmed = TrimBlanks(definition.Translation);
    if (trimmed.size() != definition.Translation.size())
        definition.Translation = std::u16string(trimmed);
}

std::string IndexText(const StringDefinition& definition)
{
    return std::to_string(definition.Index);
}

} // namespace orv
