#pragma once

#include "model/work_calendar.h"

#include <QStringList>

namespace zant {

// The explanatory paragraphs of the planning report, one list per section, in reading order.
// The method says the project's calendar and the rule that dates a fraction of a day; the
// standard texts say them for the default calendar.
struct ReportTexts
{
    QStringList method;
    QStringList data;
    QStringList results;

    static const ReportTexts& standard();
    // The method's paragraphs for a project with this calendar.
    static QStringList methodFor(const ProjectCalendar& calendar);
};

// Breaks paragraphs into lines of at most `width` characters. Every line but a paragraph's last
// is exactly `width` long: the blanks between words are widened, from the left, until it is.
// Paragraphs follow one another without empty lines.
QStringList justifyParagraphs(const QStringList& paragraphs, int width = 66);

} // namespace zant
