#pragma once

// Whole-file reading and durable writing. Messages name the file and carry the system's reason.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "base/Result.h"

namespace orv {

// The whole content of a regular file. OpenFailed when it cannot be opened or is a directory, device
// or pipe; ReadFailed when reading fails.
Result<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path);

// Creates or truncates `path`, writes `bytes`, flushes them to the disk and closes the file.
// WriteFailed on any failure; the file may then hold part of the bytes.
Result<void> WriteFileDurably(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Writes `bytes` to a sibling temporary file and renames it over `path`, so that `path` holds either
// its old content or all of the new one. WriteFailed leaves `path` as it was.
Result<void> ReplaceFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

// Flushes a directory entry change (a rename or a new file) in the directory holding `path`.
// Best effort: some file systems refuse it, and nothing is lost when they do.
void SyncParentDirectory(const std::filesystem::path& path);

// The system's text for the current errno.
std::string SystemReason();

} // namespace orv
