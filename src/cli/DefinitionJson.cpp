#include "cli/DefinitionJson.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/JsonText.h"

namespace orv {

namespace {

// ---------------------------------------------------------------------------------------------
// Writing

// One top-level item with everything below it, on one line. Goes down through first children and
// back up through parent links, so the call stack stays flat however deep the tree is.
void AppendItemTree(std::string& out, const BlockItem& top)
{
    const BlockItem* item = &top;
    for (;;) {
        out += "{\"label\": ";
        AppendJsonString(out, item->Label);
        out += ", \"data\": " + std::to_string(item->Data) + ", \"children\": [";
        if (const BlockItem* child = item->FirstChild()) {
            item = child;
            continue;
        }
        // Close the item, then each ancestor it was the last descendant of, up to one with a next sibling.
        for (;;) {
            out += "]}";
            if (item == &top)
                return;
            if (const BlockItem* next = item->NextSibling()) {
                out += ", ";
                item = next;
                break;
            }
            item = item->Parent();
        }
    }
}

void AppendDefinition(std::string& out, std::uint16_t key, const StringDefinition& definition)
{
    out += "{\"key\": " + std::to_string(key) + ", \"index\": " + std::to_string(definition.Index);
    out += ", \"identifier\": ";
    AppendJsonString(out, definition.Identifier);
    out += ", \"defaultText\": ";
    AppendJsonString(out, definition.DefaultText);
    out += ", \"translation\": ";
    AppendJsonString(out, definition.Translation);
    out += ", \"translated\": " + std::to_string(definition.Translated);
    out += ", \"description\": ";
    AppendJsonString(out, definition.Description);
    out += '}';
}

// ---------------------------------------------------------------------------------------------
// Reading

using Json = nlohmann::json;

enum class FrameKind
{
    Root,
    ItemList, // "tree" or "children"
    Item,
    DefinitionList, // "definitions"
    Definition,
};

enum class Field
{
    None,
    Result,
    CountPrefix,
    FirmwareVersion,
    SaveLock,
    Tree,
    Definitions,
    Label,
    Data,
    Children,
    Key,
    Index,
    Identifier,
    DefaultText,
    Translation,
    Translated,
    Description,
};

struct FieldInfo
{
    FrameKind Owner;
    Field Id;
    std::string_view Name;
    bool Required;
};

constexpr std::array kFields = {
    FieldInfo{FrameKind::Root, Field::Result, "result", false},
    FieldInfo{FrameKind::Root, Field::CountPrefix, "countPrefix", false},
    FieldInfo{FrameKind::Root, Field::FirmwareVersion, "firmwareVersion", false},
    FieldInfo{FrameKind::Root, Field::SaveLock, "saveLock", false},
    FieldInfo{FrameKind::Root, Field::Tree, "tree", false},
    FieldInfo{FrameKind::Root, Field::Definitions, "definitions", false},
    FieldInfo{FrameKind::Item, Field::Label, "label", true},
    FieldInfo{FrameKind::Item, Field::Data, "data", true},
    FieldInfo{FrameKind::Item, Field::Children, "children", false},
    FieldInfo{FrameKind::Definition, Field::Key, "key", false},
    FieldInfo{FrameKind::Definition, Field::Index, "index", true},
    FieldInfo{FrameKind::Definition, Field::Identifier, "identifier", true},
    FieldInfo{FrameKind::Definition, Field::DefaultText, "defaultText", true},
    FieldInfo{FrameKind::Definition, Field::Translation, "translation", true},
    FieldInfo{FrameKind::Definition, Field::Translated, "translated", true},
    FieldInfo{FrameKind::Definition, Field::Description, "description", true},
};

std::uint32_t FieldBit(Field field)
{
    return std::uint32_t{1} << static_cast<unsigned>(field);
}

std::string_view FieldName(Field field)
{
    for (const FieldInfo& info : kFields) {
        if (info.Id == field)
            return info.Name;
    }
    return {};
}

const FieldInfo* FindField(FrameKind owner, std::u16string_view name)
{
    for (const FieldInfo& info : kFields) {
        if (info.Owner == owner && std::equal(name.begin(), name.end(), info.Name.begin(), info.Name.end()))
            return &info;
    }
    return nullptr;
}

// Text from the input quoted for a message, cut short so that hostile input cannot make it huge.
constexpr std::size_t kQuotedLimit = 40;

std::string Quoted(std::u16string_view text)
{
    std::string quoted;
    AppendJsonString(quoted, text.substr(0, kQuotedLimit));
    return text.size() > kQuotedLimit ? quoted + "..." : quoted;
}

// The user's text on the line where the parser stopped, up to the byte offset `end` it reports: the
// last kQuotedLimit bytes at most, never cut inside a UTF-8 sequence, control characters written as
// <U+XXXX>.
std::string TextBefore(std::string_view input, std::size_t end)
{
    const std::string_view read = input.substr(0, std::min(end, input.size()));
    // A line feed that ended the reading belongs to the line it ends.
    const std::size_t lastNewline = read.substr(0, read.empty() ? 0 : read.size() - 1).rfind('\n');
    const std::size_t lineStart = lastNewline == std::string_view::npos ? 0 : lastNewline + 1;
    std::size_t begin = std::max(lineStart, read.size() > kQuotedLimit ? read.size() - kQuotedLimit : 0);
    while (begin < read.size() && (static_cast<std::uint8_t>(read[begin]) & 0xC0) == 0x80)
        ++begin;
    std::string quoted = begin > lineStart ? "..." : "";
    for (const char c : read.substr(begin)) {
        if (static_cast<std::uint8_t>(c) >= 0x20) {
            quoted.push_back(c);
            continue;
        }
        char name[16];
        std::snprintf(name, sizeof name, "<U+%04X>", static_cast<unsigned>(c));
        quoted += name;
    }
    return quoted;
}

std::string Shortened(std::string text)
{
    if (text.size() > kQuotedLimit) {
        text.resize(kQuotedLimit);
        text += "...";
    }
    return text;
}

// A JSON value as far as checking it against the schema needs.
struct JsonValue
{
    enum class Kind
    {
        Integer,     // non-negative and below 2^64
        OtherNumber, // negative, fractional, with an exponent, or too large
        String,
        Boolean,
        Null,
        Object,
        Array,
    };
    Kind Type = Kind::Null;
    std::uint64_t Integer = 0;
    std::string NumberText; // OtherNumber as written
    std::u16string_view Text;

    static JsonValue Of(Kind type)
    {
        JsonValue value;
        value.Type = type;
        return value;
    }
    static JsonValue OfInteger(std::uint64_t integer)
    {
        JsonValue value = Of(Kind::Integer);
        value.Integer = integer;
        return value;
    }
    static JsonValue OfOtherNumber(std::string text)
    {
        JsonValue value = Of(Kind::OtherNumber);
        value.NumberText = std::move(text);
        return value;
    }
    static JsonValue OfText(std::u16string_view text)
    {
        JsonValue value = Of(Kind::String);
        value.Text = text;
        return value;
    }
};

std::string Describe(const JsonValue& value)
{
    switch (value.Type) {
    case JsonValue::Kind::Integer:
        return std::to_string(value.Integer);
    case JsonValue::Kind::OtherNumber:
        return Shortened(value.NumberText);
    case JsonValue::Kind::String:
        return "a string";
    case JsonValue::Kind::Boolean:
        return "a boolean";
    case JsonValue::Kind::Null:
        return "null";
    case JsonValue::Kind::Object:
        return "an object";
    case JsonValue::Kind::Array:
        return "an array";
    }
    return "a value";
}

// Builds the content from the parser's events. The open objects and arrays live on an explicit
// stack of frames, so nesting depth costs heap, not call stack; deeply nested input that the schema
// does not allow stops at its first misplaced bracket.
class DefinitionJsonReader final : public nlohmann::json_sax<Json>
{
public:
    // `input` is the text as the user wrote it, which parse errors quote.
    DefinitionJsonReader(const JsonStrings& strings, std::string_view input) : Strings(strings), Input(input)
    {}

    // The content when the parser accepted the whole text, or the first error.
    Result<DefinitionContent> Take(bool accepted)
    {
        if (FirstError)
            return tl::unexpected(*FirstError);
        if (!accepted || !Frames.empty())
            return orv::Fail(ErrorCode::BadInput, "the JSON text ends early");
        return std::move(Content);
    }

    bool null() override { return Value(JsonValue::Of(JsonValue::Kind::Null)); }
    bool boolean(bool) override { return Value(JsonValue::Of(JsonValue::Kind::Boolean)); }
    bool number_integer(number_integer_t value) override
    {
        // The parser reports non-negative integers through number_unsigned, except "-0".
        if (value >= 0)
            return Value(JsonValue::OfInteger(static_cast<std::uint64_t>(value)));
        return Value(JsonValue::OfOtherNumber(std::to_string(value)));
    }
    bool number_unsigned(number_unsigned_t value) override { return Value(JsonValue::OfInteger(value)); }
    bool number_float(number_float_t, const string_t& text) override
    {
        return Value(JsonValue::OfOtherNumber(text));
    }
    bool string(string_t&) override
    {
        const auto text = NextString();
        return text && Value(JsonValue::OfText(*text));
    }
    bool binary(binary_t&) override { return Fail("binary values have no JSON text form"); }
    bool start_object(std::size_t) override { return Value(JsonValue::Of(JsonValue::Kind::Object)); }
    bool start_array(std::size_t) override { return Value(JsonValue::Of(JsonValue::Kind::Array)); }
    bool end_array() override
    {
        Frames.pop_back();
        return true;
    }
    bool key(string_t&) override;
    bool end_object() override;
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override;

private:
    struct Frame
    {
        FrameKind Kind;
        BlockItem* Item = nullptr;   // ItemList: the parent of its items (nullptr: top level); Item: itself
        std::size_t Elements = 0;    // lists: elements begun so far
        Field Pending = Field::None; // objects: the field whose value comes next
        std::uint32_t Seen = 0;      // objects: FieldBit of each field given
    };

    bool Value(const JsonValue& value);
    bool FieldValue(Field field, const JsonValue& value);
    bool AddDefinition();
    std::optional<std::uint64_t> Integer(const JsonValue& value, std::uint64_t maximum);
    std::optional<std::u16string_view> NextString();

    template <typename T> bool StoreInteger(const JsonValue& value, T& target)
    {
        const auto number = Integer(value, std::numeric_limits<T>::max());
        if (number)
            target = static_cast<T>(*number);
        return number.has_value();
    }
    bool StoreText(const JsonValue& value, std::u16string& target)
    {
        if (value.Type != JsonValue::Kind::String)
            return Mismatch("a string", value);
        target = value.Text;
        return true;
    }
    bool BeginList(const JsonValue& value, FrameKind kind, BlockItem* parent)
    {
        if (value.Type != JsonValue::Kind::Array)
            return Mismatch("an array", value);
        Frames.push_back({.Kind = kind, .Item = parent});
        return true;
    }
    bool Mismatch(const std::string& expected, const JsonValue& value)
    {
        return Fail("expected " + expected + ", found " + Describe(value));
    }
    // Records the first error, prefixed with where it is, and stops the parser.
    bool Fail(const std::string& problem, ErrorCode code = ErrorCode::BadInput)
    {
        if (!FirstError) {
            const std::string where = Path();
            FirstError = Error{code, where.empty() ? problem : where + ": " + problem};
        }
        return false;
    }
    std::string Path() const;

    const JsonStrings& Strings;
    std::string_view Input;
    std::size_t NextStringNumber = 0;
    std::vector<Frame> Frames;
    DefinitionContent Content;
    StringDefinition Definition; // the definition being read; they do not nest
    std::optional<std::uint16_t> DefinitionKey;
    std::map<std::uint16_t, std::size_t> DefinitionNumbers; // key -> position in "definitions"
    std::optional<Error> FirstError;
};

bool DefinitionJsonReader::Value(const JsonValue& value)
{
    if (Frames.empty()) {
        if (value.Type != JsonValue::Kind::Object)
            return Fail("expected an object at the top level, found " + Describe(value));
        Frames.push_back({.Kind = FrameKind::Root});
        return true;
    }
    Frame& top = Frames.back();
    switch (top.Kind) {
    case FrameKind::ItemList: {
        ++top.Elements;
        if (value.Type != JsonValue::Kind::Object)
            return Mismatch("an object", value);
        BlockItem& item = Content.Tree.Append(top.Item, {}, 0);
        Frames.push_back({.Kind = FrameKind::Item, .Item = &item});
        return true;
    }
    case FrameKind::DefinitionList:
        ++top.Elements;
        if (value.Type != JsonValue::Kind::Object)
            return Mismatch("an object", value);
        Definition = {};
        DefinitionKey.reset();
        Frames.push_back({.Kind = FrameKind::Definition});
        return true;
    default:
        return FieldValue(top.Pending, value);
    }
}

bool DefinitionJsonReader::FieldValue(Field field, const JsonValue& value)
{
    BlockItem* item = Frames.back().Item;
    switch (field) {
    case Field::Result: {
        constexpr auto kLastCode = static_cast<std::uint64_t>(ReadResult::ReadBadTreeMarker);
        constexpr auto kFailedCode = static_cast<std::uint64_t>(ReadResult::ReadFailed);
        const auto result = Integer(value, kFailedCode);
        if (result && *result > kLastCode && *result != kFailedCode)
            return Fail(std::to_string(*result) + " is not a read result (0, 1, 2, 3 or 9)");
        return result.has_value();
    }
    case Field::CountPrefix:
        return StoreInteger(value, Content.Table.CountPrefix);
    case Field::FirmwareVersion:
        return StoreInteger(value, Content.Table.FirmwareVersion);
    case Field::SaveLock: {
        // The writer always writes 0, so the value only has to be one a file could hold.
        std::uint32_t ignored = 0;
        return StoreInteger(value, ignored);
    }
    case Field::Tree:
        return BeginList(value, FrameKind::ItemList, nullptr);
    case Field::Definitions:
        return BeginList(value, FrameKind::DefinitionList, nullptr);
    case Field::Label:
        return StoreText(value, item->Label);
    case Field::Data:
        return StoreInteger(value, item->Data);
    case Field::Children:
        return BeginList(value, FrameKind::ItemList, item);
    case Field::Key: {
        std::uint16_t key = 0;
        if (!StoreInteger(value, key))
            return false;
        DefinitionKey = key;
        return true;
    }
    case Field::Index:
        return StoreInteger(value, Definition.Index);
    case Field::Identifier:
        return StoreText(value, Definition.Identifier);
    case Field::DefaultText:
        return StoreText(value, Definition.DefaultText);
    case Field::Translation:
        return StoreText(value, Definition.Translation);
    case Field::Translated:
        return StoreInteger(value, Definition.Translated);
    case Field::Description:
        return StoreText(value, Definition.Description);
    case Field::None:
        break;
    }
    return Fail("value without a field");
}

bool DefinitionJsonReader::key(string_t&)
{
    const auto name = NextString();
    if (!name)
        return false;
    // The parser calls this only inside an object, and every object has pushed a frame.
    Frame& top = Frames.back();
    top.Pending = Field::None; // so that messages name the object rather than its previous field
    const FieldInfo* field = FindField(top.Kind, *name);
    if (!field)
        return Fail("unknown field " + Quoted(*name));
    if (top.Seen & FieldBit(field->Id))
        return Fail("field " + Quoted(*name) + " appears twice");
    top.Seen |= FieldBit(field->Id);
    top.Pending = field->Id;
    return true;
}

bool DefinitionJsonReader::end_object()
{
    Frame& top = Frames.back();
    top.Pending = Field::None;
    for (const FieldInfo& field : kFields) {
        if (field.Owner == top.Kind && field.Required && !(top.Seen & FieldBit(field.Id)))
            return Fail("missing field \"" + std::string(field.Name) + "\"");
    }
    if (top.Kind == FrameKind::Definition && !AddDefinition())
        return false;
    Frames.pop_back();
    return true;
}

bool DefinitionJsonReader::AddDefinition()
{
    const std::uint16_t key = DefinitionKey.value_or(Definition.Index);
    const std::size_t number = Frames[Frames.size() - 2].Elements - 1;
    const auto [first, added] = DefinitionNumbers.try_emplace(key, number);
    if (!added) {
        return Fail("key " + std::to_string(key) + (DefinitionKey ? "" : " (its index)") +
                    " is already used by definitions[" + std::to_string(first->second) + "]");
    }
    Content.Table.Definitions.emplace(key, std::move(Definition));
    return true;
}

bool DefinitionJsonReader::parse_error(std::size_t position, const std::string& lastRead,
                                       const nlohmann::detail::exception& error)
{
    // The library's messages start with "[json.exception.<kind>.<id>] ", which helps nobody here.
    std::string message = error.what();
    const std::size_t tagEnd = message.find("] ");
    if (message.starts_with("[json.exception.") && tagEnd != std::string::npos)
        message.erase(0, tagEnd + 2);
    // The library quotes what it read of its own input, in which unpaired surrogate escapes were
    // rewritten, and only for some errors; every error quotes the user's text below instead.
    const std::string libraryQuote = "; last read: '" + lastRead + "'";
    if (const std::size_t quoteAt = message.find(libraryQuote); quoteAt != std::string::npos)
        message.erase(quoteAt, libraryQuote.size());
    if (!message.starts_with("parse error"))
        message = "parse error at byte " + std::to_string(position) + ": " + message;
    // A number overflow quotes the whole number, which can be as long as the file.
    constexpr std::size_t kMessageLimit = 200;
    if (message.size() > kMessageLimit)
        message = message.substr(0, kMessageLimit) + "...";
    if (const std::string quote = TextBefore(Input, position); !quote.empty())
        message += "; last read: '" + quote + "'";
    FirstError = Error{ErrorCode::BadInput, message};
    return false;
}

std::optional<std::uint64_t> DefinitionJsonReader::Integer(const JsonValue& value, std::uint64_t maximum)
{
    const std::string range = "0.." + std::to_string(maximum);
    if (value.Type == JsonValue::Kind::Integer && value.Integer <= maximum)
        return value.Integer;

    const bool writtenAsInteger = value.Type == JsonValue::Kind::Integer ||
                                  (value.Type == JsonValue::Kind::OtherNumber &&
                                   value.NumberText.find_first_of(".eE") == std::string::npos);
    if (writtenAsInteger)
        Fail(Describe(value) + " is out of range " + range, ErrorCode::OutOfRange);
    else
        Mismatch("an integer in " + range, value);
    return std::nullopt;
}

std::optional<std::u16string_view> DefinitionJsonReader::NextString()
{
    // The parser meets the literals in text order, which is the order they were extracted in.
    if (NextStringNumber >= Strings.Count()) {
        Fail("internal error: the parser found more strings than were extracted");
        return std::nullopt;
    }
    return Strings.Get(NextStringNumber++);
}

std::string DefinitionJsonReader::Path() const
{
    // A deep tree gives a path of two frames a level; keep its two ends, which say where the error is.
    constexpr std::size_t kHead = 7;
    constexpr std::size_t kTail = 6;
    const std::size_t skipFrom = Frames.size() > kHead + kTail + 2 ? kHead : Frames.size();
    const std::size_t skipTo = Frames.size() - kTail;
    std::string path;
    for (std::size_t i = 0; i < Frames.size(); ++i) {
        if (i == skipFrom) {
            std::size_t levels = 0;
            for (; i < skipTo; ++i)
                levels += Frames[i].Kind == FrameKind::ItemList ? 1 : 0;
            path += "...(" + std::to_string(levels) + " more levels)...";
        }
        const Frame& frame = Frames[i];
        switch (frame.Kind) {
        case FrameKind::ItemList:
        case FrameKind::DefinitionList:
            if (frame.Elements > 0)
                path += "[" + std::to_string(frame.Elements - 1) + "]";
            break;
        case FrameKind::Root:
        case FrameKind::Item:
        case FrameKind::Definition:
            if (frame.Pending != Field::None)
                path += (frame.Kind == FrameKind::Root ? "" : ".") + std::string(FieldName(frame.Pending));
            break;
        }
    }
    return path;
}

} // namespace

std::string WriteDefinitionJson(const BlockTree& tree, const DefinitionTable& table, ReadResult result)
{
    std::string out = "{\n";
    out += "  \"result\": " + std::to_string(static_cast<int>(result)) + ",\n";
    out += "  \"countPrefix\": " + std::to_string(table.CountPrefix) + ",\n";
    out += "  \"firmwareVersion\": " + std::to_string(table.FirmwareVersion) + ",\n";
    out += "  \"saveLock\": " + std::to_string(table.SaveLock) + ",\n";

    out += "  \"tree\": [";
    const char* separator = "\n    ";
    for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextSibling()) {
        out += separator;
        AppendItemTree(out, *item);
        separator = ",\n    ";
    }
    out += tree.Empty() ? "],\n" : "\n  ],\n";

    out += "  \"definitions\": [";
    separator = "\n    ";
    for (const auto& [key, definition] : table.Definitions) {
        out += separator;
        AppendDefinition(out, key, definition);
        separator = ",\n    ";
    }
    out += table.Definitions.empty() ? "]\n" : "\n  ]\n";
    out += "}\n";
    return out;
}

Result<DefinitionContent> ParseDefinitionJson(std::string text)
{
    // The parser reads a copy in which the escapes it refuses are rewritten; messages quote `text`.
    std::string parserInput = text;
    auto strings = ExtractJsonStrings(parserInput);
    if (!strings)
        return tl::unexpected(strings.error());
    DefinitionJsonReader reader(*strings, text);
    const bool accepted = Json::sax_parse(parserInput, &reader);
    return reader.Take(accepted);
}

} // namespace orv
