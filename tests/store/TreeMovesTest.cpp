#include "store/TreeMoves.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::DescribeTree;

// Builds a tree from indented lines "label data", two spaces a level.
BlockTree TreeFrom(const std::string& lines)
{
    BlockTree tree;
    std::vector<BlockItem*> parents;
    std::size_t start = 0;
    while (start < lines.size()) {
        std::size_t end = lines.find('\n', start);
        if (end == std::string::npos)
            end = lines.size();
        const std::string line = lines.substr(start, end - start);
        start = end + 1;
        const std::size_t depth = line.find_first_not_of(' ') / 2;
        const std::size_t space = line.rfind(' ');
        parents.resize(depth);
        BlockItem& item = tree.Append(depth ? parents.back() : nullptr,
                                      FromAscii(line.substr(depth * 2, space - depth * 2)),
                                      static_cast<std::uint32_t>(std::stoul(line.substr(space + 1))));
        parents.push_back(&item);
    }
    return tree;
}

BlockItem* Find(const BlockTree& tree, std::u16string_view label)
{
    for (BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder())
        if (item->Label == label)
            return item;
    return nullptr;
}

const char* kSample = "A 0\n"
                      "  a1 1\n"
                      "  a2 2\n"
                      "    deep 0\n"
                      "      d1 9\n"
                      "      d2 65546\n"
                      "  a3 3\n"
                      "B 0\n"
                      "  b1 4\n"
                      "C 5";

struct MoveCase
{
    const char* Label;
    MoveKind Kind;
    const char* Expected; // empty: nothing changes
};

TEST(TreeMoves, EveryMoveOnFirstMiddleAndLastItems)
{
    const MoveCase cases[] = {
        {"a1", MoveKind::Up, ""},
        {"a2", MoveKind::Up,
         "A (0)\n  a2 (2)\n    deep (0)\n      d1 (9)\n      d2 (65546)\n  a1 (1)\n  a3 (3)\nB (0)\n  b1 "
         "(4)\nC (5)\n"},
        {"C", MoveKind::Up,
         "A (0)\n  a1 (1)\n  a2 (2)\n    deep (0)\n      d1 (9)\n      d2 (65546)\n  a3 (3)\nC (5)\nB (0)\n  "
         "b1 (4)\n"},
        {"a3", MoveKind::Down, ""},
        {"C", MoveKind::Down, ""},
        {"A", MoveKind::Down,
         "B (0)\n  b1 (4)\nA (0)\n  a1 (1)\n  a2 (2)\n    deep (0)\n      d1 (9)\n      d2 (65546)\n  a3 "
         "(3)\nC (5)\n"},
        {"A", MoveKind::Out, ""},
        {"b1", MoveKind::Out,
         "A (0)\n  a1 (1)\n  a2 (2)\n    deep (0)\n      d1 (9)\n      d2 (65546)\n  a3 (3)\nB (0)\nC "
         "(5)\nb1 (4)\n"},
        // Two levels deep: the last child of the grandparent, after all its other children.
        {"deep", MoveKind::Out,
         "A (0)\n  a1 (1)\n  a2 (2)\n  a3 (3)\n  deep (0)\n    d1 (9)\n    d2 (65546)\nB (0)\n  b1 (4)\nC "
         "(5)\n"},
        {"a3", MoveKind::IntoNext, ""},
        // A block into the text that follows it.
        {"B", MoveKind::IntoNext,
         "A (0)\n  a1 (1)\n  a2 (2)\n    deep (0)\n      d1 (9)\n      d2 (65546)\n  a3 (3)\nC (5)\n  B "
         "(0)\n    b1 (4)\n"},
        {"a1", MoveKind::IntoNext,
         "A (0)\n  a2 (2)\n    deep (0)\n      d1 (9)\n      d2 (65546)\n    a1 (1)\n  a3 (3)\nB (0)\n  b1 "
         "(4)\nC (5)\n"},
    };
    for (const MoveCase& c : cases) {
        BlockTree tree = TreeFrom(kSample);
        const std::string before = DescribeTree(tree);
        BlockItem* moved = MoveItem(tree, *Find(tree, FromAscii(c.Label)), c.Kind);
        if (std::string(c.Expected).empty()) {
            EXPECT_EQ(moved, nullptr) << c.Label;
            EXPECT_EQ(DescribeTree(tree), before) << c.Label;
            continue;
        }
        ASSERT_NE(moved, nullptr) << c.Label;
        EXPECT_EQ(moved->Label, FromAscii(c.Label));
        EXPECT_EQ(DescribeTree(tree), c.Expected) << c.Label << " " << static_cast<int>(c.Kind);
    }
}

TEST(TreeMoves, CopySubtreeAppendsAfterExistingChildrenAcrossTrees)
{
    const BlockTree source = TreeFrom(kSample);
    BlockTree destination = TreeFrom("X 7\n  existing 8");
    CopySubtree(destination, *destination.FirstTopLevel(), *Find(source, u"A"));
    EXPECT_EQ(DescribeTree(destination), "A (0)\n  existing (8)\n  a1 (1)\n  a2 (2)\n    deep (0)\n      d1 "
                                         "(9)\n      d2 (65546)\n  a3 (3)\n");
}

TEST(TreeMoves, DeepSubtreesMoveWithoutRecursion)
{
    BlockTree tree;
    BlockItem* parent = &tree.Append(nullptr, u"first", 0);
    tree.Append(nullptr, u"second", 0);
    for (int level = 0; level < 200000; ++level)
        parent = &tree.Append(parent, u"x", static_cast<std::uint32_t>(level));
    BlockItem* moved = MoveItem(tree, *tree.FirstTopLevel(), MoveKind::Down);
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->Row(), 1u);
    EXPECT_EQ(tree.ItemCount(), 200002u);
}

} // namespace
} // namespace orv
