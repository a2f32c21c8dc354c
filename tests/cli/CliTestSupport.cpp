#include "CliTestSupport.h"

#include <sstream>

#include "cli/Cli.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv::test {

Outcome RunStrdef(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

testing::AssertionResult IsOneErrorLine(const Outcome& outcome, int status)
{
    if (outcome.Status == status && outcome.Err.starts_with("strdef: ") &&
        outcome.Err.find('\n') == outcome.Err.size() - 1 && outcome.Out.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "status " << outcome.Status << ", out \"" << outcome.Out << "\", err \"" << outcome.Err << "\"";
}

void WriteDefinitions(const std::filesystem::path& path, const std::vector<StringDefinition>& definitions)
{
    BlockTree tree;
    DefinitionTable table;
    BlockItem& block = tree.Append(nullptr, u"Block", 0);
    for (const StringDefinition& definition : definitions) {
        table.Definitions[definition.Index] = definition;
        tree.Append(&block, definition.Identifier, definition.Index);
    }
    WriteBytes(path, WriteDefinitionBytes(tree, table));
}

} // namespace orv::test
