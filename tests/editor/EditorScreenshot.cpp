// Writes pictures of the window for looking at it: the window with a definition file open and a
// text selected (editor.png), the same with the preview drawn in DejaVu Sans as the device font
// (editor-preview.png, normal and zoomed), the About box and the icon. Not a test; run it under Xvfb
// or the offscreen platform:
//
//   editor_screenshot FILE.strdef OUTPUT_DIRECTORY [LABEL]
//
// LABEL names the tree item to select (default: the first text that has a line break).

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <string>

#include "editor/BlockTreeModel.h"
#include "editor/CAboutDlg.h"
#include "editor/CKV_string_editorDlg.h"
#include "font/CharacterSet.h"
#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"

namespace orv {
namespace {

// Answers the open dialog with the file and prints every message instead of showing it.
class FixedFilePlatform final : public PlatformServices
{
public:
    explicit FixedFilePlatform(QString path) : Path(std::move(path)) {}
    std::optional<QString> ChooseFileToOpen(QWidget*, const FileDialogRequest&) override { return Path; }
    std::optional<QString> ChooseFileToSave(QWidget*, const FileDialogRequest&) override
    {
        return std::nullopt;
    }
    std::optional<QFont> ChooseFont(QWidget*) override { return std::nullopt; }
    MessageAnswer ShowMessage(QWidget*, const Message& message) override
    {
        std::fprintf(stderr, "message: %s (%s)\n", qPrintable(message.Text), qPrintable(message.Caption));
        return MessageAnswer::No;
    }
    ClipboardOutcome SetClipboardText(const QString&) override { return {}; }
    int RunCommand(const QString&) override { return 0; }

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

int Run(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: editor_screenshot FILE.strdef OUTPUT_DIRECTORY [LABEL]\n");
        return 2;
    }
    const QString file = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    const QDir output(QString::fromLocal8Bit(argv[2]));
    const QString label = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString();

    FixedFilePlatform platform(file);
    CKV_string_editorDlg window(platform);
    window.show();
    QApplication::processEvents();
    window.OnOpen();
    const BlockItem* item = FindItem(window.Document.Tree, label, window.Document.Table);
    if (!item) {
        std::fprintf(stderr, "no such item\n");
        return 1;
    }
    auto* tree = static_cast<QTreeView*>(window.Control(kIdDefinitionsTree));
    const QModelIndex index = window.TreeModel().IndexOf(item);
    tree->setCurrentIndex(index);
    tree->scrollTo(index, QAbstractItemView::PositionAtCenter);
    QTest::qWait(100);
    const bool windowSaved = window.grab().save(output.filePath(QStringLiteral("editor.png")));

    // The preview with a real device font, rendered as "Choose Font" will render it.
    CharacterSet characters;
    for (auto& [key, definition] : window.Document.Table.Definitions)
        characters.AddText(EffectiveText(definition));
    const RenderFontResult rendered =
        RenderFont(window.DeviceFont, characters, OpenFontPattern("DejaVu Sans"));
    if (!rendered.Succeeded())
        std::fprintf(stderr, "no preview font: %s\n", rendered.Message.c_str());
    window.UpdatePreview();
    QTest::qWait(50);
    const bool previewSaved = window.grab().save(output.filePath(QStringLiteral("editor-preview.png")));
    auto* zoomed = static_cast<QCheckBox*>(window.Control(kIdZoomed));
    zoomed->click();
    QTest::qWait(50);
    const bool zoomedSaved = window.grab().save(output.filePath(QStringLiteral("editor-zoomed.png")));

    CAboutDlg about(window.Icon(), &window);
    about.show();
    QTest::qWait(100);
    const bool aboutSaved = about.grab().save(output.filePath(QStringLiteral("about.png")));
    const bool iconSaved = window.Icon().pixmap(256).save(output.filePath(QStringLiteral("icon.png")));
    return windowSaved && previewSaved && zoomedSaved && aboutSaved && iconSaved ? 0 : 1;
}

} // namespace
} // namespace orv

int main(int argc, char** argv)
{
    return orv::Run(argc, argv);
}
