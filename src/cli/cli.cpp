#include "cli/cli.h"
#include "cli/exchange_commands.h"

#include "cli/cli_diagram.h"
#include "cli/cli_support.h"
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

#include <QIODevice>
#include <QMap>

#include <charconv>
#include <cmath>

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

// UTF-8 text straight to the stream's device when it has one (standard output), without a
// round trip through QString.
void writeBytes(QTextStream& out, const QByteArray& utf8)
{
    if (QIODevice* device = out.device()) {
        out.flush();
        device->write(utf8);
    } else {
        out << QString::fromUtf8(utf8);
    }
}

int usageError(QTextStream& err, const QString& problem)
{
    err << "zant-cli: " << problem << "\n" << kUsage;
    return ExitError;
}

struct CommandLine
{
    QString file;
    QStringList flags;
    QMap<QString, QString> values;
};

// Splits the arguments of a command into at most one file, the flags it allows and the options
// that take a value ("-o OUT", "--config FILE").
bool parseArguments(const QStringList& args, const QStringList& allowedFlags,
                    const QStringList& valueOptions, bool needsFile, CommandLine& line,
                    QString& problem, bool fileRequired = true)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (valueOptions.contains(arg)) {
            if (i + 1 >= args.size()) {
                problem = QStringLiteral("manca il valore dell'opzione %1").arg(arg);
                return false;
            }
            line.values.insert(arg, args[++i]);
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            if (!allowedFlags.contains(arg)) {
                problem = QStringLiteral("opzione sconosciuta: %1").arg(arg);
                return false;
            }
            line.flags << arg;
        } else if (needsFile && line.file.isEmpty()) {
            line.file = arg;
        } else {
            problem = QStringLiteral("argomento in più: %1").arg(arg);
            return false;
        }
    }
    if (needsFile && fileRequired && line.file.isEmpty()) {
        problem = QStringLiteral("manca il nome del file di dati");
        return false;
    }
    return true;
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
    out << "Data d'inizio degli eventi: " << p.startDateText() << "  -  eventi: " << n
        << "\n\nA) Tempi e date\n";
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
    for (int e = 1; e <= n; ++e) {
        for (int s = 1; s <= p.linkCount(e); ++s) {
            const Link& link = p.link(e, s);
            out << cell(QString::number(e), 6, true) << "  " << cell(QString::number(s), 6, true)
                << "  " << cell(QString::number(link.target), 10, true) << "  "
                << cell(link.days ? formatDays(*link.days) : QString(), 8, true) << "  "
                << cell(formatDays(r.linkFloatAt(e, s)), 11, true) << "\n";
        }
    }
    out << "\nC) Percorso critico: " << r.criticalPath << "\n";
}

// Loads the file; on failure prints why and returns nothing.
std::optional<ProjectFileContents> load(const QString& file, QTextStream& err)
{
    auto contents = readProjectFile(file);
    if (!contents) {
        err << "zant-cli: " << forTerminal(contents.error().text) << "\n";
        return std::nullopt;
    }
    return std::move(contents).value();
}

int runCheck(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QLatin1String("--help"))) {
        out << kCheckHelp;
        return ExitOk;
    }
    CommandLine line;
    QString problem;
    if (!parseArguments(args, {}, {}, true, line, problem))
        return usageError(err, problem);
    const auto contents = load(line.file, err);
    if (!contents)
        return ExitError;
    const Message answer = CheckConfirmation().checkOnRequest(contents->project);
    out << forTerminal(answer.text) << "\n";
    return answer.kind == MessageKind::Information ? ExitOk : ExitRefused;
}

int runCompute(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QLatin1String("--help"))) {
        out << kComputeHelp;
        return ExitOk;
    }
    CommandLine line;
    QString problem;
    if (!parseArguments(args, {QStringLiteral("--json")}, {}, true, line, problem))
        return usageError(err, problem);
    const auto contents = load(line.file, err);
    if (!contents)
        return ExitError;
    if (auto fault = CheckConfirmation().requireValidData(contents->project)) {
        out << forTerminal(fault->text) << "\n";
        return ExitRefused;
    }
    const ScheduleResults results = ComputeSchedule(contents->project);
    if (line.flags.contains(QLatin1String("--json")))
        writeBytes(out, computeJson(contents->project, results));
    else
        writeTable(out, *contents, results);
    return ExitOk;
}

// What each document command takes; the help of a command lists exactly these.
struct DocumentCommand
{
    const char* name;
    bool needsFile;
    bool titlePage; // --frontespizio
    bool office;    // --config
    const char* help;
};

const DocumentCommand kDocumentCommands[] = {
    {"listing", true, true, false,
     "uso: zant-cli listing FILE -o OUT.docx [--frontespizio FILE]\n"
     "Scrive l'elenco dei dati del progetto, una riga per legame. FILE è un file di dati\n"
     "ZANT; il nome del progetto viene dal file stesso, oppure da --frontespizio FILE.\n"
     "opzioni:\n"
     "  -o OUT.docx                documento da scrivere\n"
     "  --frontespizio FILE        prende i dati del frontespizio da un file ZANT-front-\n"
     "uscita: 0 documento scritto, 1 dati rifiutati dal controllo, 2 file illeggibile,\n"
     "non valido o non scrivibile\n"},
    {"form", false, false, false,
     "uso: zant-cli form -o OUT.docx\n"
     "Scrive il modulo di acquisizione dei dati, in bianco, da compilare a mano. Non legge\n"
     "alcun file.\n"
     "opzioni:\n"
     "  -o OUT.docx                documento da scrivere\n"
     "uscita: 0 documento scritto, 2 errore d'uso o file non scrivibile\n"},
    {"results", true, true, false,
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
     "non valido o non scrivibile\n"},
    {"report", true, true, true,
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
     "non valido o non scrivibile\n"},
    {"titlepage", true, true, true,
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
     "uscita: 0 documento scritto, 2 file illeggibile, non valido o non scrivibile\n"},
};

const DocumentCommand* documentCommand(const QString& name)
{
    for (const DocumentCommand& command : kDocumentCommands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

// The office from --config, which must be readable, or from the default settings file, which
// may be missing: then the documents say so, and so does the standard error.
std::optional<OfficeSettings> officeFor(const CommandLine& line, QTextStream& err)
{
    if (line.values.contains(QStringLiteral("--config"))) {
        auto office = OfficeSettings::read(line.values.value(QStringLiteral("--config")));
        if (!office) {
            err << "zant-cli: " << forTerminal(office.error().text) << "\n";
            return std::nullopt;
        }
        return office.value();
    }
    const QString path = OfficeSettings::defaultPath();
    auto office = OfficeSettings::read(path);
    if (office)
        return office.value();
    err << "zant-cli: nessun file delle impostazioni dello studio in \"" << displayPath(path)
        << "\": nome e indirizzo dello studio non configurati\n";
    return OfficeSettings::parse(QByteArray());
}

int runDocument(const QString& command, const QStringList& args, QTextStream& out, QTextStream& err)
{
    const DocumentCommand& entry = *documentCommand(command);
    if (args.contains(QLatin1String("--help"))) {
        out << entry.help;
        return ExitOk;
    }
    const bool report = command == QLatin1String("report");
    CommandLine line;
    QString problem;
    const QStringList flags = report ? QStringList{QStringLiteral("--direct")} : QStringList{};
    QStringList values{QStringLiteral("-o")};
    if (entry.titlePage)
        values << QStringLiteral("--frontespizio");
    if (entry.office)
        values << QStringLiteral("--config");
    if (report)
        values << QStringLiteral("--pdf");
    // The data-only report needs no project when the title page comes from its own file.
    const bool fileRequired =
        !(command == QLatin1String("titlepage") && args.contains(QLatin1String("--frontespizio")));
    if (!parseArguments(args, flags, values, entry.needsFile, line, problem, fileRequired))
        return usageError(err, problem);
    const bool needsFile = !line.file.isEmpty();
    const bool direct = line.flags.contains(QLatin1String("--direct"));
    const QString output = direct ? line.values.value(QStringLiteral("--pdf"))
                                  : line.values.value(QStringLiteral("-o"));
    if (output.isEmpty())
        return usageError(err, direct ? QStringLiteral("manca --pdf OUT.pdf")
                                      : QStringLiteral("manca -o OUT.docx"));
    if (!direct && line.values.contains(QStringLiteral("--pdf")))
        return usageError(err, QStringLiteral("--pdf va usato con --direct"));

    OfficeSettings office;
    if (entry.office) {
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
        auto title = readTitlePageFile(line.values.value(QStringLiteral("--frontespizio")));
        if (!title) {
            err << "zant-cli: " << forTerminal(title.error().text) << "\n";
            return ExitError;
        }
        contents.titlePage = title.value();
    }

    const bool needsData =
        command != QLatin1String("form") && command != QLatin1String("titlepage");
    if (needsData) {
        if (auto fault = CheckConfirmation().requireValidData(contents.project)) {
            out << forTerminal(fault->text) << "\n";
            return ExitRefused;
        }
    }
    const ScheduleResults results =
        needsData ? ComputeSchedule(contents.project) : ScheduleResults{};
    const ReportData data{contents.project, results, contents.titlePage, office};

    Outcome error;
    if (direct) {
        error = printReportToPdf(data, output);
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
        error = writer.save(output);
    }
    if (error) {
        err << "zant-cli: " << forTerminal(error->text) << "\n";
        return ExitError;
    }
    out << "scritto " << output << "\n";
    return ExitOk;
}

const char* const kGuideHelp =
    "uso: zant-cli guide -o OUT.docx\n"
    "Scrive la guida in linea completa: le sette pagine di testo, una per pagina, e lo\n"
    "schema di reticolo di esempio, come il tasto Stampa del sommario della guida.\n"
    "Non legge alcun file: non prende --frontespizio né --config.\n"
    "opzioni:\n"
    "  -o OUT.docx                documento da scrivere\n"
    "uscita: 0 documento scritto, 2 errore d'uso o file non scrivibile\n";

int runGuide(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.contains(QLatin1String("--help"))) {
        out << kGuideHelp;
        return ExitOk;
    }
    CommandLine line;
    QString problem;
    if (!parseArguments(args, {}, {QStringLiteral("-o")}, false, line, problem))
        return usageError(err, problem);
    const QString output = line.values.value(QStringLiteral("-o"));
    if (output.isEmpty())
        return usageError(err, QStringLiteral("manca -o OUT.docx"));
    if (const Outcome error = writeGuide(output)) {
        err << "zant-cli: " << forTerminal(error->text) << "\n";
        return ExitError;
    }
    out << "scritto " << output << "\n";
    return ExitOk;
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty())
        return usageError(err, QStringLiteral("manca il comando"));
    const QString command = args.first();
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << kUsage;
        return ExitOk;
    }
    if (command == QLatin1String("check"))
        return runCheck(rest, out, err);
    if (command == QLatin1String("compute"))
        return runCompute(rest, out, err);
    if (command == QLatin1String("results") && wantsResultsExport(rest))
        return runResultsExport(rest, out, err);
    if (command == QLatin1String("export"))
        return runExport(rest, out, err);
    if (command == QLatin1String("import"))
        return runImport(rest, out, err);
    if (documentCommand(command))
        return runDocument(command, rest, out, err);
    if (command == QLatin1String("guide"))
        return runGuide(rest, out, err);
    if (command == QLatin1String("diagram"))
        return runDiagramCommand(rest, out, err);
    if (command == QLatin1String("gantt"))
        return runGanttCommand(rest, out, err);
    return usageError(err, QStringLiteral("comando sconosciuto: %1").arg(command));
}

} // namespace zant
