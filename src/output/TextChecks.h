#pragma once

// Checks of a definition table against the font it is exported with: what the device would show
// wrong, found before the export. Each finding names its text (index, identifier, a short excerpt),
// or the whole file for the export's limits, with a severity:
//
//   error    MissingGlyph      a character of the effective text that the face has no glyph for (the
//                              device would show the face's "notdef" box); the codes that never get a
//                              glyph (U+0000-U+000F, U+25A1, U+FFFC) are not characters here
//   error    TooWide           wider than the limit asked for, measured as the preview does at zoom 1
//   error    SpecialCodes      a marked translation holds a different number of U+0007, U+0008,
//                              U+25A1 or U+FFFC than its default text; they stand for runtime values
//                              and inverted runs
//   warning  BlankTranslation  a marked translation that is blank: the device shows the default text
//   warning  SameAsDefault     a marked translation equal to its default text (blanks at the ends
//                              aside)
//   warning  BlankEdges        blanks or line breaks at the start or end that differ between the
//                              default text and a marked translation; the export trims translations
//   warning  InvalidIdentifier an identifier that is no C name after "S_", which takes only ASCII
//                              letters, digits and underscores; the excerpt is the identifier
//   warning  TooLong           an exported text longer than the 1023 code units the export keeps
//   warning  PoolOverflow      an exported text cut or left out because the 65,536-byte pool is full
//   warning  NonBaseCharacters (file) exported texts with characters outside the BaseCharacterSet
//   warning  FontBlockTooBig   (file) the packed font block is over the 65,000 bytes of firmware 1.04
//   warning  TextBlockTooBig   (file) the unpacked text block is over those 65,000 bytes
//   warning  NotExportable     (file) fewer than two marked translations: there is no export at all
//   error    ExportFailed      (file) the export cannot be built
//
// The texts are those of every definition (the effective text: the trimmed translation when it is
// marked and not blank, else the default text); the export limits concern the marked ones, which
// alone go into the export. The export's figures come from BuildExport itself, run on a copy.

#include <bitset>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/Notice.h"
#include "font/GlyphTable.h"
#include "font/Rasteriser.h"
#include "store/DefinitionTable.h"

namespace orv {

// How bad a finding is: an error fails the check, a warning does not.
// What a finding is about; the table at the top of this file gives each kind's severity.
enum class FindingKind
{
    MissingGlyph,
    TooWide,
    SpecialCodes,
    BlankTranslation,
    SameAsDefault,
    BlankEdges,
    InvalidIdentifier,
    TooLong,
    PoolOverflow,
    NonBaseCharacters,
    FontBlockTooBig,
    TextBlockTooBig,
    NotExportable,
    ExportFailed,
};

// The codes that stand for something the device puts in at run time, in the order of the editor's
// special-character list: the inverted and normal codes, the wildcard, the object replacement.
inline constexpr char16_t kSpecialCodes[] = {u'\u0008', u'\u0007', u'\u25A1', u'\uFFFC'};

// The name of a special code: "inverted", "normal", "wildcard" or "object replacement".
const char* SpecialCodeName(char16_t code);

// Excerpts keep this many code units of a text, then "…".
inline constexpr std::size_t kExcerptUnits = 32;

// One thing the device would get wrong, about one text or about the whole file.
struct TextFinding
{
    Severity Level = Severity::Error;
    FindingKind Kind = FindingKind::MissingGlyph;
    std::optional<std::uint16_t> Index; // none for findings about the whole file
    std::u16string Identifier;          // without "S_"; empty for the whole file
    std::u16string Excerpt;             // the start of the text the finding is about
    std::string Message;                // UTF-8, one line, without the severity

    bool operator==(const TextFinding&) const = default;
};

// A short lower-case name of `kind` for machine-readable output: "missing-glyph", "too-wide", ...
const char* FindingKindName(FindingKind kind);

// The code points of a face, as a set of UTF-16 units (each unit taken as one character).
class FaceCoverage
{
public:
    FaceCoverage() = default;
    // The units of `ranges` up to U+FFFF.
    explicit FaceCoverage(std::span<const CodePointRange> ranges);
    // True when the face maps `unit` to a glyph.
    bool Covers(char16_t unit) const { return Units.test(unit); }

private:
    std::bitset<65536> Units;
};

// What the caller asks for beyond the checks that always run.
struct TextCheckOptions
{
    std::optional<int> MaxWidth; // in device pixels; none: widths are not checked
};

// A special code that a marked translation holds a different number of times than its default text.
struct SpecialCodeCount
{
    char16_t Code = 0;
    std::size_t InDefault = 0;
    std::size_t InTranslation = 0;

    bool operator==(const SpecialCodeCount&) const = default;
};

// What the device makes of one definition's effective text: the errors of CheckDefinition as
// figures, for showing while the text is typed.
struct DeviceFit
{
    int Width = 0;                              // in device pixels, as the preview draws at zoom 1
    std::vector<char16_t> Missing;              // the characters the face lacks, each once, in order
    std::vector<SpecialCodeCount> SpecialCodes; // in the order of kSpecialCodes; none when equal

    bool TooWide(std::optional<int> maxWidth) const { return maxWidth && Width > *maxWidth; }
};

// The fit of `definition` with `font` and `coverage`; the width is measured only when `measure`.
DeviceFit FitOnDevice(const StringDefinition& definition, const RenderedFont& font,
                      const FaceCoverage& coverage, bool measure);

// The start of `text` for a finding: at most kExcerptUnits units, never half a surrogate pair, then
// "…" when something was left off.
std::u16string Excerpt(std::u16string_view text);

// The findings about the texts of one definition stored under `index`, in the order of the kinds.
// `font` is the device font rendered for the table; `coverage` the face's own.
std::vector<TextFinding> CheckDefinition(std::uint16_t index, const StringDefinition& definition,
                                         const RenderedFont& font, const FaceCoverage& coverage,
                                         const TextCheckOptions& options);

// The findings about the export of `table` with `font`: TooLong, PoolOverflow, and the file's
// findings. Builds the export on a copy; `table` is not changed.
std::vector<TextFinding> CheckExportLimits(const DefinitionTable& table, const RenderedFont& font);

// Every finding: those of the texts in ascending index order (for each text its own findings, then
// the export's), then those of the whole file.
std::vector<TextFinding> CheckTexts(const DefinitionTable& table, const RenderedFont& font,
                                    const FaceCoverage& coverage, const TextCheckOptions& options);

} // namespace orv
