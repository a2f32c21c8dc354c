#pragma once

// The block packer of the export file: a greedy LZ77 coder whose output the device unpacks, and the
// Adler-32 checksum of the unpacked bytes.
//
// A packed block is one stream of 32-bit control words and literal bytes, interleaved so that the
// literals stay byte-aligned and the reader walks the stream once, front to back:
//
//   control word  u32, little-endian; its bits are used from bit 31 down to bit 0. The first word is
//                 the first 4 bytes; each further word is put at the end of the stream when its first
//                 bit is needed, which is exactly where the reader runs out of bits. Unused low bits
//                 of the last word are 0.
//   literal byte  put at the end of the stream right after the control bits that announce it.
//
// The items, as control bits:
//
//   run of k literals, 1 <= k <= 255   0, Gamma(k); the k bytes follow in the stream
//   match of L bytes at distance D     1, Gamma(L - 1), a 2-bit class c (high bit first), then D in
//     2 <= L <= 256, 1 <= D <= 4094      B(c) bits, most significant first
//
//   class c           0   1   2   3
//   B(c) for L >= 3   4   6   8  12
//   B(c) for L = 2    4   6   8  10
//
// A match copies, byte by byte, the L bytes that start D bytes back, so it may overlap what it
// produces: a run of one repeated byte is a match at distance 1. The class is the smallest one that
// holds D, so near matches cost few bits. A 2-byte match gets at most 10 bits of distance: it then
// costs at most 14 bits, less than the 16 of two literal bytes; with 12 it would save nothing.
//
// Gamma(v), 1 <= v <= 255: for each binary digit of v below its leading 1, from the most significant
// down, a 1 bit and then the digit; then a 0 bit, left out when v >= 128 because no v has more
// digits. Short runs and lengths are the common ones and cost little: 1 is "0", 2 is "100", 3 is
// "110", 6 is "11100", 255 is "11" seven times.
//
// There is no end marker: the block header gives the unpacked size, and a reader stops there.
//
// The coder is greedy: at each position it takes the longest match within the last 4094 bytes, the
// nearest among equally long ones; it codes a match of length 3 or more, or of length 2 at a distance
// of at most 1023, and otherwise collects the byte as a literal (at most 255 in one run).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/Result.h"

namespace orv {

inline constexpr std::size_t kMinMatchLength = 2;
inline constexpr std::size_t kMaxMatchLength = 256;
inline constexpr std::size_t kMaxMatchDistance = 4094;
inline constexpr std::size_t kMaxShortMatchDistance = 1023; // for matches of length 2
inline constexpr std::size_t kMaxLiteralRun = 255;
inline constexpr std::size_t kControlWordSize = 4;

// The most bytes that PackBlock can produce from `inputSize` bytes: n + n/4 + 4, rounded up.
// Note: a literal costs 8 bits plus at most 2 bits of run header, a match at most 7 bits per byte, and
// control words come in steps of 4 bytes, one of them always.
constexpr std::size_t PackedSizeBound(std::size_t inputSize)
{
    return inputSize + (inputSize + 3) / 4 + kControlWordSize;
}

// The bits of the item that produces the most bytes per bit: a match of kMaxMatchLength bytes at a
// distance of class 0 (the match bit, the 14 bits of GammaCode(255), 2 class bits, 4 distance bits).
inline constexpr std::size_t kLongestMatchBits = 21;

// The most bytes that `packedSize` packed bytes can unpack to: 8 * packedSize * 256 / 21, rounded
// down, some 97.5 bytes per packed byte.
// Note: every bit of a stream belongs to at most one item, and no item gives more than 256 bytes for
// 21 bits (a literal costs more than 8 bits for its one byte), so 8 * packedSize bits give at most
// that many bytes. Splitting packedSize by 21 first keeps the product from overflowing.
constexpr std::size_t MaxUnpackedSize(std::size_t packedSize)
{
    constexpr std::size_t kBitsPerByte = 8;
    constexpr std::size_t kBytesPerBitGroup = kBitsPerByte * kMaxMatchLength; // per 21 packed bytes
    return packedSize / kLongestMatchBits * kBytesPerBitGroup +
           packedSize % kLongestMatchBits * kBytesPerBitGroup / kLongestMatchBits;
}

// Packs `input` into `output`, which must hold PackedSizeBound(input.size()) bytes, and returns the
// packed size. Gives exactly the bytes of an exhaustive search of every distance at every position.
std::size_t PackBlock(std::span<const std::uint8_t> input, std::span<std::uint8_t> output);

// PackBlock into a buffer of its own.
std::vector<std::uint8_t> PackBlock(std::span<const std::uint8_t> input);

// Unpacks `packed` into exactly `rawSize` bytes. BadInput, naming the byte offset in `packed`, for
// a stream that is not exactly a stream of the format above: an item that the stream or the raw size
// cannot hold, a distance before the start or out of its range, a class larger than needed, bytes
// or set control bits left over. Never reads outside `packed`; refuses a raw size above
// MaxUnpackedSize(packed.size()) before allocating anything.
Result<std::vector<std::uint8_t>> UnpackBlock(std::span<const std::uint8_t> packed, std::size_t rawSize);

// The Adler-32 checksum of the zlib format (RFC 1950); 1 for no bytes.
std::uint32_t Adler32(std::span<const std::uint8_t> bytes);

} // namespace orv
