#pragma once

// Running the strdef tool in-process from the tests.

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/Cli.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv::test {

inline const std::string kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Outcome
{
    int Status;
    std::string Out;
    std::string Err;
};

// RunCli with `args` (without the program name), its exit status and everything it printed.
inline Outcome RunStrdef(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

// RunStrdef expecting exit status 0 and nothing on stderr; returns what it printed on stdout.
inline std::string RunQuietly(const std::vector<std::string>& args)
{
    const Outcome outcome = RunStrdef(args);
    EXPECT_EQ(outcome.Status, 0) << testing::PrintToString(args) << ": " << outcome.Err;
    EXPECT_EQ(outcome.Err, "") << testing::PrintToString(args);
    return outcome.Out;
}

// Exit status `status`, nothing on stdout, and exactly one line on stderr starting "strdef: ".
inline testing::AssertionResult IsOneErrorLine(const Outcome& outcome, int status)
{
    if (outcome.Status == status && outcome.Err.starts_with("strdef: ") &&
        outcome.Err.find('\n') == outcome.Err.size() - 1 && outcome.Out.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "status " << outcome.Status << ", out \"" << outcome.Out << "\", err \"" << outcome.Err << "\"";
}

// Writes a definition file of `definitions`, each shown by a text item in one block "Block".
inline void WriteDefinitions(const std::filesystem::path& path,
                             const std::vector<StringDefinition>& definitions,
                             std::uint16_t firmwareVersion = 0x110)
{
    BlockTree tree;
    DefinitionTable table;
    table.FirmwareVersion = firmwareVersion;
    BlockItem& block = tree.Append(nullptr, u"Block", 0);
    for (const StringDefinition& definition : definitions) {
        table.Definitions[definition.Index] = definition;
        tree.Append(&block, definition.Identifier, definition.Index);
    }
    WriteBytes(path, WriteDefinitionBytes(tree, table));
}

// The names in `directory`, sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& directory = ".")
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// `text` split at its line feeds.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace orv::test
