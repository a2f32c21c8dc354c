#pragma once

// Saving a definition file without needless rewrites and without ever losing a version: the new
// content goes to a temporary file beside the definition file, is compared with the file on disk,
// and replaces it only when different, the old content becoming the newest of nine numbered backups.

#include <filesystem>
#include <functional>
#include <string>

#include "base/Result.h"
#include "store/BlockTree.h"
#include "store/DefinitionTable.h"

namespace orv {

// The temporary file's name, in the definition file's own directory; a save that finds the name
// taken (another save running, or one that was interrupted) uses a unique variant of it.
inline constexpr const char* kTemporaryFileName = "@orv_txtdefs.strdef.temp";
inline constexpr int kBackupGenerations = 9;

enum class SaveOutcome
{
    Unchanged, // the content on disk was already the same; nothing but the temporary file was touched
    Replaced,  // the old file became backup 1 and the new content took its place
};

// The steps of a save, in order, for tests that make one of them fail or stop the process there.
enum class SaveStep
{
    CreateTemporary, // create the temporary file beside the definition file
    WriteTemporary,  // write and flush the new content into it
    KeepPrevious,    // link (or copy) the definition file under a second name, the coming backup 1
    Replace,         // rename the temporary file over the definition file
    ShiftBackup,     // rename backup n to n + 1, for n from 8 down to 1
    PlaceBackup,     // rename the kept previous version to backup 1
};

// Called before each step with the step and, for ShiftBackup, the generation n; returning an errno
// makes that step fail with it.
using SaveFaultHook = std::function<int(SaveStep step, int generation)>;

// "%s.bck%d": the path of backup `generation` of `path`.
std::filesystem::path BackupPath(const std::filesystem::path& path, int generation);

// Compares the file at `temporaryPath` with the file at `path` in blocks of 1024 bytes: 0 equal,
// 1 different, -1 when either cannot be opened.
int CompareFiles(const std::filesystem::path& temporaryPath, const std::filesystem::path& path);

// Writes `tree` and `table` to `filePath` (to the file it links to, when it is a link) when the
// contents differ, keeping the old content as backup 1 and shifting the older backups up, the
// oldest of nine dropping out. Sets `table.SaveLock` to 0.
// A failure before the new content is in place leaves the file and every backup as they were and
// removes the temporary file. A failure while the backups are shifted (after the new content is in
// place) stops the shifting, so that no backup is lost, and keeps the previous version under a name
// that the error gives.
Result<SaveOutcome> SaveDefinitionFile(const BlockTree& tree, DefinitionTable& table,
                                       const std::filesystem::path& filePath,
                                       const SaveFaultHook& faults = nullptr);

} // namespace orv
