#include "cli/DefinitionJson.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/Text.h"
#include "cli/JsonText.h"

namespace orv {

namespace {

// ---------------------------------------------------------------------------------------------
// Writing

// One top-level item with everything below it, on one line in nlohmann's compact form. nlohmann's
// writer recurses once per level, and a file's tree may be hundreds of thousands of levels deep, so
// the items are written here: down through first children and back up through parent links, with
// nlohmann writing each label.
std::string ItemTreeJson(const BlockItem& top)
{
    std::string out;
    const BlockItem* item = &top;
    for (;;) {
        out += "{\"label\":" + CompactJson(TextJson(item->Label)) +
               ",\"data\":" + std::to_string(item->Data) + ",\"children\":[";
        if (const BlockItem* child = item->FirstChild()) {
            item = child;
            continue;
        }
        // Close the item, then each ancestor it was the last descendant of, up to one with a next sibling.
        for (;;) {
            out += "]}";
            if (item == &top)
                return out;
            if (const BlockItem* next = item->NextSibling()) {
                out += ',';
                item = next;
                break;
            }
            item = item->Parent();
        }
    }
}

std::string DefinitionJson(std::uint16_t key, const StringDefinition& definition)
{
    return CompactJson({{"key", key},
                        {"index", definition.Index},
                        {"identifier", TextJson(definition.Identifier)},
                        {"defaultText", TextJson(definition.DefaultText)},
                        {"translation", TextJson(definition.Translation)},
                        {"translated", definition.Translated},
                        {"description", TextJson(definition.Description)}});
}

// ---------------------------------------------------------------------------------------------
// Reading

enum class FrameKind
{
    Root,
    ItemList, // "tree" or "children"
    Item,
    DefinitionList, // "definitions"
    Definition,
    UnitText, // {"utf16": [...]}, a text given by its code units
    UnitList, // the "utf16" array
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
    Units,
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
    FieldInfo{FrameKind::UnitText, Field::Units, "utf16", true},
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

const FieldInfo* FindField(FrameKind owner, std::string_view name)
{
    for (const FieldInfo& info : kFields) {
        if (info.Owner == owner && info.Name == name)
            return &info;
    }
    return nullptr;
}

// Text from the input quoted for a message, cut short so that hostile input cannot make it huge.
constexpr std::size_t kQuotedLimit = 40;

std::string Quoted(const std::string& name)
{
    return name.size() > kQuotedLimit ? CompactJson(name.substr(0, kQuotedLimit)) + "..." : CompactJson(name);
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
        Integer,     // non-negative and fits std::uint64_t
        OtherNumber, // negative, fractional, with an exponent, or too large
        String,
        Boolean,
        Null,
        Object,
        Array,
    };
    Kind Type = Kind::Null;
    std::uint64_t Integer = 0;
    std::string Text; // OtherNumber as written; String as the parser decoded it
};

JsonValue Of(JsonValue::Kind type, std::uint64_t integer = 0, std::string text = {})
{
    return JsonValue{type, integer, std::move(text)};
}

std::string Describe(const JsonValue& value)
{
    switch (value.Type) {
    case JsonValue::Kind::Integer:
        return std::to_string(value.Integer);
    case JsonValue::Kind::OtherNumber:
        return Shortened(value.Text);
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
class DefinitionJsonReader final : public nlohmann::json_sax<nlohmann::json>
{
public:
    // The content when the parser accepted the whole text, or the first error.
    Result<DefinitionContent> Take([[maybe_unused]] bool accepted)
    {
        // Every refusal, the parser's own and the schema's, goes through parse_error or Fail.
        assert(accepted == !FirstError.has_value());
        if (FirstError)
            return tl::unexpected(*FirstError);
        return std::move(Content);
    }

    bool null() override { return Value(Of(JsonValue::Kind::Null)); }
    bool boolean(bool) override { return Value(Of(JsonValue::Kind::Boolean)); }
    bool number_integer(number_integer_t value) override
    {
        // The parser reports non-negative integers through number_unsigned, except "-0".
        if (value >= 0)
            return Value(Of(JsonValue::Kind::Integer, static_cast<std::uint64_t>(value)));
        return Value(Of(JsonValue::Kind::OtherNumber, 0, std::to_string(value)));
    }
    bool number_unsigned(number_unsigned_t value) override
    {
        return Value(Of(JsonValue::Kind::Integer, value));
    }
    bool number_float(number_float_t, const string_t& text) override
    {
        return Value(Of(JsonValue::Kind::OtherNumber, 0, text));
    }
    bool string(string_t& text) override { return Value(Of(JsonValue::Kind::String, 0, std::move(text))); }
    bool binary(binary_t&) override { return Fail("binary values have no JSON text form"); }
    bool start_object(std::size_t) override { return Value(Of(JsonValue::Kind::Object)); }
    bool start_array(std::size_t) override { return Value(Of(JsonValue::Kind::Array)); }
    bool end_array() override
    {
        Frames.pop_back();
        return true;
    }
    bool key(string_t& name) override;
    bool end_object() override;
    bool parse_error(std::size_t position, const std::string&,
                     const nlohmann::detail::exception& error) override;

private:
    struct Frame
    {
        FrameKind Kind;
        BlockItem* Item = nullptr; // ItemList: the parent of its items (nullptr: top level); Item: itself
        std::u16string* Text = nullptr; // UnitText, UnitList: the text being filled
        std::size_t Elements = 0;       // lists: elements begun so far
        Field Pending = Field::None;    // objects: the field whose value comes next
        std::uint32_t Seen = 0;         // objects: FieldBit of each field given
    };

    bool Value(const JsonValue& value);
    bool FieldValue(Field field, const JsonValue& value);
    bool AddDefinition();
    std::optional<std::uint64_t> Integer(const JsonValue& value, std::uint64_t maximum);

    template <typename T> bool StoreInteger(const JsonValue& value, T& target)
    {
        const auto number = Integer(value, std::numeric_limits<T>::max());
        if (number)
            target = static_cast<T>(*number);
        return number.has_value();
    }
    bool StoreText(const JsonValue& value, std::u16string& target)
    {
        if (value.Type == JsonValue::Kind::Object) {
            target.clear();
            Frames.push_back({.Kind = FrameKind::UnitText, .Text = &target});
            return true;
        }
        if (value.Type != JsonValue::Kind::String)
            return Mismatch("a string or {\"utf16\": [...]}", value);
        // The parser has checked the UTF-8 and joined the escaped surrogate pairs.
        auto text = FromUtf8(value.Text);
        if (!text)
            return Fail(text.error().Message);
        target = std::move(*text);
        return true;
    }
    bool BeginList(const JsonValue& value, FrameKind kind, BlockItem* parent, std::u16string* text = nullptr)
    {
        if (value.Type != JsonValue::Kind::Array)
            return Mismatch("an array", value);
        Frames.push_back({.Kind = kind, .Item = parent, .Text = text});
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
    case FrameKind::UnitList: {
        ++top.Elements;
        char16_t unit = 0;
        if (!StoreInteger(value, unit))
            return false;
        top.Text->push_back(unit);
        return true;
    }
    default:
        return FieldValue(top.Pending, value);
    }
}

bool DefinitionJsonReader::FieldValue(Field field, const JsonValue& value)
{
    Frame& top = Frames.back();
    BlockItem* item = top.Item;
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
    case Field::Units:
        return BeginList(value, FrameKind::UnitList, nullptr, top.Text);
    case Field::None:
        break;
    }
    return Fail("value without a field");
}

bool DefinitionJsonReader::key(string_t& name)
{
    // The parser calls this only inside an object, and every object has pushed a frame.
    Frame& top = Frames.back();
    top.Pending = Field::None; // so that messages name the object rather than its previous field
    const FieldInfo* field = FindField(top.Kind, name);
    if (!field)
        return Fail("unknown field " + Quoted(name));
    if (top.Seen & FieldBit(field->Id))
        return Fail("field " + Quoted(name) + " appears twice");
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

bool DefinitionJsonReader::parse_error(std::size_t position, const std::string&,
                                       const nlohmann::detail::exception& error)
{
    // The library's messages start with "[json.exception.<kind>.<id>] ", which helps nobody here.
    std::string message = error.what();
    const std::size_t tagEnd = message.find("] ");
    if (message.starts_with("[json.exception.") && tagEnd != std::string::npos)
        message.erase(0, tagEnd + 2);
    if (!message.starts_with("parse error"))
        message = "parse error at byte " + std::to_string(position) + ": " + message;
    // The library quotes the token it stopped in, which can be as long as the file.
    constexpr std::size_t kMessageLimit = 200;
    if (message.size() > kMessageLimit)
        message = message.substr(0, kMessageLimit) + "...";
    FirstError = Error{ErrorCode::BadInput, message};
    return false;
}

std::optional<std::uint64_t> DefinitionJsonReader::Integer(const JsonValue& value, std::uint64_t maximum)
{
    const std::string range = "0.." + std::to_string(maximum);
    if (value.Type == JsonValue::Kind::Integer && value.Integer <= maximum)
        return value.Integer;

    const bool writtenAsInteger =
        value.Type == JsonValue::Kind::Integer ||
        (value.Type == JsonValue::Kind::OtherNumber && value.Text.find_first_of(".eE") == std::string::npos);
    if (writtenAsInteger)
        Fail(Describe(value) + " is out of range " + range, ErrorCode::OutOfRange);
    else
        Mismatch("an integer in " + range, value);
    return std::nullopt;
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
        case FrameKind::UnitList:
            if (frame.Elements > 0)
                path += "[" + std::to_string(frame.Elements - 1) + "]";
            break;
        case FrameKind::Root:
        case FrameKind::Item:
        case FrameKind::Definition:
        case FrameKind::UnitText:
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
    const OrderedJson header = {{"result", static_cast<int>(result)},
                                {"countPrefix", table.CountPrefix},
                                {"firmwareVersion", table.FirmwareVersion},
                                {"saveLock", table.SaveLock}};
    std::vector<std::string> members;
    for (const auto& member : header.items())
        members.push_back(CompactJson(member.key()) + ": " + CompactJson(member.value()));
    std::vector<std::string> items;
    for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextSibling())
        items.push_back(ItemTreeJson(*item));
    members.push_back("\"tree\": " + JsonBlock(items, 2, "[]"));
    std::vector<std::string> definitions;
    for (const auto& [key, definition] : table.Definitions)
        definitions.push_back(DefinitionJson(key, definition));
    members.push_back("\"definitions\": " + JsonBlock(definitions, 2, "[]"));
    return JsonBlock(members, 0, "{}") + "\n";
}

Result<DefinitionContent> ParseDefinitionJson(const std::string& text)
{
    DefinitionJsonReader reader;
    const bool accepted = nlohmann::json::sax_parse(text, &reader);
    return reader.Take(accepted);
}

} // namespace orv
