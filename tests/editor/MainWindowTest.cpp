// The window over its session: what the boxes show for the selected item and what edits write
// back, the buttons and keys, the preview, the moves and the About box; then the commands on files
// (Open with its save question, closing with its save) and what the window shows for the outcomes
// of reading, merging, exporting and generating.

#include "editor/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <algorithm>

#include "EditorTestSupport.h"
#include "editor/AboutDialog.h"
#include "editor/BlockTreeModel.h"
#include "editor/PreviewWidget.h"
#include "font/PreviewCanvas.h"
#include "output/SourceGeneration.h"

namespace orv::test {
namespace {

TEST_F(MainWindowTest, TheBoxesShowTheSelectedTextAndEditsWriteItBack)
{
    auto shown = [&] {
        QStringList texts{Find<QLineEdit>("indexBox")->text(), Find<QLineEdit>("identifierBox")->text()};
        for (const char* box : {"defaultTextBox", "translationBox", "descriptionBox"})
            texts << QString::fromStdU16String(Find<TextBox>(box)->storedText());
        return texts << (TranslatedBox()->isChecked() ? "translated" : "-")
                     << (Find("indexBox")->isEnabled() ? "enabled" : "-");
    };
    ClickItem("ALM_HIGH");
    EXPECT_EQ(shown(), (QStringList{"4", "ALM_HIGH", "High\r\ntemperature", "Über-\r\ntemperatur",
                                    "Two lines", "translated", "enabled"}));
    ClickItem("Alarms");
    EXPECT_EQ(shown(), (QStringList{"-", "", "", "", "", "-", "-"}));
    EXPECT_FALSE(Button("copyIdentifierButton")->isEnabled());
    EXPECT_EQ(Window->currentDefinition(), nullptr);

    // A keystroke writes the text; the mark follows it in the box, and in the table once the box
    // is left or the mark clicked.
    ClickItem("MENU_BACK");
    TypeTranslation("Z");
    EXPECT_EQ(Definition(2).Translation, u"Z");
    EXPECT_TRUE(TranslatedBox()->isChecked());
    EXPECT_EQ(Definition(2).Translated, 0u);
    QTest::keyClick(TranslationBox(), Qt::Key_Backspace);
    EXPECT_FALSE(TranslatedBox()->isChecked());
    TypeTranslation("Zurück");
    ClickItem("MENU_MAIN");
    EXPECT_EQ(Definition(2).Translated, 1u);
    Click(TranslatedBox());
    EXPECT_EQ(Definition(1).Translated, 0u);
}

TEST_F(MainWindowTest, EachButtonReachesItsOperation)
{
    Click(Button("nextButton"));
    EXPECT_EQ(SelectedLabel(), "MENU_MAIN");
    Click(Button("nextToBeTranslatedButton"));
    EXPECT_EQ(SelectedLabel(), "MENU_BACK");
    Click(Button("copyDefaultTextButton"));
    EXPECT_EQ(TranslationBox()->storedText(), u"Back");

    // Insert replaces the selection with the listed character, "<check>" standing for its own.
    auto* list = Find<QComboBox>("specialCharacterList");
    TranslationBox()->selectAll();
    list->setCurrentIndex(list->findText("<check>"));
    Click(Button("insertButton"));
    list->setCurrentIndex(0); // "\b (inverted)"
    Click(Button("insertButton"));
    EXPECT_EQ(Definition(2).Translation, u"\u2194\u0008");
    EXPECT_TRUE(TranslationBox()->hasFocus());

    Button("copyIdentifierButton")->click(); // enabled, though never shown
    EXPECT_EQ(Platform.Clipboard, "S_MENU_BACK");
    Platform.ClipboardFailure = Error{ErrorCode::WriteFailed, "Unable to set Clipboard data, error: 1418"};
    Platform.ExpectMessage({"Unable to set Clipboard data, error: 1418", kProgramName});
    Button("copyIdentifierButton")->click();

    Definition(2).Translated = Definition(3).Translated = 1;
    Platform.ExpectMessage({kNoMoreUntranslatedMessage, "Search result", MessageIcon::Information});
    Click(Button("nextToBeTranslatedButton"));
}

TEST_F(MainWindowTest, EveryShownButtonHasAKeyThatItsTooltipNamesAndCtrlEnterMarksAndGoesOn)
{
    for (QAbstractButton* button : Window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        const QString keys = button->shortcut().toString(QKeySequence::NativeText);
        EXPECT_FALSE(keys.isEmpty()) << button->objectName().toStdString();
        EXPECT_TRUE(button->toolTip().contains(keys)) << button->objectName().toStdString();
    }

    // Ctrl+Enter, also in the Translation box: the text marked, then "Next to be translated".
    ClickItem("MENU_BACK");
    TypeTranslation("Zur\u00FCck");
    QTest::keyClick(TranslationBox(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Definition(2).Translation, u"Zur\u00FCck");
    EXPECT_EQ(Definition(2).Translated, 1u);
    EXPECT_EQ(SelectedLabel(), "NESTED");
    EXPECT_EQ(Tree()->model()->index(0, 0).data(BlockTreeModel::ProgressRole), "2 / 3"); // Menu
    Definition(3).Translation = u"Alpha";
    Platform.ExpectMessage({kNoMoreUntranslatedMessage, "Search result", MessageIcon::Information});
    QTest::keyClick(Tree(), Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(Definition(3).Translated, 1u);
}

TEST_F(MainWindowTest, EnterNeverClosesTheWindowAndWritesTheIdentifierBack)
{
    ClickItem("MENU_BACK");
    // Longer than a line edit holds by default; the box gives back every unit.
    const QString identifier = "MENU_HOME" + QString(40'000, 'X');
    Find<QLineEdit>("identifierBox")->setText(identifier);
    TypeTranslation("!");
    // Enter in a control that does not use it (the read-only Index box) reaches the window.
    QTest::keyClick(Find("indexBox"), Qt::Key_Return);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(Definition(2).Translated, 1u); // the Translation box has been left
    EXPECT_EQ(QString::fromStdU16String(Definition(2).Identifier), identifier);
}

TEST_F(MainWindowTest, AChosenFontDrawsThePreviewAndTheTranslationsAreTypedInIt)
{
    ClickItem("MENU_BACK");
    ChooseFont("DejaVu Sans [Foundry]"); // the foundry is no part of the family's name
    const QFontInfo shown(TranslationBox()->font());
    EXPECT_EQ(shown.family(), "DejaVu Sans");
    EXPECT_EQ(shown.pixelSize(), QFontInfo(Find<TextBox>("defaultTextBox")->font()).pixelSize());

    auto inkedPixels = [&] {
        return std::ranges::count_if(Find<PreviewWidget>("previewWidget")->canvas().Pixels(),
                                     [](std::uint32_t pixel) { return pixel != 0; });
    };
    const auto inked = inkedPixels();
    EXPECT_GT(inked, 0);
    Click(Find("zoomedBox"));
    EXPECT_EQ(inkedPixels(), 9 * inked); // every pixel a 3 x 3 square
    // A block leaves the picture as it was; with nothing shown, the next drawing is black.
    ClickItem("Menu");
    EXPECT_EQ(inkedPixels(), 9 * inked);
    Click(Find("zoomedBox"));
    EXPECT_EQ(inkedPixels(), 0);
}

TEST_F(MainWindowTest, AMovedItemComesBackSelectedAndFolded)
{
    ClickItem("Nested");
    Tree()->expand(Tree()->currentIndex());
    // The move, then the parent and row of the item after it.
    using Move = void (MainWindow::*)();
    const std::tuple<Move, const char*, int> moves[] = {
        {&MainWindow::moveUp, "Menu", 1},  {&MainWindow::moveDown, "Menu", 2},
        {&MainWindow::moveUp, "Menu", 1},  {&MainWindow::moveIntoNext, "MENU_BACK", 0},
        {&MainWindow::moveOut, "Menu", 2}, {&MainWindow::moveOut, "", 2}};
    for (const auto& [move, parent, row] : moves) {
        (Window.get()->*move)();
        const QModelIndex at = Tree()->currentIndex();
        EXPECT_EQ(
            std::tuple(at.data().toString(), at.parent().data().toString(), at.row(), Tree()->isExpanded(at)),
            std::tuple(QString("Nested"), QString(parent), row, false))
            << parent << row;
    }
}

// The version the About box shows when `open` opens it (and it is closed again); empty if it does not.
QString AboutVersionAfter(const std::function<void()>& open)
{
    QString version;
    QTimer::singleShot(0, [&] {
        if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
            EXPECT_FALSE(about->windowIcon().isNull());
            EXPECT_TRUE(about->findChild<QLabel*>("shortcutsLabel")->text().contains("Ctrl+Return"));
            version = about->findChild<QLabel*>("versionLabel")->text();
            about->accept();
        }
    });
    open();
    return version;
}

TEST_F(MainWindowTest, TheAboutBoxOpensOnF1AndFromTheRightClickMenu)
{
    const QString version = "Orvane Text Definition Editor, Version 1.3";
    EXPECT_EQ(AboutVersionAfter([&] { QTest::keyClick(Window.get(), Qt::Key_F1); }), version);

    // A right-click on the window's background offers the same, and nothing else.
    QString fromMenu;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu && menu->actions().size() == 1);
        fromMenu = AboutVersionAfter([&] { menu->actions().front()->trigger(); });
        menu->close();
    });
    const QPoint background(Window->width() - 4, Window->height() - 4);
    QContextMenuEvent event(QContextMenuEvent::Mouse, background, Window->mapToGlobal(background));
    QApplication::sendEvent(Window.get(), &event);
    EXPECT_EQ(fromMenu, version);
}

TEST_F(MainWindowTest, ACommandThatFailsIsReportedAndTheWindowGoesOn)
{
    Platform.ThrowOnNextDialog = true;
    Platform.ExpectMessage({kOutOfMemoryCommandMessage, kProgramName, MessageIcon::Error});
    Click(Button("chooseFontButton"));
    EXPECT_TRUE(Window->isVisible());
}

// Asked before Open replaces a changed file.
Message SaveQuestion(const QString& path)
{
    return {"Save the changes to " + path + " before opening another file?", kProgramName,
            MessageIcon::Question, MessageButtons::YesNoCancel};
}
// An error box with the failure's text from the system.
const Message kSystemError{QString(), kProgramName, MessageIcon::Error};

TEST_F(MainWindowTest, OpenAsksWhetherToSaveTheChangesOfTheShownFile)
{
    const QString other = WriteSample(Directory / "other.strdef");
    ClickItem("MENU_BACK");
    TypeTranslation("1");

    // Cancel, and a Yes whose save fails, keep the file open with its change.
    Platform.ExpectMessage(SaveQuestion(SamplePath), MessageAnswer::Cancel);
    Open(other);
    FailSaves();
    Platform.ExpectMessage(SaveQuestion(SamplePath), MessageAnswer::Yes);
    Platform.ExpectMessage(kSystemError);
    Open(other);
    EXPECT_EQ(PathOf(Window->document().FilePath), SamplePath);
    Window->document().SaveFaults = nullptr;

    // No drops the change; Yes saves it; with nothing changed there is no question.
    Platform.ExpectMessage(SaveQuestion(SamplePath), MessageAnswer::No);
    Open(other);
    EXPECT_EQ(PathOf(Window->document().FilePath), other);
    ClickItem("MENU_BACK");
    TypeTranslation("2");
    Platform.ExpectMessage(SaveQuestion(other), MessageAnswer::Yes);
    Open(SamplePath);
    Open(other);
    EXPECT_EQ(SavedDefinition(SamplePath, 2).Translation, u"");
    EXPECT_EQ(SavedDefinition(other, 2).Translation, u"2");
}

TEST_F(MainWindowTest, AFileThatCannotBeReadIsReportedAndTheShownOneStays)
{
    EXPECT_EQ(Window->windowTitle(), "Orvane text definition editor ver. 1.3 - " + SamplePath);
    ClickItem("MENU_MAIN");
    ClickItem("ALM_HIGH");
    Platform.ExpectMessage(kSystemError);
    Open(PathOf(Directory / "missing.strdef"));
    EXPECT_TRUE(Window->windowTitle().endsWith(SamplePath));
    EXPECT_TRUE(Tree()->isExpanded(Tree()->model()->index(0, 0))); // Menu, not the selection's block
    EXPECT_EQ(SelectedLabel(), "ALM_HIGH");
    EXPECT_EQ(Window->currentDefinition(), &Definition(4));

    // A file read in part: the reader's notices as error boxes, and what was read goes.
    Bytes bytes = ReadBytes(SamplePath.toStdString());
    bytes.resize(bytes.size() * 3 / 4);
    WriteBytes(Directory / "cut.strdef", bytes);
    Platform.ExpectMessage({"can't load file", "ERROR", MessageIcon::Error});
    Platform.ExpectMessage({"Can't load file", "ERROR", MessageIcon::Error});
    Open(PathOf(Directory / "cut.strdef"));
    EXPECT_FALSE(Platform.Messages.at(1).Details.isEmpty());
    EXPECT_EQ(Tree()->model()->rowCount(), 0);
}

TEST_F(MainWindowTest, ClosingCommitsTheBoxBeingEditedAndSavesOrAsksWhenTheSaveFails)
{
    ClickItem("MENU_BACK");
    TypeTranslation("Zurück");
    FailSaves();
    Platform.ExpectMessage(kSystemError);
    Platform.ExpectMessage({"The changes could not be saved. Close the editor anyway and lose them?",
                            kProgramName, MessageIcon::Question, MessageButtons::YesNo},
                           MessageAnswer::No);
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_TRUE(Window->isVisible());

    Window->document().SaveFaults = nullptr;
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_FALSE(Window->isVisible());
    const StringDefinition saved = SavedDefinition(SamplePath, 2);
    EXPECT_EQ(saved.Translation, u"Zurück");
    EXPECT_EQ(saved.Translated, 1u);
}

TEST_F(MainWindowTest, MergeShowsTheNewerFileOrWhyNot)
{
    ClickItem("ALM_HIGH");
    Platform.ExpectMessage({"It's no use merging with the same file that is already loaded", "Notification",
                            MessageIcon::Information});
    Platform.Opens.push_back(SamplePath);
    Click(Button("mergeButton"));
    EXPECT_EQ(Window->currentDefinition(), &Definition(4));

    Platform.Opens.push_back(WriteSample(Directory / "newer.strdef", 0x0120));
    Click(Button("mergeButton"));
    EXPECT_EQ(Window->currentDefinition(), nullptr);
    EXPECT_EQ(Find<QLabel>("treeLabel")->text(), "System strings (Fw. ver. 1.20)");
}

TEST_F(MainWindowTest, ExportWithFontWritesTheChosenFileOrShowsWhyNot)
{
    ChooseFont("DejaVu Sans");
    Platform.Saves.push_back(PathOf(Directory / "device.ovtx"));
    Click(Button("exportWithFontButton"));
    EXPECT_FALSE(ReadBytes(Directory / "device.ovtx").empty());

    std::filesystem::create_directory(Directory / "folder.ovtx");
    Platform.ExpectMessage({"Can't create file", "ERROR", MessageIcon::Error});
    Platform.Saves.push_back(PathOf(Directory / "folder.ovtx"));
    Click(Button("exportWithFontButton"));

    // A cancelled picker leaves no font chosen, so the export asks for one.
    ChooseFont(std::nullopt);
    Platform.ExpectMessage({"Choose a font first for rendering!", "ERROR", MessageIcon::Warning});
    Click(Button("exportWithFontButton"));
}

TEST_F(MainWindowTest, GeneratingTheSourcesSavesFirstThenRunsTheScript)
{
    Definition(2).Translation = u"neu";
    Window->generateSources();
    EXPECT_EQ(SavedDefinition(SamplePath, 2).Translation, u"neu");
    EXPECT_EQ(Platform.Commands, std::vector<QString>{QString::fromStdString(MakeTextsCommand("."))});

    FailSaves(); // a failed save stops it
    Platform.ExpectMessage(kSystemError);
    Window->generateSources();
    EXPECT_EQ(Platform.Commands.size(), 1u);
}

} // namespace
} // namespace orv::test
