#pragma once

// The texts that the device outputs show the user.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/Notice.h"

namespace orv {

inline constexpr const char* kOutOfMemoryMessage = "Out of memory";
inline constexpr const char* kChooseFontFirstMessage = "Choose a font first for rendering!";
inline constexpr const char* kCannotCreateFileMessage = "Can't create file";
inline constexpr const char* kIncompleteFileMessage =
    "Can't write the whole file; the file is left as it was.";
inline constexpr const char* kHeaderNotWrittenMessage =
    "Can't write \"fw_textIDs.h\"; \"texts.bin\" was left as it was and \"make_texts.bat\" was not run.";
inline constexpr const char* kTextTableNotWrittenMessage =
    "Can't write \"texts.bin\"; \"make_texts.bat\" was not run.";
inline constexpr const char* kFontTooBigMessage =
    "Font data is too big to fit the max. size for Fw. 1.04!\r\n\r\n"
    "It is very probable that the Fw. can't load and use this file.";
inline constexpr const char* kTextTooBigMessage =
    "Text data is too big to fit the max. size for Fw. 1.04!\r\n\r\n"
    "It is very probable that the Fw. can't load and use this file.";

// Why "texts.bin" was not written and the script not run for a table of `count` definitions.
std::string TooFewDefinitionsMessage(std::size_t count);

// Why there is no export for a table of `count` translated definitions.
std::string TooFewTranslatedMessage(std::size_t count);

// A warning that `written` (the file, as the sentence names it) has an overflowing text pool,
// naming the indexes whose texts were cut or left out.
Notice PoolOverflowNotice(const std::string& written, std::span<const std::uint16_t> cut,
                          std::span<const std::uint16_t> leftOut);

// A warning naming the indexes whose header lines were left out for their identifiers.
Notice UnwritableIdentifiersNotice(std::span<const std::uint16_t> indexes);

// `value` as `digits` upper-case hexadecimal digits, more when it needs more: HexNumber(0xE9, 4) is "00E9".
std::string HexNumber(std::uint32_t value, int digits);

// Ascending indexes as a short list, runs joined: "3, 5-9, 12". After `maxItems` items the rest is
// counted ("and 40 more").
std::string FormatIndexRanges(std::span<const std::uint16_t> indexes, std::size_t maxItems = 40);

// Ascending code points, runs joined, all of them: "U+0020-U+007E, U+00A9".
std::string FormatCodePointRanges(std::span<const std::uint16_t> codePoints);

} // namespace orv
