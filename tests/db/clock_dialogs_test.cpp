#include <QtTest>

class ClockDialogsTest : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(ClockDialogsTest)
#include "clock_dialogs_test.moc"
