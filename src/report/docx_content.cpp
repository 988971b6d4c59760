#include "report/docx_content.h"

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
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        if (u < 0x20 && u != u'\t' && u != u'\v')
            continue;
        out += c;
    }
    return out;
}

QStringList splitParagraphs(const QString& text)
{
    QStringList lines;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines += current;
            current.clear();
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
        } else {
            current += c;
        }
    }
    lines += current;
    return lines;
}

} // namespace zant::docx
