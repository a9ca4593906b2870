// Writes the sample book Velmora.rtf: 1,015 numbered hadith in Albanian, saved the way a word
// processor saves RTF (a font table, a style sheet, cp1252 hex escapes, some \u escapes, wrapped
// lines), so that the parser and the jump meet the same kinds of bytes as in a real book.
// The text is sample text written for this program; it is no translation of any book.
//
// Usage: make_book OUTPUT.rtf [--times N] [--libreoffice] [--tables]
//
// --times N makes the body of every hadith N times longer, so the book is about N times as large
// for benchmarks. Headings, chapter titles and notes are written once each: every heading stays
// unique and in ascending order. Repeating the whole sequence of hadith instead would repeat the
// headings, and a jump would then land in the first copy only.
//
// --libreoffice writes the body text as LibreOffice does: a group of a few words at a time, each
// opened with the full set of script and font words (\rtlch, \ltrch, \loch, \hich, \dbch), so
// that reading speed can be measured on the many short runs of such books.
//
// --tables sets every hadith as a bordered table, as a book saved again from a word processor
// may: a row with its number and narrator in two cells, then a row whose one cell holds the
// text, so that the view can be measured on a book of tables.
//
// The same arguments give the same bytes on every machine: the text is chosen by a fixed-seed
// generator of our own, never by the standard library's distributions.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {
namespace {

constexpr int kLastNumber = 1014;
constexpr int kExtraAfter = 443; // the extra hadith "443. a)" follows hadith 443
constexpr std::string_view kExtraHeading = "443. a)";
constexpr int kHadithPerChapter = 50;
constexpr int kMinWords = 50; // body words of one hadith at --times 1
constexpr int kMaxWords = 250;
// x100 is about 150 MB of RTF: more than any benchmark needs, and still built in memory.
constexpr int kMaxTimes = 100;
// Word processors wrap their RTF near this column; a break costs nothing to parsers.
constexpr std::size_t kWrapColumn = 120;
constexpr uint64_t kSeed = 0x56656c6d6f7261; // "Velmora"
// LibreOffice starts a new run at every change of language or script, which in real books comes
// every few words.
constexpr int kWordsPerLibreOfficeRun = 4;
// Some hadith open with a line of Arabic, as books of this kind carry the original; chosen by
// number rather than by the random sequence, so the Albanian text stays as it was.
constexpr int kArabicEvery = 10;
constexpr int kArabicAt = 7;             // hadith 7, 17, 27, ...
constexpr int kArabicHeadingEvery = 100; // and hadith 7, 107, ... end their heading in Arabic

// ---------------------------------------------------------------------------------------------
// The text. Each string is one sentence; '#' in a reference is replaced by a number.

constexpr std::string_view kOpeners[] = {
    "Tregohet se një ditë i Dërguari u ul me shokët e tij dhe u foli kështu.",
    "Transmetohet se i Dërguari, kur e pyetën për këtë, u përgjigj me pak fjalë.",
    "Një burrë erdhi nga fshati dhe pyeti, e i Dërguari e dëgjoi me vëmendje deri në fund.",
    "Në një mbrëmje dimri, i Dërguari u kujtoi njerëzve disa të vërteta të thjeshta.",
    "Shokët e tij kujtojnë se i Dërguari e përsëriste shpesh këtë mësim.",
    "Kur u mblodhën njerëzit në sheshin e tregut, i Dërguari u foli atyre me zë të qetë.",
    "Një grua e moshuar e ndali në rrugë, dhe i Dërguari qëndroi derisa ajo mbaroi fjalën.",
    "Pas lutjes së mëngjesit, i Dërguari u kthye nga të pranishmit dhe tha:",
};

constexpr std::string_view kSentences[] = {
    // durimi
    "Durimi është dritë që nuk shuhet as në natën më të gjatë.",
    "Kur e goditi fatkeqësia, i Dërguari qëndroi i qetë dhe u lut në heshtje.",
    "Ai që duron në çastin e parë të hidhërimit, e ka përshkuar gjysmën e rrugës.",
    "Njerëzit e pyetën se si duhet ta presin të nesërmen, dhe i Dërguari u tha: «Me punë, me "
    "durim dhe me zemër të pastër.»",
    "Mos u nxito në gjykim – shpesh e vërteta vjen vonë, por vjen.",
    // lëmosha
    "Lëmosha nuk e pakëson pasurinë, por e pastron atë.",
    "I Dërguari e ndau bukën e tij me udhëtarin e lodhur, edhe pse vetë kishte pak.",
    "Çdo e mirë që bëhet fshehurazi peshon më shumë se ajo që bëhet para syve të botës.",
    "Jepi të varfrit pa ia kujtuar më pas, sepse dhurata e kujtuar e humb vlerën e saj.",
    "Një kafshatë e dhënë me buzëqeshje i ngroh dy zemra njëherësh.",
    // fqinjët
    "Fqinji ka të drejtë mbi ty, edhe kur nuk të kërkon asgjë.",
    "I Dërguari i porosiste shokët e tij që ta pyesnin fqinjin për shëndetin çdo mëngjes.",
    "Kur ndez zjarrin në dimër, mendo edhe për shtëpinë ngjitur, që mund të jetë e ftohtë.",
    "Çdo derë e hapur për fqinjin është një derë e hapur për paqen.",
    // dituria
    "Dituria është pasuri që nuk vidhet dhe nuk digjet.",
    "I Dërguari i nxiste të rinjtë të mësonin shkrimin, qoftë edhe nga një mësues i huaj.",
    "Kush kërkon dije, ia shkurton vetes rrugën drejt së mirës.",
    "Pyetja e mirë është gjysma e diturisë.",
    "Mos u turpëro të thuash «nuk e di» – ky është fillimi i çdo mësimi.",
    // lutja
    "Lutja e mëngjesit e vendos ditën mbi themele të forta.",
    "I Dërguari ngrihej natën, kur të tjerët flinin, dhe qëndronte gjatë në lutje.",
    "Zemra që lutet nuk mbetet kurrë krejtësisht e vetmuar.",
    "Ai lutej edhe për ata që i kishin bërë keq, jo vetëm për miqtë e tij.",
    // ndershmëria
    "E vërteta të çon drejt së mirës, ndërsa gënjeshtra të largon prej saj.",
    "Tregtari i ndershëm nuk e fsheh të metën e mallit të tij.",
    "I Dërguari nuk premtonte asgjë që nuk mund ta mbante.",
    "Peshorja e drejtë në treg vlen më shumë se një fjalim i gjatë.",
    "Besimi i njerëzve ndërtohet ngadalë dhe prishet brenda një dite.",
    // prindërit
    "Shërbimi ndaj prindërve në pleqëri është mësimi më i vështirë dhe më i bukur.",
    "Fjala e butë për nënën dhe babanë hap dyer që çelësat nuk i hapin.",
    // zemërimi
    "Kur zemërohesh, ul zërin para se të flasësh dhe ulu para se të veprosh.",
    "I Dërguari e priti me qetësi njeriun që i foli ashpër, dhe fjala e tij e butë e turpëroi "
    "atë.",
    "Zemërimi është zjarr, dhe uji i tij është heshtja.",
    // mirësia
    "Një përshëndetje e ngrohtë në rrugë mund ta ndryshojë ditën e një njeriu të trishtuar.",
    "Ëmbëlsia e fjalës e zbut edhe zemrën më të ashpër.",
    "Çfarëdo që të japësh me dashuri, të kthehet shumëfish.",
    "I Dërguari i përshëndeste fëmijët kur kalonte pranë tyre dhe u fliste me emër.",
    // puna
    "Buka e fituar me djersën e ballit ka shijen më të mirë.",
    "Punëtorit paguaja atë që i takon në kohë, pa e lënë të presë te dera.",
    "Ai që mbjell një pemë, mbjell hije për njerëz që nuk do t'i njohë kurrë.",
    // udhëtimi
    "Në udhëtim, i Dërguari ecte në fund të karvanit për të ndihmuar të lodhurit.",
    "Udhëtari ka të drejtë për ujë, bukë dhe një vend për të pushuar.",
    // numra brenda tekstit
    "Ata qëndruan 3 ditë në qytet dhe u nisën në mëngjesin e ditës së 4.",
    "Grupi ishte prej 40 vetash, të gjithë të uritur dhe të lodhur nga rruga.",
    "Në vitin e 10-të pas shpërnguljes, tregu i qytetit u zgjerua shumë.",
    "Ai ua ndau 12 kafshatat 12 fëmijëve, dhe vetë mbeti pa ngrënë.",
    "Pas 7 netësh shiu, fusha u mbulua me lule të verdha.",
    // të ndryshme
    "Koha është amanet; ai që e humb, humb diçka që nuk e blen dot më.",
    "Kur e pyetën për rrugën më të shkurtër drejt së mirës, i Dërguari tha: «Bëje të mirën që "
    "ke përpara syve — sot, jo nesër.»",
    "Mos e nënçmo asnjë vepër të mirë, qoftë edhe sa një kokërr gruri.",
    "Ëndrrat e natës harrohen shpejt, por premtimet e ditës duhen mbajtur.",
    "Çdo mëngjes është një faqe e re, dhe secili e shkruan me duart e veta.",
    "I Dërguari e dëgjonte deri në fund edhe atë që fliste ngadalë e me vështirësi.",
    "Drejtësia ndaj të huajit është provë më e madhe se drejtësia ndaj mikut.",
    "Ai që fal kur mund të hakmerret, ngrihet më lart në sytë e njerëzve.",
    "Shoqëria e mirë të ndryshon ngadalë, si uji që e lëmon gurin.",
    "Çelësi i zemrave është fjala e ëmbël dhe dora e hapur.",
    "I Dërguari nuk e la kurrë pa përgjigje atë që i kërkoi ndihmë — as të pasurin, as të "
    "varfrin.",
    "Vizita te i sëmuri i jep atij forcë dhe i kujton se nuk është i harruar.",
    "Gjuha e ruajtur e ruan edhe njeriun nga shumë telashe.",
    "Ai që e mban fjalën e dhënë, nuk ka nevojë të betohet.",
    "Çështjet e vështira zgjidhen me këshillim, jo me krenari.",
    "I Dërguari këshillohej me shokët e tij edhe për gjërat e vogla.",
    "Qyteti ku jetimi gjen strehë është qytet i bekuar.",
    "Mëshira ndaj kafshëve është pjesë e mëshirës ndaj çdo krijese.",
    "Ai i dha ujë kalit të lodhur para se të pinte vetë.",
    "Mos e shty për nesër pendimin, sepse e nesërmja nuk i premtohet askujt.",
    "Thonë se i Dërguari nuk hante kurrë i vetëm kur kishte dikë pranë derës.",
};

// References to other hadith, later ones included: a jump must pass over them.
constexpr std::string_view kReferences[] = {
    "Shih edhe hadithin nr. #.",
    "Krahaso me atë që përmendet më poshtë (nr. #).",
    "Për të njëjtën ngjarje flitet edhe te hadithet nr. # dhe nr. #.",
    "Kjo u tha në të njëjtën mbledhje si hadithi nr. #.",
};

constexpr std::string_view kCounts[] = {
    "Kjo ndodhi # ditë para udhëtimit të gjatë.",
    "Në atë mbledhje ishin të pranishëm rreth # veta.",
};

constexpr bool hasDigit(std::string_view s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Titles carry no digits: they may sit in "Arial" beside a heading, before later headings.
constexpr std::string_view kTopics[] = {
    "Për durimin",        "Për lëmoshën",  "Për fqinjët",   "Për diturinë",   "Për lutjen",
    "Për ndershmërinë",   "Për prindërit", "Për zemërimin", "Për mirësinë",   "Për punën",
    "Për udhëtimin",      "Për kohën",     "Për faljen",    "Për drejtësinë", "Për shoqërinë",
    "Për fjalën e dhënë", "Për jetimët",   "Për mëshirën",  "Për pendimin",   "Për këshillimin",
    "Për të sëmurët",     "Për bujarinë",
};
static_assert(std::none_of(std::begin(kTopics), std::end(kTopics), hasDigit));

// Well-known phrases: the basmala, the formula that opens a saying, and a saying's first words.
constexpr std::string_view kArabicLines[] = {
    "بسم الله الرحمن الرحيم",
    "قال رسول الله صلى الله عليه وسلم",
    "إنما الأعمال بالنيات",
};
constexpr std::string_view kArabicHeading = "الحديث";

constexpr std::string_view kAsides[] = {
    "transmetim i shkurtër",
    "me shënim në fund",
    "Ëmbëlsia e fjalës",
    "Çfarë u tha në treg",
};

// ---------------------------------------------------------------------------------------------

// A fixed linear congruential generator: std:: distributions differ between standard libraries,
// and the book must be the same bytes everywhere.
class Lcg {
public:
    explicit Lcg(uint64_t seed) : m_state(seed) {}

    uint32_t below(uint32_t n) // in [0, n); the modulo bias does not matter for sample text
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(m_state >> 33) % n;
    }
    bool oneIn(uint32_t n) { return below(n) == 0; }
    template <typename T, std::size_t N> const T& pick(const T (&items)[N])
    {
        return items[below(static_cast<uint32_t>(N))];
    }

private:
    uint64_t m_state;
};

std::u32string decodeUtf8(std::string_view s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < s.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += c;
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

// The cp1252 byte of a character, or 0 when cp1252 has none.
unsigned char toCp1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    switch (c) {
    case U'\u20AC': return 0x80;
    case U'\u2026': return 0x85;
    case U'\u2018': return 0x91;
    case U'\u2019': return 0x92;
    case U'\u201C': return 0x93;
    case U'\u201D': return 0x94;
    case U'\u2013': return 0x96;
    case U'\u2014': return 0x97;
    default: return 0;
    }
}

int wordCount(std::string_view s)
{
    int words = 0;
    bool inWord = false;
    for (char c : s) {
        if (c == ' ') {
            inWord = false;
        } else if (!inWord) {
            inWord = true;
            ++words;
        }
    }
    return words;
}

// Appends RTF to a string as a word processor writes it. Line breaks (CRLF, which parsers
// ignore) go only between tokens, never between a control word and the space that ends it,
// nor between a \u escape and its fallback character.
class RtfWriter {
public:
    enum class Escapes { Cp1252, Unicode };

    void open() { token("{"); }
    void close() { token("}"); }

    // word is the control word without its backslash, parameter included ("fs24").
    void word(std::string_view word)
    {
        token("\\");
        put(word);
        m_needDelimiter = true;
    }

    void par()
    {
        word("par");
        m_out += "\r\n";
        m_column = 0;
        m_needDelimiter = false;
    }

    void text(std::string_view utf8, Escapes escapes = Escapes::Cp1252)
    {
        for (char32_t c : decodeUtf8(utf8)) {
            const unsigned char byte = toCp1252(c);
            if (c == '\\' || c == '{' || c == '}') {
                token("\\");
                put(std::string(1, static_cast<char>(c)));
            } else if (c >= 0x20 && c < 0x80) {
                literal(static_cast<char>(c));
            } else if (byte == 0 || escapes == Escapes::Unicode) {
                // \u takes a signed 16-bit value; \uc1 says one fallback character follows.
                const int value = c > 0x7FFF ? static_cast<int>(c) - 0x10000 : static_cast<int>(c);
                token("\\u");
                put(std::to_string(value) + "?");
            } else {
                static constexpr char kHex[] = "0123456789abcdef";
                token("\\'");
                put(std::string{kHex[byte >> 4], kHex[byte & 0xF]});
            }
        }
    }

    // Ends the file's last line.
    void finish()
    {
        m_out += "\r\n";
        m_column = 0;
    }

    const std::string& bytes() const { return m_out; }

private:
    // Starts a token that is not plain text; it ends a pending control word by itself.
    void token(std::string_view start)
    {
        m_needDelimiter = false;
        wrapIfLong();
        put(start);
    }

    void literal(char c)
    {
        // Only a letter, digit, hyphen or space would run into a pending control word; other
        // characters end it by themselves ("\\blue0;"), as word processors rely on.
        const bool joins = c == ' ' || c == '-' || (c >= '0' && c <= '9') ||
                           (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (m_needDelimiter && joins)
            put(" "); // belongs to the control word before it: no break may come between
        else if (!m_needDelimiter)
            wrapIfLong();
        m_needDelimiter = false;
        put(std::string_view(&c, 1));
    }

    void wrapIfLong()
    {
        if (m_column >= kWrapColumn) {
            m_out += "\r\n";
            m_column = 0;
        }
    }

    void put(std::string_view s)
    {
        m_out += s;
        m_column += s.size();
    }

    std::string m_out;
    std::size_t m_column = 0;
    bool m_needDelimiter = false;
};

// Writes the whole book into an RtfWriter.
class BookWriter {
public:
    BookWriter(int times, bool libreOffice, bool tables)
        : m_times(times), m_libreOffice(libreOffice), m_tables(tables), m_rng(kSeed)
    {
    }

    std::string write()
    {
        writeHeader();
        writeFrontMatter();
        const std::vector<std::string> headings = headingTexts();
        for (std::size_t i = 0; i < headings.size(); ++i) {
            if (i % kHadithPerChapter == 0)
                writeChapterTitle(static_cast<int>(i / kHadithPerChapter) + 1);
            writeHadith(headings[i], i + 1 < headings.size() ? headings[i + 1] : "");
        }
        m_rtf.close();
        m_rtf.finish();
        return m_rtf.bytes();
    }

private:
    static std::vector<std::string> headingTexts()
    {
        std::vector<std::string> texts;
        for (int n = 1; n <= kLastNumber; ++n) {
            texts.push_back(std::to_string(n));
            if (n == kExtraAfter)
                texts.emplace_back(kExtraHeading);
        }
        return texts;
    }

    void writeHeader()
    {
        m_rtf.open();
        for (std::string_view w : {"rtf1", "ansi", "ansicpg1252", "deff0", "deflang1052"})
            m_rtf.word(w);
        m_rtf.open();
        m_rtf.word("fonttbl");
        font("f0", "froman", "Times New Roman");
        font("f1", "fswiss", "Arial");
        font("f2", "fswiss", "Arial Black");
        font("f3", "fswiss", "Arial Narrow");
        font("f4", "fnil", "Traditional Arabic", "fcharset178");
        m_rtf.close();
        m_rtf.finish();

        m_rtf.open();
        m_rtf.word("colortbl");
        m_rtf.text(";");
        for (auto [r, g, b] :
             {std::array{0, 0, 0}, std::array{128, 0, 0}, std::array{31, 56, 100}}) {
            m_rtf.word("red" + std::to_string(r));
            m_rtf.word("green" + std::to_string(g));
            m_rtf.word("blue" + std::to_string(b));
            m_rtf.text(";");
        }
        m_rtf.close();
        m_rtf.finish();

        m_rtf.open();
        m_rtf.word("stylesheet");
        style("s0", {"f0", "fs24"}, "Normal");
        style("s1", {"keepn", "f1", "fs28", "b"}, "heading 1");
        style("s2", {"qc", "f2", "fs32"}, "heading 2");
        style("s3", {"li567", "f3", "fs20", "i"}, "Note");
        m_rtf.close();
        m_rtf.finish();

        m_rtf.open();
        m_rtf.word("*");
        m_rtf.word("generator");
        m_rtf.text("Velmora make_book;");
        m_rtf.close();
        m_rtf.open();
        m_rtf.word("info");
        group("title", "Përmbledhje hadithesh – botim shembull");
        group("author", "Velmora");
        m_rtf.open();
        for (std::string_view w : {"creatim", "yr2024", "mo1", "dy15", "hr9", "min30"})
            m_rtf.word(w);
        m_rtf.close();
        m_rtf.close();
        m_rtf.finish();

        m_rtf.word("viewkind4");
        m_rtf.word("uc1");
        m_rtf.finish();
    }

    void font(std::string_view number, std::string_view family, std::string_view name,
              std::string_view charset = "fcharset0")
    {
        m_rtf.open();
        m_rtf.word(number);
        m_rtf.word(family);
        m_rtf.word(charset);
        m_rtf.text(name);
        m_rtf.text(";");
        m_rtf.close();
    }

    void style(std::string_view number, std::initializer_list<std::string_view> words,
               std::string_view name)
    {
        m_rtf.open();
        m_rtf.word(number);
        for (std::string_view w : words)
            m_rtf.word(w);
        m_rtf.text(name);
        m_rtf.text(";");
        m_rtf.close();
    }

    void group(std::string_view destination, std::string_view text)
    {
        m_rtf.open();
        m_rtf.word(destination);
        m_rtf.text(text);
        m_rtf.close();
    }

    void paragraph(std::initializer_list<std::string_view> words)
    {
        m_rtf.word("pard");
        m_rtf.word("plain");
        if (m_inTable)
            m_rtf.word("intbl");
        for (std::string_view w : words)
            m_rtf.word(w);
    }

    void bodyParagraph() { paragraph({"s0", "fi284", "sa120", "qj", "f0", "fs24"}); }

    // Before the first heading: numbers in body fonts that the jump must pass over, among them
    // "1", "2", "21", "443. a)" and "114" in a book whose heading "14" comes before "114".
    void writeFrontMatter()
    {
        paragraph({"s2", "qc", "sb240", "sa480", "cf3", "f2", "fs36"});
        m_rtf.text("Përmbledhje hadithesh");
        m_rtf.par();
        bodyParagraph();
        m_rtf.text("Ky libër është tekst shembull, i shkruar për të provuar programin Velmora. "
                   "Fjalët dhe ngjarjet në të janë të trilluara dhe nuk janë përkthim i ndonjë "
                   "libri. Ai ka 1014 hadithe të numëruara nga 1 deri te 1014, dhe një hadith "
                   "shtesë, 443. a), që vjen menjëherë pas hadithit 443.");
        m_rtf.par();
        bodyParagraph();
        m_rtf.text("Në këtë hyrje përmenden numrat 1, 2, 14, 21 dhe 114, por vetëm titujt e "
                   "hadithëve janë shkruar me shkronjat ");
        m_rtf.word("b");
        m_rtf.text("Arial");
        m_rtf.word("b0");
        m_rtf.text(" — kështu kërkimi sipas numrit i kalon këto përmendje dhe gjen titullin.");
        m_rtf.par();
    }

    void writeChapterTitle(int chapter)
    {
        paragraph({"s2", "qc", "sb480", "sa240", "keepn", "cf3", "f2", "fs32"});
        m_rtf.text("Kapitulli " + std::to_string(chapter) + ": ");
        m_rtf.text(kTopics[static_cast<std::size_t>(chapter - 1) % std::size(kTopics)]);
        m_rtf.par();
    }

    void writeHadith(const std::string& number, const std::string& nextNumber)
    {
        // "443. a)" counts as 443, the hadith it follows.
        const int n = number == kExtraHeading ? kExtraAfter : std::stoi(number);
        if (m_tables) {
            writeHadithRows(number, n, nextNumber);
            return;
        }
        writeHeadingLine(number, n);
        if (n % kArabicEvery == kArabicAt)
            writeArabicLine(n);
        writeBody(n, nextNumber);
        if (m_rng.oneIn(6))
            writeNote();
    }

    // Word's row definition: the gap of 108 twips, single borders on every side of every cell.
    void rowDefinition(std::initializer_list<int> edges)
    {
        for (std::string_view w : {"trowd", "trgaph108", "trleft-108"})
            m_rtf.word(w);
        for (const int edge : edges) {
            for (std::string_view side : {"clbrdrt", "clbrdrl", "clbrdrb", "clbrdrr"}) {
                m_rtf.word(side);
                m_rtf.word("brdrs");
                m_rtf.word("brdrw10");
            }
            m_rtf.word("cellx" + std::to_string(edge));
        }
    }

    void writeHadithRows(const std::string& number, int n, const std::string& nextNumber)
    {
        rowDefinition({1800, 9000});
        m_inTable = true;
        paragraph({"s1", "keepn", "cf2", "f1", "fs28"});
        m_rtf.word("b");
        m_rtf.text(number);
        m_rtf.word("b0");
        m_rtf.word("cell");
        paragraph({"s0", "f0", "fs24", "i"});
        m_rtf.text(m_rng.pick(kAsides));
        m_rtf.word("cell");
        m_rtf.word("row");
        rowDefinition({9000});
        writeBody(n, nextNumber); // its paragraphs in the one cell, the last ended by \par
        m_rtf.word("cell");
        m_rtf.word("row");
        m_inTable = false;
    }

    // The heading opens its paragraph with the number in "Arial". Text after it on the same
    // line is in "Arial" only when it has no digits, so no heading line holds a later number.
    void writeHeadingLine(const std::string& number, int n)
    {
        paragraph({"s1", "keepn", "sb240", "sa60", "cf2", "f1", "fs28"});
        m_rtf.word("b");
        m_rtf.text(number);
        m_rtf.word("b0");
        switch (m_rng.below(5)) {
        case 0:
            m_rtf.text(" — ");
            m_rtf.text(m_rng.pick(kTopics));
            break;
        case 1:
            m_rtf.word("plain");
            m_rtf.word("f0");
            m_rtf.word("fs24");
            m_rtf.word("i");
            m_rtf.text(" – ");
            m_rtf.text(m_rng.pick(kAsides));
            m_rtf.word("i0");
            break;
        default: break;
        }
        if (n % kArabicHeadingEvery == kArabicAt) {
            m_rtf.text(" — ");
            arabicRun(kArabicHeading, "f1", "fs28", "afs28");
        }
        m_rtf.par();
    }

    // Word's idiom: a right-to-left paragraph aligned right, and runs whose complex-script
    // properties (\af, \afs) name the Arabic font while the ordinary ones stay on the body font.
    void writeArabicLine(int number)
    {
        paragraph({"s0", "rtlpar", "qr", "sa120"});
        arabicRun(
            kArabicLines[static_cast<std::size_t>(number / kArabicEvery) % std::size(kArabicLines)],
            "f0", "fs24", "afs32");
        m_rtf.par();
    }

    void arabicRun(std::string_view text, std::string_view font, std::string_view size,
                   std::string_view arabicSize)
    {
        m_rtf.open();
        for (std::string_view w : {std::string_view("ltrch"), std::string_view("fcs0"), font, size})
            m_rtf.word(w);
        for (std::string_view w : {"rtlch", "fcs1", "af4"})
            m_rtf.word(w);
        m_rtf.word(arabicSize);
        m_rtf.text(text, RtfWriter::Escapes::Unicode);
        m_rtf.close();
    }

    // A hadith number for a reference: often one of the next few hadith, which come later in the
    // book, otherwise any number.
    int referenceNumber(int current)
    {
        if (m_rng.oneIn(2))
            return std::min(kLastNumber, current + 1 + static_cast<int>(m_rng.below(40)));
        return 1 + static_cast<int>(m_rng.below(kLastNumber));
    }

    std::string fillNumbers(std::string_view pattern, int current, bool hadithNumbers)
    {
        std::string out;
        for (char c : pattern) {
            if (c != '#') {
                out += c;
            } else if (hadithNumbers) {
                out += std::to_string(referenceNumber(current));
            } else {
                out += std::to_string(2 + m_rng.below(300));
            }
        }
        return out;
    }

    std::string nextSentence(int current, const std::string& nextNumber)
    {
        const uint32_t kind = m_rng.below(12);
        if (kind == 0)
            return fillNumbers(m_rng.pick(kReferences), current, true);
        if (kind == 1 && !nextNumber.empty() && m_rng.oneIn(4))
            return "Krahaso me hadithin " + nextNumber + " që vjen më pas.";
        if (kind == 2)
            return fillNumbers(m_rng.pick(kCounts), current, false);
        return std::string(kSentences[freshSentence()]);
    }

    // A sentence not among the last few used, so that no hadith says the same thing twice.
    std::size_t freshSentence()
    {
        constexpr std::size_t kRemembered = std::size(kSentences) / 3;
        std::size_t index = 0;
        do {
            index = m_rng.below(static_cast<uint32_t>(std::size(kSentences)));
        } while (std::find(m_recent.begin(), m_recent.end(), index) != m_recent.end());
        m_recent.push_back(index);
        if (m_recent.size() > kRemembered)
            m_recent.erase(m_recent.begin());
        return index;
    }

    // The body holds kMinWords to kMaxWords words (times m_times) in one to a few paragraphs.
    // Most hadith are long, so that the book reaches about a million characters; a sentence that
    // would pass the maximum is drawn again, and the body ends when no draw fits.
    void writeBody(int current, const std::string& nextNumber)
    {
        const int minWords = kMinWords * m_times;
        const int maxWords = kMaxWords * m_times;
        const int longFrom = minWords + (maxWords - minWords) * 7 / 10;
        const int shortest = m_rng.oneIn(5) ? minWords : longFrom;
        const int target =
            shortest +
            static_cast<int>(m_rng.below(static_cast<uint32_t>(maxWords - shortest + 1)));

        bool unicode = m_rng.oneIn(8);
        const auto escapes = [&unicode] {
            return unicode ? RtfWriter::Escapes::Unicode : RtfWriter::Escapes::Cp1252;
        };
        bodyParagraph();
        const std::string_view opener = m_rng.pick(kOpeners);
        int words = wordCount(opener);
        if (m_rng.oneIn(5)) {
            m_rtf.word("b");
            bodyText(opener, escapes());
            m_rtf.word("b0");
        } else {
            bodyText(opener, escapes());
        }
        int paragraphWords = words;
        constexpr int kDrawsToFit = 20;
        while (words < target) {
            std::string sentence;
            int n = 0;
            for (int draw = 0; draw < kDrawsToFit && sentence.empty(); ++draw) {
                sentence = nextSentence(current, nextNumber);
                n = wordCount(sentence);
                if (words + n > maxWords)
                    sentence.clear();
            }
            if (sentence.empty())
                break;
            if (paragraphWords >= 40 && m_rng.oneIn(6)) {
                m_rtf.par();
                bodyParagraph();
                unicode = m_rng.oneIn(8);
                paragraphWords = 0;
            } else {
                bodyText(" ", escapes());
            }
            if (sentence.find("«") != std::string::npos && m_rng.oneIn(3)) {
                m_rtf.word("i");
                bodyText(sentence, escapes());
                m_rtf.word("i0");
            } else {
                bodyText(sentence, escapes());
            }
            words += n;
            paragraphWords += n;
        }
        m_rtf.par();
    }

    void bodyText(std::string_view utf8, RtfWriter::Escapes escapes)
    {
        if (!m_libreOffice) {
            m_rtf.text(utf8, escapes);
            return;
        }
        while (!utf8.empty()) {
            std::size_t end = 0;
            for (int w = 0; w < kWordsPerLibreOfficeRun && end != std::string_view::npos; ++w)
                end = utf8.find(' ', end + 1);
            const std::string_view run = utf8.substr(0, end);
            libreOfficeRun(run, escapes);
            utf8.remove_prefix(run.size());
        }
    }

    void libreOfficeRun(std::string_view utf8, RtfWriter::Escapes escapes)
    {
        m_rtf.open();
        for (std::string_view w : {"rtlch", "fcs1", "af0", "afs24", "ltrch", "fcs0", "lang1052",
                                   "langfe1052", "loch", "f0", "hich", "af0", "dbch", "af0"})
            m_rtf.word(w);
        m_rtf.text(utf8, escapes);
        m_rtf.close();
    }

    void writeNote()
    {
        paragraph({"s3", "li567", "sa120", "f3", "fs20", "i"});
        const int k = 1 + static_cast<int>(m_rng.below(kLastNumber));
        switch (m_rng.below(3)) {
        case 0: m_rtf.text("Shënim: shih hadithin nr. " + std::to_string(k) + "."); break;
        case 1:
            // № is outside cp1252: a \u escape whatever the paragraph's habit.
            m_rtf.text("Shënim: krahaso me hadithin № " + std::to_string(k) + " dhe nr. " +
                       std::to_string(k % kLastNumber + 1) + ".");
            break;
        default:
            m_rtf.text("Shënim: ky mësim përsëritet me fjalë të tjera te nr. " + std::to_string(k) +
                       ".");
            break;
        }
        m_rtf.word("i0");
        m_rtf.par();
    }

    int m_times;
    bool m_libreOffice;
    bool m_tables;
    bool m_inTable = false;
    Lcg m_rng;
    RtfWriter m_rtf;
    std::vector<std::size_t> m_recent;
};

int usage(std::string_view problem)
{
    std::cerr
        << "make_book: " << problem << "\n"
        << "usage: make_book OUTPUT.rtf [--times N] [--libreoffice] [--tables]   (N from 1 to "
        << kMaxTimes << ")\n";
    return 2;
}

} // namespace

int makeBook(int argc, char** argv)
{
    // An option in the file's place (make_book --help) would otherwise become a file's name.
    if (argc < 2 || argv[1][0] == '-')
        return usage("no output file");
    int times = 1;
    bool libreOffice = false;
    bool tables = false;
    for (int i = 2; i < argc; ++i) {
        const std::string_view flag = argv[i];
        if (flag == "--libreoffice") {
            libreOffice = true;
            continue;
        }
        if (flag == "--tables") {
            tables = true;
            continue;
        }
        if (flag != "--times" || i + 1 == argc)
            return usage("unknown argument");
        const std::string_view value = argv[++i];
        const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), times);
        if (error != std::errc{} || end != value.data() + value.size() || times < 1 ||
            times > kMaxTimes)
            return usage("bad --times");
    }
    const std::string book = BookWriter(times, libreOffice, tables).write();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(book.data(), static_cast<std::streamsize>(book.size()));
    out.close();
    if (!out) {
        std::cerr << "make_book: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}

} // namespace velmora

int main(int argc, char** argv)
{
    return velmora::makeBook(argc, argv);
}
