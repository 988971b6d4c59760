#include "cli/calendar_command.h"

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "schedule/schedule.h"

namespace zant {

namespace {

const char* const kCalendarHelp =
    "uso: zant-cli calendario FILE\n"
    "     zant-cli calendario FILE --lavorativi lun,mar,mer,gio,ven [--senza-festivita]\n"
    "          [--patrono GG/MM] [--chiusura GG/MM/AAAA-GG/MM/AAAA[:descrizione]]...\n"
    "          [--chiusure-naturali] -o OUT.txt\n"
    "     zant-cli calendario FILE --naturali [--chiusura ...]... [--chiusure-naturali]\n"
    "          -o OUT.txt\n"
    "Senza -o stampa il calendario del progetto e i giorni non lavorativi del periodo dei\n"
    "lavori (che richiede dati corretti). Con -o scrive una copia del progetto con il\n"
    "calendario indicato dalle opzioni.\n"
    "opzioni:\n"
    "  --lavorativi GIORNI        durate in giorni lavorativi: i giorni della settimana\n"
    "                             che si lavora (lun,mar,mer,gio,ven,sab,dom); le\n"
    "                             festività nazionali non contano\n"
    "  --naturali                 durate in giorni naturali e consecutivi\n"
    "  --senza-festivita          le festività nazionali contano come giorni lavorativi\n"
    "  --patrono GG/MM            giorno del santo patrono, che non conta\n"
    "  --chiusura DAL-AL[:DESCR]  una chiusura del cantiere (anche più volte); un solo\n"
    "                             giorno si scrive GG/MM/AAAA[:descrizione]\n"
    "  --chiusure-naturali        le chiusure sospendono anche un progetto in giorni\n"
    "                             naturali\n"
    "  -o OUT.txt                 file di dati da scrivere\n"
    "uscita: 0 eseguito, 1 dati rifiutati dal controllo (per il periodo dei lavori),\n"
    "2 file illeggibile, non valido o non scrivibile, o errore d'uso\n";

QString yes(bool value)
{
    return value ? QStringLiteral("sì") : QStringLiteral("no");
}

void printCalendar(QTextStream& out, const ProjectCalendar& c)
{
    out << "Calendario: " << forTerminal(calendarSentence(c)) << "\n";
    out << "Giorni: "
        << (c.workingDays ? QStringLiteral("lavorativi") : QStringLiteral("naturali e consecutivi"))
        << "\n";
    if (c.workingDays) {
        out << "Settimana lavorativa: " << weekdayList(c.workingWeek) << "\n";
        out << "Festività nazionali escluse: " << yes(c.nationalHolidays) << "\n";
        out << "Santo patrono: "
            << (c.patron.isSet() ? formatMonthDay(c.patron) + QStringLiteral(" (") +
                                       longMonthDay(c.patron) + QLatin1Char(')')
                                 : QStringLiteral("nessuno"))
            << "\n";
    }
    out << (c.closures.empty() ? QStringLiteral("Chiusure: nessuna") : QStringLiteral("Chiusure:"))
        << "\n";
    for (const CalendarClosure& closure : c.closures)
        out << "  " << formatDate(closure.first) << "-" << formatDate(closure.last) << "  "
            << forTerminal(closure.description) << "\n";
    if (!c.closures.empty() && !c.workingDays)
        out << "Le chiusure valgono anche in giorni naturali: " << yes(c.closuresInCalendarDays)
            << "\n";
}

// The days that do not count from day 0 to the final event.
void printRestDays(QTextStream& out, const ProjectCalendar& c, const ScheduleResults& r)
{
    const QDate from = r.clock.firstDay();
    const QDate to = r.dateAt(r.earliest[r.eventCount]);
    if (!from.isValid() || !to.isValid())
        return;
    out << "\nPeriodo dei lavori: dal " << formatDate(from) << " al " << formatDate(to) << "\n";
    if (r.clock.plain()) {
        out << "Giorni non lavorativi nel periodo: nessuno, si contano tutti i giorni\n";
        return;
    }
    qint64 off = 0;
    qint64 weekly = 0;
    for (QDate d = from; d <= to; d = d.addDays(1)) {
        if (!r.clock.isWorkingDay(d)) {
            ++off;
            if (!(c.countedWeek() & weekdayBit(d.dayOfWeek())))
                ++weekly;
        }
    }
    out << "Giorni non lavorativi nel periodo: " << off << "\n";
    for (const CalendarClosure& span : restSpans(c, from, to)) {
        const QString when = span.first == span.last ? weekdayName(span.first.dayOfWeek()).left(3) +
                                                           QLatin1Char(' ') + formatDate(span.first)
                                                     : formatDate(span.first) + QLatin1Char('-') +
                                                           formatDate(span.last);
        out << "  " << when.leftJustified(23) << "  " << forTerminal(span.description) << "\n";
    }
    if (weekly > 0) {
        QStringList rest;
        for (int d = 1; d <= 7; ++d) {
            if (!(c.countedWeek() & weekdayBit(d)))
                rest << weekdayName(d);
        }
        out << "  e " << weekly << " giorni di riposo settimanale ("
            << rest.join(QStringLiteral(", ")) << ")\n";
    }
}

int runCalendar(const CliCommand&, const CommandLine& line, QTextStream& out, QTextStream& err)
{
    const bool writes = line.values.contains(QStringLiteral("-o"));
    const bool describes = line.values.contains(QStringLiteral("--lavorativi")) ||
                           line.has(QStringLiteral("--naturali"));
    const bool options = describes || line.has(QStringLiteral("--senza-festivita")) ||
                         line.has(QStringLiteral("--chiusure-naturali")) ||
                         line.values.contains(QStringLiteral("--patrono")) ||
                         line.values.contains(QStringLiteral("--chiusura"));
    if (options && !writes)
        return usageError(err, QStringLiteral("manca -o OUT.txt"), kCalendarHelp);
    if (writes && !describes)
        return usageError(err, QStringLiteral("manca --lavorativi GIORNI oppure --naturali"),
                          kCalendarHelp);

    auto contents = readProjectFile(line.file);
    if (!contents)
        return failWith(err, contents.error().text);
    Project project = contents.value().project;

    if (writes) {
        const auto calendar = calendarFromOptions(line);
        if (!calendar)
            return usageError(err, calendar.error().text, kCalendarHelp);
        if (contents.value().newerSection())
            return failWith(err, QStringLiteral("Il file \"%1\" è stato scritto da una versione "
                                                "più recente di ZANT: il suo calendario non "
                                                "viene cambiato da questa versione.")
                                     .arg(displayPath(line.file)));
        project.setCalendar(calendar.value());
        const QString output = line.value(QStringLiteral("-o"));
        return reportWritten(writeProjectFile(output, project, contents.value().titlePage), output,
                             out, err);
    }

    printCalendar(out, project.calendar());
    if (Result<void> fault = CheckConfirmation().requireValidData(project); !fault.ok()) {
        out << "\nIl periodo dei lavori richiede dati corretti: " << forTerminal(fault.error().text)
            << "\n";
        return ExitRefused;
    }
    printRestDays(out, project.calendar(), ComputeSchedule(project));
    return ExitOk;
}

} // namespace

Result<CalendarClosure> parseClosureOption(const QString& text)
{
    const Error wrong(ErrorKind::Format,
                      critical(QStringLiteral("chiusura non valida: \"%1\" (si scrive "
                                              "GG/MM/AAAA-GG/MM/AAAA[:descrizione])")
                                   .arg(text)));
    const qsizetype colon = text.indexOf(QLatin1Char(':'));
    const QString span = colon < 0 ? text : text.left(colon);
    CalendarClosure closure;
    closure.description = colon < 0 ? QString() : text.mid(colon + 1).trimmed();
    const QStringList ends = span.split(QLatin1Char('-'));
    if (ends.size() > 2)
        return wrong;
    closure.first = parseDate(ends.first());
    closure.last = ends.size() == 2 ? parseDate(ends.last()) : closure.first;
    if (!closure.first.isValid() || !closure.last.isValid())
        return wrong;
    return closure;
}

Result<ProjectCalendar> calendarFromOptions(const CommandLine& line)
{
    const bool working = line.values.contains(QStringLiteral("--lavorativi"));
    if (working && line.has(QStringLiteral("--naturali")))
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("--lavorativi e --naturali non vanno insieme")));
    ProjectCalendar calendar;
    calendar.workingDays = working;
    if (working) {
        const QString days = line.value(QStringLiteral("--lavorativi"));
        const auto week = parseWeekdayList(days);
        if (!week)
            return Error(
                ErrorKind::Format,
                critical(QStringLiteral("giorni lavorativi non validi: \"%1\" (per esempio "
                                        "lun,mar,mer,gio,ven)")
                             .arg(days)));
        calendar.workingWeek = *week;
    }
    calendar.nationalHolidays = !line.has(QStringLiteral("--senza-festivita"));
    if (line.values.contains(QStringLiteral("--patrono"))) {
        const QString text = line.value(QStringLiteral("--patrono"));
        const auto day = parseMonthDay(text);
        if (!day)
            return Error(
                ErrorKind::Format,
                critical(QStringLiteral("giorno del patrono non valido: \"%1\" (si scrive GG/MM)")
                             .arg(text)));
        calendar.patron = *day;
    }
    for (const QString& text : line.valuesOf(QStringLiteral("--chiusura"))) {
        auto closure = parseClosureOption(text);
        if (!closure)
            return closure.error();
        calendar.closures.push_back(closure.value());
    }
    calendar.closuresInCalendarDays = line.has(QStringLiteral("--chiusure-naturali"));
    if (Result<void> refused = checkCalendar(calendar); !refused.ok())
        return refused.error();
    return calendar;
}

const CliCommand kCalendarCommand{"calendario",
                                  {{"--naturali", "--senza-festivita", "--chiusure-naturali"},
                                   {"-o", "--lavorativi", "--patrono", "--chiusura"}},
                                  kCalendarHelp,
                                  runCalendar,
                                  nullptr};

} // namespace zant
