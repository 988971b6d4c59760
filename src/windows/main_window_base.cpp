#include "windows/main_window_base.h"

#include "shell/twips.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QToolBar>

namespace zant {

namespace {

// The design layout puts the toolbar in the top 480 twips of the client area; here the toolbar
// belongs to the main window, so the controls move up by that much.
constexpr int kToolbarTwips = 480;
constexpr int kDesignClientWidth = 9480;
constexpr int kDesignClientHeight = 5700;
constexpr int kDesignWidth = 9600;
constexpr int kDesignHeight = 6825;

struct MainWindowName
{
    const QString* window;
    const char* label;
    const QString* guide;
};

// The three main windows in the order of their numbers ("Fi&nestra n.1 di 3" ...).
const MainWindowName kMainWindows[] = {
    {&win::dati, "Dati", &win::guidadati},
    {&win::risultati, "Risultati", &win::guidarisultati},
    {&win::frontespizio, "Frontespizio", &win::guidafrontespizio}};

} // namespace

MainWindowBase::MainWindowBase(ModZANT& app, const QString& caption, QWidget* parent)
    : QMainWindow(parent), m_app(app)
{
    // The caption alone, with the mark of unsaved changes.
    setWindowTitle(caption + QStringLiteral("[*]"));
    setWindowModified(app.isModified());
    connect(&app, &ModZANT::modifiedChanged, this, &QWidget::setWindowModified);
    m_central = new QWidget(this);
    m_central->setMouseTracking(true);
    setFontScale(1.0);
    setCentralWidget(m_central);
    m_central->resize(twipsToPixels(kDesignClientWidth, this),
                      twipsToPixels(kDesignClientHeight, this));
    // Below its design size the captions would no longer fit their controls.
    m_central->setMinimumSize(m_central->size());
    m_central->installEventFilter(this);

    m_passo = new QLabel(m_central);
    m_passo->setObjectName(QStringLiteral("passo"));
    m_passo->setWordWrap(true);
    m_passo->setFrameShape(QFrame::Panel);
    m_passo->setFrameShadow(QFrame::Sunken);
    m_passo->setAutoFillBackground(true);
    QPalette yellow = m_passo->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 192));
    m_passo->setPalette(yellow);
    m_passo->setToolTip(
        QStringLiteral("indicazioni sulla corretta procedura di immissione dei dati"));
    app.applyMainBackground(this);
}

MainWindowBase::~MainWindowBase() = default;

void MainWindowBase::setFontScale(double scale)
{
    if (scale == m_fontScale)
        return;
    m_fontScale = scale;
    // The layouts were drawn for the small dialog font of the offices' machines; narrow buttons
    // and frames keep their captions whole with little padding and a smaller frame title.
    m_central->setStyleSheet(
        QStringLiteral("QWidget { font-family: \"Liberation Sans\", Arial, sans-serif; "
                       "font-size: %1pt; } "
                       "QPushButton { padding: 1px 2px; } "
                       "QGroupBox { font-size: %2pt; }")
            .arg(8 * scale, 0, 'f', 1)
            .arg(7 * scale, 0, 'f', 1));
}

void MainWindowBase::placeWidget(QWidget* widget, int left, int top, int width, int height)
{
    if (widget->parentWidget() == nullptr)
        widget->setParent(m_central);
    widget->setGeometry(twipsRect(left, top - kToolbarTwips, width, height, this));
}

QAction* MainWindowBase::menuItem(QMenu* menu, const QString& name, const QString& caption,
                                  std::function<void()> handler)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (handler)
        connect(action, &QAction::triggered, this, [handler] { handler(); });
    return action;
}

void MainWindowBase::enableIfAvailable(QAction* action, const QString& window)
{
    action->setEnabled(m_app.hasWindow(window));
}

void MainWindowBase::addViewMenu(const WindowItems& names, int ownNumber)
{
    m_ownNumber = ownNumber;
    QMenu* visu = menuBar()->addMenu(QStringLiteral("&Visualizza"));
    visu->setObjectName(QStringLiteral("visu"));
    const QString itemNames[] = {names.datiName, names.risultatiName, names.frontespizioName};
    for (int i = 0; i < 3; ++i) {
        if (i == 2)
            visu->addSeparator();
        const MainWindowName& target = kMainWindows[i];
        const bool own = i + 1 == ownNumber;
        QAction* item = menuItem(visu, itemNames[i],
                                 QStringLiteral("Finestra ") + QString::fromLatin1(target.label),
                                 [this, own, &target] {
                                     if (own)
                                         askOwnGuide();
                                     else
                                         m_app.showWindow(*target.window);
                                 });
        if (own) {
            item->setCheckable(true);
            item->setChecked(true);
        }
        enableIfAvailable(item, own ? *target.guide : *target.window);
    }
}

void MainWindowBase::addHelpMenu(const QString& menuName, const QString& tipsName)
{
    QMenu* help = menuBar()->addMenu(QStringLiteral("&?"));
    help->setObjectName(menuName);
    enableIfAvailable(menuItem(help, QStringLiteral("guida"), QStringLiteral("&Guida in linea"),
                               [this] { m_app.showWindow(win::sommario); }),
                      win::sommario);
    enableIfAvailable(menuItem(help, tipsName, QStringLiteral("&Suggerimenti..."),
                               [this] { m_app.showWindow(win::frmTip); }),
                      win::frmTip);
    help->addSeparator();
    enableIfAvailable(menuItem(help, QStringLiteral("supporto"),
                               QStringLiteral("Supporto &prodotto"),
                               [this] { m_app.showWindow(win::supportoclienti); }),
                      win::supportoclienti);
    help->addSeparator();
    enableIfAvailable(menuItem(help, QStringLiteral("informazioni"),
                               QStringLiteral("&Informazioni su ZANT"),
                               [this] { m_app.showWindow(win::informa); }),
                      win::informa);
}

void MainWindowBase::addWindowItem(int ownNumber)
{
    m_ownNumber = ownNumber;
    // A second menu bar in the right-hand corner keeps the item at the right end, however wide
    // the window is.
    auto* corner = new QMenuBar(menuBar());
    const QString guide = *kMainWindows[ownNumber - 1].guide;
    QAction* item = corner->addAction(QStringLiteral("Fi&nestra n.%1 di 3").arg(ownNumber));
    item->setObjectName(QStringLiteral("finestra"));
    connect(item, &QAction::triggered, this, [this, guide] { showGuide(guide); });
    enableIfAvailable(item, guide);
    menuBar()->setCornerWidget(corner, Qt::TopRightCorner);
}

void MainWindowBase::buildToolbar(const QStringList& toolTips, std::function<void(int)> onClick)
{
    m_toolbarHandler = std::move(onClick);
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(20, 20));
    for (int i = 0; i < toolTips.size(); ++i) {
        if (toolTips[i].isEmpty()) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction* button = m_toolbar->addAction(toolbarIcon(toolTips[i]), toolTips[i]);
        button->setObjectName(QStringLiteral("Toolbar1_%1").arg(i + 1));
        button->setToolTip(toolTips[i]);
        const int index = i + 1;
        connect(button, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
    }
}

QStringList MainWindowBase::toolbarTips(const QString& openTip)
{
    return {openTip,
            QStringLiteral("salva file"),
            QStringLiteral("elimina file"),
            QStringLiteral("stampa dati finestra"),
            QString(),
            QStringLiteral("visualizza finestra 'Dati'"),
            QStringLiteral("visualizza finestra 'Risultati'"),
            QStringLiteral("visualizza finestra 'Frontespizio'"),
            QString(),
            QStringLiteral("colore di sfondo"),
            QString(),
            QStringLiteral("guida in linea"),
            QStringLiteral("suggerimenti"),
            QStringLiteral("supporto prodotto"),
            QStringLiteral("informazioni su ZANT"),
            QString(),
            QStringLiteral("controllo dati immessi"),
            QStringLiteral("cancella dati finestra"),
            QStringLiteral("uscita da ZANT")};
}

void MainWindowBase::enableToolbarPositions(std::initializer_list<std::pair<int, QString>> windows)
{
    for (const auto& [position, window] : windows) {
        if (auto* action = findChild<QAction*>(QStringLiteral("Toolbar1_%1").arg(position)))
            enableIfAvailable(action, window);
    }
}

void MainWindowBase::addButtons(std::initializer_list<ButtonSpec> buttons, int top, int width,
                                int height)
{
    for (const ButtonSpec& b : buttons) {
        auto* button =
            place(new QPushButton(QString::fromUtf8(b.caption)), b.left, top, width, height);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setToolTip(QString::fromUtf8(b.toolTip));
        connect(button, &QPushButton::clicked, this, b.handler);
        if (b.needs)
            button->setEnabled(m_app.hasWindow(*b.needs));
    }
}

void MainWindowBase::Toolbar1_ButtonClick(int index)
{
    switch (index) {
    case 6:
    case 7:
    case 8:
        if (index - 5 == m_ownNumber)
            askOwnGuide();
        else
            m_app.showWindow(*kMainWindows[index - 6].window);
        return;
    case 10:
        colorare_Click();
        return;
    case 12:
        m_app.showWindow(win::sommario);
        return;
    case 13:
        m_app.showWindow(win::frmTip);
        return;
    case 14:
        m_app.showWindow(win::supportoclienti);
        return;
    case 15:
        m_app.showWindow(win::informa);
        return;
    default:
        if (m_toolbarHandler)
            m_toolbarHandler(index);
    }
}

void MainWindowBase::askOwnGuide()
{
    if (m_ownNumber < 1 || m_ownNumber > 3)
        return;
    const MainWindowName& own = kMainWindows[m_ownNumber - 1];
    const QString& title =
        m_ownNumber == 1 ? m_app.constants.productName : m_app.constants.helpTitle;
    if (m_app.dialogs().question(this, title,
                                 QStringLiteral("E' questa la finestra '") +
                                     QString::fromLatin1(own.label) +
                                     QStringLiteral("': si vuole la guida della finestra?"),
                                 true))
        showGuide(*own.guide);
}

void MainWindowBase::showGuide(const QString& guide)
{
    m_app.showWindow(guide);
}

void MainWindowBase::colorare_Click()
{
    if (background(this) != kLightGrey &&
        m_app.dialogs().question(this, QStringLiteral("ZANT: colore di sfondo"),
                                 QStringLiteral("Colori uguali e riposanti (grigio) per tutte le "
                                                "finestre?"),
                                 true)) {
        m_app.greyMainWindows();
        return;
    }
    if (auto colour = m_app.dialogs().color(this, m_app.lastColor)) {
        m_app.lastColor = *colour;
        setBackground(this, *colour);
    }
}

void MainWindowBase::applyDesignSize()
{
    m_resize.setSourceForm(this);
    m_resize.SizeFormToScreen(75);
    resize(twipsToPixels(kDesignWidth, this), twipsToPixels(kDesignHeight, this));
}

void MainWindowBase::say(const Message& message)
{
    m_app.showMessage(this, message);
}

void MainWindowBase::deleteChosenFile(const QString& filters)
{
    const QString path =
        m_app.dialogs().openFileName(this, m_app.constants.deleteDialogTitle, filters, 2);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.moveToTrash() && !file.remove())
        say(critical(QStringLiteral("Impossibile eliminare il file \"%1\": %2.")
                         .arg(QDir::toNativeSeparators(path), file.errorString())));
}

bool MainWindowBase::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_central && event->type() == QEvent::Resize) {
        // Fonts grow with the smaller of the two ratios, in steps, so that captions that fit at
        // the design size fit at every larger one.
        const double ratio =
            std::min(m_central->width() / double(twipsToPixels(kDesignClientWidth, this)),
                     m_central->height() / double(twipsToPixels(kDesignClientHeight, this)));
        setFontScale(std::max(1.0, std::floor(ratio * 10) / 10));
        m_resize.ResizeControls();
    }
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched)) {
        // The window's history undoes typing, one box at a time; the box's own undo would
        // change the text behind the project's back.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) ||
            key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z)) {
            event->ignore();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindowBase::addUndoItems(QMenu* modif)
{
    QAction* first = modif->actions().value(0);
    auto* undo = new QAction(QStringLiteral("Annulla"), modif);
    undo->setObjectName(QStringLiteral("annulla"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setEnabled(m_app.undoStack().canUndo());
    connect(undo, &QAction::triggered, &m_app, &ModZANT::undo);
    connect(&m_app.undoStack(), &QUndoStack::canUndoChanged, undo, &QAction::setEnabled);
    auto* redo = new QAction(QStringLiteral("Ripeti"), modif);
    redo->setObjectName(QStringLiteral("ripeti"));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redo->setEnabled(m_app.undoStack().canRedo());
    connect(redo, &QAction::triggered, &m_app, &ModZANT::redo);
    connect(&m_app.undoStack(), &QUndoStack::canRedoChanged, redo, &QAction::setEnabled);
    modif->insertAction(first, undo);
    modif->insertAction(first, redo);
    if (first)
        modif->insertSeparator(first);
}

void MainWindowBase::finishCommands(const QString& printItem, const QString& exitItem)
{
    const auto shortcut = [this](const QString& name, const QKeySequence& keys) {
        if (auto* action = findChild<QAction*>(name))
            action->setShortcut(keys);
    };
    shortcut(QStringLiteral("apri"), QKeySequence(Qt::CTRL | Qt::Key_O));
    shortcut(QStringLiteral("salva"), QKeySequence(Qt::CTRL | Qt::Key_S));
    shortcut(QStringLiteral("salvanome"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    shortcut(printItem, QKeySequence(Qt::CTRL | Qt::Key_P));
    shortcut(exitItem, QKeySequence(Qt::CTRL | Qt::Key_Q));
    // The right-hand item lives in a menu bar of its own: its shortcut is set on it there.
    if (auto* corner = menuBar()->cornerWidget(Qt::TopRightCorner)) {
        for (QAction* action : corner->actions()) {
            action->setShortcut(QKeySequence(Qt::Key_F1));
            action->setShortcutContext(Qt::WindowShortcut);
        }
    }
    for (auto* edit : m_central->findChildren<QLineEdit*>())
        edit->installEventFilter(this);
    for (auto* b : m_central->findChildren<QPushButton*>())
        b->setAccessibleName(QString(b->text()).remove(QLatin1Char('&')));
}

QPushButton* MainWindowBase::button(const char* name) const
{
    return m_central->findChild<QPushButton*>(QString::fromLatin1(name));
}

void MainWindowBase::closeEvent(QCloseEvent* event)
{
    if (ModZANT::isLastOpenWindow(this) && !m_app.maybeSaveChanges(this)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindowBase::showEvent(QShowEvent* event)
{
    if (!m_placed) {
        m_placed = true;
        m_app.placeMainWindow(this);
    }
    QMainWindow::showEvent(event);
}

namespace {

QPixmap canvas(int size = 40)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawLetters(QPainter& p, const QString& text, const QColor& colour, int pointSize)
{
    QFont f(QStringLiteral("Sans Serif"));
    f.setBold(true);
    f.setPixelSize(pointSize);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(QRect(0, 0, 40, 40), Qt::AlignCenter, text);
}

void drawWindow(QPainter& p, const QColor& bar, const QString& mark)
{
    p.setPen(QPen(QColor(40, 40, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(5, 7, 30, 26);
    p.fillRect(6, 8, 29, 6, bar);
    drawLetters(p, mark, QColor(40, 40, 60), 16);
}

} // namespace

QIcon toolbarIcon(const QString& toolTip)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(40, 40, 60);
    if (toolTip.startsWith(QLatin1String("apri"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(4, 12, 32, 22);
        p.setBrush(QColor(250, 220, 120));
        p.drawPolygon(QPolygon({QPoint(4, 34), QPoint(10, 18), QPoint(38, 18), QPoint(32, 34)}));
    } else if (toolTip.startsWith(QLatin1String("salva"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(70, 100, 170));
        p.drawRect(6, 6, 28, 28);
        p.fillRect(12, 7, 16, 10, Qt::white);
        p.fillRect(11, 23, 18, 10, QColor(200, 200, 210));
    } else if (toolTip.startsWith(QLatin1String("elimina"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(220, 220, 225));
        p.drawRect(10, 10, 20, 26);
        p.drawLine(7, 10, 33, 10);
        p.drawLine(16, 6, 24, 6);
        p.setPen(QPen(QColor(190, 30, 30), 3));
        p.drawLine(14, 16, 26, 30);
        p.drawLine(26, 16, 14, 30);
    } else if (toolTip.startsWith(QLatin1String("stampa"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(Qt::white);
        p.drawRect(11, 4, 18, 14);
        p.setBrush(QColor(150, 150, 160));
        p.drawRect(4, 16, 32, 14);
        p.setBrush(Qt::white);
        p.drawRect(11, 26, 18, 10);
    } else if (toolTip.contains(QLatin1String("'Dati'"))) {
        drawWindow(p, QColor(60, 120, 200), QStringLiteral("D"));
    } else if (toolTip.contains(QLatin1String("'Risultati'"))) {
        drawWindow(p, QColor(60, 160, 90), QStringLiteral("R"));
    } else if (toolTip.contains(QLatin1String("'Frontespizio'"))) {
        drawWindow(p, QColor(190, 110, 40), QStringLiteral("F"));
    } else if (toolTip.startsWith(QLatin1String("colore"))) {
        const QColor colours[] = {QColor(220, 50, 50), QColor(50, 160, 60), QColor(50, 90, 210),
                                  QColor(240, 200, 40)};
        for (int i = 0; i < 4; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(colours[i]);
            p.drawEllipse(QPoint(i % 2 ? 26 : 14, i < 2 ? 14 : 26), 9, 9);
        }
    } else if (toolTip.startsWith(QLatin1String("guida"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(90, 140, 210));
        p.drawEllipse(5, 5, 30, 30);
        drawLetters(p, QStringLiteral("?"), Qt::white, 22);
    } else if (toolTip.startsWith(QLatin1String("suggerimenti"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(255, 230, 90));
        p.drawEllipse(10, 4, 20, 20);
        p.setBrush(QColor(160, 160, 170));
        p.drawRect(14, 24, 12, 10);
    } else if (toolTip.startsWith(QLatin1String("supporto"))) {
        p.setPen(QPen(ink, 3));
        p.setBrush(Qt::NoBrush);
        p.drawArc(8, 6, 24, 24, 0, 180 * 16);
        p.setBrush(ink);
        p.drawRect(6, 18, 6, 12);
        p.drawRect(28, 18, 6, 12);
    } else if (toolTip.startsWith(QLatin1String("informazioni"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(60, 140, 90));
        p.drawEllipse(5, 5, 30, 30);
        drawLetters(p, QStringLiteral("i"), Qt::white, 22);
    } else if (toolTip.startsWith(QLatin1String("controllo"))) {
        drawLetters(p, QStringLiteral("ABC"), QColor(30, 100, 40), 14);
        p.setPen(QPen(QColor(30, 140, 50), 3));
        p.drawPolyline(QPolygon({QPoint(10, 32), QPoint(16, 37), QPoint(30, 27)}));
    } else if (toolTip.startsWith(QLatin1String("cancella"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(250, 170, 180));
        p.drawPolygon(QPolygon({QPoint(6, 26), QPoint(20, 8), QPoint(34, 18), QPoint(22, 34)}));
        p.drawLine(4, 36, 36, 36);
    } else if (toolTip.startsWith(QLatin1String("uscita"))) {
        p.setPen(QPen(ink, 2));
        p.setBrush(QColor(160, 110, 70));
        p.drawRect(8, 4, 18, 32);
        p.setPen(QPen(QColor(190, 30, 30), 3));
        p.drawLine(22, 20, 36, 20);
        p.drawLine(31, 15, 36, 20);
        p.drawLine(31, 25, 36, 20);
    }
    return QIcon(pixmap);
}

QIcon deleteRowIcon()
{
    QPixmap pixmap = canvas(16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(190, 30, 30), 2.5));
    p.drawLine(4, 4, 12, 12);
    p.drawLine(12, 4, 4, 12);
    return QIcon(pixmap);
}

} // namespace zant
