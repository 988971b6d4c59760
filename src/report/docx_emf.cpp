#include "report/docx_emf.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

// The records are written here rather than through libEMF: that library emulates the GDI onto a
// file on disk, while a document needs the bytes in memory, and the dozen records a drawing uses
// take less code than the adapter to its API would.

namespace zant::docx {

namespace {

// Logical units of the metafile: twentieths of a point (1,440 to the inch), on a reference device
// of that resolution, so that logical units, device units and twips coincide.
constexpr double kUnitsPerPoint = 20;
constexpr double kUnitsPerMillimetre = kUnitsPerPoint * 72 / 25.4;
// The reference device: a square metre.
constexpr qint32 kDeviceMillimetres = 1000;

// Record types and constants of the Enhanced Metafile format.
enum Record : quint32
{
    Header = 1,
    Polygon = 3,
    Polyline = 4,
    PolyPolygon = 8,
    Eof = 14,
    SetBkMode = 18,
    SetPolyFillMode = 19,
    SetTextAlign = 22,
    SetTextColor = 24,
    SelectObject = 37,
    CreateBrushIndirect = 39,
    DeleteObject = 40,
    ExtCreateFontIndirectW = 82,
    ExtTextOutW = 84,
    ExtCreatePen = 95,
};
constexpr quint32 kNullPen = 0x80000008;    // stock object
constexpr quint32 kWhiteBrush = 0x80000000; // stock object
constexpr quint32 kSystemFont = 0x8000000D; // stock object
constexpr quint32 kPenHandle = 1;
constexpr quint32 kBrushHandle = 2;
constexpr quint32 kFontHandle = 3;
constexpr quint32 kHandles = 4; // the three above and the reserved 0

// The bytes of a metafile, record by record.
class Records
{
public:
    void start(quint32 type)
    {
        m_start = m_bytes.size();
        put(type);
        put(0u); // the size, filled in by finish()
    }
    void finish()
    {
        qToLittleEndian<quint32>(static_cast<quint32>(m_bytes.size() - m_start),
                                 m_bytes.data() + m_start + 4);
        ++m_count;
    }
    void put(quint32 value)
    {
        char bytes[4];
        qToLittleEndian(value, bytes);
        m_bytes.append(bytes, 4);
    }
    void put(qint32 value) { put(static_cast<quint32>(value)); }
    void put(const QRect& r)
    {
        put(qint32(r.left()));
        put(qint32(r.top()));
        put(qint32(r.right()));
        put(qint32(r.bottom()));
    }
    void putUtf16(const QString& text, int padTo)
    {
        for (QChar c : text) {
            char bytes[2];
            qToLittleEndian(c.unicode(), bytes);
            m_bytes.append(bytes, 2);
        }
        m_bytes.append(static_cast<qsizetype>(padTo - text.size()) * 2, '\0');
    }
    void align4()
    {
        while (m_bytes.size() % 4)
            m_bytes.append('\0');
    }
    // A record of a few 32-bit values.
    void simple(quint32 type, std::initializer_list<quint32> values)
    {
        start(type);
        for (quint32 v : values)
            put(v);
        finish();
    }
    QByteArray& bytes() { return m_bytes; }
    int count() const { return m_count; }

private:
    QByteArray m_bytes;
    qsizetype m_start = 0;
    int m_count = 0;
};

// A colour as the format has it (0x00BBGGRR), transparency blended over white paper.
quint32 colorRef(const QColor& colour)
{
    const QColor c = colour.toRgb();
    const double a = c.alphaF();
    const auto blend = [a](int v) {
        return static_cast<quint32>(std::lround(v * a + 255 * (1 - a)));
    };
    return blend(c.red()) | blend(c.green()) << 8 | blend(c.blue()) << 16;
}

// The face a reader is sure to have for the metric twins of the common faces.
QString faceName(const QFont& font)
{
    static QHash<QString, QString> resolved;
    auto it = resolved.find(font.family());
    if (it == resolved.end()) {
        QString face = QFontInfo(font).family();
        if (face == QLatin1String("Liberation Sans") || face == QLatin1String("Arimo"))
            face = QStringLiteral("Arial");
        else if (face == QLatin1String("Liberation Serif") || face == QLatin1String("Tinos"))
            face = QStringLiteral("Times New Roman");
        else if (face == QLatin1String("Liberation Mono") || face == QLatin1String("Cousine"))
            face = QStringLiteral("Courier New");
        it = resolved.insert(font.family(), face.left(31));
    }
    return *it;
}

// The font as the metafile selects it: what decides whether a new one is needed.
struct FontKey
{
    QString face;
    qint32 height = 0;
    qint32 weight = 0;
    bool italic = false;
    qint32 escapement = 0;
    bool operator==(const FontKey&) const = default;
};

class EmfEngine : public QPaintEngine
{
public:
    EmfEngine(double unitsPerPixel, QSize size)
        : QPaintEngine(AllFeatures), m_unit(unitsPerPixel),
          m_transform(QTransform::fromScale(unitsPerPixel, unitsPerPixel))
    {
        writeHeader(size);
    }

    bool begin(QPaintDevice*) override
    {
        setActive(true);
        return true;
    }
    bool end() override
    {
        setActive(false);
        return true;
    }
    Type type() const override { return User; }

    void updateState(const QPaintEngineState& state) override
    {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyTransform)
            m_transform = state.transform() * QTransform::fromScale(m_unit, m_unit);
        if (dirty & DirtyPen)
            m_pen = state.pen();
        if (dirty & DirtyBrush)
            m_brush = state.brush();
    }

    void drawRects(const QRectF* rects, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QRectF& r = rects[i];
            const QPointF corners[] = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft()};
            drawPolygon(corners, 4, ConvexMode);
        }
    }
    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i) {
            const QPointF ends[] = {lines[i].p1(), lines[i].p2()};
            drawPolygon(ends, 2, PolylineMode);
        }
    }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override
    {
        if (count < 2)
            return;
        const bool line = mode == PolylineMode;
        if (line && m_pen.style() == Qt::NoPen)
            return;
        selectPen();
        if (!line) {
            selectBrush();
            selectFillRule(mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
        }
        std::vector<QPoint> mapped(count);
        for (int i = 0; i < count; ++i)
            mapped[i] = map(points[i]);
        m_records.start(line ? Polyline : Polygon);
        writePoints(mapped, true);
        m_records.finish();
    }
    void drawPath(const QPainterPath& path) override
    {
        const QList<QPolygonF> pieces = path.toSubpathPolygons();
        if (pieces.isEmpty())
            return;
        if (m_brush.style() == Qt::NoBrush) {
            for (const QPolygonF& piece : pieces)
                drawPolygon(piece.constData(), int(piece.size()), PolylineMode);
            return;
        }
        selectPen();
        selectBrush();
        selectFillRule(path.fillRule());
        std::vector<QPoint> mapped;
        m_records.start(PolyPolygon);
        const QRect bounds = boundsOf(pieces);
        m_records.put(bounds);
        m_records.put(quint32(pieces.size()));
        quint32 total = 0;
        for (const QPolygonF& piece : pieces)
            total += quint32(piece.size());
        m_records.put(total);
        for (const QPolygonF& piece : pieces)
            m_records.put(quint32(piece.size()));
        for (const QPolygonF& piece : pieces)
            for (const QPointF& p : piece) {
                const QPoint q = map(p);
                m_records.put(qint32(q.x()));
                m_records.put(qint32(q.y()));
            }
        m_records.finish();
    }
    void drawTextItem(const QPointF& at, const QTextItem& item) override;
    // The drawings put in documents paint no images.
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    QByteArray finish()
    {
        m_records.simple(SelectObject, {kNullPen});
        m_records.simple(SelectObject, {kWhiteBrush});
        m_records.simple(SelectObject, {kSystemFont});
        for (quint32 handle : {kPenHandle, kBrushHandle, kFontHandle})
            if (m_created[handle])
                m_records.simple(DeleteObject, {handle});
        m_records.simple(Eof, {0, 16, 20});
        QByteArray& bytes = m_records.bytes();
        qToLittleEndian<quint32>(quint32(bytes.size()), bytes.data() + 48);
        qToLittleEndian<quint32>(quint32(m_records.count()), bytes.data() + 52);
        return bytes;
    }

private:
    QPoint map(const QPointF& p) const
    {
        const QPointF q = m_transform.map(p);
        return {int(std::lround(std::clamp(q.x(), -1e9, 1e9))),
                int(std::lround(std::clamp(q.y(), -1e9, 1e9)))};
    }
    double scale() const { return std::sqrt(std::abs(m_transform.determinant())); }

    QRect boundsOf(const QList<QPolygonF>& pieces) const
    {
        QRectF r;
        for (const QPolygonF& piece : pieces)
            r |= m_transform.map(piece).boundingRect();
        return r.toAlignedRect();
    }
    void writePoints(const std::vector<QPoint>& points, bool withBounds)
    {
        if (withBounds) {
            int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
            for (const QPoint& p : points) {
                left = std::min(left, p.x());
                right = std::max(right, p.x());
                top = std::min(top, p.y());
                bottom = std::max(bottom, p.y());
            }
            m_records.put(QRect(QPoint(left, top), QPoint(right, bottom)));
        }
        m_records.put(quint32(points.size()));
        for (const QPoint& p : points) {
            m_records.put(qint32(p.x()));
            m_records.put(qint32(p.y()));
        }
    }

    void writeHeader(QSize size)
    {
        const qint32 device = qint32(std::lround(kDeviceMillimetres * kUnitsPerMillimetre));
        m_records.start(Header);
        m_records.put(QRect(0, 0, size.width(), size.height())); // bounds, inclusive
        // The frame, in hundredths of a millimetre.
        m_records.put(QRect(0, 0, int(std::lround(size.width() * 100 / kUnitsPerMillimetre)),
                            int(std::lround(size.height() * 100 / kUnitsPerMillimetre))));
        m_records.put(0x464D4520u); // " EMF"
        m_records.put(0x10000u);    // version
        m_records.put(0u);          // bytes, filled in at the end
        m_records.put(0u);          // records, likewise
        m_records.put(kHandles);    // handles (16 bits) and a reserved 0
        m_records.put(0u);          // no description
        m_records.put(0u);
        m_records.put(0u); // no palette
        m_records.put(device);
        m_records.put(device);
        m_records.put(kDeviceMillimetres);
        m_records.put(kDeviceMillimetres);
        m_records.put(0u); // no pixel format, not OpenGL
        m_records.put(0u);
        m_records.put(0u);
        m_records.put(kDeviceMillimetres * 1000); // the device in micrometres
        m_records.put(kDeviceMillimetres * 1000);
        m_records.finish();
        m_records.simple(SetBkMode, {1});       // transparent
        m_records.simple(SetTextAlign, {24});   // left, on the baseline
        m_records.simple(SetPolyFillMode, {1}); // odd-even, QPainter's default
    }

    // Replaces the object under `handle` with the one `create` writes.
    template <typename Create> void replace(quint32 handle, quint32 stock, Create create)
    {
        if (m_created[handle]) {
            m_records.simple(SelectObject, {stock});
            m_records.simple(DeleteObject, {handle});
        }
        create();
        m_created[handle] = true;
        m_records.simple(SelectObject, {handle});
    }

    void selectPen()
    {
        if (m_pen.style() == Qt::NoPen) {
            if (!m_nullPen)
                m_records.simple(SelectObject, {kNullPen});
            m_nullPen = true;
            m_penSelected = false;
            return;
        }
        const quint32 width = quint32(std::lround((m_pen.isCosmetic() ? m_unit : scale()) *
                                                  (m_pen.widthF() > 0 ? m_pen.widthF() : 1.0)));
        quint32 style = 0x10000; // geometric
        switch (m_pen.style()) {
        case Qt::DashLine:
        case Qt::CustomDashLine:
            style |= 1;
            break;
        case Qt::DotLine:
            style |= 2;
            break;
        case Qt::DashDotLine:
            style |= 3;
            break;
        case Qt::DashDotDotLine:
            style |= 4;
            break;
        default:
            break;
        }
        style |= m_pen.capStyle() == Qt::FlatCap     ? 0x200
                 : m_pen.capStyle() == Qt::SquareCap ? 0x100
                                                     : 0;
        style |= m_pen.joinStyle() == Qt::BevelJoin   ? 0x1000
                 : m_pen.joinStyle() == Qt::RoundJoin ? 0
                                                      : 0x2000;
        const quint32 colour = colorRef(m_pen.color());
        const std::array<quint32, 3> key{style, std::max(1u, width), colour};
        if (m_penSelected && key == m_penKey) {
            if (m_nullPen)
                m_records.simple(SelectObject, {kPenHandle});
            m_nullPen = false;
            return;
        }
        replace(kPenHandle, kNullPen, [&] {
            m_records.simple(ExtCreatePen,
                             {kPenHandle, 0, 0, 0, 0, key[0], key[1], 0 /* solid */, key[2], 0, 0});
        });
        m_penKey = key;
        m_penSelected = true;
        m_nullPen = false;
    }

    void selectBrush()
    {
        const bool none = m_brush.style() == Qt::NoBrush || m_brush.color().alpha() == 0;
        const std::array<quint32, 2> key{none ? 1u : 0u, none ? 0u : colorRef(m_brush.color())};
        if (m_brushSelected && key == m_brushKey)
            return;
        replace(kBrushHandle, kWhiteBrush, [&] {
            m_records.simple(CreateBrushIndirect, {kBrushHandle, key[0], key[1], 0});
        });
        m_brushKey = key;
        m_brushSelected = true;
    }

    void selectFillRule(Qt::FillRule rule)
    {
        if (rule == m_fillRule)
            return;
        m_records.simple(SetPolyFillMode, {rule == Qt::WindingFill ? 2u : 1u});
        m_fillRule = rule;
    }

    void selectFont(const FontKey& key)
    {
        if (m_fontSelected && key == m_fontKey)
            return;
        replace(kFontHandle, kSystemFont, [&] {
            m_records.start(ExtCreateFontIndirectW);
            m_records.put(kFontHandle);
            m_records.put(key.height);
            m_records.put(0u); // width: the face's own
            m_records.put(key.escapement);
            m_records.put(key.escapement); // orientation
            m_records.put(key.weight);
            // italic, underline, strike-out, character set (default); precisions, quality
            // (antialiased), pitch and family (variable, sans-serif)
            m_records.put(quint32(key.italic ? 1 : 0) | 1u << 24);
            m_records.put(0u | 4u << 16 | 0x22u << 24);
            m_records.putUtf16(key.face, 32);
            m_records.finish();
        });
        m_fontKey = key;
        m_fontSelected = true;
    }

    void selectTextColour(quint32 colour)
    {
        if (m_textColourSet && colour == m_textColour)
            return;
        m_records.simple(SetTextColor, {colour});
        m_textColour = colour;
        m_textColourSet = true;
    }

    Records m_records;
    double m_unit; // metafile units a device pixel
    QTransform m_transform;
    QPen m_pen;
    QBrush m_brush;
    bool m_created[kHandles] = {};
    std::array<quint32, 3> m_penKey{};
    bool m_penSelected = false;
    bool m_nullPen = false;
    std::array<quint32, 2> m_brushKey{};
    bool m_brushSelected = false;
    Qt::FillRule m_fillRule = Qt::OddEvenFill;
    FontKey m_fontKey;
    bool m_fontSelected = false;
    quint32 m_textColour = 0;
    bool m_textColourSet = false;
};

void EmfEngine::drawTextItem(const QPointF& at, const QTextItem& item)
{
    const QString text = item.text();
    if (text.isEmpty() || m_pen.style() == Qt::NoPen)
        return;
    const QFont font = item.font();
    const double s = scale();
    const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96 / 72;
    const double angle = std::atan2(m_transform.m12(), m_transform.m11()) * 180 / std::numbers::pi;
    FontKey key;
    key.face = faceName(font);
    key.height = -qint32(std::lround(pixels * s));
    key.weight = font.bold() ? 700 : 400;
    key.italic = font.italic();
    key.escapement = qint32(std::lround(-angle * 10 + 3600)) % 3600;
    selectFont(key);
    selectTextColour(colorRef(m_pen.color()));

    // Each letter at the advance Qt gave it, stretched to the width Qt laid the whole out at.
    const QFontMetricsF metrics(font);
    std::vector<double> advances(text.size(), 0.0);
    double sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isLowSurrogate())
            continue;
        advances[i] = i + 1 < text.size() && text[i].isHighSurrogate()
                          ? metrics.horizontalAdvance(text.mid(i, 2))
                          : metrics.horizontalAdvance(text[i]);
        sum += advances[i];
    }
    const double stretch = sum > 0 && item.width() > 0 ? item.width() / sum : 1;
    const QPoint origin = map(at);
    const int padded = int((text.size() + 1) / 2 * 2);
    constexpr quint32 kFixed = 76; // the record up to its string
    m_records.start(ExtTextOutW);
    const QRectF box(at.x(), at.y() - item.ascent(), item.width(), item.ascent() + item.descent());
    m_records.put(m_transform.mapRect(box).toAlignedRect());
    m_records.put(1u); // compatible graphics mode
    m_records.put(0u); // no scales
    m_records.put(0u);
    m_records.put(qint32(origin.x()));
    m_records.put(qint32(origin.y()));
    m_records.put(quint32(text.size()));
    m_records.put(kFixed);
    m_records.put(0u); // no options
    for (int i = 0; i < 4; ++i)
        m_records.put(0u);                       // no clipping rectangle
    m_records.put(quint32(kFixed + padded * 2)); // the advances, after the string
    m_records.putUtf16(text, padded);
    double placed = 0;
    long previous = 0;
    for (double advance : advances) {
        placed += advance * stretch * s;
        const long next = std::lround(placed);
        m_records.put(qint32(next - previous));
        previous = next;
    }
    m_records.finish();
}

// A device of the size of the picture at `detailDpi`, whose painting becomes a metafile.
class EmfDevice : public QPaintDevice
{
public:
    EmfDevice(QSize pixels, double unitsPerPixel, QSize units, double dpi)
        : m_pixels(pixels), m_dpi(dpi), m_engine(std::make_unique<EmfEngine>(unitsPerPixel, units))
    {
    }
    ~EmfDevice() override = default;
    QPaintEngine* paintEngine() const override { return m_engine.get(); }
    QByteArray finish() { return m_engine->finish(); }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
            return m_pixels.width();
        case PdmHeight:
            return m_pixels.height();
        case PdmWidthMM:
            return int(std::lround(m_pixels.width() * 25.4 / m_dpi));
        case PdmHeightMM:
            return int(std::lround(m_pixels.height() * 25.4 / m_dpi));
        case PdmNumColors:
            return INT_MAX;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return int(std::lround(m_dpi));
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QSize m_pixels;
    double m_dpi;
    std::unique_ptr<EmfEngine> m_engine;
};

} // namespace

QByteArray emfPicture(const std::function<void(QPainter&)>& paint, QSizeF units, QSizeF points,
                      double detailDpi)
{
    const double pixelsPerPoint = detailDpi / 72.0;
    const QSize pixels(std::max(1, int(std::ceil(points.width() * pixelsPerPoint))),
                       std::max(1, int(std::ceil(points.height() * pixelsPerPoint))));
    const QSize size(std::max(1, int(std::lround(points.width() * kUnitsPerPoint))),
                     std::max(1, int(std::lround(points.height() * kUnitsPerPoint))));
    EmfDevice device(pixels, kUnitsPerPoint / pixelsPerPoint, size, detailDpi);
    {
        QPainter painter(&device);
        painter.scale(pixelsPerPoint * points.width() / units.width(),
                      pixelsPerPoint * points.height() / units.height());
        paint(painter);
    }
    return device.finish();
}

} // namespace zant::docx
