#pragma once

#include <QDateTime>
#include <QString>

namespace zant {

// Where finished documents are written and how they reach the user. The application opens them
// with the desktop's default program; tests replace the folder, the clock and the opening.
class DocumentOutput
{
public:
    virtual ~DocumentOutput() = default;

    // The user's documents folder + "/ZANT".
    virtual QString folder() const;
    virtual QDateTime now() const;
    // Opens a written document for the user; false when nothing could open it.
    virtual bool open(const QString& path);

    // A new file name in the folder that says what the document is and when it was made,
    // never the name of an existing file: "ZANT-risultati-2026-12-07-1530.docx".
    QString newDocumentPath(const QString& kind) const;

    // The fixed name of the full report for a client, made safe for any file system.
    QString reportPath(const QString& client) const;
};

// Replaces what a file name cannot hold (/ \ : * ? " < > |, control characters, a leading dot)
// with "_", and cuts the text at a character boundary to at most kMaxFileNamePartBytes bytes
// of UTF-8, so that a name built on it stays within the 255 bytes file systems allow.
inline constexpr qsizetype kMaxFileNamePartBytes = 200;
QString safeFileNamePart(const QString& text);

} // namespace zant
