// The generated sample book, parsed by the program's own RTF parser, keeps the conventions that the
// hadith jump relies on, and is written with the escapes a word processor uses.

#include "rtf/parse_rtf.h"

#include <QtTest>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

const std::string kArial = "Arial";
const std::string kBodyFont = "Times New Roman";
constexpr int kHeadingCount = 1015;

std::u16string toU16(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

// "1" to "443", "443. a)", "444" to "1014": the entries of the hadith-number list.
std::vector<std::u16string> headingList()
{
    std::vector<std::u16string> list;
    for (int n = 1; n <= 1014; ++n) {
        list.push_back(toU16(std::to_string(n)));
        if (n == 443)
            list.push_back(u"443. a)");
    }
    return list;
}

// The jump's search ignores letter case.
std::u16string foldCase(std::u16string s)
{
    for (char16_t& c : s)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return s;
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

QString quoted(const std::u16string& s)
{
    return QLatin1Char('"') + QString::fromStdU16String(s) + QLatin1Char('"');
}

} // namespace

class TestSampleBook : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void theFontTableNamesEachFontExactly_data();
    void theFontTableNamesEachFontExactly();
    void charactersAreWrittenAsAWordProcessorWritesThem_data();
    void charactersAreWrittenAsAWordProcessorWritesThem();
    void unicodeFallbacksNeverShowInTheText();
    void theRtfLinesAreWrapped();
    void everyHeadingIsWhereTheJumpLandsForItsNumber();
    void noNumberTextTouchesArialBeforeItsHeading();
    void titlesNotesAndBodyCarryNumbersInOtherFonts_data();
    void titlesNotesAndBodyCarryNumbersInOtherFonts();
    void eachHadithHasFiftyToTwoHundredFiftyWords();
    void theTextIsAboutAMillionCharacters();

private:
    bool isArial(std::size_t pos) const { return m_fontName[pos] == m_arial; }
    bool allInFont(std::size_t start, std::size_t end, int font) const;
    int jumpTarget(const std::u16string& number) const;
    std::size_t paragraphEnd(std::size_t pos) const;

    std::string m_bytes;
    rtf::Model m_book;
    std::u16string m_folded;
    std::vector<std::string> m_names; // distinct font names
    std::vector<int> m_fontName;      // per character: index into m_names
    int m_arial = -1;
    std::vector<std::size_t> m_headings; // starts of the paragraphs that open in "Arial"
};

void TestSampleBook::initTestCase()
{
    std::ifstream in(VELMORA_SAMPLE_BOOK, std::ios::binary);
    QVERIFY2(in, "the sample book is missing: build the target sample_book");
    m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());

    rtf::ParseResult result = rtf::parseRtf(m_bytes);
    QVERIFY2(result.status == rtf::ParseStatus::Ok, result.message.c_str());
    m_book = std::move(result.model);
    m_folded = foldCase(m_book.text);

    // Fonts are compared by name, as the jump does: two table entries may share one.
    std::vector<int> nameOfFont;
    for (const std::string& name : m_book.fontNames) {
        auto it = std::find(m_names.begin(), m_names.end(), name);
        if (it == m_names.end())
            it = m_names.insert(m_names.end(), name);
        nameOfFont.push_back(static_cast<int>(it - m_names.begin()));
    }
    const auto arial = std::find(m_names.begin(), m_names.end(), kArial);
    QVERIFY(arial != m_names.end());
    m_arial = static_cast<int>(arial - m_names.begin());

    m_fontName.assign(m_book.text.size(), -1);
    for (const rtf::CharRun& run : m_book.runs)
        std::fill_n(m_fontName.begin() + run.start, run.length,
                    nameOfFont.at(m_book.formatOf(run).font));
    QVERIFY(std::find(m_fontName.begin(), m_fontName.end(), -1) == m_fontName.end());

    for (std::size_t p = 0; p < m_book.text.size(); ++p) {
        const bool paragraphStart = p == 0 || m_book.text[p - 1] == rtf::Model::kParagraphEnd;
        if (paragraphStart && m_book.text[p] != rtf::Model::kParagraphEnd && isArial(p))
            m_headings.push_back(p);
    }
}

bool TestSampleBook::allInFont(std::size_t start, std::size_t end, int font) const
{
    return std::all_of(m_fontName.begin() + static_cast<std::ptrdiff_t>(start),
                       m_fontName.begin() + static_cast<std::ptrdiff_t>(end),
                       [font](int f) { return f == font; });
}

// Where the jump ends for a number text: the first match from the top whose characters are not
// all in one font other than "Arial"; after a match in such a font the next search starts at
// the end of that match. -1 when no such match exists.
int TestSampleBook::jumpTarget(const std::u16string& number) const
{
    const std::u16string needle = foldCase(number);
    std::size_t p = m_folded.find(needle);
    while (p != std::u16string::npos) {
        const int font = m_fontName[p];
        if (font == m_arial || !allInFont(p, p + needle.size(), font))
            return static_cast<int>(p);
        p = m_folded.find(needle, p + needle.size());
    }
    return -1;
}

std::size_t TestSampleBook::paragraphEnd(std::size_t pos) const
{
    const std::size_t end = m_book.text.find(rtf::Model::kParagraphEnd, pos);
    return end == std::u16string::npos ? m_book.text.size() : end;
}

void TestSampleBook::theFontTableNamesEachFontExactly_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("the body font") << "Times New Roman";
    QTest::newRow("the heading font") << "Arial";
    QTest::newRow("the chapter title font, another font than Arial") << "Arial Black";
    QTest::newRow("the note font, another font than Arial") << "Arial Narrow";
    QTest::newRow("the Arabic font of the complex-script properties") << "Traditional Arabic";
}

void TestSampleBook::theFontTableNamesEachFontExactly()
{
    QFETCH(QString, name);
    QCOMPARE(std::count(m_book.fontNames.begin(), m_book.fontNames.end(), name.toStdString()), 1);
}

void TestSampleBook::charactersAreWrittenAsAWordProcessorWritesThem_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("a header that declares code page 1252")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0") << QString();
    QTest::newRow("ë as a cp1252 hex escape") << QByteArray("\\'eb") << "ë";
    QTest::newRow("Ë as a cp1252 hex escape") << QByteArray("\\'cb") << "Ë";
    QTest::newRow("ç as a cp1252 hex escape") << QByteArray("\\'e7") << "ç";
    QTest::newRow("Ç as a cp1252 hex escape") << QByteArray("\\'c7") << "Ç";
    QTest::newRow("« as a cp1252 hex escape") << QByteArray("\\'ab") << "«";
    QTest::newRow("» as a cp1252 hex escape") << QByteArray("\\'bb") << "»";
    QTest::newRow("the en dash as a cp1252 hex escape") << QByteArray("\\'96") << "\u2013";
    QTest::newRow("the em dash as a cp1252 hex escape") << QByteArray("\\'97") << "\u2014";
    QTest::newRow("ë as a Unicode escape with one fallback character")
        << QByteArray("\\u235?") << "ë";
    QTest::newRow("№, outside cp1252, as a Unicode escape") << QByteArray("\\u8470?") << "№";
    QTest::newRow("the default search text") << QByteArray("i D\\'ebrguari") << "i Dërguari";
    QTest::newRow("an Arabic font of the Arabic charset")
        << QByteArray("\\fcharset178 Traditional Arabic;") << QString();
    QTest::newRow("the basmala in a right-to-left paragraph, in Word's idiom")
        << QByteArray(
               "\\rtlpar\\qr\\sa120{\\ltrch\\fcs0\\f0\\fs24\\rtlch\\fcs1\\af4\\afs32\\u1576?")
        << QString::fromUtf16(u"بسم الله الرحمن الرحيم");
}

void TestSampleBook::charactersAreWrittenAsAWordProcessorWritesThem()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QVERIFY2(m_bytes.find(rtf.toStdString()) != std::string::npos, rtf.constData());
    if (!text.isEmpty())
        QVERIFY2(m_book.text.find(text.toStdU16String()) != std::u16string::npos, qPrintable(text));
}

void TestSampleBook::unicodeFallbacksNeverShowInTheText()
{
    // The book's own text has no question marks: one would be a \u fallback read as text.
    QCOMPARE(std::count(m_book.text.begin(), m_book.text.end(), u'?'), 0);
}

void TestSampleBook::theRtfLinesAreWrapped()
{
    std::size_t lines = 0;
    std::size_t longest = 0;
    for (std::size_t start = 0; start < m_bytes.size(); ++lines) {
        std::size_t end = m_bytes.find("\r\n", start);
        if (end == std::string::npos)
            end = m_bytes.size();
        longest = std::max(longest, end - start);
        start = end + 2;
    }
    QVERIFY2(longest <= 200, qPrintable(QString::number(longest)));
    QVERIFY(lines > m_bytes.size() / 200);
}

void TestSampleBook::everyHeadingIsWhereTheJumpLandsForItsNumber()
{
    const std::vector<std::u16string> list = headingList();
    QCOMPARE(static_cast<int>(list.size()), kHeadingCount);
    QCOMPARE(static_cast<int>(m_headings.size()), kHeadingCount);

    int passedOver = 0; // headings whose number is met earlier in another font
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::u16string& number = list[i];
        const std::size_t heading = m_headings[i];
        QVERIFY2(m_book.text.compare(heading, number.size(), number) == 0,
                 qPrintable(quoted(number) + " is not the heading in place " + QString::number(i)));
        QVERIFY2(allInFont(heading, heading + number.size(), m_arial), qPrintable(quoted(number)));
        const std::size_t after = heading + number.size();
        QVERIFY2(after == m_book.text.size() || !isDigit(m_book.text[after]),
                 qPrintable(quoted(number) + " runs on into more digits"));

        QCOMPARE(jumpTarget(number), static_cast<int>(heading));
        if (m_book.text.find(number) < heading)
            ++passedOver;
    }
    // The book must make the jump pass over numbers in body text, or it proves little.
    QVERIFY2(passedOver > kHeadingCount / 2, qPrintable(QString::number(passedOver)));
}

void TestSampleBook::noNumberTextTouchesArialBeforeItsHeading()
{
    // Stricter than the jump sees: overlapping occurrences count too.
    std::vector<std::pair<std::size_t, std::size_t>> arialStretches;
    for (std::size_t p = 0; p < m_book.text.size(); ++p) {
        if (!isArial(p))
            continue;
        std::size_t end = p;
        while (end < m_book.text.size() && isArial(end))
            ++end;
        arialStretches.emplace_back(p, end);
        p = end;
    }

    const std::vector<std::u16string> list = headingList();
    QCOMPARE(m_headings.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::u16string needle = foldCase(list[i]);
        for (const auto& [start, end] : arialStretches) {
            if (start >= m_headings[i])
                break;
            // Any occurrence that shares a character with [start, end) lies in this window.
            const std::size_t from = start >= needle.size() ? start - needle.size() + 1 : 0;
            const std::size_t to = std::min(end, m_headings[i]) + needle.size() - 1;
            const std::u16string_view window(m_folded.data() + from, to - from);
            const std::size_t p = window.find(needle);
            QVERIFY2(p == std::u16string_view::npos,
                     qPrintable(quoted(list[i]) + " touches Arial at " + QString::number(from + p) +
                                " before its heading"));
        }
    }
}

void TestSampleBook::titlesNotesAndBodyCarryNumbersInOtherFonts_data()
{
    QTest::addColumn<QString>("font");
    QTest::addColumn<QString>("opening");
    QTest::addColumn<int>("atLeast");
    QTest::newRow("a chapter title every fifty hadith") << "Arial Black"
                                                        << "Kapitulli " << 20;
    QTest::newRow("notes that refer to other hadith") << "Arial Narrow"
                                                      << "Shënim: " << 50;
    QTest::newRow("references in the body text") << "Times New Roman"
                                                 << "nr. " << 300;
}

void TestSampleBook::titlesNotesAndBodyCarryNumbersInOtherFonts()
{
    QFETCH(QString, font);
    QFETCH(QString, opening);
    QFETCH(int, atLeast);
    const auto name = std::find(m_names.begin(), m_names.end(), font.toStdString());
    QVERIFY(name != m_names.end());
    const int fontIndex = static_cast<int>(name - m_names.begin());
    const std::u16string text = opening.toStdU16String();

    int found = 0;
    for (std::size_t p = m_book.text.find(text); p != std::u16string::npos;
         p = m_book.text.find(text, p + 1)) {
        const std::size_t end = paragraphEnd(p);
        if (allInFont(p, end, fontIndex) &&
            std::any_of(m_book.text.begin() + static_cast<std::ptrdiff_t>(p),
                        m_book.text.begin() + static_cast<std::ptrdiff_t>(end), isDigit))
            ++found;
    }
    QVERIFY2(found >= atLeast, qPrintable(QString::number(found)));
}

void TestSampleBook::eachHadithHasFiftyToTwoHundredFiftyWords()
{
    const auto bodyFont = std::find(m_names.begin(), m_names.end(), kBodyFont);
    QVERIFY(bodyFont != m_names.end());
    const int body = static_cast<int>(bodyFont - m_names.begin());
    const std::vector<std::u16string> list = headingList();
    QCOMPARE(m_headings.size(), list.size());

    for (std::size_t i = 0; i < m_headings.size(); ++i) {
        const std::size_t end = i + 1 < m_headings.size() ? m_headings[i + 1] : m_book.text.size();
        int words = 0;
        // Only whole paragraphs in the body font: titles, notes and the heading line are not body.
        for (std::size_t p = paragraphEnd(m_headings[i]) + 1; p < end; p = paragraphEnd(p) + 1) {
            if (!allInFont(p, paragraphEnd(p), body))
                continue;
            bool inWord = false;
            for (std::size_t c = p; c < paragraphEnd(p); ++c) {
                const bool space = m_book.text[c] == u' ';
                words += !space && !inWord;
                inWord = !space;
            }
        }
        QVERIFY2(words >= 50 && words <= 250,
                 qPrintable(quoted(list[i]) + " has " + QString::number(words) + " words"));
    }
}

void TestSampleBook::theTextIsAboutAMillionCharacters()
{
    QVERIFY2(m_book.text.size() >= 900'000 && m_book.text.size() <= 1'500'000,
             qPrintable(QString::number(m_book.text.size())));
}

} // namespace velmora

QTEST_APPLESS_MAIN(velmora::TestSampleBook)
#include "tst_sample_book.moc"
