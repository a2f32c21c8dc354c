#include "output/Notice.h"

namespace orv {

std::string HexNumber(std::uint32_t value, int digits)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
        --digits;
    } while (value != 0 || digits > 0);
    return text;
}

namespace {

// `values` (ascending) as a list of runs, each number written by `name`, the runs after `maxItems`
// only counted.
template <typename Name>
std::string FormatRanges(std::span<const std::uint16_t> values, std::size_t maxItems, Name name)
{
    std::string text;
    std::size_t items = 0;
    std::size_t i = 0;
    while (i < values.size()) {
        std::size_t last = i;
        while (last + 1 < values.size() && values[last + 1] == values[last] + 1)
            ++last;
        if (items == maxItems) {
            text += ", and " + std::to_string(values.size() - i) + " more";
            break;
        }
        if (items > 0)
            text += ", ";
        text += name(values[i]);
        if (last > i)
            text += "-" + name(values[last]);
        ++items;
        i = last + 1;
    }
    return text;
}

} // namespace

std::string FormatIndexRanges(std::span<const std::uint16_t> indexes, std::size_t maxItems)
{
    return FormatRanges(indexes, maxItems, [](std::uint16_t index) { return std::to_string(index); });
}

std::string FormatCodePointRanges(std::span<const std::uint16_t> codePoints)
{
    return FormatRanges(codePoints, codePoints.size(),
                        [](std::uint16_t codePoint) { return "U+" + HexNumber(codePoint, 4); });
}

} // namespace orv
