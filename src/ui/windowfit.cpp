#include "windowfit.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace pelorin::ui {

namespace {

QRect freeArea(const QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1366, 728);
}

// Frame thickness on each side: the real one once the window manager has framed the window.
QMargins frameOf(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect inside = window->geometry();
    if (frame != inside)
        return {inside.left() - frame.left(), inside.top() - frame.top(), frame.right() - inside.right(),
                frame.bottom() - inside.bottom()};
    return {0, kAssumedTitleBar, 0, 0};
}

class ScreenFitFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            // Drop-down lists and menus place themselves.
            const Qt::WindowType type = w->windowType();
            if (w->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::Desktop)
                fitToScreen(w);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

void centreOnScreen(QWidget *window)
{
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desk = screen->availableGeometry();
    QRect r(QPoint(0, 0), window->frameGeometry().size().expandedTo(window->size()));
    r.moveCenter(desk.center());
    window->move(std::max(r.left(), desk.left()), std::max(r.top(), desk.top()));
}

QSize screenRoomFor(const QWidget *window)
{
    const QMargins frame = frameOf(window);
    return freeArea(window).size() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

void fitToScreen(QWidget *window)
{
    if (!window)
        return;
    const QSize room = screenRoomFor(window);
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));
    const QRect area = freeArea(window);
    const QMargins frame = frameOf(window);
    QRect outer = window->geometry().marginsAdded(frame);
    // Too big even now: the title bar and the left edge stay on the screen.
    if (outer.right() > area.right())
        outer.moveRight(area.right());
    if (outer.bottom() > area.bottom())
        outer.moveBottom(area.bottom());
    if (outer.left() < area.left())
        outer.moveLeft(area.left());
    if (outer.top() < area.top())
        outer.moveTop(area.top());
    const QPoint inside = outer.topLeft() + QPoint(frame.left(), frame.top());
    if (inside != window->geometry().topLeft())
        window->move(outer.topLeft());
}

void keepWindowsOnScreen(QObject *application)
{
    // Found by its name: without a meta-object of its own the filter's type cannot be looked up,
    // and any child of the application (its event dispatcher) would pass for it.
    static const QString name = QStringLiteral("pelorin-screen-fit");
    if (!application || application->findChild<QObject *>(name, Qt::FindDirectChildrenOnly))
        return;
    auto *filter = new ScreenFitFilter(application);
    filter->setObjectName(name);
    application->installEventFilter(filter);
}

} // namespace pelorin::ui
