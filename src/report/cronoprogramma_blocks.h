#pragma once

// The blocks of the cronoprogramma, shared by its .docx and its direct print.

#include "report/cronoprogramma.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace zant::plan_document {

constexpr double kTableSize = 8;

// The document as a list of blocks, shared by the .docx and the direct print.
struct TableModel
{
    std::vector<QStringList> header; // one or two rows
    std::vector<QStringList> rows;
    std::vector<int> right; // columns (from 1) aligned right and fitted to their contents
    int columns() const { return header.empty() ? 0 : static_cast<int>(header.front().size()); }
};

struct Block
{
    enum class Kind
    {
        Cover,
        Heading,
        Text,
        Table,
        Gantt,
        SCurve,
        Section,
        Signature
    };
    Kind kind = Kind::Text;
    int level = 1;
    QString text;
    TableModel table;
    SectionPage page = SectionPage::Portrait;
};

struct CoverLine
{
    QString text;
    double size = 12;
    bool bold = false;
    int gapBefore = 0; // empty lines before it
};

std::vector<CoverLine> coverLines(const CronoprogrammaData& d);
// The blocks of the whole document, in reading order.
std::vector<Block> documentBlocks(const CronoprogrammaData& d);
std::vector<QString> signatureLines(const CronoprogrammaData& d);

} // namespace zant::plan_document
