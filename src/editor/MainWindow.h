#pragma once

// The editor's one main window: a dialog with the tree of blocks and texts on the left under its
// filter line, the boxes of the selected definition, the special-character list, the preview with
// the device check and the command buttons on the right (see ControlLayout.h), a menu bar above and
// a status line below. It holds the editing session and the undo stack of its changes; its slots
// read the widgets, ask the user what an operation needs, run it on the session and show what it
// returns.

#include <QDialog>
#include <exception>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "base/Notice.h"
#include "editor/DialogUnits.h"
#include "editor/EditSteps.h"
#include "editor/PlatformServices.h"
#include "font/ChosenFont.h"
#include "font/GlyphTable.h"
#include "session/EditorSession.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPushButton;
class QSpinBox;
class QStatusBar;
class QStyle;
class QTreeView;
class QUndoStack;

namespace orv {

class BlockTreeModel;
class PreviewWidget;
class TreeFilterModel;
class TextBox;
struct ControlEntry;
struct Error;

inline constexpr int kEditorVersionMajor = 1;
inline constexpr int kEditorVersionMinor = 3;
// The caption of message boxes that have none of their own: the program's file name.
inline constexpr const char* kProgramName = "orvane-text-editor";

class MainWindow final : public QDialog, private StepView
{
    Q_OBJECT

public:
    // A window with no file loaded. `services` must outlive the window.
    explicit MainWindow(PlatformServices& services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The editing work the window shows: the document, the current definition, the fonts.
    EditorSession& session() { return m_session; }
    const EditorSession& session() const { return m_session; }
    DefinitionDocument& document() { return m_session.Document; }
    const DefinitionDocument& document() const { return m_session.Document; }
    // The definition the boxes show; none while a block or nothing is selected.
    const StringDefinition* currentDefinition() const { return m_session.Current(); }
    // The rendered font the preview draws with; "Choose Font" and the export replace it.
    const RenderedFont& deviceFont() const { return m_session.DeviceFont; }
    void setDeviceFont(RenderedFont font) { m_session.DeviceFont = std::move(font); }
    // The tree as the view shows it, through the filter.
    TreeFilterModel& treeModel() const { return *m_filterModel; }
    QUndoStack& undoStack() const { return *m_undoStack; }

    // Saves the loaded file, then writes "fw_textIDs.h" and "texts.bin" into the working directory
    // and runs "make_texts.bat" there. A failed save stops it; every failure and warning is shown.
    void generateSources();

    // The window's keys and what each does, in the order the About box lists them.
    static QList<QPair<QString, QString>> shortcuts();

    // Closing: saves a loaded file first; when that fails, asks whether to close all the same.
    void done(int result) override;

public slots:
    // Shows the definition of the selected text in the boxes, or empties them for a block.
    void showSelectedItem();
    void onTranslationEdited();
    void commitTranslationBox();
    void commitIdentifierBox();
    void onTranslatedClicked();
    void copyDefaultText();
    void insertSpecialCharacter();
    void copyIdentifier();
    void selectNext();
    void selectNextToBeTranslated();
    // Ctrl+Enter: marks the shown text translated, then goes on as "Next to be translated".
    void markTranslatedAndGoOn();
    // "Open": asks for a file, offers to save the changes of the shown one, and reads it.
    void openFile();
    // Open without its dialog: `path` is the file chosen (from the command line, say).
    void openPath(const QString& path);
    // Reads the shown file again.
    void reloadFile();
    void onZoomedClicked();
    // Enter and the default button: never close the window.
    void onEnterPressed();
    void showAbout();
    void chooseFont();
    // The moves of the selected item with its subtree; each does nothing when the neighbour it
    // needs is missing. The moved item comes back selected and collapsed.
    void moveUp();
    void moveDown();
    void moveOut();
    void moveIntoNext();
    // Undoes or redoes one change of the table, after committing the Translation box.
    void undo();
    void redo();
    // Filters the tree by the filter line and the state filter.
    void applyFilter();
    // Ctrl+F: the filter line, with its text selected.
    void findText();
    void onMaxWidthChanged(int value);
    // Merges a newer definition file that the user picks into the loaded one.
    void mergeFile();
    // Writes the texts of the tree to a PO or XLIFF file that the user picks, by its name.
    void exportForTranslation();
    // The same for the texts not marked translated only.
    void exportUntranslatedForTranslation();
    // Takes the translations of a PO or XLIFF file that the user picks, as one step to undo, and
    // says what was applied and what was skipped.
    void importTranslations();
    // Renders the chosen font again and writes it with the translated texts into a ".ovtx" file the
    // user picks. Refuses, with a message, without a chosen font or with fewer than two translated
    // definitions, before rendering and before asking for the file name; builds the file whole
    // before writing it safely; shows the size warnings and every failure.
    void exportWithFont();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void createControls();
    void createMenus();
    // Places every control for the window's size: the table's places, moved or stretched by what
    // the window has grown, between the menu bar and the status line.
    void placeControls();
    QWidget* createControl(const ControlEntry& entry);
    void connectControls();
    template <typename Widget> Widget* control(const char* name) const;

    // Shows the firmware version above the tree and the file in the title.
    void updateTitle();
    // Reads FilePath into the table and the tree and shows what went wrong. False when the file
    // could not be opened at all (the error has been shown, and nothing changed).
    bool loadDefinitionFile();
    // As loadDefinitionFile for `path`, which becomes FilePath. When it cannot be opened at all,
    // the error is shown and the window, the file it shows included, stays as it was.
    bool openDefinitionFile(const std::filesystem::path& path);
    // Saves the loaded file if it may be saved; shows the error and returns false on failure.
    bool saveDefinitionFile();
    // Empties the table and the tree; the title and the label stay as they are.
    void clearDefinitions();
    // Selects the next text after the selected item in tree order, going round once; with
    // `onlyUntranslated` only texts whose definition is not marked translated count. False when
    // there is none.
    bool findNextText(bool onlyUntranslated);
    // Redraws the preview with the text of the current definition, centred; black when there is none.
    void updatePreview();
    // Renders every character the texts need in the chosen font (asking for the font first when
    // `askForFont`) into the device font and redraws the preview. False, with what went wrong
    // shown, when nothing was rendered; too many characters end the window.
    bool renderFont(bool askForFont);

    BlockItem* selectedItem() const;
    void selectItem(const BlockItem* item);
    // The current definition becomes none and the boxes are cleared as for a block.
    void showNoDefinition();
    // Runs `load` (a read of the document's file) with the views told, and shows its outcome.
    template <typename Load> bool showLoad(Load load);
    // Before the table is replaced by another file: when it differs from its file on disk, asks
    // whether to save it first, and saves on Yes. False when the user cancelled or the save failed
    // (its error has been shown).
    bool offerToSaveChanges();
    void restoreSelection(const BlockItem* item);
    // The view's index of `item` and the item of a view's index, through the filter.
    QModelIndex viewIndexOf(const BlockItem* item) const;
    // Pushes the change of the current definition's translation or mark since it was shown or last
    // recorded as one undo step; nothing when there is none.
    void recordTranslationStep();
    // Shows under the preview how the current text fits the device.
    void updateDeviceCheck();
    // The status line: how many texts are translated, and how many the filter shows.
    void updateStatus();
    // After the table changed: the tree's marks, the filter and the status line follow.
    void showTableChanged();
    // The maximum width stored for the loaded file becomes the session's.
    void loadMaxWidth();

    EditorSession& StepSession() override { return m_session; }
    void ShowChangedItem(const BlockItem& item) override;
    void ShowReplacedContent() override;
    void ShowChangedTranslations() override;
    void moveSelectedItem(MoveKind kind);
    void exportTexts(const TranslationExportOptions& options);
    // The dialog of the exports and the import for translation: the chosen file and its format by
    // its name, or nothing when cancelled or the name says no format (which has been shown).
    std::optional<std::pair<std::filesystem::path, ExchangeFormat>> chooseTranslationFile(bool toSave);
    // The dialog of "Open" and "Merge"; the full path of the chosen file, or nothing.
    std::optional<QString> chooseDefinitionFile();
    MessageAnswer tell(const Message& message);
    void showError(const Error& error);
    // Shows each notice of an output operation in turn.
    void showNotices(const std::vector<Notice>& notices);
    // `handler` as a slot that no exception leaves: a failure is shown as the command's error.
    template <typename Handler> auto guarded(Handler handler);
    void reportFailure(const std::exception& failure);

    PlatformServices& m_services;
    DialogUnits m_units;

    EditorSession m_session;
    int m_previewZoom;
    bool m_restoringSelection = false;
    // The current definition's translation and mark as last shown or recorded for undo.
    const BlockItem* m_shownItem = nullptr;
    TranslationState m_shownState;
    bool m_applyingStep = false;
    QSize m_leastSize;

    BlockTreeModel* m_definitionsModel = nullptr;
    BlockTreeModel* m_scratchModel = nullptr;
    TreeFilterModel* m_filterModel = nullptr;
    QUndoStack* m_undoStack = nullptr;
    QMenuBar* m_menuBar = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLineEdit* m_filterBox = nullptr;
    QComboBox* m_stateFilterList = nullptr;
    QLabel* m_widthLabel = nullptr;
    QSpinBox* m_maxWidthBox = nullptr;
    QLabel* m_deviceCheckLabel = nullptr;
    QStyle* m_groupStyle = nullptr;
    QLabel* m_treeLabel = nullptr;
    QTreeView* m_definitionsTree = nullptr;
    QTreeView* m_scratchView = nullptr;
    QLineEdit* m_indexBox = nullptr;
    QLineEdit* m_identifierBox = nullptr;
    QPushButton* m_copyIdentifierButton = nullptr;
    TextBox* m_defaultTextBox = nullptr;
    TextBox* m_translationBox = nullptr;
    TextBox* m_descriptionBox = nullptr;
    QCheckBox* m_translatedBox = nullptr;
    QComboBox* m_specialCharacterList = nullptr;
    QCheckBox* m_zoomedBox = nullptr;
    PreviewWidget* m_preview = nullptr;
};

} // namespace orv
