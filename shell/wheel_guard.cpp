#include "wheel_guard.h"

#include <QComboBox>
#include <QEvent>

namespace velmora {

namespace {

class WheelGuard : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Wheel; }
};

} // namespace

void dropWheel(QComboBox& box)
{
    box.installEventFilter(new WheelGuard(&box));
}

} // namespace velmora
