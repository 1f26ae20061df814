#include <QtTest>

class AnamnesisCalcTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(AnamnesisCalcTest)
#include "anamnesis_calc_test.moc"
