#pragma once
// What the program's windows share in look and placement.

#include <QColor>
#include <QRect>
#include <QSize>

class QWidget;

namespace velmora {

// The ground of the main and About windows.
inline const QColor kNavy(0, 30, 80);

// Moves window so that a client area of size, with the window's frame where the frame is known,
// stands in the middle of area (a screen's geometry, or the part of it that panels leave free).
// Windows knows the frame once the window exists, before it shows, so a window centred again
// when it first shows stands centred frame and all, as Windows centres a window. An X window
// manager frames a window only after it shows: there the client area is centred.
void moveToCentre(QWidget& window, QSize size, const QRect& area);

// Centres a window with a client area of size on the primary screen's free area, now and again
// when it first shows.
void centreOnScreen(QWidget& window, QSize size);

} // namespace velmora
