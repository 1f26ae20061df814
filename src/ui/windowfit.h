#pragma once

#include <QSize>

class QObject;
class QWidget;

namespace pelorin::ui {

// Room the window manager takes for a title bar before a window has been shown once and its real
// frame is known.
inline constexpr int kAssumedTitleBar = 30;

// The largest size of a window's inside that keeps its frame within the free area of the screen it
// opens on (the screen less its task bars).
QSize screenRoomFor(const QWidget *window);

// Moves a window to the middle of the primary screen's free area; a window taller or wider than that
// area keeps its title bar and close box on it.
void centreOnScreen(QWidget *window);

// Shrinks a window that would not fit the free area of its screen and moves it inside that area.
// A window smaller than the area keeps its size; one that cannot shrink further (its layout needs
// more) keeps its title bar on the screen.
void fitToScreen(QWidget *window);

// Runs fitToScreen on every top-level window each time it is shown; installed once on the
// application object.
void keepWindowsOnScreen(QObject *application);

} // namespace pelorin::ui
