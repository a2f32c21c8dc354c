#include "output/BlockPacker.h"

#include <algorithm>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "PackOracle.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::Bytes;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// `count` bytes in which no two-byte sequence occurs twice and no byte of `avoid` occurs, so that
// nothing in them can be matched.
Bytes NoRepeatBytes(std::size_t count, std::mt19937& random, const Bytes& avoid = {})
{
    std::set<std::pair<int, int>> usedPairs;
    Bytes bytes;
    while (bytes.size() < count) {
        const auto next = static_cast<std::uint8_t>(random());
        if (std::ranges::find(avoid, next) == avoid.end() &&
            usedPairs.insert({bytes.empty() ? -1 : bytes.back(), next}).second)
            bytes.push_back(next);
    }
    return bytes;
}

// Packs into a buffer of exactly the worst-case size, so that the sanitizer catches any write beyond
// it, and compares the bytes with the exhaustive oracle's and the unpacked bytes with the input.
void ExpectSameAsOracle(const Bytes& input, const std::string& name)
{
    Bytes packed(PackedSizeBound(input.size()));
    packed.resize(PackBlock(input, packed));
    const Bytes expected = test::PackBlockExhaustive(input);
    ASSERT_EQ(packed, expected) << name << ": first difference at byte "
                                << std::ranges::mismatch(packed, expected).in1 - packed.begin();
    ASSERT_EQ(UnpackBlock(packed, input.size()).value(), input) << name;
}

TEST(PackBlock, GivesHandMadeStreamsAndTheOracleBytesWithinTheWorstCaseBound)
{
    // Eight zeros: the first has nothing to match (bits 0 0: a run of one literal), the other seven
    // repeat it at distance 1 (1, 11100 for length 7, class 00, distance 0001): word 0x3C040000.
    EXPECT_EQ(PackBlock(Bytes(8, 0)), (Bytes{0x00, 0x00, 0x04, 0x3C, 0x00}));

    // "ABC" at 0, 37 and 40: at 37 the only match is distance 37 (class 1); at 40 the matches at
    // distances 3 and 40 are equally long and the nearer wins. The second match's last two bits do
    // not fit into the first word, so the second word goes where the stream ends at that moment,
    // after the 37 literals, and the final literal follows it.
    //   word 0: 0 10101110110 (run of 37) | 1 100 01 100101 (3 @ 37) | 1 100 00 00.. = 0x576C65C0
    //   word 1: ..11 (rest of 3 @ 3) | 0 0 (run of 1) = 0xC0000000
    std::mt19937 random(1);
    const Bytes abc = {'A', 'B', 'C'};
    const Bytes between = NoRepeatBytes(34, random, {'A', 'B', 'C', 'z'});
    EXPECT_EQ(PackBlock(Concat({abc, between, abc, abc, {'z'}})),
              Concat({{0xC0, 0x65, 0x6C, 0x57}, abc, between, {0x00, 0x00, 0x00, 0xC0, 'z'}}));

    // 300 bytes without a repeated pair: runs of 255 and 45 in one control word of 27 used bits,
    // 0 11111111111111 (255) 0 10111110110 (45), then the 300 bytes.
    const Bytes noise = NoRepeatBytes(20000, random);
    const Bytes noise300(noise.begin(), noise.begin() + 300);
    EXPECT_EQ(PackBlock(noise300), Concat({{0xC0, 0xBE, 0xFE, 0x7F}, noise300}));

    // The dearest streams, incompressible bytes and short literal runs between pairs that just
    // match, stay within the bound; every size from 0 up checks its rounding.
    Bytes pairs;
    for (std::size_t i = 0; pairs.size() < 20000; ++i) {
        pairs.insert(pairs.end(), {noise[i % noise.size()], noise[(i * 7 + 3) % noise.size()]});
        if (pairs.size() > 40)
            pairs.insert(pairs.end(), {pairs[pairs.size() - 40], pairs[pairs.size() - 39]});
    }
    for (const Bytes* stream : std::initializer_list<const Bytes*>{&noise, &pairs}) {
        for (std::size_t size = 0; size <= 600; ++size)
            ASSERT_LE(PackBlock(std::span(*stream).first(size)).size(), PackedSizeBound(size)) << size;
        EXPECT_LE(PackBlock(*stream).size(), PackedSizeBound(stream->size()));
    }

    // "XY" again after 1023 bytes is a match with 10 distance bits in class 3, after 1024 bytes it
    // is not; three bytes match up to 4094 bytes back in 12 bits, not at 4095. The oracle says which.
    for (const std::size_t distance : {1023u, 1024u, 4094u, 4095u}) {
        const Bytes repeated = distance < 4000 ? Bytes{'X', 'Y'} : Bytes{'X', 'Y', 'Z'};
        const Bytes filler = NoRepeatBytes(distance - repeated.size(), random, {'X', 'Y', 'Z', 'z'});
        ExpectSameAsOracle(Concat({repeated, filler, repeated, {'z'}}),
                           "distance " + std::to_string(distance));
    }

    const auto randomBytes = [&](std::size_t size, int alphabet) {
        Bytes bytes(size);
        std::ranges::generate(bytes, [&] { return static_cast<std::uint8_t>(random() % alphabet); });
        return bytes;
    };
    for (std::size_t size : {0u, 1u, 2u, 3u, 4u, 5u, 255u, 256u, 257u, 258u, 511u})
        ExpectSameAsOracle(randomBytes(size, 3), "tiny " + std::to_string(size));
    for (int alphabet : {1, 2, 4, 16, 256})
        ExpectSameAsOracle(randomBytes(3000, alphabet), "alphabet " + std::to_string(alphabet));

    // Periods around the window and the longest match, a few bytes disturbed so that matches break
    // off at different lengths: the nearest copy sits right at or beyond the largest distance, and
    // equal runs longer than 256 bytes make the finder drop old nodes.
    for (std::size_t period : {255u, 256u, 257u, 1023u, 1024u, 4093u, 4094u, 4095u, 4096u}) {
        const Bytes unit = randomBytes(period, 256);
        Bytes input(2 * period + 700);
        for (std::size_t i = 0; i < input.size(); ++i)
            input[i] = static_cast<std::uint8_t>(unit[i % period] ^ (random() % 400 == 0 ? 0x5A : 0));
        ExpectSameAsOracle(input, "period " + std::to_string(period));
    }

    // Pieces copied from anywhere before, with random bytes between, some ending inside a long
    // repetition.
    for (int round = 0; round < 40; ++round) {
        Bytes mixed = randomBytes(1 + random() % 64, 1 + random() % 256);
        for (const std::size_t target = 1 + random() % 6000; mixed.size() < target;) {
            const std::size_t from = random() % mixed.size();
            const std::size_t length =
                random() % 3 ? 0 : std::min<std::size_t>(1 + random() % 300, mixed.size() - from);
            for (std::size_t i = 0; i < length; ++i)
                mixed.push_back(mixed[from + i]);
            mixed.push_back(static_cast<std::uint8_t>(random() % (1 + random() % 256)));
        }
        ExpectSameAsOracle(mixed, "mixed round " + std::to_string(round));
    }
}

TEST(UnpackBlock, RejectsEveryMalformedStreamAndRawSize)
{
    // Control words are written as their 32 bits, top bit first.
    const auto word = [](std::uint32_t bits) { return test::ByteBuilder().U32(bits).Take(); };
    const std::tuple<const char*, Bytes, std::size_t> cases[] = {
        {"no first control word", {0, 0, 0}, 0},
        {"raw size beyond what the stream can hold", word(0), 1000},
        {"literal bytes missing", word(0b00u << 30), 1},
        {"run longer than the raw size", Concat({word(0b0100u << 28), {1, 2}}), 1},
        {"match before the start", word(0b1'0'00'0001u << 24), 2},
        {"distance 0", Concat({word(0b00'1'0'00'0000u << 22), {9}}), 3},
        {"distance 4095", Concat({word(0b00'1'100'11'111111111111u << 12), {9}}), 4},
        {"distance 1 in class 1", Concat({word(0b00'1'100'01'000001u << 18), {9}}), 4},
        {"match longer than the raw size", Concat({word(0b00'1'100'00'0001u << 20), {9}}), 3},
        {"bytes after the last item", Concat({word(0b00u << 30), {9, 9}}), 1},
        {"set bits after the last item", Concat({word(0b00'1u << 29), {9}}), 1},
        {"empty block with set bits", word(1), 0},
        {"second control word missing", Concat({word(0), Bytes(16, 9)}), 17},
    };
    for (const auto& [name, packed, rawSize] : cases)
        EXPECT_FALSE(UnpackBlock(packed, rawSize)) << name;
    // The same streams made right are accepted, so each case fails for its own reason.
    EXPECT_EQ(UnpackBlock(Concat({word(0b00'1'0'00'0001u << 22), {9}}), 3).value(), Bytes(3, 9));
    EXPECT_EQ(UnpackBlock(Concat({word(0b00'1'100'00'0001u << 20), {9}}), 4).value(), Bytes(4, 9));
    EXPECT_EQ(UnpackBlock(Concat({word(0), Bytes(16, 9), word(0), {9}}), 17).value(), Bytes(17, 9));
    EXPECT_EQ(UnpackBlock(word(0), 0).value(), Bytes{});

    // Every truncation and every wrong raw size of a good stream fails.
    Bytes input(3000, 0);
    for (std::size_t i = 0; i < input.size(); i += 1 + i % 7)
        input[i] = static_cast<std::uint8_t>(i * 37);
    const Bytes packed = PackBlock(input);
    for (std::size_t size = 0; size < packed.size(); ++size)
        ASSERT_FALSE(UnpackBlock(std::span(packed).first(size), input.size())) << size;
    EXPECT_FALSE(UnpackBlock(packed, input.size() - 1));
    EXPECT_FALSE(UnpackBlock(packed, input.size() + 1));

    // A raw size above the best case of the stream is refused up front. Zeros pack best: one literal, then
    // matches of 256 at distance 1, 21 bits each; 3,046 of them and the literal's 2 bits fill 1,999 control
    // words exactly, then comes the literal byte. The bound lies within a match of it, and a raw size up to
    // it is left to the stream to refuse.
    const Bytes zeros = PackBlock(Bytes(1 + kMaxMatchLength * 3046, 0));
    EXPECT_EQ(UnpackBlock(zeros, 779897).error().Message.find(" cannot unpack to "), std::string::npos);
    EXPECT_EQ(UnpackBlock(zeros, 779898).error().Message,
              "packed stream of 7997 bytes cannot unpack to 779898 bytes, only to at most 779897");
}

} // namespace
} // namespace orv
