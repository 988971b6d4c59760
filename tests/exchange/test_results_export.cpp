#include "exchange/results_export.h"
#include "support/docx_package.h"
#include "support/fail_device.h"
#include "support/message_text.h"
#include "support/project_builder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace zant;
using test::XmlElement;

Q_DECLARE_METATYPE(zant::test::FailAt)

namespace {

Project diamond()
{
    return test::buildProject(QStringLiteral("4: 1>2=5 1>3=2 2>4=1 3>4=1"),
                              QStringLiteral("01/03/2027"));
}

// The cells of a worksheet part by reference ("B2"), with their type, style and value.
struct CellInfo
{
    QString type;
    QString style;
    QString value;
};

QMap<QString, CellInfo> cellsOf(const QByteArray& part)
{
    XmlElement root;
    QString error;
    QMap<QString, CellInfo> cells;
    if (!test::parseXml(part, &root, &error))
        return cells;
    for (const XmlElement* c : root.descendants(QStringLiteral("c"))) {
        const XmlElement* v = c->child(QStringLiteral("v"));
        cells.insert(c->attribute(QStringLiteral("r")),
                     {c->attribute(QStringLiteral("t")), c->attribute(QStringLiteral("s")),
                      v ? v->text : QString()});
    }
    return cells;
}

} // namespace

class TestResultsExport final : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void activitiesAreNamedByTheirOwnNames()
    {
        Project p = diamond();
        QVERIFY(p.setLinkName(1, 2, QStringLiteral("Fornitura «serramenti» ≥ 2")).ok());
        const auto sheets = resultSheets(p, ComputeSchedule(p));
        QCOMPARE(std::get<QString>(sheets[1].rows[1][2]),
                 QStringLiteral("Fornitura «serramenti» ≥ 2"));
        QCOMPARE(std::get<QString>(sheets[1].rows[0][2]), p.description(2));
    }

    void activitiesCarryTheirAmounts()
    {
        Project p = diamond();
        QVERIFY(p.setLinkAmount(1, 2, 123'456'789).ok());
        QVERIFY(p.setLinkCategory(1, 2, QStringLiteral("OG1 - Edifici civili")).ok());
        const auto sheets = resultSheets(p, ComputeSchedule(p));
        QCOMPARE(sheets[1].headers.mid(12),
                 QStringList({QStringLiteral("Importo (€)"), QStringLiteral("Categoria")}));
        QCOMPARE(std::get<Cents>(sheets[1].rows[1][12]), Cents{123'456'789});
        QCOMPARE(std::get<QString>(sheets[1].rows[1][13]), QStringLiteral("OG1 - Edifici civili"));
        QCOMPARE(std::get<Cents>(sheets[1].rows[0][12]), Cents{0});
        const QString csv = QString::fromUtf8(resultSheetCsv(sheets[1]));
        QVERIFY2(csv.contains(QStringLiteral(";no;1.234.567,89;OG1 - Edifici civili\r\n")),
                 qPrintable(csv));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("importi.xlsx"));
        QCOMPARE(test::messageText(exportResultsXlsx(path, p, ComputeSchedule(p))), QString());
        test::DocxPackage package;
        QString error;
        QVERIFY2(package.open(path, &error), qPrintable(error));
        const auto cells = cellsOf(package.entry(QStringLiteral("xl/worksheets/sheet2.xml")));
        QCOMPARE(cells.value("M3").type, QString()); // a number, in euro
        QCOMPARE(cells.value("M3").value, QStringLiteral("1234567.89"));
        QVERIFY(!cells.value("M3").style.isEmpty());
        QVERIFY(package.entry(QStringLiteral("xl/styles.xml")).contains("formatCode=\"#,##0.00\""));
    }

    void sheetsHoldTheResults()
    {
        const Project p = diamond();
        const auto sheets = resultSheets(p, ComputeSchedule(p));
        QCOMPARE(sheets.size(), std::size_t(3));
        QCOMPARE(sheets[0].name, QStringLiteral("Eventi"));
        QCOMPARE(sheets[0].rows.size(), std::size_t(4));
        QCOMPARE(sheets[1].name, QStringLiteral("Attività"));
        QCOMPARE(sheets[1].rows.size(), std::size_t(4));
        QCOMPARE(sheets[2].name, QStringLiteral("Percorso critico"));
        QCOMPARE(sheets[2].rows.size(), std::size_t(3)); // events 1, 2, 4
        // Activity 1 → 3 (2 days): starts 01/03, latest finish 06/03; total float 3, but event 3
        // is reached as soon as it ends, so no free or independent float.
        const auto& row = sheets[1].rows[1];
        QCOMPARE(std::get<double>(row[1]), 3.0);
        QCOMPARE(std::get<QDate>(row[4]), QDate(2027, 3, 1));
        QCOMPARE(std::get<QDate>(row[5]), QDate(2027, 3, 3));
        QCOMPARE(std::get<QDate>(row[6]), QDate(2027, 3, 4));
        QCOMPARE(std::get<QDate>(row[7]), QDate(2027, 3, 6));
        QCOMPARE(std::get<double>(row[8]), 3.0);
        QCOMPARE(std::get<double>(row[9]), 0.0);
        QCOMPARE(std::get<double>(sheets[1].rows[3][9]), 3.0); // 3 → 4 may slip 3 days
        QCOMPARE(std::get<double>(row[10]), 0.0);
        QCOMPARE(std::get<QString>(row[11]), QStringLiteral("no"));
    }

    // The workbook is a zip of XML parts: numbers and dates are stored as numbers, dates with a
    // date format, the header bold and frozen, with an autofilter.
    void workbookHoldsNumbersAndDates()
    {
        const QString path = m_dir.filePath(QStringLiteral("risultati.xlsx"));
        const Project p = diamond();
        QCOMPARE(test::messageText(exportResultsXlsx(path, p, ComputeSchedule(p))), QString());
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("risultati.xlsx")}); // no temporary file left
        test::DocxPackage package;
        QString error;
        QVERIFY2(package.open(path, &error), qPrintable(error));
        const QString workbook =
            QString::fromUtf8(package.entry(QStringLiteral("xl/workbook.xml")));
        QVERIFY(workbook.contains(QStringLiteral("name=\"Eventi\"")));
        QVERIFY(workbook.contains(QStringLiteral("name=\"Attività\"")));
        QVERIFY(workbook.contains(QStringLiteral("name=\"Percorso critico\"")));

        const QByteArray events = package.entry(QStringLiteral("xl/worksheets/sheet1.xml"));
        const auto cells = cellsOf(events);
        QCOMPARE(cells.value("A1").type, QStringLiteral("s")); // heading text
        QCOMPARE(cells.value("A3").type, QString());           // event 2 as a number
        QCOMPARE(cells.value("A3").value, QStringLiteral("2"));
        QCOMPARE(cells.value("C3").value, QStringLiteral("5"));
        // 06/03/2027 is day 46452 of Excel's calendar.
        QCOMPARE(cells.value("D3").type, QString());
        QCOMPARE(cells.value("D3").value, QStringLiteral("46452"));
        const QString dateStyle = cells.value("D3").style;
        QVERIFY(!dateStyle.isEmpty());
        QVERIFY(events.contains("state=\"frozen\""));
        QVERIFY(events.contains("<autoFilter ref=\"A1:H5\"/>"));
        QVERIFY(events.contains("<cols>"));

        const QByteArray styles = package.entry(QStringLiteral("xl/styles.xml"));
        QVERIFY(styles.contains("formatCode=\"dd/mm/yyyy\""));
        QVERIFY(styles.contains("<b/>"));
        XmlElement root;
        QVERIFY(test::parseXml(styles, &root, &error));
        const XmlElement* cellXfs = root.descendants(QStringLiteral("cellXfs")).value(0);
        QVERIFY(cellXfs);
        const auto xfs = cellXfs->childrenNamed(QStringLiteral("xf"));
        const QString numFmtId =
            xfs.value(dateStyle.toInt())->attribute(QStringLiteral("numFmtId"));
        bool isDateFormat = false;
        for (const XmlElement* f : root.descendants(QStringLiteral("numFmt")))
            isDateFormat = isDateFormat || (f->attribute(QStringLiteral("numFmtId")) == numFmtId &&
                                            f->attribute(QStringLiteral("formatCode")) ==
                                                QLatin1String("dd/mm/yyyy"));
        QVERIFY(isDateFormat);
    }

    void failedWriteLeavesTheOldFile()
    {
        const QString folder = m_dir.filePath(QStringLiteral("sola-lettura"));
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/r.xlsx");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("vecchio");
        old.close();
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const Project p = diamond();
        const Result<void> failed = exportResultsXlsx(path, p, ComputeSchedule(p));
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        if (QFileInfo(folder).isWritable() && failed.ok())
            QSKIP("running with permissions that ignore a read-only folder");
        QVERIFY(!failed.ok());
        QVERIFY(failed.error().text.contains(QStringLiteral("r.xlsx")));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("vecchio"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{"r.xlsx"});
    }

    void unwritableTargetsRefused_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "manca/r.xlsx"
                                        << "Impossibile salvare il file";
        QTest::newRow("target is a folder") << "."
                                            << "è una cartella";
    }
    void unwritableTargetsRefused()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        const QStringList before = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden);
        const Project p = diamond();
        const Result<void> failed =
            exportResultsXlsx(m_dir.filePath(target), p, ComputeSchedule(p));
        QVERIFY(!failed.ok());
        QVERIFY2(failed.error().text.contains(reason), qPrintable(failed.error().text));
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    }

    // Excel holds 32,767 characters in a cell: a longer description is refused by name, in
    // Italian, and nothing is written.
    void descriptionTooLongForACell()
    {
        Project p = diamond();
        p.setDescription(3, QString(32768, QLatin1Char('d')));
        const QString path = m_dir.filePath(QStringLiteral("lunga.xlsx"));
        const Result<void> refused = exportResultsXlsx(path, p, ComputeSchedule(p));
        QVERIFY(!refused.ok());
        QCOMPARE(refused.error().text,
                 QStringLiteral("Impossibile salvare il file \"%1\": la descrizione "
                                "dell'evento n. 3 supera i 32767 caratteri che una "
                                "cella di Excel può contenere.")
                     .arg(QDir::toNativeSeparators(path)));
        QVERIFY(!QFile::exists(path));
        p.setDescription(3, QString(32767, QLatin1Char('d')));
        QCOMPARE(test::messageText(exportResultsXlsx(path, p, ComputeSchedule(p))), QString());
    }

    void csvForItalianExcel()
    {
        const Project p = diamond();
        const auto sheets = resultSheets(p, ComputeSchedule(p));
        const QByteArray csv = resultSheetCsv(sheets[1]);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.first().section(QLatin1Char(';'), 0, 2),
                 QStringLiteral("Da evento;A evento;Descrizione"));
        QCOMPARE(lines[2], QStringLiteral("1;3;Evento 3;2;01/03/2027;03/03/2027;04/03/2027;"
                                          "06/03/2027;3;0;0;no;0,00;"));

        Project fractional =
            test::buildProject(QStringLiteral("2: 1>2=2.5"), QStringLiteral("01/03/2027"));
        fractional.setDescription(2, QStringLiteral("Scavi; \"fondazioni\""));
        const QByteArray more =
            resultSheetCsv(resultSheets(fractional, ComputeSchedule(fractional))[1]);
        QVERIFY2(more.contains("1;2;\"Scavi; \"\"fondazioni\"\"\";2,5;"), more.constData());
    }

    void csvDefusesFormulas_data()
    {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("field");
        QTest::newRow("equals sign") << "=HYPERLINK(\"http://x\";\"clic\")"
                                     << "\"'=HYPERLINK(\"\"http://x\"\";\"\"clic\"\")\"";
        QTest::newRow("plus sign") << "+39 06 1234"
                                   << "'+39 06 1234";
        QTest::newRow("minus sign") << "-2+3"
                                    << "'-2+3";
        QTest::newRow("at sign") << "@SUM(A1)"
                                 << "'@SUM(A1)";
        QTest::newRow("tab") << "\t=1"
                             << "'\t=1";
        QTest::newRow("carriage return") << "\r=1"
                                         << "\"'\r=1\"";
        QTest::newRow("a sign later in the text") << "Scavi = 3 giorni"
                                                  << "Scavi = 3 giorni";
        QTest::newRow("a blank first") << " =1"
                                       << " =1";
    }

    // A text a spreadsheet would run as a formula is written with an apostrophe before it.
    void csvDefusesFormulas()
    {
        QFETCH(QString, description);
        QFETCH(QString, field);
        Project p = diamond();
        p.setDescription(2, description);
        const QString csv =
            QString::fromUtf8(resultSheetCsv(resultSheets(p, ComputeSchedule(p))[0]).mid(3));
        const QString row =
            csv.section(QStringLiteral("\r\n2;"), 1).section(QStringLiteral("\r\n"), 0, 0);
        QVERIFY2(row.startsWith(field + QStringLiteral(";5;")), qPrintable(row));
    }

    // Numbers are not texts: a negative one keeps its sign and stays a number.
    void csvNumbersStayNumbers()
    {
        ResultSheet sheet;
        sheet.headers = {QStringLiteral("numero"), QStringLiteral("testo")};
        sheet.rows.push_back({-3.0, QStringLiteral("-3")});
        sheet.rows.push_back({-2.5, QDate(2027, 3, 1)});
        const QString csv = QString::fromUtf8(resultSheetCsv(sheet).mid(3));
        QCOMPARE(csv, QStringLiteral("numero;testo\r\n-3;'-3\r\n-2,5;01/03/2027\r\n"));
    }

    void csvFolderAllOrNothing_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<test::FailAt>("step");
        QTest::addColumn<int>("systemError");
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QStringList>("replaced");
        QTest::newRow("third file cannot be made") << "Percorso critico.csv" << test::FailAt::Open
                                                   << EACCES << "permesso negato" << QStringList{};
        QTest::newRow("disk full while the third file is written")
            << "Percorso critico.csv" << test::FailAt::Write << ENOSPC << "spazio su disco esaurito"
            << QStringList{};
        QTest::newRow("disk full when the second file is flushed")
            << "Attività.csv" << test::FailAt::Flush << ENOSPC << "spazio su disco esaurito"
            << QStringList{};
        QTest::newRow("the first file cannot take its name")
            << "Eventi.csv" << test::FailAt::Commit << EROFS << "file system di sola lettura"
            << QStringList{};
        QTest::newRow("the third file cannot take its name after the other two")
            << "Percorso critico.csv" << test::FailAt::Commit << EIO
            << "errore di lettura o scrittura del disco"
            << QStringList{"Eventi.csv", "Attività.csv"};
    }

    // The three tables are written complete under temporary names before any takes its name: a
    // failure leaves the folder as it was, or, when a file could not take its name after
    // others had, the message lists exactly those. No temporary file stays behind.
    void csvFolderAllOrNothing()
    {
        QFETCH(QString, failing);
        QFETCH(test::FailAt, step);
        QFETCH(int, systemError);
        QFETCH(QString, cause);
        QFETCH(QStringList, replaced);
        QTemporaryDir dir;
        const QStringList names = {"Attività.csv", "Eventi.csv", "Percorso critico.csv"};
        for (const QString& name : names) {
            QFile old(dir.filePath(name));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("vecchio");
        }
        const Project p = diamond();
        QStringList written;
        const auto targets = [&](const QString& path) -> std::unique_ptr<SaveTarget> {
            if (path.endsWith(failing))
                return std::make_unique<test::FailingTarget>(path, step, systemError, 10);
            return makeFileTarget(path);
        };
        const Result<void> failed =
            exportResultsCsv(dir.path(), p, ComputeSchedule(p), &written, targets);
        QVERIFY(!failed.ok());
        QVERIFY(written.isEmpty());
        const QString start = QStringLiteral("Impossibile salvare il file \"%1\": %2.")
                                  .arg(QDir::toNativeSeparators(dir.filePath(failing)), cause);
        QVERIFY2(failed.error().text.startsWith(start), qPrintable(failed.error().text));
        if (replaced.isEmpty()) {
            QVERIFY2(failed.error().text.endsWith(" I file esistenti non sono stati modificati."),
                     qPrintable(failed.error().text));
        } else {
            QVERIFY2(failed.error().text.endsWith(
                         QStringLiteral(" Erano già stati scritti i file \"%1\" e \"%2\"; gli "
                                        "altri file non sono stati modificati.")
                             .arg(QDir::toNativeSeparators(dir.filePath(replaced[0])),
                                  QDir::toNativeSeparators(dir.filePath(replaced[1])))),
                     qPrintable(failed.error().text));
        }
        for (const QString& name : names) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll() == "vecchio", !replaced.contains(name));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
    }

    void csvFolder()
    {
        const QString folder = m_dir.filePath(QStringLiteral("csv/nuova"));
        const Project p = diamond();
        QStringList written;
        QCOMPARE(test::messageText(exportResultsCsv(folder, p, ComputeSchedule(p), &written)),
                 QString());
        QCOMPARE(written.size(), 3);
        QVERIFY(QFile::exists(folder + QStringLiteral("/Attività.csv")));
        QVERIFY(QFile::exists(folder + QStringLiteral("/Percorso critico.csv")));
    }
};

QTEST_GUILESS_MAIN(TestResultsExport)
#include "test_results_export.moc"
