#pragma once

// Conversions between the program's UTF-16 texts and the 8-bit encodings it meets at its edges.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace orv {

inline constexpr bool IsHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
inline constexpr bool IsLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Appends the UTF-8 form of a code point (up to U+10FFFF; surrogates are encoded like any other).
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes Windows-1252 bytes. The five bytes that the code page leaves unassigned (0x81, 0x8D, 0x8F,
// 0x90, 0x9D) map to the C1 control code points of the same value, so every byte decodes.
std::u16string DecodeWindows1252(std::span<const std::uint8_t> bytes);

// UTF-8 for display and messages: an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);

// The code point of the UTF-8 sequence that starts at `offset` of `bytes` and its length in bytes.
// Length 0 for a malformed sequence (a bad lead or continuation byte, an overlong form, a surrogate,
// beyond U+10FFFF); CutOff when the bytes end inside the sequence.
struct Utf8Sequence
{
    char32_t CodePoint = 0;
    std::size_t Length = 0;
    bool CutOff = false;
};
Utf8Sequence DecodeUtf8Sequence(std::span<const std::uint8_t> bytes, std::size_t offset);

// Strict UTF-8 decoding; malformed input is an error naming the byte offset.
Result<std::u16string> FromUtf8(std::string_view text);

// Widens ASCII text; for literals in code and tests.
std::u16string FromAscii(std::string_view text);

} // namespace orv
