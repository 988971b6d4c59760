#include "document/edit_commands.h"
#include "model/project_file.h"
#include "report/settings_file.h"
#include "shell/cls_resize.h"
#include "shell/dialogs.h"
#include "shell/modzant.h"
#include "shell/translations.h"
#include "shell/twips.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "support/project_builder.h"

#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
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

    // One way out: only unsaved changes are asked about; then every window of the program
    // closes (the network and Gantt windows too) and the closing splash, or nothing, is left.
    void exitAsksOnlyAboutUnsavedChanges_data()
    {
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("splashLoaded");
        QTest::addColumn<bool>("leaves");
        QTest::newRow("nothing unsaved: no question") << false << -1 << true << true;
        QTest::newRow("unsaved, Non salvare") << true << int(SaveChoice::Discard) << true << true;
        QTest::newRow("unsaved, Annulla: everything stays")
            << true << int(SaveChoice::Cancel) << true << false;
        QTest::newRow("splash closed meanwhile: loaded anew") << false << -1 << false << true;
    }

    void exitAsksOnlyAboutUnsavedChanges()
    {
        QFETCH(bool, unsaved);
        QFETCH(int, answer);
        QFETCH(bool, splashLoaded);
        QFETCH(bool, leaves);
        App a;
        int ended = 0;
        a.app.endProcess = [&ended] { ++ended; };
        for (const QString& name : {win::reticolo, win::gantt}) {
            a.app.registerWindow(name, [&a, name](ModZANT&) {
                a.created << name;
                return new QWidget;
            });
        }
        if (splashLoaded)
            a.app.showWindow(win::frmSplash);
        for (const QString& name : {win::dati, win::informa, win::reticolo, win::gantt})
            a.app.showWindow(name);
        if (unsaved)
            a.app.edit<SetDescriptionCommand>(1, QString("Inizio"), a.app.newEditSession());
        if (answer >= 0)
            a.dialogs->saveAnswers.push_back(SaveChoice(answer));
        QSignalSpy returned(&a.app, &ModZANT::splashReturned);

        QCOMPARE(a.app.ConfirmExit(nullptr), leaves);
        QVERIFY(a.dialogs->questions.isEmpty());
        QCOMPARE(a.dialogs->saveQuestions,
                 unsaved ? QStringList{"ZANT|Salvare le modifiche al progetto?"} : QStringList());
        for (const QString& name : {win::dati, win::informa, win::reticolo, win::gantt})
            QCOMPARE(a.app.isLoaded(name), !leaves);
        // Windows never opened are not made just to be closed.
        QVERIFY(!a.created.contains(win::risultati));
        QVERIFY(!a.created.contains(win::sommario));
        QCOMPARE(a.app.isLoaded(win::frmSplash), splashLoaded || leaves);
        QCOMPARE(returned.count(), leaves ? 1 : 0);
        // A splash loaded anew starts its own music; a paused one is resumed.
        QCOMPARE(a.music->commands, leaves && splashLoaded ? QStringList{"play"} : QStringList());
        // The closing splash ends the program, not the exit itself.
        QCOMPARE(ended, 0);
        if (leaves) {
            a.app.endProgram();
            QCOMPARE(ended, 1);
            QVERIFY(!a.app.isLoaded(win::frmSplash));
        }
    }

    void recentFilesKeepTheLastEight()
    {
        QTemporaryDir dir;
        App a;
        const QString settings = dir.filePath("conf/zant.ini");
        a.app.useSettingsFile(settings);
        QVERIFY(a.app.recentFiles().isEmpty());
        QStringList paths;
        for (int i = 1; i <= 10; ++i) {
            paths << dir.filePath(QString("ZANT-dati-%1.txt").arg(i));
            Project p;
            p.setEventCount(1);
            p.setEvent(1, Event{QString("Inizio"), {}});
            QVERIFY(writeProjectFile(paths.last(), p, TitlePage()).ok());
            QVERIFY(a.app.openProject(paths.last()).ok());
        }
        // Opening one again brings it to the top, once.
        QVERIFY(a.app.openProject(paths[4]).ok());
        const QStringList expected{paths[4], paths[9], paths[8], paths[7],
                                   paths[6], paths[5], paths[3], paths[2]};
        QCOMPARE(a.app.recentFiles(), expected);
        // Kept in the settings file for the next run.
        App again;
        again.app.useSettingsFile(settings);
        QCOMPARE(again.app.recentFiles(), expected);
        again.app.forgetRecentFile(paths[9]);
        QCOMPARE(readRecentFiles(settings).size(), 7);
        QVERIFY(!readRecentFiles(settings).contains(paths[9]));
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
        // The window grew by 900 twips: the control keeps its distance from the bottom.
        QTest::newRow("B follows the bottom edge") << "@L,W,B" << twipsRect(600, 1500, 300, 150);
        QTest::newRow("B wins over T") << "@T,B" << twipsRect(300, 1500, 150, 150);
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

    void saveQuestion_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("file"); // "" no name yet, "ok" writable, "bad" unwritable
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<bool>("stillModified");
        QTest::newRow("nothing changed: nobody is asked") << false << -1 << "" << true << false;
        QTest::newRow("Annulla stops") << true << int(SaveChoice::Cancel) << "ok" << false << true;
        QTest::newRow("Non salvare goes on, changes kept in memory")
            << true << int(SaveChoice::Discard) << "ok" << true << true;
        QTest::newRow("Salva writes and goes on")
            << true << int(SaveChoice::Save) << "ok" << true << false;
        QTest::newRow("Salva with the name dialog cancelled stops")
            << true << int(SaveChoice::Save) << "" << false << true;
        QTest::newRow("Salva that fails stops, still modified")
            << true << int(SaveChoice::Save) << "bad" << false << true;
    }

    void saveQuestion()
    {
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(QString, file);
        QFETCH(bool, goesOn);
        QFETCH(bool, stillModified);
        App a;
        QTemporaryDir dir;
        giveProject(a.app, buildProject("2: 1>2=3"), titlePageWith(TitlePage::progetto, "Scuola"));
        if (file == "ok")
            giveDataFile(a.app, dir.filePath("ZANT-dati-scuola"));
        else if (file == "bad")
            giveDataFile(a.app, dir.filePath("no/such/folder/ZANT-dati-scuola"));
        if (modified)
            a.app.edit<SetStartDateCommand>(QString("02/01/1990"));
        if (answer >= 0)
            a.dialogs->saveAnswers.push_back(SaveChoice(answer));

        QCOMPARE(a.app.maybeSaveChanges(nullptr), goesOn);
        QCOMPARE(a.dialogs->saveQuestions.size(), modified ? 1 : 0);
        if (modified)
            QCOMPARE(a.dialogs->saveQuestions.first(),
                     QString("ZANT|Salvare le modifiche al progetto?"));
        QCOMPARE(a.app.isModified(), stillModified);
        QCOMPARE(a.app.project().startDateText(), QString(modified ? "02/01/1990" : "01/01/1990"));
        if (file == "bad") {
            QCOMPARE(a.dialogs->messages.size(), size_t(1));
            QVERIFY(!QFile::exists(a.app.currentDataFile()));
        }
        if (answer == int(SaveChoice::Save) && file == "ok")
            QVERIFY(readProjectFile(a.app.currentDataFile()));
    }

    void qtDialogsSpeakItalian()
    {
        QVERIFY(installItalianTranslations(*QCoreApplication::instance()));
        QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Save | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("Annulla"));
        QCOMPARE(box.button(QMessageBox::Save)->text(), QString("Salva"));
        QFileDialog dialog(nullptr, "Apri file");
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const auto labels = dialog.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [](QLabel* l) { return l->text().contains("Cerca in"); }));
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
