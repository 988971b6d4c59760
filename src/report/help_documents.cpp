#include "report/help_documents.h"

#include "report/print_commands.h"

#include "model/file_io.h"
#include "report/docx_writer.h"
#include "report/example_network.h"
#include "report/help_texts.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace zant {

namespace {

const QString kFont = QStringLiteral("Century Gothic");
const QString kNetworkHeading = QStringLiteral("Schema di reticolo ZANT");
// Wide enough to read the durations, narrower than the text of an A4 page.
const QSizeF kPictureSize(470, 0);

void typeTitleBlock(DocumentWriter& w, const SharedConstants& k, const QString& subtitleEnd)
{
    w.setFontName(kFont);
    w.setFontSize(20);
    w.typeText(k.productName + QStringLiteral("\r"));
    w.setFontSize(16);
    w.typeText(k.productSubtitle + subtitleEnd);
}

// The heading, an empty paragraph at the end of the document and the picture in it.
Result<void> appendNetwork(DocumentWriter& w, const QString& picturePath, double points)
{
    w.typeText(kNetworkHeading + QStringLiteral("\r"));
    w.addParagraph(QString(), points);
    return w.insertPictureFile(picturePath, kPictureSize);
}

QString picturePathIn(const QString& folder)
{
    return folder + QLatin1Char('/') + kExampleNetworkFileName;
}

} // namespace

void buildHelpDocument(DocumentWriter& w, const QString& title, const QString& body,
                       const SharedConstants& k)
{
    typeTitleBlock(w, k, QStringLiteral("\r\r\r"));
    w.typeText(QStringLiteral("Guida: ") + title + QStringLiteral("\r\r"));
    w.setFontSize(12);
    w.typeText(body + QStringLiteral("\r"));
    w.justifyDocument();
}

Result<void> buildNetworkDocument(DocumentWriter& w, const QString& picturePath,
                                  const SharedConstants& k)
{
    typeTitleBlock(w, k, QStringLiteral("\r\r"));
    return appendNetwork(w, picturePath, 16);
}

Result<void> buildGuide(DocumentWriter& w, const QString& picturePath, const SharedConstants& k)
{
    typeTitleBlock(w, k, QStringLiteral("\r\r\r"));
    bool first = true;
    for (const QString& name : guideTopicOrder()) {
        const HelpTopic& topic = helpTopics().value(name);
        w.typeText(QStringLiteral("Guida: ") + topic.title + QStringLiteral("\r\r"));
        // The first heading keeps the subtitle's size; every later line is at 12 points.
        if (first)
            w.setFontSize(12);
        first = false;
        w.typeText(topic.body + QStringLiteral("\r\f"));
    }
    Result<void> error = appendNetwork(w, picturePath, 12);
    w.justifyDocument();
    return error;
}

PrintResult PrintHelpWindow(const QString& title, const QString& body, DocumentOutput& output,
                            const SharedConstants& k)
{
    DocxWriter writer;
    buildHelpDocument(writer, title, body, k);
    return deliverDocument(writer, output.newDocumentPath(QStringLiteral("aiuto")), output);
}

PrintResult printNetworkExample(DocumentOutput& output, const SharedConstants& k)
{
    const QString picture = picturePathIn(output.folder());
    if (const Result<void> error = saveExampleNetworkPicture(picture); !error.ok())
        return error.error();
    DocxWriter writer;
    if (const Result<void> error = buildNetworkDocument(writer, picture, k); !error.ok())
        return error.error();
    return deliverDocument(writer, output.newDocumentPath(QStringLiteral("schema")), output);
}

QString guidePath(const DocumentOutput& output, const SharedConstants& k)
{
    return output.folder() + QLatin1Char('/') + k.productName + QStringLiteral("-guida.docx");
}

PrintResult printGuide(DocumentOutput& output, const SharedConstants& k)
{
    const QString picture = picturePathIn(output.folder());
    if (const Result<void> error = saveExampleNetworkPicture(picture); !error.ok())
        return error.error();
    DocxWriter writer;
    if (const Result<void> error = buildGuide(writer, picture, k); !error.ok())
        return error.error();
    return deliverDocument(writer, guidePath(output, k), output);
}

Result<void> writeGuide(const QString& path, const SharedConstants& k)
{
    QTemporaryDir folder;
    if (!folder.isValid())
        return Error(ErrorKind::File,
                     critical(QStringLiteral("Impossibile creare una cartella temporanea: %1.")
                                  .arg(folder.errorString())));
    const QString picture = picturePathIn(folder.path());
    if (const Result<void> error = saveExampleNetworkPicture(picture); !error.ok())
        return error;
    DocxWriter writer;
    if (const Result<void> error = buildGuide(writer, picture, k); !error.ok())
        return error;
    return writer.save(path);
}

} // namespace zant
