#include "model/project_file.h"

#include "model/cp1252.h"
#include "model/data_check.h"
#include "model/file_io.h"
#include "model/record_reader.h"
#include "model/text_format.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace zant {

namespace {

// 500 events with 500 links each stay far below this.
constexpr qint64 kMaxProjectFileBytes = 64 << 20;
// Longer than any works schedule; keeps the date arithmetic far from overflow.
constexpr double kMaxDays = 1'000'000;

// Where the reader is in the file, named in a refusal. The name is built only when reading fails:
// building it for each of up to 250,000 links took longer than reading them.
struct FieldPlace
{
    enum Kind
    {
        header,
        event,
        link,
        titleField
    };
    Kind kind = header;
    int number = 0; // event, or title-page field
    int slot = 0;

    QString name() const
    {
        switch (kind) {
        case header:
            break;
        case event:
            return QStringLiteral("evento n.") + withLeadingBlank(number);
        case link:
            return QStringLiteral("legame n.") + withLeadingBlank(slot) +
                   QStringLiteral(" dell'evento n.") + withLeadingBlank(number);
        case titleField:
            return QStringLiteral("frontespizio, campo '%1'").arg(TitlePage::fieldName(number));
        }
        return QStringLiteral("intestazione");
    }
};

class ProjectParser final
{
public:
    ProjectParser(const QByteArray& bytes, QString fileName, ProjectRecords records)
        : m_reader(decodeTextFile(bytes)), m_fileName(std::move(fileName)), m_records(records)
    {
    }

    Result<ProjectFileContents> parse();

private:
    // Reads the next field; on failure sets m_error and returns false.
    bool read(const FieldPlace& place, QString& text);
    bool readWhole(const FieldPlace& place, int low, int high, const QString& range, int& value);
    bool fail(const FieldPlace& place, const QString& why);

    RecordReader m_reader;
    QString m_fileName;
    ProjectRecords m_records;
    int m_record = 0;
    std::optional<Message> m_error;
};

bool ProjectParser::fail(const FieldPlace& place, const QString& why)
{
    m_error = critical(QStringLiteral("Il file \"%1\" non è un file di dati ZANT valido "
                                      "(record %2, riga %3, %4): %5.")
                           .arg(displayPath(m_fileName))
                           .arg(m_record)
                           .arg(m_reader.line())
                           .arg(place.name(), why));
    return false;
}

bool ProjectParser::read(const FieldPlace& place, QString& text)
{
    RecordReader::Field field;
    QString why;
    switch (m_reader.next(field, why)) {
    case RecordReader::Status::Ok:
        text = field.text;
        return true;
    case RecordReader::Status::End:
        return fail(place, QStringLiteral("il file finisce prima del previsto"));
    case RecordReader::Status::Malformed:
        return fail(place, why);
    }
    return false;
}

bool parseNumber(const QString& text, double& value)
{
    // Targets, counts and most durations are short runs of digits. QString::toDouble goes through
    // the locale machinery for each of them, which made it most of the reading time; for these it
    // gives exactly the value read here.
    if (!text.isEmpty() && text.size() <= 9) {
        int whole = 0;
        bool digits = true;
        for (const QChar c : text) {
            if (c.unicode() < u'0' || c.unicode() > u'9') {
                digits = false;
                break;
            }
            whole = whole * 10 + (c.unicode() - u'0');
        }
        if (digits) {
            value = whole;
            return true;
        }
    }
    bool ok = false;
    value = text.toDouble(&ok);
    return ok && std::isfinite(value);
}

bool ProjectParser::readWhole(const FieldPlace& place, int low, int high, const QString& range,
                              int& value)
{
    QString text;
    if (!read(place, text))
        return false;
    double number = 0;
    if (!parseNumber(text, number) || number != std::floor(number) || number < low || number > high)
        return fail(place, QStringLiteral("\"%1\" non è un numero intero %2").arg(text, range));
    value = static_cast<int>(number);
    return true;
}

Result<ProjectFileContents> ProjectParser::parse()
{
    ProjectFileContents contents;
    Project& project = contents.project;

    m_record = 1;
    const FieldPlace header;
    QString dateText;
    if (!read(header, dateText))
        return *m_error;
    if (!dateText.isEmpty()) {
        const QDate date = parseDate(dateText);
        if (!date.isValid()) {
            fail(header,
                 QStringLiteral("\"%1\" non è una data valida (gg/mm/aaaa, dal %2 al %3)")
                     .arg(dateText, formatDate(firstAllowedDate()), formatDate(lastAllowedDate())));
            return *m_error;
        }
        dateText = formatDate(date);
    }
    project.setStartDateText(dateText);
    int n = 0;
    if (!readWhole(header, 0, kMaxEvents, QStringLiteral("di eventi da 0 a 500"), n))
        return *m_error;
    project.setEventCount(n);

    const QString nRange = QStringLiteral("da 1 a %1").arg(n);
    for (int i = 1; i <= n; ++i) {
        ++m_record;
        const FieldPlace what{FieldPlace::event, i};
        Event event;
        int linkCount = 0;
        if (!read(what, event.description) ||
            !readWhole(what, 0, kMaxLinks, QStringLiteral("di legami da 0 a 500"), linkCount))
            return *m_error;
        event.links.reserve(linkCount);
        for (int j = 1; j <= linkCount; ++j) {
            ++m_record;
            const FieldPlace linkWhat{FieldPlace::link, i, j};
            Link link;
            if (!readWhole(linkWhat, 1, n, nRange, link.target))
                return *m_error;
            QString daysText;
            if (!read(linkWhat, daysText))
                return *m_error;
            if (!daysText.isEmpty()) {
                double days = 0;
                if (!parseNumber(daysText, days) || days < 0 || days > kMaxDays) {
                    fail(linkWhat, QStringLiteral("la durata \"%1\" non è un numero di giorni da 0 "
                                                  "a 1000000")
                                       .arg(daysText));
                    return *m_error;
                }
                link.days = days;
            }
            event.links.push_back(link);
        }
        project.setEvent(i, std::move(event));
    }

    ++m_record;
    for (int f = 0; f < TitlePage::kFieldCount; ++f) {
        if (!read(FieldPlace{FieldPlace::titleField, f}, contents.titlePage.fields[f]))
            return *m_error;
    }
    if (m_records == ProjectRecords::TraditionalOnly)
        return contents;
    auto section = readExtendedSection(m_reader.remaining(), m_reader.remainingLine(), m_fileName,
                                       &project, &contents.titlePage);
    if (!section)
        return section.error();
    contents.sectionVersion = section.value().version;
    return contents;
}

} // namespace

Result<ProjectFileContents> parseProjectData(const QByteArray& bytes, const QString& fileName,
                                             ProjectRecords records)
{
    return ProjectParser(bytes, fileName, records).parse();
}

Result<ProjectFileContents> readProjectFile(const QString& path)
{
    auto bytes = readWholeFile(path, kMaxProjectFileBytes);
    if (!bytes)
        return bytes.error();
    return parseProjectData(bytes.value(), path);
}

Result<QByteArray> serializeProjectData(const Project& project, const TitlePage& titlePage,
                                        bool* substituted)
{
    const int n = project.eventCount();
    auto titleLine = serializeTitlePage(titlePage);
    if (!titleLine)
        return titleLine.error();
    // Descriptions the traditional records cannot hold go there in their closest form; the
    // extended section keeps them whole.
    const auto traditional = [](const QString& text) {
        return needsExtendedText(text) ? traditionalSubstitute(text) : text;
    };

    // Written straight into the bytes of the file: a large network has a hundred thousand link
    // records, and temporary strings per field would dominate the time of a save.
    qsizetype links = 0;
    for (int i = 1; i <= n; ++i)
        links += project.linkCount(i);
    QByteArray bytes;
    bytes.reserve(64 + n * 64 + links * 16 + titleLine.value().size());
    const auto quotedText = [&bytes](const QString& text) {
        bytes += '"';
        bytes += encodeCp1252(text);
        bytes += '"';
    };
    const auto quotedDays = [&bytes](const std::optional<double>& days) {
        bytes += '"';
        if (days) {
            const double d = *days;
            if (d == std::floor(d) && d >= 0 && d < 1e15)
                bytes += QByteArray::number(static_cast<qlonglong>(d));
            else
                bytes += formatDaysForFile(d).toLatin1();
        }
        bytes += '"';
    };
    quotedText(traditional(project.startDateText()));
    bytes += ',';
    bytes += QByteArray::number(n);
    bytes += "\r\n";
    for (int i = 1; i <= n; ++i) {
        const Event& event = project.event(i);
        quotedText(traditional(event.description));
        bytes += ',';
        bytes += QByteArray::number(event.linkCount());
        bytes += "\r\n";
        for (const Link& link : event.links) {
            bytes += '"';
            bytes += QByteArray::number(link.target);
            bytes += "\",";
            quotedDays(link.days);
            bytes += "\r\n";
        }
    }
    bytes += titleLine.value();
    bytes += serializeExtendedSection(project, titlePage, substituted);
    return bytes;
}

std::optional<Message> writeProjectFile(const QString& path, const Project& project,
                                        const TitlePage& titlePage, bool* substituted)
{
    auto bytes = serializeProjectData(project, titlePage, substituted);
    if (!bytes)
        return bytes.error();
    return writeFileSafely(path, bytes.value());
}

std::optional<SaveRefusal> checkBeforeSave(const Project& project, const TitlePage& titlePage,
                                           CheckConfirmation& confirmation)
{
    if (auto fault = confirmation.requireValidData(project))
        return SaveRefusal{*fault, false};
    if (titlePage[TitlePage::progetto].isEmpty())
        return SaveRefusal{
            critical(QStringLiteral("E' necessario digitare almeno il dato del 'progetto'.")),
            true};
    return std::nullopt;
}

QString dataFileNameFor(const QString& project)
{
    QString name;
    for (const QChar c : project.simplified()) {
        const bool forbidden = c.unicode() < 32 || QStringLiteral("/\\:*?\"<>|").contains(c);
        name += forbidden ? QLatin1Char('-') : c;
    }
    // Long titles make unwieldy names; the start says which project it is.
    name = name.left(80).trimmed();
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    return QStringLiteral("ZANT-dati-") + name + QStringLiteral(".txt");
}

QString withDataFileAffixes(const QString& path)
{
    // Qt's dialogs give paths with "/" on every system.
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    QString name = path.mid(slash + 1);
    if (!name.startsWith(QLatin1String("ZANT-dati-"), Qt::CaseInsensitive))
        name.prepend(QStringLiteral("ZANT-dati-"));
    if (!name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        name += QStringLiteral(".txt");
    return folder + name;
}

bool looksLikeProjectData(const QByteArray& head)
{
    // Only the first line counts: a longer head may end in the middle of a later record.
    const qsizetype end = head.indexOf('\n');
    RecordReader reader(decodeTextFile(end < 0 ? head : head.left(end + 1)));
    RecordReader::Field date;
    RecordReader::Field count;
    QString why;
    if (reader.next(date, why) != RecordReader::Status::Ok ||
        reader.next(count, why) != RecordReader::Status::Ok || reader.line() != 1)
        return false;
    if (!date.text.isEmpty() && !parseDate(date.text).isValid())
        return false;
    bool ok = false;
    const int n = count.text.toInt(&ok);
    RecordReader::Field more;
    return ok && n >= 0 && n <= kMaxEvents && !count.quoted &&
           (reader.next(more, why) == RecordReader::Status::End || reader.line() > 1);
}

bool isProjectDataFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return looksLikeProjectData(file.read(512));
}

} // namespace zant
