#include "store/DefinitionDocument.h"

#include "base/FileIo.h"

namespace orv {

Result<LoadOutcome> DefinitionDocument::LoadDefinitionFile()
{
    const bool wasLoaded = Loaded;
    const bool wasDisabled = SaveDisabled;
    Loaded = false;
    SaveDisabled = true;
    auto read = ReadDefinitionFile(FilePath, Tree, Table);
    if (!read) {
        if (read.error().Code == ErrorCode::OpenFailed) {
            Loaded = wasLoaded;
            SaveDisabled = wasDisabled;
            return tl::unexpected(read.error());
        }
        return LoadOutcome{ReadResult::ReadFailed, std::move(read.error().Message), false};
    }
    LoadOutcome outcome{read->Status, std::move(read->Reason), false};
    if (outcome.Status == ReadResult::ReadOk) {
        if (Table.SaveLock == 0)
            SaveDisabled = false;
        else
            outcome.SaveLocked = true;
        Table.SaveLock = 0;
        Loaded = true;
    }
    return outcome;
}

Result<LoadOutcome> DefinitionDocument::OpenDefinitionFile(const std::filesystem::path& path)
{
    std::filesystem::path previous = std::exchange(FilePath, path);
    auto loaded = LoadDefinitionFile();
    if (!loaded)
        FilePath = std::move(previous);
    return loaded;
}

Result<SaveStatus> DefinitionDocument::SaveDefinitionFile()
{
    if (SaveDisabled)
        return SaveStatus::Disabled;
    auto saved = orv::SaveDefinitionFile(Tree, Table, FilePath, SaveFaults);
    if (!saved)
        return tl::unexpected(saved.error());
    return *saved == SaveOutcome::Unchanged ? SaveStatus::Unchanged : SaveStatus::Replaced;
}

bool DefinitionDocument::HasUnsavedChanges() const
{
    if (!Loaded || SaveDisabled)
        return false;
    const auto onDisk = ReadWholeFile(FilePath, kMaxDefinitionFileSize);
    return !onDisk || *onDisk != WriteDefinitionBytes(Tree, Table);
}

void DefinitionDocument::ClearDefinitions()
{
    Table.Definitions.clear();
    Table.FirmwareVersion = kDefaultFirmwareVersion;
    Tree.Clear();
}

} // namespace orv
