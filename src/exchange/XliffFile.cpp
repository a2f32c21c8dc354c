#include "exchange/XliffFile.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include <pugixml.hpp>

#include "base/FileIo.h"
#include "base/Text.h"

namespace orv {

namespace {

constexpr std::string_view kNamespace12 = "urn:oasis:names:tc:xliff:document:1.2";
constexpr std::string_view kNamespace11 = "urn:oasis:names:tc:xliff:document:1.1";
constexpr std::string_view kNamespace2Prefix = "urn:oasis:names:tc:xliff:document:2";

constexpr char32_t kNormalCode = 0x07;
constexpr char32_t kInvertedCode = 0x08;
constexpr std::string_view kNormalType = "x-orvane-normal";
constexpr std::string_view kInvertedType = "x-orvane-inverted";
constexpr std::string_view kCodeType = "x-orvane-code";

// pugixml spends about 64 bytes on each node and 40 on each attribute, so a file made of nothing
// but tags would take more than a gigabyte at the size limit. No file for translation comes near
// these counts (32 per possible unit), and they keep the document to a few hundred megabytes.
constexpr std::size_t kMaxTags = std::size_t{1} << 21;
constexpr std::size_t kMaxAttributes = std::size_t{1} << 21;

// Longest piece of the file's own text quoted in a message.
constexpr std::size_t kMaxQuoted = 40;

// The characters of XML 1.0; nothing else may appear in a document, not even as a reference.
constexpr bool IsXmlChar(char32_t c)
{
    return c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

std::string CodeName(char32_t c)
{
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

// `text` in quotes, shortened to a readable length (never inside a UTF-8 sequence).
std::string Quoted(std::string_view text)
{
    if (text.size() <= kMaxQuoted)
        return "\"" + std::string(text) + "\"";
    std::size_t cut = kMaxQuoted;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return "\"" + std::string(text.substr(0, cut)) + "...\"";
}

bool IsElement(pugi::xml_node node, std::string_view name)
{
    return node.type() == pugi::node_element && name == node.name();
}

// ---------------------------------------------------------------------------------------------
// Writing

// Collects what pugixml writes. pugixml writes a carriage return in an attribute as a reference
// but leaves it raw in text, where a reader would take it for a line feed; every raw one in its
// output comes from text, and becomes a reference here.
class ByteSink final : public pugi::xml_writer
{
public:
    explicit ByteSink(std::vector<std::uint8_t>& out) : Out(out) {}

    void write(const void* data, std::size_t size) override
    {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        const std::uint8_t* end = bytes + size;
        while (bytes < end) {
            const auto* cr = static_cast<const std::uint8_t*>(std::memchr(bytes, '\r', end - bytes));
            const std::uint8_t* stop = cr ? cr : end;
            Out.insert(Out.end(), bytes, stop);
            if (!cr)
                break;
            static constexpr std::string_view kReference = "&#13;";
            Out.insert(Out.end(), kReference.begin(), kReference.end());
            bytes = cr + 1;
        }
    }

private:
    std::vector<std::uint8_t>& Out;
};

// The first reason why XLIFF cannot hold `text`, or nothing. Only <source> and <target> have
// placeholders for the characters XML does not allow.
std::optional<std::string> Unwritable(std::u16string_view text, bool placeholders)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            return "a lone surrogate (" + CodeName(unit) + ")";
        } else if (!placeholders && !IsXmlChar(unit)) {
            return CodeName(unit);
        }
    }
    return std::nullopt;
}

std::optional<std::string> Unwritable(const TranslationUnit& unit)
{
    struct Field
    {
        const std::u16string& Text;
        const char* Name;
        bool Placeholders;
    };
    const Field fields[] = {
        {unit.Identifier, "identifier", false}, {unit.Source, "source", true},
        {unit.Target, "target", true},          {unit.Description, "description", false},
        {unit.BlockPath, "block path", false},
    };
    for (const Field& field : fields)
        if (auto why = Unwritable(field.Text, field.Placeholders))
            return *why + " in the " + field.Name;
    return std::nullopt;
}

// True when `text` is UTF-8 made of XML characters only.
bool IsXmlUtf8(std::string_view text)
{
    const auto decoded = FromUtf8(text);
    return decoded && !Unwritable(*decoded, false);
}

void AppendRun(pugi::xml_node parent, const std::string& run)
{
    if (!run.empty())
        parent.append_child(pugi::node_pcdata).set_value(run.data(), run.size());
}

// `text` as the content of `parent`: text runs and, for the characters XML does not allow,
// placeholders numbered from 1. The text holds no lone surrogate.
void AppendText(pugi::xml_node parent, std::u16string_view text)
{
    std::string run;
    int placeholders = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (IsXmlChar(c)) {
            AppendUtf8(run, c);
            continue;
        }
        AppendRun(parent, run);
        run.clear();
        pugi::xml_node x = parent.append_child("x");
        x.append_attribute("id").set_value(++placeholders);
        if (c == kNormalCode) {
            x.append_attribute("ctype").set_value(kNormalType.data(), kNormalType.size());
        } else if (c == kInvertedCode) {
            x.append_attribute("ctype").set_value(kInvertedType.data(), kInvertedType.size());
        } else {
            x.append_attribute("ctype").set_value(kCodeType.data(), kCodeType.size());
            x.append_attribute("equiv-text").set_value(CodeName(c).c_str());
        }
    }
    AppendRun(parent, run);
}

void AppendNote(pugi::xml_node unit, const char* from, const std::u16string& text, const char* indent)
{
    if (text.empty())
        return;
    unit.append_child(pugi::node_pcdata).set_value(indent);
    pugi::xml_node note = unit.append_child("note");
    note.append_attribute("from").set_value(from);
    AppendText(note, text);
}

void AppendUnit(pugi::xml_node body, const TranslationUnit& unit)
{
    static constexpr const char* kUnitIndent = "\n      ";
    static constexpr const char* kChildIndent = "\n        ";
    body.append_child(pugi::node_pcdata).set_value(kUnitIndent);
    pugi::xml_node element = body.append_child("trans-unit");
    element.append_attribute("id").set_value(static_cast<unsigned>(unit.Index));
    element.append_attribute("resname").set_value(ToUtf8(unit.Identifier).c_str());
    element.append_attribute("xml:space").set_value("preserve");
    // Tools of the translate-toolkit family take a translation as done only when it is approved.
    if (unit.Translated)
        element.append_attribute("approved").set_value("yes");

    element.append_child(pugi::node_pcdata).set_value(kChildIndent);
    AppendText(element.append_child("source"), unit.Source);
    element.append_child(pugi::node_pcdata).set_value(kChildIndent);
    pugi::xml_node target = element.append_child("target");
    target.append_attribute("state").set_value(unit.Translated ? "translated" : "needs-translation");
    AppendText(target, unit.Target);
    AppendNote(element, "developer", unit.Description, kChildIndent);
    AppendNote(element, "location", unit.BlockPath, kChildIndent);
    element.append_child(pugi::node_pcdata).set_value(kUnitIndent);
}

std::vector<std::uint8_t> WriteDocument(const TranslationFile& file)
{
    // pugixml's own indentation would put line breaks into texts that hold placeholders, so the
    // layout is made of text nodes here and the document is saved raw.
    pugi::xml_document document;
    pugi::xml_node root = document.append_child("xliff");
    root.append_attribute("version").set_value("1.2");
    root.append_attribute("xmlns").set_value(kNamespace12.data(), kNamespace12.size());
    root.append_child(pugi::node_pcdata).set_value("\n  ");
    pugi::xml_node fileElement = root.append_child("file");
    fileElement.append_attribute("original").set_value(file.Original.c_str());
    fileElement.append_attribute("source-language").set_value(file.SourceLanguage.c_str());
    if (!file.TargetLanguage.empty())
        fileElement.append_attribute("target-language").set_value(file.TargetLanguage.c_str());
    fileElement.append_attribute("datatype").set_value("plaintext");
    fileElement.append_child(pugi::node_pcdata).set_value("\n    ");
    pugi::xml_node body = fileElement.append_child("body");
    for (const TranslationUnit& unit : file.Units)
        AppendUnit(body, unit);
    body.append_child(pugi::node_pcdata).set_value("\n    ");
    fileElement.append_child(pugi::node_pcdata).set_value("\n  ");
    root.append_child(pugi::node_pcdata).set_value("\n");

    static constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    // Room for the markup of each unit and its texts at up to three bytes a UTF-16 unit.
    std::size_t estimate = kDeclaration.size() + 512;
    for (const TranslationUnit& unit : file.Units)
        estimate += 256 + 3 * (unit.Identifier.size() + unit.BlockPath.size() + unit.Source.size() +
                               unit.Target.size() + unit.Description.size());
    std::vector<std::uint8_t> bytes;
    bytes.reserve(estimate);
    bytes.assign(kDeclaration.begin(), kDeclaration.end());
    ByteSink sink(bytes);
    document.save(sink, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    bytes.push_back('\n');
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// Reading

// Lines and columns of byte offsets. A line ends with LF, CR LF or a lone CR. Offsets asked for in
// increasing order cost one pass over the file in all.
class LineCounter
{
public:
    explicit LineCounter(std::span<const std::uint8_t> bytes) : Bytes(bytes) {}

    std::size_t Line(std::size_t offset)
    {
        MoveTo(offset);
        return CurrentLine;
    }

    // In characters, from 1.
    std::size_t Column(std::size_t offset)
    {
        MoveTo(offset);
        std::size_t column = 1;
        for (std::size_t i = LineStart; i < Offset; ++i)
            column += (Bytes[i] & 0xC0) != 0x80;
        return column;
    }

private:
    void MoveTo(std::size_t offset)
    {
        offset = std::min(offset, Bytes.size());
        if (offset < Offset) {
            Offset = 0;
            CurrentLine = 1;
            LineStart = 0;
        }
        for (; Offset < offset; ++Offset) {
            const std::uint8_t byte = Bytes[Offset];
            if (byte == '\n' || (byte == '\r' && (Offset + 1 == Bytes.size() || Bytes[Offset + 1] != '\n'))) {
                ++CurrentLine;
                LineStart = Offset + 1;
            }
        }
    }

    std::span<const std::uint8_t> Bytes;
    std::size_t Offset = 0;
    std::size_t CurrentLine = 1;
    std::size_t LineStart = 0;
};

// Where a check of the raw bytes failed.
struct ByteFault
{
    std::size_t Offset;
    std::string What;
};

// Checks that `bytes` are UTF-8 made of XML characters only (a byte order mark is U+FEFF, which
// is one). pugixml reads UTF-8 without looking at it, so this is where bad bytes are caught.
std::optional<ByteFault> CheckCharacters(std::span<const std::uint8_t> bytes)
{
    std::size_t i = 0;
    const std::size_t size = bytes.size();
    while (i < size) {
        const std::uint8_t lead = bytes[i];
        if (lead >= 0x20 && lead < 0x80) {
            ++i;
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8Sequence(bytes, i);
        if (sequence.CutOff)
            return ByteFault{i, "invalid UTF-8: the file ends inside a character (is it cut off?)"};
        if (sequence.Length == 0)
            return ByteFault{i, "invalid UTF-8"};
        const char32_t c = sequence.CodePoint;
        const std::size_t length = sequence.Length;
        if (!IsXmlChar(c))
            return ByteFault{i, "the character " + CodeName(c) + ", which XML does not allow"};
        i += length;
    }
    return std::nullopt;
}

// A reference in text or in an attribute that cannot be decoded.
struct BadReference
{
    std::size_t Position; // of its '&' in the raw text
    std::string What;
};

// Appends `raw` to `out` with the character and entity references XML defines decoded. pugixml is
// told to leave them alone, as it would decode references to characters XML does not allow (and
// cut a text short at "&#0;").
std::optional<BadReference> AppendDecoded(std::string_view raw, std::string& out)
{
    std::size_t start = 0;
    for (;;) {
        const std::size_t amp = raw.find('&', start);
        out.append(raw.substr(start, amp - start));
        if (amp == std::string_view::npos)
            return std::nullopt;
        const std::size_t semicolon = raw.find(';', amp);
        if (semicolon == std::string_view::npos)
            return BadReference{amp, "a '&' that starts no reference (write it as &amp;)"};
        const std::string_view reference = raw.substr(amp, semicolon + 1 - amp);
        const std::string_view body = raw.substr(amp + 1, semicolon - amp - 1);
        if (body == "lt") {
            out.push_back('<');
        } else if (body == "gt") {
            out.push_back('>');
        } else if (body == "amp") {
            out.push_back('&');
        } else if (body == "apos") {
            out.push_back('\'');
        } else if (body == "quot") {
            out.push_back('"');
        } else if (body.size() >= 2 && body[0] == '#') {
            const bool hex = body[1] == 'x';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            char32_t value = 0;
            bool valid = !digits.empty();
            for (char digit : digits) {
                int number = -1;
                if (digit >= '0' && digit <= '9')
                    number = digit - '0';
                else if (hex && digit >= 'a' && digit <= 'f')
                    number = digit - 'a' + 10;
                else if (hex && digit >= 'A' && digit <= 'F')
                    number = digit - 'A' + 10;
                if (number < 0) {
                    valid = false;
                    break;
                }
                value = std::min<char32_t>(value * (hex ? 16 : 10) + number, 0x110000);
            }
            if (!valid)
                return BadReference{amp, "the malformed character reference " + Quoted(reference)};
            if (!IsXmlChar(value))
                return BadReference{amp, "the character reference " + Quoted(reference) +
                                             " to a character XML does not allow"};
            AppendUtf8(out, value);
        } else {
            return BadReference{amp, "the reference " + Quoted(reference) +
                                         ", which is none of the five that XML defines"};
        }
        start = semicolon + 1;
    }
}

std::string ParseProblem(const pugi::xml_parse_result& result)
{
    switch (result.status) {
    case pugi::status_unrecognized_tag:
        return "malformed XML: a '<' that starts no tag";
    case pugi::status_bad_pi:
        return "malformed XML: a bad XML declaration or processing instruction";
    case pugi::status_bad_comment:
        return "malformed XML: a bad comment";
    case pugi::status_bad_cdata:
        return "malformed XML: a bad CDATA section";
    case pugi::status_bad_doctype:
        return "malformed XML: a bad DOCTYPE declaration";
    case pugi::status_bad_pcdata:
        return "malformed XML: bad text";
    case pugi::status_bad_start_element:
        return "malformed XML: a bad start tag";
    case pugi::status_bad_attribute:
        return "malformed XML: a bad attribute";
    case pugi::status_bad_end_element:
        return "malformed XML: a bad end tag";
    case pugi::status_end_element_mismatch:
        return "malformed XML: an end tag that does not match the open element";
    case pugi::status_no_document_element:
        return "no XML element at all";
    default:
        return std::string("malformed XML: ") + result.description();
    }
}

class XliffReader
{
public:
    XliffReader(std::span<const std::uint8_t> bytes, std::string_view name)
        : Bytes(bytes), Name(name), Lines(bytes)
    {}

    Result<std::vector<ReadUnit>> Read()
    {
        if (auto checked = CheckBeforeParsing(); !checked)
            return tl::unexpected(checked.error());
        if (auto parsed = Parse(); !parsed)
            return tl::unexpected(parsed.error());
        const auto root = CheckDocument();
        if (!root)
            return tl::unexpected(root.error());
        for (pugi::xml_node file : root->children())
            if (IsElement(file, "file"))
                if (auto read = ReadBody(file.child("body")); !read)
                    return tl::unexpected(read.error());
        return std::move(Units);
    }

private:
    tl::unexpected<Error> FailHere(std::string what) const
    {
        return Fail(ErrorCode::BadInput, std::string(Name) + ": " + what);
    }

    tl::unexpected<Error> FailAtLine(std::size_t line, const std::string& what) const
    {
        return FailHere("line " + std::to_string(line) + ": " + what);
    }

    tl::unexpected<Error> FailAt(std::ptrdiff_t offset, const std::string& what)
    {
        return FailAtLine(Lines.Line(static_cast<std::size_t>(std::max<std::ptrdiff_t>(offset, 0))), what);
    }

    tl::unexpected<Error> FailAt(pugi::xml_node node, const std::string& what)
    {
        return FailAt(node.offset_debug(), what);
    }

    Result<void> CheckBeforeParsing()
    {
        if (Bytes.size() > kMaxTranslationFileBytes)
            return FailHere("the file has " + std::to_string(Bytes.size()) + " bytes, more than the " +
                            std::to_string(kMaxTranslationFileBytes) + " a file for translation can have");
        if (Bytes.size() >= 2 &&
            ((Bytes[0] == 0xFE && Bytes[1] == 0xFF) || (Bytes[0] == 0xFF && Bytes[1] == 0xFE)))
            return FailHere("the file is UTF-16 or UTF-32 (it starts with such a byte order mark); "
                            "only UTF-8 is read");
        if (Bytes.size() >= 2 && (Bytes[0] == 0 || Bytes[1] == 0))
            return FailHere("the file looks like UTF-16 or UTF-32 (it starts with a zero byte); "
                            "only UTF-8 is read");
        const auto* begin = Bytes.data();
        const auto* end = begin + Bytes.size();
        if (static_cast<std::size_t>(std::count(begin, end, '<')) > kMaxTags)
            return FailHere("the file has more than " + std::to_string(kMaxTags) +
                            " tags, far more than a file for translation needs");
        if (static_cast<std::size_t>(std::count(begin, end, '=')) > kMaxAttributes)
            return FailHere("the file has more than " + std::to_string(kMaxAttributes) +
                            " attributes, far more than a file for translation needs");
        return {};
    }

    Result<void> Parse()
    {
        // No parse_escapes: references are decoded by AppendDecoded. parse_ws_pcdata keeps texts
        // made of blanks only; parse_doctype makes a DOCTYPE visible so that it can be refused.
        constexpr unsigned kOptions = pugi::parse_cdata | pugi::parse_eol | pugi::parse_wconv_attribute |
                                      pugi::parse_ws_pcdata | pugi::parse_declaration | pugi::parse_doctype;
        const pugi::xml_parse_result result =
            Document.load_buffer(Bytes.data(), Bytes.size(), kOptions, pugi::encoding_utf8);
        if (result)
            return {};
        if (result.status == pugi::status_out_of_memory)
            return Fail(ErrorCode::OutOfMemory, std::string(Name) + ": not enough memory to read the file");
        // A zero byte ends pugixml's reading early, and bad bytes say more than what follows.
        if (auto fault = CheckCharacters(Bytes))
            return FailAt(static_cast<std::ptrdiff_t>(fault->Offset), fault->What);
        const auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
        // pugixml names the construct it could not finish, which for a file cut short says little.
        // XML ends with a '>'; an element left open is found out at the very end.
        std::size_t end = Bytes.size();
        while (end > 0 && (Bytes[end - 1] == ' ' || Bytes[end - 1] == '\t' || Bytes[end - 1] == '\n' ||
                           Bytes[end - 1] == '\r'))
            --end;
        if (result.status != pugi::status_no_document_element &&
            (end == 0 || Bytes[end - 1] != '>' ||
             (result.status == pugi::status_end_element_mismatch && offset + 1 >= end)))
            return FailAt(static_cast<std::ptrdiff_t>(Bytes.size()),
                          "the file ends before its XML does (is it cut off?)");
        return FailHere("line " + std::to_string(Lines.Line(offset)) + ", column " +
                        std::to_string(Lines.Column(offset)) + ": " + ParseProblem(result));
    }

    // Checks what surrounds the root element, the characters of the whole file and the root itself.
    Result<pugi::xml_node> CheckDocument()
    {
        pugi::xml_node root;
        for (pugi::xml_node node : Document.children()) {
            if (node.type() == pugi::node_doctype)
                return FailAt(node, "a DOCTYPE declaration; files for translation have none, and "
                                    "entities are not read");
            if (node.type() == pugi::node_declaration) {
                const std::string_view encoding = node.attribute("encoding").value();
                if (!encoding.empty() && !EqualsIgnoringCase(encoding, "UTF-8"))
                    return FailAt(node, "the file declares the encoding " + Quoted(encoding) +
                                            "; only UTF-8 is read");
            }
            if (node.type() == pugi::node_element) {
                if (root)
                    return FailAt(node, "a second root element <" + std::string(node.name()) + ">");
                root = node;
            }
        }
        if (auto fault = CheckCharacters(Bytes))
            return FailAt(static_cast<std::ptrdiff_t>(fault->Offset), fault->What);

        if (!root || std::string_view(root.name()) != "xliff")
            return FailAt(root, "not an XLIFF file: the root element is <" + std::string(root.name()) + ">");
        auto ns = AttributeText(root, "xmlns");
        if (!ns)
            return tl::unexpected(ns.error());
        auto version = AttributeText(root, "version");
        if (!version)
            return tl::unexpected(version.error());
        if (ns->starts_with(kNamespace2Prefix) || version->starts_with("2"))
            return FailAt(root, "XLIFF 2 is not read; save the file as XLIFF 1.2");
        if (!ns->empty() && *ns != kNamespace12 && *ns != kNamespace11)
            return FailAt(root, "not an XLIFF 1.2 file: the namespace is " + Quoted(*ns));
        return root;
    }

    static bool EqualsIgnoringCase(std::string_view text, std::string_view upper)
    {
        return text.size() == upper.size() &&
               std::equal(text.begin(), text.end(), upper.begin(),
                          [](char a, char b) { return (a >= 'a' && a <= 'z' ? a - 'a' + 'A' : a) == b; });
    }

    // The value of an element's attribute with its references decoded; empty when there is no
    // such attribute. (pugixml knows the place of elements only.)
    Result<std::string> AttributeText(pugi::xml_node element, const char* name)
    {
        std::string text;
        if (auto bad = AppendDecoded(element.attribute(name).value(), text))
            return FailAt(element, std::string("in the attribute ") + name + ": " + bad->What);
        return text;
    }

    // The trans-units of a <body>, in document order, going into <group>s; an iteration rather
    // than a recursion, since groups may nest as deep as the file allows.
    Result<void> ReadBody(pugi::xml_node body)
    {
        pugi::xml_node node = body.first_child();
        while (node) {
            if (IsElement(node, "group") && node.first_child()) {
                node = node.first_child();
                continue;
            }
            if (IsElement(node, "trans-unit"))
                if (auto read = ReadTransUnit(node); !read)
                    return read;
            while (node != body && !node.next_sibling())
                node = node.parent();
            if (node == body)
                break;
            node = node.next_sibling();
        }
        return {};
    }

    Result<void> ReadTransUnit(pugi::xml_node element)
    {
        auto restype = AttributeText(element, "restype");
        if (!restype)
            return tl::unexpected(restype.error());
        if (*restype == "x-gettext-domain-header")
            return {};

        ReadUnit unit;
        if (!element.attribute("id"))
            return FailAt(element, "a <trans-unit> without an id");
        auto id = AttributeText(element, "id");
        if (!id)
            return tl::unexpected(id.error());
        if (!ParseIndex(*id, unit.Index))
            return FailAt(element, "the trans-unit id " + Quoted(*id) + " is not an index from 0 to 65535");
        unit.Place = "line " + std::to_string(Lines.Line(element.offset_debug()));

        pugi::xml_node source;
        pugi::xml_node target;
        for (pugi::xml_node child : element.children()) {
            pugi::xml_node* slot = IsElement(child, "source")   ? &source
                                   : IsElement(child, "target") ? &target
                                                                : nullptr;
            if (!slot)
                continue;
            if (*slot)
                return FailAt(child, "a second <" + std::string(child.name()) + "> in the trans-unit");
            *slot = child;
        }
        if (!source)
            return FailAt(element, "a <trans-unit> without a <source>");
        auto sourceText = ReadText(source);
        if (!sourceText)
            return tl::unexpected(sourceText.error());
        unit.Source = std::move(*sourceText);
        if (target) {
            auto targetText = ReadText(target);
            if (!targetText)
                return tl::unexpected(targetText.error());
            unit.Target = std::move(*targetText);
            auto state = AttributeText(target, "state");
            if (!state)
                return tl::unexpected(state.error());
            if (target.attribute("state"))
                unit.Translated = *state == "translated" || *state == "final" || *state == "signed-off";
            else
                unit.Translated = !unit.Target.empty();
            unit.Translated =
                unit.Translated || std::string_view(element.attribute("approved").value()) == "yes";
        }
        Units.push_back(std::move(unit));
        return {};
    }

    // Decimal 0..65535, at most five digits.
    static bool ParseIndex(std::string_view text, std::uint16_t& index)
    {
        if (text.empty() || text.size() > 5)
            return false;
        unsigned value = 0;
        for (char digit : text) {
            if (digit < '0' || digit > '9')
                return false;
            value = value * 10 + static_cast<unsigned>(digit - '0');
        }
        if (value > 0xFFFF)
            return false;
        index = static_cast<std::uint16_t>(value);
        return true;
    }

    // The text of a <source> or <target>: its text and CDATA, <x/> placeholders turned back into
    // their characters, and the content of <mrk>s, at any depth.
    Result<std::u16string> ReadText(pugi::xml_node element)
    {
        std::string text;
        pugi::xml_node node = element.first_child();
        while (node) {
            if (node.type() == pugi::node_pcdata) {
                const std::string_view raw = node.value();
                if (auto bad = AppendDecoded(raw, text)) {
                    const auto breaks = std::count(raw.begin(), raw.begin() + bad->Position, '\n');
                    return FailAtLine(Lines.Line(node.offset_debug()) + breaks, bad->What);
                }
            } else if (node.type() == pugi::node_cdata) {
                text += node.value();
            } else if (IsElement(node, "x")) {
                auto code = PlaceholderCode(node, element.name());
                if (!code)
                    return tl::unexpected(code.error());
                AppendUtf8(text, *code);
            } else if (IsElement(node, "mrk") && node.first_child()) {
                node = node.first_child();
                continue;
            } else if (node.type() == pugi::node_element && !IsElement(node, "mrk")) {
                return FailAt(node, "<" + std::string(node.name()) + "> in a <" + element.name() +
                                        ">; of the inline elements only <mrk> and the <x/> placeholders "
                                        "of special codes are read");
            }
            while (node != element && !node.next_sibling())
                node = node.parent();
            if (node == element)
                break;
            node = node.next_sibling();
        }
        auto decoded = FromUtf8(text);
        if (!decoded)
            return FailAt(element, decoded.error().Message);
        return std::move(*decoded);
    }

    Result<char32_t> PlaceholderCode(pugi::xml_node x, const char* parent)
    {
        if (x.first_child())
            return FailAt(x, "an <x/> placeholder with content in a <" + std::string(parent) + ">");
        auto ctype = AttributeText(x, "ctype");
        if (!ctype)
            return tl::unexpected(ctype.error());
        if (*ctype == kNormalType)
            return kNormalCode;
        if (*ctype == kInvertedType)
            return kInvertedCode;
        if (*ctype != kCodeType)
            return FailAt(x, "an <x/> placeholder in a <" + std::string(parent) + "> with the ctype " +
                                 Quoted(*ctype) + ", which stands for no character of these texts");
        auto equiv = AttributeText(x, "equiv-text");
        if (!equiv)
            return tl::unexpected(equiv.error());
        // "U+" and four to six hex digits.
        unsigned code = 0;
        const char* digits = equiv->data() + std::min<std::size_t>(2, equiv->size());
        const char* end = equiv->data() + equiv->size();
        const auto [stop, error] = std::from_chars(digits, end, code, 16);
        if (!equiv->starts_with("U+") || error != std::errc() || stop != end || end - digits < 4 ||
            end - digits > 6 || code > 0x10FFFF || IsHighSurrogate(code) || IsLowSurrogate(code) ||
            IsXmlChar(code))
            return FailAt(x, "an <x/> placeholder of ctype " + Quoted(kCodeType) + " with the equiv-text " +
                                 Quoted(*equiv) +
                                 "; it must name a character XML cannot hold, such as \"U+0001\"");
        return static_cast<char32_t>(code);
    }

    std::span<const std::uint8_t> Bytes;
    std::string_view Name;
    LineCounter Lines;
    pugi::xml_document Document;
    std::vector<ReadUnit> Units;
};

} // namespace

Result<std::vector<std::uint8_t>> WriteXliffFile(const TranslationFile& file)
{
    try {
        std::string problems;
        for (const TranslationUnit& unit : file.Units)
            if (auto why = Unwritable(unit))
                problems +=
                    (problems.empty() ? "" : "; ") + ("unit " + std::to_string(unit.Index)) + ": " + *why;
        if (!problems.empty())
            return Fail(ErrorCode::BadInput, "XLIFF cannot hold these texts (" + problems + ")");
        const std::pair<const std::string&, const char*> names[] = {
            {file.Original, "file name"},
            {file.SourceLanguage, "source language"},
            {file.TargetLanguage, "target language"},
        };
        for (const auto& [text, what] : names)
            if (!IsXmlUtf8(text))
                return Fail(ErrorCode::BadInput, std::string("XLIFF cannot hold the ") + what +
                                                     ": it is not UTF-8, or it holds a control character");
        return WriteDocument(file);
    } catch (const std::bad_alloc&) {
        return Fail(ErrorCode::OutOfMemory, "not enough memory to write the XLIFF file");
    }
}

Result<std::vector<ReadUnit>> ReadXliffBytes(std::span<const std::uint8_t> bytes, std::string_view name)
{
    try {
        return XliffReader(bytes, name).Read();
    } catch (const std::bad_alloc&) {
        return Fail(ErrorCode::OutOfMemory, std::string(name) + ": not enough memory to read the file");
    }
}

Result<std::vector<ReadUnit>> ReadXliffFile(const std::filesystem::path& path)
{
    auto bytes = ReadWholeFile(path, kMaxTranslationFileBytes);
    if (!bytes)
        return tl::unexpected(bytes.error());
    return ReadXliffBytes(*bytes, path.string());
}

} // namespace orv
