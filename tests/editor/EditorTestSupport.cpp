#include "EditorTestSupport.h"

#include <QAbstractItemModel>
#include <QTest>
#include <QTreeView>
#include <cerrno>

#include <gtest/gtest.h>

#include "store/DefinitionDocument.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

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
        const QModelIndex found = FindLabel(model, index, label);
        if (found.isValid())
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

QString WriteSample(const std::filesystem::path& path)
{
    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    WriteDefinitionFile(path, tree, table);
    return QString::fromStdString(std::filesystem::absolute(path).string());
}

void WriteDefinitionFile(const std::filesystem::path& path, const BlockTree& tree, DefinitionTable table)
{
    WriteBytes(path, WriteDefinitionBytes(tree, table));
}

void FailToCreateTheTemporaryFile(DefinitionDocument& document)
{
    document.SaveFaults = [](SaveStep step, int) { return step == SaveStep::CreateTemporary ? EACCES : 0; };
}

QString ToQString(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string ToU16(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

void Type(QWidget* widget, const QString& text)
{
    for (QChar character : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

void Click(QWidget* widget)
{
    ASSERT_TRUE(widget);
    ASSERT_TRUE(widget->isVisible() && widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier,
                      QPoint(widget->width() / 2, widget->height() / 2));
}

void ClickTreeItem(QTreeView* tree, const QString& label)
{
    const QModelIndex index = FindLabel(*tree->model(), QModelIndex(), label);
    ASSERT_TRUE(index.isValid()) << "no tree item " << label.toStdString();
    for (QModelIndex parent = index.parent(); parent.isValid(); parent = parent.parent())
        tree->expand(parent);
    tree->scrollTo(index);
    const QRect place = tree->visualRect(index);
    ASSERT_FALSE(place.isEmpty());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
}

QString SelectedLabel(QTreeView* tree)
{
    return tree->currentIndex().data().toString();
}

} // namespace orv::test
