#include "document/edit_commands.h"
#include "document/project_document.h"
#include "model/project_file.h"
#include "support/document_fixture.h"
#include "support/project_builder.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace zant;
using namespace zant::test;

namespace {

using Change = std::function<void(ProjectDocument&)>;

const QString kNewProjectDate = QStringLiteral("01/01/1990");

// Event 3 is reached on day 7; ten days on the second activity make it day 13.
Project chain()
{
    return buildProject("3: 1>2=3 2>3=4");
}

Result<void> lengthenSecondActivity(ProjectDocument& doc)
{
    return doc.edit<LinkEditCommand>(LinkEditCommand::Days, 2, 1, 10.0);
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestProjectDocument final : public QObject
{
    Q_OBJECT

private slots:
    void resultsFollowTheProject_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("stale");
        QTest::addColumn<double>("finish"); // earliest time of event 3 afterwards
        QTest::newRow("an edit of the network")
            << Change([](ProjectDocument& d) { lengthenSecondActivity(d); }) << true << 13.0;
        QTest::newRow("the edit undone") << Change([](ProjectDocument& d) {
            lengthenSecondActivity(d);
            QVERIFY(d.freshResults());
            d.undo();
        }) << true << 7.0;
        QTest::newRow("the edit redone") << Change([](ProjectDocument& d) {
            lengthenSecondActivity(d);
            d.undo();
            QVERIFY(d.freshResults());
            d.redo();
        }) << true << 13.0;
        QTest::newRow("another project opened") << Change([](ProjectDocument& d) {
            d.loadProject({buildProject("3: 1>2=1 2>3=1"), TitlePage()}, QString());
        }) << true << 2.0;
        QTest::newRow("a project imported") << Change([](ProjectDocument& d) {
            QVERIFY(d.importProject("Importa", buildProject("3: 1>2=5 2>3=5"), TitlePage()).ok());
        }) << true << 10.0;
        QTest::newRow("a title-page field: the network is the same")
            << Change([](ProjectDocument& d) {
                   QVERIFY(d.edit<SetTitleFieldCommand>(TitlePage::progetto, "Scuola", 1).ok());
               })
            << false << 7.0;
    }

    // Results computed before a change of the project are never handed out again: freshResults
    // computes them anew, without telling the windows (they asked).
    void resultsFollowTheProject()
    {
        QFETCH(Change, change);
        QFETCH(bool, stale);
        QFETCH(double, finish);
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, chain());
        QVERIFY(!doc.resultsCurrent());
        auto first = doc.freshResults();
        QVERIFY(first);
        QCOMPARE(first.value()->earliest[3], 7.0);
        QVERIFY(doc.resultsCurrent());

        change(doc);
        QCOMPARE(doc.resultsCurrent(), !stale);
        QSignalSpy told(&doc, &ProjectDocument::resultsChanged);
        auto fresh = doc.freshResults();
        QVERIFY(fresh);
        QCOMPARE(fresh.value()->earliest[3], finish);
        QCOMPARE(fresh.value(), &doc.results());
        QVERIFY(doc.resultsCurrent());
        QCOMPARE(told.count(), 0);
    }

    // Data the check refuses give its message, never the figures of the project before.
    void refusedDataGiveTheCheckMessage()
    {
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, chain());
        QVERIFY(doc.freshResults());
        // A second activity from event 1 to event 3 whose duration is not given yet.
        QVERIFY(doc.edit<LinkEditCommand>(LinkEditCommand::Target, 1, 2, 3.0).ok());
        const auto fault = findDataFault(doc.project());
        QVERIFY(fault);
        auto refused = doc.freshResults();
        QVERIFY(!refused);
        QCOMPARE(refused.error().text, fault->text);
        QVERIFY(!doc.resultsCurrent());
        doc.undo();
        QCOMPARE(doc.freshResults().value()->earliest[3], 7.0);
    }

    void setResultsBelongToTheProjectAsItIs()
    {
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, chain());
        QSignalSpy told(&doc, &ProjectDocument::resultsChanged);
        doc.setResults(ComputeSchedule(doc.project()));
        QCOMPARE(told.count(), 1);
        QVERIFY(doc.resultsCurrent());
        QVERIFY(lengthenSecondActivity(doc).ok());
        QVERIFY(!doc.resultsCurrent());
    }

    void openAndImportStartTheirHistory()
    {
        ProjectDocument doc(kNewProjectDate);
        QCOMPARE(doc.project().startDateText(), kNewProjectDate);
        QSignalSpy file(&doc, &ProjectDocument::dataFileChanged);
        QSignalSpy page(&doc, &ProjectDocument::titlePageChanged);
        QSignalSpy changed(&doc, &ProjectDocument::projectChanged);
        QVERIFY(doc.edit<SetStartDateCommand>(QString("02/01/1990")).ok());
        QVERIFY(doc.isModified());
        giveProject(doc, chain(), titlePageWith(TitlePage::progetto, "Scuola"), "/tmp/x.txt");
        QCOMPARE(doc.currentDataFile(), QString("/tmp/x.txt"));
        QVERIFY(!doc.undoStack().canUndo());
        QVERIFY(!doc.isModified());
        QCOMPARE(file.count(), 1);
        QCOMPARE(page.count(), 1);

        // An import is one step that can be undone, and the project has no file of its own yet.
        changed.clear();
        QVERIFY(doc.importProject("Importa", buildProject("2: 1>2=1"), TitlePage()).ok());
        QCOMPARE(doc.currentDataFile(), QString());
        QCOMPARE(file.count(), 2);
        QCOMPARE(changed.count(), 1);
        QVERIFY(doc.isModified());
        doc.undo();
        QVERIFY(doc.project() == chain());
        QCOMPARE(doc.titlePage()[TitlePage::progetto], QString("Scuola"));
    }

    void saveTakesTheFileOnlyWhenWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("written");
        QTest::newRow("a file in an existing folder") << "ZANT-dati-scuola.txt" << true;
        QTest::newRow("a folder that does not exist") << "no/such/ZANT-dati-scuola.txt" << false;
    }

    void saveTakesTheFileOnlyWhenWritten()
    {
        QFETCH(QString, name);
        QFETCH(bool, written);
        QTemporaryDir dir;
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, chain(), titlePageWith(TitlePage::progetto, "Scuola"));
        QVERIFY(lengthenSecondActivity(doc).ok());
        const QString path = dir.filePath(name);
        bool substituted = false;
        const Result<void> failure = doc.save(path, &substituted);
        QCOMPARE(failure.ok(), written);
        QCOMPARE(doc.currentDataFile(), written ? path : QString());
        QCOMPARE(doc.isModified(), !written);
        if (written) {
            auto back = readProjectFile(path);
            QVERIFY(back);
            QVERIFY(back.value().project == doc.project());
        } else {
            QVERIFY(!failure.error().text.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestProjectDocument)
#include "test_project_document.moc"
