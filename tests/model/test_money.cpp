#include "model/money.h"

#include <QRandomGenerator>
#include <QTest>

#include <numeric>

using namespace zant;

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<Cents>)

class TestMoney final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("cents"); // -1: refused

        QTest::newRow("grouped with decimals") << "1.234,56" << qint64(123456);
        QTest::newRow("plain with decimals") << "1234,56" << qint64(123456);
        QTest::newRow("one decimal") << "1234,5" << qint64(123450);
        QTest::newRow("whole euro") << "1234" << qint64(123400);
        QTest::newRow("grouped whole euro") << "1.234" << qint64(123400);
        QTest::newRow("euro sign after") << "150.000,00 €" << qint64(15000000);
        QTest::newRow("euro sign glued") << "12,30€" << qint64(1230);
        QTest::newRow("euro sign before") << "€ 7" << qint64(700);
        QTest::newRow("blanks around") << "  0,01 " << qint64(1);
        QTest::newRow("zero") << "0" << qint64(0);
        QTest::newRow("the largest") << "999.999.999,99" << kMaxAmount;
        QTest::newRow("two groups") << "12.345.678" << qint64(1234567800);
        QTest::newRow("one cent over the largest") << "1.000.000.000,00" << qint64(-1);
        QTest::newRow("many digits") << "99999999999999999999" << qint64(-1);
        QTest::newRow("negative") << "-5,00" << qint64(-1);
        QTest::newRow("three decimals") << "1,234" << qint64(-1);
        QTest::newRow("comma without decimals") << "12," << qint64(-1);
        QTest::newRow("comma without euro") << ",50" << qint64(-1);
        QTest::newRow("decimal point") << "1234.56" << qint64(-1);
        QTest::newRow("group of two") << "1.23" << qint64(-1);
        QTest::newRow("group of four") << "1.2345" << qint64(-1);
        QTest::newRow("first group of four") << "1234.567" << qint64(-1);
        QTest::newRow("dot at the start") << ".234" << qint64(-1);
        QTest::newRow("dot at the end") << "1.234." << qint64(-1);
        QTest::newRow("two commas") << "1,2,3" << qint64(-1);
        QTest::newRow("letters") << "dieci" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("only the sign") << " € " << qint64(-1);
        QTest::newRow("plus sign") << "+5" << qint64(-1);
        QTest::newRow("blank inside") << "1 234" << qint64(-1);
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(qint64, cents);
        const auto parsed = parseEuro(text);
        if (cents < 0) {
            QVERIFY2(!parsed, qPrintable(QString::number(parsed.value_or(0))));
        } else {
            QVERIFY(parsed);
            QCOMPARE(*parsed, cents);
        }
    }

    void format_data()
    {
        QTest::addColumn<qint64>("cents");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "0,00";
        QTest::newRow("one cent") << qint64(1) << "0,01";
        QTest::newRow("ten cents") << qint64(10) << "0,10";
        QTest::newRow("three digits") << qint64(99999) << "999,99";
        QTest::newRow("first group") << qint64(100000) << "1.000,00";
        QTest::newRow("grouped") << qint64(123456) << "1.234,56";
        QTest::newRow("millions") << qint64(12345678901) << "123.456.789,01";
        QTest::newRow("the largest") << kMaxAmount << "999.999.999,99";
        QTest::newRow("negative") << qint64(-123456) << "-1.234,56";
    }

    void format()
    {
        QFETCH(qint64, cents);
        QFETCH(QString, text);
        QCOMPARE(formatEuro(cents), text);
        if (cents >= 0)
            QCOMPARE(parseEuro(formatEuro(cents)), std::optional<Cents>(cents));
    }

    void split_data()
    {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<std::vector<double>>("weights");
        QTest::addColumn<std::vector<Cents>>("parts");
        QTest::newRow("even") << qint64(300) << std::vector<double>{1, 1, 1}
                              << std::vector<Cents>{100, 100, 100};
        QTest::newRow("a cent to the first of equal remainders")
            << qint64(100) << std::vector<double>{1, 1, 1} << std::vector<Cents>{34, 33, 33};
        QTest::newRow("two cents, the first two")
            << qint64(200) << std::vector<double>{1, 1, 1} << std::vector<Cents>{67, 67, 66};
        QTest::newRow("largest remainder wins")
            << qint64(10) << std::vector<double>{0.14, 0.16, 0.7}
            << std::vector<Cents>{1, 2, 7}; // 1.4, 1.6, 7.0
        QTest::newRow("half days") << qint64(1000) << std::vector<double>{0.5, 1, 1, 0.5}
                                   << std::vector<Cents>{167, 333, 333, 167};
        QTest::newRow("zero weight gets nothing")
            << qint64(5) << std::vector<double>{0, 1, 0, 1} << std::vector<Cents>{0, 3, 0, 2};
        QTest::newRow("negative weight counts as nothing")
            << qint64(5) << std::vector<double>{-3, 1} << std::vector<Cents>{0, 5};
        QTest::newRow("no weight at all: even parts")
            << qint64(5) << std::vector<double>{0, 0} << std::vector<Cents>{3, 2};
        QTest::newRow("nothing to split")
            << qint64(0) << std::vector<double>{1, 2} << std::vector<Cents>{0, 0};
        QTest::newRow("no parts") << qint64(7) << std::vector<double>{} << std::vector<Cents>{};
        QTest::newRow("the largest amount in thirds")
            << kMaxAmount << std::vector<double>{1, 1, 1}
            << std::vector<Cents>{33'333'333'333, 33'333'333'333, 33'333'333'333};
        QTest::newRow("negative total mirrors")
            << qint64(-100) << std::vector<double>{1, 1, 1} << std::vector<Cents>{-34, -33, -33};
    }

    void split()
    {
        QFETCH(qint64, total);
        QFETCH(std::vector<double>, weights);
        QFETCH(std::vector<Cents>, parts);
        QCOMPARE(splitByLargestRemainder(total, weights), parts);
    }

    // Whatever the weights, the parts add up to the total and each stays within a cent of its
    // exact share.
    void splitAddsUpOnRandomWeights()
    {
        QRandomGenerator random(20270201);
        for (int round = 0; round < 2000; ++round) {
            const auto n = static_cast<std::size_t>(random.bounded(1, 400));
            std::vector<double> weights(n);
            for (double& w : weights)
                w = random.bounded(4) == 0 ? 0.0 : random.bounded(1.0);
            const Cents total =
                Cents(random.bounded(1'000'000)) * Cents(random.bounded(100'000)) % kMaxAmount;
            const auto parts = splitByLargestRemainder(total, weights);
            QCOMPARE(parts.size(), n);
            QCOMPARE(std::accumulate(parts.begin(), parts.end(), Cents{0}), total);
            const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
            for (std::size_t i = 0; i < n && sum > 0; ++i) {
                const double exact = double(total) * weights[i] / sum;
                QVERIFY2(std::abs(double(parts[i]) - exact) < 1.0 + 1e-6 * exact,
                         qPrintable(QStringLiteral("round %1 part %2").arg(round).arg(i)));
                if (weights[i] == 0)
                    QCOMPARE(parts[i], Cents{0});
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestMoney)
#include "test_money.moc"
