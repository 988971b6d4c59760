#include "exchange/results_export.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cmath>

namespace zant {

namespace {

QDate dateAt(const QDate& start, double days)
{
    if (!start.isValid() || !std::isfinite(days))
        return QDate();
    return start.addDays(std::llround(days));
}

double cleanFloat(double value)
{
    return isZeroFloat(value) ? 0.0 : value;
}

QString yesNo(bool value)
{
    return value ? QStringLiteral("sì") : QStringLiteral("no");
}

} // namespace

std::vector<ResultSheet> resultSheets(const Project& p, const ScheduleResults& r)
{
    const QDate start = parseDate(r.startDateText.isEmpty() ? p.startDateText() : r.startDateText);
    const int n = r.eventCount;
    std::vector<ResultSheet> sheets(3);

    ResultSheet& events = sheets[0];
    events.name = QStringLiteral("Eventi");
    events.headers = {QStringLiteral("Evento"),
                      QStringLiteral("Descrizione"),
                      QStringLiteral("Tempo minimo (giorni)"),
                      QStringLiteral("Data minima"),
                      QStringLiteral("Tempo massimo (giorni)"),
                      QStringLiteral("Data massima"),
                      QStringLiteral("Scorrimento (giorni)"),
                      QStringLiteral("Critico")};
    events.widths = {8, 40, 12, 12, 12, 12, 12, 8};
    for (int e = 1; e <= n; ++e) {
        events.rows.push_back(
            {double(e), p.description(e), r.earliest[e], dateAt(start, r.earliest[e]), r.latest[e],
             dateAt(start, r.latest[e]), cleanFloat(r.eventFloat(e)), yesNo(r.isCritical(e))});
    }

    ResultSheet& activities = sheets[1];
    activities.name = QStringLiteral("Attività");
    activities.headers = {QStringLiteral("Da evento"),
                          QStringLiteral("A evento"),
                          QStringLiteral("Descrizione"),
                          QStringLiteral("Durata (giorni)"),
                          QStringLiteral("Inizio minimo"),
                          QStringLiteral("Fine minima"),
                          QStringLiteral("Inizio massimo"),
                          QStringLiteral("Fine massima"),
                          QStringLiteral("Scorrimento totale (giorni)"),
                          QStringLiteral("Scorrimento libero (giorni)"),
                          QStringLiteral("Scorrimento indipendente (giorni)"),
                          QStringLiteral("Critica")};
    activities.widths = {8, 8, 40, 10, 12, 12, 12, 12, 16, 16, 20, 8};
    for (int i = 1; i < n; ++i) {
        for (int s = 1; s <= p.linkCount(i); ++s) {
            const Link& link = p.link(i, s);
            const int k = link.target;
            if (k < 1 || k > n)
                continue;
            const double d = link.days.value_or(0.0);
            const double total = cleanFloat(r.linkFloatAt(i, s));
            activities.rows.push_back(
                {double(i), double(k), p.description(k), d, dateAt(start, r.earliest[i]),
                 dateAt(start, r.earliest[i] + d), dateAt(start, r.latest[k] - d),
                 dateAt(start, r.latest[k]), total, cleanFloat(r.linkFreeFloatAt(i, s)),
                 cleanFloat(r.linkIndependentFloatAt(i, s)), yesNo(isZeroFloat(total))});
        }
    }

    ResultSheet& critical = sheets[2];
    critical.name = QStringLiteral("Percorso critico");
    critical.headers = {QStringLiteral("Evento"), QStringLiteral("Descrizione"),
                        QStringLiteral("Tempo (giorni)"), QStringLiteral("Data")};
    critical.widths = {8, 40, 12, 12};
    for (int e = 1; e <= n; ++e) {
        if (r.isCritical(e))
            critical.rows.push_back(
                {double(e), p.description(e), r.earliest[e], dateAt(start, r.earliest[e])});
    }
    return sheets;
}

namespace {

Message xlsxFailure(const QString& path, const QString& reason)
{
    return critical(QStringLiteral("Impossibile salvare il file \"%1\": %2. Il file esistente "
                                   "non è stato modificato.")
                        .arg(displayPath(path), reason));
}

// Fills the workbook; returns libxlsxwriter's error of the first call that failed.
lxw_error fillWorkbook(lxw_workbook* book, const std::vector<ResultSheet>& sheets)
{
    lxw_format* header = workbook_add_format(book);
    format_set_bold(header);
    format_set_bottom(header, LXW_BORDER_THIN);
    format_set_text_wrap(header);
    format_set_align(header, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* date = workbook_add_format(book);
    format_set_num_format(date, "dd/mm/yyyy");

    for (const ResultSheet& sheet : sheets) {
        const QByteArray name = sheet.name.toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(book, name.constData());
        if (!ws)
            return LXW_ERROR_MEMORY_MALLOC_FAILED;
        const auto columns = static_cast<lxw_col_t>(sheet.headers.size());
        for (lxw_col_t c = 0; c < columns; ++c) {
            const QByteArray text = sheet.headers[c].toUtf8();
            if (lxw_error e = worksheet_write_string(ws, 0, c, text.constData(), header))
                return e;
            const double width = c < sheet.widths.size() ? sheet.widths[c] : 12;
            worksheet_set_column(ws, c, c, width, nullptr);
        }
        lxw_row_t row = 1;
        for (const auto& cells : sheet.rows) {
            for (lxw_col_t c = 0; c < cells.size(); ++c) {
                lxw_error e = LXW_NO_ERROR;
                if (const double* number = std::get_if<double>(&cells[c])) {
                    e = worksheet_write_number(ws, row, c, *number, nullptr);
                } else if (const QDate* day = std::get_if<QDate>(&cells[c])) {
                    if (day->isValid()) {
                        lxw_datetime when = {day->year(),
                                             static_cast<uint8_t>(day->month()),
                                             static_cast<uint8_t>(day->day()),
                                             0,
                                             0,
                                             0.0};
                        e = worksheet_write_datetime(ws, row, c, &when, date);
                    }
                } else {
                    const QByteArray text = std::get<QString>(cells[c]).toUtf8();
                    e = worksheet_write_string(ws, row, c, text.constData(), nullptr);
                }
                if (e != LXW_NO_ERROR)
                    return e;
            }
            ++row;
        }
        // Headings wrap on two lines; the sheet prints across, one page wide, headings repeated.
        worksheet_set_row(ws, 0, 30, nullptr);
        worksheet_freeze_panes(ws, 1, 0);
        worksheet_set_landscape(ws);
        worksheet_fit_to_pages(ws, 1, 0);
        worksheet_repeat_rows(ws, 0, 0);
        if (columns > 0)
            worksheet_autofilter(ws, 0, 0, row - 1, columns - 1);
    }
    return LXW_NO_ERROR;
}

} // namespace

Outcome exportResultsXlsx(const QString& path, const Project& project,
                          const ScheduleResults& results)
{
    const QFileInfo target(path);
    if (target.isDir())
        return xlsxFailure(path, QStringLiteral("è una cartella"));
    // libxlsxwriter writes only to a named file: it builds the workbook in a temporary file
    // beside the target, whose bytes then go through the one save routine.
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.zant-XXXXXX.xlsx"));
    if (!temporary.open())
        return xlsxFailure(path, temporary.errorString());
    const QByteArray tempName = QFile::encodeName(temporary.fileName());
    temporary.close();

    lxw_workbook* book = workbook_new(tempName.constData());
    if (!book)
        return xlsxFailure(path, QStringLiteral("impossibile creare la cartella di lavoro"));
    const lxw_error filled = fillWorkbook(book, resultSheets(project, results));
    const lxw_error closed = workbook_close(book); // frees the workbook in every case
    if (filled != LXW_NO_ERROR || closed != LXW_NO_ERROR)
        return xlsxFailure(
            path, QString::fromUtf8(lxw_strerror(filled != LXW_NO_ERROR ? filled : closed)));
    QFile built(temporary.fileName());
    if (!built.open(QIODevice::ReadOnly))
        return xlsxFailure(path, built.errorString());
    const QByteArray bytes = built.readAll();
    built.close();
    return saveFile(path, bytes);
}

QByteArray resultSheetCsv(const ResultSheet& sheet)
{
    const auto field = [](QString text) {
        if (text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) ||
            text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
            text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            return QStringLiteral("\"%1\"").arg(text);
        }
        return text;
    };
    QString out;
    QStringList line;
    for (const QString& h : sheet.headers)
        line << field(h);
    out += line.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    for (const auto& cells : sheet.rows) {
        line.clear();
        for (const ResultCell& cell : cells) {
            if (const double* number = std::get_if<double>(&cell))
                line << formatDays(*number);
            else if (const QDate* day = std::get_if<QDate>(&cell))
                line << (day->isValid() ? formatDate(*day) : QString());
            else
                line << field(std::get<QString>(cell));
        }
        out += line.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

Outcome exportResultsCsv(const QString& folder, const Project& project,
                         const ScheduleResults& results, QStringList* written)
{
    QDir dir(folder);
    if (!dir.exists() && !QDir().mkpath(folder))
        return critical(
            QStringLiteral("Impossibile creare la cartella \"%1\".").arg(displayPath(folder)));
    for (const ResultSheet& sheet : resultSheets(project, results)) {
        const QString path = dir.filePath(sheet.name + QStringLiteral(".csv"));
        if (Outcome failed = saveFile(path, resultSheetCsv(sheet)))
            return failed;
        if (written)
            *written << path;
    }
    return std::nullopt;
}

} // namespace zant
