#include <QtTest>

class FormOsmotrElemTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_MAIN(FormOsmotrElemTest)
#include "form_osmotr_elem_test.moc"
