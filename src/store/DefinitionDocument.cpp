#include "store/DefinitionDocument.h"

namespace orv {

Result<LoadOutcome> DefinitionDocument::LoadDefinitionFile()
{
    Loaded = false;
    SaveDisabled = true;
    auto read = ReadDefinitionFile(FilePath, Tree, Table);
    if (!read)
        return tl::unexpected(read.error());
    LoadOutcome outcome{read->Result, std::move(read->Reason), false};
    if (outcome.Result == ReadResult::ReadOk) {
        if (Table.SaveLock == 0)
            SaveDisabled = false;
        else
            outcome.SaveLocked = true;
        Table.SaveLock = 0;
        Loaded = true;
    }
    return outcome;
}

Result<SaveStatus> DefinitionDocument::SaveDefinitionFile(const std::filesystem::path& temporaryPath)
{
    if (SaveDisabled)
        return SaveStatus::Disabled;
    auto saved = orv::SaveDefinitionFile(Tree, Table, FilePath, temporaryPath);
    if (!saved)
        return tl::unexpected(saved.error());
    switch (*saved) {
    case SaveOutcome::Unchanged:
        return SaveStatus::Unchanged;
    case SaveOutcome::Replaced:
        return SaveStatus::Replaced;
    case SaveOutcome::ReplacedByCopy:
        return SaveStatus::ReplacedByCopy;
    }
    return SaveStatus::Replaced;
}

void DefinitionDocument::ClearDefinitions()
{
    Table.Definitions.clear();
    Table.FirmwareVersion = kDefaultFirmwareVersion;
    Tree.Clear();
}

} // namespace orv
