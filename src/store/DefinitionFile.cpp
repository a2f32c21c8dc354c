#include "store/DefinitionFile.h"

#include <cstdio>
#include <limits>
#include <new>
#include <optional>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "base/FileIo.h"
#include "base/Text.h"

namespace orv {

namespace {

enum TreeMarker : std::uint16_t
{
    kMarkerTopLevel = 0,
    kMarkerChild = 1,
    kMarkerSibling = 2,
    kMarkerUp = 3,
    kMarkerEnd = 0xFFFF,
};

enum FieldBit : std::uint32_t
{
    kFieldIndex = 0x01,
    kFieldIdentifier = 0x02,
    kFieldDefaultText = 0x04,
    kFieldTranslation = 0x08,
    kFieldDescription = 0x10,
    kFieldTranslated = 0x20,
};

constexpr std::uint8_t kLengthEscape8 = 0xFF;
constexpr std::uint16_t kUnicodeMark = 0xFFFE;
constexpr std::uint16_t kLengthEscape16 = 0xFFFF;
constexpr std::uint32_t kLengthEscape32 = 0xFFFFFFFF;

// Reads the primitives of the format and, on a failure, says what was being read and where. The
// place is kept as plain values and only formatted on failure, since reading must stay fast.
class ArchiveReader
{
public:
    explicit ArchiveReader(std::span<const std::uint8_t> bytes) : Bytes(bytes) {}

    const std::string& Reason() const { return FailureReason; }

    // Names the part of the file read next: "record 3 of 10", "tree item 7", "magic".
    void Enter(const char* section, std::optional<std::uint64_t> number = {},
               std::optional<std::uint64_t> of = {})
    {
        Section = section;
        Number = number;
        Of = of;
    }

    bool U16(std::uint16_t& value, const char* what)
    {
        const std::size_t start = Bytes.Offset();
        return Bytes.ReadU16(value) || EndedEarly(what, start, 2);
    }
    bool U32(std::uint32_t& value, const char* what)
    {
        const std::size_t start = Bytes.Offset();
        return Bytes.ReadU32(value) || EndedEarly(what, start, 4);
    }

    bool Count(std::uint64_t& value, const char* what)
    {
        const std::size_t start = Bytes.Offset();
        std::uint16_t word = 0;
        if (!Bytes.ReadU16(word))
            return EndedEarly(what, start, 2);
        return EscalatedLength(word, value, what, start);
    }

    bool String(std::u16string& text, const char* what)
    {
        const std::size_t start = Bytes.Offset();
        std::uint8_t byte = 0;
        if (!Bytes.ReadU8(byte))
            return EndedEarly(what, start, 1);
        if (byte < kLengthEscape8)
            return NarrowCharacters(byte, text, what, start);

        std::uint16_t word = 0;
        if (!Bytes.ReadU16(word))
            return EndedEarly(what, start, 3);
        std::uint64_t length = 0;
        if (word != kUnicodeMark) {
            if (!EscalatedLength(word, length, what, start))
                return false;
            return NarrowCharacters(length, text, what, start);
        }
        if (!Bytes.ReadU8(byte))
            return EndedEarly(what, start, 4);
        if (byte < kLengthEscape8) {
            length = byte;
        } else {
            if (!Bytes.ReadU16(word))
                return EndedEarly(what, start, 6);
            if (!EscalatedLength(word, length, what, start))
                return false;
        }
        if (!Bytes.ReadUtf16(length, text))
            return TooLong(what, start, length, "UTF-16 characters", Bytes.Remaining());
        return true;
    }

private:
    // The length form shared by counts and string lengths: a u16 below 0xFFFF, else a u32 below
    // 0xFFFFFFFF, else a u64.
    bool EscalatedLength(std::uint16_t word, std::uint64_t& value, const char* what, std::size_t start)
    {
        if (word < kLengthEscape16) {
            value = word;
            return true;
        }
        std::uint32_t longWord = 0;
        if (!Bytes.ReadU32(longWord))
            return EndedEarly(what, start, Bytes.Offset() - start + 4);
        if (longWord < kLengthEscape32) {
            value = longWord;
            return true;
        }
        if (!Bytes.ReadU64(value))
            return EndedEarly(what, start, Bytes.Offset() - start + 8);
        return true;
    }

    bool NarrowCharacters(std::uint64_t length, std::u16string& text, const char* what, std::size_t start)
    {
        std::span<const std::uint8_t> characters;
        if (length > Bytes.Remaining() || !Bytes.ReadBytes(static_cast<std::size_t>(length), characters))
            return TooLong(what, start, length, "8-bit characters", Bytes.Remaining());
        text = DecodeWindows1252(characters);
        return true;
    }

    std::string Describe(const char* what) const
    {
        std::string place = Section;
        if (Number)
            place += " " + std::to_string(*Number);
        if (Of)
            place += " of " + std::to_string(*Of);
        if (what)
            place += std::string(": ") + what;
        return place;
    }

    bool EndedEarly(const char* what, std::size_t start, std::size_t needed)
    {
        FailureReason = Describe(what) + " at byte " + std::to_string(start) + ": the file ends after " +
                        std::to_string(Bytes.Offset() - start + Bytes.Remaining()) + " of its " +
                        std::to_string(needed) + " bytes";
        return false;
    }

    bool TooLong(const char* what, std::size_t start, std::uint64_t length, const char* unit,
                 std::size_t left)
    {
        FailureReason = Describe(what) + " at byte " + std::to_string(start) + ": string claims " +
                        std::to_string(length) + " " + unit + ", only " + std::to_string(left) +
                        " bytes left";
        return false;
    }

    ByteReader Bytes;
    std::string FailureReason;
    const char* Section = "";
    std::optional<std::uint64_t> Number;
    std::optional<std::uint64_t> Of;
};

class DefinitionReader
{
public:
    DefinitionReader(std::span<const std::uint8_t> bytes, BlockTree& tree, DefinitionTable& table)
        : Archive(bytes), Tree(tree), Table(table)
    {}

    ReadOutcome Read()
    {
        Table.Definitions.clear();
        Tree.Clear();

        std::u16string magic;
        Archive.Enter("magic");
        if (!Archive.String(magic, nullptr))
            return Failed();
        if (magic != kDefinitionMagic)
            return {ReadResult::ReadBadMagic, {}};
        std::uint32_t formatWord = 0;
        Archive.Enter("format word");
        if (!Archive.U32(formatWord, nullptr))
            return Failed();
        if (formatWord != 0)
            return {ReadResult::ReadBadFormatWord, {}};

        if (const ReadResult tree = ReadTreeSection(); tree != ReadResult::ReadOk)
            return tree == ReadResult::ReadFailed ? Failed() : ReadOutcome{tree, {}};
        if (!ReadRecords() || !ReadTags())
            return Failed();

        Tree.RemoveItemsContaining(kUnusedMarker);
        return {ReadResult::ReadOk, {}};
    }

private:
    ReadOutcome Failed() const { return {ReadResult::ReadFailed, Archive.Reason()}; }

    ReadResult ReadTreeSection()
    {
        BlockItem* current = nullptr;
        for (std::size_t step = 0;; ++step) {
            std::uint16_t marker = 0;
            Archive.Enter("tree item", step);
            if (!Archive.U16(marker, "marker"))
                return ReadResult::ReadFailed;
            if (marker == kMarkerEnd)
                return ReadResult::ReadOk;
            if (marker == kMarkerUp) {
                current = current ? current->Parent() : nullptr;
                continue;
            }

            // Without a current item, "its child" and "its sibling" both mean the top level.
            BlockItem* parent = nullptr;
            if (marker == kMarkerChild)
                parent = current;
            else if (marker == kMarkerSibling && current)
                parent = current->Parent();

            std::u16string label;
            if (!Archive.String(label, "label"))
                return ReadResult::ReadFailed;
            if (marker != kMarkerTopLevel && marker != kMarkerChild && marker != kMarkerSibling) {
                std::uint32_t ignored = 0;
                if (!Archive.U32(ignored, "data"))
                    return ReadResult::ReadFailed;
                return ReadResult::ReadBadTreeMarker;
            }
            BlockItem& item = Tree.Append(parent, std::move(label), 0);
            if (!Archive.U32(item.Data, "data"))
                return ReadResult::ReadFailed;
            current = &item;
        }
    }

    bool ReadRecords()
    {
        std::uint64_t countPrefix = 0;
        Archive.Enter("count prefix");
        if (!Archive.Count(countPrefix, nullptr))
            return false;
        Table.CountPrefix = static_cast<std::uint16_t>(countPrefix);
        std::uint64_t count = 0;
        Archive.Enter("record count");
        if (!Archive.Count(count, nullptr))
            return false;
        // The count is not trusted for any allocation: each record takes at least four bytes, so a
        // false count ends at the end of the file.
        for (std::uint64_t number = 0; number < count; ++number) {
            StringDefinition definition;
            Archive.Enter("record", number, count);
            if (!ReadRecord(definition))
                return false;
            Table.FindOrAddDefinition(definition.Index) = std::move(definition);
        }
        return true;
    }

    bool ReadRecord(StringDefinition& definition)
    {
        std::uint32_t mask = 0;
        if (!Archive.U32(mask, "field mask"))
            return false;
        return (!(mask & kFieldIndex) || Archive.U16(definition.Index, "index")) &&
               (!(mask & kFieldIdentifier) || Archive.String(definition.Identifier, "identifier")) &&
               (!(mask & kFieldDefaultText) || Archive.String(definition.DefaultText, "default text")) &&
               (!(mask & kFieldTranslation) || Archive.String(definition.Translation, "translation")) &&
               (!(mask & kFieldDescription) || Archive.String(definition.Description, "description")) &&
               (!(mask & kFieldTranslated) || Archive.U32(definition.Translated, "translated flag"));
    }

    bool ReadTags()
    {
        Table.FirmwareVersion = 0;
        Table.SaveLock = 0;
        for (std::size_t number = 0;; ++number) {
            std::u16string tag;
            Archive.Enter("tag", number);
            if (!Archive.String(tag, nullptr))
                return false;
            if (tag.empty())
                return true;
            if (tag == u"ver" && !Archive.U16(Table.FirmwareVersion, "value of \"ver\""))
                return false;
            if (tag == u"foni" && !Archive.U32(Table.SaveLock, "value of \"foni\""))
                return false;
        }
    }

    ArchiveReader Archive;
    BlockTree& Tree;
    DefinitionTable& Table;
};

void WriteCount(ByteWriter& out, std::uint64_t value)
{
    if (value < kLengthEscape16) {
        out.WriteU16(static_cast<std::uint16_t>(value));
        return;
    }
    out.WriteU16(kLengthEscape16);
    if (value < kLengthEscape32) {
        out.WriteU32(static_cast<std::uint32_t>(value));
        return;
    }
    out.WriteU32(kLengthEscape32);
    out.WriteU64(value);
}

void WriteString(ByteWriter& out, std::u16string_view text)
{
    out.WriteU8(kLengthEscape8);
    out.WriteU16(kUnicodeMark);
    const std::uint64_t length = text.size();
    // Note: unlike a count, a string length of exactly 0xFFFE already takes the u32 form.
    if (length < kLengthEscape8) {
        out.WriteU8(static_cast<std::uint8_t>(length));
    } else if (length < kUnicodeMark) {
        out.WriteU8(kLengthEscape8);
        out.WriteU16(static_cast<std::uint16_t>(length));
    } else {
        out.WriteU8(kLengthEscape8);
        out.WriteU16(kLengthEscape16);
        if (length < kLengthEscape32) {
            out.WriteU32(static_cast<std::uint32_t>(length));
        } else {
            out.WriteU32(kLengthEscape32);
            out.WriteU64(length);
        }
    }
    out.WriteUtf16(text);
}

void WriteItem(ByteWriter& out, const BlockItem& item)
{
    WriteString(out, item.Label);
    out.WriteU32(item.Data);
}

void WriteTreeSection(ByteWriter& out, const BlockTree& tree)
{
    const BlockItem* current = tree.FirstTopLevel();
    if (!current) {
        out.WriteU16(kMarkerEnd);
        return;
    }
    out.WriteU16(kMarkerTopLevel);
    for (;;) {
        WriteItem(out, *current);
        if (const BlockItem* child = current->FirstChild()) {
            out.WriteU16(kMarkerChild);
            current = child;
            continue;
        }
        const BlockItem* next = current->NextSibling();
        while (!next) {
            current = current->Parent();
            if (!current) {
                out.WriteU16(kMarkerEnd);
                return;
            }
            out.WriteU16(kMarkerUp);
            next = current->NextSibling();
        }
        out.WriteU16(kMarkerSibling);
        current = next;
    }
}

std::size_t EstimatedSize(const DefinitionTable& table)
{
    std::size_t size = 256;
    for (const auto& [key, definition] : table.Definitions)
        size += 40 + 2 * (definition.Identifier.size() + definition.DefaultText.size() +
                          definition.Translation.size() + definition.Description.size());
    return size;
}

} // namespace

ReadOutcome ReadDefinitionBytes(std::span<const std::uint8_t> bytes, BlockTree& tree, DefinitionTable& table)
{
    return DefinitionReader(bytes, tree, table).Read();
}

Result<ReadOutcome> ReadDefinitionFile(const std::filesystem::path& path, BlockTree& tree,
                                       DefinitionTable& table)
{
    auto bytes = ReadWholeFile(path, kMaxDefinitionFileSize);
    if (!bytes)
        return tl::unexpected(bytes.error());
    try {
        return ReadDefinitionBytes(*bytes, tree, table);
    } catch (const std::bad_alloc&) {
        return ReadOutcome{ReadResult::ReadFailed,
                           "not enough memory to hold the definitions of " + path.string()};
    }
}

std::vector<std::uint8_t> WriteDefinitionBytes(const BlockTree& tree, const DefinitionTable& table)
{
    ByteWriter out;
    out.Reserve(EstimatedSize(table) + 16 * tree.TopLevelCount());
    WriteString(out, kDefinitionMagic);
    out.WriteU32(0);
    WriteTreeSection(out, tree);

    WriteCount(out, table.CountPrefix);
    WriteCount(out, table.Definitions.size());
    for (const auto& [key, definition] : table.Definitions) {
        out.WriteU32(kAllFieldsMask);
        out.WriteU16(definition.Index);
        WriteString(out, definition.Identifier);
        WriteString(out, definition.DefaultText);
        WriteString(out, definition.Translation);
        WriteString(out, definition.Description);
        out.WriteU32(definition.Translated);
    }

    WriteString(out, u"ver");
    out.WriteU16(table.FirmwareVersion);
    WriteString(out, u"foni");
    out.WriteU32(0);
    WriteString(out, u"");
    return out.Take();
}

std::string ReaderLabelText(std::uint16_t firmwareVersion)
{
    char text[64];
    std::snprintf(text, sizeof text, "System strings (Fw. ver. %.2f)",
                  static_cast<double>(static_cast<float>(firmwareVersion) / 100.0f));
    return text;
}

} // namespace orv
