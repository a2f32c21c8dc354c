// Reading and writing large definition files.

#include <filesystem>
#include <random>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "store/DefinitionFile.h"
#include "store/DefinitionSaving.h"

namespace orv {
namespace {

constexpr int kDefinitionCount = 65536;
constexpr std::size_t kTextLength = 100;

std::u16string RandomText(std::mt19937& random, std::size_t length)
{
    static constexpr std::u16string_view kAlphabet = u"abcdefghijklmnopqrstuvwxyz ÄÖÜäöüß€0123456789";
    std::u16string text(length, u' ');
    for (char16_t& unit : text)
        unit = kAlphabet[random() % kAlphabet.size()];
    return text;
}

// 65,536 definitions with texts of about 100 characters, in blocks of 64, with `unusedCount` of the
// text items labelled as unused.
void FillLargeFile(BlockTree& tree, DefinitionTable& table, int unusedCount)
{
    std::mt19937 random(42);
    BlockItem* block = nullptr;
    for (int index = 0; index < kDefinitionCount; ++index) {
        if (index % 64 == 0)
            block = &tree.Append(nullptr, u"Block " + RandomText(random, 8), 0);
        StringDefinition& definition = table.FindOrAddDefinition(static_cast<std::uint16_t>(index));
        definition.Identifier = u"TEXT_" + RandomText(random, 20);
        definition.DefaultText = RandomText(random, kTextLength);
        definition.Translation = RandomText(random, kTextLength);
        definition.Translated = index % 3 != 0;
        definition.Description = RandomText(random, 30);
        const bool unused = index % (kDefinitionCount / unusedCount + 1) == 0;
        tree.Append(block, unused ? u"UNUSED " + definition.Identifier : definition.Identifier,
                    static_cast<std::uint32_t>(index));
    }
}

void BM_WriteDefinitionFile(benchmark::State& state)
{
    BlockTree tree;
    DefinitionTable table;
    FillLargeFile(tree, table, 1);
    std::size_t size = 0;
    for (auto _ : state) {
        const auto bytes = WriteDefinitionBytes(tree, table);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
    state.counters["file_MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_WriteDefinitionFile)->Unit(benchmark::kMillisecond);

void BM_ReadDefinitionFile(benchmark::State& state)
{
    BlockTree tree;
    DefinitionTable table;
    FillLargeFile(tree, table, static_cast<int>(state.range(0)));
    const auto bytes = WriteDefinitionBytes(tree, table);
    for (auto _ : state) {
        BlockTree readTree;
        DefinitionTable readTable;
        const ReadOutcome outcome = ReadDefinitionBytes(bytes, readTree, readTable);
        if (outcome.Status != ReadResult::ReadOk)
            state.SkipWithError(outcome.Reason.c_str());
        benchmark::DoNotOptimize(readTable.Definitions.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
// 1: one unused item; 10000: 10,000 unused items among the 65,536.
BENCHMARK(BM_ReadDefinitionFile)->Arg(1)->Arg(10000)->Unit(benchmark::kMillisecond);

// Saving 65,536 definitions (about 31 MB) as closing the editor does: range 0 finds the file unchanged
// (write, sync and compare), range 1 changes one text each time (and also keeps the previous version
// and shifts the nine backups).
void BM_SaveDefinitionFile(benchmark::State& state)
{
    BlockTree tree;
    DefinitionTable table;
    FillLargeFile(tree, table, 1);
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("orv-save-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    const std::filesystem::path file = directory / "large.strdef";
    if (!SaveDefinitionFile(tree, table, file))
        state.SkipWithError("cannot save into the temporary directory");
    const bool change = state.range(0) == 1;
    int round = 0;
    for (auto _ : state) {
        if (change)
            table.Definitions.at(0).Translation =
                u"round " + std::u16string(1, static_cast<char16_t>(u'a' + round++ % 26));
        const auto saved = SaveDefinitionFile(tree, table, file);
        if (!saved)
            state.SkipWithError(saved.error().Message.c_str());
    }
    std::filesystem::remove_all(directory);
}
BENCHMARK(BM_SaveDefinitionFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace orv
