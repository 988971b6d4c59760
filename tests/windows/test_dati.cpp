#include "document/edit_commands.h"
#include "model/project_file.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "support/project_builder.h"
#include "support/window_controls.h"
#include "windows/dati.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;
using zant::test::describeLinks;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

struct Fixture : zant::test::AppWithFakes
{
    dati* window = nullptr;
    DataWindowControls ui{nullptr};

    explicit Fixture(const Project& project = Project())
    {
        giveProject(app, project);
        app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
        window = app.windowAs<dati>(win::dati);
        ui = DataWindowControls(window);
        window->show();
        QApplication::setActiveWindow(window);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window);
    }

    QString lastMessage() const { return dialogs->lastMessageText(); }
    QString passo() const { return window->passo()->text(); }
    // Clicks into an event's description and types over it, one key at a time.
    void typeDescription(int row, const QString& text) const
    {
        QTest::mouseClick(ui.even(row), Qt::LeftButton);
        QTest::keyClick(ui.even(row), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(ui.even(row), text);
    }
    // The mouse over an event's number: its links are shown. It comes from the window's corner,
    // as a mouse already resting there moves nothing.
    void hoverEvent(int row) const
    {
        QTest::mouseMove(window, QPoint(1, 1));
        QTest::mouseMove(ui.num(row));
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) const
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keyClick(target, Qt::Key(k), m);
    }
};

QString tempPath(const QTemporaryDir& dir, const QString& name)
{
    return dir.filePath(name);
}

} // namespace

class TestDati final : public QObject
{
    Q_OBJECT

private slots:
    void typingBuildsTheEventList()
    {
        Fixture f;
        f.typeDescription(1, "Inizio");
        f.typeDescription(2, "Scavi");
        QCOMPARE(f.app.project().description(1), QString("Inizio"));
        QCOMPARE(f.app.project().eventCount(), 2);
        QCOMPARE(f.ui.scrollalegami(1)->maximum(), 2);
        // Typing selects the row, as a hover does.
        QCOMPARE(f.ui.Label1()->text(), QString("Evento n. 2"));
        QCOMPARE(f.ui.Label2()->text(), QString("Evento finale senza legami"));
    }

    void typingBeyondTheFirstFreeEvent()
    {
        Fixture f(buildProject("2: 1>2=1"));
        // The first key is refused, and the focus goes where the typing can go on.
        QTest::mouseClick(f.ui.even(5), Qt::LeftButton);
        QTest::keyClick(f.ui.even(5), 'G');
        QCOMPARE(f.lastMessage(), QString("Digitare prima l'evento n. 3"));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Critical);
        QCOMPARE(f.dialogs->messages.back().title,
                 QString("ZANT: controllo dati immessi nella finestra attiva"));
        QCOMPARE(f.app.project().eventCount(), 2);
        QCOMPARE(f.ui.topEvent(), 2);
        QCOMPARE(f.ui.even(4)->text(), QString());
        // The first free event (3) stands in row 2 now, and has the focus.
        QVERIFY(f.ui.even(2)->hasFocus());
    }

    void anyTextIsTaken()
    {
        Fixture f(buildProject("2: 1>2=1"));
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        QTest::keyClick(f.ui.even(1), Qt::Key_A, Qt::ControlModifier);
        // Typed one key at a time; keyClicks knows only ASCII keys.
        for (const QChar c : QString("Trave \"HEB\" ≥ 28 gg")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(f.ui.even(1), &press);
        }
        QCOMPARE(f.app.project().description(1), QString("Trave \"HEB\" ≥ 28 gg"));
        QVERIFY(f.dialogs->messages.empty());
    }

    void linkRefusals_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::newRow("target before the previous slot") << "target row 3"
                                                         << "Scegliere prima il legame n. 2";
        QTest::newRow("duration without a target")
            << "days row 2"
            << "Scegliere prima il legame a cui corrispondono i tempi.";
    }

    void linkRefusals()
    {
        QFETCH(QString, action);
        QFETCH(QString, message);
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        f.hoverEvent(1);
        const int row = action.section(' ', 2).toInt();
        // One click on the bar's right arrow.
        if (action.startsWith("target"))
            clickBar(f.ui.scrollalegami(row), QStyle::SC_ScrollBarAddLine);
        else
            clickBar(f.ui.scrollagiorni(row), QStyle::SC_ScrollBarAddLine);
        QCOMPARE(f.lastMessage(), message);
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 2>3=1"));
        QCOMPARE(f.ui.leg(3)->text(), QString());
        QCOMPARE(f.ui.gior(2)->text(), QString());
    }

    void pickingTargetAndDuration()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        f.hoverEvent(1);
        moveBar(f.ui.scrollalegami(2), 3);
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 1>3 2>3=1"));
        QCOMPARE(f.passo(), QString("Immettere i tempi del legame n. 2 dell'evento n. 1"));
        moveBar(f.ui.scrollagiorni(2), 12);
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 1>3=12 2>3=1"));
        QCOMPARE(f.passo(),
                 QString("Correggere, archiviare quanto immesso, digitare ulteriori dati, "
                         "andare oltre (risultati, stampa)."));
    }

    void slotWithoutDurationShowsBlank()
    {
        Fixture f(buildProject("3: 1>2 2>3=1"));
        f.hoverEvent(1);
        QCOMPARE(f.ui.leg(1)->text(), QString());
        QCOMPARE(f.ui.gior(1)->text(), QString());
        chooseMenuItem(f.window, "controlla");
        QVERIFY(f.lastMessage().contains("i tempi medi per l'attività n. 1"));
    }

    void finalEventDisablesLinkBars_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("event 2 of 3") << 2 << true;
        QTest::newRow("the final event") << 3 << false;
        QTest::newRow("beyond the final event") << 7 << false;
    }

    void finalEventDisablesLinkBars()
    {
        QFETCH(int, row);
        QFETCH(bool, enabled);
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        f.hoverEvent(row);
        QCOMPARE(f.ui.scrollalegami(1)->isEnabled(), enabled);
        QCOMPARE(f.ui.scrollagiorni(10)->isEnabled(), enabled);
        QCOMPARE(f.ui.Label2()->text() == "Evento finale senza legami", !enabled);
    }

    void limits()
    {
        Project big;
        big.setEventCount(500);
        for (int i = 1; i <= 500; ++i)
            big.setEvent(i, Event{QString("E%1").arg(i), {}});
        big.setEvent(1, Event{"E1", std::vector<Link>(500, Link{2, 1.0})});
        Fixture f(big);
        QTest::mouseClick(f.ui.num(3), Qt::LeftButton);
        QCOMPARE(f.lastMessage(),
                 QString("Siamo già a 500 eventi: non è possibile aggiungerne degli altri."));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Information);
        f.hoverEvent(1);
        QTest::mouseClick(f.ui.numleg(1), Qt::LeftButton);
        QCOMPARE(f.lastMessage(),
                 QString("Siamo già a 500 legami: non è possibile aggiungerne degli altri."));
        QCOMPARE(f.app.project().eventCount(), 500);
        QCOMPARE(f.app.project().linkCount(1), 500);
    }

    void scrollingToTheLastRows()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        moveBar(f.ui.VScroll1(), 491);
        QCOMPARE(f.ui.num(1)->text(), QString("491"));
        QCOMPARE(f.ui.num(10)->text(), QString("500"));
        QCOMPARE(f.ui.num(10)->toolTip(), QString("cliccare per inserire una riga al n. 500"));
        moveBar(f.ui.VScroll2(), 491);
        QCOMPARE(f.ui.topLinkSlot(), 491);
    }

    void insertAndDeleteRows()
    {
        Fixture f(buildProject("4: 1>2=5 1>3=2 2>4=1 3>4=1"));
        QTest::mouseClick(f.ui.num(2), Qt::LeftButton);
        QCOMPARE(describeLinks(f.app.project()), QString("5: 1>3=5 1>4=2 3>5=1 4>5=1"));
        QCOMPARE(f.ui.even(2)->text(), QString("*"));
        QCOMPARE(f.ui.even(3)->text(), QString("Evento 2"));
        QTest::mouseClick(f.ui.delriga(2), Qt::LeftButton);
        QCOMPARE(describeLinks(f.app.project()), QString("4: 1>2=5 1>3=2 2>4=1 3>4=1"));
        // A free row has no X to press.
        QTest::mouseClick(f.ui.delriga(9), Qt::LeftButton);
        QCOMPARE(f.app.project().eventCount(), 4);

        f.hoverEvent(1);
        QTest::mouseClick(f.ui.numleg(1), Qt::LeftButton);
        QCOMPARE(describeLinks(f.app.project()), QString("4: 1>2=5 1>2=5 1>3=2 2>4=1 3>4=1"));
        QTest::mouseClick(f.ui.cancleg(1), Qt::LeftButton);
        QTest::mouseClick(f.ui.cancleg(2), Qt::LeftButton);
        QCOMPARE(describeLinks(f.app.project()), QString("4: 1>2=5 2>4=1 3>4=1"));
    }

    void guidanceInOrder()
    {
        Fixture f;
        clickToolbar(f.window, 18);
        QCOMPARE(f.passo(),
                 QString("Scegliere la data iniziale del calcolo o aprire un file archiviato."));
        moveBar(f.ui.scrolladata(), 31);
        QCOMPARE(f.ui.datiniz()->text(), QString("31/01/1990"));
        QCOMPARE(f.passo(), QString("Digitare l'elenco degli eventi della programmazione."));
        f.typeDescription(1, "A");
        f.typeDescription(2, "B");
        QCOMPARE(f.passo(), QString("Immettere i legami dell'evento n. 1"));
        f.hoverEvent(1);
        moveBar(f.ui.scrollalegami(1), 2);
        QCOMPARE(f.passo(), QString("Immettere i tempi del legame n. 1 dell'evento n. 1"));
        moveBar(f.ui.scrollagiorni(1), 4);
        QVERIFY(f.passo().startsWith("Correggere"));
    }

    void clearThenCheck()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        clickToolbar(f.window, 18);
        clickToolbar(f.window, 17);
        QCOMPARE(f.lastMessage(), QString("Scegliere la data d'inizio degli eventi."));
        QCOMPARE(f.app.project().eventCount(), 0);
        QCOMPARE(f.ui.even(1)->text(), QString());
    }

    void directCheckAlwaysAnswers()
    {
        Fixture f(buildProject("3: 1>2=1"));
        clickButton(f.window, "risult");
        QVERIFY(f.lastMessage().startsWith("Evento n. 2"));
        QVERIFY(f.app.checkConfirmation().refusalPending());
        QVERIFY(f.app.results().isEmpty());
        f.hoverEvent(2);
        moveBar(f.ui.scrollalegami(1), 3);
        moveBar(f.ui.scrollagiorni(1), 2);
        clickToolbar(f.window, 17);
        QCOMPARE(f.lastMessage(),
                 QString("I dati sono stati immessi formalmente corretti (per numero  3 eventi)."));
    }

    void resultsCommandComputes()
    {
        Fixture f(buildProject("3: 1>2=3 2>3=4"));
        QSignalSpy spy(&f.app, &ModZANT::resultsChanged);
        clickButton(f.window, "risult");
        QCOMPARE(spy.count(), 1);
        QCOMPARE(f.app.results().criticalPath, QString("- 1- 2- 3"));
        QCOMPARE(f.app.results().earliest[3], 7.0);
        QVERIFY(f.ui.ProgressBar1()->isHidden());
    }

    void openReplacesOnlyOnSuccess()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        QTemporaryDir dir;
        const QString good = tempPath(dir, "ZANT-dati-buono");
        TitlePage title;
        title[TitlePage::progetto] = "Magazzino";
        QVERIFY(writeProjectFile(good, buildProject("2: 1>2=9", "05/05/2027"), title).ok());
        const QString bad = tempPath(dir, "ZANT-dati-rotto");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\"01/01/1990\",2\r\n\"A\",1\r\n\"9\",\"1\"");
        file.close();

        // Cancelled: nothing changes.
        clickToolbar(f.window, 1);
        QCOMPARE(f.app.project().eventCount(), 3);
        QCOMPARE(f.dialogs->fileDialogs.last(),
                 QString("open|Apri file|Progetti ZANT | *|Tutti i file (*.*) | *.*|1"));

        // A broken file: a message naming it, the project as it was.
        f.dialogs->fileNames.push_back(bad);
        f.key(Qt::Key_O, Qt::ControlModifier);
        QVERIFY(f.lastMessage().contains("ZANT-dati-rotto"));
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 2>3=1"));
        QCOMPARE(f.app.currentDataFile(), QString());

        f.dialogs->fileNames.push_back(good);
        chooseMenuItem(f.window, "apri");
        QCOMPARE(describeLinks(f.app.project()), QString("2: 1>2=9"));
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], QString("Magazzino"));
        QCOMPARE(f.app.currentDataFile(), good);
        QCOMPARE(f.ui.datiniz()->text(), QString("05/05/2027"));
        QCOMPARE(f.ui.scrolladata()->value(), int(QDate(1989, 12, 31).daysTo(QDate(2027, 5, 5))));
        QCOMPARE(f.ui.even(1)->text(), QString("Evento 1"));
    }

    void saveAndSaveAs()
    {
        Fixture f(buildProject("2: 1>2=4"));
        QTemporaryDir dir;

        // Without the project name: the offer to take the first description, declined.
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.dialogs->choices.size(), 1);
        QVERIFY(f.dialogs->choices.last().startsWith(
            "ZANT: controllo dati immessi nella finestra attiva|E' necessario digitare almeno il "
            "dato del 'progetto'.\nUsare come progetto la descrizione del primo evento, "
            "\"Evento 1\"?|"));
        QVERIFY(f.dialogs->fileDialogs.isEmpty());

        giveProject(f.app, f.app.project(), titlePageWith(TitlePage::progetto, "Strada"),
                    f.app.currentDataFile());
        // Cancelled dialog: no file, no name; the name proposed comes from the project.
        clickToolbar(f.window, 2);
        QVERIFY2(f.dialogs->fileDialogs.last().startsWith(
                     "save|Salva file con nome|File ZANT-dati- | ZANT-dati-*|1|"),
                 qPrintable(f.dialogs->fileDialogs.last()));
        QVERIFY(f.dialogs->fileDialogs.last().endsWith("/ZANT-dati-Strada.txt"));
        QCOMPARE(f.app.currentDataFile(), QString());

        const QString first = tempPath(dir, "ZANT-dati-primo.txt");
        f.dialogs->fileNames.push_back(first);
        chooseMenuItem(f.window, "salva");
        QCOMPARE(f.app.currentDataFile(), first);
        QVERIFY(readProjectFile(first).ok());

        // Save again: no dialog.
        const int dialogsBefore = f.dialogs->fileDialogs.size();
        f.app.edit<SetDescriptionCommand>(1, QString("Inizio lavori"), f.app.newEditSession());
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.dialogs->fileDialogs.size(), dialogsBefore);
        QCOMPARE(readProjectFile(first).value().project.description(1), QString("Inizio lavori"));

        // Save as, cancelled: the current file stays.
        f.key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs->fileDialogs.size(), dialogsBefore + 1);
        QCOMPARE(f.app.currentDataFile(), first);

        // Save as onto a folder: the failure is reported and the name stays.
        f.dialogs->fileNames.push_back(dir.path());
        chooseMenuItem(f.window, "salvanome");
        QVERIFY(f.lastMessage().startsWith("Impossibile salvare il file"));
        QCOMPARE(f.app.currentDataFile(), first);

        const QString second = tempPath(dir, "ZANT-dati-secondo.txt");
        f.dialogs->fileNames.push_back(second);
        f.key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.app.currentDataFile(), second);
    }

    void deleteMovesToTrashOrRemoves()
    {
        Fixture f;
        QTemporaryDir dir;
        // The desktop's trash of a home of our own, so the test touches no real trash.
        const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
        QVERIFY(QDir().mkpath(dir.filePath("share")));
        qputenv("XDG_DATA_HOME", dir.filePath("share").toUtf8());
        const QString path = tempPath(dir, "ZANT-dati-da-eliminare");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        clickToolbar(f.window, 3); // cancelled
        QVERIFY(QFile::exists(path));
        QVERIFY(f.dialogs->fileDialogs.last().startsWith(
            "open|Elimina: seleziona il file desiderato e clicca su Apri per cancellarlo|"
            "Tutti i file (*.*)|*.*|File ZANT-dati- | ZANT-dati-*|2"));
        f.dialogs->fileNames.push_back(path);
        chooseMenuItem(f.window, "eliminare");
        QVERIFY(!QFile::exists(path));
        QVERIFY(f.dialogs->messages.empty());
        QVERIFY(QFile::exists(dir.filePath("share/Trash/files/ZANT-dati-da-eliminare")));

        f.dialogs->fileNames.push_back(tempPath(dir, "non-esiste"));
        clickToolbar(f.window, 3);
        QVERIFY(f.lastMessage().startsWith("Impossibile eliminare il file"));
        qputenv("XDG_DATA_HOME", oldDataHome);
    }

    void printCommands()
    {
        Fixture f(buildProject("3: 1>2=1"));
        f.key(Qt::Key_P, Qt::ControlModifier);
        QVERIFY(f.lastMessage().startsWith("Evento n. 2"));
        QVERIFY(f.output->opened.isEmpty());

        chooseMenuItem(f.window, "modulo");
        QCOMPARE(f.passo(), QString("ho visualizzato il modello su WORD"));
        QCOMPARE(f.output->opened.size(), 1);
        QVERIFY(f.output->opened.first().endsWith("ZANT-modulo-2026-12-07-1530.docx"));

        giveProject(f.app, buildProject("3: 1>2=1 2>3=1"));
        f.output->canOpen = false;
        clickToolbar(f.window, 4);
        QCOMPARE(f.passo(), QString("ho salvato il documento ZANT-dati-2026-12-07-1530.docx, ma "
                                    "nessun programma ha potuto aprirlo"));
        QVERIFY(f.lastMessage().contains("ZANT-dati-2026-12-07-1530.docx"));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Information);
    }

    void toolbarAndQuickHelp()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        clickToolbar(f.window, 17);
        QVERIFY(f.lastMessage().startsWith("I dati sono stati immessi formalmente corretti"));
        clickToolbar(f.window, 1);
        QVERIFY(f.dialogs->fileDialogs.last().startsWith("open|Apri file|"));
        clickButton(f.window, "aiuto");
        QCOMPARE(f.dialogs->messages.back().title, QString("ZANT: aiuto in linea"));
        QCOMPARE(f.lastMessage().count('\n'), 6);
        clickToolbar(f.window, 18);
        QCOMPARE(f.app.project().eventCount(), 0);
        // Unsaved changes: the exit asks, and "Annulla" keeps everything open.
        clickToolbar(f.window, 19);
        QCOMPARE(f.dialogs->saveQuestions.last(),
                 QString("ZANT|Salvare le modifiche al progetto?"));
        QVERIFY(f.app.isLoaded(win::dati));
        QCOMPARE(f.processEnded, 0);
    }

    void backgroundColour()
    {
        Fixture f;
        // No to the grey question: the colour dialog, from the last colour.
        f.dialogs->answers.push_back(false);
        f.dialogs->colours.push_back(QColor(10, 20, 30));
        clickToolbar(f.window, 10);
        QCOMPARE(f.dialogs->questions.last(),
                 QString("ZANT: colore di sfondo|Colori uguali e riposanti (grigio) per tutte le "
                         "finestre?|Yes"));
        QCOMPARE(background(f.window), QColor(10, 20, 30));
        QCOMPARE(f.app.lastColor(), QColor(10, 20, 30));
        // Yes: grey, and a grey window is not asked again.
        f.dialogs->answers.push_back(true);
        clickToolbar(f.window, 10);
        QCOMPARE(background(f.window), kLightGrey);
        const int asked = f.dialogs->questions.size();
        f.dialogs->colours.push_back(std::nullopt);
        clickToolbar(f.window, 10);
        QCOMPARE(f.dialogs->questions.size(), asked);
        QCOMPARE(f.dialogs->lastColourOffered, QColor(10, 20, 30));
        QCOMPARE(background(f.window), kLightGrey);
    }
};

QTEST_MAIN(TestDati)
#include "test_dati.moc"
