#include "report/docx_emf.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <functional>

using namespace zant;

namespace {

// One record of a metafile: its type and the 32-bit values after its size.
struct EmfRecord
{
    quint32 type = 0;
    QByteArray body;
    quint32 at(int index) const { return qFromLittleEndian<quint32>(body.constData() + 4 * index); }
    qint32 signedAt(int index) const { return qint32(at(index)); }
};

// Reads the records back; a record that runs past the end or has a size the format forbids fails
// the test that reads it.
QList<EmfRecord> recordsOf(const QByteArray& emf)
{
    QList<EmfRecord> records;
    qsizetype at = 0;
    while (at + 8 <= emf.size()) {
        const quint32 type = qFromLittleEndian<quint32>(emf.constData() + at);
        const quint32 size = qFromLittleEndian<quint32>(emf.constData() + at + 4);
        if (size < 8 || size % 4 || at + size > emf.size())
            return {};
        records.append({type, emf.mid(at + 8, size - 8)});
        at += size;
    }
    return at == emf.size() ? records : QList<EmfRecord>{};
}

QList<EmfRecord> ofType(const QList<EmfRecord>& records, quint32 type)
{
    QList<EmfRecord> found;
    for (const EmfRecord& r : records)
        if (r.type == type)
            found.append(r);
    return found;
}

// A polygon or polyline record's points (after its bounds and count).
QList<QPoint> pointsOf(const EmfRecord& r)
{
    QList<QPoint> points;
    for (quint32 i = 0; i < r.at(4); ++i)
        points.append(QPoint(r.signedAt(5 + 2 * int(i)), r.signedAt(6 + 2 * int(i))));
    return points;
}

QString textOf(const EmfRecord& r)
{
    const quint32 count = r.at(9);
    const quint32 offset = r.at(10) - 8;
    QString text;
    for (quint32 i = 0; i < count; ++i)
        text += QChar(qFromLittleEndian<quint16>(r.body.constData() + offset + 2 * i));
    return text;
}

// The picture of 100 x 50 units on 200 x 100 points: 40 metafile units (twentieths of a point) a
// picture unit.
QByteArray draw(const std::function<void(QPainter&)>& paint)
{
    return docx::emfPicture(paint, QSizeF(100, 50), QSizeF(200, 100), 200);
}

QFont testFont(bool bold = false)
{
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    font.setPixelSize(10);
    font.setBold(bold);
    return font;
}

constexpr quint32 kHeader = 1, kPolygon = 3, kPolyline = 4, kEof = 14, kBrush = 39, kFont = 82,
                  kText = 84, kPen = 95;

} // namespace

class TestDocxEmf final : public QObject
{
    Q_OBJECT

private slots:
    void headerAndRecords();
    void shapes_data();
    void shapes();
    void colours_data();
    void colours();
    void text_data();
    void text();
};

void TestDocxEmf::headerAndRecords()
{
    const QByteArray emf = draw([](QPainter& p) { p.fillRect(QRectF(0, 0, 100, 50), Qt::white); });
    const QList<EmfRecord> records = recordsOf(emf);
    QVERIFY(!records.isEmpty());
    const EmfRecord& header = records.first();
    QCOMPARE(header.type, kHeader);
    QCOMPARE(records.last().type, kEof);
    // Bounds in metafile units, frame in hundredths of a millimetre, both inclusive: 200 x 100
    // points.
    QCOMPARE(header.signedAt(2), 200 * 20 - 1);
    QCOMPARE(header.signedAt(3), 100 * 20 - 1);
    QCOMPARE(header.signedAt(6), qRound(200 * 2540 / 72.0) - 1);
    QCOMPARE(header.signedAt(7), qRound(100 * 2540 / 72.0) - 1);
    QCOMPARE(header.at(8), 0x464D4520u);
    QCOMPARE(header.at(10), quint32(emf.size()));
    QCOMPARE(header.at(11), quint32(records.size()));
}

void TestDocxEmf::shapes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<QPoint>>("points");
    // Picture units times 40, the painter's own transformations applied.
    QTest::newRow("a filled rectangle")
        << 0 << QList<QPoint>{{400, 800}, {1600, 800}, {1600, 2400}, {400, 2400}};
    QTest::newRow("a line") << 1 << QList<QPoint>{{0, 40}, {4000, 2000}};
    QTest::newRow("a translated polygon")
        << 2 << QList<QPoint>{{440, 440}, {480, 480}, {440, 520}, {400, 480}};
}

void TestDocxEmf::shapes()
{
    QFETCH(int, kind);
    QFETCH(QList<QPoint>, points);
    const QByteArray emf = draw([kind](QPainter& p) {
        if (kind == 0) {
            p.fillRect(QRectF(10, 20, 30, 40), Qt::blue);
        } else if (kind == 1) {
            p.setPen(QPen(Qt::black, 0.5));
            p.drawLine(QPointF(0, 1), QPointF(100, 50));
        } else {
            p.translate(10, 10);
            p.setBrush(Qt::red);
            p.drawPolygon(QPolygonF({{1, 1}, {2, 2}, {1, 3}, {0, 2}}));
        }
    });
    const QList<EmfRecord> records = recordsOf(emf);
    const QList<EmfRecord> shapes = ofType(records, kind == 1 ? kPolyline : kPolygon);
    QCOMPARE(shapes.size(), 1);
    QCOMPARE(pointsOf(shapes.first()), points);
}

void TestDocxEmf::colours_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<quint32>("colorRef");
    QTest::newRow("opaque, as 0x00BBGGRR") << QColor(200, 30, 10) << 0x000A1EC8u;
    // 70/255 of (130, 140, 165) over white paper.
    QTest::newRow("translucent, over white")
        << QColor(130, 140, 165, 70) << quint32(221 | 223 << 8 | 230 << 16);
}

void TestDocxEmf::colours()
{
    QFETCH(QColor, colour);
    QFETCH(quint32, colorRef);
    const QList<EmfRecord> records = recordsOf(draw([colour](QPainter& p) {
        p.fillRect(QRectF(0, 0, 10, 10), colour);
        p.setPen(QPen(colour, 2, Qt::DashLine));
        p.drawLine(QPointF(0, 0), QPointF(10, 0));
    }));
    const QList<EmfRecord> brushes = ofType(records, kBrush);
    QCOMPARE(brushes.size(), 1);
    QCOMPARE(brushes.first().at(2), colorRef);
    const QList<EmfRecord> pens = ofType(records, kPen);
    QCOMPARE(pens.size(), 1);
    QCOMPARE(pens.first().at(5) & 0xF, 1u); // dashed
    QCOMPARE(pens.first().at(6), 2u * 40);  // 2 units wide
    QCOMPARE(pens.first().at(8), colorRef);
}

void TestDocxEmf::text_data()
{
    QTest::addColumn<bool>("rotated");
    QTest::addColumn<QString>("words");
    QTest::newRow("along the page") << false << QStringLiteral("Attività 12/03/27");
    QTest::newRow("down the page") << true << QStringLiteral("chiusura estiva");
}

void TestDocxEmf::text()
{
    QFETCH(bool, rotated);
    QFETCH(QString, words);
    const QList<EmfRecord> records = recordsOf(draw([&](QPainter& p) {
        p.setFont(testFont(true));
        p.translate(10, 30);
        if (rotated)
            p.rotate(90);
        p.drawText(QPointF(0, 0), words);
    }));
    const QList<EmfRecord> texts = ofType(records, kText);
    QCOMPARE(texts.size(), 1);
    const EmfRecord& t = texts.first();
    QCOMPARE(textOf(t), words);
    QCOMPARE(QPoint(t.signedAt(7), t.signedAt(8)), QPoint(400, 1200));
    // The letters' advances add up to the width Qt laid the words out at.
    const quint32 offsetDx = t.at(16) - 8;
    qint64 advance = 0;
    for (qsizetype i = 0; i < words.size(); ++i)
        advance += qFromLittleEndian<qint32>(t.body.constData() + offsetDx + 4 * i);
    const double width = QFontMetricsF(testFont(true)).horizontalAdvance(words) * 40;
    QVERIFY2(std::abs(advance - width) <= 0.02 * width,
             qPrintable(QStringLiteral("%1 against %2").arg(advance).arg(width)));
    const QList<EmfRecord> fonts = ofType(records, kFont);
    QCOMPARE(fonts.size(), 1);
    QCOMPARE(fonts.first().signedAt(1), -10 * 40); // the height of the em
    QCOMPARE(fonts.first().signedAt(3), rotated ? 2700 : 0);
    QCOMPARE(fonts.first().signedAt(5), 700);
}

QTEST_MAIN(TestDocxEmf)
#include "test_docx_emf.moc"
