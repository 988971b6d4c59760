#include "model/extended_section.h"

#include "model/cp1252.h"
#include "model/file_io.h"
#include "model/text_format.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace zant {

namespace {

const QString kHeader = QStringLiteral("ZANT-SEZIONE-ESTESA");
const QString kEnd = QStringLiteral("FINE");
const QString kDescription = QStringLiteral("DESCRIZIONE");
const QString kTitleField = QStringLiteral("FRONTESPIZIO");
const QString kActivity = QStringLiteral("ATTIVITA");
const QString kAmount = QStringLiteral("IMPORTO");
const QString kCategory = QStringLiteral("CATEGORIA");
const QString kCalendar = QStringLiteral("CALENDARIO");
const QString kWeek = QStringLiteral("SETTIMANA");
const QString kHolidays = QStringLiteral("FESTIVITA");
const QString kPatron = QStringLiteral("PATRONO");
const QString kClosure = QStringLiteral("CHIUSURA");
const QString kCalendarDays = QStringLiteral("NATURALI");
const QString kWorkingDays = QStringLiteral("LAVORATIVI");
const QString kYes = QStringLiteral("SI");
const QString kNo = QStringLiteral("NO");

// Bytes written as they are: printable ASCII but the escape and the field separator.
bool plainByte(uchar b)
{
    return b >= 0x20 && b < 0x7F && b != '%' && b != ';';
}

QByteArray escaped(const QString& text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    for (const char c : utf8) {
        const auto b = static_cast<uchar>(c);
        if (plainByte(b)) {
            out += c;
        } else {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 0xF];
        }
    }
    return out;
}

int hexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

// The text of an escaped field, or nothing when the escapes are broken or the bytes are not
// UTF-8.
std::optional<QString> unescaped(QStringView field)
{
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const QChar c = field[i];
        if (c == QLatin1Char('%')) {
            if (i + 2 >= field.size())
                return std::nullopt;
            const int high = hexValue(field[i + 1]);
            const int low = hexValue(field[i + 2]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
            bytes += static_cast<char>(c.unicode());
        } else {
            return std::nullopt;
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return text;
}

class SectionWriter final
{
public:
    void record(const QString& kind, std::initializer_list<QByteArray> fields)
    {
        m_bytes += kind.toLatin1();
        for (const QByteArray& f : fields) {
            m_bytes += ';';
            m_bytes += f;
        }
        m_bytes += "\r\n";
        ++m_records;
    }
    void raw(const QString& line)
    {
        m_bytes += line.toLatin1();
        m_bytes += "\r\n";
        ++m_records;
    }
    bool empty() const { return m_records == 0; }
    QByteArray finish(int version = kPlainSectionVersion)
    {
        if (m_records == 0)
            return {};
        QByteArray out = kHeader.toLatin1() + ';' + QByteArray::number(version) + "\r\n" + m_bytes;
        out += kEnd.toLatin1() + ';' + QByteArray::number(m_records) + "\r\n";
        return out;
    }

private:
    QByteArray m_bytes;
    int m_records = 0;
};

void writeTitleFields(SectionWriter& w, const TitlePage& titlePage, bool* substituted)
{
    for (int f = 0; f < TitlePage::kFieldCount; ++f) {
        if (needsExtendedText(titlePage.fields[f])) {
            w.record(kTitleField, {QByteArray::number(f), escaped(titlePage.fields[f])});
            *substituted = true;
        }
    }
}

QByteArray yesNo(bool value)
{
    return (value ? kYes : kNo).toLatin1();
}

void writeCalendar(SectionWriter& w, const ProjectCalendar& c)
{
    w.record(kCalendar, {(c.workingDays ? kWorkingDays : kCalendarDays).toLatin1(),
                         QByteArray::number(c.minutesPerDay), yesNo(c.closuresInCalendarDays)});
    w.record(kWeek, {weekdayList(c.workingWeek).toLatin1()});
    w.record(kHolidays, {yesNo(c.nationalHolidays)});
    if (c.patron.isSet())
        w.record(kPatron, {formatMonthDay(c.patron).toLatin1()});
    for (const CalendarClosure& closure : c.closures)
        w.record(kClosure, {formatDate(closure.first).toLatin1(),
                            formatDate(closure.last).toLatin1(), escaped(closure.description)});
}

class SectionReader final
{
public:
    SectionReader(QString fileName, int firstLine, Project* project, TitlePage* titlePage)
        : m_fileName(std::move(fileName)), m_line(firstLine), m_project(project),
          m_titlePage(titlePage)
    {
    }

    Result<ExtendedSectionInfo> read(QStringView text);

private:
    Error fail(const QString& why) const
    {
        return Error(ErrorKind::Format,
                     critical(QStringLiteral("Il file \"%1\" non è un file di dati ZANT valido "
                                             "(sezione estesa, riga %2): %3.")
                                  .arg(displayPath(m_fileName))
                                  .arg(m_line)
                                  .arg(why)));
    }
    // A whole number of the field, within low..high, or nothing.
    static std::optional<int> number(QStringView field, int low, int high)
    {
        bool ok = false;
        const int value = field.toInt(&ok);
        if (!ok || value < low || value > high || field.startsWith(QLatin1Char('+')))
            return std::nullopt;
        return value;
    }
    // A whole number of cents written with digits only, 0..kMaxAmount, or nothing.
    static std::optional<Cents> amount(QStringView field)
    {
        if (field.isEmpty() || field.size() > 11)
            return std::nullopt;
        Cents value = 0;
        for (const QChar c : field) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return std::nullopt;
            value = value * 10 + (c.unicode() - '0');
        }
        if (value > kMaxAmount)
            return std::nullopt;
        return value;
    }
    Result<void> readRecord(const QList<QStringView>& fields, QStringView line);
    Result<void> expectFields(const QList<QStringView>& fields, int count) const;
    Result<void> readDescriptionRecord(const QList<QStringView>& fields);
    Result<void> readTitleFieldRecord(const QList<QStringView>& fields);
    Result<void> readLinkRecord(const QList<QStringView>& fields);
    Result<void> readCalendarRecord(const QList<QStringView>& fields);
    Result<void> keepNewerRecord(QStringView kind, QStringView line);
    // A SI or NO field.
    static std::optional<bool> yesOrNo(QStringView field)
    {
        if (field == kYes)
            return true;
        if (field == kNo)
            return false;
        return std::nullopt;
    }

    QString m_fileName;
    int m_line;
    Project* m_project;
    TitlePage* m_titlePage;
    QStringList m_kept;
    ProjectCalendar m_calendar;
    // The calendar records that may come once, as they are met.
    QStringList m_calendarSeen;
};

Result<void> SectionReader::readCalendarRecord(const QList<QStringView>& fields)
{
    const QString kind = fields.first().toString();
    const int expected = kind == kCalendar ? 4 : kind == kClosure ? 4 : 2;
    if (fields.size() != expected)
        return fail(QStringLiteral("il record %1 ha %2 campi invece di %3")
                        .arg(kind)
                        .arg(fields.size())
                        .arg(expected));
    if (kind != kClosure) {
        if (m_calendarSeen.contains(kind))
            return fail(QStringLiteral("il record %1 è ripetuto").arg(kind));
        m_calendarSeen << kind;
    }
    if (kind == kCalendar) {
        const auto minutes = number(fields[2], 1, 1440);
        const auto always = yesOrNo(fields[3]);
        if (fields[1] != kCalendarDays && fields[1] != kWorkingDays)
            return fail(QStringLiteral("i giorni del calendario sono \"%1\" invece di NATURALI o "
                                       "LAVORATIVI")
                            .arg(fields[1].left(40).toString()));
        if (!minutes)
            return fail(QStringLiteral("la giornata lavorativa di \"%1\" minuti non è un numero da "
                                       "1 a 1440")
                            .arg(fields[2].left(40).toString()));
        if (!always)
            return fail(QStringLiteral("il record CALENDARIO vuole SI o NO nell'ultimo campo"));
        m_calendar.workingDays = fields[1] == kWorkingDays;
        m_calendar.minutesPerDay = *minutes;
        m_calendar.closuresInCalendarDays = *always;
    } else if (kind == kWeek) {
        const auto week = parseWeekdayList(fields[1]);
        if (!week)
            return fail(QStringLiteral("la settimana lavorativa \"%1\" non è un elenco di giorni "
                                       "come lun,mar,mer,gio,ven")
                            .arg(fields[1].left(60).toString()));
        m_calendar.workingWeek = *week;
    } else if (kind == kHolidays) {
        const auto holidays = yesOrNo(fields[1]);
        if (!holidays)
            return fail(QStringLiteral("il record FESTIVITA vuole SI o NO"));
        m_calendar.nationalHolidays = *holidays;
    } else if (kind == kPatron) {
        const auto day = parseMonthDay(fields[1]);
        if (!day)
            return fail(QStringLiteral("il giorno del patrono \"%1\" non è un giorno GG/MM")
                            .arg(fields[1].left(40).toString()));
        m_calendar.patron = *day;
    } else {
        if (m_calendar.closures.size() >= static_cast<std::size_t>(kMaxClosures))
            return fail(QStringLiteral("più di %1 chiusure").arg(kMaxClosures));
        CalendarClosure closure{parseDate(fields[1].toString()), parseDate(fields[2].toString()),
                                QString()};
        if (!closure.first.isValid() || !closure.last.isValid())
            return fail(QStringLiteral("la chiusura ha una data non valida"));
        if (closure.last < closure.first)
            return fail(QStringLiteral("la chiusura finisce prima di cominciare"));
        const auto description = unescaped(fields[3]);
        if (!description || description->size() > kMaxClosureDescriptionLength ||
            std::any_of(description->begin(), description->end(),
                        [](QChar c) { return c.unicode() < 0x20; }))
            return fail(QStringLiteral("la descrizione della chiusura non è un testo valido di al "
                                       "più %1 caratteri")
                            .arg(kMaxClosureDescriptionLength));
        closure.description = *description;
        m_calendar.closures.push_back(std::move(closure));
    }
    return {};
}

Result<void> SectionReader::readRecord(const QList<QStringView>& fields, QStringView line)
{
    const QStringView kind = fields.first();
    if (kind == kDescription)
        return readDescriptionRecord(fields);
    if (kind == kTitleField)
        return readTitleFieldRecord(fields);
    if (kind == kActivity || kind == kAmount || kind == kCategory)
        return readLinkRecord(fields);
    if (kind == kCalendar || kind == kWeek || kind == kHolidays || kind == kPatron ||
        kind == kClosure)
        return readCalendarRecord(fields);
    return keepNewerRecord(kind, line);
}

Result<void> SectionReader::expectFields(const QList<QStringView>& fields, int count) const
{
    if (fields.size() != count)
        return fail(QStringLiteral("il record %1 ha %2 campi invece di %3")
                        .arg(fields.first().toString())
                        .arg(fields.size())
                        .arg(count));
    return {};
}

Result<void> SectionReader::readDescriptionRecord(const QList<QStringView>& fields)
{
    if (Result<void> bad = expectFields(fields, 3); !bad.ok())
        return bad;
    const int n = m_project ? m_project->eventCount() : 0;
    const auto event = number(fields[1], 1, n);
    if (!event)
        return fail(QStringLiteral("l'evento \"%1\" non è un evento da 1 a %2")
                        .arg(fields[1].toString())
                        .arg(n));
    const auto value = unescaped(fields[2]);
    if (!value || value->isEmpty())
        return fail(QStringLiteral("la descrizione non è un testo valido"));
    Event e = m_project->event(*event);
    e.description = *value;
    m_project->setEvent(*event, std::move(e));
    return {};
}

Result<void> SectionReader::readTitleFieldRecord(const QList<QStringView>& fields)
{
    if (Result<void> bad = expectFields(fields, 3); !bad.ok())
        return bad;
    const auto field = number(fields[1], 0, TitlePage::kFieldCount - 1);
    const auto value = unescaped(fields[2]);
    if (!field)
        return fail(QStringLiteral("il campo del frontespizio \"%1\" non è un numero da 0 a 6")
                        .arg(fields[1].toString()));
    if (!value)
        return fail(QStringLiteral("il campo del frontespizio non è un testo valido"));
    m_titlePage->fields[*field] = *value;
    return {};
}

// An activity's name, amount or category, by its event and slot.
Result<void> SectionReader::readLinkRecord(const QList<QStringView>& fields)
{
    if (Result<void> bad = expectFields(fields, 4); !bad.ok())
        return bad;
    const QStringView kind = fields.first();
    const int n = m_project ? m_project->eventCount() : 0;
    const auto event = number(fields[1], 1, n);
    const auto slot =
        event ? number(fields[2], 1, m_project->linkCount(*event)) : std::optional<int>();
    if (!event || !slot)
        return fail(QStringLiteral("il legame %1 dell'evento %2 non esiste")
                        .arg(fields[2].toString(), fields[1].toString()));
    Event e = m_project->event(*event);
    Link& link = e.links[*slot - 1];
    if (kind == kAmount) {
        const auto cents = amount(fields[3]);
        if (!cents)
            return fail(QStringLiteral("l'importo \"%1\" non è un numero di centesimi da 0 a %2")
                            .arg(fields[3].left(40).toString())
                            .arg(kMaxAmount));
        link.amount = *cents;
    } else {
        const auto value = unescaped(fields[3]);
        const int longest = kind == kActivity ? kMaxActivityNameLength : kMaxCategoryLength;
        if (!value || value->size() > longest)
            return fail((kind == kActivity
                             ? QStringLiteral("il nome dell'attività non è un testo valido di al "
                                              "più %1 caratteri")
                             : QStringLiteral("la categoria dei lavori non è un testo valido di "
                                              "al più %1 caratteri"))
                            .arg(longest));
        (kind == kActivity ? link.name : link.category) = *value;
    }
    m_project->setEvent(*event, std::move(e));
    return {};
}

// A kind of a newer version: kept as it is, if it is a record at all.
Result<void> SectionReader::keepNewerRecord(QStringView kind, QStringView line)
{
    for (const QChar c : kind) {
        if (!(c.isUpper() || c.isDigit() || c == QLatin1Char('-') || c == QLatin1Char('_')) ||
            c.unicode() >= 0x80)
            return fail(QStringLiteral("\"%1\" non è un record della sezione")
                            .arg(kind.left(40).toString()));
    }
    for (const QChar c : line) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            return fail(
                QStringLiteral("il record %1 contiene caratteri non ammessi").arg(kind.toString()));
    }
    m_kept << line.toString();
    return {};
}

Result<ExtendedSectionInfo> SectionReader::read(QStringView text)
{
    ExtendedSectionInfo info;
    const QList<QStringView> lines = text.split(QLatin1Char('\n'));
    qsizetype i = 0;
    const auto lineAt = [&](qsizetype k) {
        QStringView l = lines[k];
        if (l.endsWith(QLatin1Char('\r')))
            l.chop(1);
        return l;
    };
    // Blank lines before the section are allowed; anything else means there is none.
    while (i < lines.size() && lineAt(i).trimmed().isEmpty()) {
        ++i;
        ++m_line;
    }
    if (i >= lines.size() || !lineAt(i).startsWith(kHeader + QLatin1Char(';')))
        return info;
    info.present = true;
    const auto version = number(lineAt(i).mid(kHeader.size() + 1), 1, 1'000'000);
    if (!version)
        return fail(QStringLiteral("versione della sezione non valida"));
    info.version = *version;
    ++i;
    ++m_line;
    int records = 0;
    for (; i < lines.size(); ++i, ++m_line) {
        const QStringView line = lineAt(i);
        if (line.trimmed().isEmpty()) {
            bool onlyBlanksLeft = true;
            for (qsizetype k = i; k < lines.size() && onlyBlanksLeft; ++k)
                onlyBlanksLeft = lineAt(k).trimmed().isEmpty();
            if (onlyBlanksLeft)
                break;
            return fail(QStringLiteral("riga vuota dentro la sezione"));
        }
        const QList<QStringView> fields = line.split(QLatin1Char(';'));
        if (fields.first() == kEnd) {
            const auto count =
                fields.size() == 2 ? number(fields[1], 0, 100'000'000) : std::optional<int>();
            if (!count || *count != records)
                return fail(QStringLiteral("la sezione dichiara %1 record e ne contiene %2")
                                .arg(fields.value(1).toString())
                                .arg(records));
            for (qsizetype k = i + 1; k < lines.size(); ++k) {
                if (!lineAt(k).trimmed().isEmpty()) {
                    m_line += int(k - i);
                    return fail(QStringLiteral("testo dopo la fine della sezione"));
                }
            }
            if (m_project) {
                m_project->setKeptRecords(m_kept);
                m_project->setCalendar(m_calendar);
            }
            return info;
        }
        if (Result<void> bad = readRecord(fields, line); !bad.ok())
            return bad.error();
        ++records;
    }
    return fail(QStringLiteral("la sezione non è completa: manca il record FINE"));
}

} // namespace

bool needsExtendedText(const QString& text)
{
    return unstorableTextReason(text).has_value();
}

QByteArray serializeExtendedSection(const Project& project, const TitlePage& titlePage,
                                    bool* substituted)
{
    bool changed = false;
    SectionWriter w;
    for (int i = 1; i <= project.eventCount(); ++i) {
        const QString& description = project.description(i);
        if (needsExtendedText(description)) {
            w.record(kDescription, {QByteArray::number(i), escaped(description)});
            changed = true;
        }
    }
    writeTitleFields(w, titlePage, &changed);
    for (int i = 1; i <= project.eventCount(); ++i) {
        const auto& links = project.event(i).links;
        for (std::size_t s = 0; s < links.size(); ++s) {
            const QByteArray event = QByteArray::number(i);
            const QByteArray slot = QByteArray::number(qsizetype(s + 1));
            if (!links[s].name.isEmpty())
                w.record(kActivity, {event, slot, escaped(links[s].name)});
            if (links[s].amount != 0)
                w.record(kAmount, {event, slot, QByteArray::number(links[s].amount)});
            if (!links[s].category.isEmpty())
                w.record(kCategory, {event, slot, escaped(links[s].category)});
        }
    }
    const bool calendar = !project.calendar().isDefault();
    if (calendar)
        writeCalendar(w, project.calendar());
    for (const QString& kept : project.keptRecords())
        w.raw(kept);
    if (substituted)
        *substituted = changed;
    return w.finish(calendar ? kExtendedSectionVersion : kPlainSectionVersion);
}

QByteArray serializeTitlePageSection(const TitlePage& titlePage, bool* substituted)
{
    bool changed = false;
    SectionWriter w;
    writeTitleFields(w, titlePage, &changed);
    if (substituted)
        *substituted = changed;
    return w.finish();
}

Result<ExtendedSectionInfo> readExtendedSection(QStringView text, int firstLine,
                                                const QString& fileName, Project* project,
                                                TitlePage* titlePage)
{
    return SectionReader(fileName, firstLine, project, titlePage).read(text);
}

Message substitutedTextNotice()
{
    return information(QStringLiteral("Alcuni caratteri non sono rappresentabili nel formato "
                                      "tradizionale del file: sono conservati nella sezione "
                                      "estesa."));
}

Message newerSectionWarning(const QString& fileName, int version)
{
    return exclamation(
        QStringLiteral("Il file \"%1\" è stato scritto da una versione più recente di ZANT "
                       "(sezione estesa, versione %2): è aperto in sola lettura. I dati che "
                       "questa versione non conosce sono conservati; per salvare le modifiche "
                       "scegliere un nuovo nome con \"Salva con nome\".")
            .arg(displayPath(fileName))
            .arg(version));
}

} // namespace zant
