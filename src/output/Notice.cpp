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

std::string FormatIndexRanges(std::span<const std::uint16_t> indexes, std::size_t maxItems)
{
    std::string text;
    std::size_t items = 0;
    std::size_t i = 0;
    while (i < indexes.size()) {
        std::size_t last = i;
        while (last + 1 < indexes.size() && indexes[last + 1] == indexes[last] + 1)
            ++last;
        if (items == maxItems) {
            text += ", and " + std::to_string(indexes.size() - i) + " more";
            break;
        }
        if (items > 0)
            text += ", ";
        text += std::to_string(indexes[i]);
        if (last > i)
            text += "-" + std::to_string(indexes[last]);
        ++items;
        i = last + 1;
    }
    return text;
}

} // namespace orv
