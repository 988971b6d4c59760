#include "shell/resources.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace zant {

QString resourcesDir()
{
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QString appDir = QCoreApplication::applicationDirPath();
        candidates << appDir + QStringLiteral("/../share/zant")
                   << appDir + QStringLiteral("/resources");
    }
    const QString sourceTree = QStringLiteral(ZANT_RESOURCES_DIR);
    for (const QString& dir : candidates) {
        if (QFileInfo(dir).isDir())
            return QDir::cleanPath(dir);
    }
    return QDir::cleanPath(sourceTree);
}

QString resourceFile(const QString& name)
{
    return resourcesDir() + QLatin1Char('/') + name;
}

} // namespace zant
