#pragma once

// The editor's one main window: a fixed-size dialog with the tree of blocks and texts on the left,
// the boxes of the selected definition, the special-character list, the preview and the command
// buttons on the right. It owns the loaded document and all state of the editing work; its
// handlers read the widgets, call the core and refresh the views.

#include <QDialog>
#include <QIcon>
#include <filesystem>
#include <map>

#include "editor/DialogUnits.h"
#include "editor/PlatformServices.h"
#include "font/GlyphTable.h"
#include "store/BlockTree.h"
#include "store/DefinitionDocument.h"

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
// The command id of "About the editor..." among the window's commands.
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
    int PreviewZoom = kNormalZoom;
    std::filesystem::path TemporaryPath = kTemporaryFileName; // where saving writes first

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

    // A command of the window's menu: kAboutCommandId opens the About box.
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
    // Font rendering, merging and the export come with their own operations; until then the
    // buttons do nothing.
    void OnChooseFont();
    void OnMerge();
    void OnExportWithFont();

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
    void RestoreSelection(const BlockItem* item);
    MessageAnswer Tell(const Message& message);
    void ShowError(const Error& error);

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
