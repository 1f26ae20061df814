#include <QtTest>

class FilterTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(FilterTest)
#include "filter_test.moc"
