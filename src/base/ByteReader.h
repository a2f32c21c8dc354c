#pragma once

// Bounds-checked little-endian reading from a byte span. Every read either succeeds completely or
// fails without moving the position, so callers can report exactly where a file went wrong.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace orv {

class ByteReader
{
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : Bytes(bytes) {}

    std::size_t Offset() const { return Position; }
    std::size_t Remaining() const { return Bytes.size() - Position; }
    bool AtEnd() const { return Position == Bytes.size(); }

    // Each returns false, leaving the position unchanged, when fewer bytes than needed are left.
    bool ReadU8(std::uint8_t& value);
    bool ReadU16(std::uint16_t& value);
    bool ReadU32(std::uint32_t& value);
    bool ReadU64(std::uint64_t& value);

    // Takes `count` bytes as a view into the underlying span; false when fewer are left.
    bool ReadBytes(std::size_t count, std::span<const std::uint8_t>& bytes);

    // Reads `count` little-endian UTF-16 code units; false when fewer than 2 * count bytes are left.
    // Nothing is allocated before the length has been checked against what is left.
    bool ReadUtf16(std::uint64_t count, std::u16string& text);

private:
    std::span<const std::uint8_t> Bytes;
    std::size_t Position = 0;
};

} // namespace orv
