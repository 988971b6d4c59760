// "Calendario del progetto": opened from the data window's menu and toolbar, driven with the
// keyboard and the mouse on its real boxes; what it applies is one step that can be undone, and
// the results follow it.

#include "model/project_file.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/window_controls.h"
#include "windows/calendarioprogetto.h"
#include "windows/dati.h"
#include "windows/registry.h"
#include "windows/risultati.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>

using namespace zant;
using namespace zant::test;

namespace {

struct Fixture : AppWithFakes
{
    dati* window = nullptr;

    Fixture()
    {
        auto example = readProjectFile(
            QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt"));
        giveProject(app, example.value().project, example.value().titlePage);
        registerAllWindows(app);
        window = app.windowAs<dati>(win::dati);
        window->show();
        QApplication::setActiveWindow(window);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window);
        clickButton(window, "risult");
    }

    calendarioprogetto* open()
    {
        window->findChild<QAction*>("calendarioprogetto")->trigger();
        auto* d = app.windowAs<calendarioprogetto>(win::calendarioprogetto);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(d);
        return d;
    }
    // Event 2 as the results window shows it: number, time, earliest date.
    QString resultsRow2()
    {
        const ResultsWindowControls r(app.windowAs<risultati>(win::risultati));
        return r.cell("num", 2)->text() + "|" + r.cell("tmin", 2)->text() + "|" +
               r.cell("datmin", 2)->text();
    }
};

QWidget* focus()
{
    return QApplication::focusWidget();
}

// Return in a cell's editor; the table takes the text when the events queued by it are run.
void endEditing()
{
    QTest::keyClick(focus(), Qt::Key_Return);
    QApplication::processEvents();
}

// Types into the table's current cell as a user does: the first key opens the editor, the rest
// go to it, Return ends it.
void typeIntoCell(QTableWidget* table, const QString& text)
{
    QTest::keyClick(table, text.at(0).toLatin1());
    QTest::keyClicks(focus(), text.mid(1));
    endEditing();
}

void click(QWidget* w)
{
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(8, w->height() / 2));
}

} // namespace

class TestCalendarDialog final : public QObject
{
    Q_OBJECT

private slots:
    void openedFromMenuAndToolbar_data()
    {
        QTest::addColumn<bool>("toolbar");
        QTest::newRow("menu Modifica") << false;
        QTest::newRow("toolbar button") << true;
    }

    void openedFromMenuAndToolbar()
    {
        QFETCH(bool, toolbar);
        Fixture f;
        if (toolbar) {
            QAction* button = f.window->findChild<QAction*>(
                QString("Toolbar1_%1").arg(int(ToolbarButton::Calendario)));
            QVERIFY(button && button->isEnabled());
            QCOMPARE(button->toolTip(), QString("calendario del progetto"));
            button->trigger();
        } else {
            f.window->findChild<QAction*>("calendarioprogetto")->trigger();
        }
        auto* d = f.app.windowAs<calendarioprogetto>(win::calendarioprogetto);
        QVERIFY(d->isVisible() && d->isModal());
        QCOMPARE(d->windowTitle(), QString("Calendario del progetto"));
        QVERIFY(d->naturali()->isChecked());
        // Calendar days: the week says nothing and cannot be changed.
        QVERIFY(d->giorno(1)->isChecked() && !d->giorno(6)->isChecked());
        QVERIFY(!d->giorno(1)->isEnabled() && !d->festivita()->isEnabled());
        QCOMPARE(d->riepilogo()->text(), QString("Durate in giorni naturali e consecutivi."));
    }

    // Monday to Friday, holidays, patron 07/12 and the August closure, as the example:
    // one step, the results in working days, and back with Annulla (undo) and Ripeti.
    void aContractorsCalendarIsOneStep()
    {
        Fixture f;
        QCOMPARE(f.resultsRow2(), QString("2|5|06/03/2027"));
        const int steps = f.app.undoStack().count();
        calendarioprogetto* d = f.open();
        click(d->lavorativi());
        QVERIFY(d->lavorativi()->isChecked() && d->giorno(1)->isEnabled());
        // Monday to Saturday offered first, then Saturday taken away with the keyboard.
        click(d->lunsab());
        QVERIFY(d->giorno(6)->isChecked());
        d->giorno(6)->setFocus();
        QTest::keyClick(focus(), Qt::Key_Space);
        QVERIFY(!d->giorno(6)->isChecked());
        click(d->patrono());
        QVERIFY(d->patronogiorno()->isEnabled());
        d->patronogiorno()->setFocus();
        QTest::keyClick(focus(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(focus(), "7");
        QTest::keyClick(focus(), Qt::Key_Tab);
        QCOMPARE(focus(), d->patronomese());
        QTest::keyClicks(focus(), "dic");
        QCOMPARE(d->patronomese()->currentText(), QString("dicembre"));
        click(d->aggiungichiusura());
        QCOMPARE(d->chiusure()->rowCount(), 1);
        QTest::keyClicks(focus(), "09/08/2027");
        endEditing();
        QTest::keyClick(d->chiusure(), Qt::Key_Right);
        typeIntoCell(d->chiusure(), "20/08/2027");
        QTest::keyClick(d->chiusure(), Qt::Key_Right);
        typeIntoCell(d->chiusure(), "chiusura estiva");
        const QString sentence =
            "Durate in giorni lavorativi (lunedì-venerdì), festività nazionali e patrono (7 "
            "dicembre) escluse; chiusure: chiusura estiva dal 09/08/2027 al 20/08/2027.";
        QCOMPARE(d->riepilogo()->text(), sentence);
        click(d->applica());

        QVERIFY(!d->isVisible());
        QCOMPARE(f.app.undoStack().count(), steps + 1);
        const ProjectCalendar& c = f.app.project().calendar();
        QVERIFY(c.workingDays && c.nationalHolidays);
        QCOMPARE(c.workingWeek, kMondayToFriday);
        QCOMPARE(c.patron, (MonthDay{7, 12}));
        QCOMPARE(calendarSentence(c), sentence);
        // The results follow: 5 working days from Monday 01/03/2027 are Monday 08/03/2027, and
        // the works end on 10/11/2027.
        QCOMPARE(f.resultsRow2(), QString("2|5|08/03/2027"));
        QCOMPARE(f.app.freshResults().value()->earliestDate[25], QString("10/11/2027"));

        f.app.undo();
        QVERIFY(f.app.project().calendar().isDefault());
        QCOMPARE(f.resultsRow2(), QString("2|5|06/03/2027"));
        f.app.redo();
        QCOMPARE(calendarSentence(f.app.project().calendar()), sentence);
        QCOMPARE(f.resultsRow2(), QString("2|5|08/03/2027"));

        // Opened again it shows the calendar; a closure taken away, Annulla keeps it.
        d = f.open();
        QCOMPARE(d->chiusure()->rowCount(), 1);
        d->chiusure()->setCurrentCell(0, 0);
        click(d->toglichiusura());
        QCOMPARE(d->chiusure()->rowCount(), 0);
        click(d->annulla());
        QCOMPARE(f.app.project().calendar().closures.size(), std::size_t(1));
        QCOMPARE(f.app.undoStack().count(), steps + 1);
    }

    void refusalsKeepTheDialogOpen_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::newRow("a closure that is no date") << "closure"
                                                   << "La chiusura n. 1 non ha date valide";
        QTest::newRow("no working day") << "week"
                                        << "almeno un giorno lavorativo";
        QTest::newRow("patron on 31 February") << "patron"
                                               << "non è una data";
    }

    void refusalsKeepTheDialogOpen()
    {
        QFETCH(QString, what);
        QFETCH(QString, message);
        Fixture f;
        const int steps = f.app.undoStack().count();
        calendarioprogetto* d = f.open();
        click(d->lavorativi());
        if (what == "closure") {
            click(d->aggiungichiusura());
            QTest::keyClicks(focus(), "32/08/2027");
            endEditing();
        } else if (what == "week") {
            for (int day = 1; day <= 5; ++day)
                click(d->giorno(day));
        } else {
            click(d->patrono());
            d->patronogiorno()->setValue(31);
            d->patronomese()->setCurrentIndex(1);
        }
        QVERIFY2(d->riepilogo()->text().contains(message), qPrintable(d->riepilogo()->text()));
        click(d->applica());
        QVERIFY(d->isVisible());
        QVERIFY2(f.dialogs->lastMessageText().contains(message),
                 qPrintable(f.dialogs->lastMessageText()));
        QVERIFY(f.app.project().calendar().isDefault());
        QCOMPARE(f.app.undoStack().count(), steps);
    }

    void everyInputHasAnAccessibleName()
    {
        Fixture f;
        calendarioprogetto* d = f.open();
        int inputs = 0;
        for (QWidget* w : d->findChildren<QWidget*>()) {
            if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QSpinBox*>(w) &&
                !qobject_cast<QComboBox*>(w) && !qobject_cast<QTableWidget*>(w))
                continue;
            // The table's corner button stands under the hidden row numbers: no one reaches it.
            if (!w->isVisibleTo(d))
                continue;
            ++inputs;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
        }
        QCOMPARE(inputs, 2 + 2 + 7 + 2 + 2 + 1 + 2 + 1 + 2);
    }
};

QTEST_MAIN(TestCalendarDialog)
#include "test_calendar_dialog.moc"
