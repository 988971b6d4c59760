// Data entry driven as a user drives it: keys, clicks and the wheel on the real widgets.

#include "model/project_file.h"
#include "model/text_format.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/project_builder.h"
#include "support/window_controls.h"
#include "windows/dati.h"
#include "windows/frmSplash.h"
#include "windows/frontespizio.h"
#include "windows/risultati.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;
using zant::test::describeLinks;

namespace {

// Two links lead into event 2, one of them from a later event, so deleting event 2 removes
// links and renumbers others.
const char* const kNetwork = "5: 1>2=3 1>3=4 2>4=2 3>2=1 3>5=6 4>5=1";

struct Fixture : zant::test::AppWithFakes
{
    dati* window = nullptr;
    DataWindowControls ui{nullptr};
    QTemporaryDir dir;

    explicit Fixture(const Project& project = buildProject(kNetwork, "16/03/2026"))
    {
        giveProject(app, project, titlePageWith(TitlePage::progetto, "Scuola"));
        app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
        app.registerWindow(win::frmSplash, [](ModZANT& a) { return new frmSplash(a); });
        window = app.windowAs<dati>(win::dati);
        ui = DataWindowControls(window);
        window->show();
        QApplication::setActiveWindow(window);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window);
    }

    QString links() const { return describeLinks(app.project()); }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    QPushButton* button(const QString& name) const { return window->findChild<QPushButton*>(name); }
    // Clicks into a box, selects what it holds and types over it.
    void typeInto(QLineEdit* box, const QString& text, bool enter = true) const
    {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
        if (enter)
            QTest::keyClick(box, Qt::Key_Return);
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) const
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keyClick(target, Qt::Key(k), m);
    }
    void hoverEvent(int row) const { QTest::mouseMove(ui.num(row)); }
};

// Controls whose frames share more than a hairline: the design's rows touch by a twip or two,
// which scaling may round to a couple of pixels.
bool overlap(const QWidget* a, const QWidget* b)
{
    const QRect common = a->geometry().intersected(b->geometry());
    return common.width() > 3 && common.height() > 3;
}

// The width a caption needs in its control.
int captionRoom(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->contentsRect().width() - 2 * label->indent() - 2 * label->margin();
    return w->width();
}

QString captionOf(const QWidget* w)
{
    if (const auto* label = qobject_cast<const QLabel*>(w))
        return label->wordWrap() || label->textFormat() == Qt::RichText ? QString() : label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        return QString(button->text()).remove(QLatin1Char('&'));
    return QString();
}

int captionNeed(const QWidget* w)
{
    const int text = w->fontMetrics().horizontalAdvance(captionOf(w));
    if (qobject_cast<const QRadioButton*>(w))
        return text + 20; // the round mark and its gap
    if (qobject_cast<const QPushButton*>(w))
        return text + 4; // the padding of the style sheet
    return text;
}

} // namespace

class TestSafeEntry final : public QObject
{
    Q_OBJECT

private slots:
    void tabRunsInReadingOrderAndSkipsTheDeleteButtons()
    {
        Fixture f;
        QList<QWidget*> expected;
        for (int r = 1; r <= dati::kRows; ++r)
            expected << f.ui.even(r);
        for (int r = 1; r <= dati::kRows; ++r)
            expected << f.ui.leg(r) << f.ui.gior(r) << f.ui.nome(r) << f.ui.importo(r)
                     << f.ui.categoria(r);
        expected << f.ui.datiniz() << f.ui.calendario();
        for (const char* name : {"aiuto", "guidainlinea", "risult", "esco"}) {
            if (f.button(name)->isEnabled())
                expected << f.button(name);
        }
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), f.ui.even(1));
        for (qsizetype i = 1; i < expected.size(); ++i) {
            f.key(Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), expected[i]);
        }
        for (qsizetype i = expected.size() - 1; i > 0; --i) {
            f.key(Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), expected[i - 1]);
        }
        for (int r = 1; r <= dati::kRows; ++r) {
            QCOMPARE(f.ui.delriga(r)->focusPolicy(), Qt::NoFocus);
            QCOMPARE(f.ui.cancleg(r)->focusPolicy(), Qt::NoFocus);
            QCOMPARE(f.ui.num(r)->focusPolicy(), Qt::NoFocus);
        }
    }

    void tabThenSpaceDeletesNothing()
    {
        Fixture f;
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        f.key(Qt::Key_Tab);
        f.key(Qt::Key_Space);
        QCOMPARE(f.app.project().eventCount(), 5);
        QCOMPARE(f.links(), QString(kNetwork));
        // The space went into the description, which Annulla gives back.
        QCOMPARE(f.app.project().description(2), QString(" "));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.app.project().description(2), QString("Evento 2"));
        QVERIFY(!f.window->isWindowModified());
    }

    void typingAfterTabInAnEmptyProject()
    {
        Fixture f{Project()};
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        QTest::keyClicks(f.ui.even(1), "Inizio");
        f.key(Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "Fine lavori");
        QCOMPARE(f.app.project().eventCount(), 2);
        QCOMPARE(f.app.project().description(2), QString("Fine lavori"));
        QVERIFY(f.dialogs->messages.empty());
    }

    void typedValues_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("links");
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("message");
        const QString same = kNetwork;
        const QString start = "16/03/2026";
        // Event 1 is selected: slots 1 and 2 filled.
        QTest::newRow("date in full") << "date"
                                      << "01/04/2027" << same << "01/04/2027"
                                      << "";
        QTest::newRow("date with short day, month and year") << "date"
                                                             << "5/9/26" << same << "05/09/2026"
                                                             << "";
        QTest::newRow("date that does not exist")
            << "date"
            << "31/02/2026" << same << start
            << "Data non valida: digitarla come giorno/mese/anno, ad esempio 16/03/2026.";
        QTest::newRow("date before the bar's range")
            << "date"
            << "31/12/1989" << same << start
            << "La data d'inizio va scelta dal 01/01/1990 al 17/09/2079.";
        QTest::newRow("target of a filled slot")
            << "leg 2"
            << "5"
            << "5: 1>2=3 1>5=4 2>4=2 3>2=1 3>5=6 4>5=1" << start << "";
        QTest::newRow("target of the next free slot")
            << "leg 3"
            << "4"
            << "5: 1>2=3 1>3=4 1>4 2>4=2 3>2=1 3>5=6 4>5=1" << start << "";
        QTest::newRow("target beyond the last event")
            << "leg 1"
            << "6" << same << start << "Digitare un numero di evento da 1 a 5.";
        QTest::newRow("target that is not a number")
            << "leg 1"
            << "due" << same << start << "Digitare un numero di evento da 1 a 5.";
        QTest::newRow("target after an empty slot")
            << "leg 4"
            << "3" << same << start << "Scegliere prima il legame n. 3";
        QTest::newRow("days with a decimal comma")
            << "gior 1"
            << "2,5"
            << "5: 1>2=2.5 1>3=4 2>4=2 3>2=1 3>5=6 4>5=1" << start << "";
        QTest::newRow("days with a decimal point")
            << "gior 2"
            << "10.5"
            << "5: 1>2=3 1>3=10.5 2>4=2 3>2=1 3>5=6 4>5=1" << start << "";
        QTest::newRow("days over 1000")
            << "gior 1"
            << "1001" << same << start << "Digitare un numero di giorni da 0 a 1000.";
        QTest::newRow("negative days")
            << "gior 1"
            << "-1" << same << start << "Digitare un numero di giorni da 0 a 1000.";
        QTest::newRow("days of a slot without a target")
            << "gior 3"
            << "4" << same << start << "Scegliere prima il legame a cui corrispondono i tempi.";
    }

    void typedValues()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, links);
        QFETCH(QString, date);
        QFETCH(QString, message);
        Fixture f;
        f.hoverEvent(1);
        QCOMPARE(f.ui.selectedEvent(), 1);
        QLineEdit* edit = box == "date"           ? f.ui.datiniz()
                          : box.startsWith("leg") ? f.ui.leg(box.section(' ', 1).toInt())
                                                  : f.ui.gior(box.section(' ', 1).toInt());
        f.typeInto(edit, typed);
        QCOMPARE(f.links(), links);
        QCOMPARE(f.app.project().startDateText(), date);
        QCOMPARE(f.dialogs->lastMessageText(), message);
        // The bar follows the box.
        QCOMPARE(f.ui.scrolladata()->value(),
                 int(QDate(1989, 12, 31).daysTo(parseDate(f.app.project().startDateText()))));
        if (message.isEmpty() && box != "date") {
            const int row = box.section(' ', 1).toInt();
            QScrollBar* bar =
                box.startsWith("leg") ? f.ui.scrollalegami(row) : f.ui.scrollagiorni(row);
            QCOMPARE(bar->value(), int(typed.section(QRegularExpression("[,.]"), 0, 0).toInt()));
        }
        // Leaving the box stores nothing more.
        const qsizetype steps = f.app.undoStack().count();
        f.key(Qt::Key_Tab);
        QCOMPARE(f.app.undoStack().count(), steps);
        QCOMPARE(f.app.isModified(), message.isEmpty());
    }

    void dateFromTheCalendar()
    {
        Fixture f;
        QTimer::singleShot(0, [] {
            QWidget* popup = QApplication::activePopupWidget();
            QVERIFY(popup);
            auto* calendar = popup->findChild<QCalendarWidget*>();
            QVERIFY(calendar);
            QCOMPARE(calendar->selectedDate(), QDate(2026, 3, 16));
            calendar->setSelectedDate(QDate(2026, 4, 1));
            QTest::keyClick(calendar->findChild<QTableView*>(), Qt::Key_Return);
        });
        QTest::mouseClick(f.ui.calendario(), Qt::LeftButton);
        QCOMPARE(f.app.project().startDateText(), QString("01/04/2026"));
        QCOMPARE(f.ui.datiniz()->text(), QString("01/04/2026"));
        QCOMPARE(f.ui.scrolladata()->value(), int(QDate(1989, 12, 31).daysTo(QDate(2026, 4, 1))));
        QApplication::setActiveWindow(f.window);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.app.project().startDateText(), QString("16/03/2026"));
    }

    void leavingATypedBoxStoresItsValue()
    {
        Fixture f;
        f.hoverEvent(1);
        f.typeInto(f.ui.gior(1), "7", false);
        QCOMPARE(*f.app.project().link(1, 1).days, 3.0);
        f.key(Qt::Key_Tab);
        QCOMPARE(*f.app.project().link(1, 1).days, 7.0);
    }

    void boxesOfTheFinalEventTakeNothing()
    {
        Fixture f;
        f.hoverEvent(5);
        QVERIFY(f.ui.leg(1)->isReadOnly());
        f.typeInto(f.ui.leg(1), "2");
        QCOMPARE(f.links(), QString(kNetwork));
    }

    void emptyDurationBarStartsAtItsMinimum()
    {
        Fixture f(buildProject("3: 1>2=11 1>3 2>3=1"));
        f.hoverEvent(1);
        QCOMPARE(f.ui.scrollagiorni(1)->value(), 11);
        QCOMPARE(f.ui.scrollagiorni(2)->value(), 0);
        QCOMPARE(f.ui.scrollagiorni(3)->value(), 0);
        // The first click on the right arrow of an empty duration gives 1.
        f.hoverEvent(1);
        QScrollBar* bar = f.ui.scrollagiorni(2);
        QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 4, bar->height() / 2));
        QCOMPARE(f.links(), QString("3: 1>2=11 1>3=1 2>3=1"));
    }

    void wheelScrollsOneRowANotch()
    {
        Project many;
        many.setEventCount(40);
        for (int i = 1; i <= 40; ++i)
            many.setEvent(i, Event{QString("E%1").arg(i), {Link{40, 1.0}}});
        std::vector<Link> links;
        for (int s = 1; s <= 30; ++s)
            links.push_back(Link{s + 1, double(s)});
        many.setEvent(1, Event{"E1", links});
        Fixture f(many);
        wheel(f.ui.even(4), -1);
        QCOMPARE(f.ui.topEvent(), 2);
        wheel(f.ui.num(2), -3);
        QCOMPARE(f.ui.topEvent(), 5);
        wheel(f.ui.VScroll1(), 2);
        QCOMPARE(f.ui.topEvent(), 3);

        moveBar(f.ui.VScroll3(), 1);
        wheel(f.ui.gior(5), -2);
        QCOMPARE(f.ui.topLinkSlot(), 3);
        // Over a duration bar the wheel scrolls the list and changes no duration.
        const Project before = f.app.project();
        wheel(f.ui.scrollagiorni(3), -1);
        QCOMPARE(f.ui.topLinkSlot(), 4);
        QVERIFY(f.app.project() == before);
        QVERIFY(!f.app.isModified());
    }

    void arrowsMoveBetweenRowsAndScrollAtTheEnds()
    {
        Project many;
        many.setEventCount(40);
        for (int i = 1; i <= 40; ++i)
            many.setEvent(i, Event{QString("E%1").arg(i), {}});
        Fixture f(many);
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        f.key(Qt::Key_Down);
        QCOMPARE(QApplication::focusWidget(), f.ui.even(2));
        f.key(Qt::Key_Up);
        f.key(Qt::Key_Up);
        QCOMPARE(QApplication::focusWidget(), f.ui.even(1));
        QCOMPARE(f.ui.topEvent(), 1);
        QTest::mouseClick(f.ui.even(10), Qt::LeftButton);
        f.key(Qt::Key_Down);
        QCOMPARE(f.ui.topEvent(), 2);
        QCOMPARE(QApplication::focusWidget(), f.ui.even(10));
        QCOMPARE(f.ui.even(10)->text(), QString("E11"));
        f.key(Qt::Key_PageDown);
        QCOMPARE(f.ui.topEvent(), 12);
        f.key(Qt::Key_PageUp);
        f.key(Qt::Key_PageUp);
        QCOMPARE(f.ui.topEvent(), 1);
        QVERIFY(!f.app.isModified());
    }

    void resultsTableScrollsByWheelAndKeys()
    {
        zant::test::AppWithFakes a;
        giveProject(a.app, buildProject("30: 1>30=1"));
        a.app.setResults(ComputeSchedule(a.app.project()));
        a.app.registerWindow(win::risultati, [](ModZANT& m) { return new risultati(m); });
        auto* w = a.app.windowAs<risultati>(win::risultati);
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        const ResultsWindowControls ui(w);
        wheel(ui.cell("tmin", 3), -1);
        QCOMPARE(ui.VScroll1()->value(), 2);
        QTest::keyClick(w, Qt::Key_PageDown);
        QCOMPARE(ui.VScroll1()->value(), 12);
        QTest::mouseMove(ui.cell("num", 9));
        QTest::keyClick(w, Qt::Key_Down);
        QCOMPARE(ui.highlightedRow(), 10);
        QTest::keyClick(w, Qt::Key_Down);
        QCOMPARE(ui.highlightedRow(), 10);
        QCOMPARE(ui.cell("num", 10)->text(), QString("22"));
        QTest::keyClick(w, Qt::Key_Up);
        QCOMPARE(ui.highlightedRow(), 9);
    }

    void undoAndRedoEveryKindOfEdit_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("after");
        QTest::newRow("typed description") << "type 2" << QString(kNetwork);
        QTest::newRow("event inserted") << "insert 2"
                                        << "6: 1>3=3 1>4=4 3>5=2 4>3=1 4>6=6 5>6=1";
        QTest::newRow("event deleted with links into it") << "delete 2"
                                                          << "4: 1>2=4 2>4=6 3>4=1";
        QTest::newRow("last event deleted") << "delete 5"
                                            << "4: 1>2=3 1>3=4 2>4=2 3>2=1";
        QTest::newRow("link slot inserted") << "insert slot 1"
                                            << "5: 1>2=3 1>2=3 1>3=4 2>4=2 3>2=1 3>5=6 4>5=1";
        QTest::newRow("link slot deleted") << "delete slot 1"
                                           << "5: 1>3=4 2>4=2 3>2=1 3>5=6 4>5=1";
        QTest::newRow("target by the bar") << "bar target 1"
                                           << "5: 1>3=3 1>3=4 2>4=2 3>2=1 3>5=6 4>5=1";
        QTest::newRow("days by the bar") << "bar days 2"
                                         << "5: 1>2=3 1>3=5 2>4=2 3>2=1 3>5=6 4>5=1";
        QTest::newRow("typed days") << "days 1"
                                    << "5: 1>2=8 1>3=4 2>4=2 3>2=1 3>5=6 4>5=1";
        QTest::newRow("typed date") << "date" << QString(kNetwork);
        QTest::newRow("clear") << "clear"
                               << "0: ";
    }

    void undoAndRedoEveryKindOfEdit()
    {
        QFETCH(QString, edit);
        QFETCH(QString, after);
        Fixture f;
        const Project before = f.app.project();
        QVERIFY(!f.action("annulla")->isEnabled());
        QVERIFY(!f.action("ripeti")->isEnabled());
        f.hoverEvent(1);
        const int n = edit.section(' ', -1).toInt();
        if (edit.startsWith("type")) {
            f.typeInto(f.ui.even(n), "Scavi di fondazione", false);
        } else if (edit == QString("insert %1").arg(n)) {
            QTest::mouseClick(f.ui.num(n), Qt::LeftButton);
        } else if (edit == QString("delete %1").arg(n)) {
            QTest::mouseClick(f.ui.delriga(n), Qt::LeftButton);
        } else if (edit.startsWith("insert slot")) {
            QTest::mouseClick(f.window->findChild<QLabel*>(QString("numleg%1").arg(n)),
                              Qt::LeftButton);
        } else if (edit.startsWith("delete slot")) {
            QTest::mouseClick(f.ui.cancleg(n), Qt::LeftButton);
        } else if (edit.startsWith("bar")) {
            QScrollBar* bar =
                edit.contains("target") ? f.ui.scrollalegami(n) : f.ui.scrollagiorni(n);
            QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 4, bar->height() / 2));
        } else if (edit.startsWith("days")) {
            f.typeInto(f.ui.gior(n), "8");
        } else if (edit == "date") {
            f.typeInto(f.ui.datiniz(), "01/06/2026");
        } else if (edit == "clear") {
            f.action("cancella")->trigger();
        }
        QCOMPARE(f.links(), after);
        const Project edited = f.app.project();
        QVERIFY(!(edited == before));
        QVERIFY(f.window->isWindowModified());
        QVERIFY(f.action("annulla")->isEnabled());
        QCOMPARE(f.app.undoStack().count(), 1);

        f.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(f.app.project() == before);
        QVERIFY(!f.window->isWindowModified());
        QVERIFY(!f.action("annulla")->isEnabled());
        QVERIFY(f.action("ripeti")->isEnabled());
        // What the window shows is the restored project.
        QCOMPARE(f.ui.even(2)->text(), QString("Evento 2"));
        QCOMPARE(f.ui.datiniz()->text(), QString("16/03/2026"));

        f.key(Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(f.app.project() == edited);
        f.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.app.project() == edited);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        f.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.app.project() == edited);
        QCOMPARE(f.links(), after);
    }

    void typingInOneBoxIsOneStep()
    {
        Fixture f;
        f.typeInto(f.ui.even(3), "Getto", false);
        f.typeInto(f.ui.even(4), "Disarmo", false);
        QCOMPARE(f.app.undoStack().count(), 2);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.ui.even(4)->text(), QString("Evento 4"));
        QCOMPARE(f.app.project().description(3), QString("Getto"));

        // Each typed value is a step; clicks on a bar's arrow in a row are one step.
        moveBar(f.ui.VScroll3(), 1);
        f.typeInto(f.ui.gior(1), "5");
        f.typeInto(f.ui.gior(1), "7");
        QScrollBar* bar = f.ui.scrollagiorni(1);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 4, bar->height() / 2));
        QCOMPARE(*f.app.project().link(1, 1).days, 10.0);
        QCOMPARE(f.app.undoStack().count(), 4);
        QApplication::setActiveWindow(f.window);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(*f.app.project().link(1, 1).days, 7.0);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(*f.app.project().link(1, 1).days, 5.0);
    }

    void titlePageFieldsUndo()
    {
        zant::test::AppWithFakes a;
        a.app.registerWindow(win::frontespizio, [](ModZANT& m) { return new frontespizio(m); });
        auto* w = a.app.windowAs<frontespizio>(win::frontespizio);
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QVERIFY(!w->isWindowModified());
        QTest::mouseClick(w->campo(TitlePage::committente), Qt::LeftButton);
        QTest::keyClicks(w->campo(TitlePage::committente), "Comune");
        QVERIFY(w->isWindowModified());
        QTest::keyClick(w->campo(TitlePage::committente), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(w->campo(TitlePage::committente)->text(), QString());
        QCOMPARE(a.app.titlePage()[TitlePage::committente], QString());
        QVERIFY(!w->isWindowModified());
        QTest::keyClick(w->campo(TitlePage::committente), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(w->campo(TitlePage::committente)->text(), QString("Comune"));
    }

    void unsavedChangesQuestion_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("wentOn");
        const QStringList paths{"close box", "open", "clear", "Ctrl+Q"};
        for (const QString& path : paths) {
            const QByteArray p = path.toUtf8();
            QTest::addRow("%s, nothing changed", p.data()) << path << false << -1 << true;
            QTest::addRow("%s, Annulla", p.data())
                << path << true << int(SaveChoice::Cancel) << false;
            QTest::addRow("%s, Non salvare", p.data())
                << path << true << int(SaveChoice::Discard) << true;
            QTest::addRow("%s, Salva", p.data()) << path << true << int(SaveChoice::Save) << true;
        }
    }

    void unsavedChangesQuestion()
    {
        QFETCH(QString, path);
        QFETCH(bool, changed);
        QFETCH(int, answer);
        QFETCH(bool, wentOn);
        Fixture f;
        const QString file = f.dir.filePath("ZANT-dati-scuola");
        const QString other = f.dir.filePath("ZANT-dati-altro");
        QVERIFY(writeProjectFile(other, buildProject("2: 1>2=1"), f.app.titlePage()).ok());
        giveDataFile(f.app, file);
        if (changed)
            f.typeInto(f.ui.even(2), "Scavi", false);
        const Project edited = f.app.project();
        if (answer >= 0)
            f.dialogs->saveAnswers.push_back(SaveChoice(answer));

        QPointer<QWidget> splash;
        if (path == "close box") {
            f.window->close();
        } else if (path == "open") {
            f.dialogs->fileNames.push_back(other);
            f.key(Qt::Key_O, Qt::ControlModifier);
        } else if (path == "clear") {
            f.action("cancella")->trigger();
        } else {
            f.key(Qt::Key_Q, Qt::ControlModifier);
            // Only the question about unsaved changes; then the closing splash, which a key
            // closes at once.
            QVERIFY(f.dialogs->questions.isEmpty());
            QCOMPARE(f.app.isLoaded(win::dati), !wentOn);
            splash = f.app.existingWindow(win::frmSplash);
            QCOMPARE(splash && splash->isVisible(), wentOn);
            if (splash)
                QTest::keyClick(splash, Qt::Key_A);
            QCOMPARE(f.processEnded, wentOn ? 1 : 0);
        }
        QCOMPARE(f.dialogs->saveQuestions.size(), changed ? 1 : 0);
        if (changed)
            QCOMPARE(f.dialogs->saveQuestions.first(),
                     QString("ZANT|Salvare le modifiche al progetto?"));
        QCOMPARE(QFile::exists(file), answer == int(SaveChoice::Save));
        // The close box of the data window is the way out too.
        if (path == "close box") {
            QCOMPARE(f.app.isLoaded(win::dati), !wentOn);
            QCOMPARE(f.processEnded, 0);
            if (wentOn)
                QVERIFY(f.app.existingWindow(win::frmSplash)->isVisible());
        }
        if (path == "open")
            QCOMPARE(f.links(), QString(wentOn ? "2: 1>2=1" : kNetwork));
        if (path == "clear")
            QCOMPARE(f.app.project().eventCount(), wentOn ? 0 : 5);
        if (path == "Ctrl+Q")
            QVERIFY(!splash || !splash->isVisible());
        // Leaving keeps the project in memory as it was until the end.
        if (path == "close box" || path == "Ctrl+Q")
            QVERIFY(f.app.project() == edited);
        if (answer == int(SaveChoice::Save))
            QVERIFY(path == "clear" || !f.app.isModified() || path == "open");
    }

    void failedSaveKeepsTheProjectModified()
    {
        Fixture f;
        giveDataFile(f.app, f.dir.filePath("no/such/folder/ZANT-dati-scuola"));
        f.typeInto(f.ui.even(1), "Inizio", false);
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QVERIFY(f.app.isModified());
        QVERIFY(f.window->isWindowModified());
        // A save that works clears the mark.
        giveDataFile(f.app, f.dir.filePath("ZANT-dati-scuola"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!f.window->isWindowModified());
        QVERIFY(readProjectFile(f.app.currentDataFile()));
        // Opening a file starts a fresh history.
        f.typeInto(f.ui.even(1), "Avvio", false);
        f.dialogs->saveAnswers.push_back(SaveChoice::Discard);
        f.dialogs->fileNames.push_back(f.app.currentDataFile());
        f.key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.app.project().description(1), QString("Inizio"));
        QVERIFY(!f.action("annulla")->isEnabled());
    }

    void shortcutsDoWhatTheMenuItemsDo_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << int(Qt::ControlModifier) << "open|Apri file";
        QTest::newRow("Ctrl+Shift+S")
            << int(Qt::Key_S) << int(Qt::ControlModifier | Qt::ShiftModifier)
            << "save|Salva file con nome";
        QTest::newRow("Ctrl+Q") << int(Qt::Key_Q) << int(Qt::ControlModifier) << "end";
    }

    void shortcutsDoWhatTheMenuItemsDo()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, dialog);
        Fixture f;
        f.key(key, Qt::KeyboardModifiers(modifiers));
        // Nothing unsaved: Ctrl+Q asks nothing and the program ends.
        if (dialog == "end") {
            QVERIFY(f.dialogs->questions.isEmpty() && f.dialogs->saveQuestions.isEmpty());
            QVERIFY(!f.app.isLoaded(win::dati));
            auto* splash = f.app.windowAs<frmSplash>(win::frmSplash);
            QVERIFY(splash->isVisible() && splash->isClosing());
            QCOMPARE(splash->closingTimer()->interval(), frmSplash::kClosingMilliseconds);
            QVERIFY(splash->closingTimer()->isActive());
            splash->closingTimeUp();
            QCOMPARE(f.processEnded, 1);
            return;
        }
        const QString asked = f.dialogs->fileDialogs.value(0);
        QVERIFY2(asked.startsWith(dialog), qPrintable(asked));
    }

    void titlesAndAccessibleNames()
    {
        Fixture f;
        // The titles carry the project's file name and the mark of unsaved changes.
        QCOMPARE(f.window->windowTitle(),
                 QString("ZANT: dati per l'elaborazione - nuovo progetto[*]"));
        giveDataFile(f.app, f.dir.filePath("ZANT-dati-scuola.txt"));
        QCOMPARE(f.window->windowTitle(),
                 QString("ZANT: dati per l'elaborazione - ZANT-dati-scuola.txt[*]"));
        QCOMPARE(f.ui.datiniz()->accessibleName(), QString("Data d'inizio degli eventi"));
        QCOMPARE(f.ui.even(3)->accessibleName(), QString("descrizione evento 3"));
        QCOMPARE(f.ui.leg(2)->accessibleName(), QString("evento legato, legame 2"));
        QCOMPARE(f.ui.gior(2)->accessibleName(), QString("giorni, legame 2"));
        QCOMPARE(f.button("aiuto")->accessibleName(), QString("AIUTO"));
        QCOMPARE(f.button("esco")->accessibleName(), QString("USCITA"));
        wheel(f.ui.even(1), -2);
        QCOMPARE(f.ui.even(3)->accessibleName(), QString("descrizione evento 5"));
        moveBar(f.ui.VScroll2(), 4);
        QCOMPARE(f.ui.leg(2)->accessibleName(), QString("evento legato, legame 5"));

        frontespizio page(f.app);
        QCOMPARE(page.windowTitle(),
                 QString("ZANT: frontespizio per la relazione - ZANT-dati-scuola.txt[*]"));
        QCOMPARE(page.campo(TitlePage::localita)->accessibleName(), QString("località"));
        QCOMPARE(page.campo(TitlePage::tipostudio)->accessibleName(),
                 QString("tipologia di studio"));
    }

    void honestStatusWhenNoProgramOpensTheDocument()
    {
        Fixture f;
        f.output->canOpen = false;
        f.action("stampa")->trigger();
        QVERIFY2(f.window->passo()->text().contains("nessun programma"),
                 qPrintable(f.window->passo()->text()));
        f.output->canOpen = true;
        f.action("stampa")->trigger();
        QCOMPARE(f.window->passo()->text(), QString("ho visualizzato i dati con WORD"));
    }

    void mainWindowsOpenCentredThenCascade()
    {
        zant::test::AppWithFakes a;
        a.app.registerWindow(win::dati, [](ModZANT& m) { return new dati(m); });
        a.app.registerWindow(win::risultati, [](ModZANT& m) { return new risultati(m); });
        // The results window first: the data window, wider for the activities' names, is wider
        // than the test platform's screen.
        a.app.showWindow(win::risultati);
        QWidget* first = a.app.existingWindow(win::risultati);
        const QRect screen = first->screen()->availableGeometry();
        QVERIFY(qAbs(first->frameGeometry().center().x() - screen.center().x()) <= 2);
        QVERIFY(qAbs(first->frameGeometry().center().y() - screen.center().y()) <= 2);
        a.app.showWindow(win::dati);
        QCOMPARE(a.app.existingWindow(win::dati)->pos(), first->pos() + QPoint(30, 30));
    }

    void closingTheLastWindowAsks()
    {
        zant::test::AppWithFakes a;
        a.app.registerWindow(win::frontespizio, [](ModZANT& m) { return new frontespizio(m); });
        auto* w = a.app.windowAs<frontespizio>(win::frontespizio);
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::mouseClick(w->campo(TitlePage::luogo), Qt::LeftButton);
        QTest::keyClicks(w->campo(TitlePage::luogo), "Pavia");
        a.dialogs->saveAnswers.push_back(SaveChoice::Cancel);
        w->close();
        QVERIFY(w->isVisible());
        QCOMPARE(a.dialogs->saveQuestions.size(), 1);
        QCOMPARE(a.processEnded, 0);
        // With another main window still open it only closes.
        a.app.registerWindow(win::dati, [](ModZANT& m) { return new dati(m); });
        a.app.showWindow(win::dati);
        w->close();
        QVERIFY(!w->isVisible());
        QCOMPARE(a.dialogs->saveQuestions.size(), 1);
        QCOMPARE(a.processEnded, 0);
    }

    void helpKeyAndSmallWindowsOverTheirWindow()
    {
        Fixture f;
        QWidget* guide = nullptr;
        f.app.registerWindow(win::guidadati, [&guide](ModZANT&) { return guide = new QWidget; });
        f.app.registerWindow(win::informa, [](ModZANT&) {
            auto* w = new QWidget;
            w->resize(200, 120);
            return w;
        });
        // The window items are enabled when the window is built: a fresh data window sees them.
        f.app.unloadWindow(win::dati);
        auto* w = f.app.windowAs<dati>(win::dati);
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QTest::keyClick(w, Qt::Key_F1);
        QVERIFY(guide && guide->isVisible());
        // Away from the screen's centre, so that "over the window" differs from "centred".
        w->move(10, 20);
        QApplication::setActiveWindow(w);
        f.app.showWindow(win::informa);
        const QPoint centre = f.app.existingWindow(win::informa)->frameGeometry().center();
        QVERIFY2((centre - w->frameGeometry().center()).manhattanLength() <= 4,
                 qPrintable(QString("%1,%2 / %3,%4")
                                .arg(centre.x())
                                .arg(centre.y())
                                .arg(w->frameGeometry().center().x())
                                .arg(w->frameGeometry().center().y())));
    }

    void resizingKeepsCaptionsWhole_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("addsRows");
        QTest::newRow("dati") << win::dati << true;
        QTest::newRow("risultati") << win::risultati << true;
        QTest::newRow("frontespizio") << win::frontespizio << false;
    }

    void resizingKeepsCaptionsWhole()
    {
        QFETCH(QString, window);
        QFETCH(bool, addsRows);
        zant::test::AppWithFakes a;
        giveProject(a.app, buildProject(kNetwork));
        a.app.registerWindow(win::dati, [](ModZANT& m) { return new dati(m); });
        a.app.registerWindow(win::risultati, [](ModZANT& m) { return new risultati(m); });
        a.app.registerWindow(win::frontespizio, [](ModZANT& m) { return new frontespizio(m); });
        auto* w = qobject_cast<QMainWindow*>(a.app.window(window));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QSize minimum = w->minimumSizeHint();
        const QSize sizes[] = {minimum,          minimum + QSize(20, 20), QSize(900, 640),
                               QSize(1400, 900), minimum - QSize(50, 50), minimum};
        auto* button = w->centralWidget()->findChild<QPushButton*>();
        double smallest = 0;
        for (const QSize& size : sizes) {
            w->resize(size);
            QApplication::processEvents();
            const double points = button->font().pointSizeF();
            if (size == minimum)
                smallest = points;
            // The grids add rows and keep their fonts; the title page grows its fonts with the
            // window, and both come back with it.
            else if (size.width() >= 900)
                QVERIFY(addsRows ? points == smallest : points > smallest * 1.3);
            if (addsRows) {
                const int rows = window == win::dati ? DataWindowControls(w).rowCount()
                                                     : ResultsWindowControls(w).rowCount();
                // Ten at the design size; one more for each row's height (16 pixels) added.
                const int added = w->height() - minimum.height();
                QVERIFY2(rows >= 10 + added / 16 - 1 && rows <= 10 + added / 16,
                         qPrintable(QString("%1 rows at %2 pixels more").arg(rows).arg(added)));
            }
            QVERIFY(w->width() >= minimum.width() && w->height() >= minimum.height());
            const QString at = QStringLiteral(" at %1x%2").arg(w->width()).arg(w->height());
            QWidgetList controls;
            for (QWidget* c : w->centralWidget()->findChildren<QWidget*>()) {
                if (c->isVisibleTo(w) && !c->geometry().isEmpty())
                    controls << c;
            }
            for (QWidget* c : controls) {
                if (!captionOf(c).isEmpty())
                    QVERIFY2(captionNeed(c) <= captionRoom(c),
                             qPrintable(c->objectName() + " '" + captionOf(c) + "'" + at));
                for (QWidget* other : controls) {
                    if (other != c && other->parentWidget() == c->parentWidget() && c < other)
                        QVERIFY2(!overlap(c, other),
                                 qPrintable(captionOf(c) + c->objectName() + " / " +
                                            captionOf(other) + other->objectName() + at));
                }
            }
        }
    }
};

QTEST_MAIN(TestSafeEntry)
#include "test_safe_entry.moc"
