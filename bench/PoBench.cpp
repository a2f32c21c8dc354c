// Writing and reading PO files of 65,536 units.

#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "base/FileIo.h"
#include "base/Text.h"
#include "exchange/PoFile.h"

namespace orv {
namespace {

constexpr int kUnitCount = 65536;

// Units in blocks of 64, two thirds translated, every eighth with line breaks at its ends.
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
            unit.Source += u"\r\n";
            unit.Target += u"\r\n";
        }
        unit.Translated = index % 3 != 0;
        unit.Description = u"Shown on the status line\nwhile the device counts " + number;
        file.Units.push_back(std::move(unit));
    }
    return file;
}

void BM_WritePoFile(benchmark::State& state)
{
    const TranslationFile file = LargeFile();
    std::size_t size = 0;
    for (auto _ : state) {
        const auto bytes = WritePoFile(file);
        if (!bytes)
            state.SkipWithError(bytes.error().Message.c_str());
        else
            size = bytes->size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_WritePoFile)->Unit(benchmark::kMillisecond);

void BM_ReadPoFile(benchmark::State& state)
{
    const auto bytes = WritePoFile(LargeFile());
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("orv-po-bench-" + std::to_string(::getpid()) + ".po");
    if (!bytes || !WriteFileSafely(path, *bytes)) {
        state.SkipWithError("cannot write the PO file");
        return;
    }
    for (auto _ : state) {
        const auto units = ReadPoFile(path);
        if (!units || units->size() != kUnitCount)
            state.SkipWithError(units ? "units missing" : units.error().Message.c_str());
        benchmark::DoNotOptimize(units);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes->size()));
    std::filesystem::remove(path);
}
BENCHMARK(BM_ReadPoFile)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orv
