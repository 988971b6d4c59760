#pragma once

#include "model/message.h"
#include "model/work_calendar.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace zant {

class ModZANT;

// "Calendario del progetto": what a day of the durations is. Calendar days or working days, the
// working week (Monday to Friday and Monday to Saturday a click away), the national holidays, the
// patron saint's day and the closures of the site, which may suspend a calendar-day project too.
// Applied as one step that can be undone; the results follow at once.
class calendarioprogetto final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(calendarioprogetto)

public:
    explicit calendarioprogetto(ModZANT& app, QWidget* parent = nullptr);

    QRadioButton* naturali() const { return m_naturali; }
    QRadioButton* lavorativi() const { return m_lavorativi; }
    QPushButton* lunven() const { return m_lunven; }
    QPushButton* lunsab() const { return m_lunsab; }
    // Monday is 1, Sunday 7.
    QCheckBox* giorno(int dayOfWeek) const { return m_giorni[dayOfWeek - 1]; }
    QCheckBox* festivita() const { return m_festivita; }
    QCheckBox* patrono() const { return m_patrono; }
    QSpinBox* patronogiorno() const { return m_patronogiorno; }
    QComboBox* patronomese() const { return m_patronomese; }
    QTableWidget* chiusure() const { return m_chiusure; }
    QPushButton* aggiungichiusura() const { return m_aggiungi; }
    QPushButton* toglichiusura() const { return m_togli; }
    QCheckBox* chiusurenaturali() const { return m_chiusureNaturali; }
    QLabel* riepilogo() const { return m_riepilogo; }
    QPushButton* applica() const { return m_applica; }
    QPushButton* annulla() const { return m_annulla; }

    // The calendar as the boxes say it, or why they say none (a closure row that is no span).
    Result<ProjectCalendar> shownCalendar() const;

    // Applies what the boxes say as one step; on a refusal says why and stays open.
    void applica_Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Natural or working days.
    QGroupBox* buildDurationKind();
    // The working week: two presets and a box for each day.
    QGroupBox* buildWeek();
    // The national holidays and the patron saint's day; returns the patron's line.
    QHBoxLayout* buildHolidays();
    // The closures of the site, with their buttons.
    QGroupBox* buildClosures();
    QDialogButtonBox* buildButtons();
    // Shows a calendar in the boxes.
    void showCalendar(const ProjectCalendar& calendar);
    void setWeek(Weekdays week);
    void addClosureRow(const CalendarClosure& closure);
    void aggiungichiusura_Click();
    void toglichiusura_Click();
    // The parts that say nothing for calendar days are disabled, and the summary follows.
    void refresh();

    ModZANT& m_app;
    int m_minutesPerDay = kDefaultMinutesPerDay;
    QRadioButton* m_naturali = nullptr;
    QRadioButton* m_lavorativi = nullptr;
    QPushButton* m_lunven = nullptr;
    QPushButton* m_lunsab = nullptr;
    std::array<QCheckBox*, 7> m_giorni{};
    QCheckBox* m_festivita = nullptr;
    QCheckBox* m_patrono = nullptr;
    QSpinBox* m_patronogiorno = nullptr;
    QComboBox* m_patronomese = nullptr;
    QTableWidget* m_chiusure = nullptr;
    QPushButton* m_aggiungi = nullptr;
    QPushButton* m_togli = nullptr;
    QCheckBox* m_chiusureNaturali = nullptr;
    QLabel* m_riepilogo = nullptr;
    QPushButton* m_applica = nullptr;
    QPushButton* m_annulla = nullptr;
};

} // namespace zant
