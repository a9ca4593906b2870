// The text size of the whole book, caret to start and end, select all, and copy.

#include "hadith_jump.h"
#include "rich_text_view.h"
#include "test_books.h"
#include "view_commands.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextBlock>
#include <QtTest>

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kBook = QStringLiteral("B:Kapitulli 1\n|A:1 Hyrja\n|T:Çdo ditë i Dërguari tha.\n"
                                     "|N:Shënim 2\n|A:2\n|T:Fundi");

struct FormatCensus {
    QSet<qreal> sizes;
    QSet<QString> families;
    int boldCharacters = 0;
};

FormatCensus censusOf(const RichTextView& view)
{
    FormatCensus census;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            census.sizes.insert(format.fontPointSize());
            for (const QString& family : format.fontFamilies().toStringList())
                census.families.insert(family);
            if (format.fontWeight() >= QFont::Bold)
                census.boldCharacters += it.fragment().length();
        }
    }
    return census;
}

} // namespace

class TestViewCommands : public QObject {
    Q_OBJECT

private slots:
    void textSizeReachesEveryCharacterAndKeepsFonts();
    void textSizeLeavesCaretAtStart();
    void caretToStartAndEnd();
    void selectAllThenCopyGivesWholePlainText();
    void copyAfterJumpGivesHeadingLine();
    void copyOfEmptySelectionLeavesClipboard();
    void copyLeavesSelectionInPlace();
};

void TestViewCommands::textSizeReachesEveryCharacterAndKeepsFonts()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:hyrje |T:") + kBook));
    const FormatCensus before = censusOf(view);
    applyTextSize(view, QStringLiteral("26"));
    const FormatCensus after = censusOf(view);
    QCOMPARE(after.sizes, QSet<qreal>{26});
    QCOMPARE(after.families, before.families);
    QCOMPARE(after.boldCharacters, before.boldCharacters);

    view.setSelStart(0);
    view.setSelLength(9);
    QCOMPARE(view.SelFontName(), std::optional<QString>(QStringLiteral("Times New Roman")));
}

void TestViewCommands::textSizeLeavesCaretAtStart()
{
    RichTextView view;
    QVERIFY(loadBook(view, kBook));
    view.setSelStart(20);
    view.setSelLength(5);
    applyTextSize(view, QStringLiteral("8"));
    QCOMPARE(view.SelStart(), 0);
    QCOMPARE(view.SelLength(), 0);
    jumpToHadith(view, QStringLiteral("2"));
    QCOMPARE(view.SelText(), QStringLiteral("2"));
}

void TestViewCommands::caretToStartAndEnd()
{
    RichTextView view;
    QVERIFY(loadBook(view, kBook));
    caretToEnd(view);
    QCOMPARE(view.SelStart(), view.Text().size());
    QCOMPARE(view.SelLength(), 0);
    caretToStart(view);
    QCOMPARE(view.SelStart(), 0);
}

void TestViewCommands::selectAllThenCopyGivesWholePlainText()
{
    RichTextView view;
    QVERIFY(loadBook(view, kBook));
    selectAll(view);
    QCOMPARE(view.SelLength(), view.Text().size());
    QVERIFY(copySelection(view));
    QString expected = view.Text();
    expected.replace(u'\r', u'\n');
    QCOMPARE(QApplication::clipboard()->text(), expected);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    QVERIFY(data && !data->hasHtml());
    QVERIFY(!data->hasFormat(QStringLiteral("text/rtf")));
}

void TestViewCommands::copyAfterJumpGivesHeadingLine()
{
    RichTextView view;
    QVERIFY(loadBook(view, kBook));
    jumpToHadith(view, QStringLiteral("1"));
    QVERIFY(copySelection(view));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("1 Hyrja"));
}

// Copying nothing over what the reader copied from another program would lose it.
void TestViewCommands::copyOfEmptySelectionLeavesClipboard()
{
    RichTextView view;
    QVERIFY(loadBook(view, kBook));
    QApplication::clipboard()->setText(QStringLiteral("e vjetra"));
    view.setSelStart(4);
    QVERIFY(copySelection(view));
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("e vjetra"));
}

void TestViewCommands::copyLeavesSelectionInPlace()
{
    RichTextView view;
    QVERIFY(loadBook(view, kBook));
    view.setSelStart(3);
    view.setSelLength(4);
    copySelection(view);
    QCOMPARE(view.SelStart(), 3);
    QCOMPARE(view.SelLength(), 4);
    QCOMPARE(QApplication::clipboard()->text(), view.SelText());
}

QTEST_MAIN(TestViewCommands)
#include "tst_view_commands.moc"
