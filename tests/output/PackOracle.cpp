#include "PackOracle.h"

#include <algorithm>
#include <bit>
#include <tuple>

namespace orv::test {

std::vector<std::uint8_t> PackBlockExhaustive(std::span<const std::uint8_t> in)
{
    // Control bits fill 32-bit little-endian words from the top bit down; when a word is full, the next
    // one is put at the end of the stream. Literal bytes are appended to the stream as they come.
    std::vector<std::uint8_t> out(4);
    std::size_t word = 0;
    int used = 0;
    const auto bits = [&](std::size_t value, int count) {
        while (count-- > 0) {
            if (used == 32) {
                word = out.size();
                out.resize(word + 4);
                used = 0;
            }
            const int position = 31 - used++;
            out[word + position / 8] |= static_cast<std::uint8_t>(((value >> count) & 1) << (position % 8));
        }
    };
    // For each binary digit below the leading 1, a 1 and the digit; then a 0 below 128.
    const auto gamma = [&](std::size_t value) {
        for (int digit = static_cast<int>(std::bit_width(value)) - 2; digit >= 0; --digit)
            bits(2 | ((value >> digit) & 1), 2);
        if (value < 128)
            bits(0, 1);
    };

    std::size_t p = 0;
    std::size_t pending = 0;
    const auto flush = [&] {
        if (pending == 0)
            return;
        bits(0, 1);
        gamma(pending);
        out.insert(out.end(), in.begin() + static_cast<std::ptrdiff_t>(p - pending),
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
            if (length > bestLength)
                std::tie(bestLength, bestDistance) = std::pair(length, d);
        }
        if (bestLength >= 3 || (bestLength == 2 && bestDistance <= 1023)) {
            flush();
            bits(1, 1);
            gamma(bestLength - 1);
            // The distance bits of each class; a match of two bytes has only 10 in class 3.
            const int distanceBits[4] = {4, 6, 8, bestLength == 2 ? 10 : 12};
            std::size_t distanceClass = 0;
            while (bestDistance >> distanceBits[distanceClass])
                ++distanceClass;
            bits(distanceClass, 2);
            bits(bestDistance, distanceBits[distanceClass]);
            p += bestLength;
        } else {
            ++p;
            if (++pending == 255)
                flush();
        }
    }
    flush();
    return out;
}

} // namespace orv::test
