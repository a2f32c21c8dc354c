// Checking the texts of a large file against its font, as `strdef check` does: 4,000 texts with a
// font of 1,000 glyphs. The core checks run on a synthetic font; the whole command reads a real
// definition file and renders DejaVu Sans for it.

#include <filesystem>
#include <random>
#include <sstream>

#include <benchmark/benchmark.h>

#include "base/FileIo.h"
#include "cli/Cli.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "output/TextChecks.h"
#include "store/DefinitionFile.h"

namespace orv {
namespace {

constexpr std::size_t kTextCount = 4000;
constexpr std::size_t kGlyphCount = 1000;
const char* const kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Menu-like texts of one to three words drawn from `alphabet`; one in four is left untranslated and
// every fiftieth translation loses the runtime code of its default text, so that there is something
// to find.
DefinitionTable MakeTable(const std::u16string& alphabet)
{
    std::mt19937 random(11);
    const auto word = [&] {
        std::u16string text;
        for (int length = 2 + static_cast<int>(random() % 8); length > 0; --length)
            text += alphabet[random() % alphabet.size()];
        return text;
    };
    DefinitionTable table;
    for (std::uint16_t index = 1; index <= kTextCount; ++index) {
        std::u16string defaultText = word();
        std::u16string translation = word();
        for (int words = static_cast<int>(random() % 3); words > 0; --words) {
            defaultText += u' ' + word();
            translation += u' ' + word();
        }
        if (index % 50 == 0)
            defaultText += u" \u0007";
        const std::uint32_t translated = index % 4 == 0 ? 0 : 1;
        table.Definitions[index] = {index,       u"TEXT_" + std::u16string(1, u'A' + index % 26),
                                    defaultText, translation,
                                    translated,  u""};
    }
    return table;
}

// `kGlyphCount` glyphs from U+0021 on of 4 to 14 x 8 to 16 pixels of grey levels in strokes, as a
// rendering stores them.
RenderedFont SyntheticFont()
{
    constexpr std::uint8_t kGreyLevels[] = {0, 36, 73, 109, 146, 182, 219, 255};
    std::mt19937 random(5);
    GlyphTableBuilder builder;
    std::vector<std::uint8_t> pixels;
    for (std::size_t i = 0; i < kGlyphCount; ++i) {
        const int width = 4 + static_cast<int>(random() % 11);
        const int height = 8 + static_cast<int>(random() % 9);
        pixels.assign(static_cast<std::size_t>(width * height), 0);
        for (int stroke = 0; stroke < 3; ++stroke) {
            const int column = static_cast<int>(random() % width);
            for (int row = 0; row < height; ++row)
                pixels[static_cast<std::size_t>(row * width + column)] = kGreyLevels[4 + random() % 4];
        }
        builder.Add(static_cast<char16_t>(0x21 + i),
                    Glyph{static_cast<std::uint8_t>(width + 1), 0, 3, static_cast<std::uint8_t>(width),
                          static_cast<std::uint8_t>(height), pixels});
    }
    return builder.Finish();
}

void BM_CheckTexts(benchmark::State& state)
{
    std::u16string alphabet;
    for (std::size_t i = 0; i < kGlyphCount; ++i)
        alphabet += static_cast<char16_t>(0x21 + i);
    const DefinitionTable table = MakeTable(alphabet);
    const RenderedFont font = SyntheticFont();
    const CodePointRange covered[] = {{0x20, 0x20 + kGlyphCount}};
    const FaceCoverage coverage(covered);
    std::size_t findings = 0;
    for (auto _ : state) {
        findings = CheckTexts(table, font, coverage, TextCheckOptions{200}).size();
        benchmark::DoNotOptimize(findings);
    }
    state.counters["texts"] = static_cast<double>(table.Definitions.size());
    state.counters["glyphs"] = static_cast<double>(kGlyphCount);
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckTexts)->Unit(benchmark::kMillisecond);

// The whole command on a file whose texts need some 1,000 glyphs of DejaVu Sans: reading, rendering,
// checking and printing.
void BM_CheckCommand(benchmark::State& state)
{
    const auto rasteriser = OpenFontFile(kDejaVuSans);
    if (!rasteriser) {
        state.SkipWithError(rasteriser.error().Message.c_str());
        return;
    }
    // Code points of the face until the rendered set, with ASCII and the fixed symbols, has 1,000.
    std::u16string alphabet;
    CharacterSet characters;
    const std::vector<CodePointRange> coverage = (*rasteriser)->UnicodeCoverage().value();
    for (const CodePointRange& range : coverage) {
        for (char32_t codePoint = std::max<char32_t>(range.First, 0x21);
             codePoint <= range.Last && codePoint < 0xD800; ++codePoint) {
            if (characters.CodePoints().size() == kGlyphCount || codePoint == kWildcard)
                break;
            alphabet += static_cast<char16_t>(codePoint);
            characters.AddText(alphabet.substr(alphabet.size() - 1));
        }
    }
    DefinitionTable table = MakeTable(alphabet);
    BlockTree tree;
    BlockItem& block = tree.Append(nullptr, u"Texts", 0);
    for (const auto& [index, definition] : table.Definitions)
        tree.Append(&block, definition.Identifier, index);
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "orv-check-bench.strdef";
    const std::vector<std::uint8_t> bytes = WriteDefinitionBytes(tree, table);
    if (!WriteFileSafely(file, bytes)) {
        state.SkipWithError("cannot write the definition file");
        return;
    }

    std::string printed;
    std::string failure;
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        const int status =
            RunCli({"check", file.string(), "--font", kDejaVuSans, "--max-width", "200"}, out, err);
        printed = out.str();
        failure = err.str();
        benchmark::DoNotOptimize(status);
    }
    std::filesystem::remove(file);
    if (!failure.empty()) {
        state.SkipWithError(failure.c_str());
        return;
    }
    // The summary line: how many findings there were to print.
    const std::size_t summary = printed.rfind(": ", printed.size() - 2);
    state.SetLabel(summary == std::string::npos ? ""
                                                : printed.substr(summary + 2, printed.size() - summary - 3));
    state.counters["texts"] = static_cast<double>(table.Definitions.size());
    state.counters["glyphs"] = static_cast<double>(characters.CodePoints().size());
}
BENCHMARK(BM_CheckCommand)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orv
