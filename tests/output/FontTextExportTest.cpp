#include "output/FontTextExport.h"

#include <random>

#include <gtest/gtest.h>

#include "output/BlockPacker.h"
#include "output/ExportReader.h"
#include "output/OutputMessages.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::ByteBuilder;
using test::Bytes;
using test::Hex;

// 'A': advance 3, at (0, 10), 2 x 1 pixels 255 36; 'B': advance 4, at (-1, 0), 1 x 2 pixels 73 0.
RenderedFont TinyFont()
{
    GlyphTableBuilder builder;
    const Bytes a = {255, 36}, b = {73, 0};
    builder.Add(u'A', Glyph{3, 0, 10, 2, 1, a});
    builder.Add(u'B', Glyph{4, -1, 0, 1, 2, b});
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

TEST(ExportFile, TinyExportByteByByteAndAsItReadsBack)
{
    const ExportFile file = BuildExport(TinyTable(), TinyFont()).value();
    EXPECT_EQ(Hex(file.Bytes),
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
    EXPECT_TRUE(file.Notices.empty());

    const ExportContents contents = InspectExport(file.Bytes).value();
    EXPECT_EQ(contents.FirmwareVersion, 0x0104);
    ASSERT_EQ(contents.Texts.Texts.size(), 2u);
    EXPECT_EQ(contents.Texts.Texts[1].Text, u"Yo");
    ASSERT_EQ(contents.Glyphs.size(), 2u);
    const ExportedGlyph& b = contents.Glyphs[1];
    EXPECT_EQ(std::tuple(b.CodePoint, b.Offset, b.Advance, b.XOffset, b.YOffset, b.Width, b.Height),
              std::tuple(u'B', 7u, 4, -1, 0, 1, 2));
}

TEST(ExportFile, RefusesFewerThanTwoTranslatedTextsBeforeChangingAnything)
{
    DefinitionTable table = TinyTable();
    table.Definitions[1].Translated = 0;
    const auto built = BuildExport(table, TinyFont());
    ASSERT_FALSE(built);
    EXPECT_EQ(built.error().Code, ErrorCode::BadInput);
    EXPECT_EQ(ExportFailureNotice(built.error()), ErrorNotice(TooFewTranslatedMessage(1)));
    EXPECT_EQ(CheckExportable(table).error().Message, built.error().Message);
    EXPECT_EQ(table.Definitions[2].Translation, u" \r\n\t "); // not even this was trimmed
    EXPECT_FALSE(CheckExportable(DefinitionTable{}));

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
    std::mt19937 random(9);
    RenderedFont noise;
    for (int i = 0; i < 63944; ++i)
        noise.GlyphStore.push_back(static_cast<std::uint8_t>(random()));
    for (const std::uint32_t packed : {65001u, 65000u}) {
        DefinitionTable table = TinyTable();
        const ExportFile file = BuildExport(table, noise).value();
        ASSERT_EQ(file.FontBlock.PackedSize, packed);
        EXPECT_EQ(file.Notices,
                  packed > 65000 ? std::vector{WarningNotice(kFontTooBigMessage)} : std::vector<Notice>{});
        noise.GlyphStore.pop_back();
    }

    // The text block is judged unpacked: 22 texts make a tree of 252 bytes, 21 of them take 3,070
    // pool bytes each, and the last one 270 or 271 bytes: 8 + 252 + 64,470 + 270 = 65,000. With 40
    // such texts the pool overflows: 21 whole, the 22nd cut, 18 left out.
    std::vector<std::uint16_t> leftOut;
    for (std::uint16_t i = 22; i < 40; ++i)
        leftOut.push_back(i);
    const std::tuple<std::uint16_t, std::u16string, std::uint32_t, std::vector<Notice>> cases[] = {
        {21, std::u16string(269, u'x'), 65000, {}},
        {21, std::u16string(270, u'x'), 65001, {WarningNotice(kTextTooBigMessage)}},
        {39,
         std::u16string(1023, u'\u25A1'),
         8 + 12 * 39 + 65535,
         {WarningNotice(kTextTooBigMessage),
          PoolOverflowNotice("the file", std::vector<std::uint16_t>{21}, leftOut)}},
    };
    for (const auto& [last, lastText, rawSize, notices] : cases) {
        DefinitionTable table;
        for (std::uint16_t i = 0; i <= last; ++i)
            table.Definitions[i] = {i, u"", u"", i < last ? std::u16string(1023, u'\u25A1') : lastText,
                                    1, u""};
        const ExportFile file = BuildExport(table, TinyFont()).value();
        EXPECT_EQ(file.TextBlock.RawSize, rawSize);
        EXPECT_EQ(file.Notices, notices) << rawSize;
    }
}

// An export of TinyTable with `font` as it stands, unchecked.
Bytes ExportWith(const RenderedFont& font)
{
    DefinitionTable table = TinyTable();
    return BuildExport(table, font).value().Bytes;
}

// `file` with the bytes at `offset` replaced.
Bytes Patched(Bytes file, std::size_t offset, const Bytes& bytes)
{
    std::ranges::copy(bytes, file.begin() + static_cast<std::ptrdiff_t>(offset));
    return file;
}

TEST(InspectExport, RejectsEveryTruncationAndInconsistency)
{
    const Bytes good = ExportWith(TinyFont());
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(InspectExport(std::span(good).first(size))) << size;

    // A font of one glyph has no tree, and then no more than one record.
    GlyphTableBuilder one;
    one.Add(u'A', GlyphAt(TinyFont().GlyphStore, 0));
    EXPECT_EQ(InspectExport(ExportWith(one.Finish())).value().Glyphs.size(), 0u);

    const auto changed = [](auto change) {
        RenderedFont font = TinyFont();
        change(font.GlyphStore, font.GlyphTree);
        return ExportWith(font);
    };
    const auto word = [](std::size_t value) {
        return ByteBuilder().U32(static_cast<std::uint32_t>(value)).Take();
    };
    const std::size_t textTag = 24 + 31;
    Bytes longer = good;
    longer.push_back(0);
    const std::pair<Bytes, const char*> cases[] = {
        {Patched(good, 0, {'o'}), "not a font-and-text file: it does not start with \"ORVtex\""},
        {Patched(good, 6, {2}), "the format word at byte 6 is 2, not 1"},
        {Patched(good, 10, {'F', 'F'}), "font block: the tag \"FO\" is missing at byte 10"},
        {Patched(good, 15, {1}), "font block: the packed size word at byte 12 has bits 24-31 set"},
        {Patched(good, 12, {200}), "font block: 200 packed bytes from byte 24, but only 67 are left"},
        {Patched(good, 16, {0}), "font block: the checksum 0x373F0400 at byte 16 does not match"},
        {Patched(good, 20, {35}), "font block (packed from byte 24): packed stream"},
        // Refused before unpacking when no payload can be that large; up to that, by the stream.
        {Patched(good, 20, word(kMaxFontPayloadSize + 1)),
         "font block: the raw size 4575229 at byte 20 is more than the 4575228 bytes that its payload"},
        {Patched(good, 20, word(kMaxFontPayloadSize)), "31 bytes cannot unpack to 4575228 bytes"},
        {Patched(good, textTag + 10, word(kMaxTextPayloadSize + 1)),
         "text block: the raw size 851965 at byte 65 is more than the 851964 bytes"},
        {Patched(good, textTag + 10, word(kMaxTextPayloadSize)), "cannot unpack to 851964 bytes"},
        {Patched(good, textTag, {'D', 'T'}), "text block: the tag \"TD\" is missing at byte 55"},
        {Patched(good, textTag + 6, {0}), "text block: the checksum"},
        {longer, "1 bytes follow the text block at byte 91"},
        {changed([](Bytes& s, auto&) { s[3] = 0; }), "glyph record at byte 20: width 0 is outside 1 to 50"},
        {changed([](Bytes& s, auto&) { s[5] = 254; }), "pixel 0 has the value 254, not one of the 8 grey"},
        {changed([](Bytes& s, auto&) { s[7 + 2] = 21; }), "y offset 21 with height 2 leaves the 22-pixel"},
        {changed([](Bytes&, auto& t) { t[0].Right = kLeafBit | 6; }), "U+0042 points to byte 6 of the glyph"},
        {changed([](Bytes& s, auto&) {
             s.insert(s.end(), {1, 0, 0, 1, 1, 0});
         }),
         "3 records for the 2 code"},
        {changed([](Bytes&, auto& t) { t.clear(); }),
         "the glyph store holds 2 records for the 0 code points"},
        {changed([](Bytes& s, auto&) { s.pop_back(); }), "its 2 pixels run past the end of the glyph store"},
    };
    for (const auto& [file, expected] : cases) {
        const auto result = InspectExport(file);
        ASSERT_FALSE(result) << expected;
        EXPECT_EQ(result.error().Code, ErrorCode::BadInput);
        EXPECT_NE(result.error().Message.find(expected), std::string::npos) << result.error().Message;
    }
}

} // namespace
} // namespace orv
