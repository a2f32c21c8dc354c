#include "store/BlockTree.h"

#include <random>

#include <gtest/gtest.h>

#include "support/TestSupport.h"

namespace orv {
namespace {

using test::DescribeTree;

// Deletes marked items the slow, obvious way: walk in display order, delete the first marked item
// with its subtree, start again from the top, until a walk finds none.
void RemoveByRestartingWalk(BlockTree& tree, std::u16string_view marker)
{
    for (;;) {
        BlockItem* found = nullptr;
        for (BlockItem* item = tree.FirstTopLevel(); item && !found; item = item->NextInDisplayOrder())
            if (item->Label.find(marker) != std::u16string::npos)
                found = item;
        if (!found)
            return;
        tree.Remove(*found);
    }
}

void FillRandomTree(BlockTree& tree, std::mt19937& random, int itemCount)
{
    std::vector<BlockItem*> items;
    for (int i = 0; i < itemCount; ++i) {
        BlockItem* parent = items.empty() || random() % 4 == 0 ? nullptr : items[random() % items.size()];
        std::u16string label = u"item" + std::u16string(1, char16_t(u'a' + i % 26));
        if (random() % 5 == 0)
            label += u"UNUSED";
        else if (random() % 7 == 0)
            label = u"unused";
        items.push_back(&tree.Append(parent, label, static_cast<std::uint32_t>(i)));
    }
}

TEST(BlockTree, AppendInsertAndRemoveKeepRowsAndOrder)
{
    BlockTree tree;
    BlockItem& a = tree.Append(nullptr, u"a", 0);
    BlockItem& c = tree.Append(nullptr, u"c", 0);
    BlockItem& b = tree.Insert(nullptr, 1, u"b", 0);
    tree.Append(&b, u"b1", 1);
    tree.Insert(&b, 0, u"b0", 2);
    EXPECT_EQ(DescribeTree(tree), "a (0)\nb (0)\n  b0 (2)\n  b1 (1)\nc (0)\n");
    EXPECT_EQ(c.Row(), 2u);
    EXPECT_EQ(b.Child(1)->Parent(), &b);
    EXPECT_EQ(b.Parent(), nullptr);
    EXPECT_EQ(a.NextSibling(), &b);
    EXPECT_EQ(c.PreviousSibling(), &b);
    EXPECT_EQ(c.NextSibling(), nullptr);

    tree.Remove(a);
    EXPECT_EQ(b.Row(), 0u);
    EXPECT_EQ(c.Row(), 1u);
    EXPECT_EQ(tree.ItemCount(), 4u);
    EXPECT_EQ(b.Child(1)->NextInDisplayOrder(), &c);
    tree.Clear();
    EXPECT_TRUE(tree.Empty());
}

TEST(BlockTree, TextItemsReferToTheLowSixteenBits)
{
    BlockItem item(u"t", 0x00010005);
    EXPECT_FALSE(item.IsBlock());
    EXPECT_EQ(item.TextIndex(), 5);
}

TEST(BlockTree, RemovingMarkedItemsInOnePassMatchesTheRestartingWalk)
{
    for (unsigned seed = 0; seed < 200; ++seed) {
        std::mt19937 random(seed);
        BlockTree fast;
        BlockTree slow;
        std::mt19937 copy = random;
        FillRandomTree(fast, random, 1 + seed % 60);
        FillRandomTree(slow, copy, 1 + seed % 60);
        const std::size_t before = fast.ItemCount();
        const std::size_t removed = fast.RemoveItemsContaining(u"UNUSED");
        RemoveByRestartingWalk(slow, u"UNUSED");
        ASSERT_TRUE(fast == slow) << "seed " << seed << "\n"
                                  << DescribeTree(fast) << "vs\n"
                                  << DescribeTree(slow);
        EXPECT_EQ(before - removed, fast.ItemCount());
        // Rows stay consistent after the filtering.
        for (BlockItem* item = fast.FirstTopLevel(); item; item = item->NextInDisplayOrder())
            ASSERT_EQ(fast.Child(item->Parent(), item->Row()), item);
    }
}

TEST(BlockTree, EqualityComparesShapeNotJustTheSequence)
{
    BlockTree nested;
    nested.Append(&nested.Append(nullptr, u"a", 0), u"b", 0);
    BlockTree flat;
    flat.Append(nullptr, u"a", 0);
    flat.Append(nullptr, u"b", 0);
    EXPECT_FALSE(nested == flat);
    BlockTree same;
    same.Append(&same.Append(nullptr, u"a", 0), u"b", 0);
    EXPECT_TRUE(nested == same);
    same.FirstTopLevel()->FirstChild()->Data = 1;
    EXPECT_FALSE(nested == same);
}

TEST(BlockTree, DeepChainsAreFreedWithoutRecursion)
{
    BlockTree tree;
    BlockItem* parent = nullptr;
    for (int level = 0; level < 1000000; ++level)
        parent = &tree.Append(parent, u"", 1);
    EXPECT_EQ(tree.ItemCount(), 1000000u);
    tree.Remove(*tree.FirstTopLevel()->FirstChild());
    EXPECT_EQ(tree.ItemCount(), 1u);
    for (int level = 0; level < 1000000; ++level)
        parent = &tree.Append(level ? parent : nullptr, u"UNUSED", 1);
    EXPECT_EQ(tree.RemoveItemsContaining(u"UNUSED"), 1000000u);
}

} // namespace
} // namespace orv
