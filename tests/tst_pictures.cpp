// The compiled-in pictures load through Qt in the sizes, colour depths and grounds the
// windows rely on, drawn for every scale a screen is set to.

#include "picture_drawings.h"
#include "picture_scales.h"

#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QSet>
#include <QtEndian>
#include <QtTest>

namespace velmora {

namespace {

QByteArray resourceBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

quint16 u16(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

int distinctOpaqueColours(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) == 255)
                colours.insert(argb.pixel(x, y) | 0xff000000u);
    return int(colours.size());
}

bool fullyOpaque(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            if (qAlpha(argb.pixel(x, y)) != 255)
                return false;
    return true;
}

int widestOpaqueRow(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int widest = -1;
    int widestCount = 0;
    for (int y = 0; y < argb.height(); ++y) {
        int count = 0;
        for (int x = 0; x < argb.width(); ++x)
            count += qAlpha(argb.pixel(x, y)) == 255;
        if (count > widestCount) {
            widest = y;
            widestCount = count;
        }
    }
    return widest;
}

// True when the image is a smaller one enlarged pixel for pixel: every aligned 2x2 block one
// colour.
bool pixelDoubled(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y + 1 < argb.height(); y += 2)
        for (int x = 0; x + 1 < argb.width(); x += 2) {
            const QRgb corner = argb.pixel(x, y);
            if (argb.pixel(x + 1, y) != corner || argb.pixel(x, y + 1) != corner ||
                argb.pixel(x + 1, y + 1) != corner)
                return false;
        }
    return true;
}

// The scales every picture is drawn for, and the sizes of a 16- and a 32-pixel picture at each.
QList<qreal> scales()
{
    QList<qreal> scales;
    for (const int percent : kScalePercents)
        scales << percent / 100.0;
    return scales;
}

QList<int> iconSides()
{
    QSet<int> sides;
    for (const qreal ratio : scales())
        for (const int side : {16, 32})
            sides.insert(devicePixels(QSize(side, side), ratio).width());
    QList<int> sorted = sides.values();
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

// Every image of an .ico file, by its width.
QMap<int, QImage> imagesBySide(const QString& path)
{
    QImageReader reader(path);
    QMap<int, QImage> bySide;
    for (int i = 0; i < reader.imageCount() && reader.jumpToImage(i); ++i) {
        const QImage image = reader.read();
        bySide.insert(image.width(), image.convertToFormat(QImage::Format_ARGB32));
    }
    return bySide;
}

QImage unscaled(const QPixmap& pixmap)
{
    QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    image.setDevicePixelRatio(1);
    return image;
}

} // namespace

class TstPictures : public QObject {
    Q_OBJECT

private slots:
    void iconHoldsSixteenColourImages_data();
    void iconHoldsSixteenColourImages();
    void arrowPointsItsWay_data();
    void arrowPointsItsWay();
    void everyScaleShowsItsOwnDrawing_data();
    void everyScaleShowsItsOwnDrawing();
    void splashIsAnUprightTrueColourPicture();
    void splashIsDrawnForEveryScale();
    void windowIconGivesTheDrawingsAsked();
};

void TstPictures::iconHoldsSixteenColourImages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("first"); // the image shown at 100 %, where a plain image read finds it
    QTest::addColumn<bool>("transparent");

    QTest::newRow("the window icon is opaque") << ":/pictures/velmora.ico" << 32 << false;
    QTest::newRow("the exit button shows a 16 pixel picture on a clear ground")
        << ":/pictures/exit.ico" << 16 << true;
    QTest::newRow("the About button's computer fills its square")
        << ":/pictures/about.ico" << 32 << false;
    QTest::newRow("the arrow up is drawn on a clear ground")
        << ":/pictures/arrow_up.ico" << 32 << true;
    QTest::newRow("the arrow down is drawn on a clear ground")
        << ":/pictures/arrow_down.ico" << 32 << true;
    QTest::newRow("the binoculars are drawn on a clear ground")
        << ":/pictures/search.ico" << 32 << true;
    QTest::newRow("the two pages are drawn on a clear ground")
        << ":/pictures/copy.ico" << 32 << true;
    QTest::newRow("the tick is drawn on a clear ground") << ":/pictures/tick.ico" << 32 << true;
}

void TstPictures::iconHoldsSixteenColourImages()
{
    QFETCH(QString, path);
    QFETCH(int, first);
    QFETCH(bool, transparent);

    // The file itself must be a 4-bit palette icon, not merely look like one once decoded.
    const QList<int> drawnSides = iconSides();
    const QByteArray bytes = resourceBytes(path);
    QVERIFY2(bytes.size() >= 6 + 16 * drawnSides.size(), qPrintable(path));
    QCOMPARE(u16(bytes, 2), quint16(1));
    QCOMPARE(int(u16(bytes, 4)), drawnSides.size());
    QCOMPARE(int(quint8(bytes[6])), first);
    QList<int> sides;
    for (int i = 0; i < drawnSides.size(); ++i) {
        const qsizetype entry = 6 + 16 * i;
        sides << quint8(bytes[entry]);
        QCOMPARE(int(u16(bytes, entry + 6)), 4);
        const qsizetype header = u32(bytes, entry + 12);
        QVERIFY(header + 40 <= bytes.size());
        QCOMPARE(int(u16(bytes, header + 14)), 4);
    }
    std::sort(sides.begin(), sides.end());
    QCOMPARE(sides, drawnSides);

    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), drawnSides.size());
    for (int i = 0; i < drawnSides.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        const int colours = distinctOpaqueColours(image);
        QVERIFY2(colours >= 1, "nothing is drawn");
        QVERIFY(colours <= 16);
        if (transparent) {
            const int last = image.width() - 1;
            for (const QPoint corner :
                 {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last)})
                QCOMPARE(image.pixelColor(corner).alpha(), 0);
        } else {
            QVERIFY(fullyOpaque(image));
        }
    }
}

void TstPictures::arrowPointsItsWay_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("headAtTop");

    QTest::newRow("the start button's arrow has its head at the top")
        << ":/pictures/arrow_up.ico" << true;
    QTest::newRow("the end button's arrow has its head at the bottom")
        << ":/pictures/arrow_down.ico" << false;
}

void TstPictures::arrowPointsItsWay()
{
    QFETCH(QString, path);
    QFETCH(bool, headAtTop);

    // The widest row of an arrow is the base of its head.
    const QImage image(path);
    QVERIFY(!image.isNull());
    const int widest = widestOpaqueRow(image);
    QVERIFY(widest >= 0);
    QCOMPARE(widest < image.height() / 2, headAtTop);
}

void TstPictures::everyScaleShowsItsOwnDrawing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("side"); // the picture's size in logical pixels

    for (const char* name : {"about", "arrow_up", "arrow_down", "search", "copy", "tick"})
        QTest::newRow(name) << QStringLiteral(":/pictures/%1.ico").arg(QLatin1String(name)) << 32;
    QTest::newRow("exit") << ":/pictures/exit.ico" << 16;
}

void TstPictures::everyScaleShowsItsOwnDrawing()
{
    QFETCH(QString, path);
    QFETCH(int, side);

    const QMap<int, QImage> bySide = imagesBySide(path);
    // What a button shows on a screen of each scale is the image drawn for its device pixels,
    // unchanged: not the next larger one shrunk (QIcon's choice at 125 %), nor a smaller grown.
    PictureDrawings drawings = PictureDrawings::fromIcon(path);
    for (const qreal ratio : scales()) {
        const int device = devicePixels(QSize(side, side), ratio).width();
        QVERIFY2(bySide.contains(device), qPrintable(QString::number(ratio)));
        const QPixmap shown = drawings.pixmap(QSize(side, side), ratio);
        QCOMPARE(shown.devicePixelRatio(), ratio);
        QImage expected = bySide.value(device);
        expected.setDevicePixelRatio(ratio);
        QCOMPARE(shown.toImage().convertToFormat(QImage::Format_ARGB32), expected);
    }
    // The larger images are drawn anew, not the small ones enlarged.
    QVERIFY(!pixelDoubled(bySide.value(64)));
    QVERIFY(!pixelDoubled(bySide.value(32)));
    // A scale no drawing was made for still gets the picture, shrunk from a larger drawing.
    QCOMPARE(drawings.pixmap(QSize(side, side), 3.0).size(), QSize(side, side) * 3);
}

void TstPictures::splashIsAnUprightTrueColourPicture()
{
    const QByteArray bytes = resourceBytes(":/pictures/splash.bmp");
    QVERIFY(bytes.size() >= 54);
    QCOMPARE(bytes.left(2), QByteArray("BM"));
    QCOMPARE(int(u16(bytes, 28)), 24);
    QCOMPARE(u32(bytes, 30), 0u); // uncompressed

    const QImage image(":/pictures/splash.bmp");
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(488, 298));
    QVERIFY(!image.hasAlphaChannel());
    // White field at the top, black strip at the bottom: the rows are not stored upside down.
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(image.pixelColor(0, image.height() - 2), QColor(Qt::black));
}

void TstPictures::splashIsDrawnForEveryScale()
{
    const QImage small(":/pictures/splash.bmp");
    int strip = 0;
    while (small.pixelColor(0, strip) != QColor(Qt::black))
        ++strip;
    for (const qreal ratio : scales().mid(1)) {
        const QString path = QStringLiteral(":/pictures/splash@%1x.png").arg(ratio);
        const QImage sharp(path);
        QVERIFY2(!sharp.isNull(), qPrintable(path));
        // Whole device pixels covering the window at that scale, one past it as at 100 %.
        QCOMPARE(sharp.size(), devicePixels(QSize(488, 298), ratio));
        QVERIFY(!sharp.hasAlphaChannel());
        QVERIFY(!pixelDoubled(sharp));
        // The same layout: the black strip starts where the small picture's does.
        const int top = qRound(strip * ratio);
        QCOMPARE(sharp.pixelColor(0, top), QColor(Qt::black));
        QVERIFY(sharp.pixelColor(0, top - 1) != QColor(Qt::black));
    }
}

// Run at each scale (ctest sets QT_SCALE_FACTOR, or Windows' dots per inch).
void TstPictures::windowIconGivesTheDrawingsAsked()
{
    const QString path = QStringLiteral(":/pictures/velmora.ico");
    const QMap<int, QImage> bySide = imagesBySide(path);
    const QIcon icon = PictureDrawings::fromIcon(path).toWindowIcon();
    const qreal ratio = qApp->devicePixelRatio();
    // X11 takes each size the icon offers, at the scale: all of them drawings, the 16- and the
    // 32-pixel icon for the scale among them.
    QSet<int> given;
    for (const QSize offered : icon.availableSizes()) {
        const QImage image = unscaled(icon.pixmap(offered));
        QVERIFY2(bySide.contains(image.width()), qPrintable(QString::number(image.width())));
        QCOMPARE(image, bySide.value(image.width()));
        given.insert(image.width());
    }
    // Windows names its small and large icon in its own device pixels, and takes the pixmap of
    // the size the icon answers at a ratio of one.
    for (const int side : {16, 32}) {
        const QSize device = devicePixels(QSize(side, side), ratio);
        QVERIFY2(given.contains(device.width()), qPrintable(QString::number(device.width())));
        const QPixmap shown = icon.pixmap(icon.actualSize(device), 1);
        QCOMPARE(shown.size(), device);
        QCOMPARE(unscaled(shown), bySide.value(device.width()));
    }
}

} // namespace velmora

// A QGuiApplication: the pictures are handed out as pixmaps, as the buttons take them.
QTEST_MAIN(velmora::TstPictures)
#include "tst_pictures.moc"
