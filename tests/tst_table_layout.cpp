// Table rows as word processors draw them: cells side by side at their widths, text wrapping in
// its cell, borders and shading on whole device pixels, merged cells, a table shrinking to the
// view; the text, positions, search and copy as they are for any paragraph; hostile rows.

#include "rich_text_view.h"

#include "test_books.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextDocument>
#include <QtTest>
#include <memory>

using velmora::RichTextView;

namespace {

const QByteArray kHead = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
                         "{\\colortbl;\\red0\\green0\\blue0;\\red200\\green220\\blue255;}\\fs24 ";
// Single borders of one pixel on every side of every cell.
const QByteArray kBorders = "\\clbrdrt\\brdrs\\brdrw15\\clbrdrl\\brdrs\\brdrw15"
                            "\\clbrdrb\\brdrs\\brdrw15\\clbrdrr\\brdrs\\brdrw15";

// A row of cells at cellx 2000, 4000, ... (Word's gap of 108 twips), each given its text.
QByteArray row(const QStringList& cells, const QByteArray& cellWords = kBorders,
               const QByteArray& rowWords = {})
{
    QByteArray rtf = "\\trowd\\trgaph108\\trleft-108" + rowWords;
    for (int i = 0; i < cells.size(); ++i)
        rtf += cellWords + "\\cellx" + QByteArray::number(2000 * (i + 1));
    rtf += "\\pard\\intbl ";
    for (const QString& cell : cells)
        rtf += cell.toLatin1() + "\\cell ";
    return rtf + "\\row ";
}

void show(RichTextView& view, const QByteArray& body, QSize size = QSize(640, 480))
{
    view.resize(size);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(velmora::test::loadRtf(view, kHead + body + "}"));
}

QRect caretAt(const RichTextView& view, int position)
{
    QTextCursor cursor(view.document());
    cursor.setPosition(position);
    return view.cursorRect(cursor);
}

// Where the text's left edge is in the viewport.
double textLeft(const RichTextView& view)
{
    return view.document()->documentMargin();
}

// Where an edge of a cell of the rows above stands in the viewport, in twips from the margin.
// Word's rows reach into the margin by their gap; the view's margin is narrower, and the
// table moves in until its border stands a pixel inside the view.
double edgeAt(const RichTextView& view, int twips)
{
    const double margin = textLeft(view);
    return margin + std::max(-108 / 15.0, 1 - margin) + (twips + 108) / 15.0;
}

} // namespace

class TestTableLayout : public QObject {
    Q_OBJECT

private slots:
    void cellsStandSideBySideAtTheirWidths();
    void longCellWrapsInItsColumnAndSetsTheRowsHeight();
    void cellsKeepTheirOwnAlignment();
    void wideTableShrinksToTheView();
    void nestedRowStandsInItsCell();
    void sizeChangeLeavesTheColumns();
    void pointsAndPositionsAgreeInCells();
    void searchHitAndCopyInACell();
    void bordersShadingAndMergesOnWholePixels();
    void hostileRowsNeverBreakTheView_data();
    void hostileRowsNeverBreakTheView();
};

void TestTableLayout::cellsStandSideBySideAtTheirWidths()
{
    RichTextView view;
    show(view, row({"one", "two", "three"}) + "\\pard after\\par");
    QCOMPARE(view.Text(), QStringLiteral("one\ttwo\tthree\rafter\r"));
    const QRect one = caretAt(view, 0);
    const QRect two = caretAt(view, 4);
    const QRect three = caretAt(view, 8);
    QCOMPARE(two.top(), one.top());
    QCOMPARE(three.top(), one.top());
    // Each cell's text starts at its left edge and the gap.
    QVERIFY(std::abs(one.left() - edgeAt(view, 0)) <= 1);
    QVERIFY(std::abs(two.left() - edgeAt(view, 2108)) <= 1);
    QVERIFY(std::abs(three.left() - edgeAt(view, 4108)) <= 1);
    QVERIFY(caretAt(view, 14).top() >= one.bottom());
}

void TestTableLayout::longCellWrapsInItsColumnAndSetsTheRowsHeight()
{
    RichTextView view;
    const QString longText = "a long cell whose words wrap inside its own column of two thousand "
                             "twips as in every word processor";
    show(view, row({"short", longText}) + row({"x", "y"}) + "\\pard after\\par");
    const int start = 6;
    const int end = start + int(longText.size()) - 1;
    const QRect first = caretAt(view, start);
    const QRect last = caretAt(view, end);
    QVERIFY(last.top() > first.top() + 2 * first.height()); // several lines
    const double cellRight = edgeAt(view, 4000 - 108);
    QVERIFY(last.right() <= cellRight + 1);
    QVERIFY(caretAt(view, end + 2).top() > last.bottom()); // the next row starts below it
}

void TestTableLayout::cellsKeepTheirOwnAlignment()
{
    RichTextView view;
    show(view, "\\trowd\\trgaph108\\trleft-108\\cellx2000\\cellx4000\\cellx6000"
               "\\pard\\intbl\\ql left\\cell\\pard\\intbl\\qc mid\\cell\\pard\\intbl\\qr right"
               "\\cell\\row\\pard after\\par");
    QVERIFY(std::abs(caretAt(view, 0).left() - edgeAt(view, 0)) <= 1);
    const double midMiddle = (caretAt(view, 5).left() + caretAt(view, 8).left()) / 2.0;
    QVERIFY(std::abs(midMiddle - edgeAt(view, 3000)) <= 2);
    QVERIFY(std::abs(caretAt(view, 14).left() - edgeAt(view, 6000 - 108)) <= 2);

    // A justified paragraph of its own in a cell fills its lines to the cell's edge.
    RichTextView justified;
    show(justified,
         "\\trowd\\trgaph108\\trleft-108\\cellx3000\\pard\\intbl\\qj aa "
         "aaaaaaaaaaaaaaaaaaaa bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb c\\par end\\cell\\row");
    // The first line ends after the twenty a's, at the edge; the space after them hangs.
    QVERIFY(std::abs(caretAt(justified, 23).left() - edgeAt(justified, 3000 - 108)) <= 2);
}

void TestTableLayout::wideTableShrinksToTheView()
{
    RichTextView view;
    show(view, row({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"}), QSize(300, 300));
    const int width = view.viewport()->width();
    const int first = caretAt(view, 0).left();
    const int second = caretAt(view, 2).left();
    const int third = caretAt(view, 4).left();
    const int last = caretAt(view, 22).left();
    QVERIFY(last < width); // nothing cut off
    QVERIFY(first >= 0);
    // In proportion: ten equal steps from the second cell to the last (the first reaches into
    // the margin by the gap).
    QVERIFY(std::abs((last - second) / 10.0 - (third - second)) <= 1.5);
    QCOMPARE(view.horizontalScrollBar()->maximum(), 0);
}

void TestTableLayout::nestedRowStandsInItsCell()
{
    RichTextView view;
    // Word's nesting: the inner row's cells end in \nestcell, its definition in \nesttableprops.
    show(view, "\\trowd\\trgaph108\\trleft-108\\cellx2500\\cellx6000\\pard\\intbl outer\\cell"
               "\\pard\\intbl\\itap2 in1\\nestcell in2\\nestcell{\\*\\nesttableprops\\trowd"
               "\\trgaph108\\cellx1000\\cellx2000\\nestrow}\\pard\\intbl\\itap1 below\\cell"
               "\\row\\pard after\\par");
    QCOMPARE(view.Text(), QStringLiteral("outer\tin1\tin2\rbelow\rafter\r"));
    const QRect outer = caretAt(view, 0);
    const QRect in1 = caretAt(view, 6);
    const QRect in2 = caretAt(view, 10);
    const QRect below = caretAt(view, 14);
    QCOMPARE(in1.top(), outer.top());
    QCOMPARE(in2.top(), in1.top());
    // The inner cells stand side by side within the outer cell, 1000 twips apart.
    QVERIFY(in1.left() >= edgeAt(view, 2500));
    QVERIFY(std::abs(in2.left() - in1.left() - 1000 / 15.0) <= 1);
    QVERIFY(below.top() >= in1.bottom());
    QVERIFY(std::abs(below.left() - edgeAt(view, 2608)) <= 1);
}

void TestTableLayout::sizeChangeLeavesTheColumns()
{
    RichTextView view;
    show(view, row({"one", "two", "three"}));
    const int before = caretAt(view, 4).left();
    view.setSelStart(0);
    view.setSelLength(view.TextLength());
    view.setSelFontSize("20");
    QVERIFY(std::abs(caretAt(view, 4).left() - before) <= 1);
    QVERIFY(caretAt(view, 4).height() > caretAt(view, 4).width()); // the new size is shown
}

void TestTableLayout::pointsAndPositionsAgreeInCells()
{
    RichTextView view;
    show(view,
         row({"first cell words", "second cell with more words to wrap in it", "x"}) +
             row({"lower", "row"}) + "\\pard after\\par",
         QSize(400, 400));
    for (int position = 0; position < view.TextLength(); ++position) {
        const QChar c = view.Text().at(position);
        if (c == u'\t' || c == u'\r' || c == u' ')
            continue;
        view.setSelStart(position);
        QCOMPARE(view.cursorForPosition(view.cursorRect().center()).position(), position);
    }
}

void TestTableLayout::searchHitAndCopyInACell()
{
    RichTextView view;
    show(view, "\\pard before\\par " + row({"alpha", "beta gamma"}) + row({"delta", "omega"}) +
                   "\\pard after\\par");
    const int hit = view.Find("gamma");
    QCOMPARE(hit, view.Text().indexOf("gamma"));
    // The highlight stands over the word in its cell, where the caret places it.
    const QImage shot = view.viewport()->grab().toImage();
    const QRect word = caretAt(view, hit).united(caretAt(view, hit + 5));
    const QColor highlight = view.palette().color(QPalette::Highlight);
    const qreal ratio = shot.devicePixelRatio();
    QCOMPARE(
        shot.pixelColor(QPoint(int(word.center().x() * ratio), int(word.center().y() * ratio)))
                    .rgb() == highlight.rgb() ||
            shot.pixelColor(QPoint(int((word.left() + 2) * ratio), int(word.center().y() * ratio)))
                    .rgb() == highlight.rgb(),
        true);

    // The copy: the same plain text as ever, and the rows as a table in the rich formats.
    view.setSelStart(view.Text().indexOf("alpha"));
    view.setSelLength(view.Text().indexOf("omega") + 5 - view.SelStart());
    const std::unique_ptr<QMimeData> copied(view.createMimeDataFromSelection());
    QCOMPARE(copied->text(), QStringLiteral("alpha\tbeta gamma\ndelta\tomega"));
    const QString html = copied->html();
    QCOMPARE(html.count("<tr"), 2);
    QCOMPARE(html.count("<td"), 4);
    QVERIFY(html.indexOf("beta gamma") < html.indexOf("omega"));
}

void TestTableLayout::bordersShadingAndMergesOnWholePixels()
{
    RichTextView view;
    const QByteArray shaded = kBorders + "\\clcbpat2";
    // Rows 60 pixels tall, their text at the top, so a line across the lower half meets only
    // borders, shading and the background.
    const QByteArray first = "\\trowd\\trgaph108\\trleft-108\\trrh900" + kBorders + "\\cellx2000" +
                             shaded + "\\cellx4000" + kBorders +
                             "\\clvmgf\\cellx6000\\pard\\intbl a\\cell b\\cell c\\cell\\row ";
    const QByteArray merged = "\\trowd\\trgaph108\\trleft-108\\trrh900" + kBorders +
                              "\\clmgf\\cellx2000" + kBorders + "\\clmrg\\cellx4000" + kBorders +
                              "\\clvmrg\\cellx6000\\pard\\intbl d\\cell\\cell\\cell\\row ";
    show(view, first + merged + "\\pard after\\par");
    const QImage shot = view.viewport()->grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    const QRgb background = view.palette().color(QPalette::Base).rgb();
    const QRgb shading = qRgb(200, 220, 255);
    const auto bordersAcross = [&](int y) {
        int borders = 0;
        bool inBorder = false;
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb pixel = shot.pixel(x, y);
            const bool black = pixel == qRgb(0, 0, 0);
            if (!black && pixel != background && pixel != shading)
                return -1; // a pixel of a line drawn between two device pixels
            borders += black && !inBorder;
            inBorder = black;
        }
        return borders;
    };
    const int firstRow = caretAt(view, 0).top();
    const int secondRow = caretAt(view, view.Text().indexOf('d')).top();
    QCOMPARE(bordersAcross(int((firstRow + 50) * ratio)), 4);
    QCOMPARE(bordersAcross(int((secondRow + 50) * ratio)), 3); // none between merged cells
    const int shadedX = int(edgeAt(view, 3000) * ratio);
    QCOMPARE(shot.pixel(shadedX, int((firstRow + 50) * ratio)), shading);
    // Every border is whole device pixels thick, at any scale: a column across the rows meets
    // black only in runs of the same width.
    const auto runsDown = [&](int twips) {
        const int x = int(edgeAt(view, twips) * ratio);
        QList<int> runs;
        for (int y = int(firstRow * ratio) - 4, run = 0; y < int((secondRow + 70) * ratio); ++y) {
            const QRgb pixel = shot.pixel(x, y);
            if (pixel != background && pixel != qRgb(0, 0, 0))
                return QList<int>{-1};
            if (pixel == qRgb(0, 0, 0))
                ++run;
            else if (run > 0)
                runs.append(std::exchange(run, 0));
        }
        return runs;
    };
    const QList<int> runs = runsDown(1000);
    QCOMPARE(runs.size(), 3); // above, between and below the rows
    for (const int run : runs)
        QVERIFY(run >= 1 && run <= 2 * qCeil(ratio));
    // The third column's cells are merged down: no border between them.
    QCOMPARE(runsDown(5000).size(), 2);
}

void TestTableLayout::hostileRowsNeverBreakTheView_data()
{
    QTest::addColumn<QByteArray>("body");
    QByteArray many = "\\trowd";
    for (int i = 1; i <= 5000; ++i)
        many += "\\cellx" + QByteArray::number(i * 10);
    many += "\\pard\\intbl ";
    for (int i = 0; i < 5000; ++i)
        many += "c\\cell ";
    QTest::newRow("thousands of cells") << many + "\\row after\\par";
    QTest::newRow("edges out of order")
        << QByteArray("\\trowd\\cellx4000\\cellx1000\\cellx-500\\pard\\intbl a\\cell b\\cell "
                      "c\\cell\\row after\\par");
    QTest::newRow("edges past any page")
        << QByteArray("\\trowd\\trleft-99999999\\cellx2147483647\\cellx99999999\\pard\\intbl "
                      "wide\\cell wider\\cell\\row after\\par");
    QTest::newRow("stray cell and row")
        << QByteArray("\\cell\\row\\cell text\\row\\intbl x\\cell\\row after\\par");
    QTest::newRow("cells without definitions")
        << QByteArray("\\trowd\\pard\\intbl a\\cell b\\cell\\row after\\par");
    QTest::newRow("more cells than edges")
        << QByteArray("\\trowd\\cellx100\\pard\\intbl a\\cell b\\cell c\\cell d\\cell\\row");
    QTest::newRow("exact height smaller than its text")
        << QByteArray("\\trowd\\trrh-20\\cellx1000\\pard\\intbl a b c d e f g\\cell\\row x\\par");
    QTest::newRow("huge padding and borders")
        << QByteArray("\\trowd\\trgaph32767\\trpaddl99999\\trpaddfl3\\clbrdrt\\brdrw99999"
                      "\\brdrdb\\clpadt99999\\clpadft3\\cellx100\\pard\\intbl a\\cell\\row");
    QByteArray deep;
    for (int level = 1; level <= 20; ++level)
        deep += "\\pard\\intbl\\itap" + QByteArray::number(level) + " n" +
                QByteArray::number(level) +
                "\\nestcell{\\*\\nesttableprops\\trowd\\cellx1000"
                "\\nestrow}";
    QTest::newRow("nested twenty deep") << deep + "\\pard\\intbl\\itap1 o\\cell\\trowd\\cellx2000"
                                                  "\\row after\\par";
}

void TestTableLayout::hostileRowsNeverBreakTheView()
{
    QFETCH(QByteArray, body);
    RichTextView view;
    show(view, body, QSize(300, 300));
    QVERIFY(view.TextLength() > 0);
    QScrollBar* bar = view.verticalScrollBar();
    for (const int value : {0, bar->maximum() / 2, bar->maximum()}) {
        bar->setValue(value);
        view.viewport()->grab(); // painted, laid out
    }
    QVERIFY(view.document()->size().height() < 1e6);
    view.setSelStart(view.TextLength());
    QVERIFY(view.viewport()->rect().intersects(view.cursorRect()));
}

QTEST_MAIN(TestTableLayout)
#include "tst_table_layout.moc"
