#pragma once

// Sample files and helpers for driving the window in tests.

#include <QString>
#include <filesystem>
#include <string>

#include "store/BlockTree.h"
#include "store/DefinitionTable.h"

class QTreeView;
class QWidget;

namespace orv {

class CKV_string_editorDlg;
class CTextBox;
class DefinitionDocument;

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
//       OLD (UNUSED) (5)  removed by the reader; definition 5 stays
//   - Units
//       UNIT_C (6)        "°C", translated "°C"
//   (a definition with index 7 has no item)
void BuildSample(BlockTree& tree, DefinitionTable& table);
// The sample as a .strdef file at `path`; returns the path as the dialog would give it.
QString WriteSample(const std::filesystem::path& path);
// Any tree and table as a .strdef file.
void WriteDefinitionFile(const std::filesystem::path& path, const BlockTree& tree, DefinitionTable table);

// Makes every save of `document` fail from now on, before any file is touched, as when the
// definition file's directory cannot be written to.
void FailToCreateTheTemporaryFile(DefinitionDocument& document);

QString ToQString(const std::u16string& text);
std::u16string ToU16(const QString& text);

// Types `text` into `widget` key by key, any characters.
void Type(QWidget* widget, const QString& text);
// Clicks `widget` (a button, a check box) with the mouse.
void Click(QWidget* widget);
// Clicks the tree item with label `label` (searched in display order), expanding its ancestors.
void ClickTreeItem(QTreeView* tree, const QString& label);
// The label of the tree's selected item, or an empty string.
QString SelectedLabel(QTreeView* tree);

} // namespace test
} // namespace orv
