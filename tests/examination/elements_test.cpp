#include <QtTest>

class ElementsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(ElementsTest)
#include "elements_test.moc"
