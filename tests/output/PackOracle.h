#pragma once

// The plain exhaustive block packer, written straight from the stream format, against which the
// shipped packer is compared; and a reader that lists a stream's items for readable expectations.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orv::test {

// Tries every distance at every position, keeping a candidate only when it is strictly longer.
std::vector<std::uint8_t> PackBlockExhaustive(std::span<const std::uint8_t> input);

// The items of a packed stream as "L5" (a run of 5 literals) and "M3@40/c2" (a match of length 3 at
// distance 40 in class 2), or "error" where the stream cannot be read.
std::vector<std::string> DescribeStream(std::span<const std::uint8_t> packed, std::size_t rawSize);

} // namespace orv::test
