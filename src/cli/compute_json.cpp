#include "cli/compute_json.h"

#include "model/text_format.h"

#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstring>

namespace zant {

namespace {

// Built as bytes through a cursor: through QString the JSON of the largest network took five
// times as long as reading and checking it. Each record first makes room for the most it can
// take, so that its pieces are written without a check each. Writing to a stream, the buffer is
// handed over whenever it fills and used again, which keeps it in the cache and spares the pages
// of a 12 MB array.
class JsonBuffer final
{
public:
    using Sink = std::function<void(QByteArrayView)>;

    // Without a sink, everything is collected for take().
    JsonBuffer(qsizetype capacity, const Sink* sink)
        : m_bytes(capacity, Qt::Uninitialized), m_sink(sink)
    {
        point(0);
    }

    // Makes room for `size` more bytes.
    void reserve(qsizetype size)
    {
        if (m_end - m_at < size)
            makeRoom(size);
    }

    template <std::size_t N> JsonBuffer& raw(const char (&text)[N])
    {
        std::memcpy(m_at, text, N - 1);
        m_at += N - 1;
        return *this;
    }

    // Event numbers, slots and days are small: those go two digits at a time without the
    // general conversion's count of digits.
    JsonBuffer& integer(long long value)
    {
        if (value < 0 || value >= 10000) {
            m_at = std::to_chars(m_at, m_at + kMaxNumber, value).ptr;
            return *this;
        }
        const auto v = static_cast<unsigned>(value);
        if (v < 10) {
            *m_at++ = static_cast<char>('0' + v);
        } else if (v < 100) {
            std::memcpy(m_at, kDigitPairs + 2 * v, 2);
            m_at += 2;
        } else if (v < 1000) {
            *m_at = static_cast<char>('0' + v / 100);
            std::memcpy(m_at + 1, kDigitPairs + 2 * (v % 100), 2);
            m_at += 3;
        } else {
            std::memcpy(m_at, kDigitPairs + 2 * (v / 100), 2);
            std::memcpy(m_at + 2, kDigitPairs + 2 * (v % 100), 2);
            m_at += 4;
        }
        return *this;
    }

    // Shortest text that reads back as the same double; null where JSON has no number.
    JsonBuffer& number(double value)
    {
        // Whole days are the common case, and integers convert several times faster.
        if (value == std::trunc(value) && std::abs(value) < 1e15)
            return integer(static_cast<long long>(value));
        if (!std::isfinite(value))
            return raw("null");
        if (isZeroFloat(value))
            return raw("0");
        m_at = std::to_chars(m_at, m_at + kMaxNumber, value).ptr;
        return *this;
    }

    JsonBuffer& string(const QString& text)
    {
        static const char hex[] = "0123456789abcdef";
        const QByteArray utf8 = text.toUtf8();
        // Every byte takes at most six ("\u00XX"), plus the quotes.
        reserve(utf8.size() * 6 + 2);
        char* out = m_at;
        *out++ = '"';
        for (const char c : utf8) {
            switch (c) {
            case '"':
                *out++ = '\\';
                *out++ = '"';
                break;
            case '\\':
                *out++ = '\\';
                *out++ = '\\';
                break;
            case '\n':
                *out++ = '\\';
                *out++ = 'n';
                break;
            case '\r':
                *out++ = '\\';
                *out++ = 'r';
                break;
            case '\t':
                *out++ = '\\';
                *out++ = 't';
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    std::memcpy(out, "\\u00", 4);
                    out += 4;
                    *out++ = hex[(c >> 4) & 0xf];
                    *out++ = hex[c & 0xf];
                } else {
                    *out++ = c;
                }
            }
        }
        *out++ = '"';
        m_at = out;
        return *this;
    }

    QByteArray take()
    {
        m_bytes.resize(used());
        return std::move(m_bytes);
    }

    // Hands what is left to the sink.
    void finish()
    {
        if (used() > 0)
            (*m_sink)(QByteArrayView(m_begin, used()));
        m_at = m_begin;
    }

    // The most a number takes: to_chars of a double writes up to 24 characters.
    static constexpr qsizetype kMaxNumber = 32;

private:
    static constexpr char kDigitPairs[] = "00010203040506070809101112131415161718192021222324"
                                          "25262728293031323334353637383940414243444546474849"
                                          "50515253545556575859606162636465666768697071727374"
                                          "75767778798081828384858687888990919293949596979899";

    qsizetype used() const { return m_at - m_begin; }

    // The cursor into the array, kept as pointers: asking the array for its data checks
    // whether it is shared, every time.
    void point(qsizetype filled)
    {
        m_begin = m_bytes.data();
        m_at = m_begin + filled;
        m_end = m_begin + m_bytes.size();
    }

    void makeRoom(qsizetype size)
    {
        if (m_sink)
            finish();
        const qsizetype filled = used();
        if (filled + size > m_bytes.size())
            m_bytes.resize(std::max(m_bytes.size() * 2, filled + size));
        point(filled);
    }

    QByteArray m_bytes;
    const Sink* m_sink;
    char* m_begin = nullptr;
    char* m_at = nullptr;
    char* m_end = nullptr;
};

// The most a link's record takes: its names and separators, and seven numbers.
constexpr qsizetype kLinkRecord = 128 + 7 * JsonBuffer::kMaxNumber;
constexpr qsizetype kEventRecord = 192 + 4 * JsonBuffer::kMaxNumber;

// The calendar the dates follow: how days are counted, what does not count, day 0 and the
// sentence the documents say it with.
void writeCalendar(JsonBuffer& out, const ProjectCalendar& c, const WorkingTime& clock)
{
    const auto yesNo = [&out](bool value) {
        out.reserve(8);
        if (value)
            out.raw("true");
        else
            out.raw("false");
    };
    out.reserve(64);
    out.raw(", \"calendar\": {\"days\": ")
        .string(c.workingDays ? QStringLiteral("lavorativi") : QStringLiteral("naturali"));
    out.reserve(32);
    out.raw(", \"workingWeek\": [");
    const QStringList week = weekdayList(c.workingWeek).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < week.size(); ++i) {
        out.reserve(4);
        if (i > 0)
            out.raw(", ");
        out.string(week[i]);
    }
    out.reserve(32);
    out.raw("], \"nationalHolidays\": ");
    yesNo(c.nationalHolidays);
    out.reserve(32);
    out.raw(", \"patron\": ");
    if (c.patron.isSet())
        out.string(formatMonthDay(c.patron));
    else
        out.raw("null");
    out.reserve(32);
    out.raw(", \"closures\": [");
    for (std::size_t i = 0; i < c.closures.size(); ++i) {
        const CalendarClosure& closure = c.closures[i];
        out.reserve(32);
        if (i > 0)
            out.raw(", ");
        out.raw("{\"from\": ").string(formatDate(closure.first));
        out.reserve(16);
        out.raw(", \"to\": ").string(formatDate(closure.last));
        out.reserve(24);
        out.raw(", \"description\": ").string(closure.description);
        out.reserve(2);
        out.raw("}");
    }
    out.reserve(48);
    out.raw("], \"closuresInCalendarDays\": ");
    yesNo(c.closuresInCalendarDays);
    out.reserve(32 + JsonBuffer::kMaxNumber);
    out.raw(", \"minutesPerDay\": ").integer(c.minutesPerDay);
    out.reserve(16);
    out.raw(", \"firstDay\": ").string(formatDate(clock.firstDay()));
    out.reserve(24);
    out.raw(", \"text\": ").string(calendarSentence(c));
    out.reserve(24);
    out.raw(", \"fractionRule\": ").string(fractionalTimeRule());
    out.reserve(2);
    out.raw("}");
}

void write(JsonBuffer& out, const Project& p, const ScheduleResults& r)
{
    const int n = r.eventCount;
    out.reserve(128);
    out.raw("{\"eventCount\": ").integer(n).raw(", \"startDate\": ").string(p.startDateText());
    writeCalendar(out, p.calendar(), r.clock);
    out.reserve(16);
    out.raw(", \"events\": [");
    for (int e = 1; e <= n; ++e) {
        out.reserve(kEventRecord);
        if (e > 1)
            out.raw(", ");
        out.raw("{\"event\": ").integer(e).raw(", \"description\": ").string(p.description(e));
        out.reserve(kEventRecord);
        out.raw(", \"earliest\": ").number(r.earliest[e]);
        out.raw(", \"latest\": ").number(r.latest[e]);
        out.raw(", \"float\": ").number(r.eventFloat(e));
        out.raw(", \"earliestDate\": ").string(r.earliestDate[e]);
        out.reserve(kEventRecord);
        out.raw(", \"latestDate\": ").string(r.latestDate[e]);
        out.reserve(kEventRecord);
        out.raw(", \"predecessors\": [");
        bool firstPredecessor = true;
        for (int predecessor : r.predecessors[e]) {
            out.reserve(2 + JsonBuffer::kMaxNumber);
            if (!firstPredecessor)
                out.raw(", ");
            out.integer(predecessor);
            firstPredecessor = false;
        }
        out.reserve(2);
        out.raw("]}");
    }
    out.reserve(16);
    out.raw("], \"links\": [");
    bool first = true;
    // The activities: the final event's own links are not part of the network.
    for (int e = 1; e < n; ++e) {
        const std::vector<Link>& links = p.event(e).links;
        for (int s = 1; s <= static_cast<int>(links.size()); ++s) {
            const Link& link = links[s - 1];
            if (link.target < 1 || link.target > n)
                continue;
            out.reserve(kLinkRecord);
            if (!first)
                out.raw(", ");
            out.raw("{\"event\": ").integer(e);
            out.raw(", \"slot\": ").integer(s);
            out.raw(", \"target\": ").integer(link.target);
            out.raw(", \"days\": ");
            if (link.days)
                out.number(*link.days);
            else
                out.raw("null");
            out.raw(", \"float\": ").number(r.linkFloatAt(e, s));
            out.raw(", \"freeFloat\": ").number(r.linkFreeFloatAt(e, s));
            out.raw(", \"independentFloat\": ").number(r.linkIndependentFloatAt(e, s));
            out.raw(", \"name\": ").string(link.name);
            out.raw("}");
            first = false;
        }
    }
    out.reserve(32);
    out.raw("], \"criticalPath\": ").string(r.criticalPath);
    out.reserve(2);
    out.raw("}\n");
}

} // namespace

QByteArray computeJson(const Project& p, const ScheduleResults& r)
{
    std::size_t links = 0;
    for (int e = 1; e <= r.eventCount; ++e)
        links += static_cast<std::size_t>(p.linkCount(e));
    // About the size of the result, so that it seldom grows.
    JsonBuffer out(
        static_cast<qsizetype>(4096 + static_cast<std::size_t>(r.eventCount) * 256 + links * 128),
        nullptr);
    write(out, p, r);
    return out.take();
}

void writeComputeJson(const Project& p, const ScheduleResults& r,
                      const std::function<void(QByteArrayView)>& sink)
{
    JsonBuffer out(256 * 1024, &sink);
    write(out, p, r);
    out.finish();
}

} // namespace zant
