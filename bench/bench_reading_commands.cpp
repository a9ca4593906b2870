// Timing of the reading commands on the sample book: the hadith jump, the search step's worst
// path, the text size of the whole book, and select all + copy. Prints median, min and max of
// repeated runs; the repaint that follows a command is not part of its time, except where said.
//
// usage: bench_reading_commands [BOOK]   (default: the generated sample book)

#include "hadith_jump.h"
#include "rich_text_view.h"
#include "text_search.h"
#include "view_commands.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace velmora;

namespace {

struct Figures {
    double median, min, max;
};

Figures timeRuns(int runs, const std::function<void()>& setup, const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        setup();
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.front(), ms.back()};
}

void report(const char* what, const Figures& f)
{
    std::printf("%-58s median %8.3f ms  min %8.3f  max %8.3f\n", what, f.median, f.min, f.max);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString book =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELMORA_SAMPLE_BOOK);
    RichTextView view;
    view.resize(337, 426);
    view.show();
    if (!view.setFileName(book)) {
        std::fprintf(stderr, "%s: the book could not be loaded\n", qPrintable(book));
        return 1;
    }
    app.processEvents();
    const auto noSetup = [] {};

    // The jump: the slowest single number, and the whole list one after another.
    const QStringList& entries = hadithNumbers();
    double worst = 0;
    QString worstEntry;
    for (const QString& entry : entries) {
        const Figures f = timeRuns(3, noSetup, [&] { jumpToHadith(view, entry); });
        if (f.median > worst)
            worst = f.median, worstEntry = entry;
    }
    report(qPrintable(QStringLiteral("jump, slowest number (%1)").arg(worstEntry)),
           timeRuns(15, noSetup, [&] { jumpToHadith(view, worstEntry); }));
    report("jump, all 1,015 entries one after another", timeRuns(10, noSetup, [&] {
               for (const QString& e : entries)
                   jumpToHadith(view, e);
           }));

    // The search step's worst path: absent text, restart answered OK, search from the top.
    const SearchPrompter answerOk = [](SearchPrompt) { return true; };
    report("search step, absent text, OK, search from the top",
           timeRuns(
               21, [&] { view.setSelStart(view.TextLength() / 2); },
               [&] { searchStep(view, QStringLiteral("xzzq"), answerOk); }));
    report("search step, next occurrence of \"i Dërguari\"", timeRuns(21, noSetup, [&] {
               searchStep(view, QStringLiteral("i Dërguari"), answerOk);
           }));

    // The text size: the command itself, then up to the first paint at the new size.
    int size = 10;
    report("text size of the whole book (command)", timeRuns(11, noSetup, [&] {
               applyTextSize(view, QString::number(size++ % 2 ? 14 : 16));
           }));
    report("text size of the whole book, to first paint", timeRuns(11, noSetup, [&] {
               applyTextSize(view, QString::number(size++ % 2 ? 14 : 16));
               view.viewport()->repaint();
           }));

    report("select all then copy, whole book", timeRuns(11, noSetup, [&] {
               selectAll(view);
               copySelection(view);
           }));
    return 0;
}
