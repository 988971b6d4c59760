#include "windows/main_window_base.h"

#include "shell/twips.h"
#include "windows/window_style.h"

#include <algorithm>
#include <cmath>

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
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
    m_caption = caption;
    updateTitle();
    setWindowModified(app.isModified());
    connect(&app, &ModZANT::modifiedChanged, this, &QWidget::setWindowModified);
    connect(&app, &ModZANT::dataFileChanged, this, &MainWindowBase::updateTitle);
    connect(&app, &ModZANT::statusNote, this,
            [this](const QString& text) { statusBar()->showMessage(text, 20000); });
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
    yellow.setColor(QPalette::Window, kGuidanceColour);
    m_passo->setPalette(yellow);
    m_passo->setToolTip(
        QStringLiteral("indicazioni sulla corretta procedura di immissione dei dati"));
    app.applyMainBackground(this);
}

MainWindowBase::~MainWindowBase() = default;

void MainWindowBase::updateTitle()
{
    const QString file = m_app.currentDataFile();
    setWindowTitle(
        m_caption + QStringLiteral(" - ") +
        (file.isEmpty() ? QStringLiteral("nuovo progetto") : QFileInfo(file).fileName()) +
        QStringLiteral("[*]"));
}

void MainWindowBase::showScheduleSummary()
{
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("riepilogo"));
    m_summary->setAccessibleName(QStringLiteral("Riepilogo del programma dei lavori"));
    m_summary->setToolTip(QStringLiteral("data di fine lavori, durata e percorso critico dei dati "
                                         "attuali"));
    statusBar()->addPermanentWidget(m_summary);
    connect(&m_app, &ModZANT::projectChanged, this, &MainWindowBase::updateSummary);
    connect(&m_app, &ModZANT::resultsChanged, this, &MainWindowBase::updateSummary);
    updateSummary();
}

void MainWindowBase::updateSummary()
{
    const auto fresh = m_app.freshResults();
    m_summary->setText(fresh ? scheduleSummary(*fresh.value()) : QString());
}

void MainWindowBase::growRowsAbove(int firstBelowTwips)
{
    m_firstBelowTwips = firstBelowTwips;
    // Controls inside frames keep their height too.
    m_resize.defaultTag = QStringLiteral("@L,W");
}

void MainWindowBase::widenDesign(int twips)
{
    m_extraDesignWidth = twips;
    m_central->setMinimumSize(0, 0);
    m_central->resize(twipsToPixels(kDesignClientWidth + twips, this),
                      twipsToPixels(kDesignClientHeight, this));
    m_central->setMinimumSize(m_central->size());
}

int MainWindowBase::extraRows(int pitchTwips) const
{
    const double extra = pixelsToTwips(m_central->height(), m_central) - kDesignClientHeight;
    return extra > 0 ? static_cast<int>(extra / pitchTwips) : 0;
}

int MainWindowBase::designTop(int topTwips) const
{
    return twipsToPixels(topTwips - kToolbarTwips, m_central);
}

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
                       "QGroupBox { font-size: %2pt; } "
                       "QLabel[critico=\"true\"] { color: #c00000; font-weight: bold; }")
            .arg(8 * scale, 0, 'f', 1)
            .arg(7 * scale, 0, 'f', 1));
}

void MainWindowBase::placeWidget(QWidget* widget, int left, int top, int width, int height)
{
    if (widget->parentWidget() == nullptr)
        widget->setParent(m_central);
    widget->setGeometry(twipsRect(left, top - kToolbarTwips, width, height, this));
    if (m_firstBelowTwips > 0)
        widget->setProperty("Tag", top >= m_firstBelowTwips ? QStringLiteral("@L,W,B")
                                                            : QStringLiteral("@L,W"));
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

QMenu* MainWindowBase::addMenu(const char* name, const char* caption,
                               std::initializer_list<MenuEntry> entries)
{
    QMenu* top = menuBar()->addMenu(QString::fromUtf8(caption));
    top->setObjectName(QString::fromLatin1(name));
    QMenu* menu = top;
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Separator:
            menu->addSeparator();
            break;
        case MenuEntry::Submenu:
            menu = top->addMenu(QString::fromUtf8(entry.caption));
            menu->setObjectName(QString::fromLatin1(entry.name));
            break;
        case MenuEntry::EndSubmenu:
            menu = top;
            break;
        case MenuEntry::Item: {
            QAction* action = menuItem(menu, QString::fromLatin1(entry.name),
                                       QString::fromUtf8(entry.caption), entry.handler);
            action->setEnabled(static_cast<bool>(entry.handler));
            if (!entry.shortcut.isEmpty())
                action->setShortcut(entry.shortcut);
            break;
        }
        }
    }
    return top;
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
    visu->addSeparator();
    enableIfAvailable(menuItem(visu, QStringLiteral("visreticolo"), QStringLiteral("&Reticolo"),
                               [this] { m_app.showWindow(win::reticolo); }),
                      win::reticolo);
    enableIfAvailable(menuItem(visu, QStringLiteral("visgantt"),
                               QStringLiteral("Diagramma di &Gantt"),
                               [this] { m_app.showWindow(win::gantt); }),
                      win::gantt);
    enableIfAvailable(menuItem(visu, QStringLiteral("viscronoeconomico"),
                               QStringLiteral("Cronoprogramma &economico"),
                               [this] { m_app.showWindow(win::cronoeconomico); }),
                      win::cronoeconomico);
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

namespace {

// The tool-tips of the toolbar, by position; an empty one is a separator.
QString toolbarTip(ToolbarButton button, const QString& openTip)
{
    switch (button) {
    case ToolbarButton::Apri:
        return openTip;
    case ToolbarButton::Salva:
        return QStringLiteral("salva file");
    case ToolbarButton::Elimina:
        return QStringLiteral("elimina file");
    case ToolbarButton::Stampa:
        return QStringLiteral("stampa dati finestra");
    case ToolbarButton::Dati:
        return QStringLiteral("visualizza finestra 'Dati'");
    case ToolbarButton::Risultati:
        return QStringLiteral("visualizza finestra 'Risultati'");
    case ToolbarButton::Frontespizio:
        return QStringLiteral("visualizza finestra 'Frontespizio'");
    case ToolbarButton::Colore:
        return QStringLiteral("colore di sfondo");
    case ToolbarButton::Guida:
        return QStringLiteral("guida in linea");
    case ToolbarButton::Suggerimenti:
        return QStringLiteral("suggerimenti");
    case ToolbarButton::Supporto:
        return QStringLiteral("supporto prodotto");
    case ToolbarButton::Informazioni:
        return QStringLiteral("informazioni su ZANT");
    case ToolbarButton::Controllo:
        return QStringLiteral("controllo dati immessi");
    case ToolbarButton::Cancella:
        return QStringLiteral("cancella dati finestra");
    case ToolbarButton::Uscita:
        return QStringLiteral("uscita da ZANT");
    case ToolbarButton::Calendario:
        return QStringLiteral("calendario del progetto");
    case ToolbarButton::Separator1:
    case ToolbarButton::Separator2:
    case ToolbarButton::Separator3:
    case ToolbarButton::Separator4:
        break;
    }
    return QString();
}

// The window a shared position opens, or none for the window's own commands.
const QString* toolbarWindow(ToolbarButton button)
{
    switch (button) {
    case ToolbarButton::Dati:
    case ToolbarButton::Risultati:
    case ToolbarButton::Frontespizio:
        return kMainWindows[static_cast<int>(button) - static_cast<int>(ToolbarButton::Dati)]
            .window;
    case ToolbarButton::Guida:
        return &win::sommario;
    case ToolbarButton::Suggerimenti:
        return &win::frmTip;
    case ToolbarButton::Supporto:
        return &win::supportoclienti;
    case ToolbarButton::Informazioni:
        return &win::informa;
    default:
        return nullptr;
    }
}

} // namespace

void MainWindowBase::buildToolbar(std::initializer_list<ToolbarAction> actions,
                                  const QString& openTip)
{
    for (const ToolbarAction& action : actions)
        m_toolbarHandlers[action.button] = action.handler;
    m_toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(20, 20));
    for (const ToolbarButton position : kToolbarOrder) {
        const int index = static_cast<int>(position);
        const QString tip = toolbarTip(position, openTip);
        if (tip.isEmpty()) {
            m_toolbar->addSeparator();
            continue;
        }
        QAction* button = m_toolbar->addAction(toolbarIcon(position), tip);
        button->setObjectName(QStringLiteral("Toolbar1_%1").arg(index));
        button->setToolTip(tip);
        connect(button, &QAction::triggered, this, [this, index] { Toolbar1_ButtonClick(index); });
        if (const QString* window = toolbarWindow(position)) {
            const int main = index - static_cast<int>(ToolbarButton::Dati) + 1;
            enableIfAvailable(button,
                              main == m_ownNumber ? *kMainWindows[main - 1].guide : *window);
        } else if (position != ToolbarButton::Colore) {
            button->setEnabled(m_toolbarHandlers.count(position) > 0);
        }
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
    const auto position = static_cast<ToolbarButton>(index);
    switch (position) {
    case ToolbarButton::Dati:
    case ToolbarButton::Risultati:
    case ToolbarButton::Frontespizio:
        if (index - static_cast<int>(ToolbarButton::Dati) + 1 == m_ownNumber)
            askOwnGuide();
        else
            m_app.showWindow(*toolbarWindow(position));
        return;
    case ToolbarButton::Colore:
        colorare_Click();
        return;
    case ToolbarButton::Guida:
    case ToolbarButton::Suggerimenti:
    case ToolbarButton::Supporto:
    case ToolbarButton::Informazioni:
        m_app.showWindow(*toolbarWindow(position));
        return;
    default:
        if (const auto handler = m_toolbarHandlers.find(position);
            handler != m_toolbarHandlers.end())
            handler->second();
    }
}

void MainWindowBase::askOwnGuide()
{
    if (m_ownNumber < 1 || m_ownNumber > 3)
        return;
    const MainWindowName& own = kMainWindows[m_ownNumber - 1];
    const QString& title =
        m_ownNumber == 1 ? m_app.constants().productName : m_app.constants().helpTitle;
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
    if (auto colour = m_app.dialogs().color(this, m_app.lastColor())) {
        m_app.setLastColor(*colour);
        setBackground(this, *colour);
    }
}

void MainWindowBase::applyDesignSize()
{
    m_resize.setSourceForm(this);
    m_resize.SizeFormToScreen(75);
    resize(twipsToPixels(kDesignWidth + m_extraDesignWidth, this),
           twipsToPixels(kDesignHeight, this));
}

void MainWindowBase::say(const Message& message)
{
    m_app.showMessage(this, message);
}

void MainWindowBase::deleteChosenFile(const QString& filters)
{
    const QString path =
        m_app.dialogs().openFileName(this, m_app.constants().deleteDialogTitle, filters, 2);
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
            std::min(m_central->width() /
                         double(twipsToPixels(kDesignClientWidth + m_extraDesignWidth, this)),
                     m_central->height() / double(twipsToPixels(kDesignClientHeight, this)));
        // Windows that add rows keep their fonts, as they keep the rows' height.
        if (m_firstBelowTwips == 0)
            setFontScale(std::max(1.0, std::floor(ratio * 10) / 10));
        m_resize.ResizeControls();
        layoutRows();
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
    modif->addSeparator();
    enableIfAvailable(menuItem(modif, QStringLiteral("impostazioni"),
                               QStringLiteral("&Impostazioni dello studio..."),
                               [this] { m_app.showWindow(win::impostazioni); }),
                      win::impostazioni);
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
    // Closing the last main window is leaving the program: one way out for every window.
    if (m_app.isLastMainWindow(this)) {
        event->ignore();
        m_app.ConfirmExit(this);
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

} // namespace zant
