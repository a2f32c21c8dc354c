#include "output/OutputMessages.h"

namespace orv {

std::string TooFewDefinitionsMessage(std::size_t count)
{
    return "\"texts.bin\" was not written: its text table needs at least two definitions, and this file "
           "has " +
           std::to_string(count) + ".";
}

std::string TooFewTranslatedMessage(std::size_t count)
{
    return "Nothing was exported: the file's text table needs at least two texts marked \"Translated\", and "
           "this file has " +
           std::to_string(count) + ".";
}

Notice PoolOverflowNotice(const std::string& written, std::span<const std::uint16_t> cut,
                          std::span<const std::uint16_t> leftOut)
{
    std::string text =
        "The texts do not fit into the 65,536 bytes of the text table; " + written +
        " was written with the overflow flag set, and the device will not show these texts whole.";
    if (!cut.empty())
        text += "\r\n\r\nCut: " + FormatIndexRanges(cut);
    if (!leftOut.empty())
        text += "\r\n\r\nLeft out: " + FormatIndexRanges(leftOut);
    return WarningNotice(std::move(text));
}

Notice UnwritableIdentifiersNotice(std::span<const std::uint16_t> indexes)
{
    return WarningNotice(
        "These identifiers have characters above U+00FF, which \"fw_textIDs.h\" cannot hold; "
        "their lines were left out.\r\n\r\nIndexes: " +
        FormatIndexRanges(indexes));
}

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
