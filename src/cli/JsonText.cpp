#include "cli/JsonText.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "base/Text.h"

namespace orv {

namespace {

void AppendUnicodeEscape(std::string& out, char32_t unit)
{
    constexpr char kHexDigits[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(kHexDigits[(unit >> shift) & 0xF]);
}

std::optional<char16_t> HexValue(std::string_view digits)
{
    unsigned value = 0;
    for (char digit : digits) {
        unsigned nibble = 0;
        if (digit >= '0' && digit <= '9')
            nibble = static_cast<unsigned>(digit - '0');
        else if (digit >= 'a' && digit <= 'f')
            nibble = static_cast<unsigned>(digit - 'a' + 10);
        else if (digit >= 'A' && digit <= 'F')
            nibble = static_cast<unsigned>(digit - 'A' + 10);
        else
            return std::nullopt;
        value = value * 16 + nibble;
    }
    return static_cast<char16_t>(value);
}

// The length of the UTF-8 sequence a lead byte announces; 1 for a byte that cannot lead one, which
// the strict decoder then rejects.
std::size_t SequenceLength(std::uint8_t lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

// Positions are worked out only when an error is reported, so that decoding never counts lines.
Error BadLiteral(std::string_view text, std::size_t offset, const std::string& problem)
{
    const std::string_view before = text.substr(0, offset);
    const auto line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
    const std::size_t lastNewline = before.rfind('\n');
    const std::size_t column = lastNewline == std::string_view::npos ? offset + 1 : offset - lastNewline;
    return Error{ErrorCode::BadInput, "parse error at line " + std::to_string(line) + ", column " +
                                          std::to_string(column) + ": " + problem};
}

// The unit of the \uXXXX escape at `at`, if one is there.
std::optional<char16_t> EscapedUnit(std::string_view text, std::size_t at)
{
    if (at + 6 > text.size() || text[at] != '\\' || text[at + 1] != 'u')
        return std::nullopt;
    return HexValue(text.substr(at + 2, 4));
}

// Decodes the literal whose opening quote is at `open` into `decoded`, rewriting its unpaired
// surrogate escapes in `text` to \ufffd; returns the offset of its closing quote.
Result<std::size_t> DecodeLiteral(std::string& text, std::size_t open, std::u16string& decoded)
{
    decoded.clear();
    std::size_t at = open + 1;
    for (;;) {
        if (at >= text.size())
            return tl::unexpected(BadLiteral(text, open, "string without a closing quote"));
        const auto byte = static_cast<std::uint8_t>(text[at]);
        if (byte == '"')
            return at;
        if (byte < 0x20)
            return tl::unexpected(BadLiteral(text, at, "control character in a string; it must be escaped"));
        if (byte >= 0x80) {
            const std::size_t length = std::min(SequenceLength(byte), text.size() - at);
            auto character = FromUtf8(text.substr(at, length));
            if (!character)
                return tl::unexpected(BadLiteral(text, at, "string is not valid UTF-8"));
            decoded += *character;
            at += length;
            continue;
        }
        if (byte != '\\') {
            decoded.push_back(byte);
            ++at;
            continue;
        }

        const char escape = at + 1 < text.size() ? text[at + 1] : '\0';
        switch (escape) {
        case '"':
        case '\\':
        case '/':
            decoded.push_back(static_cast<char16_t>(escape));
            break;
        case 'b':
            decoded.push_back(u'\b');
            break;
        case 'f':
            decoded.push_back(u'\f');
            break;
        case 'n':
            decoded.push_back(u'\n');
            break;
        case 'r':
            decoded.push_back(u'\r');
            break;
        case 't':
            decoded.push_back(u'\t');
            break;
        case 'u': {
            // Each escape is one UTF-16 unit, so pairs, lone surrogates and everything else come
            // out exactly as written.
            const auto unit = EscapedUnit(text, at);
            if (!unit)
                return tl::unexpected(BadLiteral(text, at, "\\u needs four hexadecimal digits"));
            decoded.push_back(*unit);
            if (IsHighSurrogate(*unit)) {
                if (const auto low = EscapedUnit(text, at + 6); low && IsLowSurrogate(*low)) {
                    decoded.push_back(*low);
                    at += 12;
                    continue;
                }
            }
            // Note: an unpaired surrogate is the one escape that JSON parsers refuse. Four other hex
            // digits keep every offset, so the parser sees the user's text everywhere else.
            if (IsHighSurrogate(*unit) || IsLowSurrogate(*unit))
                text.replace(at + 2, 4, "fffd");
            at += 6;
            continue;
        }
        default:
            return tl::unexpected(BadLiteral(text, at, "invalid escape sequence in a string"));
        }
        at += 2;
    }
}

} // namespace

void AppendJsonString(std::string& out, std::u16string_view text)
{
    out.push_back('"');
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        switch (unit) {
        case u'"':
            out += "\\\"";
            continue;
        case u'\\':
            out += "\\\\";
            continue;
        case u'\b':
            out += "\\b";
            continue;
        case u'\f':
            out += "\\f";
            continue;
        case u'\n':
            out += "\\n";
            continue;
        case u'\r':
            out += "\\r";
            continue;
        case u'\t':
            out += "\\t";
            continue;
        default:
            break;
        }
        if (unit < 0x20) {
            AppendUnicodeEscape(out, unit);
        } else if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendUnicodeEscape(out, unit);
        } else {
            AppendUtf8(out, unit);
        }
    }
    out.push_back('"');
}

std::u16string_view JsonStrings::Get(std::size_t number) const
{
    const std::size_t begin = number == 0 ? 0 : Ends[number - 1];
    return std::u16string_view(Units).substr(begin, Ends[number] - begin);
}

void JsonStrings::Append(std::u16string_view text)
{
    Units += text;
    Ends.push_back(Units.size());
}

Result<JsonStrings> ExtractJsonStrings(std::string& text)
{
    JsonStrings strings;
    std::u16string decoded;
    // Outside string literals a quote can only open one, so the literals are found without
    // following the rest of the grammar; the parser that runs afterwards checks that.
    for (std::size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at + 1)) {
        auto close = DecodeLiteral(text, at, decoded);
        if (!close)
            return tl::unexpected(close.error());
        strings.Append(decoded);
        at = *close;
    }
    return strings;
}

} // namespace orv
