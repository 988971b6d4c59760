#include "model/data_check.h"
#include "support/project_builder.h"

#include <QTest>

using namespace zant;
using zant::test::buildProject;

Q_DECLARE_METATYPE(zant::MessageKind)

class TestDataCheck final : public QObject
{
    Q_OBJECT

private slots:
    void messages_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("startDate");
        QTest::addColumn<QString>("text");
        QTest::addColumn<MessageKind>("kind");

        QTest::newRow("no start date comes first")
            << "0"
            << ""
            << "Scegliere la data d'inizio degli eventi." << MessageKind::Critical;
        QTest::newRow("no events")
            << "0"
            << "01/01/1990"
            << "Non esistono dati riconosciuti:\n- per procedere è necessario digitare almeno il "
               "primo evento."
            << MessageKind::Exclamation;
        QTest::newRow("event without links")
            << "4: 1>2=1 2>4=1"
            << "01/01/1990"
            << "Evento n. 3: scegliere gli eventi ad esso legati per la corrispondente attività."
            << MessageKind::Exclamation;
        QTest::newRow("missing duration names its slot")
            << "4: 1>2=1 2>3=1 2>4 3>4=1"
            << "01/01/1990"
            << "Evento n. 2: i tempi medi per l'attività n. 2 non sono stati dichiarati."
            << MessageKind::Exclamation;
        QTest::newRow("earliest event fault wins")
            << "4: 1>2=1 1>3 2>4"
            << "01/01/1990"
            << "Evento n. 1: i tempi medi per l'attività n. 2 non sono stati dichiarati."
            << MessageKind::Exclamation;
        QTest::newRow("the final event is not examined")
            << "3: 1>2=1 2>3=1 3>1"
            << "01/01/1990"
            << "I dati sono stati immessi formalmente corretti (per numero  3 eventi)."
            << MessageKind::Information;
        QTest::newRow("one event and a start date pass")
            << "1"
            << "01/01/1990"
            << "I dati sono stati immessi formalmente corretti (per numero  1 eventi)."
            << MessageKind::Information;
        QTest::newRow("two-digit count keeps two blanks")
            << "12: 1>2=1 2>3=1 3>4=1 4>5=1 5>6=1 6>7=1 7>8=1 8>9=1 9>10=1 10>11=1 11>12=1"
            << "01/01/1990"
            << "I dati sono stati immessi formalmente corretti (per numero  12 eventi)."
            << MessageKind::Information;
        QTest::newRow("cycle of two events")
            << "4: 1>2=1 2>3=1 3>2=1 3>4=1"
            << "01/01/1990"
            << "Evento n. 2: i legami formano un ciclo chiuso (2 → 3 → 2)."
            << MessageKind::Critical;
        QTest::newRow("link to itself is a cycle")
            << "3: 1>2=1 2>2=0 2>3=1"
            << "01/01/1990"
            << "Evento n. 2: i legami formano un ciclo chiuso (2 → 2)." << MessageKind::Critical;
        QTest::newRow("cycle written from its lowest event")
            << "5: 1>4=1 4>2=1 2>3=1 3>4=1 4>5=1"
            << "01/01/1990"
            << "Evento n. 2: i legami formano un ciclo chiuso (2 → 3 → 4 → 2)."
            << MessageKind::Critical;
        QTest::newRow("backward links without a cycle pass")
            << "4: 1>3=1 3>2=1 2>4=1"
            << "01/01/1990"
            << "I dati sono stati immessi formalmente corretti (per numero  4 eventi)."
            << MessageKind::Information;
        QTest::newRow("missing data reported before the cycle")
            << "4: 1>2=1 2>1=1 3>4"
            << "01/01/1990"
            << "Evento n. 3: i tempi medi per l'attività n. 1 non sono stati dichiarati."
            << MessageKind::Exclamation;
    }

    void messages()
    {
        QFETCH(QString, network);
        QFETCH(QString, startDate);
        QFETCH(QString, text);
        QFETCH(MessageKind, kind);
        const Project p = buildProject(network, startDate);
        CheckConfirmation confirmation;
        const Message m = confirmation.checkOnRequest(p);
        QCOMPARE(m.text, text);
        QCOMPARE(m.kind, kind);
        QVERIFY(!confirmation.refusalPending());
    }

    void missingDescriptionBeforeMissingLinks()
    {
        Project p = buildProject("4: 1>2=1 2>4=1");
        Event third = p.event(3);
        third.description.clear();
        p.setEvent(3, third);
        const Message m = CheckConfirmation().checkOnRequest(p);
        QCOMPARE(m.text, QString("Evento n. 3: digitare la descrizione."));
        QCOMPARE(m.kind, MessageKind::Critical);
    }

    // Each step is a command that needs valid data ("command") or the check the user asks for
    // ("check"), on good or bad data; each answer is the text shown, empty when the command
    // goes on.
    void handshake_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<bool>("pending");

        const QString fault =
            "Evento n. 2: scegliere gli eventi ad esso legati per la corrispondente attività.";
        const QString confirmed =
            "I dati sono stati immessi formalmente corretti (per numero  3 eventi).";
        QTest::newRow("a command on good data goes on silently")
            << QStringList{"command good"} << QStringList{""} << false;
        QTest::newRow("a refused command leaves its refusal pending")
            << QStringList{"command bad"} << QStringList{fault} << true;
        QTest::newRow("the next direct check still confirms, and settles the refusal")
            << QStringList{"command bad", "check good"} << QStringList{fault, confirmed} << false;
        QTest::newRow("a direct check that finds the fault settles the refusal too")
            << QStringList{"command bad", "check bad"} << QStringList{fault, fault} << false;
        QTest::newRow("a later command on good data settles the refusal")
            << QStringList{"command bad", "command good"} << QStringList{fault, ""} << false;
        QTest::newRow("a command refused after a passed check is pending again")
            << QStringList{"check good", "command bad"} << QStringList{confirmed, fault} << true;
        QTest::newRow("a direct check alone leaves nothing pending")
            << QStringList{"check bad"} << QStringList{fault} << false;
    }

    void handshake()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, answers);
        QFETCH(bool, pending);
        const Project good = buildProject("3: 1>2=1 2>3=1");
        const Project bad = buildProject("3: 1>2=1");
        CheckConfirmation confirmation;
        QStringList shown;
        for (const QString& step : steps) {
            const Project& data = step.endsWith("good") ? good : bad;
            if (step.startsWith("check")) {
                shown << confirmation.checkOnRequest(data).text;
            } else {
                const auto fault = confirmation.requireValidData(data);
                shown << (fault.ok() ? QString() : fault.error().text);
            }
        }
        QCOMPARE(shown, answers);
        QCOMPARE(confirmation.refusalPending(), pending);
    }

    void guidance_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<bool>("startDateShown");
        QTest::addColumn<QString>("text");

        QTest::newRow("no start date shown comes first")
            << "0" << false
            << "Scegliere la data iniziale del calcolo o aprire un file archiviato.";
        QTest::newRow("no events")
            << "0" << true << "Digitare l'elenco degli eventi della programmazione.";
        QTest::newRow("an event without links")
            << "3: 1>2=1" << true << "Immettere i legami dell'evento n. 2";
        QTest::newRow("a link without its duration")
            << "3: 1>2=1 1>3 2>3=1" << true << "Immettere i tempi del legame n. 2 dell'evento n. 1";
        QTest::newRow("an event's durations before the next event's links")
            << "4: 1>2 3>4=1" << true << "Immettere i tempi del legame n. 1 dell'evento n. 1";
        QTest::newRow("the final event needs no links")
            << "2: 1>2=3" << true
            << "Correggere, archiviare quanto immesso, digitare ulteriori dati, andare oltre "
               "(risultati, stampa).";
        QTest::newRow("a single event is complete")
            << "1" << true
            << "Correggere, archiviare quanto immesso, digitare ulteriori dati, andare oltre "
               "(risultati, stampa).";
    }

    void guidance()
    {
        QFETCH(QString, network);
        QFETCH(bool, startDateShown);
        QFETCH(QString, text);
        QCOMPARE(dataEntryGuidance(buildProject(network), startDateShown), text);
    }

    void warnings_data()
    {
        QTest::addColumn<QString>("network");
        QTest::addColumn<QString>("warning");

        QTest::newRow("a plain network has none") << "4: 1>2=5 1>3=2 2>4=1 3>4=1"
                                                  << "";
        QTest::newRow("second start")
            << "4: 1>3=2 2>3=6 3>4=1"
            << "Evento n. 2: nessun legame in entrata; sarà trattato come un secondo inizio.";
        QTest::newRow("a link back from the final event, two digits")
            << "12: 1>2=1 2>3=1 3>4=1 4>5=1 5>6=1 6>7=1 7>8=1 8>9=1 9>10=1 10>11=1 11>12=1 12>1=0"
            << "Evento n. 12: è l'evento finale: i suoi legami in uscita non sono attività e non "
               "entrano nel calcolo.";
        QTest::newRow("an intermediate event without incoming links")
            << "5: 1>2=3 2>5=4 3>4=2 4>5=1"
            << "Evento n. 3: nessun legame in entrata; sarà trattato come un secondo inizio.";
        QTest::newRow("a link into event 1 does not make it a second start") << "3: 1>2=1 2>3=1"
                                                                             << "";
        QTest::newRow("links of the final event only")
            << "3: 1>2=1 2>3=1 3>2=0"
            << "Evento n. 3: è l'evento finale: i suoi legami in uscita non sono attività e non "
               "entrano nel calcolo.";
    }

    void warnings()
    {
        QFETCH(QString, network);
        QFETCH(QString, warning);
        const Project p = buildProject(network);
        QVERIFY(!findDataFault(p));
        const auto found = findDataWarnings(p);
        QCOMPARE(found ? found->text : QString(), warning);
        if (found)
            QCOMPARE(found->kind, MessageKind::Exclamation);
    }

    void manyWarningsAreCounted()
    {
        // 30 events that start on their own, all joined to the final one.
        QString net = "31:";
        for (int i = 1; i < 31; ++i)
            net += QStringLiteral(" %1>31=1").arg(i);
        const auto found = findDataWarnings(buildProject(net));
        QVERIFY(found);
        const QStringList lines = found->text.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 21);
        QCOMPARE(lines.first(),
                 "Evento n. 2: nessun legame in entrata; sarà trattato come un secondo inizio.");
        QCOMPARE(lines.last(), "(altri 9 avvisi non mostrati)");
    }

    void findsCycleInLargeNetwork()
    {
        // A long chain closed at the end: the search must not recurse event by event.
        QString net = "500:";
        for (int i = 1; i < 500; ++i)
            net += QStringLiteral(" %1>%2=1").arg(i).arg(i + 1);
        net += " 499>1=1";
        const auto cycle = findCycle(buildProject(net));
        QCOMPARE(cycle.size(), std::size_t(500));
        QCOMPARE(cycle.front(), 1);
        QCOMPARE(cycle.back(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDataCheck)
#include "test_data_check.moc"
