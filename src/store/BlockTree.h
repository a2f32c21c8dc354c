#pragma once

// The block structure of a definition file: items with a UTF-16 label and a 32-bit data word, in
// ordered children, to any depth. Data 0 marks a block; any other value a text whose index is the
// low 16 bits. Items keep their address for their whole life, so views may hold pointers to them.
//
// Nothing here recurses: files can nest items as deep as their size allows, and every walk, copy and
// teardown uses an explicit stack or parent links instead of the call stack.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orv {

class BlockTree;

class BlockItem
{
public:
    std::u16string Label;
    std::uint32_t Data = 0;

    BlockItem() = default;
    BlockItem(std::u16string label, std::uint32_t data) : Label(std::move(label)), Data(data) {}
    ~BlockItem();
    BlockItem(const BlockItem&) = delete;
    BlockItem& operator=(const BlockItem&) = delete;

    bool IsBlock() const { return Data == 0; }
    // The index of the definition a text item refers to.
    std::uint16_t TextIndex() const { return static_cast<std::uint16_t>(Data & 0xFFFF); }

    // The parent item, or nullptr for a top-level item.
    BlockItem* Parent() const { return ParentItem && ParentItem->ParentItem ? ParentItem : nullptr; }
    // Position among the siblings, counted from 0.
    std::size_t Row() const { return RowInParent; }
    std::size_t ChildCount() const { return ChildItems.size(); }
    BlockItem* Child(std::size_t row) const { return ChildItems[row].get(); }
    BlockItem* FirstChild() const { return ChildItems.empty() ? nullptr : ChildItems.front().get(); }
    BlockItem* NextSibling() const;
    BlockItem* PreviousSibling() const;

    // The item after this one in display order (the item, its children, then its next sibling), or
    // nullptr after the last item of the tree.
    BlockItem* NextInDisplayOrder() const;

private:
    friend class BlockTree;

    BlockItem* ParentItem = nullptr; // the tree's hidden root for top-level items
    std::size_t RowInParent = 0;
    std::vector<std::unique_ptr<BlockItem>> ChildItems;
};

class BlockTree
{
public:
    BlockTree();
    BlockTree(BlockTree&&) noexcept = default;
    BlockTree& operator=(BlockTree&&) noexcept = default;
    ~BlockTree() = default;

    bool Empty() const { return Root->ChildItems.empty(); }
    std::size_t TopLevelCount() const { return Root->ChildItems.size(); }
    BlockItem* TopLevel(std::size_t row) const { return Root->ChildItems[row].get(); }
    BlockItem* FirstTopLevel() const { return Root->FirstChild(); }
    // The number of items at every depth.
    std::size_t ItemCount() const;

    // Children of `parent`, or of the top level when `parent` is nullptr.
    std::size_t ChildCount(const BlockItem* parent) const;
    BlockItem* Child(const BlockItem* parent, std::size_t row) const;

    // Appends a new item as the last child of `parent` (nullptr: the top level).
    BlockItem& Append(BlockItem* parent, std::u16string label, std::uint32_t data);
    // Inserts a new item at `row` among the children of `parent` (nullptr: the top level).
    BlockItem& Insert(BlockItem* parent, std::size_t row, std::u16string label, std::uint32_t data);
    // Deletes `item` with everything below it.
    void Remove(BlockItem& item);
    // Moves `item` with everything below it to `row` among the children of `parent` (nullptr: the
    // top level), `row` counted while `item` still stands where it was. Every item keeps its
    // address. `parent` must not lie inside `item`'s subtree. Should memory run out, the tree is as
    // it was.
    void Move(BlockItem& item, BlockItem* parent, std::size_t row);
    // Makes room for one more child of `parent` (nullptr: the top level), so that a Move there
    // cannot fail. Throws std::bad_alloc when memory runs out.
    void ReserveChild(BlockItem* parent);
    // Deletes every item.
    void Clear();

    // Deletes every item whose label contains `marker` (case included) with everything below it.
    // One pass over the tree; returns the number of items deleted at every depth.
    std::size_t RemoveItemsContaining(std::u16string_view marker);

    // Same labels, data words, nesting and order.
    bool operator==(const BlockTree& other) const;

private:
    BlockItem& ParentOrRoot(BlockItem* parent) const { return parent ? *parent : *Root; }
    static void Renumber(std::vector<std::unique_ptr<BlockItem>>& items, std::size_t from);
    static std::size_t SubtreeSize(const BlockItem& item);

    std::unique_ptr<BlockItem> Root;
};

} // namespace orv
