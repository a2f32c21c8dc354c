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

} // namespace orv
