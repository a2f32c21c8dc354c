// Selecting items in the tree and editing a definition: what the boxes show, what each edit, click
// and focus change writes into the table, and the preview that follows.

#include <QApplication>
#include <QClipboard>
#include <QTest>

#include "EditorWindowTest.h"

namespace orv::test {
namespace {

class WindowEditing : public EditorWindowTest
{
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        OpenSample();
    }

    QLineEdit* IndexBox() const { return Get<QLineEdit>(kIdIndexBox); }
    CTextBox* DefaultTextBox() const { return Get<CTextBox>(kIdDefaultTextBox); }
    CTextBox* DescriptionBox() const { return Get<CTextBox>(kIdDescriptionBox); }
    QString Translation() const { return ToQString(TranslationBox()->Text()); }

    // Types at the end of the Translation box.
    void TypeAtEnd(const QString& keys)
    {
        FocusTranslationBox();
        QTest::keyClick(TranslationBox(), Qt::Key_End, Qt::ControlModifier);
        Type(TranslationBox(), keys);
    }
};

TEST_F(WindowEditing, SelectingATextShowsItsDefinition)
{
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    EXPECT_EQ(Window->CurrentDefinition, &Definition(4));
    EXPECT_EQ(IndexBox()->text(), QStringLiteral("4"));
    EXPECT_TRUE(IndexBox()->isEnabled());
    EXPECT_EQ(ToQString(DefaultTextBox()->Text()), QStringLiteral("High\r\ntemperature"));
    EXPECT_EQ(DefaultTextBox()->document()->blockCount(), 2); // the line break shows as one
    EXPECT_EQ(Translation(), QStringLiteral("Über-\r\ntemperatur"));
    EXPECT_EQ(ToQString(DescriptionBox()->Text()), QStringLiteral("Two lines"));
    EXPECT_TRUE(TranslatedBox()->isChecked());
    EXPECT_EQ(Get<QLineEdit>(kIdIdentifierBox)->text(), QStringLiteral("ALM_HIGH"));
    // Showing enables the hidden identifier controls, and nothing that stays disabled.
    EXPECT_TRUE(Window->Control(kIdCopyIdentifier)->isEnabled());
    EXPECT_FALSE(Window->Control(kIdCopyIdentifier)->isVisible());
    EXPECT_FALSE(DefaultTextBox()->isEnabled());
    EXPECT_FALSE(DescriptionBox()->isEnabled());
    EXPECT_TRUE(Tree()->hasFocus());
}

TEST_F(WindowEditing, SelectingABlockClearsTheBoxesWithoutChangingTheText)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    const StringDefinition before = Definition(1);
    ClickTreeItem(Tree(), QStringLiteral("Alarms"));
    EXPECT_EQ(Window->CurrentDefinition, nullptr);
    EXPECT_EQ(Definition(1), before);
    EXPECT_EQ(IndexBox()->text(), QStringLiteral("-"));
    EXPECT_FALSE(IndexBox()->isEnabled());
    EXPECT_EQ(Translation(), QString());
    EXPECT_EQ(ToQString(DefaultTextBox()->Text()), QString());
    EXPECT_EQ(ToQString(DescriptionBox()->Text()), QString());
    EXPECT_FALSE(TranslatedBox()->isChecked());
    EXPECT_FALSE(Window->Control(kIdCopyIdentifier)->isEnabled());

    // With no definition shown, the editing controls change nothing.
    TypeAtEnd(QStringLiteral("x"));
    Click(TranslatedBox());
    Click(Button(kIdCopyDefaultText));
    ClickTreeItem(Tree(), QStringLiteral("Menu"));
    EXPECT_EQ(Definition(1), before);
}

TEST_F(WindowEditing, ShowingABlankTranslationUnmarksIt)
{
    ASSERT_EQ(Definition(3).Translated, 1u);
    ClickTreeItem(Tree(), QStringLiteral("NESTED"));
    EXPECT_FALSE(TranslatedBox()->isChecked());
    EXPECT_EQ(Definition(3).Translated, 0u);
    EXPECT_EQ(Definition(3).Translation, u"  \t"); // the text itself stays
}

TEST_F(WindowEditing, ATextWithoutDefinitionShowsItsOwnIndex)
{
    ASSERT_EQ(Window->Document.Table.Definitions.count(9), 0u);
    ClickTreeItem(Tree(), QStringLiteral("ALM_GHOST"));
    // Regression: a new entry used to get index 0 and show "0".
    EXPECT_EQ(IndexBox()->text(), QStringLiteral("9"));
    EXPECT_EQ(Definition(9).Index, 9);
    EXPECT_EQ(Translation(), QString());
}

TEST_F(WindowEditing, EachKeystrokeWritesTheTranslationAndTheBlankRuleMovesTheCheckBox)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_BACK"));
    TypeAtEnd(QStringLiteral("Z"));
    EXPECT_EQ(Definition(2).Translation, u"Z");
    EXPECT_TRUE(TranslatedBox()->isChecked());
    EXPECT_EQ(Definition(2).Translated, 0u); // the table takes the mark later
    QTest::keyClick(TranslationBox(), Qt::Key_Backspace);
    EXPECT_EQ(Definition(2).Translation, u"");
    EXPECT_FALSE(TranslatedBox()->isChecked());
    Type(TranslationBox(), QStringLiteral(" "));
    QTest::keyClick(TranslationBox(), Qt::Key_Return);
    EXPECT_EQ(Definition(2).Translation, u" \r\n");
    EXPECT_FALSE(TranslatedBox()->isChecked());
    QTest::keyClick(TranslationBox(), Qt::Key_Backspace);
    Type(TranslationBox(), QStringLiteral("Zurück"));
    EXPECT_EQ(Definition(2).Translation, u" Zurück");
    EXPECT_EQ(Definition(2).Translated, 0u);

    // Leaving the box commits the mark; so does every click elsewhere first.
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    EXPECT_EQ(Definition(2).Translated, 1u);
    EXPECT_EQ(Definition(2).Translation, u" Zurück");
}

TEST_F(WindowEditing, TheCheckBoxWritesOnClickAndOnCommit)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    Click(TranslatedBox());
    EXPECT_EQ(Definition(1).Translated, 0u);
    Click(TranslatedBox());
    EXPECT_EQ(Definition(1).Translated, 1u);

    // Unchecked while the Translation box has the focus, then away: the text stays, unmarked.
    FocusTranslationBox();
    Click(TranslatedBox());
    ClickTreeItem(Tree(), QStringLiteral("UNIT_C"));
    EXPECT_EQ(Definition(1).Translated, 0u);
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü");

    // Any nonzero mark from the file becomes 1 when the box commits it.
    Definition(6).Translated = 7;
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    ClickTreeItem(Tree(), QStringLiteral("UNIT_C"));
    EXPECT_EQ(Definition(6).Translated, 7u);
    FocusTranslationBox();
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    EXPECT_EQ(Definition(6).Translated, 1u);
}

TEST_F(WindowEditing, CopyDefaultTextChangesOnlyTheBoxUntilItIsEdited)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_BACK"));
    Click(Button(kIdCopyDefaultText));
    EXPECT_EQ(Translation(), QStringLiteral("Back"));
    EXPECT_EQ(Definition(2).Translation, u"");
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    EXPECT_EQ(Definition(2).Translation, u"");

    // Copied, then into the box and out again: the copy is stored, with the box's mark.
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    Click(Button(kIdCopyDefaultText));
    FocusTranslationBox();
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    EXPECT_EQ(Definition(4).Translation, u"High\r\ntemperature");
    EXPECT_EQ(Definition(4).Translated, 1u);
}

TEST_F(WindowEditing, InsertReplacesTheSelectionAsTypingDoes)
{
    auto* list = Get<QComboBox>(kIdSpecialCharacterList);
    ClickTreeItem(Tree(), QStringLiteral("MENU_BACK"));
    list->setCurrentIndex(9);
    Click(Button(kIdInsert));
    EXPECT_EQ(Definition(2).Translation, u"\u2194");
    EXPECT_TRUE(TranslatedBox()->isChecked());
    EXPECT_TRUE(TranslationBox()->hasFocus());

    // The labelled entries insert their character without the label.
    list->setCurrentIndex(0);
    Click(Button(kIdInsert));
    list->setCurrentIndex(2);
    Click(Button(kIdInsert));
    list->setCurrentIndex(12);
    Click(Button(kIdInsert));
    EXPECT_EQ(Definition(2).Translation, u"\u2194\u0008\u25A1\u00B0");

    // Over a selection it replaces it; with no entry chosen it deletes it; both can be undone.
    TranslationBox()->selectAll();
    list->setCurrentIndex(1);
    Click(Button(kIdInsert));
    EXPECT_EQ(Definition(2).Translation, u"\u0007");
    TranslationBox()->selectAll();
    list->setCurrentIndex(-1);
    Click(Button(kIdInsert));
    EXPECT_EQ(Definition(2).Translation, u"");
    EXPECT_FALSE(TranslatedBox()->isChecked());
    QTest::keyClick(TranslationBox(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Definition(2).Translation, u"\u0007");
}

TEST_F(WindowEditing, ShowingAndCommittingWithoutAnEditKeepsEveryUnit)
{
    const std::u16string texts[] = {
        u"two\r\nlines",
        u"lone\nline feed",
        u"lone\rreturn",
        u"tab\there",
        u"\u0007normal\u0008",
        u"\r\r\n\n\r\n",
        u"no\u00A0break",
        u"line\u2028separator",
        u"frame\uFDD0mark",
        u"end\r\n",
        u"",
        u"\r\n\r\n",
    };
    for (const std::u16string& text : texts) {
        SCOPED_TRACE(ToQString(text).toStdString());
        Definition(4).Translation = text;
        Definition(4).DefaultText = text;
        ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
        ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
        FocusTranslationBox();
        ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
        EXPECT_EQ(Definition(4).Translation, text);
        // "copy →" takes the default text exactly as well.
        ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
        Click(Button(kIdCopyDefaultText));
        EXPECT_EQ(TranslationBox()->Text(), text);
    }
}

TEST_F(WindowEditing, EditsKeepTheLineBreaksTheyDoNotTouch)
{
    Definition(4).Translation = u"a\nb\r\nc\rd";
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    TypeAtEnd(QStringLiteral("e"));
    EXPECT_EQ(Definition(4).Translation, u"a\nb\r\nc\rde");
    // Enter makes the device's line break.
    QTest::keyClick(TranslationBox(), Qt::Key_Return);
    QTest::keyClick(TranslationBox(), Qt::Key_Return, Qt::ShiftModifier);
    Type(TranslationBox(), QStringLiteral("f"));
    EXPECT_EQ(Definition(4).Translation, u"a\nb\r\nc\rde\r\n\r\nf");
    // Deleting a shown line break deletes both of its units.
    QTest::keyClick(TranslationBox(), Qt::Key_Left);
    QTest::keyClick(TranslationBox(), Qt::Key_Backspace);
    EXPECT_EQ(Definition(4).Translation, u"a\nb\r\nc\rde\r\nf");
    EXPECT_TRUE(Window->isVisible());
}

TEST_F(WindowEditing, PastedLineBreaksOfEveryKindBecomeTheDevicesOwn)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_BACK"));
    QApplication::clipboard()->setText(QStringLiteral("one\r\ntwo\nthree\rfour"));
    FocusTranslationBox();
    QTest::keyClick(TranslationBox(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Definition(2).Translation, u"one\r\ntwo\r\nthree\r\nfour");
    EXPECT_TRUE(TranslatedBox()->isChecked());
}

TEST_F(WindowEditing, EnterMovesToTheTreeAndWritesTheIdentifierBack)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    TypeAtEnd(QStringLiteral("!"));
    Click(TranslatedBox()); // commits, then unchecks
    ASSERT_EQ(Definition(1).Translated, 0u);
    Definition(1).Translated = 1;
    // Longer than a line edit holds by default; the box gives back every unit.
    const QString identifier = QStringLiteral("MENU_HOME") + QString(40'000, QLatin1Char('X'));
    Get<QLineEdit>(kIdIdentifierBox)->setText(identifier);
    FocusTranslationBox();
    // Enter in a control that does not use it (here the read-only Index box) reaches the window.
    QTest::keyClick(Get<QLineEdit>(kIdIndexBox), Qt::Key_Return);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_TRUE(Tree()->hasFocus());
    EXPECT_EQ(Definition(1).Translated, 0u); // the box committed on its way out
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü!");
    EXPECT_EQ(Definition(1).Identifier, ToU16(identifier)); // what the hidden box holds
    QTest::keyClick(Tree(), Qt::Key_Enter);
    QTest::keyClick(Tree(), Qt::Key_Return);
    EXPECT_TRUE(Window->isVisible());
}

TEST_F(WindowEditing, CopyPutsTheIdentifierOnTheClipboard)
{
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    Window->OnCopyIdentifier();
    EXPECT_EQ(Platform.Clipboard, QStringLiteral("S_ALM_HIGH"));

    const QString program = QStringLiteral("orvane-text-editor");
    Platform.FailNextClipboard({ClipboardStatus::CannotOpen, 0});
    Platform.ExpectMessage({QStringLiteral("Cannot open the Clipboard"), program});
    Window->OnCopyIdentifier();
    Platform.FailNextClipboard({ClipboardStatus::CannotEmpty, 0});
    Platform.ExpectMessage({QStringLiteral("Cannot empty the Clipboard"), program});
    Window->OnCopyIdentifier();
    Platform.FailNextClipboard({ClipboardStatus::CannotSet, 1418});
    Platform.ExpectMessage({QStringLiteral("Unable to set Clipboard data, error: 1418"), program});
    Window->OnCopyIdentifier();
}

// A font with a glyph for 'H' (two columns of full ink on rows 5 to 9) and for 'x' (one column
// of grey), enough to see where the preview puts a text.
RenderedFont PreviewFont()
{
    static const std::vector<std::uint8_t> h(10, 255);
    static const std::vector<std::uint8_t> x(2, 109);
    GlyphTableBuilder builder;
    builder.Add(u'H', Glyph{3, 0, 5, 2, 5, h});
    builder.Add(u'x', Glyph{2, 0, 8, 1, 2, x});
    return builder.Finish();
}

int InkedPixels(const PreviewCanvas& canvas)
{
    int count = 0;
    for (std::uint32_t pixel : canvas.Pixels())
        count += pixel != 0;
    return count;
}

TEST_F(WindowEditing, ThePreviewFollowsTheStoredText)
{
    Window->DeviceFont = PreviewFont();
    auto* preview = Get<CBitmapRect>(kIdPreview);
    const PreviewCanvas& canvas = preview->Canvas();
    ASSERT_EQ(canvas.Width(), preview->width() + 1);
    EXPECT_EQ(InkedPixels(canvas), 0);

    Definition(2).DefaultText = u"HH";
    Definition(2).Translation = u"";
    ClickTreeItem(Tree(), QStringLiteral("MENU_BACK"));
    EXPECT_EQ(InkedPixels(canvas), 20);
    // Centred: the pen starts at width / 2 - 6 / 2, the line's top at height / 2 - 11.
    EXPECT_EQ(canvas.Pixel(preview->width() / 2 - 3, preview->height() / 2 - 11 + 5), 0xFFFFFFu);

    // Typing into an unmarked text keeps the preview on the default text ...
    TypeAtEnd(QStringLiteral("x"));
    EXPECT_EQ(InkedPixels(canvas), 20);
    // ... until the mark is set by a click (the first click here unchecks what typing checked).
    Click(TranslatedBox());
    EXPECT_EQ(InkedPixels(canvas), 20);
    Click(TranslatedBox());
    EXPECT_EQ(InkedPixels(canvas), 2);

    // Zoomed, every pixel is a 3 x 3 square.
    Click(Get<QCheckBox>(kIdZoomed));
    EXPECT_EQ(Window->PreviewZoom, 3);
    EXPECT_EQ(InkedPixels(canvas), 18);

    // A block leaves the picture as it was.
    ClickTreeItem(Tree(), QStringLiteral("Menu"));
    EXPECT_EQ(InkedPixels(canvas), 18);
    // With no text shown, a refresh turns it black at once.
    Click(Get<QCheckBox>(kIdZoomed));
    EXPECT_EQ(InkedPixels(canvas), 0);
    QImage picture = preview->grab().toImage();
    EXPECT_EQ(picture.pixel(preview->width() / 2, preview->height() / 2), qRgb(0, 0, 0));
}

TEST_F(WindowEditing, TrailingBlanksAreTrimmedByThePreviewButNotInTheBox)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    TypeAtEnd(QStringLiteral(" "));
    // The preview of a marked text trims the stored translation ...
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü");
    EXPECT_EQ(Translation(), QStringLiteral("Hauptmenü "));
    // ... and leaving the box writes the box's text back.
    ClickTreeItem(Tree(), QStringLiteral("UNIT_C"));
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü ");
}

} // namespace
} // namespace orv::test
