#pragma once

// The editor's one main window: a fixed-size dialog with the tree of blocks and texts on the left,
// the boxes of the selected definition, the special-character list, the preview and the command
// buttons on the right (see ControlLayout.h). It holds the editing session; its slots read the
// widgets, ask the user what an operation needs, run it on the session and show what it returns.

#include <QDialog>
#include <exception>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "base/Notice.h"
#include "editor/DialogUnits.h"
#include "editor/PlatformServices.h"
#include "font/ChosenFont.h"
#include "font/GlyphTable.h"
#include "session/EditorSession.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStyle;
class QTreeView;

namespace orv {

class BlockTreeModel;
class PreviewWidget;
class TextBox;
struct ControlEntry;
struct Error;

inline constexpr int kEditorVersionMajor = 1;
inline constexpr int kEditorVersionMinor = 3;
// The caption of message boxes that have none of their own: the program's file name.
inline constexpr const char* kProgramName = "orvane-text-editor";

class MainWindow final : public QDialog
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
    BlockTreeModel& treeModel() const { return *m_definitionsModel; }

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
    // Merges a newer definition file that the user picks into the loaded one.
    void mergeFile();
    // Renders the chosen font again and writes it with the translated texts into a ".ovtx" file the
    // user picks. Refuses, with a message, without a chosen font or with fewer than two translated
    // definitions, before rendering and before asking for the file name; builds the file whole
    // before writing it safely; shows the size warnings and every failure.
    void exportWithFont();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void createControls();
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
    void moveSelectedItem(MoveKind kind);
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

    BlockTreeModel* m_definitionsModel = nullptr;
    BlockTreeModel* m_scratchModel = nullptr;
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
