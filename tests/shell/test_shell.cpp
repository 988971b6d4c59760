#include "shell/cls_resize.h"
#include "shell/dialogs.h"
#include "shell/edit_commands.h"
#include "shell/modzant.h"
#include "shell/twips.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"

#include <QLabel>
#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>

using namespace zant;
using namespace zant::test;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

struct App
{
    FakeDialogs* dialogs = new FakeDialogs;
    FakeMusicPlayer* music = new FakeMusicPlayer;
    ModZANT app{std::unique_ptr<Dialogs>(dialogs), std::make_unique<FakeDocumentOutput>(),
                std::unique_ptr<MusicPlayer>(music), OfficeSettings{"Studio", "Via"}};
    QStringList created;

    App()
    {
        for (const QString& name : {win::dati, win::risultati, win::frontespizio, win::sommario,
                                    win::informa, win::frmSplash}) {
            app.registerWindow(name, [this, name](ModZANT&) {
                created << name;
                return new QWidget;
            });
        }
    }
};

// A window designed at 1200 x 900 twips with three controls.
struct Designed
{
    QWidget window;
    QLabel* a = new QLabel(&window);
    QLabel* b = new QLabel(&window);
    QLabel* tagged = new QLabel(&window);

    Designed()
    {
        window.resize(twipsToPixels(1200), twipsToPixels(900));
        a->setGeometry(twipsRect(150, 150, 300, 150));
        b->setGeometry(twipsRect(600, 450, 450, 300));
        tagged->setGeometry(twipsRect(300, 600, 150, 150));
        tagged->setProperty("Tag", "@L,T");
    }
};

} // namespace

class TestShell final : public QObject
{
    Q_OBJECT

private slots:
    void constantsAndTitles()
    {
        App a;
        QCOMPARE(a.app.constants().productName, QString("ZANT"));
        QCOMPARE(a.app.constants().versionText, QString("3.04.05"));
        QCOMPARE(a.app.constants().messageTitle,
                 QString("ZANT: controllo dati immessi nella finestra attiva"));
        QCOMPARE(a.app.constants().helpTitle, QString("ZANT: aiuto in linea"));
        QCOMPARE(a.app.constants().deleteDialogTitle,
                 QString("Elimina: seleziona il file desiderato e clicca su Apri per cancellarlo"));
    }

    void windowsAreCreatedOnFirstReferenceOnly()
    {
        App a;
        QVERIFY(!a.app.isLoaded(win::dati));
        QWidget* first = a.app.window(win::dati);
        QCOMPARE(a.app.window(win::dati), first);
        QCOMPARE(a.created, QStringList{win::dati});
        a.app.unloadWindow(win::risultati); // not loaded: nothing is made
        QCOMPARE(a.created, QStringList{win::dati});
        QVERIFY(!a.app.window("nessuna"));
    }

    void exitAnsweredNo()
    {
        App a;
        a.app.showWindow(win::dati);
        a.app.showWindow(win::informa);
        a.app.ConfirmExit(nullptr);
        QCOMPARE(a.dialogs->questions,
                 QStringList{
                     "Attenzione: i dati non archiviati andranno persi !|Vuoi uscire da ZANT?|No"});
        QVERIFY(a.app.isLoaded(win::dati));
        QVERIFY(a.app.isLoaded(win::informa));
        QVERIFY(a.music->commands.isEmpty());
    }

    void exitAnsweredYes()
    {
        App a;
        a.app.showWindow(win::frmSplash);
        a.app.showWindow(win::dati);
        a.app.showWindow(win::informa);
        a.app.edit<SetDescriptionCommand>(1, QString("Inizio"), a.app.newEditSession());
        QSignalSpy returned(&a.app, &ModZANT::splashReturned);
        a.dialogs->answers.push_back(true);
        a.app.ConfirmExit(nullptr);
        QVERIFY(!a.app.isLoaded(win::dati));
        QVERIFY(!a.app.isLoaded(win::informa));
        // Windows never opened are not made just to be closed.
        QVERIFY(!a.created.contains(win::risultati));
        QVERIFY(!a.created.contains(win::sommario));
        QVERIFY(a.app.isLoaded(win::frmSplash));
        QCOMPARE(a.music->commands, QStringList{"play"});
        QCOMPARE(returned.count(), 1);
        // The project stays in memory for the next click on the splash.
        QCOMPARE(a.app.project().eventCount(), 1);
    }

    void exitBringsBackAClosedSplash()
    {
        App a;
        a.app.showWindow(win::dati);
        a.dialogs->answers.push_back(true);
        a.app.ConfirmExit(nullptr);
        QVERIFY(a.app.isLoaded(win::frmSplash));
        // A splash loaded anew starts its own music, so nothing more is sent here.
        QVERIFY(a.music->commands.isEmpty());
    }

    void greyReachesWindowsLoadedLater()
    {
        App a;
        QWidget* dati = a.app.window(win::dati);
        a.app.greyMainWindows();
        QCOMPARE(background(dati), kLightGrey);
        QVERIFY(!a.created.contains(win::risultati));
        QWidget later;
        a.app.applyMainBackground(&later);
        QCOMPARE(background(&later), kLightGrey);
    }

    void fileFilters_data()
    {
        QTest::addColumn<QString>("filters");
        QTest::addColumn<QStringList>("qt");
        QTest::newRow("open data file")
            << "Tutti i file (*.*) | *.*|File ZANT-dati- | ZANT-dati-*"
            << QStringList{"Tutti i file (*)", "File ZANT-dati- (ZANT-dati-*)"};
        QTest::newRow("delete, without blanks")
            << "Tutti i file (*.*)|*.*|File ZANT-front- | ZANT-front-*"
            << QStringList{"Tutti i file (*)", "File ZANT-front- (ZANT-front-*)"};
        QTest::newRow("save") << "File ZANT-dati- | ZANT-dati-*"
                              << QStringList{"File ZANT-dati- (ZANT-dati-*)"};
    }

    void fileFilters()
    {
        QFETCH(QString, filters);
        QFETCH(QStringList, qt);
        QCOMPARE(qtFileFilters(filters), qt);
    }

    void sizeFormToScreen()
    {
        // A 15360 x 11520 twip screen: 75 % is 11520 x 8640, centred at 1920, 1440.
        QMainWindow window;
        auto* central = new QWidget;
        window.setCentralWidget(central);
        clsResize resize;
        resize.screenSizeTwips = [] { return QSize(15360, 11520); };
        resize.setSourceForm(&window);
        resize.SizeFormToScreen(75);
        QCOMPARE(window.pos(), QPoint(twipsToPixels(1920), twipsToPixels(1440)));
        QCOMPARE(window.size(), QSize(twipsToPixels(11520), twipsToPixels(8640)));
        QVERIFY(!resize.needsLayout());
    }

    void resizeScalesFromTheDesign()
    {
        Designed d;
        clsResize resize;
        resize.setSourceForm(&d.window);
        resize.ResizeControls(); // the first pass only records
        QVERIFY(!resize.needsLayout());
        QCOMPARE(resize.designWidth(), 1200);
        QCOMPARE(resize.designHeight(), 900);
        const QRect designA = d.a->geometry();
        const QRect designB = d.b->geometry();
        const QRect designTagged = d.tagged->geometry();

        d.window.resize(twipsToPixels(600), twipsToPixels(450));
        resize.ResizeControls();
        QCOMPARE(d.a->geometry(), twipsRect(75, 75, 150, 75));
        QCOMPARE(d.b->geometry(), twipsRect(300, 225, 225, 150));
        // "@L,T": moves with the window, keeps its design size.
        QCOMPARE(d.tagged->geometry(), twipsRect(150, 300, 150, 150));

        d.window.resize(twipsToPixels(1200), twipsToPixels(900));
        resize.ResizeControls();
        QCOMPARE(d.a->geometry(), designA);
        QCOMPARE(d.b->geometry(), designB);
        QCOMPARE(d.tagged->geometry(), designTagged);
    }

    void tagsChooseWhatScales_data()
    {
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("no tag scales everything") << "" << twipsRect(600, 1200, 300, 300);
        QTest::newRow("a tag without @ scales everything") << "L" << twipsRect(600, 1200, 300, 300);
        QTest::newRow("@ alone keeps the design") << "@" << twipsRect(300, 600, 150, 150);
        QTest::newRow("width and height only") << "@W,H" << twipsRect(300, 600, 300, 300);
        QTest::newRow("lower case letters do not count")
            << "@l,t,w,h" << twipsRect(300, 600, 150, 150);
    }

    void tagsChooseWhatScales()
    {
        QFETCH(QString, tag);
        QFETCH(QRect, expected);
        Designed d;
        d.tagged->setProperty("Tag", tag);
        clsResize resize;
        resize.setSourceForm(&d.window);
        resize.RecordLayout();
        d.window.resize(twipsToPixels(2400), twipsToPixels(1800));
        resize.ResizeControls();
        QCOMPARE(d.tagged->geometry(), expected);
    }

    void minimisedAndEmptyWindowsAreLeftAlone()
    {
        Designed d;
        clsResize resize;
        resize.setSourceForm(&d.window);
        d.window.resize(0, 0);
        resize.RecordLayout();
        QCOMPARE(resize.designWidth(), 0);
        const QRect before = d.a->geometry();
        d.window.resize(twipsToPixels(2400), twipsToPixels(1800));
        resize.ResizeControls();
        QCOMPARE(d.a->geometry(), before);

        Designed m;
        clsResize other;
        other.setSourceForm(&m.window);
        other.RecordLayout();
        m.window.showMinimized();
        m.window.resize(twipsToPixels(2400), twipsToPixels(1800));
        other.ResizeControls();
        if (m.window.isMinimized())
            QCOMPARE(m.a->geometry(), twipsRect(150, 150, 300, 150));
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
