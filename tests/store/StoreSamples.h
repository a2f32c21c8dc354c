#pragma once

// Definition files, tables and trees used by several store tests.

#include <random>
#include <string_view>

#include "store/BlockTree.h"
#include "store/DefinitionTable.h"
#include "support/TestSupport.h"

namespace orv::test {

// Bytes written as hex pairs, separated by blanks or not. 'text' (without blanks) stands for a string
// as the editor writes a short one: FF FE FF, the length in one byte, the UTF-16 units of the text.
Bytes FromHex(std::string_view hex);

// The magic and the format word followed by `rest` (in FromHex's notation).
Bytes DefinitionBytes(std::string_view rest);

// The smallest complete file: block B holding text T (data 1), definition 1 "X"/"D", version 0x110.
// 120 bytes, exactly as the editor writes it.
Bytes SmallFileBytes();
void FillSmallTable(BlockTree& tree, DefinitionTable& table);

// A tree from "A(a1 a2) B": children in parentheses. Each item's data is derived from its label, so
// that comparing trees also checks that data went with the labels.
BlockTree TreeFrom(std::string_view shape);

// Appends `count` items, each under a random earlier item or at the top level. About one label in
// `markedOneIn` (0: none) contains "UNUSED".
void FillRandomTree(BlockTree& tree, std::mt19937& random, int count, unsigned markedOneIn = 0);

} // namespace orv::test
