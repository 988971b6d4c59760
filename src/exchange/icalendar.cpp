#include "exchange/icalendar.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QCryptographicHash>
#include <QDate>
#include <QStringList>

#include <cmath>

namespace zant {

namespace {

// TEXT values escape backslash, semicolon, comma and line breaks.
QString escaped(const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(';') || c == QLatin1Char(','))
            out += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c.unicode() < 0x20 && c != QLatin1Char('\t'))
            out += QLatin1Char(' ');
        else
            out += c;
    }
    return out;
}

// One content line, folded so that no line is longer than 75 octets: a fold never splits a
// UTF-8 sequence, and the continuation starts with one blank.
void appendLine(QByteArray& out, const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    qsizetype at = 0;
    int room = 75;
    while (bytes.size() - at > room) {
        qsizetype cut = at + room;
        while (cut > at && (static_cast<uchar>(bytes[cut]) & 0xC0) == 0x80)
            --cut; // back to the start of a character
        out += bytes.mid(at, cut - at);
        out += "\r\n ";
        at = cut;
        room = 74; // the leading blank counts
    }
    out += bytes.mid(at);
    out += "\r\n";
}

QString dateValue(const QDate& date)
{
    return date.toString(QStringLiteral("yyyyMMdd"));
}

} // namespace

QByteArray writeICalendar(const Project& project, const ScheduleResults& r,
                          const QString& projectTitle, const QDateTime& stamp)
{
    const QString stampText = stamp.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    // The same event of the same plan keeps its UID from one export to the next, so a calendar
    // that imports the file again updates it instead of adding a copy.
    const QByteArray planKey =
        QCryptographicHash::hash(
            (projectTitle + QLatin1Char('|') + project.startDateText()).toUtf8(),
            QCryptographicHash::Sha1)
            .toHex()
            .left(16);

    QByteArray out;
    appendLine(out, QStringLiteral("BEGIN:VCALENDAR"));
    appendLine(out, QStringLiteral("VERSION:2.0"));
    appendLine(out, QStringLiteral("PRODID:-//ZANT//Programma lavori//IT"));
    appendLine(out, QStringLiteral("CALSCALE:GREGORIAN"));
    appendLine(out, QStringLiteral("METHOD:PUBLISH"));
    if (!projectTitle.isEmpty())
        appendLine(out, QStringLiteral("X-WR-CALNAME:") + escaped(projectTitle));
    for (int e = 1; e <= r.eventCount; ++e) {
        const QDate early = r.dateAt(r.earliest[e]);
        const QDate late = r.dateAt(r.latest[e]);
        const bool critical = r.isCritical(e);
        QString summary = QStringLiteral("Evento %1: %2").arg(e).arg(project.description(e));
        if (critical)
            summary = QStringLiteral("[CRITICO] ") + summary;
        QString description =
            QStringLiteral("Data minima: %1\nData massima: %2\nScorrimento: "
                           "%3 giorni")
                .arg(formatDate(early), formatDate(late),
                     formatDays(isZeroFloat(r.eventFloat(e)) ? 0.0 : r.eventFloat(e)));
        // The activities that start here, by their names; dummies are no work to start.
        QStringList starting;
        for (const Activity a : project.activities(e)) {
            if (!a.isDummy())
                starting << QStringLiteral("%1 (%2 g)")
                                .arg(project.activityName(a.from, a.slot), formatDays(a.days()));
        }
        if (!starting.isEmpty())
            description +=
                QStringLiteral("\nAttività che iniziano: ") + starting.join(QStringLiteral("; "));
        if (critical)
            description += QStringLiteral("\nEvento del percorso critico");
        // Dates that leave days out say which.
        if (!r.clock.plain())
            description += QLatin1Char('\n') + calendarSentence(r.clock.calendar());
        if (!projectTitle.isEmpty())
            description += QStringLiteral("\nProgetto: ") + projectTitle;
        appendLine(out, QStringLiteral("BEGIN:VEVENT"));
        appendLine(
            out, QStringLiteral("UID:evento-%1-%2@zant").arg(e).arg(QString::fromLatin1(planKey)));
        appendLine(out, QStringLiteral("DTSTAMP:") + stampText);
        appendLine(out, QStringLiteral("DTSTART;VALUE=DATE:") + dateValue(early));
        appendLine(out, QStringLiteral("DTEND;VALUE=DATE:") + dateValue(early.addDays(1)));
        appendLine(out, QStringLiteral("SUMMARY:") + escaped(summary));
        appendLine(out, QStringLiteral("DESCRIPTION:") + escaped(description));
        if (critical)
            appendLine(out, QStringLiteral("CATEGORIES:Percorso critico"));
        appendLine(out, QStringLiteral("TRANSP:TRANSPARENT"));
        appendLine(out, QStringLiteral("END:VEVENT"));
    }
    appendLine(out, QStringLiteral("END:VCALENDAR"));
    return out;
}

Result<void> exportICalendar(const QString& path, const Project& project,
                             const ScheduleResults& results, const QString& projectTitle,
                             const QDateTime& stamp)
{
    return saveFile(path, writeICalendar(project, results, projectTitle, stamp));
}

} // namespace zant
