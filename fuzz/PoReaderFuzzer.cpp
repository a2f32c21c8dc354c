// Feeds arbitrary bytes to the PO reader as a file. Besides the sanitizers' checks, every failure
// must say why, every unit read must carry its place, and the texts of a file that passes must
// come back exactly from a file written with them.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "base/Text.h"
#include "exchange/PoFile.h"

// libgettextpo loses a few bytes of what its parser was building when it meets a syntax error; those
// are the library's, not ours. Telling them apart needs whole stacks through the library, which has
// no frame pointers, so allocations are traced the slow way.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libgettextpo_catalog_reader_parse\n";
}

namespace {

const std::string& ScratchPath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("orv-po-fuzz-" + std::to_string(::getpid()) + ".po"))
            .string();
    return path;
}

void Save(const std::uint8_t* data, std::size_t size)
{
    FILE* file = std::fopen(ScratchPath().c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0)
        std::abort();
}

// Writes the units under identifiers of their own and reads them back.
void CheckRoundTrip(const std::vector<orv::ReadUnit>& units)
{
    orv::TranslationFile file{"fuzz.strdef", "en", "de", {}};
    for (std::size_t i = 0; i < units.size(); ++i) {
        const orv::ReadUnit& unit = units[i];
        file.Units.push_back({unit.Index, orv::FromAscii("U" + std::to_string(i)), u"", unit.Source,
                              unit.Target, unit.Translated, u""});
    }
    const auto bytes = orv::WritePoFile(file);
    if (!bytes)
        std::abort();
    Save(bytes->data(), bytes->size());
    const auto again = orv::ReadPoFile(ScratchPath());
    if (!again || again->size() != units.size())
        std::abort();
    for (std::size_t i = 0; i < units.size(); ++i) {
        const orv::ReadUnit& before = units[i];
        const orv::ReadUnit& after = (*again)[i];
        if (after.Index != before.Index || after.Source != before.Source || after.Target != before.Target ||
            after.Translated != before.Translated)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Save(data, size);
    const auto units = orv::ReadPoFile(ScratchPath());
    if (!units && units.error().Message.empty())
        std::abort();
    if (units) {
        for (const orv::ReadUnit& unit : *units)
            if (unit.Place.empty())
                std::abort();
        CheckRoundTrip(*units);
    }
    std::filesystem::remove(ScratchPath());
    return 0;
}
