#include "model/cp1252.h"
#include "model/project_file.h"
#include "support/project_builder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::buildProject;

namespace {

TitlePage sampleTitlePage()
{
    TitlePage t;
    t.fields = {"Magazzino, lotto 2", "Località Ca' Bianca", "ipotesi situazione di progetto",
                "Comune di Prova",    "Ufficio tecnico",     "lunedì, 7 dic 2026",
                "tavole 1-3"};
    return t;
}

QByteArray cp1252(const char* utf8)
{
    return encodeCp1252(QString::fromUtf8(utf8));
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const char* const kValidFile = "\"01/03/2027\",3\r\n"
                               "\"Inizio, lavori\",2\r\n"
                               "\"2\",\"5\"\r\n"
                               "\"3\",\"2\"\r\n"
                               "\"Getto\",1\r\n"
                               "\"3\",\"1\"\r\n"
                               "\"Fine\",0\r\n"
                               "\"p\",\"l\",\"t\",\"c\",\"lu\",\"d\",\"a\"\r\n";

} // namespace

class TestProjectFile final : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("network");
        QTest::newRow("single event") << "1";
        QTest::newRow("diamond") << "4: 1>2=5 1>3=2 2>4=1 3>4=1";
        QTest::newRow("backward links and duplicates") << "4: 1>3=1 3>2=4 3>2=6 2>4=0";
        QTest::newRow("fractional duration") << "3: 1>2=2.5 2>3=1";
        QTest::newRow("final event with links") << "3: 1>2=1 2>3=1 3>1";
    }

    void roundTrip()
    {
        QFETCH(QString, network);
        Project project = buildProject(network, "29/02/2028");
        project.setDescription(1, "Scavo, rinterro e compattazione à è ì ò ù €");
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-dati-prova");
        QVERIFY(writeProjectFile(path, project, sampleTitlePage()).ok());

        const QByteArray bytes = readBytes(path);
        // Header, one record per event and per link, and the title page, each ended by CR LF.
        int links = 0;
        for (int i = 1; i <= project.eventCount(); ++i)
            links += project.linkCount(i);
        QCOMPARE(bytes.count("\r\n"), 1 + project.eventCount() + links + 1);
        QVERIFY(bytes.contains("\x80")); // the euro sign in Windows-1252

        const auto loaded = readProjectFile(path);
        QVERIFY2(loaded.ok(), qPrintable(loaded.ok() ? QString() : loaded.error().text));
        QCOMPARE(loaded.value().project, project);
        QCOMPARE(loaded.value().titlePage, sampleTitlePage());
    }

    void writesQuotedTargetsAndDurations()
    {
        const auto bytes = serializeProjectData(buildProject("2: 1>2=12"), TitlePage{});
        QVERIFY(bytes.ok());
        QCOMPARE(bytes.value(),
                 QByteArray("\"01/01/1990\",2\r\n\"Evento 1\",1\r\n\"2\",\"12\"\r\n"
                            "\"Evento 2\",0\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    }

    void readsVariants_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("firstDescription");

        QTest::newRow("CR LF with quoted numbers")
            << QByteArray(kValidFile) << "3: 1>2=5 1>3=2 2>3=1"
            << "Inizio, lavori";
        QTest::newRow("LF only") << QByteArray(kValidFile).replace("\r\n", "\n")
                                 << "3: 1>2=5 1>3=2 2>3=1"
                                 << "Inizio, lavori";
        QTest::newRow("CR only") << QByteArray(kValidFile).replace("\r\n", "\r")
                                 << "3: 1>2=5 1>3=2 2>3=1"
                                 << "Inizio, lavori";
        QTest::newRow("unquoted renumbered targets and blanks")
            << QByteArray("\"01/01/1990\", 2\r\n\"A\",1\r\n2 , 3.5\r\n\"B\",0\r\n"
                          "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
            << "2: 1>2=3.5"
            << "A";
        QTest::newRow("blank lines between records")
            << QByteArray(
                   "\"01/01/1990\",1\r\n\r\n\"A\",0\r\n\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"")
            << "1: "
            << "A";
        QTest::newRow("Windows-1252 accents")
            << cp1252("\"01/01/1990\",1\r\n\"Agibilità e collaudo\",0\r\n"
                      "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
            << "1: "
            << "Agibilità e collaudo";
        QTest::newRow("UTF-8 accents")
            << QByteArray("\"01/01/1990\",1\r\n\"Agibilità e collaudo\",0\r\n"
                          "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
            << "1: "
            << "Agibilità e collaudo";
        QTest::newRow("one-digit day and month")
            << QByteArray("\"1/3/2027\",1\r\n\"A\",0\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
            << "1: "
            << "A";
        QTest::newRow("duration not yet given")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"\"\r\n\"B\",0\r\n"
                          "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
            << "2: 1>2"
            << "A";
        QTest::newRow("numbers with leading zeros and blanks")
            << QByteArray("\"01/01/1990\",002\r\n\"A\",02\r\n\"0000000002\",\"007\"\r\n"
                          "\"02\",\" 5 \"\r\n\"B\",0\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
            << "2: 1>2=7 1>2=5"
            << "A";
    }

    void readsVariants()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, links);
        QFETCH(QString, firstDescription);
        const auto result = parseProjectData(bytes, "f");
        QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.error().text));
        QString described = zant::test::describeLinks(result.value().project);
        QCOMPARE(described.trimmed(), links.trimmed());
        QCOMPARE(result.value().project.description(1), firstDescription);
    }

    void normalisesStartDate()
    {
        const auto result = parseProjectData(
            "\"1/3/2027\",1\r\n\"A\",0\r\n\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n", "f");
        QVERIFY(result.ok());
        QCOMPARE(result.value().project.startDateText(), QString("01/03/2027"));
    }

    void refusesMalformed_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        const QByteArray tp = "\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
        QTest::newRow("empty file") << QByteArray() << "record 1";
        QTest::newRow("short file")
            << QByteArray(kValidFile).left(40) << "il file finisce prima del previsto";
        QTest::newRow("title page missing")
            << QByteArray("\"01/01/1990\",1\r\n\"A\",0\r\n") << "frontespizio";
        QTest::newRow("title page cut short")
            << QByteArray("\"01/01/1990\",1\r\n\"A\",0\r\n\"p\",\"l\"\r\n")
            << "campo 'tipologia di studio'";
        QTest::newRow("event count above 500")
            << QByteArray("\"01/01/1990\",501\r\n") + tp << "di eventi da 0 a 500";
        QTest::newRow("negative event count")
            << QByteArray("\"01/01/1990\",-1\r\n") + tp << "di eventi da 0 a 500";
        QTest::newRow("fractional event count")
            << QByteArray("\"01/01/1990\",1.5\r\n") + tp << "di eventi da 0 a 500";
        QTest::newRow("link count above 500")
            << QByteArray("\"01/01/1990\",1\r\n\"A\",501\r\n") + tp << "di legami da 0 a 500";
        QTest::newRow("target above the event count")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"3\",\"1\"\r\n\"B\",0\r\n") + tp
            << "record 3, riga 3, legame n. 1 dell'evento n. 1): \"3\" non è un numero intero da 1 "
               "a 2";
        QTest::newRow("target zero")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"0\",\"1\"\r\n\"B\",0\r\n") + tp
            << "da 1 a 2";
        QTest::newRow("target not a number")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"due\",\"1\"\r\n\"B\",0\r\n") + tp
            << "\"due\"";
        QTest::newRow("empty target")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"\",\"1\"\r\n\"B\",0\r\n") + tp
            << "da 1 a 2";
        QTest::newRow("negative duration")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"-1\"\r\n\"B\",0\r\n") + tp
            << "la durata \"-1\"";
        QTest::newRow("duration with decimal comma")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"1,5\"\r\n\"B\",0\r\n") + tp
            << "legame n. 1";
        QTest::newRow("duration infinite")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"inf\"\r\n\"B\",0\r\n") + tp
            << "la durata \"inf\"";
        QTest::newRow("duration beyond a million days")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"2\",\"1e300\"\r\n\"B\",0\r\n") + tp
            << "la durata";
        QTest::newRow("nine-digit target")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"999999999\",\"1\"\r\n\"B\",0\r\n") + tp
            << "\"999999999\" non è un numero intero da 1 a 2";
        QTest::newRow("ten-digit target")
            << QByteArray("\"01/01/1990\",2\r\n\"A\",1\r\n\"1000000000\",\"1\"\r\n\"B\",0\r\n") + tp
            << "\"1000000000\" non è un numero intero da 1 a 2";
        QTest::newRow("event count not a number names the header")
            << QByteArray("\"01/01/1990\",tre\r\n") + tp
            << "record 1, riga 1, intestazione): \"tre\" non è un numero intero di eventi da 0 a "
               "500";
        QTest::newRow("link count names its event")
            << QByteArray("\"01/01/1990\",1\r\n\"A\",501\r\n") + tp
            << "record 2, riga 2, evento n. 1): \"501\" non è un numero intero di legami da 0 a "
               "500";
        QTest::newRow("unclosed quote")
            << QByteArray("\"01/01/1990\",1\r\n\"A,0\r\n") + tp << "virgolette non chiuse";
        QTest::newRow("text after closing quote")
            << QByteArray("\"01/01/1990\"x,1\r\n\"A\",0\r\n") + tp
            << "testo inatteso dopo le virgolette";
        QTest::newRow("invalid start date")
            << QByteArray("\"31/02/2027\",1\r\n\"A\",0\r\n") + tp << "non è una data valida";
        QTest::newRow("negative year")
            << QByteArray("\"01/01/-2000\",1\r\n\"A\",0\r\n") + tp
            << "record 1, riga 1, intestazione): \"01/01/-2000\" non è una data valida "
               "(gg/mm/aaaa, dal 01/01/1900 al 31/12/2199)";
        QTest::newRow("day before 1900")
            << QByteArray("\"31/12/1899\",1\r\n\"A\",0\r\n") + tp << "non è una data valida";
        QTest::newRow("day after 2199")
            << QByteArray("\"01/01/2200\",1\r\n\"A\",0\r\n") + tp << "non è una data valida";
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\xfe\x01,\x02\n\x7f", 8) << "record 1";
    }

    void refusesMalformed()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const auto result = parseProjectData(bytes, "ZANT-dati-rotto");
        QVERIFY(!result.ok());
        QVERIFY2(result.error().text.contains(expected), qPrintable(result.error().text));
        QVERIFY(result.error().text.startsWith(
            "Il file \"ZANT-dati-rotto\" non è un file di dati ZANT valido"));
        QCOMPARE(result.error().kind, MessageKind::Critical);
    }

    void refusesUnreadableFiles()
    {
        QTemporaryDir dir;
        const auto missing = readProjectFile(dir.filePath("manca"));
        QVERIFY(!missing.ok());
        QVERIFY(missing.error().text.contains("manca"));
        const auto folder = readProjectFile(dir.path());
        QVERIFY(!folder.ok());
        QVERIFY(folder.error().text.contains("cartella"));
    }

    // Text the traditional records cannot hold is saved whole in the extended section; those
    // records carry its closest form, which is what an older version reads.
    void keepsTextTheTraditionalRecordsCannotHold_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<int>("titleField");
        QTest::addColumn<QString>("titleText");
        QTest::addColumn<QString>("oldReading");
        QTest::newRow("double quote in a description") << "Trave \"HEB\"" << -1 << ""
                                                       << "Trave 'HEB'";
        QTest::newRow("line break in a description") << "Scavi\nfondazioni" << -1 << ""
                                                     << "Scavi fondazioni";
        QTest::newRow("character outside Windows-1252") << "Maturazione cls ≥ 28 gg" << -1 << ""
                                                        << "Maturazione cls >= 28 gg";
        QTest::newRow("letter outside Windows-1252 keeps its base letter")
            << "Cantiere Győr" << -1 << ""
            << "Cantiere Gyor";
        QTest::newRow("emoji outside Windows-1252")
            << QString::fromUtf8("Gru \xF0\x9F\x8F\x97") << -1 << ""
            << "Gru ?";
        QTest::newRow("Greek and Cyrillic") << "Scavi αβγ Москва" << -1 << ""
                                            << "Scavi ??? ??????";
        QTest::newRow("accents that pair up as UTF-8 in a description")
            << "Pavimento Ã© posato" << -1 << ""
            << "Pavimento Ã© posato";
        QTest::newRow("accents that pair up as UTF-8 in a title-page field")
            << "Scavi" << int(TitlePage::luogo) << "Ufficio â‚¬"
            << "Ufficio â‚¬";
        QTest::newRow("double quote in a title-page field")
            << "Scavi" << int(TitlePage::committente) << "Ditta \"Rossi\""
            << "Ditta 'Rossi'";
        QTest::newRow("arrow in the project name")
            << "Scavi" << int(TitlePage::progetto) << "Lotto 1 → 2"
            << "Lotto 1 -> 2";
    }

    void keepsTextTheTraditionalRecordsCannotHold()
    {
        QFETCH(QString, description);
        QFETCH(int, titleField);
        QFETCH(QString, titleText);
        QFETCH(QString, oldReading);
        Project project = buildProject("3: 1>2=1 2>3=1");
        Event second = project.event(2);
        second.description = description;
        project.setEvent(2, second);
        TitlePage title = sampleTitlePage();
        if (titleField >= 0)
            title.fields[titleField] = titleText;

        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-dati-nuovo");
        bool substituted = false;
        QVERIFY(writeProjectFile(path, project, title, &substituted).ok());
        QVERIFY(substituted);
        const QByteArray bytes = readBytes(path);
        const auto read = parseProjectData(bytes, path);
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().text));
        QCOMPARE(read.value().project, project);
        QCOMPARE(read.value().titlePage, title);
        QCOMPARE(read.value().sectionVersion, 1);

        const auto old = parseProjectData(bytes, path, ProjectRecords::TraditionalOnly);
        QVERIFY(old.ok());
        const QString oldText = titleField >= 0 ? old.value().titlePage.fields[titleField]
                                                : old.value().project.description(2);
        QCOMPARE(oldText, oldReading);
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(old.value().project.event(i).links, project.event(i).links);
    }

    void namesTravelInTheSection()
    {
        Project project = buildProject("4: 1>2=40 1>3=5 2>4=5 3>4=0");
        QVERIFY(project.setLinkName(1, 1, "Fornitura serramenti").ok());
        QVERIFY(project.setLinkName(2, 1, "Posa serramenti; controllo 100%").ok());
        QVERIFY(!project.setLinkName(1, 3, "nessun legame").ok());
        QVERIFY(!project.setLinkName(1, 1, QString(121, 'x')).ok());
        bool substituted = true;
        const auto bytes = serializeProjectData(project, sampleTitlePage(), &substituted);
        QVERIFY(bytes.ok());
        QVERIFY(!substituted); // names are new data, not substitutes
        const QByteArray expectedSection = "ZANT-SEZIONE-ESTESA;1\r\n"
                                           "ATTIVITA;1;1;Fornitura serramenti\r\n"
                                           "ATTIVITA;2;1;Posa serramenti%3B controllo 100%25\r\n"
                                           "FINE;2\r\n";
        QVERIFY2(bytes.value().endsWith(expectedSection), bytes.value().constData());
        const auto read = parseProjectData(bytes.value(), "ZANT-dati-nomi");
        QVERIFY(read.ok());
        QCOMPARE(read.value().project, project);
        QCOMPARE(read.value().project.activityName(1, 1), QString("Fornitura serramenti"));
        QCOMPARE(read.value().project.activityName(1, 2), QString("Evento 3"));
    }

    void amountsAndCategoriesTravelInTheSection()
    {
        Project project = buildProject("4: 1>2=40 1>3=5 2>4=5 3>4=0");
        QVERIFY(project.setLinkName(1, 1, "Scavi").ok());
        QVERIFY(project.setLinkAmount(1, 1, 1'234'556).ok());
        QVERIFY(project.setLinkCategory(1, 1, "OG1 - Edifici civili; 100%").ok());
        QVERIFY(project.setLinkAmount(3, 1, kMaxAmount).ok());
        QVERIFY(project.setLinkCategory(2, 1, "OS6 \u2013 Finiture").ok());
        QVERIFY(!project.setLinkAmount(1, 1, kMaxAmount + 1).ok());
        QVERIFY(!project.setLinkAmount(1, 1, -1).ok());
        QVERIFY(!project.setLinkCategory(1, 1, QString(121, 'x')).ok());
        QVERIFY(!project.setLinkAmount(1, 3, 100).ok());
        QCOMPARE(project.totalAmount(), 1'234'556 + kMaxAmount);
        const auto bytes = serializeProjectData(project, sampleTitlePage());
        QVERIFY(bytes.ok());
        const QByteArray expectedSection = "ZANT-SEZIONE-ESTESA;1\r\n"
                                           "ATTIVITA;1;1;Scavi\r\n"
                                           "IMPORTO;1;1;1234556\r\n"
                                           "CATEGORIA;1;1;OG1 - Edifici civili%3B 100%25\r\n"
                                           "CATEGORIA;2;1;OS6 %E2%80%93 Finiture\r\n"
                                           "IMPORTO;3;1;99999999999\r\n"
                                           "FINE;5\r\n";
        QVERIFY2(bytes.value().endsWith(expectedSection), bytes.value().constData());
        const auto read = parseProjectData(bytes.value(), "ZANT-dati-importi");
        QVERIFY(read.ok());
        QCOMPARE(read.value().project, project);
        QCOMPARE(read.value().project.activityCategory(2, 1), QString("OS6 \u2013 Finiture"));
        // An amount makes an activity of 0 days more than a precedence.
        QVERIFY(read.value().project.isDummy(3, 1) == false);
        Project dummy = buildProject("3: 1>2=0 2>3=1");
        QVERIFY(dummy.isDummy(1, 1));
        QVERIFY(dummy.setLinkAmount(1, 1, 1).ok());
        QVERIFY(!dummy.isDummy(1, 1));
        // Taking the amount away again leaves no record behind.
        QVERIFY(dummy.setLinkAmount(1, 1, 0).ok());
        QVERIFY(!serializeProjectData(dummy, sampleTitlePage()).value().contains("IMPORTO"));
    }

    // Files without new data: no section, and the same bytes as ever.
    void savesOldFilesByteForByte_data()
    {
        QTest::addColumn<QString>("path");
        const QString example =
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt");
        QTest::newRow("example") << example;
        const QDir corpus(QStringLiteral(ZANT_SOURCE_DIR "/fuzz/corpus/project"));
        for (const QString& file : corpus.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable("corpus " + file)) << corpus.filePath(file);
    }

    void savesOldFilesByteForByte()
    {
        QFETCH(QString, path);
        const QByteArray original = readBytes(path);
        const auto read = parseProjectData(original, path);
        if (!read.ok())
            QSKIP("a refused file of the corpus");
        const auto saved = serializeProjectData(read.value().project, read.value().titlePage);
        QVERIFY(saved.ok());
        QVERIFY(!saved.value().contains("ZANT-SEZIONE-ESTESA"));
        const auto old = parseProjectData(original, path, ProjectRecords::TraditionalOnly);
        QVERIFY(old.ok());
        QCOMPARE(read.value().project, old.value().project);
        QCOMPARE(parseProjectData(saved.value(), path).value().project, read.value().project);
        if (path.endsWith("esempio-magazzino.txt"))
            QCOMPARE(saved.value(), original);
    }

    void damagedSectionsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QString>("expected");
        const QByteArray head = "ZANT-SEZIONE-ESTESA;1\r\n";
        QTest::newRow("no end") << head + "ATTIVITA;1;1;Scavi\r\n"
                                << "riga 10): la sezione non è completa: manca il record FINE";
        QTest::newRow("count that does not match")
            << head + "ATTIVITA;1;1;Scavi\r\nFINE;2\r\n"
            << "riga 10): la sezione dichiara 2 record e ne contiene 1";
        QTest::newRow("broken escape") << head + "DESCRIZIONE;2;Scavi %G1\r\nFINE;1\r\n"
                                       << "riga 9): la descrizione non è un testo valido";
        QTest::newRow("escape cut at the end") << head + "DESCRIZIONE;2;Scavi %E\r\nFINE;1\r\n"
                                               << "riga 9): la descrizione non è un testo valido";
        QTest::newRow("bytes that are not UTF-8") << head + "DESCRIZIONE;2;%E9t%E9\r\nFINE;1\r\n"
                                                  << "riga 9)";
        QTest::newRow("event beyond the network") << head + "DESCRIZIONE;9;x\r\nFINE;1\r\n"
                                                  << "l'evento \"9\" non è un evento da 1 a 3";
        QTest::newRow("slot beyond the event's links") << head + "ATTIVITA;2;2;x\r\nFINE;1\r\n"
                                                       << "il legame 2 dell'evento 2 non esiste";
        QTest::newRow("name longer than 120 characters")
            << head + "ATTIVITA;1;1;" + QByteArray(121, 'x') + "\r\nFINE;1\r\n"
            << "al più 120 caratteri";
        QTest::newRow("fields missing") << head + "ATTIVITA;1;1\r\nFINE;1\r\n"
                                        << "il record ATTIVITA ha 3 campi invece di 4";
        QTest::newRow("amount with a decimal comma") << head + "IMPORTO;1;1;12,50\r\nFINE;1\r\n"
                                                     << "riga 9): l'importo \"12,50\" non è un "
                                                        "numero di centesimi da 0 a 99999999999";
        QTest::newRow("negative amount") << head + "IMPORTO;1;1;-5\r\nFINE;1\r\n"
                                         << "riga 9): l'importo \"-5\"";
        QTest::newRow("amount over the largest") << head + "IMPORTO;1;1;100000000000\r\nFINE;1\r\n"
                                                 << "riga 9): l'importo \"100000000000\"";
        QTest::newRow("empty amount") << head + "IMPORTO;1;1;\r\nFINE;1\r\n"
                                      << "riga 9): l'importo \"\"";
        QTest::newRow("amount of a missing link")
            << head + "IMPORTO;2;3;100\r\nFINE;1\r\n"
            << "riga 9): il legame 3 dell'evento 2 non esiste";
        QTest::newRow("amount with an extra field") << head + "IMPORTO;1;1;100;2\r\nFINE;1\r\n"
                                                    << "il record IMPORTO ha 5 campi invece di 4";
        QTest::newRow("category longer than 120 characters")
            << head + "CATEGORIA;1;1;" + QByteArray(121, 'x') + "\r\nFINE;1\r\n"
            << "riga 9): la categoria dei lavori non è un testo valido di al più 120 caratteri";
        QTest::newRow("category with a broken escape") << head + "CATEGORIA;1;1;OG%2\r\nFINE;1\r\n"
                                                       << "riga 9): la categoria dei lavori";
        QTest::newRow("blank line inside") << head + "\r\nFINE;0\r\n"
                                           << "riga 9): riga vuota dentro la sezione";
        QTest::newRow("text after the end") << head + "FINE;0\r\naltro\r\n"
                                            << "riga 10): testo dopo la fine della sezione";
        QTest::newRow("not a record") << head + "ciao mondo\r\nFINE;1\r\n"
                                      << "\"ciao mondo\" non è un record della sezione";
        QTest::newRow("bad version") << QByteArray("ZANT-SEZIONE-ESTESA;uno\r\nFINE;0\r\n")
                                     << "riga 8): versione della sezione non valida";
    }

    void damagedSectionsAreRefused()
    {
        QFETCH(QByteArray, section);
        QFETCH(QString, expected);
        const QByteArray file = "\"01/03/2027\",3\r\n\"Inizio\",1\r\n\"2\",\"4\"\r\n"
                                "\"Scavi\",1\r\n\"3\",\"2\"\r\n\"Fine\",0\r\n"
                                "\"Scuola\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n" +
                                section;
        const auto read = parseProjectData(file, "ZANT-dati-rotto");
        QVERIFY(!read.ok());
        QVERIFY2(read.error().text.startsWith("Il file \"ZANT-dati-rotto\" non è un file di dati "
                                              "ZANT valido (sezione estesa, riga "),
                 qPrintable(read.error().text));
        QVERIFY2(read.error().text.contains(expected), qPrintable(read.error().text));
        // The records before the section read as always.
        QVERIFY(parseProjectData(file, "x", ProjectRecords::TraditionalOnly).ok());
    }

    void unknownRecordsAreKeptAndNewerVersionsSaid()
    {
        const QByteArray traditional = "\"01/03/2027\",2\r\n\"Inizio\",1\r\n\"2\",\"4\"\r\n"
                                       "\"Fine\",0\r\n\"Scuola\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n";
        const QByteArray section = "ZANT-SEZIONE-ESTESA;1\r\nCALENDARIO-X;lun;%3B\r\n"
                                   "ATTIVITA;1;1;Scavi\r\nFINE;2\r\n";
        const auto read = parseProjectData(traditional + section, "f");
        QVERIFY(read.ok());
        QCOMPARE(read.value().project.keptRecords(), QStringList{"CALENDARIO-X;lun;%3B"});
        QVERIFY(!read.value().newerSection());
        // Written back after what this version knows, the count updated.
        const auto saved = serializeProjectData(read.value().project, read.value().titlePage);
        QCOMPARE(saved.value(), traditional + "ZANT-SEZIONE-ESTESA;1\r\nATTIVITA;1;1;Scavi\r\n"
                                              "CALENDARIO-X;lun;%3B\r\nFINE;2\r\n");

        const auto newer =
            parseProjectData(traditional + "ZANT-SEZIONE-ESTESA;3\r\nFINE;0\r\n", "f");
        QVERIFY(newer.ok());
        QCOMPARE(newer.value().sectionVersion, 3);
        QVERIFY(newer.value().newerSection());

        // Text after the title page that is not a section reads as it always did.
        QVERIFY(parseProjectData(traditional + "\r\nqualcosa\r\n", "f").ok());
    }

    // A calendar travels in the section, of version 2; a calendar-day project writes none.
    void calendarsTravelInTheSection()
    {
        Project project = buildProject("3: 1>2=5 2>3=4", "01/03/2027");
        ProjectCalendar c;
        c.workingDays = true;
        c.workingWeek = kMondayToSaturday;
        c.patron = {7, 12};
        c.closures = {{QDate(2027, 8, 9), QDate(2027, 8, 20), "chiusura estiva; 100%"},
                      {QDate(2027, 1, 12), QDate(2027, 1, 12), QString()}};
        c.minutesPerDay = 450;
        project.setCalendar(c);
        const auto bytes = serializeProjectData(project, sampleTitlePage());
        QVERIFY(bytes.ok());
        const QByteArray expectedSection =
            "ZANT-SEZIONE-ESTESA;2\r\n"
            "CALENDARIO;LAVORATIVI;450;NO\r\n"
            "SETTIMANA;lun,mar,mer,gio,ven,sab\r\n"
            "FESTIVITA;SI\r\n"
            "PATRONO;07/12\r\n"
            "CHIUSURA;09/08/2027;20/08/2027;chiusura estiva%3B 100%25\r\n"
            "CHIUSURA;12/01/2027;12/01/2027;\r\n"
            "FINE;6\r\n";
        QVERIFY2(bytes.value().endsWith(expectedSection), bytes.value().constData());
        const auto read = parseProjectData(bytes.value(), "ZANT-dati-calendario");
        QVERIFY(read.ok());
        QCOMPARE(read.value().project, project);
        QVERIFY(!read.value().newerSection());
        // What an older version reads: the same network, the calendar left aside.
        const auto old = parseProjectData(bytes.value(), "x", ProjectRecords::TraditionalOnly);
        QVERIFY(old.ok() && old.value().project.calendar().isDefault());

        project.setCalendar({});
        QVERIFY(!serializeProjectData(project, sampleTitlePage()).value().contains("SEZIONE"));
    }

    void damagedCalendarsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QString>("expected");
        const QByteArray head = "ZANT-SEZIONE-ESTESA;2\r\n";
        QTest::newRow("unknown kind of days")
            << head + "CALENDARIO;FERIALI;480;NO\r\nFINE;1\r\n"
            << "riga 9): i giorni del calendario sono \"FERIALI\"";
        QTest::newRow("day of 2000 minutes") << head + "CALENDARIO;LAVORATIVI;2000;NO\r\nFINE;1\r\n"
                                             << "la giornata lavorativa di \"2000\" minuti";
        QTest::newRow("record twice") << head + "FESTIVITA;SI\r\nFESTIVITA;NO\r\nFINE;2\r\n"
                                      << "riga 10): il record FESTIVITA è ripetuto";
        QTest::newRow("week of no days") << head + "SETTIMANA;\r\nFINE;1\r\n"
                                         << "la settimana lavorativa \"\" non è un elenco";
        QTest::newRow("holidays neither yes nor no") << head + "FESTIVITA;FORSE\r\nFINE;1\r\n"
                                                     << "il record FESTIVITA vuole SI o NO";
        QTest::newRow("patron on 30 February") << head + "PATRONO;30/02\r\nFINE;1\r\n"
                                               << "il giorno del patrono \"30/02\"";
        QTest::newRow("closure ending first")
            << head + "CHIUSURA;20/08/2027;09/08/2027;x\r\nFINE;1\r\n"
            << "la chiusura finisce prima di cominciare";
        QTest::newRow("closure in 2200") << head + "CHIUSURA;01/01/2200;02/01/2200;x\r\nFINE;1\r\n"
                                         << "la chiusura ha una data non valida";
        QTest::newRow("closure with a line break")
            << head + "CHIUSURA;01/08/2027;02/08/2027;a%0Ab\r\nFINE;1\r\n"
            << "la descrizione della chiusura non è un testo valido";
        QTest::newRow("closure without its description")
            << head + "CHIUSURA;01/08/2027;02/08/2027\r\nFINE;1\r\n"
            << "il record CHIUSURA ha 3 campi invece di 4";
    }

    void damagedCalendarsAreRefused()
    {
        QFETCH(QByteArray, section);
        QFETCH(QString, expected);
        const QByteArray file = "\"01/03/2027\",3\r\n\"Inizio\",1\r\n\"2\",\"4\"\r\n"
                                "\"Scavi\",1\r\n\"3\",\"2\"\r\n\"Fine\",0\r\n"
                                "\"Scuola\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n" +
                                section;
        const auto read = parseProjectData(file, "ZANT-dati-rotto");
        QVERIFY(!read.ok());
        QVERIFY2(read.error().text.contains(expected), qPrintable(read.error().text));
    }

    void titlePageFileKeepsTextToo()
    {
        TitlePage title = sampleTitlePage();
        title[TitlePage::committente] = "Ditta \"Rossi\" ≥ 2";
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-front-x");
        QVERIFY(writeTitlePageFile(path, title).ok());
        const auto read = readTitlePageFile(path);
        QVERIFY(read.ok());
        QCOMPARE(read.value(), title);
        QVERIFY(readBytes(path).startsWith(cp1252("\"Magazzino, lotto 2\"")));
    }

    void failedWriteLeavesNoTrace()
    {
        QTemporaryDir dir;
        // A folder where the file should go, and a path under a plain file: both cannot be written.
        QVERIFY(QDir(dir.path()).mkdir("occupato"));
        writeBytes(dir.filePath("semplice"), "x");
        for (const QString& path :
             {dir.filePath("occupato"), dir.filePath("semplice/ZANT-dati-x")}) {
            const auto failure = writeProjectFile(path, buildProject("1"), TitlePage{});
            QVERIFY(!failure.ok());
            QVERIFY2(failure.error().text.startsWith("Impossibile salvare il file"),
                     qPrintable(failure.error().text));
        }
        QCOMPARE(readBytes(dir.filePath("semplice")), QByteArray("x"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot),
                 QStringList{"semplice"});
    }

    void saveRules()
    {
        CheckConfirmation confirmation;
        TitlePage title;
        Result<void> refusal = checkBeforeSave(buildProject("3: 1>2=1"), title, confirmation);
        QVERIFY(!refusal.ok());
        QCOMPARE(refusal.error().type, ErrorKind::Check);
        QVERIFY(refusal.error().text.startsWith("Evento n. 2:"));
        QVERIFY(confirmation.refusalPending());

        refusal = checkBeforeSave(buildProject("3: 1>2=1 2>3=1"), title, confirmation);
        QVERIFY(!refusal.ok());
        QCOMPARE(refusal.error().type, ErrorKind::Missing);
        QCOMPARE(refusal.error().text,
                 QString("E' necessario digitare almeno il dato del 'progetto'."));
        QCOMPARE(refusal.error().kind, MessageKind::Critical);

        title[TitlePage::progetto] = "Magazzino";
        QVERIFY(checkBeforeSave(buildProject("3: 1>2=1 2>3=1"), title, confirmation).ok());
        QVERIFY(!confirmation.refusalPending());
    }

    // The open dialog shows a project file by its first record, whatever its name.
    void recognisedByTheFirstRecord_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("project");
        QTest::newRow("as the program writes it")
            << QByteArray("\"16/03/2026\",12\r\n\"Inizio\",1\r\n") << true;
        QTest::newRow("a cleared project") << QByteArray("\"\",0\r\n\"\",\"\",\"\"") << true;
        QTest::newRow("only the header, no line end") << QByteArray("\"01/01/1990\",3") << true;
        QTest::newRow("UTF-8 byte order mark")
            << QByteArray("\xef\xbb\xbf\"01/01/1990\",3\n") << true;
        QTest::newRow("a title-page file")
            << QByteArray("\"Scuola\",\"Pavia\",\"a\",\"b\",\"c\",\"d\",\"e\"\r\n") << false;
        QTest::newRow("a date that does not exist") << QByteArray("\"31/02/2026\",3\r\n") << false;
        QTest::newRow("too many events") << QByteArray("\"01/01/1990\",501\r\n") << false;
        QTest::newRow("a third field on the first line")
            << QByteArray("\"01/01/1990\",3,4\r\n") << false;
        QTest::newRow("a count in quotes") << QByteArray("\"01/01/1990\",\"3\"\r\n") << false;
        QTest::newRow("a letter") << QByteArray("Gentile cliente,\r\nin allegato\r\n") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void recognisedByTheFirstRecord()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, project);
        QCOMPARE(looksLikeProjectData(head), project);
        QTemporaryDir dir;
        QFile f(dir.filePath("progetto-senza-prefisso"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(head);
        f.close();
        QCOMPARE(isProjectDataFile(f.fileName()), project);
    }
};

QTEST_GUILESS_MAIN(TestProjectFile)
#include "test_project_file.moc"
