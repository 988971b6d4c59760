#include "cli/exchange_commands.h"

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "exchange/activity_list.h"
#include "exchange/icalendar.h"
#include "exchange/mspdi.h"
#include "exchange/results_export.h"
#include "model/cp1252.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "schedule/schedule.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace zant {

namespace {

const char* const kExportHelp =
    "uso: zant-cli export FILE --mspdi OUT.xml\n"
    "     zant-cli export FILE --ics OUT.ics\n"
    "     zant-cli export FILE --elenco OUT.csv\n"
    "Controlla i dati del file, calcola i risultati e li esporta:\n"
    "  --mspdi OUT.xml  Microsoft Project XML: una milestone per evento, un'attività per\n"
    "                   attività (i legami fittizi come legami tra milestone), durate in\n"
    "                   giorni trascorsi (calendario di 24 ore, 7 giorni)\n"
    "  --ics OUT.ics    calendario iCalendar: un evento di un giorno per ogni evento, alla\n"
    "                   data minima; quelli critici segnati nel titolo\n"
    "  --elenco OUT.csv elenco delle attività (evento da; evento a; giorni; descrizione\n"
    "                   evento a; descrizione attività; importo; categoria), che\n"
    "                   zant-cli import rilegge\n"
    "uscita: 0 esportato, 1 dati rifiutati dal controllo, 2 file illeggibile o non scrivibile\n";

const char* const kImportHelp =
    "uso: zant-cli import IN.xml -o OUT.txt [--json]\n"
    "     zant-cli import IN.csv -o OUT.txt [--json]\n"
    "Crea un nuovo file di dati ZANT da un file Microsoft Project XML (MSPDI) o da un elenco\n"
    "di attività (righe \"evento da; evento a; giorni[; descrizione evento a[; descrizione\n"
    "attività[; importo[; categoria]]]]\": il separatore,\n"
    "tabulazione, punto e virgola o virgola, si riconosce dalle prime righe; una prima riga di\n"
    "sole parole è un'intestazione e viene saltata).\n"
    "Di Microsoft Project si importano i legami di ogni tipo (fine-inizio, inizio-inizio,\n"
    "fine-fine, inizio-fine) con ritardi e anticipi e le attività di riepilogo; il resoconto\n"
    "di quello che è stato importato, tralasciato o approssimato va sullo standard error.\n"
    "Il tipo si riconosce dal contenuto. Quello che non si può rappresentare viene rifiutato,\n"
    "con l'elenco di tutti i problemi.\n"
    "  --json   stampa il resoconto come un solo oggetto JSON sullo standard output\n"
    "uscita: 0 importato, 2 file illeggibile, rifiutato o non scrivibile\n";

const char* const kResultsExportHelp =
    "uso: zant-cli results FILE --xlsx OUT.xlsx\n"
    "     zant-cli results FILE --csv CARTELLA\n"
    "Controlla i dati, calcola i risultati e li scrive come cartella di lavoro Excel (fogli\n"
    "Eventi, Attività, Percorso critico) o come tre file CSV per Excel in italiano (UTF-8,\n"
    "punto e virgola, virgola decimale) nella cartella indicata.\n"
    "uscita: 0 scritto, 1 dati rifiutati dal controllo, 2 file illeggibile o non scrivibile\n";

const char* const kMissingFile = "manca il nome del file";

int runExport(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const auto& values = line.values;
    if (values.isEmpty())
        return usageError(err,
                          QStringLiteral("manca --mspdi OUT.xml, --ics OUT.ics o --elenco OUT.csv"),
                          kExportHelp);
    int code = ExitOk;
    const auto computed = loadAndCompute(line.file, out, err, code);
    if (!computed)
        return code;
    const Project& project = computed->contents.project;
    const QString title = computed->contents.titlePage[TitlePage::progetto];
    if (values.contains(QStringLiteral("--mspdi"))) {
        const QString path = values.value(QStringLiteral("--mspdi"));
        if (Result<void> failed = exportMspdi(path, project, computed->results, title);
            !failed.ok())
            return failWith(err, failed.error().text);
        out << "scritto " << path << "\n";
    }
    if (values.contains(QStringLiteral("--elenco"))) {
        const QString path = values.value(QStringLiteral("--elenco"));
        if (Result<void> failed = exportActivityList(path, project); !failed.ok())
            return failWith(err, failed.error().text);
        out << "scritto " << path << "\n";
    }
    if (values.contains(QStringLiteral("--ics"))) {
        const QString path = values.value(QStringLiteral("--ics"));
        if (Result<void> failed = exportICalendar(path, project, computed->results, title,
                                                  QDateTime::currentDateTimeUtc());
            !failed.ok())
            return failWith(err, failed.error().text);
        out << "scritto " << path << "\n";
    }
    return ExitOk;
}

int runImport(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const QString output = line.value(QStringLiteral("-o"));
    if (output.isEmpty())
        return usageError(err, QStringLiteral("manca -o OUT.txt"), kImportHelp);
    const QString& file = line.file;
    const QDate today = QDate::currentDate();

    // An XML document starts with '<' (after a byte order mark and blanks); anything else is
    // read as an activity list.
    QFile probe(file);
    QByteArray head;
    if (probe.open(QIODevice::ReadOnly))
        head = probe.read(4096);
    probe.close();
    const bool xml = decodeForeignText(head).trimmed().startsWith(QLatin1Char('<'));

    const bool json = line.has(QStringLiteral("--json"));
    ProjectFileContents imported;
    QJsonObject report;
    if (xml) {
        auto read = readMspdiFile(file, today);
        if (!read)
            return failWith(err, read.error().text);
        imported.project = std::move(read.value().project);
        imported.titlePage = std::move(read.value().titlePage);
        // What the import made and left out goes to standard error, so that standard output
        // carries only the JSON when it is asked for.
        err << forTerminal(describeImport(read.value().report)) << "\n";
        report = importReportJson(read.value().report);
    } else {
        auto read = readActivityListFile(file, today);
        if (!read)
            return failWith(err, read.error().text);
        imported.project = std::move(read.value().project);
        const QString summary = QStringLiteral("importati %1 legami tra %2 eventi\n%3")
                                    .arg(read.value().links)
                                    .arg(imported.project.eventCount())
                                    .arg(read.value().layout);
        (json ? err : out) << forTerminal(summary) << "\n";
        report = QJsonObject{{QStringLiteral("links"), read.value().links},
                             {QStringLiteral("events"), imported.project.eventCount()},
                             {QStringLiteral("layout"), read.value().layout}};
    }
    if (Result<void> failed = writeProjectFile(output, imported.project, imported.titlePage);
        !failed.ok())
        return failWith(err, failed.error().text);
    if (json) {
        report.insert(QStringLiteral("output"), output);
        out << QString::fromUtf8(QJsonDocument(report).toJson(QJsonDocument::Indented));
    } else {
        out << "scritto " << output << "\n";
    }
    return ExitOk;
}

int runResultsExport(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const auto& values = line.values;
    int code = ExitOk;
    const auto computed = loadAndCompute(line.file, out, err, code);
    if (!computed)
        return code;
    const Project& project = computed->contents.project;
    if (values.contains(QStringLiteral("--xlsx"))) {
        const QString path = values.value(QStringLiteral("--xlsx"));
        if (Result<void> failed = exportResultsXlsx(path, project, computed->results); !failed.ok())
            return failWith(err, failed.error().text);
        out << "scritto " << path << "\n";
    }
    if (values.contains(QStringLiteral("--csv"))) {
        QStringList written;
        if (Result<void> failed = exportResultsCsv(values.value(QStringLiteral("--csv")), project,
                                                   computed->results, &written);
            !failed.ok())
            return failWith(err, failed.error().text);
        for (const QString& path : written)
            out << "scritto " << path << "\n";
    }
    return ExitOk;
}

} // namespace

const CliCommand kExportCommand{
    "export",
    {{}, {"--mspdi", "--ics", "--elenco"}, CommandOptions::File::Required, kMissingFile},
    kExportHelp,
    runExport};
const CliCommand kImportCommand{"import",
                                {{"--json"}, {"-o"}, CommandOptions::File::Required, kMissingFile},
                                kImportHelp,
                                runImport};
const CliCommand kResultsExportCommand{
    "results",
    {{}, {"--xlsx", "--csv"}, CommandOptions::File::Required, kMissingFile},
    kResultsExportHelp,
    runResultsExport};

bool wantsResultsExport(const QStringList& args)
{
    return args.contains(QLatin1String("--xlsx")) || args.contains(QLatin1String("--csv"));
}

} // namespace zant
