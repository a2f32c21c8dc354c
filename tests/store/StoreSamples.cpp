#include "StoreSamples.h"

#include <functional>
#include <sstream>
#include <string>

#include "base/Text.h"

namespace orv::test {

Bytes FromHex(std::string_view hex)
{
    Bytes bytes;
    std::istringstream tokens{std::string(hex)};
    for (std::string token; tokens >> token;) {
        if (token.front() == '\'') {
            bytes.insert(bytes.end(), {0xFF, 0xFE, 0xFF, static_cast<std::uint8_t>(token.size() - 2)});
            for (char c : token.substr(1, token.size() - 2))
                bytes.insert(bytes.end(), {static_cast<std::uint8_t>(c), 0});
        }
        for (std::size_t i = 0; token.front() != '\'' && i < token.size(); i += 2)
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(token.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

Bytes DefinitionBytes(std::string_view rest)
{
    return FromHex("'ORVstrdef' 00 00 00 00 " + std::string(rest));
}

Bytes SmallFileBytes()
{
    // The tree: 0 block B (data 0), 1 text T (data 1), 3 up, FFFF end; count prefix 1, one record:
    // mask 3F, index 1, "X", "D", "", "", translated 0; the tags "ver" 0x110, "foni" 0 and the end tag.
    return DefinitionBytes("00 00 'B' 00 00 00 00 01 00 'T' 01 00 00 00 03 00 FF FF 01 00 01 00 "
                           "3F 00 00 00 01 00 'X' 'D' '' '' 00 00 00 00 'ver' 10 01 'foni' 00 00 00 00 ''");
}

void FillSmallTable(BlockTree& tree, DefinitionTable& table)
{
    tree.Append(&tree.Append(nullptr, u"B", 0), u"T", 1);
    StringDefinition& definition = table.FindOrAddDefinition(1);
    definition.Identifier = u"X";
    definition.DefaultText = u"D";
}

BlockTree TreeFrom(std::string_view shape)
{
    BlockTree tree;
    std::vector<BlockItem*> parents{nullptr};
    std::string label;
    for (char c : std::string(shape) + " ") {
        if (c != ' ' && c != '(' && c != ')') {
            label += c;
            continue;
        }
        if (!label.empty())
            tree.Append(parents.back(), FromAscii(label),
                        static_cast<std::uint32_t>(std::hash<std::string>()(label)));
        label.clear();
        if (c == '(')
            parents.push_back(tree.Child(parents.back(), tree.ChildCount(parents.back()) - 1));
        else if (c == ')')
            parents.pop_back();
    }
    return tree;
}

void FillRandomTree(BlockTree& tree, std::mt19937& random, int count, unsigned markedOneIn)
{
    std::vector<BlockItem*> items;
    for (int i = 0; i < count; ++i) {
        BlockItem* parent = items.empty() || random() % 4 == 0 ? nullptr : items[random() % items.size()];
        std::u16string label = u"item" + std::u16string(1, char16_t(u'a' + i % 26));
        if (markedOneIn && random() % markedOneIn == 0)
            label += u"UNUSED";
        else if (random() % 7 == 0)
            label = u"unused";
        items.push_back(&tree.Append(parent, label, static_cast<std::uint32_t>(random() % 3 ? i : 0)));
    }
}

} // namespace orv::test
