#pragma once

#include "model/message.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QIODevice;

namespace zant::docx {

// One file of a zip archive: its bytes, or a function that produces them piece by piece while
// libzip compresses them, so that the largest part never lies whole in memory.
struct ZipEntry
{
    QString name = {};
    QByteArray data = {};
    // Pictures are compressed already and are stored as they are.
    bool compress = true;
    // When set, appends the following piece and returns false at the end; data is then unused.
    std::function<bool(QByteArray&)> next = {};
    // An estimate of a produced entry's size, on the generous side.
    quint64 estimatedSize = 0;
};

// Writes the entries as a zip archive straight into an open device, seeking back only to
// complete each entry's header. The error says why it could not: writeRefused() when the device
// refused the bytes.
Result<void> writeZip(QIODevice& device, const QList<ZipEntry>& entries);

} // namespace zant::docx
