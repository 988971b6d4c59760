#include "windows/sommario.h"
#include "windows/window_style.h"

#include "report/help_documents.h"
#include "shell/modzant.h"
#include "shell/twips.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace zant {

namespace {

constexpr int kDesignWidth = 3975;
constexpr int kDesignHeight = 6825;
constexpr int kTopicTop = 720;
constexpr int kTopicStep = 555;

const char* const kCaptions[sommario::kTopics] = {
    "  Manuale d'uso rapido", "  Funzionamento del programma", " Come stampare",
    " Finestra Dati",         " Finestra Risultati",           " Finestra Frontespizio",
    " Il metodo ZANT",        " Schema di reticolo ZANT",      "  Suggerimento del giorno"};

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption,
                        const QString& toolTip = {})
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(toolTip);
    return button;
}

} // namespace

sommario::sommario(ModZANT& app, QWidget* parent) : QWidget(parent, Qt::Window), m_app(app)
{
    buildControls();
    Form_Load();
}

sommario::~sommario() = default;

QString sommario::topicWindow(int index)
{
    static const QString windows[kTopics] = {
        win::manuale,   win::guidafunzionamento, win::guidastampa,
        win::guidadati, win::guidarisultati,     win::guidafrontespizio,
        win::metodo,    win::guidaschema,        win::frmTip};
    return index >= 1 && index <= kTopics ? windows[index - 1] : QString();
}

void sommario::buildControls()
{
    resize(twipsToPixels(kDesignWidth, this), twipsToPixels(kDesignHeight, this));
    setMouseTracking(true);

    m_label1 = new QLabel(QStringLiteral("Argomenti della guida"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAlignment(Qt::AlignCenter);
    QFont heading = m_label1->font();
    heading.setPointSize(11);
    heading.setBold(true);
    m_label1->setFont(heading);
    QPalette navy = m_label1->palette();
    navy.setColor(QPalette::WindowText, kCaptionColour);
    m_label1->setPalette(navy);
    m_label1->setGeometry(twipsRect(120, 150, 3735, 420, this));

    for (int i = 1; i <= kTopics; ++i) {
        const int top = kTopicTop + (i - 1) * kTopicStep;
        auto* label = new QLabel(QString::fromUtf8(kCaptions[i - 1]), this);
        label->setObjectName(QStringLiteral("lbl_%1").arg(i));
        label->setTextFormat(Qt::PlainText);
        label->setFrameShape(QFrame::Box);
        label->setLineWidth(1);
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Base);
        label->setMouseTracking(true);
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        label->setGeometry(twipsRect(120, top, 3075, 375, this));
        m_lbl[i - 1] = label;

        auto* button = makeButton(this, QStringLiteral("puls_%1").arg(i), QStringLiteral("--->"));
        button->setGeometry(twipsRect(3255, top, 600, 375, this));
        connect(button, &QPushButton::clicked, this, [this, i] { puls_Click(i); });
        m_puls[i - 1] = button;
    }

    m_cmdchiudi = makeButton(this, QStringLiteral("cmdchiudi"), QStringLiteral("&Chiudi"),
                             QStringLiteral("cliccare per chiudere la finestra"));
    m_cmdstampa = makeButton(this, QStringLiteral("cmdstampa"), QStringLiteral("&Stampa"),
                             QStringLiteral("cliccare per avere la copia su carta del sommario"));
    m_command1 = makeButton(this, QStringLiteral("Command1"), QStringLiteral("&USCITA"));
    m_cmdchiudi->setGeometry(twipsRect(120, 5940, 1185, 435, this));
    m_cmdstampa->setGeometry(twipsRect(1395, 5940, 1185, 435, this));
    m_command1->setGeometry(twipsRect(2670, 5940, 1185, 435, this));
    connect(m_cmdchiudi, &QPushButton::clicked, this, &sommario::cmdchiudi_Click);
    connect(m_cmdstampa, &QPushButton::clicked, this, &sommario::cmdstampa_Click);
    connect(m_command1, &QPushButton::clicked, this, &sommario::Command1_Click);
}

void sommario::Form_Load()
{
    m_resize.setSourceForm(this);
    m_resize.SizeFormToScreen(75);
    resize(twipsToPixels(kDesignWidth, this), twipsToPixels(kDesignHeight, this));
    m_command1->setToolTip(QStringLiteral("cliccare per uscire da ") +
                           m_app.constants().productName);
    setWindowTitle(m_app.constants().productName + QStringLiteral(": guida in linea"));
}

void sommario::puls_Click(int index)
{
    const QString window = topicWindow(index);
    if (!window.isEmpty())
        m_app.showWindow(window);
}

void sommario::setTopicWeights(int boldIndex)
{
    for (int i = 1; i <= kTopics; ++i) {
        QFont font = lbl(i)->font();
        font.setBold(i == boldIndex);
        lbl(i)->setFont(font);
    }
}

void sommario::lbl_MouseMove(int index)
{
    setTopicWeights(index);
}

void sommario::Form_MouseMove()
{
    setTopicWeights(0);
}

void sommario::lbl_MouseDown(int index)
{
    lbl(index)->setFrameShape(QFrame::NoFrame);
    puls_Click(index);
}

void sommario::lbl_MouseUp(int index)
{
    lbl(index)->setFrameShape(QFrame::Box);
}

void sommario::cmdchiudi_Click()
{
    hide();
}

void sommario::Command1_Click()
{
    m_app.ConfirmExit(this);
}

void sommario::cmdstampa_Click()
{
    const PrintResult result = printGuide(m_app.output(), m_app.constants());
    if (const auto message = messageFor(result))
        m_app.dialogs().message(this, m_app.constants().helpTitle, *message);
}

bool sommario::eventFilter(QObject* watched, QEvent* event)
{
    for (int i = 1; i <= kTopics; ++i) {
        if (watched != lbl(i))
            continue;
        switch (event->type()) {
        case QEvent::MouseMove:
            lbl_MouseMove(i);
            return true;
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                lbl_MouseDown(i);
            return true;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                lbl_MouseUp(i);
            return true;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void sommario::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void sommario::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_resize.ResizeControls();
}

} // namespace zant
