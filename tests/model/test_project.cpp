#include "model/project.h"
#include "support/project_builder.h"

#include <QTest>

using namespace zant;
using zant::test::buildProject;
using zant::test::describeLinks;

namespace {

// Runs one editing command written as "ins k", "del k", "desc e text", "tgt e s k",
// "days e s d", "inslink e s" or "dellink e s"; returns the message text, if any.
QString apply(Project& p, const QString& command)
{
    const QStringList w = command.split(QLatin1Char(' '));
    const auto arg = [&](int i) { return w.value(i).toInt(); };
    Result<void> outcome;
    if (w[0] == "ins")
        outcome = p.insertEvent(arg(1));
    else if (w[0] == "del")
        p.deleteEvent(arg(1));
    else if (w[0] == "desc")
        outcome = p.setDescription(arg(1), w.mid(2).join(QLatin1Char(' ')));
    else if (w[0] == "tgt")
        outcome = p.setLinkTarget(arg(1), arg(2), arg(3));
    else if (w[0] == "days")
        outcome = p.setLinkDays(arg(1), arg(2), w.value(3).toDouble());
    else if (w[0] == "inslink")
        outcome = p.insertLinkSlot(arg(1), arg(2));
    else if (w[0] == "dellink")
        p.deleteLinkSlot(arg(1), arg(2));
    else
        qFatal("unknown command %s", qPrintable(command));
    return !outcome.ok() ? outcome.error().text : QString();
}

Project bigProject(int events, int linksOfEvent1)
{
    Project p;
    p.setEventCount(events);
    for (int i = 1; i <= events; ++i)
        p.setEvent(i, Event{QStringLiteral("E%1").arg(i), {}});
    Event first{QStringLiteral("E1"), std::vector<Link>(linksOfEvent1, Link{2, 1.0})};
    p.setEvent(1, first);
    return p;
}

} // namespace

class TestProject final : public QObject
{
    Q_OBJECT

private slots:
    void editing_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("message");

        const QString diamond = "4: 1>2=5 1>3=2 2>4=1 3>4=1";
        QTest::newRow("insert before event 2 renumbers targets from 2 up")
            << diamond << "ins 2"
            << "5: 1>3=5 1>4=2 3>5=1 4>5=1"
            << "";
        QTest::newRow("insert before event 1 renumbers every target")
            << diamond << "ins 1"
            << "5: 2>3=5 2>4=2 3>5=1 4>5=1"
            << "";
        QTest::newRow("insert before the final event") << diamond << "ins 4"
                                                       << "5: 1>2=5 1>3=2 2>5=1 3>5=1"
                                                       << "";
        QTest::newRow("insert at the first free event appends it") << diamond << "ins 5"
                                                                   << "5: 1>2=5 1>3=2 2>4=1 3>4=1"
                                                                   << "";
        QTest::newRow("insert beyond the first free event is refused")
            << diamond << "ins 7" << diamond << "Digitare prima l'evento n. 5";
        QTest::newRow("insert renumbers targets held by events above it") << "3: 1>3=1 2>3=2 3>1=4"
                                                                          << "ins 2"
                                                                          << "4: 1>4=1 3>4=2 4>1=4"
                                                                          << "";
        QTest::newRow("backward link is kept") << "3: 1>2=1"
                                               << "tgt 2 1 1|days 2 1 3"
                                               << "3: 1>2=1 2>1=3"
                                               << "";
        QTest::newRow("delete a middle event drops its links and renumbers") << diamond << "del 3"
                                                                             << "3: 1>2=5 2>3=1"
                                                                             << "";
        QTest::newRow("delete event 1") << diamond << "del 1"
                                        << "3: 1>3=1 2>3=1"
                                        << "";
        QTest::newRow("delete the final event drops the links into it") << diamond << "del 4"
                                                                        << "3: 1>2=5 1>3=2"
                                                                        << "";
        QTest::newRow("delete keeps later slots in order") << "4: 1>2=1 1>3=2 1>4=3"
                                                           << "del 2"
                                                           << "3: 1>2=2 1>3=3"
                                                           << "";
        QTest::newRow("delete of a free row does nothing")
            << diamond << "del 5|del 0" << diamond << "";
        QTest::newRow("typing beyond the first free event is refused")
            << "2: 1>2=1"
            << "desc 5 Scavi"
            << "2: 1>2=1"
            << "Digitare prima l'evento n. 3";
        QTest::newRow("typing at the first free event adds it") << "2: 1>2=1"
                                                                << "desc 3 Scavi"
                                                                << "3: 1>2=1"
                                                                << "";
        QTest::newRow("an empty description changes nothing") << "2: 1>2=1"
                                                              << "desc 2"
                                                              << "2: 1>2=1"
                                                              << "";
        QTest::newRow("target before the previous slot is refused")
            << "3: 1>2=1"
            << "tgt 1 3 3"
            << "3: 1>2=1"
            << "Scegliere prima il legame n. 2";
        QTest::newRow("target of the first slot of an event without links") << "3: 1>2=1"
                                                                            << "tgt 2 1 3"
                                                                            << "3: 1>2=1 2>3"
                                                                            << "";
        QTest::newRow("changing a target keeps the duration") << "3: 1>2=4"
                                                              << "tgt 1 1 3"
                                                              << "3: 1>3=4"
                                                              << "";
        QTest::newRow("duration without a target is refused")
            << "3: 1>2=1"
            << "days 1 2 5"
            << "3: 1>2=1"
            << "Scegliere prima il legame a cui corrispondono i tempi.";
        QTest::newRow("duration of a filled slot") << "3: 1>2"
                                                   << "days 1 1 7"
                                                   << "3: 1>2=7"
                                                   << "";
        QTest::newRow("inserted slot copies the slot it is inserted at") << "3: 1>2=1 1>3=2"
                                                                         << "inslink 1 1"
                                                                         << "3: 1>2=1 1>2=1 1>3=2"
                                                                         << "";
        QTest::newRow("inserted slot then overwritten") << "3: 1>2=1 1>3=2"
                                                        << "inslink 1 2|tgt 1 2 2|days 1 2 9"
                                                        << "3: 1>2=1 1>2=9 1>3=2"
                                                        << "";
        QTest::newRow("slot insert at an empty position changes nothing")
            << "3: 1>2=1"
            << "inslink 1 2|inslink 2 1"
            << "3: 1>2=1"
            << "";
        QTest::newRow("delete a filled slot moves the later ones up") << "4: 1>2=1 1>3=2 1>4=3"
                                                                      << "dellink 1 1"
                                                                      << "4: 1>3=2 1>4=3"
                                                                      << "";
        QTest::newRow("delete an empty slot does nothing") << "3: 1>2=1"
                                                           << "dellink 1 2"
                                                           << "3: 1>2=1"
                                                           << "";
    }

    void editing()
    {
        QFETCH(QString, network);
        QFETCH(QString, commands);
        QFETCH(QString, expected);
        QFETCH(QString, message);

        Project p = buildProject(network);
        QString lastMessage;
        for (const QString& command : commands.split(QLatin1Char('|')))
            lastMessage = apply(p, command);
        QCOMPARE(describeLinks(p), expected);
        QCOMPARE(lastMessage, message);
    }

    void insertedEventHasStarAndNoLinks()
    {
        Project p = buildProject("4: 1>2=5 1>3=2 2>4=1 3>4=1");
        QVERIFY(p.insertEvent(2).ok());
        QCOMPARE(p.description(2), QString("*"));
        QCOMPARE(p.linkCount(2), 0);
        QCOMPARE(p.description(3), QString("Evento 2"));
        QCOMPARE(p.description(5), QString("Evento 4"));
        QCOMPARE(p.description(6), QString());
        p.deleteEvent(2);
        QCOMPARE(p, buildProject("4: 1>2=5 1>3=2 2>4=1 3>4=1"));
    }

    void limits_data()
    {
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("links");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::newRow("501st event by insert")
            << 500 << 1 << "ins 3"
            << "Siamo già a 500 eventi: non è possibile aggiungerne degli altri.";
        QTest::newRow("501st event at the end")
            << 500 << 1 << "ins 501"
            << "Siamo già a 500 eventi: non è possibile aggiungerne degli altri.";
        QTest::newRow("501st link by insert")
            << 3 << 500 << "inslink 1 1"
            << "Siamo già a 500 legami: non è possibile aggiungerne degli altri.";
        QTest::newRow("499 events still take one more") << 499 << 1 << "ins 1"
                                                        << "";
        QTest::newRow("499 links still take one more") << 3 << 499 << "inslink 1 1"
                                                       << "";
    }

    void limits()
    {
        QFETCH(int, events);
        QFETCH(int, links);
        QFETCH(QString, command);
        QFETCH(QString, message);
        Project p = bigProject(events, links);
        const Project before = p;
        QCOMPARE(apply(p, command), message);
        if (!message.isEmpty())
            QCOMPARE(p, before);
        QVERIFY(p.eventCount() <= kMaxEvents);
        QVERIFY(p.linkCount(1) <= kMaxLinks);
    }

    void activities_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("activities");

        QTest::newRow("every link of events before the final one") << "4: 1>2=5 1>3=2 2>4=1 3>4=1"
                                                                   << "1.1>2 1.2>3 2.1>4 3.1>4";
        QTest::newRow("links leaving the final event are not activities") << "3: 1>2=1 2>3=1 3>2=0"
                                                                          << "1.1>2 2.1>3";
        QTest::newRow("backward links and slots are kept in order") << "4: 1>3=1 3>2=1 2>4=1 1>2=2"
                                                                    << "1.1>3 1.2>2 2.1>4 3.1>2";
        QTest::newRow("an event without links is skipped") << "4: 1>4=2 2>3=1 3>4=1"
                                                           << "1.1>4 2.1>3 3.1>4";
        QTest::newRow("a single event has none") << "1"
                                                 << "";
        QTest::newRow("a link beyond the final event is not an activity") << "3: 1>2=1 1>5=1 2>3=1"
                                                                          << "1.1>2 2.1>3";
    }

    void activities()
    {
        QFETCH(QString, network);
        QFETCH(QString, activities);
        const Project p = buildProject(network);
        QStringList seen;
        QStringList perEvent;
        for (const Activity a : p.activities()) {
            seen << QStringLiteral("%1.%2>%3").arg(a.from).arg(a.slot).arg(a.to);
            QVERIFY(p.isActivity(a.from, a.slot));
            QCOMPARE(a.days(), p.link(a.from, a.slot).days.value_or(0));
        }
        for (int e = 0; e <= p.eventCount() + 1; ++e) {
            for (const Activity a : p.activities(e))
                perEvent << QStringLiteral("%1.%2>%3").arg(a.from).arg(a.slot).arg(a.to);
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), activities);
        QCOMPARE(perEvent, seen);
        QCOMPARE(p.activities().size(), static_cast<int>(seen.size()));
        QVERIFY(!p.isActivity(p.eventCount(), 1));
    }

    void dummies_data()
    {
        QTest::addColumn<QString>("days");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("dummy");
        QTest::newRow("0 days") << "0"
                                << "" << true;
        QTest::newRow("0.0 days") << "0.0"
                                  << "" << true;
        QTest::newRow("half a day") << "0.5"
                                    << "" << false;
        QTest::newRow("a day") << "1"
                               << "" << false;
        QTest::newRow("no duration yet") << ""
                                         << "" << true;
        QTest::newRow("0 days with a name of its own is work") << "0"
                                                               << "Collaudo" << false;
    }

    void dummies()
    {
        QFETCH(QString, days);
        QFETCH(QString, name);
        QFETCH(bool, dummy);
        Project p =
            buildProject(QStringLiteral("3: 1>2") +
                         (days.isEmpty() ? QString() : QStringLiteral("=") + days) + " 2>3=0");
        QVERIFY(p.setLinkName(1, 1, name).ok());
        QCOMPARE(p.isDummy(1, 1), dummy);
        QCOMPARE((*p.activities(1).begin()).isDummy(), dummy);
        QCOMPARE(p.isDummy(1, 2), false); // an empty slot is no activity
        QCOMPARE(p.dummyCount(), dummy ? 2 : 1);
    }

    void clearEmptiesEverything()
    {
        Project p = buildProject("4: 1>2=5 1>3=2 2>4=1 3>4=1");
        p.clear();
        QCOMPARE(p.eventCount(), 0);
        QCOMPARE(p.startDateText(), QString());
        for (int e = 1; e <= 4; ++e) {
            QCOMPARE(p.description(e), QString());
            QCOMPARE(p.linkCount(e), 0);
        }
        // Typing the first event again starts a fresh count.
        QVERIFY(p.setDescription(1, "Inizio").ok());
        QCOMPARE(p.eventCount(), 1);
    }

    void outOfRangeNumbersReadEmpty()
    {
        const Project p = buildProject("2: 1>2=1");
        QCOMPARE(p.description(0), QString());
        QCOMPARE(p.description(501), QString());
        QVERIFY(p.link(1, 0).isEmpty());
        QVERIFY(p.link(1, 2).isEmpty());
        QVERIFY(p.link(-1, 1).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestProject)
#include "test_project.moc"
