#include "report/docx_zip.h"

#include <QIODevice>
#include <QScopeGuard>

#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>

namespace zant::docx {

namespace {

// The archive's output: libzip writes the package straight into the device the save helper
// opened, seeking back only to complete each entry's header.
struct DeviceSink
{
    QIODevice* device = nullptr;
    zip_error_t error;
    int systemError = 0;
};

zip_int64_t deviceSinkCommand(void* userdata, void* data, zip_uint64_t length,
                              zip_source_cmd_t command)
{
    auto* sink = static_cast<DeviceSink*>(userdata);
    QIODevice& device = *sink->device;
    switch (command) {
    case ZIP_SOURCE_STAT:
        // A new archive: nothing to read back.
        zip_error_set(&sink->error, ZIP_ER_READ, ENOENT);
        return -1;
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_READ:
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_WRITE: {
        errno = 0;
        const qint64 written = device.write(static_cast<const char*>(data), qint64(length));
        if (written != qint64(length)) {
            sink->systemError = errno;
            zip_error_set(&sink->error, ZIP_ER_WRITE, errno);
            return -1;
        }
        return written;
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &sink->error);
        if (!seek)
            return -1;
        qint64 base = 0;
        if (seek->whence == SEEK_CUR)
            base = device.pos();
        else if (seek->whence == SEEK_END)
            base = device.size();
        errno = 0;
        if (!device.seek(base + seek->offset)) {
            sink->systemError = errno;
            zip_error_set(&sink->error, ZIP_ER_SEEK, errno);
            return -1;
        }
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE:
        return device.pos();
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink->error, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(
            ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR,
            ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_BEGIN_WRITE,
            ZIP_SOURCE_COMMIT_WRITE, ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE,
            ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE, ZIP_SOURCE_REMOVE, ZIP_SOURCE_SUPPORTS,
            -1);
    default:
        zip_error_set(&sink->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

// A part produced piece by piece while libzip compresses it, so that the largest document never
// lies whole in memory. `next` appends the following piece and returns false at the end.
struct StreamedPart
{
    std::function<bool(QByteArray&)> next;
    quint64 size = 0;
    QByteArray piece;
    qsizetype offset = 0;
    bool finished = false;
    zip_error_t error;
};

zip_int64_t streamedPartCommand(void* userdata, void* data, zip_uint64_t length,
                                zip_source_cmd_t command)
{
    auto* part = static_cast<StreamedPart*>(userdata);
    switch (command) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto* stat = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &part->error);
        if (!stat)
            return -1;
        // libzip decides from the announced size whether the entry needs Zip64 headers, which
        // older readers refuse; the real size is recorded once the part is written. A part far
        // beyond the estimate and past 4 GB makes libzip fail rather than write a damaged file.
        stat->size = part->size;
        stat->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_READ: {
        auto* out = static_cast<char*>(data);
        zip_uint64_t done = 0;
        while (done < length) {
            if (part->offset == part->piece.size()) {
                part->piece.resize(0);
                part->offset = 0;
                if (part->finished || !part->next(part->piece)) {
                    part->finished = true;
                    if (part->piece.isEmpty())
                        break;
                }
                continue;
            }
            const qsizetype take =
                qsizetype(std::min<zip_uint64_t>(length - done, part->piece.size() - part->offset));
            std::memcpy(out + done, part->piece.constData() + part->offset, size_t(take));
            part->offset += take;
            done += zip_uint64_t(take);
        }
        return zip_int64_t(done);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&part->error, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    default:
        zip_error_set(&part->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

Result<void> writeZip(QIODevice& device, const QList<ZipEntry>& entries)
{
    // Each produced entry has its own state, at a fixed address for libzip's callbacks.
    std::list<StreamedPart> streamed;
    DeviceSink sink;
    sink.device = &device;
    zip_error_init(&sink.error);
    const auto cleanup = qScopeGuard([&] {
        zip_error_fini(&sink.error);
        for (StreamedPart& part : streamed)
            zip_error_fini(&part.error);
    });
    auto zipFailure = [&](const QString& detail) -> Result<void> {
        // The device refused the bytes: the save names the cause from the error number.
        if (sink.systemError != 0 || zip_error_code_zip(&sink.error) == ZIP_ER_WRITE)
            return writeRefused(sink.systemError);
        return Error(
            ErrorKind::File,
            critical(QStringLiteral("errore nella creazione dell'archivio (%1)").arg(detail)));
    };

    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* output = zip_source_function_create(deviceSinkCommand, &sink, &openError);
    zip_t* archive =
        output ? zip_open_from_source(output, ZIP_CREATE | ZIP_TRUNCATE, &openError) : nullptr;
    if (!archive) {
        const QString detail = QString::fromUtf8(zip_error_strerror(&openError));
        zip_error_fini(&openError);
        if (output)
            zip_source_free(output);
        return zipFailure(detail);
    }
    zip_error_fini(&openError);

    auto fail = [&] {
        const QString detail = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        return zipFailure(detail);
    };
    // Pictures are compressed already; the XML parts take the fastest deflate level, which
    // keeps large reports quick to write for a small cost in size.
    auto add = [&](const QString& name, zip_source_t* source, bool compress) {
        if (!source) {
            return false;
        }
        const zip_int64_t index = zip_file_add(archive, name.toUtf8().constData(), source,
                                               ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return zip_set_file_compression(archive, zip_uint64_t(index),
                                        compress ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                        compress ? 1 : 0) == 0;
    };
    for (const ZipEntry& entry : entries) {
        zip_source_t* source = nullptr;
        if (entry.next) {
            StreamedPart& part = streamed.emplace_back();
            zip_error_init(&part.error);
            part.next = entry.next;
            part.size = entry.estimatedSize;
            source = zip_source_function(archive, streamedPartCommand, &part);
        } else {
            source = zip_source_buffer(archive, entry.data.constData(),
                                       zip_uint64_t(entry.data.size()), 0);
        }
        if (!add(entry.name, source, entry.compress))
            return fail();
    }
    if (zip_close(archive) < 0)
        return fail();
    return {};
}

} // namespace zant::docx
