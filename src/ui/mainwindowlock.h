#pragma once

#include <QPointer>
#include <QWidget>

namespace pelorin::ui {

// The main window disabled while an editing window is shown ("Запрет быстрой прокрутки
// пациентов"), so the current patient cannot change under it. Several windows can hold it at once
// (a pick list over the diagnosis window); the main window comes back only when the last of them
// lets go.
class MainWindowLock
{
public:
    explicit MainWindowLock(QWidget *holder, QWidget *mainWindow = nullptr) : m_holder(holder), m_main(mainWindow) {}
    ~MainWindowLock() { unlock(); }
    MainWindowLock(const MainWindowLock &) = delete;
    MainWindowLock &operator=(const MainWindowLock &) = delete;

    void setMainWindow(QWidget *mainWindow) { m_main = mainWindow; }
    QWidget *mainWindow() const { return m_main; }

    // Takes the lock once; a second call while held does nothing.
    void lock();
    void unlock();
    bool isHeld() const { return m_held; }

private:
    QWidget *m_holder;
    QPointer<QWidget> m_main;
    bool m_held = false;
};

} // namespace pelorin::ui
