// A day of work as an engineer lives it: the office's settings, files found again, the keyboard
// followed, windows that grow. Every case presses the real widgets.

#include "document/edit_commands.h"
#include "model/project_file.h"
#include "model/text_format.h"
#include "report/settings_file.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/project_builder.h"
#include "support/window_controls.h"
#include "windows/dati.h"
#include "windows/frontespizio.h"
#include "windows/impostazioni.h"
#include "windows/registry.h"
#include "windows/risultati.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

using namespace zant;
using namespace zant::test;

namespace {

// Fourteen events of a renovation; event 4 has ten links, so its list scrolls.
const char* const kRenovation =
    "14: 1>2=3 1>3=2 2>4=4 3>4=1 4>5=2 4>6=1 4>7=1 4>8=1 4>9=1 4>10=1 4>11=1 4>12=1 4>13=1 "
    "4>14=1 5>14=2 6>14=1 7>14=1 8>14=1 9>14=1 10>14=1 11>14=1 12>14=1 13>14=1";

Project renovation()
{
    return buildProject(kRenovation, "16/03/2026");
}

struct Fixture : AppWithFakes
{
    QTemporaryDir dir;
    dati* window = nullptr;
    DataWindowControls ui{nullptr};

    explicit Fixture(const Project& project = renovation(),
                     const TitlePage& page = titlePageWith(TitlePage::progetto,
                                                           "Ristrutturazione Bianchi"))
    {
        app.useSettingsFile(dir.filePath("config/zant.ini"));
        giveProject(app, project, page);
        registerAllWindows(app);
        window = app.windowAs<dati>(win::dati);
        ui = DataWindowControls(window);
        window->show();
        QApplication::setActiveWindow(window);
        [[maybe_unused]] const bool active = QTest::qWaitForWindowActive(window);
    }

    QWidget* focus() const { return QApplication::focusWidget(); }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) const
    {
        QTest::keyClick(focus() ? focus() : window, Qt::Key(k), m);
    }
    // The event whose links the panel shows.
    int named() const { return ui.Label1()->text().section(' ', -1).toInt(); }
    QAction* action(QWidget* w, const QString& name) const { return w->findChild<QAction*>(name); }
    QString path(const QString& name) const { return dir.filePath(name); }
    // Clicks into a box, selects what it holds, types over it (or deletes it) and presses Enter.
    void typeInto(QLineEdit* box, const QString& text) const
    {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
};

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestDailyUse final : public QObject
{
    Q_OBJECT

private slots:
    // "Impostazioni dello studio" from each main window: what is typed reaches the settings
    // file (its other keys kept), the title page and the documents at once.
    void settingsDialog_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("save");
        QTest::newRow("from the data window") << win::dati << true;
        QTest::newRow("from the results window") << win::risultati << true;
        QTest::newRow("from the title page") << win::frontespizio << true;
        QTest::newRow("Annulla changes nothing") << win::dati << false;
    }

    void settingsDialog()
    {
        QFETCH(QString, window);
        QFETCH(bool, save);
        Fixture f;
        QVERIFY(QDir().mkpath(f.path("config")));
        const QByteArray before("[studio]\nnome=Studio\nlogo=/loghi/studio.png\n[altro]\nx=1\n");
        QFile ini(f.app.settingsFile());
        QVERIFY(ini.open(QIODevice::WriteOnly) && ini.write(before) == before.size());
        ini.close();
        auto* page = f.app.windowAs<frontespizio>(win::frontespizio);
        auto* main = qobject_cast<QMainWindow*>(f.app.window(window));
        main->show();
        QAction* item = f.action(main, "impostazioni");
        QVERIFY(item && item->isEnabled());
        QCOMPARE(item->text(), QString("&Impostazioni dello studio..."));
        item->trigger();

        auto* d = f.app.windowAs<impostazioni>(win::impostazioni);
        QVERIFY(d->isVisible() && d->isModal());
        QVERIFY(QTest::qWaitForWindowActive(d));
        QCOMPARE(d->nome()->text(), QString("Studio"));
        QCOMPARE(d->indirizzo()->text(), QString("Via Roma 1"));
        QCOMPARE(d->progettista()->text(), QString());
        QCOMPARE(QApplication::focusWidget(), d->nome());
        QTest::keyClick(d->nome(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d->nome(), "Studio Verdi, Bianchi & C.");
        QTest::keyClick(d->nome(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d->indirizzo());
        QTest::keyClick(d->indirizzo(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(d->indirizzo(), "Via Po 3, Pavia");
        QTest::keyClick(d->indirizzo(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "Ing. Anna Verdi");
        QTest::mouseClick(save ? d->salva() : d->annulla(), Qt::LeftButton);

        QVERIFY(!d->isVisible());
        if (!save) {
            QCOMPARE(f.app.office().officeName, QString("Studio"));
            QCOMPARE(contentOf(f.app.settingsFile()), before);
            return;
        }
        QCOMPARE(f.app.office().officeName, QString("Studio Verdi, Bianchi & C."));
        QCOMPARE(f.app.office().designer, QString("Ing. Anna Verdi"));
        const OfficeSettings stored = OfficeSettings::load(f.app.settingsFile());
        QCOMPARE(stored.officeName, QString("Studio Verdi, Bianchi & C."));
        QCOMPARE(stored.officeAddress, QString("Via Po 3, Pavia"));
        QCOMPARE(stored.designer, QString("Ing. Anna Verdi"));
        const QByteArray after = contentOf(f.app.settingsFile());
        QVERIFY(after.contains("logo=/loghi/studio.png\n"));
        QVERIFY(after.contains("[altro]\nx=1\n"));
        QCOMPARE(page->Labelstudio()->text(), QString("Studio Verdi, Bianchi & C."));
        QCOMPARE(page->labelindirizzo()->text(), QString("Via Po 3, Pavia"));
        QCOMPARE(main->statusBar()->currentMessage(),
                 QString("Impostazioni dello studio salvate."));
        // Opened again, it shows what is stored.
        f.app.showWindow(win::impostazioni);
        QCOMPARE(d->progettista()->text(), QString("Ing. Anna Verdi"));
    }

    void settingsThatCannotBeWrittenLoseNothing()
    {
        Fixture f;
        // The settings file's name is taken by a folder.
        QVERIFY(QDir().mkpath(f.app.settingsFile()));
        f.action(f.window, "impostazioni")->trigger();
        auto* d = f.app.windowAs<impostazioni>(win::impostazioni);
        QTest::keyClicks(d->progettista(), "Ing. Rossi");
        QTest::mouseClick(d->salva(), Qt::LeftButton);
        QVERIFY(d->isVisible());
        QCOMPARE(d->progettista()->text(), QString("Ing. Rossi"));
        QVERIFY2(f.dialogs->lastMessageText().contains("zant.ini"),
                 qPrintable(f.dialogs->lastMessageText()));
        QCOMPARE(f.app.office().designer, QString());
    }

    // "Salva con nome" proposes the project's name and completes what is typed, saying so.
    void saveAsCompletesTheName_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("note");
        QTest::newRow("a bare name")
            << "bianchi"
            << "ZANT-dati-bianchi.txt"
            << " (aggiunti al nome digitato il prefisso ZANT-dati- e l'estensione .txt)";
        QTest::newRow("without the extension") << "ZANT-dati-bianchi"
                                               << "ZANT-dati-bianchi.txt"
                                               << " (aggiunti al nome digitato l'estensione .txt)";
        QTest::newRow("without the prefix")
            << "bianchi.txt"
            << "ZANT-dati-bianchi.txt"
            << " (aggiunti al nome digitato il prefisso ZANT-dati-)";
        QTest::newRow("the whole name") << "ZANT-dati-bianchi.txt"
                                        << "ZANT-dati-bianchi.txt"
                                        << "";
    }

    void saveAsCompletesTheName()
    {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QFETCH(QString, note);
        Fixture f;
        f.dialogs->fileNames.push_back(f.path(typed));
        f.key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY2(f.dialogs->fileDialogs.last().endsWith("/ZANT-dati-Ristrutturazione Bianchi.txt"),
                 qPrintable(f.dialogs->fileDialogs.last()));
        QVERIFY(readProjectFile(f.path(saved)).ok());
        QCOMPARE(QFile::exists(f.path(typed)), typed == saved);
        QCOMPARE(f.app.currentDataFile(), f.path(saved));
        QCOMPARE(f.window->statusBar()->currentMessage(),
                 "Progetto salvato in " + saved + note + ".");
        QCOMPARE(f.window->windowTitle(), "ZANT: dati per l'elaborazione - " + saved + "[*]");
        // Found again: first of the recent files, and the open dialog starts in its folder.
        auto* recent = f.window->findChild<QMenu*>("recenti");
        QVERIFY(recent->isEnabled());
        QCOMPARE(recent->actions().value(0)->text(), "&1 " + saved);
        QCOMPARE(readRecentFiles(f.app.settingsFile()), QStringList{f.path(saved)});
        f.key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.dialogs->lastProjectFolder, f.dir.path());
    }

    void aCompletedNameIsNotReplacedUnasked()
    {
        Fixture f;
        const QString existing = f.path("ZANT-dati-bianchi.txt");
        QVERIFY(writeProjectFile(existing, buildProject("2: 1>2=1"), TitlePage()).ok());
        const QByteArray before = contentOf(existing);
        f.dialogs->fileNames.push_back(f.path("bianchi"));
        f.dialogs->answers.push_back(false);
        f.key(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(f.dialogs->questions.last().contains("ZANT-dati-bianchi.txt\" esiste già: "
                                                     "sostituirlo?"));
        QCOMPARE(contentOf(existing), before);
        QCOMPARE(f.app.currentDataFile(), QString());
    }

    void recentFilesOpenAgain()
    {
        Fixture f;
        const QString a = f.path("ZANT-dati-a.txt");
        const QString b = f.path("ZANT-dati-b.txt");
        QVERIFY(writeProjectFile(a, buildProject("2: 1>2=1"), TitlePage()).ok());
        QVERIFY(writeProjectFile(b, buildProject("3: 1>2=1 2>3=1"), TitlePage()).ok());
        for (const QString& file : {a, b}) {
            f.dialogs->fileNames.push_back(file);
            f.key(Qt::Key_O, Qt::ControlModifier);
        }
        auto* recent = f.window->findChild<QMenu*>("recenti");
        QCOMPARE(recent->actions().size(), 2);
        QCOMPARE(recent->actions()[0]->toolTip(), QDir::toNativeSeparators(b));
        recent->actions()[1]->trigger();
        QCOMPARE(f.app.project().eventCount(), 2);
        QCOMPARE(f.app.currentDataFile(), a);
        QCOMPARE(recent->actions()[0]->toolTip(), QDir::toNativeSeparators(a));
        // A file gone meanwhile is said so and leaves the list.
        QVERIFY(QFile::remove(b));
        recent->actions()[1]->trigger();
        QVERIFY(f.dialogs->lastMessageText().contains("non esiste più"));
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(f.app.currentDataFile(), a);
    }

    // A project without "progetto": its first description can be taken at once, or the title
    // page opens with the cursor in the field, and what is typed goes there.
    void titlePageOnSave_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("progetto");
        QTest::addColumn<bool>("saved");
        QTest::newRow("use the first description") << 0 << "Evento 1" << true;
        QTest::newRow("open the title page and type") << 1 << "Bagno Rossi" << false;
        QTest::newRow("Annulla") << 2 << "" << false;
        QTest::newRow("the box closed") << -1 << "" << false;
    }

    void titlePageOnSave()
    {
        QFETCH(int, choice);
        QFETCH(QString, progetto);
        QFETCH(bool, saved);
        Fixture f(renovation(), TitlePage());
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        f.dialogs->choiceAnswers.push_back(choice);
        f.dialogs->fileNames.push_back(f.path("bagno"));
        f.key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.dialogs->choices.size(), 1);
        QVERIFY(
            f.dialogs->choices[0].endsWith("|&Usa la descrizione/Apri il &frontespizio/Annulla"));
        auto* page = qobject_cast<frontespizio*>(f.app.existingWindow(win::frontespizio));
        QCOMPARE(page && page->isVisible(), choice == 1);
        if (choice == 1) {
            QVERIFY(QTest::qWaitForWindowActive(page));
            QCOMPARE(QApplication::focusWidget(), page->campo(TitlePage::progetto));
            QTest::keyClicks(QApplication::focusWidget(), "Bagno Rossi");
        }
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], progetto);
        // Nothing typed went into the events.
        QCOMPARE(f.app.project().description(1), QString("Evento 1"));
        QCOMPARE(QFile::exists(f.path("ZANT-dati-bagno.txt")), saved);
        if (saved) {
            QCOMPARE(readProjectFile(f.path("ZANT-dati-bagno.txt"))
                         .value()
                         .titlePage[TitlePage::progetto],
                     progetto);
            // Taking the description is a step of its own, which Annulla takes back.
            f.app.undo();
            QCOMPARE(f.app.titlePage()[TitlePage::progetto], QString());
        }
    }

    // Typed with Tab alone, from the first description to the twelfth: nothing is lost past
    // the tenth row, and Tab on the empty row after the last event goes on to the links.
    void twelveEventsWithTabAlone()
    {
        Fixture f{Project(), TitlePage()};
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        for (int i = 1; i <= 12; ++i) {
            QTest::keyClicks(f.focus(), QString("Evento %1").arg(i));
            f.key(Qt::Key_Tab);
        }
        QCOMPARE(f.app.project().eventCount(), 12);
        for (int i = 1; i <= 12; ++i)
            QCOMPARE(f.app.project().description(i), QString("Evento %1").arg(i));
        QVERIFY(f.dialogs->messages.empty());
        QCOMPARE(f.focus(), f.ui.even(f.ui.rowCount()));
        QCOMPARE(f.ui.num(f.ui.rowCount())->text(), QString("13"));
        f.key(Qt::Key_Tab);
        QCOMPARE(f.focus(), f.ui.leg(1));
        // Shift+Tab back through the first row scrolls up again.
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        f.key(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(f.ui.topEvent(), 3);
        QCOMPARE(f.focus(), f.ui.even(1));
    }

    void linkRowsTabPastTheLastRow()
    {
        Fixture f;
        // Enter in a description goes to the event's first free link.
        QTest::mouseClick(f.ui.even(4), Qt::LeftButton);
        f.key(Qt::Key_Return);
        QCOMPARE(f.named(), 4);
        QCOMPARE(f.ui.topLinkSlot(), 2);
        QCOMPARE(f.focus(), f.ui.leg(10));
        QTest::keyClicks(f.focus(), "12");
        f.key(Qt::Key_Tab);
        QTest::keyClicks(f.focus(), "2,5");
        f.key(Qt::Key_Tab);
        // Then the activity's own name.
        QCOMPARE(f.focus(), f.ui.nome(10));
        QCOMPARE(f.ui.nome(10)->accessibleName(), QString("descrizione attività, legame 11"));
        QCOMPARE(f.ui.nome(10)->placeholderText(), f.app.project().description(12));
        QTest::keyClicks(f.focus(), "Posa serramenti");
        f.key(Qt::Key_Tab);
        // Its amount, with a decimal comma, and its category.
        QCOMPARE(f.focus(), f.ui.importo(10));
        QCOMPARE(f.ui.importo(10)->accessibleName(), QString("importo attività, legame 11"));
        QTest::keyClicks(f.focus(), "1.234,5");
        f.key(Qt::Key_Tab);
        QCOMPARE(f.focus(), f.ui.categoria(10));
        QCOMPARE(f.ui.categoria(10)->accessibleName(), QString("categoria attività, legame 11"));
        QTest::keyClicks(f.focus(), "OS6");
        f.key(Qt::Key_Tab);
        // The rows moved on to the next free slot instead of leaving the list.
        QCOMPARE(f.ui.topLinkSlot(), 3);
        QCOMPARE(f.focus(), f.ui.leg(10));
        QCOMPARE(f.app.project().linkCount(4), 11);
        QCOMPARE(f.app.project().link(4, 11).target, 12);
        QCOMPARE(*f.app.project().link(4, 11).days, 2.5);
        QCOMPARE(f.app.project().link(4, 11).name, QString("Posa serramenti"));
        QCOMPARE(f.ui.nome(9)->text(), QString("Posa serramenti"));
        QCOMPARE(f.app.project().link(4, 11).amount, Cents{123450});
        QCOMPARE(f.app.project().link(4, 11).category, QString("OS6"));
        QCOMPARE(f.ui.importo(9)->text(), QString("1.234,50"));
        QCOMPARE(f.ui.categoria(9)->text(), QString("OS6"));
        // On the empty slot Tab leaves the list; Esc goes back to the event.
        for (int i = 0; i < 5; ++i)
            f.key(Qt::Key_Tab);
        QCOMPARE(f.focus(), f.ui.datiniz());
        QTest::mouseClick(f.ui.gior(3), Qt::LeftButton);
        f.key(Qt::Key_Escape);
        QCOMPARE(f.focus(), f.ui.even(4));
    }

    // Names typed in the link rows are one step each for Annulla, and a name needs its link.
    void activityNamesTypedAndUndone()
    {
        Fixture f;
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        QCOMPARE(f.named(), 1);
        QTest::mouseClick(f.ui.nome(1), Qt::LeftButton);
        QTest::keyClicks(f.focus(), "Fornitura serramenti");
        QTest::mouseClick(f.ui.nome(2), Qt::LeftButton);
        QTest::keyClicks(f.focus(), "Demolizioni");
        QCOMPARE(f.app.project().activityName(1, 1), QString("Fornitura serramenti"));
        QCOMPARE(f.app.project().activityName(1, 2), QString("Demolizioni"));
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.app.project().link(1, 2).name, QString());
        QCOMPARE(f.ui.nome(2)->text(), QString());
        QCOMPARE(f.app.project().link(1, 1).name, QString("Fornitura serramenti"));
        f.key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.ui.nome(2)->text(), QString("Demolizioni"));
        // The third slot has no link yet: nothing is stored, and the status says why.
        QTest::mouseClick(f.ui.nome(3), Qt::LeftButton);
        QTest::keyClicks(f.focus(), "x");
        QCOMPARE(f.app.project().linkCount(1), 2);
        QCOMPARE(f.ui.nome(3)->text(), QString());
        QVERIFY2(f.window->passo()->text().contains("Scegliere prima l'evento legato"),
                 qPrintable(f.window->passo()->text()));
        // 120 characters at most.
        QCOMPARE(f.ui.nome(1)->maxLength(), 120);
    }

    // Amounts typed in the link rows: Italian decimals, one step each for Annulla, the total
    // shown; a text that is no amount is refused and loses nothing.
    void activityAmountsTypedAndUndone_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("stored"); // -1: refused
        QTest::addColumn<QString>("shown");
        QTest::newRow("decimal comma") << "1234,56" << qint64(123456) << "1.234,56";
        QTest::newRow("grouped, whole euro") << "25.000" << qint64(2500000) << "25.000,00";
        QTest::newRow("blanks around") << " 7,5 " << qint64(750) << "7,50";
        QTest::newRow("the largest") << "999.999.999,99" << qint64(99999999999) << "999.999.999,99";
        QTest::newRow("emptied: no amount") << "" << qint64(0) << "";
        QTest::newRow("decimal point") << "1234.56" << qint64(-1) << "300,00";
        QTest::newRow("negative") << "-5" << qint64(-1) << "300,00";
        QTest::newRow("too large") << "1.000.000.000" << qint64(-1) << "300,00";
        QTest::newRow("words") << "mille" << qint64(-1) << "300,00";
    }

    void activityAmountsTypedAndUndone()
    {
        QFETCH(QString, typed);
        QFETCH(qint64, stored);
        QFETCH(QString, shown);
        Project p = renovation();
        QVERIFY(p.setLinkAmount(1, 1, 30000).ok());
        QVERIFY(p.setLinkAmount(2, 1, 5).ok());
        Fixture f(p);
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        QCOMPARE(f.named(), 1);
        QCOMPARE(f.ui.importo(1)->text(), QString("300,00"));
        QCOMPARE(f.ui.totale()->text(), QString("Importo totale: 300,05 €"));
        const int steps = f.app.undoStack().count();
        f.typeInto(f.ui.importo(1), typed);
        if (stored < 0) {
            QCOMPARE(f.app.project().link(1, 1).amount, Cents{30000});
            QCOMPARE(f.app.undoStack().count(), steps);
            QCOMPARE(f.dialogs->messages.size(), std::size_t(1));
            QVERIFY2(f.dialogs->lastMessageText().startsWith("Importo non valido: digitarlo in "
                                                             "euro con la virgola decimale"),
                     qPrintable(f.dialogs->lastMessageText()));
            QCOMPARE(f.ui.importo(1)->text(), shown);
            return;
        }
        QCOMPARE(f.app.project().link(1, 1).amount, Cents{stored});
        QCOMPARE(f.ui.importo(1)->text(), shown);
        QCOMPARE(f.ui.totale()->text(),
                 QString("Importo totale: %1 €").arg(formatEuro(stored + 5)));
        QVERIFY(f.dialogs->messages.empty());
        // One step, whatever was typed; leaving the box again stores nothing more.
        QCOMPARE(f.app.undoStack().count(), steps + 1);
        f.key(Qt::Key_Tab);
        QCOMPARE(f.app.undoStack().count(), steps + 1);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.app.project().link(1, 1).amount, Cents{30000});
        QCOMPARE(f.ui.importo(1)->text(), QString("300,00"));
        QCOMPARE(f.ui.totale()->text(), QString("Importo totale: 300,05 €"));
        f.key(Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(f.app.project().link(1, 1).amount, Cents{stored});
    }

    // Categories are typed like names; neither an amount nor a category is taken without its
    // link, nor on the final event.
    void categoriesAndEmptySlots()
    {
        Fixture f;
        QTest::mouseClick(f.ui.even(1), Qt::LeftButton);
        QTest::mouseClick(f.ui.categoria(1), Qt::LeftButton);
        QTest::keyClicks(f.focus(), "OG1 - Edifici civili");
        QCOMPARE(f.app.project().activityCategory(1, 1), QString("OG1 - Edifici civili"));
        const int steps = f.app.undoStack().count();
        QTest::mouseClick(f.ui.categoria(2), Qt::LeftButton);
        QTest::keyClicks(f.focus(), "OS6");
        QCOMPARE(f.app.undoStack().count(), steps + 1);
        f.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(f.app.project().activityCategory(1, 2), QString());
        QCOMPARE(f.ui.categoria(2)->text(), QString());
        QCOMPARE(f.app.project().activityCategory(1, 1), QString("OG1 - Edifici civili"));
        QCOMPARE(f.ui.categoria(1)->maxLength(), 120);

        f.typeInto(f.ui.importo(3), "100");
        QCOMPARE(f.app.project().linkCount(1), 2);
        QCOMPARE(f.ui.importo(3)->text(), QString());
        QVERIFY2(f.window->passo()->text().contains("poi l'importo dell'attività"),
                 qPrintable(f.window->passo()->text()));
        QTest::mouseClick(f.ui.categoria(3), Qt::LeftButton);
        QTest::keyClicks(f.focus(), "x");
        QCOMPARE(f.ui.categoria(3)->text(), QString());
        QCOMPARE(f.app.project().totalAmount(), Cents{0});

        moveBar(f.ui.VScroll3(), 14);
        QCOMPARE(f.named(), 14);
        QVERIFY(f.ui.importo(1)->isReadOnly());
        QVERIFY(f.ui.categoria(1)->isReadOnly());
    }

    // The links panel names the event being typed or pointed at, after moves in any order; a
    // link typed then goes to that event.
    void panelFollowsFocusAndMouse_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::newRow("click a description after hovering another number") << "hover 7,click 3";
        QTest::newRow("keys after the mouse") << "hover 2,click 5,key Down,key Down";
        QTest::newRow("hover after the keys") << "click 1,key Down,hover 9";
        QTest::newRow("wheel under the focus") << "click 2,wheel -3";
        QTest::newRow("page down and back") << "click 4,key PageDown,key PageUp,key Up";
        QTest::newRow("tab through the rows") << "click 9,key Tab,key Tab";
    }

    void panelFollowsFocusAndMouse()
    {
        QFETCH(QString, moves);
        Fixture f;
        int expected = 0;
        for (const QString& move : moves.split(',')) {
            const QStringList m = move.split(' ');
            if (m[0] == "hover") {
                QTest::mouseMove(f.ui.num(m[1].toInt()));
                expected = f.ui.topEvent() + m[1].toInt() - 1;
            } else {
                if (m[0] == "click")
                    QTest::mouseClick(f.ui.even(m[1].toInt()), Qt::LeftButton);
                else if (m[0] == "wheel")
                    wheel(f.ui.even(5), m[1].toInt());
                else
                    f.key(m[1] == "Down"       ? Qt::Key_Down
                          : m[1] == "Up"       ? Qt::Key_Up
                          : m[1] == "PageDown" ? Qt::Key_PageDown
                          : m[1] == "PageUp"   ? Qt::Key_PageUp
                                               : Qt::Key_Tab);
                int row = 0;
                for (int r = 1; r <= f.ui.rowCount(); ++r) {
                    if (f.focus() == f.ui.even(r))
                        row = r;
                }
                QVERIFY2(row > 0, qPrintable(move));
                expected = f.ui.topEvent() + row - 1;
                QCOMPARE(f.ui.num(row)->palette().color(QPalette::Window), QColor(255, 255, 0));
            }
            QVERIFY2(
                f.named() == expected,
                qPrintable(QString("%1: %2 instead of %3").arg(move).arg(f.named()).arg(expected)));
        }
        // A link typed now belongs to the event named.
        const int before = f.app.project().linkCount(expected);
        const int slot = before + 1;
        moveBar(f.ui.VScroll2(), std::max(1, slot - 9));
        QLineEdit* target = f.ui.leg(slot - f.ui.topLinkSlot() + 1);
        QTest::mouseClick(target, Qt::LeftButton);
        QTest::keyClicks(target, "12");
        QTest::keyClick(target, Qt::Key_Tab);
        QTest::keyClicks(f.focus(), "1");
        QTest::keyClick(f.focus(), Qt::Key_Tab);
        QCOMPARE(f.app.project().linkCount(expected), before + 1);
        QCOMPARE(f.app.project().link(expected, slot).target, 12);
    }

    // PageDown and PageUp move the focus with the rows, also where the list cannot scroll a
    // whole page.
    void pageKeysMoveTheFocus_data()
    {
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("down");
        QTest::addColumn<int>("newTop");
        QTest::addColumn<int>("newRow");
        QTest::newRow("a page down") << 1 << 5 << true << 11 << 5;
        QTest::newRow("a page up") << 21 << 3 << false << 11 << 3;
        QTest::newRow("up at the top reaches event 1") << 1 << 5 << false << 1 << 1;
        QTest::newRow("down near the end reaches event 500") << 491 << 5 << true << 491 << 10;
        QTest::newRow("down, less than a page left") << 486 << 2 << true << 491 << 7;
    }

    void pageKeysMoveTheFocus()
    {
        QFETCH(int, top);
        QFETCH(int, row);
        QFETCH(bool, down);
        QFETCH(int, newTop);
        QFETCH(int, newRow);
        Fixture f;
        moveBar(f.ui.VScroll1(), top);
        QTest::mouseClick(f.ui.even(row), Qt::LeftButton);
        f.key(down ? Qt::Key_PageDown : Qt::Key_PageUp);
        QCOMPARE(f.ui.topEvent(), newTop);
        QCOMPARE(f.focus(), f.ui.even(newRow));
        QCOMPARE(f.named(), newTop + newRow - 1);
    }

    // Maximised on the office's screens the grids use the height for rows, at the size of
    // their fonts.
    void windowsGrowRows_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QSize>("size");
        QTest::newRow("data window, 1280 x 720") << win::dati << QSize(1280, 720);
        QTest::newRow("data window, 1920 x 1080") << win::dati << QSize(1920, 1080);
        QTest::newRow("results window, 1280 x 720") << win::risultati << QSize(1280, 720);
        QTest::newRow("results window, 1920 x 1080") << win::risultati << QSize(1920, 1080);
    }

    void windowsGrowRows()
    {
        QFETCH(QString, window);
        QFETCH(QSize, size);
        Fixture f;
        auto* main = qobject_cast<MainWindowBase*>(f.app.window(window));
        main->show();
        QApplication::processEvents();
        const std::optional<DataWindowControls> d =
            qobject_cast<dati*>(main) ? std::optional(DataWindowControls(main)) : std::nullopt;
        const ResultsWindowControls r(main);
        const auto rows = [&] { return d ? d->rowCount() : r.rowCount(); };
        const auto cell = [&](int row) -> QWidget* {
            return d ? static_cast<QWidget*>(d->even(row)) : r.cell("tmin", row);
        };
        // What follows the rows: the progress bar, or the critical path.
        QWidget* below = d ? static_cast<QWidget*>(d->ProgressBar1()) : r.Text1();
        QCOMPARE(rows(), 10);
        const int designGap = below->y() - cell(10)->geometry().bottom();
        const int rowHeight = cell(2)->y() - cell(1)->y();
        const double points = cell(1)->font().pointSizeF();

        main->resize(size);
        QApplication::processEvents();
        const int shown = rows();
        QVERIFY2(shown > 10, qPrintable(QString::number(shown)));
        QCOMPARE(cell(1)->font().pointSizeF(), points);
        QCOMPARE(cell(shown)->y() - cell(shown - 1)->y(), rowHeight);
        // The rows fill the height: another would not fit above what follows them.
        const int gap = below->y() - cell(shown)->geometry().bottom();
        QVERIFY2(gap >= designGap - 1 && gap <= designGap + rowHeight,
                 qPrintable(QString("gap %1, design %2").arg(gap).arg(designGap)));
        QVERIFY(below->geometry().bottom() < main->centralWidget()->height());
        // The last event is still reached, in the last row.
        QScrollBar* bar = d ? d->VScroll1() : r.VScroll1();
        QCOMPARE(bar->maximum(), 500 - shown + 1);
        moveBar(bar, bar->maximum());
        QCOMPARE(d ? d->num(shown)->text() : r.cell("num", shown)->text(), QString("500"));

        // Back to the design size: ten rows again.
        main->resize(main->minimumSizeHint());
        QApplication::processEvents();
        QCOMPARE(rows(), 10);
        QVERIFY(cell(11)->isHidden());
    }

    void summaryInTheDataWindow()
    {
        Fixture f(buildProject("3: 1>2=10 2>3=5 1>3=2", "01/03/2027"));
        QCOMPARE(f.window->summaryLabel()->text(),
                 QString("Fine lavori: 16/03/2027 - durata 15 giorni - percorso critico di 3 "
                         "eventi"));
        // Typed durations change it at once.
        QTest::mouseMove(f.ui.num(1));
        QTest::mouseClick(f.ui.gior(1), Qt::LeftButton);
        QTest::keyClick(f.ui.gior(1), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(f.ui.gior(1), "1,5");
        QTest::keyClick(f.ui.gior(1), Qt::Key_Return);
        QCOMPARE(f.window->summaryLabel()->text(),
                 QString("Fine lavori: 08/03/2027 - durata 6,5 giorni - percorso critico di 3 "
                         "eventi"));
        // Data the check refuses show no figures.
        QTest::mouseClick(f.ui.num(2), Qt::LeftButton);
        QCOMPARE(f.app.project().eventCount(), 4);
        QCOMPARE(f.window->summaryLabel()->text(), QString());
    }

    // A new project starts today; a project read from a file keeps its own date.
    void newProjectStartsToday()
    {
        AppWithFakes a;
        const QString today = formatDate(QDate::currentDate());
        QCOMPARE(a.app.project().startDateText(), today);
        a.app.registerWindow(win::dati, [](ModZANT& m) { return new dati(m); });
        QCOMPARE(DataWindowControls(a.app.windowAs<dati>(win::dati)).datiniz()->text(), today);
        QTemporaryDir dir;
        const QString old = dir.filePath("ZANT-dati-vecchio.txt");
        QVERIFY(writeProjectFile(old, buildProject("2: 1>2=1", "01/01/1990"), TitlePage()).ok());
        const QByteArray before = contentOf(old);
        QVERIFY(a.app.openProject(old).ok());
        QCOMPARE(a.app.project().startDateText(), QString("01/01/1990"));
        // Saved again unchanged, it is the same file byte for byte.
        QVERIFY(writeProjectFile(old, a.app.project(), a.app.titlePage()).ok());
        QCOMPARE(contentOf(old), before);
    }
};

QTEST_MAIN(TestDailyUse)
#include "test_daily_use.moc"
