#include "timing_log.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

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

namespace {

// Watches a widget's paints until one comes with ready() holding, then goes.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget& widget, const char* event, std::function<bool()> ready)
        : QObject(&widget), m_event(event), m_ready(std::move(ready))
    {
        widget.installEventFilter(this);
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_ready()) {
            logTimingAfterPaint(m_event);
            deleteLater();
        }
        return false;
    }

private:
    const char* m_event;
    std::function<bool()> m_ready;
};

} // namespace

void logTimingWhenPainted(QWidget& widget, const char* event, std::function<bool()> ready)
{
    if (lcTiming().isDebugEnabled())
        new PaintWatch(widget, event, std::move(ready));
}

} // namespace velmora
