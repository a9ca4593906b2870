// A book of pictures: the sample book with a JPEG of 600 by 600 pixels after every so many
// paragraphs, a hundred in all. Prints the resident size once each book is loaded, shown and
// built (the book with pictures and the same book without them, each in a process of its own),
// and the longest paint while the view scrolls through the book from end to end, a page at a
// time.
//
//   bench_pictures --write OUT.rtf        writes the book of pictures
//   bench_pictures BOOK.rtf               loads it, prints VmRSS and the longest page's paint

#include "rich_text_view.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>

using velmora::RichTextView;

namespace {

constexpr int kPictures = 100;
constexpr int kPictureSide = 600;

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// A picture with detail all over, so that it compresses as a photograph does.
QByteArray photograph(int seed)
{
    QImage image(kPictureSide, kPictureSide, QImage::Format_RGB32);
    for (int y = 0; y < kPictureSide; ++y)
        for (int x = 0; x < kPictureSide; ++x)
            image.setPixel(x, y,
                           qRgb((x * 7 + seed * 31) % 256, (y * 5 + x * y / 97) % 256,
                                ((x ^ y) + seed * 13) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 85);
    return bytes;
}

int writeBook(const QString& base, const QString& out)
{
    QFile in(base);
    if (!in.open(QIODevice::ReadOnly))
        return 1;
    QByteArray book = in.readAll();
    // The generator ends each paragraph so.
    const QByteArray end = "\\par\r\n";
    const int paragraphs = int(book.count(end));
    const int every = std::max(paragraphs / (kPictures + 1), 1);
    QByteArray result;
    int seen = 0, pictures = 0;
    for (qsizetype at = 0;;) {
        const qsizetype next = book.indexOf(end, at);
        if (next < 0) {
            result += book.mid(at);
            break;
        }
        result += book.mid(at, next + end.size() - at);
        at = next + end.size();
        if (++seen % every == 0 && pictures < kPictures) {
            result += "{\\pict\\jpegblip\\picw600\\pich600\\picwgoal9000\\pichgoal9000\n" +
                      photograph(pictures++).toHex() + "}" + end;
        }
    }
    QFile file(out);
    if (!file.open(QIODevice::WriteOnly) || file.write(result) != result.size())
        return 1;
    std::printf("%d pictures, %lld bytes\n", pictures, static_cast<long long>(result.size()));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--write"))
        return writeBook(QStringLiteral(VELMORA_SAMPLE_BOOK), args[2]);
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: bench_pictures --write OUT.rtf | BOOK.rtf\n");
        return 2;
    }
    RichTextView view;
    view.resize(1280, 900);
    view.show();
    if (!view.setFileName(args[1]))
        return 1;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000)
        app.processEvents(QEventLoop::AllEvents, 50);
    std::printf("loaded: %.1f MB resident\n", residentKilobytes() / 1024.0);

    QScrollBar* bar = view.verticalScrollBar();
    qint64 longest = 0;
    int pages = 0;
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep(), ++pages) {
        clock.restart();
        bar->setValue(value);
        view.viewport()->repaint();
        app.processEvents();
        longest = std::max(longest, clock.elapsed());
    }
    std::printf("scrolled %d pages: longest page %lld ms, %.1f MB resident after\n", pages,
                static_cast<long long>(longest), residentKilobytes() / 1024.0);
    return 0;
}
