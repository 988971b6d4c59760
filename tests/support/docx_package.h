#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace zant::test {

// A parsed XML element, enough to walk a part of a package by qualified names ("w:p").
struct XmlElement
{
    QString name;
    QMap<QString, QString> attributes;
    QList<XmlElement> children;
    QString text;

    QString attribute(const QString& qualifiedName) const
    {
        return attributes.value(qualifiedName);
    }
    const XmlElement* child(const QString& childName) const;
    QList<const XmlElement*> childrenNamed(const QString& childName) const;
    // Every element of that name below this one, in document order.
    QList<const XmlElement*> descendants(const QString& descendantName) const;
};

// Parses a whole part; returns false with the reader's message when it is not well-formed.
bool parseXml(const QByteArray& bytes, XmlElement* root, QString* error);

// The entries of a zip package, read with libzip.
class DocxPackage final
{
public:
    bool open(const QString& path, QString* error);
    QStringList names() const { return m_entries.keys(); }
    bool contains(const QString& name) const { return m_entries.contains(name); }
    QByteArray entry(const QString& name) const { return m_entries.value(name); }

private:
    QMap<QString, QByteArray> m_entries;
};

// Opens the package at path and parses its word/document.xml; false with the reason otherwise.
bool readDocument(const QString& path, DocxPackage* package, XmlElement* document, QString* error);

} // namespace zant::test
