#include "report/docx_content.h"

#include "model/text_format.h"

namespace zant::docx {

int textWidthOf(SectionPage page)
{
    switch (page) {
    case SectionPage::Landscape:
        return kPageHeight - 2 * kMarginSide;
    case SectionPage::PortraitWide:
        return kPageWidth - 2 * kNarrowMarginSide;
    case SectionPage::Portrait:
        break;
    }
    return kTextWidth;
}

QString cleanText(QStringView text)
{
    // The vertical tab is kept for the line break it becomes; line ends have already split the
    // text into paragraphs, and any left over have no place inside one.
    QString out;
    if (text.contains(u'\v')) {
        const QList<QStringView> pieces = text.split(u'\v');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                out += u'\v';
            out += cleanXmlText(pieces[i].toString());
        }
    } else {
        out = cleanXmlText(text.toString());
    }
    if (out.contains(u'\r') || out.contains(u'\n')) {
        out.remove(u'\r');
        out.remove(u'\n');
    }
    return out;
}

} // namespace zant::docx
