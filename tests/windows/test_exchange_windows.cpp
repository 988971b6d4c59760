// The exchange commands of the data and results windows: exports, imports that can be undone,
// and the paste of activities from the clipboard with its preview.

#include "document/edit_commands.h"
#include "exchange/mspdi.h"
#include "model/project_file.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/docx_package.h"
#include "support/project_builder.h"
#include "support/test_files.h"
#include "support/window_controls.h"
#include "windows/dati.h"
#include "windows/risultati.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;
using zant::test::describeLinks;

namespace {

const char* const kNetwork = "4: 1>2=5 1>3=2 2>4=1 3>4=1";

struct Fixture : zant::test::AppWithFakes
{
    dati* window = nullptr;
    QTemporaryDir dir;

    Fixture()
    {
        giveProject(app, buildProject(kNetwork, "01/03/2027"),
                    titlePageWith(TitlePage::progetto, "Scuola"));
        app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
        app.registerWindow(win::risultati, [](ModZANT& a) { return new risultati(a); });
        window = app.windowAs<dati>(win::dati);
        window->show();
        QApplication::setActiveWindow(window);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window);
    }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    QString links() const { return describeLinks(app.project()); }
    QString lastMessage() const
    {
        return dialogs->messages.empty() ? QString() : dialogs->messages.back().message.text;
    }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        return test::writeTestFile(dir, name, bytes);
    }
};

} // namespace

class TestExchangeWindows final : public QObject
{
    Q_OBJECT

private slots:
    void menusHoldTheCommands()
    {
        Fixture f;
        const QStringList names{"esportamspdi", "esportacalendario", "importamspdi",
                                "importaelenco", "incollaattivita"};
        for (const QString& name : names)
            QVERIFY2(f.action(name), qPrintable(name));
        QCOMPARE(f.action("esportamspdi")->text(), QStringLiteral("&Microsoft Project XML…"));
        QCOMPARE(f.action("incollaattivita")->shortcut(),
                 QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V));
    }

    void exportThenImportBackIsOneUndoableStep()
    {
        Fixture f;
        const QString xml = f.dir.filePath("piano.xml");
        f.dialogs->fileNames.push_back(xml);
        f.action("esportamspdi")->trigger();
        QVERIFY2(f.lastMessage().contains("Esportazione eseguita"), qPrintable(f.lastMessage()));
        QVERIFY(f.dialogs->fileDialogs.last().startsWith("save|Esporta in Microsoft Project XML"));

        // Change the project, then import the exported plan: the unsaved change is offered for
        // saving first, and one undo brings the changed project back.
        f.app.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 1, 9.0);
        const QString changed = f.links();
        f.dialogs->saveAnswers.push_back(SaveChoice::Discard);
        f.dialogs->fileNames.push_back(xml);
        f.dialogs->choiceAnswers.push_back(0); // OK to the report
        giveDataFile(f.app, f.dir.filePath("ZANT-dati-scuola.txt"));
        f.action("importamspdi")->trigger();
        QCOMPARE(f.dialogs->choices.size(), 1);
        QVERIFY2(f.dialogs->choices.back().contains("Rete: 4 eventi, 4 attività"),
                 qPrintable(f.dialogs->choices.back()));
        QVERIFY(f.dialogs->choices.back().endsWith("|OK/Annulla"));
        QCOMPARE(f.links(), QStringLiteral("4: 1>2=5 1>3=2 2>4=1 3>4=1"));
        QCOMPARE(f.app.project().startDateText(), QStringLiteral("01/03/2027"));
        QVERIFY(f.app.currentDataFile().isEmpty());
        QCOMPARE(f.window->findChild<QLineEdit*>("datiniz")->text(), QStringLiteral("01/03/2027"));
        QTest::keyClick(f.window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.links(), changed);
    }

    void refusedImportChangesNothing()
    {
        Fixture f;
        // Two problems, both said: a duration that cannot be read and a cycle.
        const QString bad = f.write(
            "ciclo.xml", "<Project xmlns=\"http://schemas.microsoft.com/project\"><Tasks>"
                         "<Task><UID>1</UID><ID>1</ID><Name>A</Name><Duration>PT8H</Duration>"
                         "<PredecessorLink><PredecessorUID>2</PredecessorUID></PredecessorLink>"
                         "</Task><Task><UID>2</UID><ID>2</ID><Name>B</Name><Duration>PT8H"
                         "</Duration><PredecessorLink><PredecessorUID>1</PredecessorUID>"
                         "<Type>3</Type></PredecessorLink></Task><Task><UID>3</UID><ID>3</ID>"
                         "<Name>C</Name><Duration>otto ore</Duration></Task></Tasks></Project>");
        f.dialogs->fileNames.push_back(bad);
        f.action("importamspdi")->trigger();
        QCOMPARE(f.links(), QString::fromLatin1(kNetwork));
        QVERIFY(f.dialogs->choices.isEmpty()); // no report for a refused file
        QVERIFY2(f.lastMessage().contains("2 problemi") &&
                     f.lastMessage().contains("ID 3 (UID 3) «C»: la durata \"otto ore\"") &&
                     f.lastMessage().contains("ID 1 (UID 1) «A» e ID 2 (UID 2) «B» formano un "
                                              "ciclo"),
                 qPrintable(f.lastMessage()));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Critical);
        QVERIFY(!f.app.isModified());
    }

    void activityListFromAFile()
    {
        Fixture f;
        f.dialogs->fileNames.push_back(f.write("elenco.csv", "Da;A;Giorni\n1;2;3\n2;3;4,5\n"));
        f.action("importaelenco")->trigger();
        QCOMPARE(f.links(), QStringLiteral("3: 1>2=3 2>3=4.5"));
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], QString());
        f.app.undo();
        QCOMPARE(f.links(), QString::fromLatin1(kNetwork));
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], QStringLiteral("Scuola"));
    }

    // Ctrl+Shift+V shows what will be added and what is refused; Yes adds it as one step.
    void pasteWithPreview()
    {
        Fixture f;
        QGuiApplication::clipboard()->setText(
            "evento da\tevento a\tgiorni\tdescrizione\n4\t5\t3\tCollaudo\tProve\t1.500,00\tOS1\n"
            "2\t4\t1\n3\t3\t1\n");
        f.dialogs->answers.push_back(true);
        QTest::keyClick(f.window, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs->questions.size(), 1);
        const QString preview = f.dialogs->questions.first();
        QVERIFY2(preview.startsWith("Incolla attività|Legami da aggiungere: 1 (nuovi eventi: 1)."),
                 qPrintable(preview));
        QVERIFY2(preview.contains("4 → 5: 3 giorni, «Prove», 1.500,00 €, OS1 (evento 5: Collaudo)"),
                 qPrintable(preview));
        QVERIFY(preview.contains("Righe rifiutate: 2."));
        QVERIFY(preview.contains("riga 3 (2 → 4: 1): il legame da 2 a 4 c'è già"));
        QVERIFY(preview.contains("riga 4 (3 → 3: 1): un legame deve portare a un altro evento"));
        QCOMPARE(f.links(), QStringLiteral("5: 1>2=5 1>3=2 2>4=1 3>4=1 4>5=3"));
        QCOMPARE(f.app.project().description(5), QStringLiteral("Collaudo"));
        QCOMPARE(f.app.project().totalAmount(), Cents{150000});
        QTest::keyClick(f.window, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.links(), QString::fromLatin1(kNetwork));
    }

    // The preview names every row it does not take and says how the text was read.
    void pastePreviewHidesNothing_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("a typo in the first row is no heading")
            << "4;5;x;Collaudo\n4;6;1\n"
            << QStringList{
                   "Legami da aggiungere: 1 (nuovi eventi: 2).",
                   "Separatore delle colonne: punto e virgola (riconosciuto dalle prime righe).",
                   "riga 1 (4;5;x;Collaudo): i giorni \"x\" non sono un numero da 0 a "
                   "1000000"};
        QTest::newRow("a heading, a tab inside a description, an unclosed quote")
            << "Da;A;Giorni\n4;5;3;Collaudo\tfinale\n5;6;1;\"aperta\n"
            << QStringList{
                   "Legami da aggiungere: 1 (nuovi eventi: 1).",
                   "Separatore delle colonne: punto e virgola (riconosciuto dalle prime righe); "
                   "riga 1 di intestazione saltata: «Da;A;Giorni».",
                   "4 → 5: 3 giorni (evento 5: Collaudo finale)",
                   "riga 3 (5;6;1;\"aperta): le virgolette aperte in questa riga non sono "
                   "chiuse"};
        QTest::newRow("a link from the final event")
            << "4\t5\t1\n5\t2\t1\n"
            << QStringList{"Legami da aggiungere: 1 (nuovi eventi: 1).",
                           "riga 2 (5 → 2: 1): l'evento 5 è l'evento finale (il numero più alto): "
                           "da esso non può partire un legame"};
    }
    void pastePreviewHidesNothing()
    {
        QFETCH(QString, clipboard);
        QFETCH(QStringList, lines);
        Fixture f;
        QGuiApplication::clipboard()->setText(clipboard);
        f.dialogs->answers.push_back(false);
        QTest::keyClick(f.window, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs->questions.size(), 1);
        const QString preview = f.dialogs->questions.first();
        for (const QString& line : lines)
            QVERIFY2(preview.contains(line), qPrintable(preview));
    }

    // The report says what is left out before anything changes; Annulla keeps the project.
    void inactiveTasksLeftOutAreSaid_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("links");
        QTest::newRow("OK") << 0 << "2: 1>2=1";
        QTest::newRow("Annulla") << 1 << kNetwork;
        QTest::newRow("box closed") << -1 << kNetwork;
    }
    void inactiveTasksLeftOutAreSaid()
    {
        QFETCH(int, answer);
        Fixture f;
        f.dialogs->saveAnswers.push_back(SaveChoice::Discard);
        f.dialogs->choiceAnswers.push_back(answer);
        f.dialogs->fileNames.push_back(
            f.write("inattive.xml", "<Project xmlns=\"http://schemas.microsoft.com/project\">"
                                    "<Tasks><Task><UID>1</UID><Name>A</Name><Duration>PT8H"
                                    "</Duration></Task><Task><UID>2</UID><Name>Varianti</Name>"
                                    "<Duration>PT80H</Duration><Active>0</Active></Task>"
                                    "</Tasks></Project>"));
        f.action("importamspdi")->trigger();
        QTEST(f.links(), "links");
        QCOMPARE(f.app.isModified(), answer == 0);
        QCOMPARE(f.dialogs->choices.size(), 1);
        QVERIFY2(f.dialogs->choices.back().contains(
                     "\nTralasciato:\n  Attività inattive (1): «Varianti».\n"),
                 qPrintable(f.dialogs->choices.back()));
    }

    void pasteDeclinedOrEmpty_data()
    {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("message");
        QTest::newRow("answered No") << "4\t5\t3" << true << QString();
        QTest::newRow("plain text")
            << "Buongiorno" << false << "non ci sono attività da aggiungere";
        QTest::newRow("only refused rows") << "1;2;3\n1;1;2" << false << "Righe rifiutate: 2.";
    }
    void pasteDeclinedOrEmpty()
    {
        QFETCH(QString, clipboard);
        QFETCH(bool, asked);
        QFETCH(QString, message);
        Fixture f;
        QGuiApplication::clipboard()->setText(clipboard);
        f.dialogs->answers.push_back(false);
        QTest::keyClick(f.window, Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs->questions.size(), asked ? 1 : 0);
        QCOMPARE(f.links(), QString::fromLatin1(kNetwork));
        QVERIFY(!f.app.isModified());
        if (!message.isEmpty())
            QVERIFY2(f.lastMessage().contains(message), qPrintable(f.lastMessage()));
    }

    void exportsNeedDataThatPassTheCheck()
    {
        Fixture f;
        giveProject(f.app, buildProject("3: 1>2=1", "01/03/2027"), f.app.titlePage(),
                    f.app.currentDataFile());
        f.action("esportacalendario")->trigger();
        QVERIFY(f.dialogs->fileDialogs.isEmpty());
        QVERIFY2(f.lastMessage().contains("Evento n. 2"), qPrintable(f.lastMessage()));
    }

    void calendarAndWorkbook()
    {
        Fixture f;
        const QString ics = f.dir.filePath("c.ics");
        f.dialogs->fileNames.push_back(ics);
        f.action("esportacalendario")->trigger();
        QFile calendar(ics);
        QVERIFY(calendar.open(QIODevice::ReadOnly));
        QVERIFY(calendar.readAll().startsWith("BEGIN:VCALENDAR\r\n"));

        auto* results = f.app.windowAs<risultati>(win::risultati);
        QAction* excel = results->findChild<QAction*>("esportaexcel");
        QVERIFY(excel);
        QCOMPARE(excel->text(), QStringLiteral("&Excel…"));
        // Computed, then edited: the workbook holds the figures of the data as they are now.
        clickButton(f.window, "risult");
        f.app.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 1, 50.0);
        const QString xlsx = f.dir.filePath("r.xlsx");
        f.dialogs->fileNames.push_back(xlsx);
        excel->trigger();
        QFile book(xlsx);
        QVERIFY(book.open(QIODevice::ReadOnly));
        QVERIFY(book.readAll().startsWith("PK"));
        test::DocxPackage package;
        QString error;
        QVERIFY2(package.open(xlsx, &error), qPrintable(error));
        // Sheet "Eventi": event 2 now at day 50 (it was 5), the final event at 51.
        const QByteArray events = package.entry(QStringLiteral("xl/worksheets/sheet1.xml"));
        const QRegularExpression earliestOfEvent2(QStringLiteral("<c r=\"C3\"[^>]*><v>50</v>"));
        QVERIFY2(earliestOfEvent2.match(QString::fromUtf8(events)).hasMatch(), events.constData());

        // Data the check refuses: no workbook, the check's message.
        Project incomplete = f.app.project();
        Event first = incomplete.event(1);
        first.links[0].days.reset();
        incomplete.setEvent(1, first);
        giveProject(f.app, incomplete);
        const QString refused = f.dir.filePath("refused.xlsx");
        f.dialogs->fileNames.push_back(refused);
        excel->trigger();
        QVERIFY(!QFile::exists(refused));
        QVERIFY2(f.lastMessage().startsWith("Evento n. 1"), qPrintable(f.lastMessage()));
    }
};

QTEST_MAIN(TestExchangeWindows)
#include "test_exchange_windows.moc"
