// Pictures in the book: what the parser makes of each kind and of hostile ones, and a book with
// a PNG, a JPEG written twice (\shppict beside a metafile in \nonshppict) and a metafile that
// only draws a bitmap, as WordPad writes it: each drawn where and as large as the file says, at
// the screen's scale (the test also runs at 150 %), passed over by the search and the copy, and
// left at its size by a text-size change.

#include "metafile_player.h"
#include "picture_bytes.h"
#include "picture_formats.h"
#include "picture_object.h"
#include "rich_text_view.h"
#include "rtf/parse_rtf.h"
#include "rtf/pictures.h"
#include "test_books.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QScrollBar>
#include <QTextBlock>
#include <QtEndian>
#include <QtTest>

namespace velmora {

namespace {

using namespace test;

// The bounding box of the pixels close to colour, or an empty rectangle. The frame's grey is
// matched exactly, since the letters' edges are grey too.
QRect boxOf(const QImage& shot, QColor color)
{
    const int near = color == QColor(Qt::gray) ? 1 : 40;
    QRect box;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (std::abs(c.red() - color.red()) < near &&
                std::abs(c.green() - color.green()) < near &&
                std::abs(c.blue() - color.blue()) < near)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

// The book: "Para" and a PNG of 120 by 80 pixels (its source twice as fine), a JPEG of 100 by
// 50 given twice, "mes" and a bitmap metafile of 60 by 40 (a goal scaled by 150 %), "pas", and
// a PNG too large to decode, of 40 by 20.
QByteArray threePictureBook()
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 Para\\par ";
    rtf += pict("\\pngblip\\picw240\\pich160\\picwgoal1800\\pichgoal1200",
                encoded(filled(240, 160, kRed), "PNG"));
    rtf += "\\par {\\*\\shppict" +
           pict("\\jpegblip\\picwgoal1500\\pichgoal750", encoded(filled(100, 50, kBlue), "JPG")) +
           "}{\\nonshppict" + pict("\\wmetafile8\\picwgoal1500\\pichgoal750", drawingMetafile()) +
           "}\\par mes ";
    rtf +=
        pict("\\wmetafile8\\picw60\\pich40\\picwgoal600\\pichgoal400\\picscalex150\\picscaley150",
             bitmapMetafile(30, 20, kGreen));
    rtf += " pas\\par " + pict("\\pngblip\\picwgoal600\\pichgoal300", hugePng());
    return rtf + "\\par}";
}

} // namespace

class TestBookPictures : public QObject {
    Q_OBJECT
private slots:
    void parsedPictures_data();
    void parsedPictures();
    void picturesDecodeOrFrame_data();
    void picturesDecodeOrFrame();
    void drawnWhereAndAsLargeAsTheFileSays();
    void metafileIsPlayedOrFramed();
    void largePictureIsDecodedAside();
    void searchAndCopyPassOverAPicture();
    void textSizeLeavesPicturesAtTheirSize();
};

void TestBookPictures::parsedPictures_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bytes");
    using Kind = rtf::Picture::Kind;
    const auto row = [](const char* name, const QByteArray& body, const QString& text, Kind kind,
                        int width, int height, int bytes) {
        QTest::newRow(name) << QByteArray("{\\rtf1 " + body + "}") << text << int(kind) << width
                            << height << bytes;
    };
    const QString one = QStringLiteral(u"a\uFFFCb");
    row("a goal scaled", "a{\\pict\\pngblip\\picwgoal1800\\pichgoal900\\picscalex150 0102}b", one,
        Kind::Png, 2700, 900, 2);
    row("no goal: a bitmap's pixels", "a{\\pict\\dibitmap0\\picw8\\pich4 00}b", one, Kind::Dib, 120,
        60, 1);
    row("no goal: a metafile's hundredths of a millimetre",
        "a{\\pict\\wmetafile8\\picw2540\\pich1270 00}b", one, Kind::Wmf, 1440, 720, 1);
    row("binary data read as hex is", "a{\\pict\\jpegblip\\picwgoal15\\pichgoal15\\bin3 {}\\}b",
        one, Kind::Jpeg, 15, 15, 3);
    row("odd hex drops its last digit", "a{\\pict\\pngblip 0a0b0}b", one, Kind::Png, 0, 0, 2);
    row("odd hex at the group's end", "a{\\pict\\pngblip 0a0", QStringLiteral(u"a\uFFFC"),
        Kind::Png, 0, 0, 1);
    row("a file that ends inside a picture", "a{\\pict\\pngblip 0a0b{", QStringLiteral("a"),
        Kind::Png, -1, -1, -1);
    row("a width of nothing and bytes", "a{\\pict\\picw0\\pich0\\pngblip 00}b", one, Kind::Png, 0,
        0, 1);
    row("a size beyond any page is clamped",
        "a{\\pict\\emfblip\\picwgoal1000000000\\pichgoal2000000000 00}b", one, Kind::Emf,
        rtf::kMaxPictureTwips, rtf::kMaxPictureTwips, 1);
    row("a scale beyond reason is clamped",
        "a{\\pict\\pngblip\\picwgoal100\\pichgoal100\\picscalex100000\\picscaley0 00}b", one,
        Kind::Png, 10000, rtf::kMinPictureTwips, 1);
    row("a picture inside a picture is not read",
        "a{\\pict\\pngblip\\picwgoal30\\pichgoal30 01{\\pict\\jpegblip 0203}04}b", one, Kind::Png,
        30, 30, 2);
    row("binary data running past the end", "a{\\pict\\pngblip\\bin1000 xy", QStringLiteral("a"),
        Kind::Png, -1, -1, -1);
    row("an empty picture is nothing", "a{\\pict}b", QStringLiteral("ab"), Kind::Unknown, -1, -1,
        -1);
    row("hidden, a picture is not shown", "a{\\v{\\pict\\pngblip 00}}b", QStringLiteral("ab"),
        Kind::Unknown, -1, -1, -1);
    row("a nonshppict alone is shown", "a{\\nonshppict{\\pict\\wmetafile8 00}}b", one, Kind::Wmf, 0,
        0, 1);
    row("pmmetafile and macpict are kept as frames",
        "a{\\pict\\macpict\\picwgoal20\\pichgoal20 00}b", one, Kind::MacPict, 20, 20, 1);
}

void TestBookPictures::parsedPictures()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bytes);
    const rtf::ParseResult result = rtf::parseRtf(std::string_view(rtf.data(), rtf.size()));
    const rtf::Model& model = result.model;
    QCOMPARE(QString::fromStdU16String(model.text), text);
    if (bytes < 0) {
        QVERIFY(model.pictures.empty());
        return;
    }
    QCOMPARE(model.pictures.size(), std::size_t(1));
    const rtf::Picture& picture = model.pictures.front();
    QCOMPARE(model.text[std::size_t(picture.position)], rtf::Model::kObject);
    QCOMPARE(int(picture.kind), kind);
    QCOMPARE(picture.width, width);
    QCOMPARE(picture.height, height);
    QCOMPARE(int(picture.data.size()), bytes);
}

void TestBookPictures::picturesDecodeOrFrame_data()
{
    QTest::addColumn<QByteArray>("words");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QSize>("size"); // empty: a frame
    const QByteArray wmf = "\\wmetafile8";
    QByteArray greenRows;
    for (int row = 0; row < 2; ++row)
        greenRows += QByteArray::fromHex("14c814").repeated(4);
    QTest::newRow("a DIB") << QByteArray("\\dibitmap0") << dibOf(5, 3, kGreen) << QSize(5, 3);
    QTest::newRow("a device bitmap of 24 bits")
        << QByteArray("\\wbitmap0\\picw4\\pich2\\picwbpl12\\wbmbitspixel24") << greenRows
        << QSize(4, 2);
    QTest::newRow("a metafile drawing one bitmap")
        << wmf << bitmapMetafile(7, 2, kGreen) << QSize(7, 2);
    QTest::newRow("a metafile drawing a rectangle") << wmf << drawingMetafile() << QSize();
    QTest::newRow("a metafile drawing two bitmaps")
        << wmf << metafileOf(bitmapMetafile(3, 3, kRed).mid(18).chopped(6).repeated(2)) << QSize();
    QTest::newRow("a metafile cut short")
        << wmf << bitmapMetafile(7, 2, kGreen).left(60) << QSize();
    // Damaged as a download cut short or a bad disk leaves them.
    QTest::newRow("a StretchDIBits record shorter than its fixed fields")
        << wmf << metafileOf(record(0x0F43, words({1}))) << QSize();
    QTest::newRow("a metafile record longer than the metafile")
        << wmf << metafileOf(record(0x0F43, words({1})).replace(0, 4, "\xff\xff\xff\x7f"))
        << QSize();
    QByteArray hugeDib = dibOf(2, 2, kRed);
    hugeDib.replace(4, 8, QByteArray("\xa0\x86\x01\x00\xa0\x86\x01\x00", 8)); // 100,000 square
    QTest::newRow("a DIB claiming 100,000 pixels square")
        << QByteArray("\\dibitmap0") << hugeDib << QSize();
    QTest::newRow("a device bitmap claiming more rows than it holds")
        << QByteArray("\\wbitmap0\\picw100000\\pich100000\\wbmbitspixel24") << greenRows << QSize();
    QTest::newRow("a PNG cut short")
        << QByteArray("\\pngblip") << encoded(filled(40, 40, kRed), "PNG").left(40) << QSize();
    QByteArray textClaimingTwoGigabytes = encoded(filled(4, 4, kGreen), "PNG", -1);
    textClaimingTwoGigabytes.insert(33, QByteArray::fromHex("7c000000") + "tEXt" + "Comment");
    QTest::newRow("a PNG whose text chunk claims 2 GB")
        << QByteArray("\\pngblip") << textClaimingTwoGigabytes << QSize();
    QTest::newRow("an EMF cut short")
        << QByteArray("\\emfblip") << QByteArray::fromHex("010000006c000000ffffffff") << QSize();
}

// Each picture read as the book reads it, from the file through the form it is kept in to its
// pixels: a bitmap of its own size, or a frame where it does not hold up.
void TestBookPictures::picturesDecodeOrFrame()
{
    QFETCH(QByteArray, words);
    QFETCH(QByteArray, data);
    QFETCH(QSize, size);
    const QByteArray rtf = "{\\rtf1 " + pict(words, data) + "}";
    rtf::Model model = rtf::parseRtf(std::string_view(rtf.data(), rtf.size())).model;
    QCOMPARE(model.pictures.size(), std::size_t(1));
    const bool metafile = words.contains("metafile") || words.contains("emf");
    const BookPicture kept = keepPictures(model.pictures).front();
    const QImage image = decodePicture(kept, QSize(10, 10));
    if (size.isEmpty() && metafile && playsMetafiles()) { // the system plays what it can
        QCOMPARE(kept.form, BookPicture::Form::Metafile);
        return;
    }
    if (size.isEmpty()) {
        QVERIFY(image.isNull());
        // Never handed to a decoder that would take the memory its chunk claims.
        if (QByteArray(QTest::currentDataTag()).contains("claims 2 GB"))
            QCOMPARE(kept.form, BookPicture::Form::Frame);
        QVERIFY(!metafile || kept.bytes.isEmpty()); // nothing kept that nothing can draw
        return;
    }
    QCOMPARE(kept.pixels, size);
    QCOMPARE(image.size(), QSize(10, 10));
    QCOMPARE(image.pixelColor(9, 0), kGreen);
}

void TestBookPictures::drawnWhereAndAsLargeAsTheFileSays()
{
    RichTextView view;
    view.resize(500, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(test::loadRtf(view, threePictureBook()));
    QCOMPARE(view.Text(), QStringLiteral(u"Para\r\uFFFC\r\uFFFC\rmes \uFFFC pas\r\uFFFC\r"));

    const QImage shot = view.viewport()->grab().toImage();
    const double ratio = shot.devicePixelRatio();
    // What differs between where and how large the picture of that colour is drawn and where
    // and how large it should be; "" when nothing does.
    const auto mismatch = [&](QColor color, int position, QSize logical, QRect& box) {
        box = boxOf(shot, color);
        const QSize expected(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
        QTextCursor at(view.document());
        at.setPosition(position);
        const double left = view.cursorRect(at).left() * ratio;
        // Whole device pixels: exactly the picture's size at the scale, every edge there.
        if (box.size() == expected && std::abs(box.left() - left) <= 2)
            return QString();
        return QStringLiteral("%1: %2,%3 %4x%5 where %6 and %7x%8 are expected")
            .arg(color.name())
            .arg(box.left())
            .arg(box.top())
            .arg(box.width())
            .arg(box.height())
            .arg(left)
            .arg(expected.width())
            .arg(expected.height());
    };
    QRect png, jpeg, bitmap, frame;
    for (const QString& fault :
         {mismatch(kRed, 5, QSize(120, 80), png), mismatch(kBlue, 7, QSize(100, 50), jpeg),
          mismatch(kGreen, 13, QSize(60, 40), bitmap),
          mismatch(QColor(Qt::gray), 19, QSize(40, 20), frame)})
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
    // One below the other, each on its line, the bitmap after "mes".
    QVERIFY(png.bottom() < jpeg.top() && jpeg.bottom() < bitmap.top());
    QVERIFY(bitmap.left() > png.left() + 10 * ratio);
    // The PNG that would not decode is an empty frame: its inside is the page's.
    QCOMPARE(shot.pixelColor(frame.center()),
             shot.pixelColor(frame.right() + 10, frame.center().y()));
}

// A metafile that draws a rectangle: Windows plays it; elsewhere no player exists, and it is an
// empty frame of its size.
void TestBookPictures::metafileIsPlayedOrFramed()
{
    RichTextView view;
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(test::loadRtf(
        view,
        "{\\rtf1 " + pict("\\wmetafile8\\picwgoal1500\\pichgoal1500", drawingMetafile()) + "}"));
    view.clearFocus(); // the caret would stand on the picture's left edge
    const QImage shot = view.viewport()->grab().toImage();
    const double ratio = shot.devicePixelRatio();
    // The book holds nothing but the picture: the rectangle's lines are the only dark pixels.
    int dark = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            dark += qGray(shot.pixel(x, y)) < 96;
    const QRect frame = boxOf(shot, Qt::gray);
    if (QSysInfo::productType() == QLatin1String("windows")) {
        QVERIFY2(dark > 100, qPrintable(QString::number(dark)));
    } else {
        QCOMPARE(dark, 0);
        QVERIFY2(std::abs(frame.width() - 100 * ratio) <= 1,
                 qPrintable(QString::number(frame.width())));
    }
}

// A picture whose decoding would hold the window is decoded aside: the first paint does not wait
// for it, and it is drawn, its size, once it is in.
void TestBookPictures::largePictureIsDecodedAside()
{
    RichTextView view;
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(test::loadRtf(view, "{\\rtf1 " +
                                    pict("\\pngblip\\picwgoal1500\\pichgoal750",
                                         encoded(filled(2048, 1024, kRed), "PNG", -1)) +
                                    "}"));
    auto* pictures = dynamic_cast<PictureObject*>(
        view.document()->documentLayout()->handlerForObject(PictureObject::kPictureObject));
    QVERIFY(pictures);
    view.clearFocus(); // the caret would stand on the picture's left edge
    QVERIFY(boxOf(view.viewport()->grab().toImage(), kRed).isEmpty());
    QVERIFY(pictures->isDecoding());
    QTRY_VERIFY(!pictures->isDecoding());
    const QImage shot = view.viewport()->grab().toImage();
    const double ratio = shot.devicePixelRatio();
    QCOMPARE(boxOf(shot, kRed).size(), QSize(qRound(100 * ratio), qRound(50 * ratio)));
}

void TestBookPictures::searchAndCopyPassOverAPicture()
{
    RichTextView view;
    QVERIFY(test::loadRtf(view, threePictureBook()));
    QCOMPARE(view.Find(QStringLiteral("pas")), 15);
    QCOMPARE(view.Find(QStringLiteral("mes  pas")), -1); // a picture is no space
    view.setSelStart(9);
    view.setSelLength(9);
    view.copy();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("mes  pas"));
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QVERIFY(copied && copied->hasHtml() && copied->html().contains(QStringLiteral("pas")));
    QVERIFY(!copied->html().contains(QChar(rtf::Model::kObject)));
}

void TestBookPictures::textSizeLeavesPicturesAtTheirSize()
{
    QByteArray rtf = threePictureBook();
    rtf.chop(1);
    for (int i = 0; i < 200; ++i)
        rtf += "\\par fjala e radhes " + QByteArray::number(i);
    rtf += "}";
    RichTextView view;
    view.resize(500, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(test::loadRtf(view, rtf));
    const auto blockHeight = [&](int position) {
        return view.document()
            ->documentLayout()
            ->blockBoundingRect(view.document()->findBlock(position))
            .height();
    };
    const double before = blockHeight(5);
    // The picture's 80 pixels and the depth of 12-point letters below their baseline.
    QVERIFY2(before >= 82 && before < 90, qPrintable(QString::number(before)));
    view.setSelStart(0);
    view.setSelLength(view.TextLength());
    view.setSelFontSize(QStringLiteral("36"));
    // The pictures keep their size: their lines grow only by the letters' larger depth, and
    // the bitmap's 40 pixels stand no taller than 36-point letters beside it.
    const double after = blockHeight(5);
    QVERIFY2(after > before && after < 80 + 14, qPrintable(QString::number(after)));
    QCOMPARE(blockHeight(13), blockHeight(view.Find(QStringLiteral("radhes 0"), 0)));

    // The reader reads far below the pictures; their paragraphs laid out again, whatever asks
    // for them, leave the reader's line where it is.
    const int reading = view.Find(QStringLiteral("radhes 100"), 0);
    QVERIFY(reading > 0);
    QTextCursor at(view.document());
    at.setPosition(reading);
    QTest::qWait(50);
    const QRect shown = view.cursorRect(at);
    QVERIFY(view.viewport()->rect().contains(shown.center()));
    QVERIFY(view.verticalScrollBar()->value() > 400);
    for (const int position : {5, 7, 13})
        view.document()->documentLayout()->blockBoundingRect(view.document()->findBlock(position));
    QTest::qWait(50);
    QCOMPARE(view.cursorRect(at), shown);
}

} // namespace velmora

QTEST_MAIN(velmora::TestBookPictures)
#include "tst_book_pictures.moc"
