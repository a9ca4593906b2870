// The book without a widget: its compact text gives back every character, and its find agrees
// with a plain search of the case-folded text, the way the view searched before the book held
// its text, on the sample book and on text of every kind of character.

#include "book.h"
#include "case_fold.h"
#include "rtf/reader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using velmora::Book;
using velmora::BookText;
using velmora::FindFlag;
using velmora::FindFlags;

namespace {

// Latin-1 letters of both cases, marks kept aside (dashes, quotes, Arabic, a line break), the
// placeholder byte's own character, a pair of surrogates, and characters whose folded form
// crosses between one byte and two (the Kelvin sign folds to 'k', the micro sign to mu).
const QString kMixed = QStringLiteral(
    "Ç’ËSHTË KJO? Një libër — “Velmora” \u1576\u0633\u0645 Ëë\u001Axy \U0001D400 \u212A k "
    "\u00B5 \u03BC\u2028fund\r\tSHKRONJA të vogla dhe të MËDHA");

int referenceFind(const QString& text, const QString& needle, int from, int before, FindFlags flags)
{
    const bool matchCase = flags.testFlag(FindFlag::MatchCase);
    const QString haystack = matchCase ? text : velmora::foldCase(text);
    const QString key = matchCase ? needle : velmora::foldCase(needle);
    const auto isWord = [&](int at) {
        return at >= 0 && at < text.size() && text[at].isLetterOrNumber();
    };
    for (int at = haystack.indexOf(key, from); at >= 0 && at < before;
         at = haystack.indexOf(key, at + 1)) {
        if (!flags.testFlag(FindFlag::WholeWord) ||
            (!isWord(at - 1) && !isWord(at + int(key.size()))))
            return at;
    }
    return -1;
}

Book bookOf(const QString& text)
{
    velmora::rtf::Document parsed;
    parsed.text = text.toStdU16String();
    return Book(std::move(parsed));
}

} // namespace

class TestBook : public QObject {
    Q_OBJECT

private slots:
    void keepsEveryCharacter();
    void findAgreesWithAPlainSearch_data();
    void findAgreesWithAPlainSearch();
    void findAgreesOnTheSampleBook();
    void plainTextHasLineFeeds();
};

void TestBook::keepsEveryCharacter()
{
    const BookText text(kMixed.toStdU16String());
    QCOMPARE(text.length(), kMixed.size());
    QCOMPARE(text.mid(0, text.length()), kMixed);
    for (int i = 0; i < kMixed.size(); ++i)
        QCOMPARE(text.at(i), kMixed[i]);
    QRandomGenerator random(3);
    for (int i = 0; i < 200; ++i) {
        const int start = random.bounded(int(kMixed.size()) + 1);
        const int count = random.bounded(int(kMixed.size()) + 2);
        QCOMPARE(text.mid(start, count), kMixed.mid(start, count));
    }
    for (const QChar c : {QChar(u'\r'), QChar(u'\u2028'), QChar(u'\u001A'), QChar(u'—')})
        for (int from = 0; from <= kMixed.size(); from += 7)
            QCOMPARE(text.indexOf(c, from), int(kMixed.indexOf(c, from)));
}

void TestBook::findAgreesWithAPlainSearch_data()
{
    QTest::addColumn<QString>("needle");
    QTest::newRow("a word, letter case ignored") << "shkronja";
    QTest::newRow("capital Ë found by small ë") << "është";
    QTest::newRow("a dash kept aside") << "libër — “v";
    QTest::newRow("Arabic") << "\u0633\u0645";
    QTest::newRow("the placeholder's own character") << "ë\u001Ax";
    QTest::newRow("a character outside the first plane") << "\U0001D400";
    QTest::newRow("the Kelvin sign and k") << "k";
    QTest::newRow("the micro sign and mu") << "\u03BC";
    QTest::newRow("across a line break and a paragraph end") << "\u03BC\u2028fund\r";
    QTest::newRow("absent") << "velmorax";
}

void TestBook::findAgreesWithAPlainSearch()
{
    QFETCH(QString, needle);
    const Book book = bookOf(kMixed);
    for (const FindFlags flags :
         {FindFlags(), FindFlags(FindFlag::MatchCase), FindFlags(FindFlag::WholeWord),
          FindFlag::MatchCase | FindFlag::WholeWord}) {
        for (int from = 0; from < kMixed.size(); from += 3) {
            const int before = std::min(int(kMixed.size()), from + 40);
            QCOMPARE(book.find(needle, from, before, flags),
                     referenceFind(kMixed, needle, from, before, flags));
        }
    }
}

void TestBook::findAgreesOnTheSampleBook()
{
    QFile file(QStringLiteral(VELMORA_SAMPLE_BOOK));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const Book book(
        velmora::rtf::readRtf(std::string_view(bytes.constData(), std::size_t(bytes.size())))
            .document);
    const QString text = book.text();
    QRandomGenerator random(11);
    for (int i = 0; i < 300; ++i) {
        // Needles cut from the book itself, so most are found, some with other letter case.
        const int at = random.bounded(int(text.size()) - 20);
        QString needle = text.mid(at, 1 + random.bounded(12));
        if (i % 3 == 0)
            needle = needle.toUpper();
        const int from = random.bounded(int(text.size()));
        const FindFlags flags = i % 5 == 0 ? FindFlags(FindFlag::MatchCase) : FindFlags();
        QCOMPARE(book.find(needle, from, int(text.size()), flags),
                 referenceFind(text, needle, from, int(text.size()), flags));
    }
}

void TestBook::plainTextHasLineFeeds()
{
    const Book book = bookOf(QStringLiteral("një\u2028dy\u00A0tre\u00ADkatër\tpesë\rgjashtë"));
    QCOMPARE(book.plainText(0, book.length()),
             QStringLiteral("një\ndy\u00A0tre\u00ADkatër\tpesë\ngjashtë"));
}

QTEST_APPLESS_MAIN(TestBook)
#include "tst_book.moc"
