#include <QtTest>

class PuvaOpsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(PuvaOpsTest)
#include "puva_ops_test.moc"
