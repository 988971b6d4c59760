#include "model/project_file.h"
#include "shell/edit_commands.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "support/project_builder.h"
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

    explicit Fixture(const Project& project = Project())
    {
        giveProject(app, project);
        app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
        window = app.windowAs<dati>(win::dati);
    }

    QString lastMessage() const { return dialogs->lastMessageText(); }
    QString passo() const { return window->passo()->text(); }
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
        f.window->even_Change(1, "Inizio");
        f.window->even_Change(2, "Scavi");
        QCOMPARE(f.app.project().eventCount(), 2);
        QCOMPARE(f.window->scrollalegami(1)->maximum(), 2);
        // Typing selects the row, as a hover does.
        QCOMPARE(f.window->Label1()->text(), QString("Evento n. 2"));
        QCOMPARE(f.window->Label2()->text(), QString("Evento finale senza legami"));
    }

    void typingBeyondTheFirstFreeEvent()
    {
        Fixture f(buildProject("2: 1>2=1"));
        f.window->even(5)->setText("Getto");
        f.window->even_Change(5, "Getto");
        QCOMPARE(f.lastMessage(), QString("Digitare prima l'evento n. 3"));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Critical);
        QCOMPARE(f.dialogs->messages.back().title,
                 QString("ZANT: controllo dati immessi nella finestra attiva"));
        QCOMPARE(f.app.project().eventCount(), 2);
        QCOMPARE(f.window->topEvent(), 2);
        QCOMPARE(f.window->even(4)->text(), QString());
        // The first free event (3) stands in row 2 now, and has the focus.
        QVERIFY(f.window->even(2)->hasFocus() || !f.window->isActiveWindow());
    }

    void anyTextIsTaken()
    {
        Fixture f(buildProject("2: 1>2=1"));
        f.window->even(1)->setFocus();
        f.window->even(1)->selectAll();
        // Typed one key at a time; keyClicks knows only ASCII keys.
        for (const QChar c : QString("Trave \"HEB\" ≥ 28 gg")) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(f.window->even(1), &press);
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
        f.window->num_MouseMove(1);
        const int row = action.section(' ', 2).toInt();
        if (action.startsWith("target")) {
            f.window->scrollalegami(row)->setValue(3);
        } else {
            f.window->scrollagiorni(row)->setValue(7);
        }
        QCOMPARE(f.lastMessage(), message);
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 2>3=1"));
        QCOMPARE(f.window->leg(3)->text(), QString());
        QCOMPARE(f.window->gior(2)->text(), QString());
    }

    void pickingTargetAndDuration()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        f.window->num_MouseMove(1);
        f.window->scrollalegami(2)->setValue(3);
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 1>3 2>3=1"));
        QCOMPARE(f.passo(), QString("Immettere i tempi del legame n. 2 dell'evento n. 1"));
        f.window->scrollagiorni(2)->setValue(12);
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 1>3=12 2>3=1"));
        QCOMPARE(f.passo(),
                 QString("Correggere, archiviare quanto immesso, digitare ulteriori dati, "
                         "andare oltre (risultati, stampa)."));
    }

    void slotWithoutDurationShowsBlank()
    {
        Fixture f(buildProject("3: 1>2 2>3=1"));
        f.window->num_MouseMove(1);
        QCOMPARE(f.window->leg(1)->text(), QString());
        QCOMPARE(f.window->gior(1)->text(), QString());
        f.window->controlla_Click();
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
        f.window->num_MouseMove(row);
        QCOMPARE(f.window->scrollalegami(1)->isEnabled(), enabled);
        QCOMPARE(f.window->scrollagiorni(10)->isEnabled(), enabled);
        QCOMPARE(f.window->Label2()->text() == "Evento finale senza legami", !enabled);
    }

    void limits()
    {
        Project big;
        big.setEventCount(500);
        for (int i = 1; i <= 500; ++i)
            big.setEvent(i, Event{QString("E%1").arg(i), {}});
        big.setEvent(1, Event{"E1", std::vector<Link>(500, Link{2, 1.0})});
        Fixture f(big);
        f.window->num_click(3);
        QCOMPARE(f.lastMessage(),
                 QString("Siamo già a 500 eventi: non è possibile aggiungerne degli altri."));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Information);
        f.window->num_MouseMove(1);
        f.window->numleg_Click(1);
        QCOMPARE(f.lastMessage(),
                 QString("Siamo già a 500 legami: non è possibile aggiungerne degli altri."));
        QCOMPARE(f.app.project().eventCount(), 500);
        QCOMPARE(f.app.project().linkCount(1), 500);
    }

    void scrollingToTheLastRows()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        f.window->VScroll1()->setValue(491);
        QCOMPARE(f.window->num(1)->text(), QString("491"));
        QCOMPARE(f.window->num(10)->text(), QString("500"));
        QCOMPARE(f.window->num(10)->toolTip(), QString("cliccare per inserire una riga al n. 500"));
        f.window->VScroll2()->setValue(491);
        QCOMPARE(f.window->topLinkSlot(), 491);
    }

    void insertAndDeleteRows()
    {
        Fixture f(buildProject("4: 1>2=5 1>3=2 2>4=1 3>4=1"));
        f.window->num_click(2);
        QCOMPARE(describeLinks(f.app.project()), QString("5: 1>3=5 1>4=2 3>5=1 4>5=1"));
        QCOMPARE(f.window->even(2)->text(), QString("*"));
        QCOMPARE(f.window->even(3)->text(), QString("Evento 2"));
        f.window->delriga_Click(2);
        QCOMPARE(describeLinks(f.app.project()), QString("4: 1>2=5 1>3=2 2>4=1 3>4=1"));
        // A free row has no X to press.
        f.window->delriga_Click(9);
        QCOMPARE(f.app.project().eventCount(), 4);

        f.window->num_MouseMove(1);
        f.window->numleg_Click(1);
        QCOMPARE(describeLinks(f.app.project()), QString("4: 1>2=5 1>2=5 1>3=2 2>4=1 3>4=1"));
        f.window->cancleg_Click(1);
        f.window->cancleg_Click(2);
        QCOMPARE(describeLinks(f.app.project()), QString("4: 1>2=5 2>4=1 3>4=1"));
    }

    void guidanceInOrder()
    {
        Fixture f;
        f.window->cancella_click();
        QCOMPARE(f.passo(),
                 QString("Scegliere la data iniziale del calcolo o aprire un file archiviato."));
        f.window->scrolladata()->setValue(31);
        QCOMPARE(f.window->datiniz()->text(), QString("31/01/1990"));
        QCOMPARE(f.passo(), QString("Digitare l'elenco degli eventi della programmazione."));
        f.window->even_Change(1, "A");
        f.window->even_Change(2, "B");
        QCOMPARE(f.passo(), QString("Immettere i legami dell'evento n. 1"));
        f.window->num_MouseMove(1);
        f.window->scrollalegami(1)->setValue(2);
        QCOMPARE(f.passo(), QString("Immettere i tempi del legame n. 1 dell'evento n. 1"));
        f.window->scrollagiorni(1)->setValue(4);
        QVERIFY(f.passo().startsWith("Correggere"));
    }

    void clearThenCheck()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        f.window->cancella_click();
        f.window->controlla_Click();
        QCOMPARE(f.lastMessage(), QString("Scegliere la data d'inizio degli eventi."));
        QCOMPARE(f.app.project().eventCount(), 0);
        QCOMPARE(f.window->even(1)->text(), QString());
    }

    void directCheckAlwaysAnswers()
    {
        Fixture f(buildProject("3: 1>2=1"));
        f.window->risult_Click();
        QVERIFY(f.lastMessage().startsWith("Evento n. 2"));
        QVERIFY(f.app.checkConfirmation().refusalPending());
        QVERIFY(f.app.results().isEmpty());
        f.window->num_MouseMove(2);
        f.window->scrollalegami(1)->setValue(3);
        f.window->scrollagiorni(1)->setValue(2);
        f.window->controlla_Click();
        QCOMPARE(f.lastMessage(),
                 QString("I dati sono stati immessi formalmente corretti (per numero  3 eventi)."));
    }

    void resultsCommandComputes()
    {
        Fixture f(buildProject("3: 1>2=3 2>3=4"));
        QSignalSpy spy(&f.app, &ModZANT::resultsChanged);
        f.window->risult_Click();
        QCOMPARE(spy.count(), 1);
        QCOMPARE(f.app.results().criticalPath, QString("- 1- 2- 3"));
        QCOMPARE(f.app.results().earliest[3], 7.0);
        QVERIFY(f.window->ProgressBar1()->isHidden());
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
        f.window->apri_Click();
        QCOMPARE(f.app.project().eventCount(), 3);
        QCOMPARE(f.dialogs->fileDialogs.last(),
                 QString("open|Apri file|Progetti ZANT | *|Tutti i file (*.*) | *.*|1"));

        // A broken file: a message naming it, the project as it was.
        f.dialogs->fileNames.push_back(bad);
        f.window->apri_Click();
        QVERIFY(f.lastMessage().contains("ZANT-dati-rotto"));
        QCOMPARE(describeLinks(f.app.project()), QString("3: 1>2=1 2>3=1"));
        QCOMPARE(f.app.currentDataFile(), QString());

        f.dialogs->fileNames.push_back(good);
        f.window->apri_Click();
        QCOMPARE(describeLinks(f.app.project()), QString("2: 1>2=9"));
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], QString("Magazzino"));
        QCOMPARE(f.app.currentDataFile(), good);
        QCOMPARE(f.window->datiniz()->text(), QString("05/05/2027"));
        QCOMPARE(f.window->scrolladata()->value(),
                 int(QDate(1989, 12, 31).daysTo(QDate(2027, 5, 5))));
        QCOMPARE(f.window->even(1)->text(), QString("Evento 1"));
    }

    void saveAndSaveAs()
    {
        Fixture f(buildProject("2: 1>2=4"));
        QTemporaryDir dir;

        // Without the project name: the offer to take the first description, declined.
        f.window->salva_Click();
        QCOMPARE(f.dialogs->choices.size(), 1);
        QVERIFY(f.dialogs->choices.last().startsWith(
            "ZANT: controllo dati immessi nella finestra attiva|E' necessario digitare almeno il "
            "dato del 'progetto'.\rUsare come progetto la descrizione del primo evento, "
            "\"Evento 1\"?|"));
        QVERIFY(f.dialogs->fileDialogs.isEmpty());

        giveProject(f.app, f.app.project(), titlePageWith(TitlePage::progetto, "Strada"),
                    f.app.currentDataFile());
        // Cancelled dialog: no file, no name; the name proposed comes from the project.
        f.window->salva_Click();
        QVERIFY2(f.dialogs->fileDialogs.last().startsWith(
                     "save|Salva file con nome|File ZANT-dati- | ZANT-dati-*|1|"),
                 qPrintable(f.dialogs->fileDialogs.last()));
        QVERIFY(f.dialogs->fileDialogs.last().endsWith("/ZANT-dati-Strada.txt"));
        QCOMPARE(f.app.currentDataFile(), QString());

        const QString first = tempPath(dir, "ZANT-dati-primo.txt");
        f.dialogs->fileNames.push_back(first);
        f.window->salva_Click();
        QCOMPARE(f.app.currentDataFile(), first);
        QVERIFY(readProjectFile(first).ok());

        // Save again: no dialog.
        const int dialogsBefore = f.dialogs->fileDialogs.size();
        f.app.edit<SetDescriptionCommand>(1, QString("Inizio lavori"), f.app.newEditSession());
        f.window->salva_Click();
        QCOMPARE(f.dialogs->fileDialogs.size(), dialogsBefore);
        QCOMPARE(readProjectFile(first).value().project.description(1), QString("Inizio lavori"));

        // Save as, cancelled: the current file stays.
        f.window->salvanome_Click();
        QCOMPARE(f.dialogs->fileDialogs.size(), dialogsBefore + 1);
        QCOMPARE(f.app.currentDataFile(), first);

        // Save as onto a folder: the failure is reported and the name stays.
        f.dialogs->fileNames.push_back(dir.path());
        f.window->salvanome_Click();
        QVERIFY(f.lastMessage().startsWith("Impossibile salvare il file"));
        QCOMPARE(f.app.currentDataFile(), first);

        const QString second = tempPath(dir, "ZANT-dati-secondo.txt");
        f.dialogs->fileNames.push_back(second);
        f.window->salvanome_Click();
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
        f.window->eliminare_click(); // cancelled
        QVERIFY(QFile::exists(path));
        QVERIFY(f.dialogs->fileDialogs.last().startsWith(
            "open|Elimina: seleziona il file desiderato e clicca su Apri per cancellarlo|"
            "Tutti i file (*.*)|*.*|File ZANT-dati- | ZANT-dati-*|2"));
        f.dialogs->fileNames.push_back(path);
        f.window->eliminare_click();
        QVERIFY(!QFile::exists(path));
        QVERIFY(f.dialogs->messages.empty());
        QVERIFY(QFile::exists(dir.filePath("share/Trash/files/ZANT-dati-da-eliminare")));

        f.dialogs->fileNames.push_back(tempPath(dir, "non-esiste"));
        f.window->eliminare_click();
        QVERIFY(f.lastMessage().startsWith("Impossibile eliminare il file"));
        qputenv("XDG_DATA_HOME", oldDataHome);
    }

    void printCommands()
    {
        Fixture f(buildProject("3: 1>2=1"));
        f.window->stampa_Click();
        QVERIFY(f.lastMessage().startsWith("Evento n. 2"));
        QVERIFY(f.output->opened.isEmpty());

        f.window->modulo_click();
        QCOMPARE(f.passo(), QString("ho visualizzato il modello su WORD"));
        QCOMPARE(f.output->opened.size(), 1);
        QVERIFY(f.output->opened.first().endsWith("ZANT-modulo-2026-12-07-1530.docx"));

        giveProject(f.app, buildProject("3: 1>2=1 2>3=1"));
        f.output->canOpen = false;
        f.window->stampa_Click();
        QCOMPARE(f.passo(), QString("ho salvato il documento ZANT-dati-2026-12-07-1530.docx, ma "
                                    "nessun programma ha potuto aprirlo"));
        QVERIFY(f.lastMessage().contains("ZANT-dati-2026-12-07-1530.docx"));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Information);
    }

    void toolbarAndQuickHelp()
    {
        Fixture f(buildProject("3: 1>2=1 2>3=1"));
        f.window->Toolbar1_ButtonClick(17);
        QVERIFY(f.lastMessage().startsWith("I dati sono stati immessi formalmente corretti"));
        f.window->Toolbar1_ButtonClick(1);
        QVERIFY(f.dialogs->fileDialogs.last().startsWith("open|Apri file|"));
        f.window->aiuto_Click();
        QCOMPARE(f.dialogs->messages.back().title, QString("ZANT: aiuto in linea"));
        QCOMPARE(f.lastMessage().count('\r'), 6);
        f.window->Toolbar1_ButtonClick(18);
        QCOMPARE(f.app.project().eventCount(), 0);
        // Unsaved changes: the exit asks, and "Annulla" keeps everything open.
        f.window->Toolbar1_ButtonClick(19);
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
        f.window->Toolbar1_ButtonClick(10);
        QCOMPARE(f.dialogs->questions.last(),
                 QString("ZANT: colore di sfondo|Colori uguali e riposanti (grigio) per tutte le "
                         "finestre?|Yes"));
        QCOMPARE(background(f.window), QColor(10, 20, 30));
        QCOMPARE(f.app.lastColor(), QColor(10, 20, 30));
        // Yes: grey, and a grey window is not asked again.
        f.dialogs->answers.push_back(true);
        f.window->Toolbar1_ButtonClick(10);
        QCOMPARE(background(f.window), kLightGrey);
        const int asked = f.dialogs->questions.size();
        f.dialogs->colours.push_back(std::nullopt);
        f.window->Toolbar1_ButtonClick(10);
        QCOMPARE(f.dialogs->questions.size(), asked);
        QCOMPARE(f.dialogs->lastColourOffered, QColor(10, 20, 30));
        QCOMPARE(background(f.window), kLightGrey);
    }
};

QTEST_MAIN(TestDati)
#include "test_dati.moc"
