// The jump to a hadith: the first occurrence of its number in "Arial", extended to the end of
// the heading line, whatever else in the book holds the same digits.

#include "hadith_jump.h"
#include "rich_text_view.h"
#include "test_books.h"
#include "view_commands.h"

#include <QtTest>

using namespace velmora;
using namespace velmora::test;

class TestHadithJump : public QObject {
    Q_OBJECT

private slots:
    void landsOnHeadingLine_data();
    void landsOnHeadingLine();
    void numberAbsentLeavesCaretAtStart();
    void numberOnlyInBodyEndsOnLastOccurrence();
    void landsAfterTextSizeChange();
    void landsFromEndOfBook();
    void showsHeadingLineAtTop();
};

void TestHadithJump::landsOnHeadingLine_data()
{
    QTest::addColumn<QString>("book");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("start");

    QTest::newRow("a number met first in body text is passed over")
        << "T:Shih 1 dhe 21.\n|A:1\n|T:Teksti i parë.\n|A:21\n|T:Teksti tjetër.\n"
        << "21"
        << "21" << 32;
    QTest::newRow("the heading 2 comes before the 2 inside heading 12")
        << "A:1\n|T:a\n|A:2\n|T:b\n|A:12\n|T:c\n"
        << "2"
        << "2" << 4;
    QTest::newRow("a later heading that contains the number comes after its own")
        << "A:1\n|T:x\n|A:11\n|T:y\n"
        << "1"
        << "1" << 0;
    QTest::newRow("14 found only inside the heading 114") << "A:1\n|T:a\n|A:114 Fjala\n|T:b\n"
                                                          << "14"
                                                          << "14 Fjala" << 5;
    QTest::newRow("443 lands on its own heading, not on 443. a)")
        << "A:443\n|T:a\n|A:443. a)\n|T:b\n"
        << "443"
        << "443" << 0;
    QTest::newRow("443. a) lands on the extra heading") << "A:443\n|T:a\n|A:443. a)\n|T:b\n"
                                                        << "443. a)"
                                                        << "443. a)" << 6;
    QTest::newRow("a heading line with text after the number is selected to its end")
        << "A:1\n|T:a\n|A:7 |T:— Për durimin\n|T:b\n"
        << "7"
        << "7 — Për durimin" << 4;
    QTest::newRow("a heading on the last line without a final paragraph end")
        << "A:1\n|T:a\n|A:2 fund"
        << "2"
        << "2 fund" << 4;
    QTest::newRow("titles in Arial Black and notes in Arial Narrow are not headings")
        << "B:Kapitulli 3\n|N:Shënim 3\n|A:3\n|T:a\n"
        << "3"
        << "3" << 21;
    QTest::newRow("a match that spans Arial and another font counts as a heading")
        << "T:a\n|A:5|T:6 b\n"
        << "56"
        << "56 b" << 2;
    QTest::newRow("an occurrence overlapping a rejected one is not seen") << "T:111\n|A:11\n"
                                                                          << "11"
                                                                          << "11" << 4;
}

void TestHadithJump::landsOnHeadingLine()
{
    QFETCH(QString, book);
    QFETCH(QString, number);
    QFETCH(QString, selected);
    QFETCH(int, start);

    RichTextView view;
    QVERIFY(loadBook(view, book));
    jumpToHadith(view, number);
    QCOMPARE(view.SelText(), selected);
    QCOMPARE(view.SelStart(), start);
}

void TestHadithJump::numberAbsentLeavesCaretAtStart()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("A:1\n|T:një tekst\n|A:2\n|T:tjetër\n")));
    view.setSelStart(10);
    view.setSelLength(3);
    jumpToHadith(view, QStringLiteral("99"));
    QCOMPARE(view.SelStart(), 0);
    QCOMPARE(view.SelText(), QString());
}

void TestHadithJump::numberOnlyInBodyEndsOnLastOccurrence()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("A:1\n|T:shih 9 dhe 9 sërish\n")));
    jumpToHadith(view, QStringLiteral("9"));
    QCOMPARE(view.SelText(), QStringLiteral("9"));
    QCOMPARE(view.SelStart(), 2 + QStringLiteral("shih 9 dhe ").size());
}

void TestHadithJump::landsAfterTextSizeChange()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("T:hyrje 2\n|A:1\n|T:a\n|A:2 Emri\n|T:b\n")));
    applyTextSize(view, QStringLiteral("26"));
    jumpToHadith(view, QStringLiteral("2"));
    QCOMPARE(view.SelText(), QStringLiteral("2 Emri"));
}

void TestHadithJump::landsFromEndOfBook()
{
    RichTextView view;
    QVERIFY(loadBook(view, QStringLiteral("A:1\n|T:a\n|A:2\n|T:b 1\n")));
    view.setSelStart(view.TextLength());
    jumpToHadith(view, QStringLiteral("1"));
    QCOMPARE(view.SelStart(), 0);
    QCOMPARE(view.SelText(), QStringLiteral("1"));
}

void TestHadithJump::showsHeadingLineAtTop()
{
    QString book = QStringLiteral("A:1\n");
    for (int line = 0; line < 200; ++line)
        book += QStringLiteral("|T:Rreshti %1 i hadithit të parë.\n").arg(line);
    book += QStringLiteral("|A:2\n|T:Hadithi i dytë.\n");
    for (int line = 0; line < 200; ++line)
        book += QStringLiteral("|T:Rreshti %1 i hadithit të dytë.\n").arg(line);
    RichTextView view;
    view.resize(300, 200);
    view.show();
    QVERIFY(loadBook(view, book));
    jumpToHadith(view, QStringLiteral("2"));
    QCOMPARE(view.SelText(), QStringLiteral("2"));
    const int top = depthOf(view, view.SelStart());
    QVERIFY2(top >= 0 && top < 10, qPrintable(QString::number(top)));
}

QTEST_MAIN(TestHadithJump)
#include "tst_hadith_jump.moc"
