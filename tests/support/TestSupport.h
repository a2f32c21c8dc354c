#pragma once

// Helpers shared by the tests: byte vectors written by hand, temporary directories, tree printing.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "store/BlockTree.h"

namespace orv::test {

using Bytes = std::vector<std::uint8_t>;

// Builds a byte vector from pieces: numbers are single bytes, helpers add multi-byte fields.
class ByteBuilder
{
public:
    ByteBuilder& Byte(std::initializer_list<int> bytes);
    ByteBuilder& U16(std::uint16_t value);
    ByteBuilder& U32(std::uint32_t value);
    ByteBuilder& U64(std::uint64_t value);
    // A one-byte length and 8-bit characters.
    ByteBuilder& NarrowString(std::string_view text);
    Bytes Take() { return std::move(Data); }

private:
    Bytes Data;
};

// A fresh directory under the system's temporary directory, removed with everything in it at the
// end of the test; the working directory is moved into it while the object lives.
class TemporaryDirectory
{
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::filesystem::path& Path() const { return Root; }
    std::filesystem::path operator/(const std::string& name) const { return Root / name; }

private:
    std::filesystem::path Root;
    std::filesystem::path PreviousWorkingDirectory;
};

Bytes ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);

// The tree as indented lines "label (data)", two spaces a level, for readable expectations.
std::string DescribeTree(const BlockTree& tree);

// Hex dump "FF FE 00 ..." for failure messages.
std::string Hex(const Bytes& bytes);

} // namespace orv::test
