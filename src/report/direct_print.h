#pragma once

#include "report/documents.h"

#include <QSizeF>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace zant {

// The printed report as pages of texts and rules placed in twips from the top-left corner of
// the printable area. Character columns map to positions through the width of the font: column
// c starts at (c - 1) character widths.
struct PrintItem
{
    enum class Kind
    {
        Text,
        Rule,
        Picture
    };
    Kind kind = Kind::Text;
    int x = 0;
    int y = 0; // top of the text line, or the height of a rule
    QString font;
    double size = 12;
    QString text;
    int x2 = 0;        // end of a rule
    int lineWidth = 0; // thickness of a rule, twips
    // Room for the text up to the right margin: a printer font wider than the layout's
    // measure is drawn smaller so that the text keeps inside it.
    int maxWidth = 0;
    // A picture fills the box from (x, y) to (x2, y2), drawn as vectors by its painter in units
    // of pictureSize.
    int y2 = 0;
    std::shared_ptr<const std::function<void(QPainter&)>> picture;
    QSizeF pictureSize;
};

struct PrintPage
{
    int number = 0;
    std::vector<PrintItem> items;
    bool landscape = false;
};

inline const QString kCoverFont = QStringLiteral("Roman");
inline const QString kPrintFont = QStringLiteral("Courier New");
inline constexpr double kPrintSize = 12;

// The printable area the layout fills: an A4 sheet less the 5 mm a printer keeps clear on
// every side. Text ends by kRightLimit, 1 cm from the sheet's edge.
inline constexpr int kPrintableWidth = 11340;
inline constexpr int kPrintableHeight = 16272;
inline constexpr int kRightLimit = kPrintableWidth - 283;
// The same limits on the landscape pages of the report's pictures.
inline constexpr int kLandscapePrintableWidth = kPrintableHeight;
inline constexpr int kLandscapePrintableHeight = kPrintableWidth;
inline constexpr int kLandscapeRightLimit = kLandscapePrintableWidth - 283;

// Widths and heights of the two print fonts, in twips, for a size in points.
int characterWidth(const QString& font, double size);
int lineHeight(const QString& font, double size);
// Width of a text: exact for the monospaced print font, on the wide side for the cover's
// proportional font.
int textWidth(const QString& font, double size, QStringView text);
// How many characters from the start of `text` fit in `width` twips as textWidth() measures
// them, each character measured once; at least one, and a surrogate pair is never cut.
qsizetype fittingLength(const QString& font, double size, QStringView text, int width);

// Lays out the whole report: cover, method, data and their table, results, tables A, B and C,
// the closing block, with "pagina N" footers on every page but the cover.
std::vector<PrintPage> layoutDirectReport(const ReportData& data);

} // namespace zant
