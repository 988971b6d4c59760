#include "model/project_file.h"
#include "shell/edit_commands.h"
#include "shell/modzant.h"
#include "shell/translations.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "support/project_builder.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;
using zant::test::describeLinks;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

struct App
{
    FakeDialogs* dialogs = new FakeDialogs;
    ModZANT app{std::unique_ptr<Dialogs>(dialogs), std::make_unique<FakeDocumentOutput>(),
                std::make_unique<FakeMusicPlayer>(), OfficeSettings{"Studio", "Via"}};
};

using Edit = std::function<Result<void>(ModZANT&)>;

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
            [](ModZANT& a) { return a.edit<SetDescriptionCommand>(2, QString("Scavi"), 1); },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "new event typed after the last",
            [](ModZANT& a) { return a.edit<SetDescriptionCommand>(7, QString("Collaudo"), 1); },
            "7: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "event inserted before 3", [](ModZANT& a) { return a.edit<InsertEventCommand>(3); },
            "7: 1>2=3 1>4=4 1>6=2 2>5=1 2>4 4>5=2 4>7=7 5>7=1 5>2=0 6>7=9 6>6=1");
        row(
            "event 4 deleted with the links into it",
            [](ModZANT& a) { return a.edit<DeleteEventCommand>(4); },
            "5: 1>2=3 1>3=4 1>4=2 2>3 3>5=7 4>5=9 4>4=1");
        row(
            "target of a slot",
            [](ModZANT& a) { return a.edit<LinkEditCommand>(LinkEditCommand::Target, 1, 2, 6.0); },
            "6: 1>2=3 1>6=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "target of a new slot",
            [](ModZANT& a) { return a.edit<LinkEditCommand>(LinkEditCommand::Target, 1, 4, 4.0); },
            "6: 1>2=3 1>3=4 1>5=2 1>4 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "days of a slot",
            [](ModZANT& a) { return a.edit<LinkEditCommand>(LinkEditCommand::Days, 2, 2, 12.5); },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3=12.5 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "slot inserted",
            [](ModZANT& a) { return a.edit<LinkEditCommand>(LinkEditCommand::InsertSlot, 3, 1); },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "slot deleted",
            [](ModZANT& a) { return a.edit<LinkEditCommand>(LinkEditCommand::DeleteSlot, 1, 1); },
            "6: 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "amount of an activity",
            [](ModZANT& a) { return a.edit<SetActivityAmountCommand>(1, 2, Cents{123456}); },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "category of an activity",
            [](ModZANT& a) {
                return a.edit<SetActivityCategoryCommand>(1, 2, QString("OG1 - Edifici civili"), 1);
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "start date",
            [](ModZANT& a) { return a.edit<SetStartDateCommand>(QString("01/04/2026")); },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "whole project replaced",
            [](ModZANT& a) {
                Project cleared = a.project();
                cleared.clear();
                return a.edit<ReplaceProjectCommand>(QString("Cancella"), cleared, TitlePage());
            },
            "0: ");
        row(
            "title-page field",
            [](ModZANT& a) {
                return a.edit<SetTitleFieldCommand>(TitlePage::committente, QString("Comune"), 1);
            },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
        row(
            "title page replaced",
            [](ModZANT& a) { return a.edit<ReplaceTitlePageCommand>(QString("x"), TitlePage()); },
            "6: 1>2=3 1>3=4 1>5=2 2>4=1 2>3 3>4=2 3>6=7 4>6=1 4>2=0 5>6=9 5>5=1");
    }

    void undoRestoresAndRedoRepeats()
    {
        QFETCH(Edit, edit);
        QFETCH(QString, after);
        App a;
        TitlePage page = titlePageWith(TitlePage::progetto, "Scuola");
        page[TitlePage::committente] = "Provincia";
        giveProject(a.app, tangled(), page);
        const Project before = a.app.project();
        const TitlePage beforePage = a.app.titlePage();
        QSignalSpy restored(&a.app, &ModZANT::projectRestored);
        QSignalSpy pageRestored(&a.app, &ModZANT::titlePageChanged);

        QVERIFY(edit(a.app).ok());
        QCOMPARE(describeLinks(a.app.project()), after);
        QVERIFY(a.app.isModified());
        const Project edited = a.app.project();
        const TitlePage editedPage = a.app.titlePage();
        QVERIFY(!(edited == before) || !(editedPage == beforePage));
        QCOMPARE(restored.count() + pageRestored.count(), 0);

        a.app.undo();
        QVERIFY(a.app.project() == before);
        QVERIFY(a.app.titlePage() == beforePage);
        QVERIFY(!a.app.isModified());
        QVERIFY(restored.count() + pageRestored.count() > 0);

        a.app.redo();
        QVERIFY(a.app.project() == edited);
        QVERIFY(a.app.titlePage() == editedPage);
        QVERIFY(a.app.isModified());
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
        App a;
        giveProject(a.app, tangled());
        std::vector<Project> states{a.app.project()};
        for (int k : deletions) {
            QVERIFY(a.app.edit<DeleteEventCommand>(k).ok());
            states.push_back(a.app.project());
        }
        for (auto it = states.rbegin() + 1; it != states.rend(); ++it) {
            a.app.undo();
            QCOMPARE(describeLinks(a.app.project()), describeLinks(*it));
            QVERIFY(a.app.project() == *it);
        }
        for (auto it = states.begin() + 1; it != states.end(); ++it) {
            a.app.redo();
            QVERIFY(a.app.project() == *it);
        }
    }

    void insertsAndDeletesMixed()
    {
        App a;
        giveProject(a.app, tangled());
        const Project start = a.app.project();
        QVERIFY(a.app.edit<InsertEventCommand>(2).ok());
        QVERIFY(a.app.edit<SetDescriptionCommand>(2, QString("Nuovo"), 1).ok());
        QVERIFY(a.app.edit<LinkEditCommand>(LinkEditCommand::Target, 2, 1, 5.0).ok());
        QVERIFY(a.app.edit<DeleteEventCommand>(5).ok());
        QVERIFY(a.app.edit<DeleteEventCommand>(1).ok());
        while (a.app.undoStack().canUndo())
            a.app.undo();
        QVERIFY(a.app.project() == start);
    }

    void refusedEditsLeaveNoStep_data()
    {
        QTest::addColumn<Edit>("edit");
        QTest::addColumn<QString>("message");
        QTest::newRow("description beyond the first free event")
            << Edit([](ModZANT& a) { return a.edit<SetDescriptionCommand>(9, QString("x"), 1); })
            << "Digitare prima l'evento n. 7";
        QTest::newRow("target before the previous slot") << Edit([](ModZANT& a) {
            return a.edit<LinkEditCommand>(LinkEditCommand::Target, 1, 6, 2.0);
        }) << "Scegliere prima il legame n. 4";
        QTest::newRow("days without a target") << Edit([](ModZANT& a) {
            return a.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 4, 2.0);
        }) << "Scegliere prima il legame a cui corrispondono i tempi.";
        QTest::newRow("compound with a refused part") << Edit([](ModZANT& a) {
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
        App a;
        giveProject(a.app, tangled());
        const Project before = a.app.project();
        const Result<void> refusal = edit(a.app);
        QVERIFY(!refusal.ok());
        QCOMPARE(refusal.error().text, message);
        QVERIFY(a.app.project() == before);
        QVERIFY(!a.app.undoStack().canUndo());
        QVERIFY(!a.app.isModified());
    }

    void compoundIsOneStep()
    {
        App a;
        giveProject(a.app, tangled());
        const Project before = a.app.project();
        auto step = std::make_unique<CompoundEditCommand>(a.app, QString("Incolla attività"));
        step->add(std::make_unique<LinkEditCommand>(a.app, LinkEditCommand::Target, 1, 4, 6.0));
        step->add(std::make_unique<LinkEditCommand>(a.app, LinkEditCommand::Days, 1, 4, 8.0));
        step->add(std::make_unique<InsertEventCommand>(a.app, 1));
        QVERIFY(a.app.edit(std::move(step)).ok());
        QCOMPARE(a.app.undoStack().count(), 1);
        QCOMPARE(describeLinks(a.app.project()),
                 QString("7: 2>3=3 2>4=4 2>6=2 2>7=8 3>5=1 3>4 4>5=2 4>7=7 5>7=1 5>3=0 6>7=9 "
                         "6>6=1"));
        a.app.undo();
        QVERIFY(a.app.project() == before);
    }

    void typingInOneBoxIsOneStep()
    {
        App a;
        giveProject(a.app, tangled());
        const int session = a.app.newEditSession();
        for (const char* text : {"S", "Sc", "Sca", "Scav", "Scavi"})
            QVERIFY(a.app.edit<SetDescriptionCommand>(2, text, session).ok());
        QCOMPARE(a.app.undoStack().count(), 1);
        // Another box, or the same box later, is another step.
        QVERIFY(a.app.edit<SetDescriptionCommand>(3, QString("Getto"), session).ok());
        QVERIFY(
            a.app.edit<SetDescriptionCommand>(2, QString("Scavo"), a.app.newEditSession()).ok());
        QCOMPARE(a.app.undoStack().count(), 3);
        a.app.undo();
        QCOMPARE(a.app.project().description(2), QString("Scavi"));
        a.app.undo();
        a.app.undo();
        QCOMPARE(a.app.project().description(2), QString("Evento 2"));

        // Typing back to the text it had leaves nothing to undo.
        const int again = a.app.newEditSession();
        QVERIFY(a.app.edit<SetDescriptionCommand>(2, QString("Evento 22"), again).ok());
        QVERIFY(a.app.edit<SetDescriptionCommand>(2, QString("Evento 2"), again).ok());
        QVERIFY(!a.app.isModified());
    }

    // Edits of different kinds in one session stay steps of their own: each kind merges only
    // with its own kind.
    void differentKindsNeverMerge()
    {
        App a;
        giveProject(a.app, tangled());
        const int session = a.app.editSession();
        QVERIFY(a.app.edit<SetStartDateCommand>(QString("01/04/2026")).ok());
        QVERIFY(a.app.edit<SetActivityNameCommand>(1, 1, QString("Scavi"), session).ok());
        QVERIFY(a.app.edit<SetActivityCategoryCommand>(1, 1, QString("OG1"), session).ok());
        QVERIFY(a.app.edit<SetActivityAmountCommand>(1, 1, Cents{500}).ok());
        QVERIFY(a.app.edit<SetActivityAmountCommand>(1, 1, Cents{700}).ok());
        QVERIFY(a.app.edit<SetTitleFieldCommand>(TitlePage::progetto, QString("P"), session).ok());
        QCOMPARE(a.app.undoStack().count(), 6);
        a.app.undo();
        a.app.undo();
        QCOMPARE(a.app.project().link(1, 1).amount, Cents{500});
        a.app.undo();
        QCOMPARE(a.app.project().link(1, 1).amount, Cents{0});
        QCOMPARE(a.app.project().link(1, 1).category, QString("OG1"));
        a.app.undo();
        QCOMPARE(a.app.project().link(1, 1).category, QString());
        QCOMPARE(a.app.project().link(1, 1).name, QString("Scavi"));
        a.app.undo();
        QCOMPARE(a.app.project().link(1, 1).name, QString());
        QCOMPARE(a.app.project().startDateText(), QString("01/04/2026"));
        a.app.undo();
        QCOMPARE(a.app.project().startDateText(), QString("16/03/2026"));
    }

    void dragOfABarIsOneStep()
    {
        App a;
        giveProject(a.app, tangled());
        for (double days : {4.0, 5.0, 6.0, 7.0})
            QVERIFY(a.app.edit<LinkEditCommand>(LinkEditCommand::Days, 1, 1, days).ok());
        for (const char* date : {"02/01/1990", "03/01/1990"})
            QVERIFY(a.app.edit<SetStartDateCommand>(QString(date)).ok());
        QCOMPARE(a.app.undoStack().count(), 2);
        a.app.undo();
        QCOMPARE(a.app.project().startDateText(), QString("16/03/2026"));
        a.app.undo();
        QCOMPARE(*a.app.project().link(1, 1).days, 3.0);
    }

    void modifiedFollowsSavesAndOpens()
    {
        App a;
        QSignalSpy modified(&a.app, &ModZANT::modifiedChanged);
        QVERIFY(!a.app.isModified());
        a.app.edit<SetStartDateCommand>(QString("02/01/1990"));
        QVERIFY(a.app.isModified());
        a.app.markSaved();
        QVERIFY(!a.app.isModified());
        a.app.edit<SetStartDateCommand>(QString("05/01/1990"));
        QVERIFY(a.app.isModified());
        a.app.undo();
        QVERIFY(!a.app.isModified());
        a.app.undo();
        QVERIFY(a.app.isModified());
        a.app.startFreshHistory();
        QVERIFY(!a.app.isModified());
        QVERIFY(!a.app.undoStack().canUndo());
        QCOMPARE(modified.count(), 6);
    }

    void saveQuestion_data()
    {
        QTest::addColumn<bool>("modified");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("file"); // "" no name yet, "ok" writable, "bad" unwritable
        QTest::addColumn<bool>("goesOn");
        QTest::addColumn<bool>("stillModified");
        QTest::newRow("nothing changed: nobody is asked") << false << -1 << "" << true << false;
        QTest::newRow("Annulla stops") << true << int(SaveChoice::Cancel) << "ok" << false << true;
        QTest::newRow("Non salvare goes on, changes kept in memory")
            << true << int(SaveChoice::Discard) << "ok" << true << true;
        QTest::newRow("Salva writes and goes on")
            << true << int(SaveChoice::Save) << "ok" << true << false;
        QTest::newRow("Salva with the name dialog cancelled stops")
            << true << int(SaveChoice::Save) << "" << false << true;
        QTest::newRow("Salva that fails stops, still modified")
            << true << int(SaveChoice::Save) << "bad" << false << true;
    }

    void saveQuestion()
    {
        QFETCH(bool, modified);
        QFETCH(int, answer);
        QFETCH(QString, file);
        QFETCH(bool, goesOn);
        QFETCH(bool, stillModified);
        App a;
        QTemporaryDir dir;
        giveProject(a.app, buildProject("2: 1>2=3"), titlePageWith(TitlePage::progetto, "Scuola"));
        if (file == "ok")
            giveDataFile(a.app, dir.filePath("ZANT-dati-scuola"));
        else if (file == "bad")
            giveDataFile(a.app, dir.filePath("no/such/folder/ZANT-dati-scuola"));
        if (modified)
            a.app.edit<SetStartDateCommand>(QString("02/01/1990"));
        if (answer >= 0)
            a.dialogs->saveAnswers.push_back(SaveChoice(answer));

        QCOMPARE(a.app.maybeSaveChanges(nullptr), goesOn);
        QCOMPARE(a.dialogs->saveQuestions.size(), modified ? 1 : 0);
        if (modified)
            QCOMPARE(a.dialogs->saveQuestions.first(),
                     QString("ZANT|Salvare le modifiche al progetto?"));
        QCOMPARE(a.app.isModified(), stillModified);
        QCOMPARE(a.app.project().startDateText(), QString(modified ? "02/01/1990" : "01/01/1990"));
        if (file == "bad") {
            QCOMPARE(a.dialogs->messages.size(), size_t(1));
            QVERIFY(!QFile::exists(a.app.currentDataFile()));
        }
        if (answer == int(SaveChoice::Save) && file == "ok")
            QVERIFY(readProjectFile(a.app.currentDataFile()));
    }

    void qtDialogsSpeakItalian()
    {
        QVERIFY(installItalianTranslations(*QCoreApplication::instance()));
        QMessageBox box(QMessageBox::Question, "t", "x", QMessageBox::Save | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("Annulla"));
        QCOMPARE(box.button(QMessageBox::Save)->text(), QString("Salva"));
        QFileDialog dialog(nullptr, "Apri file");
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        const auto labels = dialog.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(),
                            [](QLabel* l) { return l->text().contains("Cerca in"); }));
    }
};

QTEST_MAIN(TestEditCommands)
#include "test_edit_commands.moc"
