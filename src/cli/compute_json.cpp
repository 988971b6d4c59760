#include "cli/compute_json.h"

#include "model/text_format.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace zant {

namespace {

// Built as bytes in one buffer written through a cursor: through QString the JSON of the largest
// network took five times as long as reading and checking it, and appending to a std::string
// spent a third of the time copying.
class JsonBuffer final
{
public:
    explicit JsonBuffer(qsizetype expected) : m_bytes(expected, Qt::Uninitialized) {}

    template <std::size_t N> JsonBuffer& raw(const char (&text)[N])
    {
        append(text, N - 1);
        return *this;
    }

    // For the separators chosen at run time.
    JsonBuffer& rawText(const char* text)
    {
        append(text, static_cast<qsizetype>(std::strlen(text)));
        return *this;
    }

    JsonBuffer& integer(long long value)
    {
        char* at = room(24);
        m_used += std::to_chars(at, at + 24, value).ptr - at;
        return *this;
    }

    // Shortest text that reads back as the same double; null where JSON has no number.
    JsonBuffer& number(double value)
    {
        if (!std::isfinite(value))
            return raw("null");
        if (isZeroFloat(value))
            return raw("0");
        // Whole days are the common case, and integers convert several times faster.
        if (std::abs(value) < 1e15 && value == std::trunc(value))
            return integer(static_cast<long long>(value));
        char* at = room(32);
        m_used += std::to_chars(at, at + 32, value).ptr - at;
        return *this;
    }

    JsonBuffer& string(const QString& text)
    {
        static const char hex[] = "0123456789abcdef";
        const QByteArray utf8 = text.toUtf8();
        // Every byte takes at most six ("\u00XX"), plus the quotes.
        char* out = room(utf8.size() * 6 + 2);
        char* const first = out;
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
        m_used += out - first;
        return *this;
    }

    QByteArray take()
    {
        m_bytes.resize(m_used);
        return std::move(m_bytes);
    }

private:
    void append(const char* text, qsizetype size)
    {
        std::memcpy(room(size), text, static_cast<std::size_t>(size));
        m_used += size;
    }

    // Where the next `size` bytes go, growing the buffer when they would not fit.
    char* room(qsizetype size)
    {
        if (m_used + size > m_bytes.size())
            m_bytes.resize(std::max(m_bytes.size() * 2, m_used + size));
        return m_bytes.data() + m_used;
    }

    QByteArray m_bytes;
    qsizetype m_used = 0;
};

} // namespace

QByteArray computeJson(const Project& p, const ScheduleResults& r)
{
    const int n = r.eventCount;
    std::size_t links = 0;
    for (int e = 1; e <= n; ++e)
        links += static_cast<std::size_t>(p.linkCount(e));
    JsonBuffer out(static_cast<qsizetype>(4096 + static_cast<std::size_t>(n) * 256 + links * 160));

    out.raw("{\"eventCount\": ").integer(n).raw(", \"startDate\": ").string(p.startDateText());
    out.raw(", \"events\": [");
    for (int e = 1; e <= n; ++e) {
        const double eventFloat = r.eventFloat(e);
        out.rawText(e > 1 ? ", {\"event\": " : "{\"event\": ").integer(e);
        out.raw(", \"description\": ").string(p.description(e));
        out.raw(", \"earliest\": ").number(r.earliest[e]);
        out.raw(", \"latest\": ").number(r.latest[e]);
        out.raw(", \"float\": ").number(isZeroFloat(eventFloat) ? 0.0 : eventFloat);
        out.raw(", \"earliestDate\": ").string(r.earliestDate[e]);
        out.raw(", \"latestDate\": ").string(r.latestDate[e]);
        out.raw(", \"predecessors\": [");
        bool firstPredecessor = true;
        for (int predecessor : r.predecessors[e]) {
            out.rawText(firstPredecessor ? "" : ", ").integer(predecessor);
            firstPredecessor = false;
        }
        out.raw("]}");
    }
    out.raw("], \"links\": [");
    bool first = true;
    for (int e = 1; e <= n; ++e) {
        for (int s = 1; s <= p.linkCount(e); ++s) {
            const Link& link = p.link(e, s);
            out.rawText(first ? "{\"event\": " : ", {\"event\": ").integer(e);
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
            out.raw("}");
            first = false;
        }
    }
    out.raw("], \"criticalPath\": ").string(r.criticalPath).raw("}\n");
    return out.take();
}

} // namespace zant
