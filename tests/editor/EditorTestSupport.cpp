#include "EditorTestSupport.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <cerrno>

#include "editor/MainWindow.h"
#include "editor/TextBox.h"
#include "font/PreviewCanvas.h"
#include "store/DefinitionFile.h"

namespace orv::test {

namespace {

void Define(DefinitionTable& table, std::uint16_t index, std::u16string identifier,
            std::u16string defaultText, std::u16string translation, std::uint32_t translated,
            std::u16string description = u"")
{
    table.Definitions[index] =
        StringDefinition{index,      std::move(identifier), std::move(defaultText), std::move(translation),
                         translated, std::move(description)};
}

QModelIndex FindLabel(const QAbstractItemModel& model, const QModelIndex& parent, const QString& label)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        if (model.data(index).toString() == label)
            return index;
        if (const QModelIndex found = FindLabel(model, index, label); found.isValid())
            return found;
    }
    return QModelIndex();
}

} // namespace

void BuildSample(BlockTree& tree, DefinitionTable& table)
{
    BlockItem& menu = tree.Append(nullptr, u"Menu", 0);
    tree.Append(&menu, u"MENU_MAIN", 1);
    tree.Append(&menu, u"MENU_BACK", 2);
    BlockItem& nested = tree.Append(&menu, u"Nested", 0);
    tree.Append(&nested, u"NESTED", 3);
    BlockItem& alarms = tree.Append(nullptr, u"Alarms", 0);
    tree.Append(&alarms, u"ALM_HIGH", 4);
    tree.Append(&alarms, u"ALM_GHOST", 9);
    tree.Append(&alarms, u"OLD (UNUSED)", 5);
    BlockItem& units = tree.Append(nullptr, u"Units", 0);
    tree.Append(&units, u"UNIT_C", 6);

    table.FirmwareVersion = 0x0110;
    Define(table, 1, u"MENU_MAIN", u"Main menu", u"Hauptmenü", 1, u"Title of the main menu");
    Define(table, 2, u"MENU_BACK", u"Back", u"", 0, u"Soft key");
    Define(table, 3, u"NESTED", u"Alpha", u"  \t", 1);
    Define(table, 4, u"ALM_HIGH", u"High\r\ntemperature", u"Über-\r\ntemperatur", 1, u"Two lines");
    Define(table, 5, u"OLD", u"Old text", u"Alter Text", 1);
    Define(table, 6, u"UNIT_C", u"°C", u"°C", 1);
    Define(table, 7, u"NO_ITEM", u"Not in the tree", u"", 0);
}

void WriteDefinitionFile(const std::filesystem::path& path, const BlockTree& tree, DefinitionTable table)
{
    WriteBytes(path, WriteDefinitionBytes(tree, table));
}

QString WriteSimpleFile(const std::filesystem::path& path)
{
    BlockTree tree;
    tree.Append(&tree.Append(nullptr, u"Menu", 0), u"MENU_MAIN", 1);
    DefinitionTable table;
    Define(table, 1, u"MENU_MAIN", u"Main menu", u"", 0);
    WriteDefinitionFile(path, tree, table);
    return PathOf(path);
}

StringDefinition SavedDefinition(const QString& path, std::uint16_t index)
{
    BlockTree tree;
    DefinitionTable table;
    EXPECT_TRUE(ReadDefinitionFile(path.toStdString(), tree, table));
    return table.FindOrAddDefinition(index);
}

QString PathOf(const std::filesystem::path& path)
{
    return QString::fromStdString(std::filesystem::absolute(path).string());
}

int InkedPixels(const PreviewCanvas& canvas)
{
    int count = 0;
    for (std::uint32_t pixel : canvas.Pixels())
        count += pixel != 0;
    return count;
}

void Type(QWidget* widget, const QString& text)
{
    for (QChar character : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

void Click(QWidget* widget)
{
    ASSERT_TRUE(widget && widget->isVisible() && widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier,
                      QPoint(widget->width() / 2, widget->height() / 2));
}

void MainWindowTest::SetUp()
{
    Window = std::make_unique<MainWindow>(Platform);
    Window->show();
    Window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
}

void MainWindowTest::Open(const QString& path)
{
    Platform.ExpectOpenDialog(path);
    Click(Button("openButton"));
}

void MainWindowTest::OpenSample()
{
    SamplePath = PathOf(Directory / "sample.strdef");
    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    WriteDefinitionFile(SamplePath.toStdString(), tree, table);
    Open(SamplePath);
    ASSERT_TRUE(Window->document().Loaded);
}

void MainWindowTest::ClickItem(const QString& label)
{
    QTreeView* tree = Tree();
    const QModelIndex index = FindLabel(*tree->model(), QModelIndex(), label);
    ASSERT_TRUE(index.isValid()) << "no tree item " << label.toStdString();
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        tree->expand(parent);
    tree->scrollTo(index);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, tree->visualRect(index).center());
}

QString MainWindowTest::SelectedLabel() const
{
    return Tree()->currentIndex().data().toString();
}

void MainWindowTest::TypeTranslation(const QString& text)
{
    TextBox* box = TranslationBox();
    QTest::mouseClick(box->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    ASSERT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    Type(box, text);
}

void MainWindowTest::FailSaves()
{
    Window->document().SaveFaults = [](SaveStep step, int) {
        return step == SaveStep::CreateTemporary ? EACCES : 0;
    };
}

} // namespace orv::test
