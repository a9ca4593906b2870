// The view's own layout: paragraph depths, a narrow view at a large size, the reader's line kept
// while estimated heights settle or the width changes, and every line within reach.

#include "block_heights.h"
#include "rich_text_view.h"
#include "view_layout.h"

#include "test_books.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

using velmora::BlockHeights;
using velmora::RichTextView;
using velmora::ViewLayout;
using velmora::test::depthOf;

namespace {

// One paragraph for each text, in Times New Roman; with lastEnds the last paragraph also ends.
// Characters outside ASCII are written by their number.
QByteArray paragraphsOf(const QStringList& texts, bool lastEnds = false)
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0 ";
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            rtf += "\\par ";
        for (const QChar c : texts[i])
            rtf += c.unicode() < 0x80 ? QByteArray(1, char(c.unicode()))
                                      : "\\u" + QByteArray::number(qint16(c.unicode())) + "?";
    }
    return rtf + (lastEnds && !texts.isEmpty() ? "\\par}" : "}");
}

// count paragraphs of unequal length, so estimated heights are wrong in both directions.
QByteArray book(int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i) {
        QString text = QStringLiteral("Paragrafi %1:").arg(i);
        for (int word = 0; word < 5 + (i * 37) % 60; ++word)
            text += word % 7 ? QStringLiteral(" fjalë") : QStringLiteral(" përmendje");
        texts.append(text);
    }
    return paragraphsOf(texts, true);
}

ViewLayout& layoutOf(const RichTextView& view)
{
    return *qobject_cast<ViewLayout*>(view.document()->documentLayout());
}

// Whether the whole book reached the document before the deadline. What a load has no time
// for is built while idle, and a slow machine (Wine, valgrind) leaves more of it for then.
bool waitUntilBuilt(const RichTextView& view)
{
    const QDeadlineTimer deadline(120000);
    while (view.document()->characterCount() <= view.TextLength() && !deadline.hasExpired())
        QCoreApplication::processEvents();
    return view.document()->characterCount() == view.TextLength() + 1;
}

// A view of the given size, painted on the screen, showing the RTF built whole.
void showModel(RichTextView& view, QSize size, const QByteArray& rtf)
{
    view.resize(size);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view)); // or nothing would be painted
    QVERIFY(velmora::test::loadRtf(view, rtf));
    QVERIFY(waitUntilBuilt(view));
}

// A view of the given size on the screen, showing paragraphs of the book above.
void showBook(RichTextView& view, QSize size, int paragraphs)
{
    showModel(view, size, book(paragraphs));
}

} // namespace

class TestViewLayout : public QObject {
    Q_OBJECT

private slots:
    void heightsAnswerDepthsAfterEveryEdit();
    void narrowViewAtLargeSizeLaysOutOnlyWhatItShows();
    void pointsAndPositionsAgree();
    void readersLineStaysWhileHeightsSettle();
    void readersLineStaysWhenTheCaretsParagraphIsLaidOut();
    void caretStaysInSightAmongEstimatedParagraphs();
    void measuredHeightsAreLaidOutHeights();
    void newWidthKeepsTheTopLine();
    void scrollBarReachesTheLastLine();
    void aStretchWithNoBreakWrapsAnywhere();
    void longBookIsReadWhileTheWindowRuns();
    void aVeryLongParagraphIsBuiltInBlocks();
    void countlessParagraphsShareBlocks();
    void endlessWordsGetLineBreaks();
};

void TestViewLayout::heightsAnswerDepthsAfterEveryEdit()
{
    QRandomGenerator random(7);
    std::vector<double> naive;
    BlockHeights heights;
    const auto check = [&] {
        QCOMPARE(heights.size(), naive.size());
        double top = 0;
        for (std::size_t i = 0; i < naive.size(); ++i) {
            QCOMPARE(heights.top(i), top);
            if (naive[i] > 0) {
                QCOMPARE(heights.indexAt(top), i);
                QCOMPARE(heights.indexAt(top + naive[i] - 0.5), i);
            }
            top += naive[i];
        }
        QCOMPARE(heights.total(), top);
        QCOMPARE(heights.indexAt(top + 100), naive.empty() ? 0 : naive.size() - 1);
    };
    for (int i = 0; i < 37; ++i)
        naive.push_back(random.bounded(4) ? random.bounded(1, 40) : 0); // some empty
    heights.assign(naive);
    check();
    naive[5] = 12;
    heights.set(5, 12);
    check();
    naive.insert(naive.begin() + 10, {3, 4, 5}); // one paragraph split in four
    naive.erase(naive.begin() + 13);
    heights.splice(10, 1, {3, 4, 5});
    check();
    naive.erase(naive.begin(), naive.begin() + 20);
    heights.splice(0, 20, {});
    check();
    naive.push_back(9);
    heights.splice(heights.size(), 0, {9});
    check();
}

void TestViewLayout::narrowViewAtLargeSizeLaysOutOnlyWhatItShows()
{
    RichTextView view;
    showBook(view, QSize(40, 300), 3000);
    view.setSelStart(0);
    view.setSelLength(view.TextLength());
    view.setSelFontSize(QStringLiteral("26"));
    view.setSelStart(view.TextLength()); // the caret to the end, at 26 points, one letter a line
    view.viewport()->repaint();
    int laidOut = 0;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        laidOut += block.layout()->lineCount() > 0;
    QVERIFY2(laidOut < 600, qPrintable(QStringLiteral("%1 of 3000 laid out").arg(laidOut)));
    const QRect caret = view.cursorRect(); // shown, though the view is a few letters wide
    QVERIFY(caret.top() >= 0 && caret.bottom() < view.viewport()->height());
    QVERIFY(!view.horizontalScrollBar()->isVisible()); // the book wraps to any width
}

// Qt's word wrapping takes time in the square of a stretch with no place to break: a stretch of
// 300,000 letters would hold this test for many minutes. Long paragraphs of words still break
// between words.
void TestViewLayout::aStretchWithNoBreakWrapsAnywhere()
{
    const QString words = QStringLiteral("fjalë ").repeated(400);
    RichTextView view;
    showModel(view, QSize(300, 200), paragraphsOf({words + QString(300000, u'x'), words}));
    view.setSelStart(view.TextLength());
    view.viewport()->repaint();
    QVERIFY(view.viewport()->rect().contains(view.cursorRect().center()));
    const QTextBlock last = view.document()->lastBlock();
    view.document()->documentLayout()->blockBoundingRect(last); // lays it out
    QVERIFY(last.layout()->lineCount() > 1);
    for (int i = 1; i < last.layout()->lineCount(); ++i)
        QCOMPARE(last.text().at(last.layout()->lineAt(i).textStart() - 1), u' ');
}

void TestViewLayout::pointsAndPositionsAgree()
{
    RichTextView view;
    showBook(view, QSize(300, 200), 2000);
    for (const int position :
         {0, 5, view.TextLength() / 3, view.TextLength() * 2 / 3, view.TextLength() - 3}) {
        view.setSelStart(position);
        QVERIFY(view.viewport()->rect().contains(view.cursorRect().center()));
        QCOMPARE(view.cursorForPosition(view.cursorRect().center()).position(), position);
    }
}

void TestViewLayout::readersLineStaysWhileHeightsSettle()
{
    RichTextView view;
    showBook(view, QSize(300, 400), 6000);
    QVERIFY(!layoutOf(view).allMeasured()); // otherwise nothing would settle later
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() * 3 / 5);
    // The line as the reader sees it: a paint lays out every paragraph in sight, the one
    // reaching in from above the top edge first, and that one's new height moves the others.
    view.viewport()->repaint();
    const int position = view.cursorForPosition(QPoint(5, 5)).position();
    const int depth = depthOf(view, position);
    QTRY_VERIFY_WITH_TIMEOUT(layoutOf(view).allMeasured(), 120000);
    QVERIFY(qAbs(depthOf(view, position) - depth) <= 1);
}

// The caret stays at the start while the reader scrolls on. Asking where it is (the caret's
// blink, a screen reader) lays its paragraph out, which may still be estimated, far above the
// view; the reader's line must not move with the height that paragraph then takes.
void TestViewLayout::readersLineStaysWhenTheCaretsParagraphIsLaidOut()
{
    RichTextView view;
    showBook(view, QSize(300, 400), 20000); // read on a worker, then built while idle
    view.setSelStart(100); // shown, and only begun; the caret in the long second paragraph
    view.resize(290, 400); // every paragraph estimated again, the caret's among them
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    view.viewport()->repaint(); // the line as the reader sees it
    const int position = view.cursorForPosition(QPoint(5, 5)).position();
    const int depth = depthOf(view, position);
    QCOMPARE(view.textCursor().position(), 100);
    view.cursorRect();
    QCoreApplication::processEvents();
    QVERIFY(qAbs(depthOf(view, position) - depth) <= 1);
}

// Qt brings the caret into sight by its own paragraph alone; estimated paragraphs above it in
// the view take their heights when painted, and must not push it out again.
void TestViewLayout::caretStaysInSightAmongEstimatedParagraphs()
{
    QStringList texts; // capitals, wider than the average letter the estimates reckon with
    for (int i = 0; i < 6000; ++i)
        texts.append(QStringLiteral("MWM WMW ").repeated(5 + i % 40));
    RichTextView view;
    showModel(view, QSize(300, 400), paragraphsOf(texts));
    view.setSelStart(0);
    view.setSelLength(view.TextLength());
    view.setSelFontSize(QStringLiteral("14")); // every height estimated again
    QVERIFY(!layoutOf(view).allMeasured());
    for (const int eighths : {2, 3, 5, 7}) {
        view.setSelStart(view.TextLength() / 8 * eighths);
        view.viewport()->repaint();
        QVERIFY2(view.viewport()->rect().contains(view.cursorRect().center()),
                 qPrintable(QString::number(eighths)));
    }
}

// Paragraphs out of sight are measured apart from the layout they are drawn with; the two must
// agree, or the text would move when it comes into sight. The book mixes what changes a line's
// height: sizes, bold, a right-to-left Arabic paragraph, tabs, exact and minimum spacing, empty
// paragraphs and a stretch with no place to break.
void TestViewLayout::measuredHeightsAreLaidOutHeights()
{
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}"
                     "{\\f2\\fcharset178 Traditional Arabic;}}";
    for (int i = 0; i < 300; ++i) {
        rtf += "\\pard\\f1\\fs" + QByteArray::number(20 + i % 40) + "\\b " + QByteArray::number(i) +
               "\\b0\\par\\pard\\sl-" + QByteArray::number(200 + i % 300) +
               "\\f0 Fjal\\'eb e gjat\\'eb\\tab e " + QByteArray(i % 11 * 13, 'a') +
               " qet\\'eb\\par\\pard\\par";
        if (i % 17 == 0)
            rtf += "\\pard\\rtlpar\\qr\\f2\\u1576?\\u1587?\\u1605? \\u1575?\\u1604?\\par";
        if (i % 50 == 0)
            rtf += "\\pard\\f0 " + QByteArray(3000, 'x') + "\\par";
    }
    rtf += "}";
    RichTextView view;
    showModel(view, QSize(220, 300), rtf);
    ViewLayout& layout = layoutOf(view);
    QTRY_VERIFY_WITH_TIMEOUT(layout.allMeasured(), 120000);
    const double measured = layout.documentSize().height();
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        layout.blockBoundingRect(block); // lays each paragraph out, as drawing would
    QCOMPARE(layout.documentSize().height(), measured);
}

void TestViewLayout::newWidthKeepsTheTopLine()
{
    RichTextView view;
    showBook(view, QSize(400, 400), 2000);
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int position = view.cursorForPosition(QPoint(5, 5)).position();
    view.resize(250, 400);
    const int depth = depthOf(view, position);
    QVERIFY2(depth > -30 && depth < 30, qPrintable(QString::number(depth)));
}

void TestViewLayout::scrollBarReachesTheLastLine()
{
    RichTextView view;
    showBook(view, QSize(300, 300), 4000);
    QScrollBar* bar = view.verticalScrollBar();
    // As a reader drags the bar to the bottom again while the heights there come in.
    for (int drag = 0; drag < 3; ++drag) {
        bar->setValue(bar->maximum());
        view.viewport()->repaint();
        QCoreApplication::processEvents();
    }
    const int last = view.TextLength() - 1;
    QVERIFY(view.viewport()->rect().contains(
        QPoint(10, depthOf(view, last) + 5))); // the last line shows
}

void TestViewLayout::longBookIsReadWhileTheWindowRuns()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Velmora.rtf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    const QByteArray paragraph = "Fjala e librit, e gjat\\'eb dhe e qet\\'eb.\\par\n";
    // Half as much again as the size from which a book is read on a worker.
    const int paragraphs = int(velmora::limits::kReadInBackgroundBytes * 3 / 2 / paragraph.size());
    file.write("{\\rtf1\\ansi\\ansicpg1252 ");
    for (int i = 0; i < paragraphs; ++i)
        file.write(paragraph);
    file.write("}");
    file.close();
    const int length =
        paragraphs * int(QStringLiteral("Fjala e librit, e gjatë dhe e qetë.\r").size());

    RichTextView waited;
    QVERIFY(waited.setFileName(path));
    QCOMPARE(waited.TextLength(), length); // a question waits for the reading to end
    QCOMPARE(waited.Find(QStringLiteral("QETË."), length - 10), length - 6);

    RichTextView shown;
    QVERIFY(shown.setFileName(path));
    // Shown once read, unasked.
    QTRY_COMPARE_WITH_TIMEOUT(shown.document()->characterCount(), length + 1, 60000);

    RichTextView dropped; // gone while its book is read: the reading is waited for, not cut
    QVERIFY(dropped.setFileName(path));
}

// A paragraph is laid out whole, so one of millions of characters froze the window whenever it
// was shown. A very long one is built as blocks split at its own line breaks, out of sight and
// with its positions kept; a long paragraph of prose stays one block.
void TestViewLayout::aVeryLongParagraphIsBuiltInBlocks()
{
    QString lines;
    for (int line = 0; line < 3000; ++line)
        lines += QStringLiteral("Rreshti %1 i paragrafit t\u00eb gjat\u00eb\u2028").arg(line);
    const QString prose = QStringLiteral("fjal\u00eb ").repeated(3000);
    const QString text = lines + u'\r' + prose;
    RichTextView view;
    showModel(view, QSize(400, 300), paragraphsOf({lines, prose}));

    QTextDocument& document = *view.document();
    QVERIFY(document.blockCount() > 20);
    QCOMPARE(document.lastBlock().length(), prose.size() + 1);
    for (QTextBlock block = document.begin(); block != document.lastBlock(); block = block.next()) {
        QVERIFY(block.length() < 4200);
        const bool last = block.next() == document.lastBlock();
        QCOMPARE(text.at(block.position() + block.length() - 1),
                 last ? QChar(u'\r') : QChar(QChar::LineSeparator));
    }
    const int split = document.begin().next().position() - 1;
    view.setSelStart(split - 5);
    view.setSelLength(10);
    QCOMPARE(view.SelText(), text.mid(split - 5, 10));
    const int lineHeight =
        depthOf(view, split) - depthOf(view, text.lastIndexOf(u'\u2028', split - 1));
    QVERIFY(lineHeight > 0);
    QCOMPARE(depthOf(view, split + 1) - depthOf(view, split), lineHeight);
}

// Each Qt block costs memory however short: sixteen million empty paragraphs took 2.4 GB. Past
// half a million, paragraphs share blocks, their ends drawn as line breaks in the same places.
void TestViewLayout::countlessParagraphsShareBlocks()
{
    constexpr int kParagraphs = 700000;
    QStringList texts;
    for (int i = 0; i < kParagraphs; ++i)
        texts.append(i % 2 ? QStringLiteral("b") : QStringLiteral("a"));
    RichTextView view;
    showModel(view, QSize(300, 200), paragraphsOf(texts));
    view.setSelStart(view.TextLength() - 4);
    view.setSelLength(3);

    QCOMPARE(view.SelText(), QStringLiteral("\ra\r"));
    const QTextDocument& document = *view.document();
    QVERIFY(document.blockCount() < 600000);
    QCOMPARE(document.characterCount(), 2 * kParagraphs);
    QCOMPARE(document.characterAt(view.TextLength() - 3), u'a');
    QCOMPARE(document.characterAt(view.TextLength() - 2), QChar(QChar::LineSeparator));
    QVERIFY(view.viewport()->rect().contains(view.cursorRect().center()));
}

// Text of millions of characters without a space (base64 pasted as text, Chinese run together)
// would be laid out whole, which froze the window for 12 s at five million. A line break goes in
// at least every limits::kLongestWord characters of such a stretch.
void TestViewLayout::endlessWordsGetLineBreaks()
{
    constexpr int kLongest = int(velmora::limits::kLongestWord);
    const QString word(40000, u'x');
    const QString chinese =
        QStringLiteral("\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03\u516b\u4e5d\u3002")
            .repeated(2000);
    const QString rareHanzi = QString::fromUcs4(U"\U00020000").repeated(20000);
    RichTextView view;
    showModel(
        view, QSize(300, 200),
        paragraphsOf({QStringLiteral("ab ") + word + QStringLiteral(" cd"), chinese, rareHanzi}));

    const QString shown = view.Text();
    QCOMPARE(shown.mid(3, kLongest), word.left(kLongest));
    QCOMPARE(shown.at(3 + kLongest), QChar(QChar::LineSeparator));
    QCOMPARE(shown.mid(3 + kLongest + 1, kLongest), word.left(kLongest));
    QCOMPARE(shown.at(3 + 2 * kLongest + 1), QChar(QChar::LineSeparator));
    QCOMPARE(view.Find(QStringLiteral("cd")), 3 + 40002 + 1);
    // Text without spaces breaks after its last full stop before the limit, and never inside
    // a character written as a surrogate pair.
    const int chineseStart = 3 + 40002 + 1 + 2 + 1;
    const int lastStop = kLongest / 10 * 10 - 1; // the phrase is ten characters, its stop last
    QCOMPARE(shown.at(chineseStart + lastStop), QChar(u'\u3002'));
    QCOMPARE(shown.at(chineseStart + lastStop + 1), QChar(QChar::LineSeparator));
    const QString hanzi = shown.mid(chineseStart + 20001 + 1);
    QCOMPARE(hanzi.count(QChar(QChar::LineSeparator)), 40000 / kLongest);
    QVERIFY(hanzi.indexOf(QStringLiteral("\u2028") + QChar(0xDC00)) < 0);
    QCOMPARE(QString(hanzi).remove(QChar(QChar::LineSeparator)), rareHanzi);
    QCOMPARE(view.TextLength(), 3 + 40000 + 2 + 3 + 1 + 20001 + 1 + 40000 + 2);
    QCOMPARE(view.document()->characterCount(), view.TextLength() + 1);
}

QTEST_MAIN(TestViewLayout)
#include "tst_view_layout.moc"
