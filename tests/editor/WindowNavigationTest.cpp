// Opening files, walking through the texts, and closing the window with its save.

#include <QTest>

#include <sys/stat.h>

#include "EditorWindowTest.h"
#include "editor/BlockTreeModel.h"
#include "store/DefinitionFile.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

using WindowOpening = EditorWindowTest;
using WindowNavigation = EditorWindowTest;
using WindowClosing = EditorWindowTest;

const Message kCantLoadFile{QStringLiteral("Can't load file"), QStringLiteral("ERROR"), MessageIcon::Error};
const Message kReadFailed{QStringLiteral("can't load file"), QStringLiteral("ERROR"), MessageIcon::Error};
const Message kNoMoreUntranslated{QStringLiteral("No more non-translated strings have been found."),
                                  QStringLiteral("Search result"), MessageIcon::Information};
const Message kStandardError{QString(), QStringLiteral("orvane-text-editor"), MessageIcon::Error};

QString TreeLabel(const CKV_string_editorDlg& window)
{
    return static_cast<QLabel*>(window.Control(kIdTreeLabel))->text();
}

QString PathOf(const fs::path& path)
{
    return QString::fromStdString(fs::absolute(path).string());
}

// A file that the editor itself wrote, so that saving it unchanged finds nothing to replace.
QString WriteSimpleFile(const fs::path& path)
{
    BlockTree tree;
    BlockItem& block = tree.Append(nullptr, u"Menu", 0);
    tree.Append(&block, u"MENU_MAIN", 1);
    DefinitionTable table;
    table.Definitions[1] = StringDefinition{1, u"MENU_MAIN", u"Main menu", u"Hauptmenü", 1, u""};
    WriteDefinitionFile(path, tree, table);
    return PathOf(path);
}

Message SaveQuestion(const QString& path)
{
    return {QStringLiteral("Save the changes to %1 before opening another file?").arg(path),
            QStringLiteral("orvane-text-editor"), MessageIcon::Question, MessageButtons::YesNoCancel};
}

std::u16string SavedTranslation(const QString& path, std::uint16_t index)
{
    BlockTree tree;
    DefinitionTable table;
    EXPECT_TRUE(ReadDefinitionFile(path.toStdString(), tree, table));
    const auto found = table.Definitions.find(index);
    if (found == table.Definitions.end())
        return u"(no definition)";
    return found->second.Translation;
}

TEST_F(WindowOpening, AGoodFileFillsTreeTableAndTitle)
{
    OpenSample();
    EXPECT_EQ(Window->windowTitle(),
              QStringLiteral("Orvane text definition editor ver. 1.3 - ") + SamplePath);
    EXPECT_EQ(TreeLabel(*Window), QStringLiteral("System strings (Fw. ver. 1.10)"));
    EXPECT_EQ(DescribeTree(Window->Document.Tree), "Menu (0)\n"
                                                   "  MENU_MAIN (1)\n"
                                                   "  MENU_BACK (2)\n"
                                                   "  Nested (0)\n"
                                                   "    NESTED (3)\n"
                                                   "Alarms (0)\n"
                                                   "  ALM_HIGH (4)\n"
                                                   "  ALM_GHOST (9)\n"
                                                   "Units (0)\n"
                                                   "  UNIT_C (6)\n");
    EXPECT_EQ(Tree()->model()->rowCount(), 3);
    EXPECT_EQ(Window->Document.Table.Definitions.size(), 7u);
    EXPECT_FALSE(Window->Document.SaveDisabled);
    ASSERT_EQ(Platform.FileDialogs.size(), 1u);
    EXPECT_EQ(Platform.FileDialogs[0].Filter, QStringLiteral("String definition files (*.strdef)"));
    EXPECT_EQ(Platform.FileDialogs[0].DefaultSuffix, QStringLiteral("strdef"));
    EXPECT_TRUE(Platform.Messages.empty());
    EXPECT_EQ(Get<QLineEdit>(kIdIndexBox)->text(), QStringLiteral("-"));
}

TEST_F(WindowOpening, ACancelledDialogChangesNothing)
{
    OpenSample();
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    const QString title = Window->windowTitle();
    Platform.ExpectOpenDialog(std::nullopt);
    Click(Button(kIdOpen));
    EXPECT_EQ(Window->windowTitle(), title);
    EXPECT_EQ(Window->CurrentDefinition, &Definition(1));
    EXPECT_TRUE(Window->Document.Loaded);
}

TEST_F(WindowOpening, AFileOfAnotherKindEmptiesTheTree)
{
    OpenSample();
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    WriteBytes(Directory / "other.strdef", ByteBuilder().Utf16String(u"ORVSTRDEF").U32(0).Take());
    Platform.ExpectMessage(SaveQuestion(SamplePath), MessageAnswer::No); // saving drops the UNUSED item
    Platform.ExpectMessage(kCantLoadFile);
    Open(PathOf(Directory / "other.strdef"));
    EXPECT_FALSE(Window->Document.Loaded);
    EXPECT_TRUE(Window->Document.Tree.Empty());
    EXPECT_TRUE(Window->Document.Table.Definitions.empty());
    EXPECT_EQ(Tree()->model()->rowCount(), 0);
    EXPECT_EQ(Window->CurrentDefinition, nullptr);
    EXPECT_EQ(Get<QLineEdit>(kIdIndexBox)->text(), QStringLiteral("-"));
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Orvane text definition editor ver. 1.3 - ") +
                                         PathOf(Directory / "other.strdef"));
    EXPECT_EQ(TreeLabel(*Window), QStringLiteral("System strings"));
}

TEST_F(WindowOpening, AFileThatEndsEarlyShowsBothMessages)
{
    // The sample cut in the middle of its records: the read took in some definitions, so the
    // label keeps the version the load showed even after the table is emptied.
    const Bytes whole = ReadBytes(WriteSample(Directory / "whole.strdef").toStdString());
    WriteBytes(Directory / "cut.strdef", Bytes(whole.begin(), whole.begin() + whole.size() * 3 / 4));
    Platform.ExpectMessage(kReadFailed);
    Platform.ExpectMessage(kCantLoadFile);
    Open(PathOf(Directory / "cut.strdef"));
    EXPECT_FALSE(Platform.Messages[0].Details.isEmpty()); // where the read stopped
    EXPECT_TRUE(Window->Document.Table.Definitions.empty());
    EXPECT_TRUE(Window->Document.Tree.Empty());
    EXPECT_EQ(TreeLabel(*Window), QStringLiteral("System strings (Fw. ver. 1.10)"));
}

TEST_F(WindowOpening, AFileThatCannotBeOpenedKeepsTheShownFileLoadedAndSavedOnClosing)
{
    OpenSample();
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    FocusTranslationBox();
    Type(TranslationBox(), QStringLiteral("!"));
    const QString title = Window->windowTitle();
    const fs::path fifo = Directory / "fifo.strdef";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    for (const fs::path& unopenable : {Directory / "missing.strdef", fifo}) {
        SCOPED_TRACE(unopenable.filename().string());
        Platform.ExpectMessage(SaveQuestion(SamplePath), MessageAnswer::No);
        Platform.ExpectMessageWithAnyText(kStandardError);
        Open(PathOf(unopenable));
        EXPECT_TRUE(Platform.Messages.back().Text.contains(QString::fromStdString(unopenable.filename())));
        EXPECT_EQ(Window->windowTitle(), title);
        EXPECT_EQ(Tree()->model()->rowCount(), 3);
        EXPECT_TRUE(Tree()->isExpanded(Tree()->model()->index(0, 0))); // Menu, not the selection's block
        EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("ALM_HIGH"));
        EXPECT_EQ(Window->CurrentDefinition, &Definition(4));
        EXPECT_TRUE(Window->Document.Loaded);
    }
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(SavedTranslation(SamplePath, 4), u"!Über-\r\ntemperatur");
}

TEST_F(WindowOpening, ASaveLockedFileWarnsAndIsNeverSaved)
{
    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    Bytes bytes = WriteDefinitionBytes(tree, table);
    // The "foni" value is the four bytes before the empty tag at the end.
    bytes[bytes.size() - 8] = 7;
    WriteBytes(Directory / "locked.strdef", bytes);
    Platform.ExpectMessage({QStringLiteral("You won't be able to save the changes on this file"),
                            QStringLiteral("WARNING"), MessageIcon::Warning});
    Open(PathOf(Directory / "locked.strdef"));
    EXPECT_TRUE(Window->Document.Loaded);
    EXPECT_TRUE(Window->Document.SaveDisabled);
    EXPECT_EQ(Window->Document.Table.SaveLock, 0u);

    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    FocusTranslationBox();
    Type(TranslationBox(), QStringLiteral("changed"));
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(ReadBytes(Directory / "locked.strdef"), bytes);
    EXPECT_FALSE(fs::exists(Directory / "@orv_txtdefs.strdef.temp"));
    EXPECT_FALSE(fs::exists(Directory / "locked.strdef.bck1"));
}

TEST_F(WindowOpening, LoadReadsTheFileAgain)
{
    OpenSample();
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    Definition(1).Translation = u"edited";
    Window->OnLoad();
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü");
    EXPECT_EQ(Window->CurrentDefinition, nullptr);
    EXPECT_EQ(Tree()->currentIndex(), QModelIndex());
}

TEST_F(WindowOpening, OpeningAnotherFileAsksWhetherToSaveTheEditsOfTheFirst)
{
    const QString first = WriteSimpleFile(Directory / "first.strdef");
    const QString second = WriteSimpleFile(Directory / "second.strdef");
    const Bytes before = ReadBytes(first.toStdString());
    Open(first);
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    FocusTranslationBox();
    Type(TranslationBox(), QStringLiteral("!"));

    // Cancel, and a Yes whose save fails, keep the first file open with its edit.
    Platform.ExpectMessage(SaveQuestion(first), MessageAnswer::Cancel);
    Open(second);
    FailToCreateTheTemporaryFile(Window->Document);
    Platform.ExpectMessage(SaveQuestion(first), MessageAnswer::Yes);
    Platform.ExpectMessageWithAnyText(kStandardError);
    Open(second);
    EXPECT_EQ(PathOf(Window->Document.FilePath), first);
    EXPECT_EQ(Definition(1).Translation, u"!Hauptmenü");
    EXPECT_EQ(ReadBytes(first.toStdString()), before);
    Window->Document.SaveFaults = nullptr;

    // No opens the other file and drops the edit.
    Platform.ExpectMessage(SaveQuestion(first), MessageAnswer::No);
    Open(second);
    EXPECT_EQ(PathOf(Window->Document.FilePath), second);
    EXPECT_EQ(ReadBytes(first.toStdString()), before);

    // Yes saves, then opens the other file.
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    FocusTranslationBox();
    Type(TranslationBox(), QStringLiteral("?"));
    Platform.ExpectMessage(SaveQuestion(second), MessageAnswer::Yes);
    Open(first);
    EXPECT_EQ(PathOf(Window->Document.FilePath), first);
    EXPECT_EQ(SavedTranslation(second, 1), u"?Hauptmenü");

    // Nothing to save: no question.
    Open(second);
    EXPECT_EQ(PathOf(Window->Document.FilePath), second);
}

TEST_F(WindowNavigation, NextWalksTheTreeInOrderAndGoesRound)
{
    OpenSample();
    // Nothing selected: the walk starts after the first top-level item.
    QStringList seen;
    for (int i = 0; i < 7; ++i) {
        Click(Button(kIdNext));
        seen << SelectedLabel(Tree());
    }
    EXPECT_EQ(seen, (QStringList{"MENU_MAIN", "MENU_BACK", "NESTED", "ALM_HIGH", "ALM_GHOST", "UNIT_C",
                                 "MENU_MAIN"}));
    EXPECT_TRUE(Tree()->hasFocus());
    EXPECT_EQ(Window->CurrentDefinition, &Definition(1));
    EXPECT_EQ(Get<QLineEdit>(kIdIndexBox)->text(), QStringLiteral("1"));
}

TEST_F(WindowNavigation, NextToBeTranslatedStopsAtUnmarkedTextsOnly)
{
    OpenSample();
    ClickTreeItem(Tree(), QStringLiteral("Menu"));
    Click(Button(kIdNextToBeTranslated));
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("MENU_BACK"));
    // NESTED is marked in the table (its blank translation is unmarked only when it is shown), and
    // ALM_GHOST has no definition yet, which counts as unmarked and adds one.
    Click(Button(kIdNextToBeTranslated));
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("ALM_GHOST"));
    EXPECT_EQ(Window->Document.Table.Definitions.count(9), 1u);
    Click(Button(kIdNextToBeTranslated));
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("MENU_BACK"));

    // The only unmarked text, selected, is found again, and no message is shown.
    Definition(9).Translated = 1;
    Click(Button(kIdNextToBeTranslated));
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("MENU_BACK"));

    // Once everything is marked, a full round finds nothing and the selection stays.
    Definition(2).Translated = 1;
    Platform.ExpectMessage(kNoMoreUntranslated);
    Click(Button(kIdNextToBeTranslated));
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("MENU_BACK"));
}

TEST_F(WindowNavigation, TabbingIntoTheTreeSelectsWhatItShows)
{
    OpenSample();
    Tree()->setFocus(Qt::TabFocusReason);
    // The view makes the first item current; it is selected as well, and shown (a block here).
    ASSERT_EQ(SelectedLabel(Tree()), QStringLiteral("Menu"));
    EXPECT_TRUE(Tree()->selectionModel()->isSelected(Tree()->currentIndex()));
    // Blocks start collapsed; the arrow keys open them and move through the items.
    QTest::keyClick(Tree(), Qt::Key_Right);
    QTest::keyClick(Tree(), Qt::Key_Down);
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("MENU_MAIN"));
    EXPECT_EQ(Window->CurrentDefinition, &Definition(1));
    EXPECT_TRUE(Tree()->selectionModel()->isSelected(Tree()->currentIndex()));
}

TEST_F(WindowNavigation, AnEmptyTreeHasNothingToFind)
{
    Click(Button(kIdNext));
    EXPECT_EQ(Tree()->currentIndex(), QModelIndex());
    Platform.ExpectMessage(kNoMoreUntranslated);
    Click(Button(kIdNextToBeTranslated));
}

TEST_F(WindowNavigation, TheFoundItemIsShownInsideCollapsedBlocks)
{
    OpenSample();
    Tree()->collapseAll();
    ClickTreeItem(Tree(), QStringLiteral("MENU_BACK"));
    Tree()->collapseAll();
    Click(Button(kIdNext));
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("NESTED"));
    EXPECT_TRUE(Tree()->isExpanded(Tree()->currentIndex().parent()));
    EXPECT_FALSE(Tree()->visualRect(Tree()->currentIndex()).isEmpty());
}

TEST_F(WindowClosing, EscapeClosesAndSavesTheChanges)
{
    const QString path = WriteSimpleFile(Directory / "simple.strdef");
    const Bytes before = ReadBytes(path.toStdString());
    Open(path);
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    FocusTranslationBox();
    QTest::keyClick(TranslationBox(), Qt::Key_End, Qt::ControlModifier);
    Type(TranslationBox(), QStringLiteral("s"));
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(Window->result(), QDialog::Rejected);

    BlockTree tree;
    DefinitionTable table;
    auto read = ReadDefinitionFile(path.toStdString(), tree, table);
    ASSERT_TRUE(read);
    EXPECT_EQ(table.Definitions.at(1).Translation, u"Hauptmenüs");
    EXPECT_EQ(ReadBytes(path.toStdString() + ".bck1"), before);
    EXPECT_FALSE(fs::exists(Directory / "@orv_txtdefs.strdef.temp"));
}

TEST_F(WindowClosing, ClosingWithoutChangesLeavesTheFileAlone)
{
    const QString path = WriteSimpleFile(Directory / "simple.strdef");
    Open(path);
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_FALSE(fs::exists(path.toStdString() + ".bck1"));
    EXPECT_FALSE(fs::exists(Directory / "@orv_txtdefs.strdef.temp"));
}

TEST_F(WindowClosing, ClosingAfterAFailedOpenWritesNothing)
{
    WriteBytes(Directory / "bad.strdef", Bytes{1, 2, 3});
    Platform.ExpectMessage(kCantLoadFile);
    Open(PathOf(Directory / "bad.strdef"));
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(ReadBytes(Directory / "bad.strdef"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(fs::exists(Directory / "@orv_txtdefs.strdef.temp"));
}

TEST_F(WindowClosing, AFailedSaveAsksWhetherToCloseAnyway)
{
    const QString path = WriteSimpleFile(Directory / "simple.strdef");
    const Bytes before = ReadBytes(path.toStdString());
    Open(path);
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    Click(TranslatedBox());
    FailToCreateTheTemporaryFile(Window->Document);
    const Message question{
        QStringLiteral("The changes could not be saved. Close the editor anyway and lose them?"),
        QStringLiteral("orvane-text-editor"), MessageIcon::Question, MessageButtons::YesNo};

    // No keeps the window open with everything as it was.
    Platform.ExpectMessageWithAnyText(kStandardError);
    Platform.ExpectMessage(question, MessageAnswer::No);
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_TRUE(Window->Document.Loaded);
    EXPECT_EQ(Definition(1).Translated, 0u);

    // Yes closes and loses the changes.
    Platform.ExpectMessageWithAnyText(kStandardError);
    Platform.ExpectMessage(question, MessageAnswer::Yes);
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(ReadBytes(path.toStdString()), before);
}

TEST_F(WindowClosing, ASaveThatWorksOnTheSecondTryCloses)
{
    const QString path = WriteSimpleFile(Directory / "simple.strdef");
    Open(path);
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    Click(TranslatedBox());
    FailToCreateTheTemporaryFile(Window->Document);
    Platform.ExpectMessageWithAnyText(kStandardError);
    Platform.ExpectMessage(
        {QStringLiteral("The changes could not be saved. Close the editor anyway and lose them?"),
         QStringLiteral("orvane-text-editor"), MessageIcon::Question, MessageButtons::YesNo},
        MessageAnswer::No);
    Window->close();
    ASSERT_TRUE(Window->isVisible());
    Window->Document.SaveFaults = nullptr;
    Window->close();
    EXPECT_FALSE(Window->isVisible());
    BlockTree tree;
    DefinitionTable table;
    ASSERT_TRUE(ReadDefinitionFile(path.toStdString(), tree, table));
    EXPECT_EQ(table.Definitions.at(1).Translated, 0u);
}

} // namespace
} // namespace orv::test
