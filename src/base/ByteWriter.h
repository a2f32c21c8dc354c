#pragma once

// Little-endian writing into a growing byte buffer.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace orv {

class ByteWriter
{
public:
    void WriteU8(std::uint8_t value) { Buffer.push_back(value); }
    void WriteU16(std::uint16_t value);
    void WriteU32(std::uint32_t value);
    void WriteU64(std::uint64_t value);
    void WriteBytes(std::span<const std::uint8_t> bytes);
    // The code units of `text`, two bytes each, without a length or terminator.
    void WriteUtf16(std::u16string_view text);

    void Reserve(std::size_t size) { Buffer.reserve(size); }
    std::size_t Size() const { return Buffer.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return Buffer; }
    std::vector<std::uint8_t> Take() { return std::move(Buffer); }

private:
    std::vector<std::uint8_t> Buffer;
};

} // namespace orv
