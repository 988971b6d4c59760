#include "exchange/task_network.h"
#include "schedule/schedule.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace zant;

namespace {

using Type = TaskLinkType;

struct Times
{
    std::vector<double> start;
    std::vector<double> finish;
};

// Early start and finish of every task by the precedence-diagram method, on the tasks
// themselves: a start follows the finish-to-start and start-to-start links, a finish the task's
// own duration and the finish-to-finish and start-to-finish links; a summary starts no later
// than its children and finishes no earlier. Relaxed until nothing moves (the networks are
// small and acyclic).
Times precedenceDiagram(const std::vector<NetworkTask>& tasks,
                        const std::vector<NetworkTaskLink>& links)
{
    const std::size_t n = tasks.size();
    Times t{std::vector<double>(n, 0.0), std::vector<double>(n, 0.0)};
    const auto raise = [](double& value, double candidate) {
        if (candidate > value + 1e-9) {
            value = candidate;
            return true;
        }
        return false;
    };
    for (std::size_t round = 0; round <= 4 * n + 4; ++round) {
        bool changed = false;
        for (std::size_t i = 0; i < n; ++i) {
            if (!tasks[i].summary)
                changed = raise(t.finish[i], t.start[i] + tasks[i].days) || changed;
            else
                changed = raise(t.finish[i], t.start[i]) || changed;
            const int p = tasks[i].parent;
            if (p >= 0) {
                changed = raise(t.start[i], t.start[p]) || changed;
                changed = raise(t.finish[p], t.finish[i]) || changed;
            }
        }
        for (const NetworkTaskLink& l : links) {
            const double from = l.type == Type::FinishToStart || l.type == Type::FinishToFinish
                                    ? t.finish[l.predecessor]
                                    : t.start[l.predecessor];
            double& to = l.type == Type::FinishToStart || l.type == Type::StartToStart
                             ? t.start[l.successor]
                             : t.finish[l.successor];
            changed = raise(to, from + l.lagDays) || changed;
        }
        if (!changed)
            break;
    }
    return t;
}

// Tasks and links from "A=3 B=2 M=0 S=0:s C=1<S | A>B B>C+2 A>C:ss-1": name=days, ":s" for a
// summary, "<S" for a child of S, names starting with M are milestones; links pred>succ with an
// optional ":ff", ":ss", ":sf" and a lag (+2) or lead (-1).
void parse(const QString& text, std::vector<NetworkTask>& tasks,
           std::vector<NetworkTaskLink>& links)
{
    const QStringList parts = text.split(QLatin1Char('|'));
    QStringList names;
    for (QString t : parts[0].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        NetworkTask task;
        const qsizetype child = t.indexOf(QLatin1Char('<'));
        QString parent;
        if (child >= 0) {
            parent = t.mid(child + 1);
            t.truncate(child);
        }
        if (t.endsWith(QLatin1String(":s"))) {
            task.summary = true;
            t.chop(2);
        }
        const QStringList nd = t.split(QLatin1Char('='));
        task.name = nd[0];
        task.days = nd[1].toDouble();
        task.milestone = nd[0].startsWith(QLatin1Char('M'));
        task.parent = parent.isEmpty() ? -1 : static_cast<int>(names.indexOf(parent));
        names << nd[0];
        tasks.push_back(task);
    }
    if (parts.size() < 2)
        return;
    static const QRegularExpression form(
        QStringLiteral("^(\\w+)>(\\w+)(?::(fs|ss|ff|sf))?([+-][\\d.]+)?$"));
    for (const QString& l : parts[1].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const auto m = form.match(l);
        QVERIFY2(m.hasMatch(), qPrintable(l));
        const QString kind = m.captured(3);
        const Type type = kind == QLatin1String("ss")   ? Type::StartToStart
                          : kind == QLatin1String("ff") ? Type::FinishToFinish
                          : kind == QLatin1String("sf") ? Type::StartToFinish
                                                        : Type::FinishToStart;
        links.push_back({static_cast<int>(names.indexOf(m.captured(1))),
                         static_cast<int>(names.indexOf(m.captured(2))),
                         m.captured(4).isEmpty() ? 0.0 : m.captured(4).toDouble(), type});
    }
}

bool finishDriven(int task, const std::vector<NetworkTaskLink>& links)
{
    return std::any_of(links.begin(), links.end(), [task](const NetworkTaskLink& l) {
        return l.successor == task && l.lagDays >= 0 &&
               (l.type == Type::FinishToFinish || l.type == Type::StartToFinish);
    });
}

NetworkTask plainTask(const QString& name, double days)
{
    NetworkTask task;
    task.name = name;
    task.days = days;
    return task;
}

// What every converted network must satisfy, whatever its shape.
void verify(const std::vector<NetworkTask>& tasks, const std::vector<NetworkTaskLink>& links,
            const EventNetwork& net)
{
    const Project& p = net.project;
    const int n = p.eventCount();
    QVERIFY(n >= 2 || tasks.size() == 1);
    for (int i = 1; i <= n; ++i) {
        QVERIFY2(!p.description(i).isEmpty(), qPrintable(QString::number(i)));
        if (i < n)
            QVERIFY2(p.linkCount(i) > 0,
                     qPrintable(QStringLiteral("event %1 leads nowhere").arg(i)));
        std::vector<int> targets;
        for (int s = 1; s <= p.linkCount(i); ++s) {
            QVERIFY(p.link(i, s).target > i);
            QVERIFY(p.link(i, s).name.size() <= kMaxActivityNameLength);
            targets.push_back(p.link(i, s).target);
        }
        // No two links join the same pair of events.
        std::sort(targets.begin(), targets.end());
        QVERIFY(std::adjacent_find(targets.begin(), targets.end()) == targets.end());
    }
    QCOMPARE(p.linkCount(n), 0);
    // Only event 1 has no incoming link.
    std::vector<int> incoming(n + 1, 0);
    for (int i = 1; i <= n; ++i)
        for (int s = 1; s <= p.linkCount(i); ++s)
            ++incoming[p.link(i, s).target];
    for (int i = 2; i <= n; ++i)
        QVERIFY(incoming[i] > 0);

    Project dated = p;
    dated.setStartDateText(QStringLiteral("01/01/2030"));
    const ScheduleResults r = ComputeSchedule(dated);
    const Times expected = precedenceDiagram(tasks, links);
    const auto same = [](double a, double b) { return std::abs(a - b) < 1e-6; };
    for (std::size_t t = 0; t < tasks.size(); ++t) {
        const QString name = tasks[t].name;
        const double start = r.earliest[net.taskStartEvent[t]];
        const double end = r.earliest[net.taskEndEvent[t]];
        if (tasks[t].summary) {
            // A summary's events may be merged into later ones: they bound its children.
            QVERIFY2(end + 1e-6 >= expected.finish[t], qPrintable(name));
            continue;
        }
        QVERIFY2(same(start, expected.start[t]),
                 qPrintable(QStringLiteral("start of %1: %2, not %3")
                                .arg(name)
                                .arg(start)
                                .arg(expected.start[t])));
        const bool driven = finishDriven(static_cast<int>(t), links);
        const double finish = driven ? end : start + tasks[t].days;
        QVERIFY2(same(finish, expected.finish[t]),
                 qPrintable(QStringLiteral("finish of %1: %2, not %3")
                                .arg(name)
                                .arg(finish)
                                .arg(expected.finish[t])));
        QVERIFY2(end + 1e-6 >= expected.finish[t], qPrintable(name));
        if (!(tasks[t].milestone && tasks[t].days == 0)) {
            // The task is an activity of its own between its events, named as the task.
            bool found = false;
            const int a = net.taskStartEvent[t];
            for (int s = 1; s <= p.linkCount(a); ++s)
                found =
                    found || (p.link(a, s).target == net.taskEndEvent[t] &&
                              p.link(a, s).days == tasks[t].days && p.activityName(a, s) == name);
            QVERIFY2(found, qPrintable(name));
        }
    }
}

EventNetwork built(const QString& network)
{
    std::vector<NetworkTask> tasks;
    std::vector<NetworkTaskLink> links;
    parse(network, tasks, links);
    const auto result = buildEventNetwork(tasks, links);
    if (!result.network)
        qWarning("%s", qPrintable(result.problems.join(QLatin1Char('\n'))));
    return result.network.value_or(EventNetwork{});
}

// The links of a network as "1>2=3 2>3=0" with names where they have one ("2>4=3'Ritardo...'").
QString describe(const Project& p)
{
    QStringList parts;
    for (int i = 1; i <= p.eventCount(); ++i)
        for (int s = 1; s <= p.linkCount(i); ++s) {
            const Link& l = p.link(i, s);
            QString text = QStringLiteral("%1>%2=%3").arg(i).arg(l.target).arg(*l.days);
            if (!l.name.isEmpty())
                text += QStringLiteral("'%1'").arg(l.name);
            parts << text;
        }
    return QStringLiteral("%1: %2").arg(p.eventCount()).arg(parts.join(QLatin1Char(' ')));
}

} // namespace

class TestTaskNetwork final : public QObject
{
    Q_OBJECT

private slots:
    void shapes_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("dummies");
        QTest::addColumn<int>("lags");

        QTest::newRow("single task") << "A=4" << 2 << 0 << 0;
        QTest::newRow("chain merges ends into starts") << "A=1 B=2 C=3 | A>B B>C" << 4 << 0 << 0;
        QTest::newRow("two independent tasks need one dummy") << "A=1 B=2" << 3 << 1 << 0;
        QTest::newRow("fork and join") << "A=1 B=2 C=3 D=1 | A>B A>C B>D C>D" << 5 << 1 << 0;
        QTest::newRow("two tasks both before two tasks")
            << "A=1 B=2 C=3 D=4 | A>C A>D B>C B>D" << 5 << 2 << 0;
        QTest::newRow("the classic N needs one dummy")
            << "A=2 B=3 C=4 D=5 | A>C B>C B>D" << 4 << 1 << 0;
        QTest::newRow("milestones become events")
            << "M1=0 A=3 B=4 M2=0 | M1>A M1>B A>M2 B>M2" << 3 << 1 << 0;
        QTest::newRow("two milestones at one moment stay two events")
            << "M1=0 M2=0 | M1>M2" << 2 << 1 << 0;
        QTest::newRow("a lag is an activity of its own") << "A=2 B=3 | A>B+5" << 4 << 0 << 1;
        QTest::newRow("implied link left out") << "A=1 B=1 C=1 | A>B B>C A>C" << 4 << 0 << 0;
        QTest::newRow("duplicate links taken once, longest lag")
            << "A=1 B=1 | A>B+2 A>B+3 A>B" << 4 << 0 << 1;
        QTest::newRow("start-to-start joins the two starts") << "A=5 B=3 | A>B:ss" << 3 << 1 << 0;
        QTest::newRow("finish-to-finish joins the two finishes")
            << "A=5 B=3 | A>B:ff" << 3 << 1 << 0;
        QTest::newRow("start-to-finish with a lag") << "A=5 B=3 | A>B:sf+2" << 4 << 2 << 1;
        QTest::newRow("a lead within the duration starts from the start")
            << "A=5 B=3 | A>B-2" << 3 << 0 << 1;
        QTest::newRow("a lead as long as the duration joins the starts")
            << "A=5 B=3 | A>B-5" << 3 << 1 << 0;
        QTest::newRow("a summary brackets its children")
            << "S=0:s A=2<S B=3<S C=1 | S>C" << 4 << 1 << 0;
        QTest::newRow("a link into a summary holds every child")
            << "A=2 S=0:s B=3<S C=4<S | A>S" << 4 << 1 << 0;
    }
    void shapes()
    {
        QFETCH(QString, network);
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        parse(network, tasks, links);
        const auto result = buildEventNetwork(tasks, links);
        QVERIFY2(result.network, qPrintable(result.problems.join(QLatin1Char('\n'))));
        verify(tasks, links, *result.network);
        QTEST(result.network->project.eventCount(), "events");
        QTEST(result.network->dummyCount, "dummies");
        QTEST(result.network->lagActivityCount, "lags");
    }

    // Events are described by the milestone, the task that ends there or the task that starts
    // there; activities carry their tasks' names, lags a name of their own.
    void namesOfEventsAndActivities_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("tasks ending at one event keep both names")
            << "Scavi=2 Getti=3 Finiture=1 | Scavi>Finiture Getti>Finiture"
            << "4: 1>2=0 1>3=2 2>3=3'Getti' 3>4=1"
            << QStringList{"Inizio Scavi", "Inizio Getti", "Scavi", "Finiture"};
        QTest::newRow("a lag after a finish and one after a start")
            << "Scavi=2 Getti=3 Armature=1 | Scavi>Getti+3 Scavi>Armature:ss+1"
            << "5: 1>2=2 1>4=1'Ritardo 1 g dopo l'inizio di «Scavi»' 2>3=3'Ritardo 3 g dopo "
               "«Scavi»' 3>5=3 4>5=1'Armature'"
            << QStringList{"Inizio Scavi", "Scavi", "Inizio Getti", "Inizio Armature", "Getti"};
        QTest::newRow("a milestone's name wins")
            << "A=2 Mconsegna=0 | A>Mconsegna"
            << "2: 1>2=2'A'" << QStringList{"Inizio A", "Mconsegna"};
        QTest::newRow("a zero-day task keeps its name and is no dummy")
            << "A=2 Verifica=0 B=1 | A>Verifica Verifica>B"
            << "4: 1>2=2 2>3=0'Verifica' 3>4=1" << QStringList{"Inizio A", "A", "Verifica", "B"};
        QTest::newRow("summaries start and finish")
            << "S=0:s A=2<S B=3<S"
            << "3: 1>2=3 1>3=2 2>3=0" << QStringList{"Inizio A", "B", "A"};
    }
    void namesOfEventsAndActivities()
    {
        QFETCH(QString, network);
        const EventNetwork net = built(network);
        QStringList events;
        for (int e = 1; e <= net.project.eventCount(); ++e)
            events << net.project.description(e);
        QTEST(describe(net.project), "links");
        QTEST(events, "events");
    }

    void longAndForeignNamesAreKept()
    {
        const QString longName =
            QStringLiteral("Fornitura e posa in opera di serramenti in alluminio a taglio termico "
                           "con vetrocamera basso emissivo, compresi controtelai, sigillature e "
                           "ogni altro onere");
        const QString greek = QStringLiteral("Σκυρόδεμα ≥ 28 ημέρες 混凝土");
        std::vector<NetworkTask> tasks{plainTask(longName, 3), plainTask(greek, 2)};
        const auto result = buildEventNetwork(tasks, {{0, 1, 2}});
        QVERIFY(result.network);
        const Project& p = result.network->project;
        const QString cut = p.activityName(1, 1);
        QVERIFY2(cut.size() <= kMaxActivityNameLength && cut.endsWith(QStringLiteral("…")),
                 qPrintable(cut));
        QVERIFY(longName.startsWith(cut.chopped(1)));
        QVERIFY(longName.at(cut.size() - 1) == QLatin1Char(' ')); // cut where a word ends
        QCOMPARE(result.network->namesShortened, 1);
        QCOMPARE(p.activityName(3, 1), greek);
        QVERIFY(p.activityName(2, 1).endsWith(QStringLiteral("…»")));
        QVERIFY(p.activityName(2, 1).size() <= kMaxActivityNameLength);
    }

    // Every problem at once, each naming its tasks.
    void refusals_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("cycle names its tasks")
            << "A=1 B=1 C=1 | A>B B>C C>A"
            << QStringList{"I legami delle attività «A», «B» e «C» formano un ciclo: nessuna di "
                           "esse può iniziare per prima."};
        QTest::newRow("task linked to itself")
            << "A=1 | A>A" << QStringList{"L'attività «A» è legata a sé stessa."};
        QTest::newRow("no tasks") << "" << QStringList{"Non ci sono attività da importare."};
        QTest::newRow("a lead longer than the task before")
            << "X=4 A=3 B=1 | X>A A>B-5"
            << QStringList{"«A» → «B»: legame fine-inizio con anticipo di 5 g maggiore della "
                           "durata (3 g) di «A»."};
        QTest::newRow("leads on the other types, all at once")
            << "X=4 A=3 B=1 C=2 D=1 | X>A X>D A>B:ss-1 A>C:ff-2 D>C:sf-0.5"
            << QStringList{"«A» → «B»: legame inizio-inizio con anticipo di 1 g: un anticipo si "
                           "può rappresentare solo su un legame fine-inizio.",
                           "«A» → «C»: legame fine-fine con anticipo di 2 g: un anticipo si può "
                           "rappresentare solo su un legame fine-inizio.",
                           "«D» → «C»: legame inizio-fine con anticipo di 0,5 g: un anticipo si "
                           "può rappresentare solo su un legame fine-inizio."};
        QTest::newRow("a lead from a summary")
            << "S=0:s A=2<S B=1 | S>B-1"
            << QStringList{"«S» → «B»: legame fine-inizio con anticipo di 1 g da un'attività di "
                           "riepilogo, di cui la rete non conosce la durata."};
        QTest::newRow("a child before its own summary")
            << "S=0:s A=2<S | A>S"
            << QStringList{"I legami delle attività «S» e «A» formano un ciclo: nessuna di esse "
                           "può iniziare per prima."};
    }
    void refusals()
    {
        QFETCH(QString, network);
        QFETCH(QStringList, problems);
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        if (!network.isEmpty())
            parse(network, tasks, links);
        const auto result = buildEventNetwork(tasks, links);
        QVERIFY(!result.network);
        QCOMPARE(result.problems, problems);
    }

    // Leads that other links already imply are left out and listed; a lead counted from a start
    // whose finish links also drive is listed as approximated.
    void leadsDroppedOrApproximated()
    {
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        parse("A=3 B=2 C=4 D=1 | A>B A>B:ss-1 C>A:ff+1 A>D-2", tasks, links);
        const auto result = buildEventNetwork(tasks, links);
        QVERIFY2(result.network, qPrintable(result.problems.join(QLatin1Char('\n'))));
        QCOMPARE(result.network->droppedLeads,
                 QStringList{"«A» → «B»: legame inizio-inizio con anticipo di 1 g, che gli altri "
                             "legami già comprendono"});
        QCOMPARE(result.network->approximated,
                 QStringList{"«A» → «D»: legame fine-inizio con anticipo di 2 g contato "
                             "dall'inizio di «A», la cui fine dipende anche da legami fine-fine "
                             "o inizio-fine."});
    }

    // A lead the network cannot hold but that the earliest times already meet moves no date:
    // left out and said, whichever its type.
    void leadsThatMoveNoDate_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QStringList>("dropped");
        QTest::newRow("longer than the task, both at the start")
            << "A=3 B=1 | A>B-5"
            << QStringList{"«A» → «B»: legame fine-inizio con anticipo di 5 g, che non sposta "
                           "nessuna data (le date più tarde non ne tengono conto)"};
        QTest::newRow("start-to-start behind a later start")
            << "X=4 A=3 B=1 | X>A X>B:ss+6 A>B:ss-2"
            << QStringList{"«A» → «B»: legame inizio-inizio con anticipo di 2 g, che non sposta "
                           "nessuna data (le date più tarde non ne tengono conto)"};
        QTest::newRow("finish-to-finish met by the task's own duration")
            << "A=3 B=9 | A>B:ff-1"
            << QStringList{"«A» → «B»: legame fine-fine con anticipo di 1 g, che non sposta "
                           "nessuna data (le date più tarde non ne tengono conto)"};
    }
    void leadsThatMoveNoDate()
    {
        QFETCH(QString, network);
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        parse(network, tasks, links);
        const auto result = buildEventNetwork(tasks, links);
        QVERIFY2(result.network, qPrintable(result.problems.join(QLatin1Char('\n'))));
        QTEST(result.network->droppedLeads, "dropped");
        // The times with the lead, by the precedence diagram, are those of the network.
        verify(tasks, links, *result.network);
    }

    void tooManyEventsRefused()
    {
        // A chain of 500 tasks needs 501 events.
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        for (int t = 0; t < 500; ++t) {
            tasks.push_back(plainTask(QStringLiteral("T%1").arg(t), 1));
            if (t > 0)
                links.push_back({t - 1, t, 0});
        }
        auto result = buildEventNetwork(tasks, links);
        QVERIFY(!result.network);
        QVERIFY2(result.problems.value(0).contains(QStringLiteral("servono 501 eventi")),
                 qPrintable(result.problems.join(QLatin1Char('\n'))));
        tasks.pop_back();
        links.pop_back();
        result = buildEventNetwork(tasks, links);
        QVERIFY(result.network);
        QCOMPARE(result.network->project.eventCount(), 500);
    }

    // Random outlines of tasks, milestones and summaries with links of every type, lags and
    // leads: the early start and finish of every task, by the precedence-diagram method on the
    // tasks, are the times of its events.
    void generatedNetworksKeepEarlyTimes_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("taskCount");
        QTest::addColumn<int>("linkPercent");
        for (int variant = 1; variant <= 60; ++variant)
            QTest::addRow("variant %d", variant)
                << variant << 5 + variant * 2 << 10 + variant % 5 * 10;
    }
    void generatedNetworksKeepEarlyTimes()
    {
        QFETCH(int, variant);
        QFETCH(int, taskCount);
        QFETCH(int, linkPercent);
        QRandomGenerator random(static_cast<quint32>(variant));
        std::vector<NetworkTask> tasks;
        std::vector<NetworkTaskLink> links;
        std::vector<int> open; // summaries that may take children, innermost last
        for (int t = 0; t < taskCount; ++t) {
            NetworkTask task;
            task.name = QStringLiteral("T%1").arg(t);
            while (!open.empty() && random.bounded(4) == 0)
                open.pop_back();
            task.parent = open.empty() ? -1 : open.back();
            const int kind = random.bounded(12);
            if (kind == 0 && t + 1 < taskCount) {
                task.summary = true;
                open.push_back(t);
            } else {
                task.days = kind == 1 ? 0.0 : kind == 2 ? 0.5 : random.bounded(1, 30);
                task.milestone = kind == 1 && random.bounded(2) == 0;
            }
            tasks.push_back(task);
        }
        const auto isAncestor = [&](int a, int b) {
            for (int p = tasks[b].parent; p >= 0; p = tasks[p].parent)
                if (p == a)
                    return true;
            return false;
        };
        std::vector<char> driven(taskCount, 0);
        // Links only from lower to higher index keep the network acyclic, and none between a
        // summary and its own tasks.
        for (int a = 0; a < taskCount; ++a) {
            for (int b = a + 1; b < taskCount; ++b) {
                if (isAncestor(a, b) || random.bounded(100) >= linkPercent * 3 / (b - a + 2))
                    continue;
                const auto type = static_cast<Type>(random.bounded(4));
                double lag = random.bounded(6) == 0 ? random.bounded(1, 10) : 0.0;
                // A lead on a finish-to-start link, within the duration of a task whose finish
                // no other link drives, is represented exactly.
                if (type == Type::FinishToStart && !tasks[a].summary && !driven[a] &&
                    tasks[a].days >= 2 && random.bounded(5) == 0)
                    lag = -random.bounded(1, static_cast<int>(tasks[a].days));
                links.push_back({a, b, lag, type});
                if (type == Type::FinishToFinish || type == Type::StartToFinish)
                    driven[b] = 1;
                // A lead beside a link that holds more is left out.
                if (random.bounded(10) == 0)
                    links.push_back({a, b, -1.5,
                                     type == Type::FinishToStart || type == Type::StartToStart
                                         ? Type::StartToStart
                                         : Type::StartToFinish});
            }
        }
        const auto result = buildEventNetwork(tasks, links);
        QVERIFY2(result.network, qPrintable(result.problems.join(QLatin1Char('\n'))));
        verify(tasks, links, *result.network);
        // Only links from the start of a task whose finish other links drive are represented
        // less strictly than the other program schedules them, one line each.
        qsizetype fromDrivenStarts = 0;
        for (const NetworkTaskLink& l : links)
            fromDrivenStarts += l.lagDays >= 0 && finishDriven(l.predecessor, links) &&
                                !tasks[l.predecessor].summary &&
                                (l.type == Type::StartToStart || l.type == Type::StartToFinish);
        QCOMPARE(result.network->approximated.size(), fromDrivenStarts);
    }
};

QTEST_GUILESS_MAIN(TestTaskNetwork)
#include "test_task_network.moc"
