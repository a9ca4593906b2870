#include "timing_log.h"

#include <QTimer>

#include <chrono>

namespace velmora {

Q_LOGGING_CATEGORY(lcTiming, "velmora.timing", QtWarningMsg)

void logTiming(const char* event)
{
    if (!lcTiming().isDebugEnabled())
        return;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    qCDebug(lcTiming).noquote()
        << event << std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

void logTimingAfterPaint(const char* event)
{
    if (!lcTiming().isDebugEnabled())
        return;
    QTimer::singleShot(0, [event] { logTiming(event); });
}

} // namespace velmora
