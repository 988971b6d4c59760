#include "shell/exchange_actions.h"

#include "document/edit_commands.h"
#include "exchange/activity_list.h"
#include "exchange/icalendar.h"
#include "exchange/mspdi.h"
#include "exchange/results_export.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/text_format.h"
#include "schedule/schedule.h"
#include "shell/modzant.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QStringList>

namespace zant {

namespace {

const QString kMspdiFilters =
    QStringLiteral("Microsoft Project XML (*.xml) | *.xml|Tutti i file (*.*) | *.*");
const QString kCalendarFilters =
    QStringLiteral("Calendario iCalendar (*.ics) | *.ics|Tutti i file (*.*) | *.*");
const QString kExcelFilters =
    QStringLiteral("Cartella di lavoro Excel (*.xlsx) | *.xlsx|Tutti i file (*.*) | *.*");
const QString kListFilters =
    QStringLiteral("Elenco di attività (*.csv;*.txt) | *.csv;*.txt|Tutti i file (*.*) | *.*");
constexpr int kShownRows = 12;

// A name for the exported file from the project's own file, or a plain one.
QString suggestedName(const ModZANT& app, const QString& suffix)
{
    const QString base = QFileInfo(app.currentDataFile()).completeBaseName();
    return (base.isEmpty() ? QStringLiteral("ZANT-progetto") : base) + suffix;
}

// The check the export needs, then the results of the data as they are now.
std::optional<ScheduleResults> computeForExport(ModZANT& app, QWidget* parent)
{
    if (Result<void> fault = app.checkConfirmation().requireValidData(app.project()); !fault.ok()) {
        app.showMessage(parent, fault.error());
        return std::nullopt;
    }
    return ComputeSchedule(app.project());
}

void reportWritten(ModZANT& app, QWidget* parent, const Result<void>& failed, const QString& path)
{
    if (!failed.ok())
        app.showMessage(parent, failed.error());
    else
        app.showMessage(
            parent,
            information(
                QStringLiteral("Esportazione eseguita nel file \"%1\".").arg(displayPath(path))));
}

bool replaceWithImported(ModZANT& app, QWidget* parent, const QString& what, Project project,
                         TitlePage titlePage)
{
    if (Result<void> refused = app.importProject(what, std::move(project), std::move(titlePage));
        !refused.ok()) {
        app.showMessage(parent, refused.error());
        return false;
    }
    return true;
}

QString rowText(const ActivityRow& row)
{
    QString text =
        QStringLiteral("%1 → %2: %3 giorni").arg(row.from).arg(row.to).arg(formatDays(row.days));
    if (!row.name.isEmpty())
        text += QStringLiteral(", «") + row.name + QStringLiteral("»");
    if (row.amount != 0)
        text += QStringLiteral(", %1 €").arg(formatEuro(row.amount));
    if (!row.category.isEmpty())
        text += QStringLiteral(", %1").arg(row.category);
    if (!row.description.isEmpty())
        text += QStringLiteral(" (evento %1: %2)").arg(row.to).arg(row.description);
    return text;
}

} // namespace

void exportMspdiFile(ModZANT& app, QWidget* parent)
{
    const auto results = computeForExport(app, parent);
    if (!results)
        return;
    const QString path =
        app.dialogs().saveFileName(parent, QStringLiteral("Esporta in Microsoft Project XML"),
                                   kMspdiFilters, 1, suggestedName(app, ".xml"));
    if (path.isEmpty())
        return;
    reportWritten(app, parent,
                  exportMspdi(path, app.project(), *results, app.titlePage()[TitlePage::progetto]),
                  path);
}

void exportCalendarFile(ModZANT& app, QWidget* parent)
{
    const auto results = computeForExport(app, parent);
    if (!results)
        return;
    const QString path =
        app.dialogs().saveFileName(parent, QStringLiteral("Esporta il calendario"),
                                   kCalendarFilters, 1, suggestedName(app, ".ics"));
    if (path.isEmpty())
        return;
    reportWritten(app, parent,
                  exportICalendar(path, app.project(), *results,
                                  app.titlePage()[TitlePage::progetto],
                                  QDateTime::currentDateTimeUtc()),
                  path);
}

void exportResultsWorkbook(ModZANT& app, QWidget* parent)
{
    // Computed from the data as they are now, never the figures of an earlier computation.
    const auto results = computeForExport(app, parent);
    if (!results)
        return;
    const QString path = app.dialogs().saveFileName(parent, QStringLiteral("Esporta in Excel"),
                                                    kExcelFilters, 1, suggestedName(app, ".xlsx"));
    if (path.isEmpty())
        return;
    reportWritten(app, parent, exportResultsXlsx(path, app.project(), *results), path);
}

bool importMspdiFile(ModZANT& app, QWidget* parent)
{
    if (!app.maybeSaveChanges(parent))
        return false;
    const QString title = QStringLiteral("Importa da Microsoft Project XML");
    const QString path = app.dialogs().openFileName(parent, title, kMspdiFilters, 1);
    if (path.isEmpty())
        return false;
    auto read = readMspdiFile(path, QDate::currentDate());
    if (!read) {
        app.showMessage(parent, read.error());
        return false;
    }
    // What the import will make, and what it leaves out, before anything changes.
    const Message report = information(describeImport(read.value().report) +
                                       QStringLiteral("\nImportare il progetto?"));
    if (app.dialogs().choose(parent, title, report,
                             {QStringLiteral("OK"), QStringLiteral("Annulla")}) != 0)
        return false;
    return replaceWithImported(app, parent, title, std::move(read.value().project),
                               std::move(read.value().titlePage));
}

bool importActivityListFile(ModZANT& app, QWidget* parent)
{
    if (!app.maybeSaveChanges(parent))
        return false;
    const QString path = app.dialogs().openFileName(
        parent, QStringLiteral("Importa un elenco di attività"), kListFilters, 1);
    if (path.isEmpty())
        return false;
    auto read = readActivityListFile(path, QDate::currentDate());
    if (!read) {
        app.showMessage(parent, read.error());
        return false;
    }
    return replaceWithImported(app, parent, QStringLiteral("Importa un elenco di attività"),
                               std::move(read.value().project), TitlePage());
}

QString pastePreview(int added, int newEvents, const QStringList& addedRows,
                     const QStringList& refusedRows, const QString& layout)
{
    QStringList lines;
    lines
        << QStringLiteral("Legami da aggiungere: %1 (nuovi eventi: %2).").arg(added).arg(newEvents);
    if (!layout.isEmpty())
        lines << layout;
    for (int i = 0; i < std::min<int>(addedRows.size(), kShownRows); ++i)
        lines << QStringLiteral("  ") + addedRows[i];
    if (addedRows.size() > kShownRows)
        lines << QStringLiteral("  ... e altri %1").arg(addedRows.size() - kShownRows);
    if (!refusedRows.isEmpty()) {
        lines << QStringLiteral("Righe rifiutate: %1.").arg(refusedRows.size());
        for (int i = 0; i < std::min<int>(refusedRows.size(), kShownRows); ++i)
            lines << QStringLiteral("  ") + refusedRows[i];
        if (refusedRows.size() > kShownRows)
            lines << QStringLiteral("  ... e altre %1").arg(refusedRows.size() - kShownRows);
    }
    if (added > 0)
        lines << QStringLiteral("Aggiungere i legami?");
    return lines.join(QLatin1Char('\n'));
}

bool pasteActivities(ModZANT& app, QWidget* parent, const QString& text)
{
    constexpr qsizetype kMaxPasteChars = 8 << 20;
    if (text.size() > kMaxPasteChars) {
        app.showMessage(parent, critical(QStringLiteral("Il testo copiato è troppo lungo (oltre 8 "
                                                        "milioni di caratteri) per essere un "
                                                        "elenco di attività.")));
        return false;
    }
    const ActivityList list = parseActivityList(text);
    const ActivityPaste paste = planActivityPaste(app.project(), list);
    QStringList added;
    for (const ActivityRow& row : paste.added)
        added << rowText(row);
    QStringList refused;
    for (const RefusedRow& row : paste.refused)
        refused << QStringLiteral("riga %1 (%2): %3").arg(row.line).arg(row.text, row.reason);
    if (paste.added.empty()) {
        QString why =
            QStringLiteral("Negli appunti non ci sono attività da aggiungere: servono righe "
                           "\"evento da, evento a, giorni[, descrizione evento a[, descrizione "
                           "attività]]\".");
        if (!refused.isEmpty())
            why = pastePreview(0, 0, {}, refused, describeLayout(list));
        app.showMessage(parent, exclamation(why));
        return false;
    }
    const QString preview = pastePreview(static_cast<int>(paste.added.size()), paste.newEvents,
                                         added, refused, describeLayout(list));
    if (!app.dialogs().question(parent, QStringLiteral("Incolla attività"), preview, true))
        return false;
    if (Result<void> failed = app.edit<ReplaceProjectCommand>(QStringLiteral("Incolla attività"),
                                                              paste.result, app.titlePage());
        !failed.ok()) {
        app.showMessage(parent, failed.error());
        return false;
    }
    return true;
}

} // namespace zant
