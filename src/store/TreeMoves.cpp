#include "store/TreeMoves.h"

#include <cassert>
#include <utility>
#include <vector>

namespace orv {

void CopySubtree(BlockTree& destinationTree, BlockItem& destination, const BlockItem& source)
{
    for ([[maybe_unused]] const BlockItem* ancestor = &destination; ancestor; ancestor = ancestor->Parent())
        assert(ancestor != &source);

    destination.Label = source.Label;
    destination.Data = source.Data;
    // Pairs of (source, copy) whose children still have to be copied. Each item's children are
    // appended in one go and in order, so the visiting order of the stack does not matter, and no
    // call recurses once per level.
    std::vector<std::pair<const BlockItem*, BlockItem*>> pending{{&source, &destination}};
    while (!pending.empty()) {
        auto [from, to] = pending.back();
        pending.pop_back();
        for (std::size_t row = 0; row < from->ChildCount(); ++row) {
            const BlockItem* child = from->Child(row);
            BlockItem& copy = destinationTree.Append(to, child->Label, child->Data);
            if (child->ChildCount() > 0)
                pending.emplace_back(child, &copy);
        }
    }
}

std::optional<MoveTarget> FindMoveTarget(const BlockTree& tree, const BlockItem& item, MoveKind kind)
{
    switch (kind) {
    case MoveKind::Up: {
        const BlockItem* previous = item.PreviousSibling();
        if (!previous)
            return std::nullopt;
        return MoveTarget{item.Parent(), previous->Row()};
    }
    case MoveKind::Down: {
        const BlockItem* next = item.NextSibling();
        if (!next)
            return std::nullopt;
        return MoveTarget{item.Parent(), next->Row() + 1};
    }
    case MoveKind::Out: {
        BlockItem* parent = item.Parent();
        if (!parent)
            return std::nullopt;
        BlockItem* grandparent = parent->Parent();
        return MoveTarget{grandparent, tree.ChildCount(grandparent)};
    }
    case MoveKind::IntoNext: {
        BlockItem* next = item.NextSibling();
        if (!next)
            return std::nullopt;
        return MoveTarget{next, next->ChildCount()};
    }
    }
    return std::nullopt;
}

BlockItem* MoveItem(BlockTree& tree, BlockItem& item, MoveKind kind)
{
    const auto target = FindMoveTarget(tree, item, kind);
    if (!target)
        return nullptr;
    tree.Move(item, target->Parent, target->Row);
    return &item;
}

} // namespace orv
