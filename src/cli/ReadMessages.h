#pragma once

// How the tool describes a definition file that was opened but not read completely.

#include <filesystem>
#include <string>

#include "store/DefinitionFile.h"

namespace orv {

// "PATH: what went wrong (result N)" for the reader's result `result` and, for ReadFailed, its `reason`.
std::string DescribeIncompleteRead(const std::filesystem::path& path, ReadResult result,
                                   const std::string& reason);

} // namespace orv
