#include "output/FontTextExport.h"

#include <algorithm>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "output/ExportReader.h"
#include "output/OutputMessages.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::Bytes;

// 'A': advance 3, at (0, 10), 2 x 1 pixels 255 36; 'B': advance 4, at (-1, 0), 1 x 2 pixels 73 0.
RenderedFont TinyFont()
{
    GlyphTableBuilder builder;
    builder.Add(u'A', Glyph{3, 0, 10, 2, 1, Bytes{255, 36}});
    builder.Add(u'B', Glyph{4, -1, 0, 1, 2, Bytes{73, 0}});
    return builder.Finish();
}

// Index 1 translated "Hi"; index 2 translated with blanks only, so its default "Yo" is exported;
// index 3 not translated, so not exported.
DefinitionTable TinyTable()
{
    DefinitionTable table;
    table.FirmwareVersion = 0x0104;
    table.Definitions[1] = {1, u"HI", u"Hello", u"Hi", 1, u""};
    table.Definitions[2] = {2, u"YO", u"Yo", u" \r\n\t ", 7, u""};
    table.Definitions[3] = {3, u"NO", u"Not exported", u"Nicht", 0, u""};
    return table;
}

TEST(ExportFile, TinyExportByteByByteAsItReadsBackAndTheFailures)
{
    const ExportFile file = BuildExport(TinyTable(), TinyFont()).value();
    EXPECT_EQ(test::Hex(file.Bytes),
              // "ORVtex", format 1, firmware 1.04, "FO", 31 packed bytes, their Adler-32, 34 raw bytes
              "4F 52 56 74 65 78 01 00 04 01 46 4F 1F 00 00 00 1C 04 3F 37 22 00 00 00 "
              // The font payload (entry count 1, the entry {leaf 0, leaf 7, 'A', 'B'}, store length 14
              // and the 14 glyph bytes) packed as runs of 2, 2, 5 and 14 literals and matches 5 @ 1,
              // 3 @ 4 and 3 @ 13, with the control words 0x4D014C11 and, after "80 07", 0x6C35F000.
              "11 4C 01 4D 01 00 80 07 00 F0 35 6C 41 00 42 00 0E 03 00 0A 02 01 FF 24 04 FF 00 01 02 49 00 "
              // "TD", 22 packed bytes, their Adler-32, 26 raw bytes
              "54 44 16 00 00 00 8C 02 0C 14 1A 00 00 00 "
              // The text payload (flags 0, tree size 12, the leaves 1 -> 0 and 2 -> 3, the pool "Hi" 0
              // "Yo" 0) packed with the control words 0x30138581 and 0x4C117000.
              "81 85 13 30 00 0C 00 70 11 4C 80 03 01 00 02 00 48 69 00 59 6F 00");

    const ExportContents contents = InspectExport(file.Bytes).value();
    ASSERT_EQ(std::tuple(contents.Texts.Texts.size(), contents.Glyphs.size()), std::tuple(2u, 2u));
    const ExportedGlyph& b = contents.Glyphs[1];
    EXPECT_EQ(std::tuple(contents.FirmwareVersion, contents.Texts.Texts[1].Text, b.CodePoint, b.Offset,
                         b.Advance, b.XOffset, b.YOffset, b.Width, b.Height),
              std::tuple(0x0104, u"Yo", u'B', 7u, 4, -1, 0, 1, 2));

    // Fewer than two translated texts make no file.
    DefinitionTable table = TinyTable();
    table.Definitions[1].Translated = 0;
    const auto built = BuildExport(table, TinyFont());
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().Code, ErrorCode::BadInput);
    EXPECT_EQ(ExportFailureNotice(built.error()), ErrorNotice(TooFewTranslatedMessage(1)));

    // A file that cannot be made is told from one that cannot be written whole.
    EXPECT_EQ(ExportFailureNotice({ErrorCode::OpenFailed, "out.ovtx: no such folder"}),
              ErrorNotice(kCannotCreateFileMessage, NoticeIcon::Error, "out.ovtx: no such folder"));
    EXPECT_EQ(ExportFailureNotice({ErrorCode::WriteFailed, "disk full"}),
              ErrorNotice(kIncompleteFileMessage, NoticeIcon::Error, "disk full"));
}

TEST(ExportFile, WarnsOfBlocksAbove65000BytesAndOfAnOverflowingPool)
{
    // The font block is judged packed: 63,944 bytes of noise as the glyph store pack to 65,001
    // bytes, one byte less to 65,000.
    RenderedFont noise;
    noise.GlyphStore.resize(63944);
    std::ranges::generate(noise.GlyphStore, std::mt19937(9));
    for (const std::uint32_t packed : {65001u, 65000u}) {
        const ExportFile file = BuildExport(TinyTable(), noise).value();
        ASSERT_EQ(file.FontBlock.PackedSize, packed);
        EXPECT_EQ(file.Notices == std::vector{WarningNotice(kFontTooBigMessage)}, packed > 65000);
        noise.GlyphStore.pop_back();
    }

    // The text block is judged unpacked: 22 texts make a tree of 252 bytes, 21 of them take 3,070
    // pool bytes each, and the last one 270 or 271 bytes: 8 + 252 + 64,470 + 270 = 65,000. With 40
    // such texts the pool overflows: 21 whole, the 22nd cut, 18 left out.
    std::vector<std::uint16_t> leftOut(18);
    std::iota(leftOut.begin(), leftOut.end(), 22);
    const Notice tooBig = WarningNotice(kTextTooBigMessage);
    const Notice overflow = PoolOverflowNotice("the file", std::vector<std::uint16_t>{21}, leftOut);
    const std::tuple<std::uint16_t, std::u16string, std::uint32_t, std::vector<Notice>> cases[] = {
        {21, std::u16string(269, u'x'), 65000, {}},
        {21, std::u16string(270, u'x'), 65001, {tooBig}},
        {39, std::u16string(1023, u'\u25A1'), 8 + 12 * 39 + 65535, {tooBig, overflow}}};
    for (const auto& [last, lastText, rawSize, notices] : cases) {
        DefinitionTable table;
        for (std::uint16_t i = 0; i <= last; ++i)
            table.Definitions[i] = {i, u"", u"", i < last ? std::u16string(1023, u'\u25A1') : lastText,
                                    1, u""};
        const ExportFile file = BuildExport(table, TinyFont()).value();
        EXPECT_EQ(std::tuple(file.TextBlock.RawSize, file.Notices), std::tuple(rawSize, notices));
    }
}

TEST(InspectExport, RejectsEveryTruncationAndInconsistency)
{
    // An export of TinyTable with TinyFont after `change` to its glyph store and tree, unchecked.
    const auto exportWith = [](auto change) {
        RenderedFont font = TinyFont();
        change(font.GlyphStore, font.GlyphTree);
        return BuildExport(TinyTable(), font).value().Bytes;
    };
    // The export with the bytes at `offset` replaced, or appended at its end.
    const auto patched = [](Bytes file, std::size_t offset, const Bytes& bytes) {
        file.resize(std::max(file.size(), offset + bytes.size()));
        std::ranges::copy(bytes, file.begin() + static_cast<std::ptrdiff_t>(offset));
        return file;
    };
    const Bytes good = exportWith([](auto&, auto&) {});
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(InspectExport(std::span(good).first(size))) << size;
    // A font of one glyph has no tree, and then no more than one record.
    const Bytes oneGlyph = exportWith([](auto& s, auto& t) {
        s.resize(7);
        t.clear();
    });
    EXPECT_TRUE(InspectExport(oneGlyph).value().Glyphs.empty());

    const auto word = [](std::uint32_t value) { return test::ByteBuilder().U32(value).Take(); };
    const std::pair<Bytes, const char*> cases[] = {
        {patched(good, 0, {'o'}), "not a font-and-text file: it does not start with \"ORVtex\""},
        {patched(good, 6, {2}), "the format word at byte 6 is 2, not 1"},
        {patched(good, 10, {'F', 'F'}), "font block: the tag \"FO\" is missing at byte 10"},
        {patched(good, 15, {1}), "font block: the packed size word at byte 12 has bits 24-31 set"},
        {patched(good, 12, {200}), "font block: 200 packed bytes from byte 24, but only 67 are left"},
        {patched(good, 16, {0}), "font block: the checksum 0x373F0400 at byte 16 does not match"},
        {patched(good, 20, {35}), "font block (packed from byte 24): packed stream"},
        // Refused before unpacking when no payload can be that large; up to that, by the stream.
        {patched(good, 20, word(kMaxFontPayloadSize + 1)),
         "font block: the raw size 4575229 at byte 20 is more than the 4575228 bytes that its payload"},
        {patched(good, 20, word(kMaxFontPayloadSize)), "31 bytes cannot unpack to 4575228 bytes"},
        {patched(good, 65, word(kMaxTextPayloadSize + 1)),
         "text block: the raw size 851965 at byte 65 is more than the 851964 bytes"},
        {patched(good, good.size(), {0}), "1 bytes follow the text block at byte 91"},
        {exportWith([](auto& s, auto&) { s[3] = 0; }), "record at byte 20: width 0 is outside 1 to 50"},
        {exportWith([](auto& s, auto&) { s[5] = 254; }), "pixel 0 has the value 254, not one of the 8 grey"},
        {exportWith([](auto& s, auto&) { s[7 + 2] = 21; }), "y offset 21 with height 2 leaves the 22-pixel"},
        {exportWith([](auto&, auto& t) { t[0].Right = kLeafBit | 6; }), "U+0042 points to byte 6 of the"},
        {exportWith([](auto& s, auto&) {
             s.insert(s.end(), {1, 1, 1, 1, 1, 0});
         }),
         "3 records for the 2 code"},
        {exportWith([](auto&, auto& t) { t.clear(); }), "the glyph store holds 2 records for the 0 code"},
        {exportWith([](auto&, auto& t) { t.resize(kMaxGlyphCount); }),
         "4096 glyph tree entries at byte 0, more"},
        {exportWith([](auto& s, auto&) { s.pop_back(); }), "its 2 pixels run past the end of the glyph"},
    };
    for (const auto& [file, expected] : cases) {
        const auto result = InspectExport(file);
        ASSERT_FALSE(result) << expected;
        EXPECT_TRUE(result.error().Code == ErrorCode::BadInput &&
                    result.error().Message.find(expected) != std::string::npos)
            << result.error().Message;
    }
}

} // namespace
} // namespace orv
