#include "cli/cli.h"
#include "support/cli_run.h"
#include "support/docx_package.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::Run;
using zant::test::run;

namespace {

const QByteArray kTitle = "\"Palestra\",\"\",\"\",\"\",\"Pratoselva\",\"01/02/2027\",\"\"\r\n";

// Three activities with amounts in the extended section: 10.000,00, 2.500,50 and 0,01 euro.
const QByteArray kNetwork = "\"01/03/2027\",3\r\n"
                            "\"A\",2\r\n\"2\",\"30\"\r\n\"3\",\"10\"\r\n"
                            "\"B\",1\r\n\"3\",\"20\"\r\n"
                            "\"C\",0\r\n" +
                            kTitle +
                            "ZANT-SEZIONE-ESTESA;1\r\n"
                            "IMPORTO;1;1;1000000\r\nIMPORTO;1;2;250050\r\nIMPORTO;2;1;1\r\n"
                            "FINE;3\r\n";

// Event 2 has no links and is not the final one: the check refuses the data.
const QByteArray kRefused = "\"01/03/2027\",3\r\n"
                            "\"A\",1\r\n\"3\",\"30\"\r\n"
                            "\"B\",0\r\n"
                            "\"C\",0\r\n" +
                            kTitle;

} // namespace

class TestCliCronoprogramma final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_file;
    QString m_refused;
    QString m_config;

    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase()
    {
        m_file = write(QStringLiteral("ZANT-dati-palestra.txt"), kNetwork);
        m_refused = write(QStringLiteral("ZANT-dati-rifiutati.txt"), kRefused);
        m_config =
            write(QStringLiteral("studio.ini"), "[studio]\nnome=Studio Neri\nindirizzo=Via Po 2\n"
                                                "progettista=Arch. Luca Neri\n");
    }

    void refusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        const QString out = QStringLiteral("OUT");
        QTest::newRow("no output")
            << QStringList{"FILE"} << 2 << "manca -o OUT.docx oppure --pdf OUT.pdf";
        QTest::newRow("both outputs") << QStringList{"FILE", "-o", "a.docx", "--pdf", "a.pdf"} << 2
                                      << "-o e --pdf non vanno insieme";
        QTest::newRow("months and amount")
            << QStringList{"FILE", "-o", "OUT", "--sal-mesi", "2", "--sal-importo", "1000"} << 2
            << "--sal-mesi e --sal-importo non vanno insieme";
        QTest::newRow("months not a number")
            << QStringList{"FILE", "-o", "OUT", "--sal-mesi", "due"} << 2
            << "numero di mesi dei SAL non valido: due (da 1 a 120)";
        QTest::newRow("months zero") << QStringList{"FILE", "-o", "OUT", "--sal-mesi", "0"} << 2
                                     << "numero di mesi dei SAL non valido: 0 (da 1 a 120)";
        QTest::newRow("amount with three decimals")
            << QStringList{"FILE", "-o", "OUT", "--sal-importo", "1000,001"} << 2
            << "importo dei SAL non valido: 1000,001 (es. 150.000,00)";
        QTest::newRow("amount zero") << QStringList{"FILE", "-o", "OUT", "--sal-importo", "0"} << 2
                                     << "importo dei SAL non valido: 0 (es. 150.000,00)";
        QTest::newRow("negative minimum")
            << QStringList{"FILE", "-o", "OUT", "--sal-minimo", "-5"} << 2
            << "importo minimo dei SAL non valido: -5 (es. 50.000,00)";
        QTest::newRow("data refused by the check")
            << QStringList{"REFUSED", "-o", "OUT"} << 1 << "";
        QTest::newRow("missing data file") << QStringList{"MISSING", "-o", "OUT"} << 2 << "";
        Q_UNUSED(out);
    }

    void refusals()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, message);
        const QString output = m_dir.filePath(QStringLiteral("rifiutato.docx"));
        for (QString& a : args) {
            if (a == QLatin1String("FILE"))
                a = m_file;
            else if (a == QLatin1String("REFUSED"))
                a = m_refused;
            else if (a == QLatin1String("MISSING"))
                a = m_dir.filePath(QStringLiteral("non-esiste.txt"));
            else if (a == QLatin1String("OUT"))
                a = output;
        }
        args << QStringLiteral("--config") << m_config;
        const Run r = run(QStringList{QStringLiteral("cronoprogramma")} + args);
        QCOMPARE(r.code, code);
        if (!message.isEmpty())
            QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(!QFile::exists(output));
    }

    void writes_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("sal");
        QTest::newRow("Word, SAL every month") << "-o"
                                               << "crono.docx" << QStringList{};
        QTest::newRow("Word, SAL by amount")
            << "-o"
            << "crono-importo.docx" << QStringList{"--sal-importo", "5.000,00"};
        QTest::newRow("PDF, SAL every two months") << "--pdf"
                                                   << "crono.pdf" << QStringList{"--sal-mesi", "2"};
    }

    void writes()
    {
        QFETCH(QString, option);
        QFETCH(QString, name);
        QFETCH(QStringList, sal);
        const QString output = m_dir.filePath(name);
        const Run r = run(QStringList{QStringLiteral("cronoprogramma"), m_file, option, output,
                                      QStringLiteral("--config"), m_config} +
                          sal);
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("scritto %1\n").arg(output));
        QFile f(output);
        QVERIFY(f.open(QIODevice::ReadOnly));
        if (option == QLatin1String("--pdf")) {
            QVERIFY(f.read(4) == "%PDF");
            return;
        }
        zant::test::DocxPackage package;
        QString error;
        QVERIFY2(package.open(output, &error), qPrintable(error));
        const QString document =
            QString::fromUtf8(package.entry(QStringLiteral("word/document.xml")));
        QVERIFY(document.contains(QStringLiteral("Arch. Luca Neri")));
        QVERIFY(document.contains(QStringLiteral("Pratoselva, 1 febbraio 2027")));
        QVERIFY(document.contains(QStringLiteral("12.500,51")));
        QVERIFY(document.contains(QStringLiteral("SAL n.")));
    }
};

QTEST_MAIN(TestCliCronoprogramma)
#include "test_cli_cronoprogramma.moc"
