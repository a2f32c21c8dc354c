#include "store/BlockTree.h"

#include <gtest/gtest.h>

#include "StoreSamples.h"

namespace orv::test {
namespace {

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

TEST(BlockTree, RemovingMarkedItemsTakesTheirSubtreesAndRenumbersWhatStays)
{
    // Marked siblings side by side, first and last in their list, inside marked and kept items; the
    // marker is matched with its case.
    BlockTree tree = TreeFrom("xUNUSED(aUNUSED(b)) UNUSEDy c(UNUSED d(e unused fUNUSED(g)) h UNUSED) i");
    EXPECT_EQ(tree.RemoveItemsContaining(u"UNUSED"), 8u);
    EXPECT_TRUE(tree == TreeFrom("c(d(e unused) h) i")) << DescribeTree(tree);
    for (BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder())
        EXPECT_EQ(tree.Child(item->Parent(), item->Row()), item);
}

TEST(BlockTree, EqualityComparesLabelsDataAndShape)
{
    EXPECT_FALSE(TreeFrom("a(b)") == TreeFrom("a b"));
    EXPECT_FALSE(TreeFrom("a b") == TreeFrom("a"));
    EXPECT_FALSE(TreeFrom("a") == TreeFrom("a b"));
    BlockTree other = TreeFrom("a(b)");
    other.FirstTopLevel()->FirstChild()->Data += 1;
    EXPECT_FALSE(TreeFrom("a(b)") == other);
}

} // namespace
} // namespace orv::test
