#pragma once

// Sending a document's texts to a translation tool and taking the translations back: the units of
// the texts the tree shows, written as a PO or XLIFF file, and the units of such a file applied to
// the table. An import changes only translations and Translated marks, never default texts,
// identifiers, descriptions or the tree.
//
//   const auto summary = ImportTranslations(session, "texts.de.po", /*apply=*/true);
//   if (summary)
//       print(SummaryLine(*summary));   // then save as always

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/Result.h"
#include "exchange/TranslationUnit.h"
#include "session/EditorSession.h"

namespace orv {

enum class ExchangeFormat
{
    Po,
    Xliff,
};

// The format a file's name asks for: ".po" PO, ".xlf" or ".xliff" XLIFF (any case); nothing else.
std::optional<ExchangeFormat> FormatOfName(const std::filesystem::path& path);

struct TranslationExportOptions
{
    bool UntranslatedOnly = false; // only texts not marked translated
    std::string TargetLanguage;    // a language tag for the file; empty: not stated
};

// One unit per definition that a text of the tree shows, in tree order (a definition that several
// texts show comes at its first place), with the labels of the blocks above it as its path.
TranslationFile TranslationUnitsOf(const EditorSession& session, const TranslationExportOptions& options);

// Writes the units of `session` to `path` in `format`, safely. The count of units written, or the
// writer's error (texts the format cannot hold, named by index) or the write's.
Result<std::size_t> ExportForTranslation(const EditorSession& session, const std::filesystem::path& path,
                                         ExchangeFormat format, const TranslationExportOptions& options);

// Why a unit of an import was not applied.
enum class ImportSkip
{
    SourceChanged, // the default text is no longer the one the file was made from
    UnknownIndex,  // the table has no definition of that index
};

// Why a unit was skipped, for the user: "the default text has changed since the file was made".
const char* SkipReasonText(ImportSkip reason);

struct SkippedUnit
{
    std::uint16_t Index = 0;
    std::string Place; // where the unit stands in the file
    ImportSkip Reason = ImportSkip::UnknownIndex;
};

// A change an import made to one definition.
struct TranslationChange
{
    std::uint16_t Index = 0;
    TranslationState Before;
    TranslationState After;
};

struct ImportSummary
{
    std::vector<TranslationChange> Applied; // in the file's order
    std::size_t Unchanged = 0;              // the same already, or no translation in the file
    std::vector<SkippedUnit> Skipped;
};

// "12 applied, 3 unchanged, 2 skipped: 1 whose default text changed, 1 unknown index".
std::string SummaryLine(const ImportSummary& summary);

// What the units read from a file do to the table of `session`, applied when `apply`. A unit without
// a translation leaves its definition as it is. Fails, with nothing applied, when two units name the
// same index (naming both places).
Result<ImportSummary> ApplyTranslationUnits(EditorSession& session, const std::vector<ReadUnit>& units,
                                            bool apply);

// Reads the file at `path` in `format` and applies its units as ApplyTranslationUnits does. Fails
// with the reader's error (naming the file and the place) and nothing applied.
Result<ImportSummary> ImportTranslations(EditorSession& session, const std::filesystem::path& path,
                                         ExchangeFormat format, bool apply);

} // namespace orv
