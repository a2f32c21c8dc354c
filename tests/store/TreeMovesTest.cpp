#include "store/TreeMoves.h"

#include <gtest/gtest.h>

#include "StoreSamples.h"
#include "base/Text.h"

namespace orv::test {
namespace {

BlockItem* Find(const BlockTree& tree, std::u16string_view label)
{
    BlockItem* item = tree.FirstTopLevel();
    while (item && item->Label != label)
        item = item->NextInDisplayOrder();
    return item;
}

constexpr const char* kSample = "A(a1 a2(deep(d1 d2)) a3) B(b1) C";

TEST(TreeMoves, EveryMoveOnFirstMiddleAndLastItems)
{
    const std::tuple<const char*, MoveKind, const char*> cases[] = {
        {"a1", MoveKind::Up, kSample},
        {"a2", MoveKind::Up, "A(a2(deep(d1 d2)) a1 a3) B(b1) C"},
        {"C", MoveKind::Up, "A(a1 a2(deep(d1 d2)) a3) C B(b1)"},
        {"a3", MoveKind::Down, kSample},
        {"A", MoveKind::Down, "B(b1) A(a1 a2(deep(d1 d2)) a3) C"},
        {"A", MoveKind::Out, kSample},
        {"b1", MoveKind::Out, "A(a1 a2(deep(d1 d2)) a3) B C b1"},
        // Two levels deep: the last child of the grandparent, after all its other children.
        {"deep", MoveKind::Out, "A(a1 a2 a3 deep(d1 d2)) B(b1) C"},
        {"a3", MoveKind::IntoNext, kSample},
        {"B", MoveKind::IntoNext, "A(a1 a2(deep(d1 d2)) a3) C(B(b1))"},
        {"a1", MoveKind::IntoNext, "A(a2(deep(d1 d2) a1) a3) B(b1) C"},
    };
    for (const auto& [label, kind, expected] : cases) {
        SCOPED_TRACE(std::string(label) + " " + std::to_string(static_cast<int>(kind)));
        BlockTree tree = TreeFrom(kSample);
        BlockItem* moved = MoveItem(tree, *Find(tree, FromAscii(label)), kind);
        EXPECT_TRUE(tree == TreeFrom(expected)) << DescribeTree(tree);
        EXPECT_EQ(moved, std::string_view(expected) == kSample ? nullptr : Find(tree, FromAscii(label)));
    }
}

TEST(TreeMoves, CopySubtreeAppendsAfterExistingChildrenAcrossTrees)
{
    const BlockTree source = TreeFrom(kSample);
    BlockTree destination = TreeFrom("X(existing)");
    CopySubtree(destination, *destination.FirstTopLevel(), *Find(source, u"A"));
    EXPECT_TRUE(destination == TreeFrom("A(existing a1 a2(deep(d1 d2)) a3)")) << DescribeTree(destination);
}

} // namespace
} // namespace orv::test
