#pragma once

// The controls of the data and results windows, found as a user finds them: by the names the
// windows give them. The helpers drive them with the mouse, as a user does.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

namespace zant::test {

// A control by its object name; the test fails where it is used when there is none.
template <typename W> W* control(const QWidget* window, const QString& name)
{
    W* found = window->findChild<W*>(name);
    if (!found)
        qWarning("no control named %s", qPrintable(name));
    return found;
}

// Clicks a part of a scroll bar: an arrow, or the trough beside the handle; false when the bar
// has no room for that part.
inline bool clickBar(QScrollBar* bar, QStyle::SubControl part)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = false;
    if (bar->orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    const QRect rect = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
    if (rect.isEmpty())
        return false;
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, rect.center());
    return true;
}

// Moves a bar to a value with clicks on its trough (a page at a time) and on its arrows, as a
// user does; gives up after `clicks` clicks (a refused value brings the bar back).
inline void moveBar(QScrollBar* bar, int value, int clicks = 200)
{
    for (int i = 0; i < clicks && bar->value() != value; ++i) {
        const int distance = value - bar->value();
        const bool page = std::abs(distance) >= bar->pageStep() || value == bar->maximum() ||
                          value == bar->minimum();
        // A short bar may have no trough beside its handle: then the arrows do it all.
        if (distance > 0) {
            if (!page || !clickBar(bar, QStyle::SC_ScrollBarAddPage))
                clickBar(bar, QStyle::SC_ScrollBarAddLine);
        } else if (!page || !clickBar(bar, QStyle::SC_ScrollBarSubPage)) {
            clickBar(bar, QStyle::SC_ScrollBarSubLine);
        }
    }
}

// Notches of the wheel (negative: towards the user, down the list) over a widget.
inline void wheel(QWidget* over, int notches)
{
    const QPointF at(over->width() / 2.0, over->height() / 2.0);
    QWheelEvent event(at, over->mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(over, &event);
}

// Clicks a button of a window's toolbar by its position (1 to 19).
inline void clickToolbar(QMainWindow* window, int position)
{
    auto* action = control<QAction>(window, QStringLiteral("Toolbar1_%1").arg(position));
    QToolBar* bar = window->findChild<QToolBar*>();
    QWidget* button = bar && action ? bar->widgetForAction(action) : nullptr;
    if (!button) {
        qWarning("no toolbar button at %d", position);
        return;
    }
    QTest::mouseClick(button, Qt::LeftButton);
}

// Clicks one of the buttons along the bottom of a window.
inline void clickButton(const QWidget* window, const char* name)
{
    if (auto* button = control<QPushButton>(window, QString::fromLatin1(name)))
        QTest::mouseClick(button, Qt::LeftButton);
}

// Chooses a menu item, as a click on it in its menu does.
inline void chooseMenuItem(const QWidget* window, const char* name)
{
    if (auto* action = control<QAction>(window, QString::fromLatin1(name)))
        action->trigger();
}

// The data window's controls; rows count from 1 as in the window.
class DataWindowControls
{
public:
    explicit DataWindowControls(const QWidget* window) : m_window(window) {}

    QLabel* num(int row) const { return rowControl<QLabel>("num", row); }
    QToolButton* delriga(int row) const { return rowControl<QToolButton>("delriga", row); }
    QLineEdit* even(int row) const { return rowControl<QLineEdit>("even", row); }
    QLabel* numleg(int row) const { return rowControl<QLabel>("numleg", row); }
    QToolButton* cancleg(int row) const { return rowControl<QToolButton>("cancleg", row); }
    QScrollBar* scrollalegami(int row) const
    {
        return rowControl<QScrollBar>("scrollalegami", row);
    }
    QLineEdit* leg(int row) const { return rowControl<QLineEdit>("leg", row); }
    QLineEdit* gior(int row) const { return rowControl<QLineEdit>("gior", row); }
    QScrollBar* scrollagiorni(int row) const
    {
        return rowControl<QScrollBar>("scrollagiorni", row);
    }
    QLineEdit* nome(int row) const { return rowControl<QLineEdit>("nome", row); }
    QLineEdit* importo(int row) const { return rowControl<QLineEdit>("importo", row); }
    QLineEdit* categoria(int row) const { return rowControl<QLineEdit>("categoria", row); }
    QScrollBar* VScroll1() const { return named<QScrollBar>("VScroll1"); }
    QScrollBar* VScroll2() const { return named<QScrollBar>("VScroll2"); }
    QScrollBar* VScroll3() const { return named<QScrollBar>("VScroll3"); }
    QScrollBar* scrolladata() const { return named<QScrollBar>("scrolladata"); }
    QLineEdit* datiniz() const { return named<QLineEdit>("datiniz"); }
    QToolButton* calendario() const { return named<QToolButton>("calendario"); }
    QLabel* Label1() const { return named<QLabel>("Label1"); }
    QLabel* Label2() const { return named<QLabel>("Label2"); }
    QLabel* totale() const { return named<QLabel>("totale"); }
    QProgressBar* ProgressBar1() const { return named<QProgressBar>("ProgressBar1"); }

    // What the rows show: the first event and the first link slot, the event whose links are
    // shown ("Evento n. k"), and how many rows the window's height holds.
    int topEvent() const { return num(1)->text().toInt(); }
    int topLinkSlot() const { return numleg(1)->text().toInt(); }
    int selectedEvent() const { return Label1()->text().section(QLatin1Char(' '), -1).toInt(); }
    int rowCount() const
    {
        int rows = 0;
        while (QLineEdit* box =
                   m_window->findChild<QLineEdit*>(QStringLiteral("even%1").arg(rows + 1))) {
            if (!box->isVisibleTo(m_window))
                break;
            ++rows;
        }
        return rows;
    }

private:
    template <typename W> W* named(const char* name) const
    {
        return control<W>(m_window, QString::fromLatin1(name));
    }
    template <typename W> W* rowControl(const char* name, int row) const
    {
        return control<W>(m_window, QStringLiteral("%1%2").arg(QLatin1String(name)).arg(row));
    }

    const QWidget* m_window;
};

// The results window's controls: the cells of the event table ("num", "tmin", "datmin", "tmax",
// "datmax", "scorr") and of the link tables ("n1", "n2", "eventrata"; "n3", "n4", "evenuscita",
// "tempusc", "scorrusc"), rows from 1.
class ResultsWindowControls
{
public:
    explicit ResultsWindowControls(const QWidget* window) : m_window(window) {}

    QLabel* cell(const QString& column, int row) const
    {
        return control<QLabel>(m_window, column + QString::number(row));
    }
    QLineEdit* Text1() const { return control<QLineEdit>(m_window, QStringLiteral("Text1")); }
    QLabel* Label13() const { return control<QLabel>(m_window, QStringLiteral("Label13")); }
    QScrollBar* VScroll1() const
    {
        return control<QScrollBar>(m_window, QStringLiteral("VScroll1"));
    }
    QScrollBar* VScroll2() const
    {
        return control<QScrollBar>(m_window, QStringLiteral("VScroll2"));
    }
    QScrollBar* VScroll3() const
    {
        return control<QScrollBar>(m_window, QStringLiteral("VScroll3"));
    }

    // The event named under the tables ("... evidenziato n. k"), 0 before any.
    int highlightedEvent() const
    {
        const QString caption = Label13()->text();
        if (!caption.contains(QLatin1String("evidenziato n.")))
            return 0;
        return caption.section(QLatin1Char(' '), -1).toInt();
    }
    // The row that shows the highlighted event, 0 when there is none or it is out of sight.
    int highlightedRow() const
    {
        const int event = highlightedEvent();
        for (int r = 1; event && r <= rowCount(); ++r) {
            if (cell(QStringLiteral("num"), r)->text().toInt() == event)
                return r;
        }
        return 0;
    }
    int rowCount() const
    {
        int rows = 0;
        while (QLabel* number =
                   m_window->findChild<QLabel*>(QStringLiteral("num%1").arg(rows + 1))) {
            if (!number->isVisibleTo(m_window))
                break;
            ++rows;
        }
        return rows;
    }

private:
    const QWidget* m_window;
};

} // namespace zant::test
