#pragma once

// The block packer of the export file: a greedy LZ77 coder whose output the device unpacks, and the
// Adler-32 checksum of the unpacked bytes.
//
// Packed stream: 32-bit control words, stored little-endian, interleaved with literal bytes.
// - Control bits are taken from a control word from bit 31 down to bit 0. The first control word is
//   the first 4 bytes of the stream. When a control bit is needed and all 32 bits of the current word
//   are used, the next word is placed at (read from) the current end of the stream. Unused low bits
//   of the last control word are 0.
// - Literal bytes follow at the current end of the stream, after the control bits that announce them.
// - There is no end marker: a reader stops when it has produced the block's raw size.
//
// Items:
//   literal run of k bytes (1-255)            bit 0, GammaCode(k), then the k bytes
//   match of length L (2-256) at distance D   bit 1, GammaCode(L - 1), a 2-bit class c (high bit first),
//                                             then D in B(c) bits, most significant first
// A match repeats, byte by byte, the L bytes that start D (1-4094) bytes before the current output
// position, so it may overlap the bytes it produces. The class is the smallest c with D < 2^B(c):
//   c        0  1  2  3
//   B(c)     4  6  8  12 for L >= 3, 10 for L = 2
//
// GammaCode(v), 1 <= v <= 255: for each binary digit of v below its leading 1, from the most
// significant down, a 1 bit and then the digit; then, only if v < 128, a 0 bit. So 1 is "0",
// 2 is "100", 3 is "110", 6 is "11100", 255 is "11" seven times.
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
