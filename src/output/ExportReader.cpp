#include "output/ExportReader.h"

#include <algorithm>
#include <string>

#include "base/ByteReader.h"
#include "output/BlockPacker.h"
#include "output/OutputMessages.h"
#include "output/SearchTableCheck.h"

namespace orv {

namespace {

constexpr std::uint8_t kGreyLevels[] = {0, 36, 73, 109, 146, 182, 219, 255};
// Where the checksum and the raw size words lie in a block header.
constexpr std::size_t kChecksumField = 4;
constexpr std::size_t kRawSizeField = 8;

// Reads a tag, a block header and its packed bytes, and unpacks and checks them; `maxRawSize` is the
// most that the block's payload can hold.
Result<std::vector<std::uint8_t>> ReadBlock(ByteReader& in, std::span<const std::uint8_t> tag,
                                            const std::string& name, std::size_t maxRawSize,
                                            BlockHeader& header)
{
    const std::string tagText(tag.begin(), tag.end());
    const std::size_t tagOffset = in.Offset();
    std::span<const std::uint8_t> readTag;
    if (!in.ReadBytes(tag.size(), readTag) || !std::equal(readTag.begin(), readTag.end(), tag.begin()))
        return Fail(ErrorCode::BadInput,
                    name + ": the tag \"" + tagText + "\" is missing at byte " + std::to_string(tagOffset));
    const std::size_t headerOffset = in.Offset();
    if (!in.ReadU32(header.PackedSize) || !in.ReadU32(header.Checksum) || !in.ReadU32(header.RawSize))
        return Fail(ErrorCode::BadInput,
                    name + ": the file ends inside the block header at byte " + std::to_string(headerOffset));
    if (header.PackedSize > kMaxPackedSize)
        return Fail(ErrorCode::BadInput, name + ": the packed size word at byte " +
                                             std::to_string(headerOffset) + " has bits 24-31 set");
    // A packed stream can claim some 97 times its size, so the payload's own limit is what keeps a
    // large file from asking for gigabytes.
    if (header.RawSize > maxRawSize)
        return Fail(ErrorCode::BadInput, name + ": the raw size " + std::to_string(header.RawSize) +
                                             " at byte " + std::to_string(headerOffset + kRawSizeField) +
                                             " is more than the " + std::to_string(maxRawSize) +
                                             " bytes that its payload can hold");
    std::span<const std::uint8_t> packed;
    if (!in.ReadBytes(header.PackedSize, packed))
        return Fail(ErrorCode::BadInput, name + ": " + std::to_string(header.PackedSize) +
                                             " packed bytes from byte " + std::to_string(in.Offset()) +
                                             ", but only " + std::to_string(in.Remaining()) +
                                             " are left in the file");
    auto raw = UnpackBlock(packed, header.RawSize);
    if (!raw)
        return Fail(ErrorCode::BadInput, name + " (packed from byte " +
                                             std::to_string(headerOffset + kBlockHeaderSize) +
                                             "): " + raw.error().Message);
    const std::uint32_t checksum = Adler32(*raw);
    if (checksum != header.Checksum)
        return Fail(ErrorCode::BadInput, name + ": the checksum 0x" + HexNumber(header.Checksum, 8) +
                                             " at byte " + std::to_string(headerOffset + kChecksumField) +
                                             " does not match the unpacked bytes (0x" +
                                             HexNumber(checksum, 8) + ")");
    return raw;
}

// The offsets of the glyph records that follow each other through the whole store, after checking
// each one.
Result<std::vector<std::uint32_t>> CheckGlyphRecords(std::span<const std::uint8_t> store,
                                                     std::size_t storeStart)
{
    std::vector<std::uint32_t> offsets;
    std::size_t offset = 0;
    while (offset < store.size()) {
        const std::string place = "font block: glyph record at byte " + std::to_string(storeStart + offset);
        if (store.size() - offset < kGlyphHeaderSize)
            return Fail(ErrorCode::BadInput, place + " is cut off by the end of the glyph store");
        const std::uint8_t width = store[offset + 3];
        const std::uint8_t height = store[offset + 4];
        const auto yOffset = static_cast<std::int8_t>(store[offset + 2]);
        if (width < 1 || width > kMaxGlyphWidth)
            return Fail(ErrorCode::BadInput, place + ": width " + std::to_string(width) +
                                                 " is outside 1 to " + std::to_string(kMaxGlyphWidth));
        if (height < 1 || height > kLineHeight)
            return Fail(ErrorCode::BadInput, place + ": height " + std::to_string(height) +
                                                 " is outside 1 to " + std::to_string(kLineHeight));
        if (yOffset < 0 || yOffset + height > kLineHeight)
            return Fail(ErrorCode::BadInput, place + ": y offset " + std::to_string(yOffset) +
                                                 " with height " + std::to_string(height) + " leaves the " +
                                                 std::to_string(kLineHeight) + "-pixel line");
        const Glyph glyph = GlyphAt(store, offset);
        if (glyph.Pixels.size() != std::size_t{width} * height)
            return Fail(ErrorCode::BadInput, place + ": its " + std::to_string(width * height) +
                                                 " pixels run past the end of the glyph store");
        for (std::size_t i = 0; i < glyph.Pixels.size(); ++i) {
            const std::uint8_t pixel = glyph.Pixels[i];
            if (std::find(std::begin(kGreyLevels), std::end(kGreyLevels), pixel) == std::end(kGreyLevels))
                return Fail(ErrorCode::BadInput, place + ": pixel " + std::to_string(i) + " has the value " +
                                                     std::to_string(pixel) +
                                                     ", not one of the 8 grey levels");
        }
        offsets.push_back(static_cast<std::uint32_t>(offset));
        offset += kGlyphHeaderSize + glyph.Pixels.size();
    }
    return offsets;
}

Result<void> ReadFontPayload(std::span<const std::uint8_t> payload, ExportContents& contents)
{
    ByteReader in(payload);
    std::uint32_t entryCount = 0;
    if (!in.ReadU32(entryCount))
        return Fail(ErrorCode::BadInput, "font block: the payload of " + std::to_string(payload.size()) +
                                             " bytes has no room for the glyph tree's entry count");
    if (entryCount >= kMaxGlyphCount)
        return Fail(ErrorCode::BadInput, "font block: " + std::to_string(entryCount) +
                                             " glyph tree entries at byte 0, more than the " +
                                             std::to_string(kMaxGlyphCount - 1) + " that a device holds");
    std::vector<SearchTableEntry> entries;
    if (!ReadSearchTable(in, entryCount, entries))
        return Fail(ErrorCode::BadInput, "font block: " + std::to_string(entryCount) +
                                             " glyph tree entries do not fit in the payload of " +
                                             std::to_string(payload.size()) + " bytes");
    auto leaves = CheckSearchTable(entries, 4, "font block glyph tree");
    if (!leaves)
        return tl::unexpected(leaves.error());
    std::uint32_t storeLength = 0;
    const std::size_t lengthOffset = in.Offset();
    if (!in.ReadU32(storeLength) || storeLength != in.Remaining())
        return Fail(ErrorCode::BadInput, "font block: the glyph store length at byte " +
                                             std::to_string(lengthOffset) + " does not match the " +
                                             std::to_string(in.Remaining()) + " bytes that follow it");
    const std::size_t storeStart = in.Offset();
    const std::span<const std::uint8_t> store = payload.subspan(storeStart);
    auto records = CheckGlyphRecords(store, storeStart);
    if (!records)
        return tl::unexpected(records.error());

    // The store holds one record per code point of the tree, in code-point order; without a tree (a
    // font of fewer than two glyphs) no record can be reached.
    if (entries.empty() ? records->size() > 1 : records->size() != leaves->size())
        return Fail(ErrorCode::BadInput, "font block: the glyph store holds " +
                                             std::to_string(records->size()) + " records for the " +
                                             std::to_string(leaves->size()) +
                                             " code points of the glyph tree");
    for (std::size_t i = 0; i < leaves->size(); ++i) {
        const SearchLeaf& leaf = (*leaves)[i];
        if (leaf.Value != (*records)[i])
            return Fail(ErrorCode::BadInput, "font block: code point U+" + HexNumber(leaf.Key, 4) +
                                                 " points to byte " + std::to_string(leaf.Value) +
                                                 " of the glyph store, where record " + std::to_string(i) +
                                                 " is at byte " + std::to_string((*records)[i]));
        const Glyph glyph = GlyphAt(store, leaf.Value);
        contents.Glyphs.push_back(
            {leaf.Key, leaf.Value, glyph.Advance, glyph.XOffset, glyph.YOffset, glyph.Width, glyph.Height});
    }
    contents.GlyphTreeEntries = entries.size();
    contents.GlyphStoreLength = store.size();
    return {};
}

} // namespace

Result<ExportContents> InspectExport(std::span<const std::uint8_t> file)
{
    ExportContents contents;
    ByteReader in(file);
    std::span<const std::uint8_t> magic;
    if (!in.ReadBytes(kExportMagic.size(), magic) ||
        !std::equal(magic.begin(), magic.end(), kExportMagic.begin()))
        return Fail(ErrorCode::BadInput, "not a font-and-text file: it does not start with \"ORVtex\"");
    std::uint16_t formatVersion = 0;
    if (!in.ReadU16(formatVersion) || !in.ReadU16(contents.FirmwareVersion))
        return Fail(ErrorCode::BadInput, "the file ends inside its 10-byte header");
    if (formatVersion != kExportFormatVersion)
        return Fail(ErrorCode::BadInput,
                    "the format word at byte 6 is " + std::to_string(formatVersion) + ", not 1");

    auto fontPayload = ReadBlock(in, kFontBlockTag, "font block", kMaxFontPayloadSize, contents.FontBlock);
    if (!fontPayload)
        return tl::unexpected(fontPayload.error());
    if (auto font = ReadFontPayload(*fontPayload, contents); !font)
        return tl::unexpected(font.error());

    auto textPayload = ReadBlock(in, kTextBlockTag, "text block", kMaxTextPayloadSize, contents.TextBlock);
    if (!textPayload)
        return tl::unexpected(textPayload.error());
    auto texts = ReadTextTable(*textPayload, "text block");
    if (!texts)
        return tl::unexpected(texts.error());
    contents.Texts = std::move(*texts);

    if (!in.AtEnd())
        return Fail(ErrorCode::BadInput, std::to_string(in.Remaining()) +
                                             " bytes follow the text block at byte " +
                                             std::to_string(in.Offset()));
    return contents;
}

} // namespace orv
