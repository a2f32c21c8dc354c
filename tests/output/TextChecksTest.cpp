#include "output/TextChecks.h"

#include <gtest/gtest.h>

#include "base/Text.h"
#include "output/FontTextExport.h"
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

// A face that maps printable ASCII and U+00E4.
const CodePointRange kAsciiAndUmlaut[] = {{0x20, 0x7E}, {0xE4, 0xE4}};

StringDefinition Untranslated(std::u16string defaultText)
{
    return {7, u"NAME", std::move(defaultText), u"", 0, u""};
}

StringDefinition Translated(std::u16string defaultText, std::u16string translation)
{
    return {7, u"NAME", std::move(defaultText), std::move(translation), 1, u""};
}

std::vector<TextFinding> Check(const StringDefinition& definition, std::optional<int> maxWidth = std::nullopt)
{
    return CheckDefinition(7, definition, SmallFont(), FaceCoverage(kAsciiAndUmlaut),
                           TextCheckOptions{maxWidth});
}

std::vector<FindingKind> KindsOf(const std::vector<TextFinding>& findings)
{
    std::vector<FindingKind> kinds;
    for (const TextFinding& finding : findings)
        kinds.push_back(finding.Kind);
    return kinds;
}

TEST(FaceCoverage, HoldsTheRangesWithinTheBasicPlane)
{
    const CodePointRange ranges[] = {{0x41, 0x43}, {0xFFFE, 0x10010}};
    const FaceCoverage coverage(ranges);
    EXPECT_FALSE(coverage.Covers(0x40));
    EXPECT_TRUE(coverage.Covers(0x41));
    EXPECT_TRUE(coverage.Covers(0x43));
    EXPECT_FALSE(coverage.Covers(0x44));
    EXPECT_TRUE(coverage.Covers(0xFFFF));
    EXPECT_FALSE(coverage.Covers(0x0010)); // not wrapped round from 0x10010
    EXPECT_FALSE(FaceCoverage().Covers(0x41));
}

TEST(Excerpt, KeepsTheStartWithoutSplittingASurrogatePair)
{
    const std::u16string exact(kExcerptUnits, u'x');
    EXPECT_EQ(Excerpt(exact), exact);
    EXPECT_EQ(Excerpt(exact + u"y"), exact + u"\u2026");
    // The pair at units 31 and 32 is left off whole.
    const std::u16string paired = std::u16string(kExcerptUnits - 1, u'x') + u"\U0001F600";
    EXPECT_EQ(Excerpt(paired), std::u16string(kExcerptUnits - 1, u'x') + u"\u2026");
    // A lone high surrogate at the end is kept: it has no partner to lose.
    const std::u16string lone = std::u16string(kExcerptUnits - 1, u'x') + u"\xD83Dzz";
    EXPECT_EQ(Excerpt(lone), lone.substr(0, kExcerptUnits) + u"\u2026");
}

TEST(CheckDefinition, MissingGlyphsAreTheFacesOwnListedOnceEachWithoutTheCodesThatHaveNone)
{
    // The device's codes (controls, the wildcard, the object replacement) never get a glyph and are no
    // finding; everything else the face lacks is, in the order met, each character once.
    const auto findings =
        Check(Untranslated(u"Ha\u4E2D\u0007\u25A1\uFFFC\r\n\t\u4E2D\u0010\u00E4\U0001F600\u00E9"));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Severity, FindingSeverity::Error);
    EXPECT_EQ(findings[0].Kind, FindingKind::MissingGlyph);
    EXPECT_EQ(findings[0].Index, 7);
    EXPECT_EQ(findings[0].Identifier, u"NAME");
    EXPECT_EQ(findings[0].Message,
              "the font has no glyph for U+4E2D (\u4E2D), U+0010, U+D83D, U+DE00, U+00E9 "
              "(\u00E9); the device shows its missing-character box instead");

    // The text that the device shows is checked: the marked translation, else the default text.
    EXPECT_TRUE(Check(Translated(u"\u4E2D", u"Hallo")).empty());
    EXPECT_EQ(KindsOf(Check(Translated(u"Hallo", u"\u4E2D"))), std::vector{FindingKind::MissingGlyph});
    EXPECT_EQ(KindsOf(Check({7, u"N", u"\u4E2D", u"Hallo", 0, u""})), std::vector{FindingKind::MissingGlyph});
    EXPECT_EQ(KindsOf(Check(Translated(u"\u4E2D", u" \r\n"))),
              (std::vector{FindingKind::MissingGlyph, FindingKind::BlankTranslation}));

    // More than sixteen characters are counted, not listed.
    std::u16string many;
    for (char16_t unit = 0x4E00; unit < 0x4E00 + 20; ++unit)
        many += unit;
    const auto listed = Check(Untranslated(many));
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_NE(listed[0].Message.find("U+4E0F (\u4E0F), and 4 more;"), std::string::npos) << listed[0].Message;
    EXPECT_EQ(listed[0].Excerpt, many);
}

TEST(CheckDefinition, WidthIsMeasuredAsThePreviewDoesAgainstTheLimit)
{
    // "Hallo" is 6 + 4 + 2 + 2 + 4 = 18 pixels; the codes take no room.
    const StringDefinition hallo = Untranslated(u"Hal\u0007lo\u25A1");
    EXPECT_TRUE(Check(hallo).empty());
    EXPECT_TRUE(Check(hallo, 18).empty());
    const auto findings = Check(hallo, 17);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Severity, FindingSeverity::Error);
    EXPECT_EQ(findings[0].Kind, FindingKind::TooWide);
    EXPECT_EQ(findings[0].Message, "18 pixels wide, more than the 17 allowed");
    EXPECT_EQ(findings[0].Excerpt, u"Hal\u0007lo\u25A1");

    // A marked translation is measured trimmed, as the device gets it: two blanks of 3 would make 24.
    EXPECT_TRUE(Check(Translated(u" Halloooooo ", u" Hallo "), 18).empty());
    EXPECT_EQ(KindsOf(Check(Translated(u"Hallo", u"Hallo a"), 18)), (std::vector{FindingKind::TooWide}));
}

TEST(CheckDefinition, SpecialCodesMustAppearAsOftenInAMarkedTranslationAsInTheDefaultText)
{
    const auto findings =
        Check(Translated(u"\u0007Temp \u25A1\u25A1 \u0008\uFFFC", u"Temp \u25A1 \u0008\u0008\uFFFC"));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Severity, FindingSeverity::Error);
    EXPECT_EQ(findings[0].Kind, FindingKind::SpecialCodes);
    EXPECT_EQ(findings[0].Message,
              "special codes differ: U+0008 (inverted) 1 in the default text, 2 in the "
              "translation; U+0007 (normal) 1 in the default text, 0 in the translation; "
              "U+25A1 (wildcard) 2 in the default text, 1 in the translation");
    EXPECT_EQ(findings[0].Excerpt, u"Temp \u25A1 \u0008\u0008\uFFFC");

    // Order does not matter, only the number of each code.
    EXPECT_TRUE(Check(Translated(u"\u0008A\u0007 \uFFFC", u"\uFFFCa \u0007\u0008")).empty());
    EXPECT_EQ(
        Check(Translated(u"A \uFFFC", u"a"))[0].Message,
        "special codes differ: U+FFFC (object replacement) 1 in the default text, 0 in the translation");
    // A translation that is not used cannot lose a code: unmarked, or marked but blank.
    EXPECT_TRUE(Check({7, u"N", u"A\u0007", u"a", 0, u""}).empty());
    EXPECT_EQ(KindsOf(Check(Translated(u"A\u0007", u"  "))), std::vector{FindingKind::BlankTranslation});
}

TEST(CheckDefinition, BlankAndCopiedTranslationsAreWarnedOfOnlyWhenMarked)
{
    const auto blank = Check(Translated(u"Hallo", u" \r\n\t"));
    ASSERT_EQ(blank.size(), 1u);
    EXPECT_EQ(blank[0].Severity, FindingSeverity::Warning);
    EXPECT_EQ(blank[0].Kind, FindingKind::BlankTranslation);
    EXPECT_EQ(blank[0].Message, "the translation is marked but blank; the device shows the default text");
    EXPECT_EQ(blank[0].Excerpt, u" \r\n\t");
    EXPECT_EQ(KindsOf(Check(Translated(u"Hallo", u""))), std::vector{FindingKind::BlankTranslation});

    const auto copied = Check(Translated(u"Hallo", u"Hallo"));
    ASSERT_EQ(copied.size(), 1u);
    EXPECT_EQ(copied[0].Severity, FindingSeverity::Warning);
    EXPECT_EQ(copied[0].Kind, FindingKind::SameAsDefault);
    EXPECT_EQ(copied[0].Message, "the translation is the same as the default text");
    // Blanks at the ends aside, which are a finding of their own.
    EXPECT_EQ(KindsOf(Check(Translated(u" Hallo", u"Hallo "))),
              (std::vector{FindingKind::SameAsDefault, FindingKind::BlankEdges}));
    EXPECT_TRUE(Check(Translated(u"Hallo", u"hallo")).empty());

    EXPECT_TRUE(Check({7, u"N", u"Hallo", u"", 0, u""}).empty());
    EXPECT_TRUE(Check({7, u"N", u"Hallo", u"Hallo", 0, u""}).empty());
}

std::string FirstClause(const std::string& message)
{
    return message.substr(0, message.find(';'));
}

TEST(CheckDefinition, BlanksAtTheEndsOfAMarkedTranslationMustMatchTheDefaultText)
{
    const auto both = Check(Translated(u" Hallo\r\n", u"Hola"));
    ASSERT_EQ(both.size(), 1u);
    EXPECT_EQ(both[0].Severity, FindingSeverity::Warning);
    EXPECT_EQ(both[0].Kind, FindingKind::BlankEdges);
    EXPECT_EQ(both[0].Message,
              "the translation starts with nothing where the default text starts with \" \" "
              "and ends with nothing where the default text ends with \"\\r\\n\"; the export "
              "drops the blanks and line breaks at both ends of a translation, and the "
              "device draws one line");
    EXPECT_EQ(both[0].Excerpt, u"Hola");

    const auto start = Check(Translated(u"Hallo", u"\t Hola"));
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(FirstClause(start[0].Message),
              "the translation starts with \"\\t \" where the default text starts with nothing");
    EXPECT_EQ(start[0].Excerpt, u"\t Hola");
    EXPECT_EQ(FirstClause(Check(Translated(u"Hallo\n", u"Hola\r\n"))[0].Message),
              "the translation ends with \"\\r\\n\" where the default text ends with \"\\n\"");

    EXPECT_TRUE(Check(Translated(u" Hallo\r\n", u" Hola\r\n")).empty());
    EXPECT_TRUE(Check({7, u"N", u" Hallo", u"Hola", 0, u""}).empty());
}

TEST(CheckDefinition, IdentifiersThatAreNoCNameAfterTheirPrefixAreWarnedOf)
{
    // After "S_" a leading digit and an empty identifier make names too.
    for (const std::u16string identifier : {u"", u"9_LIVES", u"Az_09"})
        EXPECT_TRUE(Check({7, identifier, u"Hallo", u"", 0, u""}).empty()) << ToUtf8(identifier);

    const std::pair<std::u16string, std::string> cases[] = {
        // Each character once; the line is still written, but defines something else.
        {u"A-B C-", "U+002D (-), U+0020; a compiler reads its line in \"fw_textIDs.h\" as another define, or "
                    "refuses it"},
        // A line break costs the line; U+2028 is not put into the message as itself.
        {u"X\n#", "U+000A, U+0023 (#); \"fw_textIDs.h\" leaves its line out"},
        {u"\u00C9\u2028", "U+00C9 (\u00C9), U+2028; \"fw_textIDs.h\" leaves its line out"},
    };
    for (const auto& [identifier, listed] : cases) {
        const auto findings = Check({7, identifier, u"Hallo", u"", 0, u""});
        ASSERT_EQ(findings.size(), 1u) << listed;
        EXPECT_EQ(findings[0].Severity, FindingSeverity::Warning);
        EXPECT_EQ(findings[0].Kind, FindingKind::InvalidIdentifier);
        EXPECT_EQ(findings[0].Excerpt, identifier);
        EXPECT_EQ(findings[0].Message,
                  "the identifier is no C name after \"S_\", which takes only ASCII letters, "
                  "digits and underscores: it has " +
                      listed);
    }
}

// `count` definitions marked translated, indexes from `first`, each with `text`; the default texts
// differ so that nothing else is found.
void AddTranslated(DefinitionTable& table, std::uint16_t first, int count, const std::u16string& text)
{
    for (int i = 0; i < count; ++i) {
        const auto index = static_cast<std::uint16_t>(first + i);
        table.Definitions[index] = {
            index, u"T" + std::u16string(1, char16_t(u'A' + i % 26)), u"default", text, 1, u""};
    }
}

std::vector<TextFinding> OfKind(const std::vector<TextFinding>& findings, FindingKind kind)
{
    std::vector<TextFinding> found;
    for (const TextFinding& finding : findings) {
        if (finding.Kind == kind)
            found.push_back(finding);
    }
    return found;
}

TEST(CheckExportLimits, FewerThanTwoTranslatedTextsGiveOnlyTheWarningThatThereIsNoExport)
{
    DefinitionTable table;
    AddTranslated(table, 1, 1, u"\u00E9");
    table.Definitions[2] = {2, u"U", u"untranslated", u"", 0, u""};
    const auto findings = CheckExportLimits(table, SmallFont());
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Severity, FindingSeverity::Warning);
    EXPECT_EQ(findings[0].Kind, FindingKind::NotExportable);
    EXPECT_FALSE(findings[0].Index);
    EXPECT_EQ(findings[0].Message, "there is no export: its text table needs at least two texts marked "
                                   "\"Translated\", and this file has 1");
}

TEST(CheckExportLimits, TheUnpackedTextBlockMayHoldExactly65000Bytes)
{
    // 62 texts of 1023 units and one of 759: 8 + 12 x 62 + 62 x 1024 + 760 = 65,000 bytes.
    DefinitionTable table;
    AddTranslated(table, 1, 62, std::u16string(kMaxTextUnits, u'a'));
    AddTranslated(table, 100, 1, std::u16string(759, u'a'));
    EXPECT_TRUE(CheckExportLimits(table, SmallFont()).empty());

    AddTranslated(table, 100, 1, std::u16string(760, u'a'));
    const auto findings = CheckExportLimits(table, SmallFont());
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Severity, FindingSeverity::Warning);
    EXPECT_EQ(findings[0].Kind, FindingKind::TextBlockTooBig);
    EXPECT_FALSE(findings[0].Index);
    EXPECT_EQ(
        findings[0].Message,
        "the unpacked text block is 65,001 bytes, more than the 65,000 bytes that firmware 1.04 can load");
}

TEST(CheckExportLimits, ThePackedFontBlockIsMeasuredByTheExport)
{
    // Glyphs of 50 x 22 pixels of pseudo-random grey levels pack poorly: some 58 % of their size.
    constexpr std::uint8_t kGreyLevels[] = {0, 36, 73, 109, 146, 182, 219, 255};
    std::uint32_t state = 1;
    std::vector<std::uint8_t> pixels(std::size_t{kMaxGlyphWidth} * kLineHeight);
    GlyphTableBuilder builder;
    for (char16_t codePoint = 0x100; codePoint < 0x100 + 120; ++codePoint) {
        for (std::uint8_t& pixel : pixels) {
            state = state * 1103515245u + 12345u;
            pixel = kGreyLevels[(state >> 16) % 8];
        }
        builder.Add(codePoint, Glyph{50, 0, 0, kMaxGlyphWidth, kLineHeight, pixels});
    }
    const RenderedFont font = builder.Finish();
    DefinitionTable table;
    AddTranslated(table, 1, 2, u"Hallo");
    DefinitionTable exported = table;
    const std::uint32_t packed = BuildExport(exported, font).value().FontBlock.PackedSize;
    ASSERT_GT(packed, kFirmwareBlockLimit);

    const auto findings = CheckExportLimits(table, font);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Kind, FindingKind::FontBlockTooBig);
    EXPECT_EQ(findings[0].Severity, FindingSeverity::Warning);
    std::string figure = std::to_string(packed);
    figure.insert(figure.size() - 3, ",");
    EXPECT_EQ(findings[0].Message, "the packed font block is " + figure +
                                       " bytes, more than the 65,000 bytes that firmware 1.04 can load");
    EXPECT_TRUE(CheckExportLimits(table, SmallFont()).empty());
}

TEST(CheckExportLimits, TextsBeyondThePoolAndBeyond1023UnitsAreNamedOneByOne)
{
    // Index 0 is longer than the export keeps: 1023 wildcards, 3,070 bytes with the end. With 20
    // texts of 1023 three-byte base characters the pool holds 64,470 bytes; index 21 is cut after
    // 355 characters, 30 and 31 find one byte left where they need three, and 32 stores its 'a' but
    // not its end. Not marked, index 40 is not exported at all.
    DefinitionTable table;
    table.Definitions[0] = {0, u"LONG", u"default", std::u16string(kMaxTextUnits + 1, u'\u25A1'), 1, u""};
    AddTranslated(table, 1, 21, std::u16string(kMaxTextUnits, u'\u2194'));
    AddTranslated(table, 30, 1, std::u16string(kMaxTextUnits, u'\u2194'));
    AddTranslated(table, 31, 1, u"\u2194");
    AddTranslated(table, 32, 1, u"a");
    table.Definitions[40] = {40, u"UNMARKED", std::u16string(2000, u'a'), u"", 0, u""};
    const auto findings = CheckExportLimits(table, SmallFont());

    const auto tooLong = OfKind(findings, FindingKind::TooLong);
    ASSERT_EQ(tooLong.size(), 1u);
    EXPECT_EQ(tooLong[0].Index, 0);
    EXPECT_EQ(tooLong[0].Identifier, u"LONG");
    EXPECT_EQ(tooLong[0].Severity, FindingSeverity::Warning);
    EXPECT_EQ(tooLong[0].Message, "the text has 1,024 code units; the export keeps the first 1,023");
    EXPECT_EQ(tooLong[0].Excerpt, Excerpt(std::u16string(kMaxTextUnits + 1, u'\u25A1')));

    const auto overflow = OfKind(findings, FindingKind::PoolOverflow);
    ASSERT_EQ(overflow.size(), 4u);
    const std::string full = "the 65,536-byte text pool is full: ";
    const std::pair<std::uint16_t, std::string> expected[] = {
        {21, full + "the export keeps only the start of this text"},
        {30, full + "the export leaves this text out"},
        {31, full + "the export leaves this text out"},
        {32, full + "the export keeps only the start of this text"},
    };
    for (std::size_t i = 0; i < overflow.size(); ++i) {
        EXPECT_EQ(overflow[i].Index, expected[i].first);
        EXPECT_EQ(overflow[i].Message, expected[i].second);
        EXPECT_EQ(overflow[i].Severity, FindingSeverity::Warning);
    }
    // A full pool is more than the firmware's 65,000 bytes; nothing else is found.
    EXPECT_EQ(OfKind(findings, FindingKind::TextBlockTooBig).size(), 1u);
    EXPECT_EQ(findings.size(), 6u);
    EXPECT_EQ(findings.back().Kind, FindingKind::TextBlockTooBig);
}

TEST(CheckExportLimits, CharactersOutsideTheBaseSetAreOneFindingForTheFile)
{
    DefinitionTable table;
    table.Definitions[2] = {2, u"A", u"Greetings", u"Gr\u00FC\u00DFe", 1, u""};
    table.Definitions[3] = {3, u"B", u"Warmth", u" W\u00E4rme\r\n", 1, u""}; // the line break is trimmed
    table.Definitions[4] = {4, u"C", u"Plain", u"Schlicht", 1, u""};
    table.Definitions[5] = {5, u"D", u"\u0007x", u"\u0007y", 1, u""};
    table.Definitions[6] = {6, u"E", u"Caf\u00E9", u"Caf\u00E9 \u4E2D", 0, u""}; // not exported
    const auto findings = CheckExportLimits(table, SmallFont());
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].Kind, FindingKind::NonBaseCharacters);
    EXPECT_EQ(findings[0].Severity, FindingSeverity::Warning);
    EXPECT_FALSE(findings[0].Index);
    EXPECT_EQ(
        findings[0].Message,
        "the text block is flagged NonBaseCharacter: 4 characters outside the base character set, U+0007, "
        "U+00DF (\u00DF), U+00E4 (\u00E4), U+00FC (\u00FC), in 3 exported texts (indexes 2-3, 5)");
    // The check works on a copy: the translation keeps its blanks.
    EXPECT_EQ(table.Definitions[3].Translation, u" W\u00E4rme\r\n");
}

TEST(BuildTextTable, NamesTheTextsThatRaiseNonBaseCharacterAsAppendTextDecides)
{
    // 3 + 21 x 3,070 = 64,473 bytes, then 1,063 left: index 100 stops at its 355th character, before
    // its U+00E9 is looked at; index 101 is left out, but its U+00E9 was looked at first.
    std::vector<IndexedText> texts = {{1, u"\u00E9"}};
    for (std::uint16_t index = 10; index < 31; ++index)
        texts.push_back({index, std::u16string(kMaxTextUnits, u'\u2194')});
    texts.push_back({100, std::u16string(355, u'\u2194') + u"\u00E9"});
    texts.push_back({101, u"\u00E9"});
    const TextTableBytes table = BuildTextTable(texts).value();
    EXPECT_EQ(table.CutIndexes, std::vector<std::uint16_t>{100});
    EXPECT_EQ(table.LeftOutIndexes, std::vector<std::uint16_t>{101});
    EXPECT_EQ(table.NonBaseIndexes, (std::vector<std::uint16_t>{1, 101}));
    EXPECT_EQ(table.Flags, NonBaseCharacter | PoolOverflow);
}

TEST(CheckTexts, FindingsComeByIndexThenTheFilesAndTheTableIsLeftAsItWas)
{
    DefinitionTable table;
    table.Definitions[9] = {9, u"NINE", u"Hallo", u" Hallo ", 1, u""};
    table.Definitions[3] = {3, u"THREE", u"A", std::u16string(kMaxTextUnits + 1, u'\u4E2D'), 1, u""};
    table.Definitions[5] = {5, u"FIVE", u"Hallo", u"", 0, u""};
    const DefinitionTable before = table;
    const auto findings =
        CheckTexts(table, SmallFont(), FaceCoverage(kAsciiAndUmlaut), TextCheckOptions{100});
    EXPECT_EQ(table, before);

    std::vector<std::pair<std::optional<std::uint16_t>, FindingKind>> order;
    for (const TextFinding& finding : findings)
        order.emplace_back(finding.Index, finding.Kind);
    const std::vector<std::pair<std::optional<std::uint16_t>, FindingKind>> expected = {
        {3, FindingKind::MissingGlyph},
        {3, FindingKind::TooLong},
        {9, FindingKind::SameAsDefault},
        {9, FindingKind::BlankEdges},
        {std::nullopt, FindingKind::NonBaseCharacters},
    };
    EXPECT_EQ(order, expected);
}

} // namespace
} // namespace orv
