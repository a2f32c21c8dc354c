// Feeds arbitrary bytes to the definition file reader. Besides the sanitizers' checks, a complete
// read must survive a write and a second read unchanged, but for the "foni" word, which the writer
// always writes as 0 so that what it writes can be saved again.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "store/DefinitionFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace orv;
    BlockTree tree;
    DefinitionTable table;
    const ReadOutcome outcome = ReadDefinitionBytes(std::span(data, size), tree, table);
    if (outcome.Status == ReadResult::ReadFailed && outcome.Reason.empty())
        std::abort();
    if (outcome.Status != ReadResult::ReadOk)
        return 0;

    const auto bytes = WriteDefinitionBytes(tree, table);
    table.SaveLock = 0;
    BlockTree treeAgain;
    DefinitionTable tableAgain;
    if (ReadDefinitionBytes(bytes, treeAgain, tableAgain).Status != ReadResult::ReadOk)
        std::abort();
    if (!(treeAgain == tree) || !(tableAgain == table))
        std::abort();
    if (WriteDefinitionBytes(treeAgain, tableAgain) != bytes)
        std::abort();
    return 0;
}
