#include "mainwindowlock.h"

#include <QtTest>

using namespace pelorin::ui;

class MainWindowLockTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lastHolderFreesTheMainWindow()
    {
        QWidget main;
        QWidget first;
        QWidget second;
        MainWindowLock a(&first, &main);
        MainWindowLock b(&second, &main);
        a.lock();
        a.lock(); // held once, however often asked
        b.lock();
        QVERIFY(!main.isEnabled());
        a.unlock();
        QVERIFY(!main.isEnabled());
        a.unlock();
        QVERIFY(!main.isEnabled());
        b.unlock();
        QVERIFY(main.isEnabled());
    }

    void holderOwnedByTheMainWindowStaysUsable()
    {
        QWidget main;
        auto *child = new QWidget(&main, Qt::Window);
        {
            MainWindowLock lock(child, &main);
            lock.lock();
            QVERIFY(!main.isEnabled());
            QVERIFY(child->isEnabled());
        } // a lock going away lets go
        QVERIFY(main.isEnabled());
    }

    void withoutMainWindowNothingHappens()
    {
        QWidget holder;
        MainWindowLock lock(&holder);
        lock.lock();
        QVERIFY(!lock.isHeld());
    }
};

QTEST_MAIN(MainWindowLockTest)
#include "mainwindowlock_test.moc"
