#include "document/edit_commands.h"
#include "shell/modzant.h"
#include "support/fake_services.h"
#include "windows/frmSplash.h"
#include "windows/informa.h"
#include "windows/supportoclienti.h"

#include <QApplication>
#include <QDate>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

using namespace zant;
using zant::test::FakeDialogs;
using zant::test::FakeDocumentOutput;
using zant::test::FakeMusicPlayer;

namespace {
const QString kPresenta = QStringLiteral("                        presenta");
const QString kClosingCaption = QStringLiteral("          elaborazione eseguita con");
} // namespace

class TestSplashAbout final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ModZANT> m_app;
    FakeMusicPlayer* m_music = nullptr;
    FakeDialogs* m_dialogs = nullptr;
    // How many times the program would have ended.
    int m_ended = 0;

    frmSplash* splash() { return m_app->windowAs<frmSplash>(win::frmSplash); }
    frmSplash* showSplash()
    {
        m_app->showWindow(win::frmSplash);
        return splash();
    }
    bool dataWindowShown() const
    {
        const QWidget* dati = m_app->existingWindow(win::dati);
        return dati && dati->isVisible();
    }
    // Runs the application's event loop with `action` as its first event, the way the program
    // runs; the result is 0 when the program ended by itself, 2 when it was still running after
    // `patienceMs`.
    template <typename Action> static int runProgram(Action action, int patienceMs)
    {
        QTimer::singleShot(0, qApp, action);
        QTimer patience;
        patience.setSingleShot(true);
        connect(&patience, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
        patience.start(patienceMs);
        return QCoreApplication::exec();
    }
    // A point of the splash with no control on it.
    static QPoint backgroundPoint(frmSplash* s)
    {
        for (int y = 20; y < s->height() - 20; y += 5) {
            for (int x = 20; x < s->width() - 20; x += 5) {
                if (!s->childAt(x, y))
                    return {x, y};
            }
        }
        return {};
    }

private slots:
    void init()
    {
        auto dialogs = std::make_unique<FakeDialogs>();
        auto music = std::make_unique<FakeMusicPlayer>();
        m_dialogs = dialogs.get();
        m_music = music.get();
        m_app =
            std::make_unique<ModZANT>(std::move(dialogs), std::make_unique<FakeDocumentOutput>(),
                                      std::move(music), OfficeSettings{});
        m_ended = 0;
        m_app->endProcess = [this] { ++m_ended; };
        m_app->registerWindow(win::frmSplash, [](ModZANT& a) { return new frmSplash(a); });
        m_app->registerWindow(win::informa, [](ModZANT& a) { return new informa(a); });
        m_app->registerWindow(win::supportoclienti,
                              [](ModZANT& a) { return new supportoclienti(a); });
        m_app->registerWindow(win::dati, [](ModZANT&) { return new QWidget; });
    }

    void cleanup()
    {
        m_app.reset();
        QTest::qWait(0);
    }

    void loadStartsTheTuneAndFillsTheLabels()
    {
        frmSplash* s = showSplash();
        QCOMPARE(m_music->commands.size(), 2);
        QVERIFY(m_music->commands[0].startsWith(QStringLiteral("open ")));
        const QString file = m_music->commands[0].mid(5);
        QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("Internet.mid"));
        QVERIFY2(QFileInfo::exists(file), qPrintable(file));
        QCOMPARE(m_music->commands[1], QStringLiteral("play"));

        QCOMPARE(s->label(1)->text(), QStringLiteral("software MERIDIO"));
        QCOMPARE(s->label(2)->text(), kPresenta);
        QCOMPARE(s->label(3)->text(), QStringLiteral("ZANT"));
        QVERIFY(s->label(3)->font().bold());
        QCOMPARE(s->label(4)->text(), QStringLiteral("tecnica reticolare di programmazione"));
        QVERIFY(s->label(5)->text().contains(QStringLiteral("3.04.05")));
        QCOMPARE(s->label(8)->text(),
                 QStringLiteral("(cliccare sulla finestra per iniziare; premere un tasto per "
                                "uscire)"));
        for (int band : {0, 9, 10, 11})
            QVERIFY2(s->label(band)->text().isEmpty(), qPrintable(QString::number(band)));
        QVERIFY(!m_app->isLoaded(win::dati));
    }

    void pictureIsDrawn()
    {
        frmSplash* s = showSplash();
        const QPixmap picture = s->Image1()->pixmap();
        QCOMPARE(picture.size(), QSize(215, 299));
        QCOMPARE(s->Image1()->size(), QSize(215, 299));
        // A real drawing: red critical path, white events, navy ink, pale background.
        const QImage image = picture.toImage();
        int red = 0, white = 0, navyish = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 60 && c.blue() < 60)
                    ++red;
                else if (c == Qt::white)
                    ++white;
                else if (c.blue() > 80 && c.red() < 80 && c.green() < 90)
                    ++navyish;
            }
        }
        QVERIFY2(red > 300, qPrintable(QString::number(red)));
        QVERIFY2(white > 2000, qPrintable(QString::number(white)));
        QVERIFY2(navyish > 300, qPrintable(QString::number(navyish)));
    }

    void clickStartsWork_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("window background") << QStringLiteral("form");
        QTest::newRow("instruction label") << QStringLiteral("label8");
        QTest::newRow("product name label") << QStringLiteral("label3");
        QTest::newRow("top band") << QStringLiteral("label0");
        QTest::newRow("picture") << QStringLiteral("Image1");
        QTest::newRow("decorative shape") << QStringLiteral("Shape1");
    }

    void clickStartsWork()
    {
        QFETCH(QString, target);
        frmSplash* s = showSplash();
        QVERIFY(QTest::qWaitForWindowExposed(s));
        if (target == QStringLiteral("form")) {
            const QPoint p = backgroundPoint(s);
            QVERIFY(!p.isNull());
            QTest::mouseClick(s, Qt::LeftButton, {}, p);
        } else if (target == QStringLiteral("Shape1")) {
            // The shape lets the click through to the window beneath it.
            const QRect shape = s->Shape1()->geometry();
            QPoint inside;
            for (int x = shape.left() + 2; x < shape.right() && inside.isNull(); ++x) {
                if (!s->childAt(x, shape.center().y()))
                    inside = QPoint(x, shape.center().y());
            }
            QVERIFY(!inside.isNull());
            QTest::mouseClick(s, Qt::LeftButton, {}, inside);
        } else {
            auto* control = s->findChild<QWidget*>(target);
            QVERIFY(control);
            QTest::mouseClick(control, Qt::LeftButton, {}, control->rect().center());
        }
        QCOMPARE(m_music->commands.size(), 3);
        QCOMPARE(m_music->commands.last(), QStringLiteral("pause"));
        QVERIFY(dataWindowShown());
        QVERIFY(m_app->isLoaded(win::frmSplash));
        QVERIFY(s->isVisible());
    }

    void clickWhilePausedPausesAgainAndKeepsOneDataWindow()
    {
        frmSplash* s = showSplash();
        QTest::mouseClick(s->label(8), Qt::LeftButton);
        QWidget* dati = m_app->existingWindow(win::dati);
        QTest::mouseClick(s->Image1(), Qt::LeftButton);
        QCOMPARE(m_music->commands.mid(2), QStringList({"pause", "pause"}));
        QCOMPARE(m_app->existingWindow(win::dati), dati);
    }

    void rightClickDoesNothing()
    {
        frmSplash* s = showSplash();
        QTest::mouseClick(s->label(8), Qt::RightButton);
        QCOMPARE(m_music->commands.size(), 2);
        QVERIFY(!m_app->isLoaded(win::dati));
    }

    void keyPressEndsTheSplash_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("letter") << int(Qt::Key_A);
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("function key") << int(Qt::Key_F1);
    }

    void keyPressEndsTheSplash()
    {
        QFETCH(int, key);
        frmSplash* s = showSplash();
        QVERIFY(QTest::qWaitForWindowExposed(s));
        // Nothing is left open, so the program ends.
        QCOMPARE(runProgram([s, key] { QTest::keyClick(s, static_cast<Qt::Key>(key)); }, 3000), 0);
        QCOMPARE(m_music->commands, QStringList({m_music->commands[0], "play", "close"}));
        QTRY_VERIFY(!m_app->isLoaded(win::frmSplash));
        QVERIFY(!m_app->isLoaded(win::dati));
    }

    void modifierAloneDoesNothing()
    {
        frmSplash* s = showSplash();
        QTest::keyClick(s, Qt::Key_Shift);
        QTest::keyClick(s, Qt::Key_Control);
        QTest::qWait(0);
        QCOMPARE(m_music->commands.size(), 2);
        QVERIFY(m_app->isLoaded(win::frmSplash));
    }

    void keyPressWithDataOpenClosesOnlyTheSplash()
    {
        frmSplash* s = showSplash();
        QTest::mouseClick(s->label(3), Qt::LeftButton);
        QVERIFY(dataWindowShown());
        // The program goes on with the data window.
        QCOMPARE(runProgram([s] { QTest::keyClick(s, Qt::Key_Q); }, 300), 2);
        QCOMPARE(m_music->commands.last(), QStringLiteral("close"));
        QTRY_VERIFY(!m_app->isLoaded(win::frmSplash));
        QVERIFY(dataWindowShown());
    }

    // After the exit the splash says goodbye and ends the program by itself, or at once at a
    // click or a key: it never starts work again.
    void closingSplashEndsTheProgram_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("its time runs out") << "time";
        QTest::newRow("a click on a caption") << "caption";
        QTest::newRow("a key") << "key";
        QTest::newRow("its close box") << "close";
    }

    void closingSplashEndsTheProgram()
    {
        QFETCH(QString, how);
        frmSplash* s = showSplash();
        QTest::mouseClick(s, Qt::LeftButton, {}, backgroundPoint(s));
        QVERIFY(m_app->ConfirmExit(nullptr));
        QVERIFY(m_dialogs->questions.isEmpty());
        QVERIFY(!m_app->isLoaded(win::dati));
        QCOMPARE(splash(), s);
        QVERIFY(s->isVisible());
        QCOMPARE(s->label(2)->text(), kClosingCaption);
        QCOMPARE(m_music->commands.mid(1), QStringList({"play", "pause", "play"}));
        QVERIFY(s->closingTimer()->isActive());
        QCOMPARE(m_ended, 0);

        if (how == "time")
            s->closingTimeUp();
        else if (how == "caption")
            QTest::mouseClick(s->label(2), Qt::LeftButton);
        else if (how == "key")
            QTest::keyClick(s, Qt::Key_Space);
        else
            s->close();
        QCOMPARE(m_ended, 1);
        QVERIFY(!m_app->isLoaded(win::frmSplash));
        QVERIFY(!m_app->isLoaded(win::dati));
        QCOMPARE(m_music->commands.last(), QStringLiteral("close"));
    }

    void exitAfterTheSplashWasClosedLoadsItAnew()
    {
        frmSplash* first = showSplash();
        QTest::mouseClick(first->label(8), Qt::LeftButton);
        QTest::keyClick(first, Qt::Key_X);
        QTRY_VERIFY(!m_app->isLoaded(win::frmSplash));
        m_app->ConfirmExit(nullptr);
        frmSplash* second = splash();
        QVERIFY(second);
        QVERIFY(second->isVisible());
        QCOMPARE(second->label(2)->text(), kClosingCaption);
        const QStringList expected{m_music->commands[0], "play", "pause", "close",
                                   m_music->commands[0], "play"};
        QCOMPARE(m_music->commands, expected);
    }

    void noExitKeepsTheOpeningCaption()
    {
        frmSplash* s = showSplash();
        QTest::mouseClick(s->label(8), Qt::LeftButton);
        // Unsaved changes and "Annulla": nothing closes.
        m_app->edit<SetDescriptionCommand>(1, QString("Inizio"), m_app->newEditSession());
        m_dialogs->saveAnswers.push_back(SaveChoice::Cancel);
        QVERIFY(!m_app->ConfirmExit(nullptr));
        QCOMPARE(s->label(2)->text(), kPresenta);
        QVERIFY(!s->isClosing());
        QVERIFY(dataWindowShown());
        QCOMPARE(m_music->commands.last(), QStringLiteral("pause"));
    }

    void windowsKeepTheirDesignSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("splash") << win::frmSplash << QStringLiteral("ZANT");
        QTest::newRow("about") << win::informa << QStringLiteral("Informazioni su ZANT");
        QTest::newRow("support") << win::supportoclienti
                                 << QStringLiteral("Servizi di supporto ai clienti");
    }

    void windowsKeepTheirDesignSize()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        m_app->showWindow(name);
        QWidget* w = m_app->existingWindow(name);
        QVERIFY(w);
        QCOMPARE(w->windowTitle(), caption);
        QCOMPARE(w->minimumSize(), w->maximumSize());
        QVERIFY(w->width() > 300 && w->height() > 200);
        // Every control lies inside the window.
        for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(w->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }

    void aboutShowsProductAndVersion()
    {
        m_app->showWindow(win::informa);
        auto* about = m_app->windowAs<informa>(win::informa);
        QVERIFY(about);
        QCOMPARE(about->Label1()->text(), QStringLiteral("ZANT"));
        QCOMPARE(about->Label2()->text(), QStringLiteral("tecnica reticolare di programmazione"));
        QCOMPARE(about->Label3()->text(), QStringLiteral("software MERIDIO"));
        QCOMPARE(about->Label5()->text(), QStringLiteral("per sistemi Windows a 32 bit "));
        const QRegularExpression line(
            QStringLiteral("^versione 3\\.04\\.05  ( 1985)- 20(\\d\\d)$"));
        const auto match = line.match(about->Label6()->text());
        QVERIFY2(match.hasMatch(), qPrintable(about->Label6()->text()));
        // Built this year or not long before.
        const int built = 2000 + match.captured(2).toInt();
        QVERIFY(built >= 2024 && built <= QDate::currentDate().year());
    }

    void versionLineYears_data()
    {
        QTest::addColumn<QString>("firstRelease");
        QTest::addColumn<int>("built");
        QTest::addColumn<QString>("expected");
        QTest::newRow("original years") << "05/07/1985" << 2011 << "versione 3.04.05   1985- 2011";
        QTest::newRow("build year with a leading zero")
            << "05/07/1985" << 2005 << "versione 3.04.05   1985- 2005";
        QTest::newRow("other first release")
            << "31/12/1999" << 2026 << "versione 3.04.05   1999- 2026";
    }

    void versionLineYears()
    {
        QFETCH(QString, firstRelease);
        QFETCH(int, built);
        QFETCH(QString, expected);
        QCOMPARE(aboutVersionLine(QStringLiteral("3.04.05"), firstRelease, built), expected);
    }

    void okHidesAndReopeningShowsTheSameWindow_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("button");
        QTest::newRow("about") << win::informa << QStringLiteral("cmdOK");
        QTest::newRow("support") << win::supportoclienti << QStringLiteral("Command1");
    }

    void okHidesAndReopeningShowsTheSameWindow()
    {
        QFETCH(QString, name);
        QFETCH(QString, button);
        m_app->showWindow(name);
        QWidget* w = m_app->existingWindow(name);
        QVERIFY(w && w->isVisible());
        auto* ok = w->findChild<QPushButton*>(button);
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QVERIFY(m_app->isLoaded(name));
        m_app->showWindow(name);
        QCOMPARE(m_app->existingWindow(name), w);
        QVERIFY(w->isVisible());

        // The exit procedure closes it for good.
        m_dialogs->answers.push_back(true);
        m_app->ConfirmExit(nullptr);
        QVERIFY(!m_app->isLoaded(name));
    }

    void supportNamesNoRealCompany()
    {
        m_app->showWindow(win::supportoclienti);
        auto* support = m_app->windowAs<supportoclienti>(win::supportoclienti);
        QVERIFY(support);
        QStringList texts;
        for (const QLabel* l : support->labels())
            texts << l->text();
        const QString all = texts.join(QLatin1Char('\n'));
        for (const char* contact : {"Via ", "Telefono", "Fax", "Posta elettronica", "Sito"})
            QVERIFY2(all.contains(QLatin1String(contact)), contact);
        QVERIFY(all.contains(QStringLiteral("MERIDIO software")));
        // Every address on the net is in a domain reserved for examples.
        const QRegularExpression netAddress(QStringLiteral("[\\w.-]+@[\\w.-]+|www\\.[\\w.-]+"));
        int found = 0;
        for (auto it = netAddress.globalMatch(all); it.hasNext(); ++found) {
            const QString address = it.next().captured();
            QVERIFY2(address.endsWith(QStringLiteral(".example.org")) ||
                         address.endsWith(QStringLiteral(".example.it")),
                     qPrintable(address));
        }
        QCOMPARE(found, 2);
        // Telephone and fax numbers that cannot be dialled.
        const QRegularExpression phone(QStringLiteral("\\(\\+39\\) ([0-9 ]+)"));
        for (auto it = phone.globalMatch(all); it.hasNext();)
            QVERIFY(it.next().captured(1).startsWith(QStringLiteral("000")));
        // Two paragraphs on support and on custom adaptations.
        QCOMPARE(support->labels().size(), 8);
        QVERIFY(support->labels()[6]->wordWrap());
        QVERIFY(support->labels()[6]->text().contains(QStringLiteral("assistenza")));
        QVERIFY(support->labels()[7]->text().contains(QStringLiteral("adatta")));
    }
};

QTEST_MAIN(TestSplashAbout)
#include "test_splash_about.moc"
