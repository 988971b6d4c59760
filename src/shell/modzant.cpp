#include "shell/modzant.h"

namespace zant {

ModZANT::ModZANT(std::unique_ptr<Dialogs> dialogs, std::unique_ptr<DocumentOutput> output,
                 std::unique_ptr<MusicPlayer> music, OfficeSettings office)
    : office(std::move(office)), m_dialogs(std::move(dialogs)), m_output(std::move(output)),
      m_music(std::move(music))
{
    InitSharedConstants();
    InitMessageTitles();
}

ModZANT::~ModZANT()
{
    for (auto& [name, w] : m_windows) {
        if (w)
            delete w.data();
    }
}

void ModZANT::InitSharedConstants() { zant::InitSharedConstants(constants); }

void ModZANT::InitMessageTitles() { zant::InitMessageTitles(constants); }

void ModZANT::registerWindow(const QString& name, WindowFactory factory)
{
    m_factories[name] = std::move(factory);
}

QWidget* ModZANT::existingWindow(const QString& name) const
{
    const auto it = m_windows.find(name);
    return it == m_windows.end() ? nullptr : it->second.data();
}

QWidget* ModZANT::window(const QString& name)
{
    if (QWidget* w = existingWindow(name))
        return w;
    const auto factory = m_factories.find(name);
    if (factory == m_factories.end())
        return nullptr;
    QWidget* w = factory->second(*this);
    if (w) {
        w->setObjectName(name);
        w->setAttribute(Qt::WA_DeleteOnClose, false);
        m_windows[name] = w;
    }
    return w;
}

void ModZANT::showWindow(const QString& name)
{
    QWidget* w = window(name);
    if (!w)
        return;
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

void ModZANT::unloadWindow(const QString& name)
{
    const auto it = m_windows.find(name);
    if (it == m_windows.end())
        return;
    QPointer<QWidget> w = it->second;
    m_windows.erase(it);
    if (w) {
        // The exit commands unload their own window from inside its handlers: the window goes
        // when control is back in the event loop.
        w->hide();
        w->deleteLater();
    }
}

void ModZANT::ConfirmExit(QWidget* parent)
{
    if (!m_dialogs->question(parent, QStringLiteral("Attenzione: i dati non archiviati andranno "
                                                    "persi !"),
                             QStringLiteral("Vuoi uscire da ") + constants.productName +
                                 QStringLiteral("?"),
                             false))
        return;
    static const QString order[] = {
        win::dati,     win::sommario,         win::risultati,   win::frontespizio,
        win::manuale,  win::guidafunzionamento, win::guidastampa, win::guidadati,
        win::guidarisultati, win::guidafrontespizio, win::metodo, win::guidaschema,
        win::frmTip,   win::supportoclienti,  win::informa};
    for (const QString& name : order)
        unloadWindow(name);
    // A splash that was closed meanwhile is loaded anew, which starts its music; otherwise
    // the paused music resumes.
    const bool splashLoaded = isLoaded(win::frmSplash);
    showWindow(win::frmSplash);
    if (splashLoaded)
        m_music->play();
    emit splashReturned();
}

void setBackground(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QColor background(const QWidget* w) { return w->palette().color(QPalette::Window); }

void ModZANT::greyMainWindows()
{
    m_mainWindowsGrey = true;
    for (const QString& name : {win::dati, win::risultati, win::frontespizio}) {
        if (QWidget* w = existingWindow(name))
            setBackground(w, kLightGrey);
    }
}

void ModZANT::applyMainBackground(QWidget* mainWindow) const
{
    if (m_mainWindowsGrey)
        setBackground(mainWindow, kLightGrey);
}

void ModZANT::showMessage(QWidget* parent, const Message& message)
{
    m_dialogs->message(parent, constants.messageTitle, message);
}

} // namespace zant
