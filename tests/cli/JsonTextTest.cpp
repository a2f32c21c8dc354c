#include "cli/JsonText.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

std::string Literal(std::u16string_view text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

TEST(AppendJsonStringTest, EscapesWhatJsonRequiresAndUnpairedSurrogates)
{
    EXPECT_EQ(Literal(u"plain"), R"("plain")");
    EXPECT_EQ(Literal(u"\"\\/"), R"("\"\\/")");
    EXPECT_EQ(Literal(u"\b\f\n\r\t\x01\x1F\x7F"), "\"\\b\\f\\n\\r\\t\\u0001\\u001f\x7F\"");
    EXPECT_EQ(Literal(std::u16string(u"a\0b", 3)), R"("a\u0000b")");
    EXPECT_EQ(Literal(u"\u00E9\u20AC\uFFFF"), "\"\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBF\"");
    // A pair becomes its code point; anything unpaired, in either order, stays an escape.
    EXPECT_EQ(Literal(u"\xD83D\xDE00"), "\"\xF0\x9F\x98\x80\"");
    EXPECT_EQ(Literal(u"\xD800"), R"("\ud800")");
    EXPECT_EQ(Literal(u"\xDC00\xD800"), R"("\udc00\ud800")");
    EXPECT_EQ(Literal(u"\xDBFF\xDBFF\xDFFF"), "\"\\udbff\xF4\x8F\xBF\xBF\"");
}

TEST(ExtractJsonStringsTest, DecodesEveryLiteralInOrderAndRewritesOnlyUnpairedSurrogates)
{
    const std::string original = R"({"k\u00e9y": ["a\"b\\\/\b\f\n\r\t", "\ud800\uDC00\udc00",)"
                                 R"( "\udbff\u0041\u0000z", )"
                                 "\"\xC3\xA9\xF0\x9F\x98\x80\", \"\"]}";
    std::string text = original;
    const auto strings = ExtractJsonStrings(text);
    ASSERT_TRUE(strings) << strings.error().Message;
    ASSERT_EQ(strings->Count(), 6u);
    EXPECT_EQ(strings->Get(0), u"k\u00E9y");
    EXPECT_EQ(strings->Get(1), u"a\"b\\/\b\f\n\r\t");
    EXPECT_EQ(strings->Get(2), u"\xD800\xDC00\xDC00");
    EXPECT_EQ(strings->Get(3), std::u16string(u"\xDBFF"
                                              u"A\0z",
                                              4)); // nothing after the zero is lost
    EXPECT_EQ(strings->Get(4), u"\u00E9\xD83D\xDE00");
    EXPECT_EQ(strings->Get(5), u"");
    // The pair stays; each unpaired surrogate becomes an escape of the same length.
    std::string expected = original;
    expected.replace(expected.find("\\udc00"), 6, "\\ufffd");
    expected.replace(expected.find("\\udbff"), 6, "\\ufffd");
    EXPECT_EQ(text, expected);
}

TEST(ExtractJsonStringsTest, RejectsMalformedLiteralsWithTheirPosition)
{
    const std::pair<std::string, std::string> cases[] = {
        {"[\"ab", "line 1, column 2: string without a closing quote"},
        {"[\n  \"a\\x\"]", "line 2, column 5: invalid escape sequence in a string"},
        {"[\"\\u12\"]", "line 1, column 3: \\u needs four hexadecimal digits"},
        {"[\"\\u12", "line 1, column 3: \\u needs four hexadecimal digits"},
        {"[\"\\", "line 1, column 3: invalid escape sequence in a string"},
        {"[\"a\nb\"]", "line 1, column 4: control character in a string; it must be escaped"},
        {"[\"\xC3\"]", "line 1, column 3: string is not valid UTF-8"},  // cut short by the quote
        {"[\"\xE2\x82", "line 1, column 3: string is not valid UTF-8"}, // cut short by the end
        {"[\"\x80\"]", "line 1, column 3: string is not valid UTF-8"},
    };
    for (const auto& [input, message] : cases) {
        std::string text = input;
        const auto strings = ExtractJsonStrings(text);
        ASSERT_FALSE(strings) << input;
        EXPECT_EQ(strings.error().Message, "parse error at " + message) << input;
    }
}

} // namespace
} // namespace orv
