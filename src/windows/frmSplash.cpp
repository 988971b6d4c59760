#include "windows/frmSplash.h"

#include "shell/modzant.h"
#include "shell/resources.h"
#include "shell/twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace zant {

namespace {

const QColor kPaper(250, 248, 240);
const QColor kNavy(0, 0, 128);
const QColor kDarkRed(160, 0, 0);
const QColor kGold(200, 160, 40);
const QColor kShapeFill(232, 238, 250);
const QColor kGrey(90, 90, 90);

// The labels of the window as the design places them: index, left, top, width, height (twips).
struct LabelPlace
{
    int index;
    int left, top, width, height;
};
constexpr LabelPlace kLabelPlaces[] = {
    {0, 0, 0, 8550, 150},        // top band
    {10, 0, 5550, 8550, 150},    // bottom band
    {9, 0, 0, 150, 5700},        // left band
    {11, 8400, 0, 150, 5700},    // right band
    {12, 150, 150, 8250, 45},    // gold thread under the top band
    {1, 4050, 630, 4125, 420},   // publisher
    {2, 4050, 1050, 4125, 300},  // "presenta"
    {3, 4050, 1620, 4125, 1020}, // product name
    {4, 4050, 2640, 4125, 330},  // subtitle
    {5, 4050, 3030, 4125, 300},  // version
    {6, 4650, 3930, 2925, 15},   // rule above the instruction
    {8, 4545, 4080, 3135, 660},  // instruction, narrow enough to break after "iniziare;"
    {7, 4650, 4920, 2925, 15},   // rule below the instruction
};

// Shape1 frames the product name, subtitle and version.
constexpr int kShapeLeft = 3900, kShapeTop = 1500, kShapeWidth = 4425, kShapeHeight = 1950;
constexpr int kImageLeft = 450, kImageTop = 600;
constexpr int kFormWidth = 8550, kFormHeight = 5700;

class DecorativeShape final : public QWidget
{
public:
    explicit DecorativeShape(QWidget* parent) : QWidget(parent)
    {
        // Like a drawn shape, it never takes the click: the window underneath does.
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        p.setPen(QPen(kNavy, 2));
        p.setBrush(kShapeFill);
        p.drawRoundedRect(r, 10, 10);
        p.setPen(QPen(kGold, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(4, 4, -4, -4), 7, 7);
    }
};

QFont fontOf(const QStringList& families, double points, QFont::Weight weight, bool italic = false)
{
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(points);
    f.setWeight(weight);
    f.setItalic(italic);
    return f;
}

void setTextColour(QLabel* label, const QColor& colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
}

void drawArrow(QPainter& p, QPointF from, QPointF to, double radius, const QPen& pen)
{
    const QPointF d = to - from;
    const double length = std::hypot(d.x(), d.y());
    if (length <= 2 * radius)
        return;
    const QPointF unit = d / length;
    const QPointF start = from + unit * radius;
    const QPointF tip = to - unit * (radius + 1);
    const QPointF normal(-unit.y(), unit.x());
    const double head = 5 + pen.widthF();
    p.setPen(pen);
    p.drawLine(start, tip - unit * head * 0.6);
    QPainterPath arrowHead;
    arrowHead.moveTo(tip);
    arrowHead.lineTo(tip - unit * head * 1.6 + normal * head * 0.7);
    arrowHead.lineTo(tip - unit * head * 1.6 - normal * head * 0.7);
    arrowHead.closeSubpath();
    p.fillPath(arrowHead, pen.color());
}

// The picture is drawn on a 215 x 299 design grid and scaled to the size asked for.
constexpr double kDesignWidth = 215, kDesignHeight = 299;
constexpr double kNodeRadius = 13;
const QColor kNetworkInk(40, 56, 120);
const QColor kCriticalRed(200, 0, 0);

struct PictureNode
{
    int number;
    QPointF centre;
    bool critical;
};
const PictureNode kNodes[] = {
    {1, {107, 26}, true},  {2, {38, 82}, false},  {3, {177, 82}, true},  {4, {107, 138}, true},
    {5, {38, 194}, false}, {6, {177, 194}, true}, {7, {107, 250}, true},
};
struct PictureArrow
{
    int from, to, days;
    bool critical;
};
// Earliest times 0, 4, 6, 11, 13, 18, 24: the path through 3, 4 and 6 has no float.
const PictureArrow kArrows[] = {
    {1, 2, 4, false}, {1, 3, 6, true}, {2, 4, 3, false}, {3, 4, 5, true},  {2, 5, 9, false},
    {4, 5, 2, false}, {4, 6, 7, true}, {3, 6, 8, false}, {5, 7, 4, false}, {6, 7, 6, true},
};

void drawSquaredPaper(QPainter& p)
{
    p.setPen(QPen(QColor(206, 220, 240), 1));
    for (int x = 12; x < kDesignWidth; x += 12)
        p.drawLine(QPointF(x, 0), QPointF(x, kDesignHeight));
    for (int y = 12; y < kDesignHeight; y += 12)
        p.drawLine(QPointF(0, y), QPointF(kDesignWidth, y));
}

// The arrows with their durations beside them; ordinary arrows first, so the critical path is
// drawn over them.
void drawPictureArrows(QPainter& p, const QFont& small)
{
    const auto centreOf = [](int number) { return kNodes[number - 1].centre; };
    for (const bool drawCritical : {false, true}) {
        for (const PictureArrow& a : kArrows) {
            if (a.critical != drawCritical)
                continue;
            const QPointF from = centreOf(a.from), to = centreOf(a.to);
            drawArrow(p, from, to, kNodeRadius,
                      QPen(a.critical ? kCriticalRed : kNetworkInk, a.critical ? 2.6 : 1.4));
            const QPointF middle = (from + to) / 2;
            const QPointF d = to - from;
            QPointF normal(-d.y(), d.x());
            normal /= std::hypot(normal.x(), normal.y());
            if (normal.x() < 0)
                normal = -normal;
            const QRectF box(middle + normal * 9 - QPointF(7, 6), QSizeF(14, 12));
            p.setFont(small);
            p.setPen(a.critical ? kCriticalRed : kGrey);
            p.drawText(box, Qt::AlignCenter, QString::number(a.days));
        }
    }
}

void drawPictureNodes(QPainter& p, const QFont& small)
{
    QFont numbers = small;
    numbers.setPixelSize(13);
    p.setFont(numbers);
    for (const PictureNode& n : kNodes) {
        p.setPen(QPen(n.critical ? kCriticalRed : kNetworkInk, 2));
        p.setBrush(Qt::white);
        p.drawEllipse(n.centre, kNodeRadius, kNodeRadius);
        p.setPen(kNetworkInk);
        p.drawText(QRectF(n.centre - QPointF(kNodeRadius, kNodeRadius),
                          QSizeF(2 * kNodeRadius, 2 * kNodeRadius)),
                   Qt::AlignCenter, QString::number(n.number));
    }
}

// Legend of the red path.
void drawPictureLegend(QPainter& p, QFont small)
{
    p.setPen(QPen(kCriticalRed, 2.6));
    p.drawLine(QPointF(46, 283), QPointF(74, 283));
    small.setBold(false);
    small.setItalic(true);
    p.setFont(small);
    p.setPen(kNetworkInk);
    p.drawText(QRectF(80, 276, 120, 14), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("percorso critico"));
}

} // namespace

QPixmap drawNetworkPicture(const QSize& size)
{
    QPixmap picture(size);
    picture.fill(QColor(226, 236, 248));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size.width() / kDesignWidth, size.height() / kDesignHeight);
    drawSquaredPaper(p);

    QFont small;
    small.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    small.setPixelSize(10);
    small.setBold(true);
    drawPictureArrows(p, small);
    drawPictureNodes(p, small);
    drawPictureLegend(p, small);

    p.setPen(QPen(kNavy, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kDesignWidth - 1, kDesignHeight - 1));
    return picture;
}

frmSplash::frmSplash(ModZANT& app, QWidget* parent) : QWidget(parent, Qt::Window), m_app(app)
{
    buildControls();
    m_closingTimer = new QTimer(this);
    m_closingTimer->setSingleShot(true);
    m_closingTimer->setInterval(kClosingMilliseconds);
    connect(m_closingTimer, &QTimer::timeout, this, &frmSplash::closingTimeUp);
    connect(&m_app, &ModZANT::splashReturned, this, &frmSplash::showClosingCaption);
    Form_Load();
}

void frmSplash::buildControls()
{
    // No title bar: the coloured bands are the frame.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setFixedSize(twipsRect(0, 0, kFormWidth, kFormHeight, this).size());
    setFocusPolicy(Qt::StrongFocus);
    setBackground(this, kPaper);

    m_shape1 = new DecorativeShape(this);
    m_shape1->setObjectName(QStringLiteral("Shape1"));
    m_shape1->setGeometry(twipsRect(kShapeLeft, kShapeTop, kShapeWidth, kShapeHeight, this));

    for (int i = 0; i < labelCount; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QStringLiteral("label%1").arg(i));
        l->setTextFormat(Qt::PlainText);
        l->installEventFilter(this);
        m_label.at(static_cast<std::size_t>(i)) = l;
    }
    for (const LabelPlace& place : kLabelPlaces)
        label(place.index)
            ->setGeometry(twipsRect(place.left, place.top, place.width, place.height, this));

    for (int band : {0, 9, 10, 11})
        setBackground(label(band), kNavy);
    setBackground(label(12), kGold);
    setBackground(label(6), kGold);
    setBackground(label(7), kGold);

    const QStringList arial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    label(1)->setText(QStringLiteral("software MERIDIO"));
    label(1)->setFont(fontOf(
        {QStringLiteral("Simpson"), QStringLiteral("Georgia"), QStringLiteral("DejaVu Serif")}, 15,
        QFont::Bold, true));
    setTextColour(label(1), kDarkRed);

    label(2)->setText(QStringLiteral("                        presenta"));
    label(2)->setFont(fontOf(arial, 10, QFont::Normal, true));
    setTextColour(label(2), kGrey);

    label(3)->setFont(fontOf(
        {QStringLiteral("Arial Black"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        44, QFont::Black));
    label(3)->setAlignment(Qt::AlignCenter);
    setTextColour(label(3), kNavy);

    label(4)->setFont(fontOf(arial, 10.5, QFont::Bold));
    label(4)->setAlignment(Qt::AlignCenter);
    setTextColour(label(4), kDarkRed);

    label(5)->setFont(fontOf(arial, 9, QFont::Normal));
    label(5)->setAlignment(Qt::AlignCenter);
    setTextColour(label(5), kGrey);

    label(8)->setText(
        QStringLiteral("(cliccare sulla finestra per iniziare; premere un tasto per uscire)"));
    label(8)->setFont(fontOf(arial, 8.5, QFont::Normal, true));
    label(8)->setAlignment(Qt::AlignCenter);
    label(8)->setWordWrap(true);
    setTextColour(label(8), kNavy);

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    // 215 x 299 pixels at the design's 96 dpi.
    const QRect picture = twipsRect(kImageLeft, kImageTop, 3225, 4485, this);
    m_image1->setPixmap(drawNetworkPicture(picture.size()));
    m_image1->setGeometry(picture);
    m_image1->installEventFilter(this);

    m_shape1->lower();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

void frmSplash::Form_Load()
{
    m_app.music().open(resourceFile(QStringLiteral("Internet.mid")));
    m_app.music().play();
    const SharedConstants& c = m_app.constants();
    setWindowTitle(c.productName);
    label(3)->setText(c.productName);
    label(4)->setText(c.productSubtitle);
    label(5)->setText(QStringLiteral("versione ") + c.versionText);
}

void frmSplash::Form_Click()
{
    if (m_closing) {
        endProgram();
        return;
    }
    m_app.music().pause();
    m_app.ShowDataWindow();
}

void frmSplash::label_Click(int)
{
    Form_Click();
}

void frmSplash::Image1_Click()
{
    Form_Click();
}

void frmSplash::Form_KeyPress()
{
    if (m_closing) {
        endProgram();
        return;
    }
    // Closing the splash closes its music too (Form_Unload).
    close();
}

void frmSplash::closingTimeUp()
{
    if (m_closing)
        endProgram();
}

void frmSplash::endProgram()
{
    m_closing = false;
    m_closingTimer->stop();
    m_app.endProgram();
}

void frmSplash::Form_Unload()
{
    m_app.music().close();
    // Gone for good; a later return to the splash builds it anew, music and all. The registry
    // holds it through a guarded pointer, so it forgets it by itself.
    deleteLater();
}

void frmSplash::showClosingCaption()
{
    label(2)->setText(QStringLiteral("          elaborazione eseguita con"));
    label(8)->setText(QStringLiteral("(il programma si chiude da sé; cliccare o premere un tasto "
                                     "per chiuderlo subito)"));
    m_closing = true;
    m_closingTimer->start();
}

void frmSplash::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Form_Click();
}

void frmSplash::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        // A modifier alone types nothing.
        QWidget::keyPressEvent(event);
        return;
    default:
        Form_KeyPress();
    }
}

void frmSplash::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->ignore();
        endProgram();
        return;
    }
    // When the splash is the last window the program ends with it: unsaved changes first.
    if (ModZANT::isLastOpenWindow(this) && !m_app.maybeSaveChanges(this)) {
        event->ignore();
        return;
    }
    event->accept();
    Form_Unload();
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    auto* control = qobject_cast<QWidget*>(watched);
    if (mouse->button() != Qt::LeftButton || !control ||
        !control->rect().contains(mouse->position().toPoint()))
        return QWidget::eventFilter(watched, event);
    if (watched == m_image1) {
        Image1_Click();
        return true;
    }
    for (int i = 0; i < labelCount; ++i) {
        if (watched == label(i)) {
            label_Click(i);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace zant
