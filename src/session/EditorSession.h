#pragma once

// The editing work on one definition file: the loaded document, the definition being edited, the
// desktop font chosen for the device and the device font rendered from it, and every operation a
// user runs on them. The window and `strdef` both work through a session, so each rule lives here
// once; they only ask the user what an operation needs and show what it returns.
//
// Every operation returns an Outcome: the value or the error that stopped it, and the notices to
// show first, in order. A refusal (merging the file with itself, exporting without a font) is no
// error: the value says that nothing was done and a notice of severity Error says why.
//
//   EditorSession session;
//   const auto opened = session.Open("texts.strdef");
//   show(opened.Notices);
//   if (!opened)
//       show(opened.Value.error());
//
// Nothing here throws: running out of memory ends an operation with an OutOfMemory error and the
// document as it was.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "base/Outcome.h"
#include "font/CharacterSet.h"
#include "font/ChosenFont.h"
#include "font/GlyphTable.h"
#include "font/Rasteriser.h"
#include "output/FontTextExport.h"
#include "output/TextChecks.h"
#include "store/BlockTree.h"
#include "store/DefinitionDocument.h"
#include "store/DefinitionMerge.h"
#include "store/TreeMoves.h"

namespace orv {

inline constexpr const char* kOutOfMemoryCommandMessage = "Out of memory: the command was not completed.";
inline constexpr const char* kCantLoadFileMessage = "Can't load file";
inline constexpr const char* kNoMoreUntranslatedMessage = "No more non-translated strings have been found.";

// What the views of a block tree are told about the changes a session makes to it.
class TreeListener
{
public:
    // The whole tree is about to be replaced or emptied; views forget everything they know of it.
    virtual void TreeAboutToBeReplaced() = 0;
    virtual void TreeReplaced() = 0;
    // `item` is about to move to `row` among the children of `parent` (nullptr: the top level),
    // `row` counted while it still stands at its old place. It keeps its identity.
    virtual void ItemAboutToMove(const BlockItem& item, const BlockItem* parent, std::size_t row) = 0;
    virtual void ItemMoved() = 0;

protected:
    ~TreeListener() = default;
};

// How many of the texts below a block are marked translated.
struct TextProgress
{
    std::size_t Translated = 0;
    std::size_t Total = 0;

    bool operator==(const TextProgress&) const = default;
};

// What the tree shows of a text: whether it is translated and, once a device font is rendered,
// whether its translation has a fault that the device would show (an error of the text checks).
enum class TextState
{
    Untranslated,
    Translated,
    TranslatedWithProblem,
};

// A definition's translation with its Translated mark: what an edit changes.
struct TranslationState
{
    std::u16string Translation;
    std::uint32_t Translated = 0;

    bool operator==(const TranslationState&) const = default;
};

// Where an item stands: its parent (nullptr: the top level) and its row among the parent's children.
struct TreePlace
{
    BlockItem* Parent = nullptr;
    std::size_t Row = 0;
};

// A document's tree with its table, as a merge replaces them.
struct DocumentContent
{
    BlockTree Tree;
    DefinitionTable Table;
};

// How a session's operation ended for a merge: the summary, or nothing when it was refused.
using MergeOutcome = Outcome<std::optional<MergeSummary>>;

class EditorSession
{
public:
    DefinitionDocument Document; // the table, the block tree, FilePath, Loaded, SaveDisabled
    BlockTree ScratchTree;       // the other file of the last merge, as read
    ChosenFont Font;             // the desktop font picked for the device; no face name: none chosen
    RenderedFont DeviceFont;     // the device glyphs of the texts, as last rendered
    std::vector<CodePointRange> FontCoverage; // the code points the face itself maps, as last rendered
    FaceCoverage FaceUnits;                   // the same as a set of UTF-16 units, for the checks
    std::optional<int> MaxWidth; // the widest text the device shows, in pixels; none: widths are free

    // The listeners of the document's tree and of the scratch tree; either may be nullptr. They must
    // outlive the session or be replaced first.
    void SetTreeListeners(TreeListener* tree, TreeListener* scratch);

    // The definition being edited, or nullptr. It is reset whenever the table is emptied or replaced.
    StringDefinition* Current() const { return CurrentDefinition; }
    // Makes the definition of the text `item` current, adding it to the table when it has none; a
    // block or nullptr leaves none current. A blank translation is never in use: showing it clears
    // its Translated mark in the table.
    StringDefinition* ShowItem(const BlockItem* item);

    // Makes `path` the document's file and reads it. When it cannot be opened, the error comes back
    // and everything stays as it was. A file not read completely is no error: the notices say what
    // went wrong, ending with "Can't load file", and what was read stays until the caller, having
    // shown it, empties the session with Clear().
    Outcome<LoadOutcome> Open(const std::filesystem::path& path);
    // Reads the document's file again; as Open, but what was read stays shown.
    Outcome<LoadOutcome> Reload();
    // Saves the loaded file unless saving is disabled for it.
    Outcome<SaveStatus> Save();
    // Whether saving would change the file on disk.
    bool HasUnsavedChanges() const { return Document.HasUnsavedChanges(); }
    // Empties the table and the tree.
    void Clear();

    // Merges the newer definition file `other` into the loaded one. Refused, with a notice and
    // nothing changed: nothing loaded (no notice), the loaded file itself (compared by identity, so
    // another name of it counts), a file not read completely, a file of an older firmware version.
    MergeOutcome Merge(const std::filesystem::path& other);

    // The translation and mark of the definition `index` (none: an empty, unmarked one).
    TranslationState TranslationOf(std::uint16_t index) const;
    // Sets the translation and mark of the definition `index`, adding it when the table has none.
    void SetTranslation(std::uint16_t index, TranslationState state);
    // What the last merge replaced, so that it can be put back with SwapContent.
    DocumentContent ReplacedByMerge;
    // Swaps the document's tree and table with `content`, the views told as for a reload.
    void SwapContent(DocumentContent& content);

    // Stores every translation in use as the device shows it (see TrimTranslationInUse).
    void TrimTranslationsInUse();
    // Every code point that the texts of the table and `extraText` need a glyph for.
    CharacterSet TextCharacters(std::u16string_view extraText = {}) const;
    // Renders the glyphs of TextCharacters(extraText) with `rasteriser` into DeviceFont and reads the
    // face's coverage into FontCoverage. The count of rendered code points, or RenderFont's error:
    // its message is the one for the user, OutOfRange means too many characters for any face. A
    // failure leaves DeviceFont without glyphs.
    Outcome<std::size_t> RenderFont(Result<std::unique_ptr<Rasteriser>> rasteriser,
                                    std::u16string_view extraText = {});

    // Whether an export may be made: a font is chosen and at least two texts are translated. False
    // with a notice saying why.
    Outcome<bool> CheckExport() const;
    // Writes the font-and-text file of the translated texts with DeviceFont to `path`, built whole
    // first; the stored translations are trimmed first. Fails as BuildExport or WriteFileSafely
    // (ExportFailureNotice gives the message box), the file as it was; the notices are the size
    // warnings, to show after writing.
    Outcome<void> Export(const std::filesystem::path& path);

    // Writes "fw_textIDs.h" and "texts.bin" into `directory`. True when "make_texts.bat" is to be
    // run there next; the notices say what went wrong or was left out.
    Outcome<bool> GenerateSources(const std::filesystem::path& directory);

    // Moves `item` with its subtree one step as `kind` says; the listener hears of it. False when the
    // neighbour the move needs is missing (nothing changes).
    Outcome<bool> Move(BlockItem& item, MoveKind kind);

    // The next text after `from` in tree order (from the start when `from` is nullptr), going round
    // once, so that `from` itself comes last; with `onlyUntranslated` only texts whose definition
    // is not marked translated count. Nothing when there is none.
    // Moves `item` with its subtree back to `place`, where it stood before a move, the listener
    // told. False, with nothing changed, when `place` is no longer there.
    Outcome<bool> MoveBack(BlockItem& item, TreePlace place);

    BlockItem* NextText(const BlockItem* from, bool onlyUntranslated);

    // Whether the definition of the text `item` is marked translated; a text without a definition
    // is not. Nothing is added to the table.
    bool IsTranslated(const BlockItem& item) const;
    // The texts at every depth below `block`, and how many of them are translated. Read from the
    // table each time, so it is right after every edit, merge and move.
    TextProgress ProgressBelow(const BlockItem& block) const;
    // The state of the text `item`: a marked translation has a problem when the rendered device
    // font is missing one of its characters, its special codes differ from the default text's, or
    // it is wider than MaxWidth.
    TextState StateOf(const BlockItem& item) const;
    // How the current definition fits the device as the boxes show it, `marked` being the box's
    // Translated mark: what TooWide, MissingGlyph and SpecialCodes are made of. Nothing when no
    // definition is current or no device font is rendered.
    std::optional<DeviceFit> FitOfCurrent(bool marked) const;
    // Whether `text` has a character that the rendered device font has no glyph for because it was
    // rendered before the character was typed: rendering again makes the preview and the width
    // right. False while no device font is rendered.
    bool NeedsRenderingFor(std::u16string_view text) const;

private:
    // Runs `replace`, which replaces or empties the table and the tree, with the views told.
    template <typename Replace> auto ReplacingTree(Replace replace);
    Outcome<LoadOutcome> Read(const std::filesystem::path* path);
    // Moves `item` to `row` among the children of `parent`, `row` counted as BlockTree::Move does.
    Outcome<bool> MoveTo(BlockItem& item, BlockItem* parent, std::size_t row);

    StringDefinition* CurrentDefinition = nullptr;
    TreeListener* TreeViews = nullptr;
    TreeListener* ScratchViews = nullptr;
};

} // namespace orv
