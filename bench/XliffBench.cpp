// Writing and reading XLIFF files of 65,536 units.

#include <string>

#include <benchmark/benchmark.h>

#include "base/Text.h"
#include "exchange/XliffFile.h"

namespace orv {
namespace {

constexpr int kUnitCount = 65536;

// Units in blocks of 64, two thirds translated, every eighth with a special code and a line break.
TranslationFile LargeFile()
{
    TranslationFile file{"large.strdef", "en", "de", {}};
    file.Units.reserve(kUnitCount);
    for (int index = 0; index < kUnitCount; ++index) {
        const std::u16string number = FromAscii(std::to_string(index));
        TranslationUnit unit;
        unit.Index = static_cast<std::uint16_t>(index);
        unit.Identifier = u"TEXT_" + number;
        unit.BlockPath = u"Settings / Block " + FromAscii(std::to_string(index / 64));
        unit.Source = u"Default text number " + number;
        unit.Target = u"Übersetzter Text Nummer " + number;
        if (index % 8 == 0) {
            unit.Source += u"\a\r\n";
            unit.Target += u"\a\r\n";
        }
        unit.Translated = index % 3 != 0;
        unit.Description = u"Shown on the status line\nwhile the device counts " + number;
        file.Units.push_back(std::move(unit));
    }
    return file;
}

void BM_WriteXliffFile(benchmark::State& state)
{
    const TranslationFile file = LargeFile();
    std::size_t size = 0;
    for (auto _ : state) {
        const auto bytes = WriteXliffFile(file);
        if (!bytes) {
            state.SkipWithError(bytes.error().Message.c_str());
            break;
        }
        size = bytes->size();
        benchmark::DoNotOptimize(bytes->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_WriteXliffFile)->Unit(benchmark::kMillisecond);

void BM_ReadXliffBytes(benchmark::State& state)
{
    const auto bytes = WriteXliffFile(LargeFile());
    if (!bytes) {
        state.SkipWithError(bytes.error().Message.c_str());
        return;
    }
    for (auto _ : state) {
        const auto units = ReadXliffBytes(*bytes, "large.xlf");
        if (!units || units->size() != kUnitCount) {
            state.SkipWithError(units ? "units lost" : units.error().Message.c_str());
            break;
        }
        benchmark::DoNotOptimize(units->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes->size()));
}
BENCHMARK(BM_ReadXliffBytes)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orv
