#include "report/print_renderer.h"

#include "model/file_io.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <map>

namespace zant {

namespace {

// Fonts asked for by name; where the machine lacks them, fontconfig substitutes and the style
// hint keeps the print font monospaced. The letter spacing makes the substitute advance exactly
// as wide as the columns of the layout.
class FontCache final
{
public:
    FontCache(QPaintDevice* device, double dotsPerTwip)
        : m_device(device), m_dotsPerTwip(dotsPerTwip)
    {
    }

    const QFont& font(const QString& family, double size)
    {
        const auto key = std::make_pair(family, size);
        auto it = m_fonts.find(key);
        if (it != m_fonts.end())
            return it->second;
        QFont f(family);
        f.setPointSizeF(size);
        if (family == kPrintFont) {
            f.setStyleHint(QFont::TypeWriter);
            f.setFixedPitch(true);
            const double wanted = characterWidth(family, size) * m_dotsPerTwip;
            const double actual = QFontMetricsF(f, m_device).horizontalAdvance(QLatin1Char('M'));
            if (actual > 0)
                f.setLetterSpacing(QFont::AbsoluteSpacing, wanted - actual);
        } else {
            f.setStyleHint(QFont::Serif);
        }
        return m_fonts.emplace(key, f).first->second;
    }

private:
    QPaintDevice* m_device;
    double m_dotsPerTwip;
    std::map<std::pair<QString, double>, QFont> m_fonts;
};

} // namespace

QString renderPages(const std::vector<PrintPage>& pages, QPrinter& printer)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("Impossibile avviare la stampa.");
    const double dotsPerTwip = printer.resolution() / 1440.0;
    FontCache fonts(&printer, dotsPerTwip);
    bool first = true;
    for (const PrintPage& page : pages) {
        if (!first && !printer.newPage()) {
            painter.end();
            return QStringLiteral("Impossibile passare alla pagina successiva della stampa.");
        }
        first = false;
        for (const PrintItem& item : page.items) {
            if (item.kind == PrintItem::Kind::Rule) {
                QPen pen(Qt::black);
                pen.setWidthF(item.lineWidth * dotsPerTwip);
                painter.setPen(pen);
                painter.drawLine(QPointF(item.x * dotsPerTwip, item.y * dotsPerTwip),
                                 QPointF(item.x2 * dotsPerTwip, item.y * dotsPerTwip));
                continue;
            }
            QFont font = fonts.font(item.font, item.size);
            if (item.maxWidth > 0) {
                // The machine's substitute for a font may be wider than the layout measured.
                const double room = item.maxWidth * dotsPerTwip;
                const double width = QFontMetricsF(font, &printer).horizontalAdvance(item.text);
                if (width > room)
                    font.setPointSizeF(font.pointSizeF() * room / width * 0.98);
            }
            painter.setFont(font);
            painter.setPen(Qt::black);
            const double ascent = QFontMetricsF(font, &printer).ascent();
            painter.drawText(QPointF(item.x * dotsPerTwip, item.y * dotsPerTwip + ascent),
                             item.text);
        }
    }
    if (!painter.end())
        return QStringLiteral("La stampa non è stata completata.");
    return QString();
}

QString printReportToPdf(const ReportData& data, const QString& pdfPath)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfPath);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter));
    const QString error = renderPages(layoutDirectReport(data), printer);
    if (!error.isEmpty())
        return error;
    if (!QFileInfo(pdfPath).isFile())
        return QStringLiteral("Impossibile scrivere il file \"%1\".").arg(displayPath(pdfPath));
    return QString();
}

} // namespace zant
