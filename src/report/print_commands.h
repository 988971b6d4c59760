#pragma once

#include "model/data_check.h"
#include "model/message.h"
#include "model/project.h"
#include "model/title_page.h"
#include "report/document_output.h"
#include "report/office_settings.h"
#include "schedule/amounts.h"
#include "schedule/schedule.h"

#include <functional>
#include <optional>

namespace zant {

// Receives the status texts that the windows show in their guidance label.
using StatusCallback = std::function<void(const QString&)>;

// A document written and handed to the user. A print command that could not write one answers
// the error instead: the data check's fault (a Check error) or a failed write.
struct PrintedDocument
{
    QString path;
    // Where the document is, when nothing could open it.
    std::optional<Message> notice;
    // The results the document was printed from, for the results window to show.
    std::optional<ScheduleResults> results;
};
using PrintResult = Result<PrintedDocument>;

// What the window tells the user after a print command: the error, or where the document is
// when nothing could open it; nothing when the document is shown.
std::optional<Message> messageFor(const PrintResult& result);

class DocxWriter;

// Writes a built document at `path` (its folder made if needed) and opens it for the user; the
// message tells of a failed write, or where the file is when nothing could open it. `done` is
// the status text once the document is shown (none when empty).
PrintResult deliverDocument(const DocxWriter& writer, const QString& path, DocumentOutput& output,
                            const StatusCallback& status = {}, const QString& done = QString());

// Each print command checks what it needs, builds its document, writes it as a new file in the
// output folder and opens it for the user. Results are always computed from the data printed.
PrintResult printDataListing(const Project& project, const TitlePage& titlePage,
                             CheckConfirmation& confirmation, DocumentOutput& output,
                             const StatusCallback& status = {});
PrintResult printBlankForm(DocumentOutput& output, const StatusCallback& status = {});
PrintResult printResultsListing(const Project& project, const TitlePage& titlePage,
                                CheckConfirmation& confirmation, DocumentOutput& output,
                                const StatusCallback& status = {});
PrintResult printDataOnlyReport(const TitlePage& titlePage, const OfficeSettings& office,
                                DocumentOutput& output, const StatusCallback& status = {});
// The full report keeps its name, ZANT-RelazioneZANT-<client>.docx, replacing an older one.
PrintResult printFullReport(const Project& project, const TitlePage& titlePage,
                            const OfficeSettings& office, CheckConfirmation& confirmation,
                            DocumentOutput& output, const StatusCallback& status = {});

// The cronoprogramma dei lavori, SALs by `rule`, dated by the title page (else `today`), as a
// new document in the output folder.
PrintResult printCronoprogramma(const Project& project, const TitlePage& titlePage,
                                const OfficeSettings& office, CheckConfirmation& confirmation,
                                const SalRule& rule, const QDate& today, DocumentOutput& output,
                                const StatusCallback& status = {});

} // namespace zant
