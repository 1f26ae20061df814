#include <QtTest>

class ClinicalCalcTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(ClinicalCalcTest)
#include "clinical_calc_test.moc"
