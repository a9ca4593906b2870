#pragma once
// What the program's windows share in look and placement.

#include <QColor>
#include <QRect>
#include <QSize>

class QWidget;

namespace velmora {

// The ground of the main and About windows.
inline const QColor kNavy(0, 30, 80);

// Moves window so that a client area of size stands in the middle of area (a screen's
// geometry, or the part of it that panels leave free).
void moveToCentre(QWidget& window, QSize size, const QRect& area);

} // namespace velmora
