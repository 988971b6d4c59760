#include "cli/cli.h"
#include "support/cli_run.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::Run;
using zant::test::run;

namespace {

// The document part of a package, read with unzip.
QString documentXml(const QString& docx)
{
    QProcess unzip;
    unzip.start("unzip", {"-p", docx, "word/document.xml"});
    if (!unzip.waitForFinished(10000))
        return {};
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

} // namespace

class TestCliGuide final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"guide", "--help"} << 0
                              << "uso: zant-cli guide -o OUT.docx"
                              << "";
        QTest::newRow("no output") << QStringList{"guide"} << 2 << ""
                                   << "manca -o OUT.docx";
        QTest::newRow("a file is not wanted")
            << QStringList{"guide", "dati.txt", "-o", "g.docx"} << 2 << ""
            << "argomento in più: dati.txt";
        QTest::newRow("unknown option")
            << QStringList{"guide", "--direct", "-o", "g.docx"} << 2 << ""
            << "opzione sconosciuta: --direct";
        QTest::newRow("listed in the usage") << QStringList{"--help"} << 0 << "  guide -o OUT.docx"
                                             << "";
    }

    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run r = run(args);
        QCOMPARE(r.code, code);
        if (!out.isEmpty())
            QVERIFY2(r.out.contains(out), qPrintable(r.out));
        if (!err.isEmpty())
            QVERIFY2(r.err.contains(err), qPrintable(r.err));
    }

    void writesTheGuide()
    {
        const QString path = m_dir.filePath("guida.docx");
        const Run r = run({"guide", "-o", path});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, "scritto " + path + "\n");
        const QString xml = documentXml(path);
        QCOMPARE(xml.count("Guida: "), 7);
        QVERIFY(xml.contains("Schema di reticolo ZANT"));
        QCOMPARE(xml.count("<w:drawing>"), 1);
    }

    void unwritableOutput()
    {
        const Run r = run({"guide", "-o", m_dir.filePath("manca/guida.docx")});
        QCOMPARE(r.code, 2);
        QVERIFY(r.err.startsWith("zant-cli: "));
    }

    // The program itself, which must give the drawing of the network a GUI application.
    void programWritesTheGuide()
    {
        const QString path = m_dir.filePath("programma.docx");
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_QPA_PLATFORM");
        env.remove("DISPLAY");
        cli.setProcessEnvironment(env);
        cli.start(ZANT_CLI_PATH, {"guide", "-o", path});
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(documentXml(path).count("Guida: "), 7);
    }
};

QTEST_MAIN(TestCliGuide)
#include "test_cli_guide.moc"
