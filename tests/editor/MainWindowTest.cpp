// The window's own work on the shown file: what the boxes show for the selected item, what edits,
// clicks and keys write into the table, the preview, the tree commands and the About box.

#include "editor/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include "EditorTestSupport.h"
#include "editor/AboutDialog.h"
#include "editor/PreviewWidget.h"
#include "editor/TextBox.h"

namespace orv::test {
namespace {

TEST_F(MainWindowTest, SelectingATextShowsItsDefinitionAndABlockEmptiesTheBoxes)
{
    OpenSample();
    auto* indexBox = Find<QLineEdit>("indexBox");
    ClickItem("ALM_HIGH");
    EXPECT_EQ(Window->currentDefinition(), &Definition(4));
    EXPECT_EQ(indexBox->text(), "4");
    EXPECT_TRUE(indexBox->isEnabled());
    EXPECT_EQ(Find<TextBox>("defaultTextBox")->storedText(), u"High\r\ntemperature");
    EXPECT_EQ(TranslationBox()->storedText(), u"Über-\r\ntemperatur");
    EXPECT_EQ(Find<TextBox>("descriptionBox")->storedText(), u"Two lines");
    EXPECT_EQ(Find<QLineEdit>("identifierBox")->text(), "ALM_HIGH");
    EXPECT_TRUE(TranslatedBox()->isChecked());
    EXPECT_TRUE(Button("copyIdentifierButton")->isEnabled());
    EXPECT_TRUE(Tree()->hasFocus());

    ClickItem("Alarms");
    EXPECT_EQ(Window->currentDefinition(), nullptr);
    EXPECT_EQ(indexBox->text(), "-");
    EXPECT_FALSE(indexBox->isEnabled());
    EXPECT_TRUE(TranslationBox()->storedText().empty());
    EXPECT_FALSE(TranslatedBox()->isChecked());
    EXPECT_FALSE(Button("copyIdentifierButton")->isEnabled());

    // A blank translation is shown unmarked, and the table follows.
    ClickItem("NESTED");
    EXPECT_FALSE(TranslatedBox()->isChecked());
    EXPECT_EQ(Definition(3).Translated, 0u);
}

TEST_F(MainWindowTest, KeystrokesWriteTheTranslationAndLeavingTheBoxWritesTheMark)
{
    OpenSample();
    ClickItem("MENU_BACK");
    TypeTranslation("Z");
    EXPECT_EQ(Definition(2).Translation, u"Z");
    EXPECT_TRUE(TranslatedBox()->isChecked());
    EXPECT_EQ(Definition(2).Translated, 0u);
    QTest::keyClick(TranslationBox(), Qt::Key_Backspace);
    EXPECT_FALSE(TranslatedBox()->isChecked());
    Type(TranslationBox(), "Zurück");
    ClickItem("MENU_MAIN");
    EXPECT_EQ(Definition(2).Translation, u"Zurück");
    EXPECT_EQ(Definition(2).Translated, 1u);

    // The check box writes the mark when it is clicked.
    Click(TranslatedBox());
    EXPECT_EQ(Definition(1).Translated, 0u);
}

TEST_F(MainWindowTest, CopyAndInsertEditTheTranslationBox)
{
    OpenSample();
    ClickItem("MENU_BACK");
    Click(Button("copyDefaultTextButton"));
    EXPECT_EQ(TranslationBox()->storedText(), u"Back");
    EXPECT_EQ(Definition(2).Translation, u""); // the table takes it with the next edit

    auto* list = Find<QComboBox>("specialCharacterList");
    TranslationBox()->selectAll();
    list->setCurrentIndex(list->findText("<check>"));
    Click(Button("insertButton"));
    list->setCurrentIndex(0); // "\b (inverted)": the character without its label
    Click(Button("insertButton"));
    EXPECT_EQ(Definition(2).Translation, u"\u2194\u0008");
    EXPECT_TRUE(TranslationBox()->hasFocus());
}

TEST_F(MainWindowTest, CopyPutsThePrefixedIdentifierOnTheClipboard)
{
    OpenSample();
    ClickItem("ALM_HIGH");
    Button("copyIdentifierButton")->click(); // enabled, though never shown
    EXPECT_EQ(Platform.Clipboard, "S_ALM_HIGH");
    Platform.FailNextClipboard({ClipboardStatus::CannotSet, 1418});
    Platform.ExpectMessage({"Unable to set Clipboard data, error: 1418", "orvane-text-editor"});
    Button("copyIdentifierButton")->click();
}

TEST_F(MainWindowTest, EnterNeverClosesTheWindowAndWritesTheIdentifierBack)
{
    OpenSample();
    ClickItem("MENU_MAIN");
    // Longer than a line edit holds by default; the box gives back every unit.
    const QString identifier = "MENU_HOME" + QString(40'000, 'X');
    Find<QLineEdit>("identifierBox")->setText(identifier);
    TypeTranslation("!");
    // Enter in a control that does not use it (the read-only Index box) reaches the window.
    QTest::keyClick(Find<QLineEdit>("indexBox"), Qt::Key_Return);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_TRUE(Tree()->hasFocus());
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü!");
    EXPECT_EQ(QString::fromStdU16String(Definition(1).Identifier), identifier);
    QTest::keyClick(Tree(), Qt::Key_Enter);
    EXPECT_TRUE(Window->isVisible());
}

// A font with a glyph for 'H' (two columns of full ink on rows 5 to 9) and one for 'x', since a
// table of fewer than two glyphs finds none.
RenderedFont PreviewFont()
{
    static const std::vector<std::uint8_t> ink(10, 255);
    GlyphTableBuilder builder;
    builder.Add(u'H', Glyph{3, 0, 5, 2, 5, ink});
    builder.Add(u'x', Glyph{2, 0, 8, 1, 2, std::span(ink).first(2)});
    return builder.Finish();
}

TEST_F(MainWindowTest, ThePreviewDrawsTheSelectedTextAndZoomedEnlargesIt)
{
    OpenSample();
    Window->setDeviceFont(PreviewFont());
    const PreviewCanvas& canvas = Find<PreviewWidget>("previewWidget")->canvas();
    Definition(2).DefaultText = u"HH";
    ClickItem("MENU_BACK");
    EXPECT_EQ(InkedPixels(canvas), 20);
    Click(Find("zoomedBox"));
    EXPECT_EQ(InkedPixels(canvas), 180); // every pixel a 3 x 3 square
    // A block leaves the picture as it was; with nothing shown, the next drawing is black.
    ClickItem("Menu");
    EXPECT_EQ(InkedPixels(canvas), 180);
    Click(Find("zoomedBox"));
    EXPECT_EQ(InkedPixels(canvas), 0);
}

TEST_F(MainWindowTest, NextSelectsTheFollowingTextAndSaysWhenNoneIsLeftToTranslate)
{
    OpenSample();
    Click(Button("nextButton"));
    EXPECT_EQ(SelectedLabel(), "MENU_MAIN");
    EXPECT_EQ(Window->currentDefinition(), &Definition(1));
    Click(Button("nextToBeTranslatedButton"));
    EXPECT_EQ(SelectedLabel(), "MENU_BACK");

    for (auto& [index, definition] : Window->document().Table.Definitions)
        definition.Translated = 1;
    Window->document().Table.FindOrAddDefinition(9).Translated = 1;
    Platform.ExpectMessage(
        {"No more non-translated strings have been found.", "Search result", MessageIcon::Information});
    Click(Button("nextToBeTranslatedButton"));
    EXPECT_EQ(SelectedLabel(), "MENU_BACK");
}

TEST_F(MainWindowTest, AMovedItemComesBackSelectedAndCollapsed)
{
    OpenSample();
    ClickItem("Nested");
    Tree()->expand(Tree()->currentIndex());
    Window->moveUp();
    EXPECT_EQ(SelectedLabel(), "Nested");
    EXPECT_EQ(Tree()->currentIndex().row(), 1);
    EXPECT_FALSE(Tree()->isExpanded(Tree()->currentIndex()));
    EXPECT_TRUE(Tree()->hasFocus());

    // The text left behind is never shown on the way: that would add a definition for ALM_GHOST.
    ClickItem("ALM_HIGH");
    Window->moveDown();
    EXPECT_EQ(Tree()->currentIndex().row(), 1);
    EXPECT_EQ(Window->currentDefinition(), &Definition(4));
    EXPECT_EQ(Window->document().Table.Definitions.count(9), 0u);

    ClickItem("MENU_MAIN");
    Window->moveIntoNext();
    EXPECT_EQ(Tree()->currentIndex().parent().data().toString(), "Nested");
    ClickItem("UNIT_C");
    Window->moveOut();
    EXPECT_FALSE(Tree()->currentIndex().parent().isValid());
}

// Runs `check` on the About box once it is open, then closes it.
void WhenAboutBoxOpens(std::function<void(AboutDialog&)> check)
{
    QTimer::singleShot(0, [check] {
        auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(about) << "the About box did not open";
        check(*about);
        about->accept();
    });
}

TEST_F(MainWindowTest, TheAboutBoxOpensOnF1AndFromTheRightClickMenu)
{
    QString version;
    WhenAboutBoxOpens([&](AboutDialog& about) {
        version = about.findChild<QLabel*>("versionLabel")->text();
        EXPECT_FALSE(about.windowIcon().isNull());
    });
    QTest::keyClick(Window.get(), Qt::Key_F1);
    EXPECT_EQ(version, "Orvane Text Definition Editor, Version 1.3");
    EXPECT_FALSE(Window->windowIcon().isNull());

    // A right-click on the window's background offers the same, and nothing else.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu) << "no menu";
        ASSERT_EQ(menu->actions().size(), 1);
        WhenAboutBoxOpens([&](AboutDialog&) { shown = true; });
        menu->setActiveAction(menu->actions().front());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint background(Window->width() - 4, Window->height() - 4);
    QContextMenuEvent event(QContextMenuEvent::Mouse, background, Window->mapToGlobal(background));
    QApplication::sendEvent(Window.get(), &event);
    EXPECT_TRUE(shown);
}

TEST_F(MainWindowTest, ACommandThatFailsIsReportedAndTheWindowGoesOn)
{
    OpenSample();
    Platform.FailNextDialog();
    Platform.ExpectMessage(
        {"Out of memory: the command was not completed.", "orvane-text-editor", MessageIcon::Error});
    Click(Button("chooseFontButton"));
    EXPECT_TRUE(Window->isVisible());
}

} // namespace
} // namespace orv::test
