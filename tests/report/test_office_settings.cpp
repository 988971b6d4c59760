#include "report/office_settings.h"
#include "report/settings_file.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;

class TestOfficeSettings final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString file(const QString& name, const QByteArray& bytes)
    {
        return test::writeTestFile(m_dir, name, bytes);
    }

private slots:
    void valuesComeThroughWhole_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::newRow("commas")
            << QByteArray(
                   "[studio]\nnome=Studio Rossi, Bianchi & C.\nindirizzo=Via Roma 1, 00100 Roma\n")
            << "Studio Rossi, Bianchi & C."
            << "Via Roma 1, 00100 Roma";
        QTest::newRow("quotes inside")
            << QByteArray("[studio]\nnome=Studio \"Alfa\"\nindirizzo=Via dell'Orto 3\n")
            << "Studio \"Alfa\""
            << "Via dell'Orto 3";
        QTest::newRow("a value wholly quoted loses the quotes")
            << QByteArray(
                   "[studio]\nnome=\"Studio Rossi, Roma\"\nindirizzo=\"  Via \\\"Po\\\" 2\"\n")
            << "Studio Rossi, Roma"
            << "  Via \"Po\" 2";
        QTest::newRow("blanks around the equals sign, CR LF lines")
            << QByteArray("[studio]\r\n  nome =   Studio Verdi\r\nindirizzo= Piazza Duomo 1 \r\n")
            << "Studio Verdi"
            << "Piazza Duomo 1";
        QTest::newRow("UTF-8 accents")
            << QByteArray("[studio]\nnome=Studio Nicolò Lucà\nindirizzo=Città di Castello\n")
            << "Studio Nicolò Lucà"
            << "Città di Castello";
        QTest::newRow("Windows-1252 accents")
            << QByteArray("[studio]\nnome=Studio Nicol\xf2\nindirizzo=Citt\xe0 di Castello\n")
            << "Studio Nicolò"
            << "Città di Castello";
        QTest::newRow("UTF-8 byte order mark and comments")
            << QByteArray("\xef\xbb\xbf; ufficio\n[studio]\n# nome=no\nnome=Studio Blu\n")
            << "Studio Blu"
            << "Indirizzo non configurato";
        QTest::newRow("other sections are not read")
            << QByteArray("[altro]\nnome=Altro\n[studio]\nindirizzo=Via Po 2\n")
            << "Studio tecnico non configurato"
            << "Via Po 2";
        const QString unicode =
            QStringLiteral("[studio]\r\nnome=Studio Nicolò\r\nindirizzo=Città\r\n");
        QByteArray utf16le("\xff\xfe");
        for (const QChar c : unicode)
            utf16le += QByteArray(1, char(c.unicode() & 0xFF)) + char(c.unicode() >> 8);
        QTest::newRow("UTF-16 with its byte order mark, as Notepad saves Unicode")
            << utf16le << "Studio Nicolò"
            << "Città";
        QByteArray utf32be("\x00\x00\xfe\xff", 4);
        for (const QChar c : unicode)
            utf32be += QByteArray(2, '\0') + char(c.unicode() >> 8) + char(c.unicode() & 0xFF);
        QTest::newRow("UTF-32 big-endian with its mark") << utf32be << "Studio Nicolò"
                                                         << "Città";
        QTest::newRow("lines ended by CR alone")
            << QByteArray("[studio]\rnome=Studio Verdi\rindirizzo=Via Po 2\r") << "Studio Verdi"
            << "Via Po 2";
        QTest::newRow("empty file") << QByteArray() << "Studio tecnico non configurato"
                                    << "Indirizzo non configurato";
    }

    void valuesComeThroughWhole()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, name);
        QFETCH(QString, address);
        const auto settings = OfficeSettings::read(file("zant.ini", ini));
        QVERIFY(settings);
        QCOMPARE(settings.value().officeName, name);
        QCOMPARE(settings.value().officeAddress, address);
        QCOMPARE(OfficeSettings::load(file("zant.ini", ini)).officeName, name);
    }

    void unreadableFilesAreErrorsOnlyWhenNamed_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "manca.ini"
                                 << "il file non esiste";
        QTest::newRow("a folder") << "cartella"
                                  << "è una cartella";
    }

    void unreadableFilesAreErrorsOnlyWhenNamed()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_dir.path()).mkpath("cartella"));
        const QString full = m_dir.filePath(path);
        const auto settings = OfficeSettings::read(full);
        QVERIFY(!settings);
        QVERIFY2(settings.error().text.contains(QDir::toNativeSeparators(full)),
                 qPrintable(settings.error().text));
        QVERIFY2(settings.error().text.contains(reason), qPrintable(settings.error().text));
        // The default file may be missing: the documents then show the placeholders.
        QCOMPARE(OfficeSettings::load(full).officeName, QString("Studio tecnico non configurato"));
    }

    // Writing the settings changes the office's keys and nothing else of the file.
    void writerKeepsEverythingElse_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("designer");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("a new file")
            << QByteArray() << "Studio Blu"
            << "Via Po 2"
            << "" << QByteArray("[studio]\nnome=Studio Blu\nindirizzo=Via Po 2\nprogettista=\n");
        QTest::newRow("keys replaced where they stand, other keys and sections kept")
            << QByteArray("; ufficio\n[studio]\nnome=Vecchio\naltro=1\nindirizzo=Via X\n\n"
                          "[recenti]\nfile1=/a.txt\n")
            << "Nuovo"
            << "Via Y"
            << "Ing. Z"
            << QByteArray("; ufficio\n[studio]\nnome=Nuovo\naltro=1\nindirizzo=Via Y\n"
                          "progettista=Ing. Z\n\n[recenti]\nfile1=/a.txt\n");
        QTest::newRow("CR LF kept, the section added at the end")
            << QByteArray("[altro]\r\nx=y\r\n") << "S"
            << "I"
            << "P"
            << QByteArray("[altro]\r\nx=y\r\n\r\n[studio]\r\nnome=S\r\nindirizzo=I\r\n"
                          "progettista=P\r\n");
        QTest::newRow("letter case of keys and sections, repeated keys dropped")
            << QByteArray("[Studio]\nNOME=a\nnome=b\n") << "N"
            << "I"
            << "" << QByteArray("[Studio]\nnome=N\nindirizzo=I\nprogettista=\n");
        QTest::newRow("values that need quotes")
            << QByteArray() << "\"Alfa\""
            << "  Via Po "
            << "a\\b"
            << QByteArray("[studio]\nnome=\"\\\"Alfa\\\"\"\nindirizzo=\"  Via Po \"\n"
                          "progettista=a\\b\n");
        QTest::newRow("a Windows-1252 file comes back in UTF-8")
            << QByteArray("; citt\xe0\n[studio]\nnome=x\n") << "Studio Nicolò"
            << "Città"
            << ""
            << QByteArray("; città\n[studio]\nnome=Studio Nicolò\nindirizzo=Città\n"
                          "progettista=\n");
        QTest::newRow("a UTF-16 file with its byte order mark")
            << QByteArray("\xff\xfe[\0s\0t\0u\0d\0i\0o\0]\0\n\0n\0o\0m\0e\0=\0x\0\n\0", 30) << "N"
            << "I"
            << "" << QByteArray("[studio]\nnome=N\nindirizzo=I\nprogettista=\n");
    }

    void writerKeepsEverythingElse()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, name);
        QFETCH(QString, address);
        QFETCH(QString, designer);
        QFETCH(QByteArray, after);
        // A missing configuration folder is made.
        QVERIFY(QDir(m_dir.filePath("cartella nuova")).removeRecursively());
        const QString path = m_dir.filePath("cartella nuova/zant.ini");
        if (!before.isEmpty()) {
            QVERIFY(QDir(m_dir.path()).mkpath("cartella nuova"));
            file("cartella nuova/zant.ini", before);
        }
        OfficeSettings office{name, address, designer};
        QVERIFY(writeOfficeSettings(path, office).ok());
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), after);
        // The reader takes back what was written.
        const OfficeSettings back = OfficeSettings::load(path);
        QCOMPARE(back.officeName, name);
        QCOMPARE(back.officeAddress, address);
        QCOMPARE(back.designer, designer.trimmed());
    }
};

QTEST_GUILESS_MAIN(TestOfficeSettings)
#include "test_office_settings.moc"
