// Every file of the fuzz targets' starting corpora, through the properties the fuzzers check.

#include "file_properties.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

using namespace zant;

class TestFuzzCorpus final : public QObject
{
    Q_OBJECT

private slots:
    void corpus_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("kind");
        for (const QString kind : {"project", "titlepage", "section"}) {
            const QDir dir(QStringLiteral(ZANT_FUZZ_CORPUS "/") + kind);
            const QStringList files = dir.entryList(QDir::Files, QDir::Name);
            QVERIFY2(!files.isEmpty(), qPrintable(dir.path()));
            for (const QString& file : files)
                QTest::newRow(qPrintable(kind + '/' + file)) << dir.filePath(file) << kind;
        }
    }

    void corpus()
    {
        QFETCH(QString, path);
        QFETCH(QString, kind);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const QString fault = kind == "project"     ? fuzz::projectFileFault(bytes)
                              : kind == "titlepage" ? fuzz::titlePageFault(bytes)
                                                    : fuzz::extendedSectionFault(bytes);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    }
};

QTEST_GUILESS_MAIN(TestFuzzCorpus)
#include "test_fuzz_corpus.moc"
