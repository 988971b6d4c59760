#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/project_builder.h"
#include "support/window_controls.h"
#include "windows/dati.h"
#include "windows/gantt.h"
#include "windows/reticolo.h"
#include "windows/risultati.h"

#include "document/edit_commands.h"
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <QTest>
#include <QToolBar>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;

namespace {

// 1 → 3 has a total float of 3, free float 0; 3 → 4 total 6, free 6, independent 3.
const char* const kNetwork = "4: 1>2=6 1>3=2 2>4=3 3>4=1 3>2=1";

struct Fixture : zant::test::AppWithFakes
{
    Fixture()
    {
        giveProject(app, buildProject(QString::fromLatin1(kNetwork), QStringLiteral("01/03/2027")));
        app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
        app.registerWindow(win::risultati, [](ModZANT& a) { return new risultati(a); });
        app.registerWindow(win::reticolo, [](ModZANT& a) { return new reticolo(a); });
        app.registerWindow(win::gantt, [](ModZANT& a) { return new gantt(a); });
        app.today = [] { return QDate(2027, 3, 4); };
    }

    void compute() { clickButton(app.windowAs<dati>(win::dati), "risult"); }
    reticolo* network()
    {
        app.showWindow(win::reticolo);
        return app.windowAs<reticolo>(win::reticolo);
    }
    gantt* chart()
    {
        app.showWindow(win::gantt);
        return app.windowAs<gantt>(win::gantt);
    }
    risultati* results() { return app.windowAs<risultati>(win::risultati); }
};

QAction* toolAction(DiagramWindow* w, const char* name)
{
    return w->toolBar()->findChild<QAction*>(QString::fromLatin1(name));
}

// Where a picture point lies on the canvas, at the canvas's zoom.
QPoint onCanvas(DiagramWindow* w, QPointF picture)
{
    return (picture * w->canvas()->zoom()).toPoint();
}

bool showsPicture(DiagramWindow* w)
{
    return static_cast<QStackedWidget*>(w->centralWidget())->currentWidget() != w->emptyLabel();
}

} // namespace

class TestDiagramWindows final : public QObject
{
    Q_OBJECT

private slots:
    void refusedDataSaySo()
    {
        Fixture f;
        giveProject(f.app, buildProject("4: 1>2=6 1>3 2>4=3 3>4=1"));
        for (DiagramWindow* w : std::initializer_list<DiagramWindow*>{f.network(), f.chart()}) {
            QVERIFY(!showsPicture(w));
            QVERIFY2(w->emptyLabel()->text().contains(
                         QStringLiteral("i dati non superano il controllo")),
                     qPrintable(w->emptyLabel()->text()));
            QVERIFY(!toolAction(w, "esporta")->isEnabled());
        }
        QCOMPARE(f.network()->windowTitle(), QStringLiteral("ZANT: reticolo"));
        QCOMPARE(f.chart()->windowTitle(), QStringLiteral("ZANT: diagramma di Gantt"));
    }

    // The pictures follow every change of the data, whether a computation was asked for or not.
    void picturesFollowEveryEdit()
    {
        Fixture f;
        reticolo* net = f.network();
        gantt* g = f.chart();
        QVERIFY(showsPicture(net));
        QCOMPARE(int(g->chart().bars.size()), 5);
        f.app.edit<LinkEditCommand>(LinkEditCommand::InsertSlot, 1, 1);
        QCOMPARE(int(g->chart().bars.size()), 6);
        QCOMPARE(int(net->layout().activities.size()), 6);
        f.app.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 2, 20.0);
        const auto finish = [&] {
            double latest = 0;
            for (const GanttBar& bar : g->chart().bars)
                latest = std::max(latest, bar.finish);
            return latest;
        };
        QCOMPARE(finish(), 23.0); // 1 → 2 now 20 days, then 2 → 4 in 3
        f.app.undo();
        f.app.undo();
        QCOMPARE(int(g->chart().bars.size()), 5);
        QCOMPARE(finish(), 9.0);
        giveProject(f.app, buildProject("4: 1>2=6 1>3 2>4=3 3>4=1"));
        QVERIFY(!showsPicture(net));
        QVERIFY(!showsPicture(g));
    }

    void newResultsRefreshBothWindows()
    {
        Fixture f;
        reticolo* net = f.network();
        gantt* g = f.chart();
        f.compute();
        QVERIFY(showsPicture(net));
        QVERIFY(showsPicture(g));
        QCOMPARE(int(net->layout().events.size()), 4);
        QCOMPARE(int(net->layout().activities.size()), 5);
        QCOMPARE(int(g->chart().bars.size()), 5);
        QVERIFY(toolAction(net, "esporta")->isEnabled());
        QCOMPARE(net->canvas()->size(),
                 QSize(int(std::ceil(net->layout().width)), int(std::ceil(net->layout().height))));
    }

    void modeSwitchByKeyboard()
    {
        Fixture f;
        f.compute();
        reticolo* net = f.network();
        QCOMPARE(net->layout().mode, LayoutMode::TimeScale);
        QCOMPARE(net->modo()->accessibleName(), QStringLiteral("modo del disegno"));
        net->modo()->setFocus();
        QTest::keyClick(net->modo(), Qt::Key_Down);
        QCOMPARE(net->modo()->currentText(), QStringLiteral("per livelli"));
        QCOMPARE(net->layout().mode, LayoutMode::Levels);
        QTest::keyClick(net->modo(), Qt::Key_Up);
        QCOMPARE(net->layout().mode, LayoutMode::TimeScale);
    }

    void zoomWithKeysWheelAndFit()
    {
        Fixture f;
        f.compute();
        reticolo* net = f.network();
        QVERIFY(QTest::qWaitForWindowExposed(net));
        QCOMPARE(net->canvas()->zoom(), 1.0);
        QTest::keyClick(net, Qt::Key_Plus);
        QCOMPARE(net->canvas()->zoom(), 1.25);
        QTest::keyClick(net, Qt::Key_Minus);
        QCOMPARE(net->canvas()->zoom(), 1.0);
        // Ctrl and the wheel zoom; the wheel alone does not.
        const QPoint at(20, 20);
        QWheelEvent up(at, net->canvas()->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                       Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(net->canvas(), &up);
        QCOMPARE(net->canvas()->zoom(), 1.25);
        QWheelEvent plain(at, net->canvas()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(net->canvas(), &plain);
        QCOMPARE(net->canvas()->zoom(), 1.25);
        // Fit: the whole picture inside the visible area.
        net->resize(400, 300);
        toolAction(net, "adatta")->trigger();
        auto* area = net->findChild<QScrollArea*>(QStringLiteral("area"));
        QVERIFY(net->canvas()->width() <= area->maximumViewportSize().width());
        QVERIFY(net->canvas()->height() <= area->maximumViewportSize().height());
    }

    void clickOnAnEventSelectsItInTheResults()
    {
        Fixture f;
        f.compute();
        reticolo* net = f.network();
        QVERIFY(QTest::qWaitForWindowExposed(net));
        const QPoint p = onCanvas(net, net->layout().eventAt(3).centre);
        QTest::mouseClick(net->canvas(), Qt::LeftButton, {}, p);
        QCOMPARE(net->selectedEvent(), 3);
        const ResultsWindowControls results(f.results());
        QVERIFY(results.Label13()->text().endsWith(QStringLiteral("n. 3")));
        QCOMPARE(results.cell("num", results.highlightedRow())->text(), QStringLiteral("3"));
        // A click on empty paper selects nothing new.
        QTest::mouseClick(net->canvas(), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(net->selectedEvent(), 3);
    }

    void dragPansInsteadOfSelecting()
    {
        Fixture f;
        f.compute();
        reticolo* net = f.network();
        net->resize(300, 200);
        QVERIFY(QTest::qWaitForWindowExposed(net));
        QTest::keyClick(net, Qt::Key_Plus);
        QTest::keyClick(net, Qt::Key_Plus);
        auto* area = net->findChild<QScrollArea*>(QStringLiteral("area"));
        area->horizontalScrollBar()->setValue(0);
        const QPoint start = onCanvas(net, net->layout().eventAt(1).centre);
        QTest::mousePress(net->canvas(), Qt::LeftButton, {}, start);
        QMouseEvent move(QEvent::MouseMove, start - QPoint(60, 0),
                         net->canvas()->mapToGlobal(start - QPoint(60, 0)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(net->canvas(), &move);
        QTest::mouseRelease(net->canvas(), Qt::LeftButton, {}, start - QPoint(60, 0));
        QCOMPARE(area->horizontalScrollBar()->value(), 60);
        QCOMPARE(net->selectedEvent(), 0);
    }

    void toolTipsGiveTimesDatesAndFloats()
    {
        Fixture f;
        f.compute();
        reticolo* net = f.network();
        const QString ev = net->toolTipAt(net->layout().eventAt(3).centre);
        QVERIFY2(ev.startsWith(QStringLiteral("Evento n. 3: Evento 3")), qPrintable(ev));
        QVERIFY2(ev.contains(QStringLiteral("tempo minimo 2 giorni (03/03/2027)")), qPrintable(ev));
        QVERIFY2(ev.contains(QStringLiteral("scorrimento 3 giorni")), qPrintable(ev));
        for (const LaidOutActivity& a : net->layout().activities) {
            if (a.from != 3 || a.to != 4)
                continue;
            // On the arrow, just out of its circle.
            const QString tip = net->toolTipAt((a.points[0] + a.points[1]) / 2);
            QVERIFY2(tip.contains(QStringLiteral("Attività 3 → 4")), qPrintable(tip));
            QVERIFY2(tip.contains(
                         QStringLiteral("scorrimento totale 6, libero 6, indipendente 3 giorni")),
                     qPrintable(tip));
        }
        QCOMPARE(net->toolTipAt(QPointF(1, 1)), QString());

        gantt* g = f.chart();
        const GanttGeometry& geo = g->geometry();
        int checked = 0;
        for (int row = 0; row < int(g->chart().bars.size()); ++row) {
            const GanttBar& bar = g->chart().bars[row];
            // Short bars lie under their diamonds, whose tool-tip is the event's.
            if ((bar.finish - bar.start) * geo.dayWidth < geo.rowHeight)
                continue;
            ++checked;
            const QPointF inside(geo.xOfDay((bar.start + bar.finish) / 2) + 0.3,
                                 geo.rowTop(row) + geo.rowHeight / 2);
            const QString tip = g->toolTipAt(inside);
            QVERIFY2(tip.contains(bar.label), qPrintable(tip));
            QCOMPARE(g->eventAt(inside), bar.from);
        }
        QVERIFY(checked > 0);
    }

    void resultsShowTheThreeFloatsOfAnActivity()
    {
        Fixture f;
        f.compute();
        risultati* r = f.results();
        r->selectEvent(3);
        QCOMPARE(ResultsWindowControls(r).cell("scorrusc", 1)->toolTip(),
                 QStringLiteral("scorrimento totale 6, libero 6, indipendente 3 giorni"));
        QCOMPARE(ResultsWindowControls(r).cell("scorrusc", 2)->toolTip(),
                 QStringLiteral("scorrimento totale 3, libero 3, indipendente 0 giorni"));
    }

    void exportWritesTheChosenFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("svg") << "rete.svg"
                             << "rete.svg" << QByteArray("<?xml");
        QTest::newRow("pdf") << "rete.pdf"
                             << "rete.pdf" << QByteArray("%PDF");
        QTest::newRow("no suffix gives png") << "rete"
                                             << "rete.png" << QByteArray("\x89PNG");
    }

    void exportWritesTheChosenFormat()
    {
        QFETCH(QString, name);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        QTemporaryDir dir;
        Fixture f;
        f.compute();
        gantt* g = f.chart();
        f.dialogs->fileNames.push_back(dir.filePath(name));
        toolAction(g, "esporta")->trigger();
        QCOMPARE(f.dialogs->messages.size(), size_t(0));
        QFile file(dir.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith(magic));
    }

    void exportPrintsOnSheets_data()
    {
        QTest::addColumn<bool>("network");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("paper");
        QTest::addColumn<bool>("written");
        QTest::newRow("network on A1") << true << 2 << "rete.pdf"
                                       << "2384 1684" << true;
        QTest::newRow("Gantt tiled on A4") << false << 4 << "gantt"
                                           << "842 595" << true;
        QTest::newRow("a sheet asks for a PDF") << true << 1 << "rete.png"
                                                << "" << false;
    }

    void exportPrintsOnSheets()
    {
        QFETCH(bool, network);
        QFETCH(int, format);
        QFETCH(QString, name);
        QFETCH(QString, paper);
        QFETCH(bool, written);
        QTemporaryDir dir;
        Fixture f;
        f.compute();
        DiagramWindow* w = network ? static_cast<DiagramWindow*>(f.network())
                                   : static_cast<DiagramWindow*>(f.chart());
        QComboBox* formato = w->findChild<QComboBox*>(QStringLiteral("formato"));
        QVERIFY(formato && !formato->accessibleName().isEmpty());
        // Chosen from the keyboard, as a user would.
        formato->setFocus();
        for (int i = 0; i < format; ++i)
            QTest::keyClick(formato, Qt::Key_Down);
        QCOMPARE(formato->currentIndex(), format);
        f.dialogs->fileNames.push_back(dir.filePath(name));
        toolAction(w, "esporta")->trigger();
        const QString path =
            dir.filePath(QFileInfo(name).suffix().isEmpty() ? name + ".pdf" : name);
        QCOMPARE(QFile::exists(path), written);
        if (!written) {
            QCOMPARE(f.dialogs->messages.size(), size_t(1));
            QVERIFY(f.dialogs->messages[0].message.text.contains(QStringLiteral(".pdf")));
            return;
        }
        QCOMPARE(f.dialogs->messages.size(), size_t(0));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString pdf = QString::fromLatin1(file.readAll());
        static const QRegularExpression box(
            QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        const auto m = box.match(pdf);
        QVERIFY(m.hasMatch());
        QCOMPARE(QStringLiteral("%1 %2")
                     .arg(qRound(m.captured(1).toDouble()))
                     .arg(qRound(m.captured(2).toDouble())),
                 paper);
    }

    void failedExportSaysWhy()
    {
        QTemporaryDir dir;
        Fixture f;
        f.compute();
        reticolo* net = f.network();
        f.dialogs->fileNames.push_back(dir.filePath(QStringLiteral("manca/rete.svg")));
        toolAction(net, "esporta")->trigger();
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QVERIFY(f.dialogs->messages[0].message.text.contains(QStringLiteral("rete.svg")));
        // Cancelled: nothing happens.
        toolAction(net, "esporta")->trigger();
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
    }

    void opensFromTheMenuAndTheResultsButtons()
    {
        Fixture f;
        f.compute();
        risultati* r = f.results();
        r->show();
        QVERIFY(QTest::qWaitForWindowExposed(r));
        auto* button = r->findChild<QPushButton*>(QStringLiteral("gantt"));
        QVERIFY(button && button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(f.app.isLoaded(win::gantt));
        QVERIFY(f.app.existingWindow(win::gantt)->isVisible());
        QVERIFY(!f.app.isLoaded(win::reticolo));
        auto* visu = r->menuBar()->findChild<QMenu*>(QStringLiteral("visu"));
        QAction* item = nullptr;
        for (QAction* a : visu->actions())
            if (a->objectName() == QLatin1String("visreticolo"))
                item = a;
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("&Reticolo"));
        item->trigger();
        QVERIFY(f.app.isLoaded(win::reticolo));
        QVERIFY(f.app.existingWindow(win::reticolo)->isVisible());
    }

    void todayLineFollowsTheClockSeam()
    {
        Fixture f;
        f.compute();
        gantt* g = f.chart();
        const QSize size = g->canvas()->size();
        const auto grab = [&] { return g->canvas()->grab(QRect(QPoint(0, 0), size)).toImage(); };
        const QImage withToday = grab();
        f.app.today = [] { return QDate(2030, 1, 1); };
        g->canvas()->update();
        QVERIFY(grab() != withToday);
    }
};

QTEST_MAIN(TestDiagramWindows)
#include "test_diagram_windows.moc"
