// Speed of the editor window on large files, measured on the real widgets (offscreen unless a
// platform is named): opening 65,536 definitions until the tree is painted, "Next to be
// translated" over 65,536 items, a keystroke in a 1,023-character translation with the preview and
// the device check under it, the progress count of a block over all texts, and the filter line over
// all texts in the session and in the window.

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <cstdio>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "base/FileIo.h"
#include "editor/MainWindow.h"
#include "editor/TextBox.h"
#include "editor/TreeFilterModel.h"
#include "session/TextFilter.h"
#include "store/DefinitionFile.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

constexpr int kDefinitionCount = 65536;
constexpr int kBlockSize = 256;
constexpr std::size_t kLongTextLength = 1023;

// Opens one fixed file and answers every message with OK, silently.
class BenchPlatform final : public PlatformServices
{
public:
    QString Path;
    int MessageCount = 0;

    std::optional<QString> ChooseFileToOpen(QWidget*, const FileDialogRequest&) override { return Path; }
    std::optional<QString> ChooseFileToSave(QWidget*, const FileDialogRequest&) override
    {
        return std::nullopt;
    }
    std::optional<QFont> ChooseFont(QWidget*) override { return std::nullopt; }
    MessageAnswer ShowMessage(QWidget*, const Message&) override
    {
        ++MessageCount;
        return MessageAnswer::Ok;
    }
    Result<void> SetClipboardText(const QString&) override { return {}; }
    int RunCommand(const QString&) override { return 0; }
};

std::u16string Ascii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// 65,536 definitions; the tree holds blocks of 256 texts for every index but 0, which no tree
// item can name. `untranslated` is the one index left unmarked (0: none).
fs::path WriteLargeFile(const fs::path& path, int untranslated)
{
    BlockTree tree;
    DefinitionTable table;
    BlockItem* block = nullptr;
    for (int index = 0; index < kDefinitionCount; ++index) {
        const std::string number = std::to_string(index);
        table.Definitions[static_cast<std::uint16_t>(index)] =
            StringDefinition{static_cast<std::uint16_t>(index),      Ascii("TEXT_" + number),
                             Ascii("Default text number " + number), Ascii("Uebersetzung Nummer " + number),
                             index == untranslated ? 0u : 1u,        Ascii("Description of text " + number)};
        if (index == 0)
            continue;
        if (!block || block->ChildCount() == kBlockSize)
            block = &tree.Append(nullptr, Ascii("Block " + number), 0);
        tree.Append(block, Ascii("TEXT_" + number), static_cast<std::uint32_t>(index));
    }
    const auto bytes = WriteDefinitionBytes(tree, table);
    if (!WriteFileSafely(path, bytes)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    return path;
}

fs::path BenchDirectory()
{
    static const fs::path directory = [] {
        fs::path path = fs::temp_directory_path() / "orv-editor-bench";
        fs::create_directories(path);
        return path;
    }();
    return directory;
}

// A window with the file open, shown and painted.
struct OpenWindow
{
    BenchPlatform Platform;
    MainWindow Window{Platform};

    explicit OpenWindow(const fs::path& path)
    {
        Platform.Path = QString::fromStdString(path.string());
        Window.show();
        Window.openFile();
        QApplication::processEvents();
    }
    ~OpenWindow() { Window.document().Loaded = false; } // closing saves nothing

    QTreeView* Tree() { return Window.findChild<QTreeView*>("definitionsTree"); }
    void Select(const BlockItem* item) { Tree()->setCurrentIndex(Window.treeModel().IndexOf(item)); }
};

void OpenFileUntilTheTreeIsShown(benchmark::State& state)
{
    const fs::path path = WriteLargeFile(BenchDirectory() / "large.strdef", 0);
    BenchPlatform platform;
    platform.Path = QString::fromStdString(path.string());
    MainWindow window(platform);
    window.show();
    QApplication::processEvents();
    auto* tree = window.findChild<QTreeView*>("definitionsTree");
    for (auto _ : state) {
        window.openFile();
        tree->viewport()->repaint();
        QApplication::processEvents();
    }
    if (window.document().Table.Definitions.size() != kDefinitionCount || platform.MessageCount != 0)
        state.SkipWithError("the file did not load");
    window.document().Loaded = false;
}
BENCHMARK(OpenFileUntilTheTreeIsShown)->Unit(benchmark::kMillisecond);

void NextToBeTranslatedFindingNothing(benchmark::State& state)
{
    OpenWindow open(WriteLargeFile(BenchDirectory() / "translated.strdef", 0));
    open.Select(open.Window.document().Tree.FirstTopLevel());
    for (auto _ : state)
        open.Window.selectNextToBeTranslated(); // a full round, then the message
    state.counters["items"] = static_cast<double>(open.Window.document().Tree.ItemCount());
    if (open.Platform.MessageCount != static_cast<int>(state.iterations()))
        state.SkipWithError("the search found something");
}
BENCHMARK(NextToBeTranslatedFindingNothing)->Unit(benchmark::kMillisecond);

void NextToBeTranslatedFindingTheLastText(benchmark::State& state)
{
    OpenWindow open(WriteLargeFile(BenchDirectory() / "last.strdef", kDefinitionCount - 1));
    const BlockTree& tree = open.Window.document().Tree;
    for (auto _ : state) {
        state.PauseTiming();
        open.Tree()->collapseAll();
        open.Select(tree.FirstTopLevel());
        state.ResumeTiming();
        open.Window.selectNextToBeTranslated(); // walks to the end, expands its block, selects it
        QApplication::processEvents();
    }
    if (open.Window.currentDefinition() != &open.Window.document().Table.Definitions.at(kDefinitionCount - 1))
        state.SkipWithError("the last text was not selected");
}
BENCHMARK(NextToBeTranslatedFindingTheLastText)->Unit(benchmark::kMillisecond);

// The "translated / total" drawn beside a block, for one block over 65,535 texts: what each paint
// of that block's row costs.
void ProgressOfOneBlockOverAllTexts(benchmark::State& state)
{
    EditorSession session;
    BlockItem& block = session.Document.Tree.Append(nullptr, u"All", 0);
    for (int index = 1; index < kDefinitionCount; ++index) {
        StringDefinition& definition =
            session.Document.Table.FindOrAddDefinition(static_cast<std::uint16_t>(index));
        definition.Translated = index % 2;
        session.Document.Tree.Append(&block, u"TEXT", static_cast<std::uint32_t>(index));
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(session.ProgressBelow(block));
    if (session.ProgressBelow(block) != TextProgress{kDefinitionCount / 2, kDefinitionCount - 1})
        state.SkipWithError("wrong count");
}
BENCHMARK(ProgressOfOneBlockOverAllTexts)->Unit(benchmark::kMicrosecond);

// One keystroke in the filter line over 65,536 definitions in blocks of 256 texts, every other one
// translated: a query that few texts match (argument 0) and one that every text matches (1).
void FilterKeystrokeOverAllTexts(benchmark::State& state)
{
    EditorSession session;
    BlockItem* block = nullptr;
    for (int index = 0; index < kDefinitionCount; ++index) {
        const std::string number = std::to_string(index);
        session.Document.Table.Definitions[static_cast<std::uint16_t>(index)] =
            StringDefinition{static_cast<std::uint16_t>(index),
                             Ascii("TEXT_" + number),
                             Ascii("Default text number " + number),
                             Ascii("Uebersetzung Nummer " + number),
                             index % 2 == 0 ? 1u : 0u,
                             Ascii("Description of text " + number)};
        if (index == 0)
            continue;
        if (!block || block->ChildCount() == kBlockSize)
            block = &session.Document.Tree.Append(nullptr, Ascii("Block " + number), 0);
        session.Document.Tree.Append(block, Ascii("TEXT_" + number), static_cast<std::uint32_t>(index));
    }
    const bool common = state.range(0) != 0;
    const TextFilter filter{common ? u"text" : u"nummer 4711", StateFilter::All};
    state.SetLabel(common ? "\"text\"" : "\"nummer 4711\"");
    std::size_t matching = 0;
    for (auto _ : state) {
        const TreeFilterResult result = FilterTree(session, filter);
        matching = result.MatchingTexts();
        benchmark::DoNotOptimize(result);
    }
    // 4711 and 47110 to 47119; every text.
    if (matching != (common ? kDefinitionCount - 1u : 11u))
        state.SkipWithError("wrong matches");
}
BENCHMARK(FilterKeystrokeOverAllTexts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A keystroke in the window's filter line, with the tree filtered, opened to show what was found
// and painted: the last digit of a query typed and taken back, where few texts match (argument 0:
// 11 or 111 texts) or many (1: 11,111 or every text).
void FilterKeystrokeInTheWindow(benchmark::State& state)
{
    const fs::path path = WriteLargeFile(BenchDirectory() / "filter.strdef", 0);
    OpenWindow open(path);
    auto* filter = open.Window.findChild<QLineEdit*>("filterBox");
    const bool many = state.range(0) != 0;
    filter->setText(many ? QStringLiteral("nummer ") : QStringLiteral("nummer 471"));
    filter->setFocus();
    QApplication::processEvents();
    bool typed = false;
    for (auto _ : state) {
        QTest::keyClick(filter, typed ? Qt::Key_Backspace : Qt::Key_1);
        typed = !typed;
        QApplication::processEvents();
    }
    state.SetLabel(many ? "11,111 or every text" : "11 or 111 texts");
}
BENCHMARK(FilterKeystrokeInTheWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Glyphs for printable ASCII, 6 x 9 pixels of grey, advance 7: enough ink to make the preview
// work like a real font does.
RenderedFont AsciiFont()
{
    static const std::vector<std::uint8_t> pixels(6 * 9, 182);
    GlyphTableBuilder builder;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        builder.Add(c, Glyph{7, 0, 6, 6, 9, pixels});
    return builder.Finish();
}

void KeystrokeInALongTranslation(benchmark::State& state)
{
    const fs::path path = WriteLargeFile(BenchDirectory() / "keystroke.strdef", 0);
    OpenWindow open(path);
    open.Window.setDeviceFont(AsciiFont());
    // The device check under the preview measures the text against a maximum, with a face that has
    // every character of it.
    open.Window.session().MaxWidth = 200;
    const CodePointRange ascii[] = {{0x20, 0x7E}};
    open.Window.session().FaceUnits = FaceCoverage(ascii);
    // Text 1 gets a long translation with some line breaks, marked, so that the preview shows it.
    std::u16string text;
    while (text.size() < kLongTextLength)
        text += text.size() % 200 == 100 ? u"\r\n" : u"The quick brown fox jumps over the lazy dog. ";
    text.resize(kLongTextLength);
    text.back() = u'.'; // no trailing blank for the preview to trim
    open.Window.document().Table.Definitions.at(1).Translation = text;
    open.Select(open.Window.document().Tree.FirstTopLevel()->Child(0));
    auto* box = open.Window.findChild<TextBox*>("translationBox");
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    QApplication::processEvents();

    bool typed = false;
    for (auto _ : state) {
        // Alternately a letter and its deletion, each painted with the preview before the next.
        QTest::keyClick(box, typed ? Qt::Key_Backspace : Qt::Key_X);
        typed = !typed;
        QApplication::processEvents();
    }
    const std::size_t length = open.Window.document().Table.Definitions.at(1).Translation.size();
    if (length != kLongTextLength && length != kLongTextLength + 1)
        state.SkipWithError("the keystrokes did not reach the translation");
}
BENCHMARK(KeystrokeInALongTranslation)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace orv

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(orv::BenchDirectory(), ignored);
    return 0;
}
