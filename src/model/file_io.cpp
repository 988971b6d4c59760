#include "model/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace zant {

QString displayPath(const QString& path) { return QDir::toNativeSeparators(path); }

Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (QFileInfo(path).isDir())
        return critical(QStringLiteral("Impossibile aprire il file \"%1\": è una cartella.")
                            .arg(displayPath(path)));
    if (!file.open(QIODevice::ReadOnly))
        return critical(QStringLiteral("Impossibile aprire il file \"%1\": %2.")
                            .arg(displayPath(path), file.errorString()));
    if (file.size() > maxBytes)
        return critical(QStringLiteral("Il file \"%1\" è troppo grande per essere un file di "
                                       "ZANT.")
                            .arg(displayPath(path)));
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return critical(QStringLiteral("Impossibile leggere il file \"%1\": %2.")
                            .arg(displayPath(path), file.errorString()));
    if (bytes.size() > maxBytes)
        return critical(QStringLiteral("Il file \"%1\" è troppo grande per essere un file di "
                                       "ZANT.")
                            .arg(displayPath(path)));
    return bytes;
}

Outcome saveFile(const QString& path, const FileContentWriter& write)
{
    QSaveFile file(path);
    // Without a temporary file a failure could leave the old file half written.
    file.setDirectWriteFallback(false);
    const auto failure = [&](const QString& reason) {
        return critical(QStringLiteral("Impossibile salvare il file \"%1\": %2. Il file "
                                       "esistente non è stato modificato.")
                            .arg(displayPath(path), reason));
    };
    if (QFileInfo(path).isDir())
        return failure(QStringLiteral("è una cartella"));
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    if (Outcome refused = write(file)) {
        file.cancelWriting();
        return refused;
    }
    // QSaveFile::commit() does not notice on every path that its buffer failed to reach the disk.
    if (file.error() != QFileDevice::NoError || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure(reason);
    }
    if (!file.commit())
        return failure(file.errorString());
    return std::nullopt;
}

Outcome saveFile(const QString& path, const QByteArray& bytes)
{
    return saveFile(path, [&](QIODevice& device) -> Outcome {
        if (device.write(bytes) != bytes.size())
            return critical(QStringLiteral("Impossibile salvare il file \"%1\": %2. Il file "
                                           "esistente non è stato modificato.")
                                .arg(displayPath(path), device.errorString()));
        return std::nullopt;
    });
}

std::optional<Message> writeFileSafely(const QString& path, const QByteArray& bytes)
{
    return saveFile(path, bytes);
}

} // namespace zant
