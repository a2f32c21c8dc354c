// The window's workbench over the session: the filter line and state filter over the tree, the
// device check under the preview with the file's maximum width, undo and redo of the table's
// changes, the status line and the window growing.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QUndoStack>

#include "EditorTestSupport.h"
#include "editor/TreeFilterModel.h"

namespace orv::test {
namespace {

class WorkbenchTest : public MainWindowTest
{
protected:
    // The labels of the texts the tree shows, in display order.
    QStringList ShownTexts() const
    {
        QStringList labels;
        const QAbstractItemModel* model = Tree()->model();
        std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
            for (int row = 0; row < model->rowCount(parent); ++row) {
                const QModelIndex index = model->index(row, 0, parent);
                if (model->rowCount(index) == 0 && !Window->treeModel().ItemAt(index)->IsBlock())
                    labels << index.data().toString();
                walk(index);
            }
        };
        walk(QModelIndex());
        return labels;
    }
    QString Status() const { return Window->findChild<QStatusBar*>()->currentMessage(); }
    void Undo() { QTest::keyClick(Tree(), Qt::Key_Z, Qt::ControlModifier); }
    void Redo() { QTest::keyClick(Tree(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier); }
};

TEST_F(WorkbenchTest, TheFilterLineFindsTextsInTheirBlocksAndTheStateFilterNarrowsThem)
{
    EXPECT_EQ(Status(), "2 of 4 texts translated");
    QTest::keyClick(Window.get(), Qt::Key_F, Qt::ControlModifier);
    auto* filter = Find<QLineEdit>("filterBox");
    ASSERT_TRUE(filter->hasFocus());
    QTest::keyClicks(filter, "TEMP");
    EXPECT_EQ(ShownTexts(), QStringList{"ALM_HIGH"});
    EXPECT_TRUE(Tree()->isExpanded(Tree()->model()->index(0, 0))); // Alarms, opened to show it
    EXPECT_EQ(Status(), "2 of 4 texts translated \u2014 the filter finds 1");

    filter->clear();
    Find<QComboBox>("stateFilterList")->setCurrentIndex(static_cast<int>(StateFilter::Untranslated));
    EXPECT_EQ(ShownTexts(), (QStringList{"MENU_BACK", "NESTED"}));
    // The text being edited stays while it no longer matches; the next one shown leaves it out.
    ClickItem("MENU_BACK");
    Click(TranslatedBox());
    EXPECT_EQ(ShownTexts(), (QStringList{"MENU_BACK", "NESTED"}));
    ClickItem("NESTED");
    EXPECT_EQ(ShownTexts(), QStringList{"NESTED"});

    // Escape clears a filter line with text instead of closing the window.
    Find<QComboBox>("stateFilterList")->setCurrentIndex(0);
    QTest::keyClicks(filter, "zzz");
    EXPECT_EQ(ShownTexts(), QStringList{"NESTED"});
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(ShownTexts().size(), 4);
}

TEST_F(WorkbenchTest, TheDeviceCheckFollowsTheTypingAndTheMaximumWidthIsKeptPerFile)
{
    auto* width = Find<QLabel>("widthLabel");
    auto* check = Find<QLabel>("deviceCheckLabel");
    auto* maxWidth = Find<QSpinBox>("maxWidthBox");
    ClickItem("MENU_BACK");
    EXPECT_EQ(width->text(), "no font chosen");
    ChooseFont("DejaVu Sans");
    ClickItem("MENU_BACK");
    const int back = width->text().section(' ', 0, 0).toInt();
    EXPECT_GT(back, 0);
    EXPECT_EQ(width->text(), QString("%1 px").arg(back));

    maxWidth->setValue(back);
    EXPECT_EQ(Platform.MaxWidths.at(SamplePath), back);
    // Typed characters that the font was rendered without count as soon as they are typed.
    TypeTranslation("Zur\u00FCck\u4E2D");
    auto* list = Find<QComboBox>("specialCharacterList");
    list->setCurrentIndex(1); // "\a (normal)"
    Click(Button("insertButton"));
    const int typed = width->text().section(' ', 0, 0).toInt();
    EXPECT_GT(typed, back);
    EXPECT_EQ(width->text(), QString("%1 / %2 px").arg(typed).arg(back));
    EXPECT_FALSE(width->styleSheet().isEmpty()); // red
    EXPECT_EQ(check->text(), "No glyph: \u4E2D U+4E2D\nnormal code: 1 here, 0 in the default");

    // Another file has its own maximum; this one's comes back with it.
    Platform.ExpectMessage({"", kProgramName, MessageIcon::Question, MessageButtons::YesNoCancel},
                           MessageAnswer::No);
    Open(WriteSample(Directory / "other.strdef"));
    EXPECT_EQ(maxWidth->value(), 0);
    EXPECT_EQ(Window->session().MaxWidth, std::nullopt);
    Open(SamplePath);
    EXPECT_EQ(Window->session().MaxWidth, back);
}

TEST_F(WorkbenchTest, UndoAndRedoPutBackEachChangeOfTheTableAndSelectItsText)
{
    // An edit committed by leaving the box, a mark, copy, insert: one step each.
    ClickItem("MENU_BACK");
    TypeTranslation("Zur\u00FCck");
    ClickItem("MENU_MAIN");
    Click(TranslatedBox());
    ClickItem("NESTED");
    Click(Button("copyDefaultTextButton"));
    auto* list = Find<QComboBox>("specialCharacterList");
    list->setCurrentIndex(1); // "\a (normal)"
    Click(Button("insertButton"));
    EXPECT_EQ(Definition(3).Translation, u"\u0007Alpha");
    EXPECT_EQ(Window->undoStack().count(), 4);

    Undo();
    EXPECT_EQ(Definition(3).Translation, u"Alpha");
    Undo();
    EXPECT_EQ(Definition(3).Translation, u"");
    Undo();
    EXPECT_EQ(Definition(1).Translated, 1u);
    EXPECT_EQ(SelectedLabel(), "MENU_MAIN");
    Undo();
    EXPECT_EQ(Definition(2).Translation, u"");
    EXPECT_EQ(SelectedLabel(), "MENU_BACK");
    EXPECT_EQ(TranslationBox()->storedText(), u"");
    Redo();
    EXPECT_EQ(Definition(2).Translation, u"Zur\u00FCck");
    EXPECT_EQ(Definition(2).Translated, 1u);
    EXPECT_EQ(TranslationBox()->storedText(), u"Zur\u00FCck");

    // A move, and a merge, each one step; redoing after a new change is no longer possible.
    Window->moveDown();
    EXPECT_EQ(Tree()->currentIndex().row(), 2);
    Undo();
    EXPECT_EQ(SelectedLabel(), "MENU_BACK");
    EXPECT_EQ(Tree()->currentIndex().row(), 1);
    Platform.Opens.push_back(WriteSample(Directory / "newer.strdef", 0x0120));
    Click(Button("mergeButton"));
    EXPECT_EQ(Find<QLabel>("treeLabel")->text(), "System strings (Fw. ver. 1.20)");
    Undo();
    EXPECT_EQ(Window->document().Table.FirmwareVersion, 0x0110);
    EXPECT_EQ(Definition(2).Translation, u"Zur\u00FCck");
    Redo();
    EXPECT_EQ(Window->document().Table.FirmwareVersion, 0x0120);

    // Opening a file leaves nothing to undo.
    Platform.ExpectMessage({"", kProgramName, MessageIcon::Question, MessageButtons::YesNoCancel},
                           MessageAnswer::No); // not saving the changes
    Open(SamplePath);
    EXPECT_EQ(Window->undoStack().count(), 0);
}

TEST_F(WorkbenchTest, TranslationsGoOutToAFileAndComeBackAsOneStepToUndo)
{
    const QString file = PathOf(Directory / "texts.xlf");
    Platform.Saves.push_back(file);
    Platform.ExpectMessage(
        {"4 texts written to " + file, "Export for translation", MessageIcon::Information});
    Window->exportForTranslation();
    Platform.Saves.push_back(PathOf(Directory / "texts.txt"));
    Platform.ExpectMessage({"", "ERROR", MessageIcon::Error}); // the name says no format
    Window->exportForTranslation();

    ClickItem("MENU_MAIN");
    TypeTranslation("!");
    ClickItem("ALM_HIGH");
    Platform.Opens.push_back(file);
    Platform.ExpectMessage(
        {"1 applied, 3 unchanged, 0 skipped", "Import translations", MessageIcon::Information});
    Window->importTranslations();
    EXPECT_EQ(Definition(1).Translation, u"Hauptmen\u00FC");
    Undo();
    EXPECT_EQ(Definition(1).Translation, u"Hauptmen\u00FC!");
}

TEST_F(WorkbenchTest, TheWindowGrowsWithTheTreeAndKeepsTheRestInPlace)
{
    const QRect tree = Tree()->geometry();
    const QRect open = Find("openButton")->geometry();
    const QRect preview = Find("previewWidget")->geometry();
    const QRect next = Find("nextButton")->geometry();
    EXPECT_EQ(Window->minimumSize(), Window->size());
    Window->resize(Window->size() + QSize(100, 80));
    EXPECT_EQ(Tree()->geometry(), tree.adjusted(0, 0, 100, 80));
    EXPECT_EQ(Find("openButton")->geometry(), open.translated(100, 80));
    EXPECT_EQ(Find("previewWidget")->geometry(), preview.translated(100, 0));
    EXPECT_EQ(Find("nextButton")->geometry(), next.translated(0, 80));
}

} // namespace
} // namespace orv::test
