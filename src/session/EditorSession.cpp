#include "session/EditorSession.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "base/FileIo.h"
#include "font/RenderFont.h"
#include "output/SourceGeneration.h"

namespace orv {

namespace {

// Runs `operation`, which returns an Outcome<T>; memory running out anywhere in it becomes its
// OutOfMemory error. Every operation leaves the document whole when that happens.
template <typename T, typename Operation> Outcome<T> Guarded(Operation operation) noexcept
{
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        Outcome<T> failed;
        failed.Value = Fail(ErrorCode::OutOfMemory, kOutOfMemoryCommandMessage);
        return failed;
    }
}

// The notices of a read that did not complete, and of a file locked against saving.
void AddReadNotices(const LoadOutcome& read, std::vector<Notice>& notices)
{
    if (read.Status == ReadResult::ReadFailed)
        notices.push_back(ErrorNotice("can't load file", NoticeIcon::Error, read.Reason));
    if (read.Status == ReadResult::ReadOk && read.SaveLocked)
        notices.push_back(WarningNotice(kSaveLockWarning));
}

Notice Notification(std::string text, Severity level)
{
    Notice notice = InformationNotice(std::move(text), "Notification");
    notice.Level = level;
    return notice;
}

// Two names of the same file: the same text, or the same file reached another way.
bool IsSameFile(const std::filesystem::path& left, const std::filesystem::path& right)
{
    std::error_code error;
    return left == right || std::filesystem::equivalent(left, right, error);
}

} // namespace

void EditorSession::SetTreeListeners(TreeListener* tree, TreeListener* scratch)
{
    TreeViews = tree;
    ScratchViews = scratch;
}

template <typename Replace> auto EditorSession::ReplacingTree(Replace replace)
{
    // No reference into the table may survive its replacement.
    CurrentDefinition = nullptr;
    if (TreeViews)
        TreeViews->TreeAboutToBeReplaced();
    struct Told
    {
        TreeListener* Views;
        ~Told()
        {
            if (Views)
                Views->TreeReplaced();
        }
    } told{TreeViews};
    return replace();
}

StringDefinition* EditorSession::ShowItem(const BlockItem* item)
{
    if (!item || item->IsBlock()) {
        CurrentDefinition = nullptr;
        return nullptr;
    }
    StringDefinition& definition = Document.Table.FindOrAddDefinition(item->TextIndex());
    if (IsBlank(definition.Translation))
        definition.Translated = 0;
    CurrentDefinition = &definition;
    return CurrentDefinition;
}

Outcome<LoadOutcome> EditorSession::Read(const std::filesystem::path* path)
{
    return Guarded<LoadOutcome>([&] {
        StringDefinition* shown = CurrentDefinition;
        Outcome<LoadOutcome> outcome;
        outcome.Value = ReplacingTree(
            [&] { return path ? Document.OpenDefinitionFile(*path) : Document.LoadDefinitionFile(); });
        if (outcome.Value)
            AddReadNotices(*outcome.Value, outcome.Notices);
        else
            CurrentDefinition = shown; // nothing was read: the table is the one it pointed into
        return outcome;
    });
}

Outcome<LoadOutcome> EditorSession::Open(const std::filesystem::path& path)
{
    Outcome<LoadOutcome> outcome = Read(&path);
    if (outcome && !Document.Loaded)
        outcome.Notices.push_back(ErrorNotice(kCantLoadFileMessage, NoticeIcon::Error));
    return outcome;
}

Outcome<LoadOutcome> EditorSession::Reload()
{
    return Read(nullptr);
}

Outcome<SaveStatus> EditorSession::Save()
{
    return Guarded<SaveStatus>([&] { return Outcome<SaveStatus>{Document.SaveDefinitionFile(), {}}; });
}

void EditorSession::Clear()
{
    ReplacingTree([&] { Document.ClearDefinitions(); });
}

MergeOutcome EditorSession::Merge(const std::filesystem::path& other)
{
    return Guarded<std::optional<MergeSummary>>([&] {
        MergeOutcome outcome{std::optional<MergeSummary>(), {}};
        if (!Document.Loaded)
            return outcome;
        if (IsSameFile(other, Document.FilePath)) {
            outcome.Notices.push_back(Notification(kMergeSameFileMessage, Severity::Error));
            return outcome;
        }

        DefinitionTable otherTable;
        if (ScratchViews)
            ScratchViews->TreeAboutToBeReplaced();
        auto read = ReadDefinitionFile(other, ScratchTree, otherTable);
        if (ScratchViews)
            ScratchViews->TreeReplaced();
        if (!read) {
            outcome.Value = tl::unexpected(read.error());
            return outcome;
        }
        if (read->Status != ReadResult::ReadOk) {
            AddReadNotices(LoadOutcome{read->Status, read->Reason, false}, outcome.Notices);
            outcome.Notices.push_back(ErrorNotice(kMergeReadFailedMessage, NoticeIcon::Error));
            return outcome;
        }
        const std::uint16_t loadedVersion = Document.Table.FirmwareVersion;
        if (IsOlderFirmwareVersion(otherTable.FirmwareVersion, loadedVersion)) {
            outcome.Notices.push_back(Notification(
                MergeOlderVersionMessage(otherTable.FirmwareVersion, loadedVersion), Severity::Error));
            return outcome;
        }

        // Merged into copies first: should memory run out, the loaded table and tree stay whole.
        // Taking the result over then cannot fail.
        DocumentContent merged{BlockTree(), Document.Table};
        const MergeSummary summary = MergeDefinitions(merged.Tree, merged.Table, ScratchTree, otherTable);
        SwapContent(merged);
        ReplacedByMerge = std::move(merged);
        outcome.Value = summary;
        return outcome;
    });
}

TranslationState EditorSession::TranslationOf(std::uint16_t index) const
{
    const auto found = Document.Table.Definitions.find(index);
    if (found == Document.Table.Definitions.end())
        return {};
    return {found->second.Translation, found->second.Translated};
}

void EditorSession::SetTranslation(std::uint16_t index, TranslationState state)
{
    StringDefinition& definition = Document.Table.FindOrAddDefinition(index);
    definition.Translation = std::move(state.Translation);
    definition.Translated = state.Translated;
}

void EditorSession::SwapContent(DocumentContent& content)
{
    ReplacingTree([&] {
        std::swap(Document.Tree, content.Tree);
        swap(Document.Table, content.Table);
    });
}

void EditorSession::TrimTranslationsInUse()
{
    for (auto& [index, definition] : Document.Table.Definitions)
        TrimTranslationInUse(definition);
}

CharacterSet EditorSession::TextCharacters(std::u16string_view extraText) const
{
    CharacterSet characters;
    for (const auto& [index, definition] : Document.Table.Definitions)
        characters.AddText(EffectiveText(definition));
    characters.AddText(extraText);
    return characters;
}

Outcome<std::size_t> EditorSession::RenderFont(Result<std::unique_ptr<Rasteriser>> rasteriser,
                                               std::u16string_view extraText)
{
    return Guarded<std::size_t>([&] {
        Outcome<std::size_t> outcome;
        const CharacterSet characters = TextCharacters(extraText);
        FontCoverage.clear();
        if (rasteriser) {
            // RenderFont reads the coverage as well, only to refuse a face whose map is unusable.
            if (auto coverage = (*rasteriser)->UnicodeCoverage())
                FontCoverage = std::move(*coverage);
        }
        FaceUnits = FaceCoverage(FontCoverage);
        outcome.Value = orv::RenderFont(DeviceFont, characters, std::move(rasteriser));
        return outcome;
    });
}

Outcome<bool> EditorSession::CheckExport() const
{
    Outcome<bool> outcome{false, {}};
    if (!Font.IsChosen()) {
        outcome.Notices.push_back(ErrorNotice(kChooseFontFirstMessage, NoticeIcon::Warning));
        return outcome;
    }
    // Refused before anything is rendered or asked: the text table has no form for the table.
    if (auto exportable = CheckExportable(Document.Table); !exportable) {
        outcome.Notices.push_back(ExportFailureNotice(exportable.error()));
        return outcome;
    }
    outcome.Value = true;
    return outcome;
}

Outcome<void> EditorSession::Export(const std::filesystem::path& path)
{
    return Guarded<void>([&] {
        Outcome<void> outcome;
        TrimTranslationsInUse();
        // Built whole before the file is touched, so a failure to build leaves no partial file.
        auto built = BuildExport(Document.Table, DeviceFont);
        if (!built) {
            outcome.Value = tl::unexpected(built.error());
            return outcome;
        }
        if (auto written = WriteFileSafely(path, built->Bytes); !written) {
            outcome.Value = tl::unexpected(written.error());
            return outcome;
        }
        outcome.Notices = std::move(built->Notices);
        return outcome;
    });
}

Outcome<bool> EditorSession::GenerateSources(const std::filesystem::path& directory)
{
    return Guarded<bool>([&] {
        SourceGenerationResult generated = WriteSourceFiles(Document.Table, directory);
        return Outcome<bool>{generated.RunScript, std::move(generated.Notices)};
    });
}

Outcome<bool> EditorSession::MoveTo(BlockItem& item, BlockItem* parent, std::size_t row)
{
    return Guarded<bool>([&] {
        // The one step that can fail comes before the views hear anything.
        Document.Tree.ReserveChild(parent);
        if (TreeViews)
            TreeViews->ItemAboutToMove(item, parent, row);
        Document.Tree.Move(item, parent, row);
        if (TreeViews)
            TreeViews->ItemMoved();
        return Outcome<bool>{true, {}};
    });
}

Outcome<bool> EditorSession::Move(BlockItem& item, MoveKind kind)
{
    const std::optional<MoveTarget> target = FindMoveTarget(Document.Tree, item, kind);
    if (!target)
        return Outcome<bool>{false, {}};
    return MoveTo(item, target->Parent, target->Row);
}

Outcome<bool> EditorSession::MoveBack(BlockItem& item, TreePlace place)
{
    // The parent must still hold the row, and must not lie inside the item's own subtree.
    for (const BlockItem* above = place.Parent; above; above = above->Parent()) {
        if (above == &item)
            return Outcome<bool>{false, {}};
    }
    const bool sameParent = item.Parent() == place.Parent;
    const std::size_t rows = Document.Tree.ChildCount(place.Parent) - (sameParent ? 1 : 0);
    if (place.Row > rows)
        return Outcome<bool>{false, {}};
    // A row further down the same parent is counted while the item still stands above it.
    const std::size_t row = sameParent && item.Row() < place.Row ? place.Row + 1 : place.Row;
    return MoveTo(item, place.Parent, row);
}

BlockItem* EditorSession::NextText(const BlockItem* from, bool onlyUntranslated)
{
    const BlockItem* start = from ? from : Document.Tree.FirstTopLevel();
    if (!start)
        return nullptr;
    // Tree order taken as a cycle; the start item is the last one tested, so that after a full
    // round it is found again when it qualifies itself.
    for (const BlockItem* item = start;;) {
        item = item->NextInDisplayOrder();
        if (!item)
            item = Document.Tree.FirstTopLevel();
        if (!item->IsBlock()) {
            const StringDefinition& definition = Document.Table.FindOrAddDefinition(item->TextIndex());
            if (!onlyUntranslated || definition.Translated == 0)
                return const_cast<BlockItem*>(item);
        }
        if (item == start)
            return nullptr;
    }
}

bool EditorSession::IsTranslated(const BlockItem& item) const
{
    const auto found = Document.Table.Definitions.find(item.TextIndex());
    return !item.IsBlock() && found != Document.Table.Definitions.end() && found->second.Translated != 0;
}

TextProgress EditorSession::ProgressBelow(const BlockItem& block) const
{
    // The subtree ends where display order reaches the next sibling of the block or of its nearest
    // ancestor that has one.
    const BlockItem* end = nullptr;
    for (const BlockItem* item = &block; item && !end; item = item->Parent())
        end = item->NextSibling();
    TextProgress progress;
    for (const BlockItem* item = block.FirstChild(); item && item != end; item = item->NextInDisplayOrder()) {
        if (!item->IsBlock()) {
            ++progress.Total;
            progress.Translated += IsTranslated(*item) ? 1 : 0;
        }
    }
    return progress;
}

TextState EditorSession::StateOf(const BlockItem& item) const
{
    if (!IsTranslated(item))
        return TextState::Untranslated;
    if (DeviceFont.GlyphStore.empty())
        return TextState::Translated;
    const std::uint16_t index = item.TextIndex();
    const auto findings =
        CheckDefinition(index, Document.Table.Definitions.at(index), DeviceFont, FaceUnits, {MaxWidth});
    const bool problem = std::ranges::any_of(
        findings, [](const TextFinding& finding) { return finding.Level == Severity::Error; });
    return problem ? TextState::TranslatedWithProblem : TextState::Translated;
}

std::optional<DeviceFit> EditorSession::FitOfCurrent(bool marked) const
{
    if (!CurrentDefinition || DeviceFont.GlyphStore.empty())
        return std::nullopt;
    // Checked as it would be once committed; the table keeps its mark until then.
    StringDefinition shown = *CurrentDefinition;
    shown.Translated = marked ? 1 : 0;
    return FitOnDevice(shown, DeviceFont, FaceUnits, /*measure=*/true);
}

bool EditorSession::NeedsRenderingFor(std::u16string_view text) const
{
    if (DeviceFont.GlyphStore.empty())
        return false;
    // Every rendered character has a record of at least one pixel; the lookup finds none for the
    // others.
    return std::ranges::any_of(text, [&](char16_t unit) {
        const bool neverRendered =
            unit <= kLastControlCode || unit == kObjectReplacement || unit == kWildcard;
        return !neverRendered && FindGlyph(DeviceFont, unit).Width == 0;
    });
}

} // namespace orv
