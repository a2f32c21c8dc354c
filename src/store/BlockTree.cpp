#include "store/BlockTree.h"

#include <cassert>
#include <utility>

namespace orv {

BlockItem::~BlockItem()
{
    // Tear the subtree down leaf by leaf through the parent links, so that a deep chain of items
    // neither recurses once per level nor needs memory of its own while it is freed.
    BlockItem* item = this;
    for (;;) {
        if (!item->ChildItems.empty()) {
            item = item->ChildItems.back().get();
            continue;
        }
        if (item == this)
            return;
        BlockItem* parent = item->ParentItem;
        parent->ChildItems.pop_back();
        item = parent;
    }
}

BlockItem* BlockItem::NextSibling() const
{
    if (!ParentItem || RowInParent + 1 >= ParentItem->ChildItems.size())
        return nullptr;
    return ParentItem->ChildItems[RowInParent + 1].get();
}

BlockItem* BlockItem::PreviousSibling() const
{
    if (!ParentItem || RowInParent == 0)
        return nullptr;
    return ParentItem->ChildItems[RowInParent - 1].get();
}

BlockItem* BlockItem::NextInDisplayOrder() const
{
    if (BlockItem* child = FirstChild())
        return child;
    for (const BlockItem* item = this; item && item->ParentItem; item = item->ParentItem) {
        if (BlockItem* sibling = item->NextSibling())
            return sibling;
    }
    return nullptr;
}

BlockTree::BlockTree() : Root(std::make_unique<BlockItem>()) {}

std::size_t BlockTree::ItemCount() const
{
    std::size_t count = 0;
    for (const BlockItem* item = FirstTopLevel(); item; item = item->NextInDisplayOrder())
        ++count;
    return count;
}

std::size_t BlockTree::ChildCount(const BlockItem* parent) const
{
    return parent ? parent->ChildCount() : TopLevelCount();
}

BlockItem* BlockTree::Child(const BlockItem* parent, std::size_t row) const
{
    return parent ? parent->Child(row) : TopLevel(row);
}

BlockItem& BlockTree::Append(BlockItem* parent, std::u16string label, std::uint32_t data)
{
    BlockItem& owner = ParentOrRoot(parent);
    return Insert(parent, owner.ChildItems.size(), std::move(label), data);
}

BlockItem& BlockTree::Insert(BlockItem* parent, std::size_t row, std::u16string label, std::uint32_t data)
{
    BlockItem& owner = ParentOrRoot(parent);
    assert(row <= owner.ChildItems.size());
    auto item = std::make_unique<BlockItem>(std::move(label), data);
    item->ParentItem = &owner;
    BlockItem& inserted = *item;
    owner.ChildItems.insert(owner.ChildItems.begin() + static_cast<std::ptrdiff_t>(row), std::move(item));
    Renumber(owner.ChildItems, row);
    return inserted;
}

void BlockTree::Remove(BlockItem& item)
{
    BlockItem* owner = item.ParentItem;
    assert(owner);
    const std::size_t row = item.RowInParent;
    owner->ChildItems.erase(owner->ChildItems.begin() + static_cast<std::ptrdiff_t>(row));
    Renumber(owner->ChildItems, row);
}

void BlockTree::Clear()
{
    Root = std::make_unique<BlockItem>();
}

std::size_t BlockTree::RemoveItemsContaining(std::u16string_view marker)
{
    // Deleting a marked item with its subtree and then restarting the walk from the top, until no
    // marked item is left, ends with exactly the items whose label and ancestors' labels are all
    // unmarked. Filtering each child list once while walking the kept items gives that result.
    std::size_t removed = 0;
    std::vector<BlockItem*> pending{Root.get()};
    while (!pending.empty()) {
        BlockItem* parent = pending.back();
        pending.pop_back();
        auto& children = parent->ChildItems;
        std::size_t kept = 0;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (children[i]->Label.find(marker) != std::u16string::npos) {
                removed += SubtreeSize(*children[i]);
                children[i].reset();
                continue;
            }
            children[kept++] = std::move(children[i]);
        }
        children.resize(kept);
        Renumber(children, 0);
        for (auto& child : children)
            pending.push_back(child.get());
    }
    return removed;
}

bool BlockTree::operator==(const BlockTree& other) const
{
    const BlockItem* left = FirstTopLevel();
    const BlockItem* right = other.FirstTopLevel();
    while (left && right) {
        // Labels, data and child counts in display order fix the whole shape.
        if (left->Label != right->Label || left->Data != right->Data ||
            left->ChildCount() != right->ChildCount())
            return false;
        left = left->NextInDisplayOrder();
        right = right->NextInDisplayOrder();
    }
    return !left && !right;
}

void BlockTree::Move(BlockItem& item, BlockItem* parent, std::size_t row)
{
    BlockItem& source = *item.ParentItem;
    BlockItem& destination = ParentOrRoot(parent);
    assert(row <= destination.ChildItems.size());
    const std::size_t oldRow = item.RowInParent;
    // The only step that can fail comes first; after it nothing allocates.
    if (&destination != &source)
        ReserveChild(parent);
    std::unique_ptr<BlockItem> owned = std::move(source.ChildItems[oldRow]);
    source.ChildItems.erase(source.ChildItems.begin() + static_cast<std::ptrdiff_t>(oldRow));
    Renumber(source.ChildItems, oldRow);
    if (&destination == &source && row > oldRow)
        --row;
    owned->ParentItem = &destination;
    destination.ChildItems.insert(destination.ChildItems.begin() + static_cast<std::ptrdiff_t>(row),
                                  std::move(owned));
    Renumber(destination.ChildItems, row);
}

void BlockTree::ReserveChild(BlockItem* parent)
{
    std::vector<std::unique_ptr<BlockItem>>& children = ParentOrRoot(parent).ChildItems;
    children.reserve(children.size() + 1);
}

void BlockTree::Renumber(std::vector<std::unique_ptr<BlockItem>>& items, std::size_t from)
{
    for (std::size_t row = from; row < items.size(); ++row)
        items[row]->RowInParent = row;
}

std::size_t BlockTree::SubtreeSize(const BlockItem& item)
{
    std::size_t count = 0;
    std::vector<const BlockItem*> pending{&item};
    while (!pending.empty()) {
        const BlockItem* next = pending.back();
        pending.pop_back();
        ++count;
        for (const auto& child : next->ChildItems)
            pending.push_back(child.get());
    }
    return count;
}

} // namespace orv
