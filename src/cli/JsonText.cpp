#include "cli/JsonText.h"

#include <cstdint>
#include <vector>

#include "base/Text.h"

namespace orv {

namespace {

bool IsValidUtf16(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
            ++i;
        else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i]))
            return false;
    }
    return true;
}

} // namespace

OrderedJson TextJson(std::u16string_view text)
{
    if (IsValidUtf16(text))
        return ToUtf8(text);
    return {{"utf16", std::vector<std::uint16_t>(text.begin(), text.end())}};
}

std::string CompactJson(const OrderedJson& value)
{
    return value.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
}

std::string JsonBlock(std::span<const std::string> elements, int indent, std::string_view brackets)
{
    std::string block(1, brackets[0]);
    for (std::size_t i = 0; i < elements.size(); ++i)
        block += (i == 0 ? "\n" : ",\n") + std::string(indent + 2, ' ') + elements[i];
    if (!elements.empty())
        block += "\n" + std::string(indent, ' ');
    return block + brackets[1];
}

std::string JsonLines(const OrderedJson& document)
{
    std::vector<std::string> lines;
    for (const auto& member : document.items()) {
        std::string line = document.is_object() ? CompactJson(member.key()) + ": " : "";
        if (!member.value().is_array()) {
            line += CompactJson(member.value());
        } else {
            std::vector<std::string> elements;
            for (const OrderedJson& element : member.value())
                elements.push_back(CompactJson(element));
            line += JsonBlock(elements, 2, "[]");
        }
        lines.push_back(std::move(line));
    }
    return JsonBlock(lines, 0, document.is_object() ? "{}" : "[]") + "\n";
}

} // namespace orv
