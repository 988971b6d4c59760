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
    // Reads the next field, or says where reading stopped and why.
    Result<QString> read(const FieldPlace& place);
    Result<int> readWhole(const FieldPlace& place, int low, int high, const QString& range);
    // The first record's start date, written back as the program writes dates.
    Result<QString> readStartDate(const FieldPlace& header);
    // An event's record and the records of its links.
    Result<Event> readEvent(int event, int eventCount);
    Result<Link> readLink(int event, int slot, int eventCount);
    Error fail(const FieldPlace& place, const QString& why) const;

    RecordReader m_reader;
    QString m_fileName;
    ProjectRecords m_records;
    int m_record = 0;
};

Error ProjectParser::fail(const FieldPlace& place, const QString& why) const
{
    return Error(ErrorKind::Format,
                 critical(QStringLiteral("Il file \"%1\" non è un file di dati ZANT valido "
                                         "(record %2, riga %3, %4): %5.")
                              .arg(displayPath(m_fileName))
                              .arg(m_record)
                              .arg(m_reader.line())
                              .arg(place.name(), why)));
}

Result<QString> ProjectParser::read(const FieldPlace& place)
{
    auto field = m_reader.next();
    if (!field)
        return fail(place, field.error().text);
    if (!field.value())
        return fail(place, QStringLiteral("il file finisce prima del previsto"));
    return std::move(field.value()->text);
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

Result<int> ProjectParser::readWhole(const FieldPlace& place, int low, int high,
                                     const QString& range)
{
    const Result<QString> text = read(place);
    if (!text)
        return text.error();
    double number = 0;
    if (!parseNumber(text.value(), number) || number != std::floor(number) || number < low ||
        number > high)
        return fail(place,
                    QStringLiteral("\"%1\" non è un numero intero %2").arg(text.value(), range));
    return static_cast<int>(number);
}

Result<QString> ProjectParser::readStartDate(const FieldPlace& header)
{
    Result<QString> dateText = read(header);
    if (!dateText || dateText.value().isEmpty())
        return dateText;
    const QDate date = parseDate(dateText.value());
    if (!date.isValid())
        return fail(header,
                    QStringLiteral("\"%1\" non è una data valida (gg/mm/aaaa, dal %2 al %3)")
                        .arg(dateText.value(), formatDate(firstAllowedDate()),
                             formatDate(lastAllowedDate())));
    return formatDate(date);
}

Result<Link> ProjectParser::readLink(int event, int slot, int eventCount)
{
    ++m_record;
    const FieldPlace what{FieldPlace::link, event, slot};
    Link link;
    const Result<int> target =
        readWhole(what, 1, eventCount, QStringLiteral("da 1 a %1").arg(eventCount));
    if (!target)
        return target.error();
    link.target = target.value();
    const Result<QString> daysText = read(what);
    if (!daysText)
        return daysText.error();
    if (!daysText.value().isEmpty()) {
        double days = 0;
        if (!parseNumber(daysText.value(), days) || days < 0 || days > kMaxDays)
            return fail(what, QStringLiteral("la durata \"%1\" non è un numero di "
                                             "giorni da 0 a 1000000")
                                  .arg(daysText.value()));
        link.days = days;
    }
    return link;
}

Result<Event> ProjectParser::readEvent(int event, int eventCount)
{
    ++m_record;
    const FieldPlace what{FieldPlace::event, event};
    Event e;
    Result<QString> description = read(what);
    if (!description)
        return description.error();
    e.description = std::move(description.value());
    const Result<int> linkCount =
        readWhole(what, 0, kMaxLinks, QStringLiteral("di legami da 0 a 500"));
    if (!linkCount)
        return linkCount.error();
    e.links.reserve(linkCount.value());
    for (int j = 1; j <= linkCount.value(); ++j) {
        Result<Link> link = readLink(event, j, eventCount);
        if (!link)
            return link.error();
        e.links.push_back(std::move(link.value()));
    }
    return e;
}

Result<ProjectFileContents> ProjectParser::parse()
{
    ProjectFileContents contents;
    Project& project = contents.project;

    m_record = 1;
    const FieldPlace header;
    const Result<QString> dateText = readStartDate(header);
    if (!dateText)
        return dateText.error();
    project.setStartDateText(dateText.value());
    const Result<int> count =
        readWhole(header, 0, kMaxEvents, QStringLiteral("di eventi da 0 a 500"));
    if (!count)
        return count.error();
    const int n = count.value();
    project.setEventCount(n);
    for (int i = 1; i <= n; ++i) {
        Result<Event> event = readEvent(i, n);
        if (!event)
            return event.error();
        project.setEvent(i, std::move(event.value()));
    }

    ++m_record;
    for (int f = 0; f < TitlePage::kFieldCount; ++f) {
        Result<QString> field = read(FieldPlace{FieldPlace::titleField, f});
        if (!field)
            return field.error();
        contents.titlePage.fields[f] = std::move(field.value());
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

Result<void> writeProjectFile(const QString& path, const Project& project,
                              const TitlePage& titlePage, bool* substituted,
                              const SaveTargetFactory& targets)
{
    auto bytes = serializeProjectData(project, titlePage, substituted);
    if (!bytes)
        return bytes.error();
    return saveFile(path, bytes.value(), targets);
}

Result<void> checkBeforeSave(const Project& project, const TitlePage& titlePage,
                             CheckConfirmation& confirmation)
{
    if (Result<void> valid = confirmation.requireValidData(project); !valid.ok())
        return valid;
    if (titlePage[TitlePage::progetto].isEmpty())
        return Error(
            ErrorKind::Missing,
            critical(QStringLiteral("E' necessario digitare almeno il dato del 'progetto'.")));
    return {};
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
    const auto date = reader.next();
    if (!date || !date.value())
        return false;
    const auto count = reader.next();
    if (!count || !count.value() || reader.line() != 1)
        return false;
    if (!date.value()->text.isEmpty() && !parseDate(date.value()->text).isValid())
        return false;
    bool ok = false;
    const int n = count.value()->text.toInt(&ok);
    if (!ok || n < 0 || n > kMaxEvents || count.value()->quoted)
        return false;
    const auto more = reader.next();
    return (more && !more.value()) || reader.line() > 1;
}

bool isProjectDataFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return looksLikeProjectData(file.read(512));
}

} // namespace zant
