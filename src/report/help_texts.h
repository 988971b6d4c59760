#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

namespace zant {

// The title and the body of one page of the on-line guide.
struct HelpTopic
{
    QString title;
    QString body;
};

// The seven text pages of the guide, by the name of the window that shows each: "manuale",
// "guidafunzionamento", "guidastampa", "guidadati", "guidarisultati", "guidafrontespizio",
// "metodo". The texts are resources of this library, so the printed guide needs no window.
// Paragraphs of a body are separated by a line feed.
const QMap<QString, HelpTopic>& helpTopics();

// Those names in the order in which the printed guide runs.
const QStringList& guideTopicOrder();

} // namespace zant
