#pragma once

#include "model/project.h"

#include <QRegularExpression>
#include <QStringList>

namespace zant::test {

// Builds a project from a compact text: "n: i>k=d i>k=d ...", for example
// "4: 1>2=5 1>3=2 2>4=1 3>4=1". Links are added to their event's slots in the order written;
// "i>k" without "=d" leaves the duration out. Event i is described as "Evento i".
inline Project buildProject(const QString& network, const QString& startDate = "01/01/1990")
{
    Project project;
    project.setStartDateText(startDate);
    const QStringList parts = network.split(QLatin1Char(':'));
    const int n = parts.first().trimmed().toInt();
    std::vector<Event> events(n + 1);
    for (int i = 1; i <= n; ++i)
        events[i].description = QStringLiteral("Evento %1").arg(i);
    if (parts.size() > 1) {
        static const QRegularExpression linkPattern(
            QStringLiteral("^(\\d+)>(\\d+)(?:=([0-9.]+))?$"));
        const QStringList links = parts[1].split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString& text : links) {
            const auto m = linkPattern.match(text);
            Q_ASSERT(m.hasMatch());
            Link link{m.captured(2).toInt(), std::nullopt};
            if (!m.captured(3).isEmpty())
                link.days = m.captured(3).toDouble();
            events[m.captured(1).toInt()].links.push_back(link);
        }
    }
    project.setEventCount(n);
    for (int i = 1; i <= n; ++i)
        project.setEvent(i, events[i]);
    return project;
}

// The links of a project in the same compact form, for comparisons.
inline QString describeLinks(const Project& project)
{
    QStringList out;
    for (int i = 1; i <= project.eventCount(); ++i) {
        for (int s = 1; s <= project.linkCount(i); ++s) {
            const Link& l = project.link(i, s);
            out << QStringLiteral("%1>%2").arg(i).arg(l.target) +
                       (l.days ? QStringLiteral("=%1").arg(*l.days) : QString());
        }
    }
    return QString::number(project.eventCount()) + QStringLiteral(": ") +
           out.join(QLatin1Char(' '));
}

} // namespace zant::test
