#include "model/cp1252.h"
#include "model/text_format.h"

#include <QTest>

using namespace zant;

class TestText final : public QObject
{
    Q_OBJECT

private slots:
    void leadingBlank_data()
    {
        QTest::addColumn<qlonglong>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("positive") << 7LL << " 7";
        QTest::newRow("zero") << 0LL << " 0";
        QTest::newRow("negative keeps its sign in the blank's place") << -3LL << "-3";
        QTest::newRow("three digits") << 500LL << " 500";
    }

    void leadingBlank()
    {
        QFETCH(qlonglong, value);
        QFETCH(QString, text);
        QCOMPARE(withLeadingBlank(value), text);
    }

    void days_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 12.0 << "12";
        QTest::newRow("decimal comma") << 12.5 << "12,5";
        QTest::newRow("negative") << -3.0 << "-3";
        QTest::newRow("thousands without grouping") << 12345.0 << "12345";
        QTest::newRow("rounding noise reads zero") << 1e-12 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("thirds shown to three decimals") << 50.0 / 3 << "16,667";
        QTest::newRow("no trailing zeros") << 2.5000000001 << "2,5";
        QTest::newRow("half a thousandth rounds up") << 0.0005 << "0,001";
        QTest::newRow("less than half a thousandth reads zero") << -0.0004 << "0";
        QTest::newRow("a million days and a fraction") << 999999.9996 << "1000000";
    }

    void days()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatDays(value), text);
    }

    void visibleControlCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a terminal title sequence") << "\x1b]0;PWNED\x07"
                                                   << "\\x1B]0;PWNED\\x07";
        QTest::newRow("tab, line breaks, NUL")
            << QString("a\tb\r\n") + QChar(0) << "a\\x09b\\x0D\\x0A\\x00";
        QTest::newRow("DEL and C1 controls")
            << QString("x") + QChar(0x7F) + QChar(0x9B) << "x\\x7F\\x9B";
        QTest::newRow("accents and symbols stay") << "città € ✓"
                                                  << "città € ✓";
    }
    void visibleControlCharacters()
    {
        QFETCH(QString, text);
        QTEST(visibleText(text), "shown");
    }

    void dates()
    {
        QCOMPARE(formatDate(dateScrollOrigin().addDays(1)), QString("01/01/1990"));
        QCOMPARE(parseDate("29/02/2028"), QDate(2028, 2, 29));
        QCOMPARE(parseDate("1/3/2027"), QDate(2027, 3, 1));
        QVERIFY(!parseDate("29/02/2027").isValid());
        QVERIFY(!parseDate("01/01/90").isValid());
        QCOMPARE(parseDate("01/01/1900"), QDate(1900, 1, 1));
        QCOMPARE(parseDate("31/12/2199"), QDate(2199, 12, 31));
        QVERIFY(!parseDate("31/12/1899").isValid());
        QVERIFY(!parseDate("01/01/2200").isValid());
        QVERIFY(!parseDate("01/01/-2000").isValid());
    }

    void cp1252Codec()
    {
        QByteArray all(256, 0);
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        const QString decoded = decodeCp1252(all);
        QCOMPARE(decoded.size(), 256);
        QCOMPARE(decoded[0x80], QChar(0x20AC));
        QCOMPARE(decoded[0xE0], QChar(0xE0));
        // Every byte survives a decode and encode.
        QCOMPARE(encodeCp1252(decoded), all);
        QVERIFY(!firstCharOutsideCp1252(decoded));
        QCOMPARE(firstCharOutsideCp1252("a≥b").value(), char32_t(0x2265));
    }

    void textFileEncoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain ASCII") << QByteArray("abc") << "abc";
        QTest::newRow("Windows-1252 accent") << QByteArray("citt\xe0") << "città";
        QTest::newRow("UTF-8 accent") << QByteArray("citt\xc3\xa0") << "città";
        QTest::newRow("UTF-8 with byte order mark") << QByteArray("\xef\xbb\xbf"
                                                                  "abc")
                                                    << "abc";
        QTest::newRow("Windows-1252 that looks like broken UTF-8")
            << QByteArray("\xc3 \xa0") << QString::fromUtf8("Ã \u00a0");
    }

    void textFileEncoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeTextFile(bytes), text);
    }

    void xmlText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("clean");
        const QChar high(0xD83D);
        const QChar low(0xDE00);
        QTest::newRow("tab, line feed and carriage return stay") << "a\tb\nc\rd"
                                                                 << "a\tb\nc\rd";
        QTest::newRow("NUL and vertical tab go") << QString("a") + QChar(0) + "b\vc"
                                                 << "abc";
        QTest::newRow("escape and unit separator go") << "a\x1b[0m\x1f"
                                                      << "a[0m";
        QTest::newRow("U+FFFE and U+FFFF go")
            << QString("a") + QChar(0xFFFE) + QChar(0xFFFF) << "a";
        QTest::newRow("a surrogate pair stays")
            << QString("a") + high + low << QString("a") + high + low;
        QTest::newRow("half a pair at the end goes") << QString("a") + high << "a";
        QTest::newRow("a low half alone goes") << QString("a") + low + "b"
                                               << "ab";
        QTest::newRow("two high halves keep the one that pairs")
            << QString(high) + high + low << QString(high) + low;
        QTest::newRow("DEL and C1 controls stay (XML allows them)")
            << QString("a\x7f") + QChar(0x85) << QString("a\x7f") + QChar(0x85);
    }

    void xmlText()
    {
        QFETCH(QString, text);
        QFETCH(QString, clean);
        QCOMPARE(cleanXmlText(text), clean);
    }
};

QTEST_GUILESS_MAIN(TestText)
#include "test_text.moc"
