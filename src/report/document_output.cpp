#include "report/document_output.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextBoundaryFinder>
#include <QUrl>

namespace zant {

QString DocumentOutput::folder() const
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + QStringLiteral("/ZANT");
}

QDateTime DocumentOutput::now() const
{
    return QDateTime::currentDateTime();
}

bool DocumentOutput::open(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

QString DocumentOutput::newDocumentPath(const QString& kind) const
{
    const QString stem = folder() + QStringLiteral("/ZANT-") + kind + QLatin1Char('-') +
                         now().toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    QString path = stem + QStringLiteral(".docx");
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + QStringLiteral("-%1.docx").arg(n);
    return path;
}

QString DocumentOutput::reportPath(const QString& client) const
{
    return folder() + QStringLiteral("/ZANT-RelazioneZANT-") + safeFileNamePart(client) +
           QStringLiteral(".docx");
}

QString safeFileNamePart(const QString& text)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString safe;
    qsizetype bytes = 0;
    // Whole characters only, as the user sees them: a cut never leaves half of one.
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = characters.toNextBoundary(); end != -1;
         end = characters.toNextBoundary()) {
        QString character = text.mid(start, end - start);
        start = end;
        for (QChar& c : character) {
            if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
                c = QLatin1Char('_');
        }
        bytes += character.toUtf8().size();
        if (bytes > kMaxFileNamePartBytes)
            break;
        safe += character;
    }
    if (safe.startsWith(QLatin1Char('.')))
        safe[0] = QLatin1Char('_');
    return safe;
}

} // namespace zant
