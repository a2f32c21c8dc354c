#pragma once

// The loaded definition file: its table and block tree, where it came from, and whether it may be
// saved.

#include <filesystem>
#include <string>

#include "base/Result.h"
#include "store/BlockTree.h"
#include "store/DefinitionFile.h"
#include "store/DefinitionSaving.h"
#include "store/DefinitionTable.h"

namespace orv {

inline constexpr const char* kSaveLockWarning = "You won't be able to save the changes on this file";

struct LoadOutcome
{
    ReadResult Status = ReadResult::ReadOk;
    std::string Reason;      // for ReadFailed
    bool SaveLocked = false; // the file's "foni" word was not 0: saving stays disabled (warn the user)
};

enum class SaveStatus
{
    Disabled, // saving is disabled for this file; nothing was touched
    Unchanged,
    Replaced,
};

class DefinitionDocument
{
public:
    DefinitionTable Table;
    BlockTree Tree;
    std::filesystem::path FilePath;
    bool Loaded = false;       // the last load succeeded; only then is anything saved
    bool SaveDisabled = false; // saving returns at once without touching any file
    SaveFaultHook SaveFaults;  // for tests: makes a step of every save fail

    // Reads `FilePath` into the table and tree. Clears `Loaded` and sets `SaveDisabled` first; a
    // complete read with a "foni" word of 0 enables saving, and any complete read sets `Loaded` and
    // resets `SaveLock`. A file that cannot be opened is an error and changes nothing at all; one
    // that cannot be read (an I/O error, too large, not enough memory) is ReadFailed.
    Result<LoadOutcome> LoadDefinitionFile();

    // Makes `path` the document's file and loads it. When it cannot be opened, the error comes back
    // and the document stays as it was: the same file, loaded and saveable as before.
    Result<LoadOutcome> OpenDefinitionFile(const std::filesystem::path& path);

    // Saves to `FilePath` unless saving is disabled.
    Result<SaveStatus> SaveDefinitionFile();

    // Whether saving now would change the file on disk: the bytes it would write differ from the
    // file's (or the file cannot be read). False when nothing is loaded or saving is disabled.
    bool HasUnsavedChanges() const;

    // Empties the table and the tree and resets the firmware version; the rest stays as it is.
    void ClearDefinitions();
};

} // namespace orv
