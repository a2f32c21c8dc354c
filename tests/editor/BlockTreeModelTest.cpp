#include "editor/BlockTreeModel.h"

#include <QAbstractItemModelTester>
#include <QTreeView>

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "session/EditorSession.h"
#include "support/TestSupport.h"

namespace orv::test {
namespace {

// The model's view of the tree, printed like DescribeTree prints the tree itself.
void Describe(const QAbstractItemModel& model, const QModelIndex& parent, int depth, std::string& out)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        const BlockItem* item = BlockTreeModel::ItemAt(index);
        out += std::string(std::size_t(depth) * 2, ' ') + model.data(index).toString().toStdString() + " (" +
               std::to_string(item->Data) + ")\n";
        EXPECT_EQ(model.parent(index), parent);
        Describe(model, index, depth + 1, out);
    }
}

std::string Describe(const QAbstractItemModel& model)
{
    std::string out;
    Describe(model, QModelIndex(), 0, out);
    return out;
}

TEST(BlockTreeModel, ShowsTheTreeAsItIsAndPassesTheModelTester)
{
    BlockTree tree;
    DefinitionTable table;
    BuildSample(tree, table);
    BlockTreeModel model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    EXPECT_EQ(Describe(model), DescribeTree(tree));

    const BlockItem* nested = tree.TopLevel(0)->Child(2)->Child(0);
    const QModelIndex index = model.IndexOf(nested);
    EXPECT_EQ(model.data(index).toString(), QStringLiteral("NESTED"));
    EXPECT_EQ(BlockTreeModel::ItemAt(index), nested);
    EXPECT_EQ(model.parent(model.parent(index)), model.index(0, 0));
    EXPECT_EQ(model.flags(index), Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    EXPECT_EQ(model.data(index, Qt::ToolTipRole), QVariant());
    EXPECT_FALSE(model.index(3, 0).isValid());
    EXPECT_FALSE(model.index(0, 1).isValid());

    // A reset around a change of the whole tree, with a view attached, as a load does it.
    QTreeView view;
    view.setModel(&model);
    view.setCurrentIndex(index);
    view.expandAll();
    model.TreeAboutToBeReplaced();
    tree.Clear();
    tree.Append(nullptr, u"Only", 0);
    model.TreeReplaced();
    EXPECT_EQ(Describe(model), "Only (0)\n");
    EXPECT_FALSE(view.currentIndex().isValid());
}

TEST(BlockTreeModel, MovesAreRowMovesOfTheSameItemThatViewsFollow)
{
    EditorSession session;
    BuildSample(session.Document.Tree, session.Document.Table);
    BlockTreeModel model(session.Document.Tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    session.SetTreeListeners(&model, nullptr);
    QTreeView view;
    view.setModel(&model);
    view.expandAll();

    BlockItem* block = session.Document.Tree.TopLevel(0)->Child(2);
    const QPersistentModelIndex followed = model.IndexOf(block);
    const MoveKind kinds[] = {MoveKind::Out, MoveKind::Up, MoveKind::IntoNext, MoveKind::Up, MoveKind::Down};
    for (const MoveKind kind : kinds) {
        ASSERT_TRUE(*session.Move(*block, kind).Value);
        EXPECT_EQ(Describe(model), DescribeTree(session.Document.Tree));
        EXPECT_EQ(BlockTreeModel::ItemAt(followed), block);
        EXPECT_EQ(followed, model.IndexOf(block));
    }
}

} // namespace
} // namespace orv::test
