#include "report/office_settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace zant {

QString OfficeSettings::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ZANT/zant.ini");
}

OfficeSettings OfficeSettings::load(const QString& path)
{
    QSettings ini(path, QSettings::IniFormat);
    OfficeSettings s;
    s.officeName = ini.value(QStringLiteral("studio/nome")).toString().trimmed();
    s.officeAddress = ini.value(QStringLiteral("studio/indirizzo")).toString().trimmed();
    if (s.officeName.isEmpty())
        s.officeName = QStringLiteral("Studio tecnico non configurato");
    if (s.officeAddress.isEmpty())
        s.officeAddress = QStringLiteral("Indirizzo non configurato");
    return s;
}

} // namespace zant
