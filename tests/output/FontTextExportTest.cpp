#include "output/FontTextExport.h"

#include <random>

#include <gtest/gtest.h>

#include "PackOracle.h"
#include "base/FileIo.h"
#include "output/BlockPacker.h"
#include "output/ExportReader.h"
#include "output/OutputMessages.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

namespace fs = std::filesystem;
using test::ByteBuilder;
using test::Bytes;
using test::Hex;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// 'A': advance 3, at (0, 10), 2 x 1 pixels 255 36; 'B': advance 4, at (-1, 0), 1 x 2 pixels 73 0.
RenderedFont TinyFont()
{
    GlyphTableBuilder builder;
    const Bytes a = {255, 36};
    const Bytes b = {73, 0};
    builder.Add(u'A', Glyph{3, 0, 10, 2, 1, a});
    builder.Add(u'B', Glyph{4, -1, 0, 1, 2, b});
    return builder.Finish();
}

// Index 1 translated "Hi"; index 2 translated with blanks only, so its default "Yo" is exported;
// index 3 not translated, so not exported.
DefinitionTable TinyTable()
{
    DefinitionTable table;
    table.Definitions[1] = {1, u"HI", u"Hello", u"Hi", 1, u""};
    table.Definitions[2] = {2, u"YO", u"Yo", u" \r\n\t ", 7, u""};
    table.Definitions[3] = {3, u"NO", u"Not exported", u"Nicht", 0, u""};
    return table;
}

TEST(ExportFile, TinyExportByteByByte)
{
    DefinitionTable table = TinyTable();
    const ExportFile file = BuildExport(table, TinyFont()).value();

    // Font payload: 1 tree entry of two leaves (offsets 0 and 7, keys 'A' 'B'), 14 glyph bytes.
    const Bytes fontPayload =
        ByteBuilder()
            .U32(1)
            .Byte({0x00, 0x00, 0x00, 0x80, 0x07, 0x00, 0x00, 0x80, 0x41, 0x00, 0x42, 0x00})
            .U32(14)
            .Byte({3, 0, 10, 2, 1, 255, 36, 4, 0xFF, 0, 1, 2, 73, 0})
            .Take();
    // Packed by hand: runs of 2, 2, 5 and 14 literals and matches 5 @ 1, 3 @ 4 and 3 @ 13; the run
    // of 5 starts in the first control word and ends in the second, which follows "80 07".
    //   word 0: 0 100 | 1 10100 00 0001 | 0 100 | 1 100 00 0100 | 0 1.. = 0x4D014C11
    //   word 1: ..0110 | 1 100 00 1101 | 0 1111100 = 0x6C35F000
    const Bytes fontPacked =
        Concat({{0x11, 0x4C, 0x01, 0x4D, 0x01, 0x00, 0x80, 0x07, 0x00, 0xF0, 0x35, 0x6C},
                {0x41, 0x00, 0x42, 0x00, 0x0E},
                {0x03, 0x00, 0x0A, 0x02, 0x01, 0xFF, 0x24, 0x04, 0xFF, 0x00, 0x01, 0x02, 0x49, 0x00}});
    // Text payload: flags 0, tree size 12, leaves 1 -> 0 and 2 -> 3, the pool "Hi" 0 "Yo" 0.
    const Bytes textPayload = ByteBuilder()
                                  .U32(0)
                                  .U32(12)
                                  .U32(0x80000000)
                                  .U32(0x80000003)
                                  .U16(1)
                                  .U16(2)
                                  .Byte({'H', 'i', 0, 'Y', 'o', 0})
                                  .Take();
    //   word 0: 00 | 1 100 00 0001 | 00 | 1 110 00 0101 | 1 0 00 0001 = 0x30138581
    //   word 1: 0 100 | 1 100 00 0100 | 0 1011100 = 0x4C117000
    const Bytes textPacked = Concat({{0x81, 0x85, 0x13, 0x30, 0x00, 0x0C, 0x00, 0x70, 0x11, 0x4C, 0x80, 0x03},
                                     {0x01, 0x00, 0x02, 0x00, 'H', 'i', 0x00, 'Y', 'o', 0x00}});
    ASSERT_EQ(fontPayload.size(), 34u);
    ASSERT_EQ(textPayload.size(), 26u);
    EXPECT_EQ(PackBlock(fontPayload), fontPacked);
    EXPECT_EQ(test::PackBlockExhaustive(textPayload), textPacked);

    const Bytes expected = Concat({
        {'O', 'R', 'V', 't', 'e', 'x', 0x01, 0x00, 0x10, 0x01, 'F', 'O'},
        ByteBuilder().U32(31).U32(0x373F041C).U32(34).Take(), // Adler-32 computed independently
        fontPacked,
        {'T', 'D'},
        ByteBuilder().U32(22).U32(0x140C028C).U32(26).Take(),
        textPacked,
    });
    EXPECT_EQ(Hex(file.Bytes), Hex(expected));
    EXPECT_EQ(file.FontBlock, (BlockHeader{31, 0x373F041C, 34}));
    EXPECT_EQ(file.TextBlock, (BlockHeader{22, 0x140C028C, 26}));
    EXPECT_TRUE(file.Notices.empty());

    // The blank translation was trimmed in place; the untranslated one was not touched.
    EXPECT_EQ(table.Definitions[2].Translation, u"");
    EXPECT_EQ(table.Definitions[3].Translation, u"Nicht");
}

TEST(ExportFile, CarriesTheFirmwareVersionAndEffectiveTexts)
{
    DefinitionTable table = TinyTable();
    table.FirmwareVersion = 0x0104;
    table.Definitions[1].Translation = u"  Hallo\r\n";
    table.Definitions[3].Translated = 1;
    table.Definitions[3].Translation = std::u16string(1100, u'\u00E9');
    const ExportFile file = BuildExport(table, TinyFont()).value();
    EXPECT_EQ(Hex(Bytes(file.Bytes.begin(), file.Bytes.begin() + 12)), "4F 52 56 74 65 78 01 00 04 01 46 4F");
    EXPECT_EQ(table.Definitions[1].Translation, u"Hallo");

    const ExportContents contents = InspectExport(file.Bytes).value();
    EXPECT_EQ(contents.FirmwareVersion, 0x0104);
    EXPECT_EQ(contents.Texts.Flags, std::uint32_t{NonBaseCharacter});
    ASSERT_EQ(contents.Texts.Texts.size(), 3u);
    EXPECT_EQ(contents.Texts.Texts[0].Text, u"Hallo");
    EXPECT_EQ(contents.Texts.Texts[1].Text, u"Yo");
    EXPECT_EQ(contents.Texts.Texts[2].Text, std::u16string(1023, u'\u00E9'));
    ASSERT_EQ(contents.Glyphs.size(), 2u);
    EXPECT_EQ(contents.Glyphs[1].CodePoint, u'B');
    EXPECT_EQ(contents.Glyphs[1].Offset, 7u);
    EXPECT_EQ(contents.Glyphs[1].XOffset, -1);
    EXPECT_EQ(contents.Glyphs[1].Height, 2);
    EXPECT_EQ(contents.GlyphStoreLength, 14u);
}

TEST(ExportFile, RefusesFewerThanTwoTranslatedTextsBeforeChangingAnything)
{
    DefinitionTable table = TinyTable();
    table.Definitions[2].Translated = 0;
    const auto refused = CheckExportable(table);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().Message, TooFewTranslatedMessage(1));
    const auto built = BuildExport(table, TinyFont());
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().Code, ErrorCode::BadInput);
    EXPECT_EQ(ExportFailureNotice(built.error()), ErrorNotice(TooFewTranslatedMessage(1)));
    // Not even the blank translation of index 2 was trimmed.
    EXPECT_EQ(table.Definitions[2].Translation, u" \r\n\t ");
    EXPECT_FALSE(CheckExportable(DefinitionTable{}));
}

// A font whose store is `storeSize` bytes that do not repeat much, without a tree.
RenderedFont NoiseFont(std::size_t storeSize)
{
    std::mt19937 random(9);
    RenderedFont font;
    font.GlyphStore.resize(storeSize);
    for (auto& byte : font.GlyphStore)
        byte = static_cast<std::uint8_t>(random());
    return font;
}

TEST(ExportFile, WarnsAboveSixtyFiveThousandBytesOnly)
{
    // The font block is judged packed: find store sizes that pack to exactly 65,000 and 65,001 bytes.
    // Packed noise grows by about a byte a byte, so step by the distance still to go.
    const RenderedFont noise = NoiseFont(70000);
    const auto packedSize = [&](std::size_t size) {
        Bytes payload = ByteBuilder().U32(0).U32(static_cast<std::uint32_t>(size)).Take();
        payload.insert(payload.end(), noise.GlyphStore.begin(),
                       noise.GlyphStore.begin() + static_cast<std::ptrdiff_t>(size));
        return PackBlock(payload).size();
    };
    const auto storeSizeFor = [&](std::size_t target) -> std::size_t {
        std::size_t size = 64000;
        for (int step = 0; step < 40; ++step) {
            const std::size_t packed = packedSize(size);
            if (packed == target)
                return size;
            size = packed < target ? size + std::max<std::size_t>(1, (target - packed) / 2)
                                   : size - std::max<std::size_t>(1, (packed - target) / 2);
        }
        return 0;
    };
    const std::size_t exactly = storeSizeFor(kFirmwareBlockLimit);
    const std::size_t over = storeSizeFor(kFirmwareBlockLimit + 1);
    ASSERT_NE(exactly, 0u);
    ASSERT_NE(over, 0u);
    DefinitionTable table = TinyTable();
    const ExportFile atLimit = BuildExport(table, NoiseFont(exactly)).value();
    EXPECT_EQ(atLimit.FontBlock.PackedSize, kFirmwareBlockLimit);
    EXPECT_TRUE(atLimit.Notices.empty());
    const ExportFile aboveLimit = BuildExport(table, NoiseFont(over)).value();
    EXPECT_EQ(aboveLimit.FontBlock.PackedSize, kFirmwareBlockLimit + 1);
    EXPECT_EQ(aboveLimit.Notices, (std::vector<Notice>{WarningNotice(kFontTooBigMessage)}));

    // The text block is judged unpacked: 22 texts make a tree of 252 bytes, 21 of them take 3,070
    // pool bytes each, and the last one 270 or 271 bytes: 8 + 252 + 64,470 + 270 = 65,000.
    for (const std::size_t lastLength : {269u, 270u}) {
        DefinitionTable texts;
        for (std::uint16_t i = 0; i < 21; ++i)
            texts.Definitions[i] = {i, u"", u"", std::u16string(1023, u'\u25A1'), 1, u""};
        texts.Definitions[21] = {21, u"", u"", std::u16string(lastLength, u'x'), 1, u""};
        const ExportFile file = BuildExport(texts, TinyFont()).value();
        EXPECT_EQ(file.TextBlock.RawSize, 65000u + (lastLength - 269u));
        if (lastLength == 269)
            EXPECT_TRUE(file.Notices.empty());
        else
            EXPECT_EQ(file.Notices, (std::vector<Notice>{WarningNotice(kTextTooBigMessage)}));
        EXPECT_TRUE(InspectExport(file.Bytes)) << lastLength;
    }
}

TEST(ExportFile, AnOverflowingPoolIsExportedWithItsFlagAndReported)
{
    DefinitionTable table;
    for (std::uint16_t i = 0; i < 40; ++i)
        table.Definitions[i] = {i, u"", u"", std::u16string(1023, u'\u25A1'), 1, u""};
    const ExportFile file = BuildExport(table, TinyFont()).value();
    EXPECT_EQ(file.TextFlags, std::uint32_t{PoolOverflow});
    // 3,070 bytes a text: 21 whole, the 22nd cut, 18 left out.
    EXPECT_EQ(file.CutIndexes, (std::vector<std::uint16_t>{21}));
    EXPECT_EQ(file.LeftOutIndexes.size(), 18u);
    ASSERT_EQ(file.Notices.size(), 2u);
    EXPECT_EQ(file.Notices[0], WarningNotice(kTextTooBigMessage));
    EXPECT_NE(file.Notices[1].Text.find("Cut: 21\r\n\r\nLeft out: 22-39"), std::string::npos)
        << file.Notices[1].Text;
    const ExportContents contents = InspectExport(file.Bytes).value();
    EXPECT_EQ(contents.Texts.Texts.size(), 40u);
    EXPECT_FALSE(contents.Texts.Texts[21].Terminated);
}

TEST(ExportFailureNotice, TellsAFileThatCannotBeMadeFromOneThatCannotBeWritten)
{
    test::TemporaryDirectory directory;
    const auto missing = WriteFileSafely(directory / "no such folder" / "out.ovtx", Bytes{1});
    ASSERT_FALSE(missing);
    const Notice notice = ExportFailureNotice(missing.error());
    EXPECT_EQ(notice.Text, "Can't create file");
    EXPECT_EQ(notice.Caption, "ERROR");
    EXPECT_EQ(notice.Icon, NoticeIcon::Error);
    EXPECT_NE(notice.Details.find("no such folder"), std::string::npos);
    EXPECT_EQ(ExportFailureNotice(Error{ErrorCode::WriteFailed, "disk full"}).Text, kIncompleteFileMessage);
}

struct BadFile
{
    const char* Name;
    Bytes File;
    const char* Expected; // a piece of the message
};

// Replaces the bytes at `offset` of `file`.
Bytes Patched(Bytes file, std::size_t offset, const Bytes& bytes)
{
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(offset));
    return file;
}

// An export of TinyTable with `font` as it stands, unchecked.
Bytes ExportWith(const RenderedFont& font)
{
    DefinitionTable table = TinyTable();
    return BuildExport(table, font).value().Bytes;
}

TEST(InspectExport, RejectsEveryInconsistency)
{
    const Bytes good = ExportWith(TinyFont());
    ASSERT_TRUE(InspectExport(good));
    const std::size_t textTag = 24 + 31;

    RenderedFont zeroWidth = TinyFont();
    zeroWidth.GlyphStore[3] = 0;
    RenderedFont badPixel = TinyFont();
    badPixel.GlyphStore[5] = 254;
    RenderedFont belowLine = TinyFont();
    belowLine.GlyphStore[7 + 2] = 21; // 'B' is 2 pixels high
    RenderedFont badLeaf = TinyFont();
    badLeaf.GlyphTree[0].Right = kLeafBit | 6;
    RenderedFont extraRecord = TinyFont();
    extraRecord.GlyphStore.insert(extraRecord.GlyphStore.end(), {1, 0, 0, 1, 1, 0});
    RenderedFont cutRecord = TinyFont();
    cutRecord.GlyphStore.pop_back();

    const auto rawSize = [](std::size_t size) {
        return ByteBuilder().U32(static_cast<std::uint32_t>(size)).Take();
    };

    const BadFile cases[] = {
        {"magic", Patched(good, 0, {'o'}), "ORVtex"},
        {"format word", Patched(good, 6, {2}), "format word"},
        {"header cut", Bytes(good.begin(), good.begin() + 9), "10-byte header"},
        {"font tag", Patched(good, 10, {'F', 'F'}), "\"FO\""},
        {"packed size bits", Patched(good, 15, {1}), "bits 24-31"},
        {"packed size too large", Patched(good, 12, {200}), "only"},
        {"font checksum", Patched(good, 16, {0}), "checksum"},
        {"raw size", Patched(good, 20, {35}), "packed stream"},
        // Refused before unpacking when no payload can be that large; up to that, by the stream.
        {"font raw size above a font payload", Patched(good, 20, rawSize(kMaxFontPayloadSize + 1)),
         "font block: the raw size 4575229 at byte 20 is more than the 4575228 bytes that its payload can "
         "hold"},
        {"font raw size of the largest font payload", Patched(good, 20, rawSize(kMaxFontPayloadSize)),
         "31 bytes cannot unpack to 4575228 bytes"},
        {"text raw size above a text payload", Patched(good, textTag + 10, rawSize(kMaxTextPayloadSize + 1)),
         "text block: the raw size 851965 at byte 65 is more than the 851964 bytes"},
        {"text raw size of the largest text payload",
         Patched(good, textTag + 10, rawSize(kMaxTextPayloadSize)), "cannot unpack to 851964 bytes"},
        {"text tag", Patched(good, textTag, {'D', 'T'}), "\"TD\""},
        {"text checksum", Patched(good, textTag + 6, {0}), "text block: the checksum"},
        {"trailing byte", Concat({good, {0}}), "follow the text block"},
        {"zero width", ExportWith(zeroWidth), "width 0"},
        {"grey level", ExportWith(badPixel), "not one of the 8 grey levels"},
        {"below the line", ExportWith(belowLine), "leaves the 22-pixel line"},
        {"leaf into a record", ExportWith(badLeaf), "where record 1 is at byte 7"},
        {"record without a code point", ExportWith(extraRecord), "3 records for the 2 code points"},
        {"record cut off", ExportWith(cutRecord), "past the end of the glyph store"},
    };
    for (const BadFile& bad : cases) {
        const auto result = InspectExport(bad.File);
        ASSERT_FALSE(result) << bad.Name;
        EXPECT_EQ(result.error().Code, ErrorCode::BadInput);
        EXPECT_NE(result.error().Message.find(bad.Expected), std::string::npos)
            << bad.Name << ": " << result.error().Message;
    }

    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(InspectExport(std::span(good).first(size))) << size;
}

} // namespace
} // namespace orv
