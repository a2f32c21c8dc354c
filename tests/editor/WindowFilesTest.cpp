// The window's commands on files: Open with its save question, closing with its save, Merge, and
// the device outputs ("Choose Font", "Export with font", the generated sources).

#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include "EditorTestSupport.h"
#include "editor/MainWindow.h"
#include "editor/PreviewWidget.h"
#include "editor/TextBox.h"
#include "output/ExportReader.h"
#include "output/SourceGeneration.h"
#include "store/DefinitionFile.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

using WindowFilesTest = MainWindowTest;

TEST_F(WindowFilesTest, OpenAsksWhetherToSaveTheChangesOfTheShownFile)
{
    const QString first = WriteSimpleFile(Directory / "first.strdef");
    const QString second = WriteSimpleFile(Directory / "second.strdef");
    Open(first);
    ClickItem("MENU_MAIN");
    TypeTranslation("1");

    // Cancel, and a Yes whose save fails, keep the file open with its change.
    Platform.ExpectMessage(SaveQuestion(first), MessageAnswer::Cancel);
    Open(second);
    FailSaves();
    Platform.ExpectMessage(SaveQuestion(first), MessageAnswer::Yes);
    Platform.ExpectMessage(kSystemError);
    Open(second);
    EXPECT_EQ(PathOf(Window->document().FilePath), first);
    EXPECT_EQ(Definition(1).Translation, u"1");
    Window->document().SaveFaults = nullptr;

    // No drops the change; Yes saves it; with nothing changed there is no question.
    Platform.ExpectMessage(SaveQuestion(first), MessageAnswer::No);
    Open(second);
    EXPECT_EQ(PathOf(Window->document().FilePath), second);
    ClickItem("MENU_MAIN");
    TypeTranslation("2");
    Platform.ExpectMessage(SaveQuestion(second), MessageAnswer::Yes);
    Open(first);
    Open(second);
    EXPECT_EQ(SavedDefinition(first, 1).Translation, u"");
    EXPECT_EQ(SavedDefinition(second, 1).Translation, u"2");
}

TEST_F(WindowFilesTest, OpenShowsTheFileAndOneThatCannotBeOpenedLeavesItAsItWas)
{
    EXPECT_EQ(Window->windowTitle(), "Orvane text definition editor ver. 1.3");
    EXPECT_EQ(Find<QLabel>("treeLabel")->text(), "System strings");
    OpenSample();
    const QString title = Window->windowTitle();
    EXPECT_EQ(title, "Orvane text definition editor ver. 1.3 - " + SamplePath);
    EXPECT_EQ(Find<QLabel>("treeLabel")->text(), "System strings (Fw. ver. 1.10)");
    ClickItem("MENU_MAIN");
    ClickItem("ALM_HIGH");
    Platform.ExpectMessage(SaveQuestion(SamplePath), MessageAnswer::No);
    Platform.ExpectMessage(kSystemError);
    Open(PathOf(Directory / "missing.strdef"));
    EXPECT_TRUE(Platform.Messages.back().Text.contains("missing.strdef"));
    EXPECT_EQ(Window->windowTitle(), title);
    EXPECT_TRUE(Tree()->isExpanded(Tree()->model()->index(0, 0))); // Menu, not the selection's block
    EXPECT_EQ(SelectedLabel(), "ALM_HIGH");
    EXPECT_EQ(Window->currentDefinition(), &Definition(4));
    EXPECT_TRUE(Window->document().Loaded);
}

TEST_F(WindowFilesTest, WhatTheReadMetIsShownAfterOpening)
{
    // A file whose saving is locked: the "foni" word, the four bytes before the closing tag.
    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    Bytes bytes = WriteDefinitionBytes(tree, table);
    bytes[bytes.size() - 8] = 7;
    WriteBytes(Directory / "locked.strdef", bytes);
    Platform.ExpectMessage(
        {"You won't be able to save the changes on this file", "WARNING", MessageIcon::Warning});
    Open(PathOf(Directory / "locked.strdef"));
    EXPECT_TRUE(Window->document().SaveDisabled);

    // A file that ends early: the reader says where it stopped, and what it took in is dropped.
    WriteBytes(Directory / "cut.strdef", Bytes(bytes.begin(), bytes.begin() + std::ssize(bytes) * 3 / 4));
    Platform.ExpectMessage({"can't load file", "ERROR", MessageIcon::Error});
    Platform.ExpectMessage({"Can't load file", "ERROR", MessageIcon::Error});
    Open(PathOf(Directory / "cut.strdef"));
    EXPECT_FALSE(Platform.Messages[1].Details.isEmpty());
    EXPECT_FALSE(Window->document().Loaded);
    EXPECT_TRUE(Window->document().Table.Definitions.empty());
    EXPECT_EQ(Tree()->model()->rowCount(), 0);
}

TEST_F(WindowFilesTest, EscapeCommitsTheBoxBeingEditedAndSaves)
{
    const QString path = WriteSimpleFile(Directory / "simple.strdef");
    Open(path);
    ClickItem("MENU_MAIN");
    TypeTranslation("Hauptmenü");
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_FALSE(Window->isVisible());
    const StringDefinition saved = SavedDefinition(path, 1);
    EXPECT_EQ(saved.Translation, u"Hauptmenü");
    EXPECT_EQ(saved.Translated, 1u);
}

TEST_F(WindowFilesTest, AFailedSaveAsksWhetherToCloseAnyway)
{
    const QString path = WriteSimpleFile(Directory / "simple.strdef");
    const Bytes before = ReadBytes(path.toStdString());
    Open(path);
    ClickItem("MENU_MAIN");
    TypeTranslation("x");
    FailSaves();
    const Message question{"The changes could not be saved. Close the editor anyway and lose them?",
                           "orvane-text-editor", MessageIcon::Question, MessageButtons::YesNo};
    Platform.ExpectMessage(kSystemError);
    Platform.ExpectMessage(question, MessageAnswer::No);
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_TRUE(Window->isVisible());
    Platform.ExpectMessage(kSystemError);
    Platform.ExpectMessage(question, MessageAnswer::Yes);
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(ReadBytes(path.toStdString()), before);
}

TEST_F(WindowFilesTest, MergeTakesInANewerFileOrSaysWhyNot)
{
    OpenSample();
    ClickItem("ALM_HIGH");
    const QString title = Window->windowTitle();
    Platform.ExpectMessage({"It's no use merging with the same file that is already loaded", "Notification",
                            MessageIcon::Information});
    Platform.ExpectOpenDialog(SamplePath);
    Click(Button("mergeButton"));
    EXPECT_EQ(Window->currentDefinition(), &Definition(4));

    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    tree.Append(nullptr, u"New", 0);
    table.FirmwareVersion = 0x0120;
    WriteDefinitionFile(Directory / "newer.strdef", tree, table);
    Platform.ExpectOpenDialog(PathOf(Directory / "newer.strdef"));
    Click(Button("mergeButton"));
    EXPECT_EQ(Tree()->model()->rowCount(), 4);
    EXPECT_FALSE(Tree()->currentIndex().isValid());
    EXPECT_EQ(Window->currentDefinition(), nullptr);
    EXPECT_EQ(Find<QLabel>("treeLabel")->text(), "System strings (Fw. ver. 1.20)");
    EXPECT_EQ(Window->windowTitle(), title);
}

class WindowFontTest : public MainWindowTest
{
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        OpenSample();
    }
    void ChooseFont(std::optional<QString> family)
    {
        Platform.ExpectFontDialog(family ? std::optional<QFont>(QFont(*family, 12)) : std::nullopt);
        Click(Button("chooseFontButton"));
    }
};

TEST_F(WindowFontTest, AChosenFontDrawsThePreviewAndTheTranslationsAreTypedInIt)
{
    ClickItem("MENU_MAIN");
    ChooseFont("DejaVu Sans [Foundry]"); // the foundry is no part of the family's name
    EXPECT_TRUE(Platform.Messages.empty());
    EXPECT_GT(InkedPixels(Find<PreviewWidget>("previewWidget")->canvas()), 100);
    const QFontInfo shown(TranslationBox()->font());
    EXPECT_EQ(shown.family(), "DejaVu Sans");
    EXPECT_EQ(shown.pixelSize(), QFontInfo(Find<TextBox>("defaultTextBox")->font()).pixelSize());

    // A cancelled picker leaves no font chosen, so the export asks for one.
    ChooseFont(std::nullopt);
    Platform.ExpectMessage({"Choose a font first for rendering!", "ERROR", MessageIcon::Warning});
    Click(Button("exportWithFontButton"));
}

TEST_F(WindowFontTest, ExportWithFontWritesTheFileThatIsChosenOrSaysWhyNot)
{
    ChooseFont("DejaVu Sans");
    Definition(1).Translation = u" Hauptmenü\r\n";
    Platform.ExpectSaveDialog(PathOf(Directory / "device.ovtx"));
    Click(Button("exportWithFontButton"));
    EXPECT_TRUE(Platform.Messages.empty());
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü"); // stored as the device shows it
    EXPECT_TRUE(InspectExport(ReadBytes(Directory / "device.ovtx")));

    fs::create_directory(Directory / "folder.ovtx");
    Platform.ExpectMessage({"Can't create file", "ERROR", MessageIcon::Error});
    Platform.ExpectSaveDialog(PathOf(Directory / "folder.ovtx"));
    Click(Button("exportWithFontButton"));
    EXPECT_TRUE(Platform.Messages.back().Details.contains("folder.ovtx"));
}

TEST_F(WindowFontTest, GeneratingTheSourcesSavesFirstThenRunsTheScriptOnTheFiles)
{
    Definition(1).Translation = u"neu";
    bool filesWereThere = false;
    Platform.OnCommand = [&](const QString&) {
        filesWereThere =
            fs::exists(Directory / kHeaderFileName) && fs::exists(Directory / kTextTableFileName);
        return 3; // a failing script is no concern of the editor's
    };
    Window->generateSources();
    EXPECT_EQ(SavedDefinition(SamplePath, 1).Translation, u"neu");
    EXPECT_TRUE(filesWereThere);
    EXPECT_EQ(Platform.Commands, std::vector<QString>{QString::fromStdString(MakeTextsCommand("."))});
    EXPECT_TRUE(Platform.Messages.empty());

    // A failed save stops it.
    fs::remove(Directory / kHeaderFileName);
    Definition(1).Translation = u"neuer";
    FailSaves();
    Platform.ExpectMessage(kSystemError);
    Window->generateSources();
    EXPECT_FALSE(fs::exists(Directory / kHeaderFileName));
    EXPECT_EQ(Platform.Commands.size(), 1u);
}

} // namespace
} // namespace orv::test
