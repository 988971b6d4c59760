#include "report/print_commands.h"

#include "model/data_check.h"
#include "model/file_io.h"
#include "report/cronoprogramma.h"
#include "report/documents.h"
#include "report/docx_writer.h"

#include <QDir>
#include <QFileInfo>

namespace zant {

namespace {

const QString kLoading = QStringLiteral("sto caricando WORD");

void say(const StatusCallback& status, const QString& text)
{
    if (status)
        status(text);
}

} // namespace

std::optional<Message> messageFor(const PrintResult& result)
{
    if (!result.ok())
        return result.error();
    return result.value().notice;
}

PrintResult deliverDocument(const DocxWriter& writer, const QString& path, DocumentOutput& output,
                            const StatusCallback& status, const QString& done)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        say(status, QString());
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile creare la cartella dei documenti "
                                             "\"%1\".")
                                  .arg(displayPath(QFileInfo(path).absolutePath()))));
    }
    if (Result<void> error = writer.save(path); !error.ok()) {
        say(status, QString());
        return error.error();
    }
    PrintedDocument result;
    result.path = path;
    if (!output.open(path)) {
        result.notice = information(QStringLiteral("Il documento è stato salvato in:\n%1\n"
                                                   "Non c'è un programma per aprirlo: lo si può "
                                                   "aprire da quella cartella.")
                                        .arg(displayPath(path)));
        // The guidance box says what happened: written, but not shown.
        say(status, QStringLiteral("ho salvato il documento %1, ma nessun programma ha potuto "
                                   "aprirlo")
                        .arg(QFileInfo(path).fileName()));
        return result;
    }
    if (!done.isEmpty())
        say(status, done);
    return result;
}

PrintResult printDataListing(const Project& project, const TitlePage& titlePage,
                             CheckConfirmation& confirmation, DocumentOutput& output,
                             const StatusCallback& status)
{
    if (Result<void> valid = confirmation.requireValidData(project); !valid.ok())
        return valid.error();
    say(status, kLoading);
    DocxWriter writer;
    buildDataListing(writer, project, titlePage);
    return deliverDocument(writer, output.newDocumentPath(QStringLiteral("dati")), output, status,
                           QStringLiteral("ho visualizzato i dati con WORD"));
}

PrintResult printBlankForm(DocumentOutput& output, const StatusCallback& status)
{
    say(status, kLoading);
    DocxWriter writer;
    buildBlankForm(writer);
    return deliverDocument(writer, output.newDocumentPath(QStringLiteral("modulo")), output, status,
                           QStringLiteral("ho visualizzato il modello su WORD"));
}

PrintResult printResultsListing(const Project& project, const TitlePage& titlePage,
                                CheckConfirmation& confirmation, DocumentOutput& output,
                                const StatusCallback& status)
{
    if (Result<void> valid = confirmation.requireValidData(project); !valid.ok())
        return valid.error();
    say(status, kLoading);
    ScheduleResults results = ComputeSchedule(project);
    const OfficeSettings office;
    DocxWriter writer;
    buildResultsListing(writer, ReportData{project, results, titlePage, office});
    PrintResult result =
        deliverDocument(writer, output.newDocumentPath(QStringLiteral("risultati")), output, status,
                        QStringLiteral("ho visualizzato i risultati con WORD"));
    if (result.ok())
        result.value().results = std::move(results);
    return result;
}

PrintResult printDataOnlyReport(const TitlePage& titlePage, const OfficeSettings& office,
                                DocumentOutput& output, const StatusCallback& status)
{
    say(status, kLoading);
    DocxWriter writer;
    buildDataOnlyReport(writer, titlePage, office);
    // The label keeps "sto caricando WORD": this command has no closing text of its own.
    return deliverDocument(writer, output.newDocumentPath(QStringLiteral("frontespizio")), output,
                           status, QString());
}

PrintResult printFullReport(const Project& project, const TitlePage& titlePage,
                            const OfficeSettings& office, CheckConfirmation& confirmation,
                            DocumentOutput& output, const StatusCallback& status)
{
    if (Result<void> valid = confirmation.requireValidData(project); !valid.ok())
        return valid.error();
    say(status, kLoading);
    ScheduleResults results = ComputeSchedule(project);
    DocxWriter writer;
    buildFullReport(writer, ReportData{project, results, titlePage, office});
    PrintResult result =
        deliverDocument(writer, output.reportPath(titlePage[TitlePage::committente]), output,
                        status, QStringLiteral("ho visualizzato la relazione con WORD"));
    if (result.ok())
        result.value().results = std::move(results);
    return result;
}

PrintResult printCronoprogramma(const Project& project, const TitlePage& titlePage,
                                const OfficeSettings& office, CheckConfirmation& confirmation,
                                const SalRule& rule, const QDate& today, DocumentOutput& output,
                                const StatusCallback& status)
{
    if (Result<void> valid = confirmation.requireValidData(project); !valid.ok())
        return valid.error();
    say(status, kLoading);
    ScheduleResults results = ComputeSchedule(project);
    const ReportData report{project, results, titlePage, office};
    DocxWriter writer;
    buildCronoprogramma(writer, cronoprogrammaData(report, rule, documentDate(titlePage, today)));
    PrintResult result =
        deliverDocument(writer, output.newDocumentPath(QStringLiteral("cronoprogramma")), output,
                        status, QStringLiteral("ho visualizzato il cronoprogramma con WORD"));
    if (result.ok())
        result.value().results = std::move(results);
    return result;
}

} // namespace zant
