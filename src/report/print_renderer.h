#pragma once

#include "model/file_io.h"
#include "model/message.h"
#include "report/direct_print.h"

#include <QString>

class QPagedPaintDevice;
class QPrinter;

namespace zant {

// Draws laid-out pages on a printer (or a PDF printer). Returns the message of a failure.
Result<void> renderPages(const std::vector<PrintPage>& pages, QPrinter& printer);

// Writes laid-out pages into a PDF file through the save helper, with `title` in its
// properties.
Result<void> writePagesToPdf(const std::vector<PrintPage>& pages, const QString& pdfPath,
                             const QString& title = QString(),
                             const SaveTargetFactory& targets = makeFileTarget);

// Renders the direct-print report into a PDF file.
Result<void> printReportToPdf(const ReportData& data, const QString& pdfPath,
                              const SaveTargetFactory& targets = makeFileTarget);

} // namespace zant
