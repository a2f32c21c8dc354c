#pragma once

// Definition files and trees used by several store tests.

#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>

#include "base/Text.h"
#include "store/BlockTree.h"
#include "support/TestSupport.h"

namespace orv::test {

// Bytes written as hex pairs, separated by blanks or not. 'text' (without blanks) stands for a string
// as the editor writes a short one: FF FE FF, the length in one byte, the UTF-16 units of the text.
inline Bytes FromHex(std::string_view hex)
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

// The smallest complete file: block B holding text T (data 1), definition 1 "X"/"D", version 0x110.
// 120 bytes, exactly as the editor writes it.
inline Bytes SmallFileBytes()
{
    // The magic and the format word; the tree: 0 block B (data 0), 1 text T (data 1), 3 up, FFFF end; count
    // prefix 1, one record: mask 3F, index 1, "X", "D", "", "", translated 0; the tags "ver" 0x110, "foni" 0
    // and the end tag.
    return FromHex(
        "'ORVstrdef' 00000000 0000 'B' 00000000 0100 'T' 01000000 0300 FFFF 0100 0100 3F000000 0100 "
        "'X' 'D' '' '' 00000000 'ver' 1001 'foni' 00000000 ''");
}

// A tree from "A(a1 a2) B": children in parentheses. Each item's data is derived from its label, so
// that comparing trees also checks that data went with the labels.
inline BlockTree TreeFrom(std::string_view shape)
{
    BlockTree tree;
    std::vector<BlockItem*> parents{nullptr};
    BlockItem* last = nullptr;
    std::istringstream tokens(std::regex_replace(std::string(shape), std::regex("[()]"), " $& "));
    for (std::string token; tokens >> token;) {
        if (token == "(")
            parents.push_back(last);
        else if (token == ")")
            parents.pop_back();
        else
            last = &tree.Append(parents.back(), FromAscii(token),
                                static_cast<std::uint32_t>(std::hash<std::string>()(token)));
    }
    return tree;
}

} // namespace orv::test
