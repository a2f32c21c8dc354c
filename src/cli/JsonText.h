#pragma once

// The JSON of the tool's outputs: texts as JSON values, and the one layout of every document printed.
//
// A text is a JSON string when it is valid UTF-16. The editor keeps whatever code units a file holds,
// unpaired surrogates included, and those have no UTF-8 form; such a text is written as an object of
// its UTF-16 code units instead: {"utf16": [55296, 65]} is U+D800 followed by "A".

#include <span>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace orv {

using OrderedJson = nlohmann::ordered_json;

// `text` as a JSON string, or as {"utf16": [units]} when it holds an unpaired surrogate.
OrderedJson TextJson(std::u16string_view text);

// `value` as compact JSON on one line. Bytes that are no UTF-8 (a file name may hold them) become U+FFFD.
std::string CompactJson(const OrderedJson& value);

// `elements`, each already JSON text, between `brackets` ("[]" or "{}"): "[]" when there are none, else
// one element a line indented by `indent` + 2 blanks and the closing bracket on a line indented by
// `indent`.
std::string JsonBlock(std::span<const std::string> elements, int indent, std::string_view brackets);

// `document`, an object or an array, as the tool prints every document: its members (or elements) one
// a line, an array among them with its elements one a line as well, everything deeper compact, and a
// line feed at the end.
std::string JsonLines(const OrderedJson& document);

} // namespace orv
