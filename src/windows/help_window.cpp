#include "windows/help_window.h"
#include "windows/window_style.h"

#include "report/help_documents.h"
#include "report/help_texts.h"
#include "shell/modzant.h"
#include "shell/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>

namespace zant {

namespace {

constexpr int kDesignHeight = 6825;
constexpr int kWideWidth = 9600;
constexpr int kNarrowWidth = 5640;
constexpr int kNarrowLeft = 5467;
constexpr int kMargin = 240;
constexpr int kButtonTop = 6180;
constexpr int kButtonWidth = 1560;
constexpr int kButtonHeight = 435;

// The manual is as wide as the main windows; the other text pages are narrow.
int designWidthOf(const QString& name)
{
    return name == win::manuale ? kWideWidth : kNarrowWidth;
}

// The text with a little space between its paragraphs, which plain text cannot give.
QString paragraphsAsHtml(const QString& text)
{
    QString html;
    for (const QString& paragraph : text.split(QLatin1Char('\n')))
        html += QStringLiteral("<p style=\"margin-top:0; margin-bottom:6px\">") +
                paragraph.toHtmlEscaped() + QStringLiteral("</p>");
    return html;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

HelpWindowBase::HelpWindowBase(ModZANT& app, const QString& name, int designWidth)
    : QWidget(nullptr, Qt::Window), m_app(app), m_name(name), m_designWidth(designWidth)
{
    setWindowTitle(QStringLiteral("Guida in linea"));
    resize(twipsToPixels(designWidth, this), twipsToPixels(kDesignHeight, this));

    m_cmdchiudi = makeButton(this, QStringLiteral("cmdchiudi"), QStringLiteral("&Chiudi"));
    m_cmdsommario = makeButton(this, QStringLiteral("cmdsommario"), QStringLiteral("&Sommario"));
    m_cmdstampa = makeButton(this, QStringLiteral("cmdstampa"), QStringLiteral("S&tampa"));
    placeWidget(m_cmdchiudi, kMargin, kButtonTop, kButtonWidth, kButtonHeight);
    placeWidget(m_cmdsommario, (designWidth - kButtonWidth) / 2, kButtonTop, kButtonWidth,
                kButtonHeight);
    placeWidget(m_cmdstampa, designWidth - kMargin - kButtonWidth, kButtonTop, kButtonWidth,
                kButtonHeight);
    connect(m_cmdchiudi, &QPushButton::clicked, this, &HelpWindowBase::cmdchiudi_Click);
    connect(m_cmdsommario, &QPushButton::clicked, this, &HelpWindowBase::cmdsommario_Click);
    connect(m_cmdstampa, &QPushButton::clicked, this, [this] { cmdstampa_Click(); });
}

HelpWindowBase::~HelpWindowBase() = default;

void HelpWindowBase::placeWidget(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(twipsRect(left, top, width, height, this));
}

void HelpWindowBase::Form_Load()
{
    m_resize.setSourceForm(this);
    m_resize.SizeFormToScreen(75);
    resize(twipsToPixels(m_designWidth, this), twipsToPixels(kDesignHeight, this));
    if (m_designWidth != kWideWidth)
        move(twipsToPixels(kNarrowLeft, this), y());
}

void HelpWindowBase::cmdchiudi_Click()
{
    m_app.unloadWindow(m_name);
}

void HelpWindowBase::cmdsommario_Click()
{
    m_app.showWindow(win::sommario);
}

void HelpWindowBase::showPrintOutcome(const PrintResult& result)
{
    if (const auto message = messageFor(result))
        m_app.dialogs().message(this, m_app.constants().helpTitle, *message);
}

void HelpWindowBase::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_resize.ResizeControls();
    controlsResized();
}

void HelpWindowBase::closeEvent(QCloseEvent* event)
{
    // The close box unloads the window, as "&Chiudi" does.
    event->accept();
    m_app.unloadWindow(m_name);
}

HelpWindow::HelpWindow(ModZANT& app, const QString& name)
    : HelpWindowBase(app, name, designWidthOf(name))
{
    const HelpTopic topic = helpTopics().value(name);
    const int width = designWidthOf(name);

    m_label1 = new QLabel(topic.title, this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setTextFormat(Qt::PlainText);
    m_label1->setAlignment(Qt::AlignCenter);
    QFont titleFont = m_label1->font();
    titleFont.setPointSize(12);
    titleFont.setBold(true);
    m_label1->setFont(titleFont);
    QPalette navy = m_label1->palette();
    navy.setColor(QPalette::WindowText, kCaptionColour);
    m_label1->setPalette(navy);
    placeWidget(m_label1, kMargin, 120, width - 2 * kMargin, 480);

    m_area = new QScrollArea(this);
    m_area->setObjectName(QStringLiteral("Label2Area"));
    m_area->setWidgetResizable(true);
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_area->setBackgroundRole(QPalette::Base);
    m_body = topic.body;
    m_label2 = new QLabel(paragraphsAsHtml(topic.body));
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setTextFormat(Qt::RichText);
    m_label2->setWordWrap(true);
    m_label2->setAlignment(Qt::AlignJustify | Qt::AlignTop);
    m_label2->setContentsMargins(10, 8, 10, 8);
    QFont bodyFont = m_label2->font();
    bodyFont.setPointSize(10);
    m_label2->setFont(bodyFont);
    m_area->setWidget(m_label2);
    placeWidget(m_area, kMargin, 720, width - 2 * kMargin, 5280);

    if (name == win::manuale) {
        cmdchiudi()->setToolTip(QStringLiteral("cliccare per chiudere la finestra"));
        cmdstampa()->setToolTip(
            QStringLiteral("cliccare per avere la copia su carta del MANUALE D'USO RAPIDO"));
        cmdsommario()->setToolTip(
            QStringLiteral("cliccare per visualizzare il sommario della guida"));
    }
    Form_Load();
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::cmdstampa_Click()
{
    showPrintOutcome(PrintHelpWindow(m_label1->text(), m_body, m_app.output(), m_app.constants()));
}

} // namespace zant
