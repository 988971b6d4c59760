#include "model/cp1252.h"
#include "model/title_page.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;

Q_DECLARE_METATYPE(zant::MessageKind)

namespace {

TitlePage filled()
{
    TitlePage t;
    t.fields = {"Magazzino comunale",
                "Pratoselva, via Roma",
                "ipotesi situazione di progetto",
                "Comune di Pratoselva",
                "Ufficio tecnico",
                "lunedì, 7 dic 2026",
                "tavole"};
    return t;
}

} // namespace

class TestTitlePage final : public QObject
{
    Q_OBJECT

private slots:
    void check_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("text");
        QTest::addColumn<MessageKind>("kind");
        QTest::newRow("only the automatic date")
            << QStringList{"", "", "", "", "", "lunedì, 7 dic 2026", ""}
            << "Non è stato immesso alcun dato." << MessageKind::Question;
        QTest::newRow("after clear, date empty too")
            << QStringList{"", "", "", "", "", "", ""} << "Non è stato immesso alcun dato."
            << MessageKind::Question;
        QTest::newRow("only luogo") << QStringList{"", "", "", "", "Ufficio", "", ""}
                                    << "Inserire dati per ogni campo." << MessageKind::Exclamation;
        QTest::newRow("all but the date")
            << QStringList{"a", "b", "c", "d", "e", "", "g"} << "Inserire dati per ogni campo."
            << MessageKind::Exclamation;
        QTest::newRow("all filled")
            << QStringList{"a", "b", "c", "d", "e", "f", "g"}
            << "I dati sono stati immessi correttamente." << MessageKind::Information;
    }

    void check()
    {
        QFETCH(QStringList, fields);
        QFETCH(QString, text);
        QFETCH(MessageKind, kind);
        TitlePage t;
        for (int f = 0; f < TitlePage::kFieldCount; ++f)
            t.fields[f] = fields[f];
        const Message m = checkTitlePage(t);
        QCOMPARE(m.text, text);
        QCOMPARE(m.kind, kind);
    }

    void lengthWarning()
    {
        QVERIFY(!fieldLengthWarning(QString(60, 'x')));
        const auto warning = fieldLengthWarning(QString(61, 'x'));
        QVERIFY(warning);
        QCOMPARE(warning->text,
                 QString("Per una stampa corretta non digitare dati lunghi più di 60 spazi."));
        QCOMPARE(warning->kind, MessageKind::Exclamation);
    }

    void fileRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-front-prova");
        TitlePage t = filled();
        t[TitlePage::allegati] = "planimetria, foto, grafici";
        QVERIFY(writeTitlePageFile(path, t).ok());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.count("\r\n"), 1);
        QVERIFY(bytes.startsWith("\"Magazzino comunale\",\"Pratoselva, via Roma\","));
        QVERIFY(bytes.contains(encodeCp1252("lunedì")));
        const auto back = readTitlePageFile(path);
        QVERIFY(back.ok());
        QCOMPARE(back.value(), t);
    }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("unquoted items with blanks")
            << QByteArray(" a , b,c,d,e,f,g\r\n") << QStringList{"a", "b", "c", "d", "e", "f", "g"};
        QTest::newRow("items over several lines")
            << QByteArray("\"a\",\"b\"\n\"c\"\r\"d\",\"e\",\"f\",\"g\"")
            << QStringList{"a", "b", "c", "d", "e", "f", "g"};
        QTest::newRow("extra items are ignored") << QByteArray("1,2,3,4,5,6,7,8,9\r\n")
                                                 << QStringList{"1", "2", "3", "4", "5", "6", "7"};
        QTest::newRow("empty quoted items") << QByteArray("\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n")
                                            << QStringList{"", "", "", "", "", "", ""};
    }

    void reads()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, fields);
        const auto t = parseTitlePageData(bytes, "f");
        QVERIFY(t.ok());
        for (int f = 0; f < TitlePage::kFieldCount; ++f)
            QCOMPARE(t.value().fields[f], fields[f]);
    }

    void refuses_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty file") << QByteArray() << "contiene 0 campi invece di 7";
        QTest::newRow("six items")
            << QByteArray("a,b,c,d,e,f\r\n") << "contiene 6 campi invece di 7";
        QTest::newRow("unclosed quote")
            << QByteArray("\"a,b,c,d,e,f,g\r\n") << "virgolette non chiuse";
    }

    void refuses()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const auto t = parseTitlePageData(bytes, "ZANT-front-x");
        QVERIFY(!t.ok());
        QVERIFY2(t.error().text.contains(expected), qPrintable(t.error().text));
        QVERIFY(t.error().text.contains("ZANT-front-x"));
    }

    void failedSaveLeavesOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-front-vecchio");
        QVERIFY(writeTitlePageFile(path, filled()).ok());
        TitlePage other = filled();
        other[TitlePage::luogo] = "Ufficio\r\ntecnico ≥ 2";
        // A folder where the temporary file would go: the save fails, the old file stays.
        QVERIFY(QDir(dir.path()).mkdir("ZANT-front-vecchio.d"));
        const auto refusal = writeTitlePageFile(dir.filePath("ZANT-front-vecchio.d"), other);
        QVERIFY(!refusal.ok());
        QCOMPARE(readTitlePageFile(path).value(), filled());
        // Saved where it can be, every character comes back.
        QVERIFY(writeTitlePageFile(path, other).ok());
        QCOMPARE(readTitlePageFile(path).value(), other);
    }
};

QTEST_GUILESS_MAIN(TestTitlePage)
#include "test_title_page.moc"
