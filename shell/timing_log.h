#pragma once
// Start-up timestamps for measuring: written to stderr only when the logging category
// "velmora.timing" is switched on (QT_LOGGING_RULES="velmora.timing.debug=true"); the program
// behaves the same either way. Each line reads "velmora.timing: <event> <ns>", the time on the
// steady clock (CLOCK_MONOTONIC), comparable with other processes' readings of that clock.

#include <QLoggingCategory>

#include <functional>

class QWidget;

namespace velmora {

Q_DECLARE_LOGGING_CATEGORY(lcTiming)

// Logs the event now.
void logTiming(const char* event);
// Logs the event once the paint being done now has reached the window: after the events
// already queued, the backing-store flush among them.
void logTimingAfterPaint(const char* event);
// Logs the event after the first paint of widget once ready() holds, when logging is on.
void logTimingWhenPainted(QWidget& widget, const char* event, std::function<bool()> ready);

} // namespace velmora
