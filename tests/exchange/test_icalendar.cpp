#include "exchange/icalendar.h"
#include "support/project_builder.h"

#include <QTest>

using namespace zant;

class TestICalendar final : public QObject
{
    Q_OBJECT

    static QByteArray calendar(const Project& p, const QString& title = QStringLiteral("Prova"))
    {
        return writeICalendar(p, ComputeSchedule(p), title,
                              QDateTime(QDate(2026, 12, 8), QTime(14, 30), Qt::UTC));
    }

    // Unfolds the content lines (RFC 5545 section 3.1).
    static QStringList unfolded(const QByteArray& bytes)
    {
        QByteArray joined = bytes;
        joined.replace("\r\n ", "");
        QStringList lines = QString::fromUtf8(joined).split(QStringLiteral("\r\n"));
        if (lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

private slots:
    void linesAreShortAndEndInCrLf()
    {
        Project p =
            test::buildProject(QStringLiteral("3: 1>2=3 2>3=4"), QStringLiteral("01/03/2027"));
        p.setDescription(2,
                         QStringLiteral("Montaggio della struttura in acciaio, copertura e "
                                        "tamponamenti; è una descrizione lunga àèìòù àèìòù àèìòù"));
        const QByteArray bytes = calendar(p);
        QVERIFY(bytes.endsWith("\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        QVERIFY(lines.last().isEmpty());
        lines.removeLast();
        for (const QByteArray& line : lines) {
            QVERIFY2(line.endsWith('\r'), line.constData());
            QVERIFY2(line.size() - 1 <= 75, line.constData());
            QVERIFY(!QString::fromUtf8(line).contains(QChar::ReplacementCharacter));
        }
        QVERIFY(lines.size() > unfolded(bytes).size()); // something was folded
        QVERIFY(unfolded(bytes).contains(QStringLiteral(
            "SUMMARY:[CRITICO] Evento 2: Montaggio della struttura in acciaio\\, "
            "copertura e tamponamenti\\; è una descrizione lunga àèìòù àèìòù àèìòù")));
    }

    void oneAllDayEventPerEvent()
    {
        Project p = test::buildProject(QStringLiteral("4: 1>2=5 1>3=2 2>4=1 3>4=1 3>2=0"),
                                       QStringLiteral("28/02/2027"));
        QVERIFY(p.setLinkName(3, 1, QStringLiteral("Collaudo")).ok());
        const QStringList lines = unfolded(calendar(p));
        QCOMPARE(lines.first(), QStringLiteral("BEGIN:VCALENDAR"));
        QCOMPARE(lines.last(), QStringLiteral("END:VCALENDAR"));
        QVERIFY(lines.contains(QStringLiteral("VERSION:2.0")));
        QCOMPARE(lines.count(QStringLiteral("BEGIN:VEVENT")), 4);
        QCOMPARE(lines.count(QStringLiteral("DTSTAMP:20261208T143000Z")), 4);
        QStringList uids = lines.filter(QRegularExpression(QStringLiteral("^UID:")));
        uids.removeDuplicates();
        QCOMPARE(uids.size(), 4);
        // Event 3: earliest day 2 (02/03/2027), latest day 5, not critical.
        const qsizetype at = lines.indexOf(QStringLiteral("SUMMARY:Evento 3: Evento 3"));
        QVERIFY(at > 0);
        QCOMPARE(lines[at - 2], QStringLiteral("DTSTART;VALUE=DATE:20270302"));
        QCOMPARE(lines[at - 1], QStringLiteral("DTEND;VALUE=DATE:20270303"));
        QCOMPARE(lines[at + 1],
                 QStringLiteral("DESCRIPTION:Data minima: 02/03/2027\\nData massima: "
                                "05/03/2027\\nScorrimento: 3 giorni\\nAttività che iniziano: "
                                "Collaudo (1 g)\\nProgetto: Prova"));
        QVERIFY(lines.contains(QStringLiteral("SUMMARY:[CRITICO] Evento 4: Evento 4")));
    }

    void sameUidsOnTheNextExport()
    {
        const Project p =
            test::buildProject(QStringLiteral("2: 1>2=1"), QStringLiteral("01/03/2027"));
        const auto uids = [](const QByteArray& b) {
            return unfolded(b).filter(QRegularExpression(QStringLiteral("^UID:")));
        };
        QCOMPARE(uids(calendar(p)),
                 uids(writeICalendar(p, ComputeSchedule(p), QStringLiteral("Prova"),
                                     QDateTime::currentDateTimeUtc())));
        QVERIFY(uids(calendar(p)) != uids(calendar(p, QStringLiteral("Altro"))));
    }
};

QTEST_GUILESS_MAIN(TestICalendar)
#include "test_icalendar.moc"
