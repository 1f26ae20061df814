#include <QtTest>

class PuvaCalcTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(PuvaCalcTest)
#include "puva_calc_test.moc"
