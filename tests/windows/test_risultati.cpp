#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "support/project_builder.h"
#include "windows/dati.h"
#include "windows/risultati.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

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
    // The results command of the data window: check, compute, show.
    void compute() { app.windowAs<dati>(win::dati)->risult_Click(); }

    QString row(int r)
    {
        QStringList cells;
        for (const char* c : {"num", "tmin", "datmin", "tmax", "datmax", "scorr"})
            cells << results()->cell(c, r)->text();
        return cells.join('|');
    }
    QString outgoing(int r)
    {
        QStringList cells;
        for (const char* c : {"n3", "n4", "evenuscita", "tempusc", "scorrusc"})
            cells << results()->cell(c, r)->text();
        return cells.join('|');
    }
    QString incoming(int r)
    {
        QStringList cells;
        for (const char* c : {"n1", "n2", "eventrata"})
            cells << results()->cell(c, r)->text();
        return cells.join('|');
    }
    QColor colour(int r) { return results()->cell("tmax", r)->palette().color(QPalette::Window); }
};

const char* const kNetwork = "7: 1>2=5 1>3=2 1>4=1 1>5=1 1>6=1 1>7=3 2>7=1 3>7=1 4>7=1 5>7=1 6>7=1";

} // namespace

class TestRisultati final : public QObject
{
    Q_OBJECT

private slots:
    void beforeAnyComputation()
    {
        Fixture f(buildProject(kNetwork));
        QCOMPARE(f.row(1), QString("1|0||||"));
        QCOMPARE(f.row(2), QString("2|||||"));
        QCOMPARE(f.results()->Text1()->text(), QString());
        f.results()->VScroll1()->setValue(491);
        QCOMPARE(f.row(1), QString("491|||||"));
        QCOMPARE(f.row(10), QString("500|||||"));
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
        QCOMPARE(f.results()->Text1()->text(), QString("- 1- 2- 7"));
    }

    void rowsBeyondTheLastComputationAreEmpty()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        giveProject(f.app, buildProject("2: 1>2=4"));
        f.compute();
        QCOMPARE(f.row(2), QString("2|4|05/01/1990|4|05/01/1990|0"));
        QCOMPARE(f.row(3), QString("3|||||"));
        f.results()->num_MouseMove(3);
        QCOMPARE(f.outgoing(1), QString("1||||"));
        QCOMPARE(f.incoming(1), QString("1||"));
    }

    void hoverFillsTheLinkTables()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        f.results()->num_MouseMove(1);
        QCOMPARE(f.colour(1), QColor(255, 255, 0));
        QCOMPARE(f.colour(2), QColor(0, 255, 255));
        QCOMPARE(f.outgoing(1), QString("1|2|Evento 2|5|0"));
        QCOMPARE(f.outgoing(2), QString("2|3|Evento 3|2|3"));
        QCOMPARE(f.outgoing(5), QString("5|6|Evento 6|1|4"));
        QCOMPARE(f.incoming(1), QString("1||"));
        QCOMPARE(f.results()->Label13()->text(),
                 QString("I risultati riportati nelle tabelle in basso si riferiscono all'evento "
                         "evidenziato n. 1"));
        // More than five links: scrolling shows the later slots, then empty ones.
        f.results()->VScroll3()->setValue(5);
        QCOMPARE(f.outgoing(1), QString("5|6|Evento 6|1|4"));
        QCOMPARE(f.outgoing(2), QString("6|7|Evento 7|3|3"));
        QCOMPARE(f.outgoing(3), QString("7||||"));

        // The final event: incoming links only.
        f.results()->VScroll3()->setValue(1);
        f.results()->num_MouseMove(7);
        QCOMPARE(f.outgoing(1), QString("1||||"));
        QCOMPARE(f.incoming(1), QString("1|1|Evento 1"));
        QCOMPARE(f.incoming(5), QString("5|5|Evento 5"));
        f.results()->VScroll2()->setValue(4);
        QCOMPARE(f.incoming(3), QString("6|6|Evento 6"));
        QCOMPARE(f.incoming(4), QString("7||"));
    }

    void positionsOnlyBeforeAnyHover()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        f.results()->VScroll2()->setValue(3);
        f.results()->VScroll3()->setValue(4);
        QCOMPARE(f.incoming(1), QString("3||"));
        QCOMPARE(f.outgoing(2), QString("5||||"));
    }

    void rememberedRowAfterScrolling()
    {
        Fixture f(buildProject(kNetwork));
        f.compute();
        f.results()->num_MouseMove(2);
        f.results()->VScroll1()->setValue(2);
        QCOMPARE(f.colour(2), QColor(0, 255, 255));
        // The row is remembered: row 2 now shows event 3.
        f.results()->VScroll3()->setValue(2);
        f.results()->VScroll3()->setValue(1);
        QCOMPARE(f.outgoing(1), QString("1|7|Evento 7|1|3"));
        QVERIFY(f.results()->Label13()->text().endsWith("n. 2"));
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
        f.results()->Toolbar1_ButtonClick(position);
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
            QVERIFY(f.dialogs->questions.last().contains("Vuoi uscire da ZANT?"));
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
        f.results()->stampa_Click();
        QCOMPARE(f.results()->passo()->text(), QString("ho visualizzato i risultati con WORD"));
        QCOMPARE(f.app.results().eventCount, 7);
        QCOMPARE(f.row(7), QString("7|6|07/01/1990|6|07/01/1990|0"));

        giveProject(f.app, buildProject("3: 1>2=1"));
        f.results()->stampa_Click();
        QVERIFY(f.dialogs->lastMessageText().startsWith("Evento n. 2"));
        QCOMPARE(f.app.results().eventCount, 7);
    }

    void quickHelpAndGuideQuestion()
    {
        Fixture f(buildProject(kNetwork));
        f.results()->aiuto_Click();
        QCOMPARE(f.dialogs->messages.back().title, QString("ZANT: aiuto in linea"));
        QVERIFY(f.dialogs->lastMessageText().startsWith("- La finestra è di sola lettura;\r"));
        f.results()->fin2_Click();
        QCOMPARE(f.dialogs->questions.last(),
                 QString("ZANT: aiuto in linea|E' questa la finestra 'Risultati': si vuole la "
                         "guida della finestra?|Yes"));
    }
};

QTEST_MAIN(TestRisultati)
#include "test_risultati.moc"
