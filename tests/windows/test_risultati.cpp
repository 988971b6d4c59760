#include "document/edit_commands.h"
#include "model/data_check.h"
#include "model/text_format.h"
#include "schedule/schedule.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "support/project_builder.h"
#include "support/window_controls.h"
#include "windows/dati.h"
#include "windows/risultati.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

struct Fixture : zant::test::AppWithFakes
{

    explicit Fixture(const Project& project)
    {
        giveProject(app, project);
        app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
        app.registerWindow(win::risultati, [](ModZANT& a) { return new risultati(a); });
    }

    risultati* results() { return app.windowAs<risultati>(win::risultati); }
    ResultsWindowControls ui() { return ResultsWindowControls(results()); }
    // The results command of the data window: check, compute, show.
    void compute() { clickButton(app.windowAs<dati>(win::dati), "risult"); }
    // The mouse over an event's number, coming from the window's corner (a mouse already resting
    // there moves nothing).
    void hover(int row)
    {
        QTest::mouseMove(results(), QPoint(1, 1));
        QTest::mouseMove(ui().cell("num", row));
    }

    QString row(int r)
    {
        QStringList cells;
        for (const char* c : {"num", "tmin", "datmin", "tmax", "datmax", "scorr"})
            cells << ui().cell(c, r)->text();
        return cells.join('|');
    }
    QString outgoing(int r)
    {
        QStringList cells;
        for (const char* c : {"n3", "n4", "evenuscita", "tempusc", "scorrusc"})
            cells << ui().cell(c, r)->text();
        return cells.join('|');
    }
    QString incoming(int r)
    {
        QStringList cells;
        for (const char* c : {"n1", "n2", "eventrata"})
            cells << ui().cell(c, r)->text();
        return cells.join('|');
    }
    QColor colour(int r) { return ui().cell("tmax", r)->palette().color(QPalette::Window); }
};

const char* const kNetwork = "7: 1>2=5 1>3=2 1>4=1 1>5=1 1>6=1 1>7=3 2>7=1 3>7=1 4>7=1 5>7=1 6>7=1";

} // namespace

class TestRisultati final : public QObject
{
    Q_OBJECT

private slots:
    void opensWithTheResultsOfTheDataShown()
    {
        Fixture f(buildProject(kNetwork));
        QCOMPARE(f.row(1), QString("1|0|01/01/1990|0|01/01/1990|0"));
        QCOMPARE(f.row(7), QString("7|6|07/01/1990|6|07/01/1990|0"));
        QCOMPARE(f.ui().Text1()->text(), QString("- 1- 2- 7"));
        moveBar(f.ui().VScroll1(), 491);
        QCOMPARE(f.row(1), QString("491|||||"));
        QCOMPARE(f.row(10), QString("500|||||"));
    }

    void refusedDataShowTheCheckInsteadOfFigures()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        // An open brings data without the duration of 1 → 2: the figures computed before are
        // not shown.
        giveProject(f.app, buildProject("3: 1>2 2>3=1"));
        QCOMPARE(f.row(1), QString("1|||||"));
        QCOMPARE(f.ui().Text1()->text(), QString());
        QVERIFY2(f.results()->passo()->text().startsWith("Evento n. 1: i tempi medi"),
                 qPrintable(f.results()->passo()->text()));
        giveProject(f.app, buildProject(kNetwork));
        QCOMPARE(f.row(1), QString("1|0|01/01/1990|0|01/01/1990|0"));
        QCOMPARE(f.results()->passo()->text(),
                 QString("Finestra di sola lettura: visualizzare i risultati con le barre di "
                         "scorrimento."));
    }

    // Edits in any order, the window on screen or hidden meanwhile: every row and every link
    // shown is what a computation of the project as it is now gives.
    void followsEveryEdit_data()
    {
        QTest::addColumn<QString>("edits");
        QTest::addColumn<bool>("hiddenMeanwhile");

        QTest::newRow("a longer duration moves the later events") << "days 1 1 50" << false;
        QTest::newRow("an inserted event without links: the check refuses") << "insert 2" << false;
        QTest::newRow("an inserted event linked: a second start")
            << "insert 2,target 2 1 3,days 2 1 1" << false;
        QTest::newRow("a deleted event") << "delete 3" << false;
        QTest::newRow("edit, undo, redo") << "days 1 2 40,undo,redo,undo" << false;
        QTest::newRow("insert, link, lengthen, hidden meanwhile")
            << "insert 2,target 2 1 3,days 2 1 1,days 1 3 30" << true;
        QTest::newRow("retarget and delete a slot") << "target 3 1 6,delslot 1 1" << false;
        QTest::newRow("start date moved") << "start 15/08/2027" << true;
    }

    void followsEveryEdit()
    {
        QFETCH(QString, edits);
        QFETCH(bool, hiddenMeanwhile);
        Fixture f(buildProject(kNetwork));
        f.compute();
        if (hiddenMeanwhile)
            f.results()->hide();
        for (const QString& edit : edits.split(',')) {
            const QStringList w = edit.split(' ');
            if (w[0] == "days")
                f.app.edit<LinkEditCommand>(LinkEditCommand::Days, w[1].toInt(), w[2].toInt(),
                                            w[3].toDouble());
            else if (w[0] == "target")
                f.app.edit<LinkEditCommand>(LinkEditCommand::Target, w[1].toInt(), w[2].toInt(),
                                            w[3].toDouble());
            else if (w[0] == "delslot")
                f.app.edit<LinkEditCommand>(LinkEditCommand::DeleteSlot, w[1].toInt(),
                                            w[2].toInt());
            else if (w[0] == "insert")
                f.app.edit<InsertEventCommand>(w[1].toInt());
            else if (w[0] == "delete")
                f.app.edit<DeleteEventCommand>(w[1].toInt());
            else if (w[0] == "start")
                f.app.edit<SetStartDateCommand>(w[1]);
            else if (w[0] == "undo")
                f.app.undo();
            else if (w[0] == "redo")
                f.app.redo();
        }
        if (hiddenMeanwhile)
            f.results()->show();

        const Project& p = f.app.project();
        if (const auto fault = findDataFault(p)) {
            for (int r = 1; r <= risultati::kRows; ++r)
                QCOMPARE(f.row(r), QString::number(r) + "|||||");
            QCOMPARE(f.ui().Text1()->text(), QString());
            QCOMPARE(f.results()->passo()->text(), fault->text);
            return;
        }
        const ScheduleResults expected = ComputeSchedule(p);
        // Home highlights the first event, Down each of the next ones.
        for (int e = 1; e <= p.eventCount(); ++e) {
            QTest::keyClick(f.results(), e == 1 ? Qt::Key_Home : Qt::Key_Down);
            QCOMPARE(f.ui().highlightedEvent(), e);
            const int row = f.ui().highlightedRow();
            QCOMPARE(f.row(row),
                     QStringList({QString::number(e), formatDays(expected.earliest[e]),
                                  expected.earliestDate[e], formatDays(expected.latest[e]),
                                  expected.latestDate[e], formatDays(expected.eventFloat(e))})
                         .join('|'));
            for (int s = 1; s <= std::min(p.linkCount(e), 5); ++s) {
                const Link& link = p.link(e, s);
                QCOMPARE(f.outgoing(s),
                         QStringList({QString::number(s), QString::number(link.target),
                                      p.description(link.target), formatDays(link.days.value_or(0)),
                                      formatDays(expected.linkFloatAt(e, s))})
                             .join('|'));
            }
        }
        QCOMPARE(f.ui().Text1()->text(), expected.criticalPath);
    }

    void showsTheComputedResults()
    {
        Fixture f(buildProject(kNetwork, "01/03/2027"));
        f.compute();
        QVERIFY(f.results()->isVisible());
        QCOMPARE(f.row(1), QString("1|0|01/03/2027|0|01/03/2027|0"));
        QCOMPARE(f.row(3), QString("3|2|03/03/2027|5|06/03/2027|3"));
        QCOMPARE(f.row(7), QString("7|6|07/03/2027|6|07/03/2027|0"));
        QCOMPARE(f.row(8), QString("8|||||"));
        QCOMPARE(f.ui().Text1()->text(), QString("- 1- 2- 7"));
    }

    void rowsBeyondTheLastComputationAreEmpty()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        giveProject(f.app, buildProject("2: 1>2=4"));
        f.compute();
        QCOMPARE(f.row(2), QString("2|4|05/01/1990|4|05/01/1990|0"));
        QCOMPARE(f.row(3), QString("3|||||"));
        f.hover(3);
        QCOMPARE(f.outgoing(1), QString("1||||"));
        QCOMPARE(f.incoming(1), QString("1||"));
    }

    void hoverFillsTheLinkTables()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        f.hover(1);
        QCOMPARE(f.colour(1), QColor(255, 255, 0));
        QCOMPARE(f.colour(2), QColor(0, 255, 255));
        QCOMPARE(f.outgoing(1), QString("1|2|Evento 2|5|0"));
        QCOMPARE(f.outgoing(2), QString("2|3|Evento 3|2|3"));
        QCOMPARE(f.outgoing(5), QString("5|6|Evento 6|1|4"));
        QCOMPARE(f.incoming(1), QString("1||"));
        // An activity with a name of its own is shown by it.
        f.app.edit<SetActivityNameCommand>(1, 2, QString("Fornitura serramenti"), 0);
        QCOMPARE(f.outgoing(2), QString("2|3|Fornitura serramenti|2|3"));
        f.app.undo();
        QCOMPARE(f.outgoing(2), QString("2|3|Evento 3|2|3"));
        QCOMPARE(f.ui().cell("n3", 1)->toolTip(),
                 QString("vengono visualizzati gli eventi che sono collegati dall'evento n. 1"));
        QCOMPARE(f.ui().Label13()->text(),
                 QString("I risultati riportati nelle tabelle in basso si riferiscono all'evento "
                         "evidenziato n. 1"));
        // More than five links: scrolling shows the later slots, then empty ones.
        moveBar(f.ui().VScroll3(), 5);
        QCOMPARE(f.outgoing(1), QString("5|6|Evento 6|1|4"));
        QCOMPARE(f.outgoing(2), QString("6|7|Evento 7|3|3"));
        QCOMPARE(f.outgoing(3), QString("7||||"));

        // The final event: incoming links only.
        moveBar(f.ui().VScroll3(), 1);
        f.hover(7);
        QCOMPARE(f.outgoing(1), QString("1||||"));
        QCOMPARE(f.incoming(1), QString("1|1|Evento 1"));
        QCOMPARE(f.incoming(5), QString("5|5|Evento 5"));
        moveBar(f.ui().VScroll2(), 4);
        QCOMPARE(f.incoming(3), QString("6|6|Evento 6"));
        QCOMPARE(f.incoming(4), QString("7||"));
    }

    void positionsOnlyBeforeAnyHover()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        moveBar(f.ui().VScroll2(), 3);
        moveBar(f.ui().VScroll3(), 4);
        QCOMPARE(f.incoming(1), QString("3||"));
        QCOMPARE(f.outgoing(2), QString("5||||"));
    }

    // The lower tables and their caption always speak of the same event, whatever moved the
    // highlight or the table (mouse, wheel, keys, scroll bar, a change of the data) and in
    // whatever order.
    void linksAlwaysBelongToTheEventNamed_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::newRow("hover, then the wheel scrolls the table") << "hover 2,wheel -1";
        QTest::newRow("hover, scroll, a change of the data") << "hover 4,wheel -2,edit";
        QTest::newRow("hover, scroll bar, link lists scrolled") << "hover 3,bar 5,in 2,out 2";
        QTest::newRow("keys down past the last row") << "hover 9,key Down,key Down,key Down";
        QTest::newRow("page down then hover then page up")
            << "hover 1,key PageDown,hover 5,key PageUp";
        QTest::newRow("end, wheel back, edit, home") << "key End,wheel 3,edit,key Home";
        QTest::newRow("hover, edit that moves the event's float, wheel")
            << "hover 4,edit,wheel -1,out 1";
        QTest::newRow("keys before any hover") << "key Down,key Down,bar 3";
    }

    void linksAlwaysBelongToTheEventNamed()
    {
        QFETCH(QString, moves);
        // Fifteen events: 4 -> 6 has a float of 3 until the edit lengthens 1 -> 4.
        Fixture f(buildProject("15: 1>2=2 1>3=4 1>4=1 2>5=3 3>5=1 4>6=2 5>7=2 6>7=2 7>8=1 "
                               "8>9=1 9>10=1 10>11=1 11>12=1 12>13=1 13>14=1 14>15=1 3>15=1"));
        f.compute();
        risultati* w = f.results();
        const ResultsWindowControls ui(w);
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        double days = 1;
        for (const QString& move : moves.split(',')) {
            const QStringList m = move.split(' ');
            if (m[0] == "hover") {
                f.hover(m[1].toInt());
            } else if (m[0] == "wheel") {
                wheel(ui.cell("tmin", 5), m[1].toInt());
            } else if (m[0] == "key") {
                const QMap<QString, Qt::Key> keys{
                    {"Down", Qt::Key_Down},         {"Up", Qt::Key_Up},
                    {"PageDown", Qt::Key_PageDown}, {"PageUp", Qt::Key_PageUp},
                    {"Home", Qt::Key_Home},         {"End", Qt::Key_End}};
                // To the control with the focus, as the keyboard sends them.
                QTest::keyClick(QApplication::focusWidget(), keys.value(m[1]));
            } else if (m[0] == "bar") {
                moveBar(ui.VScroll1(), m[1].toInt());
            } else if (m[0] == "out") {
                moveBar(ui.VScroll3(), m[1].toInt());
            } else if (m[0] == "edit") {
                days += 3;
                f.app.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 3, days);
            }

            // The event named under the tables ...
            const QString caption = ui.Label13()->text();
            const int named = ui.highlightedEvent();
            if (named == 0)
                continue;
            QVERIFY2(caption.endsWith("evidenziato n. " + QString::number(named)),
                     qPrintable(move + ": " + caption));
            // ... is the one in yellow, when its row is shown ...
            for (int r = 1; r <= ui.rowCount(); ++r) {
                const bool itsRow = ui.cell("num", r)->text().toInt() == named;
                QCOMPARE(f.colour(r) == QColor(255, 255, 0), itsRow);
            }
            // ... and the one whose links and floats the tables show, as computed now.
            const Project& p = f.app.project();
            const ScheduleResults now = ComputeSchedule(p);
            for (int i = 1; i <= 5; ++i) {
                const int slot = ui.VScroll3()->value() + i - 1;
                const Link& link = p.link(named, slot);
                const QString expected =
                    link.isEmpty() || named == p.eventCount()
                        ? QString::number(slot) + "||||"
                        : QStringList({QString::number(slot), QString::number(link.target),
                                       p.description(link.target), formatDays(*link.days),
                                       formatDays(now.linkFloatAt(named, slot))})
                              .join('|');
                QCOMPARE(f.outgoing(i), expected);
            }
        }
    }

    void criticalRowsStandOut()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        // Critical: 1, 2 and 7.
        for (int r = 1; r <= 8; ++r) {
            const bool critical = r == 1 || r == 2 || r == 7;
            for (const char* column : {"num", "tmin", "scorr"}) {
                QLabel* cell = f.ui().cell(column, r);
                QCOMPARE(cell->font().bold(), critical);
                QCOMPARE(cell->palette().color(QPalette::WindowText) == QColor(0xc0, 0, 0),
                         critical);
            }
        }
        // Scrolled, the marks go with the events.
        moveBar(f.ui().VScroll1(), 2);
        QVERIFY(f.ui().cell("num", 1)->font().bold());
        QVERIFY(!f.ui().cell("num", 2)->font().bold());
        QVERIFY(f.ui().cell("num", 6)->font().bold());
    }

    void toolbar_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("apri file") << 1 << false;
        QTest::newRow("salva file") << 2 << false;
        QTest::newRow("elimina file") << 3 << true;
        QTest::newRow("stampa dati finestra") << 4 << true;
        QTest::newRow("finestra Dati") << 6 << true;
        QTest::newRow("controllo dati immessi") << 17 << false;
        QTest::newRow("cancella dati finestra") << 18 << false;
        QTest::newRow("uscita") << 19 << true;
    }

    void toolbar()
    {
        QFETCH(int, position);
        QFETCH(bool, enabled);
        Fixture f(buildProject(kNetwork));
        auto* action = f.results()->findChild<QAction*>(QString("Toolbar1_%1").arg(position));
        QVERIFY(action);
        QCOMPARE(action->isEnabled(), enabled);
        const int filesBefore = f.dialogs->fileDialogs.size();
        const int questionsBefore = f.dialogs->questions.size();
        f.results()->show();
        clickToolbar(f.results(), position);
        switch (position) {
        case 3:
            QVERIFY(f.dialogs->fileDialogs.last().startsWith("open|Elimina:"));
            break;
        case 4:
            QCOMPARE(f.output->opened.size(), 1);
            QVERIFY(f.output->opened.first().endsWith("ZANT-risultati-2026-12-07-1530.docx"));
            break;
        case 6:
            QVERIFY(f.app.existingWindow(win::dati)->isVisible());
            break;
        case 19:
            // Nothing unsaved: no question, every window closes and the program ends.
            QVERIFY(f.dialogs->questions.isEmpty());
            QVERIFY(!f.app.isLoaded(win::risultati));
            QCOMPARE(f.processEnded, 1);
            break;
        default:
            // The disabled positions do nothing, whatever calls them.
            QCOMPARE(f.dialogs->fileDialogs.size(), filesBefore);
            QCOMPARE(f.dialogs->questions.size(), questionsBefore);
        }
    }

    void printComputesFromTheCurrentData()
    {
        Fixture f(buildProject("2: 1>2=4"));
        f.compute();
        giveProject(f.app, buildProject(kNetwork));
        clickToolbar(f.results(), 4);
        QCOMPARE(f.results()->passo()->text(), QString("ho visualizzato i risultati con WORD"));
        QCOMPARE(f.app.results().eventCount, 7);
        QCOMPARE(f.row(7), QString("7|6|07/01/1990|6|07/01/1990|0"));

        giveProject(f.app, buildProject("3: 1>2=1"));
        chooseMenuItem(f.results(), "stampa");
        QVERIFY(f.dialogs->lastMessageText().startsWith("Evento n. 2"));
        QCOMPARE(f.app.results().eventCount, 7);
    }

    void quickHelpAndGuideQuestion()
    {
        Fixture f(buildProject(kNetwork));
        // The window's own item in "Visualizza" is there when its guide is.
        f.app.registerWindow(win::guidarisultati, [](ModZANT&) { return new QWidget; });
        clickButton(f.results(), "aiuto");
        QCOMPARE(f.dialogs->messages.back().title, QString("ZANT: aiuto in linea"));
        QVERIFY(f.dialogs->lastMessageText().startsWith("- La finestra è di sola lettura;\n"));
        chooseMenuItem(f.results(), "fin2");
        QVERIFY(!f.dialogs->questions.isEmpty());
        QCOMPARE(f.dialogs->questions.last(),
                 QString("ZANT: aiuto in linea|E' questa la finestra 'Risultati': si vuole la "
                         "guida della finestra?|Yes"));
    }
};

QTEST_MAIN(TestRisultati)
#include "test_risultati.moc"
