#include "exchange/import_check.h"
#include "exchange/mspdi_import_builder.h"

#include "model/text_format.h"

#include <QJsonArray>

#include <algorithm>
#include <numeric>

namespace zant {

namespace mspdi {

namespace {

// "«A», «B», «C» e altre 4" from names.
QString nameList(const QStringList& names)
{
    constexpr int kNamed = 6;
    QStringList shown;
    for (int i = 0; i < std::min<int>(kNamed, static_cast<int>(names.size())); ++i)
        shown << QStringLiteral("«%1»").arg(quoted(names[i]));
    if (names.size() > kNamed)
        shown << QStringLiteral("altre %1").arg(names.size() - kNamed);
    if (shown.isEmpty())
        return QString();
    const QString last = shown.takeLast();
    return shown.isEmpty() ? last : shown.join(QStringLiteral(", ")) + QStringLiteral(" e ") + last;
}

} // namespace

ImportBuilder::ImportBuilder(const RawDocument& document, const QDate& today)
    : m_doc(document), m_rowCount(static_cast<int>(document.tasks.size())), m_start(today),
      m_hasChildren(m_rowCount, 0), m_role(m_rowCount, Role::Broken), m_days(m_rowCount, 0),
      m_cost(m_rowCount, 0), m_moment(m_rowCount, 0), m_parent(m_rowCount, -1),
      m_indexOf(m_rowCount, -1)
{
}

Result<ImportedProject> ImportBuilder::build()
{
    m_report.tasksRead = m_rowCount;
    readStartDate();
    const double minutesPerDay = readMinutesPerDay();
    m_calendar = projectCalendar(m_doc.calendars, m_doc.calendarUid,
                                 static_cast<int>(std::lround(minutesPerDay)), m_calendarLeftOut);
    // The other program lays a duration on the working hours of its calendar: a day of the
    // project's calendar is as long as they are, whatever MinutesPerDay shows days as.
    m_time = WorkingTime(m_calendar.workingDays ? m_calendar.minutesPerDay : minutesPerDay);

    markSummingRows();
    for (int i = 0; i < m_rowCount; ++i)
        classifyRow(i);
    collectTasks();
    for (int i = 0; i < m_rowCount; ++i) {
        if (m_indexOf[i] < 0)
            continue;
        for (const RawLink& link : m_doc.tasks[i].links)
            addLink(i, link);
    }
    const bool anyTask = std::any_of(m_tasks.begin(), m_tasks.end(),
                                     [](const NetworkTask& t) { return !t.summary; });
    if (!anyTask && m_problems.isEmpty())
        return refusal(m_doc.fileName, QStringLiteral("non contiene attività da importare."));

    EventNetworkResult built;
    if (anyTask)
        built = buildEventNetwork(m_tasks, m_links);
    m_problems += built.problems;
    if (!m_problems.isEmpty())
        return refusalOfAll(m_doc.fileName, m_problems);
    return finish(*built.network);
}

// The project's start date: the file's, or today when it has none.
void ImportBuilder::readStartDate()
{
    if (!m_doc.startDate)
        return;
    const QString& text = *m_doc.startDate;
    m_start = parseDateTime(text);
    if (!m_start.isValid())
        m_problems << QStringLiteral("la data d'inizio del progetto (StartDate) \"%1\" non è "
                                     "una data valida.")
                          .arg(quoted(text));
    else if (m_start < firstAllowedDate() || m_start > lastAllowedDate())
        m_problems << QStringLiteral("la data d'inizio del progetto (StartDate) \"%1\" non è "
                                     "tra il %2 e il %3.")
                          .arg(quoted(text), formatDate(firstAllowedDate()),
                               formatDate(lastAllowedDate()));
}

// The file's working day in minutes, 480 when it gives none.
double ImportBuilder::readMinutesPerDay()
{
    if (m_doc.minutesPerDay.isEmpty())
        return 480;
    bool ok = false;
    const double minutesPerDay = m_doc.minutesPerDay.toDouble(&ok);
    if (ok && minutesPerDay > 0 && minutesPerDay <= kMinutesPerCalendarDay)
        return minutesPerDay;
    m_problems << QStringLiteral("i minuti lavorativi al giorno (MinutesPerDay) valgono \"%1\".")
                      .arg(quoted(m_doc.minutesPerDay));
    return 480;
}

// The project of the event network, as the data file would reopen it, and the report.
Result<ImportedProject> ImportBuilder::finish(EventNetwork& network)
{
    Project project = std::move(network.project);
    project.setStartDateText(formatDate(m_start));
    project.setCalendar(m_calendar);
    TitlePage titlePage;
    titlePage[TitlePage::progetto] = storableDescription(m_doc.title);
    auto reopened = asReopened(project, titlePage);
    if (!reopened)
        return refusal(m_doc.fileName, reopened.error().text);

    ImportedProject imported;
    imported.project = std::move(reopened.value().project);
    imported.titlePage = std::move(reopened.value().titlePage);
    countTasks(imported, network);
    const Project& p = imported.project;
    m_report.events = p.eventCount();
    m_report.dummies = p.dummyCount();
    m_report.activities = p.activities().size() - m_report.dummies;
    m_report.lagActivities = network.lagActivityCount;
    m_report.namesShortened = network.namesShortened;
    reportLeftOut(network);
    reportNotImported();
    reportCalendar(network);
    imported.report = std::move(m_report);
    return imported;
}

// Where each task ended up, and how many kept their names.
void ImportBuilder::countTasks(ImportedProject& imported, const EventNetwork& network)
{
    const Project& p = imported.project;
    for (std::size_t t = 0; t < m_tasks.size(); ++t) {
        const NetworkTask& task = m_tasks[t];
        const bool isMoment = task.milestone && task.days == 0;
        imported.tasks.push_back({task.name, m_doc.tasks[m_rowOf[t]].uid, network.taskStartEvent[t],
                                  network.taskEndEvent[t], task.days, isMoment, task.summary});
        if (task.summary) {
            ++m_report.summaries;
            continue;
        }
        (isMoment ? m_report.milestones : m_report.activityTasks) += 1;
        // The task's name is kept when it names its activity, or a milestone's event.
        const int from = network.taskStartEvent[t];
        const int to = network.taskEndEvent[t];
        if (isMoment) {
            m_report.namesKept +=
                p.description(from) == storableDescription(withoutEventNumber(task.name)) ? 1 : 0;
            continue;
        }
        const QString name = activityNameFrom(withoutEventNumber(task.name));
        for (int s = 1; s <= p.linkCount(from); ++s) {
            if (p.link(from, s).target == to && p.activityName(from, s) == name) {
                ++m_report.namesKept;
                break;
            }
        }
    }
}

void ImportBuilder::reportLeftOut(const EventNetwork& network)
{
    QStringList& leftOut = m_report.leftOut;
    if (!m_inactive.isEmpty())
        leftOut << QStringLiteral("Attività inattive (%1): %2.")
                       .arg(m_inactive.size())
                       .arg(nameList(m_inactive));
    if (!m_projectRow.isEmpty())
        leftOut << QStringLiteral("La riga che riassume l'intero progetto (UID %1).")
                       .arg(quoted(m_projectRow));
    if (m_blankRows > 0)
        leftOut << QStringLiteral("Righe vuote: %1.").arg(m_blankRows);
    if (!m_external.isEmpty())
        leftOut << QStringLiteral("Attività di altri progetti (%1): %2.")
                       .arg(m_external.size())
                       .arg(nameList(m_external));
    if (m_linksToLeftOut > 0)
        leftOut << QStringLiteral("Legami con attività tralasciate: %1.").arg(m_linksToLeftOut);
    if (m_crossProjectLinks > 0)
        leftOut << QStringLiteral("Legami con attività di altri progetti: %1.")
                       .arg(m_crossProjectLinks);
    leftOut += network.droppedLeads;
}

// What the tasks kept hold that the event network does not: constraints, deadlines and actual
// dates (those from the project's start on), resources.
void ImportBuilder::reportNotImported()
{
    int constraints = 0;
    int deadlines = 0;
    int actuals = 0;
    const auto anyDate = [this](const QStringList& texts) {
        return std::any_of(texts.begin(), texts.end(), [this](const QString& text) {
            const QDate date = parseDateTime(text);
            return date.isValid() && date >= m_start;
        });
    };
    for (int i = 0; i < m_rowCount; ++i) {
        if (m_role[i] != Role::Task && m_role[i] != Role::Summary)
            continue;
        const RawTask& raw = m_doc.tasks[i];
        constraints +=
            raw.constraintType.isEmpty() || raw.constraintType == QLatin1String("0") ? 0 : 1;
        deadlines += anyDate(raw.deadlines) ? 1 : 0;
        actuals += anyDate(raw.actualDates) ? 1 : 0;
    }
    QStringList& notImported = m_report.notImported;
    if (constraints > 0)
        notImported << QStringLiteral("Vincoli di data (come \"Inizia non prima del\" o \"Deve "
                                      "iniziare il\") di %1 attività: la rete segue solo i "
                                      "legami.")
                           .arg(constraints);
    if (deadlines > 0)
        notImported << QStringLiteral("Scadenze di %1 attività.").arg(deadlines);
    if (actuals > 0)
        notImported
            << QStringLiteral("Date effettive (inizio o fine reali) di %1 attività.").arg(actuals);
    if (m_doc.resources > 0 || m_doc.assignments > 0)
        notImported << QStringLiteral("Risorse (%1) e loro assegnazioni (%2).")
                           .arg(m_doc.resources)
                           .arg(m_doc.assignments);
}

// The file's calendar, and the durations and lags counted otherwise than the file counts them.
void ImportBuilder::reportCalendar(const EventNetwork& network)
{
    if (m_calendar.workingDays) {
        const int daysOff = std::accumulate(
            m_calendar.closures.begin(), m_calendar.closures.end(), qint64{0},
            [](qint64 sum, const CalendarClosure& c) { return sum + c.first.daysTo(c.last) + 1; });
        m_report.calendar = QStringLiteral("Calendario del file: giorni lavorativi (%1), %2 ore al "
                                           "giorno, %3 giorni di eccezione non lavorativi.")
                                .arg(weekdayList(m_calendar.workingWeek))
                                .arg(formatDays(m_calendar.minutesPerDay / 60.0))
                                .arg(daysOff);
        m_report.notImported += m_calendarLeftOut;
        if (m_elapsedValues > 0)
            m_report.approximated << QStringLiteral("%1 durate e ritardi in tempo trascorso "
                                                    "(giorni di calendario), contati come giorni "
                                                    "lavorativi.")
                                         .arg(m_elapsedValues);
    } else if (m_workingTimeValues > 0) {
        m_report.approximated << QStringLiteral("%1 durate e ritardi in tempo lavorativo, contati "
                                                "come giorni di calendario di %2 ore lavorative: "
                                                "il calendario del progetto (giorni non "
                                                "lavorativi) non viene importato.")
                                     .arg(m_workingTimeValues)
                                     .arg(formatDays(m_time.hoursPerDay()));
    }
    m_report.approximated += network.approximated;
    if (m_report.namesShortened > 0)
        m_report.approximated << QStringLiteral("Nomi di attività accorciati a %1 caratteri: %2.")
                                     .arg(kMaxActivityNameLength)
                                     .arg(m_report.namesShortened);
}

Result<ImportedProject> buildImport(const RawDocument& document, const QDate& today)
{
    return ImportBuilder(document, today).build();
}

} // namespace mspdi

QString describeImport(const MspdiImportReport& r)
{
    constexpr int kShownLines = 12;
    QStringList lines;
    lines << QStringLiteral("Attività lette: %1 (%2 attività, %3 milestone, %4 di riepilogo).")
                 .arg(r.tasksRead)
                 .arg(r.activityTasks)
                 .arg(r.milestones)
                 .arg(r.summaries);
    lines << QStringLiteral("Legami: %1 fine-inizio, %2 inizio-inizio, %3 fine-fine, %4 "
                            "inizio-fine (%5 con ritardo, %6 con anticipo).")
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::FinishToStart)])
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::StartToStart)])
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::FinishToFinish)])
                 .arg(r.links[static_cast<std::size_t>(TaskLinkType::StartToFinish)])
                 .arg(r.lags)
                 .arg(r.leads);
    lines << QStringLiteral("Rete: %1 eventi, %2 attività (%3 per i ritardi) e %4 legami "
                            "fittizi.")
                 .arg(r.events)
                 .arg(r.activities)
                 .arg(r.lagActivities)
                 .arg(r.dummies);
    lines << QStringLiteral("Nomi delle attività conservati: %1 su %2.")
                 .arg(r.namesKept)
                 .arg(r.activityTasks + r.milestones);
    if (!r.calendar.isEmpty())
        lines << r.calendar;
    const auto section = [&](const QString& title, const QStringList& items) {
        if (items.isEmpty())
            return;
        lines << title;
        for (int i = 0; i < std::min<int>(kShownLines, static_cast<int>(items.size())); ++i)
            lines << QStringLiteral("  ") + items[i];
        if (items.size() > kShownLines)
            lines << QStringLiteral("  ... e altre %1 voci").arg(items.size() - kShownLines);
    };
    section(QStringLiteral("Tralasciato:"), r.leftOut);
    section(QStringLiteral("Non importato:"), r.notImported);
    section(QStringLiteral("Approssimato:"), r.approximated);
    return lines.join(QLatin1Char('\n'));
}

QJsonObject importReportJson(const MspdiImportReport& r)
{
    const auto texts = [](const QStringList& items) { return QJsonArray::fromStringList(items); };
    const auto links = [&r](TaskLinkType type) { return r.links[static_cast<std::size_t>(type)]; };
    QJsonObject json{
        {QStringLiteral("tasksRead"), r.tasksRead},
        {QStringLiteral("activityTasks"), r.activityTasks},
        {QStringLiteral("milestones"), r.milestones},
        {QStringLiteral("summaries"), r.summaries},
        {QStringLiteral("events"), r.events},
        {QStringLiteral("activities"), r.activities},
        {QStringLiteral("lagActivities"), r.lagActivities},
        {QStringLiteral("dummies"), r.dummies},
        {QStringLiteral("links"),
         QJsonObject{{QStringLiteral("finishToStart"), links(TaskLinkType::FinishToStart)},
                     {QStringLiteral("startToStart"), links(TaskLinkType::StartToStart)},
                     {QStringLiteral("finishToFinish"), links(TaskLinkType::FinishToFinish)},
                     {QStringLiteral("startToFinish"), links(TaskLinkType::StartToFinish)}}},
        {QStringLiteral("lags"), r.lags},
        {QStringLiteral("leads"), r.leads},
        {QStringLiteral("namesKept"), r.namesKept},
        {QStringLiteral("namesShortened"), r.namesShortened},
        {QStringLiteral("leftOut"), texts(r.leftOut)},
        {QStringLiteral("notImported"), texts(r.notImported)},
        {QStringLiteral("approximated"), texts(r.approximated)},
    };
    if (!r.calendar.isEmpty())
        json.insert(QStringLiteral("calendar"), r.calendar);
    return json;
}

} // namespace zant