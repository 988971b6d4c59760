#include "windows/diagram_window.h"

#include "diagram/diagram_painter.h"
#include "model/file_io.h"

#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace zant {

namespace {

constexpr double kMinZoom = 0.05;
constexpr double kMaxZoom = 8.0;
constexpr double kZoomStep = 1.25;
// Pixels the pointer may move before a press becomes a drag rather than a click.
constexpr int kDragSlop = 4;

} // namespace

DiagramCanvas::DiagramCanvas(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::OpenHandCursor);
}

void DiagramCanvas::setPictureSize(const QSizeF& size)
{
    m_picture = size;
    setZoom(m_zoom);
}

void DiagramCanvas::setZoom(double zoom, QPoint anchor)
{
    QScrollArea* area = scrollArea();
    QPointF pictureAnchor;
    QPoint viewportAnchor;
    if (area) {
        viewportAnchor =
            anchor.x() >= 0 ? mapTo(area->viewport(), anchor) : area->viewport()->rect().center();
        pictureAnchor = toPicture(mapFrom(area->viewport(), viewportAnchor));
    }
    m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    resize(std::max(1, static_cast<int>(std::ceil(m_picture.width() * m_zoom))),
           std::max(1, static_cast<int>(std::ceil(m_picture.height() * m_zoom))));
    if (area) {
        // Keeps the picture point under the anchor where it was.
        area->horizontalScrollBar()->setValue(static_cast<int>(pictureAnchor.x() * m_zoom) -
                                              viewportAnchor.x());
        area->verticalScrollBar()->setValue(static_cast<int>(pictureAnchor.y() * m_zoom) -
                                            viewportAnchor.y());
    }
    update();
}

QPointF DiagramCanvas::toPicture(QPoint widgetPoint) const
{
    return QPointF(widgetPoint) / m_zoom;
}

QScrollArea* DiagramCanvas::scrollArea() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w))
            return area;
    return nullptr;
}

void DiagramCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    if (!paintPicture)
        return;
    painter.setClipRect(event->rect());
    painter.scale(m_zoom, m_zoom);
    paintPicture(painter);
}

void DiagramCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressed = true;
    m_dragging = false;
    m_pressAt = event->globalPosition().toPoint();
    if (QScrollArea* area = scrollArea())
        m_scrollAtPress =
            QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}

void DiagramCanvas::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed)
        return QWidget::mouseMoveEvent(event);
    const QPoint delta = event->globalPosition().toPoint() - m_pressAt;
    if (!m_dragging && delta.manhattanLength() < kDragSlop)
        return;
    if (!m_dragging)
        setCursor(Qt::ClosedHandCursor);
    m_dragging = true;
    if (QScrollArea* area = scrollArea()) {
        area->horizontalScrollBar()->setValue(m_scrollAtPress.x() - delta.x());
        area->verticalScrollBar()->setValue(m_scrollAtPress.y() - delta.y());
    }
}

void DiagramCanvas::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return QWidget::mouseReleaseEvent(event);
    m_pressed = false;
    setCursor(Qt::OpenHandCursor);
    if (!m_dragging)
        emit clicked(toPicture(event->position().toPoint()));
    m_dragging = false;
}

void DiagramCanvas::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return QWidget::wheelEvent(event); // the scroll area scrolls
    const int steps = event->angleDelta().y() / 120;
    if (steps == 0)
        return event->accept();
    setZoom(m_zoom * std::pow(kZoomStep, steps), event->position().toPoint());
    event->accept();
}

bool DiagramCanvas::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString text = toolTipAt ? toolTipAt(toPicture(help->pos())) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

DiagramWindow::DiagramWindow(ModZANT& app, const QString& caption, const QString& name,
                             QWidget* parent)
    : QMainWindow(parent), m_app(app)
{
    setObjectName(name);
    setWindowTitle(caption);
    m_toolbar = addToolBar(QStringLiteral("Reticolo"));
    m_toolbar->setObjectName(QStringLiteral("strumenti"));
    m_toolbar->setMovable(false);
    const auto action = [this](const QString& objectName, const QString& text, const QString& tip,
                               const QList<QKeySequence>& keys, auto slot) {
        QAction* a = m_toolbar->addAction(text);
        a->setObjectName(objectName);
        a->setToolTip(tip);
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    action(QStringLiteral("ingrandisci"), QStringLiteral("+"),
           QStringLiteral("ingrandisci (Ctrl e rotella)"),
           {QKeySequence(Qt::Key_Plus), QKeySequence::ZoomIn}, &DiagramWindow::zoomIn);
    action(QStringLiteral("riduci"), QStringLiteral("−"), QStringLiteral("riduci (Ctrl e rotella)"),
           {QKeySequence(Qt::Key_Minus), QKeySequence::ZoomOut}, &DiagramWindow::zoomOut);
    action(QStringLiteral("adatta"), QStringLiteral("Adatta alla finestra"),
           QStringLiteral("mostra tutto il disegno nella finestra"), {QKeySequence(Qt::Key_0)},
           &DiagramWindow::fitToWindow);
    m_toolbar->addSeparator();
    action(QStringLiteral("esporta"), QStringLiteral("Esporta…"),
           QStringLiteral("salva il disegno come immagine PNG, SVG o documento PDF"),
           {QKeySequence::Save}, &DiagramWindow::esporta_Click);
    m_formato = new QComboBox;
    m_formato->setObjectName(QStringLiteral("formato"));
    m_formato->setAccessibleName(QStringLiteral("formato del PDF esportato"));
    m_formato->setToolTip(QStringLiteral("come «Esporta…» scrive un PDF: su una pagina grande "
                                         "quanto il disegno, su un foglio, o diviso a grandezza "
                                         "leggibile su fogli sovrapposti con il quadro d'unione"));
    m_formato->addItems(
        {QStringLiteral("PDF: pagina del disegno"), QStringLiteral("PDF: foglio A3"),
         QStringLiteral("PDF: foglio A1"), QStringLiteral("PDF: foglio A0"),
         QStringLiteral("PDF: fogli A4 tassellati"), QStringLiteral("PDF: fogli A3 tassellati")});
    m_toolbar->addWidget(m_formato);
    m_toolbar->addSeparator();

    auto* stack = new QStackedWidget(this);
    m_scroll = new QScrollArea(stack);
    m_scroll->setObjectName(QStringLiteral("area"));
    m_scroll->setWidgetResizable(false);
    m_scroll->setBackgroundRole(QPalette::Base);
    m_canvas = new DiagramCanvas;
    m_canvas->setObjectName(QStringLiteral("disegno"));
    m_canvas->setAccessibleName(caption);
    m_canvas->paintPicture = [this](QPainter& p) { paintPicture(p); };
    m_scroll->setWidget(m_canvas);
    m_empty = new QLabel(stack);
    m_empty->setObjectName(QStringLiteral("nessunrisultato"));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setWordWrap(true);
    stack->addWidget(m_scroll);
    stack->addWidget(m_empty);
    setCentralWidget(stack);
    resize(960, 640);
    connect(&m_app, &ModZANT::resultsChanged, this, [this] {
        m_computedOn = m_app.today();
        refresh();
    });
    // The picture always belongs to the data as they are: drawn again at each change while on
    // screen, and when shown again otherwise.
    connect(&m_app, &ModZANT::projectChanged, this, [this] {
        if (isVisible())
            refresh();
    });
}

DiagramWindow::~DiagramWindow() = default;

const ScheduleResults* DiagramWindow::currentResults()
{
    auto fresh = m_app.freshResults();
    if (!fresh) {
        m_empty->setText(QStringLiteral("Nessun risultato da rappresentare: i dati non superano "
                                        "il controllo.\n\n") +
                         fresh.error().text);
        return nullptr;
    }
    m_empty->setText(QStringLiteral("Nessun risultato da rappresentare."));
    return fresh.value();
}

void DiagramWindow::showEvent(QShowEvent* event)
{
    refresh();
    QMainWindow::showEvent(event);
}

void DiagramWindow::refresh()
{
    const bool any = rebuild();
    // A window opened after the computation takes the day it opens.
    if (any && !m_computedOn.isValid())
        m_computedOn = m_app.today();
    auto* stack = static_cast<QStackedWidget*>(centralWidget());
    stack->setCurrentWidget(any ? static_cast<QWidget*>(m_scroll) : m_empty);
    for (QAction* a : m_toolbar->actions())
        if (!a->isSeparator() && a->objectName() != QLatin1String("modo"))
            a->setEnabled(any);
    m_formato->setEnabled(any);
    m_canvas->setPictureSize(any ? pictureSize() : QSizeF(1, 1));
    m_canvas->update();
}

void DiagramWindow::zoomIn()
{
    m_canvas->setZoom(m_canvas->zoom() * kZoomStep);
}

void DiagramWindow::zoomOut()
{
    m_canvas->setZoom(m_canvas->zoom() / kZoomStep);
}

void DiagramWindow::fitToWindow()
{
    const QSizeF picture = m_canvas->pictureSize();
    const QSize room = m_scroll->maximumViewportSize() - QSize(4, 4);
    if (picture.isEmpty() || room.isEmpty())
        return;
    m_canvas->setZoom(std::min(room.width() / picture.width(), room.height() / picture.height()));
}

void DiagramWindow::esporta_Click()
{
    static const std::optional<Sheet> kSheets[] = {std::nullopt, Sheet::A3, Sheet::A1,
                                                   Sheet::A0,    Sheet::A4, Sheet::A3};
    const int format = std::max(0, m_formato->currentIndex());
    PictureOutput output;
    output.sheet = kSheets[format];
    output.tiled = format >= 4;
    const QString suffix = output.sheet ? QStringLiteral(".pdf") : QStringLiteral(".png");
    output.path = m_app.dialogs().saveFileName(
        this, QStringLiteral("Esporta il disegno"),
        QStringLiteral("Immagine PNG | *.png|Immagine SVG | *.svg|Documento PDF | *.pdf"),
        output.sheet ? 3 : 1, exportBaseName() + suffix);
    if (output.path.isEmpty())
        return;
    if (QFileInfo(output.path).suffix().isEmpty())
        output.path += suffix;
    const Result<void> error = exportStandalone(
        output, pictureSize(), [this](QPainter& p) { paintPicture(p); }, titleBlock(),
        smallestText(), directSvg());
    if (!error.ok())
        m_app.dialogs().message(this, m_app.constants().messageTitle, error.error());
}

} // namespace zant
