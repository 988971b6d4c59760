#pragma once

#include "report/docx_content.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// The parts of a package around its body: content types, relationships, styles, settings,
// document properties and the page footers.
namespace zant::docx {

// Each kind of section page has a footer of its own, centred on that page's text width.
inline constexpr SectionPage kSectionPages[] = {SectionPage::Portrait, SectionPage::Landscape,
                                                SectionPage::PortraitWide};

// Relationship ids of document.xml: styles and settings first, then one per picture, then the
// footers.
constexpr int kFirstPictureRel = 3;
int footerRelationship(const Content& content, SectionPage page);

QString footerName(SectionPage page);
QString mediaName(const Content& content, int pictureIndex);

// Font and half-point size of a style for table cells' paragraphs, one per look in use: a cell
// then names its style instead of repeating the run properties, which keeps the rows of a large
// table small.
using CellLook = std::pair<QString, int>;
QList<CellLook> cellLooks(const Content& content);
QString cellStyleId(int index);

QByteArray contentTypesXml(const Content& content);
QByteArray packageRelsXml();
QByteArray documentRelsXml(const Content& content);
// Word's heading styles are written only for a document that has headings: the others keep
// their parts as they were.
bool usesHeadings(const Content& content);
QByteArray stylesXml(const QList<CellLook>& cellLooks, bool headings = false);
QByteArray settingsXml();
QByteArray coreXml();
QByteArray appXml(int pageCount);
QByteArray footerXml(const Content& content, int pageCount, SectionPage page);

} // namespace zant::docx
