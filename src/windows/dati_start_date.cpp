// The start date of the data window: typed, picked in the calendar or set with its bar.

#include "windows/dati.h"

#include "document/edit_commands.h"
#include "model/text_format.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
#include <QWidgetAction>

namespace zant {

namespace {

// Dates typed as 16/03/2026, 16/3/2026 or 16/3/26 (years of two digits fall in 1990..2089, the
// years the start date can take).
QDate parseTypedDate(const QString& typed)
{
    const QString text = typed.trimmed();
    for (const char* format : {"dd/MM/yyyy", "d/M/yyyy"}) {
        const QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid())
            return date;
    }
    for (const char* format : {"dd/MM/yy", "d/M/yy"}) {
        QDate date = QDate::fromString(text, QString::fromLatin1(format));
        if (date.isValid()) {
            const int yy = date.year() % 100;
            return QDate(yy < 90 ? 2000 + yy : 1900 + yy, date.month(), date.day());
        }
    }
    return QDate();
}

} // namespace

void dati::scrolladata_Change()
{
    const QString text = formatDate(dateScrollOrigin().addDays(m_scrolladata->value()));
    m_datiniz->setText(text);
    m_datiniz->setModified(false);
    m_app.edit<SetStartDateCommand>(text);
    UpdateGuidance();
}

void dati::datiniz_Typed()
{
    if (!m_datiniz->isModified())
        return;
    m_datiniz->setModified(false);
    if (m_datiniz->text().trimmed().isEmpty()) {
        m_datiniz->setText(m_app.project().startDateText());
        return;
    }
    const QDate date = parseTypedDate(m_datiniz->text());
    if (!date.isValid()) {
        m_datiniz->setText(m_app.project().startDateText());
        say(critical(QStringLiteral("Data non valida: digitarla come giorno/mese/anno, ad "
                                    "esempio 16/03/2026.")));
        return;
    }
    storeStartDate(date);
}

bool dati::storeStartDate(const QDate& date)
{
    const qint64 days = dateScrollOrigin().daysTo(date);
    if (days < m_scrolladata->minimum() || days > m_scrolladata->maximum()) {
        m_datiniz->setText(m_app.project().startDateText());
        say(critical(QStringLiteral("La data d'inizio va scelta dal %1 al %2.")
                         .arg(formatDate(dateScrollOrigin().addDays(m_scrolladata->minimum())),
                              formatDate(dateScrollOrigin().addDays(m_scrolladata->maximum())))));
        return false;
    }
    // Moving the bar stores the date, as a drag of the bar does; a typed or picked date is a
    // step of its own.
    m_app.newEditSession();
    if (m_scrolladata->value() != days)
        m_scrolladata->setValue(static_cast<int>(days));
    else
        scrolladata_Change();
    m_app.newEditSession();
    return true;
}

void dati::pickDate()
{
    QMenu popup(this);
    auto* calendar = new QCalendarWidget(&popup);
    calendar->setObjectName(QStringLiteral("calendarioData"));
    calendar->setLocale(QLocale(QLocale::Italian, QLocale::Italy));
    calendar->setFirstDayOfWeek(Qt::Monday);
    calendar->setGridVisible(true);
    calendar->setDateRange(dateScrollOrigin().addDays(m_scrolladata->minimum()),
                           dateScrollOrigin().addDays(m_scrolladata->maximum()));
    const QDate shown = parseDate(m_app.project().startDateText());
    calendar->setSelectedDate(shown.isValid() ? shown : m_app.today());
    auto* holder = new QWidgetAction(&popup);
    holder->setDefaultWidget(calendar);
    popup.addAction(holder);
    QDate picked;
    connect(calendar, &QCalendarWidget::activated, &popup, [&](const QDate& date) {
        picked = date;
        popup.close();
    });
    connect(calendar, &QCalendarWidget::clicked, &popup, [&](const QDate& date) {
        picked = date;
        popup.close();
    });
    popup.exec(m_calendario->mapToGlobal(QPoint(m_calendario->width(), m_calendario->height())) -
               QPoint(calendar->sizeHint().width(), 0));
    if (picked.isValid())
        storeStartDate(picked);
}

} // namespace zant
