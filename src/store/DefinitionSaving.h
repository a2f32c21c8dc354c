#pragma once

// Saving a definition file without needless rewrites: the new content goes to a temporary file, is
// compared with the file on disk, and replaces it only when different, the old content becoming the
// newest of nine numbered backups.

#include <filesystem>
#include <string>

#include "base/Result.h"
#include "store/BlockTree.h"
#include "store/DefinitionTable.h"

namespace orv {

// Relative to the working directory, whatever directory the definition file is in.
inline constexpr const char* kTemporaryFileName = "@orv_txtdefs.strdef.temp";
inline constexpr int kBackupGenerations = 9;

enum class SaveOutcome
{
    Unchanged,      // the content on disk was already the same; nothing but the temporary file was touched
    Replaced,       // the old file became backup 1 and the new content took its place
    ReplacedByCopy, // as Replaced, but the temporary file could not be renamed and was copied instead
};

// "%s.bck%d": the path of backup `generation` of `path`.
std::filesystem::path BackupPath(const std::filesystem::path& path, int generation);

// Compares the file at `temporaryPath` with the file at `path` in blocks of 1024 bytes: 0 equal,
// 1 different, -1 when either cannot be opened.
int CompareFiles(const std::filesystem::path& temporaryPath, const std::filesystem::path& path);

// Shifts the backups of `path` up one generation, dropping generation 9, and renames `path` itself
// to generation 1. Missing generations are skipped; nothing is reported.
void RotateBackups(const std::filesystem::path& path);

// Writes `tree` and `table` to `temporaryPath`, flushed to disk, and replaces `filePath` with it
// when the contents differ. Sets `table.SaveLock` to 0. On error neither the old content (in
// `filePath` or its backup 1) nor the new one (in the temporary file) is lost, and the message names
// where each is.
Result<SaveOutcome> SaveDefinitionFile(const BlockTree& tree, DefinitionTable& table,
                                       const std::filesystem::path& filePath,
                                       const std::filesystem::path& temporaryPath = kTemporaryFileName);

} // namespace orv
