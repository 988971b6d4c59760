#include "report/report_texts.h"

#include <QFile>

namespace zant {

namespace {

QStringList readParagraphs(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList paragraphs;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString text = line.trimmed();
        if (!text.isEmpty())
            paragraphs << text;
    }
    return paragraphs;
}

QString justifyLine(const QStringList& words, int width)
{
    if (words.size() == 1)
        return words.first();
    int length = 0;
    for (const QString& w : words)
        length += w.size();
    const int gaps = words.size() - 1;
    const int blanks = width - length;
    QString line = words.first();
    for (int g = 0; g < gaps; ++g) {
        // The leftmost gaps take the spare blanks first.
        const int here = blanks / gaps + (g < blanks % gaps ? 1 : 0);
        line += QString(here, QLatin1Char(' ')) + words[g + 1];
    }
    return line;
}

} // namespace

QStringList ReportTexts::methodFor(const ProjectCalendar& calendar)
{
    // The paragraph on durations holds the place where the calendar is said.
    static const QStringList paragraphs = readParagraphs(QStringLiteral(":/report/metodo.txt"));
    // The rule for half days is written in the text itself, as fractionalTimeRule() says it.
    const QString said = calendarSentence(calendar);
    QStringList method;
    for (const QString& paragraph : paragraphs)
        method << QString(paragraph).replace(QStringLiteral("{calendario}"), said);
    return method;
}

const ReportTexts& ReportTexts::standard()
{
    static const ReportTexts texts{methodFor(ProjectCalendar{}),
                                   readParagraphs(QStringLiteral(":/report/dati.txt")),
                                   readParagraphs(QStringLiteral(":/report/risultati.txt"))};
    return texts;
}

QStringList justifyParagraphs(const QStringList& paragraphs, int width)
{
    QStringList lines;
    for (const QString& paragraph : paragraphs) {
        QStringList words;
        for (const QString& w : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            // A word longer than a line is cut so that no line runs past the margin.
            for (int i = 0; i < w.size(); i += width)
                words << w.mid(i, width);
        }
        QStringList current;
        int length = 0;
        for (const QString& w : words) {
            const int needed = current.isEmpty() ? w.size() : length + 1 + w.size();
            if (!current.isEmpty() && needed > width) {
                lines << justifyLine(current, width);
                current.clear();
                length = 0;
            }
            length = current.isEmpty() ? w.size() : length + 1 + w.size();
            current << w;
        }
        if (!current.isEmpty())
            lines << current.join(QLatin1Char(' '));
    }
    return lines;
}

} // namespace zant
