#include "report/office_settings.h"

#include "model/cp1252.h"
#include "model/file_io.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace zant {

namespace {

// A settings file is a few lines; anything far larger is not one.
constexpr qint64 kMaxSettingsBytes = 1 << 20;

const QString kNoName = QStringLiteral("Studio tecnico non configurato");
const QString kNoAddress = QStringLiteral("Indirizzo non configurato");

} // namespace

QString unquoteSettingsValue(const QString& value)
{
    if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) ||
        !value.endsWith(QLatin1Char('"')))
        return value;
    QString out;
    const QStringView inner = QStringView(value).mid(1, value.size() - 2);
    for (qsizetype i = 0; i < inner.size(); ++i) {
        if (inner[i] == QLatin1Char('\\') && i + 1 < inner.size() &&
            (inner[i + 1] == QLatin1Char('"') || inner[i + 1] == QLatin1Char('\\')))
            ++i;
        out += inner[i];
    }
    return out;
}

QString OfficeSettings::namePlaceholder()
{
    return kNoName;
}

QString OfficeSettings::addressPlaceholder()
{
    return kNoAddress;
}

QString OfficeSettings::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/ZANT/zant.ini");
}

OfficeSettings OfficeSettings::parse(const QByteArray& bytes)
{
    // Not QSettings: it splits an unquoted value at its commas into a list, and reads
    // Windows-1252 accents as invalid UTF-8.
    QString name;
    QString address;
    QString designer;
    QString section;
    // Notepad's "Unicode" saves UTF-16; old Mac editors end lines with CR alone.
    QString text = decodeForeignText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QString line : text.split(QLatin1Char('\n'))) {
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed().toLower();
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || section != QLatin1String("studio"))
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = unquoteSettingsValue(line.mid(equals + 1).trimmed());
        if (key == QLatin1String("nome"))
            name = value;
        else if (key == QLatin1String("indirizzo"))
            address = value;
        else if (key == QLatin1String("progettista"))
            designer = value;
    }
    OfficeSettings s;
    s.officeName = name.trimmed().isEmpty() ? kNoName : name;
    s.officeAddress = address.trimmed().isEmpty() ? kNoAddress : address;
    s.designer = designer.trimmed();
    return s;
}

OfficeSettings OfficeSettings::load(const QString& path)
{
    const Result<OfficeSettings> settings = read(path);
    return settings ? settings.value() : parse(QByteArray());
}

Result<OfficeSettings> OfficeSettings::read(const QString& path)
{
    const auto failure = [&](const QString& reason) {
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile leggere il file delle impostazioni "
                                             "\"%1\": %2.")
                                  .arg(displayPath(path), reason)));
    };
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return failure(QStringLiteral("il file non esiste"));
    if (info.isDir())
        return failure(QStringLiteral("è una cartella"));
    // A FIFO or a device would block the reading or never end.
    if (!info.isFile())
        return failure(QStringLiteral("non è un file di impostazioni"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failure(file.error() == QFileDevice::PermissionsError || !info.isReadable()
                           ? QStringLiteral("permesso negato")
                           : QStringLiteral("il file non si può aprire"));
    }
    if (file.size() > kMaxSettingsBytes)
        return failure(QStringLiteral("non è un file di impostazioni"));
    const QByteArray bytes = file.read(kMaxSettingsBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("errore di lettura"));
    if (bytes.size() > kMaxSettingsBytes)
        return failure(QStringLiteral("non è un file di impostazioni"));
    return parse(bytes);
}

} // namespace zant
