// TextFinder against a plain reference search, over every start and bound, so that the vector
// loop's lanes, its tail and its bounds are all crossed.

#include "text_finder.h"

#include <QtTest>
#include <random>

using velmora::TextFinder;

namespace {

std::size_t referenceFind(std::u16string_view text, std::u16string_view needle, std::size_t from,
                          std::size_t before)
{
    if (needle.empty())
        return TextFinder::kNotFound;
    for (std::size_t p = from; p < before && p + needle.size() <= text.size(); ++p) {
        if (text.substr(p, needle.size()) == needle)
            return p;
    }
    return TextFinder::kNotFound;
}

} // namespace

class TestTextFinder : public QObject {
    Q_OBJECT

private slots:
    void agreesWithAPlainSearch_data();
    void agreesWithAPlainSearch();
    void randomTextsAgree();
};

void TestTextFinder::agreesWithAPlainSearch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::newRow("one character") << "abcdefghijklmnopqrstuvwxyz"
                                   << "q";
    QTest::newRow("a match in the very last place") << "eeeeeeeeeeeeeeeeeeeeezq"
                                                    << "zq";
    QTest::newRow("first and last characters agree, the middle does not")
        << "ezzqexxq ezzq eyyq ezzq"
        << "ezzq";
    QTest::newRow("the needle longer than the text") << "abc"
                                                     << "abcd";
    QTest::newRow("the needle equal to the text") << "abcdefghijk"
                                                  << "abcdefghijk";
    QTest::newRow("an empty needle") << "abc"
                                     << "";
    QTest::newRow("repeated letters") << "aaaaaaaaaaaaaaaaaaab"
                                      << "aab";
    QTest::newRow("characters above the Latin range") << "ëëëëëëëëçëëëëëëëëç"
                                                      << "ëç";
    QTest::newRow("halves of the same code unit value in different bytes")
        << QString::fromUtf16(u"\u0161\u6100\u0061\u0061\u0161\u0061")
        << QString::fromUtf16(u"\u0061\u0161");
}

void TestTextFinder::agreesWithAPlainSearch()
{
    QFETCH(QString, text);
    QFETCH(QString, needle);
    const std::u16string_view hay(reinterpret_cast<const char16_t*>(text.utf16()),
                                  static_cast<std::size_t>(text.size()));
    const std::u16string_view want(reinterpret_cast<const char16_t*>(needle.utf16()),
                                   static_cast<std::size_t>(needle.size()));
    const TextFinder finder(want);
    for (std::size_t from = 0; from <= hay.size() + 1; ++from) {
        for (std::size_t before = from; before <= hay.size() + 2; ++before) {
            const std::size_t expected = referenceFind(hay, want, from, before);
            QCOMPARE(finder.find(hay, from, before), expected);
            QCOMPARE(finder.findScalar(hay, from, before), expected);
        }
    }
}

void TestTextFinder::randomTextsAgree()
{
    std::mt19937 random(20240115);
    for (int round = 0; round < 300; ++round) {
        std::u16string text(random() % 70, u'a');
        for (char16_t& c : text)
            c = static_cast<char16_t>(u'a' + random() % 3);
        std::u16string needle(1 + random() % 4, u'a');
        for (char16_t& c : needle)
            c = static_cast<char16_t>(u'a' + random() % 3);
        const TextFinder finder(needle);
        const std::size_t from = random() % (text.size() + 1);
        const std::size_t before = from + random() % (text.size() + 2 - from);
        QCOMPARE(finder.find(text, from, before), referenceFind(text, needle, from, before));
    }
}

QTEST_APPLESS_MAIN(TestTextFinder)
#include "tst_text_finder.moc"
