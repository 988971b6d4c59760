#include "model/project_file.h"
#include "report/direct_print.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "support/project_builder.h"
#include "support/window_controls.h"
#include "windows/dati.h"
#include "windows/frontespizio.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace zant;
using namespace zant::test;
using zant::test::buildProject;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

const QString kMessageTitle = QStringLiteral("ZANT: controllo dati immessi nella finestra attiva");
const QString kHelpTitle = QStringLiteral("ZANT: aiuto in linea");
const QString kDeleteTitle =
    QStringLiteral("Elimina: seleziona il file desiderato e clicca su Apri per cancellarlo");

struct Fixture
{
    FakeDialogs* dialogs = new FakeDialogs;
    FakeDocumentOutput* output = new FakeDocumentOutput;
    ModZANT app{std::unique_ptr<Dialogs>(dialogs), std::unique_ptr<DocumentOutput>(output),
                std::make_unique<FakeMusicPlayer>(),
                OfficeSettings{"Studio Bianchi", "Via Roma 1, Pavia"}};
    frontespizio* window = nullptr;
    int processEnded = 0;

    // `allWindows` registers the data window and plain stand-ins for the others, so that every
    // command that shows a window has one to show.
    explicit Fixture(bool allWindows = false,
                     const Project& project = buildProject("3: 1>2=2 2>3=5"))
    {
        giveProject(app, project);
        app.today = [] { return QDate(2026, 12, 7); };
        app.endProcess = [this] { ++processEnded; };
        if (allWindows) {
            app.registerWindow(win::dati, [](ModZANT& a) { return new dati(a); });
            for (const QString& name : {win::risultati, win::sommario, win::frmTip,
                                        win::supportoclienti, win::informa, win::guidafrontespizio})
                app.registerWindow(name, [](ModZANT&) { return new QWidget; });
        }
        app.registerWindow(win::frontespizio, [](ModZANT& a) { return new frontespizio(a); });
        window = app.windowAs<frontespizio>(win::frontespizio);
    }

    QLineEdit* field(TitlePage::Field f) const { return window->campo(f); }
    // Types each character as a key press with its text; QTest's own helper takes ASCII only.
    void type(TitlePage::Field f, const QString& text) const
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(field(f), &press);
        }
    }
    void fillAll() const
    {
        const char* texts[] = {"Magazzino comunale",
                               "Pavia, via Emilia",
                               "analisi situazione attuale",
                               "Comune di Pavia",
                               "Milano",
                               "lunedì, 7 dic 2026",
                               "planimetrie"};
        for (int f = 0; f < TitlePage::kFieldCount; ++f) {
            field(TitlePage::Field(f))->clear();
            type(TitlePage::Field(f), QString::fromUtf8(texts[f]));
        }
    }
    QStringList shownFields() const
    {
        QStringList out;
        for (int f = 0; f < TitlePage::kFieldCount; ++f)
            out << field(TitlePage::Field(f))->text();
        return out;
    }
    QAction* action(const QString& name) const { return window->findChild<QAction*>(name); }
    QPushButton* button(const QString& name) const { return window->findChild<QPushButton*>(name); }
    QString lastMessage() const { return dialogs->lastMessageText(); }
    QString passo() const { return window->passo()->text(); }
    QStringList documents() const
    {
        return QDir(output->folder()).entryList(QDir::Files, QDir::Name);
    }
};

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

int pdfPageCount(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray pdf = file.readAll();
    return int(pdf.count("/Type /Page") - pdf.count("/Type /Pages"));
}

} // namespace

class TestFrontespizio final : public QObject
{
    Q_OBJECT

private slots:
    void loadSetsTodayOnlyWhenNoDate_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no date yet: today, in Italian") << ""
                                                        << "lunedì, 7 dic 2026";
        QTest::newRow("a project's date is kept") << "12/03/2025"
                                                  << "12/03/2025";
    }

    void loadSetsTodayOnlyWhenNoDate()
    {
        QFETCH(QString, before);
        QFETCH(QString, shown);
        FakeDialogs* dialogs = new FakeDialogs;
        ModZANT app(std::unique_ptr<Dialogs>(dialogs), std::make_unique<FakeDocumentOutput>(),
                    std::make_unique<FakeMusicPlayer>(), OfficeSettings{"Studio", "Via"});
        app.today = [] { return QDate(2026, 12, 7); };
        TitlePage page = titlePageWith(TitlePage::data, before);
        page[TitlePage::committente] = "Comune";
        giveProject(app, Project(), page);
        app.registerWindow(win::frontespizio, [](ModZANT& a) { return new frontespizio(a); });
        auto* w = app.windowAs<frontespizio>(win::frontespizio);
        QCOMPARE(w->campo(TitlePage::data)->text(), shown);
        QCOMPARE(app.titlePage()[TitlePage::data], shown);
        QCOMPARE(w->campo(TitlePage::committente)->text(), QString("Comune"));
        QCOMPARE(w->passo()->text(),
                 QString("Digitare i dati fino ad un massimo di 60 caratteri per "
                         "campo o prelevare un file dall'archivio."));
        QVERIFY(w->comestampo(1)->isChecked());
        QVERIFY(!w->comestampo(2)->isChecked());
        QVERIFY(dialogs->messages.empty());
    }

    void checkOfTheEnteredData_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("clearFirst");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("kind");
        QTest::newRow("all empty but the automatic date")
            << "" << false << "Non è stato immesso alcun dato." << int(MessageKind::Question);
        QTest::newRow("only luogo")
            << "luogo" << false << "Inserire dati per ogni campo." << int(MessageKind::Exclamation);
        QTest::newRow("after clear, the date is empty too")
            << "all" << true << "Non è stato immesso alcun dato." << int(MessageKind::Question);
        QTest::newRow("all filled") << "all" << false << "I dati sono stati immessi correttamente."
                                    << int(MessageKind::Information);
    }

    void checkOfTheEnteredData()
    {
        QFETCH(QString, typed);
        QFETCH(bool, clearFirst);
        QFETCH(QString, message);
        QFETCH(int, kind);
        Fixture f;
        if (typed == "luogo")
            f.type(TitlePage::luogo, "Milano");
        else if (typed == "all")
            f.fillAll();
        if (clearFirst) {
            f.dialogs->saveAnswers.push_back(SaveChoice::Discard);
            f.action("cancella")->trigger();
            QCOMPARE(f.shownFields(), QStringList(7, QString()));
            QVERIFY(f.app.titlePage() == TitlePage());
        }
        const TitlePage before = f.app.titlePage();
        f.action("controllodat")->trigger();
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QCOMPARE(f.dialogs->messages.back().title, kMessageTitle);
        QCOMPARE(f.lastMessage(), message);
        QCOMPARE(int(f.dialogs->messages.back().message.kind), kind);
        // The check only reports.
        QVERIFY(f.app.titlePage() == before);
    }

    void lengthWarning()
    {
        Fixture f;
        const QString warning("Per una stampa corretta non digitare dati lunghi più di 60 spazi.");
        f.field(TitlePage::progetto)->setFocus();
        f.type(TitlePage::progetto, QString(60, 'a'));
        QVERIFY(f.passo() != warning);
        QCOMPARE(f.app.titlePage()[TitlePage::progetto].size(), 60);

        // The 61st character warns in the guidance box, once, and every key typed after it
        // reaches the field: nothing takes the keyboard away.
        f.type(TitlePage::progetto, "bcd");
        QCOMPARE(f.passo(), warning);
        QVERIFY(f.dialogs->messages.empty());
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], QString(60, 'a') + "bcd");
        QCOMPARE(f.field(TitlePage::progetto)->text(), QString(60, 'a') + "bcd");

        // Back within 60 the instruction returns; passing 60 again warns again.
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(f.field(TitlePage::progetto), Qt::Key_Backspace);
        QVERIFY(f.passo() != warning);
        f.type(TitlePage::progetto, "z");
        QCOMPARE(f.passo(), warning);

        // Every field warns, the date too, and no message box ever appears.
        f.field(TitlePage::data)->clear();
        f.type(TitlePage::data, QString(61, 'd'));
        QCOMPARE(f.app.titlePage()[TitlePage::data], QString(61, 'd'));
        QVERIFY(f.dialogs->messages.empty());
    }

    void anyTextIsTaken_data()
    {
        QTest::addColumn<QString>("inserted");
        QTest::newRow("double quote") << "\"Verdi\"";
        QTest::newRow("character outside Windows-1252") << "→ lotto 2";
        QTest::newRow("Cyrillic") << "Москва";
    }

    void anyTextIsTaken()
    {
        QFETCH(QString, inserted);
        Fixture f;
        f.type(TitlePage::committente, "Comune ");
        f.type(TitlePage::committente, inserted);
        QCOMPARE(f.app.titlePage()[TitlePage::committente], "Comune " + inserted);
        QVERIFY(f.dialogs->messages.empty());
    }

    void officeRowsCannotBeChanged_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("said");
        QTest::newRow("studio tecnico") << "Labelstudio"
                                        << "Studio Bianchi"
                                        << "nome dello studio";
        QTest::newRow("indirizzo") << "labelindirizzo"
                                   << "Via Roma 1, Pavia"
                                   << "indirizzo dello studio";
    }

    void officeRowsCannotBeChanged()
    {
        QFETCH(QString, label);
        QFETCH(QString, shown);
        QFETCH(QString, said);
        Fixture f;
        auto* l = f.window->findChild<QLabel*>(label);
        QVERIFY(l);
        QCOMPARE(l->text(), shown);
        QVERIFY(l->toolTip().contains("Impostazioni dello studio"));
        QTest::mouseClick(l, Qt::LeftButton);
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QCOMPARE(f.dialogs->messages.back().title, kMessageTitle);
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Critical);
        QVERIFY(f.lastMessage().contains(said));
        QVERIFY(f.lastMessage().contains("non si modifica in questa finestra"));
        QCOMPARE(l->text(), shown);
        QCOMPARE(f.app.office().officeName, QString("Studio Bianchi"));
    }

    void fileRoundTrip()
    {
        Fixture f;
        QTemporaryDir dir;
        const QString dataFile = dir.filePath("ZANT-dati-progetto");
        giveDataFile(f.app, dataFile);
        f.fillAll();
        const TitlePage typed = f.app.titlePage();

        // No own file yet: the dialog, even though the data window has one.
        const QString path = dir.filePath("ZANT-front-magazzino");
        f.dialogs->fileNames.push_back(path);
        f.action("salva")->trigger();
        QCOMPARE(f.dialogs->fileDialogs.last(),
                 QString("save|Salva file con nome|File ZANT-front- | ZANT-front-*|1|ZANT-front-"));
        QCOMPARE(f.window->currentFile(), path);
        QVERIFY(!QFile::exists(dataFile));
        QCOMPARE(f.app.currentDataFile(), dataFile);
        QVERIFY(readTitlePageFile(path).value() == typed);

        // Save again: straight to the same file.
        const qsizetype asked = f.dialogs->fileDialogs.size();
        f.type(TitlePage::allegati, ", foto");
        f.action("salva")->trigger();
        QCOMPARE(f.dialogs->fileDialogs.size(), asked);
        QCOMPARE(readTitlePageFile(path).value()[TitlePage::allegati],
                 QString("planimetrie, foto"));

        // Save as always asks; cancelled, the file name stays.
        f.action("salvanome")->trigger();
        QCOMPARE(f.dialogs->fileDialogs.size(), asked + 1);
        QCOMPARE(f.window->currentFile(), path);
        const QString copy = dir.filePath("ZANT-front-copia");
        f.dialogs->fileNames.push_back(copy);
        f.action("salvanome")->trigger();
        QCOMPARE(f.window->currentFile(), copy);
        const TitlePage saved = f.app.titlePage();

        // Clear keeps the file name; open restores every field in order.
        f.action("cancella")->trigger();
        QCOMPARE(f.window->currentFile(), copy);
        f.dialogs->fileNames.push_back(path);
        f.action("apri")->trigger();
        QCOMPARE(
            f.dialogs->fileDialogs.last(),
            QString("open|Apri file|Tutti i file (*.*) | *.*|File ZANT-front- | ZANT-front-*|2"));
        QVERIFY(f.app.titlePage() == saved);
        QCOMPARE(f.shownFields(), QStringList(saved.fields.begin(), saved.fields.end()));
        QCOMPARE(f.window->currentFile(), path);
        QVERIFY(f.dialogs->messages.empty());
    }

    void failedOpenChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("six items") << QByteArray("\"a\",\"b\",\"c\",\"d\",\"e\",\"f\"\r\n");
        QTest::newRow("quote never closed") << QByteArray("\"a\",\"b\",\"c");
        QTest::newRow("missing file") << QByteArray();
    }

    void failedOpenChangesNothing()
    {
        QFETCH(QByteArray, contents);
        Fixture f;
        QTemporaryDir dir;
        const QString mine = dir.filePath("ZANT-front-mio");
        f.fillAll();
        f.dialogs->fileNames.push_back(mine);
        f.window->salva_Click();
        const TitlePage before = f.app.titlePage();

        const QString broken = dir.filePath("ZANT-front-rotto");
        if (!contents.isEmpty())
            writeBytes(broken, contents);
        f.dialogs->fileNames.push_back(broken);
        f.window->apri_Click();
        QVERIFY2(f.lastMessage().contains("ZANT-front-rotto"), qPrintable(f.lastMessage()));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Critical);
        QVERIFY(f.app.titlePage() == before);
        QCOMPARE(f.shownFields(), QStringList(before.fields.begin(), before.fields.end()));
        QCOMPARE(f.window->currentFile(), mine);
    }

    void failedSaveKeepsTheFileName()
    {
        Fixture f;
        QTemporaryDir dir;
        f.fillAll();
        const QString path = dir.filePath("ZANT-front-buono");
        f.dialogs->fileNames.push_back(path);
        f.window->salva_Click();

        // Save as onto a folder.
        f.dialogs->fileNames.push_back(dir.path());
        f.window->salvanome_Click();
        QVERIFY(f.lastMessage().startsWith("Impossibile salvare il file"));
        QVERIFY(f.lastMessage().contains(QDir::toNativeSeparators(dir.path())));
        QCOMPARE(f.window->currentFile(), path);

        // The known file has become a folder: Save reports it and the fields stay.
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
        f.window->salva_Click();
        QVERIFY(f.lastMessage().contains("ZANT-front-buono"));
        QCOMPARE(f.window->currentFile(), path);
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], QString("Magazzino comunale"));
    }

    void deleteFile()
    {
        Fixture f;
        QTemporaryDir dir;
        // The desktop's trash of a home of our own, so the test touches no real trash.
        const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", oldDataHome); });
        QVERIFY(QDir().mkpath(dir.filePath("share")));
        qputenv("XDG_DATA_HOME", dir.filePath("share").toUtf8());
        const QString path = dir.filePath("ZANT-front-vecchio");
        writeBytes(path, "\"a\",\"b\",\"c\",\"d\",\"e\",\"f\",\"g\"\r\n");
        f.fillAll();
        const TitlePage before = f.app.titlePage();

        f.action("eliminare")->trigger(); // cancelled
        QVERIFY(QFile::exists(path));
        QCOMPARE(f.dialogs->fileDialogs.last(),
                 "open|" + kDeleteTitle +
                     "|Tutti i file (*.*)|*.*|File ZANT-front- | ZANT-front-*|2");

        f.dialogs->fileNames.push_back(path);
        f.action("eliminare")->trigger();
        QVERIFY(!QFile::exists(path));
        QVERIFY(QFile::exists(dir.filePath("share/Trash/files/ZANT-front-vecchio")));
        QVERIFY(f.dialogs->messages.empty());
        QVERIFY(f.app.titlePage() == before);

        f.dialogs->fileNames.push_back(dir.filePath("non-esiste"));
        f.action("eliminare")->trigger();
        QVERIFY(f.lastMessage().startsWith("Impossibile eliminare il file"));
        QVERIFY(f.lastMessage().contains("non-esiste"));
    }

    void commands_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("effect");
        const char* const report = "document:ZANT-RelazioneZANT-Comune di Pavia.docx";
        const char* const exit = "exit";
        // clang-format off
        const char* const rows[][2] = {
            {"toolbar 1", "open:Apri file"},
            {"toolbar 2", "save:Salva file con nome"},
            {"toolbar 3", "open:Elimina: seleziona il file desiderato e clicca su Apri per cancellarlo"},
            {"toolbar 4", report},
            {"toolbar 6", "window:dati"},
            {"toolbar 7", "window:risultati"},
            {"toolbar 8", "guide"},
            {"toolbar 10", "question:Colori uguali e riposanti (grigio) per tutte le finestre?"},
            {"toolbar 12", "window:sommario"},
            {"toolbar 13", "window:frmTip"},
            {"toolbar 14", "window:supportoclienti"},
            {"toolbar 15", "window:informa"},
            {"toolbar 17", "message:Inserire dati per ogni campo."},
            {"toolbar 18", "cleared"},
            {"toolbar 19", exit},
            {"menu fin1", "window:dati"},
            {"menu fin2", "window:risultati"},
            {"menu fin3", "guide"},
            {"menu finestra", "window:guidafrontespizio"},
            {"menu guida", "window:sommario"},
            {"menu sugger", "window:frmTip"},
            {"menu supporto", "window:supportoclienti"},
            {"menu informazioni", "window:informa"},
            {"menu stampatutto", report},
            {"menu solodati", "document:ZANT-frontespizio-2026-12-07-1530.docx"},
            {"menu esci", exit},
            {"button stampa", report},
            {"button Command5", "window:dati"},
            {"button guidainlinea", "window:sommario"},
            {"button aiuto", "message:- Digitare o correggere i dati"},
            {"button cmdesci", exit},
        };
        // clang-format on
        for (const auto& [trigger, effect] : rows)
            QTest::addRow("%s -> %s", trigger, effect) << QString(trigger) << QString(effect);
    }

    void commands()
    {
        QFETCH(QString, trigger);
        QFETCH(QString, effect);
        Fixture f(true);
        f.type(TitlePage::committente, "Comune di Pavia");
        f.dialogs->saveAnswers.push_back(SaveChoice::Discard);
        const QString how = trigger.section(' ', 0, 0);
        const QString which = trigger.section(' ', 1);
        if (effect == "guide")
            f.dialogs->answers.push_back(true);
        if (how == "toolbar") {
            auto* action = f.action("Toolbar1_" + which);
            QVERIFY(action);
            QVERIFY(action->isEnabled());
            action->trigger();
        } else if (how == "menu") {
            QVERIFY(f.action(which));
            QVERIFY(f.action(which)->isEnabled());
            f.action(which)->trigger();
        } else {
            QVERIFY(f.button(which));
            QVERIFY(f.button(which)->isEnabled());
            QTest::mouseClick(f.button(which), Qt::LeftButton);
        }

        const QString kind = effect.section(':', 0, 0);
        const QString what = effect.section(':', 1);
        if (kind == "open" || kind == "save") {
            QVERIFY(!f.dialogs->fileDialogs.isEmpty());
            QVERIFY(f.dialogs->fileDialogs.last().startsWith(kind + '|' + what + '|'));
        } else if (kind == "document") {
            QVERIFY(!f.output->opened.isEmpty());
            QCOMPARE(f.output->opened.last(), f.output->folder() + '/' + what);
            QVERIFY(QFile::exists(f.output->opened.last()));
        } else if (kind == "window") {
            QVERIFY(f.app.isLoaded(what));
            QVERIFY(f.app.existingWindow(what)->isVisible());
        } else if (kind == "guide") {
            QCOMPARE(
                f.dialogs->questions.last(),
                kHelpTitle +
                    "|E' questa la finestra 'Frontespizio': si vuole la guida della finestra?|Yes");
            QVERIFY(f.app.isLoaded(win::guidafrontespizio));
        } else if (kind == "question") {
            QVERIFY(!f.dialogs->questions.isEmpty());
            QVERIFY2(f.dialogs->questions.last().contains(what),
                     qPrintable(f.dialogs->questions.last()));
            // No to the exit question: the window stays.
            QVERIFY(f.app.isLoaded(win::frontespizio));
        } else if (kind == "exit") {
            // Only the unsaved changes are asked about; then every window closes.
            QCOMPARE(f.dialogs->saveQuestions.last(),
                     QString("ZANT|Salvare le modifiche al progetto?"));
            QVERIFY(f.dialogs->questions.isEmpty());
            QVERIFY(!f.app.isLoaded(win::frontespizio));
            QCOMPARE(f.processEnded, 1);
        } else if (kind == "message") {
            QVERIFY(f.lastMessage().startsWith(what));
        } else if (kind == "cleared") {
            QCOMPARE(f.shownFields(), QStringList(7, QString()));
        } else {
            QFAIL("unknown effect");
        }
    }

    void windowHelpList()
    {
        Fixture f;
        f.window->aiuto_Click();
        QCOMPARE(f.dialogs->messages.back().title, kHelpTitle);
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Information);
        const QStringList lines = f.lastMessage().split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[1], QString("- la data viene impostata in automatico, ma è modificabile;"));
        QVERIFY(lines[2].contains("studio tecnico"));
        QCOMPARE(lines[5],
                 QString("- effettuare il controllo dei dati immessi cliccando sul tasto ABC."));
    }

    void absentWindowsDisableTheirCommands()
    {
        Fixture f(false);
        for (int position : {6, 7, 8, 12, 13, 14, 15})
            QVERIFY2(!f.action(QString("Toolbar1_%1").arg(position))->isEnabled(),
                     qPrintable(QString::number(position)));
        for (const char* name :
             {"fin1", "fin2", "fin3", "guida", "sugger", "supporto", "informazioni", "finestra"})
            QVERIFY2(!f.action(name)->isEnabled(), name);
        QVERIFY(!f.button("Command5")->isEnabled());
        QVERIFY(!f.button("guidainlinea")->isEnabled());
        for (int position : {1, 2, 3, 4, 10, 17, 18, 19})
            QVERIFY(f.action(QString("Toolbar1_%1").arg(position))->isEnabled());
    }

    void exitKeepsTheTitlePage()
    {
        Fixture f(true);
        f.type(TitlePage::progetto, "Scuola");
        f.dialogs->saveAnswers.push_back(SaveChoice::Discard);
        f.window->esci_Click();
        QVERIFY(!f.app.isLoaded(win::frontespizio));
        QCOMPARE(f.app.titlePage()[TitlePage::progetto], QString("Scuola"));
        auto* again = f.app.windowAs<frontespizio>(win::frontespizio);
        QCOMPARE(again->campo(TitlePage::progetto)->text(), QString("Scuola"));
    }

    void fullReportWithWord_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("canOpen");
        QTest::newRow("opened for the user") << "Comune di Pavia"
                                             << "ZANT-RelazioneZANT-Comune di Pavia.docx" << true;
        QTest::newRow("a client unfit for file names")
            << "A.S.L. 3/Nord: \"sede\""
            << "ZANT-RelazioneZANT-A.S.L. 3_Nord_ _sede_.docx" << true;
        QTest::newRow("nothing can open it") << "Comune"
                                             << "ZANT-RelazioneZANT-Comune.docx" << false;
    }

    void fullReportWithWord()
    {
        QFETCH(QString, client);
        QFETCH(QString, fileName);
        QFETCH(bool, canOpen);
        Fixture f(true);
        f.output->canOpen = canOpen;
        TitlePage page = f.app.titlePage();
        page[TitlePage::committente] = client;
        giveProject(f.app, f.app.project(), page);
        QSignalSpy results(&f.app, &ModZANT::resultsChanged);
        f.window->stampa_Click();
        QCOMPARE(f.documents(), QStringList{fileName});
        // The guidance box tells whether the document could be shown.
        QCOMPARE(f.passo(), canOpen ? QString("ho visualizzato la relazione con WORD")
                                    : "ho salvato il documento " + fileName +
                                          ", ma nessun programma ha potuto aprirlo");
        // Computed from the data just printed, and handed to the results window.
        QCOMPARE(results.count(), 1);
        QCOMPARE(f.app.results().eventCount, 3);
        QCOMPARE(f.app.results().earliest[3], 7.0);
        QVERIFY(!f.app.checkConfirmation().refusalPending());
        if (canOpen) {
            QVERIFY(f.dialogs->messages.empty());
        } else {
            QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Information);
            QVERIFY(f.lastMessage().contains(fileName));
        }
    }

    void printRefusedByTheCheck_data()
    {
        QTest::addColumn<bool>("withDataWindow");
        QTest::addColumn<bool>("direct");
        QTest::newRow("Word, data window brought forward") << true << false;
        QTest::newRow("direct, data window brought forward") << true << true;
        QTest::newRow("Word, no data window") << false << false;
    }

    void printRefusedByTheCheck()
    {
        QFETCH(bool, withDataWindow);
        QFETCH(bool, direct);
        Fixture f(withDataWindow, buildProject("3: 1>2=1"));
        f.window->comestampo(direct ? 2 : 1)->setChecked(true);
        QSignalSpy results(&f.app, &ModZANT::resultsChanged);
        f.dialogs->printAnswers.push_back(true);
        f.window->stampa_Click();
        QVERIFY2(f.lastMessage().startsWith("Evento n. 2"), qPrintable(f.lastMessage()));
        QVERIFY(f.app.checkConfirmation().refusalPending());
        QVERIFY(f.documents().isEmpty());
        QVERIFY(f.output->opened.isEmpty());
        QCOMPARE(f.dialogs->printAnswers.size(), size_t(1)); // no print dialog
        QCOMPARE(results.count(), 0);
        QCOMPARE(f.app.isLoaded(win::dati), withDataWindow);
        if (withDataWindow)
            QVERIFY(f.app.existingWindow(win::dati)->isVisible());
    }

    void directPrint()
    {
        Project project;
        {
            auto contents = readProjectFile(
                QStringLiteral(ZANT_SOURCE_DIR "/examples/ZANT-dati-esempio-magazzino.txt"));
            QVERIFY(contents.ok());
            project = contents.value().project;
        }
        Fixture f(true, project);
        QTemporaryDir dir;
        const QString pdf = dir.filePath("relazione.pdf");
        f.dialogs->printToPdf = pdf;
        f.window->comestampo(2)->setChecked(true);

        // Cancelled dialog: nothing printed, nothing computed.
        QSignalSpy results(&f.app, &ModZANT::resultsChanged);
        f.dialogs->printAnswers.push_back(false);
        f.window->stampa_Click();
        QVERIFY(!QFile::exists(pdf));
        QCOMPARE(results.count(), 0);
        QVERIFY(f.dialogs->messages.empty());

        f.dialogs->printAnswers.push_back(true);
        f.window->stampa_Click();
        QVERIFY(QFile::exists(pdf));
        QCOMPARE(results.count(), 1);
        QCOMPARE(f.app.results().eventCount, 25);
        // Every laid-out page reached the printer: cover, texts, data table, tables A, B and C.
        const auto pages = layoutDirectReport(
            ReportData{f.app.project(), f.app.results(), f.app.titlePage(), f.app.office()});
        QVERIFY(pages.size() >= 8);
        QCOMPARE(pdfPageCount(pdf), int(pages.size()));
        QVERIFY(f.dialogs->messages.empty());
        // No Word document on this road.
        QVERIFY(f.documents().isEmpty());
        QCOMPARE(f.passo(), QString("ho stampato la relazione"));
    }

    void directPrintFailureIsReported()
    {
        Fixture f;
        QTemporaryDir dir;
        f.dialogs->printToPdf = dir.filePath("manca/la/cartella.pdf");
        f.dialogs->printAnswers.push_back(true);
        f.window->comestampo(2)->setChecked(true);
        f.window->stampa_Click();
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QCOMPARE(f.dialogs->messages.back().message.kind, MessageKind::Critical);
        // The message names the file and the true cause.
        QVERIFY2(f.lastMessage().startsWith("Impossibile salvare il file \"" +
                                            QDir::toNativeSeparators(f.dialogs->printToPdf) +
                                            "\": cartella inesistente."),
                 qPrintable(f.lastMessage()));
        QVERIFY(f.passo().isEmpty());
    }

    void dataOnlyReport_data()
    {
        QTest::addColumn<bool>("direct");
        QTest::newRow("Word option") << false;
        QTest::newRow("direct option changes nothing") << true;
    }

    void dataOnlyReport()
    {
        QFETCH(bool, direct);
        // Data that the check refuses do not stop this report.
        Fixture f(false, buildProject("3: 1>2=1"));
        f.window->comestampo(direct ? 2 : 1)->setChecked(true);
        f.window->solodati_Click();
        QCOMPARE(f.documents(), QStringList{"ZANT-frontespizio-2026-12-07-1530.docx"});
        QCOMPARE(f.passo(), QString("sto caricando WORD"));
        QVERIFY(f.dialogs->messages.empty());
        QVERIFY(f.dialogs->printAnswers.empty());
        QVERIFY(!f.app.checkConfirmation().refusalPending());
    }

    void greyForTheMainWindows()
    {
        Fixture f(true);
        f.app.showWindow(win::dati);
        QVERIFY(background(f.window) != kLightGrey);
        f.dialogs->answers.push_back(true);
        clickToolbar(f.window, 10);
        QCOMPARE(f.dialogs->questions.last(),
                 QString("ZANT: colore di sfondo|Colori uguali e riposanti (grigio) per tutte le "
                         "finestre?|Yes"));
        QCOMPARE(background(f.window), kLightGrey);
        QCOMPARE(background(f.app.existingWindow(win::dati)), kLightGrey);
        QVERIFY(!f.dialogs->lastColourOffered);

        // Already grey: straight to the colour dialog, for this window only.
        f.dialogs->colours.push_back(QColor(200, 220, 255));
        const qsizetype asked = f.dialogs->questions.size();
        f.action("colorare")->trigger();
        QCOMPARE(f.dialogs->questions.size(), asked);
        QCOMPARE(background(f.window), QColor(200, 220, 255));
        QCOMPARE(background(f.app.existingWindow(win::dati)), kLightGrey);
        QCOMPARE(f.app.lastColor(), QColor(200, 220, 255));
    }

    void projectOpenedInTheDataWindowRefreshesTheFields()
    {
        Fixture f(true);
        QTemporaryDir dir;
        const QString path = dir.filePath("ZANT-dati-scuola");
        TitlePage page;
        page[TitlePage::progetto] = "Scuola";
        page[TitlePage::data] = "01/02/2027";
        QVERIFY(writeProjectFile(path, buildProject("2: 1>2=3"), page).ok());
        f.type(TitlePage::luogo, "Milano");
        f.dialogs->saveAnswers.push_back(SaveChoice::Discard);
        f.dialogs->fileNames.push_back(path);
        chooseMenuItem(f.app.windowAs<dati>(win::dati), "apri");
        QCOMPARE(f.field(TitlePage::progetto)->text(), QString("Scuola"));
        QCOMPARE(f.field(TitlePage::luogo)->text(), QString());
        QCOMPARE(f.field(TitlePage::data)->text(), QString("01/02/2027"));
        // The data window's file is not this window's file.
        QCOMPARE(f.window->currentFile(), QString());
    }
};

QTEST_MAIN(TestFrontespizio)
#include "test_frontespizio.moc"
