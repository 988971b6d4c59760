#include "shell/cls_resize.h"

#include "shell/twips.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>

#include <cmath>

namespace zant {

clsResize::clsResize()
{
    screenSizeTwips = [this] {
        const QScreen* screen =
            m_form && m_form->screen() ? m_form->screen() : QGuiApplication::primaryScreen();
        const QSize px = screen ? screen->availableGeometry().size() : QSize(1024, 768);
        return QSize(static_cast<int>(std::lround(pixelsToTwips(px.width(), m_form))),
                     static_cast<int>(std::lround(pixelsToTwips(px.height(), m_form))));
    };
}

clsResize::~clsResize()
{
    m_controlTable.clear();
    m_form = nullptr;
}

void clsResize::setSourceForm(QWidget* form)
{
    m_form = form;
}

QWidget* clsResize::clientArea() const
{
    if (auto* main = qobject_cast<QMainWindow*>(m_form.data()))
        return main->centralWidget();
    return m_form;
}

void clsResize::RecordLayout()
{
    QWidget* client = clientArea();
    if (!client)
        return;
    const auto twips = [&](int px) {
        return static_cast<int>(std::lround(pixelsToTwips(px, client)));
    };
    m_designWidth = twips(client->width());
    m_designHeight = twips(client->height());
    m_controlTable.clear();
    for (QWidget* control : client->findChildren<QWidget*>()) {
        // A control placed by its frame's layout (the options of a group) follows the frame;
        // scaling it as well would fight the layout and pile the options on one spot.
        const QWidget* parent = control->parentWidget();
        if (parent != client && parent->layout() && parent->layout()->indexOf(control) >= 0)
            continue;
        const QRect g = control->geometry();
        m_controlTable.push_back(
            {control, {twips(g.x()), twips(g.y()), twips(g.width()), twips(g.height())}});
    }
    m_needsLayout = false;
}

void clsResize::SizeFormToScreen(int percentage)
{
    if (!m_form)
        return;
    if (m_needsLayout)
        RecordLayout();
    const QSize screen = screenSizeTwips();
    const int height = static_cast<int>(std::floor(percentage / 100.0 * screen.height()));
    const int width = static_cast<int>(std::floor(percentage / 100.0 * screen.width()));
    const int top = (screen.height() - height) / 2;
    const int left = (screen.width() - width) / 2;
    m_form->move(twipsToPixels(left, m_form), twipsToPixels(top, m_form));
    m_form->resize(twipsToPixels(width, m_form), twipsToPixels(height, m_form));
    ResizeControls();
}

void clsResize::ResizeControls()
{
    QWidget* client = clientArea();
    if (!m_form || !client || m_form->isMinimized())
        return;
    if (m_needsLayout) {
        RecordLayout();
        return;
    }
    if (m_controlTable.empty() || m_designWidth == 0 || m_designHeight == 0)
        return;

    m_form->setUpdatesEnabled(false);
    const double ratioY = pixelsToTwips(client->height(), client) / m_designHeight;
    const double ratioX = pixelsToTwips(client->width(), client) / m_designWidth;
    const double grownTwips = pixelsToTwips(client->height(), client) - m_designHeight;
    for (const ControlLayout& entry : m_controlTable) {
        QWidget* control = entry.control;
        if (!control)
            continue;
        const QVariant own = control->property("Tag");
        QString tag = own.isValid() ? own.toString() : defaultTag;
        if (!tag.startsWith(QLatin1Char('@')))
            tag = QStringLiteral("@L,T,W,H");
        // A value the tag leaves out keeps its design value.
        const auto value = [&](QChar letter, int index, double ratio) {
            const double twips = entry.values[index] * (tag.contains(letter) ? ratio : 1.0);
            return twipsToPixels(twips, control);
        };
        const int top = tag.contains(QLatin1Char('B'))
                            ? twipsToPixels(entry.values[1] + grownTwips, control)
                            : value(QLatin1Char('T'), 1, ratioY);
        control->setGeometry(value(QLatin1Char('L'), 0, ratioX), top,
                             value(QLatin1Char('W'), 2, ratioX),
                             value(QLatin1Char('H'), 3, ratioY));
    }
    m_form->setUpdatesEnabled(true);
}

} // namespace zant
