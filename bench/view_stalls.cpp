#include "view_stalls.h"

#include "hadith_jump.h"
#include "rich_text_view.h"
#include "text_search.h"
#include "view_commands.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace velmora {

namespace {

// A zero-interval timer fires whenever the event loop is free; the longest gap between two
// firings is the longest time the window could not react.
class StallWatch {
public:
    StallWatch()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }

    // Runs action from the event loop, then lets the loop run for settleMs; returns the longest
    // stall in milliseconds, the action's own turn included.
    double watch(const std::function<void()>& action, int settleMs)
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
        QEventLoop loop;
        QTimer::singleShot(0, action);
        QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
        loop.exec();
        m_timer.stop();
        return double(m_longest) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

constexpr int kSettleMs = 300;
constexpr int kViewHeight = 600;
const int kWidths[] = {20, 50, 100, 200, 400, 800, 2000};
const int kSizes[] = {6, 12, 26};

} // namespace

int printStallTable(RichTextView& view, const QString& book)
{
    StallWatch watch;
    const auto painted = [&view](const std::function<void()>& action) {
        return [&view, action] {
            action();
            view.viewport()->repaint();
        };
    };
    view.resize(400, kViewHeight);
    bool loaded = false;
    const double load = watch.watch(painted([&] { loaded = view.setFileName(book); }), 1000);
    if (!loaded) {
        std::fprintf(stderr, "%s: the book could not be loaded\n", qPrintable(book));
        return 1;
    }
    std::printf("%s: %d characters\nlongest stall, loading at 400 px: %.1f ms\n", qPrintable(book),
                view.TextLength(), load);

    // Absent text: the step asks to start again from the top, and searches the whole book.
    const SearchPrompter answerOk = [](SearchPrompt) { return true; };
    const QString last = hadithNumbers().last();
    double worst = load;
    std::printf("%5s %6s %9s %9s %9s %9s %9s   (longest stall per action, ms)\n", "size", "width",
                "size/res.", "jump", "search", "sel+copy", "end/start");
    for (const int size : kSizes) {
        for (const int width : kWidths) {
            // The first width of each size also changes the size.
            const double resize = watch.watch(painted([&] {
                                                  view.resize(width, kViewHeight);
                                                  if (width == kWidths[0])
                                                      applyTextSize(view, QString::number(size));
                                              }),
                                              kSettleMs);
            const double jump = watch.watch(painted([&] { jumpToHadith(view, last); }), kSettleMs);
            const double search = watch.watch(
                painted([&] { searchStep(view, QStringLiteral("xzzq"), answerOk); }), kSettleMs);
            const double copy = watch.watch(painted([&] {
                                                selectAll(view);
                                                copySelection(view);
                                            }),
                                            kSettleMs);
            const double ends = watch.watch(painted([&] {
                                                caretToEnd(view);
                                                view.viewport()->repaint();
                                                caretToStart(view);
                                            }),
                                            kSettleMs);
            std::printf("%5d %6d %9.1f %9.1f %9.1f %9.1f %9.1f\n", size, width, resize, jump,
                        search, copy, ends);
            std::fflush(stdout);
            worst = std::max({worst, resize, jump, search, copy, ends});
        }
    }
    std::printf("longest stall of all: %.1f ms\n", worst);
    return 0;
}

} // namespace velmora
