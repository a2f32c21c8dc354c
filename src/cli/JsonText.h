#pragma once

// JSON string literals for UTF-16 texts. Texts may hold unpaired surrogates, which UTF-8 cannot carry
// and which common JSON parsers refuse; here they travel as \uXXXX escapes in both directions.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"

namespace orv {

// Appends `text` as a quoted JSON string literal: surrogate pairs and other characters from U+0080 as
// UTF-8, quotes, backslashes and control characters escaped, unpaired surrogates as lower-case \udxxx.
void AppendJsonString(std::string& out, std::u16string_view text);

// The decoded string literals of a JSON text, numbered in the order they appear in it.
class JsonStrings
{
public:
    // Number of literals held.
    std::size_t Count() const { return Ends.size(); }
    // Literal `number` (0-based); valid while the object lives and is not appended to.
    std::u16string_view Get(std::size_t number) const;
    // Adds a literal after the last one.
    void Append(std::u16string_view text);

private:
    std::u16string Units;          // all literals, back to back
    std::vector<std::size_t> Ends; // where each literal ends in Units
};

// Decodes every string literal of `text` (object keys and values alike) and rewrites each unpaired
// surrogate escape in it to \ufffd, leaving every other byte where it was. A standard parser then
// accepts the text, reports errors at the same lines and columns, and meets the literals in the
// numbered order. A malformed literal (bad escape, raw control character, invalid UTF-8, no closing
// quote) is a BadInput error naming its line and column.
Result<JsonStrings> ExtractJsonStrings(std::string& text);

} // namespace orv
