#include "editingwindow.h"

#include <QCloseEvent>
#include <QHideEvent>
#include <QShowEvent>

namespace pelorin::ui {

EditingWindow::EditingWindow(QWidget *parent, Qt::WindowFlags flags) : QDialog(parent, flags), m_lock(this) {}

void EditingWindow::holdMainWindow(QWidget *mainWindow, std::function<bool()> wanted)
{
    m_lock.setMainWindow(mainWindow);
    m_wanted = std::move(wanted);
}

void EditingWindow::setMainWindowHeld(bool held)
{
    if (held)
        m_lock.lock();
    else
        m_lock.unlock();
}

bool EditingWindow::runClosing()
{
    if (m_closingDone)
        return true;
    if (!closing())
        return false;
    m_closingDone = true;
    return true;
}

void EditingWindow::reject()
{
    close();
}

void EditingWindow::done(int result)
{
    if (!runClosing())
        return;
    QDialog::done(result);
}

void EditingWindow::closeEvent(QCloseEvent *event)
{
    if (!isVisible()) {
        event->accept(); // nothing open to close
        return;
    }
    if (!runClosing()) {
        event->ignore();
        return;
    }
    // Ends as QDialog's own closing does (rejected, its signals sent), but not through reject(), which
    // comes back here.
    done(QDialog::Rejected);
    event->accept();
}

void EditingWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return; // restored from the task bar: the same opening goes on
    m_closingDone = false;
    if (m_wanted && m_wanted())
        setMainWindowHeld(true);
}

void EditingWindow::hideEvent(QHideEvent *event)
{
    // A minimised window is still open: only a real close gives the main window back.
    if (!event->spontaneous())
        setMainWindowHeld(false);
    QDialog::hideEvent(event);
}

} // namespace pelorin::ui
