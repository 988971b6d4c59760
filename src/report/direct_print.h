#pragma once

#include "report/documents.h"

#include <QString>

#include <vector>

namespace zant {

// The printed report as pages of texts and rules placed in twips from the top-left corner of
// the printable area. Character columns map to positions through the width of the font: column
// c starts at (c - 1) character widths.
struct PrintItem
{
    enum class Kind
    {
        Text,
        Rule
    };
    Kind kind = Kind::Text;
    int x = 0;
    int y = 0; // top of the text line, or the height of a rule
    QString font;
    double size = 12;
    QString text;
    int x2 = 0;        // end of a rule
    int lineWidth = 0; // thickness of a rule, twips
};

struct PrintPage
{
    int number = 0;
    std::vector<PrintItem> items;
};

inline const QString kCoverFont = QStringLiteral("Roman");
inline const QString kPrintFont = QStringLiteral("Courier New");
inline constexpr double kPrintSize = 12;

// Widths and heights of the two print fonts, in twips, for a size in points.
int characterWidth(const QString& font, double size);
int lineHeight(const QString& font, double size);

// Lays out the whole report: cover, method, data and their table, results, tables A, B and C,
// the closing block, with "pagina N" footers on every page but the cover.
std::vector<PrintPage> layoutDirectReport(const ReportData& data);

} // namespace zant
