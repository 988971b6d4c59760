#include "document/edit_commands.h"
#include "document/project_document.h"
#include "support/document_fixture.h"
#include "support/project_builder.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;
using zant::test::describeLinks;

namespace {

// The start date of a new project in these tests.
const QString kNewProjectDate = QStringLiteral("01/01/1990");

using Edit = std::function<Result<void>(ProjectDocument&)>;

// A network where later events lead back to earlier ones and several links lead to each event,
// so that deleting and inserting renumber targets on both sides.
Project tangled()
{
    return buildProject("6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1",
                        "16/03/2026");
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestEditCommands final : public QObject
{
    Q_OBJECT

private slots:
    void undoRestoresAndRedoRepeats_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("after"); // describeLinks of the project after the edit
        const auto row = [](const char* name, Edit edit, const char* after) {
            QTest::newRow(name) << edit << QString(after);
        };
        row(
            "description of an event",
            [](ProjectDocument& a) {
                return a.edit<SetDescriptionCommand>(2, QString("Scavi"), 1);
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "new event typed after the last",
            [](ProjectDocument& a) {
                return a.edit<SetDescriptionCommand>(7, QString("Collaudo"), 1);
            },
            "7: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "event inserted before 3",
            [](ProjectDocument& a) { return a.edit<InsertEventCommand>(3); },
            "7: 1>2=3 1>4=4 1>6=2 2>5=1 2>4 4>5=2 4>7=7 5>7=1 5>2=0 6>7=9 6>6=1");
        row(
            "event 4 deleted with the links into it",
            [](ProjectDocument& a) { return a.edit<DeleteEventCommand>(4); },
            "5: 1>2=3 1>3=4 1>4=2 2>3 3>5=7 4>5=9 4>4=1");
        row(
            "target of a slot",
            [](ProjectDocument& a) {
                return a.edit<LinkEditCommand>(LinkEditCommand::Target, 1, 2, 6.0);
            },
            "6: 1>2=3 1>6=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "target of a new slot",
            [](ProjectDocument& a) {
                return a.edit<LinkEditCommand>(LinkEditCommand::Target, 1, 4, 4.0);
            },
            "6: 1>2=3 1>3=4 1>5=2 1>4 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "days of a slot",
            [](ProjectDocument& a) {
                return a.edit<LinkEditCommand>(LinkEditCommand::Days, 2, 2, 12.5);
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3=12.5 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "slot inserted",
            [](ProjectDocument& a) {
                return a.edit<LinkEditCommand>(LinkEditCommand::InsertSlot, 3, 1);
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "slot deleted",
            [](ProjectDocument& a) {
                return a.edit<LinkEditCommand>(LinkEditCommand::DeleteSlot, 1, 1);
            },
            "6: 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "amount of an activity",
            [](ProjectDocument& a) {
                return a.edit<SetActivityAmountCommand>(1, 2, Cents{123456});
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "category of an activity",
            [](ProjectDocument& a) {
                return a.edit<SetActivityCategoryCommand>(1, 2, QString("OG1 - Edifici civili"), 1);
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "start date",
            [](ProjectDocument& a) { return a.edit<SetStartDateCommand>(QString("01/04/2026")); },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "whole project replaced",
            [](ProjectDocument& a) {
                Project cleared = a.project();
                cleared.clear();
                return a.edit<ReplaceProjectCommand>(QString("Cancella"), cleared, TitlePage());
            },
            "0: ");
        row(
            "title-page field",
            [](ProjectDocument& a) {
                return a.edit<SetTitleFieldCommand>(TitlePage::committente, QString("Comune"), 1);
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "title page replaced",
            [](ProjectDocument& a) {
                return a.edit<ReplaceTitlePageCommand>(QString("x"), TitlePage());
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
    }

    void undoRestoresAndRedoRepeats()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, after);
        ProjectDocument doc(kNewProjectDate);
        TitlePage page = titlePageWith(TitlePage::progetto, "Scuola");
        page[TitlePage::committente] = "Provincia";
        giveProject(doc, tangled(), page);
        const Project before = doc.project();
        const TitlePage beforePage = doc.titlePage();
        QSignalSpy restored(&doc, &ProjectDocument::projectRestored);
        QSignalSpy pageRestored(&doc, &ProjectDocument::titlePageChanged);

        QVERIFY(edit(doc).ok());
        QCOMPARE(describeLinks(doc.project()), after);
        QVERIFY(doc.isModified());
        const Project edited = doc.project();
        const TitlePage editedPage = doc.titlePage();
        QVERIFY(!(edited == before) || !(editedPage == beforePage));
        QCOMPARE(restored.count() + pageRestored.count(), 0);

        doc.undo();
        QVERIFY(doc.project() == before);
        QVERIFY(doc.titlePage() == beforePage);
        QVERIFY(!doc.isModified());
        QVERIFY(restored.count() + pageRestored.count() > 0);

        doc.redo();
        QVERIFY(doc.project() == edited);
        QVERIFY(doc.titlePage() == editedPage);
        QVERIFY(doc.isModified());
    }

    void deletedEventsComeBackInAnyOrder_data()
    {
        QTest::addColumn<QList<int>>("deletions");
        QTest::newRow("first, then last") << QList<int>{1, 5};
        QTest::newRow("the same place three times") << QList<int>{2, 2, 2};
        QTest::newRow("from the end") << QList<int>{6, 5, 4, 3};
        QTest::newRow("every event") << QList<int>{3, 1, 4, 2, 1, 1};
    }

    // Each deletion removes links into the event and renumbers the others; undoing them one by
    // one must give back each earlier project exactly, and redoing must repeat them.
    void deletedEventsComeBackInAnyOrder()
    {
        QFETCH(QList<int>, deletions);
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, tangled());
        std::vector<Project> states{doc.project()};
        for (int k : deletions) {
            QVERIFY(doc.edit<DeleteEventCommand>(k).ok());
            states.push_back(doc.project());
        }
        for (auto it = states.rbegin() + 1; it != states.rend(); ++it) {
            doc.undo();
            QCOMPARE(describeLinks(doc.project()), describeLinks(*it));
            QVERIFY(doc.project() == *it);
        }
        for (auto it = states.begin() + 1; it != states.end(); ++it) {
            doc.redo();
            QVERIFY(doc.project() == *it);
        }
    }

    void insertsAndDeletesMixed()
    {
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, tangled());
        const Project start = doc.project();
        QVERIFY(doc.edit<InsertEventCommand>(2).ok());
        QVERIFY(doc.edit<SetDescriptionCommand>(2, QString("Nuovo"), 1).ok());
        QVERIFY(doc.edit<LinkEditCommand>(LinkEditCommand::Target, 2, 1, 5.0).ok());
        QVERIFY(doc.edit<DeleteEventCommand>(5).ok());
        QVERIFY(doc.edit<DeleteEventCommand>(1).ok());
        while (doc.undoStack().canUndo())
            doc.undo();
        QVERIFY(doc.project() == start);
    }

    void refusedEditsLeaveNoStep_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("message");
        QTest::newRow("description beyond the first free event") << Edit([](ProjectDocument& a) {
            return a.edit<SetDescriptionCommand>(9, QString("x"), 1);
        }) << "Digitare prima l'evento n. 7";
        QTest::newRow("target before the previous slot") << Edit([](ProjectDocument& a) {
            return a.edit<LinkEditCommand>(LinkEditCommand::Target, 1, 6, 2.0);
        }) << "Scegliere prima il legame n. 4";
        QTest::newRow("days without a target") << Edit([](ProjectDocument& a) {
            return a.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 4, 2.0);
        }) << "Scegliere prima il legame a cui corrispondono i tempi.";
        QTest::newRow("compound with a refused part") << Edit([](ProjectDocument& a) {
            auto step = std::make_unique<CompoundEditCommand>(a, QString("Incolla"));
            step->add(std::make_unique<LinkEditCommand>(a, LinkEditCommand::Target, 1, 4, 6.0));
            step->add(std::make_unique<InsertEventCommand>(a, 2));
            step->add(std::make_unique<LinkEditCommand>(a, LinkEditCommand::Days, 3, 9, 1.0));
            return a.edit(std::move(step));
        }) << "Scegliere prima il legame a cui corrispondono i tempi.";
    }

    void refusedEditsLeaveNoStep()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, message);
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, tangled());
        const Project before = doc.project();
        const Result<void> refusal = edit(doc);
        QVERIFY(!refusal.ok());
        QCOMPARE(refusal.error().text, message);
        QVERIFY(doc.project() == before);
        QVERIFY(!doc.undoStack().canUndo());
        QVERIFY(!doc.isModified());
    }

    void compoundIsOneStep()
    {
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, tangled());
        const Project before = doc.project();
        auto step = std::make_unique<CompoundEditCommand>(doc, QString("Incolla attività"));
        step->add(std::make_unique<LinkEditCommand>(doc, LinkEditCommand::Target, 1, 4, 6.0));
        step->add(std::make_unique<LinkEditCommand>(doc, LinkEditCommand::Days, 1, 4, 8.0));
        step->add(std::make_unique<InsertEventCommand>(doc, 1));
        QVERIFY(doc.edit(std::move(step)).ok());
        QCOMPARE(doc.undoStack().count(), 1);
        QCOMPARE(describeLinks(doc.project()),
                 QString("7: 2>3=3 2>4=4 2>6=2 2>7=8 3>5=1 3>4 4>5=2 4>7=7 5>7=1 5>3=0 6>7=9 "
                         "6>6=1"));
        doc.undo();
        QVERIFY(doc.project() == before);
    }

    void typingInOneBoxIsOneStep()
    {
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, tangled());
        const int session = doc.newEditSession();
        for (const char* text : {"S", "Sc", "Sca", "Scav", "Scavi"})
            QVERIFY(doc.edit<SetDescriptionCommand>(2, text, session).ok());
        QCOMPARE(doc.undoStack().count(), 1);
        // Another box, or the same box later, is another step.
        QVERIFY(doc.edit<SetDescriptionCommand>(3, QString("Getto"), session).ok());
        QVERIFY(doc.edit<SetDescriptionCommand>(2, QString("Scavo"), doc.newEditSession()).ok());
        QCOMPARE(doc.undoStack().count(), 3);
        doc.undo();
        QCOMPARE(doc.project().description(2), QString("Scavi"));
        doc.undo();
        doc.undo();
        QCOMPARE(doc.project().description(2), QString("Evento 2"));

        // Typing back to the text it had leaves nothing to undo.
        const int again = doc.newEditSession();
        QVERIFY(doc.edit<SetDescriptionCommand>(2, QString("Evento 22"), again).ok());
        QVERIFY(doc.edit<SetDescriptionCommand>(2, QString("Evento 2"), again).ok());
        QVERIFY(!doc.isModified());
    }

    // Edits of different kinds in one session stay steps of their own: each kind merges only
    // with its own kind.
    void differentKindsNeverMerge()
    {
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, tangled());
        const int session = doc.editSession();
        QVERIFY(doc.edit<SetStartDateCommand>(QString("01/04/2026")).ok());
        QVERIFY(doc.edit<SetActivityNameCommand>(1, 1, QString("Scavi"), session).ok());
        QVERIFY(doc.edit<SetActivityCategoryCommand>(1, 1, QString("OG1"), session).ok());
        QVERIFY(doc.edit<SetActivityAmountCommand>(1, 1, Cents{500}).ok());
        QVERIFY(doc.edit<SetActivityAmountCommand>(1, 1, Cents{700}).ok());
        QVERIFY(doc.edit<SetTitleFieldCommand>(TitlePage::progetto, QString("P"), session).ok());
        QCOMPARE(doc.undoStack().count(), 6);
        doc.undo();
        doc.undo();
        QCOMPARE(doc.project().link(1, 1).amount, Cents{500});
        doc.undo();
        QCOMPARE(doc.project().link(1, 1).amount, Cents{0});
        QCOMPARE(doc.project().link(1, 1).category, QString("OG1"));
        doc.undo();
        QCOMPARE(doc.project().link(1, 1).category, QString());
        QCOMPARE(doc.project().link(1, 1).name, QString("Scavi"));
        doc.undo();
        QCOMPARE(doc.project().link(1, 1).name, QString());
        QCOMPARE(doc.project().startDateText(), QString("01/04/2026"));
        doc.undo();
        QCOMPARE(doc.project().startDateText(), QString("16/03/2026"));
    }

    void dragOfABarIsOneStep()
    {
        ProjectDocument doc(kNewProjectDate);
        giveProject(doc, tangled());
        for (double days : {4.0, 5.0, 6.0, 7.0})
            QVERIFY(doc.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 1, days).ok());
        for (const char* date : {"02/01/1990", "03/01/1990"})
            QVERIFY(doc.edit<SetStartDateCommand>(QString(date)).ok());
        QCOMPARE(doc.undoStack().count(), 2);
        doc.undo();
        QCOMPARE(doc.project().startDateText(), QString("16/03/2026"));
        doc.undo();
        QCOMPARE(*doc.project().link(1, 1).days, 3.0);
    }

    void modifiedFollowsSavesAndOpens()
    {
        ProjectDocument doc(kNewProjectDate);
        QSignalSpy modified(&doc, &ProjectDocument::modifiedChanged);
        QVERIFY(!doc.isModified());
        doc.edit<SetStartDateCommand>(QString("02/01/1990"));
        QVERIFY(doc.isModified());
        doc.markSaved();
        QVERIFY(!doc.isModified());
        doc.edit<SetStartDateCommand>(QString("05/01/1990"));
        QVERIFY(doc.isModified());
        doc.undo();
        QVERIFY(!doc.isModified());
        doc.undo();
        QVERIFY(doc.isModified());
        doc.startFreshHistory();
        QVERIFY(!doc.isModified());
        QVERIFY(!doc.undoStack().canUndo());
        QCOMPARE(modified.count(), 6);
    }
};

QTEST_GUILESS_MAIN(TestEditCommands)
#include "test_edit_commands.moc"
