// Merging a newer definition file into the loaded one: the refusals, each leaving everything as it
// was, and a complete merge with the window's state afterwards and the save that follows.

#include <QAbstractItemModelTester>
#include <QTest>

#include "EditorWindowTest.h"
#include "editor/BlockTreeModel.h"
#include "store/DefinitionFile.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

const Message kSameFile{QStringLiteral("It's no use merging with the same file that is already loaded"),
                        QStringLiteral("Notification"), MessageIcon::Information};
const Message kCantMerge{QStringLiteral("Can't load file for merging"), QStringLiteral("ERROR"),
                         MessageIcon::Error};
const Message kReadFailed{QStringLiteral("can't load file"), QStringLiteral("ERROR"), MessageIcon::Error};
const Message kStandardError{QString(), QStringLiteral("orvane-text-editor"), MessageIcon::Error};

QString PathOf(const fs::path& path)
{
    return QString::fromStdString(fs::absolute(path).string());
}

QString TreeLabel(const CKV_string_editorDlg& window)
{
    return static_cast<QLabel*>(window.Control(kIdTreeLabel))->text();
}

// The newer file (version 1.20) merged into the sample:
//   - Main
//       MENU_MAIN (1)    same default text, not translated: takes the loaded translation and mark
//       MENU_BACK (2)    default text changed, neither translated: stays unmarked
//   - New
//       NEW_TEXT (8)     only here, marked translated: ends unmarked
//       ALM (4)          default text changed: the loaded translation comes without its mark
//       OLD (UNUSED) (5) removed by the reader; definition 5 takes the loaded translation
// Indexes 3, 6 and 7 are not in it. Its "foni" word is set, which the merge does not check.
Bytes NewerFile()
{
    BlockTree tree;
    BlockItem& main = tree.Append(nullptr, u"Main", 0);
    tree.Append(&main, u"MENU_MAIN", 1);
    tree.Append(&main, u"MENU_BACK", 2);
    BlockItem& added = tree.Append(nullptr, u"New", 0);
    tree.Append(&added, u"NEW_TEXT", 8);
    tree.Append(&added, u"ALM", 4);
    tree.Append(&added, u"OLD (UNUSED)", 5);
    DefinitionTable table;
    table.FirmwareVersion = 0x0120;
    table.Definitions[1] = StringDefinition{1, u"MENU_MAIN", u"Main menu", u"", 0, u"New description"};
    table.Definitions[2] = StringDefinition{2, u"MENU_BACK", u"Go back", u"", 0, u""};
    table.Definitions[4] = StringDefinition{4, u"ALM", u"High temperature!", u"", 0, u""};
    table.Definitions[5] = StringDefinition{5, u"OLD", u"Old text", u"", 0, u""};
    table.Definitions[8] = StringDefinition{8, u"NEW_TEXT", u"New", u"Neu", 1, u""};
    Bytes bytes = WriteDefinitionBytes(tree, table);
    // The "foni" value is the four bytes before the empty tag at the end.
    bytes[bytes.size() - 8] = 1;
    return bytes;
}

class WindowMerge : public EditorWindowTest
{
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        Tester = std::make_unique<QAbstractItemModelTester>(
            &Window->TreeModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
        OpenSample();
        ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
        TreeBefore = DescribeTree(Window->Document.Tree);
        TableBefore = Window->Document.Table;
        TitleBefore = Window->windowTitle();
    }
    void TearDown() override
    {
        Tester.reset();
        EditorWindowTest::TearDown();
    }

    void Merge(const QString& path)
    {
        Platform.ExpectOpenDialog(path);
        Click(Button(kIdMerge));
    }

    // Everything as after the set-up: the refused merge changed nothing that the user can see.
    void ExpectUnchanged()
    {
        EXPECT_EQ(DescribeTree(Window->Document.Tree), TreeBefore);
        EXPECT_EQ(Window->Document.Table, TableBefore);
        EXPECT_EQ(Window->windowTitle(), TitleBefore);
        EXPECT_EQ(TreeLabel(*Window), QStringLiteral("System strings (Fw. ver. 1.10)"));
        EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("ALM_HIGH"));
        EXPECT_EQ(Window->CurrentDefinition, &Definition(4));
        EXPECT_TRUE(Window->Document.Loaded);
        EXPECT_FALSE(Window->Document.SaveDisabled);
    }

    std::unique_ptr<QAbstractItemModelTester> Tester;
    std::string TreeBefore;
    DefinitionTable TableBefore;
    QString TitleBefore;
};

TEST_F(WindowMerge, NeedsALoadedFileAndAChosenOne)
{
    // Without a loaded file no dialog opens (the strict platform would fail on one).
    Window->Document.Loaded = false;
    Click(Button(kIdMerge));
    Window->Document.Loaded = true;
    // A cancelled dialog ends the merge.
    Platform.ExpectOpenDialog(std::nullopt);
    Click(Button(kIdMerge));
    ExpectUnchanged();
    EXPECT_TRUE(Platform.Messages.empty());
}

TEST_F(WindowMerge, TheLoadedFileItselfIsRefusedByItsExactPathOnly)
{
    Platform.ExpectMessage(kSameFile);
    Merge(SamplePath);
    ExpectUnchanged();
    ASSERT_EQ(Platform.FileDialogs.size(), 2u);
    EXPECT_EQ(Platform.FileDialogs[1].Filter, QStringLiteral("String definition files (*.strdef)"));
    EXPECT_EQ(Platform.FileDialogs[1].DefaultSuffix, QStringLiteral("strdef"));

    // The same file named another way is merged like any other file of the same version.
    const fs::path sample = SamplePath.toStdString();
    Merge(QString::fromStdString((sample.parent_path() / "." / sample.filename()).string()));
    EXPECT_EQ(Platform.Messages.size(), 1u);
    EXPECT_EQ(DescribeTree(Window->Document.Tree), TreeBefore);
    EXPECT_EQ(Window->CurrentDefinition, nullptr);
    EXPECT_FALSE(Tree()->currentIndex().isValid());
}

TEST_F(WindowMerge, AnOlderFileIsRefusedWithBothVersions)
{
    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    table.FirmwareVersion = 0x0104;
    WriteDefinitionFile(Directory / "older.strdef", tree, table);
    Platform.ExpectMessage(
        {QStringLiteral("The file to be merged (1.04) with is older than the existing (1.10)"),
         QStringLiteral("Notification"), MessageIcon::Information});
    Merge(PathOf(Directory / "older.strdef"));
    ExpectUnchanged();
}

TEST_F(WindowMerge, AFileThatCannotBeReadIsRefused)
{
    // Another kind of file: only the merge's own message.
    WriteBytes(Directory / "other.strdef", ByteBuilder().Utf16String(u"ORVSTRDEF").U32(0).Take());
    Platform.ExpectMessage(kCantMerge);
    Merge(PathOf(Directory / "other.strdef"));
    ExpectUnchanged();

    // A file that ends early: the reader's message with where it stopped, then the merge's.
    const Bytes newer = NewerFile();
    WriteBytes(Directory / "cut.strdef", Bytes(newer.begin(), newer.begin() + newer.size() / 2));
    Platform.ExpectMessage(kReadFailed);
    Platform.ExpectMessage(kCantMerge);
    Merge(PathOf(Directory / "cut.strdef"));
    EXPECT_FALSE(Platform.Messages[Platform.Messages.size() - 2].Details.isEmpty());
    ExpectUnchanged();

    // A file that cannot be opened: the failed command's report only.
    Platform.ExpectMessageWithAnyText(kStandardError);
    Merge(PathOf(Directory / "missing.strdef"));
    EXPECT_TRUE(Platform.Messages.back().Text.contains(QStringLiteral("missing.strdef")));
    ExpectUnchanged();
}

TEST_F(WindowMerge, ANewerFileReplacesTreeAndTableAndClosingSavesTheResult)
{
    const Bytes loadedBytes = ReadBytes(SamplePath.toStdString());
    const Bytes newer = NewerFile();
    WriteBytes(Directory / "newer.strdef", newer);
    Tree()->expandAll();
    Merge(PathOf(Directory / "newer.strdef"));
    EXPECT_TRUE(Platform.Messages.empty());

    // The other file's tree without its "UNUSED" item, and its definitions with the loaded
    // translations carried over.
    EXPECT_EQ(DescribeTree(Window->Document.Tree), "Main (0)\n"
                                                   "  MENU_MAIN (1)\n"
                                                   "  MENU_BACK (2)\n"
                                                   "New (0)\n"
                                                   "  NEW_TEXT (8)\n"
                                                   "  ALM (4)\n");
    EXPECT_EQ(Tree()->model()->rowCount(), 2);
    const auto& definitions = Window->Document.Table.Definitions;
    ASSERT_EQ(definitions.size(), 5u);
    EXPECT_EQ(definitions.at(1),
              (StringDefinition{1, u"MENU_MAIN", u"Main menu", u"Hauptmenü", 1, u"New description"}));
    EXPECT_EQ(definitions.at(2), (StringDefinition{2, u"MENU_BACK", u"Go back", u"", 0, u""}));
    EXPECT_EQ(definitions.at(4),
              (StringDefinition{4, u"ALM", u"High temperature!", u"Über-\r\ntemperatur", 0, u""}));
    EXPECT_EQ(definitions.at(5), (StringDefinition{5, u"OLD", u"Old text", u"Alter Text", 1, u""}));
    EXPECT_EQ(definitions.at(8), (StringDefinition{8, u"NEW_TEXT", u"New", u"Neu", 0, u""}));
    EXPECT_EQ(Window->Document.Table.FirmwareVersion, 0x0120);

    // Nothing selected, the boxes cleared as for a block, the new version above the tree, and
    // the title still naming the loaded file, which saving goes to.
    EXPECT_FALSE(Tree()->currentIndex().isValid());
    EXPECT_TRUE(Tree()->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_EQ(Window->CurrentDefinition, nullptr);
    EXPECT_EQ(Get<QLineEdit>(kIdIndexBox)->text(), QStringLiteral("-"));
    EXPECT_TRUE(TranslationBox()->Text().empty());
    EXPECT_TRUE(Get<CTextBox>(kIdDefaultTextBox)->Text().empty());
    EXPECT_FALSE(TranslatedBox()->isChecked());
    EXPECT_EQ(TreeLabel(*Window), QStringLiteral("System strings (Fw. ver. 1.20)"));
    EXPECT_EQ(Window->windowTitle(), TitleBefore);
    EXPECT_EQ(Window->Document.FilePath, fs::path(SamplePath.toStdString()));
    EXPECT_TRUE(Window->Document.Loaded);
    EXPECT_FALSE(Window->Document.SaveDisabled);

    // The merged texts are at work at once.
    Click(Button(kIdNextToBeTranslated));
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("MENU_BACK"));

    // Closing writes the merged content to the loaded file and keeps the old one as a backup; the
    // merged file is never written.
    const BlockTree mergedTree = [&] {
        BlockTree copy;
        DefinitionTable ignored;
        EXPECT_EQ(
            ReadDefinitionBytes(WriteDefinitionBytes(Window->Document.Tree, ignored), copy, ignored).Result,
            ReadResult::ReadOk);
        return copy;
    }();
    DefinitionTable mergedTable = Window->Document.Table;
    mergedTable.SaveLock = 0;
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_FALSE(Window->isVisible());
    BlockTree savedTree;
    DefinitionTable savedTable;
    const auto read = ReadDefinitionFile(SamplePath.toStdString(), savedTree, savedTable);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Result, ReadResult::ReadOk);
    EXPECT_TRUE(savedTree == mergedTree);
    EXPECT_EQ(savedTable, mergedTable);
    EXPECT_EQ(ReadBytes(SamplePath.toStdString() + ".bck1"), loadedBytes);
    EXPECT_EQ(ReadBytes(Directory / "newer.strdef"), newer);
}

} // namespace
} // namespace orv::test
