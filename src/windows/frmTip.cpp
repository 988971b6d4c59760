#include "windows/frmTip.h"

#include "model/cp1252.h"
#include "model/text_format.h"
#include "shell/resources.h"
#include "shell/twips.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QtMath>

#include <cmath>

namespace zant {

namespace {

const QString kTipsFileName = QStringLiteral("SuggerimentiZANT.TXT");
constexpr int kFormWidth = 7080;
constexpr int kFormHeight = 3600;

} // namespace

QStringList splitTipLines(const QString& text)
{
    // A line end at the end of the file closes the last tip; it starts no empty one.
    QStringList lines = splitLines(text);
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QPixmap drawLightBulb(int width, int height, qreal devicePixelRatio)
{
    QPixmap pixmap(QSize(width, height) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 48 x 64 grid.
    p.scale(width / 48.0, height / 64.0);

    // Rays.
    p.setPen(QPen(QColor(240, 170, 20), 2.2, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(24, 22);
    for (int angle : {-150, -120, -90, -60, -30, 180, 0}) {
        const qreal r = qDegreesToRadians(qreal(angle));
        const QPointF dir(std::cos(r), std::sin(r));
        p.drawLine(centre + dir * 19.5, centre + dir * 23);
    }

    // Glass: a round top narrowing to the neck.
    QPainterPath glass;
    glass.moveTo(18, 40);
    glass.cubicTo(18, 33, 10, 30, 10, 21);
    glass.arcTo(QRectF(10, 7, 28, 28), 180, -180);
    glass.cubicTo(38, 30, 30, 33, 30, 40);
    glass.closeSubpath();
    QRadialGradient light(QPointF(20, 17), 20);
    light.setColorAt(0, QColor(255, 255, 235));
    light.setColorAt(0.55, QColor(255, 236, 120));
    light.setColorAt(1, QColor(245, 195, 40));
    p.setBrush(light);
    p.setPen(QPen(QColor(150, 110, 10), 1.4));
    p.drawPath(glass);

    // Filament.
    p.setPen(QPen(QColor(190, 90, 10), 1.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath filament;
    filament.moveTo(20.5, 39);
    filament.lineTo(21, 28);
    filament.cubicTo(22, 25, 23, 25, 24, 28);
    filament.cubicTo(25, 25, 26, 25, 27, 28);
    filament.lineTo(27.5, 39);
    p.drawPath(filament);

    // Screw base.
    p.setPen(QPen(QColor(70, 70, 80), 1));
    for (int i = 0; i < 3; ++i) {
        QLinearGradient metal(17, 0, 31, 0);
        metal.setColorAt(0, QColor(150, 150, 160));
        metal.setColorAt(0.4, QColor(235, 235, 240));
        metal.setColorAt(1, QColor(120, 120, 130));
        p.setBrush(metal);
        p.drawRoundedRect(QRectF(17.5, 40 + i * 4.5, 13, 4.5), 1.5, 1.5);
    }
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(21, 53.5, 6, 3.5), 1.5, 1.5);
    return pixmap;
}

frmTip::frmTip(const QString& tipsFile, QWidget* parent) : QWidget(parent, Qt::Window)
{
    buildControls();
    Form_Load(tipsFile);
}

frmTip::~frmTip() = default;

QString frmTip::defaultTipsFile()
{
    return resourceFile(kTipsFileName);
}

void frmTip::buildControls()
{
    setWindowTitle(QStringLiteral("Suggerimento del giorno"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFixedSize(twipsRect(0, 0, kFormWidth, kFormHeight, this).size());

    // The white page the tip is written on, with the bulb at its left.
    auto* page = new QLabel(this);
    page->setObjectName(QStringLiteral("Shape1"));
    page->setFrameShape(QFrame::StyledPanel);
    page->setFrameShadow(QFrame::Sunken);
    page->setAutoFillBackground(true);
    page->setBackgroundRole(QPalette::Base);
    page->setGeometry(twipsRect(240, 240, 6600, 2520, this));

    m_picture1 = new QLabel(this);
    m_picture1->setObjectName(QStringLiteral("Picture1"));
    const QRect bulb = twipsRect(420, 420, 720, 960, this);
    m_picture1->setGeometry(bulb);
    m_picture1->setPixmap(drawLightBulb(bulb.width(), bulb.height(), devicePixelRatioF()));

    m_label1 = new QLabel(QStringLiteral("Non tutti sanno che..."), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    QFont heading = m_label1->font();
    heading.setPointSize(12);
    heading.setBold(true);
    m_label1->setFont(heading);
    m_label1->setGeometry(twipsRect(1380, 420, 5280, 420, this));

    m_lblTipText = new QLabel(this);
    m_lblTipText->setObjectName(QStringLiteral("lblTipText"));
    m_lblTipText->setTextFormat(Qt::PlainText);
    m_lblTipText->setWordWrap(true);
    m_lblTipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QFont text = m_lblTipText->font();
    text.setPointSize(10);
    m_lblTipText->setFont(text);
    m_lblTipText->setGeometry(twipsRect(1380, 960, 5280, 1680, this));

    m_cmdprecedente = new QPushButton(QStringLiteral("&Precedente"), this);
    m_cmdprecedente->setObjectName(QStringLiteral("cmdprecedente"));
    m_cmdNextTip = new QPushButton(QStringLiteral("&Successivo"), this);
    m_cmdNextTip->setObjectName(QStringLiteral("cmdNextTip"));
    m_cmdOK = new QPushButton(QStringLiteral("&Chiudi"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdprecedente->setGeometry(twipsRect(2640, 2970, 1320, 420, this));
    m_cmdNextTip->setGeometry(twipsRect(4080, 2970, 1320, 420, this));
    m_cmdOK->setGeometry(twipsRect(5520, 2970, 1320, 420, this));
    connect(m_cmdprecedente, &QPushButton::clicked, this, &frmTip::cmdprecedente_Click);
    connect(m_cmdNextTip, &QPushButton::clicked, this, &frmTip::cmdNextTip_Click);
    connect(m_cmdOK, &QPushButton::clicked, this, &frmTip::cmdOK_Click);
}

void frmTip::Form_Load(const QString& tipsFile)
{
    if (!LoadTips(tipsFile))
        m_lblTipText->setText(QStringLiteral("Impossibile trovare il file ") + kTipsFileName +
                              QStringLiteral("\r\n\r\n") +
                              QStringLiteral("Creare un file di testo denominato ") +
                              kTipsFileName +
                              QStringLiteral(" utilizzando il Blocco note e inserendo un "
                                             "suggerimento per ogni riga. ") +
                              QStringLiteral("Inserire il file nella stessa directory "
                                             "dell'applicazione. "));
}

bool frmTip::LoadTips(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QFile file(path);
    // A file that cannot be read is treated like a missing one.
    if (!file.open(QIODevice::ReadOnly))
        return false;
    m_tipList = splitTipLines(decodeTextFile(file.readAll()));
    AdvanceTip();
    return true;
}

void frmTip::AdvanceTip()
{
    ++m_tipIndex;
    if (m_tipIndex > m_tipList.size())
        m_tipIndex = 1;
    DisplayCurrentTip();
}

void frmTip::DisplayCurrentTip()
{
    if (!m_tipList.isEmpty())
        m_lblTipText->setText(m_tipList.at(m_tipIndex - 1));
}

void frmTip::cmdNextTip_Click()
{
    AdvanceTip();
}

void frmTip::cmdprecedente_Click()
{
    if (m_tipIndex <= 1)
        return;
    --m_tipIndex;
    DisplayCurrentTip();
}

void frmTip::cmdOK_Click()
{
    hide();
}

} // namespace zant
