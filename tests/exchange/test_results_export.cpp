#include <QTest>
class T final : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(T)
#include "test_results_export.moc"
