#include "base/ByteReader.h"

#include <gtest/gtest.h>

#include "base/ByteWriter.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::Bytes;

TEST(ByteReader, ReadsLittleEndianAndRefusesShortReadsWithoutMoving)
{
    const Bytes bytes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07};
    ByteReader reader(bytes);
    std::uint16_t word = 0;
    std::uint32_t longWord = 0;
    std::uint64_t quad = 0;
    ASSERT_TRUE(reader.ReadU16(word));
    EXPECT_EQ(word, 0x0201);
    ASSERT_TRUE(reader.ReadU32(longWord));
    EXPECT_EQ(longWord, 0x06050403u);
    EXPECT_FALSE(reader.ReadU64(quad));
    EXPECT_FALSE(reader.ReadU16(word));
    EXPECT_EQ(reader.Offset(), 6u);
    std::uint8_t byte = 0;
    ASSERT_TRUE(reader.ReadU8(byte));
    EXPECT_EQ(byte, 0x07);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteReader, Utf16CountIsCheckedBeforeAnythingIsAllocated)
{
    const Bytes bytes = {0x41, 0x00, 0x00, 0xD8, 0x42};
    ByteReader reader(bytes);
    std::u16string text;
    EXPECT_FALSE(reader.ReadUtf16(3, text));
    EXPECT_FALSE(reader.ReadUtf16(~std::uint64_t{0}, text));
    EXPECT_FALSE(reader.ReadUtf16(std::uint64_t{1} << 63, text));
    EXPECT_EQ(reader.Offset(), 0u);
    ASSERT_TRUE(reader.ReadUtf16(2, text));
    EXPECT_EQ(text, std::u16string(u"A\xD800"));
    EXPECT_EQ(reader.Remaining(), 1u);
}

TEST(ByteWriter, WritesWhatTheReaderReads)
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
