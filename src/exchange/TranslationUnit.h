#pragma once

// Texts on their way to a translation tool and back. A file for translation (PO or XLIFF 1.2) holds
// one unit per definition of the tree, in tree order; each format keeps every text exactly, so that
// a file read back unchanged gives back the same texts, unit by unit.
//
//   TranslationFile file{"texts.strdef", "en", "de", units};
//   const auto bytes = WritePoFile(file);     // or WriteXliffFile
//   const auto read = ReadPoFile("texts.po"); // or ReadXliffFile; units with their place in the file

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

// Files for translation larger than this are refused before they are parsed.
inline constexpr std::size_t kMaxTranslationFileBytes = 64u << 20;

// One definition as a file for translation holds it.
struct TranslationUnit
{
    std::uint16_t Index = 0;    // finds the definition again on import
    std::u16string Identifier;  // without "S_"
    std::u16string BlockPath;   // the labels of the blocks above the text, outermost first, joined by " / "
    std::u16string Source;      // the default text
    std::u16string Target;      // the translation; empty for none
    bool Translated = false;    // the Translated mark
    std::u16string Description; // for the translator; may be empty

    bool operator==(const TranslationUnit&) const = default;
};

struct TranslationFile
{
    std::string Original;              // the definition file's name, UTF-8
    std::string SourceLanguage = "en"; // a language tag
    std::string TargetLanguage;        // a language tag; empty: not stated
    std::vector<TranslationUnit> Units;
};

// A unit as an importer read it back.
struct ReadUnit
{
    std::uint16_t Index = 0;
    std::u16string Source;
    std::u16string Target;   // empty when the file holds no translation
    bool Translated = false; // the file marks the translation done (not fuzzy, not needing work)
    std::string Place;       // where the unit stands in the file, for messages: "line 12"

    bool operator==(const ReadUnit&) const = default;
};

} // namespace orv
