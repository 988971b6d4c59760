#pragma once

#include "model/message.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

namespace zant {

// Path as shown in messages.
QString displayPath(const QString& path);

// Reads a whole file, or says why it cannot.
Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes);

// Fills an open device with a file's content; a message says why it could not.
using FileContentWriter = std::function<Outcome(QIODevice& device)>;

// The one way the program writes a file: the content goes to a temporary file beside `path`
// (QSaveFile), which replaces the old file only when every byte reached the disk. On failure the
// old file is left as it was, no temporary file remains, and the message names the file and
// the cause.
Outcome saveFile(const QString& path, const FileContentWriter& write);
Outcome saveFile(const QString& path, const QByteArray& bytes);

// Kept for the model's writers; the same as saveFile(path, bytes).
std::optional<Message> writeFileSafely(const QString& path, const QByteArray& bytes);

} // namespace zant
