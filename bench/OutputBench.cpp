// Packing the export's blocks: the shipped packer against the exhaustive search it must equal and
// against zlib's best compression, on the same bytes; and a whole export of the largest font with a
// full text pool.
//
// Payloads: 0, a synthetic font (glyphs of anti-aliased strokes quantised to the eight grey levels,
// sized like a 22-pixel line, with their search table); 1, a full text pool; 2, a text payload with
// its tree; 3, the font payload of DejaVu Sans rendered for Latin, Greek and Cyrillic.

#include <cmath>
#include <random>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "PackOracle.h"
#include "base/ByteWriter.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "font/GlyphTable.h"
#include "font/RenderFont.h"
#include "output/BlockPacker.h"
#include "output/FontTextExport.h"
#include "output/TextTable.h"

namespace orv {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kGreyLevels[] = {0, 36, 73, 109, 146, 182, 219, 255};

// A glyph of two to four strokes 1.6 pixels wide, each pixel's coverage quantised to a grey level.
Bytes GlyphPixels(std::mt19937& random, int width, int height)
{
    struct Stroke
    {
        double X0, Y0, X1, Y1;
    };
    std::uniform_real_distribution<double> x(0.0, width - 1.0);
    std::uniform_real_distribution<double> y(0.0, height - 1.0);
    std::vector<Stroke> strokes(2 + random() % 3);
    for (Stroke& stroke : strokes) {
        stroke = {x(random), y(random), x(random), y(random)};
        if (random() % 2) // upright and level strokes are the most common in letters
            stroke.X1 = stroke.X0;
    }
    Bytes pixels(static_cast<std::size_t>(width * height));
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            double nearest = 1e9;
            for (const Stroke& s : strokes) {
                const double dx = s.X1 - s.X0;
                const double dy = s.Y1 - s.Y0;
                const double length2 = dx * dx + dy * dy;
                double t = length2 > 0 ? ((column - s.X0) * dx + (row - s.Y0) * dy) / length2 : 0;
                t = std::clamp(t, 0.0, 1.0);
                nearest = std::min(nearest, std::hypot(column - s.X0 - t * dx, row - s.Y0 - t * dy));
            }
            const double coverage = std::clamp(1.3 - nearest, 0.0, 1.0);
            pixels[static_cast<std::size_t>(row * width + column)] = kGreyLevels[std::lround(coverage * 7)];
        }
    }
    return pixels;
}

// `count` glyphs from U+0020 on, as the renderer stores them.
RenderedFont SyntheticFont(std::size_t count)
{
    std::mt19937 random(2024);
    GlyphTableBuilder builder;
    for (std::size_t i = 0; i < count; ++i) {
        const bool capital = random() % 3 == 0;
        const int height = capital ? 14 + static_cast<int>(random() % 3) : 9 + static_cast<int>(random() % 7);
        const int width = 3 + static_cast<int>(random() % 10);
        const Bytes pixels = GlyphPixels(random, width, height);
        const auto top = static_cast<std::int8_t>(capital ? 3 : 17 - std::min(height, 14));
        builder.Add(static_cast<char16_t>(0x20 + i),
                    Glyph{static_cast<std::uint8_t>(width + 1), 0, top, static_cast<std::uint8_t>(width),
                          static_cast<std::uint8_t>(height), pixels});
    }
    return builder.Finish();
}

Bytes FontPayload(const RenderedFont& font)
{
    ByteWriter out;
    out.WriteU32(static_cast<std::uint32_t>(font.GlyphTree.size()));
    WriteSearchTable(out, font.GlyphTree);
    out.WriteU32(static_cast<std::uint32_t>(font.GlyphStore.size()));
    out.WriteBytes(font.GlyphStore);
    return out.Take();
}

// Menu texts from a small vocabulary, as many as fill the 65,536-byte pool exactly.
DefinitionTable FullPoolTable()
{
    static const char16_t* const kWords[] = {
        u"Temperatur", u"Sollwert",   u"Alarm",      u"aus",      u"ein",      u"Menü",      u"Einstellungen",
        u"Zurück",     u"Fehler",     u"Sensor",     u"Druck",    u"bar",      u"°C",        u"Zeit",
        u"Datum",      u"Sprache",    u"Helligkeit", u"Kontrast", u"Wartung",  u"Service",   u"Code",
        u"Version",    u"Speichern?", u"Ja",         u"Nein",     u"Überlauf", u"Grenzwert", u"max.",
        u"min.",       u"±",          u"Stufe",      u"Pumpe",    u"Ventil",   u"%"};
    std::mt19937 random(7);
    DefinitionTable table;
    std::size_t used = 0;
    for (std::uint16_t index = 1; used < kPoolSize; ++index) {
        std::u16string text;
        for (int words = 1 + static_cast<int>(random() % 5); words > 0; --words) {
            if (!text.empty())
                text += u' ';
            text += kWords[random() % std::size(kWords)];
        }
        std::size_t size = 1;
        for (char16_t c : text)
            size += EncodedSize(c);
        if (kPoolSize - used < size + 40) {
            // The last text fills the pool to its last byte.
            text = std::u16string(kPoolSize - used - 1, u'x');
            size = kPoolSize - used;
        }
        used += size;
        table.Definitions[index] = {index, u"", text, text, 1, u""};
    }
    return table;
}

// The text table of the full pool, or (`poolOnly`) the pool's 65,536 bytes alone.
Bytes TextPayload(bool poolOnly)
{
    DefinitionTable table = FullPoolTable();
    std::vector<IndexedText> texts;
    for (const auto& [index, definition] : table.Definitions)
        texts.push_back({index, definition.Translation});
    const Bytes payload = BuildTextTable(texts).value().Bytes;
    return poolOnly ? Bytes(payload.end() - kPoolSize, payload.end()) : payload;
}

// DejaVu Sans rendered as the export renders it, for the printable Latin-1 and Latin Extended-A,
// Greek and Cyrillic letters; empty when the font is not installed.
Bytes RenderedFontPayload()
{
    CharacterSet characters;
    std::u16string text;
    for (char16_t unit = 0xA0; unit <= 0x17F; ++unit)
        text += unit;
    for (char16_t unit = 0x391; unit <= 0x3C9; ++unit)
        text += unit;
    for (char16_t unit = 0x410; unit <= 0x44F; ++unit)
        text += unit;
    characters.AddText(text);
    RenderedFont font;
    const auto rendered =
        RenderFont(font, characters, OpenFontArgument("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    return rendered ? FontPayload(font) : Bytes{};
}

const Bytes& Payload(int which)
{
    static const Bytes rendered = RenderedFontPayload();
    if (which == 3)
        return rendered;
    static const Bytes font = [] {
        // About 64 KiB of glyphs.
        std::size_t count = 100;
        while (FontPayload(SyntheticFont(count)).size() < 65536)
            count += 10;
        return FontPayload(SyntheticFont(count));
    }();
    static const Bytes pool = TextPayload(true);
    static const Bytes text = TextPayload(false);
    return which == 0 ? font : which == 1 ? pool : text;
}

void SetCounters(benchmark::State& state, const Bytes& input, std::size_t packed)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    state.counters["in"] = static_cast<double>(input.size());
    state.counters["out"] = static_cast<double>(packed);
}

void BM_PackBlock(benchmark::State& state)
{
    const Bytes& input = Payload(static_cast<int>(state.range(0)));
    Bytes output(PackedSizeBound(input.size()));
    std::size_t packed = 0;
    for (auto _ : state) {
        packed = PackBlock(input, output);
        benchmark::DoNotOptimize(output.data());
    }
    output.resize(packed);
    if (output != test::PackBlockExhaustive(input))
        state.SkipWithError("the packed bytes differ from the exhaustive search");
    SetCounters(state, input, packed);
}

void BM_PackBlockExhaustive(benchmark::State& state)
{
    const Bytes& input = Payload(static_cast<int>(state.range(0)));
    std::size_t packed = 0;
    for (auto _ : state) {
        const Bytes output = test::PackBlockExhaustive(input);
        packed = output.size();
        benchmark::DoNotOptimize(output.data());
    }
    SetCounters(state, input, packed);
}

void BM_ZlibLevel9(benchmark::State& state)
{
    const Bytes& input = Payload(static_cast<int>(state.range(0)));
    Bytes output(compressBound(static_cast<uLong>(input.size())));
    uLongf packed = 0;
    for (auto _ : state) {
        packed = static_cast<uLongf>(output.size());
        if (compress2(output.data(), &packed, input.data(), static_cast<uLong>(input.size()), 9) != Z_OK)
            state.SkipWithError("compress2 failed");
        benchmark::DoNotOptimize(output.data());
    }
    SetCounters(state, input, packed);
}

// 0: the font payload; 1: a full text pool; 2: the text payload of that pool, with its search table.
BENCHMARK(BM_PackBlock)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PackBlockExhaustive)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibLevel9)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

void BM_WholeExport(benchmark::State& state)
{
    const RenderedFont font = SyntheticFont(kMaxGlyphCount);
    const DefinitionTable texts = FullPoolTable();
    std::size_t size = 0;
    for (auto _ : state) {
        DefinitionTable table = texts;
        const auto file = BuildExport(table, font);
        if (!file)
            state.SkipWithError(file.error().Message.c_str());
        else
            size = file->Bytes.size();
        benchmark::DoNotOptimize(size);
    }
    state.counters["glyph_bytes"] = static_cast<double>(font.GlyphStore.size());
    state.counters["texts"] = static_cast<double>(texts.Definitions.size());
    state.counters["file"] = static_cast<double>(size);
}
BENCHMARK(BM_WholeExport)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orv
