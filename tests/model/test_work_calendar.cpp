// The project calendar: Easter against published tables, the Italian holidays, the sentence the
// documents say, and the mapping between times and dates against a count made day by day.

#include "model/text_format.h"
#include "model/work_calendar.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace zant;

namespace {

struct Easter
{
    int year;
    int month;
    int day;
};

// Easter Sunday as the published tables of Easter dates print it, typed in by hand: every year
// from 1900 to 2100 and a few later ones (the whole range to 2199 is checked against a second
// computus below).
const Easter kPublishedEaster[] = {
    {1900, 4, 15}, {1901, 4, 7},  {1902, 3, 30}, {1903, 4, 12}, {1904, 4, 3},  {1905, 4, 23},
    {1906, 4, 15}, {1907, 3, 31}, {1908, 4, 19}, {1909, 4, 11}, {1910, 3, 27}, {1911, 4, 16},
    {1912, 4, 7},  {1913, 3, 23}, {1914, 4, 12}, {1915, 4, 4},  {1916, 4, 23}, {1917, 4, 8},
    {1918, 3, 31}, {1919, 4, 20}, {1920, 4, 4},  {1921, 3, 27}, {1922, 4, 16}, {1923, 4, 1},
    {1924, 4, 20}, {1925, 4, 12}, {1926, 4, 4},  {1927, 4, 17}, {1928, 4, 8},  {1929, 3, 31},
    {1930, 4, 20}, {1931, 4, 5},  {1932, 3, 27}, {1933, 4, 16}, {1934, 4, 1},  {1935, 4, 21},
    {1936, 4, 12}, {1937, 3, 28}, {1938, 4, 17}, {1939, 4, 9},  {1940, 3, 24}, {1941, 4, 13},
    {1942, 4, 5},  {1943, 4, 25}, {1944, 4, 9},  {1945, 4, 1},  {1946, 4, 21}, {1947, 4, 6},
    {1948, 3, 28}, {1949, 4, 17}, {1950, 4, 9},  {1951, 3, 25}, {1952, 4, 13}, {1953, 4, 5},
    {1954, 4, 18}, {1955, 4, 10}, {1956, 4, 1},  {1957, 4, 21}, {1958, 4, 6},  {1959, 3, 29},
    {1960, 4, 17}, {1961, 4, 2},  {1962, 4, 22}, {1963, 4, 14}, {1964, 3, 29}, {1965, 4, 18},
    {1966, 4, 10}, {1967, 3, 26}, {1968, 4, 14}, {1969, 4, 6},  {1970, 3, 29}, {1971, 4, 11},
    {1972, 4, 2},  {1973, 4, 22}, {1974, 4, 14}, {1975, 3, 30}, {1976, 4, 18}, {1977, 4, 10},
    {1978, 3, 26}, {1979, 4, 15}, {1980, 4, 6},  {1981, 4, 19}, {1982, 4, 11}, {1983, 4, 3},
    {1984, 4, 22}, {1985, 4, 7},  {1986, 3, 30}, {1987, 4, 19}, {1988, 4, 3},  {1989, 3, 26},
    {1990, 4, 15}, {1991, 3, 31}, {1992, 4, 19}, {1993, 4, 11}, {1994, 4, 3},  {1995, 4, 16},
    {1996, 4, 7},  {1997, 3, 30}, {1998, 4, 12}, {1999, 4, 4},  {2000, 4, 23}, {2001, 4, 15},
    {2002, 3, 31}, {2003, 4, 20}, {2004, 4, 11}, {2005, 3, 27}, {2006, 4, 16}, {2007, 4, 8},
    {2008, 3, 23}, {2009, 4, 12}, {2010, 4, 4},  {2011, 4, 24}, {2012, 4, 8},  {2013, 3, 31},
    {2014, 4, 20}, {2015, 4, 5},  {2016, 3, 27}, {2017, 4, 16}, {2018, 4, 1},  {2019, 4, 21},
    {2020, 4, 12}, {2021, 4, 4},  {2022, 4, 17}, {2023, 4, 9},  {2024, 3, 31}, {2025, 4, 20},
    {2026, 4, 5},  {2027, 3, 28}, {2028, 4, 16}, {2029, 4, 1},  {2030, 4, 21}, {2031, 4, 13},
    {2032, 3, 28}, {2033, 4, 17}, {2034, 4, 9},  {2035, 3, 25}, {2036, 4, 13}, {2037, 4, 5},
    {2038, 4, 25}, {2039, 4, 10}, {2040, 4, 1},  {2041, 4, 21}, {2042, 4, 6},  {2043, 3, 29},
    {2044, 4, 17}, {2045, 4, 9},  {2046, 3, 25}, {2047, 4, 14}, {2048, 4, 5},  {2049, 4, 18},
    {2050, 4, 10}, {2051, 4, 2},  {2052, 4, 21}, {2053, 4, 6},  {2054, 3, 29}, {2055, 4, 18},
    {2056, 4, 2},  {2057, 4, 22}, {2058, 4, 14}, {2059, 3, 30}, {2060, 4, 18}, {2061, 4, 10},
    {2062, 3, 26}, {2063, 4, 15}, {2064, 4, 6},  {2065, 3, 29}, {2066, 4, 11}, {2067, 4, 3},
    {2068, 4, 22}, {2069, 4, 14}, {2070, 3, 30}, {2071, 4, 19}, {2072, 4, 10}, {2073, 3, 26},
    {2074, 4, 15}, {2075, 4, 7},  {2076, 4, 19}, {2077, 4, 11}, {2078, 4, 3},  {2079, 4, 23},
    {2080, 4, 7},  {2081, 3, 30}, {2082, 4, 19}, {2083, 4, 4},  {2084, 3, 26}, {2085, 4, 15},
    {2086, 3, 31}, {2087, 4, 20}, {2088, 4, 11}, {2089, 4, 3},  {2090, 4, 16}, {2091, 4, 8},
    {2092, 3, 30}, {2093, 4, 12}, {2094, 4, 4},  {2095, 4, 24}, {2096, 4, 15}, {2097, 3, 31},
    {2098, 4, 20}, {2099, 4, 12}, {2100, 3, 28}, {2118, 4, 10}, {2148, 4, 7},  {2182, 4, 21},
    {2190, 4, 25}, {2198, 3, 25}, {2199, 4, 14},
};

// The date of a time counted the slow way: walk from the start date to the first day that
// counts, then one day at a time, counting the days that count.
QDate countedDate(const ProjectCalendar& c, const QDate& start, double time)
{
    QDate day = start;
    while (!c.isWorkingDay(day))
        day = day.addDays(1);
    long long k = std::llround(time);
    while (k > 0) {
        day = day.addDays(1);
        if (c.isWorkingDay(day))
            --k;
    }
    while (k < 0) {
        day = day.addDays(-1);
        if (c.isWorkingDay(day))
            ++k;
    }
    return day;
}

ProjectCalendar randomCalendar(QRandomGenerator& random)
{
    ProjectCalendar c;
    c.workingDays = random.bounded(5) != 0;
    do
        c.workingWeek = random.bounded(1u, 128u);
    while (c.workingWeek == 0);
    c.nationalHolidays = random.bounded(2) == 0;
    if (random.bounded(2))
        c.patron = {static_cast<int>(random.bounded(1, 29)),
                    static_cast<int>(random.bounded(1, 13))};
    const int closures = static_cast<int>(random.bounded(4));
    for (int i = 0; i < closures; ++i) {
        const QDate first = QDate(2026, 1, 1).addDays(random.bounded(1500));
        c.closures.push_back(
            {first, first.addDays(random.bounded(40)), QStringLiteral("c%1").arg(i)});
    }
    c.closuresInCalendarDays = random.bounded(2) == 0;
    return c;
}

ProjectCalendar example()
{
    ProjectCalendar c;
    c.workingDays = true;
    c.patron = {7, 12};
    c.closures.push_back(
        {QDate(2027, 8, 9), QDate(2027, 8, 20), QStringLiteral("chiusura estiva")});
    return c;
}

} // namespace

class TestWorkCalendar final : public QObject
{
    Q_OBJECT

private slots:
    void easterAsPublished_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QDate>("easter");
        for (const Easter& e : kPublishedEaster)
            QTest::newRow(qPrintable(QString::number(e.year)))
                << e.year << QDate(e.year, e.month, e.day);
    }

    // Every year from 1900 to 2199 against the computus in another form (Gauss's, as Lichtenberg
    // corrected it), which shares no step with the one the program uses.
    void easterAgreesWithGaussForEveryYear()
    {
        for (int y = 1900; y <= 2199; ++y) {
            const int k = y / 100;
            const int m = 15 + (3 * k + 3) / 4 - (8 * k + 13) / 25;
            const int s = 2 - (3 * k + 3) / 4;
            const int a = y % 19;
            const int d = (19 * a + m) % 30;
            const int r = (d + a / 11) / 29;
            const int og = 21 + d - r;
            const int sz = 7 - (y + y / 4 + s) % 7;
            const int oe = 7 - (og - sz) % 7;
            const QDate gauss = QDate(y, 3, 1).addDays(og + oe - 1);
            QVERIFY2(easterSunday(y) == gauss, qPrintable(QString::number(y)));
            const auto holidays = nationalHolidays(y);
            QVERIFY2(std::any_of(holidays.begin(), holidays.end(),
                                 [&](const NamedDay& h) {
                                     return h.name == "Pasquetta" && h.date == gauss.addDays(1);
                                 }),
                     qPrintable(QString::number(y)));
        }
    }

    // Easter Sunday, and Easter Monday as the holiday of a working-day calendar.
    void easterAsPublished()
    {
        QFETCH(int, year);
        QFETCH(QDate, easter);
        QCOMPARE(easterSunday(year), easter);
        ProjectCalendar c;
        c.workingDays = true;
        const QDate liberation(year, 4, 25);
        // Easter Monday on 25 April is named as the older holiday; either way it does not count.
        QCOMPARE(c.restReason(easter.addDays(1)), easter.addDays(1) == liberation
                                                      ? QString("Festa della Liberazione")
                                                      : QString("Pasquetta"));
        QCOMPARE(c.isWorkingDay(easter.addDays(2)), easter.addDays(2) != liberation);
        const auto holidays = nationalHolidays(year);
        QCOMPARE(holidays.size(), std::size_t(11));
        QVERIFY(std::any_of(holidays.begin(), holidays.end(), [&](const NamedDay& d) {
            return d.date == easter.addDays(1) && d.name == "Pasquetta";
        }));
    }

    // Every year a project may have: a Sunday from 22 March to 25 April.
    void easterIsASundayOfSpring()
    {
        for (int year = 1900; year <= 2199; ++year) {
            const QDate e = easterSunday(year);
            QVERIFY2(e.dayOfWeek() == Qt::Sunday && e >= QDate(year, 3, 22) &&
                         e <= QDate(year, 4, 25),
                     qPrintable(formatDate(e)));
        }
    }

    void daysThatDoNotCount_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a Monday") << QDate(2027, 3, 1) << "";
        QTest::newRow("Saturday") << QDate(2027, 3, 6) << "sabato";
        QTest::newRow("Sunday before the holiday") << QDate(2027, 4, 25) << "domenica";
        QTest::newRow("Pasquetta") << QDate(2027, 3, 29) << "Pasquetta";
        QTest::newRow("Festa della Repubblica") << QDate(2027, 6, 2) << "Festa della Repubblica";
        QTest::newRow("Santo Stefano on a Sunday") << QDate(2027, 12, 26) << "domenica";
        QTest::newRow("Immacolata") << QDate(2027, 12, 8) << "Immacolata Concezione";
        QTest::newRow("patron") << QDate(2027, 12, 7) << "santo patrono";
        QTest::newRow("closure") << QDate(2027, 8, 11) << "chiusura estiva";
        QTest::newRow("a Monday inside the closure") << QDate(2027, 8, 16) << "chiusura estiva";
        QTest::newRow("day after the closure") << QDate(2027, 8, 23) << "";
    }

    void daysThatDoNotCount()
    {
        QFETCH(QDate, date);
        QFETCH(QString, reason);
        QCOMPARE(example().restReason(date), reason);
    }

    void calendarDaysCountAllButSuspensions()
    {
        ProjectCalendar c = example();
        c.workingDays = false;
        QVERIFY(c.isWorkingDay(QDate(2027, 3, 6)));
        QVERIFY(c.isWorkingDay(QDate(2027, 8, 11)));
        QVERIFY(!c.skipsDays());
        c.closuresInCalendarDays = true;
        QCOMPARE(c.restReason(QDate(2027, 8, 11)), QString("chiusura estiva"));
        QVERIFY(c.skipsDays());
    }

    void sentences_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("default") << "default"
                                 << "Durate in giorni naturali e consecutivi.";
        QTest::newRow("the example")
            << "example"
            << "Durate in giorni lavorativi (lunedì-venerdì), festività nazionali e patrono (7 "
               "dicembre) escluse; chiusure: chiusura estiva dal 09/08/2027 al 20/08/2027.";
        QTest::newRow("Monday to Saturday, holidays counted, one-day closure")
            << "saturday"
            << "Durate in giorni lavorativi (lunedì-sabato), patrono (29 giugno) escluso; "
               "chiusure: fermo per neve il 12/01/2027.";
        QTest::newRow("broken week, nothing else")
            << "broken"
            << "Durate in giorni lavorativi (lunedì-mercoledì e venerdì).";
        QTest::newRow("suspension of a calendar-day project")
            << "suspension"
            << "Durate in giorni naturali e consecutivi; chiusure non conteggiate (sospensione "
               "dei lavori): chiusura dal 01/02/2027 al 03/02/2027.";
    }

    void sentences()
    {
        QFETCH(QString, which);
        QFETCH(QString, sentence);
        ProjectCalendar c;
        if (which == "example")
            c = example();
        if (which == "saturday") {
            c.workingDays = true;
            c.workingWeek = kMondayToSaturday;
            c.nationalHolidays = false;
            c.patron = {29, 6};
            c.closures = {{QDate(2027, 1, 12), QDate(2027, 1, 12), "fermo per neve"}};
        }
        if (which == "broken") {
            c.workingDays = true;
            c.nationalHolidays = false;
            c.workingWeek = weekdayBit(1) | weekdayBit(2) | weekdayBit(3) | weekdayBit(5);
        }
        if (which == "suspension") {
            c.closures = {{QDate(2027, 2, 1), QDate(2027, 2, 3), QString()}};
            c.closuresInCalendarDays = true;
        }
        QCOMPARE(calendarSentence(c), sentence);
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty week") << "week"
                                    << "almeno un giorno lavorativo";
        QTest::newRow("31 February") << "patron"
                                     << "(31/2) non è una data";
        QTest::newRow("closure backwards") << "backwards"
                                           << "La chiusura n. 1 finisce il";
        QTest::newRow("closure after 2199") << "late"
                                            << "La chiusura n. 1 ha una data non valida";
        QTest::newRow("long description") << "long"
                                          << "supera i 120 caratteri";
        QTest::newRow("line break") << "control"
                                    << "caratteri di controllo";
        QTest::newRow("a day of 0 minutes") << "minutes"
                                            << "da 1 a 1440 minuti";
    }

    void refusals()
    {
        QFETCH(QString, what);
        QFETCH(QString, message);
        ProjectCalendar c;
        c.closures = {{QDate(2027, 8, 9), QDate(2027, 8, 20), "estate"}};
        if (what == "week")
            c.workingWeek = 0;
        if (what == "patron")
            c.patron = {31, 2};
        if (what == "backwards")
            std::swap(c.closures[0].first, c.closures[0].last);
        if (what == "late")
            c.closures[0].last = QDate(2200, 1, 1);
        if (what == "long")
            c.closures[0].description = QString(121, 'x');
        if (what == "control")
            c.closures[0].description = "a\nb";
        if (what == "minutes")
            c.minutesPerDay = 0;
        const Result<void> refused = checkCalendar(c);
        QVERIFY(!refused.ok());
        QVERIFY2(refused.error().text.contains(message), qPrintable(refused.error().text));
        QVERIFY(checkCalendar(example()).ok());
    }

    void weekAndPatronTexts()
    {
        QCOMPARE(weekdayList(kMondayToFriday), QString("lun,mar,mer,gio,ven"));
        QCOMPARE(parseWeekdayList(u"sab, lun,martedì"),
                 std::optional<Weekdays>(weekdayBit(6) | weekdayBit(1) | weekdayBit(2)));
        QCOMPARE(parseWeekdayList(u"lun,lun"), std::optional<Weekdays>());
        QCOMPARE(parseWeekdayList(u"lun,ven,festa"), std::optional<Weekdays>());
        QCOMPARE(parseWeekdayList(u""), std::optional<Weekdays>());
        QCOMPARE(parseMonthDay(u"7/12"), std::optional<MonthDay>(MonthDay{7, 12}));
        QCOMPARE(parseMonthDay(u"29/02"), std::optional<MonthDay>(MonthDay{29, 2}));
        QCOMPARE(parseMonthDay(u"30/02"), std::optional<MonthDay>());
        QCOMPARE(parseMonthDay(u"7-12"), std::optional<MonthDay>());
        QCOMPARE(formatMonthDay({7, 12}), QString("07/12"));
    }

    // The days off of a span: each closure whole, each holiday on a working weekday once.
    void restSpansOfTheExample()
    {
        const auto spans = restSpans(example(), QDate(2027, 8, 1), QDate(2027, 12, 31));
        QStringList seen;
        for (const CalendarClosure& s : spans)
            seen << formatDate(s.first) + "-" + formatDate(s.last) + " " + s.description;
        QCOMPARE(seen, QStringList({"09/08/2027-20/08/2027 chiusura estiva",
                                    "01/11/2027-01/11/2027 Ognissanti",
                                    "07/12/2027-07/12/2027 santo patrono",
                                    "08/12/2027-08/12/2027 Immacolata Concezione"}));
    }

    // The mapping agrees with a count made day by day, for calendars, start dates and times
    // (whole, halves, noise, negative) drawn at random, both ways.
    void mappingAgreesWithACountDayByDay()
    {
        QRandomGenerator random(20270301);
        for (int round = 0; round < 300; ++round) {
            const ProjectCalendar c = randomCalendar(random);
            const QDate start = QDate(2026, 6, 1).addDays(random.bounded(900));
            const WorkingTime clock(c, start);
            QCOMPARE(clock.plain(), !c.skipsDays());
            for (int i = 0; i < 40; ++i) {
                double t = random.bounded(1200) - 100;
                if (i % 3 == 1)
                    t += 0.5;
                if (i % 7 == 2)
                    t -= 1e-12;
                const QDate expected = countedDate(c, start, t);
                QVERIFY2(clock.dateAt(t) == expected,
                         qPrintable(QString("round %1, start %2, time %3: %4 instead of %5")
                                        .arg(round)
                                        .arg(formatDate(start))
                                        .arg(t)
                                        .arg(formatDate(clock.dateAt(t)), formatDate(expected))));
                // A working day begins at the whole time it is the date of.
                const qint64 k = std::llround(t);
                QCOMPARE(clock.timeOf(expected), k);
            }
        }
    }

    void dayZeroMovesToTheFirstWorkingDay()
    {
        // Saturday 31 July 2027, a closure from 2 August: day 0 is Monday 23 August.
        ProjectCalendar c = example();
        c.closures[0].first = QDate(2027, 8, 2);
        const WorkingTime clock(c, QDate(2027, 7, 31));
        QCOMPARE(clock.firstDay(), QDate(2027, 8, 23));
        QCOMPARE(clock.dateAt(0), QDate(2027, 8, 23));
        QCOMPARE(clock.dateAt(0.5), QDate(2027, 8, 24));
        QCOMPARE(clock.dateAt(5), QDate(2027, 8, 30));
        QCOMPARE(clock.dateAt(-1), QDate(2027, 7, 30));
        // A Saturday begins when Monday does.
        QCOMPARE(clock.timeOf(QDate(2027, 8, 28)), 5);
        // On the calendar's scale: Friday's close, not Monday's beginning, ends five days.
        QCOMPARE(clock.calendarPosition(5), 30.0);
        QCOMPARE(clock.calendarPositionOfEnd(5), 28.0);
        QCOMPARE(clock.calendarPosition(4.5), 27.5);
    }

    // Every day counting: dates are the start date plus the time rounded, a half day up.
    void calendarDaysAreTheStartPlusTheTime()
    {
        const WorkingTime clock(ProjectCalendar{}, QDate(2027, 3, 1));
        QVERIFY(clock.plain());
        QCOMPARE(clock.dateAt(169), QDate(2027, 8, 17));
        QCOMPARE(clock.dateAt(65.5), QDate(2027, 5, 6));
        QCOMPARE(clock.dateAt(3 * (1.0 / 3)), QDate(2027, 3, 2));
        QCOMPARE(clock.dateAt(-2), QDate(2027, 2, 27));
        QCOMPARE(WorkingTime().dateAt(3), QDate());
        QCOMPARE(clock.dateAt(std::nan("")), QDate());
    }

    // Far dates: years beyond the tables of holidays are counted all the same, up to 9999.
    void farTimes()
    {
        const WorkingTime clock(example(), QDate(2027, 3, 1));
        const QDate far = clock.dateAt(500000);
        QVERIFY(far.isValid() && far.year() > 3900 && clock.isWorkingDay(far));
        QCOMPARE(clock.timeOf(far), 500000);
        QCOMPARE(clock.dateAt(5e8), QDate());
    }
};

QTEST_GUILESS_MAIN(TestWorkCalendar)
#include "test_work_calendar.moc"
