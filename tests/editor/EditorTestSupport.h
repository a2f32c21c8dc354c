#pragma once

// Sample files, and the fixture of the window tests: a real window, shown and active, with the
// scripted platform, working in a fresh temporary directory (where saving puts its temporary file
// and the generated sources go).

#include <QCheckBox>
#include <QPushButton>
#include <QString>
#include <QTreeView>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "ScriptedPlatform.h"
#include "editor/MainWindow.h"
#include "editor/TextBox.h"
#include "store/BlockTree.h"
#include "store/DefinitionTable.h"
#include "support/TestSupport.h"

namespace orv {

class PreviewCanvas;

namespace test {

// The sample the window tests open (indexes in parentheses, "-" a block):
//   - Menu
//       MENU_MAIN (1)     "Main menu", translated "Hauptmenü"
//       MENU_BACK (2)     "Back", not translated
//       - Nested
//           NESTED (3)    "Alpha", marked translated but blank ("  \t")
//   - Alarms
//       ALM_HIGH (4)      "High\r\ntemperature", translated "Über-\r\ntemperatur"
//       ALM_GHOST (9)     no definition for index 9
//       OLD (UNUSED) (5)  removed by the reader (so the loaded table differs from the file);
//                         definition 5 stays
//   - Units
//       UNIT_C (6)        "°C", translated "°C"
//   (a definition with index 7 has no item)
void BuildSample(BlockTree& tree, DefinitionTable& table);
void WriteDefinitionFile(const std::filesystem::path& path, const BlockTree& tree, DefinitionTable table);
// A file as the editor itself writes it, so that closing it unchanged saves nothing:
//   - Menu
//       MENU_MAIN (1)     "Main menu", not translated
QString WriteSimpleFile(const std::filesystem::path& path);
// The definition `index` as the file at `path` holds it.
StringDefinition SavedDefinition(const QString& path, std::uint16_t index);

QString PathOf(const std::filesystem::path& path);
// The count of pixels that are not black.
int InkedPixels(const PreviewCanvas& canvas);

// Types `text` into `widget` key by key, any characters.
void Type(QWidget* widget, const QString& text);
// Clicks `widget` (a button, a check box) with the mouse.
void Click(QWidget* widget);

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;

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
    StringDefinition& Definition(std::uint16_t index) const
    {
        return Window->document().Table.Definitions.at(index);
    }

    // Opens `path` through "Open" with the dialog scripted.
    void Open(const QString& path);
    // Writes the sample and opens it.
    void OpenSample();
    // Clicks the tree item with label `label`, expanding its ancestors.
    void ClickItem(const QString& label);
    QString SelectedLabel() const;
    // Clicks into the Translation box and types `text` at its end.
    void TypeTranslation(const QString& text);
    // Makes every save fail from now on, before any file is touched.
    void FailSaves();

    TemporaryDirectory Directory;
    ScriptedPlatform Platform;
    // Destroyed first, before the platform it uses; without closing, it saves nothing.
    std::unique_ptr<MainWindow> Window;
    QString SamplePath;
};

// Asked before Open replaces a changed file.
inline Message SaveQuestion(const QString& path)
{
    return {"Save the changes to " + path + " before opening another file?", "orvane-text-editor",
            MessageIcon::Question, MessageButtons::YesNoCancel};
}
// An error box with the failure's text from the system.
inline const Message kSystemError{QString(), QStringLiteral("orvane-text-editor"), MessageIcon::Error};

} // namespace test
} // namespace orv
