#include "base/ByteWriter.h"

#include <bit>
#include <cstring>

namespace orv {

namespace {

template <typename T> void StoreLittleEndian(std::vector<std::uint8_t>& buffer, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i)
        buffer.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

} // namespace

void ByteWriter::WriteU16(std::uint16_t value)
{
    StoreLittleEndian(Buffer, value);
}
void ByteWriter::WriteU32(std::uint32_t value)
{
    StoreLittleEndian(Buffer, value);
}
void ByteWriter::WriteU64(std::uint64_t value)
{
    StoreLittleEndian(Buffer, value);
}

void ByteWriter::WriteBytes(std::span<const std::uint8_t> bytes)
{
    Buffer.insert(Buffer.end(), bytes.begin(), bytes.end());
}

void ByteWriter::WriteUtf16(std::u16string_view text)
{
    if constexpr (std::endian::native == std::endian::little) {
        const std::size_t start = Buffer.size();
        Buffer.resize(start + text.size() * 2);
        std::memcpy(Buffer.data() + start, text.data(), text.size() * 2);
    } else {
        for (char16_t unit : text)
            StoreLittleEndian(Buffer, static_cast<std::uint16_t>(unit));
    }
}

} // namespace orv
