#include "support/docx_package.h"

#include <QXmlStreamReader>

#include <zip.h>

namespace zant::test {

const XmlElement* XmlElement::child(const QString& childName) const
{
    for (const XmlElement& element : children) {
        if (element.name == childName) {
            return &element;
        }
    }
    return nullptr;
}

QList<const XmlElement*> XmlElement::childrenNamed(const QString& childName) const
{
    QList<const XmlElement*> found;
    for (const XmlElement& element : children) {
        if (element.name == childName) {
            found.append(&element);
        }
    }
    return found;
}

QList<const XmlElement*> XmlElement::descendants(const QString& descendantName) const
{
    QList<const XmlElement*> found;
    for (const XmlElement& element : children) {
        if (element.name == descendantName) {
            found.append(&element);
        }
        found += element.descendants(descendantName);
    }
    return found;
}

bool parseXml(const QByteArray& bytes, XmlElement* root, QString* error)
{
    QXmlStreamReader reader(bytes);
    QList<XmlElement*> open;
    *root = {};
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            XmlElement* element = root;
            if (!open.isEmpty()) {
                open.last()->children.append(XmlElement{});
                element = &open.last()->children.last();
            }
            element->name = reader.qualifiedName().toString();
            for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                element->attributes.insert(attribute.qualifiedName().toString(),
                                           attribute.value().toString());
            }
            open.append(element);
        } else if (reader.isEndElement()) {
            open.removeLast();
        } else if (reader.isCharacters() && !open.isEmpty()) {
            open.last()->text += reader.text();
        }
    }
    if (reader.hasError()) {
        *error = reader.errorString();
        return false;
    }
    return true;
}

bool DocxPackage::open(const QString& path, QString* error)
{
    m_entries.clear();
    int code = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!archive) {
        zip_error_t zipError;
        zip_error_init_with_code(&zipError, code);
        *error = QString::fromUtf8(zip_error_strerror(&zipError));
        zip_error_fini(&zipError);
        return false;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_file_t* file = nullptr;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) < 0 ||
            !(file = zip_fopen_index(archive, zip_uint64_t(i), 0))) {
            *error = QString::fromUtf8(zip_strerror(archive));
            zip_discard(archive);
            return false;
        }
        QByteArray data(qsizetype(stat.size), '\0');
        const zip_int64_t read = zip_fread(file, data.data(), stat.size);
        zip_fclose(file);
        if (read != zip_int64_t(stat.size)) {
            *error = QStringLiteral("short read of %1").arg(QString::fromUtf8(stat.name));
            zip_discard(archive);
            return false;
        }
        m_entries.insert(QString::fromUtf8(stat.name), data);
    }
    zip_discard(archive);
    return true;
}

bool readDocument(const QString& path, DocxPackage* package, XmlElement* document, QString* error)
{
    return package->open(path, error) &&
           parseXml(package->entry(QStringLiteral("word/document.xml")), document, error);
}

} // namespace zant::test
