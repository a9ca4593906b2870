#include "event_wait.h"

#include <QCoreApplication>
#include <QTimer>

namespace velmora {

void handleEventsUntil(std::chrono::steady_clock::time_point deadline,
                       QEventLoop::ProcessEventsFlags flags, const std::function<bool()>& done)
{
    using namespace std::chrono;
    // The timer only wakes the thread at the deadline; it has nothing to do itself.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    for (auto now = steady_clock::now(); now < deadline; now = steady_clock::now()) {
        if (done && done())
            return;
        wake.start(ceil<milliseconds>(deadline - now));
        QCoreApplication::processEvents(flags | QEventLoop::WaitForMoreEvents);
    }
}

} // namespace velmora
