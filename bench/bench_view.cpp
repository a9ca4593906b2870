// Timings of the view Rtf1 on the sample book: loading to the first paint, Find of absent
// texts, SelFontName, SelFontSize on the whole book to the first paint, the longest freeze
// while Qt lays out the rest, and the resident size of a process showing the book.
//
//   bench_view [book.rtf] [--runs N]     the timings, medians of N runs (default 15)
//   bench_view [book.rtf] --rss          only load, show, build to the end, print VmRSS
//   bench_view [book.rtf] --stalls       the longest event-loop stalls at every width and size

#include "rich_text_view.h"
#include "view_stalls.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using velmora::RichTextView;

namespace {

// Larger than the main window's view, so painting is measured on the side of caution.
constexpr int kViewWidth = 1280;
constexpr int kViewHeight = 900;
// Qt finishes laying out the sample book in well under this; the freeze is watched this long.
constexpr qint64 kSettleMs = 2000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double millisecondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Runs the event loop for a while in short slices and returns the longest slice: the longest
// time the window could not react while Qt laid out the document in the background.
double longestFreezeMs()
{
    QElapsedTimer total;
    total.start();
    double longest = 0;
    while (total.elapsed() < kSettleMs) {
        longest = std::max(longest, millisecondsOf([] { QApplication::processEvents(); }));
    }
    return longest;
}

void report(const char* what, const std::vector<double>& values, const char* unit, double scale)
{
    std::printf("%-46s median %9.3f %s  (min %.3f, max %.3f, %zu runs)\n", what,
                median(values) * scale, unit,
                *std::min_element(values.begin(), values.end()) * scale,
                *std::max_element(values.begin(), values.end()) * scale, values.size());
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QString book = QStringLiteral(VELMORA_SAMPLE_BOOK);
    int runs = 15;
    bool rssOnly = false;
    bool stalls = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--rss"))
            rssOnly = true;
        else if (args[i] == QLatin1String("--stalls"))
            stalls = true;
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else
            book = args[i];
    }

    RichTextView view;
    view.resize(kViewWidth, kViewHeight);
    view.show();
    QApplication::processEvents();

    if (stalls)
        return velmora::printStallTable(view, book);

    if (rssOnly) {
        if (!view.setFileName(book)) {
            std::fprintf(stderr, "%s: the book could not be loaded\n", qPrintable(book));
            return 1;
        }
        view.viewport()->repaint();
        longestFreezeMs();
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
        view.viewport()->repaint();
        view.setSelStart(view.TextLength()); // a book still being built is built to its end
        view.viewport()->repaint();
        std::printf("resident size showing %s: %.1f MB\n", qPrintable(book),
                    residentKilobytes() / 1024.0);
        return 0;
    }

    std::vector<double> load;
    std::vector<double> loadFreeze;
    for (int i = 0; i < runs; ++i) {
        bool loaded = false;
        load.push_back(millisecondsOf([&] {
            loaded = view.setFileName(book);
            view.viewport()->repaint();
        }));
        if (!loaded) {
            std::fprintf(stderr, "%s: the book could not be loaded\n", qPrintable(book));
            return 1;
        }
        loadFreeze.push_back(longestFreezeMs());
    }
    std::printf("%s: %d characters\n", qPrintable(book), view.TextLength());
    report("FileName set to first paint", load, "ms", 1);
    report("longest freeze while the rest is laid out", loadFreeze, "ms", 1);

    for (const char* absent : {"ezzq", "xzzq"}) {
        view.setSelStart(0);
        if (view.Find(QString::fromLatin1(absent)) != -1) {
            std::fprintf(stderr, "\"%s\" is in the book\n", absent);
            return 1;
        }
        std::vector<double> find;
        for (int i = 0; i < std::max(runs, 101); ++i)
            find.push_back(millisecondsOf([&] { view.Find(QString::fromLatin1(absent)); }));
        report(qPrintable(QStringLiteral("Find of the absent \"%1\"").arg(absent)), find, "ms", 1);
    }

    // Inside one run: the heading of hadith 500.
    constexpr int kCalls = 1000;
    view.setSelStart(0);
    const int heading = view.Find(QStringLiteral("\r500"));
    view.setSelStart(heading + 1);
    view.setSelLength(3);
    std::vector<double> oneRun;
    for (int i = 0; i < runs; ++i) {
        oneRun.push_back(millisecondsOf([&] {
                             for (int call = 0; call < kCalls; ++call)
                                 (void)view.SelFontName();
                         }) /
                         kCalls);
    }
    report(qPrintable(QStringLiteral("SelFontName inside one run (\"%1\")")
                          .arg(view.SelFontName().value_or(QStringLiteral("(mixed)")))),
           oneRun, "us", 1000);

    view.setSelStart(0);
    view.setSelLength(view.TextLength());
    std::vector<double> wholeBook;
    for (int i = 0; i < runs; ++i)
        wholeBook.push_back(millisecondsOf([&] { (void)view.SelFontName(); }));
    report("SelFontName on the whole book", wholeBook, "us", 1000);

    std::vector<double> resize;
    std::vector<double> resizeFreeze;
    for (int i = 0; i < runs; ++i) {
        view.setSelStart(0);
        view.setSelLength(view.TextLength());
        const QString size = i % 2 ? QStringLiteral("14") : QStringLiteral("20");
        resize.push_back(millisecondsOf([&] {
            view.setSelFontSize(size);
            view.viewport()->repaint();
        }));
        view.setSelStart(0);
        resizeFreeze.push_back(longestFreezeMs());
    }
    report("SelFontSize on the whole book to first paint", resize, "ms", 1);
    report("longest freeze while the rest is laid out", resizeFreeze, "ms", 1);
    return 0;
}
