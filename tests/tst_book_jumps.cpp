// Every entry of the hadith-number list lands on its own heading line in the sample book.

#include "hadith_jump.h"
#include "rich_text_view.h"

#include <QtTest>

using namespace velmora;

class TestBookJumps : public QObject {
    Q_OBJECT

private slots:
    void everyEntryLandsOnItsHeadingLine();
};

void TestBookJumps::everyEntryLandsOnItsHeadingLine()
{
    RichTextView view;
    BookFileOutcome outcome;
    QVERIFY2(view.setFileName(QStringLiteral(VELMORA_SAMPLE_BOOK), &outcome),
             qPrintable(outcome.systemDetail));
    const QString text = view.Text();

    int previousStart = -1;
    for (const QString& entry : hadithNumbers()) {
        jumpToHadith(view, entry);
        const int start = view.SelStart();
        const int end = start + view.SelLength();
        QVERIFY2(view.SelText().startsWith(entry), qPrintable(entry));
        QVERIFY2(start == 0 || text.at(start - 1) == u'\r', qPrintable(entry));
        QVERIFY2(end == text.size() || text.at(end) == u'\r', qPrintable(entry));
        view.setSelStart(start);
        view.setSelLength(int(entry.size()));
        QCOMPARE(view.SelFontName().value_or(QString()), QStringLiteral("Arial"));
        QVERIFY2(start > previousStart, qPrintable(entry));
        previousStart = start;
    }
}

QTEST_MAIN(TestBookJumps)
#include "tst_book_jumps.moc"
