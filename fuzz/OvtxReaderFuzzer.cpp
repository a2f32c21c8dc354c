// Feeds arbitrary bytes to the font-and-text file reader, twice: as a whole file, and, since the
// checksums stop most changes at the block headers, as two unpacked payloads (the first two bytes
// give the font payload's length) wrapped into a file with right headers. The wrapper stores the
// payloads as literal runs, a valid stream that the packer itself would not choose, and cheap. Besides the
// sanitizers' checks, every failure must say why, and in a file that passes every text must be found by its
// index.

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "base/ByteWriter.h"
#include "output/BlockPacker.h"
#include "output/ExportReader.h"

namespace {

void Inspect(std::span<const std::uint8_t> file)
{
    using namespace orv;
    const auto contents = InspectExport(file);
    if (!contents) {
        if (contents.error().Message.empty())
            std::abort();
        return;
    }
    for (const TableText& text : contents->Texts.Texts) {
        if (FindInSearchTable(contents->Texts.Tree, text.Index) != text.Offset)
            std::abort();
    }
}

// The payload as literal runs of at most 255 bytes: a 0 bit and the run length's gamma code each.
std::vector<std::uint8_t> StoreLiterals(std::span<const std::uint8_t> payload)
{
    std::vector<std::uint8_t> stream(4, 0);
    std::size_t word = 0;
    int used = 0;
    const auto bit = [&](unsigned value) {
        if (used == 32) {
            word = stream.size();
            stream.resize(stream.size() + 4, 0);
            used = 0;
        }
        const int position = 31 - used++;
        stream[word + static_cast<std::size_t>(position / 8)] |=
            static_cast<std::uint8_t>(value << (position % 8));
    };
    for (std::size_t start = 0; start < payload.size(); start += 255) {
        const std::size_t count = std::min<std::size_t>(255, payload.size() - start);
        bit(0);
        for (int digit = static_cast<int>(std::bit_width(count)) - 2; digit >= 0; --digit) {
            bit(1);
            bit((count >> digit) & 1);
        }
        if (count < 128)
            bit(0);
        stream.insert(stream.end(), payload.begin() + static_cast<std::ptrdiff_t>(start),
                      payload.begin() + static_cast<std::ptrdiff_t>(start + count));
    }
    return stream;
}

void WriteBlock(orv::ByteWriter& out, const char* tag, std::span<const std::uint8_t> payload)
{
    const auto packed = StoreLiterals(payload);
    out.WriteU8(static_cast<std::uint8_t>(tag[0]));
    out.WriteU8(static_cast<std::uint8_t>(tag[1]));
    out.WriteU32(static_cast<std::uint32_t>(packed.size()));
    out.WriteU32(orv::Adler32(payload));
    out.WriteU32(static_cast<std::uint32_t>(payload.size()));
    out.WriteBytes(packed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    Inspect(input);
    if (size < 2)
        return 0;
    const std::size_t fontSize = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
    orv::ByteWriter file;
    for (const char c : {'O', 'R', 'V', 't', 'e', 'x'})
        file.WriteU8(static_cast<std::uint8_t>(c));
    file.WriteU16(1);
    file.WriteU16(0x110);
    WriteBlock(file, "FO", input.subspan(2, fontSize));
    WriteBlock(file, "TD", input.subspan(2 + fontSize));
    Inspect(file.Bytes());
    return 0;
}
