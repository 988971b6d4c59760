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
