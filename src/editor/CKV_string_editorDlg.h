#pragma once

// The editor's one main window: a fixed-size dialog with the tree of blocks and texts on the left,
// the boxes of the selected definition, the special-character list, the preview and the command
// buttons on the right. It owns the loaded document and all state of the editing work; its
// handlers read the widgets, call the core and refresh the views.

#include <QDialog>
#include <QIcon>
#include <exception>
#include <filesystem>
#include <map>
#include <optional>
#include <vector>

#include "editor/DialogUnits.h"
#include "editor/PlatformServices.h"
#include "font/ChosenFont.h"
#include "font/GlyphTable.h"
#include "output/Notice.h"
#include "store/BlockTree.h"
#include "store/DefinitionDocument.h"
#include "store/TreeMoves.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStyle;
class QTreeView;

namespace orv {

class BlockTreeModel;
class CBitmapRect;
class CTextBox;
struct Error;

// The numeric ids of the window's controls.
enum ControlId : int
{
    kIdDefinitionsTree = 1000,
    kIdDefaultButton = 1006,
    kIdIndexBox = 1007,
    kIdIdentifierBox = 1008,
    kIdDefaultTextBox = 1009,
    kIdCopyIdentifier = 1010,
    kIdGenerateSources = 1011,
    kIdLoad = 1012,
    kIdDescriptionBox = 1013,
    kIdTranslationBox = 1014,
    kIdSpecialCharacterList = 1015,
    kIdInsert = 1016,
    kIdMoveUp = 1017,
    kIdMoveDown = 1018,
    kIdMoveOut = 1019,
    kIdMoveIntoNext = 1020,
    kIdIdentifierPrefix = 1021,
    kIdOpen = 1023,
    kIdTranslated = 1024,
    kIdCopyDefaultText = 1025,
    kIdNextToBeTranslated = 1026,
    kIdMerge = 1027,
    kIdScratchTree = 1028,
    kIdExportWithFont = 1029,
    kIdNext = 1030,
    kIdChooseFont = 1032,
    kIdPreview = 1034,
    kIdTreeLabel = 1036,
    kIdZoomed = 1039,
};

inline constexpr int kEditorVersionMajor = 1;
inline constexpr int kEditorVersionMinor = 3;
// The caption of message boxes that have none of their own: the program's file name.
inline constexpr const char* kProgramName = "orvane-text-editor";
// The command id of "About the editor..." in the window's right-click menu.
inline constexpr int kAboutCommandId = 16;
inline constexpr int kNormalZoom = 1;
inline constexpr int kZoomedZoom = 3;

class CKV_string_editorDlg final : public QDialog
{
    Q_OBJECT

public:
    // A window with no file loaded. `services` must outlive the window.
    explicit CKV_string_editorDlg(PlatformServices& services, QWidget* parent = nullptr);
    ~CKV_string_editorDlg() override;

    // The state of the editing work, read and changed by the handlers.
    DefinitionDocument Document; // the table, the block tree, FilePath, Loaded, SaveDisabled
    BlockTree ScratchTree;       // the hidden second tree that a merge reads into
    StringDefinition* CurrentDefinition = nullptr; // into Document.Table; none after every emptying
    RenderedFont DeviceFont;                       // the rendered font the preview draws with
    orv::ChosenFont ChosenFont;                    // the picked desktop font; no face name: none chosen
    bool RenderSilently = false; // RenderFont reuses ChosenFont without the picker; cleared on success
    int PreviewZoom = kNormalZoom;

    // The control with numeric id `id`, or nullptr.
    QWidget* Control(int id) const;
    const DialogUnits& Units() const { return DialogFontUnits; }
    BlockTreeModel& TreeModel() const { return *DefinitionsModel; }
    const QIcon& Icon() const { return AppIcon; }

    // Shows the firmware version above the tree and the file in the title.
    void UpdateTitle();
    // Reads FilePath into the table and the tree and shows what went wrong. False when the file
    // could not be opened at all (the error has been shown, and nothing changed).
    bool LoadDefinitionFile();
    // As LoadDefinitionFile for `path`, which becomes FilePath. When it cannot be opened at all,
    // the error is shown and the window, the file it shows included, stays as it was.
    bool OpenDefinitionFile(const std::filesystem::path& path);
    // Saves the loaded file if it may be saved; shows the error and returns false on failure.
    bool SaveDefinitionFile();
    // Empties the table and the tree; the title and the label stay as they are.
    void ClearDefinitions();
    // Selects the next text after the selected item in tree order, going round once; with
    // `onlyUntranslated` only texts whose definition is not marked translated count. False when
    // there is none.
    bool FindNextText(bool onlyUntranslated);

    // Redraws the preview with the text of CurrentDefinition, centred; black when there is none.
    void UpdatePreview();
    // Renders every character the texts need in ChosenFont (asking for the font first unless
    // RenderSilently is set) into DeviceFont, then redraws the preview and clears RenderSilently.
    // Shows what went wrong and keeps RenderSilently on failure; too many characters end the window.
    void RenderFont();

    // A command of the window's menu by its id, whose low four bits are ignored: kAboutCommandId
    // (any id from 16 to 31) opens the About box.
    void OnSysCommand(int id);

    void OnTreeSelChanged();
    void OnTranslationChanged();
    void CommitTranslationBox();
    void CommitIdentifierBox();
    void OnTranslatedClicked();
    void OnCopyDefaultText();
    void OnInsertSpecialCharacter();
    void OnCopyIdentifier();
    void OnNext();
    void OnNextToBeTranslated();
    void OnOpen();
    void OnLoad();
    void OnZoomed();
    void OnDefaultButton();
    void OnAbout();
    void OnChooseFont();
    // The moves of the selected item with its subtree; each does nothing when the neighbour it
    // needs is missing. The moved item comes back selected and collapsed.
    void OnMoveUp();
    void OnMoveDown();
    void OnMoveOut();
    void OnMoveIntoNext();
    // Merges a newer definition file that the user picks into the loaded one.
    void OnMerge();
    // "Export with font": runs ExportWithFont.
    void OnExportWithFont();

    // Saves the loaded file, then writes "fw_textIDs.h" and "texts.bin" into the working directory
    // and runs "make_texts.bat" there. A failed save stops it; every failure and warning is shown.
    void GenerateSources();
    // Renders the chosen font again and writes it with the translated texts into a ".ovtx" file the
    // user picks. Refuses, with a message, without a chosen font or with fewer than two translated
    // definitions, before rendering and before asking for the file name; builds the file whole
    // before writing it safely; shows the size warnings and every failure.
    void ExportWithFont();

    // Closing: saves a loaded file first; when that fails, asks whether to close all the same.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControls();
    void ConnectControls();
    template <typename Widget> Widget* Place(Widget* widget, int id, int x, int y, int width, int height);
    void PlaceCentredCheckBox(QCheckBox* box, int x, int y, int width, int height);
    void Hide(QWidget* widget);

    BlockItem* SelectedItem() const;
    void Select(const BlockItem* item);
    // CurrentDefinition becomes none and the boxes are cleared as for a block.
    void ShowNoDefinition();
    // Runs `load` (a read of the document's file) with the views told, and shows its outcome.
    template <typename Load> bool ShowLoad(Load load);
    // Before the table is replaced by another file: when it differs from its file on disk, asks
    // whether to save it first, and saves on Yes. False when the user cancelled or the save failed
    // (its error has been shown).
    bool OfferToSaveChanges();
    void RestoreSelection(const BlockItem* item);
    void MoveSelectedItem(MoveKind kind);
    // The dialog of "Open" and "Merge"; the full path of the chosen file, or nothing.
    std::optional<QString> ChooseDefinitionFile();
    MessageAnswer Tell(const Message& message);
    void ShowError(const Error& error);
    // Shows each notice of an output operation in turn.
    void ShowNotices(const std::vector<Notice>& notices);
    // `handler` as a slot that no exception leaves: a failure is shown as the command's error.
    template <typename Handler> auto Guarded(Handler handler);
    void ReportFailure(const std::exception& failure);

    PlatformServices& Services;
    QIcon AppIcon;
    DialogUnits DialogFontUnits;
    std::map<int, QWidget*> Controls;
    bool RestoringSelection = false;

    BlockTreeModel* DefinitionsModel = nullptr;
    BlockTreeModel* ScratchModel = nullptr;
    QLabel* TreeLabel = nullptr;
    QTreeView* DefinitionsTree = nullptr;
    QTreeView* ScratchTreeView = nullptr;
    QLineEdit* IndexBox = nullptr;
    QLineEdit* IdentifierBox = nullptr;
    CTextBox* DefaultTextBox = nullptr;
    CTextBox* TranslationBox = nullptr;
    CTextBox* DescriptionBox = nullptr;
    QCheckBox* TranslatedBox = nullptr;
    QComboBox* SpecialCharacterList = nullptr;
    QCheckBox* ZoomedBox = nullptr;
    CBitmapRect* Preview = nullptr;
    QStyle* GroupStyle = nullptr;
};

} // namespace orv
