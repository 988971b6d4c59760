#pragma once

#include "report/direct_print.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace zant {

// Where the direct print's pages begin and where their footers go, in twips.
constexpr int kPageStart = 1000;
constexpr int kFooterX = 9800;
constexpr int kFooterY = 15500;
// Running text that would reach the footer continues on the next page.
constexpr int kTextBottom = kFooterY - 100;
constexpr int kRuleWidth = 15;

// Prints like a line printer with a movable print head: texts go at character columns of the
// current line, a line ends explicitly, and page routines add footers and new pages.
class PagePrinter final
{
public:
    PagePrinter() { m_pages.push_back(PrintPage{1, {}}); }

    void setFont(const QString& font) { m_font = font; }
    void setSize(double size) { m_size = size; }
    double size() const { return m_size; }
    int y() const { return m_y; }
    void moveTo(int y) { m_y = y; }

    // Text starting at column c of the current line.
    void at(int column, const QString& text)
    {
        if (text.isEmpty())
            return;
        PrintItem item;
        item.x = (column - 1) * characterWidth(m_font, m_size);
        item.y = m_y;
        item.font = m_font;
        item.size = m_size;
        item.text = text;
        item.maxWidth = std::max(0, kRightLimit - item.x);
        m_pages.back().items.push_back(item);
        m_lineHeight = std::max(m_lineHeight, lineHeight(m_font, m_size));
    }

    // Room from column c to the right margin, in twips.
    int room(int column) const
    {
        return kRightLimit - (column - 1) * characterWidth(m_font, m_size);
    }

    // A text broken at blanks into lines that fit between column c and the right margin; a
    // word longer than a line is cut where the line is full, with nothing added, and its last
    // piece may share its line with the words after it.
    QStringList wrap(int column, const QString& text) const
    {
        const int width = room(column);
        QStringList lines;
        QString current;
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
            if (textWidth(m_font, m_size, candidate) <= width) {
                current = candidate;
                continue;
            }
            if (!current.isEmpty())
                lines << current;
            // Each cut measures only the characters of its own line.
            qsizetype start = 0;
            for (;;) {
                const QStringView rest = QStringView(word).mid(start);
                const qsizetype fit = fittingLength(m_font, m_size, rest, width);
                if (fit >= rest.size()) {
                    current = rest.toString();
                    break;
                }
                lines << rest.left(fit).toString();
                start += fit;
            }
        }
        if (!current.isEmpty() || lines.isEmpty())
            lines << current;
        return lines;
    }

    // Prints a text from column c, on as many lines as it needs; returns how many.
    int wrapped(int column, const QString& text)
    {
        const QStringList lines = wrap(column, text);
        for (const QString& l : lines)
            line(column, l);
        return static_cast<int>(lines.size());
    }

    // One line at the current size, or smaller (never below 8 points) when it would not fit;
    // what does not fit even then is wrapped. Returns the number of lines.
    int fitted(int column, const QString& text)
    {
        const double size = m_size;
        const int width = textWidth(m_font, size, text);
        if (width > room(column) && width > 0) {
            const double room = kRightLimit - (column - 1) * characterWidth(m_font, size);
            m_size = std::max(8.0, std::floor(size * room / width * 2) / 2);
        }
        // The column keeps its place when the size changes.
        const int x = (column - 1) * characterWidth(m_font, size);
        const int smallColumn = x / std::max(1, characterWidth(m_font, m_size)) + 1;
        const int lines = wrapped(smallColumn, text);
        m_size = size;
        return lines;
    }

    // Text whose last character falls on the right margin.
    void rightAligned(const QString& text)
    {
        const int column = (kRightLimit - textWidth(m_font, m_size, text)) /
                               std::max(1, characterWidth(m_font, m_size)) +
                           1;
        line(std::max(1, column), text);
    }

    // A number with its leading blank, its last character on column c.
    void rightAt(int column, const QString& text) { at(column + 1 - text.size(), text); }

    void endLine()
    {
        m_y += std::max(m_lineHeight, lineHeight(m_font, m_size));
        m_lineHeight = 0;
    }

    void line(int column, const QString& text)
    {
        at(column, text);
        endLine();
    }

    void emptyLines(int count)
    {
        for (int i = 0; i < count; ++i)
            endLine();
    }

    void rule(int x1, int x2, int y)
    {
        PrintItem item;
        item.kind = PrintItem::Kind::Rule;
        item.x = x1;
        item.x2 = x2;
        item.y = y;
        item.lineWidth = kRuleWidth;
        m_pages.back().items.push_back(item);
        m_y = y;
    }

    // Starts a new page, without a footer on the page left (the cover).
    void newPage()
    {
        m_pages.push_back(PrintPage{static_cast<int>(m_pages.size()) + 1, {}});
        m_y = kPageStart;
        m_lineHeight = 0;
    }

    void footer()
    {
        PrintItem item;
        item.y = kFooterY;
        item.font = kPrintFont;
        item.size = kPrintSize;
        item.text = QStringLiteral("pagina ") + QString::number(pageNumber());
        // Long page numbers move left rather than past the margin.
        item.x = std::min(kFooterX, kRightLimit - textWidth(item.font, item.size, item.text));
        item.maxWidth = kRightLimit - item.x;
        m_pages.back().items.push_back(item);
    }

    void NewPrintPage()
    {
        footer();
        newPage();
    }

    // Running text: a line that would reach the footer goes to the next page.
    void textLine(int column, const QString& text)
    {
        if (m_y + lineHeight(m_font, m_size) > kTextBottom)
            NewPrintPage();
        line(column, text);
    }

    int pageNumber() const { return static_cast<int>(m_pages.size()); }

    // Puts finished pages before the current page, which is still empty, and numbers it after
    // them.
    void insertPages(std::vector<PrintPage> pages)
    {
        m_pages.pop_back();
        for (PrintPage& page : pages)
            m_pages.push_back(std::move(page));
        newPage();
    }
    std::vector<PrintPage> take() { return std::move(m_pages); }

private:
    std::vector<PrintPage> m_pages;
    QString m_font = kPrintFont;
    double m_size = kPrintSize;
    int m_y = kPageStart;
    int m_lineHeight = 0;
};

} // namespace zant
