// Packs arbitrary bytes with the shipped packer and with the exhaustive search of the tests: the
// bytes must be the same, within the worst-case size, and unpack to the input.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "PackOracle.h"
#include "output/BlockPacker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orv;
    const std::span<const std::uint8_t> input(data, size);
    std::vector<std::uint8_t> packed(PackedSizeBound(size));
    packed.resize(PackBlock(input, packed));
    if (packed != test::PackBlockExhaustive(input))
        std::abort();
    const auto unpacked = UnpackBlock(packed, size);
    if (!unpacked || !std::equal(unpacked->begin(), unpacked->end(), input.begin(), input.end()))
        std::abort();
    return 0;
}
