// The RTF parser on small files, one feature per test function: what text it shows, which
// formatting each run carries, and that broken or hostile input ends cleanly with the text read.
// The cases that read better as files are in tests/rtf-cases (the test rtf_cases).

#include "rtf/code_pages.h"
#include "rtf/parse_rtf.h"

#include <QtTest>

#include <string>

namespace velmora {
namespace {

using namespace Qt::StringLiterals;
using rtf::Model;
using rtf::ParseStatus;

// The text as a reader sees it: paragraph ends as "\n", line breaks as U+2028.
QString shown(const std::u16string& units)
{
    QString text = QString::fromStdU16String(units);
    text.replace(QChar(Model::kParagraphEnd), QLatin1Char('\n'));
    return text;
}

QString shown(const Model& model)
{
    return shown(model.text);
}

QString describe(const rtf::CharFormat& f, const Model& model)
{
    QString d = QString::fromStdString(model.fontNames[f.font]) + QLatin1Char(' ') +
                QString::number(f.points());
    if (f.bold)
        d += QLatin1String(" b");
    if (f.italic)
        d += QLatin1String(" i");
    if (f.underline)
        d += QLatin1String(" u");
    if (f.strike)
        d += QLatin1String(" s");
    if (f.capitals)
        d += QLatin1String(" caps");
    if (f.smallCapitals)
        d += QLatin1String(" scaps");
    if (f.vertical == rtf::CharFormat::Vertical::Super)
        d += QLatin1String(" super");
    if (f.vertical == rtf::CharFormat::Vertical::Sub)
        d += QLatin1String(" sub");
    if (f.raised != 0)
        d += QStringLiteral(" raised%1").arg(f.raised);
    if (f.color != rtf::CharFormat::kAutoColor)
        d += QStringLiteral(" #%1").arg(f.color, 6, 16, QLatin1Char('0'));
    return d;
}

// Each stretch of equal formatting as "text[font size flags]", so a row states its runs in one
// readable line.
QString describeRuns(const Model& model)
{
    QString out;
    QString last;
    for (const auto& run : model.runs) {
        const QString d = describe(model.formatOf(run), model);
        if (!out.isEmpty() && d != last)
            out += QLatin1Char('[') + last + QLatin1Char(']');
        out += shown(model.text.substr(static_cast<std::size_t>(run.start),
                                       static_cast<std::size_t>(run.length)));
        last = d;
    }
    if (!out.isEmpty())
        out += QLatin1Char('[') + last + QLatin1Char(']');
    return out;
}

QString describe(const rtf::ParagraphFormat& p)
{
    static const char* const kAlign[] = {"left", "center", "right", "justify"};
    QString d = QLatin1String(kAlign[static_cast<int>(p.align)]);
    auto add = [&d](const char* name, int32_t v) {
        if (v != 0)
            d += QStringLiteral(" %1%2").arg(QLatin1String(name)).arg(v);
    };
    add("li", p.leftIndent);
    add("ri", p.rightIndent);
    add("fi", p.firstLineIndent);
    add("sb", p.spaceBefore);
    add("sa", p.spaceAfter);
    add("sl", p.lineSpacing);
    if (p.lineMultiple)
        d += QLatin1String(" mult");
    if (p.rightToLeft)
        d += QLatin1String(" rtl");
    return d;
}

rtf::ParseResult read(const QByteArray& bytes)
{
    return rtf::parseRtf(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// A document with the given body and a font table of Arial (f0) and Times New Roman (f1).
QByteArray doc(const QByteArray& body)
{
    return QByteArray(
               R"({\rtf1\ansi\deff0{\fonttbl{\f0\fswiss Arial;}{\f1\froman Times New Roman;}})") +
           body + '}';
}

QByteArray repeated(const char* piece, int times)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(std::strlen(piece)) * times);
    for (int i = 0; i < times; ++i)
        out += piece;
    return out;
}

} // namespace

class TestRtfParser : public QObject {
    Q_OBJECT

private slots:
    void plainTextAndDelimiters_data();
    void plainTextAndDelimiters() { checkText(); }
    void breaksAndSpecialCharacters_data();
    void breaksAndSpecialCharacters() { checkText(); }
    void codePages_data();
    void codePages() { checkText(); }
    void unicodeEscapes_data();
    void unicodeEscapes() { checkText(); }
    void destinations_data();
    void destinations() { checkText(); }
    void characterFormatting_data();
    void characterFormatting();
    void paragraphFormatting_data();
    void paragraphFormatting();
    void paragraphsCoverTheText();
    void malformedInputKeepsTheTextRead_data();
    void malformedInputKeepsTheTextRead();
    void nonRtfIsRejectedWithAReason_data();
    void nonRtfIsRejectedWithAReason();
    void nestingBeyondTheLimitStaysContained_data();
    void nestingBeyondTheLimitStaysContained();
    void utf8OfText();
    void textAndEscapesAtEveryOffset();
    void caseFilesAreWholeDocuments();

private:
    void addTextColumns();
    void checkText();
};

void TestRtfParser::addTextColumns()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
}

void TestRtfParser::checkText()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    const auto result = read(rtf);
    QCOMPARE(result.status, ParseStatus::Ok);
    QCOMPARE(shown(result.model), text);
}

void TestRtfParser::plainTextAndDelimiters_data()
{
    addTextColumns();
    QTest::newRow("one space after a control word is swallowed") << doc(R"(a\b0 b)") << "ab";
    QTest::newRow("a second space is text") << doc(R"(a\b0   b)") << "a  b";
    QTest::newRow("a parameter ends at the first non-digit") << doc(R"(a\fs20x)") << "ax";
    QTest::newRow("a minus not followed by a digit is text") << doc(R"(\i-x)") << "-x";
    QTest::newRow("a negative parameter swallows its minus") << doc(R"(\fi-360 x)") << "x";
    QTest::newRow("line ends in the file are not text") << doc("a\\b0\r\nb\nc") << "abc";
    QTest::newRow("a control symbol needs no delimiter") << doc(R"(a\~b)") << u"a\u00A0b"_s;
    QTest::newRow("escaped braces and backslash") << doc(R"(\{x\}\\)") << "{x}\\";
    QTest::newRow("an unknown control word is ignored with its space")
        << doc(R"(a\foo12 b)") << "ab";
    QTest::newRow("an overlong control word is ignored whole")
        << doc("a\\" + repeated("x", 100) + " b") << "ab";
    QTest::newRow("an overlong parameter is clamped, not wrapped")
        << doc(R"(\fs99999999999999999999 a)") << "a";
}

void TestRtfParser::breaksAndSpecialCharacters_data()
{
    addTextColumns();
    QTest::newRow("par ends a paragraph") << doc(R"(a\par b)") << "a\nb";
    QTest::newRow("a backslash before a line end is a par") << doc("a\\\nb") << "a\nb";
    QTest::newRow("line breaks inside the paragraph") << doc(R"(a\line b)") << u"a\u2028b"_s;
    QTest::newRow("tab") << doc(R"(a\tab b)") << "a\tb";
    QTest::newRow("page ends a paragraph once") << doc(R"(a\page b\par\page c)") << "a\nb\nc";
    QTest::newRow("sect ends a paragraph once") << doc(R"(a\sect b\par\sect\sectd c)") << "a\nb\nc";
    QTest::newRow("dashes, quotes and bullet")
        << doc(R"(\emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet)")
        << u"\u2014\u2013\u2018\u2019\u201C\u201D\u2022"_s;
    QTest::newRow("non-breaking space, optional hyphen, non-breaking hyphen")
        << doc(R"(a\~b\-c\_d)") << u"a\u00A0b\u00ADc\u2011d"_s;
    QTest::newRow("hidden text is left out") << doc(R"(a{\v hidden}b\v c\v0 d)") << "abd";
    QTest::newRow("a hidden paragraph mark joins two paragraphs")
        << doc(R"(a{\v\par}b\par c)") << "ab\nc";
}

void TestRtfParser::codePages_data()
{
    addTextColumns();
    QTest::newRow("1252 when nothing names a page") << doc(R"(\'eb\'80)") << u"ë€"_s;
    const struct {
        int page;
        const char* byte;
        const char16_t* text;
    } pages[] = {{1250, "8a", u"Š"}, {1251, "c6", u"Ж"},      {1253, "e1", u"α"},
                 {1254, "f0", u"ğ"}, {1255, "e0", u"א"},      {1256, "c7", u"ا"},
                 {1257, "e0", u"ą"}, {1258, "d2", u"\u0309"}, {874, "a1", u"ก"},
                 {437, "82", u"é"},  {850, "d0", u"ð"},       {10000, "8e", u"é"}};
    for (const auto& p : pages)
        QTest::addRow("ansicpg%d", p.page)
            << QByteArray(R"({\rtf1\ansi\ansicpg)") + QByteArray::number(p.page) + R"( \')" +
                   p.byte + '}'
            << QString::fromUtf16(p.text);
    QTest::newRow("pc, pca and mac name their pages")
        << QByteArray(R"({\rtf1\pc \'82{\pca \'d0}{\mac \'8e}})") << u"éðé"_s;
    QTest::newRow("a font with the default charset takes the document's page")
        << QByteArray(R"({\rtf1\ansicpg1251{\fonttbl{\f0\fcharset1 A;}}\f0\'c6})") << u"Ж"_s;
    QTest::newRow("ansicpg after the font table still counts")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 A;}}\ansicpg1253 \'e1})") << u"α"_s;
    QTest::newRow("arabic presentation forms stay as written")
        << doc(R"(\u-400?\u-387?)") << u"\uFE70\uFE7D"_s;
    QTest::newRow("a lead byte cut off by a group end is dropped")
        << QByteArray(R"({\rtf1\ansicpg932{\'82}A})") << u"A"_s;
    QTest::newRow("a lead byte before a byte that cannot trail is replaced")
        << QByteArray(R"({\rtf1\ansicpg932 \'82 x})") << u"\uFFFD x"_s;
    QTest::newRow("a font named Symbol without a charset is still the symbol font")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Symbol;}}\f1\'b7})") << u"•"_s;
    QTest::newRow("a wingdings bullet is a small square")
        << QByteArray(R"({\rtf1{\fonttbl{\f0\fcharset2 Wingdings;}}\f0\'a7})") << u"▪"_s;
    QTest::newRow("other symbol fonts keep the private-use form")
        << QByteArray(R"({\rtf1{\fonttbl{\f0\fcharset2 Dingbats X;}}\f0 A})") << u"\uF041"_s;
    QTest::newRow("a symbol character written as unicode")
        << QByteArray(R"({\rtf1{\fonttbl{\f0\fcharset2 Symbol;}}\f0\u-3913 ?})") << u"•"_s;
}

void TestRtfParser::unicodeEscapes_data()
{
    addTextColumns();
    QTest::newRow("the fallback after u is skipped") << doc(R"(\u1075?x)") << u"гx"_s;
    QTest::newRow("negative values count from 65536") << doc(R"(\u-3913?)") << u"\uF0B7"_s;
    QTest::newRow("a surrogate pair from two signed values")
        << doc(R"(\u-10179?\u-8704?)") << u"\U0001F600"_s;
    QTest::newRow("a lone surrogate is replaced") << doc(R"(\u-10179?x)") << u"\uFFFDx"_s;
    QTest::newRow("a lone surrogate in a list label is replaced too")
        << doc(R"({\*\pn\pnlvlblt{\pntxtb\u-9047?}}x)") << u"\uFFFD\tx"_s;
    QTest::newRow("out of range values are replaced")
        << doc(R"(\u70000?\u-99999999999?)") << u"\uFFFD\uFFFD"_s;
    QTest::newRow("uc0 has no fallback") << doc(R"(\uc0\u1075 x)") << u"гx"_s;
    QTest::newRow("uc2 skips two bytes") << doc(R"(\uc2\u1075 abc)") << u"гc"_s;
    QTest::newRow("the skipped bytes mix escapes and text")
        << doc("\\uc3\\u1075\\'e3a\r\n\\'e4bc") << u"гbc"_s;
    QTest::newRow("a hex escape counts as one fallback byte") << doc(R"(\u1075\'e3x)") << u"гx"_s;
    QTest::newRow("a control word counts as one fallback character")
        << doc(R"(\uc2\u1075\'e3\tab x)") << u"гx"_s;
    QTest::newRow("the fallback stops at a group end") << doc(R"({\uc3\u1075 a}b)") << u"гb"_s;
    QTest::newRow("the fallback stops at a group start") << doc(R"(\uc3\u1075{b}c)") << u"гbc"_s;
    QTest::newRow("a group inherits uc") << doc(R"(\uc2{\u1075 abc})") << u"гc"_s;
    QTest::newRow("uc is kept per group") << doc(R"({\uc2{\uc0\u1075 x}\u1076 yyz})") << u"гxдz"_s;
    QTest::newRow("a huge uc is clamped")
        << doc(R"(\uc2147483647\u1075 )" + repeated("x", rtf::kMaxUnicodeSkip + 3)) << u"гxxx"_s;
    QTest::newRow("upr shows the unicode copy only")
        << doc(R"({\upr{[G]}{\*\ud{[\uc0\u915]}}})") << u"[Γ]"_s;
    QTest::newRow("ud outside upr is ordinary text") << doc(R"({\*\ud x})") << "x";
    QTest::newRow("unicode in a font name")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 \u1040?rial;}}\f0 x})") << "x";
}

void TestRtfParser::destinations_data()
{
    addTextColumns();
    // A word is looked up by its first eight letters; the rest must still tell words apart.
    QTest::newRow("words sharing their first eight letters with a destination")
        << doc(R"({\listover a}{\listoverridetables b}{\pnlvlbod c}d)") << "abcd";
    QTest::newRow("an unknown starred destination is skipped")
        << doc(R"(a{\*\unknownthing b{c}d}e)") << "ae";
    QTest::newRow("a starred table style outside the style sheet is skipped")
        << doc(R"(a{\*\ts11 b}c)") << "ac";
    QTest::newRow("info, header, footer and comments are skipped")
        << doc(R"({\info{\title T}{\author A}}{\header H}{\footer F}{\*\comment C}a)") << "a";
    QTest::newRow("tables of fonts, colours and styles are not shown")
        << QByteArray(R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red1\green2\blue3;})"
                      R"({\stylesheet{\s1 Heading;}}a})")
        << "a";
    QTest::newRow("a picture's data is one object character")
        << doc(R"(a{\pict\wmetafile8 ffd8abcd}b)") << QStringLiteral(u"a\uFFFCb");
    QTest::newRow("shppict and nonshppict show one picture")
        << doc(R"({\*\shppict{\pict ff00}}{\nonshppict{\pict ff00}}x)")
        << QStringLiteral(u"\uFFFCx");
    QTest::newRow("bin data is a picture's, braces and backslashes included")
        << doc("a{\\pict\\bin3 }{\\}b") << QStringLiteral(u"a\uFFFCb");
    QTest::newRow("bin data in the text is skipped") << doc(R"(a\bin2 xyb)") << "ab";
    QTest::newRow("an object shows only its result")
        << doc(R"({\object\objemb{\*\objclass Word}{\*\objdata 0102}{\result R}}x)") << "Rx";
    QTest::newRow("nonesttables is for readers without nested tables")
        << doc(R"({\nonesttables fallback\par}x)") << "x";
    QTest::newRow("the format filter of a broken star is skipped, the star is text")
        << doc(R"({*\wgrffmtfilter 2450}x)") << "*x";
    QTest::newRow("bookmarks and index entries are skipped")
        << doc(R"({\*\bkmkstart b1}a{\xe entry}{\tc toc}{\*\bkmkend b1})") << "a";
    QTest::newRow("shape instructions are skipped, the shape result is shown")
        << doc(R"({\shp{\*\shpinst{\sp{\sn name}{\sv v}}}{\shprslt R}}x)") << "Rx";
    QTest::newRow("Outlook's HTML tags are skipped, RTF-only text is kept")
        << doc(R"({\*\htmltag84 <SPAN>}\htmlrtf {\lang1033 \htmlrtf0 Text})") << "Text";
    QTest::newRow("a text box shows once, where it is anchored")
        << doc(R"(a{\shp{\*\shpinst{\sp{\sn x}{\sv 1}}{\shptxt box}}{\shprslt copy}}b)") << "aboxb";
    QTest::newRow("a Word 95 text box shows, and not again after a shape's own")
        << doc(R"(a{\*\do\dobxcolumn\dptxbx{\dptxbxtext old}\dpx9 }b)"
               R"({\shp{\*\shpinst{\shptxt new}}{\shprslt{\*\do\dptxbx{\dptxbxtext new}}}})")
        << "aoldbnew";
}

void TestRtfParser::characterFormatting_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("runs");
    QTest::newRow("bold ends with its group") << doc(R"({\b a}b)") << "a[Arial 12 b]b[Arial 12]";
    QTest::newRow("plain resets character formatting to the default font")
        << doc(R"(\f1\b\i\ul\fs40 a\plain b)") << "a[Times New Roman 20 b i u]b[Arial 12]";
    QTest::newRow("a zero parameter switches off")
        << doc(R"(\b\i\strike a\b0\i0\strike0 b)") << "a[Arial 12 b i s]b[Arial 12]";
    QTest::newRow("capitals and small capitals, each on its own")
        << doc(R"(\caps a\scaps b\caps0 c\plain d)")
        << "a[Arial 12 caps]b[Arial 12 caps scaps]c[Arial 12 scaps]d[Arial 12]";
    QTest::newRow("underline spellings and ulnone")
        << doc(R"(\uldb a\ulnone b\ulwave c)") << "a[Arial 12 u]b[Arial 12]c[Arial 12 u]";
    QTest::newRow("pard and sectd keep character formatting")
        << doc(R"(\b a\pard b\sectd c)") << "abc[Arial 12 b]";
    QTest::newRow("half-point sizes") << doc(R"(\fs21 a)") << "a[Arial 10.5]";
    QTest::newRow("fs0 keeps the size in force") << doc(R"(\fs30\fs0 a)") << "a[Arial 15]";
    QTest::newRow("colours come from the colour table")
        << QByteArray(
               R"({\rtf1{\fonttbl{\f0 Arial;}}{\colortbl;\red255\green0\blue0;\red0\green0\blue128;})"
               R"(\cf1 a\cf2 b\cf0 c\cf9 d})")
        << "a[Arial 12 #ff0000]b[Arial 12 #000080]cd[Arial 12]";
    QTest::newRow("deff names the font of plain text")
        << QByteArray(R"({\rtf1\deff1{\fonttbl{\f0 Arial;}{\f1 Times New Roman;}}a\f0 b\plain c})")
        << "a[Times New Roman 12]b[Arial 12]c[Times New Roman 12]";
    QTest::newRow("a font the table never defines shows as the default font")
        << doc(R"(\f7 a)") << "a[Arial 12]";
    QTest::newRow("font names keep their spaces and decode their escapes")
        << QByteArray(
               R"({\rtf1{\fonttbl{\f0\fcharset238   Times New Roman CE ;}{\f1 Tim\'e9s;}}a\f1 b})")
        << "a[Times New Roman CE 12]b[Timés 12]";
    QTest::newRow("a double-byte font name is decoded by its charset")
        << QByteArray(R"({\rtf1{\fonttbl{\f0\fcharset128 \'82\'6c\'82\'72 \'96\'be\'92\'a9;}}a})")
        << u"a[ＭＳ 明朝 12]"_s;
    QTest::newRow("font table entries without groups")
        << QByteArray(R"({\rtf1{\fonttbl\f0\fswiss\fcharset0 Helvetica;\f1\fnil Menlo;}\f1 a})")
        << "a[Menlo 12]";
    QTest::newRow("alternate names and panose are not part of a font name")
        << QByteArray(R"({\rtf1{\fonttbl{\f0\fnil{\*\panose 0203}Arial{\*\falt Helvetica};}}a})")
        << "a[Arial 12]";
    QTest::newRow("hidden runs leave no run behind") << doc(R"(a{\v\b x}b)") << "ab[Arial 12]";
    QTest::newRow("the same words from another state")
        << doc(R"({\b\fs40 a}\i{\b\fs40 b}{\b\fs40 c\i0})") << "a[Arial 20 b]bc[Arial 20 b i]";
    QTest::newRow("the same words with line ends between them")
        << doc("{\\b\\fs40\\ul a}{\\b\r\n\\fs40\n\\ul b}") << "ab[Arial 20 b u]";
    QTest::newRow("a line end inside a word ends it")
        << doc("{\\b\\fs40\\ul a}{\\b\\fs4\n0\\ul b}")
        << "a[Arial 20 b u]0[Arial 2 b]b[Arial 2 b u]";
    QTest::newRow("a word that runs on past the words met before")
        << doc(R"({\b\i\fs40\'e9}{\b\i\fs400 a}{\b\i\fs40-b}{\b\i\fs40 c})")
        << u"\u00E9[Arial 20 b i]a[Arial 200 b i]-bc[Arial 20 b i]"_s;
    QTest::newRow("words met before a new default font")
        << QByteArray(
               R"({\rtf1{\fonttbl{\f0 Arial;}{\f1 Times;}}{\plain\b a}\deff1\f0{\plain\b b}})")
        << "a[Arial 12 b]b[Times 12 b]";
}

void TestRtfParser::characterFormatting()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, runs);
    const auto result = read(rtf);
    QCOMPARE(result.status, ParseStatus::Ok);
    QCOMPARE(describeRuns(result.model), runs);
}

void TestRtfParser::paragraphFormatting_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("paragraphs");
    QTest::newRow("every paragraph property")
        << doc(R"(\qc\li720\ri360\fi-360\sb120\sa240\sl360\slmult1 A)")
        << QStringList{"center li720 ri360 fi-360 sb120 sa240 sl360 mult"};
    QTest::newRow("properties carry on to the next paragraph until pard")
        << doc(R"(\qr A\par B\par\pard C)") << QStringList{"right", "right", "left"};
    QTest::newRow("the format in force at the paragraph end counts")
        << doc(R"(A\qj\par B)") << QStringList{"justify", "justify"};
    QTest::newRow("a hidden paragraph mark makes no paragraph")
        << doc(R"(\qc a{\v\par}b\par\pard c)") << QStringList{"center", "left"};
    QTest::newRow("plain keeps paragraph formatting")
        << doc(R"(\qc\plain A)") << QStringList{"center"};
    QTest::newRow("a file cut off inside a style entry: the paragraph keeps its own format")
        << QByteArray(R"({\rtf1\qc a{\stylesheet{\s1\qr N)") << QStringList{"center"};
    QTest::newRow("li and ri are physical, lin and rin logical and preferred")
        << doc(R"(\rtlpar\li100\ri200 a\par\li100\ri200\lin300\rin400 b\par\ltrpar c)"
               R"(\par\pard\li100\lin300 d)")
        << QStringList{"left li100 ri200 rtl", "left li400 ri300 rtl", "left li300 ri400",
                       "left li300"};
    // One twip of right indent and 65536 twips of space before are the same bits once shifted
    // into a 64-bit word, and together they cancel out: a key that packs the fields would give
    // these paragraphs each other's formats.
    QTest::newRow("formats whose fields pack to the same bits stay apart")
        << doc(R"(a\par\ri1 b\par\pard\sb65536 c\par\pard\ri1\sb65536 d)")
        << QStringList{"left", "left ri1", "left sb65536", "left ri1 sb65536"};
}

void TestRtfParser::paragraphFormatting()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, paragraphs);
    const auto result = read(rtf);
    const Model& d = result.model;
    QStringList got;
    for (const auto& p : d.paragraphs)
        got << describe(d.paragraphFormats[p.format]);
    QCOMPARE(got, paragraphs);
}

void TestRtfParser::paragraphsCoverTheText()
{
    const auto result = read(doc(R"(one\par {\b two}\line x\par\par three)"));
    const Model& d = result.model;
    QCOMPARE(d.paragraphs.size(), std::size_t(4));
    int32_t expectedStart = 0;
    for (const auto& p : d.paragraphs) {
        QCOMPARE(p.start, expectedStart);
        expectedStart = p.start + p.length + 1;
        if (&p != &d.paragraphs.back())
            QCOMPARE(d.text[static_cast<std::size_t>(p.start + p.length)], Model::kParagraphEnd);
    }
    QCOMPARE(d.paragraphs.back().start + d.paragraphs.back().length,
             static_cast<int32_t>(d.text.size()));
    int32_t covered = 0;
    for (const auto& run : d.runs) {
        QCOMPARE(run.start, covered);
        QVERIFY(run.length > 0);
        covered += run.length;
    }
    QCOMPARE(covered, static_cast<int32_t>(d.text.size()));
}

void TestRtfParser::malformedInputKeepsTheTextRead_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<ParseStatus>("status");
    QTest::newRow("a file cut off inside a group")
        << QByteArray(R"({\rtf1 a{\b bc)") << "abc" << ParseStatus::Truncated;
    QTest::newRow("a hundred thousand open braces")
        << QByteArray(R"({\rtf1 a)") + QByteArray(100000, '{') + "b"
        << "ab" << ParseStatus::Truncated;
    QTest::newRow("bin claiming more bytes than the file has")
        << QByteArray(R"({\rtf1 a{\pict\bin999999999 xyz}})") << "a" << ParseStatus::Truncated;
    QTest::newRow("bin claiming four gigabytes")
        << QByteArray(R"({\rtf1 a\bin4294967296 xyz})") << "a" << ParseStatus::Truncated;
    QTest::newRow("a negative bin skips nothing")
        << QByteArray(R"({\rtf1 a\bin-5 b})") << "ab" << ParseStatus::Ok;
    QTest::newRow("u far out of range")
        << QByteArray(R"({\rtf1\u-99999999999 x})") << u"\uFFFD"_s << ParseStatus::Ok;
    QTest::newRow("uc of the largest int")
        << QByteArray(R"({\rtf1{\uc2147483647\u1075 abc}def})") << u"гdef"_s << ParseStatus::Ok;
    QTest::newRow("a hex escape cut off at the end")
        << QByteArray(R"({\rtf1 a\')") << "a" << ParseStatus::Truncated;
    QTest::newRow("a hex escape with one digit at the end")
        << QByteArray(R"({\rtf1 a\'4)") << "a4" << ParseStatus::Truncated;
    QTest::newRow("a hex escape with bad digits is dropped")
        << QByteArray(R"({\rtf1 a\'zzb})") << "azzb" << ParseStatus::Ok;
    QTest::newRow("a backslash at the end")
        << QByteArray("{\\rtf1 a\\") << "a" << ParseStatus::Truncated;
    QTest::newRow("a stray closing brace ends the document")
        << QByteArray(R"({\rtf1{\b a}}}b})") << "a" << ParseStatus::Ok;
    QTest::newRow("text after the document is ignored")
        << QByteArray(R"({\rtf1 a} b)") << "a" << ParseStatus::Ok;
    QTest::newRow("a control word at the very end") << QByteArray(R"({\rtf1 a\par)") << "a\n"
                                                    << ParseStatus::Truncated;
    QTest::newRow("a star at the very end")
        << QByteArray(R"({\rtf1 a{\*)") << "a" << ParseStatus::Truncated;
    QTest::newRow("nul bytes are not text")
        << QByteArray("{\\rtf1 a\0b}", 11) << "ab" << ParseStatus::Ok;
    QTest::newRow("many fonts") << QByteArray("{\\rtf1{\\fonttbl" + repeated("{\\f9 x;}\\f", 1) +
                                              "}" + repeated("\\f12345678 a\\f-7 b", 3) + "}")
                                << "ababab" << ParseStatus::Ok;
    QTest::newRow("a list's start and level past every limit")
        << QByteArray(R"({\rtf1{\*\listtable{\list{\listlevel\levelstartat2147483647)"
                      R"({\leveltext\'02\'00.;}{\levelnumbers\'01;}}\listid1}})"
                      R"({\*\listoverridetable{\listoverride\listid1\ls1}}\ls1 a\par\ilvl200 b})")
        << "32767.\ta\nb" << ParseStatus::Ok;
    QTest::newRow("a font number past every limit")
        << QByteArray(R"({\rtf1\f99999999999 a\deff-4 b})") << "ab" << ParseStatus::Ok;
    QTest::newRow("a byte-order mark and white space before the document")
        << QByteArray("\xEF\xBB\xBF \r\n{\\rtf1 a}") << "a" << ParseStatus::Ok;
    QTest::newRow("upr cut off") << QByteArray(R"({\rtf1 {\upr{a)") << "" << ParseStatus::Truncated;
}

void TestRtfParser::malformedInputKeepsTheTextRead()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(ParseStatus, status);
    const auto result = read(rtf);
    QCOMPARE(result.status, status);
    QCOMPARE(shown(result.model), text);
    QCOMPARE(result.message.empty(), status == ParseStatus::Ok);
    QVERIFY(result.byteOffset <= static_cast<std::size_t>(rtf.size()));
}

void TestRtfParser::nonRtfIsRejectedWithAReason_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("plain text") << QByteArray("hello {\\rtf1 x}");
    QTest::newRow("a brace without rtf") << QByteArray("{\\rt");
    QTest::newRow("a space between the brace and rtf") << QByteArray("{ \\rtf1 x}");
    QTest::newRow("a zip archive") << QByteArray("PK\x03\x04\x14\0\0\0", 8);
}

void TestRtfParser::nonRtfIsRejectedWithAReason()
{
    QFETCH(QByteArray, bytes);
    const auto result = read(bytes);
    QCOMPARE(result.status, ParseStatus::NotRtf);
    QVERIFY(!result.ok());
    QVERIFY(QString::fromStdString(result.message).contains(QLatin1String("{\\rtf")));
    QVERIFY(result.model.text.empty());
}

void TestRtfParser::nestingBeyondTheLimitStaysContained_data()
{
    const int deep = static_cast<int>(rtf::kMaxGroupDepth) + 10;
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("runs");
    QTest::newRow("text inside and after a million closed groups")
        << doc(QByteArray(1000000, '{') + "x" + QByteArray(1000000, '}') + "y") << "xy[Arial 12]";
    QTest::newRow("a destination past the limit is skipped to its end")
        << doc(QByteArray(deep, '{') + R"(a{\*\foo skipped{x}}b{\fonttbl{\f0 Z;}}c)" +
               QByteArray(deep, '}') + "d")
        << "abcd[Arial 12]";
    QTest::newRow("formatting past the limit ends when the deep groups close")
        << doc(QByteArray(deep, '{') + R"(\b a{\i b})" + QByteArray(deep, '}') + "c")
        << "a[Arial 12 b]b[Arial 12 b i]c[Arial 12]";
    QTest::newRow("the deepest kept group gets its formatting back after the deeper ones")
        << doc(QByteArray(static_cast<int>(rtf::kMaxGroupDepth) - 1, '{') + R"({\b a{\i b}}c)" +
               QByteArray(static_cast<int>(rtf::kMaxGroupDepth) - 1, '}') + "d")
        << "a[Arial 12 b]b[Arial 12 b i]cd[Arial 12]";
    QTest::newRow("formatting inside the limit is restored group by group")
        << doc(repeated(R"({\b )", 50) + R"(a{\b0 x}b)" + QByteArray(50, '}') + "c")
        << "a[Arial 12 b]x[Arial 12]b[Arial 12 b]c[Arial 12]";
}

void TestRtfParser::nestingBeyondTheLimitStaysContained()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, runs);
    const auto result = read(rtf);
    QCOMPARE(result.status, ParseStatus::Ok);
    QCOMPARE(describeRuns(result.model), runs);
}

// Font names and the fuzzer's check are written as UTF-8: every length of a character, surrogate
// pairs, and a surrogate standing alone.
void TestRtfParser::utf8OfText()
{
    const QString text = u"a\u00EB\u0644\u20AC\U0001F600\u007F\u07FF\uFFFF"_s;
    std::string out;
    rtf::appendUtf8(out, std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             std::size_t(text.size())));
    QCOMPARE(QByteArray::fromStdString(out), text.toUtf8());
    std::string lone;
    rtf::appendUtf8(lone, u"abcd\xD800"
                          u"efgh\xDC00");
    QCOMPARE(QByteArray::fromStdString(lone), u"abcd\uFFFDefgh\uFFFD"_s.toUtf8());
}

// Text is scanned and decoded sixteen bytes at a time: an escape, a symbol font's letter and the
// end of the text at each place in a block.
void TestRtfParser::textAndEscapesAtEveryOffset()
{
    for (int at = 0; at <= 33; ++at) {
        const QByteArray before(at, 'x'), after(33 - at, 'y');
        const auto result = rtf::parseRtf(
            doc(before + R"(\'97)" + after + R"({\f2 a}\f1 )" + before + "}").toStdString());
        QCOMPARE(shown(result.model), QString(before + u"\u2014"_s + after + u"a"_s + before));
        const auto symbol = rtf::parseRtf(
            QByteArray(R"({\rtf1{\fonttbl{\f0\fcharset2 Symbol;}}\f0 )" + before + "a}")
                .toStdString());
        QCOMPARE(shown(symbol.model), QString(QString(at, u'\u03BE') + u"\u03B1"_s));
    }
    // Gathered text grows past what one gathering holds, across a line end.
    const QByteArray longer(300, 'a'), longest(70000, 'b');
    const auto gathered =
        rtf::parseRtf(doc(R"(\'e9)" + longer + "\r\n" + longest + R"(\'e9c)").toStdString());
    QCOMPARE(shown(gathered.model), u"\u00E9"_s + longer + longest + u"\u00E9c"_s);
}

// The cases in tests/rtf-cases are checked by what rtfdump prints of them (the test rtf_cases),
// which shows no status: a file read as cut off would print the same.
void TestRtfParser::caseFilesAreWholeDocuments()
{
#ifdef VELMORA_RTF_CASES
    const QDir cases(QStringLiteral(VELMORA_RTF_CASES));
    const QStringList names = cases.entryList({QStringLiteral("*.rtf")});
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) {
        QFile file(cases.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(read(file.readAll()).status == ParseStatus::Ok, qPrintable(name));
    }
#else
    QSKIP("the case files are read by the Linux build");
#endif
}

} // namespace velmora

QTEST_APPLESS_MAIN(velmora::TestRtfParser)
#include "tst_rtf_parser.moc"
