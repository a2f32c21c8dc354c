// Moving the selected tree item with its subtree: where each move puts it, what the window shows
// afterwards, and that the view follows row by row, keeping the state of everything else.

#include <QAbstractItemModelTester>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <set>

#include "EditorWindowTest.h"
#include "editor/BlockTreeModel.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;

using Handler = void (CKV_string_editorDlg::*)();

Handler HandlerOf(MoveKind kind)
{
    switch (kind) {
    case MoveKind::Up:
        return &CKV_string_editorDlg::OnMoveUp;
    case MoveKind::Down:
        return &CKV_string_editorDlg::OnMoveDown;
    case MoveKind::Out:
        return &CKV_string_editorDlg::OnMoveOut;
    case MoveKind::IntoNext:
        return &CKV_string_editorDlg::OnMoveIntoNext;
    }
    return nullptr;
}

const char* NameOf(MoveKind kind)
{
    switch (kind) {
    case MoveKind::Up:
        return "up";
    case MoveKind::Down:
        return "down";
    case MoveKind::Out:
        return "out";
    case MoveKind::IntoNext:
        return "into next";
    }
    return "?";
}

// Every model index below `parent`, with its label; the trees here are small.
void CollectIndexes(const QAbstractItemModel& model, const QModelIndex& parent,
                    std::vector<QModelIndex>& indexes)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        indexes.push_back(index);
        CollectIndexes(model, index, indexes);
    }
}

class WindowMoves : public EditorWindowTest
{
protected:
    void SetUp() override
    {
        EditorWindowTest::SetUp();
        // The model is checked through every change the tests make.
        Tester = std::make_unique<QAbstractItemModelTester>(
            &Window->TreeModel(), QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    void TearDown() override
    {
        Tester.reset();
        EditorWindowTest::TearDown();
    }

    // The tree of the move tests (indexes in parentheses, blocks 0); every text has a definition
    // with a translation, so that showing it changes nothing in the table:
    //   A (0)          A1 (1)   A2 (0) [ A2a (2) [ A2a1 (3) ]   A2b (0) ]   A3 (4)
    //   B (5)
    //   C (0)          C1 (6)
    void OpenMoveFile()
    {
        BlockTree tree;
        BlockItem& a = tree.Append(nullptr, u"A", 0);
        tree.Append(&a, u"A1", 1);
        BlockItem& a2 = tree.Append(&a, u"A2", 0);
        BlockItem& a2a = tree.Append(&a2, u"A2a", 2);
        tree.Append(&a2a, u"A2a1", 3);
        tree.Append(&a2, u"A2b", 0);
        tree.Append(&a, u"A3", 4);
        tree.Append(nullptr, u"B", 5);
        BlockItem& c = tree.Append(nullptr, u"C", 0);
        tree.Append(&c, u"C1", 6);
        DefinitionTable table;
        for (std::uint16_t index = 1; index <= 6; ++index) {
            const std::u16string name = u"T" + std::u16string(1, char16_t(u'0' + index));
            table.Definitions[index] =
                StringDefinition{index, name, u"Text " + name, u"Text " + name, 1, u""};
        }
        WriteDefinitionFile(Directory / "moves.strdef", tree, table);
        // Read in without "Open", which would ask about the moves of the case before.
        ASSERT_TRUE(Window->OpenDefinitionFile(fs::absolute(Directory / "moves.strdef")));
        ASSERT_TRUE(Window->Document.Loaded);
    }

    // The labels of the expanded items.
    std::set<QString> ExpandedLabels() const
    {
        std::vector<QModelIndex> indexes;
        CollectIndexes(Window->TreeModel(), QModelIndex(), indexes);
        std::set<QString> labels;
        for (const QModelIndex& index : indexes) {
            if (Tree()->isExpanded(index))
                labels.insert(index.data().toString());
        }
        return labels;
    }

    // The labels of `index` and everything below it.
    std::set<QString> SubtreeLabels(const QModelIndex& index) const
    {
        std::vector<QModelIndex> indexes{index};
        CollectIndexes(Window->TreeModel(), index, indexes);
        std::set<QString> labels;
        for (const QModelIndex& each : indexes)
            labels.insert(each.data().toString());
        return labels;
    }

    std::unique_ptr<QAbstractItemModelTester> Tester;
};

struct MoveCase
{
    const char* Label;
    MoveKind Kind;
    const char* Tree; // the tree afterwards; nullptr: the move is not possible
};

const char* const kBefore = "A (0)\n"
                            "  A1 (1)\n"
                            "  A2 (0)\n"
                            "    A2a (2)\n"
                            "      A2a1 (3)\n"
                            "    A2b (0)\n"
                            "  A3 (4)\n"
                            "B (5)\n"
                            "C (0)\n"
                            "  C1 (6)\n";

const MoveCase kMoveCases[] = {
    // Up: the middle child with its subtree swaps with the first; the first child and the first
    // top-level item cannot go up; the last top-level item swaps with the text before it.
    {"A2", MoveKind::Up,
     "A (0)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n  A1 (1)\n  A3 (4)\nB (5)\nC (0)\n  C1 "
     "(6)\n"},
    {"A1", MoveKind::Up, nullptr},
    {"A", MoveKind::Up, nullptr},
    {"C", MoveKind::Up,
     "A (0)\n  A1 (1)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n  A3 (4)\nC (0)\n  C1 (6)\nB "
     "(5)\n"},
    {"A2b", MoveKind::Up,
     "A (0)\n  A1 (1)\n  A2 (0)\n    A2b (0)\n    A2a (2)\n      A2a1 (3)\n  A3 (4)\nB (5)\nC (0)\n  C1 "
     "(6)\n"},
    // Down: the first child swaps with the block after it; the last child and the last top-level
    // item cannot go down; the first top-level block with its whole subtree moves past a text.
    {"A1", MoveKind::Down,
     "A (0)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n  A1 (1)\n  A3 (4)\nB (5)\nC (0)\n  C1 "
     "(6)\n"},
    {"A3", MoveKind::Down, nullptr},
    {"C", MoveKind::Down, nullptr},
    {"A2a1", MoveKind::Down, nullptr},
    {"A", MoveKind::Down,
     "B (5)\nA (0)\n  A1 (1)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n  A3 (4)\nC (0)\n  C1 "
     "(6)\n"},
    // Out: a text two levels deep, with a child of its own, becomes the last child of its
    // grandparent, after all of the grandparent's children; a text under a top-level block
    // becomes the last top-level item; a top-level item cannot go out.
    {"A2a", MoveKind::Out,
     "A (0)\n  A1 (1)\n  A2 (0)\n    A2b (0)\n  A3 (4)\n  A2a (2)\n    A2a1 (3)\nB (5)\nC (0)\n  C1 (6)\n"},
    {"A1", MoveKind::Out,
     "A (0)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n  A3 (4)\nB (5)\nC (0)\n  C1 (6)\nA1 (1)\n"},
    {"C1", MoveKind::Out,
     "A (0)\n  A1 (1)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n  A3 (4)\nB (5)\nC (0)\nC1 (6)\n"},
    {"B", MoveKind::Out, nullptr},
    // Into next: a text becomes the last child of the block after it; a block becomes the child of
    // the text after it; a text goes into the block after it; the last child has no next sibling.
    {"A1", MoveKind::IntoNext,
     "A (0)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n    A1 (1)\n  A3 (4)\nB (5)\nC (0)\n  C1 "
     "(6)\n"},
    {"A", MoveKind::IntoNext,
     "B (5)\n  A (0)\n    A1 (1)\n    A2 (0)\n      A2a (2)\n        A2a1 (3)\n      A2b (0)\n    A3 (4)\nC "
     "(0)\n  C1 "
     "(6)\n"},
    {"B", MoveKind::IntoNext,
     "A (0)\n  A1 (1)\n  A2 (0)\n    A2a (2)\n      A2a1 (3)\n    A2b (0)\n  A3 (4)\nC (0)\n  C1 (6)\n  B "
     "(5)\n"},
    {"A3", MoveKind::IntoNext, nullptr},
    {"C", MoveKind::IntoNext, nullptr},
};

TEST_F(WindowMoves, EveryMovePutsTheItemWithItsSubtreeInItsPlace)
{
    for (const MoveCase& move : kMoveCases) {
        SCOPED_TRACE(std::string(move.Label) + " " + NameOf(move.Kind));
        OpenMoveFile();
        ASSERT_EQ(DescribeTree(Window->Document.Tree), kBefore);
        // Blocks A2 and C open, the others closed (the click opens the moved item's ancestors).
        Tree()->collapseAll();
        Tree()->expand(Window->TreeModel().index(2, 0));
        Tree()->expand(Window->TreeModel().index(1, 0, Window->TreeModel().index(0, 0)));
        ClickTreeItem(Tree(), QString::fromLatin1(move.Label));
        ASSERT_EQ(SelectedLabel(Tree()), QString::fromLatin1(move.Label));
        const std::set<QString> moving = SubtreeLabels(Tree()->currentIndex());
        const std::set<QString> expandedBefore = ExpandedLabels();
        const DefinitionTable tableBefore = Window->Document.Table;
        const StringDefinition* shownBefore = Window->CurrentDefinition;

        QSignalSpy inserted(&Window->TreeModel(), &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&Window->TreeModel(), &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&Window->TreeModel(), &QAbstractItemModel::modelReset);
        QSignalSpy layout(&Window->TreeModel(), &QAbstractItemModel::layoutChanged);
        (Window.get()->*HandlerOf(move.Kind))();

        EXPECT_EQ(reset.count(), 0);
        EXPECT_EQ(layout.count(), 0);
        EXPECT_EQ(Window->Document.Table, tableBefore);
        EXPECT_EQ(SelectedLabel(Tree()), QString::fromLatin1(move.Label));
        if (!move.Tree) {
            EXPECT_EQ(DescribeTree(Window->Document.Tree), kBefore);
            EXPECT_EQ(inserted.count(), 0);
            EXPECT_EQ(removed.count(), 0);
            EXPECT_EQ(ExpandedLabels(), expandedBefore);
            EXPECT_EQ(Window->CurrentDefinition, shownBefore);
            continue;
        }
        EXPECT_EQ(DescribeTree(Window->Document.Tree), move.Tree);
        EXPECT_EQ(inserted.count(), 1);
        EXPECT_EQ(removed.count(), 1);

        // The new item is selected, shown and collapsed with all of its subtree; the tree has the
        // keyboard focus; a text's definition is in the boxes.
        const QModelIndex current = Tree()->currentIndex();
        EXPECT_TRUE(Tree()->selectionModel()->isSelected(current));
        EXPECT_FALSE(Tree()->visualRect(current).isEmpty());
        EXPECT_TRUE(Tree()->hasFocus());
        const BlockItem* item = BlockTreeModel::ItemAt(current);
        ASSERT_TRUE(item);
        if (item->IsBlock()) {
            EXPECT_EQ(Window->CurrentDefinition, nullptr);
            EXPECT_EQ(Get<QLineEdit>(kIdIndexBox)->text(), QStringLiteral("-"));
        } else {
            EXPECT_EQ(Window->CurrentDefinition, &Definition(item->TextIndex()));
            EXPECT_EQ(Get<QLineEdit>(kIdIndexBox)->text(), QString::number(item->TextIndex()));
            EXPECT_EQ(ToQString(TranslationBox()->Text()),
                      ToQString(Definition(item->TextIndex()).Translation));
        }

        // Every other item keeps its state; only the new item's ancestors may have been opened to
        // show it.
        std::set<QString> ancestors;
        for (QModelIndex parent = current.parent(); parent.isValid(); parent = parent.parent())
            ancestors.insert(parent.data().toString());
        const std::set<QString> expandedAfter = ExpandedLabels();
        for (const QString& label : SubtreeLabels(current))
            EXPECT_FALSE(expandedAfter.count(label)) << label.toStdString() << " is expanded";
        for (const QString& label : expandedBefore) {
            if (!moving.count(label)) {
                EXPECT_TRUE(expandedAfter.count(label)) << label.toStdString() << " was closed";
            }
        }
        for (const QString& label : expandedAfter) {
            EXPECT_TRUE(expandedBefore.count(label) || ancestors.count(label))
                << label.toStdString() << " was opened";
        }
    }
}

TEST_F(WindowMoves, NothingSelectedNothingMoves)
{
    OpenMoveFile();
    QSignalSpy inserted(&Window->TreeModel(), &QAbstractItemModel::rowsInserted);
    for (MoveKind kind : {MoveKind::Up, MoveKind::Down, MoveKind::Out, MoveKind::IntoNext})
        (Window.get()->*HandlerOf(kind))();
    EXPECT_EQ(DescribeTree(Window->Document.Tree), kBefore);
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_FALSE(Tree()->currentIndex().isValid());
}

TEST_F(WindowMoves, TheNeighbourLeftBehindIsNeverShown)
{
    // Were the old item's selection handed to its neighbour on the way, showing ALM_GHOST would
    // add a definition for index 9, and showing NESTED would unmark its blank translation.
    OpenSample();
    ClickTreeItem(Tree(), QStringLiteral("ALM_HIGH"));
    const DefinitionTable before = Window->Document.Table;
    Window->OnMoveDown();
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("ALM_HIGH"));
    ClickTreeItem(Tree(), QStringLiteral("Nested"));
    Window->OnMoveUp();
    Window->OnMoveOut();
    EXPECT_EQ(Window->Document.Table, before);
    EXPECT_EQ(Window->Document.Table.Definitions.count(9), 0u);
    EXPECT_EQ(Definition(3).Translated, 1u);
    EXPECT_EQ(DescribeTree(Window->Document.Tree), "Menu (0)\n"
                                                   "  MENU_MAIN (1)\n"
                                                   "  MENU_BACK (2)\n"
                                                   "Alarms (0)\n"
                                                   "  ALM_GHOST (9)\n"
                                                   "  ALM_HIGH (4)\n"
                                                   "Units (0)\n"
                                                   "  UNIT_C (6)\n"
                                                   "Nested (0)\n"
                                                   "  NESTED (3)\n");
}

TEST_F(WindowMoves, TheRestOfTheTreeKeepsItsScrollPositionAndExpansion)
{
    BlockTree tree;
    DefinitionTable table;
    for (std::uint16_t row = 0; row < 60; ++row) {
        const std::u16string label = u"R" + ToU16(QString::number(row));
        BlockItem& block = tree.Append(nullptr, label, 0);
        tree.Append(&block, label + u"_T", row + 1u);
        table.Definitions[row + 1u] = StringDefinition{std::uint16_t(row + 1u), label, u"x", u"y", 1, u""};
    }
    WriteDefinitionFile(Directory / "long.strdef", tree, table);
    Open(QString::fromStdString(fs::absolute(Directory / "long.strdef").string()));
    BlockTreeModel& model = Window->TreeModel();
    Tree()->expand(model.index(20, 0));
    Tree()->expand(model.index(27, 0));
    Tree()->expand(model.index(50, 0));
    Tree()->scrollTo(model.index(30, 0), QAbstractItemView::PositionAtCenter);
    const int scrolled = Tree()->verticalScrollBar()->value();
    ASSERT_GT(scrolled, 0);

    ClickTreeItem(Tree(), QStringLiteral("R28"));
    ASSERT_EQ(Tree()->verticalScrollBar()->value(), scrolled);
    Window->OnMoveUp();
    EXPECT_EQ(SelectedLabel(Tree()), QStringLiteral("R28"));
    EXPECT_EQ(Tree()->currentIndex().row(), 27);
    EXPECT_EQ(Tree()->verticalScrollBar()->value(), scrolled);
    EXPECT_TRUE(Tree()->isExpanded(model.index(20, 0)));
    EXPECT_TRUE(Tree()->isExpanded(model.index(28, 0))); // R27, one row further down now
    EXPECT_EQ(model.index(28, 0).data().toString(), QStringLiteral("R27"));
    EXPECT_TRUE(Tree()->isExpanded(model.index(50, 0)));
    EXPECT_FALSE(Tree()->isExpanded(model.index(27, 0)));
}

TEST_F(WindowMoves, ADeepSubtreeMovesWhole)
{
    // A chain far deeper than any call stack would survive one call per level.
    constexpr std::size_t kDepth = 100'000;
    BlockTree tree;
    BlockItem* parent = &tree.Append(nullptr, u"Deep", 0);
    for (std::size_t level = 1; level < kDepth; ++level)
        parent = &tree.Append(parent, u"L", static_cast<std::uint32_t>(level % 3 == 0 ? 0 : level));
    tree.Append(nullptr, u"After", 0);
    DefinitionTable table;
    WriteDefinitionFile(Directory / "deep.strdef", tree, table);
    Open(QString::fromStdString(fs::absolute(Directory / "deep.strdef").string()));
    ASSERT_TRUE(Window->Document.Loaded);

    ClickTreeItem(Tree(), QStringLiteral("Deep"));
    Window->OnMoveDown();
    Window->OnMoveIntoNext(); // into nothing: Deep is last now
    ASSERT_EQ(Window->Document.Tree.TopLevelCount(), 2u);
    EXPECT_EQ(Window->Document.Tree.TopLevel(0)->Label, u"After");
    const BlockItem* item = Window->Document.Tree.TopLevel(1);
    EXPECT_EQ(BlockTreeModel::ItemAt(Tree()->currentIndex()), item);
    EXPECT_EQ(item->Label, u"Deep");
    std::size_t depth = 1;
    bool same = true;
    for (const BlockItem* child = item->FirstChild(); child; child = child->FirstChild(), ++depth) {
        same = same && child->ChildCount() <= 1 && child->Label == u"L" &&
               child->Data == (depth % 3 == 0 ? 0 : depth);
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_TRUE(same);
    EXPECT_FALSE(Tree()->isExpanded(Tree()->currentIndex()));
}

} // namespace
} // namespace orv::test
