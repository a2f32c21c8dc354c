// strdef po / strdef xliff: files for translation tools, out and back in.

#include <memory>

#include <CLI/CLI.hpp>

#include "base/Text.h"
#include "cli/CommandSupport.h"
#include "session/TranslationExchange.h"

namespace orv {

namespace {

constexpr const char* kImportFooter =
    "\nOnly translations and Translated marks change; default texts, identifiers, descriptions and the "
    "tree stay as they are. A unit made from a default text that has changed since, and a unit of an "
    "index the file does not have, are skipped and listed. The file is saved as the editor saves it, "
    "keeping the previous version.";

void AddExchangeCommand(CLI::App& app, CommandRun& run, ExchangeFormat format)
{
    const bool po = format == ExchangeFormat::Po;
    const std::string name = po ? "po" : "xliff";
    const std::string suffix = po ? ".po" : ".xlf";
    CLI::App* command =
        app.add_subcommand(name, po ? "Exchange texts with gettext tools through PO files"
                                    : "Exchange texts with translation tools through XLIFF 1.2 files");
    command->require_subcommand(1);

    struct ExportOptions
    {
        std::string File;
        std::string Output;
        TranslationExportOptions Units;
    };
    auto exportOptions = std::make_shared<ExportOptions>();
    CLI::App* exporting =
        command->add_subcommand("export", "Write the texts of a .strdef file for translation");
    exporting->add_option("FILE", exportOptions->File, "The .strdef file to read")->required();
    exporting->add_option("-o,--output", exportOptions->Output, "The " + suffix + " file to write")
        ->required();
    exporting->add_flag("--untranslated-only", exportOptions->Units.UntranslatedOnly,
                        "Only the texts not marked translated");
    if (!po)
        exporting->add_option("--target-language", exportOptions->Units.TargetLanguage,
                              "The language of the translations, as a tag such as de or pt-BR");
    run.On(exporting, [exportOptions, format](std::ostream& out, std::ostream& err) {
        auto session = OpenCompleteDefinitionFile(exportOptions->File);
        if (!session)
            return ReportError(err, session.error().Message);
        const auto written =
            ExportForTranslation(*session, exportOptions->Output, format, exportOptions->Units);
        if (!written)
            return ReportError(err, written.error().Message);
        out << *written << " texts written to " << exportOptions->Output << "\n";
        return kExitSuccess;
    });

    struct ImportOptions
    {
        std::string File;
        std::string Translations;
        bool DryRun = false;
    };
    auto importOptions = std::make_shared<ImportOptions>();
    CLI::App* importing =
        command
            ->add_subcommand("import", "Take the translations of a " + suffix + " file into a .strdef file")
            ->footer(kImportFooter);
    importing->add_option("FILE", importOptions->File, "The .strdef file, saved with the result")->required();
    importing->add_option("TRANSLATIONS", importOptions->Translations, "The " + suffix + " file to read")
        ->required();
    importing->add_flag("--dry-run", importOptions->DryRun, "Print what would change and write nothing");
    run.On(importing, [importOptions, format](std::ostream& out, std::ostream& err) {
        auto session = OpenCompleteDefinitionFile(importOptions->File);
        if (!session)
            return ReportError(err, session.error().Message);
        if (session->Document.SaveDisabled && !importOptions->DryRun)
            return ReportError(err, importOptions->File + ": " + kSaveLockWarning);
        const auto summary =
            ImportTranslations(*session, importOptions->Translations, format, !importOptions->DryRun);
        if (!summary)
            return ReportError(err, summary.error().Message);
        for (const SkippedUnit& skipped : summary->Skipped)
            out << "skipped " << Printable(skipped.Place) << ": text " << skipped.Index << ", "
                << SkipReasonText(skipped.Reason) << "\n";
        out << SummaryLine(*summary) << "\n";
        if (importOptions->DryRun)
            return kExitSuccess;
        return ReportSave(*session, importOptions->File, out, err);
    });
}

} // namespace

void AddPoCommand(CLI::App& app, CommandRun& run)
{
    AddExchangeCommand(app, run, ExchangeFormat::Po);
}

void AddXliffCommand(CLI::App& app, CommandRun& run)
{
    AddExchangeCommand(app, run, ExchangeFormat::Xliff);
}

} // namespace orv
