#include "cli/cli_cronoprogramma.h"

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "model/money.h"
#include "report/cronoprogramma.h"
#include "report/docx_writer.h"

#include <QDate>

namespace zant {

namespace {

const char* const kCronoprogrammaHelp =
    "uso: zant-cli cronoprogramma FILE -o OUT.docx [opzioni]\n"
    "     zant-cli cronoprogramma FILE --pdf OUT.pdf [opzioni]\n"
    "Calcola il progetto e scrive il cronoprogramma dei lavori: copertina, calendario,\n"
    "tabella delle lavorazioni con date, scorrimenti e importi, diagramma di Gantt, importi\n"
    "per mese e per anno contrattuale, curva a S, previsione dei SAL e firma del\n"
    "progettista. In Word con -o, in stampa diretta su PDF con --pdf. FILE è un file di dati\n"
    "ZANT; i dati del frontespizio vengono dal file stesso, oppure da --frontespizio FILE;\n"
    "studio e progettista dal file delle impostazioni, oppure da --config FILE.\n"
    "opzioni:\n"
    "  -o OUT.docx                documento Word da scrivere\n"
    "  --pdf OUT.pdf              stampa diretta su un file PDF\n"
    "  --sal-mesi N               un SAL ogni N mesi (senza opzioni: ogni mese)\n"
    "  --sal-importo EURO         un SAL ogni volta che i lavori eseguiti raggiungono EURO\n"
    "                             in più (es. 150.000,00)\n"
    "  --sal-minimo EURO          importo minimo di un SAL (l'ultimo prende il resto)\n"
    "  --frontespizio FILE        prende i dati del frontespizio da un file ZANT-front-\n"
    "  --config FILE              file delle impostazioni dello studio (INI)\n"
    "uscita: 0 documento scritto, 1 dati rifiutati dal controllo, 2 file illeggibile,\n"
    "non valido o non scrivibile, o errore d'uso\n";

constexpr int kMaxSalMonths = 120;

int runCronoprogramma(const CliCommand& command, const CommandLine& line, QTextStream& out,
                      QTextStream& err)
{
    const QString docx = line.value(QStringLiteral("-o"));
    const QString pdf = line.value(QStringLiteral("--pdf"));
    if (docx.isEmpty() == pdf.isEmpty())
        return usageError(err,
                          docx.isEmpty() ? QStringLiteral("manca -o OUT.docx oppure --pdf OUT.pdf")
                                         : QStringLiteral("-o e --pdf non vanno insieme"),
                          command.help);
    const auto rule = salRuleOf(line);
    if (!rule)
        return usageError(err, rule.error().text, command.help);
    const auto office = officeFor(line, err);
    if (!office)
        return ExitError;
    int code = ExitOk;
    auto c = loadAndCompute(line.file, out, err, code);
    if (!c)
        return code;
    if (line.values.contains(QStringLiteral("--frontespizio"))) {
        auto title = readTitlePageFile(line.value(QStringLiteral("--frontespizio")));
        if (!title)
            return failWith(err, title.error().text);
        c->contents.titlePage = title.value();
    }
    const ReportData report{c->contents.project, c->results, c->contents.titlePage, *office};
    const CronoprogrammaData data = cronoprogrammaData(
        report, rule.value(), documentDate(c->contents.titlePage, QDate::currentDate()));
    if (!pdf.isEmpty())
        return reportWritten(printCronoprogrammaToPdf(data, pdf), pdf, out, err);
    DocxWriter writer;
    buildCronoprogramma(writer, data);
    return reportWritten(writer.save(docx), docx, out, err);
}

} // namespace

Result<SalRule> salRuleOf(const CommandLine& line)
{
    SalRule rule;
    const bool months = line.values.contains(QStringLiteral("--sal-mesi"));
    const bool amount = line.values.contains(QStringLiteral("--sal-importo"));
    if (months && amount)
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("--sal-mesi e --sal-importo non vanno insieme")));
    if (amount) {
        const QString text = line.value(QStringLiteral("--sal-importo"));
        const auto euro = parseEuro(text);
        if (!euro || *euro <= 0)
            return Error(
                ErrorKind::Format,
                critical(
                    QStringLiteral("importo dei SAL non valido: %1 (es. 150.000,00)").arg(text)));
        rule.everyAmount = *euro;
    } else {
        const QString text = line.value(QStringLiteral("--sal-mesi"));
        bool ok = true;
        rule.everyMonths = months ? text.toInt(&ok) : 1;
        if (!ok || rule.everyMonths < 1 || rule.everyMonths > kMaxSalMonths)
            return Error(
                ErrorKind::Format,
                critical(QStringLiteral("numero di mesi dei SAL non valido: %1 (da 1 a %2)")
                             .arg(text)
                             .arg(kMaxSalMonths)));
    }
    if (line.values.contains(QStringLiteral("--sal-minimo"))) {
        const QString text = line.value(QStringLiteral("--sal-minimo"));
        const auto euro = parseEuro(text);
        if (!euro)
            return Error(
                ErrorKind::Format,
                critical(QStringLiteral("importo minimo dei SAL non valido: %1 (es. 50.000,00)")
                             .arg(text)));
        rule.minimum = *euro;
    }
    return rule;
}

const CliCommand kCronoprogrammaCommand{
    "cronoprogramma",
    {{},
     {"-o", "--pdf", "--sal-mesi", "--sal-importo", "--sal-minimo", "--frontespizio", "--config"}},
    kCronoprogrammaHelp,
    runCronoprogramma};

} // namespace zant
