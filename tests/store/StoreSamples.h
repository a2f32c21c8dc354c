#pragma once

// Definition files and tables used by several store tests.

#include "store/BlockTree.h"
#include "store/DefinitionTable.h"
#include "support/TestSupport.h"

namespace orv::test {

// The smallest complete file: block B holding text T (data 1), definition 1 "X"/"D", version 0x110.
// 120 bytes, exactly as the editor writes it.
Bytes SmallFileBytes();
void FillSmallTable(BlockTree& tree, DefinitionTable& table);

// ByteBuilder positioned after the magic and the format word, as the editor writes them.
ByteBuilder FileHeader();

// A tree section of just the end marker, no records, and the editor's tags with `version`.
Bytes EmptyFileBytes(std::uint16_t version = 0x110);

} // namespace orv::test
