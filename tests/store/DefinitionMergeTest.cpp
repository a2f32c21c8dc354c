#include "store/DefinitionMerge.h"

#include <tuple>

#include <gtest/gtest.h>

#include "StoreSamples.h"

namespace orv::test {
namespace {

TEST(DefinitionMerge, CarriesTranslationsOverRowByRow)
{
    // Per index: the loaded definition's default text, translation and mark, the other file's, and
    // the merged translation and mark; a null default text: the index is not in that file.
    using T = const char16_t*;
    const std::tuple<std::uint16_t, T, T, std::uint32_t, T, T, std::uint32_t, T, std::uint32_t> rows[] = {
        // Translated, same default, the other's translation blank: carried over with its mark.
        {1, u"Same", u"Gleich", 1, u"Same", u"  \t", 1, u"Gleich", 1},
        // Translated, default changed: carried over without its mark.
        {2, u"Old", u"Alt", 1, u"New", u"", 0, u"Alt", 0},
        // The other's own translation wins; it loses its mark where the default changed.
        {3, u"Any", u"Irgend", 1, u"Any", u"Neu", 1, u"Neu", 1},
        {4, u"Any", u"", 0, u"Other", u"Anders", 1, u"Anders", 0},
        {5, u"Plain", u"", 0, u"Plain", u"own", 0, u"own", 0},
        {6, u"Gone", u"Weg", 1, nullptr, u"", 0, u"", 0},
        // An odd mark and trailing blanks are carried as they are.
        {7, u"Odd", u"Seltsam \r\n", 7, u"Odd", u"", 0, u"Seltsam \r\n", 7},
        // Only in the other file: marked only when its default text is empty.
        {8, nullptr, u"", 0, u"Fresh", u"Frisch", 1, u"Frisch", 0},
        {9, nullptr, u"", 0, u"", u"Leer", 1, u"Leer", 1},
    };
    DefinitionTable table;
    DefinitionTable other{4, 0x111, 5, {}};
    DefinitionTable expected = other;
    for (const auto& [index, loadedDefault, loadedTranslation, loadedMark, otherDefault, otherTranslation,
                      otherMark, translation, mark] : rows) {
        if (loadedDefault)
            table.Definitions[index] = {index, u"ID", loadedDefault, loadedTranslation, loadedMark, u""};
        if (otherDefault) {
            other.Definitions[index] = {index, u"ID", otherDefault, otherTranslation, otherMark, u""};
            expected.Definitions[index] = {index, u"ID", otherDefault, translation, mark, u""};
        }
    }
    BlockTree tree = TreeFrom("old");
    const BlockTree otherTree = TreeFrom("new(t)");

    const MergeSummary summary = MergeDefinitions(tree, table, otherTree, other);
    EXPECT_EQ(table, expected); // the tree, definitions and header words of the other file
    EXPECT_TRUE(tree == otherTree) << DescribeTree(tree);
    // The old table is handed back, header words included.
    EXPECT_EQ(std::tie(other.CountPrefix, other.FirmwareVersion, other.SaveLock),
              std::tuple(kDefaultCountPrefix, kDefaultFirmwareVersion, 0u));
    // Kept 1 and 7, unmarked 2 and 4, added 8 and 9, removed 6.
    EXPECT_EQ(std::tuple(summary.Kept, summary.Unmarked, summary.Added, summary.Removed),
              std::tuple(2u, 2u, 2u, 1u));
}

TEST(DefinitionMerge, OnlyAnOlderVersionIsRefused)
{
    EXPECT_TRUE(IsOlderFirmwareVersion(0x104, 0x110));
    EXPECT_FALSE(IsOlderFirmwareVersion(0x110, 0x110));
    EXPECT_EQ(MergeOlderVersionMessage(0x104, 0x2A0),
              "The file to be merged (1.04) with is older than the existing (2.a0)");
}

} // namespace
} // namespace orv::test
