// Rendering a full device font: 4,096 code points of DejaVu Sans (Latin, Greek, Cyrillic and symbols).

#include <set>
#include <stdexcept>

#include <benchmark/benchmark.h>

#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"

namespace orv {
namespace {

const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// The blocks the code points are taken from, in this order, as far as the face covers them. DejaVu
// Sans has about 3,900 of them; the rest of its coverage fills the set up to 4,096.
constexpr CodePointRange kBlocks[] = {
    {0x0020, 0x036F}, // Latin, IPA, modifiers and combining marks
    {0x0370, 0x03FF}, // Greek
    {0x0400, 0x052F}, // Cyrillic
    {0x1D00, 0x1FFF}, // phonetic extensions, Latin and Greek extended
    {0x2000, 0x2BFF}, // punctuation, arrows, mathematical and other symbols
    {0x2C00, 0x2E7F}, // Latin extended C, Cyrillic extended A, punctuation
    {0xA640, 0xA7FF}, // Cyrillic extended B, Latin extended D
    {0x0000, 0xFFFF}, // whatever else the face has
};

bool Renderable(char32_t c)
{
    return c > kLastControlCode && c != kWildcard && c != kObjectReplacement && c <= 0xFFFF;
}

std::unique_ptr<Rasteriser> OpenDejaVu()
{
    Result<std::unique_ptr<Rasteriser>> rasteriser = OpenFontFile(kDejaVuSans);
    if (!rasteriser)
        throw std::runtime_error(rasteriser.error().Message);
    return std::move(*rasteriser);
}

// A set of exactly kMaxGlyphCount code points, all of them drawn from the face.
CharacterSet FullCharacterSet(Rasteriser& rasteriser)
{
    const std::vector<char16_t> fixed = CharacterSet().CodePoints();
    std::set<char16_t> chosen(fixed.begin(), fixed.end());
    const std::vector<CodePointRange> coverage = rasteriser.UnicodeCoverage().value();
    for (const CodePointRange& block : kBlocks) {
        for (const CodePointRange& range : coverage) {
            for (char32_t c = std::max(range.First, block.First); c <= std::min(range.Last, block.Last);
                 ++c) {
                if (chosen.size() < kMaxGlyphCount && Renderable(c))
                    chosen.insert(static_cast<char16_t>(c));
            }
        }
    }
    if (chosen.size() != kMaxGlyphCount)
        throw std::runtime_error("the face covers too few code points of the blocks");
    CharacterSet characters;
    characters.AddText(std::u16string(chosen.begin(), chosen.end()));
    return characters;
}

void RenderFourThousandCodePoints(benchmark::State& state)
{
    const std::unique_ptr<Rasteriser> rasteriser = OpenDejaVu();
    const CharacterSet characters = FullCharacterSet(*rasteriser);
    RenderedFont font;
    for (auto _ : state) {
        const auto rendered = RenderFont(font, characters, *rasteriser);
        if (!rendered || *rendered != kMaxGlyphCount)
            state.SkipWithError(rendered ? "not every code point was rendered"
                                         : rendered.error().Message.c_str());
        benchmark::DoNotOptimize(font.GlyphStore.data());
    }
    state.counters["store bytes"] = static_cast<double>(font.GlyphStore.size());
    state.counters["glyphs/s"] = benchmark::Counter(static_cast<double>(kMaxGlyphCount),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(RenderFourThousandCodePoints)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What the window does: find the chosen family through fontconfig, open it and render.
void FindOpenAndRenderFourThousandCodePoints(benchmark::State& state)
{
    const CharacterSet characters = FullCharacterSet(*OpenDejaVu());
    const ChosenFont chosen{u"DejaVu Sans", 0, kWeightNormal, false, kStretchDontCare};
    RenderedFont font;
    for (auto _ : state) {
        const auto rendered = RenderFont(font, characters, OpenChosenFont(chosen));
        if (!rendered)
            state.SkipWithError(rendered.error().Message.c_str());
        benchmark::DoNotOptimize(font.GlyphStore.data());
    }
}
BENCHMARK(FindOpenAndRenderFourThousandCodePoints)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Reduction, quantisation and cropping of one drawn character, without the drawing.
void ReduceOneCharacter(benchmark::State& state)
{
    const std::unique_ptr<Rasteriser> rasteriser = OpenDejaVu();
    CoverageBitmap bitmap;
    const CharacterWidths widths = rasteriser->DrawCharacter(u'\u0416', bitmap).value();
    std::vector<std::uint8_t> pixels;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReduceCharacter(bitmap, widths, pixels).Width);
}
BENCHMARK(ReduceOneCharacter);

} // namespace
} // namespace orv
