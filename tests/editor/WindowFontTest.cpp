// "Choose Font": the picker, the rendering into the device font with DejaVu Sans, the preview and
// the Translation box afterwards, and every failure with its message.

#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QFontInfo>
#include <QTimer>
#include <set>

#include "EditorWindowTest.h"
#include "editor/QtPlatformServices.h"
#include "font/CharacterSet.h"
#include "font/ChosenFont.h"
#include "store/DefinitionFile.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

int InkedPixels(const PreviewCanvas& canvas)
{
    int count = 0;
    for (std::uint32_t pixel : canvas.Pixels())
        count += pixel != 0;
    return count;
}

QFont Picked(const QString& family, int points = 12)
{
    QFont font(family);
    font.setPointSize(points);
    return font;
}

Message ErrorBox(const QString& text)
{
    return {text, QStringLiteral("ERROR"), MessageIcon::Error};
}

class WindowFont : public EditorWindowTest
{
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        OpenSample();
    }

    const PreviewCanvas& Canvas() const { return Get<CBitmapRect>(kIdPreview)->Canvas(); }

    void ChooseFont(std::optional<QFont> font)
    {
        Platform.ExpectFontDialog(std::move(font));
        Click(Button(kIdChooseFont));
    }
};

TEST_F(WindowFont, ChoosingAFontDrawsThePreviewAndACancelledPickerKeepsTheGlyphs)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    ASSERT_EQ(InkedPixels(Canvas()), 0); // no font rendered yet

    ChooseFont(Picked(QStringLiteral("DejaVu Sans")));
    EXPECT_TRUE(Platform.Messages.empty());
    EXPECT_EQ(Window->ChosenFont.FaceName, u"DejaVu Sans");
    EXPECT_FALSE(Window->RenderSilently);
    // The fixed characters and the texts' own: "ü" of "Hauptmenü", "Ü" and "°".
    EXPECT_EQ(Window->DeviceFont.GlyphTree.size(), kFixedCharacterCount + 2 - 1);
    EXPECT_NE(FindGlyph(Window->DeviceFont, u'ü').Advance, 0);
    // The preview shows "Hauptmenü" at once, in grey levels centred in the control.
    const int inked = InkedPixels(Canvas());
    EXPECT_GT(inked, 100);

    // From now on the Translation box shows the chosen face at the size of the Default text box.
    const QFontInfo shown(TranslationBox()->font());
    EXPECT_EQ(shown.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(shown.pixelSize(), QFontInfo(Get<CTextBox>(kIdDefaultTextBox)->font()).pixelSize());
    EXPECT_EQ(Window->ChosenFont.Height, shown.pixelSize());

    // A cancelled picker leaves no font chosen but keeps the glyphs and the picture.
    const RenderedFont before = Window->DeviceFont;
    ChooseFont(std::nullopt);
    EXPECT_TRUE(Window->ChosenFont.FaceName.empty());
    EXPECT_EQ(Window->DeviceFont.GlyphStore, before.GlyphStore);
    EXPECT_EQ(Window->DeviceFont.GlyphTree, before.GlyphTree);
    EXPECT_EQ(InkedPixels(Canvas()), inked);
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    EXPECT_GT(InkedPixels(Canvas()), 100);
}

TEST_F(WindowFont, EvenACancelledPickerTrimsTheTranslationsInUse)
{
    Definition(1).Translation = u" \tHauptmenü\r\n";
    Definition(2).Translation = u" Zurück ";
    ChooseFont(std::nullopt);
    EXPECT_EQ(Definition(1).Translation, u"Hauptmenü"); // marked translated: what the device shows
    EXPECT_EQ(Definition(2).Translation, u" Zurück ");  // not marked: not in use
}

TEST_F(WindowFont, TheSizeAndFoundryChosenInThePickerDoNotMatter)
{
    ChooseFont(Picked(QStringLiteral("DejaVu Sans"), 8));
    const RenderedFont small = Window->DeviceFont;
    ChooseFont(Picked(QStringLiteral("DejaVu Sans [Foundry]"), 72));
    EXPECT_EQ(Window->ChosenFont.FaceName, u"DejaVu Sans");
    EXPECT_EQ(Window->DeviceFont.GlyphStore, small.GlyphStore);
    EXPECT_EQ(Window->DeviceFont.GlyphTree, small.GlyphTree);

    // Another style of the family is another face.
    QFont bold = Picked(QStringLiteral("DejaVu Sans"));
    bold.setWeight(QFont::Bold);
    ChooseFont(bold);
    EXPECT_EQ(Window->ChosenFont.Weight, kWeightBold);
    EXPECT_NE(Window->DeviceFont.GlyphStore, small.GlyphStore);
}

TEST_F(WindowFont, RenderingSilentlyReusesTheChosenFont)
{
    // With no font chosen there is nothing to render, and no picker.
    Window->RenderSilently = true;
    Window->RenderFont();
    EXPECT_TRUE(Window->DeviceFont.Empty());
    EXPECT_TRUE(Window->RenderSilently);

    // With one, the picker is skipped and success clears the flag; the texts' new characters
    // are rendered too.
    Window->RenderSilently = false;
    ChooseFont(Picked(QStringLiteral("DejaVu Sans")));
    Definition(2).DefaultText = u"Назад";
    EXPECT_EQ(FindGlyph(Window->DeviceFont, u'Н').Advance, 0);
    Window->RenderSilently = true;
    Window->RenderFont();
    EXPECT_FALSE(Window->RenderSilently);
    EXPECT_NE(FindGlyph(Window->DeviceFont, u'Н').Advance, 0);
    EXPECT_EQ(Window->ChosenFont.FaceName, u"DejaVu Sans");

    // A failed rendering keeps the flag, so that the next "Choose Font" tries the same font again
    // without asking.
    Window->ChosenFont.FaceName = u"No Such Family Anywhere";
    Window->RenderSilently = true;
    Platform.ExpectMessageWithAnyText(ErrorBox(QString()));
    Window->RenderFont();
    EXPECT_TRUE(Window->RenderSilently);
    Platform.ExpectMessageWithAnyText(ErrorBox(QString()));
    Click(Button(kIdChooseFont));
    EXPECT_TRUE(Window->RenderSilently);
}

TEST_F(WindowFont, AFontThatCannotBeFoundShowsItsError)
{
    ClickTreeItem(Tree(), QStringLiteral("MENU_MAIN"));
    ChooseFont(Picked(QStringLiteral("DejaVu Sans")));
    const int inked = InkedPixels(Canvas());

    Platform.ExpectMessageWithAnyText(ErrorBox(QString()));
    ChooseFont(Picked(QStringLiteral("No Such Family Anywhere")));
    EXPECT_TRUE(Platform.Messages.back().Text.contains(QStringLiteral("No Such Family Anywhere")));
    // Never another face instead: the device font is empty, so nothing gets drawn with it; the
    // picture stays until the preview is next drawn.
    EXPECT_TRUE(Window->DeviceFont.Empty());
    EXPECT_EQ(InkedPixels(Canvas()), inked);
    ClickTreeItem(Tree(), QStringLiteral("UNIT_C"));
    EXPECT_EQ(InkedPixels(Canvas()), 0);

    // A family name longer than a face name can hold would find another family: refused too.
    Platform.ExpectMessageWithAnyText(ErrorBox(QString()));
    ChooseFont(Picked(QStringLiteral("DejaVu Sans With A Much Longer Family Name")));
    EXPECT_TRUE(Window->ChosenFont.FaceName.empty());
}

TEST_F(WindowFont, NothingIsRenderedWithoutALoadedFile)
{
    Window->ClearDefinitions();
    Window->Document.Loaded = false;
    Click(Button(kIdChooseFont)); // no picker: the strict platform would fail on one
    EXPECT_TRUE(Window->DeviceFont.Empty());
}

TEST_F(WindowFont, TooManyCharactersEndTheWindowWhichSaves)
{
    const Bytes before = ReadBytes(SamplePath.toStdString());
    // 3984 ideographs, the 111 fixed characters and the sample's "ü" and "Ü": one more than a
    // device font holds.
    std::u16string text;
    for (char16_t unit = u'\u4E00'; unit < u'\u4E00' + 3984; ++unit)
        text += unit;
    Definition(2).Translation = text;
    Definition(2).Translated = 1;
    Platform.ExpectMessage(ErrorBox(QStringLiteral("Too many characters, max. is 4096")));
    ChooseFont(Picked(QStringLiteral("DejaVu Sans")));
    EXPECT_FALSE(Window->isVisible());
    EXPECT_EQ(Window->result(), QDialog::Rejected);

    BlockTree tree;
    DefinitionTable table;
    ASSERT_TRUE(ReadDefinitionFile(SamplePath.toStdString(), tree, table));
    EXPECT_EQ(table.Definitions.at(2).Translation, text);
    EXPECT_EQ(ReadBytes(SamplePath.toStdString() + ".bck1"), before);
}

TEST_F(WindowFont, AFailureInsideTheCommandIsReportedAndTheWindowGoesOn)
{
    Platform.ExpectFailingFontDialog();
    Platform.ExpectMessage({QStringLiteral("Out of memory: the command was not completed."),
                            QStringLiteral("orvane-text-editor"), MessageIcon::Error});
    Click(Button(kIdChooseFont));
    EXPECT_TRUE(Window->isVisible());
    ChooseFont(Picked(QStringLiteral("DejaVu Sans")));
    EXPECT_FALSE(Window->DeviceFont.Empty());
}

// The desktop's picker: Qt's own dialog, scalable fonts only, without the effects group.
TEST(QtFontPicker, OffersScalableFontsWithoutEffects)
{
    QtPlatformServices services;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seen = true;
        EXPECT_TRUE(dialog->testOption(QFontDialog::ScalableFonts));
        EXPECT_TRUE(dialog->testOption(QFontDialog::DontUseNativeDialog));
        const auto boxes = dialog->findChildren<QCheckBox*>();
        EXPECT_FALSE(boxes.isEmpty());
        for (QCheckBox* box : boxes)
            EXPECT_FALSE(box->isVisibleTo(dialog)) << box->text().toStdString();
        dialog->reject();
    });
    EXPECT_FALSE(services.ChooseFont(nullptr));
    EXPECT_TRUE(seen);
}

} // namespace
} // namespace orv::test
