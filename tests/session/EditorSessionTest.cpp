#include "session/EditorSession.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"
#include "output/OutputMessages.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv::test {
namespace {

using Calls = std::vector<std::string>;

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Records what a view of the tree would be told; a move as "item->parent row", without a parent at the
// top level.
struct RecordingListener final : TreeListener
{
    Calls Told;

    void TreeAboutToBeReplaced() override { Told.push_back("replacing"); }
    void TreeReplaced() override { Told.push_back("replaced"); }
    void ItemAboutToMove(const BlockItem& item, const BlockItem* parent, std::size_t row) override
    {
        Told.push_back(ToUtf8(item.Label) + "->" + (parent ? ToUtf8(parent->Label) + " " : "") +
                       std::to_string(row));
    }
    void ItemMoved() override { Told.push_back("moved"); }
};

// Each notice as "caption: text".
Calls Shown(const std::vector<Notice>& notices)
{
    Calls shown;
    for (const Notice& notice : notices)
        shown.push_back(notice.Caption + ": " + notice.Text);
    return shown;
}

// Block "Menu" with the texts 1 "Open" (translated "Öffnen") and 2 "Close", then block "Empty".
void WriteSample(const std::filesystem::path& path, std::uint16_t version = 0x110,
                 std::u16string close = u"Close")
{
    BlockTree tree;
    BlockItem& menu = tree.Append(nullptr, u"Menu", 0);
    tree.Append(&menu, u"OPEN", 1);
    tree.Append(&menu, u"CLOSE", 2);
    tree.Append(nullptr, u"Empty", 0);
    DefinitionTable table;
    table.FirmwareVersion = version;
    table.Definitions[1] = {1, u"OPEN", u"Open", u"  \u00D6ffnen ", 1, u""};
    table.Definitions[2] = {2, u"CLOSE", close, u"", 0, u""};
    WriteBytes(path, WriteDefinitionBytes(tree, table));
}

class EditorSessionTest : public ::testing::Test
{
protected:
    EditorSessionTest()
    {
        WriteSample(Directory / "texts.strdef");
        session.SetTreeListeners(&views, &scratchViews);
        EXPECT_TRUE(session.Open(Directory / "texts.strdef"));
        views.Told.clear();
    }

    BlockItem* Item(std::size_t top, std::optional<std::size_t> child = std::nullopt)
    {
        BlockItem* item = session.Document.Tree.TopLevel(top);
        return child ? item->Child(*child) : item;
    }

    TemporaryDirectory Directory;
    RecordingListener views;
    RecordingListener scratchViews;
    EditorSession session;
};

TEST_F(EditorSessionTest, AFileThatCannotBeOpenedChangesNothingAndAnIncompleteOneIsEmptied)
{
    const StringDefinition* shown = session.ShowItem(Item(0, 0));
    EXPECT_FALSE(session.Open(Directory / "missing.strdef"));
    EXPECT_EQ(session.Current(), shown);

    const Bytes bytes = ReadBytes(Directory / "texts.strdef");
    WriteBytes(Directory / "cut.strdef", Bytes(bytes.begin(), bytes.end() - 3));
    const auto cut = session.Open(Directory / "cut.strdef");
    ASSERT_TRUE(cut);
    EXPECT_EQ(Shown(cut.Notices), (Calls{"ERROR: can't load file", "ERROR: Can't load file"}));
    EXPECT_FALSE(cut.Notices[0].Details.empty());
    // What was read stays until the caller empties the session.
    EXPECT_FALSE(session.Document.Table.Definitions.empty());
    session.Clear();
    EXPECT_TRUE(session.Document.Table.Definitions.empty());
    // Every change of the table came with the views told before and after.
    EXPECT_EQ(views.Told, (Calls{"replacing", "replaced", "replacing", "replaced", "replacing", "replaced"}));
}

TEST_F(EditorSessionTest, ShowingATextWithABlankTranslationClearsItsMark)
{
    StringDefinition& close = session.Document.Table.Definitions.at(2);
    close = {2, u"CLOSE", u"Close", u" \t", 1, u""};
    EXPECT_EQ(session.ShowItem(Item(0, 1)), &close);
    EXPECT_EQ(close.Translated, 0u);
    EXPECT_EQ(session.ShowItem(Item(0)), nullptr);
    EXPECT_EQ(session.Current(), nullptr);
}

TEST_F(EditorSessionTest, MergeRefusesTheSameFileByAnyNameOlderFilesAndIncompleteOnesAndTakesANewerOne)
{
    std::filesystem::create_hard_link(Directory / "texts.strdef", Directory / "alias.strdef");
    WriteSample(Directory / "older.strdef", 0x109);
    WriteBytes(Directory / "junk.strdef", {'j', 'u', 'n', 'k'});
    const std::pair<const char*, Calls> cases[] = {
        {"alias.strdef", {"Notification: It's no use merging with the same file that is already loaded"}},
        {"older.strdef",
         {"Notification: The file to be merged (1.09) with is older than the existing (1.10)"}},
        {"junk.strdef", {"ERROR: can't load file", "ERROR: Can't load file for merging"}},
    };
    for (const auto& [name, shown] : cases) {
        const MergeOutcome refused = session.Merge(Directory / name);
        ASSERT_TRUE(refused) << name;
        EXPECT_FALSE(*refused.Value);
        EXPECT_EQ(Shown(refused.Notices), shown);
        EXPECT_TRUE(refused.HasErrorNotice());
    }
    EXPECT_FALSE(session.Merge(Directory / "missing.strdef"));
    EXPECT_EQ(session.Document.Table.Definitions.at(1).Translation, u"  \u00D6ffnen ");

    // A newer file is taken over, and only now are the views of the tree told.
    WriteSample(Directory / "newer.strdef", 0x111, u"Quit");
    session.ShowItem(Item(0, 0));
    scratchViews.Told.clear();
    const MergeOutcome merged = session.Merge(Directory / "newer.strdef");
    ASSERT_TRUE(merged && *merged.Value);
    EXPECT_EQ(session.Document.Table.Definitions.at(2).DefaultText, u"Quit");
    EXPECT_EQ(session.Current(), nullptr);
    EXPECT_EQ(views.Told, (Calls{"replacing", "replaced"}));
    EXPECT_EQ(scratchViews.Told, (Calls{"replacing", "replaced"}));

    // What the merge replaced can be swapped back, with the same items, and in again.
    const BlockItem* open = session.ReplacedByMerge.Tree.TopLevel(0)->Child(0);
    session.SwapContent(session.ReplacedByMerge);
    EXPECT_EQ(Item(0, 0), open);
    EXPECT_EQ(session.Document.Table.Definitions.at(2).DefaultText, u"Close");
    session.SwapContent(session.ReplacedByMerge);
    EXPECT_EQ(session.Document.Table.Definitions.at(2).DefaultText, u"Quit");
}

TEST_F(EditorSessionTest, MovesKeepTheItemAndTellTheViewsWhereItGoes)
{
    BlockItem* close = Item(0, 1);
    EXPECT_TRUE(*session.Move(*close, MoveKind::Up).Value);
    EXPECT_TRUE(*session.Move(*close, MoveKind::Down).Value);
    EXPECT_TRUE(*session.Move(*close, MoveKind::Out).Value);
    EXPECT_EQ(Item(2), close);
    EXPECT_FALSE(*session.Move(*close, MoveKind::Down).Value);
    EXPECT_FALSE(*session.Move(*Item(0), MoveKind::Out).Value);
    // Down counts the row while the item still stands in its place: after the next sibling.
    EXPECT_EQ(views.Told, (Calls{"CLOSE->Menu 0", "moved", "CLOSE->Menu 2", "moved", "CLOSE->2", "moved"}));

    // Back to where a move took it from: further down the same parent, up, into another parent.
    views.Told.clear();
    EXPECT_TRUE(*session.MoveBack(*close, TreePlace{nullptr, 0}).Value);
    EXPECT_TRUE(*session.MoveBack(*close, TreePlace{nullptr, 2}).Value);
    EXPECT_TRUE(*session.MoveBack(*close, TreePlace{Item(0), 1}).Value);
    EXPECT_EQ(Item(0, 1), close);
    EXPECT_EQ(views.Told, (Calls{"CLOSE->0", "moved", "CLOSE->3", "moved", "CLOSE->Menu 1", "moved"}));
    // A place that is gone, or inside the item itself, changes nothing.
    EXPECT_FALSE(*session.MoveBack(*close, TreePlace{Item(0), 3}).Value);
    EXPECT_FALSE(*session.MoveBack(*Item(0), TreePlace{Item(0, 0), 0}).Value);
    EXPECT_EQ(views.Told.size(), 6u);
}

TEST_F(EditorSessionTest, NextTextGoesRoundOnceAndCanSkipTranslatedTexts)
{
    EXPECT_EQ(session.NextText(nullptr, false), Item(0, 0));
    EXPECT_EQ(session.NextText(Item(0, 0), false), Item(0, 1));
    EXPECT_EQ(session.NextText(Item(0, 1), false), Item(0, 0));
    EXPECT_EQ(session.NextText(Item(0, 1), true), Item(0, 1));
    EXPECT_EQ(session.NextText(Item(1), true), Item(0, 1));
    session.Document.Table.Definitions.at(2).Translated = 1;
    EXPECT_EQ(session.NextText(Item(0, 0), true), nullptr);
}

TEST_F(EditorSessionTest, ProgressCountsTheTranslatedTextsAtEveryDepthBelowABlock)
{
    EXPECT_EQ(session.ProgressBelow(*Item(0)), (TextProgress{1, 2}));
    EXPECT_EQ(session.ProgressBelow(*Item(1)), (TextProgress{0, 0}));
    // A nested block's texts count for "Empty" and not for "Menu" before it; a text without a
    // definition is not translated, nor is a block.
    BlockItem& inner = session.Document.Tree.Append(Item(1), u"Inner", 0);
    session.Document.Tree.Append(&inner, u"OPEN", 1);
    session.Document.Tree.Append(Item(1), u"NEW", 9);
    EXPECT_EQ(session.ProgressBelow(*Item(1)), (TextProgress{1, 2}));
    EXPECT_EQ(session.ProgressBelow(*Item(0)), (TextProgress{1, 2}));
    EXPECT_FALSE(session.IsTranslated(*Item(1)) || session.IsTranslated(*Item(1, 1)));
    EXPECT_EQ(session.Document.Table.Definitions.size(), 2u);
}

TEST_F(EditorSessionTest, ATranslatedTextHasAProblemOnceTheDeviceFontLacksOneOfItsCharacters)
{
    StringDefinition& close = session.Document.Table.Definitions.at(2);
    close = {2, u"CLOSE", u"Close", u"\u95DC\u9589", 1, u""};       // a face without CJK has no glyph for it
    EXPECT_EQ(session.StateOf(*Item(0, 1)), TextState::Translated); // no device font yet
    ASSERT_TRUE(session.RenderFont(OpenFontArgument(kDejaVuSans)));
    EXPECT_EQ(session.StateOf(*Item(0, 1)), TextState::TranslatedWithProblem);
    EXPECT_EQ(session.StateOf(*Item(0, 0)), TextState::Translated);
    close.Translated = 0;
    EXPECT_EQ(session.StateOf(*Item(0, 1)), TextState::Untranslated);

    // A file's maximum width makes a wider marked translation a problem too.
    session.ShowItem(Item(0, 0));
    const int width = session.FitOfCurrent(true)->Width;
    ASSERT_GT(width, 0);
    session.MaxWidth = width;
    EXPECT_EQ(session.StateOf(*Item(0, 0)), TextState::Translated);
    session.MaxWidth = width - 1;
    EXPECT_EQ(session.StateOf(*Item(0, 0)), TextState::TranslatedWithProblem);
}

TEST_F(EditorSessionTest, TheCurrentTextFitsTheDeviceAsItsBoxesShowIt)
{
    EXPECT_FALSE(session.FitOfCurrent(true)); // nothing shown
    session.ShowItem(Item(0, 1));
    EXPECT_FALSE(session.FitOfCurrent(true)); // no device font
    ASSERT_TRUE(session.RenderFont(OpenFontArgument(kDejaVuSans)));
    // Typed and not yet marked in the table: the box's mark decides which text the device shows.
    session.Current()->Translation = u"Schließen 關";
    const DeviceFit typed = *session.FitOfCurrent(true);
    EXPECT_EQ(typed.Missing, std::vector<char16_t>{u'\u95DC'});
    EXPECT_EQ(typed.SpecialCodes, (std::vector<SpecialCodeCount>{{u'\u0007', 0, 1}}));
    const DeviceFit unmarked = *session.FitOfCurrent(false);
    EXPECT_TRUE(unmarked.Missing.empty() && unmarked.SpecialCodes.empty());
    EXPECT_EQ(session.Current()->Translated, 0u);
    // "ß" came after the rendering: the width counts it once the font is rendered again.
    EXPECT_TRUE(session.NeedsRenderingFor(session.Current()->Translation));
    EXPECT_FALSE(session.NeedsRenderingFor(u"Close\r\n\u0007\u25A1\uFFFC"));
    ASSERT_TRUE(session.RenderFont(OpenFontArgument(kDejaVuSans), session.Current()->Translation));
    EXPECT_FALSE(session.NeedsRenderingFor(session.Current()->Translation));
    EXPECT_GT(session.FitOfCurrent(true)->Width, typed.Width);
    EXPECT_LT(unmarked.Width, typed.Width);
}

TEST_F(EditorSessionTest, ExportIsRefusedWithoutAFontAndTrimsWhatItExports)
{
    const auto noFont = session.CheckExport();
    EXPECT_FALSE(*noFont.Value);
    EXPECT_EQ(noFont.Notices.at(0).Text, kChooseFontFirstMessage);
    session.Font.FaceName = u"DejaVu Sans";
    const auto tooFew = session.CheckExport();
    EXPECT_FALSE(*tooFew.Value);
    EXPECT_EQ(tooFew.Notices.at(0).Text, TooFewTranslatedMessage(1));

    session.Document.Table.Definitions.at(2).Translation = u"Schlie\u00DFen";
    session.Document.Table.Definitions.at(2).Translated = 1;
    EXPECT_TRUE(*session.CheckExport().Value);
    ASSERT_TRUE(session.RenderFont(OpenFontArgument(kDejaVuSans)));
    EXPECT_FALSE(session.FontCoverage.empty());
    EXPECT_TRUE(session.Export(Directory / "out.ovtx"));
    EXPECT_EQ(session.Document.Table.Definitions.at(1).Translation, u"\u00D6ffnen");
    EXPECT_FALSE(ReadBytes(Directory / "out.ovtx").empty());
    // A failure to write is the export's error.
    std::filesystem::create_directory(Directory / "folder.ovtx");
    EXPECT_FALSE(session.Export(Directory / "folder.ovtx"));
}

TEST_F(EditorSessionTest, RenderingFailuresKeepTheirMessageAndSayWhatFailed)
{
    const auto missing = session.RenderFont(Fail(ErrorCode::OpenFailed, "no such font"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Value.error().Message, "no such font");

    std::u16string many;
    for (char16_t unit = 0x4E00; unit < 0x4E00 + 5000; ++unit)
        many += unit;
    const auto tooMany = session.RenderFont(OpenFontArgument(kDejaVuSans), many);
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(std::tie(tooMany.Value.error().Code, tooMany.Value.error().Message),
              std::tuple(ErrorCode::OutOfRange, kTooManyCharactersMessage));
    // The table's own texts are rendered in the face, stored translations untouched.
    EXPECT_EQ(*session.RenderFont(OpenFontArgument(kDejaVuSans)).Value,
              session.TextCharacters().CodePoints().size());
    EXPECT_EQ(session.Document.Table.Definitions.at(1).Translation, u"  \u00D6ffnen ");
}

TEST_F(EditorSessionTest, GenerationWritesTheSourcesAndSaysWhetherToRunTheScript)
{
    const auto generated = session.GenerateSources(Directory.Path());
    EXPECT_TRUE(generated.Value.value_or(false));
    EXPECT_TRUE(std::filesystem::exists(Directory / "fw_textIDs.h"));
}

} // namespace
} // namespace orv::test
