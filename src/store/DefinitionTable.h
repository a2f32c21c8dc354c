#pragma once

// All definitions of one definition file, keyed by index, with the file's header words.

#include <cstdint>
#include <map>

#include "store/StringDefinition.h"

namespace orv {

inline constexpr std::uint16_t kDefaultCountPrefix = 1;
inline constexpr std::uint16_t kDefaultFirmwareVersion = 0x110;

struct DefinitionTable
{
    std::uint16_t CountPrefix = kDefaultCountPrefix;         // stored before the record count, kept as is
    std::uint16_t FirmwareVersion = kDefaultFirmwareVersion; // high byte major, low byte minor
    std::uint32_t SaveLock = 0;                              // the "foni" word; nonzero forbids saving
    std::map<std::uint16_t, StringDefinition> Definitions;   // ascending index order

    // The entry under `index`, added first when missing: empty texts, `Translated` 0, and `Index`
    // set to `index`, so that the entry is saved and read back under the key it was made for.
    StringDefinition& FindOrAddDefinition(std::uint16_t index);

    bool operator==(const DefinitionTable&) const = default;
};

// Exchanges all four fields of two tables.
void swap(DefinitionTable& left, DefinitionTable& right) noexcept;

// The version for people to read: "%x.%02x" of the high and low byte (0x110 is "1.10").
std::string FirmwareVersionText(std::uint16_t version);

} // namespace orv
