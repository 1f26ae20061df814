#include <QtTest>

class TextsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(TextsTest)
#include "texts_test.moc"
