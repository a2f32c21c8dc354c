#include "base/ByteReader.h"

#include <optional>

#include <gtest/gtest.h>

#include "base/ByteWriter.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::Bytes;

// Reads a byte and then a T from the first `available` bytes of 00 01 02 ... 08; nothing when the
// second read fails, which must leave the position after the first byte.
template <typename T> std::optional<T> ReadAfterAByte(std::size_t available, bool (ByteReader::*read)(T&))
{
    static const Bytes bytes = {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
    ByteReader reader{std::span(bytes).first(available)};
    std::uint8_t first = 0;
    T value = 0;
    const bool done = reader.ReadU8(first) && (reader.*read)(value);
    EXPECT_EQ(reader.Offset(), done ? 1 + sizeof(T) : 1u);
    EXPECT_EQ(reader.AtEnd(), reader.Offset() == available);
    return done ? std::optional<T>(value) : std::nullopt;
}

TEST(ByteReader, ReadsLittleEndianValuesThatJustFitAndRefusesShortReadsWithoutMoving)
{
    EXPECT_EQ(ReadAfterAByte(2, &ByteReader::ReadU8), 0x01);
    EXPECT_EQ(ReadAfterAByte(3, &ByteReader::ReadU16), 0x0201);
    EXPECT_EQ(ReadAfterAByte(5, &ByteReader::ReadU32), 0x04030201u);
    EXPECT_EQ(ReadAfterAByte(9, &ByteReader::ReadU64), 0x0807060504030201u);
    EXPECT_EQ(ReadAfterAByte(1, &ByteReader::ReadU8), std::nullopt);
    EXPECT_EQ(ReadAfterAByte(2, &ByteReader::ReadU16), std::nullopt);
    EXPECT_EQ(ReadAfterAByte(4, &ByteReader::ReadU32), std::nullopt);
    EXPECT_EQ(ReadAfterAByte(8, &ByteReader::ReadU64), std::nullopt);
}

TEST(ByteReader, Utf16CountIsCheckedBeforeAnythingIsAllocated)
{
    const Bytes bytes = {0x41, 0x00, 0x00, 0xD8, 0x42};
    ByteReader reader(bytes);
    std::u16string text;
    for (const std::uint64_t count : {std::uint64_t{3}, ~std::uint64_t{0}, std::uint64_t{1} << 63})
        EXPECT_FALSE(reader.ReadUtf16(count, text)) << count;
    EXPECT_EQ(reader.Offset(), 0u);
    ASSERT_TRUE(reader.ReadUtf16(2, text));
    EXPECT_EQ(text, std::u16string(u"A\xD800"));
    EXPECT_EQ(reader.Remaining(), 1u);
}

TEST(ByteWriter, WritesLittleEndianFields)
{
    ByteWriter writer;
    writer.WriteU8(0xAB);
    writer.WriteU16(0x1234);
    writer.WriteU32(0xDEADBEEF);
    writer.WriteU64(0x0102030405060708);
    writer.WriteUtf16(u"\xFFFEz");
    EXPECT_EQ(test::Hex(writer.Bytes()), "AB 34 12 EF BE AD DE 08 07 06 05 04 03 02 01 FE FF 7A 00");
}

} // namespace
} // namespace orv
