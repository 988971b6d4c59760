#pragma once

#include "report/direct_print.h"
#include "report/document_writer.h"
#include "report/documents.h"

#include <functional>
#include <memory>

namespace zant {

// Sections D (the network) and E (the Gantt chart) of the full report, on landscape pages,
// each with a short explanation; the document goes on in portrait afterwards. Pictures too
// large for a page are cut into sheets that overlap a little and repeat their axis, rather than
// shrunk below a readable size (text of 2.5 mm); the Gantt chart runs on over as many sheets as
// its activities need.
void addPlanSections(DocumentWriter& writer, const ReportData& data);

// The sheets of the two pictures as the report places them, in points on the page.
struct PlanSheet
{
    QImage image;
    QSizeF points;
    // What the sheets show: the whole at a readable size, or, when that would need more sheets
    // than the report prints, the whole reduced to one sheet.
    enum class Shown
    {
        Whole,
        Reduced
    };
    Shown shown = Shown::Whole;
    int wholeSheets = 0;     // sheets the whole picture would need, when it is not shown whole
    bool gantt = false;      // a sheet of the Gantt chart, else of the network
    int rows = 0;            // activities on a sheet of the Gantt chart
    double smallestText = 0; // points, on paper
    double rowHeight = 0;    // points, on paper (Gantt chart)
};
std::vector<PlanSheet> networkSheets(const ReportData& data);
std::vector<PlanSheet> ganttSheets(const ReportData& data);

// The sheets of the Gantt chart as vectors, for a document printed directly: each paints itself
// in picture units.
struct PlanPicture
{
    std::shared_ptr<const std::function<void(QPainter&)>> paint;
    QSizeF units;
    QSizeF points; // on the page of the report
};
std::vector<PlanPicture> ganttPictures(const ReportData& data);

// The same sections for the direct print: landscape pages numbered from firstNumber, each with
// its footer, the pictures drawn as vectors.
std::vector<PrintPage> planPrintPages(const ReportData& data, int firstNumber);

} // namespace zant
