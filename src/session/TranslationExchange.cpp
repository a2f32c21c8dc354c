#include "session/TranslationExchange.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <unordered_set>

#include "base/FileIo.h"
#include "exchange/PoFile.h"
#include "exchange/XliffFile.h"

namespace orv {

std::optional<ExchangeFormat> FormatOfName(const std::filesystem::path& path)
{
    std::string suffix = path.extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (suffix == ".po")
        return ExchangeFormat::Po;
    if (suffix == ".xlf" || suffix == ".xliff")
        return ExchangeFormat::Xliff;
    return std::nullopt;
}

namespace {

std::u16string PathAbove(const BlockItem& item)
{
    std::vector<const BlockItem*> blocks;
    for (const BlockItem* above = item.Parent(); above; above = above->Parent())
        blocks.push_back(above);
    std::u16string path;
    for (auto block = blocks.rbegin(); block != blocks.rend(); ++block)
        path += (path.empty() ? u"" : u" / ") + (*block)->Label;
    return path;
}

} // namespace

TranslationFile TranslationUnitsOf(const EditorSession& session, const TranslationExportOptions& options)
{
    TranslationFile file;
    file.Original = session.Document.FilePath.filename().string();
    file.TargetLanguage = options.TargetLanguage;
    const auto& definitions = session.Document.Table.Definitions;
    std::unordered_set<std::uint16_t> written;
    for (const BlockItem* item = session.Document.Tree.FirstTopLevel(); item;
         item = item->NextInDisplayOrder()) {
        if (item->IsBlock())
            continue;
        const auto found = definitions.find(item->TextIndex());
        if (found == definitions.end() || !written.insert(found->first).second)
            continue;
        const StringDefinition& definition = found->second;
        if (options.UntranslatedOnly && definition.Translated != 0)
            continue;
        file.Units.push_back({found->first, definition.Identifier, PathAbove(*item), definition.DefaultText,
                              definition.Translation, definition.Translated != 0, definition.Description});
    }
    return file;
}

Result<std::size_t> ExportForTranslation(const EditorSession& session, const std::filesystem::path& path,
                                         ExchangeFormat format, const TranslationExportOptions& options)
{
    const TranslationFile file = TranslationUnitsOf(session, options);
    auto bytes = format == ExchangeFormat::Po ? WritePoFile(file) : WriteXliffFile(file);
    if (!bytes)
        return tl::unexpected(bytes.error());
    if (auto written = WriteFileSafely(path, *bytes); !written)
        return tl::unexpected(written.error());
    return file.Units.size();
}

const char* SkipReasonText(ImportSkip reason)
{
    return reason == ImportSkip::SourceChanged ? "the default text has changed since the file was made"
                                               : "no such text";
}

std::string SummaryLine(const ImportSummary& summary)
{
    std::size_t changed = 0;
    for (const SkippedUnit& skipped : summary.Skipped)
        changed += skipped.Reason == ImportSkip::SourceChanged ? 1 : 0;
    const std::size_t unknown = summary.Skipped.size() - changed;
    std::string line = std::to_string(summary.Applied.size()) + " applied, " +
                       std::to_string(summary.Unchanged) + " unchanged, " +
                       std::to_string(summary.Skipped.size()) + " skipped";
    if (changed > 0)
        line += ": " + std::to_string(changed) + " whose default text changed";
    if (unknown > 0)
        line += std::string(changed > 0 ? ", " : ": ") + std::to_string(unknown) + " unknown index" +
                (unknown == 1 ? "" : "es");
    return line;
}

Result<ImportSummary> ApplyTranslationUnits(EditorSession& session, const std::vector<ReadUnit>& units,
                                            bool apply)
{
    std::unordered_map<std::uint16_t, const ReadUnit*> seen;
    seen.reserve(units.size());
    for (const ReadUnit& unit : units) {
        const auto [first, added] = seen.emplace(unit.Index, &unit);
        if (!added)
            return Fail(ErrorCode::BadInput, unit.Place + ": text " + std::to_string(unit.Index) +
                                                 " appears a second time (first at " + first->second->Place +
                                                 ")");
    }

    ImportSummary summary;
    auto& definitions = session.Document.Table.Definitions;
    for (const ReadUnit& unit : units) {
        const auto found = definitions.find(unit.Index);
        if (found == definitions.end()) {
            summary.Skipped.push_back({unit.Index, unit.Place, ImportSkip::UnknownIndex});
            continue;
        }
        StringDefinition& definition = found->second;
        if (unit.Source != definition.DefaultText) {
            summary.Skipped.push_back({unit.Index, unit.Place, ImportSkip::SourceChanged});
            continue;
        }
        const TranslationState before{definition.Translation, definition.Translated};
        TranslationState after{unit.Target, unit.Translated ? 1u : 0u};
        // A unit without a translation takes none away.
        if ((unit.Target.empty() && !unit.Translated) || after == before) {
            ++summary.Unchanged;
            continue;
        }
        if (apply)
            session.SetTranslation(unit.Index, after);
        summary.Applied.push_back({unit.Index, before, std::move(after)});
    }
    return summary;
}

Result<ImportSummary> ImportTranslations(EditorSession& session, const std::filesystem::path& path,
                                         ExchangeFormat format, bool apply)
{
    auto units = format == ExchangeFormat::Po ? ReadPoFile(path) : ReadXliffFile(path);
    if (!units)
        return tl::unexpected(units.error());
    return ApplyTranslationUnits(session, *units, apply);
}

} // namespace orv
