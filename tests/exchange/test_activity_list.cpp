#include "exchange/activity_list.h"
#include "exchange/task_network.h"
#include "model/data_check.h"
#include "support/project_builder.h"

#include <QTest>

using namespace zant;

namespace {

QString rowsOf(const ActivityList& list)
{
    QStringList out;
    for (const ActivityRow& r : list.rows)
        out << QStringLiteral("%1>%2=%3").arg(r.from).arg(r.to).arg(r.days) +
                   (r.description.isEmpty() ? QString() : QLatin1Char(':') + r.description);
    return out.join(QLatin1Char(' '));
}

QString refusedOf(const std::vector<RefusedRow>& refused)
{
    QStringList out;
    for (const RefusedRow& r : refused)
        out << QStringLiteral("%1: %2").arg(r.line).arg(r.reason);
    return out.join(QStringLiteral(" | "));
}

} // namespace

class TestActivityList final : public QObject
{
    Q_OBJECT

private slots:
    void parsing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<bool>("heading");

        QTest::newRow("tabs from a spreadsheet, decimal comma")
            << "1\t2\t5\tScavi\r\n2\t3\t2,5\tGetti\r\n"
            << "1>2=5:Scavi 2>3=2.5:Getti" << false;
        QTest::newRow("semicolons with a heading")
            << "Da;A;Giorni;Descrizione\n1;2;3;Tracciamenti\n"
            << "1>2=3:Tracciamenti" << true;
        QTest::newRow("commas take the decimal point") << "1,2,1.5,Scavi\n"
                                                       << "1>2=1.5:Scavi" << false;
        QTest::newRow("commas: the description keeps the rest of the row")
            << "1,2,3,Scavi, fondazioni\n"
            << "1>2=3:Scavi, fondazioni" << false;
        QTest::newRow("quoted field with the separator and a quote")
            << "1;2;4;\"Getti; \"\"plinti\"\"\"\n"
            << "1>2=4:Getti; 'plinti'" << false;
        QTest::newRow("description is optional, blank rows ignored") << "\n1;2;4\n\n2;3;0\n"
                                                                     << "1>2=4 2>3=0" << false;
        QTest::newRow("blanks around numbers") << " 1 ; 2 ; 7 \n"
                                               << "1>2=7" << false;
    }
    void parsing()
    {
        QFETCH(QString, text);
        const ActivityList list = parseActivityList(text);
        QCOMPARE(refusedOf(list.refused), QString());
        QTEST(rowsOf(list), "rows");
        QTEST(list.headingSkipped, "heading");
    }

    void refusedRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refused");
        QTest::newRow("too few fields") << "1;2;3\n1;2\n"
                                        << "2: servono almeno evento da, evento a e giorni";
        QTest::newRow("event beyond 500")
            << "1;2;3\n1;501;3\n"
            << "2: l'evento a \"501\" non è un numero intero da 1 a 500";
        QTest::newRow("event zero") << "1;2;3\n0;2;3\n"
                                    << "2: l'evento da \"0\" non è un numero intero da 1 a 500";
        QTest::newRow("negative days") << "1;2;3\n1;3;-2\n"
                                       << "2: i giorni \"-2\" non sono un numero da 0 a 1000000";
        QTest::newRow("a later row of words is not a heading")
            << "1;2;3\nda;a;giorni\n"
            << "2: l'evento da \"da\" non è un numero intero da 1 a 500";
        QTest::newRow("fractional event")
            << "1;2;3\n1.5;2;3\n"
            << "2: l'evento da \"1.5\" non è un numero intero da 1 a 500";
    }
    void refusedRows()
    {
        QFETCH(QString, text);
        QTEST(refusedOf(parseActivityList(text).refused), "refused");
    }

    void pasteIntoAProject()
    {
        const Project before =
            test::buildProject(QStringLiteral("3: 1>2=4 2>3=1"), QStringLiteral("01/03/2027"));
        const ActivityList list = parseActivityList(
            QStringLiteral("evento da\tevento a\tgiorni\tdescrizione\n"
                           "2\t3\t9\tdoppio\n"   // already there
                           "3\t5\t2\tCollaudo\n" // new events 4 and 5
                           "1\t3\t6\tIgnorata\n" // existing event keeps its description
                           "4\t4\t1\n"           // to itself
                           "4\t5\t1\n"));
        const ActivityPaste paste = planActivityPaste(before, list);
        QCOMPARE(test::describeLinks(paste.result),
                 QStringLiteral("5: 1>2=4 1>3=6 2>3=1 3>5=2 4>5=1"));
        QCOMPARE(paste.newEvents, 2);
        QCOMPARE(paste.result.description(3), QStringLiteral("Evento 3"));
        QCOMPARE(paste.result.description(4), QStringLiteral("Evento 4"));
        QCOMPARE(paste.result.description(5), QStringLiteral("Collaudo"));
        QCOMPARE(paste.result.startDateText(), QStringLiteral("01/03/2027"));
        QCOMPARE(
            refusedOf(paste.refused),
            QStringLiteral(
                "2: il legame da 2 a 3 c'è già | 5: un legame deve portare a un altro evento"));
        QCOMPARE(paste.added.size(), std::size_t(3));
    }

    void fiveHundredLinksPerEvent()
    {
        QString text;
        for (int k = 2; k <= 500; ++k)
            text += QStringLiteral("1;%1;1\n").arg(k);
        Project empty;
        empty.clear();
        ActivityPaste paste = planActivityPaste(empty, parseActivityList(text));
        QCOMPARE(paste.result.linkCount(1), 499);
        QCOMPARE(paste.result.eventCount(), 500);
        QVERIFY(paste.refused.empty());
    }

    void fileImport_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("error");
        QTest::newRow("a complete network")
            << QByteArray("Da;A;Giorni;Descrizione\r\n1;2;5;Scavi\r\n2;3;1,5;Fine\r\n")
            << "3: 1>2=5 2>3=1.5" << QString();
        QTest::newRow("Windows-1252 descriptions")
            << QByteArray("1;2;5;Attivit\xE0\r\n") << "2: 1>2=5" << QString();
        QTest::newRow("a refused row refuses the file")
            << QByteArray("1;2;5\n2;2;1\n") << QString()
            << "riga 2 (2 → 2: 1): un legame deve portare";
        QTest::newRow("an event leading nowhere fails the check")
            << QByteArray("1;2;5\n1;3;1\n") << QString()
            << "non supera il controllo dei dati. Evento n. 2: scegliere gli eventi";
        QTest::newRow("a cycle fails the check")
            << QByteArray("1;2;5\n2;3;1\n3;2;1\n3;4;1\n") << QString() << "ciclo chiuso";
        QTest::newRow("nothing to import")
            << QByteArray("Da;A;Giorni\n") << QString() << "non contiene attività";
    }
    void fileImport()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, links);
        QFETCH(QString, error);
        const auto read =
            parseActivityListFile(bytes, QStringLiteral("elenco.csv"), QDate(2026, 12, 8));
        if (error.isEmpty()) {
            QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
            QCOMPARE(test::describeLinks(read.value()), links);
            QCOMPARE(read.value().startDateText(), QStringLiteral("08/12/2026"));
            QVERIFY(!findDataFault(read.value()));
        } else {
            QVERIFY(!read.ok());
            QVERIFY2(read.error().text.contains(error), qPrintable(read.error().text));
            QVERIFY(read.error().text.contains(QStringLiteral("elenco.csv")));
        }
    }

    void descriptionsMadeStorable_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("stored");
        QTest::newRow("quotes and line breaks") << "Getto \"A\"\nfine"
                                                << "Getto 'A' fine";
        QTest::newRow("arrow and a character outside the code page") << "1 → 2 ✓"
                                                                     << "1 -> 2 ?";
        QTest::newRow("a pair of surrogates is one character")
            << QString::fromUcs4(U"gru 🏗 x") << "gru ? x";
        QTest::newRow("lone surrogates") << QString(QChar(0xD800)) + "a" + QChar(0xDC00) << "?a?";
    }
    void descriptionsMadeStorable()
    {
        QFETCH(QString, text);
        QTEST(storableDescription(text), "stored");
    }

    void accentedDescriptionFromWindows1252()
    {
        const auto read =
            parseActivityListFile("1;2;5;Attivit\xE0\r\n", "e.csv", QDate(2026, 12, 8));
        QVERIFY(read.ok());
        QCOMPARE(read.value().description(2), QStringLiteral("Attività"));
    }
};

QTEST_GUILESS_MAIN(TestActivityList)
#include "test_activity_list.moc"
