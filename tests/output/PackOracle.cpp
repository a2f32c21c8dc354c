#include "PackOracle.h"

#include <algorithm>
#include <bit>

namespace orv::test {

namespace {

// Control bits fill 32-bit little-endian words from the top bit down; when a word is full, the next
// one is put at the end of the stream. Literal bytes are appended to the stream as they come.
struct BitStream
{
    std::vector<std::uint8_t> Out = std::vector<std::uint8_t>(4);
    std::size_t Word = 0;
    int Used = 0;

    void Bits(std::size_t value, int count)
    {
        while (count-- > 0) {
            if (Used == 32) {
                Word = Out.size();
                Out.resize(Word + 4);
                Used = 0;
            }
            const int position = 31 - Used++;
            Out[Word + position / 8] |= static_cast<std::uint8_t>(((value >> count) & 1) << (position % 8));
        }
    }

    // For each binary digit below the leading 1, a 1 and the digit; then a 0 below 128.
    void Gamma(std::size_t value)
    {
        for (int digit = static_cast<int>(std::bit_width(value)) - 2; digit >= 0; --digit)
            Bits(2 | ((value >> digit) & 1), 2);
        if (value < 128)
            Bits(0, 1);
    }
};

// The distance bits of each class for a match of `length`.
int DistanceBits(std::size_t distanceClass, std::size_t length)
{
    const int bits[4] = {4, 6, 8, length == 2 ? 10 : 12};
    return bits[distanceClass];
}

} // namespace

std::vector<std::uint8_t> PackBlockExhaustive(std::span<const std::uint8_t> in)
{
    BitStream stream;
    std::size_t p = 0;
    std::size_t pending = 0;
    const auto flush = [&] {
        if (pending == 0)
            return;
        stream.Bits(0, 1);
        stream.Gamma(pending);
        stream.Out.insert(stream.Out.end(), in.begin() + static_cast<std::ptrdiff_t>(p - pending),
                          in.begin() + static_cast<std::ptrdiff_t>(p));
        pending = 0;
    };
    while (p < in.size()) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        const std::size_t limit = std::min<std::size_t>(256, in.size() - p);
        // Every distance, the nearest first; only a strictly longer match replaces the best.
        for (std::size_t d = 1; d <= 4094 && d <= p && bestLength < limit; ++d) {
            std::size_t length = 0;
            while (length < limit && in[p - d + length] == in[p + length])
                ++length;
            if (length > bestLength) {
                bestLength = length;
                bestDistance = d;
            }
        }
        if (bestLength >= 3 || (bestLength == 2 && bestDistance <= 1023)) {
            flush();
            stream.Bits(1, 1);
            stream.Gamma(bestLength - 1);
            std::size_t distanceClass = 0;
            while (bestDistance >> DistanceBits(distanceClass, bestLength))
                ++distanceClass;
            stream.Bits(distanceClass, 2);
            stream.Bits(bestDistance, DistanceBits(distanceClass, bestLength));
            p += bestLength;
        } else {
            ++p;
            if (++pending == 255)
                flush();
        }
    }
    flush();
    return stream.Out;
}

} // namespace orv::test
