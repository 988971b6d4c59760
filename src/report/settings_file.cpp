#include "report/settings_file.h"

#include "model/cp1252.h"
#include "model/file_io.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

#include <map>
#include <optional>

namespace zant {

namespace {

// A settings file is a few lines; anything far larger is not one.
constexpr qint64 kMaxSettingsBytes = 1 << 20;

QString decodeSettings(const QByteArray& bytes)
{
    // A file saved by a Windows editor as "Unicode" is UTF-16 with its byte order mark.
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        QStringDecoder utf16(bytes.startsWith("\xff\xfe") ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE);
        return utf16(bytes.mid(2));
    }
    QString text = decodeTextFile(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

// The lines of a file, whatever ends them.
QStringList splitLines(const QString& text)
{
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = unified.split(QLatin1Char('\n'));
    // The end of the last line is not a line of its own.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The section a line opens, lower case, or nothing.
std::optional<QString> sectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']')))
        return t.mid(1, t.size() - 2).trimmed().toLower();
    return std::nullopt;
}

// The key a line sets, lower case, or nothing for blank lines and comments.
std::optional<QString> keyOf(const QString& line)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('#')))
        return std::nullopt;
    const qsizetype equals = t.indexOf(QLatin1Char('='));
    if (equals < 0)
        return std::nullopt;
    return t.left(equals).trimmed().toLower();
}

QString valueOf(const QString& line)
{
    const QString t = line.trimmed();
    return unquoteSettingsValue(t.mid(t.indexOf(QLatin1Char('=')) + 1).trimmed());
}

Result<QByteArray> readSettingsBytes(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QByteArray();
    return readWholeFile(path, kMaxSettingsBytes);
}

Result<void> writeSection(const QString& path, const QString& section,
                          const std::vector<std::pair<QString, QString>>& values,
                          bool replaceSection)
{
    const auto original = readSettingsBytes(path);
    if (!original)
        return original.error();
    // The configuration folder may not exist yet on a new machine.
    QDir().mkpath(QFileInfo(path).absolutePath());
    return saveFile(path, updateIniText(original.value(), section, values, replaceSection));
}

} // namespace

QString iniValue(const QString& value)
{
    QString v = value;
    v.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const bool quoted =
        v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"'));
    if (v.trimmed() == v && !quoted)
        return v;
    v.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    v.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

QByteArray updateIniText(const QByteArray& original, const QString& section,
                         const std::vector<std::pair<QString, QString>>& values,
                         bool replaceSection)
{
    const QString text = decodeSettings(original);
    const QString eol =
        text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    const QString wanted = section.toLower();
    std::map<QString, QString> pending;
    for (const auto& [key, value] : values)
        pending[key.toLower()] = key + QLatin1Char('=') + iniValue(value);
    std::map<QString, bool> written;

    QStringList out;
    QString current;
    bool sectionSeen = false;
    // The keys not yet in the section go after its last key, before the blank lines and
    // comments that lead to the next section.
    const auto addMissing = [&](qsizetype at) {
        QStringList missing;
        for (const auto& [key, value] : values) {
            if (!written[key.toLower()]) {
                missing << pending[key.toLower()];
                written[key.toLower()] = true;
            }
        }
        for (qsizetype i = 0; i < missing.size(); ++i)
            out.insert(at + i, missing[i]);
    };
    qsizetype endOfSection = -1;
    for (const QString& line : splitLines(text)) {
        if (const auto opened = sectionOf(line)) {
            if (current == wanted && sectionSeen)
                addMissing(endOfSection);
            current = *opened;
            if (current == wanted) {
                sectionSeen = true;
                out << line;
                endOfSection = out.size();
                continue;
            }
            out << line;
            continue;
        }
        if (current == wanted && sectionSeen) {
            if (const auto key = keyOf(line)) {
                if (pending.count(*key)) {
                    if (!written[*key])
                        out << pending[*key];
                    written[*key] = true;
                } else if (!replaceSection) {
                    out << line;
                }
                endOfSection = out.size();
                continue;
            }
        }
        out << line;
    }
    if (sectionSeen && current == wanted) {
        addMissing(endOfSection);
    } else if (!sectionSeen) {
        if (!out.isEmpty() && !out.last().trimmed().isEmpty())
            out << QString();
        out << QLatin1Char('[') + section + QLatin1Char(']');
        addMissing(out.size());
    } else {
        addMissing(endOfSection);
    }
    return (out.join(eol) + eol).toUtf8();
}

Result<void> writeOfficeSettings(const QString& path, const OfficeSettings& office)
{
    return writeSection(path, QStringLiteral("studio"),
                        {{QStringLiteral("nome"), office.officeName},
                         {QStringLiteral("indirizzo"), office.officeAddress},
                         {QStringLiteral("progettista"), office.designer}},
                        false);
}

QStringList parseRecentFiles(const QByteArray& iniText)
{
    std::map<int, QString> byNumber;
    QString current;
    for (const QString& line : splitLines(decodeSettings(iniText))) {
        if (const auto opened = sectionOf(line)) {
            current = *opened;
            continue;
        }
        const auto key = keyOf(line);
        if (current != QLatin1String("recenti") || !key || !key->startsWith(QLatin1String("file")))
            continue;
        bool ok = false;
        const int number = key->mid(4).toInt(&ok);
        const QString value = valueOf(line);
        if (ok && number >= 1 && !value.isEmpty())
            byNumber[number] = value;
    }
    QStringList files;
    for (const auto& [number, file] : byNumber) {
        if (!files.contains(file) && files.size() < kRecentFiles)
            files << file;
    }
    return files;
}

QStringList readRecentFiles(const QString& path)
{
    const auto bytes = readSettingsBytes(path);
    return bytes ? parseRecentFiles(bytes.value()) : QStringList();
}

Result<void> writeRecentFiles(const QString& path, const QStringList& files)
{
    std::vector<std::pair<QString, QString>> values;
    for (qsizetype i = 0; i < std::min<qsizetype>(files.size(), kRecentFiles); ++i)
        values.emplace_back(QStringLiteral("file%1").arg(i + 1), files[i]);
    return writeSection(path, QStringLiteral("recenti"), values, true);
}

} // namespace zant
