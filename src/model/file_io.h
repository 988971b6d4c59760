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

// Fills an open device with a file's content; a message says why it could not. When the device
// refused the bytes, the message may have an empty text: the save then names the cause.
using FileContentWriter = std::function<Outcome(QIODevice& device)>;

// The one way the program writes a file: the content goes to a temporary file beside `path`
// (temporaryFilePath()), which replaces the old file by a rename only when every byte reached
// the disk. On failure the old file is left as it was, no temporary file remains, and the
// message names the file and the cause. Only a regular file or a new name is written: a
// folder, device, FIFO or socket is refused; a symbolic link to a regular file is followed and
// the file it points to is replaced.
Outcome saveFile(const QString& path, const FileContentWriter& write);
Outcome saveFile(const QString& path, const QByteArray& bytes);

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
Outcome saveFiles(const std::vector<FileBytes>& files);

// For output that only a named file can take (a printer that writes PDF): `write` fills the
// temporary file whose name it is given, in the folder of `path`, which then replaces `path` by
// a rename. Same checks and messages as saveFile().
using NamedFileWriter = std::function<Outcome(const QString& temporaryPath)>;
Outcome saveFileByName(const QString& path, const NamedFileWriter& write);

// For a library that writes only to a file it opens by name itself (the workbook writer):
// `write` fills a private scratch file in the system's temporary folder, whose bytes then go to
// `path` through saveFile(). The scratch file carries the process id and `suffix`; a later
// call removes those that processes no longer running left behind. As for every writer, a
// message with empty text from `write` lets the save name the cause from errno.
Outcome saveFileThroughScratch(const QString& path, const QString& suffix,
                               const NamedFileWriter& write);

// Makes a folder, and the folders above it, when missing; the message names the cause.
Outcome createFolder(const QString& path);

// The cause of a failed file operation in Italian, from the system's error number: "spazio su
// disco esaurito", "permesso negato", ... Empty for an error number it does not know.
QString fileErrorCause(int systemError);

// Passes writes to another device and remembers the first that failed, with the system's error
// number then: for writers that do not check what the device answers (QPdfWriter, the JPEG
// encoder). A content writer that sees failed() returns a message with empty text.
class WriteCheckingDevice final : public QIODevice
{
public:
    explicit WriteCheckingDevice(QIODevice& target);
    bool isSequential() const override;
    bool seek(qint64 pos) override;
    qint64 size() const override;
    bool failed() const { return m_failed; }
    // Sets errno back to what the failed write left, for the save to name the cause.
    void restoreSystemError() const;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    QIODevice& m_target;
    bool m_failed = false;
    int m_errno = 0;
};

// Kept for the model's writers; the same as saveFile(path, bytes).
std::optional<Message> writeFileSafely(const QString& path, const QByteArray& bytes);

// The file a save writes into, step by step. saveFile() writes under the temporary name and
// renames; tests put in its place a target that fails at a chosen step, as a full disk or a
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

using SaveTargetFactory = std::function<std::unique_ptr<SaveTarget>(const QString& path)>;

// Replaces how saveFile() makes its targets; an empty factory gives back the real one.
void setSaveTargetFactory(SaveTargetFactory factory);

// The target saveFile() uses outside tests.
std::unique_ptr<SaveTarget> makeFileTarget(const QString& path);

} // namespace zant
