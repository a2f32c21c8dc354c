#pragma once

// The fixture of the window tests: a real window, shown and active, with the scripted platform,
// working in a fresh temporary directory (where saving puts its temporary file).

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <memory>

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "ScriptedPlatform.h"
#include "editor/CBitmapRect.h"
#include "editor/CKV_string_editorDlg.h"
#include "editor/CTextBox.h"
#include "support/TestSupport.h"

namespace orv::test {

class EditorWindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens `path` through "Open" with the dialog scripted.
    void Open(const QString& path);
    // Writes the sample and opens it.
    void OpenSample();

    template <typename Widget> Widget* Get(int id) const
    {
        auto* widget = qobject_cast<Widget*>(Window->Control(id));
        EXPECT_TRUE(widget) << "no control " << id;
        return widget;
    }
    QTreeView* Tree() const { return Get<QTreeView>(kIdDefinitionsTree); }
    CTextBox* TranslationBox() const { return Get<CTextBox>(kIdTranslationBox); }
    QCheckBox* TranslatedBox() const { return Get<QCheckBox>(kIdTranslated); }
    QPushButton* Button(int id) const { return Get<QPushButton>(id); }
    StringDefinition& Definition(std::uint16_t index) const
    {
        return Window->Document.Table.Definitions.at(index);
    }
    // Moves the keyboard focus into the Translation box, as a click into it does.
    void FocusTranslationBox();

    TemporaryDirectory Directory;
    ScriptedPlatform Platform;
    std::unique_ptr<CKV_string_editorDlg> Window;
    QString SamplePath;
};

} // namespace orv::test
