#include "exchange/results_export.h"

#include "model/file_io.h"
#include "model/text_format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <xlsxwriter.h>

#include <cerrno>
#include <cmath>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zant {

namespace {

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
    const auto dateAt = [&r](double days) { return r.dateAt(days); };
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
        events.rows.push_back({double(e), p.description(e), r.earliest[e], dateAt(r.earliest[e]),
                               r.latest[e], dateAt(r.latest[e]), cleanFloat(r.eventFloat(e)),
                               yesNo(r.isCritical(e))});
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
                          QStringLiteral("Critica"),
                          QStringLiteral("Importo (€)"),
                          QStringLiteral("Categoria")};
    activities.widths = {8, 8, 40, 10, 12, 12, 12, 12, 16, 16, 20, 8, 16, 24};
    for (int i = 1; i < n; ++i) {
        for (int s = 1; s <= p.linkCount(i); ++s) {
            const Link& link = p.link(i, s);
            const int k = link.target;
            if (k < 1 || k > n)
                continue;
            const double d = link.days.value_or(0.0);
            const double total = cleanFloat(r.linkFloatAt(i, s));
            activities.rows.push_back(
                {double(i), double(k), p.activityName(i, s), d, dateAt(r.earliest[i]),
                 dateAt(r.earliest[i] + d), dateAt(r.latest[k] - d), dateAt(r.latest[k]), total,
                 cleanFloat(r.linkFreeFloatAt(i, s)), cleanFloat(r.linkIndependentFloatAt(i, s)),
                 yesNo(isZeroFloat(total)), link.amount, link.category});
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
                {double(e), p.description(e), r.earliest[e], dateAt(r.earliest[e])});
    }
    return sheets;
}

namespace {

// Excel keeps at most this many characters in a cell.
constexpr qsizetype kCellTextLimit = 32767;

// What a failed export says when no disk is to blame.
Error xlsxFailure(const QString& path, const QString& reason)
{
    QString text =
        QStringLiteral("Impossibile salvare il file \"%1\": %2.").arg(displayPath(path), reason);
    if (QFileInfo(path).isFile())
        text += QStringLiteral(" Il file esistente non è stato modificato.");
    return Error(ErrorKind::File, critical(text));
}

// The workbook library writes its complaints straight to the standard error; while it works,
// they go nowhere, as the export's own message says what went wrong. (A window program on the
// other systems has no terminal to keep clean.)
class QuietStandardError final
{
public:
    QuietStandardError()
    {
#ifdef Q_OS_UNIX
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        const int nowhere = ::open("/dev/null", O_WRONLY);
        if (m_saved >= 0 && nowhere >= 0)
            ::dup2(nowhere, STDERR_FILENO);
        if (nowhere >= 0)
            ::close(nowhere);
#endif
    }
    ~QuietStandardError()
    {
#ifdef Q_OS_UNIX
        // The save reads errno after the writer returns: putting the terminal back must not
        // change it.
        const int systemError = errno;
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
        }
        errno = systemError;
#endif
    }
    Q_DISABLE_COPY_MOVE(QuietStandardError)

private:
    int m_saved = -1;
};

// A text as the workbook stores it: without the characters XML cannot carry.
QByteArray cellText(const QString& text)
{
    return cleanXmlText(text).toUtf8();
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
    lxw_format* euro = workbook_add_format(book);
    format_set_num_format(euro, "#,##0.00");

    for (const ResultSheet& sheet : sheets) {
        const QByteArray name = sheet.name.toUtf8();
        lxw_worksheet* ws = workbook_add_worksheet(book, name.constData());
        if (!ws)
            return LXW_ERROR_MEMORY_MALLOC_FAILED;
        const auto columns = static_cast<lxw_col_t>(sheet.headers.size());
        for (lxw_col_t c = 0; c < columns; ++c) {
            const QByteArray text = cellText(sheet.headers[c]);
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
                } else if (const Cents* amount = std::get_if<Cents>(&cells[c])) {
                    // Shown with two decimals; the cents of an amount up to 10^11 are exact in
                    // a double.
                    e = worksheet_write_number(ws, row, c, double(*amount) / 100.0, euro);
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
                    const QByteArray text = cellText(std::get<QString>(cells[c]));
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

// A text a spreadsheet would take for a formula (or for the start of one) is written with an
// apostrophe in front, which the spreadsheet reads as "this is text"; numbers are not texts and
// keep their sign.
QString defused(const QString& text)
{
    if (!text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front()))
        return QLatin1Char('\'') + text;
    return text;
}

} // namespace

Result<void> exportResultsXlsx(const QString& path, const Project& project,
                               const ScheduleResults& results, const SaveTargetFactory& targets)
{
    const std::vector<ResultSheet> sheets = resultSheets(project, results);
    for (int e = 1; e <= results.eventCount && e <= project.eventCount(); ++e) {
        if (cleanXmlText(project.description(e)).size() > kCellTextLimit)
            return xlsxFailure(path, QStringLiteral("la descrizione dell'evento n. %1 supera i "
                                                    "%2 caratteri che una cella di Excel può "
                                                    "contenere")
                                         .arg(e)
                                         .arg(kCellTextLimit));
    }
    // libxlsxwriter writes only to a file it names itself: it builds the workbook in a scratch
    // file, whose bytes then go through the one save routine.
    return saveFileThroughScratch(
        path, QStringLiteral(".xlsx"),
        [&](const QString& scratch) -> Result<void> {
            const QByteArray name = QFile::encodeName(scratch);
            QuietStandardError quiet;
            errno = 0;
            lxw_workbook* book = workbook_new(name.constData());
            if (!book)
                return writeRefused(errno);
            const lxw_error filled = fillWorkbook(book, sheets);
            // Frees the workbook in every case.
            const lxw_error closed = workbook_close(book);
            if (filled == LXW_ERROR_MEMORY_MALLOC_FAILED)
                return xlsxFailure(path, QStringLiteral("memoria insufficiente"));
            if (filled != LXW_NO_ERROR)
                return xlsxFailure(path, QStringLiteral("la cartella di lavoro non si "
                                                        "può comporre (errore n. %1)")
                                             .arg(int(filled)));
            // The scratch file could not be written: the save names the cause.
            if (closed != LXW_NO_ERROR)
                return writeRefused(errno);
            return {};
        },
        targets);
}

QByteArray resultSheetCsv(const ResultSheet& sheet)
{
    const auto field = [](const QString& cell) {
        QString text = defused(cell);
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
            else if (const Cents* amount = std::get_if<Cents>(&cell))
                line << formatEuro(*amount);
            else
                line << field(std::get<QString>(cell));
        }
        out += line.join(QLatin1Char(';')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

Result<void> exportResultsCsv(const QString& folder, const Project& project,
                              const ScheduleResults& results, QStringList* written,
                              const SaveTargetFactory& targets)
{
    const bool created = !QFileInfo(folder).isDir();
    if (Result<void> failed = createFolder(folder); !failed.ok())
        return failed;
    const QDir dir(folder);
    std::vector<FileBytes> files;
    for (const ResultSheet& sheet : resultSheets(project, results))
        files.push_back({dir.filePath(sheet.name + QStringLiteral(".csv")), resultSheetCsv(sheet)});
    if (Result<void> failed = saveFiles(files, targets); !failed.ok()) {
        // A folder made for the tables does not stay behind empty.
        if (created)
            QDir().rmdir(folder);
        return failed;
    }
    if (written) {
        for (const FileBytes& file : files)
            *written << file.path;
    }
    return {};
}

} // namespace zant
