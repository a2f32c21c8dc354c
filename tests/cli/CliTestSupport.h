#pragma once

// Running the strdef tool in-process from the tests.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "store/StringDefinition.h"

namespace orv::test {

inline const std::string kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

struct Outcome
{
    int Status;
    std::string Out;
    std::string Err;
};

// RunCli with `args` (without the program name), its exit status and everything it printed.
Outcome RunStrdef(const std::vector<std::string>& args);

// RunStrdef expecting exit status 0 and nothing on stderr; returns what it printed on stdout.
std::string RunQuietly(const std::vector<std::string>& args);

// Exit status `status`, nothing on stdout, and exactly one line on stderr starting "strdef: ".
testing::AssertionResult IsOneErrorLine(const Outcome& outcome, int status);

// Writes a definition file of `definitions`, each shown by a text item in one block "Block".
void WriteDefinitions(const std::filesystem::path& path, const std::vector<StringDefinition>& definitions,
                      std::uint16_t firmwareVersion = 0x110);

// The names in `directory`, sorted.
std::vector<std::string> FilesIn(const std::filesystem::path& directory = ".");

// `text` split at its line feeds.
std::vector<std::string> Lines(const std::string& text);

} // namespace orv::test
