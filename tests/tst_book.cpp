// The book without a widget: its compact text gives back every character, and its find agrees
// with a plain search of the case-folded text, the way the view searched before the book held
// its text, on the sample book and on text of every kind of character.

#include "book.h"
#include "case_fold.h"
#include "rtf/parse_rtf.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

using velmora::Book;
using velmora::BookText;

namespace {

// Latin-1 letters of both cases, marks kept aside (dashes, quotes, Arabic, a line break), the
// placeholder byte's own character, a pair of surrogates, and characters whose folded form
// crosses between one byte and two (the Kelvin sign folds to 'k', the micro sign to mu).
const QString kMixed = QStringLiteral(
    "Ç’ËSHTË KJO? Një libër — “Velmora” \u1576\u0633\u0645 Ëë\u001Axy \U0001D400 \u212A k "
    "\u00B5 \u03BC\u2028fund\r\tSHKRONJA të vogla dhe të MËDHA");

int referenceFind(const QString& text, const QString& needle, int from, int before)
{
    const int at = int(velmora::foldCase(text).indexOf(velmora::foldCase(needle), from));
    return at < before ? at : -1;
}

Book bookOf(const QString& text)
{
    velmora::rtf::Model parsed;
    parsed.text = text.toStdU16String();
    parsed.fontNames = {"Times New Roman"};
    parsed.charFormats.emplace_back();
    parsed.runs.push_back({0, int32_t(text.size()), 0});
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
    for (int from = 0; from < kMixed.size(); from += 3) {
        const int before = std::min(int(kMixed.size()), from + 40);
        QCOMPARE(book.find(needle, from, before), referenceFind(kMixed, needle, from, before));
    }
}

void TestBook::findAgreesOnTheSampleBook()
{
    QFile file(QStringLiteral(VELMORA_SAMPLE_BOOK));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const Book book(
        velmora::rtf::parseRtf(std::string_view(bytes.constData(), std::size_t(bytes.size())))
            .model);
    const QString text = book.text();
    QRandomGenerator random(11);
    for (int i = 0; i < 300; ++i) {
        // Needles cut from the book itself, so most are found, some with other letter case.
        const int at = random.bounded(int(text.size()) - 20);
        QString needle = text.mid(at, 1 + random.bounded(12));
        if (i % 3 == 0)
            needle = needle.toUpper();
        const int from = random.bounded(int(text.size()));
        QCOMPARE(book.find(needle, from, int(text.size())),
                 referenceFind(text, needle, from, int(text.size())));
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
