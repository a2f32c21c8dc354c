#include "store/BlockTree.h"

#include <gtest/gtest.h>

#include "StoreSamples.h"

namespace orv {
namespace {

using test::DescribeTree;
using test::TreeFrom;

// Deletes marked items the slow, obvious way: walk in display order, delete the first marked item
// with its subtree, start again from the top, until a walk finds none.
void RemoveByRestartingWalk(BlockTree& tree, std::u16string_view marker)
{
    for (;;) {
        BlockItem* found = tree.FirstTopLevel();
        while (found && found->Label.find(marker) == std::u16string::npos)
            found = found->NextInDisplayOrder();
        if (!found)
            return;
        tree.Remove(*found);
    }
}

TEST(BlockTree, InsertAndRemoveKeepRowsAndLinks)
{
    BlockTree tree;
    BlockItem& a = tree.Append(nullptr, u"a", 0);
    BlockItem& c = tree.Append(nullptr, u"c", 0);
    BlockItem& b = tree.Insert(nullptr, 1, u"b", 0x00010005);
    tree.Append(&b, u"b1", 1);
    tree.Insert(&b, 0, u"b0", 2);
    EXPECT_EQ(DescribeTree(tree), "a (0)\nb (65541)\n  b0 (2)\n  b1 (1)\nc (0)\n");
    // A text item refers to the low 16 bits of its data.
    EXPECT_EQ(std::tuple(b.TextIndex(), b.IsBlock(), a.IsBlock()), std::tuple(5, false, true));
    EXPECT_EQ(std::tuple(b.Parent(), b.Child(1)->Parent()), std::tuple(nullptr, &b));
    EXPECT_EQ(std::tuple(a.PreviousSibling(), a.NextSibling(), c.PreviousSibling(), c.NextSibling()),
              std::tuple(nullptr, &b, &b, nullptr));

    tree.Remove(a);
    EXPECT_EQ(c.Row(), 1u);
    EXPECT_EQ(b.Child(1)->NextInDisplayOrder(), &c);
}

TEST(BlockTree, RemovingMarkedItemsInOnePassMatchesTheRestartingWalk)
{
    for (unsigned seed = 0; seed < 200; ++seed) {
        std::mt19937 random(seed);
        std::mt19937 same = random;
        BlockTree fast;
        BlockTree slow;
        test::FillRandomTree(fast, random, 1 + seed % 60, 5);
        test::FillRandomTree(slow, same, 1 + seed % 60, 5);
        const std::size_t before = fast.ItemCount();
        const std::size_t removed = fast.RemoveItemsContaining(u"UNUSED");
        RemoveByRestartingWalk(slow, u"UNUSED");
        ASSERT_TRUE(fast == slow) << seed << "\n" << DescribeTree(fast) << "vs\n" << DescribeTree(slow);
        EXPECT_EQ(before - removed, fast.ItemCount());
        for (BlockItem* item = fast.FirstTopLevel(); item; item = item->NextInDisplayOrder())
            ASSERT_EQ(fast.Child(item->Parent(), item->Row()), item);
    }
}

TEST(BlockTree, EqualityComparesLabelsDataAndShape)
{
    EXPECT_TRUE(TreeFrom("a(b) c") == TreeFrom("a(b) c"));
    EXPECT_FALSE(TreeFrom("a(b)") == TreeFrom("a b"));
    EXPECT_FALSE(TreeFrom("a b") == TreeFrom("a"));
    EXPECT_FALSE(TreeFrom("a") == TreeFrom("a b"));
    BlockTree other = TreeFrom("a(b)");
    other.FirstTopLevel()->FirstChild()->Data += 1;
    EXPECT_FALSE(TreeFrom("a(b)") == other);
}

} // namespace
} // namespace orv
