#pragma once

#include "report/document_output.h"

#include <QStringList>
#include <QTemporaryDir>

namespace zant::test {

// Documents go to a temporary folder at a fixed time; nothing opens them.
class FakeDocumentOutputLite final : public DocumentOutput
{
public:
    QTemporaryDir dir;
    QString sub = QStringLiteral("ZANT");
    QStringList opened;

    QString folder() const override { return dir.filePath(sub); }
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 7), QTime(15, 30)); }
    bool open(const QString& path) override
    {
        opened << path;
        return true;
    }
};

} // namespace zant::test
