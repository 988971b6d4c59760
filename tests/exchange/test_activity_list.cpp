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
                   (r.description.isEmpty() ? QString() : QLatin1Char(':') + r.description) +
                   (r.name.isEmpty() ? QString() : QStringLiteral("«") + r.name + "»") +
                   (r.amount == 0 ? QString() : QStringLiteral(" €") + QString::number(r.amount)) +
                   (r.category.isEmpty() ? QString() : QStringLiteral("[") + r.category + "]");
    return out.join(QLatin1Char(' '));
}

QString refusedOf(const std::vector<RefusedRow>& refused)
{
    QStringList out;
    for (const RefusedRow& r : refused)
        out << QStringLiteral("%1 (%2): %3").arg(r.line).arg(r.text, r.reason);
    return out.join(QStringLiteral(" | "));
}

QByteArray utf16le(const QString& text)
{
    QByteArray bytes("\xFF\xFE");
    for (const QChar c : text)
        bytes += QByteArray(1, char(c.unicode() & 0xFF)) + char(c.unicode() >> 8);
    return bytes;
}

QByteArray utf32be(const QString& text)
{
    QByteArray bytes("\x00\x00\xFE\xFF", 4);
    for (const QChar c : text)
        bytes += QByteArray(2, '\0') + char(c.unicode() >> 8) + char(c.unicode() & 0xFF);
    return bytes;
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
        QTest::addColumn<QString>("separator");

        QTest::newRow("tabs from a spreadsheet, decimal comma")
            << "1\t2\t5\tScavi\r\n2\t3\t2,5\tGetti\r\n"
            << "1>2=5:Scavi 2>3=2.5:Getti" << false << "\t";
        QTest::newRow("semicolons with a heading")
            << "Da;A;Giorni;Descrizione\n1;2;3;Tracciamenti\n"
            << "1>2=3:Tracciamenti" << true << ";";
        QTest::newRow("commas take the decimal point") << "1,2,1.5,Scavi\n"
                                                       << "1>2=1.5:Scavi" << false << ",";
        QTest::newRow("commas: the fifth column names the activity")
            << "1,2,3,Scavi, fondazioni\n"
            << "1>2=3:Scavi«fondazioni»" << false << ",";
        QTest::newRow("names of activities in the fifth column, with a heading")
            << "Da;A;Giorni;Descrizione evento;Descrizione attività\n"
               "1;2;40;Serramenti installati;Fornitura serramenti\n"
               "2;3;5;Serramenti posati;Posa serramenti; controllo\n"
               "1;3;0;;\n"
            << "1>2=40:Serramenti installati«Fornitura serramenti» "
               "2>3=5:Serramenti posati«Posa serramenti; controllo» 1>3=0"
            << true << ";";
        QTest::newRow("amount and category in the sixth and seventh columns")
            << "Da;A;Giorni;Evento;Attività;Importo;Categoria\n"
               "1;2;3;Scavi fatti;Scavi;1.234,56;OG1 - Edifici civili\n"
               "2;3;1;;;;OS6\n"
               "3;4;1;;Posa;€ 500;OS6; finiture\n"
            << "1>2=3:Scavi fatti«Scavi» €123456[OG1 - Edifici civili] 2>3=1[OS6] "
               "3>4=1«Posa» €50000[OS6; finiture]"
            << true << ";";
        QTest::newRow("tabs: an amount without a category")
            << "1\t2\t3\t\t\t999.999.999,99\n"
            << "1>2=3 €99999999999" << false << "\t";
        QTest::newRow("commas: the amount with a decimal point or quoted")
            << "1,2,3,Scavi,Scavo,1234.5,OG1\n2,3,1,,,\"1.234,56\",OG3\n3,4,1,,,7,\n"
            << "1>2=3:Scavi«Scavo» €123450[OG1] 2>3=1 €123456[OG3] 3>4=1 €700" << false << ",";
        QTest::newRow("a sixth column of words belongs to the name")
            << "1;2;3;Scavi;Scavo; a mano; 10\n"
            << "1>2=3:Scavi«Scavo; a mano; 10»" << false << ";";
        QTest::newRow("a name without an event description")
            << "1\t2\t3\t\tMaturazione cls ≥ 28 gg\n"
            << "1>2=3«Maturazione cls ≥ 28 gg»" << false << "\t";
        QTest::newRow("quoted field with the separator and a quote")
            << "1;2;4;\"Getti; \"\"plinti\"\"\"\n"
            << "1>2=4:Getti; \"plinti\"" << false << ";";
        QTest::newRow("description is optional, blank rows ignored")
            << "\n1;2;4\n\n2;3;0\n"
            << "1>2=4 2>3=0" << false << ";";
        QTest::newRow("blanks around numbers") << " 1 ; 2 ; 7 \n"
                                               << "1>2=7" << false << ";";
        QTest::newRow("one tab inside a description keeps the semicolons")
            << "1;2;3;Scavi\tfondazioni\n2;3;4;Getti\n"
            << "1>2=3:Scavi fondazioni 2>3=4:Getti" << false << ";";
        QTest::newRow("tabs in every description of a one-row list keep the semicolons")
            << "1;2;3;a\tb\tc\n"
            << "1>2=3:a b c" << false << ";";
        QTest::newRow("semicolons in a description of a tab list keep the tabs")
            << "1\t2\t3\tScavi; fondazioni\n2\t3\t1\tGetti\n"
            << "1>2=3:Scavi; fondazioni 2>3=1:Getti" << false << "\t";
        QTest::newRow("rows of separators alone hold nothing") << "1;2;3\n;;;\n\t\n2;3;1\n"
                                                               << "1>2=3 2>3=1" << false << ";";
        QTest::newRow("a quoted line break stays in the description")
            << "1;2;3;\"Getti\nplinti\"\n2;3;1\n"
            << "1>2=3:Getti plinti 2>3=1" << false << ";";
    }
    void parsing()
    {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        const ActivityList list = parseActivityList(text);
        QCOMPARE(refusedOf(list.refused), QString());
        QTEST(rowsOf(list), "rows");
        QTEST(list.headingSkipped, "heading");
        QCOMPARE(QString(list.separator), separator);
    }

    // Nothing is dropped without a word: each row that is not taken is named with its reason.
    void refusedRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("rows");
        QTest::newRow("too few fields") << "1;2;3\n1;2\n"
                                        << "2 (1;2): servono almeno evento da, evento a e giorni"
                                        << "1>2=3";
        QTest::newRow("event beyond 500")
            << "1;2;3\n1;501;3\n"
            << "2 (1;501;3): l'evento a \"501\" non è un numero intero da 1 a 500"
            << "1>2=3";
        QTest::newRow("event zero") << "1;2;3\n0;2;3\n"
                                    << "2 (0;2;3): l'evento da \"0\" non è un numero intero da 1 a "
                                       "500"
                                    << "1>2=3";
        QTest::newRow("negative days")
            << "1;2;3\n1;3;-2\n"
            << "2 (1;3;-2): i giorni \"-2\" non sono un numero da 0 a 1000000"
            << "1>2=3";
        QTest::newRow("a name longer than 120 characters")
            << "1;2;3\n2;3;1;Getti;" + QString(121, 'n') + "\n"
            << "2 (" + ("2;3;1;Getti;" + QString(121, 'n')).left(120) +
                   "…): la descrizione dell'attività supera 120 caratteri"
            << "1>2=3";
        QTest::newRow("an amount with a decimal point among semicolons")
            << "1;2;3\n2;3;1;Getti;Getto;12.50\n"
            << "2 (2;3;1;Getti;Getto;12.50): l'importo \"12.50\" non è un importo in euro da 0 a "
               "999.999.999,99"
            << "1>2=3";
        QTest::newRow("a negative amount") << "1;2;3\n2;3;1;;;-5,00\n"
                                           << "2 (2;3;1;;;-5,00): l'importo \"-5,00\" non è un "
                                              "importo in euro da 0 a 999.999.999,99"
                                           << "1>2=3";
        QTest::newRow("an amount over the largest")
            << "1\t2\t3\n2\t3\t1\t\t\t1.000.000.000\n"
            << "2 (2 3 1   1.000.000.000): l'importo \"1.000.000.000\" non è un importo in euro "
               "da 0 a 999.999.999,99"
            << "1>2=3";
        QTest::newRow("a category longer than 120 characters")
            << "1;2;3\n2;3;1;;;5;" + QString(121, 'c') + "\n"
            << "2 (" + ("2;3;1;;;5;" + QString(121, 'c')).left(120) +
                   "…): la categoria dei lavori supera 120 caratteri"
            << "1>2=3";
        QTest::newRow("a later row of words is not a heading")
            << "1;2;3\nda;a;giorni\n"
            << "2 (da;a;giorni): l'evento da \"da\" non è un numero intero da 1 a 500"
            << "1>2=3";
        QTest::newRow("fractional event")
            << "1;2;3\n1.5;2;3\n"
            << "2 (1.5;2;3): l'evento da \"1.5\" non è un numero intero da 1 a 500"
            << "1>2=3";
        QTest::newRow("a first row with a typo in the days is no heading")
            << "1;2;x;Scavi\n2;3;4\n3;4;1\n"
            << "1 (1;2;x;Scavi): i giorni \"x\" non sono un numero da 0 a 1000000"
            << "2>3=4 3>4=1";
        QTest::newRow("a first row with numbers and words is no heading")
            << "Da;2;3\n2;3;4\n"
            << "1 (Da;2;3): l'evento da \"Da\" non è un numero intero da 1 a 500"
            << "2>3=4";
        QTest::newRow("an unclosed quote refuses its row, the next rows are read")
            << "1;2;3;\"aperta\n2;3;4\n3;4;1\n"
            << "1 (1;2;3;\"aperta): le virgolette aperte in questa riga non sono chiuse"
            << "2>3=4 3>4=1";
        QTest::newRow("an unclosed quote after a quoted line break")
            << "1;2;3;\"a\nb\";\"c\n2;3;4\n"
            << "1 (1;2;3;\"a\\x0Ab\";\"c): le virgolette aperte in questa riga non sono chiuse"
            << "2>3=4";
        QTest::newRow("control characters are shown, tabs as blanks")
            << "1;2;3\n1\t2;x\x1b[31m\n"
            << "2 (1 2;x\\x1B[31m): servono almeno evento da, evento a e giorni"
            << "1>2=3";
        QTest::newRow("a terminal title sequence in the days")
            << "1;2;3\n1;3;\x1b]0;PWNED\x07\n"
            << "2 (1;3;\\x1B]0;PWNED\\x07): i giorni \"\\x1B]0\" non sono un numero da 0 a "
               "1000000"
            << "1>2=3";
    }
    void refusedRows()
    {
        QFETCH(QString, text);
        const ActivityList list = parseActivityList(text);
        QTEST(refusedOf(list.refused), "refused");
        QTEST(rowsOf(list), "rows");
        QVERIFY(!list.headingSkipped);
    }

    void layoutIsSaid_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("layout");
        QTest::newRow("heading") << "\nDa;A;Giorni\n1;2;3\n"
                                 << "Separatore delle colonne: punto e virgola (riconosciuto dalle "
                                    "prime righe); riga 2 di "
                                    "intestazione saltata: «Da;A;Giorni».";
        QTest::newRow("tabs, no heading")
            << "1\t2\t3\n"
            << "Separatore delle colonne: tabulazione (riconosciuto dalle prime righe).";
        QTest::newRow("a heading's control characters")
            << "Da,A,Giorni\x1b\n1,2,3\n"
            << "Separatore delle colonne: virgola (riconosciuto dalle prime righe); riga 1 di "
               "intestazione saltata: «Da,A,Giorni\\x1B».";
    }
    void layoutIsSaid()
    {
        QFETCH(QString, text);
        QTEST(describeLayout(parseActivityList(text)), "layout");
    }

    void pasteIntoAProject()
    {
        const Project before =
            test::buildProject(QStringLiteral("3: 1>2=4 2>3=1"), QStringLiteral("01/03/2027"));
        const ActivityList list = parseActivityList(
            QStringLiteral("evento da\tevento a\tgiorni\tdescrizione\n"
                           "2\t3\t9\tdoppio\n"                                   // already there
                           "3\t5\t2\tCollaudo\tProve di carico\t2.500,00\tOS1\n" // new events 4, 5
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
        QCOMPARE(refusedOf(paste.refused),
                 QStringLiteral("2 (2 → 3: 9): il legame da 2 a 3 c'è già | 5 (4 → 4: 1): un "
                                "legame deve portare a un altro evento"));
        QCOMPARE(paste.added.size(), std::size_t(3));
        // The activity keeps its name and its amount; the others are known by their events.
        QCOMPARE(paste.result.activityName(3, 1), QStringLiteral("Prove di carico"));
        QCOMPARE(paste.result.link(1, 2).name, QString());
        QCOMPARE(paste.result.activityAmount(3, 1), Cents{250000});
        QCOMPARE(paste.result.activityCategory(3, 1), QStringLiteral("OS1"));
        QCOMPARE(paste.result.totalAmount(), Cents{250000});
    }

    // A project written as an activity list reads back with the same activities, names, amounts
    // and categories.
    void writtenListReadsBack()
    {
        Project p = test::buildProject(QStringLiteral("4: 1>2=10 1>3=2.5 2>4=0 3>4=7"),
                                       QStringLiteral("01/03/2027"));
        p.setDescription(3, QStringLiteral("Getti; \"plinti\""));
        QVERIFY(p.setLinkName(1, 1, QStringLiteral("Scavi")).ok());
        QVERIFY(p.setLinkAmount(1, 1, 123456).ok());
        QVERIFY(p.setLinkCategory(1, 1, QStringLiteral("OG1; edifici")).ok());
        QVERIFY(p.setLinkAmount(2, 1, kMaxAmount).ok());
        QVERIFY(p.setLinkName(3, 1, QStringLiteral("12")).ok());
        const QByteArray csv = activityListCsv(p);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines[0], QStringLiteral("evento da;evento a;giorni;descrizione evento "
                                          "a;descrizione attività;importo;categoria"));
        QCOMPARE(lines[1], QStringLiteral("1;2;10;Evento 2;Scavi;1.234,56;\"OG1; edifici\""));
        QCOMPARE(lines[2], QStringLiteral("1;3;2,5;\"Getti; \"\"plinti\"\"\";;;"));
        QCOMPARE(lines[3], QStringLiteral("2;4;0;Evento 4;;999.999.999,99;"));
        const auto back = parseActivityListFile(csv, "elenco.csv", QDate(2027, 3, 1));
        QVERIFY2(back.ok(), back.ok() ? "" : qPrintable(back.error().text));
        const Project& q = back.value().project;
        QCOMPARE(test::describeLinks(q), test::describeLinks(p));
        for (const Activity a : p.activities()) {
            QCOMPARE(q.link(a.from, a.slot).name, a.name());
            QCOMPARE(q.link(a.from, a.slot).amount, a.amount());
            QCOMPARE(q.link(a.from, a.slot).category, a.category());
        }
        QCOMPARE(q.description(3), p.description(3));
    }

    // An imported list goes through the data file: amounts and categories come back from it.
    void amountsSurviveTheImportedFile()
    {
        const auto imported =
            parseActivityListFile("1;2;10;Scavi;Scavo;1.500,00;OG1\n2;3;5;Fine;Getti;250,5\n",
                                  "elenco.csv", QDate(2027, 3, 1));
        QVERIFY2(imported.ok(), imported.ok() ? "" : qPrintable(imported.error().text));
        const Project& p = imported.value().project;
        QCOMPARE(p.activityAmount(1, 1), Cents{150000});
        QCOMPARE(p.activityCategory(1, 1), QStringLiteral("OG1"));
        QCOMPARE(p.activityAmount(2, 1), Cents{25050});
        QCOMPARE(p.totalAmount(), Cents{175050});
    }

    // The final event is the highest number of the result; the links from it are refused (in the
    // data check and the computation it has none), and so is a cycle through it.
    void linksLeavingTheFinalEvent_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("refused");
        const QString leaving3 =
            QStringLiteral("l'evento 3 è l'evento finale (il numero più alto): da esso non può "
                           "partire un legame");
        QTest::newRow("a cycle through the final event") << "0"
                                                         << "1;2;5\n2;3;4\n3;2;0\n"
                                                         << "3: 1>2=5 2>3=4"
                                                         << "3 (3 → 2: 0): " + leaving3;
        QTest::newRow("the refused row named the highest event: the next one is the final")
            << "0"
            << "1;2;1\n2;1;1\n3;1;1\n"
            << "2: 1>2=1"
            << "2 (2 → 1: 1): l'evento 2 è l'evento finale (il numero più alto): da esso non "
               "può partire un legame | 3 (3 → 1: 1): " +
                   leaving3;
        QTest::newRow("the project's own final event") << "3: 1>2=4 2>3=1"
                                                       << "3;1;2\n"
                                                       << "3: 1>2=4 2>3=1"
                                                       << "1 (3 → 1: 2): " + leaving3;
        QTest::newRow("a link beyond the final event moves it")
            << "3: 1>2=4 2>3=1"
            << "3;4;2\n"
            << "4: 1>2=4 2>3=1 3>4=2" << QString();
        QTest::newRow("a repeat of a refused row is refused for the same reason")
            << "0"
            << "1;2;1\n2;3;1\n3;1;1\n3;1;2\n"
            << "3: 1>2=1 2>3=1"
            << "3 (3 → 1: 1): " + leaving3 + " | 4 (3 → 1: 2): " + leaving3;
    }
    void linksLeavingTheFinalEvent()
    {
        QFETCH(QString, before);
        QFETCH(QString, text);
        Project project = test::buildProject(before, QStringLiteral("01/03/2027"));
        const ActivityPaste paste = planActivityPaste(project, parseActivityList(text));
        QTEST(test::describeLinks(paste.result), "links");
        QTEST(refusedOf(paste.refused), "refused");
        const int n = paste.result.eventCount();
        QCOMPARE(paste.result.linkCount(n), 0);
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
        const QString list = QStringLiteral("Da;A;Giorni\r\n1;2;5;Città\r\n2;3;1,5;Fine\r\n");
        QTest::newRow("a complete network")
            << QByteArray("Da;A;Giorni;Descrizione\r\n1;2;5;Scavi\r\n2;3;1,5;Fine\r\n")
            << "3: 1>2=5 2>3=1.5" << QString();
        QTest::newRow("Windows-1252 descriptions")
            << QByteArray("1;2;5;Attivit\xE0\r\n") << "2: 1>2=5" << QString();
        QTest::newRow("UTF-16 with a byte order mark, as Excel saves Unicode text")
            << utf16le(list) << "3: 1>2=5 2>3=1.5" << QString();
        QTest::newRow("UTF-32 big-endian with a byte order mark")
            << utf32be(list) << "3: 1>2=5 2>3=1.5" << QString();
        QTest::newRow("a refused row refuses the file")
            << QByteArray("1;2;5\n2;2;1\n") << QString()
            << "riga 2 (2 → 2: 1): un legame deve portare";
        QTest::newRow("a first row with a typo is named, not skipped")
            << QByteArray("1;2;x;Scavi\n2;3;4\n") << QString()
            << "riga 1 (1;2;x;Scavi): i giorni \"x\" non sono un numero";
        QTest::newRow("an unclosed quote is named")
            << QByteArray("1;2;3;\"aperta\n2;3;4\n") << QString()
            << "riga 1 (1;2;3;\"aperta): le virgolette aperte in questa riga non sono chiuse";
        QTest::newRow("a cycle through the final event")
            << QByteArray("1;2;5\n2;3;4\n3;2;0\n") << QString()
            << "riga 3 (3 → 2: 0): l'evento 3 è l'evento finale";
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
            QCOMPARE(test::describeLinks(read.value().project), links);
            QCOMPARE(read.value().project.startDateText(), QStringLiteral("08/12/2026"));
            QVERIFY(!findDataFault(read.value().project));
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
        QTest::newRow("quotes kept, line breaks made blanks") << "Getto \"A\"\nfine"
                                                              << "Getto \"A\" fine";
        QTest::newRow("characters outside Windows-1252 kept") << "1 → 2 ✓ ≥ Москва"
                                                              << "1 → 2 ✓ ≥ Москва";
        QTest::newRow("a pair of surrogates is one character")
            << QString::fromUcs4(U"gru 🏗 x") << QString::fromUcs4(U"gru 🏗 x");
        QTest::newRow("lone surrogates") << QString(QChar(0xD800)) + "a" + QChar(0xDC00) << "?a?";
        QTest::newRow("runs of blanks and tabs") << "  Scavi\t\tfondazioni  "
                                                 << "Scavi fondazioni";
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
        QCOMPARE(read.value().project.description(2), QStringLiteral("Attività"));
        QCOMPARE(
            read.value().layout,
            QStringLiteral("Separatore delle colonne: punto e virgola (riconosciuto dalle prime "
                           "righe)."));
    }
};

QTEST_GUILESS_MAIN(TestActivityList)
#include "test_activity_list.moc"
