// Feeds arbitrary bytes to the XLIFF reader. Besides the sanitizers' checks, every failure must
// name the file, every unit must carry its place, and the units of a read must survive a write and
// a second read unchanged.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "exchange/XliffFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orv;
    const auto units = ReadXliffBytes(std::span(data, size), "fuzz.xlf");
    if (!units) {
        if (!units.error().Message.starts_with("fuzz.xlf: "))
            std::abort();
        return 0;
    }

    TranslationFile file{"fuzz.strdef", "en", "de", {}};
    for (const ReadUnit& unit : *units) {
        if (!unit.Place.starts_with("line "))
            std::abort();
        file.Units.push_back({unit.Index, u"ID", u"Block", unit.Source, unit.Target, unit.Translated, u""});
    }
    const auto bytes = WriteXliffFile(file);
    if (!bytes)
        std::abort();
    const auto again = ReadXliffBytes(*bytes, "again.xlf");
    if (!again || again->size() != units->size())
        std::abort();
    for (std::size_t i = 0; i < units->size(); ++i) {
        const ReadUnit& first = (*units)[i];
        const ReadUnit& second = (*again)[i];
        if (first.Index != second.Index || first.Source != second.Source || first.Target != second.Target ||
            first.Translated != second.Translated)
            std::abort();
    }
    return 0;
}
