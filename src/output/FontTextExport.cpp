#include "output/FontTextExport.h"

#include <limits>
#include <new>

#include "base/ByteWriter.h"
#include "base/FileIo.h"
#include "output/BlockPacker.h"
#include "output/OutputMessages.h"
#include "output/TextTable.h"

namespace orv {

std::size_t CountTranslated(const DefinitionTable& table)
{
    std::size_t count = 0;
    for (const auto& entry : table.Definitions)
        count += entry.second.Translated != 0 ? 1 : 0;
    return count;
}

Result<void> CheckExportable(const DefinitionTable& table)
{
    const std::size_t translated = CountTranslated(table);
    if (translated < 2)
        return Fail(ErrorCode::BadInput, TooFewTranslatedMessage(translated));
    return {};
}

namespace {

struct PackedBlock
{
    BlockHeader Header;
    std::vector<std::uint8_t> Packed;
};

Result<PackedBlock> PackPayload(std::span<const std::uint8_t> payload, const char* name)
{
    if (payload.size() > std::numeric_limits<std::uint32_t>::max())
        return Fail(ErrorCode::OutOfRange, std::string("the ") + name + " block of " +
                                               std::to_string(payload.size()) +
                                               " bytes is too large for its header");
    PackedBlock block;
    block.Packed = PackBlock(payload);
    if (block.Packed.size() > kMaxPackedSize)
        return Fail(ErrorCode::OutOfRange, std::string("the ") + name + " block packs to " +
                                               std::to_string(block.Packed.size()) +
                                               " bytes, more than its header can hold");
    block.Header = {static_cast<std::uint32_t>(block.Packed.size()), Adler32(payload),
                    static_cast<std::uint32_t>(payload.size())};
    return block;
}

void WriteBlock(ByteWriter& out, std::span<const std::uint8_t> tag, const PackedBlock& block)
{
    out.WriteBytes(tag);
    out.WriteU32(block.Header.PackedSize);
    out.WriteU32(block.Header.Checksum);
    out.WriteU32(block.Header.RawSize);
    out.WriteBytes(block.Packed);
}

Result<ExportFile> Build(const DefinitionTable& table, const RenderedFont& font)
{
    if (auto exportable = CheckExportable(table); !exportable)
        return tl::unexpected(exportable.error());
    ExportFile file;

    ByteWriter fontPayload;
    fontPayload.Reserve(8 + font.GlyphTree.size() * kSearchEntrySize + font.GlyphStore.size());
    fontPayload.WriteU32(static_cast<std::uint32_t>(font.GlyphTree.size()));
    WriteSearchTable(fontPayload, font.GlyphTree);
    fontPayload.WriteU32(static_cast<std::uint32_t>(font.GlyphStore.size()));
    fontPayload.WriteBytes(font.GlyphStore);
    auto fontBlock = PackPayload(fontPayload.Bytes(), "font");
    if (!fontBlock)
        return tl::unexpected(fontBlock.error());
    // The firmware's limit applies to the font as packed, but to the texts as unpacked.
    if (fontBlock->Packed.size() > kFirmwareBlockLimit)
        file.Notices.push_back(WarningNotice(kFontTooBigMessage));

    std::vector<IndexedText> texts;
    for (const auto& [index, definition] : table.Definitions) {
        if (definition.Translated != 0)
            texts.push_back({index, EffectiveText(definition).substr(0, kMaxTextUnits)});
    }
    auto textTable = BuildTextTable(texts);
    if (!textTable)
        return tl::unexpected(textTable.error());
    if (textTable->Bytes.size() > kFirmwareBlockLimit)
        file.Notices.push_back(WarningNotice(kTextTooBigMessage));
    auto textBlock = PackPayload(textTable->Bytes, "text");
    if (!textBlock)
        return tl::unexpected(textBlock.error());
    if (textTable->Flags & PoolOverflow)
        file.Notices.push_back(
            PoolOverflowNotice("the file", textTable->CutIndexes, textTable->LeftOutIndexes));

    ByteWriter out;
    out.Reserve(kExportHeaderSize + 2 * (kFontBlockTag.size() + kBlockHeaderSize) + fontBlock->Packed.size() +
                textBlock->Packed.size());
    out.WriteBytes(kExportMagic);
    out.WriteU16(kExportFormatVersion);
    out.WriteU16(table.FirmwareVersion);
    WriteBlock(out, kFontBlockTag, *fontBlock);
    WriteBlock(out, kTextBlockTag, *textBlock);

    file.Bytes = out.Take();
    file.FontBlock = fontBlock->Header;
    file.TextBlock = textBlock->Header;
    file.TextFlags = textTable->Flags;
    file.CutIndexes = std::move(textTable->CutIndexes);
    file.LeftOutIndexes = std::move(textTable->LeftOutIndexes);
    file.NonBaseIndexes = std::move(textTable->NonBaseIndexes);
    return file;
}

} // namespace

Result<ExportFile> BuildExport(const DefinitionTable& table, const RenderedFont& font)
{
    // The buffers are bounded by the font and the 65,536-byte pool; a failed allocation is still
    // reported rather than ending the program.
    try {
        return Build(table, font);
    } catch (const std::bad_alloc&) {
        return Fail(ErrorCode::OutOfRange, kOutOfMemoryMessage);
    }
}

Notice ExportFailureNotice(const Error& error)
{
    switch (error.Code) {
    case ErrorCode::OpenFailed:
        return ErrorNotice(kCannotCreateFileMessage, NoticeIcon::Error, error.Message);
    case ErrorCode::WriteFailed:
        return ErrorNotice(kIncompleteFileMessage, NoticeIcon::Error, error.Message);
    default:
        return ErrorNotice(error.Message, NoticeIcon::Warning);
    }
}

} // namespace orv
