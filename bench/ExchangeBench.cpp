// Sending 65,535 texts to a translation tool and taking them back, as `strdef po|xliff export` and
// `import` do: the file written safely, then read and applied (without the save of the .strdef).

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "base/Text.h"
#include "session/TranslationExchange.h"

namespace orv {
namespace {

// Every index but 0, which no text of a tree can name.
constexpr int kTextCount = 65535;

// Texts in blocks of 64, two thirds translated, every eighth with line breaks at its ends, and a
// description of two lines.
const EditorSession& LargeSession()
{
    static const EditorSession session = [] {
        EditorSession made;
        BlockItem* block = nullptr;
        for (int index = 1; index <= kTextCount; ++index) {
            const std::u16string number = FromAscii(std::to_string(index));
            StringDefinition& definition =
                made.Document.Table.FindOrAddDefinition(static_cast<std::uint16_t>(index));
            definition.Identifier = u"TEXT_" + number;
            definition.DefaultText = u"Default text number " + number + (index % 8 == 0 ? u"\r\n" : u"");
            definition.Translation = u"\u00DCbersetzter Text Nummer " + number;
            definition.Translated = index % 3 != 0 ? 1 : 0;
            definition.Description = u"Shown on the status line\r\nwhile the device counts " + number;
            if (index % 64 == 1)
                block = &made.Document.Tree.Append(nullptr, u"Block " + number, 0);
            made.Document.Tree.Append(block, definition.Identifier, static_cast<std::uint32_t>(index));
        }
        made.Document.FilePath = "large.strdef";
        return made;
    }();
    return session;
}

std::filesystem::path BenchFile(ExchangeFormat format)
{
    return std::filesystem::temp_directory_path() / ("orv-exchange-bench-" + std::to_string(::getpid()) +
                                                     (format == ExchangeFormat::Po ? ".po" : ".xlf"));
}

void ExportForTranslationOfAllTexts(benchmark::State& state)
{
    const auto format = static_cast<ExchangeFormat>(state.range(0));
    const std::filesystem::path path = BenchFile(format);
    const EditorSession& session = LargeSession(); // made once, outside the timing
    for (auto _ : state) {
        const auto written = ExportForTranslation(session, path, format, {});
        if (!written || *written != kTextCount)
            state.SkipWithError(written ? "texts missing" : written.error().Message.c_str());
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.SetLabel(format == ExchangeFormat::Po ? "PO" : "XLIFF");
    std::filesystem::remove(path);
}
BENCHMARK(ExportForTranslationOfAllTexts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void ImportTranslationsOfAllTexts(benchmark::State& state)
{
    const auto format = static_cast<ExchangeFormat>(state.range(0));
    const std::filesystem::path path = BenchFile(format);
    EditorSession session;
    session.Document.Table = LargeSession().Document.Table;
    if (!ExportForTranslation(LargeSession(), path, format, {})) {
        state.SkipWithError("cannot write the file");
        return;
    }
    for (auto _ : state) {
        const auto summary = ImportTranslations(session, path, format, /*apply=*/true);
        if (!summary || summary->Unchanged != kTextCount)
            state.SkipWithError(summary ? "texts changed" : summary.error().Message.c_str());
    }
    state.SetLabel(format == ExchangeFormat::Po ? "PO" : "XLIFF");
    std::filesystem::remove(path);
}
BENCHMARK(ImportTranslationsOfAllTexts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orv
