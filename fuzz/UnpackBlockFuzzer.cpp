// Feeds arbitrary streams to the block unpacker: the first four bytes give the raw size, the rest is
// the packed stream. Besides the sanitizers' checks, whatever unpacks must pack back to bytes that
// unpack to the same, within the worst-case size.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "output/BlockPacker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orv;
    if (size < 4)
        return 0;
    // Raw sizes up to 1 MiB; the unpacker must refuse the ones that the stream cannot hold itself.
    const std::size_t rawSize = (data[0] | data[1] << 8 | data[2] << 16 | (data[3] & 0x0F) << 24) & 0xFFFFF;
    const std::span<const std::uint8_t> packed(data + 4, size - 4);
    const auto unpacked = UnpackBlock(packed, rawSize);
    if (!unpacked) {
        if (unpacked.error().Message.empty())
            std::abort();
        return 0;
    }
    if (unpacked->size() != rawSize)
        std::abort();
    const auto repacked = PackBlock(*unpacked);
    if (repacked.size() > PackedSizeBound(rawSize))
        std::abort();
    const auto again = UnpackBlock(repacked, rawSize);
    if (!again || *again != *unpacked)
        std::abort();
    return 0;
}
