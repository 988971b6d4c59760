#pragma once

#include "exchange/mspdi_format.h"
#include "exchange/mspdi_import.h"
#include "exchange/task_network.h"

#include <QHash>

#include <utility>

namespace zant::mspdi {

// Whether a duration format counts elapsed time (24 hours a day, every day).
bool isElapsedFormat(int format);

// Working time as the program's days. The elapsed formats count 24 hours a day; the others count
// the file's working day (MinutesPerDay) as one day: a day of the project's calendar when the
// file's calendar has days off, a calendar day when it works every day.
class WorkingTime final
{
public:
    explicit WorkingTime(double minutesPerDay) : m_minutesPerDay(minutesPerDay) {}

    double days(double minutes, int format) const
    {
        return minutes / (isElapsedFormat(format) ? kMinutesPerCalendarDay : m_minutesPerDay);
    }
    double hoursPerDay() const { return m_minutesPerDay / 60; }

private:
    double m_minutesPerDay;
};

// Makes the project of a document as read: looks at every row and link of the file, keeps the
// tasks and links of the network and lists every problem found, builds the event network, and
// says in the report what it left out or represents less strictly.
class ImportBuilder final
{
public:
    ImportBuilder(const RawDocument& document, const QDate& today);

    Result<ImportedProject> build();

private:
    // What each row of the file is.
    enum class Role
    {
        Broken, // its own problem is listed: links to it say nothing more
        Blank,
        ProjectRow,
        External,
        Inactive,
        Summary,
        Task
    };

    // The project's values (mspdi_import.cpp).
    void readStartDate();
    double readMinutesPerDay();
    Result<ImportedProject> finish(EventNetwork& network);
    void countTasks(ImportedProject& imported, const EventNetwork& network);
    void reportLeftOut(const EventNetwork& network);
    void reportNotImported();
    void reportCalendar(const EventNetwork& network);

    // The rows and their links (mspdi_import_rows.cpp).
    void markSummingRows();
    void classifyRow(int row);
    bool takeUid(int row, const QString& ref);
    int outlineLevel(int row, const QString& ref, bool& readable);
    void readTaskRow(int row, const QString& ref, bool milestone);
    void collectTasks();
    void addLink(int row, const RawLink& link);
    std::optional<double> lagDays(const QString& pair, const RawLink& link, int predecessor);

    const RawDocument& m_doc;
    const int m_rowCount;
    QStringList m_problems;
    MspdiImportReport m_report;
    QDate m_start;
    ProjectCalendar m_calendar;
    QStringList m_calendarLeftOut;
    WorkingTime m_time{0};
    int m_workingTimeValues = 0; // durations and lags counted in working time
    int m_elapsedValues = 0;     // and in elapsed time

    // By row of the file.
    std::vector<char> m_hasChildren; // followed by deeper rows: a summary
    std::vector<Role> m_role;
    std::vector<double> m_days;
    std::vector<Cents> m_cost;
    std::vector<char> m_moment;
    std::vector<int> m_parent;  // the row above it in the outline, -1 at the top
    std::vector<int> m_indexOf; // its task in m_tasks, -1 for none
    QHash<QString, int> m_byUid;
    std::vector<std::pair<int, int>> m_outline; // level and row of the rows above the current one
    QStringList m_inactive;
    QStringList m_external;
    int m_blankRows = 0;
    QString m_projectRow; // the UID of the row of the project itself

    // The network: its tasks in the order of the file's outline, the row of each, its links.
    std::vector<NetworkTask> m_tasks;
    std::vector<int> m_rowOf;
    std::vector<NetworkTaskLink> m_links;
    int m_linksToLeftOut = 0;
    int m_crossProjectLinks = 0;
};

} // namespace zant::mspdi
