#include "support/TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "base/Text.h"

namespace orv::test {

ByteBuilder& ByteBuilder::Byte(std::initializer_list<int> bytes)
{
    for (int byte : bytes)
        Data.push_back(static_cast<std::uint8_t>(byte));
    return *this;
}

ByteBuilder& ByteBuilder::U16(std::uint16_t value)
{
    return Byte({value & 0xFF, value >> 8});
}

ByteBuilder& ByteBuilder::U32(std::uint32_t value)
{
    U16(static_cast<std::uint16_t>(value));
    return U16(static_cast<std::uint16_t>(value >> 16));
}

ByteBuilder& ByteBuilder::U64(std::uint64_t value)
{
    U32(static_cast<std::uint32_t>(value));
    return U32(static_cast<std::uint32_t>(value >> 32));
}

ByteBuilder& ByteBuilder::NarrowString(std::string_view text)
{
    Byte({static_cast<int>(text.size())});
    for (char c : text)
        Data.push_back(static_cast<std::uint8_t>(c));
    return *this;
}

TemporaryDirectory::TemporaryDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orv-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    Root = pattern;
    PreviousWorkingDirectory = std::filesystem::current_path();
    std::filesystem::current_path(Root);
}

TemporaryDirectory::~TemporaryDirectory()
{
    std::error_code ignored;
    std::filesystem::current_path(PreviousWorkingDirectory, ignored);
    // Tests may take the write permission away; give it back so that removal works.
    for (auto& entry : std::filesystem::recursive_directory_iterator(Root, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::permissions(Root, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(Root, ignored);
}

Bytes ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot open " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string DescribeTree(const BlockTree& tree)
{
    std::string text;
    for (const BlockItem* item = tree.FirstTopLevel(); item; item = item->NextInDisplayOrder()) {
        std::size_t depth = 0;
        for (const BlockItem* parent = item->Parent(); parent; parent = parent->Parent())
            ++depth;
        text += std::string(2 * depth, ' ') + ToUtf8(item->Label) + " (" + std::to_string(item->Data) + ")\n";
    }
    return text;
}

std::string Hex(const Bytes& bytes)
{
    std::string text;
    char piece[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(piece, sizeof piece, i ? " %02X" : "%02X", bytes[i]);
        text += piece;
    }
    return text;
}

} // namespace orv::test
