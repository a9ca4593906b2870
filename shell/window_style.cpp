#include "window_style.h"

#include <QWidget>

namespace velmora {

void moveToCentre(QWidget& window, QSize size, const QRect& area)
{
    QRect frame(QPoint(), size);
    frame.moveCenter(area.center());
    window.move(frame.topLeft());
}

} // namespace velmora
