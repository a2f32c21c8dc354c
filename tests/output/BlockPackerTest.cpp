#include "output/BlockPacker.h"

#include <algorithm>
#include <cstring>
#include <random>

#include <gtest/gtest.h>

#include "PackOracle.h"
#include "support/TestSupport.h"

namespace orv {
namespace {

using test::Bytes;
using test::Hex;
using Items = std::vector<std::string>;

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// `count` bytes from `random` in which no two-byte sequence occurs twice and no byte of `avoid`
// occurs, so that nothing in them can be matched.
Bytes NoRepeatBytes(std::size_t count, std::mt19937& random, const Bytes& avoid = {})
{
    std::vector<bool> usedPairs(65536, false);
    Bytes bytes;
    while (bytes.size() < count) {
        const auto next = static_cast<std::uint8_t>(random());
        if (std::find(avoid.begin(), avoid.end(), next) != avoid.end())
            continue;
        if (!bytes.empty()) {
            const std::size_t pair = std::size_t{bytes.back()} << 8 | next;
            if (usedPairs[pair])
                continue;
            usedPairs[pair] = true;
        }
        bytes.push_back(next);
    }
    return bytes;
}

// Packs with the shipped packer into a buffer of exactly the worst-case size, so that the sanitizer
// catches any write beyond it, and checks it against the oracle and a round trip.
void ExpectSameAsOracle(const Bytes& input, const std::string& name)
{
    Bytes packed(PackedSizeBound(input.size()));
    packed.resize(PackBlock(input, packed));
    const Bytes expected = test::PackBlockExhaustive(input);
    ASSERT_EQ(packed, expected)
        << name << ": first difference at byte "
        << std::mismatch(packed.begin(), packed.end(), expected.begin(), expected.end()).first -
               packed.begin();
    const auto unpacked = UnpackBlock(packed, input.size());
    ASSERT_TRUE(unpacked) << name << ": " << unpacked.error().Message;
    ASSERT_EQ(*unpacked, input) << name;
}

TEST(PackBlock, HandMadeStreams)
{
    // Eight zeros: the first has nothing to match (bits 0 0: a run of one literal), the other seven
    // repeat it at distance 1 (1, 11100 for length 7, class 00, distance 0001): word 0x3C040000.
    EXPECT_EQ(Hex(PackBlock(Bytes(8, 0))), "00 00 04 3C 00");

    // Nothing at all still has its first control word.
    EXPECT_EQ(Hex(PackBlock(Bytes{})), "00 00 00 00");
    EXPECT_EQ(Hex(PackBlock(Bytes{0x41})), "00 00 00 00 41");

    // "ABC" at 0, 37 and 40: at 37 the only match is distance 37 (class 1); at 40 the matches at
    // distances 3 and 40 are equally long and the nearer wins. The second match's last two bits do
    // not fit into the first word, so the second word goes where the stream ends at that moment,
    // after the 37 literals, and the final literal follows it.
    //   word 0: 0 10101110110 (run of 37) | 1 100 01 100101 (3 @ 37) | 1 100 00 00.. = 0x576C65C0
    //   word 1: ..11 (rest of 3 @ 3) | 0 0 (run of 1) = 0xC0000000
    Bytes filler(34);
    for (std::size_t i = 0; i < filler.size(); ++i)
        filler[i] = static_cast<std::uint8_t>(0x80 + i);
    const Bytes input = Concat({{'A', 'B', 'C'}, filler, {'A', 'B', 'C', 'A', 'B', 'C', 'z'}});
    const Bytes packed = PackBlock(input);
    EXPECT_EQ(packed, Concat({{0xC0, 0x65, 0x6C, 0x57},
                              Bytes(input.begin(), input.begin() + 37),
                              {0x00, 0x00, 0x00, 0xC0, 'z'}}));
    EXPECT_EQ(test::DescribeStream(packed, input.size()), (Items{"L37", "M3@37/c1", "M3@3/c0", "L1"}));
}

TEST(PackBlock, LiteralRunsStopAt255)
{
    // 300 bytes without a repeated pair: runs of 255 and 45 in one control word of 27 used bits,
    // 0 11111111111111 (255) 0 10111110110 (45), then the 300 bytes: 304 in all.
    std::mt19937 random(1);
    const Bytes input = NoRepeatBytes(300, random);
    const Bytes packed = PackBlock(input);
    ASSERT_EQ(packed.size(), 304u);
    EXPECT_EQ(Hex(Bytes(packed.begin(), packed.begin() + 4)), "C0 BE FE 7F");
    EXPECT_TRUE(std::equal(input.begin(), input.end(), packed.begin() + 4));

    // 255 exactly is one run; 256 is a full run and a run of one.
    EXPECT_EQ(test::DescribeStream(PackBlock(Bytes(input.begin(), input.begin() + 255)), 255),
              (Items{"L255"}));
    EXPECT_EQ(test::DescribeStream(PackBlock(Bytes(input.begin(), input.begin() + 256)), 256),
              (Items{"L255", "L1"}));
}

TEST(PackBlock, PairsMatchUpToDistance1023Only)
{
    // "XY" repeated at distance 1023 is a match with 10 distance bits in class 3; at 1024 its bytes
    // are literals. The filler between holds neither X nor Y nor z and no repeated pair.
    std::mt19937 random(2);
    for (const std::size_t distance : {1023u, 1024u}) {
        const Bytes filler = NoRepeatBytes(distance - 2, random, {'X', 'Y', 'z'});
        const Bytes input = Concat({{'X', 'Y'}, filler, {'X', 'Y', 'z'}});
        const Items items = test::DescribeStream(PackBlock(input), input.size());
        if (distance == 1023)
            EXPECT_EQ(items, (Items{"L255", "L255", "L255", "L255", "L3", "M2@1023/c3", "L1"}));
        else
            EXPECT_EQ(items, (Items{"L255", "L255", "L255", "L255", "L7"}));
        ExpectSameAsOracle(input, "distance " + std::to_string(distance));
    }
    // A longer repetition has no such limit: three bytes at distance 4094 match (12 bits), at 4095 not.
    for (const std::size_t distance : {4094u, 4095u}) {
        const Bytes filler = NoRepeatBytes(distance - 3, random, {'X', 'Y', 'Z', 'z'});
        const Bytes input = Concat({{'X', 'Y', 'Z'}, filler, {'X', 'Y', 'Z', 'z'}});
        const Items items = test::DescribeStream(PackBlock(input), input.size());
        const bool matched = std::find(items.begin(), items.end(), "M3@4094/c3") != items.end();
        EXPECT_EQ(matched, distance == 4094) << distance;
        ExpectSameAsOracle(input, "distance " + std::to_string(distance));
    }
}

TEST(PackBlock, MatchesGrowTo256AndMayOverlapThemselves)
{
    // 600 equal bytes: a literal, then matches at distance 1 of the longest length 256, then the rest.
    EXPECT_EQ(test::DescribeStream(PackBlock(Bytes(600, 7)), 600),
              (Items{"L1", "M256@1/c0", "M256@1/c0", "M87@1/c0"}));
    // A period of 5 repeats at distance 5 from the second period on.
    Bytes periodic;
    for (int i = 0; i < 50; ++i)
        periodic.push_back(static_cast<std::uint8_t>("abcde"[i % 5]));
    EXPECT_EQ(test::DescribeStream(PackBlock(periodic), periodic.size()), (Items{"L5", "M45@5/c0"}));
}

// Inputs of many kinds and sizes, each compared with the exhaustive oracle and unpacked again.
TEST(PackBlock, GivesTheOracleBytesOnRandomAndRepetitiveInputs)
{
    std::mt19937 random(3);
    const auto randomBytes = [&](std::size_t size, int alphabet) {
        Bytes bytes(size);
        for (auto& byte : bytes)
            byte = static_cast<std::uint8_t>(random() % alphabet);
        return bytes;
    };
    for (std::size_t size : {0u, 1u, 2u, 3u, 4u, 5u, 255u, 256u, 257u, 258u, 511u})
        ExpectSameAsOracle(randomBytes(size, 3), "tiny " + std::to_string(size));
    for (int alphabet : {1, 2, 3, 4, 16, 256})
        ExpectSameAsOracle(randomBytes(3000, alphabet), "alphabet " + std::to_string(alphabet));

    // Periods around the window and the longest match: the nearest copy sits right at or beyond
    // the largest distance, and equal runs longer than 256 bytes make the finder drop old nodes.
    for (std::size_t period : {255u, 256u, 257u, 1023u, 1024u, 4093u, 4094u, 4095u, 4096u}) {
        const Bytes unit = randomBytes(period, 256);
        Bytes input;
        while (input.size() < 2 * period + 700)
            input.insert(input.end(), unit.begin(), unit.end());
        input.resize(2 * period + 700);
        // Disturb a few bytes so that matches break off at different lengths.
        for (int i = 0; i < 8; ++i)
            input[random() % input.size()] ^= 0x5A;
        ExpectSameAsOracle(input, "period " + std::to_string(period));
    }

    // Runs of equal bytes with short breaks, as in glyph bitmaps; words from a small vocabulary,
    // as in texts; and a stretch that ends inside a long repetition.
    Bytes runs;
    while (runs.size() < 12000) {
        runs.insert(runs.end(), random() % 300, 0);
        for (auto i = random() % 6; i > 0; --i)
            runs.push_back(static_cast<std::uint8_t>(36 * (1 + random() % 7)));
    }
    ExpectSameAsOracle(runs, "runs");
    static const char* const kWords[] = {"Set ",         "value ", "Menu",   "\r\n",
                                         "Temperature ", "°C",     "Alarm ", "off"};
    Bytes text;
    while (text.size() < 12000) {
        const char* word = kWords[random() % std::size(kWords)];
        text.insert(text.end(), word, word + std::strlen(word));
        if (random() % 4 == 0)
            text.push_back(0);
    }
    ExpectSameAsOracle(text, "text");
    Bytes tail = randomBytes(1000, 256);
    tail.insert(tail.end(), tail.begin() + 200, tail.begin() + 700);
    ExpectSameAsOracle(tail, "tail");

    for (int round = 0; round < 40; ++round) {
        // Mixed: random pieces copied from anywhere before, with random edits.
        Bytes mixed = randomBytes(1 + random() % 64, 1 + random() % 256);
        const std::size_t target = 1 + random() % 6000;
        while (mixed.size() < target) {
            if (random() % 3 == 0) {
                const std::size_t from = random() % mixed.size();
                const std::size_t length = std::min<std::size_t>(1 + random() % 300, mixed.size() - from);
                for (std::size_t i = 0; i < length; ++i)
                    mixed.push_back(mixed[from + i]);
            } else {
                mixed.push_back(static_cast<std::uint8_t>(random() % (1 + random() % 256)));
            }
        }
        ExpectSameAsOracle(mixed, "mixed round " + std::to_string(round));
    }
}

TEST(PackBlock, NeverExceedsTheWorstCaseBound)
{
    // The dearest streams: incompressible bytes, and short literal runs between pairs that just
    // match. Every size from 0 up checks the rounding of the bound.
    std::mt19937 random(4);
    const Bytes noise = NoRepeatBytes(20000, random);
    Bytes pairs;
    for (std::size_t i = 0; pairs.size() < 20000; ++i) {
        pairs.push_back(noise[i % noise.size()]);
        pairs.push_back(noise[(i * 7 + 3) % noise.size()]);
        if (pairs.size() > 40) {
            const Bytes earlier(pairs.end() - 40, pairs.end() - 38);
            pairs.insert(pairs.end(), earlier.begin(), earlier.end());
        }
    }
    for (const Bytes* input : std::initializer_list<const Bytes*>{&noise, &pairs}) {
        for (std::size_t size = 0; size <= 600; ++size) {
            const std::span<const std::uint8_t> part(input->data(), size);
            ASSERT_LE(PackBlock(part).size(), PackedSizeBound(size)) << size;
        }
        EXPECT_LE(PackBlock(*input).size(), PackedSizeBound(input->size()));
    }
    EXPECT_EQ(PackedSizeBound(0), 4u);
    EXPECT_EQ(PackedSizeBound(1), 6u);
    EXPECT_EQ(PackedSizeBound(300), 379u);
}

struct BadStream
{
    const char* Name;
    Bytes Packed;
    std::size_t RawSize;
};

TEST(UnpackBlock, RejectsEveryMalformedStream)
{
    // Control words are written as their 32 bits, top bit first, and stored little-endian below.
    const auto word = [](std::uint32_t bits) {
        return Bytes{static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
                     static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    };
    const BadStream cases[] = {
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
    for (const BadStream& bad : cases) {
        const auto result = UnpackBlock(bad.Packed, bad.RawSize);
        ASSERT_FALSE(result) << bad.Name;
        EXPECT_EQ(result.error().Code, ErrorCode::BadInput) << bad.Name;
    }
    // The same streams made right are accepted, so each case fails for its own reason.
    EXPECT_EQ(UnpackBlock(Concat({word(0b00'1'0'00'0001u << 22), {9}}), 3).value(), (Bytes{9, 9, 9}));
    EXPECT_EQ(UnpackBlock(Concat({word(0b00'1'100'00'0001u << 20), {9}}), 4).value(), Bytes(4, 9));
    EXPECT_EQ(UnpackBlock(Concat({word(0), Bytes(16, 9), word(0), {9}}), 17).value(), Bytes(17, 9));
    EXPECT_EQ(UnpackBlock(word(0), 0).value(), Bytes{});
}

TEST(UnpackBlock, RefusesARawSizeAboveTheBestCaseOfItsStreamBeforeAllocating)
{
    // Zeros pack best: one literal, then matches of 256 at distance 1, 21 bits each; 3,046 of them
    // and the literal's 2 bits fill 1,999 control words exactly, then comes the literal byte.
    const Bytes zeros(1 + kMaxMatchLength * 3046, 0);
    const Bytes packed = PackBlock(zeros);
    ASSERT_EQ(packed.size(), 4u * 1999 + 1);
    EXPECT_EQ(UnpackBlock(packed, zeros.size()).value(), zeros);
    // The bound lies within a match of it.
    const std::size_t bound = MaxUnpackedSize(packed.size());
    EXPECT_LT(bound - zeros.size(), kMaxMatchLength);

    const std::string refused = " cannot unpack to ";
    EXPECT_EQ(UnpackBlock(packed, bound).error().Message.find(refused), std::string::npos);
    EXPECT_EQ(UnpackBlock(packed, bound + 1).error().Message,
              "packed stream of 7997 bytes cannot unpack to 779898 bytes, only to at most 779897");
    // A few bytes claiming a gigabyte fail at once rather than after reserving it.
    EXPECT_EQ(UnpackBlock(Bytes(6, 0), std::size_t{1} << 30).error().Message,
              "packed stream of 6 bytes cannot unpack to 1073741824 bytes, only to at most 585");
}

TEST(UnpackBlock, RejectsEveryTruncationAndWrongRawSize)
{
    std::mt19937 random(5);
    Bytes input;
    while (input.size() < 3000)
        input.push_back(static_cast<std::uint8_t>(random() % 5 == 0 ? random() : 0));
    const Bytes packed = PackBlock(input);
    for (std::size_t size = 0; size < packed.size(); ++size)
        ASSERT_FALSE(UnpackBlock(std::span(packed).first(size), input.size())) << size;
    EXPECT_FALSE(UnpackBlock(packed, input.size() - 1));
    EXPECT_FALSE(UnpackBlock(packed, input.size() + 1));
    EXPECT_EQ(UnpackBlock(packed, input.size()).value(), input);
}

TEST(Adler32, MatchesTheZlibChecksum)
{
    EXPECT_EQ(Adler32({}), 1u);
    const std::string wikipedia = "Wikipedia";
    EXPECT_EQ(Adler32(std::span(reinterpret_cast<const std::uint8_t*>(wikipedia.data()), wikipedia.size())),
              0x11E60398u);
    // Long input of 0xFF bytes, where the sums wrap many times; checked against the definition.
    const Bytes ones(200000, 0xFF);
    std::uint32_t a = 1;
    std::uint32_t b = 0;
    for (std::uint8_t byte : ones) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Adler32(ones), b << 16 | a);
}

} // namespace
} // namespace orv
