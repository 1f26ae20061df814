#include <QtTest>

class PrescriptionsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(PrescriptionsTest)
#include "prescriptions_test.moc"
