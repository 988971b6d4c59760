#include "report/print_renderer.h"

#include "model/file_io.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <cerrno>
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

namespace {

// Paints the pages on a printer or a PDF writer. Returns the message of a failure.
Result<void> paintPages(const std::vector<PrintPage>& pages, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return Error(ErrorKind::File, critical(QStringLiteral("Impossibile avviare la stampa.")));
    const double dotsPerTwip = device.logicalDpiX() / 1440.0;
    FontCache fonts(&device, dotsPerTwip);
    bool first = true;
    for (const PrintPage& page : pages) {
        // Sections on landscape pages turn the page before it starts.
        const auto orientation = page.landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
        if (device.pageLayout().orientation() != orientation)
            device.setPageOrientation(orientation);
        if (!first && !device.newPage()) {
            painter.end();
            return Error(ErrorKind::File,
                         critical(QStringLiteral(
                             "Impossibile passare alla pagina successiva della stampa.")));
        }
        first = false;
        for (const PrintItem& item : page.items) {
            if (item.kind == PrintItem::Kind::Picture) {
                if (!item.picture || item.pictureSize.isEmpty())
                    continue;
                painter.save();
                painter.translate(item.x * dotsPerTwip, item.y * dotsPerTwip);
                painter.scale((item.x2 - item.x) * dotsPerTwip / item.pictureSize.width(),
                              (item.y2 - item.y) * dotsPerTwip / item.pictureSize.height());
                (*item.picture)(painter);
                painter.restore();
                continue;
            }
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
                const double width = QFontMetricsF(font, &device).horizontalAdvance(item.text);
                if (width > room)
                    font.setPointSizeF(font.pointSizeF() * room / width * 0.98);
            }
            painter.setFont(font);
            painter.setPen(Qt::black);
            const double ascent = QFontMetricsF(font, &device).ascent();
            painter.drawText(QPointF(item.x * dotsPerTwip, item.y * dotsPerTwip + ascent),
                             item.text);
        }
    }
    if (!painter.end())
        return Error(ErrorKind::File,
                     critical(QStringLiteral("La stampa non è stata completata.")));
    return {};
}

// A PDF is complete when its end-of-file marker made it to the disk.
bool pdfIsComplete(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 8)
        return false;
    file.seek(std::max<qint64>(0, file.size() - 1024));
    return file.readAll().contains("%%EOF");
}

QPageLayout reportPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(5, 5, 5, 5),
                       QPageLayout::Millimeter);
}

} // namespace

Result<void> renderPages(const std::vector<PrintPage>& pages, QPrinter& printer)
{
    const QString target = printer.outputFileName();
    if (printer.outputFormat() != QPrinter::PdfFormat || target.isEmpty())
        return paintPages(pages, printer);
    // A printer writing a PDF file writes it under a temporary name in the same folder; it takes
    // the file's name only once complete, so a failed print leaves an older file as it was.
    return saveFileByName(target, [&](const QString& temporary) -> Result<void> {
        printer.setOutputFileName(temporary);
        const Result<void> error = paintPages(pages, printer);
        printer.setOutputFileName(target);
        if (!pdfIsComplete(temporary))
            return writeRefused(errno);
        if (!error.ok())
            return Error(ErrorKind::File,
                         critical(QStringLiteral("Impossibile salvare il file \"%1\": %2")
                                      .arg(displayPath(target), error.error().text)));
        return {};
    });
}

Result<void> printReportToPdf(const ReportData& data, const QString& pdfPath,
                              const SaveTargetFactory& targets)
{
    return writePagesToPdf(layoutDirectReport(data), pdfPath, QString(), targets);
}

Result<void> writePagesToPdf(const std::vector<PrintPage>& pages, const QString& pdfPath,
                             const QString& title, const SaveTargetFactory& targets)
{
    return saveFile(
        pdfPath,
        [&](QIODevice& device) -> Result<void> {
            // The PDF engine does not check its writes; the device in between does.
            WriteCheckingDevice checked(device);
            QPdfWriter writer(&checked);
            writer.setResolution(1200);
            writer.setCreator(QStringLiteral("ZANT"));
            if (!title.isEmpty())
                writer.setTitle(title);
            writer.setPageLayout(reportPageLayout());
            const Result<void> error = paintPages(pages, writer);
            if (checked.failed())
                return writeRefused(checked.systemError());
            if (!error.ok())
                return Error(ErrorKind::File,
                             critical(QStringLiteral("Impossibile salvare il file \"%1\": %2")
                                          .arg(displayPath(pdfPath), error.error().text)));
            return {};
        },
        targets);
}

} // namespace zant
