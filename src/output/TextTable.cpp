#include "output/TextTable.h"

#include <algorithm>
#include <cassert>

#include "base/ByteReader.h"
#include "base/ByteWriter.h"
#include "output/OutputMessages.h"
#include "output/SearchTableCheck.h"

namespace orv {

bool IsBaseCharacter(char16_t c)
{
    if (c >= 0x20 && c <= 0x7E)
        return true;
    return std::find(BaseCharacterSet.begin() + 95, BaseCharacterSet.end(), c) != BaseCharacterSet.end();
}

AppendedText TextPool::AppendText(std::u16string_view text, std::uint32_t& flags)
{
    const std::size_t start = Length;
    const auto overflow = [&] {
        flags |= PoolOverflow;
        return AppendedText{static_cast<std::uint32_t>(start),
                            Length == start ? TextFit::LeftOut : TextFit::Cut};
    };
    for (const char16_t c : text) {
        // The flag is raised before the room check, so a unit that does not fit still counts.
        if (!IsBaseCharacter(c))
            flags |= NonBaseCharacter;
        const std::size_t size = EncodedSize(c);
        if (kPoolSize - Length < size)
            return overflow();
        std::uint8_t* out = Bytes.data() + Length;
        if (size == 1) {
            out[0] = static_cast<std::uint8_t>(c);
        } else if (size == 2) {
            out[0] = static_cast<std::uint8_t>(0xC0 | (c >> 6));
            out[1] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        } else {
            out[0] = static_cast<std::uint8_t>(0xE0 | (c >> 12));
            out[1] = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
            out[2] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        }
        Length += size;
    }
    if (Length == kPoolSize)
        return overflow();
    Bytes[Length++] = 0;
    return {static_cast<std::uint32_t>(start), TextFit::Whole};
}

std::vector<SearchTableEntry> BuildTextTree(std::span<const std::uint16_t> indexes,
                                            std::span<const std::uint32_t> offsets)
{
    assert(indexes.size() >= 2 && indexes.size() == offsets.size());
    return BuildSearchTable(indexes, offsets);
}

Result<TextTableBytes> BuildTextTable(std::span<const IndexedText> texts)
{
    if (texts.size() < 2)
        return Fail(ErrorCode::BadInput,
                    "a text table needs at least two texts, not " + std::to_string(texts.size()));
    TextTableBytes table;
    TextPool pool;
    std::vector<std::uint16_t> indexes;
    std::vector<std::uint32_t> offsets;
    indexes.reserve(texts.size());
    offsets.reserve(texts.size());
    for (const IndexedText& text : texts) {
        assert(indexes.empty() || text.Index > indexes.back());
        const std::u16string_view units = std::u16string_view(text.Text).substr(0, kMaxTextUnits);
        // Each text's own flags tell which texts raised NonBaseCharacter, as AppendText decides it.
        std::uint32_t textFlags = 0;
        const AppendedText appended = pool.AppendText(units, textFlags);
        table.Flags |= textFlags;
        if (textFlags & NonBaseCharacter)
            table.NonBaseIndexes.push_back(text.Index);
        indexes.push_back(text.Index);
        offsets.push_back(appended.Offset);
        if (appended.Fit == TextFit::Cut)
            table.CutIndexes.push_back(text.Index);
        else if (appended.Fit == TextFit::LeftOut)
            table.LeftOutIndexes.push_back(text.Index);
    }
    const std::vector<SearchTableEntry> tree = BuildTextTree(indexes, offsets);

    ByteWriter out;
    out.Reserve(kTextTableHeaderSize + tree.size() * kSearchEntrySize + pool.UsedLength());
    out.WriteU32(table.Flags);
    out.WriteU32(static_cast<std::uint32_t>(tree.size() * kSearchEntrySize));
    WriteSearchTable(out, tree);
    out.WriteBytes(pool.Used());
    table.Bytes = out.Take();
    return table;
}

namespace {

enum class DecodeEnd
{
    Terminator, // stopped at a 0 byte
    PoolEnd,    // ran to the end of the pool
};

// Decodes one text from `pool` at `offset` until its 0 byte, the end of the pool or `limit` bytes.
// Fails on a byte sequence that the pool encoding cannot produce; `place` prefixes the message.
Result<DecodeEnd> DecodeText(std::span<const std::uint8_t> pool, std::size_t offset, std::size_t limit,
                             std::size_t maxUnits, std::u16string& text, const std::string& place,
                             std::size_t poolStart)
{
    std::size_t position = offset;
    const auto failAt = [&](std::size_t at, const std::string& why) {
        return Fail(ErrorCode::BadInput, place + ": byte " + std::to_string(poolStart + at) + " " + why);
    };
    while (position < limit) {
        const std::uint8_t lead = pool[position];
        if (lead == 0)
            return DecodeEnd::Terminator;
        if (text.size() == maxUnits)
            return failAt(position, "continues the text past " + std::to_string(maxUnits) + " code units");
        std::size_t size = 1;
        char16_t unit = lead;
        if (lead >= 0xC0 && lead < 0xE0) {
            size = 2;
            unit = static_cast<char16_t>(lead & 0x1F);
        } else if (lead >= 0xE0 && lead < 0xF0) {
            size = 3;
            unit = static_cast<char16_t>(lead & 0x0F);
        } else if (lead >= 0x80) {
            return failAt(position, "(0x" + HexNumber(lead, 2) + ") cannot start a code unit");
        }
        if (limit - position < size)
            return failAt(position, "starts a code unit that the pool cuts off");
        for (std::size_t i = 1; i < size; ++i) {
            const std::uint8_t next = pool[position + i];
            if ((next & 0xC0) != 0x80)
                return failAt(position + i, "(0x" + HexNumber(next, 2) + ") is not a continuation byte");
            unit = static_cast<char16_t>((unit << 6) | (next & 0x3F));
        }
        if (EncodedSize(unit) != size)
            return failAt(position, "starts a code unit in more bytes than it needs");
        text.push_back(unit);
        position += size;
    }
    return DecodeEnd::PoolEnd;
}

} // namespace

Result<TextTableContents> ReadTextTable(std::span<const std::uint8_t> bytes, const std::string& what)
{
    TextTableContents table;
    ByteReader in(bytes);
    std::uint32_t treeSize = 0;
    if (!in.ReadU32(table.Flags) || !in.ReadU32(treeSize))
        return Fail(ErrorCode::BadInput, what + ": " + std::to_string(bytes.size()) +
                                             " bytes cannot hold the 8-byte header of a text table");
    if ((table.Flags & ~std::uint32_t{NonBaseCharacter | PoolOverflow}) != 0)
        return Fail(ErrorCode::BadInput,
                    what + ": flags " + std::to_string(table.Flags) + " at byte 0 have unknown bits");
    if (treeSize == 0 || treeSize % kSearchEntrySize != 0)
        return Fail(ErrorCode::BadInput, what + ": tree size " + std::to_string(treeSize) +
                                             " at byte 4 is not a positive multiple of 12");
    if (!ReadSearchTable(in, treeSize / kSearchEntrySize, table.Tree))
        return Fail(ErrorCode::BadInput, what + ": tree size " + std::to_string(treeSize) +
                                             " at byte 4 leaves " + std::to_string(in.Remaining()) +
                                             " bytes for the entries");
    auto leaves = CheckSearchTable(table.Tree, kTextTableHeaderSize, what + " search table");
    if (!leaves)
        return tl::unexpected(leaves.error());

    const std::size_t poolStart = in.Offset();
    const std::span<const std::uint8_t> pool = bytes.subspan(poolStart);
    if (pool.size() > kPoolSize)
        return Fail(ErrorCode::BadInput, what + ": the text pool at byte " + std::to_string(poolStart) +
                                             " holds " + std::to_string(pool.size()) + " bytes, more than " +
                                             std::to_string(kPoolSize));
    table.PoolLength = static_cast<std::uint32_t>(pool.size());
    const bool overflow = (table.Flags & PoolOverflow) != 0;

    // Texts are stored back to back in index order, so their offsets never go down. Without an
    // overflow each text fills exactly the bytes up to the next one and ends in its 0 byte; after an
    // overflow a text may lack its 0 byte and run on, but never beyond kMaxTextUnits plus the two
    // units that the last bytes of a full pool can hold.
    // Note: the running total bounds the work on a hostile table whose texts all start at one place.
    const std::size_t maxUnits = overflow ? kMaxTextUnits + 2 : kMaxTextUnits;
    const std::size_t maxTotalUnits = kPoolSize + 2 * leaves->size() + maxUnits;
    const auto placeOf = [&](const SearchLeaf& leaf) {
        return what + ": text of index " + std::to_string(leaf.Key) + " at pool offset " +
               std::to_string(leaf.Value);
    };
    // All offsets are checked before any text is read, since a text's end is the next one's offset.
    for (std::size_t i = 0; i < leaves->size(); ++i) {
        const std::size_t offset = (*leaves)[i].Value;
        if (offset > pool.size())
            return Fail(ErrorCode::BadInput, placeOf((*leaves)[i]) + " lies beyond the pool of " +
                                                 std::to_string(pool.size()) + " bytes");
        if (overflow) {
            if (i > 0 && offset < (*leaves)[i - 1].Value)
                return Fail(ErrorCode::BadInput,
                            placeOf((*leaves)[i]) + " comes before the text of a lower index");
        } else if (offset == pool.size() || (i == 0 ? offset != 0 : offset <= (*leaves)[i - 1].Value)) {
            return Fail(ErrorCode::BadInput,
                        placeOf((*leaves)[i]) + " does not start where the texts before it end");
        }
    }

    std::size_t totalUnits = 0;
    table.Texts.reserve(leaves->size());
    for (std::size_t i = 0; i < leaves->size(); ++i) {
        const SearchLeaf& leaf = (*leaves)[i];
        const std::string place = placeOf(leaf);
        const std::size_t offset = leaf.Value;
        TableText text{leaf.Key, leaf.Value, {}, true};
        const std::size_t limit = overflow || i + 1 == leaves->size() ? pool.size() : (*leaves)[i + 1].Value;
        const auto end = DecodeText(pool, offset, limit, maxUnits, text.Text, place, poolStart);
        if (!end)
            return tl::unexpected(end.error());
        if (!overflow && (*end == DecodeEnd::PoolEnd || pool[limit - 1] != 0))
            return Fail(ErrorCode::BadInput, place + " does not end in a 0 byte right before the next text");
        text.Terminated = *end == DecodeEnd::Terminator;
        if (!(table.Flags & NonBaseCharacter)) {
            const auto other = std::find_if(text.Text.begin(), text.Text.end(),
                                            [](char16_t c) { return !IsBaseCharacter(c); });
            if (other != text.Text.end())
                return Fail(ErrorCode::BadInput,
                            place + " holds U+" + HexNumber(*other, 4) +
                                ", outside the base characters, but the flags do not say so");
        }
        totalUnits += text.Text.size();
        if (totalUnits > maxTotalUnits)
            return Fail(ErrorCode::BadInput,
                        place + " overlaps texts before it more than a full pool allows");
        table.Texts.push_back(std::move(text));
    }
    return table;
}

} // namespace orv
