#include "windows/calendarioprogetto.h"

#include "document/edit_commands.h"
#include "model/text_format.h"
#include "shell/modzant.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zant {

namespace {

const char* const kMonthNames[] = {"gennaio",   "febbraio", "marzo",    "aprile",
                                   "maggio",    "giugno",   "luglio",   "agosto",
                                   "settembre", "ottobre",  "novembre", "dicembre"};

template <typename W>
W* named(W* widget, const char* name, const QString& accessibleName, const QString& toolTip = {})
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(accessibleName);
    if (!toolTip.isEmpty())
        widget->setToolTip(toolTip);
    return widget;
}

QString capitalized(const QString& text)
{
    return text.left(1).toUpper() + text.mid(1);
}

} // namespace

calendarioprogetto::calendarioprogetto(ModZANT& app, QWidget* parent) : QDialog(parent), m_app(app)
{
    setWindowTitle(QStringLiteral("Calendario del progetto"));
    setModal(true);

    QGroupBox* days = buildDurationKind();
    QGroupBox* week = buildWeek();
    QHBoxLayout* patronLayout = buildHolidays();
    QGroupBox* closures = buildClosures();
    m_riepilogo = named(new QLabel, "riepilogo", QStringLiteral("Calendario risultante"));
    m_riepilogo->setWordWrap(true);
    m_riepilogo->setMinimumWidth(420);

    QDialogButtonBox* buttons = buildButtons();
    for (QAbstractButton* b :
         {static_cast<QAbstractButton*>(m_naturali), static_cast<QAbstractButton*>(m_lavorativi),
          static_cast<QAbstractButton*>(m_festivita), static_cast<QAbstractButton*>(m_patrono),
          static_cast<QAbstractButton*>(m_chiusureNaturali)})
        connect(b, &QAbstractButton::toggled, this, &calendarioprogetto::refresh);
    connect(m_patronogiorno, &QSpinBox::valueChanged, this, &calendarioprogetto::refresh);
    connect(m_patronomese, &QComboBox::currentIndexChanged, this, &calendarioprogetto::refresh);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(days);
    layout->addWidget(week);
    layout->addWidget(m_festivita);
    layout->addLayout(patronLayout);
    layout->addWidget(closures);
    layout->addWidget(m_riepilogo);
    layout->addWidget(buttons);
    showCalendar(app.project().calendar());
}

QGroupBox* calendarioprogetto::buildDurationKind()
{
    auto* days = new QGroupBox(QStringLiteral("Durate delle attività"));
    m_naturali = named(new QRadioButton(QStringLiteral("giorni &naturali e consecutivi")),
                       "naturali", QStringLiteral("Durate in giorni naturali e consecutivi"),
                       QStringLiteral("si contano tutti i giorni, come nel termine contrattuale "
                                      "dei lavori pubblici"));
    m_lavorativi = named(new QRadioButton(QStringLiteral("giorni &lavorativi")), "lavorativi",
                         QStringLiteral("Durate in giorni lavorativi"),
                         QStringLiteral("si contano solo i giorni della settimana lavorativa, "
                                        "festività, patrono e chiusure esclusi"));
    auto* kind = new QButtonGroup(this);
    kind->addButton(m_naturali);
    kind->addButton(m_lavorativi);
    auto* daysLayout = new QHBoxLayout(days);
    daysLayout->addWidget(m_naturali);
    daysLayout->addWidget(m_lavorativi);
    daysLayout->addStretch();

    return days;
}

QGroupBox* calendarioprogetto::buildWeek()
{
    auto* week = new QGroupBox(QStringLiteral("Settimana lavorativa"));
    m_lunven = named(new QPushButton(QStringLiteral("Lunedì-&venerdì")), "lunven",
                     QStringLiteral("Settimana da lunedì a venerdì"));
    m_lunsab = named(new QPushButton(QStringLiteral("Lunedì-&sabato")), "lunsab",
                     QStringLiteral("Settimana da lunedì a sabato"));
    m_lunven->setAutoDefault(false);
    m_lunsab->setAutoDefault(false);
    connect(m_lunven, &QPushButton::clicked, this, [this] { setWeek(kMondayToFriday); });
    connect(m_lunsab, &QPushButton::clicked, this, [this] { setWeek(kMondayToSaturday); });
    auto* weekLayout = new QGridLayout(week);
    weekLayout->addWidget(m_lunven, 0, 0, 1, 3);
    weekLayout->addWidget(m_lunsab, 0, 3, 1, 3);
    for (int d = 1; d <= 7; ++d) {
        const QString name = weekdayName(d);
        auto* box = new QCheckBox(name.left(3));
        box->setObjectName(QStringLiteral("giorno%1").arg(d));
        box->setAccessibleName(capitalized(name) + QStringLiteral(" lavorativo"));
        box->setToolTip(QStringLiteral("%1 è un giorno lavorativo").arg(name));
        connect(box, &QCheckBox::toggled, this, &calendarioprogetto::refresh);
        m_giorni[d - 1] = box;
        weekLayout->addWidget(box, 1, d - 1);
    }

    return week;
}

QHBoxLayout* calendarioprogetto::buildHolidays()
{
    m_festivita = named(new QCheckBox(QStringLiteral("&Festività nazionali escluse")), "festivita",
                        QStringLiteral("Festività nazionali escluse"),
                        QStringLiteral("1 e 6 gennaio, Pasquetta, 25 aprile, 1 maggio, 2 giugno, "
                                       "15 agosto, 1 novembre, 8, 25 e 26 dicembre"));
    m_patrono = named(new QCheckBox(QStringLiteral("Santo &patrono:")), "patrono",
                      QStringLiteral("Santo patrono escluso"),
                      QStringLiteral("il giorno del santo patrono del luogo dei lavori non conta"));
    m_patronogiorno =
        named(new QSpinBox, "patronogiorno", QStringLiteral("Giorno del santo patrono"));
    m_patronogiorno->setRange(1, 31);
    m_patronomese = named(new QComboBox, "patronomese", QStringLiteral("Mese del santo patrono"));
    for (const char* month : kMonthNames)
        m_patronomese->addItem(QString::fromLatin1(month));
    auto* patronLayout = new QHBoxLayout;
    patronLayout->addWidget(m_patrono);
    patronLayout->addWidget(m_patronogiorno);
    patronLayout->addWidget(m_patronomese);
    patronLayout->addStretch();

    return patronLayout;
}

QGroupBox* calendarioprogetto::buildClosures()
{
    auto* closures = new QGroupBox(QStringLiteral("Chiusure del cantiere"));
    m_chiusure = named(new QTableWidget(0, 3), "chiusure", QStringLiteral("Chiusure del cantiere"),
                       QStringLiteral("una riga per chiusura: primo e ultimo giorno (GG/MM/AAAA) "
                                      "e descrizione"));
    m_chiusure->setHorizontalHeaderLabels(
        {QStringLiteral("dal"), QStringLiteral("al"), QStringLiteral("descrizione")});
    m_chiusure->horizontalHeader()->setStretchLastSection(true);
    m_chiusure->verticalHeader()->setVisible(false);
    m_chiusure->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_chiusure->setSelectionMode(QAbstractItemView::SingleSelection);
    // A key typed or a double click opens a cell; moving through the cells does not, so that
    // the arrows go from one cell to the next.
    m_chiusure->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    m_chiusure->setCornerButtonEnabled(false);
    m_chiusure->setTabKeyNavigation(false);
    m_chiusure->setMinimumHeight(120);
    connect(m_chiusure, &QTableWidget::itemChanged, this, &calendarioprogetto::refresh);
    m_aggiungi = named(new QPushButton(QStringLiteral("A&ggiungi chiusura")), "aggiungichiusura",
                       QStringLiteral("Aggiungi una chiusura"));
    m_togli = named(new QPushButton(QStringLiteral("&Togli chiusura")), "toglichiusura",
                    QStringLiteral("Togli la chiusura scelta"));
    m_aggiungi->setAutoDefault(false);
    m_togli->setAutoDefault(false);
    connect(m_aggiungi, &QPushButton::clicked, this, &calendarioprogetto::aggiungichiusura_Click);
    connect(m_togli, &QPushButton::clicked, this, &calendarioprogetto::toglichiusura_Click);
    m_chiusureNaturali =
        named(new QCheckBox(QStringLiteral("Le chiusure sospendono anche un progetto in giorni "
                                           "naturali")),
              "chiusurenaturali", QStringLiteral("Chiusure valide anche in giorni naturali"),
              QStringLiteral("una sospensione dei lavori: i giorni di chiusura non contano "
                             "nemmeno nel termine in giorni naturali e consecutivi"));
    auto* closureButtons = new QHBoxLayout;
    closureButtons->addWidget(m_aggiungi);
    closureButtons->addWidget(m_togli);
    closureButtons->addStretch();
    auto* closuresLayout = new QVBoxLayout(closures);
    closuresLayout->addWidget(m_chiusure);
    closuresLayout->addLayout(closureButtons);
    closuresLayout->addWidget(m_chiusureNaturali);

    return closures;
}

QDialogButtonBox* calendarioprogetto::buildButtons()
{
    auto* buttons = new QDialogButtonBox;
    m_applica = buttons->addButton(QStringLiteral("&Applica"), QDialogButtonBox::AcceptRole);
    m_applica->setObjectName(QStringLiteral("applica"));
    m_applica->setAccessibleName(QStringLiteral("Applica il calendario"));
    m_applica->setDefault(true);
    m_annulla = buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    m_annulla->setObjectName(QStringLiteral("annulla"));
    m_annulla->setAccessibleName(QStringLiteral("Annulla le modifiche al calendario"));
    connect(m_applica, &QPushButton::clicked, this, &calendarioprogetto::applica_Click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    return buttons;
}

void calendarioprogetto::showEvent(QShowEvent* event)
{
    // What the project holds now, each time the window opens.
    showCalendar(m_app.project().calendar());
    (m_lavorativi->isChecked() ? m_lavorativi : m_naturali)->setFocus();
    QDialog::showEvent(event);
}

void calendarioprogetto::showCalendar(const ProjectCalendar& calendar)
{
    const QSignalBlocker blockTable(m_chiusure);
    m_minutesPerDay = calendar.minutesPerDay;
    (calendar.workingDays ? m_lavorativi : m_naturali)->setChecked(true);
    for (int d = 1; d <= 7; ++d)
        m_giorni[d - 1]->setChecked(calendar.workingWeek & weekdayBit(d));
    m_festivita->setChecked(calendar.nationalHolidays);
    m_patrono->setChecked(calendar.patron.isSet());
    if (calendar.patron.isSet()) {
        m_patronogiorno->setValue(calendar.patron.day);
        m_patronomese->setCurrentIndex(calendar.patron.month - 1);
    } else {
        m_patronogiorno->setValue(1);
        m_patronomese->setCurrentIndex(0);
    }
    m_chiusure->setRowCount(0);
    for (const CalendarClosure& c : calendar.closures)
        addClosureRow(c);
    m_chiusureNaturali->setChecked(calendar.closuresInCalendarDays);
    refresh();
}

void calendarioprogetto::setWeek(Weekdays week)
{
    for (int d = 1; d <= 7; ++d)
        m_giorni[d - 1]->setChecked(week & weekdayBit(d));
    m_lavorativi->setChecked(true);
}

void calendarioprogetto::addClosureRow(const CalendarClosure& closure)
{
    const int row = m_chiusure->rowCount();
    m_chiusure->insertRow(row);
    m_chiusure->setItem(row, 0, new QTableWidgetItem(formatDate(closure.first)));
    m_chiusure->setItem(row, 1, new QTableWidgetItem(formatDate(closure.last)));
    m_chiusure->setItem(row, 2, new QTableWidgetItem(closure.description));
}

void calendarioprogetto::aggiungichiusura_Click()
{
    {
        const QSignalBlocker block(m_chiusure);
        addClosureRow({});
    }
    const int row = m_chiusure->rowCount() - 1;
    m_chiusure->setFocus();
    m_chiusure->setCurrentCell(row, 0);
    m_chiusure->editItem(m_chiusure->item(row, 0));
    refresh();
}

void calendarioprogetto::toglichiusura_Click()
{
    const int row = m_chiusure->currentRow();
    if (row < 0)
        return;
    m_chiusure->removeRow(row);
    refresh();
}

Result<ProjectCalendar> calendarioprogetto::shownCalendar() const
{
    ProjectCalendar c;
    c.workingDays = m_lavorativi->isChecked();
    c.workingWeek = 0;
    for (int d = 1; d <= 7; ++d) {
        if (m_giorni[d - 1]->isChecked())
            c.workingWeek |= weekdayBit(d);
    }
    c.nationalHolidays = m_festivita->isChecked();
    if (m_patrono->isChecked())
        c.patron = {m_patronogiorno->value(), m_patronomese->currentIndex() + 1};
    c.closuresInCalendarDays = m_chiusureNaturali->isChecked();
    c.minutesPerDay = m_minutesPerDay;
    const auto cell = [this](int row, int column) {
        const QTableWidgetItem* item = m_chiusure->item(row, column);
        return item ? item->text().trimmed() : QString();
    };
    for (int row = 0; row < m_chiusure->rowCount(); ++row) {
        const QString from = cell(row, 0);
        const QString to = cell(row, 1);
        const QString description = cell(row, 2);
        // A row added and left empty is no closure.
        if (from.isEmpty() && to.isEmpty() && description.isEmpty())
            continue;
        CalendarClosure closure{parseDate(from), parseDate(to.isEmpty() ? from : to), description};
        if (!closure.first.isValid() || !closure.last.isValid())
            return Error(
                ErrorKind::Format,
                critical(QStringLiteral("La chiusura n. %1 non ha date valide: scrivere il "
                                        "primo e l'ultimo giorno come GG/MM/AAAA, dal %2 al "
                                        "%3.")
                             .arg(row + 1)
                             .arg(formatDate(firstAllowedDate()), formatDate(lastAllowedDate()))));
        c.closures.push_back(std::move(closure));
    }
    if (Result<void> refused = checkCalendar(c); !refused.ok())
        return refused.error();
    return c;
}

void calendarioprogetto::refresh()
{
    const bool working = m_lavorativi->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_lunven, m_lunsab, m_festivita, m_patrono})
        w->setEnabled(working);
    for (QCheckBox* box : m_giorni)
        box->setEnabled(working);
    m_patronogiorno->setEnabled(working && m_patrono->isChecked());
    m_patronomese->setEnabled(working && m_patrono->isChecked());
    // A working-day calendar always leaves the closures out.
    m_chiusureNaturali->setEnabled(!working);
    m_togli->setEnabled(m_chiusure->rowCount() > 0);
    const auto calendar = shownCalendar();
    m_riepilogo->setText(calendar ? calendarSentence(calendar.value()) : calendar.error().text);
}

void calendarioprogetto::applica_Click()
{
    const auto calendar = shownCalendar();
    if (!calendar) {
        m_app.showMessage(this, calendar.error());
        return;
    }
    if (!(calendar.value() == m_app.project().calendar())) {
        if (Result<void> refused = m_app.edit<SetCalendarCommand>(calendar.value());
            !refused.ok()) {
            m_app.showMessage(this, refused.error());
            return;
        }
        emit m_app.statusNote(QStringLiteral("Calendario del progetto: ") +
                              calendarSentence(calendar.value()));
    }
    accept();
}

} // namespace zant
