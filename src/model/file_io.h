#pragma once

#include "model/message.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace zant {

// Path as shown in messages.
QString displayPath(const QString& path);

// Reads a whole file, or says why it cannot.
Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes);

// Writes through QSaveFile: the old file is replaced only when the new one is complete.
std::optional<Message> writeFileSafely(const QString& path, const QByteArray& bytes);

} // namespace zant
