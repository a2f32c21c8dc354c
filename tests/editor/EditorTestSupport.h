#pragma once

// The sample file, and the fixture of the window tests: a real window, shown and active, with the
// scripted platform and the sample open, working in a fresh temporary directory (where saving puts
// its temporary file and the generated sources go).

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>

#include "ScriptedPlatform.h"
#include "editor/MainWindow.h"
#include "editor/TextBox.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv::test {

// The sample (indexes in parentheses, "-" a block), firmware version 1.10:
//   - Menu
//       MENU_MAIN (1)     "Main menu", translated "Hauptmenü"
//       MENU_BACK (2)     "Back", not translated
//       - Nested
//           NESTED (3)    "Alpha", not translated
//   - Alarms
//       ALM_HIGH (4)      "High\r\ntemperature", translated "Über-\r\ntemperatur"
// The editor writes it back as it is, so a file opened and left unchanged has nothing to save.
inline void BuildSample(BlockTree& tree, DefinitionTable& table)
{
    BlockItem& menu = tree.Append(nullptr, u"Menu", 0);
    tree.Append(&menu, u"MENU_MAIN", 1);
    tree.Append(&menu, u"MENU_BACK", 2);
    tree.Append(&tree.Append(&menu, u"Nested", 0), u"NESTED", 3);
    tree.Append(&tree.Append(nullptr, u"Alarms", 0), u"ALM_HIGH", 4);
    table.FirmwareVersion = 0x0110;
    table.Definitions[1] = {1, u"MENU_MAIN", u"Main menu", u"Hauptmenü", 1, u"Title of the main menu"};
    table.Definitions[2] = {2, u"MENU_BACK", u"Back", u"", 0, u"Soft key"};
    table.Definitions[3] = {3, u"NESTED", u"Alpha", u"", 0, u""};
    table.Definitions[4] = {4, u"ALM_HIGH", u"High\r\ntemperature", u"Über-\r\ntemperatur", 1, u"Two lines"};
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Window = std::make_unique<MainWindow>(Platform);
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        SamplePath = WriteSample(Directory / "sample.strdef");
        Open(SamplePath);
    }

    static QString PathOf(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }
    // Clicks `widget` (a button, a check box) in its middle.
    static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // Writes the sample, with `firmwareVersion`, to `path`; gives its path.
    static QString WriteSample(const std::filesystem::path& path, std::uint16_t firmwareVersion = 0x0110)
    {
        BlockTree tree;
        DefinitionTable table;
        BuildSample(tree, table);
        table.FirmwareVersion = firmwareVersion;
        WriteBytes(path, WriteDefinitionBytes(tree, table));
        return PathOf(path);
    }
    // The definition `index` as the file at `path` holds it.
    static StringDefinition SavedDefinition(const QString& path, std::uint16_t index)
    {
        BlockTree tree;
        DefinitionTable table;
        EXPECT_TRUE(ReadDefinitionFile(path.toStdString(), tree, table));
        return table.FindOrAddDefinition(index);
    }

    // The window's widget with object name `name`.
    template <typename Widget = QWidget> Widget* Find(const char* name) const
    {
        auto* widget = Window->findChild<Widget*>(QLatin1String(name));
        EXPECT_TRUE(widget) << "no widget " << name;
        return widget;
    }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
    QTreeView* Tree() const { return Find<QTreeView>("definitionsTree"); }
    TextBox* TranslationBox() const { return Find<TextBox>("translationBox"); }
    QCheckBox* TranslatedBox() const { return Find<QCheckBox>("translatedBox"); }
    QString SelectedLabel() const { return Tree()->currentIndex().data().toString(); }
    StringDefinition& Definition(std::uint16_t index) const
    {
        return Window->document().Table.Definitions.at(index);
    }

    // Opens `path` through "Open" with the dialog scripted.
    void Open(const QString& path)
    {
        Platform.Opens.push_back(path);
        Click(Button("openButton"));
    }
    // Picks `family` (nothing: cancels) through "Choose Font".
    void ChooseFont(std::optional<QString> family)
    {
        Platform.Fonts.push_back(family ? std::optional<QFont>(QFont(*family, 12)) : std::nullopt);
        Click(Button("chooseFontButton"));
    }
    // Clicks the tree item with label `label`.
    void ClickItem(const QString& label)
    {
        const QModelIndexList found = Tree()->model()->match(Tree()->model()->index(0, 0), Qt::DisplayRole,
                                                             label, 1, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << "no tree item " << label.toStdString();
        Tree()->scrollTo(found[0]); // expanding its ancestors
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, Qt::NoModifier,
                          Tree()->visualRect(found[0]).center());
    }
    // Types `text` key by key, any characters, at the end of the Translation box, which takes the focus.
    void TypeTranslation(const QString& text)
    {
        TranslationBox()->setFocus();
        TranslationBox()->moveCursor(QTextCursor::End);
        for (QChar character : text)
            QTest::sendKeyEvent(QTest::Click, TranslationBox(), Qt::Key_unknown, QString(character), {});
    }
    // Makes every save fail from now on, before any file is touched.
    void FailSaves()
    {
        Window->document().SaveFaults = [](SaveStep, int) { return EACCES; };
    }

    TemporaryDirectory Directory;
    ScriptedPlatform Platform;
    // Destroyed first, before the platform it uses; without closing, it saves nothing.
    std::unique_ptr<MainWindow> Window;
    QString SamplePath;
};

} // namespace orv::test
