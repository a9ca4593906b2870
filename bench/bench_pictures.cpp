// A book of pictures: the sample book with a JPEG of 600 by 600 pixels after every so many
// paragraphs, a hundred in all. Prints the resident size once each book is loaded, shown and
// built (the book with pictures and the same book without them, each in a process of its own),
// and the longest paint while the view scrolls through the book from end to end, a page at a
// time.
//
// A book of hostile pictures: the same book with a hundred pictures that claim all they can (a
// PNG of 4096 by 4096 pixels, the most that is decoded at full size, bitmaps and a metafile
// claiming far more than they hold, a PNG header claiming 30,000 by 30,000): its peak resident
// size must stay within its file's size and 100 MB of the book without pictures.
//
//   bench_pictures --write OUT.rtf          writes the book of pictures
//   bench_pictures --write-hostile OUT.rtf  writes the book of hostile pictures
//   bench_pictures BOOK.rtf                 loads it, prints VmRSS, VmHWM and the longest
//                                           page's paint

#include "picture_bytes.h"
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

// A line of /proc/self/status in kilobytes: "VmRSS" now, "VmHWM" at its peak.
long statusKilobytes(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').first().toLong();
    return -1;
}

long residentKilobytes()
{
    return statusKilobytes("VmRSS");
}

QByteArray littleEndian(std::initializer_list<quint32> values, int bytes)
{
    QByteArray out;
    for (const quint32 v : values)
        for (int i = 0; i < bytes; ++i)
            out += char(v >> (8 * i) & 0xFF);
    return out;
}

// The hostile pictures, each a \pict group shown 600 pixels square.
QList<QByteArray> hostilePictures()
{
    QImage plain(4096, 4096, QImage::Format_RGB32);
    plain.fill(Qt::darkCyan);
    const QByteArray bigPng = velmora::test::encoded(plain, "PNG", -1);
    plain = QImage();
    const QByteArray claimingPng = velmora::test::hugePng(); // 30,000 pixels square
    const QByteArray dib =
        littleEndian({40, 8000, 8000}, 4) + littleEndian({1, 24}, 2) + QByteArray(24 + 300, '\x40');
    const QByteArray shortRecord =
        littleEndian({1, 9, 0x300}, 2) + littleEndian({13}, 4) + littleEndian({0}, 2) +
        littleEndian({4}, 4) + littleEndian({0}, 2) + littleEndian({4}, 4) +
        littleEndian({0x0F43, 1}, 2) + littleEndian({3}, 4) + littleEndian({0}, 2);
    const QByteArray goal = "\\picwgoal9000\\pichgoal9000\n";
    return {
        "{\\pict\\pngblip" + goal + bigPng.toHex() + "}",
        "{\\pict\\dibitmap0" + goal + dib.toHex() + "}",
        "{\\pict\\wbitmap0\\picw30000\\pich30000\\wbmbitspixel24" + goal + QByteArray(3000, '7') +
            "}",
        "{\\pict\\wmetafile8" + goal + shortRecord.toHex() + "}",
        "{\\pict\\pngblip" + goal + claimingPng.toHex() + "}",
    };
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

int writeBook(const QString& base, const QString& out, bool hostile)
{
    const QList<QByteArray> hostiles = hostile ? hostilePictures() : QList<QByteArray>();
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
            result += hostile
                          ? hostiles[pictures % hostiles.size()]
                          : "{\\pict\\jpegblip\\picw600\\pich600\\picwgoal9000\\pichgoal9000\n" +
                                photograph(pictures).toHex() + "}";
            result += end;
            ++pictures;
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
    if (args.size() == 3 && args[1].startsWith(QLatin1String("--write")))
        return writeBook(QStringLiteral(VELMORA_SAMPLE_BOOK), args[2],
                         args[1] == QLatin1String("--write-hostile"));
    if (args.size() != 2) {
        std::fprintf(
            stderr, "usage: bench_pictures --write OUT.rtf | --write-hostile OUT.rtf | BOOK.rtf\n");
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
    std::printf("scrolled %d pages: longest page %lld ms, %.1f MB resident after, %.1f MB at "
                "the peak\n",
                pages, static_cast<long long>(longest), residentKilobytes() / 1024.0,
                statusKilobytes("VmHWM") / 1024.0);
    return 0;
}
