#pragma once

#include "report/docx_content.h"
#include "report/docx_layout.h"
#include "report/docx_parts.h"
#include "report/xml_writer.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The body of the package, word/document.xml, produced a few blocks or table rows at a time so
// that the largest document never lies whole in memory.
namespace zant::docx {

class DocumentXml final
{
public:
    DocumentXml(const Content& content, const Layout& layout, const QList<CellLook>& cellLooks);

    // Appends the next piece of the part as UTF-8; false once the part is complete.
    bool next(QByteArray& out);

    // A generous estimate of the part's size in bytes.
    static quint64 estimatedBytes(const Content& content);

private:
    void step();

    const Content& m_content;
    const Layout& m_layout;
    QStringList m_cellStyles; // the paragraph style of each table's cells
    QString m_text;
    XmlWriter m_xml;
    QList<bool> m_keepWithNext;
    qsizetype m_block = 0;
    int m_row = 0;
    int m_drawingId = 0;
    bool m_started = false;
    bool m_done = false;
};

} // namespace zant::docx
