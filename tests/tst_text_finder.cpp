// The book's byte finder against a plain reference search, over every start and bound, so that
// the vector loop's lanes, its tail and its bounds are all crossed (and the loop of processors
// without SSE2 in the preset scalar).

#include "text_finder.h"

#include <QtTest>
#include <random>

using velmora::ByteFinder;

namespace {

std::size_t referenceFind(std::string_view text, std::string_view needle, std::size_t from,
                          std::size_t before)
{
    if (needle.empty())
        return ByteFinder::kNotFound;
    for (std::size_t p = from; p < before && p + needle.size() <= text.size(); ++p) {
        if (text.substr(p, needle.size()) == needle)
            return p;
    }
    return ByteFinder::kNotFound;
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
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("needle");
    const auto row = [](const char* name, const char* text, const char* needle) {
        QTest::newRow(name) << QByteArray(text) << QByteArray(needle);
    };
    row("one character", "abcdefghijklmnopqrstuvwxyz", "q");
    row("a match in the very last place", "eeeeeeeeeeeeeeeeeeeeezq", "zq");
    row("first and last characters agree, the middle does not", "ezzqexxq ezzq eyyq ezzq", "ezzq");
    row("the needle longer than the text", "abc", "abcd");
    row("the needle equal to the text", "abcdefghijk", "abcdefghijk");
    row("an empty needle", "abc", "");
    row("repeated letters", "aaaaaaaaaaaaaaaaaaab", "aab");
    row("bytes above ASCII, as the book holds ë and ç", "\xeb\xeb\xeb\xeb\xeb\xeb\xe7", "\xeb\xe7");
}

void TestTextFinder::agreesWithAPlainSearch()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, needle);
    const std::string_view hay(text.constData(), static_cast<std::size_t>(text.size()));
    const std::string_view want(needle.constData(), static_cast<std::size_t>(needle.size()));
    const ByteFinder finder(want);
    for (std::size_t from = 0; from <= hay.size() + 1; ++from) {
        for (std::size_t before = from; before <= hay.size() + 2; ++before)
            QCOMPARE(finder.find(hay, from, before), referenceFind(hay, want, from, before));
    }
}

void TestTextFinder::randomTextsAgree()
{
    std::mt19937 random(20240115);
    for (int round = 0; round < 300; ++round) {
        std::string text(random() % 70, 'a');
        for (char& c : text)
            c = static_cast<char>('a' + random() % 3);
        std::string needle(1 + random() % 4, 'a');
        for (char& c : needle)
            c = static_cast<char>('a' + random() % 3);
        const ByteFinder finder(needle);
        const std::size_t from = random() % (text.size() + 1);
        const std::size_t before = from + random() % (text.size() + 2 - from);
        QCOMPARE(finder.find(text, from, before), referenceFind(text, needle, from, before));
    }
}

QTEST_APPLESS_MAIN(TestTextFinder)
#include "tst_text_finder.moc"
