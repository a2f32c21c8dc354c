#include "output/TextChecks.h"

#include <algorithm>
#include <numeric>
#include <random>

#include <gtest/gtest.h>

#include "base/Text.h"
#include "output/TextTable.h"

namespace orv {
namespace {

// Glyphs of one ink pixel: ' ' 3, 'A' 5, 'H' 6, 'a' 4, 'l' 2, 'o' 4 pixels wide; U+00E4 4.
RenderedFont SmallFont()
{
    static const std::vector<std::uint8_t> ink = {255};
    GlyphTableBuilder builder;
    for (const auto& [codePoint, advance] :
         {std::pair{u' ', 3}, {u'A', 5}, {u'H', 6}, {u'a', 4}, {u'l', 2}, {u'o', 4}, {u'\u00E4', 4}})
        builder.Add(codePoint, Glyph{static_cast<std::uint8_t>(advance), 0, 0, 1, 1, ink});
    return builder.Finish();
}

// The findings as lines "E|W kind index identifier [excerpt]: message", the index and identifier
// left out for the whole file; or with `brief`, as "index kind, ..." alone.
std::string Describe(const std::vector<TextFinding>& findings, bool brief = false)
{
    std::string text;
    for (const TextFinding& f : findings) {
        const std::string index = f.Index ? std::to_string(*f.Index) : "file";
        text += brief ? index + " " + FindingKindName(f.Kind) + ", "
                      : (f.Level == Severity::Error ? "E " : "W ") + std::string(FindingKindName(f.Kind)) +
                            (f.Index ? " " + index + " " + ToUtf8(f.Identifier) : "") + " [" +
                            ToUtf8(f.Excerpt) + "]: " + f.Message + "\n";
    }
    return text;
}

// The findings about index 7 with `identifier`, `defaultText` and `translation` (marked when
// `translated`), the font above, a face that maps printable ASCII and U+00E4, and `maxWidth`.
std::string Check(std::u16string defaultText, std::u16string translation = u"", bool translated = true,
                  std::optional<int> maxWidth = std::nullopt, std::u16string identifier = u"NAME")
{
    const CodePointRange asciiAndUmlaut[] = {{0x20, 0x7E}, {0xE4, 0xE4}};
    const StringDefinition definition{7, identifier, defaultText, translation, translated ? 1u : 0u, u""};
    return Describe(CheckDefinition(7, definition, SmallFont(), FaceCoverage(asciiAndUmlaut),
                                    TextCheckOptions{maxWidth}));
}

TEST(FaceCoverage, HoldsTheRangesWithinTheBasicPlaneAndExcerptsKeepSurrogatePairsWhole)
{
    const CodePointRange ranges[] = {{0x41, 0x43}, {0xFFFE, 0x10010}};
    std::string covered;
    for (const char16_t unit : std::u16string_view(u"@ACD\uFFFF\u0010")) // U+0010 is no U+10010 wrapped round
        covered += FaceCoverage(ranges).Covers(unit) ? '1' : '0';
    EXPECT_EQ(covered, "011010");

    const std::u16string x31(kExcerptUnits - 1, u'x');
    EXPECT_EQ(Excerpt(x31 + u"y"), x31 + u"y");
    EXPECT_EQ(Excerpt(x31 + u"yz"), x31 + u"y\u2026");
    EXPECT_EQ(Excerpt(x31 + u"\U0001F600"), x31 + u"\u2026");
    EXPECT_EQ(Excerpt(x31 + u"\xD83Dzz"), x31 + u"\xD83D\u2026"); // a lone high surrogate has no pair to lose
}

TEST(CheckDefinition, FindsWhatTheDeviceWouldShowWrongInTheTextAndTheIdentifier)
{
    // Missing glyphs are the face's, each listed once, without the codes that never have one.
    EXPECT_EQ(
        Check(u"Ha\u4E2D\u0007\u25A1\uFFFC\r\n\t\u4E2D\u0010\u007F\u00E4\U0001F600\u00E9", u"", false),
        "E missing-glyph 7 NAME [Ha\u4E2D\u0007\u25A1\uFFFC\r\n\t\u4E2D\u0010\u007F\u00E4\U0001F600\u00E9]: "
        "the font has no glyph for U+4E2D (\u4E2D), U+0010, U+007F, U+D83D, U+DE00, U+00E9 (\u00E9); the "
        "device shows its missing-character box instead\n");
    // The text that the device shows is checked: the marked translation, else the default text.
    EXPECT_EQ(Check(u"\u4E2D", u"Hallo"), "");
    EXPECT_NE(Check(u"\u4E2D", u"Hallo", false).find("missing-glyph"), std::string::npos);
    // More than sixteen characters are counted, not listed.
    std::u16string many(20, u'\u4E00');
    std::iota(many.begin(), many.end(), u'\u4E00');
    EXPECT_NE(Check(many, u"", false).find("U+4E0F (\u4E0F), and 4 more;"), std::string::npos);

    // "Hallo" is 6 + 4 + 2 + 2 + 4 = 18 pixels wide as the preview draws it; the codes take no room.
    EXPECT_EQ(Check(u"Hal\u0007lo\u25A1", u"", false, 18), "");
    EXPECT_EQ(Check(u"Hal\u0007lo\u25A1", u"", false, 17),
              "E too-wide 7 NAME [Hal\u0007lo\u25A1]: 18 pixels wide, more than the 17 allowed\n");
    // A marked translation is measured trimmed, as the device gets it: two blanks of 3 would make 24.
    EXPECT_EQ(Check(u" Halloooooo ", u" Hallo ", true, 18), "");

    // Special codes must appear as often in a marked translation as in the default text; order does
    // not matter, and an unused translation loses nothing.
    EXPECT_EQ(Check(u"\u0007T\u25A1\u25A1\u0008\uFFFC", u"T\u25A1\u0008\u0008"),
              "E special-codes 7 NAME [T\u25A1\u0008\u0008]: special codes differ: U+0008 (inverted) 1 in "
              "the default text, 2 in the translation; U+0007 (normal) 1 in the default text, 0 in the "
              "translation; U+25A1 (wildcard) 2 in the default text, 1 in the translation; U+FFFC (object "
              "replacement) 1 in the default text, 0 in the translation\n");
    EXPECT_EQ(Check(u"\u0008A\u0007 \uFFFC", u"\uFFFCa \u0007\u0008"), "");

    // Blank, copied and differently blank-edged translations are warned of only when marked; a blank
    // or unmarked translation is not checked for special codes either.
    EXPECT_EQ(Check(u"Ha\u0007", u" \r\n\t"), "W blank-translation 7 NAME [ \r\n\t]: the translation "
                                              "is marked but blank; the device shows the default text\n");
    EXPECT_EQ(Check(u"Hallo", u"Hallo"),
              "W same-as-default 7 NAME [Hallo]: the translation is the same as the default text\n");
    EXPECT_EQ(Check(u"\t Hallo\r\n", u"Hola"),
              "W blank-edges 7 NAME [Hola]: the translation starts with nothing where the default text "
              "starts with \"\\t \" and ends with nothing where the default text ends with \"\\r\\n\"; the "
              "export drops the blanks and line breaks at both ends of a translation, and the device draws "
              "one line\n");
    // Blanks at the ends aside, a copy is a copy.
    EXPECT_NE(Check(u" Hallo", u"Hallo ").find("W same-as-default"), std::string::npos);
    EXPECT_EQ(Check(u" Hallo\r\n", u" Hola\r\n"), "");
    EXPECT_EQ(Check(u" Hallo\u0007", u"Hallo", false), "");

    // Identifiers that are no C name after their prefix are warned of.
    const auto check = [](std::u16string id) { return Check(u"Hallo", u"", false, {}, id); };
    // After "S_" a leading digit and an empty identifier make names too.
    for (const std::u16string identifier : {u"", u"9_LIVES", u"Az_09"})
        EXPECT_EQ(check(identifier), "") << ToUtf8(identifier);
    const std::string name = "]: the identifier is no C name after \"S_\", which takes only ASCII "
                             "letters, digits and underscores: it has ";
    // Each character once; the line is still written, but defines something else.
    EXPECT_EQ(check(u"A-B C-"), "W invalid-identifier 7 A-B C- [A-B C-" + name +
                                    "U+002D (-), U+0020; a compiler reads its line in \"fw_textIDs.h\" as "
                                    "another define, or refuses it\n");
    // A line break costs the line; U+000A and U+2028 are not put into the message as themselves.
    EXPECT_EQ(check(u"X\n#\u00C9\u2028"),
              "W invalid-identifier 7 X\n#\u00C9\u2028 [X\n#\u00C9\u2028" + name +
                  "U+000A, U+0023 (#), U+00C9 (\u00C9), U+2028; \"fw_textIDs.h\" leaves its line out\n");
}

TEST(CheckExportLimits, NamesTheTextsTheExportCutsOrLeavesOutAndWhatTheFileBreaks)
{
    // `count` definitions marked translated from index `first`, each with `text`; the default texts
    // differ so that nothing else is found.
    DefinitionTable table;
    const auto addTranslated = [&table](std::uint16_t first, int count, const std::u16string& text) {
        for (std::uint16_t index = first; index < first + count; ++index)
            table.Definitions[index] = {index, u"T", u"default", text, 1, u""};
    };
    // Fewer than two marked translations: no export, and nothing else to say.
    addTranslated(1, 1, u"\u00E9");
    table.Definitions[40] = {40, u"U", std::u16string(2000, u'a'), u"", 0, u""};
    EXPECT_EQ(Describe(CheckExportLimits(table, SmallFont())),
              "W not-exportable []: there is no export: its text table needs at least two texts marked "
              "\"Translated\", and this file has 1\n");

    // Index 0 is longer than the export keeps: 1023 wildcards, 3,070 bytes with the end. With indexes
    // 1-20 of 1023 three-byte base characters the pool holds 64,470 bytes; index 21 is cut after 355
    // characters, 30 finds one byte left where it needs three, and 32 stores its 'a' but not its end.
    // Not marked, index 40 is not exported at all.
    table.Definitions[0] = {0, u"LONG", u"default", std::u16string(kMaxTextUnits + 1, u'\u25A1'), 1, u""};
    addTranslated(1, 21, std::u16string(kMaxTextUnits, u'\u2194'));
    addTranslated(30, 1, u"\u2194");
    addTranslated(32, 1, u"a");
    const std::vector<TextFinding> findings = CheckExportLimits(table, SmallFont());
    EXPECT_EQ(Describe(findings, true),
              "0 too-long, 21 pool-overflow, 30 pool-overflow, 32 pool-overflow, file text-block-size, ");
    EXPECT_EQ(Describe({findings[0], findings[2], findings[3], findings[4]}),
              "W too-long 0 LONG [" + ToUtf8(Excerpt(table.Definitions[0].Translation)) +
                  "]: the text has 1,024 code units; the export keeps the first 1,023\nW pool-overflow 30 T "
                  "[\u2194]: the 65,536-byte text pool is full: the export leaves this text out\nW "
                  "pool-overflow 32 T [a]: the 65,536-byte text pool is full: the export keeps only the "
                  "start of this text\nW text-block-size []: the unpacked text block is 65,820 bytes, more "
                  "than the 65,000 bytes that firmware 1.04 can load\n");

    // Characters outside the base set in the exported texts (a trimmed line break is not), and a
    // glyph store of 70,000 random bytes, which pack to more than 65,000.
    table.Definitions = {{2, {2, u"A", u"Greetings", u"Gr\u00FC\u00DFe", 1, u""}},
                         {3, {3, u"B", u"Warmth", u" W\u00E4rme\r\n", 1, u""}},
                         {4, {4, u"C", u"Plain", u"Schlicht", 1, u""}},
                         {5, {5, u"D", u"\u0007x", u"\u0007y", 1, u""}},
                         {6, {6, u"E", u"Caf\u00E9", u"Caf\u00E9 \u4E2D", 0, u""}}}; // 6 is not exported
    RenderedFont font;
    font.GlyphStore.resize(70000);
    std::ranges::generate(font.GlyphStore, std::mt19937(1));
    EXPECT_EQ(Describe(CheckExportLimits(table, font)),
              "W non-base-characters []: the text block is flagged NonBaseCharacter: 4 characters outside "
              "the base character set, U+0007, U+00DF (\u00DF), U+00E4 (\u00E4), U+00FC (\u00FC), in 3 "
              "exported texts (indexes 2-3, 5)\nW font-block-size []: the packed font block is 71,168 bytes, "
              "more than the 65,000 bytes that firmware 1.04 can load\n");

    // All checks together: each text's findings by index, its own before the export's, then the file's.
    table.Definitions = {{9, {9, u"NINE", u"Hallo", u" Hallo ", 1, u""}},
                         {3, {3, u"THREE", u"A", std::u16string(kMaxTextUnits + 1, u'\u4E2D'), 1, u""}},
                         {5, {5, u"FIVE", u"Hallo", u"", 0, u""}}};
    const CodePointRange ascii[] = {{0x20, 0x7E}};
    EXPECT_EQ(Describe(CheckTexts(table, SmallFont(), FaceCoverage(ascii), TextCheckOptions{100}), true),
              "3 missing-glyph, 3 too-long, 9 same-as-default, 9 blank-edges, file non-base-characters, ");
}

} // namespace
} // namespace orv
