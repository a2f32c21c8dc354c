#include "base/Text.h"

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

TEST(Windows1252, MapsTheHighControlRangeAndKeepsLatin1)
{
    const test::Bytes bytes = {'A', 0x80, 0x81, 0x8A, 0x9F, 0xA0, 0xE9, 0xFF};
    EXPECT_EQ(DecodeWindows1252(bytes), std::u16string(u"A\u20AC\u0081\u0160\u0178\u00A0\u00E9\u00FF"));
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
