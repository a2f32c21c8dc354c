// The window right after start-up: its controls, title, label, special characters, About box.

#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QMenu>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include "EditorWindowTest.h"
#include "editor/CAboutDlg.h"

namespace orv::test {
namespace {

using WindowStartup = EditorWindowTest;

struct ControlRow
{
    int Id;
    const char* Caption; // nullptr: a control without caption
    int X, Y, Width, Height;
    bool Visible;
    bool Enabled;
};

// The visible controls with their places in dialog units and their start-up states.
constexpr ControlRow kVisibleControls[] = {
    {kIdTreeLabel, "System strings", 7, 7, 101, 8, true, true},
    {kIdDefinitionsTree, nullptr, 7, 18, 144, 207, true, true},
    {kIdIndexBox, nullptr, 184, 17, 34, 12, true, false},
    {kIdDefaultTextBox, nullptr, 164, 47, 116, 59, true, false},
    {kIdCopyDefaultText, "copy \u2192", 286, 44, 39, 11, true, true},
    {kIdTranslationBox, nullptr, 332, 47, 116, 59, true, true},
    {kIdSpecialCharacterList, nullptr, 284, 79, 44, 12, true, true},
    {kIdInsert, "Insert", 289, 93, 34, 13, true, true},
    {kIdDescriptionBox, nullptr, 162, 128, 172, 75, true, false},
    {kIdChooseFont, "Choose Font", 373, 119, 57, 13, true, true},
    {kIdPreview, nullptr, 344, 135, 113, 65, true, true},
    {kIdZoomed, "zoomed", 382, 202, 39, 10, true, true},
    {kIdNext, "Next", 9, 228, 43, 14, true, true},
    {kIdNextToBeTranslated, "Next to be translated", 71, 228, 77, 14, true, true},
    {kIdOpen, "Open", 178, 222, 39, 15, true, true},
    {kIdMerge, "Merge", 236, 222, 45, 15, true, true},
    {kIdExportWithFont, "Export with font", 368, 222, 65, 15, true, true},
};

constexpr ControlRow kHiddenControls[] = {
    {kIdIdentifierBox, nullptr, 0, 0, 0, 0, false, false},
    {kIdIdentifierPrefix, "S_", 0, 0, 0, 0, false, false},
    {kIdCopyIdentifier, "Copy", 0, 0, 0, 0, false, false},
    {kIdMoveUp, "^", 0, 0, 0, 0, false, false},
    {kIdMoveDown, "v", 0, 0, 0, 0, false, false},
    {kIdMoveOut, "^-", 0, 0, 0, 0, false, false},
    {kIdMoveIntoNext, "-v", 0, 0, 0, 0, false, false},
    {kIdLoad, "Load", 0, 0, 0, 0, false, false},
    {kIdGenerateSources, "Generate for src.", 0, 0, 0, 0, false, false},
    {kIdScratchTree, nullptr, 0, 0, 0, 0, false, false},
    {kIdDefaultButton, nullptr, 0, 0, 0, 0, false, true},
};

QString CaptionOf(QWidget* widget)
{
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    return QString();
}

TEST_F(WindowStartup, ControlsHaveTheirCaptionsPlacesAndStates)
{
    const DialogUnits& units = Window->Units();
    for (const ControlRow& row : kVisibleControls) {
        SCOPED_TRACE(row.Id);
        QWidget* control = Window->Control(row.Id);
        ASSERT_TRUE(control);
        if (row.Caption) {
            EXPECT_EQ(CaptionOf(control), QString::fromUtf8(row.Caption));
        }
        const QRect place = units.Rect(row.X, row.Y, row.Width, row.Height);
        if (row.Id == kIdTranslated || row.Id == kIdZoomed) {
            // Check boxes may be narrower than their place.
            EXPECT_TRUE(place.contains(control->geometry())) << control->geometry().x();
        } else {
            EXPECT_EQ(control->geometry(), place);
        }
        EXPECT_EQ(control->isVisible(), row.Visible);
        EXPECT_EQ(control->isEnabled(), row.Enabled);
    }
    for (const ControlRow& row : kHiddenControls) {
        SCOPED_TRACE(row.Id);
        QWidget* control = Window->Control(row.Id);
        ASSERT_TRUE(control);
        if (row.Caption) {
            EXPECT_EQ(CaptionOf(control), QString::fromUtf8(row.Caption));
        }
        EXPECT_FALSE(control->isVisible());
        EXPECT_EQ(control->isEnabled(), row.Enabled);
    }
    EXPECT_FALSE(TranslatedBox()->isChecked());
    EXPECT_FALSE(Get<QCheckBox>(kIdZoomed)->isChecked());
    EXPECT_EQ(Get<QLineEdit>(kIdIndexBox)->text(), QString());
    EXPECT_TRUE(Get<QLineEdit>(kIdIndexBox)->isReadOnly());
    EXPECT_EQ(Tree()->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(Tree()->dragEnabled());
    EXPECT_TRUE(Tree()->rootIsDecorated());
    EXPECT_TRUE(Tree()->hasFocus());

    QStringList groups;
    for (const QGroupBox* group : Window->findChildren<QGroupBox*>())
        groups << group->title() + QStringLiteral(" %1,%2 %3x%4")
                                       .arg(group->x())
                                       .arg(group->y())
                                       .arg(group->width())
                                       .arg(group->height());
    const QRect definition = units.Rect(155, 7, 302, 104);
    const QRect description = units.Rect(155, 115, 184, 95);
    EXPECT_EQ(groups, (QStringList{QStringLiteral("Definition %1,%2 %3x%4")
                                       .arg(definition.x())
                                       .arg(definition.y())
                                       .arg(definition.width())
                                       .arg(definition.height()),
                                   QStringLiteral("Description %1,%2 %3x%4")
                                       .arg(description.x())
                                       .arg(description.y())
                                       .arg(description.width())
                                       .arg(description.height())}));
}

TEST_F(WindowStartup, DialogUnitsComeFromTenPointArialAsLiberationSans)
{
    EXPECT_EQ(QFontInfo(Window->font()).family(), QStringLiteral("Liberation Sans"));
    // At 96 dots per inch: 13-pixel Liberation Sans, 394 pixels for the 52 letters, so an average
    // of 8 pixels (four units) and a height of 15 (eight units).
    EXPECT_EQ(Window->Units().BaseWidth(), 8);
    EXPECT_EQ(Window->Units().BaseHeight(), 15);
    EXPECT_EQ(Window->size(), QSize(928, 467));
    EXPECT_EQ(Window->minimumSize(), Window->maximumSize());
    EXPECT_FALSE(Window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(Window->windowIcon().isNull());
}

TEST_F(WindowStartup, TitleAndLabelNameTheFileAndTheVersion)
{
    EXPECT_EQ(Window->windowTitle(), QStringLiteral("Orvane text definition editor ver. 1.3"));
    auto* label = Get<QLabel>(kIdTreeLabel);
    EXPECT_EQ(label->text(), QStringLiteral("System strings"));

    // The version shows only while the table has entries.
    DefinitionTable& table = Window->Document.Table;
    table.FirmwareVersion = 0x0204;
    Window->UpdateTitle();
    EXPECT_EQ(label->text(), QStringLiteral("System strings"));
    table.FindOrAddDefinition(1);
    const std::pair<std::uint16_t, const char*> versions[] = {
        {0x0110, "1.10"}, {0x0204, "2.04"}, {0x1A0F, "1a.0f"}, {0x0001, "0.01"}};
    for (const auto& [version, text] : versions) {
        table.FirmwareVersion = version;
        Window->UpdateTitle();
        EXPECT_EQ(label->text(), QStringLiteral("System strings (Fw. ver. %1)").arg(QLatin1String(text)));
    }
    Window->Document.FilePath = "/data/texts/device.strdef";
    Window->UpdateTitle();
    EXPECT_EQ(Window->windowTitle(),
              QStringLiteral("Orvane text definition editor ver. 1.3 - /data/texts/device.strdef"));
}

TEST_F(WindowStartup, SpecialCharacterListHoldsTwentyEntriesInOrder)
{
    auto* list = Get<QComboBox>(kIdSpecialCharacterList);
    QStringList labels;
    for (int i = 0; i < list->count(); ++i)
        labels << list->itemText(i);
    const QStringList expected = {QStringLiteral("\u0008 (inverted)"),
                                  QStringLiteral("\u0007 (normal)"),
                                  QStringLiteral("\u25A1 (wildcard)"),
                                  QStringLiteral("\u25B2"),
                                  QStringLiteral("\u25BA"),
                                  QStringLiteral("\u25BC"),
                                  QStringLiteral("\u25C4"),
                                  QStringLiteral("\u00AB"),
                                  QStringLiteral("\u00BB"),
                                  QStringLiteral("<check>"),
                                  QStringLiteral("\u2195"),
                                  QStringLiteral("\u00A9"),
                                  QStringLiteral("\u00B0"),
                                  QStringLiteral("\u00B1"),
                                  QStringLiteral("\u00B2"),
                                  QStringLiteral("\u00B5"),
                                  QStringLiteral("\u00D7"),
                                  QStringLiteral("\u2248"),
                                  QStringLiteral("\u266A"),
                                  QStringLiteral("\uFFFC")};
    EXPECT_EQ(labels, expected);
    EXPECT_EQ(list->currentIndex(), -1);
    EXPECT_FALSE(list->isEditable());
}

// Runs `check` on the About box once it is open, then closes it with its OK button.
void WhenAboutBoxOpens(std::function<void(CAboutDlg&)> check)
{
    QTimer::singleShot(0, [check] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_TRUE(about) << "the About box did not open";
        check(*about);
        Click(about->OkButton);
    });
}

TEST_F(WindowStartup, AboutBoxOpensOnF1AndFromTheWindowMenu)
{
    bool shown = false;
    WhenAboutBoxOpens([&](CAboutDlg& about) {
        shown = true;
        EXPECT_EQ(about.windowTitle(), QStringLiteral("About the editor"));
        EXPECT_EQ(about.VersionLabel->text(), QStringLiteral("Orvane Text Definition Editor, Version 1.3"));
        EXPECT_EQ(ToQString(about.Notice->Text()),
                  QStringLiteral(
                      "The author takes no responsibility of the text content created with this "
                      "Application.\r\n\r\nThere may be incorrectly displayed characters on the device if "
                      "the User had not checked for the proper appearance of the text in the preview "
                      "window.\r\n\r\nFor more information on the usage of this Application read the "
                      "Orvane Text Definition manual."));
        EXPECT_TRUE(about.Notice->isReadOnly());
        EXPECT_TRUE(about.OkButton->isDefault());
        EXPECT_FALSE(about.windowIcon().isNull());
    });
    QTest::keyClick(Window.get(), Qt::Key_F1);
    EXPECT_TRUE(shown);

    // A right-click on the window's background offers the same, and nothing else.
    shown = false;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu) << "no menu";
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("&About the editor..."));
        WhenAboutBoxOpens([&](CAboutDlg&) { shown = true; });
        menu->setActiveAction(menu->actions().front());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    const QPoint background(Window->width() - 4, Window->height() - 4);
    QContextMenuEvent event(QContextMenuEvent::Mouse, background, Window->mapToGlobal(background));
    QApplication::sendEvent(Window.get(), &event);
    EXPECT_TRUE(shown);

    // A right-click on the tree opens nothing.
    QContextMenuEvent treeEvent(QContextMenuEvent::Mouse, QPoint(5, 5), Tree()->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(Tree()->viewport(), &treeEvent);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

} // namespace
} // namespace orv::test
