#include "windows/informa.h"
#include "windows/window_style.h"

#include "model/text_format.h"
#include "shell/modzant.h"
#include "shell/twips.h"

#include <QDate>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace zant {

namespace {

constexpr int kFormWidth = 6300, kFormHeight = 4050;

// A 48 x 48 icon: three events of a network on the product's navy.
QPixmap drawIcon()
{
    QPixmap icon(48, 48);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    p.drawRoundedRect(QRectF(1, 1, 46, 46), 7, 7);
    const QPointF a(12, 14), b(36, 14), c(24, 35);
    p.setPen(QPen(QColor(200, 160, 40), 2.5));
    p.drawLine(a, b);
    p.drawLine(b, c);
    p.setPen(QPen(QColor(230, 60, 60), 2.5));
    p.drawLine(a, c);
    p.setPen(QPen(QColor(0, 0, 128), 1.5));
    p.setBrush(Qt::white);
    for (const QPointF& centre : {a, b, c})
        p.drawEllipse(centre, 6, 6);
    return icon;
}

QFrame* separatorLine(QWidget* parent, const QString& name)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* plainLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

int buildYear()
{
    // __DATE__ reads "Mmm dd yyyy".
    static constexpr char date[] = __DATE__;
    return QString::fromLatin1(date + 7, 4).toInt();
}

QString aboutVersionLine(const QString& versionText, const QString& firstReleaseDate, int buildYear)
{
    const int firstYear = QDate::fromString(firstReleaseDate, QStringLiteral("dd/MM/yyyy")).year();
    return QStringLiteral("versione ") + versionText + QStringLiteral("  ") +
           withLeadingBlank(firstYear) + QStringLiteral("- 20") +
           QStringLiteral("%1").arg(buildYear % 100, 2, 10, QLatin1Char('0'));
}

informa::informa(ModZANT& app, QWidget* parent) : QWidget(parent, Qt::Window), m_app(app)
{
    buildControls();
    Form_Load();
}

void informa::buildControls()
{
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFixedSize(twipsRect(0, 0, kFormWidth, kFormHeight, this).size());

    m_picIcon = plainLabel(this, QStringLiteral("picIcon"));
    m_picIcon->setPixmap(drawIcon());
    m_picIcon->setGeometry(twipsRect(240, 240, 720, 720, this));

    m_label1 = plainLabel(this, QStringLiteral("Label1"));
    QFont name;
    name.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans")});
    name.setPointSize(22);
    name.setWeight(QFont::Black);
    m_label1->setFont(name);
    QPalette navy = m_label1->palette();
    navy.setColor(QPalette::WindowText, kCaptionColour);
    m_label1->setPalette(navy);
    m_label1->setGeometry(twipsRect(1200, 120, 4860, 660, this));

    QFont text;
    text.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    text.setPointSize(9);

    m_label2 = plainLabel(this, QStringLiteral("Label2"));
    QFont subtitle = text;
    subtitle.setBold(true);
    m_label2->setFont(subtitle);
    m_label2->setGeometry(twipsRect(1200, 780, 4860, 300, this));

    m_line1 = separatorLine(this, QStringLiteral("Line1"));
    m_line1->setGeometry(twipsRect(1200, 1170, 4860, 30, this));

    m_label6 = plainLabel(this, QStringLiteral("Label6"));
    m_label6->setFont(text);
    m_label6->setGeometry(twipsRect(1200, 1320, 4860, 300, this));

    m_label5 = plainLabel(this, QStringLiteral("Label5"));
    m_label5->setFont(text);
    m_label5->setText(QStringLiteral("per sistemi Windows a 32 bit "));
    m_label5->setGeometry(twipsRect(1200, 1650, 4860, 300, this));

    m_line2 = separatorLine(this, QStringLiteral("Line2"));
    m_line2->setGeometry(twipsRect(240, 2190, 5820, 30, this));

    m_label3 = plainLabel(this, QStringLiteral("Label3"));
    QFont publisher;
    publisher.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    publisher.setPointSize(12);
    publisher.setBold(true);
    publisher.setItalic(true);
    m_label3->setFont(publisher);
    QPalette darkRed = m_label3->palette();
    darkRed.setColor(QPalette::WindowText, QColor(160, 0, 0));
    m_label3->setPalette(darkRed);
    m_label3->setText(QStringLiteral("software MERIDIO"));
    m_label3->setAlignment(Qt::AlignCenter);
    m_label3->setGeometry(twipsRect(240, 2400, 5820, 600, this));

    m_line3 = separatorLine(this, QStringLiteral("Line3"));
    m_line3->setGeometry(twipsRect(240, 3180, 5820, 30, this));

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    m_cmdOK->setGeometry(twipsRect(4740, 3390, 1320, 420, this));
    connect(m_cmdOK, &QPushButton::clicked, this, &informa::cmdOK_Click);
}

void informa::Form_Load()
{
    const SharedConstants& c = m_app.constants();
    setWindowTitle(QStringLiteral("Informazioni su ") + c.productName);
    m_label1->setText(c.productName);
    m_label2->setText(c.productSubtitle);
    m_label6->setText(aboutVersionLine(c.versionText, c.firstReleaseDate, buildYear()));
}

void informa::cmdOK_Click()
{
    hide();
}

} // namespace zant
