#pragma once

#include "model/message.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace zant {

// Path as shown in messages.
QString displayPath(const QString& path);

// Reads a whole file, or says why it cannot.
Result<QByteArray> readWholeFile(const QString& path, qint64 maxBytes);

// The file a save writes into, step by step. saveFile() writes under the temporary name and
// renames; tests pass in its place a target that fails at a chosen step, as a full disk or a
// file system gone read-only would.
class SaveTarget
{
public:
    virtual ~SaveTarget() = default;
    virtual bool open() = 0;
    virtual QIODevice& device() = 0;
    // Pushes buffered data to the file system.
    virtual bool flush() = 0;
    // Makes the written content the file's content.
    virtual bool commit() = 0;
    // Forgets what was written; the old file stays as it was.
    virtual void cancel() = 0;
    // The system's error number of the last failure, 0 when unknown.
    virtual int systemError() const = 0;
};

// The real target: the file's temporary name, renamed over the file on commit.
std::unique_ptr<SaveTarget> makeFileTarget(const QString& path);

// Makes the target of each file a save writes. The program passes makeFileTarget (every
// writer's default); a test passes one whose targets fail, straight into the writer.
using SaveTargetFactory = std::function<std::unique_ptr<SaveTarget>(const QString& path)>;

// Fills an open device with a file's content, or says why it could not. When the device refused
// the bytes, the error is writeRefused(): the save then names the file and the cause.
using FileContentWriter = std::function<Result<void>(QIODevice& device)>;

// The one way the program writes a file: the content goes to a temporary file beside `path`
// (temporaryFilePath()), which replaces the old file by a rename only when every byte reached
// the disk. On failure the old file is left as it was, no temporary file remains, and the
// message names the file and the cause. Only a regular file or a new name is written: a
// folder, device, FIFO or socket is refused; a symbolic link to a regular file is followed and
// the file it points to is replaced.
Result<void> saveFile(const QString& path, const FileContentWriter& write,
                      const SaveTargetFactory& targets = makeFileTarget);
Result<void> saveFile(const QString& path, const QByteArray& bytes,
                      const SaveTargetFactory& targets = makeFileTarget);

// The temporary name a save of `path` by the process `processId` writes under: hidden beside
// the file, named after it and the process (".Eventi.csv.zant-4242.tmp"). Every save first
// removes those of the same file that processes no longer running left behind, killed before
// they could do it themselves.
QString temporaryFilePath(const QString& path, qint64 processId);

// Several files written as one, as the tables of one export: each is written whole under its
// temporary name, and only when all are complete do they take their names. A failure leaves
// every file as it was, or, when one could not take its name after others had, the message
// lists those already written.
struct FileBytes
{
    QString path;
    QByteArray bytes;
};
Result<void> saveFiles(const std::vector<FileBytes>& files,
                       const SaveTargetFactory& targets = makeFileTarget);

// For output that only a named file can take (a printer that writes PDF): `write` fills the
// temporary file whose name it is given, in the folder of `path`, which then replaces `path` by
// a rename. Same checks and messages as saveFile().
using NamedFileWriter = std::function<Result<void>(const QString& temporaryPath)>;
Result<void> saveFileByName(const QString& path, const NamedFileWriter& write);

// For a library that writes only to a file it opens by name itself (the workbook writer):
// `write` fills a private scratch file in the system's temporary folder, whose bytes then go to
// `path` through saveFile(). The scratch file carries the process id and `suffix`; a later
// call removes those that processes no longer running left behind. As for every writer,
// writeRefused() from `write` lets the save name the cause.
Result<void> saveFileThroughScratch(const QString& path, const QString& suffix,
                                    const NamedFileWriter& write,
                                    const SaveTargetFactory& targets = makeFileTarget);

// Makes a folder, and the folders above it, when missing; the message names the cause.
Result<void> createFolder(const QString& path);

// The cause of a failed file operation in Italian, from the system's error number: "spazio su
// disco esaurito", "permesso negato", ... Empty for an error number it does not know.
QString fileErrorCause(int systemError);

// Passes writes to another device and remembers the first that failed, with the system's error
// number then: for writers that do not check what the device answers (QPdfWriter, the JPEG
// encoder). A content writer that sees failed() returns writeRefused(systemError()).
class WriteCheckingDevice final : public QIODevice
{
public:
    explicit WriteCheckingDevice(QIODevice& target);
    bool isSequential() const override;
    bool seek(qint64 pos) override;
    qint64 size() const override;
    bool failed() const { return m_failed; }
    // The system's error number the failed write left, 0 when unknown.
    int systemError() const { return m_errno; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    QIODevice& m_target;
    bool m_failed = false;
    int m_errno = 0;
};

} // namespace zant
