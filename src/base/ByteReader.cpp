#include "base/ByteReader.h"

#include <bit>
#include <cstring>

namespace orv {

namespace {

template <typename T> T LoadLittleEndian(const std::uint8_t* bytes)
{
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
    return value;
}

} // namespace

bool ByteReader::ReadU8(std::uint8_t& value)
{
    if (Remaining() < 1)
        return false;
    value = Bytes[Position++];
    return true;
}

bool ByteReader::ReadU16(std::uint16_t& value)
{
    if (Remaining() < 2)
        return false;
    value = LoadLittleEndian<std::uint16_t>(Bytes.data() + Position);
    Position += 2;
    return true;
}

bool ByteReader::ReadU32(std::uint32_t& value)
{
    if (Remaining() < 4)
        return false;
    value = LoadLittleEndian<std::uint32_t>(Bytes.data() + Position);
    Position += 4;
    return true;
}

bool ByteReader::ReadU64(std::uint64_t& value)
{
    if (Remaining() < 8)
        return false;
    value = LoadLittleEndian<std::uint64_t>(Bytes.data() + Position);
    Position += 8;
    return true;
}

bool ByteReader::ReadBytes(std::size_t count, std::span<const std::uint8_t>& bytes)
{
    if (Remaining() < count)
        return false;
    bytes = Bytes.subspan(Position, count);
    Position += count;
    return true;
}

bool ByteReader::ReadUtf16(std::uint64_t count, std::u16string& text)
{
    // Note: compare count with half of what is left rather than doubling count, which could wrap.
    if (count > Remaining() / 2)
        return false;
    const auto units = static_cast<std::size_t>(count);
    text.resize(units);
    const std::uint8_t* source = Bytes.data() + Position;
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(text.data(), source, units * 2);
    } else {
        for (std::size_t i = 0; i < units; ++i)
            text[i] = LoadLittleEndian<std::uint16_t>(source + 2 * i);
    }
    Position += units * 2;
    return true;
}

} // namespace orv
