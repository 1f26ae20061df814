#include <QtTest>

class OsmotrCalcTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(OsmotrCalcTest)
#include "osmotr_calc_test.moc"
