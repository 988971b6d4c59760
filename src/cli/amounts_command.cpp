#include "cli/amounts_command.h"

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "model/money.h"
#include "model/text_format.h"
#include "schedule/amounts.h"

namespace zant {

namespace {

const char* const kAmountsHelp =
    "uso: zant-cli importi FILE [--json] [--sal-mesi N | --sal-importo EURO]\n"
    "                           [--sal-minimo EURO]\n"
    "Controlla i dati del file, calcola il progetto e stampa gli importi delle attività\n"
    "distribuiti nel tempo: per mese e per anno contrattuale (dalla data d'inizio), sia\n"
    "alle date minime sia alle date massime, con i cumulati e la percentuale del totale.\n"
    "Con una regola stampa anche la previsione dei SAL (stati di avanzamento lavori).\n"
    "opzioni:\n"
    "  --json                 stampa un solo oggetto JSON invece delle tabelle; gli importi\n"
    "                         sono numeri in euro con due decimali (1234.50), le date\n"
    "                         aaaa-mm-gg, i mesi aaaa-mm; \"amount\" di un SAL è l'importo\n"
    "                         alle date minime, \"lateAmount\" quello alle date massime\n"
    "  --sal-mesi N           un SAL ogni N mesi dalla data d'inizio (N da 1 a 120)\n"
    "  --sal-importo EURO     un SAL ogni volta che i lavori eseguiti dall'ultimo SAL\n"
    "                         raggiungono l'importo (150.000,00)\n"
    "  --sal-minimo EURO      importo minimo di un SAL: uno minore attende il successivo\n"
    "                         (l'ultimo, a fine lavori, prende quanto resta)\n"
    "uscita: 0 importi stampati, 1 dati rifiutati dal controllo, 2 file illeggibile o non\n"
    "valido, o errore d'uso\n";

const char* const kAmountsUsage =
    "uso: zant-cli importi FILE [--json] [--sal-mesi N | --sal-importo EURO] "
    "[--sal-minimo EURO]\n";

// Euro with two decimals as a JSON number, written from the cents: 1234.5 € is 1234.50.
QString jsonEuro(Cents cents)
{
    const bool negative = cents < 0;
    const quint64 magnitude = negative ? quint64(0) - quint64(cents) : quint64(cents);
    return QStringLiteral("%1%2.%3")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(magnitude / 100)
        .arg(magnitude % 100, 2, 10, QLatin1Char('0'));
}

QString jsonDate(const QDate& date)
{
    return date.isValid() ? QLatin1Char('"') + date.toString(Qt::ISODate) + QLatin1Char('"')
                          : QStringLiteral("null");
}

QString jsonText(const QString& text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

// The share of the total, "37,25" (hundredths of a percent rounded half up, in whole numbers).
QString percent(Cents part, Cents total)
{
    if (total <= 0)
        return QStringLiteral("0,00");
    // part ≤ 10^11 and 10^4 · 10^11 fits in 64 bits.
    const Cents hundredths = (part * 10'000 + total / 2) / total;
    return QStringLiteral("%1,%2")
        .arg(hundredths / 100)
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

QString cell(const QString& text, int width)
{
    return text.rightJustified(width);
}

void writePeriods(QTextStream& out, const QString& heading, const QString& column,
                  const std::vector<PeriodAmounts>& periods, Cents total, int width)
{
    out << "\n"
        << heading << "\n"
        << column.leftJustified(width) << "  " << cell(QStringLiteral("date minime"), 16) << "  "
        << cell(QStringLiteral("cumulato"), 16) << "  " << cell(QStringLiteral("%"), 6) << "  "
        << cell(QStringLiteral("date massime"), 16) << "  " << cell(QStringLiteral("cumulato"), 16)
        << "  " << cell(QStringLiteral("%"), 6) << "\n";
    for (const PeriodAmounts& p : periods) {
        out << p.label.leftJustified(width) << "  " << cell(formatEuro(p.early), 16) << "  "
            << cell(formatEuro(p.earlyCumulative), 16) << "  "
            << cell(percent(p.earlyCumulative, total), 6) << "  " << cell(formatEuro(p.late), 16)
            << "  " << cell(formatEuro(p.lateCumulative), 16) << "  "
            << cell(percent(p.lateCumulative, total), 6) << "\n";
    }
}

QString describeRule(const SalRule& rule)
{
    QString text =
        rule.everyMonths > 0
            ? (rule.everyMonths == 1 ? QStringLiteral("un SAL ogni mese")
                                     : QStringLiteral("un SAL ogni %1 mesi").arg(rule.everyMonths))
            : QStringLiteral("un SAL ogni %1 € di lavori eseguiti")
                  .arg(formatEuro(rule.everyAmount));
    if (rule.minimum > 0)
        text += QStringLiteral(", importo minimo %1 €").arg(formatEuro(rule.minimum));
    return text;
}

void writeTables(QTextStream& out, const ComputedProject& c, const AmountsInTime& a,
                 const std::optional<SalRule>& rule, const std::vector<SalForecast>& sals)
{
    const QString& name = c.contents.titlePage[TitlePage::progetto];
    if (!name.isEmpty())
        out << "Progetto: " << forTerminal(name) << "\n";
    out << "Data d'inizio degli eventi: " << c.contents.project.startDateText() << "\n"
        << "Importo totale: " << formatEuro(a.total) << " €\n";
    if (a.total == 0) {
        out << "Nessuna attività ha un importo.\n";
        return;
    }
    writePeriods(out, QStringLiteral("Importi per mese"), QStringLiteral("mese"), a.months, a.total,
                 16);
    writePeriods(out, QStringLiteral("Importi per anno contrattuale"), QStringLiteral("anno"),
                 a.years, a.total, 38);
    if (!rule)
        return;
    out << "\nPrevisione dei SAL (" << describeRule(*rule) << ")\n"
        << cell(QStringLiteral("SAL"), 4) << "  " << cell(QStringLiteral("date minime"), 11) << "  "
        << cell(QStringLiteral("importo"), 16) << "  " << cell(QStringLiteral("cumulato"), 16)
        << "  " << cell(QStringLiteral("date massime"), 12) << "  "
        << cell(QStringLiteral("importo"), 16) << "  " << cell(QStringLiteral("cumulato"), 16)
        << "\n";
    for (const SalForecast& s : sals) {
        const bool early = s.earlyDate.isValid();
        const bool late = s.lateDate.isValid();
        out << cell(QString::number(s.number), 4) << "  " << cell(formatDate(s.earlyDate), 11)
            << "  " << cell(early ? formatEuro(s.earlyAmount) : QString(), 16) << "  "
            << cell(early ? formatEuro(s.earlyCumulative) : QString(), 16) << "  "
            << cell(formatDate(s.lateDate), 12) << "  "
            << cell(late ? formatEuro(s.lateAmount) : QString(), 16) << "  "
            << cell(late ? formatEuro(s.lateCumulative) : QString(), 16) << "\n";
    }
}

void writePeriodsJson(QTextStream& out, const std::vector<PeriodAmounts>& periods, bool months)
{
    for (std::size_t i = 0; i < periods.size(); ++i) {
        const PeriodAmounts& p = periods[i];
        out << (i == 0 ? "" : ", ") << "{";
        if (months)
            out << "\"month\": \"" << p.first.toString(QStringLiteral("yyyy-MM")) << "\"";
        else
            out << "\"year\": " << (i + 1) << ", \"from\": " << jsonDate(p.first)
                << ", \"to\": " << jsonDate(p.last);
        out << ", \"label\": " << jsonText(p.label) << ", \"early\": " << jsonEuro(p.early)
            << ", \"late\": " << jsonEuro(p.late)
            << ", \"earlyCumulative\": " << jsonEuro(p.earlyCumulative)
            << ", \"lateCumulative\": " << jsonEuro(p.lateCumulative) << "}";
    }
}

void writeJson(QTextStream& out, const AmountsInTime& a, const std::vector<SalForecast>& sals)
{
    out << "{\"total\": " << jsonEuro(a.total) << ", \"months\": [";
    writePeriodsJson(out, a.months, true);
    out << "], \"years\": [";
    writePeriodsJson(out, a.years, false);
    out << "], \"sal\": [";
    for (std::size_t i = 0; i < sals.size(); ++i) {
        const SalForecast& s = sals[i];
        out << (i == 0 ? "" : ", ") << "{\"n\": " << s.number
            << ", \"earlyDate\": " << jsonDate(s.earlyDate)
            << ", \"lateDate\": " << jsonDate(s.lateDate)
            << ", \"amount\": " << jsonEuro(s.earlyAmount)
            << ", \"lateAmount\": " << jsonEuro(s.lateAmount)
            << ", \"earlyCumulative\": " << jsonEuro(s.earlyCumulative)
            << ", \"lateCumulative\": " << jsonEuro(s.lateCumulative) << "}";
    }
    out << "]}\n";
}

int runAmounts(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const QString months = line.value(QStringLiteral("--sal-mesi"));
    const QString amount = line.value(QStringLiteral("--sal-importo"));
    const QString minimum = line.value(QStringLiteral("--sal-minimo"));
    const bool byMonths = line.values.contains(QStringLiteral("--sal-mesi"));
    const bool byAmount = line.values.contains(QStringLiteral("--sal-importo"));
    if (byMonths && byAmount)
        return usageError(err,
                          QStringLiteral("indicare --sal-mesi oppure --sal-importo, non "
                                         "entrambi"),
                          kAmountsUsage);
    std::optional<SalRule> rule;
    if (byMonths) {
        bool ok = false;
        const int n = months.toInt(&ok);
        if (!ok || n < 1 || n > 120 || months.startsWith(QLatin1Char('+')))
            return usageError(err,
                              QStringLiteral("--sal-mesi vuole un numero di mesi da 1 a 120, "
                                             "non \"%1\"")
                                  .arg(months),
                              kAmountsUsage);
        rule = SalRule{n, 0, 0};
    } else if (byAmount) {
        const auto cents = parseEuro(amount);
        if (!cents || *cents == 0)
            return usageError(err,
                              QStringLiteral("--sal-importo vuole un importo in euro maggiore di "
                                             "zero, come 150.000,00, non \"%1\"")
                                  .arg(amount),
                              kAmountsUsage);
        rule = SalRule{0, *cents, 0};
    }
    if (line.values.contains(QStringLiteral("--sal-minimo"))) {
        if (!rule)
            return usageError(err,
                              QStringLiteral("--sal-minimo va usato con --sal-mesi o "
                                             "--sal-importo"),
                              kAmountsUsage);
        const auto cents = parseEuro(minimum);
        if (!cents)
            return usageError(err,
                              QStringLiteral("--sal-minimo vuole un importo in euro, come "
                                             "50.000,00, non \"%1\"")
                                  .arg(minimum),
                              kAmountsUsage);
        rule->minimum = *cents;
    }

    int code = ExitOk;
    const auto computed = loadAndCompute(line.file, out, err, code);
    if (!computed)
        return code;
    const Project& project = computed->contents.project;
    const AmountsInTime amounts = amountsInTime(project, computed->results, projectDays(project));
    const std::vector<SalForecast> sals =
        rule ? salForecast(amounts, *rule) : std::vector<SalForecast>{};
    if (line.has(QStringLiteral("--json")))
        writeJson(out, amounts, sals);
    else
        writeTables(out, *computed, amounts, rule, sals);
    return ExitOk;
}

} // namespace

const CliCommand kAmountsCommand{"importi",
                                 {{"--json"}, {"--sal-mesi", "--sal-importo", "--sal-minimo"}},
                                 kAmountsHelp,
                                 runAmounts,
                                 kAmountsUsage};

} // namespace zant
