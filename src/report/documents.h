#pragma once

#include "model/constants.h"
#include "model/project.h"
#include "model/title_page.h"
#include "report/document_writer.h"
#include "report/office_settings.h"
#include "schedule/schedule.h"

#include <optional>
#include <vector>

namespace zant {

// What the printed documents read: the project, the results computed from it, the title page,
// the office and the product names.
struct ReportData
{
    const Project& project;
    const ScheduleResults& results;
    const TitlePage& titlePage;
    const OfficeSettings& office;
    const SharedConstants& constants = sharedConstants();
};

// One row of the table of events and links: the j-th incoming and the j-th outgoing link of an
// event side by side (0 where the shorter list has ended).
struct EventLinkRow
{
    int event = 0;
    int position = 0;
    int predecessor = 0;
    int target = 0;
};
std::vector<EventLinkRow> eventLinkRows(const Project& project, const ScheduleResults& results);

// One activity of the summary's list of those with the least float.
// "21 attività e 4 legami fittizi" (dummies counted apart).
QString activityCountText(int activities, int dummies);

struct ActivityFloat
{
    int from = 0;
    int slot = 0;
    int to = 0;
    double days = 0;
    double totalFloat = 0;
};

// The figures of the summary page, all from the same computation as the tables.
struct ProgrammeSummary
{
    QString startDate;  // with the first working day after it, when it is not one
    QString finishDate; // latest date of the final event
    double totalDays = 0;
    int events = 0;
    int activities = 0; // dummies apart
    int dummies = 0;
    QString criticalPath;
    bool workingDays = false; // the total counts working days
    // The calendar the dates follow, in the documents' words.
    QString calendar;
    // Up to ten activities with the least float above zero, least first.
    std::vector<ActivityFloat> leastFloat;
};
ProgrammeSummary summarizeProgramme(const Project& project, const ScheduleResults& results);

// The lines of running text of the summary page, before its table, in the order printed; the
// calendar follows them as a paragraph of its own.
QStringList summaryLines(const ProgrammeSummary& summary);

inline const QString kSummaryHeading = QStringLiteral("SINTESI DELLA PROGRAMMAZIONE");
// The summary page's pointer to the two pictures of the report.
inline const QString kPlanPicturesNote =
    QStringLiteral("Il reticolo degli eventi e il diagramma di Gantt sono riportati nelle sezioni "
                   "D) ed E), in fondo ai risultati.");
inline const QString kLeastFloatHeading =
    QStringLiteral("Attività con il minore scorrimento (diverso da zero)");
inline constexpr int kLeastFloatCount = 10;

// Number of rows of the data table: a header, then one row per link, and a row of its own for
// each event without links.
int dataTableRows(const Project& project);

// The documents, built on any writer in the order the office reads them.
void buildDataListing(DocumentWriter& w, const Project& project, const TitlePage& titlePage,
                      const SharedConstants& constants = sharedConstants());
void buildBlankForm(DocumentWriter& w, const SharedConstants& constants = sharedConstants());
void buildResultsListing(DocumentWriter& w, const ReportData& data);
void buildDataOnlyReport(DocumentWriter& w, const TitlePage& titlePage,
                         const OfficeSettings& office,
                         const SharedConstants& constants = sharedConstants());
void buildFullReport(DocumentWriter& w, const ReportData& data);

} // namespace zant
