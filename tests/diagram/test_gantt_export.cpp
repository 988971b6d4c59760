#include "diagram/diagram_painter.h"
#include "diagram/gantt_chart.h"
#include "diagram/network_layout.h"
#include "diagram/picture_export.h"
#include "model/text_format.h"
#include "support/project_builder.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

using namespace zant;
using zant::test::buildProject;

namespace {

// A paint device that only notes where texts are written, in device units.
class TextRecorder final : public QPaintEngine
{
public:
    TextRecorder() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    // Shapes are not recorded; the defaults would turn them into one another endlessly.
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint*, int, PolygonDrawMode) override {}
    void drawLines(const QLineF*, int) override {}
    void drawLines(const QLine*, int) override {}
    void drawRects(const QRectF*, int) override {}
    void drawRects(const QRect*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawEllipse(const QRect&) override {}
    void drawPoints(const QPointF*, int) override {}
    void drawPoints(const QPoint*, int) override {}
    void drawTextItem(const QPointF& at, const QTextItem& item) override
    {
        const QRectF box(at.x(), at.y() - item.ascent(), item.width(),
                         item.ascent() + item.descent());
        texts.push_back(painter()->combinedTransform().mapRect(box));
        words.push_back({item.text(), painter()->combinedTransform().map(at)});
    }
    Type type() const override { return QPaintEngine::User; }
    std::vector<QRectF> texts;
    // Each text with the start of its baseline.
    std::vector<std::pair<QString, QPointF>> words;
};

class TextDevice final : public QPaintDevice
{
public:
    QPaintEngine* paintEngine() const override { return &engine; }
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 100000;
        case PdmDepth:
            return 32;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 72;
        }
    }
    mutable TextRecorder engine;
};

} // namespace

class TestGanttExport final : public QObject
{
    Q_OBJECT

private slots:
    void barsMatchTheComputation_data()
    {
        QTest::addColumn<QString>("network");
        QTest::newRow("diamond with slack") << "4: 1>2=5 1>3=2 2>4=1 3>4=1";
        QTest::newRow("parallel activities") << "3: 1>2=4 1>2=6 2>3=3 1>3=2";
        QTest::newRow("shuffled numbering") << "5: 1>4=3 4>2=2 1>3=9 3>5=1 2>5=4 4>3=1";
        QTest::newRow("zero durations") << "4: 1>2=0 2>3=0 1>3=2 3>4=0";
        QTest::newRow("dummies between real work") << "5: 1>2=3 2>3=0 1>3=1 3>4=2 2>4=0 4>5=4";
        // The first activity of every even event has a name of its own: 2 → 3 and 4 → 3 are
        // named 0-day activities, no dummies.
        QTest::newRow("named zero-day activities") << "5: 1>2=3 2>3=0 1>3=1 3>5=2 4>3=0 1>4=2";
    }

    void barsMatchTheComputation()
    {
        QFETCH(QString, network);
        Project p = buildProject(network, QStringLiteral("01/03/2027"));
        for (int e = 2; e <= p.eventCount(); e += 2) {
            Event event = p.event(e);
            if (!event.links.empty())
                event.links.front().name = QStringLiteral("Lavoro proprio di %1").arg(e);
            p.setEvent(e, event);
        }
        const ScheduleResults r = ComputeSchedule(p);
        const GanttChart chart = buildGantt(p, r);
        // Every activity but the dummies (0 days and no name of their own).
        int links = 0;
        for (int e = 1; e <= p.eventCount(); ++e)
            for (int k = 1; k <= p.linkCount(e); ++k)
                links += *p.link(e, k).days != 0 || !p.link(e, k).name.isEmpty();
        QCOMPARE(int(chart.bars.size()), links);
        QCOMPARE(chart.startDate, QDate(2027, 3, 1));
        QCOMPARE(chart.finish, r.earliest[p.eventCount()]);
        std::vector<int> seen(p.eventCount() + 1, 0);
        for (size_t i = 0; i < chart.bars.size(); ++i) {
            const GanttBar& b = chart.bars[i];
            const Link& link = p.link(b.from, b.slot);
            QCOMPARE(b.to, link.target);
            QCOMPARE(b.start, r.earliest[b.from]);
            QCOMPARE(b.finish, r.earliest[b.from] + *link.days);
            QCOMPARE(b.totalFloat, r.linkFloatAt(b.from, b.slot));
            QCOMPARE(b.freeFloat, r.linkFreeFloatAt(b.from, b.slot));
            QCOMPARE(b.independentFloat, r.linkIndependentFloatAt(b.from, b.slot));
            QCOMPARE(b.critical, isZeroFloat(b.totalFloat));
            QCOMPARE(b.label, QStringLiteral("%1 → %2").arg(b.from).arg(b.to));
            QCOMPARE(b.description, p.activityName(b.from, b.slot));
            QCOMPARE(b.description, link.name.isEmpty() ? p.description(b.to) : link.name);
            if (i > 0) {
                const GanttBar& a = chart.bars[i - 1];
                QVERIFY(a.start < b.start ||
                        (a.start == b.start &&
                         (a.from < b.from || (a.from == b.from && a.slot < b.slot))));
            }
        }
        for (const GanttMilestone& m : chart.milestones) {
            QCOMPARE(++seen[m.event], 1);
            QCOMPARE(m.time, r.earliest[m.event]);
            QVERIFY(m.event == 1 || chart.bars[m.row].to == m.event ||
                    chart.bars[m.row].from == m.event);
        }
        // A diamond for event 1 and for every event a bar starts or ends at.
        for (const GanttBar& b : chart.bars)
            QVERIFY(seen[b.from] == 1 && seen[b.to] == 1);
    }

    void calendarInItalian()
    {
        QCOMPARE(italianMonthAbbreviation(1), QStringLiteral("gen"));
        QCOMPARE(italianMonthAbbreviation(9), QStringLiteral("set"));
        QCOMPARE(italianMonthAbbreviation(12), QStringLiteral("dic"));
    }

    void scaleDaysAndEventDates_data()
    {
        QTest::addColumn<bool>("working");
        QTest::addColumn<double>("time");
        QTest::addColumn<QDate>("scaleDay");
        QTest::addColumn<QDate>("eventDate");
        // From Monday 1 March 2027; Easter Monday is 29 March.
        QTest::newRow("calendar days, half day")
            << false << 30.5 << QDate(2027, 3, 31) << QDate(2027, 4, 1);
        QTest::newRow("calendar days, under half")
            << false << 30.4 << QDate(2027, 3, 31) << QDate(2027, 3, 31);
        QTest::newRow("working days, half day before the weekend")
            << true << 4.5 << QDate(2027, 3, 5) << QDate(2027, 3, 8);
        QTest::newRow("working days, over Easter Monday")
            << true << 19.5 << QDate(2027, 3, 26) << QDate(2027, 3, 30);
    }

    // The scale places a half day inside its own day; the columns date it by the one rule of
    // every date the program writes, as the results do.
    void scaleDaysAndEventDates()
    {
        QFETCH(bool, working);
        QFETCH(double, time);
        QFETCH(QDate, scaleDay);
        QFETCH(QDate, eventDate);
        ProjectCalendar c;
        c.workingDays = working;
        GanttChart chart;
        chart.startDate = QDate(2027, 3, 1);
        chart.clock = WorkingTime(c, chart.startDate);
        // The bar is drawn from the calendar day its time lies in.
        QCOMPARE(chart.startDate.addDays(static_cast<qint64>(std::floor(chart.dayOf(time)))),
                 scaleDay);
        QCOMPARE(chart.eventDate(time), eventDate);
        QCOMPARE(chart.eventDate(time), chart.clock.dateAt(time));
    }

    void todayLineOnlyInsideTheChart()
    {
        const Project p = buildProject(QStringLiteral("2: 1>2=10"), QStringLiteral("01/03/2027"));
        const ScheduleResults r = ComputeSchedule(p);
        const GanttChart chart = buildGantt(p, r);
        GanttGeometry g;
        g.dayWidth = 20;
        const QSize size = g.size(chart).toSize();
        const auto render = [&](const QDate& today) {
            QImage image(size, QImage::Format_RGB32);
            QPainter painter(&image);
            paintGantt(painter, chart, g, today);
            painter.end();
            return image;
        };
        const QImage without = render(QDate(2026, 1, 1));
        const QImage inside = render(QDate(2027, 3, 6));
        QCOMPARE(render(QDate(2027, 6, 1)), without);
        QVERIFY(inside != without);
        // Outside the chart the legend does not list a line that is not drawn.
        QCOMPARE(render(QDate()), without);
        // The line stands at day 5, in the first rows' area.
        const int x = int(g.xOfDay(5));
        const int y = int(g.rowTop(0) + 2);
        QCOMPARE(without.pixelColor(x, y).green() > 200, true);
        QVERIFY(inside.pixelColor(x, y) != without.pixelColor(x, y));
    }

    void tilesCoverThePictureWithOverlap_data()
    {
        QTest::addColumn<QSizeF>("picture");
        QTest::addColumn<QSizeF>("page");
        QTest::addColumn<int>("count");
        QTest::newRow("fits one page") << QSizeF(500, 300) << QSizeF(700, 400) << 1;
        QTest::newRow("three pages wide") << QSizeF(1900, 300) << QSizeF(700, 400) << 3;
        QTest::newRow("two by two") << QSizeF(1200, 700) << QSizeF(700, 400) << 4;
        QTest::newRow("exactly one page") << QSizeF(700, 400) << QSizeF(700, 400) << 1;
    }

    void tilesCoverThePictureWithOverlap()
    {
        QFETCH(QSizeF, picture);
        QFETCH(QSizeF, page);
        QFETCH(int, count);
        const double header = 50;
        const double overlap = 30;
        const auto tiles = pageTiles(picture, page, overlap, header);
        QCOMPARE(int(tiles.size()), count);
        // Sample points of the picture below the header: each lies in some tile.
        for (double x = 0; x <= picture.width(); x += 7)
            for (double y = header; y <= picture.height(); y += 7) {
                bool inside = false;
                for (const QRectF& t : tiles)
                    inside = inside || (x >= t.left() - 1e-9 && x <= t.right() + 1e-9 &&
                                        y >= t.top() - 1e-9 && y <= t.bottom() + 1e-9);
                QVERIFY2(inside, qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            }
        for (size_t i = 0; i < tiles.size(); ++i) {
            const QRectF& t = tiles[i];
            QVERIFY(t.width() <= page.width() && t.height() <= page.height() - header);
            QVERIFY(t.top() >= header && t.bottom() <= picture.height() + 1e-9);
            // Neighbours on one row share at least the overlap strip.
            if (i > 0 && tiles[i - 1].top() == t.top())
                QVERIFY(tiles[i - 1].right() - t.left() >= overlap - 1e-9);
        }
    }

    void circleNumbersFitTheirHalves_data()
    {
        QTest::addColumn<int>("event");
        QTest::addColumn<double>("earliest");
        QTest::addColumn<double>("latest");
        QTest::newRow("short") << 7 << 0.0 << 12.0;
        QTest::newRow("six characters both") << 499 << 1000.5 << 1000.5;
        QTest::newRow("the report's 477,5") << 120 << 477.5 << 477.5;
        QTest::newRow("six digits") << 500 << 499999.0 << 500000.0;
        QTest::newRow("longer than six") << 500 << 123456.25 << 123456.75;
    }

    void circleNumbersFitTheirHalves()
    {
        QFETCH(int, event);
        QFETCH(double, earliest);
        QFETCH(double, latest);
        const double r = LayoutMetrics().radius;
        const QPointF c(100, 100);
        const CircleTexts t = circleTexts(c, r, event, earliest, latest);
        QCOMPARE(t.earliest, formatDays(earliest));
        QCOMPARE(t.latest, formatDays(latest));
        // Where the texts really stand, centred in their boxes.
        const auto inked = [](const QString& text, const QFont& font, const QRectF& box) {
            const QFontMetricsF fm(font);
            const double w = fm.horizontalAdvance(text);
            const double h = fm.ascent() + fm.descent() * 0.4;
            return QRectF(box.center().x() - w / 2, box.center().y() - h / 2, w, h);
        };
        const auto inside = [&](const QRectF& rect) {
            for (QPointF p :
                 {rect.topLeft(), rect.topRight(), rect.bottomLeft(), rect.bottomRight()})
                if (std::hypot(p.x() - c.x(), p.y() - c.y()) > r)
                    return false;
            return true;
        };
        const QRectF number = inked(t.number, t.numberFont, t.numberBox);
        const QRectF early = inked(t.earliest, t.earliestFont, t.earliestBox);
        const QRectF late = inked(t.latest, t.latestFont, t.latestBox);
        QVERIFY(inside(number) && inside(early) && inside(late));
        // Each in its own part: the number over the middle line, the times either side of the
        // dividing line, never running into each other.
        QVERIFY(number.bottom() <= c.y());
        QVERIFY(early.top() >= c.y() && late.top() >= c.y());
        QVERIFY(early.right() < c.x() && late.left() > c.x());
        // Numbers of up to six characters stay readable.
        if (t.earliest.size() <= 6)
            QVERIFY(t.earliestFont.pixelSize() >= 6);
    }

    void aSheetOfTheNetworkWritesOnlyWordsItShowsWhole()
    {
        // Printed sheets carry their words as text: a word cut by the sheet's edge would stand
        // beyond the paper in the PDF.
        const Project project =
            buildProject(QStringLiteral("6: 1>2=5 1>3=9 2>4=7 3>4=2 2>5=12 4>6=8 5>6=3"),
                         QStringLiteral("01/03/2027"));
        const ScheduleResults results = ComputeSchedule(project);
        const NetworkLayout layout = layoutNetwork(project, results, LayoutMode::TimeScale);
        const double header = networkHeaderHeight(layout);
        const auto tiles =
            pageTiles(QSizeF(layout.width, layout.height), QSizeF(150, 140), 20, header);
        QVERIFY(tiles.size() > 2);
        int words = 0;
        for (const QRectF& tile : tiles) {
            TextDevice device;
            {
                QPainter painter(&device);
                paintNetworkTile(painter, layout, results, tile);
            }
            const QRectF sheet(0, 0, tile.width(), header + tile.height());
            for (const QRectF& text : device.engine.texts)
                QVERIFY2(sheet.adjusted(-0.5, -0.5, 0.5, 0.5).contains(text),
                         qPrintable(QStringLiteral("%1,%2 %3x%4")
                                        .arg(text.x())
                                        .arg(text.y())
                                        .arg(text.width())
                                        .arg(text.height())));
            words += int(device.engine.texts.size());
        }
        QVERIFY(words > 0);
    }

    void exportWritesEachFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("svg") << "rete.svg" << QByteArray("<?xml");
        QTest::newRow("png") << "rete.png" << QByteArray("\x89PNG");
        QTest::newRow("pdf") << "rete.pdf" << QByteArray("%PDF");
    }

    void exportWritesEachFormat()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        QTemporaryDir dir;
        const Project p = buildProject(QStringLiteral("3: 1>2=4 2>3=5 1>3=2"));
        const ScheduleResults r = ComputeSchedule(p);
        const NetworkLayout layout = layoutNetwork(p, r, LayoutMode::TimeScale);
        const QString path = dir.filePath(name);
        const auto error =
            exportPicture(path, QSizeF(layout.width, layout.height),
                          [&](QPainter& painter) { paintNetwork(painter, layout, r); });
        QVERIFY2(error.ok(), !error.ok() ? qPrintable(error.error().text) : "");
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith(magic));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{name});
    }

    void directSvgWritesWhatThePainterDraws_data()
    {
        QTest::addColumn<bool>("levels");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("selected");
        QTest::newRow("time scale") << false << QString() << 0;
        QTest::newRow("levels, a selected event") << true << QString() << 3;
        QTest::newRow("names with characters XML cannot carry")
            << false << QStringLiteral("Scavo <a> & \x01rinterro\x1f") << 0;
    }

    // The network's SVG written as elements: well-formed XML, every text the painter draws at
    // the place it draws it, the circles, and the title block.
    void directSvgWritesWhatThePainterDraws()
    {
        QFETCH(bool, levels);
        QFETCH(QString, name);
        QFETCH(int, selected);
        Project p = buildProject(QStringLiteral("5: 1>2=4 1>3=12.5 2>3=3 2>4=6 3>5=1000 4>5"),
                                 QStringLiteral("01/03/2027"));
        if (!name.isEmpty())
            QVERIFY(p.setLinkName(3, 1, name).ok());
        const ScheduleResults r = ComputeSchedule(p);
        const NetworkLayout layout =
            layoutNetwork(p, r, levels ? LayoutMode::Levels : LayoutMode::TimeScale);
        TextDevice device;
        {
            QPainter painter(&device);
            paintNetwork(painter, layout, r, selected);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rete.svg"));
        const QSizeF size(layout.width, layout.height);
        const auto error = exportStandalone(
            PictureOutput{path, std::nullopt, false}, size,
            [&](QPainter& painter) { paintNetwork(painter, layout, r, selected); },
            networkTitleBlock(layout, QStringLiteral("Magazzino"), QDate(2027, 3, 1)), 9,
            networkSvg(layout, r, selected));
        QVERIFY2(error.ok(), !error.ok() ? qPrintable(error.error().text) : "");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        std::vector<std::pair<QString, QPointF>> written;
        int circles = 0;
        int selectedCircles = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const auto attributes = xml.attributes();
            if (xml.name() == QLatin1String("circle")) {
                ++circles;
                selectedCircles +=
                    attributes.value(QLatin1String("stroke")) == QLatin1String("#145adc");
            } else if (xml.name() == QLatin1String("text")) {
                const QPointF at(attributes.value(QLatin1String("x")).toDouble(),
                                 attributes.value(QLatin1String("y")).toDouble());
                written.push_back({xml.readElementText(), at});
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        // The events, and the two of the legend.
        QCOMPARE(circles, int(layout.events.size()) + 2);
        QCOMPARE(selectedCircles, selected ? 1 : 0);
        QVERIFY(device.engine.words.size() > 3 * layout.events.size());
        for (const auto& [text, at] : device.engine.words) {
            const QString clean = cleanXmlText(text);
            const bool found = std::any_of(written.begin(), written.end(), [&](const auto& w) {
                return w.first == clean && std::abs(w.second.x() - at.x()) < 0.6 &&
                       std::abs(w.second.y() - at.y()) < 0.6;
            });
            QVERIFY2(found,
                     qPrintable(QStringLiteral("%1 at %2,%3").arg(clean).arg(at.x()).arg(at.y())));
        }
        QVERIFY(std::any_of(written.begin(), written.end(), [](const auto& w) {
            return w.first == QLatin1String("Progetto: Magazzino");
        }));
        QCOMPARE(
            std::count_if(written.begin(), written.end(),
                          [](const auto& w) { return w.first.contains(u"Scavo <a> & rinterro"); }),
            name.isEmpty() ? 0 : 1);
    }

    void aReducedNetworkStillShowsEveryMark_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("circles as dots, arrows thinner than a pixel") << 0.03;
        QTest::newRow("arrows thinner than a pixel") << 0.3;
        QTest::newRow("hairlines") << 0.8;
    }

    // Reduced on a screen, the network is drawn with less detail, but every event and every
    // arrow still marks the pixels it passes.
    void aReducedNetworkStillShowsEveryMark()
    {
        QFETCH(double, scale);
        const Project p = buildProject(
            QStringLiteral("6: 1>2=5 1>3=9 2>4=7 3>4=2 2>5=12 4>6=8 5>6=3 1>6=300 3>5"),
            QStringLiteral("01/03/2027"));
        const ScheduleResults r = ComputeSchedule(p);
        const NetworkLayout layout = layoutNetwork(p, r, LayoutMode::TimeScale);
        QImage image(QSizeF(layout.width * scale + 4, layout.height * scale + 4).toSize(),
                     QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.scale(scale, scale);
            paintNetwork(painter, layout, r);
        }
        const auto marked = [&](QPointF at) {
            const QPoint c = (at * scale).toPoint();
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (image.valid(c.x() + dx, c.y() + dy) &&
                        image.pixel(c.x() + dx, c.y() + dy) != qRgb(255, 255, 255))
                        return true;
            return false;
        };
        for (const LaidOutEvent& e : layout.events)
            QVERIFY2(marked(e.centre), qPrintable(QString::number(e.event)));
        for (const LaidOutActivity& a : layout.activities)
            for (const QPointF& point : a.points)
                QVERIFY2(marked(point),
                         qPrintable(QStringLiteral("%1 > %2").arg(a.from).arg(a.to)));
    }

    void failedExportKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown suffix") << "rete.bmp"
                                        << "Formato non riconosciuto";
        QTest::newRow("missing folder") << "manca/rete.svg"
                                        << "rete.svg";
    }

    void failedExportKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const auto error = exportPicture(path, QSizeF(100, 100), [](QPainter&) {});
        QVERIFY(!error.ok());
        QVERIFY2(error.error().text.contains(message), qPrintable(error.error().text));
        QVERIFY(!QFile::exists(path));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestGanttExport)
#include "test_gantt_export.moc"
