#include "output/BlockPacker.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <limits>
#include <string>

#include <zlib.h>

namespace orv {

namespace {

// Distance bits by class; a match of length 2 has only 10 bits in class 3.
constexpr int kDistanceBits[4] = {4, 6, 8, 12};
constexpr int kShortMatchClass3Bits = 10;
[[maybe_unused]] constexpr std::size_t kLargestGammaValue = 255;
// Gamma codes of this value and above have all seven digit pairs and no closing 0 bit.
constexpr std::size_t kGammaUnclosedFrom = 128;
constexpr int kBitsPerWord = 32;

constexpr int kClassBits = 2;
constexpr std::size_t kBitsPerLiteral = 8;

constexpr int DistanceBits(int distanceClass, std::size_t length)
{
    return distanceClass == 3 && length == kMinMatchLength ? kShortMatchClass3Bits
                                                           : kDistanceBits[distanceClass];
}

// The length of GammaCode(value) in bits.
constexpr std::size_t GammaBits(std::size_t value)
{
    const std::size_t digits = std::bit_width(value) - 1;
    return 2 * digits + (value < kGammaUnclosedFrom ? 1 : 0);
}

// True when no item gives more bytes per bit than a match of kMaxMatchLength in kLongestMatchBits:
// neither a match of any length at its nearest distances nor a literal run of any length.
constexpr bool LongestMatchIsTheCheapestPerByte()
{
    if (1 + GammaBits(kMaxMatchLength - 1) + kClassBits + kDistanceBits[0] != kLongestMatchBits)
        return false;
    for (std::size_t length = kMinMatchLength; length <= kMaxMatchLength; ++length) {
        const std::size_t bits = 1 + GammaBits(length - 1) + kClassBits + DistanceBits(0, length);
        if (length * kLongestMatchBits > kMaxMatchLength * bits)
            return false;
    }
    for (std::size_t run = 1; run <= kMaxLiteralRun; ++run) {
        const std::size_t bits = 1 + GammaBits(run) + kBitsPerLiteral * run;
        if (run * kLongestMatchBits > kMaxMatchLength * bits)
            return false;
    }
    return true;
}
static_assert(LongestMatchIsTheCheapestPerByte(), "MaxUnpackedSize must bound every stream");

// Writes control bits and literal bytes into a buffer that holds the worst case.
class StreamWriter
{
public:
    explicit StreamWriter(std::span<std::uint8_t> output) : Output(output), Position(kControlWordSize) {}

    void WriteBit(std::uint32_t bit)
    {
        if (UsedBits == kBitsPerWord) {
            StoreWord();
            WordPosition = Position;
            Position += kControlWordSize;
            Word = 0;
            UsedBits = 0;
        }
        Word |= bit << (kBitsPerWord - 1 - UsedBits);
        ++UsedBits;
    }

    void WriteBits(std::uint32_t value, int count)
    {
        for (int bit = count - 1; bit >= 0; --bit)
            WriteBit((value >> bit) & 1);
    }

    void WriteGamma(std::size_t value)
    {
        assert(value >= 1 && value <= kLargestGammaValue);
        const int digits = static_cast<int>(std::bit_width(value)) - 1;
        for (int digit = digits - 1; digit >= 0; --digit) {
            WriteBit(1);
            WriteBit(static_cast<std::uint32_t>((value >> digit) & 1));
        }
        if (value < kGammaUnclosedFrom)
            WriteBit(0);
    }

    void WriteLiteralRun(std::span<const std::uint8_t> bytes)
    {
        WriteBit(0);
        WriteGamma(bytes.size());
        std::memcpy(Output.data() + Position, bytes.data(), bytes.size());
        Position += bytes.size();
    }

    void WriteMatch(std::size_t length, std::size_t distance)
    {
        WriteBit(1);
        WriteGamma(length - 1);
        int distanceClass = 0;
        while (distance >> DistanceBits(distanceClass, length) != 0)
            ++distanceClass;
        WriteBits(static_cast<std::uint32_t>(distanceClass), 2);
        WriteBits(static_cast<std::uint32_t>(distance), DistanceBits(distanceClass, length));
    }

    std::size_t Finish()
    {
        StoreWord();
        return Position;
    }

private:
    void StoreWord()
    {
        for (std::size_t i = 0; i < kControlWordSize; ++i)
            Output[WordPosition + i] = static_cast<std::uint8_t>(Word >> (8 * i));
    }

    std::span<std::uint8_t> Output;
    std::size_t Position = 0;
    std::size_t WordPosition = 0;
    std::uint32_t Word = 0;
    int UsedBits = 0;
};

struct Match
{
    std::size_t Length = 0;
    std::size_t Distance = 0;
};

// Finds at every position the longest match within the window, the nearest among equally long ones,
// exactly as trying every distance would.
//
// Matches of three bytes or more: positions whose first three bytes hash alike form a binary search
// tree ordered by the bytes that start there, up to kMaxMatchLength or the end of the input, a
// shorter string before a longer one that starts with it. Each new position becomes the root, and the
// old tree is split along the search path into its two subtrees, so every node is newer than all
// nodes below it. The positions that share at least L >= 3 bytes with the new one all lie in its tree
// and form a contiguous range of that order, and the newest of a range is always on the search path;
// as the path meets nodes from the newest down, the first node at which the longest length appears
// is the nearest one of that length.
// A node that equals the new position in all kMaxMatchLength bytes is dropped: for every later
// position the new one matches as long and is nearer. Nodes that left the window are cut off when the
// path reaches them; everything below them is older still.
// Matches of two bytes count only when there is no longer one, and then the nearest wins: the newest
// position of each byte pair is kept for that.
class MatchFinder
{
public:
    explicit MatchFinder(std::span<const std::uint8_t> input)
        : Data(input), Roots(kHashSize, kNoPosition), NewestPair(kPairCount, kNoPosition),
          Children(2 * kRingSize, kNoPosition)
    {
        assert(input.size() < kNoPosition);
    }

    // Adds `position` (each position in turn, from 0) and returns its match.
    Match InsertAndFind(std::size_t position)
    {
        const std::size_t left = Data.size() - position;
        if (left < kMinMatchLength)
            return {};
        const std::uint8_t* current = Data.data() + position;
        std::uint32_t& newestPair = NewestPair[std::size_t{current[0]} << 8 | current[1]];
        const std::uint32_t pair = newestPair;
        newestPair = static_cast<std::uint32_t>(position);

        if (left > kMinMatchLength) {
            const Match longer = InsertIntoTree(position, std::min(kMaxMatchLength, left));
            if (longer.Length > kMinMatchLength)
                return longer;
        }
        if (pair != kNoPosition && position - pair <= kMaxMatchDistance)
            return {kMinMatchLength, position - pair};
        return {};
    }

private:
    // The number of equal bytes at `a` and `b` from `length` on, at most `limit`.
    static std::size_t CommonLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t length,
                                    std::size_t limit)
    {
        // Eight bytes at a time: the lowest differing bit of the two words marks the first differing byte.
        while (length + 8 <= limit) {
            std::uint64_t x = 0;
            std::uint64_t y = 0;
            std::memcpy(&x, a + length, 8);
            std::memcpy(&y, b + length, 8);
            if (x != y) {
                const int bit = std::endian::native == std::endian::little ? std::countr_zero(x ^ y)
                                                                           : std::countl_zero(x ^ y);
                return length + static_cast<std::size_t>(bit / 8);
            }
            length += 8;
        }
        while (length < limit && a[length] == b[length])
            ++length;
        return length;
    }

    Match InsertIntoTree(std::size_t position, std::size_t limit)
    {
        const std::uint8_t* current = Data.data() + position;
        const std::uint32_t key =
            (std::uint32_t{current[0]} << 16 | std::uint32_t{current[1]} << 8 | current[2]) * kHashMultiplier;
        std::uint32_t& root = Roots[key >> (32 - kHashBits)];
        std::uint32_t candidate = root;
        root = static_cast<std::uint32_t>(position);

        // Where the next node smaller (greater) than the new position goes, and how many leading bytes
        // every node still below shares with it.
        std::uint32_t* smallerSlot = &Children[2 * (position & kRingMask)];
        std::uint32_t* greaterSlot = smallerSlot + 1;
        std::size_t smallerLength = 0;
        std::size_t greaterLength = 0;
        Match best;
        for (;;) {
            if (candidate == kNoPosition || position - candidate > kMaxMatchDistance) {
                *smallerSlot = kNoPosition;
                *greaterSlot = kNoPosition;
                return best;
            }
            const std::uint8_t* earlier = Data.data() + candidate;
            const std::size_t length =
                CommonLength(earlier, current, std::min(smallerLength, greaterLength), limit);
            if (length > best.Length)
                best = {length, position - candidate};

            std::uint32_t* node = &Children[2 * (candidate & kRingMask)];
            if (length == kMaxMatchLength) {
                *smallerSlot = node[0];
                *greaterSlot = node[1];
                return best;
            }
            // Note: when the input ends first (length == limit < kMaxMatchLength), the new position is
            // the shorter string and so the smaller one.
            if (length < limit && earlier[length] < current[length]) {
                *smallerSlot = candidate;
                smallerSlot = node + 1;
                smallerLength = length;
                candidate = node[1];
            } else {
                *greaterSlot = candidate;
                greaterSlot = node;
                greaterLength = length;
                candidate = node[0];
            }
        }
    }

    static constexpr std::uint32_t kNoPosition = std::numeric_limits<std::uint32_t>::max();
    static constexpr int kHashBits = 16;
    static constexpr std::size_t kHashSize = std::size_t{1} << kHashBits;
    static constexpr std::uint32_t kHashMultiplier = 2654435761u; // Knuth's multiplicative hash
    static constexpr std::size_t kPairCount = std::size_t{1} << 16;
    // Note: a power of two above kMaxMatchDistance, so a slot is reused only by a position that is
    // out of the window of every position that can still reach the old one.
    static constexpr std::size_t kRingSize = 4096;
    static constexpr std::size_t kRingMask = kRingSize - 1;
    static_assert(kRingSize > kMaxMatchDistance);

    std::span<const std::uint8_t> Data;
    std::vector<std::uint32_t> Roots;      // per hash of three bytes: the newest position, root of its tree
    std::vector<std::uint32_t> NewestPair; // per first two bytes: the newest position
    std::vector<std::uint32_t> Children;   // per position in the ring: smaller child, greater child
};

} // namespace

std::size_t PackBlock(std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
{
    assert(output.size() >= PackedSizeBound(input.size()));
    StreamWriter writer(output);
    MatchFinder finder(input);
    const std::size_t size = input.size();
    std::size_t pending = 0;
    std::size_t position = 0;
    const auto flushLiterals = [&] {
        if (pending > 0)
            writer.WriteLiteralRun(input.subspan(position - pending, pending));
        pending = 0;
    };
    while (position < size) {
        const Match match = finder.InsertAndFind(position);
        if (match.Length > kMinMatchLength ||
            (match.Length == kMinMatchLength && match.Distance <= kMaxShortMatchDistance)) {
            flushLiterals();
            writer.WriteMatch(match.Length, match.Distance);
            // The positions inside the match are still candidates for later matches.
            for (std::size_t skipped = 1; skipped < match.Length; ++skipped)
                finder.InsertAndFind(position + skipped);
            position += match.Length;
        } else {
            ++pending;
            ++position;
            if (pending == kMaxLiteralRun)
                flushLiterals();
        }
    }
    flushLiterals();
    return writer.Finish();
}

std::vector<std::uint8_t> PackBlock(std::span<const std::uint8_t> input)
{
    std::vector<std::uint8_t> output(PackedSizeBound(input.size()));
    output.resize(PackBlock(input, output));
    return output;
}

namespace {

// Reads control bits and literal bytes, failing instead of reading past the end.
class StreamReader
{
public:
    // `packed` must hold the first control word, which every stream has, even that of an empty block.
    explicit StreamReader(std::span<const std::uint8_t> packed) : Packed(packed) { LoadWord(); }

    std::size_t Offset() const { return Position; }
    bool AtEnd() const { return Position == Packed.size(); }
    bool UnusedBitsClear() const { return UsedBits == kBitsPerWord || (Word << UsedBits) == 0; }

    bool ReadBit(std::uint32_t& bit)
    {
        if (UsedBits == kBitsPerWord) {
            if (Packed.size() - Position < kControlWordSize)
                return false;
            LoadWord();
        }
        bit = (Word >> (kBitsPerWord - 1 - UsedBits)) & 1;
        ++UsedBits;
        return true;
    }

    bool ReadBits(int count, std::uint32_t& value)
    {
        value = 0;
        for (int i = 0; i < count; ++i) {
            std::uint32_t bit = 0;
            if (!ReadBit(bit))
                return false;
            value = value << 1 | bit;
        }
        return true;
    }

    bool ReadGamma(std::size_t& value)
    {
        value = 1;
        while (value < kGammaUnclosedFrom) {
            std::uint32_t more = 0;
            std::uint32_t digit = 0;
            if (!ReadBit(more))
                return false;
            if (more == 0)
                break;
            if (!ReadBit(digit))
                return false;
            value = value * 2 + digit;
        }
        return true;
    }

    bool ReadBytes(std::size_t count, std::span<const std::uint8_t>& bytes)
    {
        if (Packed.size() - Position < count)
            return false;
        bytes = Packed.subspan(Position, count);
        Position += count;
        return true;
    }

private:
    void LoadWord()
    {
        Word = 0;
        for (std::size_t i = 0; i < kControlWordSize; ++i)
            Word |= std::uint32_t{Packed[Position + i]} << (8 * i);
        Position += kControlWordSize;
        UsedBits = 0;
    }

    std::span<const std::uint8_t> Packed;
    std::size_t Position = 0;
    std::uint32_t Word = 0;
    int UsedBits = kBitsPerWord;
};

} // namespace

Result<std::vector<std::uint8_t>> UnpackBlock(std::span<const std::uint8_t> packed, std::size_t rawSize)
{
    if (packed.size() < kControlWordSize)
        return Fail(ErrorCode::BadInput, "packed stream of " + std::to_string(packed.size()) +
                                             " bytes has no room for its first control word");
    if (rawSize > MaxUnpackedSize(packed.size()))
        return Fail(ErrorCode::BadInput, "packed stream of " + std::to_string(packed.size()) +
                                             " bytes cannot unpack to " + std::to_string(rawSize) +
                                             " bytes, only to at most " +
                                             std::to_string(MaxUnpackedSize(packed.size())));
    StreamReader in(packed);
    std::vector<std::uint8_t> out;
    out.reserve(rawSize);
    // Every failure names where the item began and how much had been unpacked.
    std::size_t itemOffset = 0;
    const auto fail = [&](const std::string& why) {
        return Fail(ErrorCode::BadInput, "packed stream: item at byte " + std::to_string(itemOffset) +
                                             " (after " + std::to_string(out.size()) + " unpacked bytes) " +
                                             why);
    };
    const std::string endsEarly = "runs past the end of the stream";

    while (out.size() < rawSize) {
        itemOffset = in.Offset();
        std::uint32_t bit = 0;
        if (!in.ReadBit(bit))
            return fail(endsEarly);
        std::size_t count = 0;
        if (!in.ReadGamma(count))
            return fail(endsEarly);
        const std::size_t left = rawSize - out.size();
        if (bit == 0) {
            std::span<const std::uint8_t> literals;
            if (count > left)
                return fail("has " + std::to_string(count) + " literals, more than the " +
                            std::to_string(left) + " bytes left to unpack");
            if (!in.ReadBytes(count, literals))
                return fail(endsEarly);
            out.insert(out.end(), literals.begin(), literals.end());
            continue;
        }
        const std::size_t length = count + 1;
        std::uint32_t distanceClass = 0;
        std::uint32_t distance = 0;
        if (!in.ReadBits(2, distanceClass))
            return fail(endsEarly);
        const int classBits = DistanceBits(static_cast<int>(distanceClass), length);
        if (!in.ReadBits(classBits, distance))
            return fail(endsEarly);
        if (distance == 0 || distance > kMaxMatchDistance)
            return fail("has distance " + std::to_string(distance) + ", outside 1 to " +
                        std::to_string(kMaxMatchDistance));
        if (distanceClass > 0 && distance >> DistanceBits(static_cast<int>(distanceClass) - 1, length) == 0)
            return fail("codes distance " + std::to_string(distance) + " in class " +
                        std::to_string(distanceClass) + " where a smaller class holds it");
        if (distance > out.size())
            return fail("reaches " + std::to_string(distance) + " bytes back, before the start");
        if (length > left)
            return fail("copies " + std::to_string(length) + " bytes, more than the " + std::to_string(left) +
                        " bytes left to unpack");
        // Byte by byte, since the copy may overlap what it produces.
        for (std::size_t i = 0; i < length; ++i)
            out.push_back(out[out.size() - distance]);
    }
    if (!in.UnusedBitsClear())
        return Fail(ErrorCode::BadInput,
                    "packed stream: the last control word has set bits after the last item");
    if (!in.AtEnd())
        return Fail(ErrorCode::BadInput, "packed stream: " + std::to_string(packed.size() - in.Offset()) +
                                             " bytes follow the last item at byte " +
                                             std::to_string(in.Offset()));
    return out;
}

std::uint32_t Adler32(std::span<const std::uint8_t> bytes)
{
    uLong checksum = adler32(0L, Z_NULL, 0);
    // zlib takes the length as a 32-bit uInt; feed larger inputs in pieces.
    constexpr std::size_t kPiece = std::size_t{1} << 30;
    for (std::size_t offset = 0; offset < bytes.size(); offset += kPiece) {
        const std::size_t length = std::min(kPiece, bytes.size() - offset);
        checksum = adler32(checksum, bytes.data() + offset, static_cast<uInt>(length));
    }
    return static_cast<std::uint32_t>(checksum);
}

} // namespace orv
