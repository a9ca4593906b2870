// The view Rtf1, member by member, on small books written as RTF.

#include "rich_text_view.h"
#include "test_books.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtTest>

using velmora::RichTextView;
namespace rtf = velmora::rtf;

namespace {

// The fonts of the books written here: the font table has "Arial" twice (0 and 4), as font
// tables written by word processors often do.
const QByteArray kPiecesFonts = "{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}{\\f2 Arial Black;}"
                                "{\\f3 Arial Narrow;}{\\f4 Arial;}}";

struct Piece {
    QString text;
    int font = 1;
    bool bold = false;
};

// The pieces as an RTF file holds them: every '\r' ends a paragraph, U+2028 breaks a line, and
// every other character but printable ASCII is written by its number.
QByteArray rtfOf(const std::vector<Piece>& pieces)
{
    QByteArray rtf = "{\\rtf1\\ansi" + kPiecesFonts;
    for (const Piece& piece : pieces) {
        rtf += "{\\f" + QByteArray::number(piece.font) + (piece.bold ? "\\b " : " ");
        for (const QChar c : piece.text) {
            if (c == u'\r')
                rtf += "\\par ";
            else if (c == u'\u2028')
                rtf += "\\line ";
            else if (c == u'\\' || c == u'{' || c == u'}')
                rtf += QByteArray("\\") + char(c.unicode());
            else if (c.unicode() >= 0x20 && c.unicode() < 0x80)
                rtf += char(c.unicode());
            else
                rtf += "\\u" + QByteArray::number(qint16(c.unicode())) + "?";
        }
        rtf += "}";
    }
    return rtf + "}";
}

// Shows the pieces in view, through a file as the program reads its book.
bool loadPieces(RichTextView& view, const std::vector<Piece>& pieces)
{
    return velmora::test::loadRtf(view, rtfOf(pieces));
}

bool loadText(RichTextView& view, const QString& text)
{
    return loadPieces(view, {{text}});
}

// The format the view draws the character at position with (not a paragraph end).
QTextCharFormat shownFormat(const RichTextView& view, int position)
{
    const QTextBlock block = view.document()->findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (it.fragment().contains(position))
            return it.fragment().charFormat();
    }
    return {};
}

QString fontName(const RichTextView& view)
{
    return view.SelFontName().value_or("(mixed)");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray kFontTable = "{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}{\\f2 Arial Black;}"
                              "{\\f3 Arial Narrow;}{\\f4 Velmora Nowhere Sans;}}";

} // namespace

class TestRichTextView : public QObject {
    Q_OBJECT

private slots:
    void aLongSelectionIsCopiedAsPlainTextOnly();
    void textKeepsOnePositionPerCharacter_data();
    void textKeepsOnePositionPerCharacter();
    void find_data();
    void find();
    void findOptions_data();
    void findOptions();
    void findBringsTheMatchIntoView();
    void selStartDropsTheSelection();
    void selLengthAndSelText();
    void selFontName_data();
    void selFontName();
    void selFontSize_data();
    void selFontSize();
    void longSelectionsWaitForTheLayout();
    void spanAndUpTo_data();
    void spanAndUpTo();
    void loadsAFileRelativeToTheCurrentFolder();
    void loadFailures_data();
    void loadFailures();
    void fontNamesSurviveSubstitution();
    void showsParagraphAndCharacterFormats();
    void showsACentredCellAndRaisedText();
    void keyboardSelectsButNeverEdits();
    void selectionStaysHighlightedWithoutFocus();
    void mouseUp_data();
    void mouseUp();
    void placementInTwips();
    void alignmentIsPhysicalInEitherDirection_data();
    void alignmentIsPhysicalInEitherDirection();
    void arabicTextTakesItsAssociatedFont();
};

// Other programs would wait for the rich formats of a whole long book, and the window with them.
void TestRichTextView::aLongSelectionIsCopiedAsPlainTextOnly()
{
    RichTextView view;
    const QString line = QStringLiteral("Një rresht i librit.\r");
    QVERIFY(loadText(view, line.repeated(velmora::limits::kLongestRichCopy / line.size() + 1)));
    view.setSelStart(0);
    view.setSelLength(view.TextLength());
    const std::unique_ptr<QMimeData> data(view.createMimeDataFromSelection());
    QCOMPARE(data->formats(), QStringList{QStringLiteral("text/plain")});
    QCOMPARE(data->text().size(), view.TextLength());
    view.setSelLength(line.size());
    QVERIFY(std::unique_ptr<QMimeData>(view.createMimeDataFromSelection())->hasHtml());
}

void TestRichTextView::textKeepsOnePositionPerCharacter_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("paragraph ends") << "ab\rcd\r"
                                    << "ab\rcd\r";
    QTest::newRow("a last paragraph without its end") << "ab\r\rcd"
                                                      << "ab\r\rcd";
    QTest::newRow("a line break inside a paragraph") << u"ab\u2028cd\rx"_qs << u"ab\u2028cd\rx"_qs;
    QTest::newRow("a line feed after a paragraph end stays a character of its own")
        << "ab\r\ncd" << u"ab\r\u2028cd"_qs;
    QTest::newRow("a paragraph separator becomes a line break") << u"a\u2029b"_qs << u"a\u2028b"_qs;
    QTest::newRow("empty") << ""
                           << "";
}

void TestRichTextView::textKeepsOnePositionPerCharacter()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    RichTextView view;
    QVERIFY(loadText(view, text));
    QCOMPARE(view.Text(), shown);
    QCOMPARE(view.TextLength(), shown.size());
    // Every paragraph of the text is one block of the document, at the same position.
    QCOMPARE(view.document()->characterCount(), shown.size() + 1);
    for (int i = 0; i < shown.size(); ++i) {
        if (shown[i] == u'\r')
            QCOMPARE(view.document()->findBlock(i + 1).position(), i + 1);
    }
}

void TestRichTextView::find_data()
{
    // The text of the search examples: positions 0 to 7 hold a, b, space, A, B, space, a, b.
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("start"); // -1: omitted
    QTest::addColumn<int>("end");   // -1: omitted
    QTest::addColumn<int>("found");

    const QString ab = QStringLiteral("ab AB ab");
    QTest::newRow("no bounds and nothing selected search the whole text")
        << ab << 7 << 0 << "ab" << -1 << -1 << 0;
    QTest::newRow("no bounds with a selection search only the selection")
        << ab << 2 << 4 << "ab" << -1 << -1 << 3;
    QTest::newRow("no bounds: a match outside the selection is not found")
        << ab << 3 << 1 << "b" << -1 << -1 << -1;
    QTest::newRow("only start searches from there to the end")
        << ab << 0 << 0 << "ab" << 1 << -1 << 3;
    QTest::newRow("only end searches from the caret") << ab << 2 << 0 << "ab" << -1 << 8 << 3;
    QTest::newRow("only end: a match that begins before the caret is not found")
        << ab << 7 << 0 << "ab" << -1 << 8 << -1;
    QTest::newRow("a match that starts before the end bound and runs past it is found")
        << ab << 0 << 0 << "AB" << 2 << 4 << 3;
    QTest::newRow("a match that starts at the end bound is not found")
        << ab << 0 << 0 << "ab" << 1 << 3 << -1;
    QTest::newRow("the search from the top finds the occurrence the caret was inside")
        << "x ab" << 0 << 0 << "ab" << -1 << 3 << 2;
    QTest::newRow("a start past the end of the text finds nothing")
        << ab << 0 << 0 << "ab" << 9 << -1 << -1;
    QTest::newRow("an end past the text counts as the end of the text")
        << ab << 0 << 0 << "b" << 5 << 100 << 7;
    QTest::newRow("a negative start counts as the start of the text")
        << ab << 4 << 0 << "ab" << -5 << 3 << 0;
    QTest::newRow("an empty text is never found") << ab << 0 << 0 << "" << -1 << -1 << -1;
    QTest::newRow("absent") << ab << 4 << 0 << "xy" << -1 << -1 << -1;
    QTest::newRow("an occurrence inside a longer word")
        << "Dërguari" << 0 << 0 << "guari" << -1 << -1 << 3;
    QTest::newRow("ë and Ë are one letter")
        << "DËRGUARI dërguari" << 0 << 0 << "dërguari" << 1 << -1 << 9;
    QTest::newRow("ç and Ç are one letter") << "xx Çka çKA" << 0 << 0 << "ÇKA" << -1 << -1 << 3;
    QTest::newRow("Greek final sigma, sigma and capital sigma are one letter")
        << "ΛΌΓΟΣ" << 0 << 0 << "λόγος" << -1 << -1 << 0;
    QTest::newRow("letters outside the first plane fold too")
        << u"x\U00010428y"_qs << 0 << 0 << u"\U00010400"_qs << -1 << -1 << 1;
    QTest::newRow("overlapping occurrences: the first") << "aaaa" << 0 << 0 << "aa" << 1 << -1 << 1;
    QTest::newRow("a match across a paragraph end")
        << "ab\rcd" << 0 << 0 << "b\rc" << -1 << -1 << 1;
}

void TestRichTextView::find()
{
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(QString, needle);
    QFETCH(int, start);
    QFETCH(int, end);
    QFETCH(int, found);

    RichTextView view;
    QVERIFY(loadText(view, text));
    view.setSelStart(selStart);
    view.setSelLength(selLength);
    const auto bound = [](int value) { return value == -1 ? std::nullopt : std::optional(value); };
    QCOMPARE(view.Find(needle, bound(start), bound(end)), found);
    if (found >= 0) {
        QCOMPARE(view.SelStart(), found);
        QCOMPARE(view.SelLength(), needle.size());
        QCOMPARE(view.SelText(), text.mid(found, needle.size())); // in its own letter case
    } else {
        QCOMPARE(view.SelStart(), selStart);
        QCOMPARE(view.SelLength(), selLength);
    }
}

void TestRichTextView::findOptions_data()
{
    QTest::addColumn<QString>("needle");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("found");
    QTest::addColumn<bool>("selects");
    QTest::newRow("options 0 select the match") << "AB" << 0 << 3 << true;
    QTest::newRow("no highlight leaves the selection")
        << "ab" << RichTextView::kFindNoHighlight << 3 << false;
}

void TestRichTextView::findOptions()
{
    QFETCH(QString, needle);
    QFETCH(int, options);
    QFETCH(int, found);
    QFETCH(bool, selects);
    RichTextView view;
    QVERIFY(loadText(view, QStringLiteral("xx abc ab AB ab")));
    QCOMPARE(view.Find(needle, 0, std::nullopt, options), found);
    QCOMPARE(view.SelStart(), selects ? found : 0);
}

void TestRichTextView::findBringsTheMatchIntoView()
{
    QString text;
    for (int i = 0; i < 400; ++i)
        text += QStringLiteral("Rreshti %1 i librit.\r").arg(i);
    RichTextView view;
    view.resize(300, 200);
    view.show();
    QVERIFY(loadText(view, text + QStringLiteral("fundi")));
    QCOMPARE(view.verticalScrollBar()->value(), 0);
    QVERIFY(view.Find(QStringLiteral("FUNDI")) > 0);
    QVERIFY(view.verticalScrollBar()->value() > 0);
    QVERIFY(view.viewport()->rect().contains(view.cursorRect().center()));

    view.setSelStart(0); // and back at the top with SelStart
    QCOMPARE(view.verticalScrollBar()->value(), 0);
}

void TestRichTextView::selStartDropsTheSelection()
{
    RichTextView view;
    QVERIFY(loadText(view, QStringLiteral("ab AB ab")));
    view.setSelStart(3);
    view.setSelLength(2);
    view.setSelStart(view.SelStart()); // the search step relies on this dropping the selection
    QCOMPARE(view.SelStart(), 3);
    QCOMPARE(view.SelLength(), 0);
    QCOMPARE(view.SelText(), QString());
    view.setSelStart(100);
    QCOMPARE(view.SelStart(), 8);
    view.setSelStart(-4);
    QCOMPARE(view.SelStart(), 0);
}

void TestRichTextView::selLengthAndSelText()
{
    RichTextView view;
    QVERIFY(loadText(view, QStringLiteral("Ab\rcD")));
    view.setSelStart(1);
    view.setSelLength(3);
    QCOMPARE(view.SelText(), QStringLiteral("b\rc")); // the paragraph end as '\r'
    view.setSelLength(50);
    QCOMPARE(view.SelLength(), 4);
    QCOMPARE(view.SelText(), QStringLiteral("b\rcD"));
    view.setSelLength(0);
    QCOMPARE(view.SelText(), QString(""));
    QVERIFY(!view.SelText().isNull());
}

void TestRichTextView::selFontName_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("name"); // null: no single name
    // "Hyrje 12 " Times, "12" Arial, " tekst\r" Times, "13" Arial Black, "14" Arial Narrow,
    // "15" Arial (the font table's second "Arial"), " fund" Arial.
    QTest::newRow("inside one run") << 1 << 3 << "Times New Roman";
    QTest::newRow("the heading number in Arial") << 9 << 2 << "Arial";
    QTest::newRow("a selection that ends at a font change") << 0 << 9 << "Times New Roman";
    QTest::newRow("across a font boundary") << 8 << 2 << QString();
    QTest::newRow("Arial Black is another font") << 18 << 2 << "Arial Black";
    QTest::newRow("Arial Black next to Arial Narrow") << 19 << 2 << QString();
    QTest::newRow("Arial Narrow is another font") << 20 << 2 << "Arial Narrow";
    QTest::newRow("two font table entries with one name are one font") << 22 << 5 << "Arial";
    QTest::newRow("a caret takes the character before it") << 11 << 0 << "Arial";
    QTest::newRow("a caret at the start takes the first character") << 0 << 0 << "Times New Roman";
    QTest::newRow("the whole text") << 0 << 100 << QString();
}

void TestRichTextView::selFontName()
{
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, name);
    RichTextView view;
    QVERIFY(loadPieces(view, {{"Hyrje 12 ", 1},
                              {"12", 0, true},
                              {" tekst\r", 1},
                              {"13", 2},
                              {"14", 3},
                              {"15", 4},
                              {" fund", 0}}));
    view.setSelStart(start);
    view.setSelLength(length);
    QCOMPARE(fontName(view), name.isNull() ? QStringLiteral("(mixed)") : name);
}

void TestRichTextView::selFontSize_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<double>("points"); // 0: nothing changes
    QTest::newRow("a whole number") << "26" << 26.0;
    QTest::newRow("spaces around it") << " 8 " << 8.0;
    QTest::newRow("a fraction") << "12.5" << 0.0;
    QTest::newRow("letters") << "dymbëdhjetë" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("a sign") << "-6" << 0.0;
    QTest::newRow("zero") << "0" << 0.0;
    QTest::newRow("larger than any font") << "99999999999" << 0.0;
}

void TestRichTextView::selFontSize()
{
    QFETCH(QString, size);
    QFETCH(double, points);
    RichTextView view;
    QVERIFY(loadPieces(view, {{"Hyrje\r", 1}, {"12", 0, true}, {" tekst", 1}}));
    view.setSelStart(2);
    view.setSelLength(8); // "rje\r12 t"
    view.setSelFontSize(size);

    const double unchanged = 12;
    for (int i = 0; i < view.TextLength(); ++i) {
        const bool selected = i >= 2 && i < 10;
        if (view.Text()[i] != u'\r')
            QCOMPARE(shownFormat(view, i).fontPointSize(), selected && points ? points : unchanged);
    }
    // Names and other attributes stay; so does the selection.
    QCOMPARE(shownFormat(view, 6).fontFamilies().toStringList(), QStringList("Arial"));
    QCOMPARE(shownFormat(view, 7).fontWeight(), int(QFont::Bold));
    QCOMPARE(view.SelText(), QStringLiteral("rje\r12 t"));
    QCOMPARE(fontName(view), QStringLiteral("(mixed)"));
    view.setSelStart(6);
    view.setSelLength(2);
    QCOMPARE(fontName(view), QStringLiteral("Arial"));
}

void TestRichTextView::longSelectionsWaitForTheLayout()
{
    // Long enough that Qt lays it out in the background after it is shown.
    QString text;
    for (int i = 0; i < 3000; ++i)
        text += QStringLiteral("Paragrafi %1 i një libri të gjatë.\r").arg(i);
    RichTextView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(loadText(view, text));
    view.setSelStart(0);
    view.setSelLength(view.TextLength()); // select all, as the size command does
    QCOMPARE(view.SelLength(), view.TextLength());
    QCOMPARE(view.SelText(), text);
    view.setSelFontSize(QStringLiteral("20"));
    QCOMPARE(view.SelStart(), 0);
    QCOMPARE(view.SelLength(), view.TextLength());
    QTRY_COMPARE(view.textCursor().selectionEnd(), view.TextLength()); // drawn once laid out
    QCOMPARE(view.verticalScrollBar()->value(), 0);                    // still at the top
    QCOMPARE(shownFormat(view, view.TextLength() - 2).fontPointSize(), 20.0);

    view.setSelFontSize(QStringLiteral("10"));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, QPoint(3, 3));
    QCOMPARE(view.SelLength(), 0); // the reader's click wins over the waiting selection
    QTest::qWait(400);
    QCOMPARE(view.SelLength(), 0);
    QVERIFY(!view.textCursor().hasSelection());
}

void TestRichTextView::spanAndUpTo_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("selStart");
    QTest::addColumn<int>("selLength");
    QTest::addColumn<bool>("span"); // false: UpTo
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("wantStart");
    QTest::addColumn<int>("wantLength");
    const QString delimiters = QStringLiteral(" ,.?!:");
    QTest::newRow("Span to the end of the heading line")
        << "12 Titull\rtekst" << 0 << 2 << true << "\r" << 0 << 9;
    QTest::newRow("Span on the last line runs to the end of the text")
        << "x\r12 fund" << 2 << 2 << true << "\r" << 2 << 7;
    QTest::newRow("Span at the end of the text stays") << "ab" << 2 << 0 << true << "\r" << 2 << 0;
    QTest::newRow("Span next to the delimiter stays")
        << "ab\rc" << 0 << 2 << true << "\r" << 0 << 2;
    QTest::newRow("UpTo moves to just before the next delimiter")
        << "ab AB ab" << 3 << 0 << false << delimiters << 5 << 0;
    QTest::newRow("UpTo next to a delimiter stays")
        << "x AB" << 1 << 0 << false << delimiters << 1 << 0;
    QTest::newRow("UpTo without a delimiter after goes to the end")
        << "ab AB" << 4 << 0 << false << delimiters << 5 << 0;
    QTest::newRow("UpTo at the end of the text stays")
        << "ab" << 2 << 0 << false << delimiters << 2 << 0;
    QTest::newRow("UpTo drops a selection and starts from its end")
        << "ab AB ab" << 0 << 2 << false << delimiters << 2 << 0;
    QTest::newRow("UpTo counts every delimiter")
        << "a!b" << 0 << 0 << false << delimiters << 1 << 0;
}

void TestRichTextView::spanAndUpTo()
{
    QFETCH(QString, text);
    QFETCH(int, selStart);
    QFETCH(int, selLength);
    QFETCH(bool, span);
    QFETCH(QString, set);
    QFETCH(int, wantStart);
    QFETCH(int, wantLength);
    RichTextView view;
    QVERIFY(loadText(view, text));
    view.setSelStart(selStart);
    view.setSelLength(selLength);
    if (span)
        view.Span(set, true);
    else
        view.UpTo(set, false);
    QCOMPARE(view.SelStart(), wantStart);
    QCOMPARE(view.SelLength(), wantLength);
}

void TestRichTextView::loadsAFileRelativeToTheCurrentFolder()
{
    QTemporaryDir folder;
    writeFile(folder.filePath("Velmora.rtf"),
              "{\\rtf1\\ansi\\deff0" + kFontTable +
                  "{\\f0 Hyrje 1\\par}{\\f1\\b 1\\b0  \\'97 Titulli\\par}\\f0 Tekst\\u235?.}");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    RichTextView view;
    velmora::BookFileOutcome outcome{velmora::BookFileError::Missing, QStringLiteral("stale")};
    const bool loaded = view.setFileName(QStringLiteral("Velmora.rtf"), &outcome);
    QDir::setCurrent(previous);
    QVERIFY(loaded);
    QVERIFY(outcome.ok());
    QCOMPARE(view.Text(), u"Hyrje 1\r1 \u2014 Titulli\rTekstë."_qs);
    QCOMPARE(view.Find(QStringLiteral("1"), 7), 8);
    QCOMPARE(fontName(view), QStringLiteral("Arial"));
}

void TestRichTextView::loadFailures_data()
{
    using velmora::BookFileError;
    QTest::addColumn<QString>("name");
    QTest::addColumn<BookFileError>("error");
    QTest::newRow("a missing file") << "mungon.rtf" << BookFileError::Missing;
    QTest::newRow("a folder") << "dosja.rtf" << BookFileError::Folder;
    QTest::newRow("an empty file") << "bosh.rtf" << BookFileError::Empty;
    QTest::newRow("a file that is not RTF") << "tekst.rtf" << BookFileError::NotRtf;
#ifndef Q_OS_WIN // QFile::link makes a shortcut file on Windows, and there is no /dev
    QTest::newRow("a symbolic link that points to itself")
        << "rreth.rtf" << BookFileError::DanglingLink;
    QTest::newRow("a device") << "/dev/zero" << BookFileError::NotPlainFile;
#endif
}

void TestRichTextView::loadFailures()
{
    QFETCH(QString, name);
    QFETCH(velmora::BookFileError, error);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("dosja.rtf"));
    QVERIFY(QFile::link(folder.filePath("rreth.rtf"), folder.filePath("rreth.rtf")));
    writeFile(folder.filePath("bosh.rtf"), "");
    writeFile(folder.filePath("tekst.rtf"), "Ky nuk është RTF.\n");
    const QString path = name.startsWith('/') ? name : folder.filePath(name);

    RichTextView view;
    QVERIFY(loadText(view, QStringLiteral("ab AB")));
    view.setSelStart(3);
    velmora::BookFileOutcome outcome;
    QVERIFY(!view.setFileName(path, &outcome));
    QCOMPARE(outcome.error, error);
    QCOMPARE(view.Text(), QStringLiteral("ab AB")); // the previous content stays
    QCOMPARE(view.SelStart(), 3);
}

void TestRichTextView::fontNamesSurviveSubstitution()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("shkronja.rtf");
    // Cut off inside its last group, as a file copied only in part would be.
    writeFile(path, "{\\rtf1\\ansi" + kFontTable + "{\\f1 aa}{\\f2 bb}{\\f3 cc}{\\f4 dd}{\\f0 ee");
    RichTextView view;
    QVERIFY(view.setFileName(path));
    QCOMPARE(view.Text(), QStringLiteral("aabbccddee"));
    const QStringList names = {"Arial", "Arial Black", "Arial Narrow", "Velmora Nowhere Sans",
                               "Times New Roman"};
    for (int i = 0; i < names.size(); ++i) {
        view.setSelStart(2 * i);
        view.setSelLength(2);
        QCOMPARE(fontName(view), names[i]);
        // The document asks for the font by the RTF's name, whatever face draws it.
        QCOMPARE(shownFormat(view, 2 * i).fontFamilies().toStringList(), QStringList(names[i]));
    }
}

void TestRichTextView::showsParagraphAndCharacterFormats()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("formate.rtf");
    writeFile(path, "{\\rtf1\\ansi" + kFontTable +
                        "{\\colortbl;\\red128\\green0\\blue0;}"
                        "\\pard\\qc\\li720\\ri360\\fi-360\\sb240\\sa120\\f1\\fs28\\b\\cf1 a\\par"
                        "\\pard\\qj\\sl360\\slmult1\\plain\\i b\\par"
                        "\\pard\\sl-300\\slmult0\\plain\\ul c{\\super 2}\\strike d\\par"
                        "\\plain{\\caps e}{\\scaps f}}");
    RichTextView view;
    QVERIFY(view.setFileName(path));
    QCOMPARE(view.Text(), QStringLiteral("a\rb\rc2d\ref")); // capitals are drawn, not written

    const QTextBlockFormat first = view.document()->findBlock(0).blockFormat();
    QCOMPARE(int(first.alignment() & Qt::AlignHorizontal_Mask), int(Qt::AlignHCenter));
    QCOMPARE(first.leftMargin(), 48.0); // 720 twips at 15 a pixel
    QCOMPARE(first.rightMargin(), 24.0);
    QCOMPARE(first.textIndent(), -24.0);
    QCOMPARE(first.topMargin(), 16.0);
    QCOMPARE(first.bottomMargin(), 8.0);
    const QTextCharFormat a = shownFormat(view, 0);
    QCOMPARE(a.fontPointSize(), 14.0);
    QCOMPARE(a.fontWeight(), int(QFont::Bold));
    QCOMPARE(a.foreground().color(), QColor(128, 0, 0));

    const QTextBlockFormat second = view.document()->findBlock(2).blockFormat();
    QCOMPARE(int(second.alignment() & Qt::AlignHorizontal_Mask), int(Qt::AlignJustify));
    QCOMPARE(second.lineHeightType(), int(QTextBlockFormat::ProportionalHeight));
    QCOMPARE(second.lineHeight(), 150.0);
    QVERIFY(shownFormat(view, 2).fontItalic());

    const QTextBlockFormat third = view.document()->findBlock(4).blockFormat();
    QCOMPARE(third.lineHeightType(), int(QTextBlockFormat::FixedHeight));
    QCOMPARE(third.lineHeight(), 20.0);
    QVERIFY(shownFormat(view, 4).fontUnderline());
    QCOMPARE(shownFormat(view, 5).verticalAlignment(), QTextCharFormat::AlignSuperScript);
    QVERIFY(shownFormat(view, 6).fontStrikeOut());
    QCOMPARE(shownFormat(view, 8).fontCapitalization(), QFont::AllUppercase);
    QCOMPARE(shownFormat(view, 9).fontCapitalization(), QFont::SmallCaps);
}

// A table row as Word writes it, its end in the format of no cell, and text raised by \up.
void TestRichTextView::showsACentredCellAndRaisedText()
{
    RichTextView view;
    view.resize(400, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QVERIFY(velmora::test::loadRtf(
        view, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\trowd\\cellx4000\\pard\\intbl\\qc Mes\\cell"
              "\\pard\\intbl\\ql\\sa200{\\trowd\\cellx4000\\row}\\pard xx{\\up12 22}xx}"));
    QCOMPARE(view.Text(), QStringLiteral("Mes\rxx22xx"));
    // The cell's text stands in the middle of its cell, 4000 twips wide from the margin.
    const int left = view.cursorRect(view.textCursor()).left();
    QTextCursor end(view.document());
    end.setPosition(3);
    const double middle = (left + view.cursorRect(end).left()) / 2.0;
    const double cellMiddle = view.document()->documentMargin() + 4000 / 15.0 / 2;
    QVERIFY2(left > 100 && std::abs(middle - cellMiddle) < 6, qPrintable(QString::number(left)));

    // The raised figures' ink ends above the letters' on the line, by about 6 points.
    const QImage shot = view.viewport()->grab().toImage();
    const auto inkBottom = [&](int from, int to) {
        QTextCursor a(view.document()), b(view.document());
        a.setPosition(from);
        b.setPosition(to);
        const QRect line = view.cursorRect(a).united(view.cursorRect(b)).adjusted(0, -20, 0, 20);
        int bottom = -1;
        for (int y = std::max(line.top(), 0); y <= std::min(line.bottom(), shot.height() - 1); ++y)
            for (int x = view.cursorRect(a).left(); x < view.cursorRect(b).left(); ++x)
                if (qGray(shot.pixel(x, y)) < 128)
                    bottom = y;
        return bottom;
    };
    const int letters = inkBottom(4, 6);
    const int figures = inkBottom(6, 8);
    QVERIFY2(letters - figures >= 5, qPrintable(QStringLiteral("%1 %2").arg(letters).arg(figures)));
}

void TestRichTextView::keyboardSelectsButNeverEdits()
{
    RichTextView view;
    QVERIFY(loadText(view, QStringLiteral("ab\rcd")));
    view.show();
    QVERIFY(QTest::qWaitForWindowActive(&view));
    view.SetFocus();
    QVERIFY(view.hasFocus());
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(view.SelStart(), 5);
    QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(view.SelStart(), 3);
    QCOMPARE(view.SelText(), QStringLiteral("cd"));
    QTest::keyClicks(&view, QStringLiteral("xy"));
    QTest::keyClick(&view, Qt::Key_Backspace);
    QCOMPARE(view.Text(), QStringLiteral("ab\rcd"));
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    QCOMPARE(view.SelStart(), 0);
    QCOMPARE(view.SelLength(), 0);

    view.setSelStart(0); // a new document is as read-only as the first
    view.setSelLength(2);
    view.setSelFontSize(QStringLiteral("20"));
    view.SetFocus();
    QTest::keyClicks(&view, QStringLiteral("z"));
    QCOMPARE(view.Text(), QStringLiteral("ab\rcd"));
}

void TestRichTextView::selectionStaysHighlightedWithoutFocus()
{
    // Desktop themes draw an inactive selection in a pale grey that barely shows.
    const QPalette original = QApplication::palette();
    QPalette theme = original;
    theme.setColor(QPalette::Active, QPalette::Highlight, QColor(0, 0, 160));
    theme.setColor(QPalette::Inactive, QPalette::Highlight, QColor(220, 220, 220));
    QApplication::setPalette(theme);
    const auto restore = qScopeGuard([&] { QApplication::setPalette(original); });

    QWidget window;
    auto* view = new RichTextView(&window);
    auto* searchBox = new QLineEdit(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(view);
    layout->addWidget(searchBox);
    window.resize(300, 200);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(loadText(*view, QStringLiteral("MMMMMMMM MMMMMMMM")));
    searchBox->setFocus();
    QVERIFY(view->Find(QStringLiteral("mmmmmmmm")) == 0);
    QVERIFY(!view->hasFocus());

    const QImage shot = view->viewport()->grab().toImage();
    const QRect selected = view->cursorRect(view->textCursor()).adjusted(-20, 0, -4, 0);
    int highlighted = 0;
    for (int x = selected.left(); x < selected.right(); ++x)
        highlighted += QColor(shot.pixel(x, selected.center().y())) == QColor(0, 0, 160);
    QVERIFY2(highlighted > 5, "the selection is not drawn highlighted");
    // Past the text, the view shows its warm off-white ground.
    QCOMPARE(QColor(shot.pixel(shot.width() - 5, shot.height() - 5)), QColor(247, 243, 234));
}

void TestRichTextView::mouseUp_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shift");
    QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers() << 1 << 0;
    QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers() << 2 << 0;
    QTest::newRow("middle with Shift")
        << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ShiftModifier) << 4 << 1;
    QTest::newRow("right with Ctrl and Alt")
        << Qt::RightButton << (Qt::ControlModifier | Qt::AltModifier) << 2 << 6;
}

void TestRichTextView::mouseUp()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(int, code);
    QFETCH(int, shift);
    RichTextView view;
    QVERIFY(loadText(view, QStringLiteral("ab AB ab")));
    view.resize(300, 200);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QSignalSpy spy(&view, &RichTextView::MouseUp);
    // Through the window, as the window system delivers it, so that Qt would also raise a
    // context menu event for the right button.
    const QPoint at = view.viewport()->mapTo(&view, QPoint(10, 20));
    QTest::mousePress(view.windowHandle(), button, modifiers, at);
    QTest::mouseRelease(view.windowHandle(), button, modifiers, at);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy[0], QVariantList({code, shift, 150, 300}));
    QCOMPARE(QApplication::activePopupWidget(), nullptr); // the view opens no menu of its own
}

void TestRichTextView::placementInTwips()
{
    QWidget window;
    RichTextView view(&window);
    view.move(144, 0);
    QCOMPARE(view.Left(), 2160);
    QVERIFY(view.setWidth(5055));
    QCOMPARE(view.width(), 337);
    QVERIFY(view.setHeight(0));
    QCOMPARE(view.height(), 0);
    QVERIFY(!view.setWidth(-15));
    QVERIFY(!view.setHeight(-1));
    QCOMPARE(view.size(), QSize(337, 0));
}

void TestRichTextView::alignmentIsPhysicalInEitherDirection_data()
{
    QTest::addColumn<QByteArray>("paragraph");
    QTest::addColumn<int>("edge");  // where the first line's ink is flush: -1 left, 1 right
    QTest::addColumn<int>("inset"); // pixels between that edge and the margin
    const QByteArray arabic = "\\u1576?\\u1587?\\u1605? \\u1575?\\u1604?\\u1604?\\u1607?";
    QTest::newRow("right-to-left, qr: flush right") << "\\rtlpar\\qr " + arabic << 1 << 0;
    QTest::newRow("right-to-left, ql: flush left") << "\\rtlpar\\ql " + arabic << -1 << 0;
    QTest::newRow("right-to-left without an alignment word: left, as ql")
        << "\\rtlpar " + arabic << -1 << 0;
    QTest::newRow("right-to-left, the first line's indent at the right")
        << "\\rtlpar\\qr\\ri360\\fi360 " + arabic << 1 << 48;
    QTest::newRow("right-to-left, lin (the start) is the right indent")
        << "\\rtlpar\\qr\\ri0\\lin360 " + arabic << 1 << 24;
}

void TestRichTextView::alignmentIsPhysicalInEitherDirection()
{
    QFETCH(QByteArray, paragraph);
    QFETCH(int, edge);
    QFETCH(int, inset);
    QTemporaryDir folder;
    const QString path = folder.filePath("drejtimi.rtf");
    writeFile(path, "{\\rtf1\\ansi" + kFontTable + "\\pard\\f0 " + paragraph + "\\par}");
    RichTextView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(view.setFileName(path));
    QVERIFY(QTest::qWaitForWindowExposed(&view));

    QTextDocument* document = view.document();
    const QTextBlock block = document->firstBlock();
    document->documentLayout()->blockBoundingRect(block); // lays the block out
    const QTextLayout* layout = block.layout();
    QVERIFY(layout->lineCount() > 0);
    const QRectF ink = layout->lineAt(0).naturalTextRect().translated(layout->position());
    const double margin = document->documentMargin();
    if (edge > 0)
        QVERIFY2(std::abs(document->pageSize().width() - margin - inset - ink.right()) <= 2,
                 qPrintable(QString::number(ink.right())));
    else
        QVERIFY2(std::abs(margin + inset - ink.left()) <= 2,
                 qPrintable(QString::number(ink.left())));
}

void TestRichTextView::arabicTextTakesItsAssociatedFont()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("arabisht.rtf");
    // Word's idiom: the associated font is Arabic, the run itself left-to-right in Arial.
    writeFile(path, "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}{\\f1 Arial;}"
                    "{\\f5\\fcharset178 Traditional Arabic;}}\\pard\\f1 Fjala "
                    "{\\rtlch\\fcs1\\af5\\afs36\\ltrch\\fcs0\\f1\\fs24 "
                    "\\u1575?\\u1604?\\u1585?\\u1581?\\u1605?\\u1606?} e fundit\\par}");
    RichTextView view;
    QVERIFY(view.setFileName(path));
    const QString word = QString::fromUtf16(u"الرحمن");
    QCOMPARE(view.Text(), "Fjala " + word + " e fundit\r");
    QCOMPARE(view.Find(word), 6);
    QCOMPARE(fontName(view), QStringLiteral("Traditional Arabic"));
    QCOMPARE(shownFormat(view, 6).fontFamilies().toStringList(), QStringList("Traditional Arabic"));
    QCOMPARE(shownFormat(view, 6).fontPointSize(), 18.0);
    // Across the change of direction the selection is in the order the text is stored.
    view.setSelStart(4);
    view.setSelLength(6);
    QCOMPARE(view.SelText(), "a " + word.left(4));
}

QTEST_MAIN(TestRichTextView)
#include "tst_rich_text_view.moc"
