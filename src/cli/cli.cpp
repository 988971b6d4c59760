#include "cli/cli.h"
#include "cli/amounts_command.h"
#include "cli/calendar_command.h"
#include "cli/exchange_commands.h"

#include "cli/cli_cronoprogramma.h"
#include "cli/cli_diagram.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/compute_json.h"

#include "model/data_check.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "report/documents.h"
#include "report/docx_writer.h"
#include "report/help_documents.h"
#include "report/print_renderer.h"
#include "schedule/schedule.h"

#include <QFileDevice>
#include <QIODevice>

#include <fcntl.h>

namespace zant {

namespace {

const char* const kUsage =
    "uso: zant-cli <comando> [opzioni]\n"
    "comandi:\n"
    "  check FILE                 controlla i dati di un file di progetto\n"
    "  compute FILE [--json]      controlla i dati e calcola tempi, date,\n"
    "                             scorrimenti e percorso critico\n"
    "  listing FILE -o OUT.docx   elenco dei dati del progetto\n"
    "  form -o OUT.docx           modulo di acquisizione dei dati, in bianco\n"
    "  results FILE -o OUT.docx   elenco dei risultati (tabelle A, B e C)\n"
    "  report FILE -o OUT.docx    relazione completa\n"
    "  report FILE --direct --pdf OUT.pdf\n"
    "                             relazione completa in stampa diretta, su PDF\n"
    "  titlepage FILE -o OUT.docx relazione dei soli dati del frontespizio\n"
    "  cronoprogramma FILE -o OUT.docx | --pdf OUT.pdf\n"
    "                             cronoprogramma dei lavori: tempi e importi delle\n"
    "                             lavorazioni, curva a S, previsione dei SAL\n"
    "  guide -o OUT.docx          guida in linea completa, con lo schema di reticolo\n"
    "  results FILE --xlsx OUT.xlsx | --csv CARTELLA\n"
    "                             risultati per Excel (fogli o file CSV)\n"
    "  export FILE --mspdi OUT.xml | --ics OUT.ics\n"
    "                             esporta in Microsoft Project XML o come calendario\n"
    "  import IN.xml|IN.csv -o OUT.txt\n"
    "                             nuovo file di dati da Microsoft Project XML o da un\n"
    "                             elenco di attività\n"
    "  diagram FILE -o OUT.svg|png|pdf [--livelli]\n"
    "                             reticolo degli eventi (--json: la disposizione)\n"
    "  gantt FILE -o OUT.svg|png|pdf\n"
    "                             diagramma di Gantt\n"
    "  importi FILE [--json] [--sal-mesi N | --sal-importo EURO]\n"
    "                             importi per mese e per anno, previsione dei SAL\n"
    "  calendario FILE [--lavorativi GIORNI | --naturali ... -o OUT.txt]\n"
    "                             calendario del progetto e giorni non lavorativi, o una\n"
    "                             copia del progetto con un altro calendario\n"
    "  <comando> --help           aiuto sul comando\n"
    "opzioni dei documenti (quali prende ogni comando: zant-cli <comando> --help):\n"
    "  --frontespizio FILE        prende i dati del frontespizio da un file ZANT-front-\n"
    "  --config FILE              file delle impostazioni dello studio (INI)\n"
    "uscita: 0 eseguito, 1 dati rifiutati dal controllo, 2 file illeggibile o errore d'uso\n";

const char* const kCheckHelp =
    "uso: zant-cli check FILE\n"
    "Legge il file di dati ZANT e ne esegue il controllo formale, come il comando\n"
    "\"Controllo dati immessi\". Stampa il messaggio del controllo.\n"
    "uscita: 0 dati corretti, 1 dati rifiutati, 2 file illeggibile o non valido\n";

const char* const kComputeHelp =
    "uso: zant-cli compute FILE [--json]\n"
    "Controlla i dati del file e calcola per ogni evento tempi minimi e massimi, date,\n"
    "scorrimenti, lo scorrimento di ogni legame e il percorso critico.\n"
    "  --json   stampa un solo oggetto JSON invece della tabella\n"
    "uscita: 0 calcolo eseguito, 1 dati rifiutati dal controllo, 2 file illeggibile o non "
    "valido\n";

// 12 MB of JSON through a pipe of 64 KB (Linux's default) keep the writer waiting for the reader
// two hundred times; a pipe of 1 MB, where the system allows it, spares most of that.
void widenPipe(QIODevice* device)
{
#ifdef F_SETPIPE_SZ
    if (const auto* file = qobject_cast<const QFileDevice*>(device); file && file->handle() >= 0)
        fcntl(file->handle(), F_SETPIPE_SZ, 1 << 20);
#else
    Q_UNUSED(device);
#endif
}

// The JSON goes straight to the stream's device when it has one (standard output), a piece at
// a time, without a round trip through QString.
void writeJson(QTextStream& out, const Project& project, const ScheduleResults& results)
{
    if (QIODevice* device = out.device()) {
        out.flush();
        widenPipe(device);
        writeComputeJson(project, results, [device](QByteArrayView piece) {
            device->write(piece.data(), piece.size());
        });
    } else {
        out << QString::fromUtf8(computeJson(project, results));
    }
}

QString cell(const QString& text, int width, bool right)
{
    return right ? text.rightJustified(width) : text.leftJustified(width);
}

void writeTable(QTextStream& out, const ProjectFileContents& c, const ScheduleResults& r)
{
    const Project& p = c.project;
    const int n = r.eventCount;
    if (!c.titlePage[TitlePage::progetto].isEmpty())
        out << "Progetto: " << c.titlePage[TitlePage::progetto] << "\n";
    out << "Data d'inizio degli eventi: " << p.startDateText() << "  -  eventi: " << n << "\n";
    // A project in calendar days prints as it always did; another calendar is said first.
    if (!p.calendar().isDefault())
        out << calendarSentence(p.calendar()) << "\n";
    out << "\nA) Tempi e date\n";
    out << cell("evento", 6, true) << "  " << cell("descrizione", 30, false) << "  "
        << cell("tempo minimo", 12, true) << "  " << cell("data minima", 11, false) << "  "
        << cell("tempo massimo", 13, true) << "  " << cell("data massima", 12, false) << "  "
        << cell("scorrimento", 11, true) << "\n";
    for (int e = 1; e <= n; ++e) {
        out << cell(QString::number(e), 6, true) << "  "
            << cell(p.description(e).left(30), 30, false) << "  "
            << cell(formatDays(r.earliest[e]), 12, true) << "  "
            << cell(r.earliestDate[e], 11, false) << "  " << cell(formatDays(r.latest[e]), 13, true)
            << "  " << cell(r.latestDate[e], 12, false) << "  "
            << cell(formatDays(r.eventFloat(e)), 11, true) << "\n";
    }
    out << "\nB) Legami\n"
        << cell("evento", 6, true) << "  " << cell("legame", 6, true) << "  "
        << cell("con evento", 10, true) << "  " << cell("giorni", 8, true) << "  "
        << cell("scorrimento", 11, true) << "\n";
    for (const Activity a : p.activities()) {
        out << cell(QString::number(a.from), 6, true) << "  "
            << cell(QString::number(a.slot), 6, true) << "  "
            << cell(QString::number(a.to), 10, true) << "  "
            << cell(a.link->days ? formatDays(*a.link->days) : QString(), 8, true) << "  "
            << cell(formatDays(r.linkFloatAt(a.from, a.slot)), 11, true) << "\n";
    }
    out << "\nC) Percorso critico: " << r.criticalPath << "\n";
}

// What the data allow but the office should know, on standard error, one "avviso:" a line.
void warnAboutData(const Project& project, QTextStream& err)
{
    if (const auto warning = findDataWarnings(project)) {
        for (const QString& line : warning->text.split(QLatin1Char('\n')))
            err << "avviso: " << forTerminal(line) << "\n";
    }
}

// Loads the file; on failure prints why and returns nothing.
std::optional<ProjectFileContents> load(const QString& file, QTextStream& err)
{
    auto contents = readProjectFile(file);
    if (!contents) {
        failWith(err, contents.error().text);
        return std::nullopt;
    }
    return std::move(contents).value();
}

int runCheck(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const auto contents = load(line.file, err);
    if (!contents)
        return ExitError;
    const Message answer = CheckConfirmation().checkOnRequest(contents->project);
    out << forTerminal(answer.text) << "\n";
    if (answer.kind != MessageKind::Information)
        return ExitRefused;
    warnAboutData(contents->project, err);
    return ExitOk;
}

int runCompute(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const auto contents = load(line.file, err);
    if (!contents)
        return ExitError;
    if (Result<void> fault = CheckConfirmation().requireValidData(contents->project); !fault.ok()) {
        out << forTerminal(fault.error().text) << "\n";
        return ExitRefused;
    }
    warnAboutData(contents->project, err);
    const ScheduleResults results = ComputeSchedule(contents->project);
    if (line.has(QStringLiteral("--json")))
        writeJson(out, contents->project, results);
    else
        writeTable(out, *contents, results);
    return ExitOk;
}

int runDocument(const CliCommand& command, const CommandLine& line, QTextStream& out,
                QTextStream& err);

const CommandOptions::File kNoFile = CommandOptions::File::None;

// What each document command takes; the help of a command lists exactly these.
const CliCommand kDocumentCommands[] = {
    {"listing",
     {{}, {"-o", "--frontespizio"}},
     "uso: zant-cli listing FILE -o OUT.docx [--frontespizio FILE]\n"
     "Scrive l'elenco dei dati del progetto, una riga per legame. FILE è un file di dati\n"
     "ZANT; il nome del progetto viene dal file stesso, oppure da --frontespizio FILE.\n"
     "opzioni:\n"
     "  -o OUT.docx                documento da scrivere\n"
     "  --frontespizio FILE        prende i dati del frontespizio da un file ZANT-front-\n"
     "uscita: 0 documento scritto, 1 dati rifiutati dal controllo, 2 file illeggibile,\n"
     "non valido o non scrivibile\n",
     runDocument,
     kUsage},
    {"form",
     {{}, {"-o"}, kNoFile},
     "uso: zant-cli form -o OUT.docx\n"
     "Scrive il modulo di acquisizione dei dati, in bianco, da compilare a mano. Non legge\n"
     "alcun file.\n"
     "opzioni:\n"
     "  -o OUT.docx                documento da scrivere\n"
     "uscita: 0 documento scritto, 2 errore d'uso o file non scrivibile\n",
     runDocument,
     kUsage},
    {"results",
     {{}, {"-o", "--frontespizio"}},
     "uso: zant-cli results FILE -o OUT.docx [--frontespizio FILE]\n"
     "Calcola il progetto e scrive l'elenco dei risultati (tabelle A, B e C). FILE è un\n"
     "file di dati ZANT; il nome del progetto viene dal file stesso, oppure da\n"
     "--frontespizio FILE.\n"
     "opzioni:\n"
     "  -o OUT.docx                documento da scrivere\n"
     "  --frontespizio FILE        prende i dati del frontespizio da un file ZANT-front-\n"
     "I risultati per Excel: zant-cli results FILE --xlsx OUT.xlsx | --csv CARTELLA\n"
     "(zant-cli results --xlsx --help).\n"
     "uscita: 0 documento scritto, 1 dati rifiutati dal controllo, 2 file illeggibile,\n"
     "non valido o non scrivibile\n",
     runDocument,
     kUsage},
    {"report",
     {{"--direct"}, {"-o", "--frontespizio", "--config", "--pdf"}},
     "uso: zant-cli report FILE -o OUT.docx [--frontespizio FILE] [--config FILE]\n"
     "     zant-cli report FILE --direct --pdf OUT.pdf [--frontespizio FILE] [--config FILE]\n"
     "Calcola il progetto e scrive la relazione completa: in Word, oppure con --direct\n"
     "nell'impaginazione della stampa diretta, su PDF. FILE è un file di dati ZANT; i dati\n"
     "del frontespizio vengono dal file stesso, oppure da --frontespizio FILE. Nome e\n"
     "indirizzo dello studio vengono dal file delle impostazioni, oppure da --config FILE.\n"
     "opzioni:\n"
     "  -o OUT.docx                documento da scrivere\n"
     "  --direct --pdf OUT.pdf     stampa diretta su un file PDF\n"
     "  --frontespizio FILE        prende i dati del frontespizio da un file ZANT-front-\n"
     "  --config FILE              file delle impostazioni dello studio (INI)\n"
     "uscita: 0 documento scritto, 1 dati rifiutati dal controllo, 2 file illeggibile,\n"
     "non valido o non scrivibile\n",
     runDocument,
     kUsage},
    // The data-only report needs no project when the title page comes from its own file.
    {"titlepage",
     {{}, {"-o", "--frontespizio", "--config"}, CommandOptions::File::Optional},
     "uso: zant-cli titlepage FILE -o OUT.docx [--frontespizio FILE] [--config FILE]\n"
     "     zant-cli titlepage --frontespizio FILE -o OUT.docx [--config FILE]\n"
     "Scrive la relazione dei soli dati del frontespizio. I dati vengono dal file di dati\n"
     "ZANT FILE, oppure da --frontespizio FILE (allora il file di dati si può omettere);\n"
     "i dati del progetto non vengono controllati. Nome e indirizzo dello studio vengono\n"
     "dal file delle impostazioni, oppure da --config FILE.\n"
     "opzioni:\n"
     "  -o OUT.docx                documento da scrivere\n"
     "  --frontespizio FILE        prende i dati del frontespizio da un file ZANT-front-\n"
     "  --config FILE              file delle impostazioni dello studio (INI)\n"
     "uscita: 0 documento scritto, 2 file illeggibile, non valido o non scrivibile\n",
     runDocument,
     kUsage},
};

int runDocument(const CliCommand& entry, const CommandLine& line, QTextStream& out,
                QTextStream& err)
{
    const QLatin1String command(entry.name);
    if (entry.options.file == CommandOptions::File::Optional && line.file.isEmpty() &&
        !line.values.contains(QStringLiteral("--frontespizio")))
        return usageError(err, QStringLiteral("manca il nome del file di dati"), kUsage);
    const bool needsFile = !line.file.isEmpty();
    const bool direct = line.has(QStringLiteral("--direct"));
    const QString output =
        direct ? line.value(QStringLiteral("--pdf")) : line.value(QStringLiteral("-o"));
    if (output.isEmpty())
        return usageError(err,
                          direct ? QStringLiteral("manca --pdf OUT.pdf")
                                 : QStringLiteral("manca -o OUT.docx"),
                          kUsage);
    if (!direct && line.values.contains(QStringLiteral("--pdf")))
        return usageError(err, QStringLiteral("--pdf va usato con --direct"), kUsage);

    OfficeSettings office;
    if (entry.options.values.contains(QStringLiteral("--config"))) {
        auto settings = officeFor(line, err);
        if (!settings)
            return ExitError;
        office = *settings;
    }
    ProjectFileContents contents;
    if (needsFile) {
        auto loaded = load(line.file, err);
        if (!loaded)
            return ExitError;
        contents = std::move(*loaded);
    }
    if (line.values.contains(QStringLiteral("--frontespizio"))) {
        auto title = readTitlePageFile(line.value(QStringLiteral("--frontespizio")));
        if (!title)
            return failWith(err, title.error().text);
        contents.titlePage = title.value();
    }

    const bool needsData =
        command != QLatin1String("form") && command != QLatin1String("titlepage");
    if (needsData) {
        if (Result<void> fault = CheckConfirmation().requireValidData(contents.project);
            !fault.ok()) {
            out << forTerminal(fault.error().text) << "\n";
            return ExitRefused;
        }
    }
    const ScheduleResults results =
        needsData ? ComputeSchedule(contents.project) : ScheduleResults{};
    const ReportData data{contents.project, results, contents.titlePage, office};

    Result<void> failed;
    if (direct) {
        failed = printReportToPdf(data, output);
    } else {
        DocxWriter writer;
        if (command == QLatin1String("listing"))
            buildDataListing(writer, contents.project, contents.titlePage);
        else if (command == QLatin1String("form"))
            buildBlankForm(writer);
        else if (command == QLatin1String("results"))
            buildResultsListing(writer, data);
        else if (command == QLatin1String("report"))
            buildFullReport(writer, data);
        else
            buildDataOnlyReport(writer, contents.titlePage, office);
        failed = writer.save(output);
    }
    return reportWritten(failed, output, out, err);
}

const char* const kGuideHelp =
    "uso: zant-cli guide -o OUT.docx\n"
    "Scrive la guida in linea completa: le sette pagine di testo, una per pagina, e lo\n"
    "schema di reticolo di esempio, come il tasto Stampa del sommario della guida.\n"
    "Non legge alcun file: non prende --frontespizio né --config.\n"
    "opzioni:\n"
    "  -o OUT.docx                documento da scrivere\n"
    "uscita: 0 documento scritto, 2 errore d'uso o file non scrivibile\n";

int runGuide(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const QString output = line.value(QStringLiteral("-o"));
    if (output.isEmpty())
        return usageError(err, QStringLiteral("manca -o OUT.docx"), kUsage);
    return reportWritten(writeGuide(output), output, out, err);
}

const CliCommand kCheckCommand{"check", {}, kCheckHelp, runCheck, kUsage};
const CliCommand kComputeCommand{"compute", {{"--json"}, {}}, kComputeHelp, runCompute, kUsage};
const CliCommand kGuideCommand{"guide", {{}, {"-o"}, kNoFile}, kGuideHelp, runGuide, kUsage};

const CliCommand* findCommand(const QString& name, const QStringList& args)
{
    // "results" writes the spreadsheets when asked for them, else the document.
    if (name == QLatin1String("results") && wantsResultsExport(args))
        return &kResultsExportCommand;
    for (const CliCommand& command : kDocumentCommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    for (const CliCommand* command :
         {&kCheckCommand, &kComputeCommand, &kGuideCommand, &kExportCommand, &kImportCommand,
          &kDiagramCommand, &kGanttCommand, &kAmountsCommand, &kCalendarCommand,
          &kCronoprogrammaCommand}) {
        if (name == QLatin1String(command->name))
            return command;
    }
    return nullptr;
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        return usageError(err, QStringLiteral("manca il comando"), kUsage);
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << kUsage;
        return ExitOk;
    }
    if (const CliCommand* entry = findCommand(command, rest))
        return runCommand(*entry, rest, out, err);
    return usageError(err, QStringLiteral("comando sconosciuto: %1").arg(command), kUsage);
}

int finishOutput(QTextStream& out, QTextStream& err, int code)
{
    out.flush();
    // The JSON went to the device past the stream, which then has nothing of its own to flush.
    auto* file = qobject_cast<QFileDevice*>(out.device());
    const bool lost = out.status() != QTextStream::Ok ||
                      (file && (!file->flush() || file->error() != QFileDevice::NoError));
    if (lost && code == ExitOk)
        code = failWith(err, QStringLiteral("impossibile scrivere sullo standard output: i "
                                            "risultati non sono completi."));
    err.flush();
    return code;
}

} // namespace zant
