#include <QtTest>

class OsmotrOpsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(OsmotrOpsTest)
#include "osmotr_ops_test.moc"
