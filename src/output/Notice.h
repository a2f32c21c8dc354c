#pragma once

// What an output operation has to tell the user, one message at a time, in the order of the list it
// returns. The core decides the texts; a caller only presents them with the caption and icon.

#include <cstdint>
#include <span>
#include <string>
#include <utility>

namespace orv {

enum class NoticeIcon
{
    Error,   // the stop sign
    Warning, // the exclamation mark
    Information,
};

struct Notice
{
    std::string Text;    // the exact message, lines separated by "\r\n"
    std::string Caption; // "ERROR" or "WARNING"
    NoticeIcon Icon = NoticeIcon::Warning;
    std::string Details; // the system's account of a failure (file and reason), or empty

    bool IsWarning() const { return Caption == kWarningCaption; }
    bool operator==(const Notice&) const = default;

    static constexpr const char* kErrorCaption = "ERROR";
    static constexpr const char* kWarningCaption = "WARNING";
};

// An "ERROR" box with the given icon and details.
inline Notice ErrorNotice(std::string text, NoticeIcon icon = NoticeIcon::Warning, std::string details = {})
{
    return Notice{std::move(text), Notice::kErrorCaption, icon, std::move(details)};
}

// A "WARNING" box with the exclamation mark.
inline Notice WarningNotice(std::string text)
{
    return Notice{std::move(text), Notice::kWarningCaption, NoticeIcon::Warning, {}};
}

// `value` as `digits` upper-case hexadecimal digits, more when it needs more: HexNumber(0xE9, 4) is "00E9".
std::string HexNumber(std::uint32_t value, int digits);

// Ascending indexes as a short list, runs joined: "3, 5-9, 12". After `maxItems` items the rest is
// counted ("and 40 more").
std::string FormatIndexRanges(std::span<const std::uint16_t> indexes, std::size_t maxItems = 40);

// Ascending code points, runs joined, all of them: "U+0020-U+007E, U+00A9".
std::string FormatCodePointRanges(std::span<const std::uint16_t> codePoints);

} // namespace orv
