#pragma once

// The plain exhaustive block packer, written straight from the stream format, against which the
// shipped packer is compared.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orv::test {

// Tries every distance at every position, keeping a candidate only when it is strictly longer.
std::vector<std::uint8_t> PackBlockExhaustive(std::span<const std::uint8_t> input);

} // namespace orv::test
