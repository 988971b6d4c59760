#include "document/edit_commands.h"
#include "shell/modzant.h"
#include "shell/twips.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "windows/registry.h"
#include "windows/sommario.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

using namespace zant;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

struct Fixture : zant::test::AppWithFakes
{
    sommario* window = nullptr;

    Fixture()
    {
        registerAllWindows(app);
        app.showWindow(win::sommario);
        window = app.windowAs<sommario>(win::sommario);
    }

    // Sends a mouse event as the window system would, to the widget under the pointer.
    void mouse(QWidget* target, QEvent::Type type)
    {
        const QPointF local(target->width() / 2.0, target->height() / 2.0);
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons buttons =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent event(type, local, target->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }

    QList<int> boldTopics() const
    {
        QList<int> bold;
        for (int i = 1; i <= sommario::kTopics; ++i) {
            if (window->lbl(i)->font().bold())
                bold << i;
        }
        return bold;
    }
};

} // namespace

class TestSommario final : public QObject
{
    Q_OBJECT

private slots:
    void load()
    {
        Fixture f;
        sommario* w = f.window;
        QCOMPARE(w->windowTitle(), QString("ZANT: guida in linea"));
        QCOMPARE(w->size(), QSize(twipsToPixels(3975, w), twipsToPixels(6825, w)));
        QVERIFY(w->resizer().SourceForm() == w);
        QCOMPARE(w->Label1()->text(), QString("Argomenti della guida"));
        QCOMPARE(w->Command1()->text(), QString("&USCITA"));
        QCOMPARE(w->Command1()->toolTip(), QString("cliccare per uscire da ZANT"));
        QCOMPARE(w->cmdchiudi()->toolTip(), QString("cliccare per chiudere la finestra"));
        QCOMPARE(w->cmdstampa()->toolTip(),
                 QString("cliccare per avere la copia su carta del sommario"));
        QVERIFY(f.boldTopics().isEmpty());
    }

    void topics_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("opens");
        QTest::newRow("1") << 1 << "  Manuale d'uso rapido"
                           << "manuale";
        QTest::newRow("2") << 2 << "  Funzionamento del programma"
                           << "guidafunzionamento";
        QTest::newRow("3") << 3 << " Come stampare"
                           << "guidastampa";
        QTest::newRow("4") << 4 << " Finestra Dati"
                           << "guidadati";
        QTest::newRow("5") << 5 << " Finestra Risultati"
                           << "guidarisultati";
        QTest::newRow("6") << 6 << " Finestra Frontespizio"
                           << "guidafrontespizio";
        QTest::newRow("7") << 7 << " Il metodo ZANT"
                           << "metodo";
        QTest::newRow("8") << 8 << " Schema di reticolo ZANT"
                           << "guidaschema";
        QTest::newRow("9") << 9 << "  Suggerimento del giorno"
                           << "frmTip";
    }

    void topics()
    {
        QFETCH(int, index);
        QFETCH(QString, caption);
        QFETCH(QString, opens);
        Fixture f;
        QCOMPARE(f.window->lbl(index)->text(), caption);
        QCOMPARE(f.window->lbl(index)->frameShape(), QFrame::Box);
        QCOMPARE(f.window->puls(index)->text(), QString("--->"));
        QVERIFY(!f.app.isLoaded(opens));
        QTest::mouseClick(f.window->puls(index), Qt::LeftButton);
        QVERIFY(f.app.isLoaded(opens));
        QVERIFY(f.app.window(opens)->isVisible());
        // The summary stays open behind the topic.
        QVERIFY(f.window->isVisible());
    }

    void hover_data()
    {
        QTest::addColumn<QString>("moves"); // topic numbers, "bg" for the background
        QTest::addColumn<QList<int>>("bold");
        QTest::newRow("one topic") << "3" << QList<int>{3};
        QTest::newRow("from topic to topic") << "1 2 7" << QList<int>{7};
        QTest::newRow("back to an earlier topic") << "7 2" << QList<int>{2};
        QTest::newRow("then the background") << "4 9 bg" << QList<int>{};
        QTest::newRow("background, then a topic") << "bg 5" << QList<int>{5};
    }

    void hover()
    {
        QFETCH(QString, moves);
        QFETCH(QList<int>, bold);
        Fixture f;
        for (const QString& move : moves.split(' ')) {
            QWidget* target = move == "bg" ? static_cast<QWidget*>(f.window)
                                           : static_cast<QWidget*>(f.window->lbl(move.toInt()));
            f.mouse(target, QEvent::MouseMove);
        }
        QCOMPARE(f.boldTopics(), bold);
    }

    void pressOpensAndReleaseRestoresTheBorder()
    {
        Fixture f;
        QLabel* topic = f.window->lbl(5);
        f.mouse(topic, QEvent::MouseButtonPress);
        QCOMPARE(topic->frameShape(), QFrame::NoFrame);
        QVERIFY(f.app.isLoaded("guidarisultati"));
        QVERIFY(f.app.window("guidarisultati")->isVisible());
        f.mouse(topic, QEvent::MouseButtonRelease);
        QCOMPARE(topic->frameShape(), QFrame::Box);
        // Only the pressed topic lost its border.
        for (int i = 1; i <= sommario::kTopics; ++i)
            QCOMPARE(f.window->lbl(i)->frameShape(), QFrame::Box);
    }

    void chiudiHides()
    {
        Fixture f;
        f.window->lbl_MouseMove(2);
        QTest::mouseClick(f.window->cmdchiudi(), Qt::LeftButton);
        QVERIFY(!f.window->isVisible());
        QVERIFY(f.app.isLoaded(win::sommario));
        f.app.showWindow(win::sommario);
        QCOMPARE(f.app.window(win::sommario), f.window);
        QCOMPARE(f.boldTopics(), QList<int>{2});
    }

    void uscitaAsksToExit_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("leaves");
        QTest::newRow("Annulla") << int(SaveChoice::Cancel) << false;
        QTest::newRow("Non salvare") << int(SaveChoice::Discard) << true;
    }

    void uscitaAsksToExit()
    {
        QFETCH(int, answer);
        QFETCH(bool, leaves);
        Fixture f;
        f.app.showWindow("metodo");
        f.app.edit<SetDescriptionCommand>(1, QString("Inizio"), f.app.newEditSession());
        f.dialogs->saveAnswers.push_back(SaveChoice(answer));
        // Through the button, which the exit may destroy with its window.
        QTest::mouseClick(f.window->Command1(), Qt::LeftButton);
        QVERIFY(f.dialogs->questions.isEmpty());
        QCOMPARE(f.dialogs->saveQuestions, QStringList{"ZANT|Salvare le modifiche al progetto?"});
        QCOMPARE(f.app.isLoaded(win::sommario), !leaves);
        QCOMPARE(f.app.isLoaded("metodo"), !leaves);
        // The closing splash is what is left; a click on it ends the program.
        QWidget* splash = f.app.existingWindow(win::frmSplash);
        QCOMPARE(splash && splash->isVisible(), leaves);
        if (splash)
            QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(5, splash->height() / 2));
        QCOMPARE(f.processEnded, leaves ? 1 : 0);
    }

    void stampaSavesTheWholeGuide()
    {
        Fixture f;
        const QString guide = f.output->folder() + "/ZANT-guida.docx";
        QDir().mkpath(f.output->folder());
        QFile old(guide);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older guide");
        old.close();

        QTest::mouseClick(f.window->cmdstampa(), Qt::LeftButton);
        QCOMPARE(f.output->opened, QStringList{guide});
        QFile written(guide);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QVERIFY(written.read(2) == "PK");
        QVERIFY(QFile::exists(f.output->folder() + "/schemaZANT.jpg"));
        QVERIFY(f.dialogs->messages.empty());
        // The help windows need not be open to be printed.
        QVERIFY(!f.app.isLoaded("manuale"));
    }

    void stampaFailureIsReported()
    {
        Fixture f;
        QFile blocker(f.output->folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.window->cmdstampa_Click();
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QCOMPARE(f.dialogs->messages[0].title, QString("ZANT: aiuto in linea"));
        QCOMPARE(f.dialogs->messages[0].message.kind, MessageKind::Critical);
        QVERIFY(f.output->opened.isEmpty());
    }
};

QTEST_MAIN(TestSommario)
#include "test_sommario.moc"
