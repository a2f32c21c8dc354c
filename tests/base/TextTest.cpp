#include "base/Text.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

// Every byte as the C library's own table decodes it; the five bytes the code page leaves unassigned
// become the C1 controls of the same value.
TEST(Windows1252, DecodesEveryByteAsTheCodePageDoes)
{
    const iconv_t convert = ::iconv_open("UTF-16LE", "CP1252");
    ASSERT_NE(convert, reinterpret_cast<iconv_t>(-1));
    for (int byte = 0; byte < 256; ++byte) {
        char in = static_cast<char>(byte);
        unsigned char out[2] = {};
        char* inAt = &in;
        char* outAt = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1, outLeft = sizeof out;
        const bool assigned =
            ::iconv(convert, &inAt, &inLeft, &outAt, &outLeft) != static_cast<std::size_t>(-1);
        const test::Bytes one = {static_cast<std::uint8_t>(byte)};
        EXPECT_EQ(DecodeWindows1252(one)[0], assigned ? out[0] | out[1] << 8 : byte) << byte;
    }
    ::iconv_close(convert);
}

TEST(Utf8, RoundTripsPairsAndReplacesLoneSurrogatesForDisplay)
{
    // The first code point of each sequence length and the last of Unicode.
    const std::u16string text = u"a\u0080\u0800\U00010000\U0010FFFF";
    const std::string utf8 = ToUtf8(text);
    EXPECT_EQ(utf8, "a\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(FromUtf8(utf8).value(), text);
    EXPECT_EQ(ToUtf8(std::u16string(u"x\xD800y\xDC00")), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(Utf8, RejectsMalformedInputNamingTheByte)
{
    for (const std::string bad : {"\x80", "ab\xC3", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"}) {
        const auto decoded = FromUtf8(bad);
        ASSERT_FALSE(decoded) << test::Hex(test::Bytes(bad.begin(), bad.end()));
        EXPECT_NE(decoded.error().Message.find("byte"), std::string::npos);
    }
}

} // namespace
} // namespace orv
