#pragma once

// The JSON form of a definition file, shared by `strdef dump` (writing) and `strdef build` (reading):
//
//   {
//     "result": 0,
//     "countPrefix": 1,
//     "firmwareVersion": 272,
//     "saveLock": 0,
//     "tree": [
//       {"label":"B","data":0,"children":[{"label":"T","data":1,"children":[]}]}
//     ],
//     "definitions": [
//       {"key":1,"index":1,"identifier":"X","defaultText":"D","translation":"","translated":0,"description":""}
//     ]
//   }
//
// Texts are JSON strings, or {"utf16": [units]} when they hold an unpaired surrogate (see JsonText.h).
// Neither direction recurses, so trees of any depth pass.

#include <string>

#include "base/Result.h"
#include "store/BlockTree.h"
#include "store/DefinitionFile.h"
#include "store/DefinitionTable.h"

namespace orv {

// What `strdef build` makes a file from.
struct DefinitionContent
{
    BlockTree Tree;
    DefinitionTable Table;
};

// The JSON for a file as read: `result` and the table's header words as they are, one line per
// top-level item and per definition, definitions in key order.
std::string WriteDefinitionJson(const BlockTree& tree, const DefinitionTable& table, ReadResult result);

// Reads the JSON form. Every field at the top is optional (countPrefix 1, firmwareVersion 0x110, empty
// tree and definitions); "result" and "saveLock" are checked but not used. In items "children" is
// optional, in definitions "key" (it defaults to "index"); all other fields are required. Unknown or
// repeated fields, wrong types, out-of-range numbers and repeated keys are errors naming the place,
// as in "definitions[3].index: 70000 is out of range 0..65535"; a syntax error names its line and
// column. A text may be given as {"utf16": [units]}, any units from 0 to 65535.
Result<DefinitionContent> ParseDefinitionJson(const std::string& text);

} // namespace orv
