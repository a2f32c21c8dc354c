#include "PackOracle.h"

#include <algorithm>

namespace orv::test {

namespace {

class BitStream
{
public:
    BitStream() : Out(4, 0) {}

    void Bit(unsigned value)
    {
        if (Used == 32) {
            Word = Out.size();
            Out.resize(Out.size() + 4, 0);
            Used = 0;
        }
        const unsigned position = 31 - Used; // bit 31 is the top bit of the word's last byte
        if (value)
            Out[Word + position / 8] |= static_cast<std::uint8_t>(1u << (position % 8));
        ++Used;
    }

    void Bits(unsigned value, int count)
    {
        while (count-- > 0)
            Bit((value >> count) & 1);
    }

    void Gamma(unsigned value)
    {
        int top = 7;
        while (!(value >> top))
            --top;
        for (int digit = top - 1; digit >= 0; --digit) {
            Bit(1);
            Bit((value >> digit) & 1);
        }
        if (value < 128)
            Bit(0);
    }

    std::vector<std::uint8_t> Out;
    std::size_t Word = 0;
    unsigned Used = 0;
};

} // namespace

std::vector<std::uint8_t> PackBlockExhaustive(std::span<const std::uint8_t> in)
{
    BitStream stream;
    const std::size_t n = in.size();
    std::size_t p = 0;
    std::size_t pending = 0;
    const auto flush = [&] {
        if (pending == 0)
            return;
        stream.Bit(0);
        stream.Gamma(static_cast<unsigned>(pending));
        stream.Out.insert(stream.Out.end(), in.begin() + static_cast<std::ptrdiff_t>(p - pending),
                          in.begin() + static_cast<std::ptrdiff_t>(p));
        pending = 0;
    };
    while (p < n) {
        std::size_t bestLength = 0;
        std::size_t bestDistance = 0;
        if (n - p >= 2) {
            const std::size_t limit = std::min<std::size_t>(256, n - p);
            for (std::size_t d = 1; d <= 4094 && d <= p; ++d) {
                if (in[p - d] != in[p] || in[p - d + 1] != in[p + 1])
                    continue;
                std::size_t length = 2;
                while (length < limit && in[p - d + length] == in[p + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = d;
                }
                if (bestLength == limit)
                    break; // nothing farther can be strictly longer
            }
        }
        if (bestLength >= 3 || (bestLength == 2 && bestDistance <= 1023)) {
            flush();
            stream.Bit(1);
            stream.Gamma(static_cast<unsigned>(bestLength - 1));
            const int bits[4] = {4, 6, 8, bestLength == 2 ? 10 : 12};
            unsigned distanceClass = 0;
            while (bestDistance >> bits[distanceClass])
                ++distanceClass;
            stream.Bits(distanceClass, 2);
            stream.Bits(static_cast<unsigned>(bestDistance), bits[distanceClass]);
            p += bestLength;
        } else {
            ++pending;
            ++p;
            if (pending == 255)
                flush();
        }
    }
    flush();
    return stream.Out;
}

std::vector<std::string> DescribeStream(std::span<const std::uint8_t> packed, std::size_t rawSize)
{
    std::vector<std::string> items;
    std::size_t position = 4;
    std::uint32_t word = 0;
    unsigned used = 0;
    bool failed = packed.size() < 4;
    if (!failed)
        word = packed[0] | packed[1] << 8 | packed[2] << 16 | static_cast<std::uint32_t>(packed[3]) << 24;
    const auto bit = [&]() -> unsigned {
        if (used == 32) {
            if (position + 4 > packed.size()) {
                failed = true;
                return 0;
            }
            word = packed[position] | packed[position + 1] << 8 | packed[position + 2] << 16 |
                   static_cast<std::uint32_t>(packed[position + 3]) << 24;
            position += 4;
            used = 0;
        }
        return (word >> (31 - used++)) & 1;
    };
    const auto gamma = [&] {
        unsigned value = 1;
        while (value < 128 && !failed && bit())
            value = value * 2 + bit();
        return value;
    };
    std::size_t produced = 0;
    while (produced < rawSize && !failed) {
        if (bit() == 0) {
            const unsigned count = gamma();
            position += count;
            produced += count;
            items.push_back("L" + std::to_string(count));
        } else {
            const unsigned length = gamma() + 1;
            const unsigned distanceClass = bit() << 1 | bit();
            const int bits[4] = {4, 6, 8, length == 2 ? 10 : 12};
            unsigned distance = 0;
            for (int i = 0; i < bits[distanceClass]; ++i)
                distance = distance << 1 | bit();
            produced += length;
            items.push_back("M" + std::to_string(length) + "@" + std::to_string(distance) + "/c" +
                            std::to_string(distanceClass));
        }
    }
    if (failed || position > packed.size())
        items.push_back("error");
    return items;
}

} // namespace orv::test
