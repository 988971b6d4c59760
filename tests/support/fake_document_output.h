#pragma once

#include "report/document_output.h"

#include <QStringList>
#include <QTemporaryDir>

namespace zant::test {

// Documents go to a temporary folder at a fixed time; opening succeeds or fails on request.
class FakeDocumentOutput final : public DocumentOutput
{
public:
    QTemporaryDir dir;
    // The documents folder inside dir.
    QString sub = QStringLiteral("ZANT");
    bool canOpen = true;
    QStringList opened;

    QString folder() const override { return dir.filePath(sub); }
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 7), QTime(15, 30)); }
    bool open(const QString& path) override
    {
        opened << path;
        return canOpen;
    }
};

} // namespace zant::test
