#pragma once

// Copying subtrees between block trees, and the four one-step moves of an item with its subtree.
// A move takes the item with its subtree out of its place and puts it at the target place; every item
// keeps its identity, and the definitions are not touched, since text items carry their index
// wherever they stand.

#include <cstddef>
#include <optional>

#include "store/BlockTree.h"

namespace orv {

enum class MoveKind
{
    Up,       // swap with the previous sibling
    Down,     // swap with the next sibling
    Out,      // become the last child of the grandparent (or of the top level)
    IntoNext, // become the last child of the next sibling
};

// Where a move puts the item: among the children of `Parent` (nullptr: the top level) at `Row`,
// counted while the item still stands at its old place.
struct MoveTarget
{
    BlockItem* Parent = nullptr;
    std::size_t Row = 0;
};

// Overwrites `destination`'s label and data with `source`'s and appends copies of `source`'s
// children, depth first, after any children `destination` already has. `source` may belong to
// another tree; `destination` must not lie inside `source`'s subtree.
void CopySubtree(BlockTree& destinationTree, BlockItem& destination, const BlockItem& source);

// The target place of `kind` for `item`, or nothing when the neighbour the move needs is missing.
std::optional<MoveTarget> FindMoveTarget(const BlockTree& tree, const BlockItem& item, MoveKind kind);

// Moves `item` with its subtree; returns `item`, or nullptr (and changes nothing) when the move is
// not possible.
BlockItem* MoveItem(BlockTree& tree, BlockItem& item, MoveKind kind);

} // namespace orv
