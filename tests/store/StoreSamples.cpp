#include "StoreSamples.h"

namespace orv::test {

// Byte vectors are laid out by hand, a field or an item per line.
// clang-format off

ByteBuilder FileHeader()
{
    ByteBuilder file;
    file.Utf16String(u"ORVstrdef").U32(0);
    return file;
}

Bytes SmallFileBytes()
{
    return FileHeader()
        .U16(0).Utf16String(u"B").U32(0)  // marker 0: block B at the top level
        .U16(1).Utf16String(u"T").U32(1)  // marker 1: text T inside it
        .U16(3)                           // back up to B
        .U16(0xFFFF)                      // end of the tree section
        .U16(1)                           // count prefix
        .U16(1)                           // one record
        .U32(0x3F).U16(1).Utf16String(u"X").Utf16String(u"D").Utf16String(u"").Utf16String(u"").U32(0)
        .Utf16String(u"ver").U16(0x110)
        .Utf16String(u"foni").U32(0)
        .Utf16String(u"")
        .Take();
}

void FillSmallTable(BlockTree& tree, DefinitionTable& table)
{
    BlockItem& block = tree.Append(nullptr, u"B", 0);
    tree.Append(&block, u"T", 1);
    StringDefinition& definition = table.FindOrAddDefinition(1);
    definition.Identifier = u"X";
    definition.DefaultText = u"D";
}

Bytes EmptyFileBytes(std::uint16_t version)
{
    return FileHeader()
        .U16(0xFFFF)
        .U16(1)
        .U16(0)
        .Utf16String(u"ver").U16(version)
        .Utf16String(u"foni").U32(0)
        .Utf16String(u"")
        .Take();
}

// clang-format on

} // namespace orv::test
