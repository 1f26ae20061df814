#include <QtTest>

class ReflistTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(ReflistTest)
#include "reflist_test.moc"
