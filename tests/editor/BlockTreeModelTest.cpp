#include "editor/BlockTreeModel.h"

#include <QAbstractItemModelTester>
#include <QTreeView>

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "session/EditorSession.h"

namespace orv::test {
namespace {

// The model's view of the tree, printed like DescribeTree prints the tree itself.
std::string Describe(const QAbstractItemModel& model, const QModelIndex& parent = {}, int depth = 0)
{
    std::string out;
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        out += std::string(std::size_t(depth) * 2, ' ') + model.data(index).toString().toStdString() + " (" +
               std::to_string(BlockTreeModel::ItemAt(index)->Data) + ")\n" +
               Describe(model, index, depth + 1);
    }
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
    EXPECT_EQ(model.flags(index), Qt::ItemIsEnabled | Qt::ItemIsSelectable);

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
    for (const MoveKind kind :
         {MoveKind::Out, MoveKind::Up, MoveKind::IntoNext, MoveKind::Up, MoveKind::Down}) {
        ASSERT_TRUE(*session.Move(*block, kind).Value);
        EXPECT_EQ(Describe(model), DescribeTree(session.Document.Tree));
        EXPECT_EQ(followed, model.IndexOf(block));
        EXPECT_EQ(BlockTreeModel::ItemAt(followed), block);
    }
}

} // namespace
} // namespace orv::test
