#include "store/DefinitionTable.h"

#include <cstdio>
#include <utility>

namespace orv {

StringDefinition& DefinitionTable::FindOrAddDefinition(std::uint16_t index)
{
    auto [entry, added] = Definitions.try_emplace(index);
    if (added)
        entry->second.Index = index;
    return entry->second;
}

void swap(DefinitionTable& left, DefinitionTable& right) noexcept
{
    using std::swap;
    swap(left.CountPrefix, right.CountPrefix);
    swap(left.FirmwareVersion, right.FirmwareVersion);
    swap(left.SaveLock, right.SaveLock);
    swap(left.Definitions, right.Definitions);
}

std::string FirmwareVersionText(std::uint16_t version)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x.%02x", unsigned(version >> 8), unsigned(version & 0xFF));
    return text;
}

} // namespace orv
