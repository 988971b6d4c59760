#pragma once

#include "model/message.h"
#include "report/direct_print.h"

#include <QString>

class QPagedPaintDevice;
class QPrinter;

namespace zant {

// Draws laid-out pages on a printer (or a PDF printer). Returns the message of a failure.
Outcome renderPages(const std::vector<PrintPage>& pages, QPrinter& printer);

// Writes laid-out pages into a PDF file through the save helper, with `title` in its
// properties.
Outcome writePagesToPdf(const std::vector<PrintPage>& pages, const QString& pdfPath,
                        const QString& title = QString());

// Renders the direct-print report into a PDF file.
Outcome printReportToPdf(const ReportData& data, const QString& pdfPath);

} // namespace zant
