#include "diagram/diagram_painter.h"
#include "diagram/network_marks.h"
#include "diagram/picture_style.h"

#include "model/text_format.h"

#include <QFontMetricsF>

#include <charconv>
#include <cmath>

// The network's arrows and circles written straight as SVG elements. Qt's SVG generator spent
// most of a second formatting the 400,000 points of a 1,800-activity network (one group of six
// style attributes per line, six digits per number); here each mark is one element with two
// decimals, and points in line with their neighbours are left out.
namespace zant {

namespace {

using namespace pictures;

class SvgWriter
{
public:
    explicit SvgWriter(QByteArray& out) : m_out(out) {}

    SvgWriter& raw(const char* text)
    {
        m_out.append(text);
        return *this;
    }

    // A number with at most two decimals, as few as it needs.
    SvgWriter& number(double value)
    {
        long long hundredths = std::llround(value * 100);
        if (hundredths < 0) {
            m_out.append('-');
            hundredths = -hundredths;
        }
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, hundredths / 100).ptr;
        m_out.append(digits, end - digits);
        const int cents = static_cast<int>(hundredths % 100);
        if (cents) {
            m_out.append('.');
            m_out.append(static_cast<char>('0' + cents / 10));
            if (cents % 10)
                m_out.append(static_cast<char>('0' + cents % 10));
        }
        return *this;
    }

    SvgWriter& attribute(const char* name, double value)
    {
        m_out.append(' ').append(name).append("=\"");
        number(value);
        m_out.append('"');
        return *this;
    }

    SvgWriter& colour(const char* name, const QColor& c)
    {
        m_out.append(' ').append(name).append("=\"").append(c.name().toLatin1()).append('"');
        return *this;
    }

    // The points of a line, without those in line with their neighbours.
    SvgWriter& points(const QPolygonF& line)
    {
        m_out.append(" points=\"");
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i > 0 && i + 1 < line.size() && inLine(line[i - 1], line[i], line[i + 1]))
                continue;
            if (i > 0)
                m_out.append(' ');
            number(line[i].x());
            m_out.append(',');
            number(line[i].y());
        }
        m_out.append('"');
        return *this;
    }

    // Text escaped for XML, without the characters XML cannot carry.
    SvgWriter& text(const QString& text)
    {
        const QByteArray bytes = cleanXmlText(text).toUtf8();
        for (const char c : bytes) {
            switch (c) {
            case '&':
                m_out.append("&amp;");
                break;
            case '<':
                m_out.append("&lt;");
                break;
            case '>':
                m_out.append("&gt;");
                break;
            default:
                m_out.append(c);
            }
        }
        return *this;
    }

    // A text placed as QPainter::drawText places it centred in `box`: its advance centred
    // across, the height of the face (ascent and descent) centred down.
    void centredText(const QRectF& box, const QFont& font, const QColor& ink, const QString& words)
    {
        const QFontMetricsF fm(font);
        const double left = box.center().x() - fm.horizontalAdvance(words) / 2;
        const double baseline = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
        raw("<text");
        attribute("x", left).attribute("y", baseline).attribute("font-size", font.pixelSize());
        if (font.bold())
            raw(" font-weight=\"700\"");
        colour("fill", ink).raw(">").text(words).raw("</text>\n");
    }

private:
    static bool inLine(QPointF a, QPointF b, QPointF c)
    {
        const double cross = (b.x() - a.x()) * (c.y() - b.y()) - (b.y() - a.y()) * (c.x() - b.x());
        const double dot = (b.x() - a.x()) * (c.x() - b.x()) + (b.y() - a.y()) * (c.y() - b.y());
        return std::abs(cross) < 1e-6 && dot >= 0;
    }

    QByteArray& m_out;
};

void writeLine(SvgWriter& w, const QPolygonF& line, const QColor& colour, marks::Stroke stroke)
{
    if (line.size() < 2)
        return;
    w.raw("<polyline").colour("stroke", colour).attribute("stroke-width", stroke.width);
    // Qt's patterns, in multiples of the pen's width.
    if (stroke.style == Qt::DashLine)
        w.raw(" stroke-dasharray=\"").number(4 * stroke.width).raw(",").number(2 * stroke.width);
    else if (stroke.style == Qt::DotLine)
        w.raw(" stroke-dasharray=\"").number(stroke.width).raw(",").number(2 * stroke.width);
    if (stroke.style != Qt::SolidLine)
        w.raw("\"");
    w.points(line).raw("/>\n");
}

void writeActivity(SvgWriter& w, const LaidOutActivity& a, double headLength)
{
    if (a.points.size() < 2)
        return;
    const QColor colour = a.critical ? kCritical : kInk;
    const marks::ArrowLines lines = marks::arrowLines(a);
    writeLine(w, lines.firm, colour, marks::arrowStroke(a, false));
    writeLine(w, lines.loose, colour, marks::arrowStroke(a, true));
    const QPolygonF head =
        marks::arrowHead(a.points.back(), a.points[a.points.size() - 2], headLength);
    if (!head.isEmpty())
        w.raw("<polygon stroke=\"none\"").colour("fill", colour).points(head).raw("/>\n");
    if (a.labelBox.isEmpty())
        return;
    const QRectF& box = a.labelBox;
    const QString text = marks::arrowText(a);
    w.raw("<rect stroke=\"none\" fill=\"#ffffff\"")
        .attribute("x", box.x())
        .attribute("y", box.y())
        .attribute("width", box.width())
        .attribute("height", box.height())
        .raw("/>\n");
    w.centredText(box, marks::fittedFont(text, box.height() * 0.8, box.width() - 1, a.critical),
                  colour, text);
}

void writeEvent(SvgWriter& w, const LaidOutEvent& e, const ScheduleResults& results, double r,
                bool selected)
{
    const QPointF c = e.centre;
    const QColor line = selected ? kSelected : (e.critical ? kCritical : kInk);
    w.raw("<circle")
        .attribute("cx", c.x())
        .attribute("cy", c.y())
        .attribute("r", r)
        .colour("fill", e.critical ? kPaleCritical : QColor(Qt::white))
        .colour("stroke", line)
        .attribute("stroke-width", selected ? 3.0 : (e.critical ? 2.2 : 1.2))
        .raw("/>\n");
    w.raw("<path stroke-linecap=\"square\"")
        .colour("stroke", line)
        .raw(" stroke-width=\"0.8\" d=\"M")
        .number(c.x() - r)
        .raw(" ")
        .number(c.y())
        .raw("H")
        .number(c.x() + r)
        .raw("M")
        .number(c.x())
        .raw(" ")
        .number(c.y())
        .raw("V")
        .number(c.y() + r)
        .raw("\"/>\n");
    const CircleTexts t =
        circleTexts(c, r, e.event, results.earliest[e.event], results.latest[e.event]);
    w.centredText(t.numberBox, t.numberFont, kInk, t.number);
    w.centredText(t.earliestBox, t.earliestFont, kInk, t.earliest);
    w.centredText(t.latestBox, t.latestFont, kInk, t.latest);
}

void writeNetwork(QByteArray& out, const NetworkLayout& layout, const ScheduleResults& results,
                  int selectedEvent)
{
    if (layout.isEmpty())
        return;
    out.reserve(out.size() + 400 * static_cast<qsizetype>(layout.activities.size()) +
                600 * static_cast<qsizetype>(layout.events.size()));
    SvgWriter w(out);
    w.raw("<g fill=\"none\" stroke-linecap=\"butt\" stroke-linejoin=\"miter\" "
          "stroke-miterlimit=\"2\" font-family=\"")
        .text(pictures::font(10).families().value(0))
        .raw("\" xml:space=\"preserve\">\n");
    const std::vector<double> heads = marks::arrowHeadLengths(layout);
    for (bool critical : {false, true})
        for (size_t i = 0; i < layout.activities.size(); ++i)
            if (layout.activities[i].critical == critical)
                writeActivity(w, layout.activities[i], heads[i]);
    for (const LaidOutEvent& e : layout.events)
        writeEvent(w, e, results, layout.metrics.radius, e.event == selectedEvent);
    w.raw("</g>\n");
}

} // namespace

DirectSvg networkSvg(const NetworkLayout& layout, const ScheduleResults& results, int selectedEvent)
{
    return {[&layout, &results](QPainter& p) { marks::paintNetworkBackground(p, layout, results); },
            [&layout, &results, selectedEvent](QByteArray& out) {
                writeNetwork(out, layout, results, selectedEvent);
            }};
}

} // namespace zant
