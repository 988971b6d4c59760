#include "cli/compute_json.h"

#include "model/text_format.h"

#include <charconv>
#include <cmath>
#include <string>

namespace zant {

namespace {

// Built as bytes in one reserved buffer: through QString the JSON of the largest network took
// five times as long as reading and checking it.
class JsonBuffer final
{
public:
    explicit JsonBuffer(std::size_t expected) { m_bytes.reserve(expected); }

    JsonBuffer& raw(const char* text)
    {
        m_bytes += text;
        return *this;
    }

    JsonBuffer& integer(long long value)
    {
        char buffer[24];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_bytes.append(buffer, result.ptr);
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
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        m_bytes.append(buffer, result.ptr);
        return *this;
    }

    JsonBuffer& string(const QString& text)
    {
        static const char hex[] = "0123456789abcdef";
        m_bytes += '"';
        const QByteArray utf8 = text.toUtf8();
        for (const char c : utf8) {
            switch (c) {
            case '"':
                m_bytes += "\\\"";
                break;
            case '\\':
                m_bytes += "\\\\";
                break;
            case '\n':
                m_bytes += "\\n";
                break;
            case '\r':
                m_bytes += "\\r";
                break;
            case '\t':
                m_bytes += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    m_bytes += "\\u00";
                    m_bytes += hex[(c >> 4) & 0xf];
                    m_bytes += hex[c & 0xf];
                } else {
                    m_bytes += c;
                }
            }
        }
        m_bytes += '"';
        return *this;
    }

    QByteArray take() { return QByteArray(m_bytes.data(), static_cast<qsizetype>(m_bytes.size())); }

private:
    std::string m_bytes;
};

} // namespace

QByteArray computeJson(const Project& p, const ScheduleResults& r)
{
    const int n = r.eventCount;
    std::size_t links = 0;
    for (int e = 1; e <= n; ++e)
        links += static_cast<std::size_t>(p.linkCount(e));
    JsonBuffer out(4096 + static_cast<std::size_t>(n) * 256 + links * 128);

    out.raw("{\"eventCount\": ").integer(n).raw(", \"startDate\": ").string(p.startDateText());
    out.raw(", \"events\": [");
    for (int e = 1; e <= n; ++e) {
        const double eventFloat = r.eventFloat(e);
        out.raw(e > 1 ? ", {\"event\": " : "{\"event\": ").integer(e);
        out.raw(", \"description\": ").string(p.description(e));
        out.raw(", \"earliest\": ").number(r.earliest[e]);
        out.raw(", \"latest\": ").number(r.latest[e]);
        out.raw(", \"float\": ").number(isZeroFloat(eventFloat) ? 0.0 : eventFloat);
        out.raw(", \"earliestDate\": ").string(r.earliestDate[e]);
        out.raw(", \"latestDate\": ").string(r.latestDate[e]);
        out.raw(", \"predecessors\": [");
        bool firstPredecessor = true;
        for (int predecessor : r.predecessors[e]) {
            out.raw(firstPredecessor ? "" : ", ").integer(predecessor);
            firstPredecessor = false;
        }
        out.raw("]}");
    }
    out.raw("], \"links\": [");
    bool first = true;
    for (int e = 1; e <= n; ++e) {
        for (int s = 1; s <= p.linkCount(e); ++s) {
            const Link& link = p.link(e, s);
            out.raw(first ? "{\"event\": " : ", {\"event\": ").integer(e);
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
