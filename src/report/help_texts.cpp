#include "report/help_texts.h"

#include <QFile>

namespace zant {

namespace {

// A text file of the guide: the first line is the title, the remaining lines the paragraphs.
HelpTopic readTopic(const QString& name)
{
    QFile file(QStringLiteral(":/help/") + name + QStringLiteral(".txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.remove(QLatin1Char('\r'));
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    HelpTopic topic;
    topic.title = text.left(end).trimmed();
    QStringList paragraphs;
    if (end >= 0) {
        for (const QString& line : text.mid(end + 1).split(QLatin1Char('\n'))) {
            if (!line.trimmed().isEmpty())
                paragraphs << line.trimmed();
        }
    }
    topic.body = paragraphs.join(QLatin1Char('\n'));
    return topic;
}

} // namespace

const QStringList& guideTopicOrder()
{
    static const QStringList order{
        QStringLiteral("manuale"),        QStringLiteral("guidafunzionamento"),
        QStringLiteral("guidastampa"),    QStringLiteral("guidadati"),
        QStringLiteral("guidarisultati"), QStringLiteral("guidafrontespizio"),
        QStringLiteral("metodo")};
    return order;
}

const QMap<QString, HelpTopic>& helpTopics()
{
    static const QMap<QString, HelpTopic> topics = [] {
        QMap<QString, HelpTopic> all;
        for (const QString& name : guideTopicOrder())
            all.insert(name, readTopic(name));
        return all;
    }();
    return topics;
}

} // namespace zant
