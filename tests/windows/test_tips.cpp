#include "model/cp1252.h"
#include "shell/modzant.h"
#include "support/fake_services.h"
#include "windows/frmTip.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

const QString kMissingText =
    "Impossibile trovare il file SuggerimentiZANT.TXT\r\n\r\nCreare un file di testo denominato "
    "SuggerimentiZANT.TXT utilizzando il Blocco note e inserendo un suggerimento per ogni riga. "
    "Inserire il file nella stessa directory dell'applicazione. ";

struct TipsFile
{
    QTemporaryDir dir;
    QString path = dir.filePath("SuggerimentiZANT.TXT");

    explicit TipsFile(const QByteArray& bytes) { write(bytes); }
    void write(const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qWarning() << "cannot write" << path;
    }
};

} // namespace

class TestTips final : public QObject
{
    Q_OBJECT

private slots:
    void readingTheFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("tips");
        QTest::newRow("three lines, CR LF")
            << QByteArray("uno\r\ndue\r\ntre\r\n") << QStringList{"uno", "due", "tre"};
        QTest::newRow("line feeds only")
            << QByteArray("uno\ndue\ntre\n") << QStringList{"uno", "due", "tre"};
        QTest::newRow("lone carriage returns")
            << QByteArray("uno\rdue\rtre") << QStringList{"uno", "due", "tre"};
        QTest::newRow("last line without an end")
            << QByteArray("uno\r\ndue") << QStringList{"uno", "due"};
        QTest::newRow("empty middle line")
            << QByteArray("uno\r\n\r\ntre\r\n") << QStringList{"uno", "", "tre"};
        QTest::newRow("empty line at the end")
            << QByteArray("uno\r\n\r\n") << QStringList{"uno", ""};
        QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("windows-1252 accents")
            << QByteArray("perch\xe9 \x80\r\nattivit\xe0") << QStringList{"perché €", "attività"};
        QTest::newRow("utf-8 accents")
            << QByteArray("perché\nattività") << QStringList{"perché", "attività"};
        QTest::newRow("blanks are kept")
            << QByteArray("  rientro \r\n") << QStringList{"  rientro "};
    }

    void readingTheFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, tips);
        TipsFile file(bytes);
        frmTip w(file.path);
        QCOMPARE(w.tipList(), tips);
        // The first tip is on show; an empty file shows nothing and no complaint.
        QCOMPARE(w.lblTipText()->text(), tips.isEmpty() ? QString() : tips.first());
    }

    void steppingThroughThreeTips()
    {
        TipsFile file("uno\r\ndue\r\ntre\r\n");
        frmTip w(file.path);
        QStringList shown{w.lblTipText()->text()};
        for (int i = 0; i < 4; ++i) {
            QTest::mouseClick(w.cmdNextTip(), Qt::LeftButton);
            shown << w.lblTipText()->text();
        }
        QCOMPARE(shown, QStringList({"uno", "due", "tre", "uno", "due"}));
        QTest::mouseClick(w.cmdprecedente(), Qt::LeftButton);
        QCOMPARE(w.lblTipText()->text(), QString("uno"));
        QCOMPARE(w.tipIndex(), 1);
        // No wrap backwards.
        QTest::mouseClick(w.cmdprecedente(), Qt::LeftButton);
        QCOMPARE(w.lblTipText()->text(), QString("uno"));
        QCOMPARE(w.tipIndex(), 1);
    }

    void emptyMiddleTipIsShown()
    {
        TipsFile file("uno\r\n\r\ntre\r\n");
        frmTip w(file.path);
        w.cmdNextTip_Click();
        QCOMPARE(w.lblTipText()->text(), QString());
        QCOMPARE(w.tipIndex(), 2);
        w.cmdNextTip_Click();
        QCOMPARE(w.lblTipText()->text(), QString("tre"));
    }

    void nothingToShow_data()
    {
        QTest::addColumn<bool>("missing");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty file") << false << QString();
        QTest::newRow("missing file") << true << kMissingText;
    }

    void nothingToShow()
    {
        QFETCH(bool, missing);
        QFETCH(QString, text);
        TipsFile file("");
        if (missing)
            QFile::remove(file.path);
        frmTip w(file.path);
        QCOMPARE(w.lblTipText()->text(), text);
        w.cmdNextTip_Click();
        w.cmdprecedente_Click();
        w.cmdNextTip_Click();
        QCOMPARE(w.lblTipText()->text(), text);
        QVERIFY(w.tipList().isEmpty());
    }

    void unreadableFileCountsAsMissing()
    {
        // A folder of that name cannot be read as a file.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("SuggerimentiZANT.TXT"));
        frmTip w(dir.filePath("SuggerimentiZANT.TXT"));
        QCOMPARE(w.lblTipText()->text(), kMissingText);
    }

    void hidingAndReopeningKeepsTheTip()
    {
        TipsFile file("uno\r\ndue\r\ntre\r\n");
        ModZANT app(std::make_unique<FakeDialogs>(), std::make_unique<FakeDocumentOutput>(),
                    std::make_unique<FakeMusicPlayer>(), OfficeSettings{});
        const QString path = file.path;
        app.registerWindow(win::frmTip, [path](ModZANT&) { return new frmTip(path); });
        app.showWindow(win::frmTip);
        auto* w = app.windowAs<frmTip>(win::frmTip);
        w->cmdNextTip_Click();
        QTest::mouseClick(w->cmdOK(), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QVERIFY(app.isLoaded(win::frmTip));

        // The file is read once: a change is seen only by a new window.
        file.write("nuovo\r\n");
        app.showWindow(win::frmTip);
        QCOMPARE(app.windowAs<frmTip>(win::frmTip), w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->lblTipText()->text(), QString("due"));
        app.unloadWindow(win::frmTip);
        app.showWindow(win::frmTip);
        QCOMPARE(app.windowAs<frmTip>(win::frmTip)->lblTipText()->text(), QString("nuovo"));
    }

    void windowContents()
    {
        TipsFile file("uno\r\n");
        frmTip w(file.path);
        QCOMPARE(w.windowTitle(), QString("Suggerimento del giorno"));
        QCOMPARE(w.Label1()->text(), QString("Non tutti sanno che..."));
        QCOMPARE(w.cmdprecedente()->text(), QString("&Precedente"));
        QCOMPARE(w.cmdNextTip()->text(), QString("&Successivo"));
        QCOMPARE(w.cmdOK()->text(), QString("&Chiudi"));
        QVERIFY(!w.Picture1()->pixmap().isNull());
    }

    void bundledTips()
    {
        frmTip w(QStringLiteral(ZANT_SOURCE_DIR "/resources/SuggerimentiZANT.TXT"));
        QVERIFY(w.tipList().size() >= 20);
        for (const QString& tip : w.tipList()) {
            QVERIFY2(tip.trimmed().size() > 20, qPrintable(tip));
            // Read with the right encoding: no replacement characters and no UTF-8 read as
            // Windows-1252.
            QVERIFY2(!tip.contains(QChar::ReplacementCharacter) && !tip.contains(u'Ã'),
                     qPrintable(tip));
        }
        QCOMPARE(w.lblTipText()->text(), w.tipList().first());
    }
};

QTEST_MAIN(TestTips)
#include "test_tips.moc"
