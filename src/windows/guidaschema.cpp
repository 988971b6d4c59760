#include "windows/guidaschema.h"

#include "report/example_network.h"
#include "report/help_documents.h"
#include "shell/modzant.h"

#include <QLabel>
#include <QPixmap>

#include <algorithm>

namespace zant {

guidaschema::guidaschema(ModZANT& app) : HelpWindowBase(app, win::guidaschema, 9600)
{
    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setAlignment(Qt::AlignCenter);
    m_image1->setAutoFillBackground(true);
    QPalette white = m_image1->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_image1->setPalette(white);
    // 603 x 363 pixels at the design scale.
    placeWidget(m_image1, 277, 420, 9045, 5445);
    Form_Load();
}

guidaschema::~guidaschema() = default;

void guidaschema::controlsResized()
{
    // Drawn again at the size the picture has now, so that it never blurs.
    const QSize area = m_image1->size();
    if (area.isEmpty())
        return;
    const qreal scale = std::min(qreal(area.width()) / kExampleNetworkSize.width(),
                                 qreal(area.height()) / kExampleNetworkSize.height());
    const qreal ratio = devicePixelRatioF();
    QPixmap picture = QPixmap::fromImage(drawExampleNetwork(scale * ratio));
    picture.setDevicePixelRatio(ratio);
    m_image1->setPixmap(picture);
}

void guidaschema::cmdstampa_Click()
{
    showPrintOutcome(printNetworkExample(m_app.output(), m_app.constants()));
}

} // namespace zant
