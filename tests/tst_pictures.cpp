// The compiled-in pictures load through Qt in the sizes, colour depths and grounds the
// windows rely on.

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

} // namespace

class TstPictures : public QObject {
    Q_OBJECT

private slots:
    void iconHoldsSixteenColourImages_data();
    void iconHoldsSixteenColourImages();
    void arrowPointsItsWay_data();
    void arrowPointsItsWay();
    void iconIsSharpWhenScaled_data();
    void iconIsSharpWhenScaled();
    void splashIsAnUprightTrueColourPicture();
    void splashHasADrawingForTwiceTheResolution();
};

void TstPictures::iconHoldsSixteenColourImages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<bool>("transparent");

    // The image shown at 100 % comes first, where a plain image read finds it (the tick's 16
    // pixel one too is hand-set); the others follow for scaled screens.
    const QList<int> first32{32, 16, 48, 64};
    QTest::newRow("the window icon is opaque") << ":/pictures/velmora.ico" << first32 << false;
    QTest::newRow("the exit button shows a 16 pixel picture on a clear ground")
        << ":/pictures/exit.ico" << QList<int>{16, 32, 48, 64} << true;
    QTest::newRow("the About button's computer fills its square")
        << ":/pictures/about.ico" << first32 << false;
    QTest::newRow("the arrow up is drawn on a clear ground")
        << ":/pictures/arrow_up.ico" << first32 << true;
    QTest::newRow("the arrow down is drawn on a clear ground")
        << ":/pictures/arrow_down.ico" << first32 << true;
    QTest::newRow("the binoculars are drawn on a clear ground")
        << ":/pictures/search.ico" << first32 << true;
    QTest::newRow("the two pages are drawn on a clear ground")
        << ":/pictures/copy.ico" << first32 << true;
    QTest::newRow("the tick is drawn on a clear ground")
        << ":/pictures/tick.ico" << first32 << true;
}

void TstPictures::iconHoldsSixteenColourImages()
{
    QFETCH(QString, path);
    QFETCH(QList<int>, sizes);
    QFETCH(bool, transparent);

    // The file itself must be a 4-bit palette icon, not merely look like one once decoded.
    const QByteArray bytes = resourceBytes(path);
    QVERIFY2(bytes.size() >= 6 + 16 * sizes.size(), qPrintable(path));
    QCOMPARE(u16(bytes, 2), quint16(1));
    QCOMPARE(int(u16(bytes, 4)), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        const qsizetype entry = 6 + 16 * i;
        QCOMPARE(int(quint8(bytes[entry])), sizes[i]);
        QCOMPARE(int(u16(bytes, entry + 6)), 4);
        const qsizetype header = u32(bytes, entry + 12);
        QVERIFY(header + 40 <= bytes.size());
        QCOMPARE(int(u16(bytes, header + 14)), 4);
    }

    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), sizes.size());
    for (int i = 0; i < sizes.size(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.size(), QSize(sizes[i], sizes[i]));
        const int colours = distinctOpaqueColours(image);
        QVERIFY2(colours >= 1, "nothing is drawn");
        QVERIFY(colours <= 16);
        if (transparent) {
            const int last = sizes[i] - 1;
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

void TstPictures::iconIsSharpWhenScaled_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("side"); // the picture's size in logical pixels

    for (const char* name :
         {"velmora", "about", "arrow_up", "arrow_down", "search", "copy", "tick"})
        QTest::newRow(name) << QStringLiteral(":/pictures/%1.ico").arg(QLatin1String(name)) << 32;
    QTest::newRow("exit") << ":/pictures/exit.ico" << 16;
}

void TstPictures::iconIsSharpWhenScaled()
{
    QFETCH(QString, path);
    QFETCH(int, side);

    // What the buttons and the window take: a QIcon of the file, asked for the screen's ratio.
    const QIcon icon(path);
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        const QPixmap pixmap = icon.pixmap(QSize(side, side), ratio);
        QCOMPARE(pixmap.size(), QSize(side, side) * ratio);
        QCOMPARE(pixmap.devicePixelRatio(), ratio);
    }

    // The larger images are drawn anew, not the small ones enlarged.
    QImageReader reader(path);
    QMap<int, QImage> bySide;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        bySide.insert(image.width(), image);
    }
    QVERIFY(!pixelDoubled(bySide.value(64)));
    QVERIFY(!pixelDoubled(bySide.value(32)));
    QImage drawn = bySide.value(2 * side).convertToFormat(QImage::Format_ARGB32);
    drawn.setDevicePixelRatio(2.0);
    QCOMPARE(icon.pixmap(QSize(side, side), 2.0).toImage().convertToFormat(QImage::Format_ARGB32),
             drawn);
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

void TstPictures::splashHasADrawingForTwiceTheResolution()
{
    // The "@2x" in the name is what gives the image its device pixel ratio.
    const QImage sharp(":/pictures/splash@2x.bmp");
    QVERIFY(!sharp.isNull());
    QCOMPARE(sharp.size(), QSize(976, 596));
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QCOMPARE(int(u16(resourceBytes(":/pictures/splash@2x.bmp"), 28)), 24);
    QVERIFY(!sharp.hasAlphaChannel());
    QVERIFY(!pixelDoubled(sharp));

    // The same layout: where the small picture's black strip starts, the large one's does.
    const QImage small(":/pictures/splash.bmp");
    int strip = 0;
    while (small.pixelColor(0, strip) != QColor(Qt::black))
        ++strip;
    QCOMPARE(sharp.pixelColor(0, 2 * strip), QColor(Qt::black));
    QVERIFY(sharp.pixelColor(0, 2 * strip - 1) != QColor(Qt::black));
}

} // namespace velmora

// A QGuiApplication: QIcon hands out pixmaps, as the buttons and the window icon take them.
QTEST_MAIN(velmora::TstPictures)
#include "tst_pictures.moc"
