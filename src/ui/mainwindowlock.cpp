#include "mainwindowlock.h"

#include <QHash>

namespace pelorin::ui {

namespace {

QHash<const QWidget *, int> &holders()
{
    static QHash<const QWidget *, int> counts;
    return counts;
}

} // namespace

void MainWindowLock::lock()
{
    if (m_held || !m_main)
        return;
    m_held = true;
    if (holders()[m_main.data()]++ == 0)
        m_main->setEnabled(false);
    // A window owned by the main window would be disabled with it.
    if (m_holder)
        m_holder->setEnabled(true);
}

void MainWindowLock::unlock()
{
    if (!m_held)
        return;
    m_held = false;
    if (!m_main)
        return;
    auto &counts = holders();
    if (--counts[m_main.data()] <= 0) {
        counts.remove(m_main.data());
        m_main->setEnabled(true);
    }
}

} // namespace pelorin::ui
