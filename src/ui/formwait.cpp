#include "formwait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace pelorin::ui {

Form_wait::Form_wait(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form_wait"));
    setWindowTitle(QStringLiteral("Внимание! Пожалуйста  подождите! "));
    setModal(false);
    setCursor(Qt::WaitCursor);
    auto *label = new QLabel(QStringLiteral("Пожалуйста, подождите!"), this);
    label->setObjectName(QStringLiteral("Label1"));
    QFont font = label->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.4);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral("color: blue;"));
    label->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(32, 24, 32, 24);
    layout->addWidget(label);
    m_progress = new QLabel(this);
    m_progress->setObjectName(QStringLiteral("Label2"));
    m_progress->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_progress);
    setFixedSize(sizeHint().expandedTo(QSize(360, 110)));
}

void Form_wait::showWaiting()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Paint now: the work that follows keeps the event loop busy.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Form_wait::setProgress(const QString &text)
{
    m_progress->setText(text);
    m_progress->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Form_wait::hideWaiting()
{
    m_progress->clear();
    hide();
    QApplication::restoreOverrideCursor();
}

void Form_wait::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void Form_wait::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}

} // namespace pelorin::ui
