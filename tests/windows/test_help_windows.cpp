#include "report/help_texts.h"
#include "shell/modzant.h"
#include "shell/twips.h"
#include "support/app_fixture.h"
#include "support/fake_services.h"
#include "windows/guidaschema.h"
#include "windows/help_window.h"
#include "windows/registry.h"
#include "windows/sommario.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace zant;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {

struct Fixture : zant::test::AppWithFakes
{

    Fixture() { registerAllWindows(app); }

    HelpWindowBase* show(const QString& name)
    {
        app.showWindow(name);
        auto* w = qobject_cast<HelpWindowBase*>(app.window(name));
        if (w && !QTest::qWaitForWindowExposed(w))
            qWarning() << name << "not exposed";
        return w;
    }
};

const QStringList kTextPages{"manuale",        "guidafunzionamento", "guidastampa", "guidadati",
                             "guidarisultati", "guidafrontespizio",  "metodo"};

} // namespace

class TestHelpWindows final : public QObject
{
    Q_OBJECT

private slots:
    void sizeAndPlace_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("widthTwips");
        QTest::addColumn<int>("leftTwips"); // -1: where the scaler centred it
        for (const QString& name : kTextPages + QStringList{"guidaschema"}) {
            const bool wide = name == "manuale" || name == "guidaschema";
            QTest::newRow(qPrintable(name)) << name << (wide ? 9600 : 5640) << (wide ? -1 : 5467);
        }
    }

    void sizeAndPlace()
    {
        QFETCH(QString, name);
        QFETCH(int, widthTwips);
        QFETCH(int, leftTwips);
        Fixture f;
        HelpWindowBase* w = f.show(name);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), QString("Guida in linea"));
        QCOMPARE(w->size(), QSize(twipsToPixels(widthTwips, w), twipsToPixels(6825, w)));
        if (leftTwips >= 0)
            QCOMPARE(w->x(), twipsToPixels(leftTwips, w));
        QVERIFY(w->resizer().SourceForm() == w);
        QVERIFY(!w->resizer().needsLayout());
        QCOMPARE(w->cmdchiudi()->text(), QString("&Chiudi"));
        QCOMPARE(w->cmdsommario()->text(), QString("&Sommario"));
        QCOMPARE(w->cmdstampa()->text(), QString("S&tampa"));
        // Only the manual explains its buttons.
        const bool tips = name == "manuale";
        QCOMPARE(w->cmdchiudi()->toolTip(),
                 tips ? QString("cliccare per chiudere la finestra") : QString());
        QCOMPARE(w->cmdstampa()->toolTip(),
                 tips ? QString("cliccare per avere la copia su carta del MANUALE D'USO RAPIDO")
                      : QString());
        QCOMPARE(w->cmdsommario()->toolTip(),
                 tips ? QString("cliccare per visualizzare il sommario della guida") : QString());
    }

    void textPagesShowTheirTopic_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : kTextPages)
            QTest::newRow(qPrintable(name)) << name;
    }

    void textPagesShowTheirTopic()
    {
        QFETCH(QString, name);
        Fixture f;
        auto* w = qobject_cast<HelpWindow*>(f.show(name));
        QVERIFY(w);
        const HelpTopic& topic = helpTopics().value(name);
        QCOMPARE(w->Label1()->text(), topic.title);
        QCOMPARE(w->bodyText(), topic.body);
        QVERIFY(w->Label2()->wordWrap());
        // Every paragraph is on show.
        for (const QString& paragraph : topic.body.split('\n'))
            QVERIFY(w->Label2()->text().contains(paragraph.toHtmlEscaped()));
    }

    void textScrollsOnlyWhenItDoesNotFit()
    {
        Fixture f;
        auto* w = qobject_cast<HelpWindow*>(f.show("guidadati"));
        QScrollArea* area = w->Label2Area();
        QVERIFY(area->verticalScrollBar()->isVisible());
        QCOMPARE(w->Label2()->width(), area->viewport()->width());

        // Twice as large, the text fits: no scroll bar, and the text takes the whole width.
        w->resize(w->width() * 2, w->height() * 2);
        QTRY_VERIFY(!area->verticalScrollBar()->isVisible());
        QCOMPARE(area->viewport()->width(), area->width() - 2 * area->frameWidth());
        QCOMPARE(w->Label2()->width(), area->viewport()->width());
        QVERIFY(w->Label2()->height() <= area->viewport()->height());

        // Back to the design size: the scroll bar returns and the text reads to its end.
        w->resize(w->width() / 2, w->height() / 2);
        QTRY_VERIFY(area->verticalScrollBar()->isVisible());
        QCOMPARE(w->Label2()->width(), area->viewport()->width());
        QCOMPARE(w->Label2()->height(), w->Label2()->heightForWidth(w->Label2()->width()));
    }

    void controlsFollowTheWindowSize()
    {
        Fixture f;
        HelpWindowBase* w = f.show("metodo");
        const QRect design = w->cmdstampa()->geometry();
        w->resize(w->width() * 2, w->height() * 2);
        QTRY_COMPARE(w->cmdstampa()->geometry().topLeft(), design.topLeft() * 2);
        w->resize(w->width() / 2, w->height() / 2);
        QTRY_COMPARE(w->cmdstampa()->geometry(), design);
    }

    void chiudiUnloads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("text page, Chiudi") << "guidastampa" << false;
        QTest::newRow("text page, close box") << "metodo" << true;
        QTest::newRow("network, Chiudi") << "guidaschema" << false;
    }

    void chiudiUnloads()
    {
        QFETCH(QString, name);
        QFETCH(bool, closeBox);
        Fixture f;
        QPointer<HelpWindowBase> w = f.show(name);
        if (closeBox)
            w->close();
        else
            QTest::mouseClick(w->cmdchiudi(), Qt::LeftButton);
        QVERIFY(!f.app.isLoaded(name));
        QTRY_VERIFY(w.isNull());
        // Opened again, it is a new window.
        QVERIFY(f.show(name) != nullptr);
    }

    void sommarioKeepsTheHelpOpen()
    {
        Fixture f;
        HelpWindowBase* w = f.show("guidarisultati");
        QTest::mouseClick(w->cmdsommario(), Qt::LeftButton);
        QVERIFY(f.app.isLoaded(win::sommario));
        QVERIFY(f.app.window(win::sommario)->isVisible());
        QVERIFY(f.app.isLoaded("guidarisultati"));
        QVERIFY(w->isVisible());
    }

    void stampaPrintsThePage()
    {
        Fixture f;
        HelpWindowBase* w = f.show("guidafrontespizio");
        QTest::mouseClick(w->cmdstampa(), Qt::LeftButton);
        QTest::mouseClick(w->cmdstampa(), Qt::LeftButton);
        // Two prints, two documents, both opened for the user; nothing to say.
        QCOMPARE(f.output->opened.size(), 2);
        QVERIFY(f.output->opened[0] != f.output->opened[1]);
        for (const QString& path : f.output->opened)
            QVERIFY(QFile::exists(path));
        QVERIFY(f.dialogs->messages.empty());
    }

    void stampaTellsWhereTheDocumentIs()
    {
        Fixture f;
        f.output->canOpen = false;
        HelpWindowBase* w = f.show("manuale");
        w->cmdstampa_Click();
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QCOMPARE(f.dialogs->messages[0].title, QString("ZANT: aiuto in linea"));
        QVERIFY(
            f.dialogs->lastMessageText().contains(QDir::toNativeSeparators(f.output->folder())));
    }

    void networkPictureIsDrawnToItsSize()
    {
        Fixture f;
        auto* w = qobject_cast<guidaschema*>(f.show("guidaschema"));
        QVERIFY(w);
        QCOMPARE(w->Image1()->size(), QSize(603, 363) * (twipsToPixels(9045, w) / 603.0));
        const QSize design = w->Image1()->pixmap().deviceIndependentSize().toSize();
        QCOMPARE(design, w->Image1()->size());
        w->resize(w->width() * 2, w->height() * 2);
        QTRY_COMPARE(w->Image1()->pixmap().deviceIndependentSize().toSize(), design * 2);
    }

    void networkPrintWritesThePicture()
    {
        Fixture f;
        HelpWindowBase* w = f.show("guidaschema");
        const QString picture = f.output->folder() + "/schemaZANT.jpg";
        w->cmdstampa_Click();
        QVERIFY(QFile::exists(picture));
        QCOMPARE(QImageReader(picture).format(), QByteArray("jpeg"));
        QCOMPARE(f.output->opened.size(), 1);
        // Printed again, the picture is overwritten, not numbered.
        w->cmdstampa_Click();
        QCOMPARE(f.output->opened.size(), 2);
        QCOMPARE(QDir(f.output->folder()).entryList({"*.jpg"}), QStringList{"schemaZANT.jpg"});
        QVERIFY(f.dialogs->messages.empty());
    }

    void networkPrintFailureIsReported()
    {
        Fixture f;
        // A file where the documents folder should be.
        QFile blocker(f.output->folder());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        HelpWindowBase* w = f.show("guidaschema");
        w->cmdstampa_Click();
        QCOMPARE(f.dialogs->messages.size(), size_t(1));
        QCOMPARE(f.dialogs->messages[0].message.kind, MessageKind::Critical);
        QVERIFY(f.dialogs->lastMessageText().contains("schemaZANT.jpg"));
        QVERIFY(f.output->opened.isEmpty());
        QVERIFY(w->isVisible());
    }

    void exitClosesEveryHelpWindow()
    {
        Fixture f;
        for (const QString& name : kTextPages + QStringList{"guidaschema"})
            f.show(name);
        f.dialogs->answers.push_back(true);
        f.app.ConfirmExit(nullptr);
        for (const QString& name : kTextPages + QStringList{"guidaschema"})
            QVERIFY2(!f.app.isLoaded(name), qPrintable(name));
    }
};

QTEST_MAIN(TestHelpWindows)
#include "test_help_windows.moc"
