#include "store/DefinitionMerge.h"

#include <cstdio>

#include "store/TreeMoves.h"

namespace orv {

bool IsOlderFirmwareVersion(std::uint16_t other, std::uint16_t loaded)
{
    return other < loaded;
}

std::string MergeOlderVersionMessage(std::uint16_t other, std::uint16_t loaded)
{
    char text[128];
    std::snprintf(
        text, sizeof text, "The file to be merged (%x.%02x) with is older than the existing (%x.%02x)",
        unsigned(other >> 8), unsigned(other & 0xFF), unsigned(loaded >> 8), unsigned(loaded & 0xFF));
    return text;
}

MergeSummary MergeDefinitions(BlockTree& tree, DefinitionTable& table, const BlockTree& otherTree,
                              DefinitionTable& otherTable)
{
    tree.Clear();
    for (std::size_t row = 0; row < otherTree.TopLevelCount(); ++row)
        CopySubtree(tree, tree.Append(nullptr, u"", 0), *otherTree.TopLevel(row));

    swap(table, otherTable);
    DefinitionTable& old = otherTable;

    MergeSummary summary;
    for (const auto& [key, definition] : old.Definitions)
        if (!table.Definitions.contains(key))
            ++summary.Removed;

    for (auto& [key, merged] : table.Definitions) {
        const bool existed = old.Definitions.contains(key);
        // An index the old table lacks meets an empty definition, which is discarded with the table.
        const StringDefinition& previous = old.FindOrAddDefinition(key);
        if (!existed)
            ++summary.Added;

        if (IsBlank(merged.Translation))
            merged.Translated = 0;
        bool carried = false;
        if (merged.Translated == 0 && previous.Translated != 0) {
            merged.Translated = previous.Translated;
            merged.Translation = previous.Translation;
            carried = true;
        }
        if (merged.DefaultText != previous.DefaultText) {
            if (existed && merged.Translated != 0)
                ++summary.Unmarked;
            merged.Translated = 0;
        } else if (carried) {
            ++summary.Kept;
        }
    }
    return summary;
}

} // namespace orv
