#include "output/TextChecks.h"

#include <algorithm>
#include <memory>

#include "base/Text.h"
#include "font/CharacterSet.h"
#include "font/PreviewCanvas.h"
#include "output/FontTextExport.h"
#include "output/OutputMessages.h"
#include "output/SourceGeneration.h"
#include "output/TextTable.h"

namespace orv {

namespace {

// Lists of characters in a message stop after this many, and count the rest.
constexpr std::size_t kListedCharacters = 16;

// A code unit in messages: "U+00E4 (ä)", or just "U+0010" where the character itself would not
// show (controls, surrogate halves).
std::string UnitName(char16_t unit)
{
    std::string name = "U+" + HexNumber(unit, 4);
    const bool visible = unit > 0x20 && !(unit >= 0x7F && unit < 0xA0) && unit != 0x2028 && unit != 0x2029 &&
                         !IsHighSurrogate(unit) && !IsLowSurrogate(unit);
    if (visible)
        name += " (" + ToUtf8(std::u16string_view(&unit, 1)) + ")";
    return name;
}

std::string UnitList(std::span<const char16_t> units)
{
    std::string list;
    for (std::size_t i = 0; i < units.size() && i < kListedCharacters; ++i)
        list += (i == 0 ? "" : ", ") + UnitName(units[i]);
    if (units.size() > kListedCharacters)
        list += ", and " + std::to_string(units.size() - kListedCharacters) + " more";
    return list;
}

// 65000 as "65,000".
std::string Grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

std::string Plural(std::size_t count, const std::string& noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// The units of `text` that `picks` takes, each once, in the order met.
template <typename Pick> std::vector<char16_t> PickedUnits(std::u16string_view text, Pick picks)
{
    std::vector<char16_t> picked;
    // Made only for a text that has a unit to pick: a long text of them must not cost a search of the
    // list for each.
    std::unique_ptr<std::bitset<65536>> listed;
    for (const char16_t unit : text) {
        if (!picks(unit))
            continue;
        if (!listed)
            listed = std::make_unique<std::bitset<65536>>();
        if (!listed->test(unit)) {
            listed->set(unit);
            picked.push_back(unit);
        }
    }
    return picked;
}

// True for the characters of a C name: ASCII letters, digits and the underscore.
bool IsNameCharacter(char16_t unit)
{
    return (unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z') ||
           (unit >= u'0' && unit <= u'9') || unit == u'_';
}

// The codes that never get a glyph: the device handles them itself, so the face need not have them.
bool IsNeverRendered(char16_t unit)
{
    return unit <= kLastControlCode || unit == kObjectReplacement || unit == kWildcard;
}

// Blanks at an end of a text shown in a message: nothing, or quoted with \r, \n and \t spelt out.
std::string DescribeBlanks(std::u16string_view blanks)
{
    if (blanks.empty())
        return "nothing";
    std::string text = "\"";
    for (const char16_t unit : blanks)
        text += unit == u'\r' ? "\\r" : unit == u'\n' ? "\\n" : unit == u'\t' ? "\\t" : " ";
    return text + "\"";
}

std::u16string_view LeadingBlanks(std::u16string_view text)
{
    return text.substr(0, std::min(text.find_first_not_of(kBlankCharacters), text.size()));
}

std::u16string_view TrailingBlanks(std::u16string_view text)
{
    const std::size_t last = text.find_last_not_of(kBlankCharacters);
    return last == std::u16string_view::npos ? text : text.substr(last + 1);
}

TextFinding TextFindingOf(Severity severity, FindingKind kind, std::uint16_t index,
                          const StringDefinition& definition, std::u16string_view excerptOf,
                          std::string message)
{
    return {severity, kind, index, definition.Identifier, Excerpt(excerptOf), std::move(message)};
}

// Findings sort by their text's index; those of the whole file come after every text's.
std::uint32_t OrderKey(const TextFinding& finding)
{
    return finding.Index ? std::uint32_t{*finding.Index} : 0x10000;
}

TextFinding FileFinding(Severity severity, FindingKind kind, std::string message)
{
    return {severity, kind, std::nullopt, {}, {}, std::move(message)};
}

} // namespace

const char* SpecialCodeName(char16_t code)
{
    switch (code) {
    case u'\u0008':
        return "inverted";
    case u'\u0007':
        return "normal";
    case u'\u25A1':
        return "wildcard";
    default:
        return "object replacement";
    }
}

const char* FindingKindName(FindingKind kind)
{
    switch (kind) {
    case FindingKind::MissingGlyph:
        return "missing-glyph";
    case FindingKind::TooWide:
        return "too-wide";
    case FindingKind::SpecialCodes:
        return "special-codes";
    case FindingKind::BlankTranslation:
        return "blank-translation";
    case FindingKind::SameAsDefault:
        return "same-as-default";
    case FindingKind::BlankEdges:
        return "blank-edges";
    case FindingKind::InvalidIdentifier:
        return "invalid-identifier";
    case FindingKind::TooLong:
        return "too-long";
    case FindingKind::PoolOverflow:
        return "pool-overflow";
    case FindingKind::NonBaseCharacters:
        return "non-base-characters";
    case FindingKind::FontBlockTooBig:
        return "font-block-size";
    case FindingKind::TextBlockTooBig:
        return "text-block-size";
    case FindingKind::NotExportable:
        return "not-exportable";
    case FindingKind::ExportFailed:
        return "export-failed";
    }
    return "unknown";
}

FaceCoverage::FaceCoverage(std::span<const CodePointRange> ranges)
{
    for (const CodePointRange& range : ranges) {
        for (char32_t codePoint = range.First; codePoint <= range.Last && codePoint <= 0xFFFF; ++codePoint)
            Units.set(codePoint);
    }
}

std::u16string Excerpt(std::u16string_view text)
{
    if (text.size() <= kExcerptUnits)
        return std::u16string(text);
    std::size_t length = kExcerptUnits;
    if (IsHighSurrogate(text[length - 1]) && IsLowSurrogate(text[length]))
        --length;
    return std::u16string(text.substr(0, length)) + u"\u2026";
}

DeviceFit FitOnDevice(const StringDefinition& definition, const RenderedFont& font,
                      const FaceCoverage& coverage, bool measure)
{
    DeviceFit fit;
    const std::u16string text = EffectiveText(definition);
    fit.Missing =
        PickedUnits(text, [&](char16_t unit) { return !IsNeverRendered(unit) && !coverage.Covers(unit); });
    if (measure)
        fit.Width = MeasureText(font, text, 1);
    const std::u16string_view translation = TrimBlanks(definition.Translation);
    if (definition.Translated != 0 && !translation.empty()) {
        for (const char16_t code : kSpecialCodes) {
            const auto inDefault = static_cast<std::size_t>(
                std::count(definition.DefaultText.begin(), definition.DefaultText.end(), code));
            const auto inTranslation =
                static_cast<std::size_t>(std::count(translation.begin(), translation.end(), code));
            if (inDefault != inTranslation)
                fit.SpecialCodes.push_back({code, inDefault, inTranslation});
        }
    }
    return fit;
}

std::vector<TextFinding> CheckDefinition(std::uint16_t index, const StringDefinition& definition,
                                         const RenderedFont& font, const FaceCoverage& coverage,
                                         const TextCheckOptions& options)
{
    std::vector<TextFinding> findings;
    const std::u16string text = EffectiveText(definition);
    const bool marked = definition.Translated != 0;
    const std::u16string_view translation = TrimBlanks(definition.Translation);
    const bool translationUsed = marked && !translation.empty();
    const DeviceFit fit = FitOnDevice(definition, font, coverage, options.MaxWidth.has_value());

    if (!fit.Missing.empty())
        findings.push_back(TextFindingOf(Severity::Error, FindingKind::MissingGlyph, index, definition, text,
                                         "the font has no glyph for " + UnitList(fit.Missing) +
                                             "; the device shows its missing-character box instead"));

    if (fit.TooWide(options.MaxWidth))
        findings.push_back(TextFindingOf(Severity::Error, FindingKind::TooWide, index, definition, text,
                                         std::to_string(fit.Width) + " pixels wide, more than the " +
                                             std::to_string(*options.MaxWidth) + " allowed"));

    if (!fit.SpecialCodes.empty()) {
        std::string differences;
        for (const SpecialCodeCount& count : fit.SpecialCodes)
            differences += (differences.empty() ? "" : "; ") + std::string("U+") + HexNumber(count.Code, 4) +
                           " (" + SpecialCodeName(count.Code) + ") " + std::to_string(count.InDefault) +
                           " in the default text, " + std::to_string(count.InTranslation) +
                           " in the translation";
        findings.push_back(TextFindingOf(Severity::Error, FindingKind::SpecialCodes, index, definition,
                                         translation, "special codes differ: " + differences));
    }

    if (marked && translation.empty())
        findings.push_back(TextFindingOf(Severity::Warning, FindingKind::BlankTranslation, index, definition,
                                         definition.Translation,
                                         "the translation is marked but blank; the device shows the default "
                                         "text"));
    if (translationUsed && translation == TrimBlanks(definition.DefaultText))
        findings.push_back(TextFindingOf(Severity::Warning, FindingKind::SameAsDefault, index, definition,
                                         translation, "the translation is the same as the default text"));

    if (translationUsed) {
        const std::u16string_view defaultText = definition.DefaultText;
        std::string differences;
        for (const bool start : {true, false}) {
            const auto blanksOf = start ? LeadingBlanks : TrailingBlanks;
            const std::u16string_view mine = blanksOf(definition.Translation);
            const std::u16string_view theirs = blanksOf(defaultText);
            if (mine == theirs)
                continue;
            differences += std::string(differences.empty() ? "" : " and ") + (start ? "starts" : "ends") +
                           " with " + DescribeBlanks(mine) + " where the default text " +
                           (start ? "starts" : "ends") + " with " + DescribeBlanks(theirs);
        }
        if (!differences.empty())
            findings.push_back(TextFindingOf(Severity::Warning, FindingKind::BlankEdges, index, definition,
                                             definition.Translation,
                                             "the translation " + differences +
                                                 "; the export drops the blanks and line breaks at both ends "
                                                 "of a translation, and the device draws one line"));
    }

    // "S_" makes a leading digit and an empty identifier harmless; anything else outside the name
    // characters makes the define name something else, or costs the identifier its line.
    const std::vector<char16_t> foreign =
        PickedUnits(definition.Identifier, [](char16_t unit) { return !IsNameCharacter(unit); });
    if (!foreign.empty()) {
        const bool lineLeftOut = !HeaderLine(index, definition.Identifier);
        findings.push_back(TextFindingOf(
            Severity::Warning, FindingKind::InvalidIdentifier, index, definition, definition.Identifier,
            "the identifier is no C name after \"S_\", which takes only ASCII letters, digits and "
            "underscores: it has " +
                UnitList(foreign) +
                (lineLeftOut
                     ? "; \"fw_textIDs.h\" leaves its line out"
                     : "; a compiler reads its line in \"fw_textIDs.h\" as another define, or refuses "
                       "it")));
    }
    return findings;
}

std::vector<TextFinding> CheckExportLimits(const DefinitionTable& table, const RenderedFont& font)
{
    std::vector<TextFinding> findings;
    if (!CheckExportable(table)) {
        findings.push_back(FileFinding(Severity::Warning, FindingKind::NotExportable,
                                       "there is no export: its text table needs at least two texts marked "
                                       "\"Translated\", and this file has " +
                                           std::to_string(CountTranslated(table))));
        return findings;
    }
    const Result<ExportFile> file = BuildExport(table, font);
    if (!file) {
        findings.push_back(FileFinding(Severity::Error, FindingKind::ExportFailed,
                                       "the export cannot be built: " + file.error().Message));
        return findings;
    }

    // The texts as the export took them, before they were cut to kMaxTextUnits.
    const auto exportedText = [&](std::uint16_t index) { return EffectiveText(table.Definitions.at(index)); };
    for (const auto& [index, definition] : table.Definitions) {
        if (definition.Translated == 0)
            continue;
        const std::u16string text = EffectiveText(definition);
        if (text.size() > kMaxTextUnits)
            findings.push_back(TextFindingOf(
                Severity::Warning, FindingKind::TooLong, index, table.Definitions.at(index), text,
                "the text has " + Grouped(text.size()) + " code units; the export keeps the first " +
                    Grouped(kMaxTextUnits)));
    }
    const std::string poolFull = "the " + Grouped(kPoolSize) + "-byte text pool is full: ";
    for (const std::uint16_t index : file->CutIndexes)
        findings.push_back(TextFindingOf(Severity::Warning, FindingKind::PoolOverflow, index,
                                         table.Definitions.at(index), exportedText(index),
                                         poolFull + "the export keeps only the start of this text"));
    for (const std::uint16_t index : file->LeftOutIndexes)
        findings.push_back(TextFindingOf(Severity::Warning, FindingKind::PoolOverflow, index,
                                         table.Definitions.at(index), exportedText(index),
                                         poolFull + "the export leaves this text out"));
    std::stable_sort(findings.begin(), findings.end(), [](const TextFinding& left, const TextFinding& right) {
        return OrderKey(left) < OrderKey(right);
    });

    if (file->TextFlags & NonBaseCharacter) {
        std::bitset<65536> seen;
        for (const std::uint16_t index : file->NonBaseIndexes) {
            const std::u16string text = exportedText(index);
            for (const char16_t unit : std::u16string_view(text).substr(0, kMaxTextUnits)) {
                if (!IsBaseCharacter(unit))
                    seen.set(unit);
            }
        }
        std::vector<char16_t> units;
        for (std::size_t unit = 0; unit < seen.size(); ++unit) {
            if (seen.test(unit))
                units.push_back(static_cast<char16_t>(unit));
        }
        const std::vector<std::uint16_t>& indexes = file->NonBaseIndexes;
        findings.push_back(FileFinding(
            Severity::Warning, FindingKind::NonBaseCharacters,
            "the text block is flagged NonBaseCharacter: " + Plural(units.size(), "character") +
                " outside the base character set, " + UnitList(units) + ", in " +
                Plural(indexes.size(), "exported text") + " (" +
                (indexes.size() == 1 ? "index " : "indexes ") + FormatIndexRanges(indexes) + ")"));
    }
    const std::string firmwareLimit =
        ", more than the " + Grouped(kFirmwareBlockLimit) + " bytes that firmware 1.04 can load";
    if (file->FontBlock.PackedSize > kFirmwareBlockLimit)
        findings.push_back(FileFinding(Severity::Warning, FindingKind::FontBlockTooBig,
                                       "the packed font block is " + Grouped(file->FontBlock.PackedSize) +
                                           " bytes" + firmwareLimit));
    if (file->TextBlock.RawSize > kFirmwareBlockLimit)
        findings.push_back(FileFinding(Severity::Warning, FindingKind::TextBlockTooBig,
                                       "the unpacked text block is " + Grouped(file->TextBlock.RawSize) +
                                           " bytes" + firmwareLimit));
    return findings;
}

std::vector<TextFinding> CheckTexts(const DefinitionTable& table, const RenderedFont& font,
                                    const FaceCoverage& coverage, const TextCheckOptions& options)
{
    std::vector<TextFinding> findings;
    for (const auto& [index, definition] : table.Definitions) {
        std::vector<TextFinding> own = CheckDefinition(index, definition, font, coverage, options);
        findings.insert(findings.end(), std::make_move_iterator(own.begin()),
                        std::make_move_iterator(own.end()));
    }
    std::vector<TextFinding> exportFindings = CheckExportLimits(table, font);
    findings.insert(findings.end(), std::make_move_iterator(exportFindings.begin()),
                    std::make_move_iterator(exportFindings.end()));
    // Each text's findings together, its own before the export's; the whole file's last.
    std::stable_sort(findings.begin(), findings.end(), [](const TextFinding& left, const TextFinding& right) {
        return OrderKey(left) < OrderKey(right);
    });
    return findings;
}

} // namespace orv
