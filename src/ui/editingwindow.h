#pragma once

#include "mainwindowlock.h"

#include <QDialog>

#include <functional>

namespace pelorin::ui {

// An editing window of the program. Every way of closing it — the title bar, Esc, its own buttons
// (accept(), reject(), close()) — goes through one closing step, closing(), which a window may
// refuse (what was typed cannot be stored: the window stays open and nothing typed is lost). While it
// is shown it may hold the main window so that the current patient cannot change under it ("Запрет
// быстрой прокрутки пациентов"); it gives it back when it is hidden by anything but minimising.
class EditingWindow : public QDialog
{
    Q_OBJECT

public:
    explicit EditingWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // The main window to hold while shown, whenever `wanted` says so at the moment of showing (the
    // clinic's setting may change between two openings).
    void holdMainWindow(QWidget *mainWindow, std::function<bool()> wanted);
    bool locksMainWindow() const { return m_lock.isHeld(); }

    // Esc and a "Закрыть" button take the road of the title bar.
    void reject() override;
    void done(int result) override;

protected:
    // The window's own steps on closing; false keeps it open. Runs once for each closing, whichever
    // way it came.
    virtual bool closing() { return true; }

    // How the main window is held; a window that holds it otherwise (only the main window's
    // contents when it is the window's parent) says so here.
    virtual void setMainWindowHeld(bool held);

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool runClosing();

    MainWindowLock m_lock;
    std::function<bool()> m_wanted;
    bool m_closingDone = false;
};

} // namespace pelorin::ui
