#include "session/EditorSession.h"

#include <gtest/gtest.h>

#include "font/FreeTypeRasteriser.h"
#include "font/RenderFont.h"
#include "output/OutputMessages.h"
#include "store/DefinitionFile.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::TemporaryDirectory;

constexpr const char* kDejaVuSans = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

// Records what a view of the tree would be told.
struct RecordingListener final : TreeListener
{
    std::vector<std::string> Calls;
    const BlockItem* MovedItem = nullptr;
    const BlockItem* MoveParent = nullptr;
    std::size_t MoveRow = 0;

    void TreeAboutToBeReplaced() override { Calls.push_back("replacing"); }
    void TreeReplaced() override { Calls.push_back("replaced"); }
    void ItemAboutToMove(const BlockItem& item, const BlockItem* parent, std::size_t row) override
    {
        Calls.push_back("moving");
        MovedItem = &item;
        MoveParent = parent;
        MoveRow = row;
    }
    void ItemMoved() override { Calls.push_back("moved"); }
};

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
    test::WriteBytes(path, WriteDefinitionBytes(tree, table));
}

class EditorSessionTest : public ::testing::Test
{
protected:
    EditorSessionTest()
    {
        WriteSample(Directory / "texts.strdef");
        session.SetTreeListeners(&views, &scratchViews);
        EXPECT_TRUE(session.Open(Directory / "texts.strdef"));
        views.Calls.clear();
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
    const auto missing = session.Open(Directory / "missing.strdef");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Value.error().Code, ErrorCode::OpenFailed);
    EXPECT_EQ(session.Current(), shown);
    EXPECT_EQ(session.Document.FilePath, Directory / "texts.strdef");
    EXPECT_TRUE(session.Document.Loaded);
    EXPECT_EQ(session.Document.Table.Definitions.size(), 2u);

    test::Bytes bytes = test::ReadBytes(Directory / "texts.strdef");
    bytes.resize(bytes.size() - 3);
    test::WriteBytes(Directory / "cut.strdef", bytes);
    const auto cut = session.Open(Directory / "cut.strdef");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut.Value->Status, ReadResult::ReadFailed);
    ASSERT_EQ(cut.Notices.size(), 2u);
    EXPECT_EQ(cut.Notices[0].Text, "can't load file");
    EXPECT_FALSE(cut.Notices[0].Details.empty());
    EXPECT_EQ(cut.Notices[1].Text, kCantLoadFileMessage);
    EXPECT_FALSE(session.Document.Loaded);
    EXPECT_FALSE(session.Document.Table.Definitions.empty());
    session.Clear();
    EXPECT_TRUE(session.Document.Table.Definitions.empty());
    EXPECT_TRUE(session.Document.Tree.Empty());
    EXPECT_EQ(session.Current(), nullptr);
    // Every change of the table came with the views told before and after.
    EXPECT_EQ(views.Calls, (std::vector<std::string>{"replacing", "replaced", "replacing", "replaced",
                                                     "replacing", "replaced"}));
}

TEST_F(EditorSessionTest, ShowingATextWithABlankTranslationClearsItsMark)
{
    StringDefinition& close = session.Document.Table.Definitions.at(2);
    close.Translated = 1;
    close.Translation = u" \t";
    EXPECT_EQ(session.ShowItem(Item(0, 1)), &close);
    EXPECT_EQ(close.Translated, 0u);
    EXPECT_EQ(session.ShowItem(Item(0)), nullptr);
    EXPECT_EQ(session.Current(), nullptr);
}

TEST_F(EditorSessionTest, MergeRefusesTheSameFileByAnyNameOlderFilesAndIncompleteOnes)
{
    std::filesystem::create_hard_link(Directory / "texts.strdef", Directory / "alias.strdef");
    const MergeOutcome same = session.Merge(Directory / "alias.strdef");
    ASSERT_TRUE(same);
    EXPECT_FALSE(*same.Value);
    ASSERT_EQ(same.Notices.size(), 1u);
    EXPECT_EQ(same.Notices[0].Text, kMergeSameFileMessage);
    EXPECT_EQ(same.Notices[0].Caption, "Notification");
    EXPECT_EQ(same.Notices[0].Level, Severity::Error);

    WriteSample(Directory / "older.strdef", 0x109);
    const MergeOutcome older = session.Merge(Directory / "older.strdef");
    ASSERT_TRUE(older);
    EXPECT_FALSE(*older.Value);
    EXPECT_EQ(older.Notices.at(0).Text, MergeOlderVersionMessage(0x109, 0x110));

    test::WriteBytes(Directory / "junk.strdef", {'j', 'u', 'n', 'k'});
    const MergeOutcome junk = session.Merge(Directory / "junk.strdef");
    ASSERT_TRUE(junk);
    EXPECT_FALSE(*junk.Value);
    ASSERT_EQ(junk.Notices.size(), 2u);
    EXPECT_EQ(junk.Notices[0].Text, "can't load file");
    EXPECT_EQ(junk.Notices[1].Text, kMergeReadFailedMessage);
    EXPECT_TRUE(junk.HasErrorNotice());

    EXPECT_FALSE(session.Merge(Directory / "missing.strdef"));
    EXPECT_TRUE(views.Calls.empty());
    EXPECT_EQ(session.Document.Table.Definitions.at(1).Translation, u"  \u00D6ffnen ");
}

TEST_F(EditorSessionTest, MergeTakesTheNewerFileAndKeepsTheTranslations)
{
    WriteSample(Directory / "newer.strdef", 0x111, u"Quit");
    session.ShowItem(Item(0, 0));
    const MergeOutcome merged = session.Merge(Directory / "newer.strdef");
    ASSERT_TRUE(merged);
    ASSERT_TRUE(*merged.Value);
    EXPECT_EQ((*merged.Value)->Added, 0u);
    EXPECT_EQ(session.Document.Table.FirmwareVersion, 0x111);
    EXPECT_EQ(session.Document.Table.Definitions.at(2).DefaultText, u"Quit");
    EXPECT_EQ(session.Document.Table.Definitions.at(1).Translated, 1u);
    EXPECT_EQ(session.Current(), nullptr);
    EXPECT_EQ(views.Calls, (std::vector<std::string>{"replacing", "replaced"}));
    EXPECT_EQ(scratchViews.Calls, (std::vector<std::string>{"replacing", "replaced"}));
}

TEST_F(EditorSessionTest, MovesKeepTheItemAndTellTheViewsWhereItGoes)
{
    BlockItem* close = Item(0, 1);
    const auto up = session.Move(*close, MoveKind::Up);
    ASSERT_TRUE(up);
    EXPECT_TRUE(*up.Value);
    EXPECT_EQ(Item(0, 0), close);
    EXPECT_EQ(views.MovedItem, close);
    EXPECT_EQ(views.MoveParent, Item(0));
    EXPECT_EQ(views.MoveRow, 0u);

    // Down counts the row while the item still stands in its place: after the next sibling.
    ASSERT_TRUE(*session.Move(*close, MoveKind::Down).Value);
    EXPECT_EQ(views.MoveRow, 2u);
    EXPECT_EQ(Item(0, 1), close);

    ASSERT_TRUE(*session.Move(*close, MoveKind::Out).Value);
    EXPECT_EQ(views.MoveParent, nullptr);
    EXPECT_EQ(views.MoveRow, 2u);
    EXPECT_EQ(Item(2), close);

    views.Calls.clear();
    EXPECT_FALSE(*session.Move(*close, MoveKind::Down).Value);
    EXPECT_FALSE(*session.Move(*Item(0), MoveKind::Out).Value);
    EXPECT_TRUE(views.Calls.empty());
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
    const auto rendered = session.RenderFont(OpenFontArgument(kDejaVuSans));
    ASSERT_TRUE(rendered);
    EXPECT_FALSE(session.FontCoverage.empty());
    EXPECT_TRUE(session.Export(Directory / "out.ovtx"));
    EXPECT_EQ(session.Document.Table.Definitions.at(1).Translation, u"\u00D6ffnen");
    EXPECT_FALSE(test::ReadBytes(Directory / "out.ovtx").empty());

    std::filesystem::create_directory(Directory / "folder.ovtx");
    const auto failed = session.Export(Directory / "folder.ovtx");
    ASSERT_FALSE(failed);
    EXPECT_TRUE(std::filesystem::is_empty(Directory / "folder.ovtx"));
}

TEST_F(EditorSessionTest, RenderingFailuresKeepTheirMessageAndSayWhatFailed)
{
    const auto missing = session.RenderFont(Fail(ErrorCode::OpenFailed, "no such font"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.Value.error().Code, ErrorCode::OpenFailed);
    EXPECT_EQ(missing.Value.error().Message, "no such font");

    std::u16string many;
    for (char16_t unit = 0x4E00; unit < 0x4E00 + 5000; ++unit)
        many += unit;
    const auto tooMany = session.RenderFont(OpenFontArgument(kDejaVuSans), many);
    ASSERT_FALSE(tooMany);
    EXPECT_EQ(tooMany.Value.error().Code, ErrorCode::OutOfRange);
    EXPECT_EQ(tooMany.Value.error().Message, kTooManyCharactersMessage);
    // The table's own texts are rendered in the face, stored translations untouched.
    EXPECT_EQ(*session.RenderFont(OpenFontArgument(kDejaVuSans)).Value,
              session.TextCharacters().CodePoints().size());
    EXPECT_EQ(session.Document.Table.Definitions.at(1).Translation, u"  \u00D6ffnen ");
}

TEST_F(EditorSessionTest, GenerationWritesBothFilesAndSaysWhetherToRunTheScript)
{
    const auto generated = session.GenerateSources(Directory.Path());
    ASSERT_TRUE(generated);
    EXPECT_TRUE(*generated.Value);
    EXPECT_TRUE(generated.Notices.empty());
    EXPECT_TRUE(std::filesystem::exists(Directory / "fw_textIDs.h"));
    EXPECT_TRUE(std::filesystem::exists(Directory / "texts.bin"));
}

} // namespace
} // namespace orv
