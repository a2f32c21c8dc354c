// Writes pictures of the window for looking at it. Not a test; run it under Xvfb or the offscreen
// platform.
//
//   editor_screenshot FILE.strdef OUTPUT_DIRECTORY [LABEL]
//     the window with the file open and a text selected (editor.png), the same after "Choose Font"
//     with DejaVu Sans (editor-preview.png, and zoomed in editor-zoomed.png), the device check of
//     the text over a maximum of 100 pixels with a character the face lacks (editor-check.png), the
//     untranslated texts found by "alarm" (editor-filter.png), the About box and the icon. LABEL names the
//     tree item to select (default: the first text that has a line break).
//
//   editor_screenshot --font-samples OUTPUT_DIRECTORY
//     German and Cyrillic texts in the preview after "Choose Font" with DejaVu Sans, normal and
//     zoomed, each beside the same text drawn by the desktop in DejaVu Sans at a large size
//     (font-samples.png, and one preview-N.png, preview-N-zoomed.png, desktop-N.png per text), and the
//     normal preview's line with every device pixel four times enlarged (preview-N-enlarged.png).

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSpinBox>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <string>
#include <vector>

#include "editor/AboutDialog.h"
#include "editor/MainWindow.h"
#include "editor/PreviewWidget.h"
#include "editor/TextBox.h"
#include "editor/TreeFilterModel.h"
#include "store/DefinitionFile.h"

namespace orv {
namespace {

// Answers the open dialog with the file and the font picker with DejaVu Sans, and prints every
// message instead of showing it.
class FixedFilePlatform final : public PlatformServices
{
public:
    explicit FixedFilePlatform(QString path) : Path(std::move(path)) {}
    std::optional<QString> ChooseFileToOpen(QWidget*, const FileDialogRequest&) override { return Path; }
    std::optional<QString> ChooseFileToSave(QWidget*, const FileDialogRequest&) override
    {
        return std::nullopt;
    }
    std::optional<QFont> ChooseFont(QWidget*) override { return QFont(QStringLiteral("DejaVu Sans"), 12); }
    MessageAnswer ShowMessage(QWidget*, const Message& message) override
    {
        std::fprintf(stderr, "message: %s (%s)\n", qPrintable(message.Text), qPrintable(message.Caption));
        ++MessageCount;
        return MessageAnswer::No;
    }
    Result<void> SetClipboardText(const QString&) override { return {}; }
    int RunCommand(const QString&) override { return 0; }

    int MessageCount = 0;

private:
    QString Path;
};

const BlockItem* FindItem(const BlockTree& tree, const QString& label, const DefinitionTable& table)
{
    for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder()) {
        const QString itemLabel =
            QString::fromUtf16(item->Label.data(), static_cast<qsizetype>(item->Label.size()));
        if (!label.isEmpty()
                ? itemLabel == label
                : !item->IsBlock() && table.Definitions.count(item->TextIndex()) &&
                      table.Definitions.at(item->TextIndex()).DefaultText.find(u'\n') != std::u16string::npos)
            return item;
    }
    return nullptr;
}

void SelectItem(MainWindow& window, const BlockItem* item)
{
    auto* tree = window.findChild<QTreeView*>("definitionsTree");
    const QModelIndex index = window.treeModel().IndexOf(item);
    tree->setCurrentIndex(index);
    tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    QTest::qWait(50);
}

int WindowPictures(const QString& file, const QDir& output, const QString& label)
{
    FixedFilePlatform platform(file);
    MainWindow window(platform);
    window.show();
    QApplication::processEvents();
    window.openFile();
    const BlockItem* item = FindItem(window.document().Tree, label, window.document().Table);
    if (!item) {
        std::fprintf(stderr, "no such item\n");
        return 1;
    }
    SelectItem(window, item);
    const bool windowSaved = window.grab().save(output.filePath(QStringLiteral("editor.png")));

    // The preview with a real device font, rendered as "Choose Font" renders it.
    window.chooseFont();
    QTest::qWait(50);
    const bool previewSaved = window.grab().save(output.filePath(QStringLiteral("editor-preview.png")));
    auto* zoomed = window.findChild<QCheckBox*>("zoomedBox");
    zoomed->click();
    QTest::qWait(50);
    const bool zoomedSaved = window.grab().save(output.filePath(QStringLiteral("editor-zoomed.png")));
    zoomed->click();

    // The device check with a maximum below the text's width and a character the face lacks.
    window.findChild<QSpinBox*>("maxWidthBox")->setValue(100);
    auto* translation = window.findChild<TextBox*>("translationBox");
    translation->setFocus();
    translation->moveCursor(QTextCursor::End);
    translation->insertPlainText(QStringLiteral(" \u4E2D"));
    QTest::qWait(50);
    const bool checkSaved = window.grab().save(output.filePath(QStringLiteral("editor-check.png")));
    // Opening the file again loses the typing; the filter then finds the untranslated alarms.
    window.reloadFile();
    window.findChild<QLineEdit*>("filterBox")->setText(QStringLiteral("alarm"));
    window.findChild<QComboBox*>("stateFilterList")->setCurrentIndex(1);
    QTest::qWait(50);
    const bool filterSaved = window.grab().save(output.filePath(QStringLiteral("editor-filter.png")));
    window.findChild<QSpinBox*>("maxWidthBox")->setValue(0);

    AboutDialog about(window.windowIcon(),
                      QStringLiteral("%1.%2").arg(kEditorVersionMajor).arg(kEditorVersionMinor),
                      MainWindow::shortcuts(), &window);
    about.show();
    QTest::qWait(100);
    const bool aboutSaved = about.grab().save(output.filePath(QStringLiteral("about.png")));
    const bool iconSaved = window.windowIcon().pixmap(256).save(output.filePath(QStringLiteral("icon.png")));
    return windowSaved && previewSaved && zoomedSaved && checkSaved && filterSaved && aboutSaved &&
                   iconSaved && platform.MessageCount == 0
               ? 0
               : 1;
}

// Default text and translation of each sample: German with its umlauts and sharp s, Cyrillic
// with letters that reach above and below the line, and the device's symbols.
struct Sample
{
    const char16_t* DefaultText;
    const char16_t* Translation;
};
constexpr Sample kSamples[] = {
    {u"Overtemperature!", u"Übertemperatur!"},
    {u"Resize", u"Größe ändern"},
    {u"Street", u"Straße"},
    {u"Error", u"Ошибка"},
    {u"Temperature", u"Температура"},
    {u"Yellow shield", u"Жёлтый щит"},
    {u"Setpoint", u"▲ 25°C ±1 ►"},
};

// The text as the desktop draws it at a large size, white on black like the preview.
QPixmap DesktopText(const QString& text)
{
    QLabel label(text);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(64);
    label.setFont(font);
    label.setStyleSheet(QStringLiteral("QLabel { background: black; color: white; padding: 8px; }"));
    label.adjustSize();
    return label.grab();
}

int FontSamplePictures(const QDir& output)
{
    BlockTree tree;
    DefinitionTable table;
    BlockItem& block = tree.Append(nullptr, u"Samples", 0);
    std::uint16_t index = 1;
    for (const Sample& sample : kSamples) {
        const std::u16string identifier = u"SAMPLE_" + std::u16string(1, char16_t(u'0' + index));
        tree.Append(&block, identifier, index);
        table.Definitions[index] =
            StringDefinition{index, identifier, sample.DefaultText, sample.Translation, 1, u""};
        ++index;
    }
    const QString file = output.filePath(QStringLiteral("font-samples.strdef"));
    const std::vector<std::uint8_t> bytes = WriteDefinitionBytes(tree, table);
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
        return 1;
    }
    out.close();

    FixedFilePlatform platform(file);
    MainWindow window(platform);
    window.show();
    QApplication::processEvents();
    window.openFile();
    window.chooseFont();
    auto* preview = window.findChild<PreviewWidget*>("previewWidget");
    auto* zoomed = window.findChild<QCheckBox*>("zoomedBox");

    std::vector<QPixmap> rows;
    bool saved = true;
    for (std::size_t row = 0; row < window.document().Tree.TopLevel(0)->ChildCount(); ++row) {
        SelectItem(window, window.document().Tree.TopLevel(0)->Child(row));
        const QString name = QStringLiteral("%1").arg(row + 1);
        if (zoomed->isChecked())
            zoomed->click();
        QTest::qWait(20);
        const QPixmap normal = preview->grab();
        zoomed->click();
        QTest::qWait(20);
        const QPixmap large = preview->grab();
        const QPixmap desktop = DesktopText(QString::fromUtf16(kSamples[row].Translation));
        // The line of the normal preview, every device pixel a 4 x 4 square, for looking closely.
        constexpr int kBand = 32;
        constexpr int kEnlargement = 4;
        const QPixmap enlarged = normal.copy(0, normal.height() / 2 - kBand / 2, normal.width(), kBand)
                                     .scaled(normal.width() * kEnlargement, kBand * kEnlargement,
                                             Qt::IgnoreAspectRatio, Qt::FastTransformation);
        saved = enlarged.save(output.filePath(QStringLiteral("preview-%1-enlarged.png").arg(name))) && saved;
        saved = normal.save(output.filePath(QStringLiteral("preview-%1.png").arg(name))) && saved;
        saved = large.save(output.filePath(QStringLiteral("preview-%1-zoomed.png").arg(name))) && saved;
        saved = desktop.save(output.filePath(QStringLiteral("desktop-%1.png").arg(name))) && saved;

        // One row of the overview: the preview, the preview zoomed and the desktop's drawing.
        constexpr int kGap = 8;
        const int height = std::max({normal.height(), large.height(), desktop.height()});
        QPixmap combined(normal.width() + large.width() + desktop.width() + 4 * kGap, height + 2 * kGap);
        combined.fill(Qt::darkGray);
        QPainter painter(&combined);
        painter.drawPixmap(kGap, kGap, normal);
        painter.drawPixmap(2 * kGap + normal.width(), kGap, large);
        painter.drawPixmap(3 * kGap + normal.width() + large.width(), kGap, desktop);
        painter.end();
        rows.push_back(combined);
    }
    int width = 0;
    int height = 0;
    for (const QPixmap& row : rows) {
        width = std::max(width, row.width());
        height += row.height();
    }
    QPixmap overview(width, height);
    overview.fill(Qt::darkGray);
    QPainter painter(&overview);
    int top = 0;
    for (const QPixmap& row : rows) {
        painter.drawPixmap(0, top, row);
        top += row.height();
    }
    painter.end();
    saved = overview.save(output.filePath(QStringLiteral("font-samples.png"))) && saved;
    return saved && platform.MessageCount == 0 ? 0 : 1;
}

int Run(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QString usage = QStringLiteral("usage: editor_screenshot FILE.strdef OUTPUT_DIRECTORY [LABEL]\n"
                                         "       editor_screenshot --font-samples OUTPUT_DIRECTORY\n");
    if (argc < 3) {
        std::fprintf(stderr, "%s", qPrintable(usage));
        return 2;
    }
    const QDir output(QString::fromLocal8Bit(argv[2]));
    if (QString::fromLocal8Bit(argv[1]) == QLatin1String("--font-samples"))
        return FontSamplePictures(output);
    const QString file = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QString label = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();
    return WindowPictures(file, output, label);
}

} // namespace
} // namespace orv

int main(int argc, char** argv)
{
    return orv::Run(argc, argv);
}
