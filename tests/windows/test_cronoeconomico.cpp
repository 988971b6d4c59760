#include "document/edit_commands.h"
#include "shell/modzant.h"
#include "support/app_fixture.h"
#include "support/project_builder.h"
#include "windows/cronoeconomico.h"
#include "windows/frontespizio.h"
#include "windows/risultati.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

using namespace zant;
using namespace zant::test;

namespace {

// 1 -> 3 lasts 70 days from 01/03/2027 (into May); 1 -> 2 and 2 -> 3 have float.
struct Fixture : AppWithFakes
{
    Fixture()
    {
        Project p =
            buildProject(QStringLiteral("3: 1>2=10 1>3=70 2>3=20"), QStringLiteral("01/03/2027"));
        if (!p.setLinkAmount(1, 2, 700'000'00).ok() || !p.setLinkAmount(1, 1, 100'000'00).ok())
            qFatal("amount refused");
        giveProject(app, p);
        app.registerWindow(win::risultati, [](ModZANT& a) { return new risultati(a); });
        app.registerWindow(win::cronoeconomico, [](ModZANT& a) { return new cronoeconomico(a); });
        app.registerWindow(win::frontespizio, [](ModZANT& a) { return new frontespizio(a); });
        app.today = [] { return QDate(2027, 2, 10); };
    }
    cronoeconomico* window()
    {
        app.showWindow(win::cronoeconomico);
        return app.windowAs<cronoeconomico>(win::cronoeconomico);
    }
};

bool showsPicture(DiagramWindow* w)
{
    return static_cast<QStackedWidget*>(w->centralWidget())->currentWidget() != w->emptyLabel();
}

} // namespace

class TestCronoeconomico final : public QObject
{
    Q_OBJECT

private slots:
    void opensFromResultsAndViewMenu()
    {
        Fixture f;
        auto* button = f.app.windowAs<risultati>(win::risultati)
                           ->findChild<QPushButton*>(QStringLiteral("importi"));
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(f.app.isLoaded(win::cronoeconomico));
        auto* w = f.app.windowAs<cronoeconomico>(win::cronoeconomico);
        QCOMPARE(w->windowTitle(), QStringLiteral("ZANT: cronoprogramma economico"));
        QVERIFY(w->isVisible());
        QVERIFY(showsPicture(w));
        f.app.unloadWindow(win::cronoeconomico);
        auto* view = f.app.windowAs<risultati>(win::risultati)
                         ->menuBar()
                         ->findChild<QAction*>(QStringLiteral("viscronoeconomico"));
        QVERIFY(view);
        view->trigger();
        QVERIFY(f.app.isLoaded(win::cronoeconomico));
    }

    void followsTheData_data()
    {
        QTest::addColumn<qint64>("newAmount");
        QTest::addColumn<bool>("picture");
        QTest::newRow("an amount raised") << qint64(900'000'00) << true;
        QTest::newRow("the last amounts taken away") << qint64(0) << false;
    }

    // The curve is drawn again at each change of the data, and says why when there is nothing.
    void followsTheData()
    {
        QFETCH(qint64, newAmount);
        QFETCH(bool, picture);
        Fixture f;
        cronoeconomico* w = f.window();
        QCOMPARE(w->amounts().total, Cents(800'000'00));
        if (newAmount == 0)
            QVERIFY(f.app.edit<SetActivityAmountCommand>(1, 1, Cents(0)).ok());
        QVERIFY(f.app.edit<SetActivityAmountCommand>(1, 2, newAmount).ok());
        QCOMPARE(w->amounts().total, newAmount + (newAmount == 0 ? 0 : 100'000'00));
        QCOMPARE(showsPicture(w), picture);
        if (!picture)
            QVERIFY(w->emptyLabel()->text().contains(QStringLiteral("Nessun importo")));
        f.app.undo();
        QVERIFY(w->amounts().total > 0);
        QVERIFY(showsPicture(w));
    }

    void refusedDataSaySo()
    {
        Fixture f;
        cronoeconomico* w = f.window();
        QVERIFY(f.app.edit<LinkEditCommand>(LinkEditCommand::InsertSlot, 1, 1).ok());
        giveProject(f.app, buildProject(QStringLiteral("3: 1>2=5 1>3")));
        QVERIFY(!showsPicture(w));
        QVERIFY2(
            w->emptyLabel()->text().contains(QStringLiteral("i dati non superano il controllo")),
            qPrintable(w->emptyLabel()->text()));
    }

    void salEverySoManyMonths()
    {
        Fixture f;
        cronoeconomico* w = f.window();
        // 70 days from 01/03/2027: SALs at the ends of March and April, and at the end.
        QCOMPARE(w->picture().sal.size(), size_t(3));
        w->salmesi()->setValue(2);
        QCOMPARE(w->picture().sal.size(), size_t(2));
        QCOMPARE(w->picture().sal.front().earlyDate, QDate(2027, 4, 30));
    }

    void exports()
    {
        Fixture f;
        cronoeconomico* w = f.window();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("curva.svg"));
        f.dialogs->fileNames.push_back(path);
        w->esporta_Click();
        QFile svg(path);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray text = svg.readAll();
        QVERIFY(text.contains("Curva a S degli importi"));
        QVERIFY(text.contains("programma al più tardi"));
    }

    void printedFromTheTitlePage()
    {
        Fixture f;
        auto* item = f.app.windowAs<frontespizio>(win::frontespizio)
                         ->menuBar()
                         ->findChild<QAction*>(QStringLiteral("cronoprogramma"));
        QVERIFY(item);
        item->trigger();
        QCOMPARE(f.output->opened.size(), 1);
        QVERIFY(f.output->opened.front().contains(QStringLiteral("cronoprogramma")));
        QVERIFY(QFile::exists(f.output->opened.front()));
    }
};

QTEST_MAIN(TestCronoeconomico)
#include "test_cronoeconomico.moc"
