#include "reader.h"

#include "code_pages.h"
#include "control_words.h"
#include "tokenizer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

namespace velmora::rtf {

namespace {

// Word lists each font once per charset variant and stays in the hundreds; more than this is a
// broken or hostile file, and further font numbers share the first font's slot, so the table
// cannot grow with the file.
constexpr std::size_t kMaxFonts = 4096;
// The colour table: \cfN takes a 16-bit index in every writer; entries past it are never used.
constexpr std::size_t kMaxColors = 0x10000;
// How far after a footnote mark (\chftn) the reader looks for the note's group to learn whether
// it is an endnote (\ftnalt): Word writes "\chftn}{\footnote\ftnalt" or "\chftn {\footnote".
constexpr int kFootnotePeekTokens = 8;
// No document has this many notes; the cap keeps every mark within the six bytes of the
// "\chftn" that asks for it, so a file of nothing but marks cannot multiply into text.
constexpr int32_t kMaxNoteNumber = 99999;
constexpr char16_t kReplacement = u'\uFFFD';
// The text grows in steps of this many units, zero-filled once, so that appending needs no
// per-call resize; the capacity reserved up front (one unit per input byte) is only touched as
// far as the text really reaches.
constexpr std::size_t kTextStep = 1 << 16;
constexpr uint16_t kDefaultHalfPoints = 24;
// \fsN above this is not a font size any writer produces (Word's largest is 1638 points).
constexpr int32_t kMaxHalfPoints = 3276;

enum class Destination : uint8_t {
    Text,        // shown
    Skip,        // read and dropped
    ObjectSkip,  // an embedded object: dropped, except its \result
    FontTable,
    ColorTable,
    StyleSheet,
    StyleEntry,
};

struct GroupState {
    CharFormat chr;
    ParagraphFormat para;
    Destination destination = Destination::Text;
    // A \upr group holds the same text twice: an ANSI group for old readers and \*\ud with
    // Unicode. Its child groups are skipped unless they turn out to be \ud, which then shows in
    // the destination of the \upr group (uprResume).
    bool upr = false;
    bool uprAlternative = false;
    Destination uprResume = Destination::Text;
    uint8_t unicodeSkip = 1;
};

struct FontSlot {
    std::u16string name;
    int charsetPage = 0; // from \fcharset; 0: none given
    int explicitPage = 0; // from \cpg
    int codePage = 0;     // resolved when the entry ends; 0: the document's
    bool hasCharset = false;
    bool defined = false;
};

struct Style {
    CharFormat chr;
    ParagraphFormat para;
};

enum class NoteStyle : uint8_t { Arabic, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman, Chicago };

struct NoteNumbering {
    NoteStyle style = NoteStyle::Arabic;
    int32_t next = 1;
};

struct FormatKey {
    uint64_t a, b;
    bool operator==(const FormatKey&) const = default;
};
struct FormatKeyHash {
    std::size_t operator()(const FormatKey& k) const {
        return std::hash<uint64_t>()(k.a * 0x9E3779B97F4A7C15ull ^ k.b);
    }
};

FormatKey keyOf(const CharFormat& f) {
    const uint64_t flags = uint64_t(f.bold) | uint64_t(f.italic) << 1 | uint64_t(f.underline) << 2 |
                           uint64_t(f.strike) << 3 | uint64_t(f.hidden) << 4 |
                           uint64_t(f.vertical) << 5;
    return {uint64_t(f.font) | uint64_t(f.halfPoints) << 16 | flags << 32,
            uint64_t(f.color) | uint64_t(f.background) << 32};
}

FormatKey keyOf(const ParagraphFormat& p) {
    auto u = [](int32_t v) { return static_cast<uint64_t>(static_cast<uint32_t>(v)); };
    const uint64_t h = u(p.leftIndent) * 0x9E3779B97F4A7C15ull ^ u(p.rightIndent) << 32 ^
                       u(p.firstLineIndent) * 0xC2B2AE3D27D4EB4Full ^ u(p.spaceBefore) << 16 ^
                       u(p.lineSpacing) * 0x165667B19E3779F9ull;
    return {h, u(p.spaceAfter) | uint64_t(p.align) << 32 | uint64_t(p.lineMultiple) << 40};
}

NoteStyle noteStyleOf(std::string_view word) {
    const std::string_view suffix = word.substr(word.size() >= 3 ? word.size() - 3 : 0);
    if (suffix == "alc") return NoteStyle::LowerAlpha;
    if (suffix == "auc") return NoteStyle::UpperAlpha;
    if (suffix == "rlc") return NoteStyle::LowerRoman;
    if (suffix == "ruc") return NoteStyle::UpperRoman;
    if (suffix == "chi") return NoteStyle::Chicago;
    return NoteStyle::Arabic;
}

// One footnote or endnote mark, at most 15 characters ("mmmdccclxxxviii").
struct NoteMark {
    std::array<char16_t, 16> units{};
    std::size_t length = 0;
    void add(char16_t c) { units[length++] = c; }
};

// The mark of note number n as Word numbers notes. Letters, Roman numerals and Chicago signs
// grow with n, so past a small bound the number is written in digits.
NoteMark noteMark(NoteStyle style, int32_t n) {
    NoteMark mark;
    switch (style) {
    case NoteStyle::LowerAlpha:
    case NoteStyle::UpperAlpha:
        if (n >= 1 && n <= 26 * 3) { // a..z, aa..zz, aaa..zzz
            const char16_t base = style == NoteStyle::LowerAlpha ? u'a' : u'A';
            for (int i = 0; i <= (n - 1) / 26; ++i)
                mark.add(static_cast<char16_t>(base + (n - 1) % 26));
            return mark;
        }
        break;
    case NoteStyle::LowerRoman:
    case NoteStyle::UpperRoman:
        if (n >= 1 && n <= 3999) {
            static constexpr std::pair<int, std::u16string_view> kNumerals[] = {
                    {1000, u"m"}, {900, u"cm"}, {500, u"d"}, {400, u"cd"}, {100, u"c"},
                    {90, u"xc"},  {50, u"l"},   {40, u"xl"}, {10, u"x"},   {9, u"ix"},
                    {5, u"v"},    {4, u"iv"},   {1, u"i"}};
            const char16_t shift = style == NoteStyle::UpperRoman ? 32 : 0;
            for (const auto& [value, numeral] : kNumerals)
                for (; n >= value; n -= value)
                    for (char16_t c : numeral)
                        mark.add(static_cast<char16_t>(c - shift));
            return mark;
        }
        break;
    case NoteStyle::Chicago:
        if (n >= 1 && n <= 8) {
            static constexpr char16_t kSigns[] = {u'*', u'\u2020', u'\u2021', u'\u00A7'};
            for (int i = 0; i <= (n - 1) / 4; ++i)
                mark.add(kSigns[(n - 1) % 4]);
            return mark;
        }
        break;
    case NoteStyle::Arabic: break;
    }
    char digits[12];
    const int count = std::snprintf(digits, sizeof digits, "%d", n);
    for (int i = 0; i < count; ++i)
        mark.add(static_cast<char16_t>(digits[i]));
    return mark;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes), m_tokens(bytes) {}
    ReadResult run();

private:
    GroupState& state() { return m_stack.back(); }
    CharFormat& editFormat() {
        m_formatDirty = true;
        return m_stack.back().chr;
    }

    void openGroup();
    void closeGroup();
    void onWord(const Token& token);
    void onSymbol(char symbol);
    void onText(std::string_view bytes);
    void onHexByte(uint8_t byte);
    void onUnicode(int32_t value);
    bool consumeFallback();

    void setDestination(Destination destination);
    void applyDestination(Word word);
    void applyDocument(Word word, const Token& token);
    void applyCharacter(Word word, const Token& token);
    void applyParagraph(Word word, const Token& token);
    void applyTableEntry(Word word, const Token& token);
    void footnoteMark();

    int codePage();
    uint16_t fontSlot(int32_t number);
    void plainCharFormat(CharFormat& f);
    void appendText(std::string_view bytes);

    void append(char16_t unit) { append(&unit, 1); }
    void append(const char16_t* units, std::size_t count);
    char16_t* textSpace(std::size_t count) {
        if (m_textLength + count > m_doc.text.size())
            growText(count);
        return m_doc.text.data() + m_textLength;
    }
    void commitText(std::size_t count) {
        m_textLength += count;
        m_doc.runs.back().length += static_cast<int32_t>(count);
    }
    void growText(std::size_t count);
    void selectTextPage(int page);
    void appendSingleByte(uint8_t byte);
    void beginRun() {
        if (!m_runOpen || m_formatDirty)
            startRun();
    }
    void startRun();
    void endParagraph();
    uint32_t paragraphFormatIndex(const ParagraphFormat& p);
    void endParagraphUnlessEmpty();
    void endCell();
    void endRow();
    bool atParagraphEndOnly() const;

    void finishFontEntry();
    void finishStyleEntry();
    void finishColor();
    void finishDocument();

    std::string_view m_bytes;
    Tokenizer m_tokens;
    Document m_doc;
    std::vector<GroupState> m_stack;

    // Groups beyond kMaxGroupDepth: how many are open, the state to return to when the last
    // one closes, and the depth at which a destination inside them started skipping (0: none).
    std::size_t m_overflowDepth = 0;
    std::size_t m_overflowSkipDepth = 0;
    Destination m_overflowSavedDestination = Destination::Text;
    GroupState m_overflowBase;

    bool m_starPending = false;
    int32_t m_fallbackLeft = 0;
    bool m_listTextInParagraph = false;

    int m_documentCodePage = kDefaultCodePage;
    int32_t m_defaultFontNumber = 0;
    std::vector<FontSlot> m_fontSlots;
    std::unordered_map<int32_t, uint16_t> m_slotByFontNumber;
    ByteDecoder m_decoder;

    // The font table entry being read.
    bool m_fontEntryOpen = false;
    uint16_t m_fontEntrySlot = 0;

    // The colour table entry being read.
    int32_t m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    std::unordered_map<int32_t, Style> m_paragraphStyles;
    std::unordered_map<int32_t, Style> m_charStyles;
    int32_t m_styleNumber = 0;
    bool m_styleIsChar = false;
    bool m_styleOpen = false;
    std::size_t m_styleDepth = 0;

    NoteNumbering m_footnotes;
    NoteNumbering m_endnotes{NoteStyle::Arabic, 1};

    std::unordered_map<FormatKey, uint32_t, FormatKeyHash> m_formatIndex;
    std::unordered_map<FormatKey, uint32_t, FormatKeyHash> m_paragraphFormatIndex;
    CharFormat m_runFormat;
    bool m_runOpen = false;
    int32_t m_paragraphStart = 0;
    // The code page of the text being read, with its kind and (single-byte) table; looked up
    // again only when the page changes.
    int m_textPage = -1;
    PageKind m_textPageKind = PageKind::SingleByte;
    const std::array<char16_t, 256>* m_table = nullptr;
    // Whether the character format may differ from the open run's; saves comparing the whole
    // format for every piece of text.
    bool m_formatDirty = true;
    bool m_surrogateWritten = false; // only \u writes surrogates that may stand alone
    std::size_t m_textLength = 0; // m_doc.text is zero-filled ahead of this
    std::u16string m_scratch;
};

ReadResult Reader::run() {
    ReadResult result;
    std::size_t start = 0;
    if (m_bytes.size() >= 3 && std::memcmp(m_bytes.data(), "\xEF\xBB\xBF", 3) == 0)
        start = 3;
    while (start < m_bytes.size() && (m_bytes[start] == ' ' || m_bytes[start] == '\t' ||
                                      m_bytes[start] == '\r' || m_bytes[start] == '\n'))
        ++start;
    if (m_bytes.substr(start, 5) != "{\\rtf") {
        result.status = ReadStatus::NotRtf;
        result.byteOffset = start;
        result.message = "not an RTF file: it does not start with {\\rtf";
        return result;
    }
    m_tokens.skipBytes(start);
    m_doc.text.reserve(m_bytes.size());
    m_stack.reserve(64);

    bool ended = false;
    for (Token token = m_tokens.next(); token.kind != TokenKind::End; token = m_tokens.next()) {
        switch (token.kind) {
        case TokenKind::GroupOpen: openGroup(); break;
        case TokenKind::GroupClose:
            if (m_stack.size() == 1 && m_overflowDepth == 0)
                ended = true;
            else
                closeGroup();
            break;
        case TokenKind::ControlWord: onWord(token); break;
        case TokenKind::ControlSymbol: onSymbol(token.symbol); break;
        case TokenKind::HexByte: onHexByte(token.byte); break;
        case TokenKind::Text: onText(token.text); break;
        case TokenKind::End: break;
        }
        if (ended)
            break;
    }
    finishDocument();
    result.byteOffset = m_tokens.offset();
    if (!ended) {
        result.status = ReadStatus::Truncated;
        result.message = "the file ends inside " +
                         std::to_string(m_stack.size() + m_overflowDepth) + " open group(s)";
    }
    result.document = std::move(m_doc);
    return result;
}

void Reader::openGroup() {
    m_fallbackLeft = 0;
    m_starPending = false;
    m_decoder.reset();
    if (m_stack.empty()) {
        GroupState root;
        plainCharFormat(root.chr);
        m_stack.push_back(root);
        return;
    }
    if (m_stack.size() >= kMaxGroupDepth || m_overflowDepth > 0) {
        if (m_overflowDepth++ == 0)
            m_overflowBase = state();
        return;
    }
    m_stack.push_back(state());
    GroupState& s = state();
    if (s.upr) {
        s.upr = false;
        s.uprAlternative = true;
        s.uprResume = s.destination;
        s.destination = Destination::Skip;
    } else {
        s.uprAlternative = false;
    }
    if (s.destination == Destination::StyleSheet) {
        s.destination = Destination::StyleEntry;
        plainCharFormat(editFormat());
        s.para = {};
        m_styleNumber = 0;
        m_styleIsChar = false;
        m_styleOpen = true;
        m_styleDepth = m_stack.size();
    }
}

void Reader::closeGroup() {
    m_fallbackLeft = 0;
    m_starPending = false;
    m_formatDirty = true;
    m_decoder.reset();
    if (m_overflowDepth > 0) {
        if (m_overflowSkipDepth == m_overflowDepth) {
            state().destination = m_overflowSavedDestination;
            m_overflowSkipDepth = 0;
        }
        if (--m_overflowDepth == 0) {
            state() = m_overflowBase;
            m_formatDirty = true;
        }
        return;
    }
    if (m_stack.size() <= 1)
        return; // a stray '}' inside the root group
    const Destination closing = state().destination;
    if (closing == Destination::FontTable)
        finishFontEntry();
    else if (closing == Destination::StyleEntry && m_stack.size() == m_styleDepth)
        finishStyleEntry();
    m_stack.pop_back();
}

bool Reader::consumeFallback() {
    if (m_fallbackLeft <= 0)
        return false;
    --m_fallbackLeft;
    return true;
}

void Reader::setDestination(Destination destination) {
    if (m_overflowDepth == 0) {
        state().destination = destination;
        return;
    }
    // Past the depth limit the groups share one state, so a destination cannot be confined to
    // its group: everything up to the end of that group is skipped instead.
    if (m_overflowSkipDepth == 0 && state().destination != Destination::Skip) {
        m_overflowSkipDepth = m_overflowDepth;
        m_overflowSavedDestination = state().destination;
        state().destination = Destination::Skip;
    }
}

void Reader::onWord(const Token& token) {
    const Word word = lookupWord(token.text);
    if (word == Word::Binary) {
        // The bytes are data of whatever destination holds them; none of ours shows them.
        if (token.hasParameter && token.parameter > 0)
            m_tokens.skipBytes(static_cast<std::size_t>(token.parameter));
        consumeFallback();
        return;
    }
    if (consumeFallback())
        return;
    const bool starred = std::exchange(m_starPending, false);
    GroupState& s = state();
    if (s.destination == Destination::Skip) {
        if (word == Word::UnicodeDest && s.uprAlternative) {
            s.uprAlternative = false;
            s.destination = s.uprResume;
        }
        return;
    }
    switch (word) {
    case Word::Unicode:
        if (token.hasParameter)
            onUnicode(token.parameter);
        return;
    case Word::UnicodeSkip:
        s.unicodeSkip = static_cast<uint8_t>(std::clamp(token.parameter, 0, kMaxUnicodeSkip));
        return;
    case Word::FontTable: case Word::ColorTable: case Word::StyleSheet: case Word::FieldResult:
    case Word::ListText: case Word::PnText: case Word::Result: case Word::ShapePicture:
    case Word::SkipDestination: case Word::FieldInstruction: case Word::NonShapePicture:
    case Word::Object: case Word::Picture: case Word::Footnote: case Word::Transparent:
    case Word::Upr: case Word::UnicodeDest:
        applyDestination(word);
        return;
    default:
        break;
    }
    if (starred && word != Word::CharStyle) {
        // An ignorable destination that this reader does not know: its content is not text.
        // (\*\csN opens a character style in the style sheet.)
        setDestination(Destination::Skip);
        return;
    }
    switch (s.destination) {
    case Destination::FontTable:
    case Destination::ColorTable:
        applyTableEntry(word, token);
        return;
    case Destination::StyleEntry:
        if (word == Word::Style || word == Word::CharStyle) {
            m_styleNumber = token.hasParameter ? token.parameter : 0;
            m_styleIsChar = word == Word::CharStyle;
            return;
        }
        applyCharacter(word, token);
        applyParagraph(word, token);
        return;
    case Destination::Text:
        applyDocument(word, token);
        return;
    default:
        return;
    }
}

void Reader::onUnicode(int32_t value) {
    // \uN is a signed 16-bit value; anything outside that range is not a character.
    if (value < -32768 || value > 65535)
        value = kReplacement;
    else if (value < 0)
        value += 65536;
    GroupState& s = state();
    m_decoder.reset();
    if (s.destination == Destination::Text) {
        char16_t unit = static_cast<char16_t>(value);
        if (unit >= 0xD800 && unit <= 0xDFFF)
            m_surrogateWritten = true;
        // Symbol fonts written as Unicode use Windows' private-use form U+F020..U+F0FF.
        if (unit >= 0xF020 && unit <= 0xF0FF) {
            const int page = codePage();
            if (page >= kSymbolFontPage && page <= kSymbolPrivatePage)
                unit = singleByteTable(page)[unit & 0xFF];
        }
        append(unit);
    } else if (s.destination == Destination::FontTable && m_fontEntryOpen) {
        m_fontSlots[m_fontEntrySlot].name += static_cast<char16_t>(value);
    }
    m_fallbackLeft = s.unicodeSkip;
}

void Reader::applyDocument(Word word, const Token& token) {
    GroupState& s = state();
    switch (word) {
    case Word::Ansi: m_documentCodePage = 1252; return;
    case Word::Mac: m_documentCodePage = 10000; return;
    case Word::Pc: m_documentCodePage = 437; return;
    case Word::Pca: m_documentCodePage = 850; return;
    case Word::AnsiCodePage:
        if (token.hasParameter && token.parameter > 0 && token.parameter <= kMaxCodePage)
            m_documentCodePage = token.parameter;
        return;
    case Word::DefaultFont:
        m_defaultFontNumber = token.parameter;
        editFormat().font = fontSlot(m_defaultFontNumber);
        return;
    case Word::Style: {
        auto it = m_paragraphStyles.find(token.hasParameter ? token.parameter : 0);
        if (it != m_paragraphStyles.end()) {
            s.para = it->second.para;
            editFormat() = it->second.chr;
        }
        return;
    }
    case Word::CharStyle: {
        auto it = m_charStyles.find(token.parameter);
        if (it != m_charStyles.end())
            editFormat() = it->second.chr;
        return;
    }
    case Word::FootnoteMark: footnoteMark(); return;
    case Word::FootnoteNumbering: m_footnotes.style = noteStyleOf(token.text); return;
    case Word::EndnoteNumbering: m_endnotes.style = noteStyleOf(token.text); return;
    case Word::FootnoteStart:
        m_footnotes.next = std::clamp(token.parameter, 0, kMaxNoteNumber);
        return;
    case Word::EndnoteStart:
        m_endnotes.next = std::clamp(token.parameter, 0, kMaxNoteNumber);
        return;
    case Word::Par: endParagraph(); return;
    case Word::Page:
    case Word::Sect: endParagraphUnlessEmpty(); return;
    case Word::Line: append(Document::kLineBreak); return;
    case Word::Tab: append(u'\t'); return;
    case Word::Cell:
    case Word::NestCell: endCell(); return;
    case Word::Row:
    case Word::NestRow: endRow(); return;
    case Word::EmDash: append(u'\u2014'); return;
    case Word::EnDash: append(u'\u2013'); return;
    case Word::EmSpace: append(u'\u2003'); return;
    case Word::EnSpace: append(u'\u2002'); return;
    case Word::QmSpace: append(u'\u2005'); return;
    case Word::Bullet: append(u'\u2022'); return;
    case Word::LQuote: append(u'\u2018'); return;
    case Word::RQuote: append(u'\u2019'); return;
    case Word::LDblQuote: append(u'\u201C'); return;
    case Word::RDblQuote: append(u'\u201D'); return;
    case Word::Zwj: append(u'\u200D'); return;
    case Word::Zwnj: append(u'\u200C'); return;
    case Word::LtrMark: append(u'\u200E'); return;
    case Word::RtlMark: append(u'\u200F'); return;
    default:
        applyCharacter(word, token);
        applyParagraph(word, token);
        return;
    }
}

void Reader::footnoteMark() {
    // The mark stands just before its note's group, with nothing but braces between; \ftnalt
    // right after \footnote makes the note an endnote, with its own numbering.
    Tokenizer ahead = m_tokens;
    bool inNote = false;
    bool endnote = false;
    for (int i = 0; i < kFootnotePeekTokens; ++i) {
        const Token t = ahead.next();
        if (!inNote && (t.kind == TokenKind::GroupOpen || t.kind == TokenKind::GroupClose))
            continue;
        if (t.kind != TokenKind::ControlWord)
            break;
        const Word w = lookupWord(t.text);
        if (inNote) {
            endnote = w == Word::EndnoteAlt;
            break;
        }
        if (w != Word::Footnote)
            break;
        inNote = true;
    }
    NoteNumbering& numbering = endnote ? m_endnotes : m_footnotes;
    const NoteMark mark = noteMark(numbering.style, numbering.next);
    if (numbering.next < kMaxNoteNumber)
        ++numbering.next;
    append(mark.units.data(), mark.length);
}

void Reader::applyDestination(Word word) {
    GroupState& s = state();
    switch (word) {
    case Word::FontTable: setDestination(Destination::FontTable); return;
    case Word::ColorTable:
        setDestination(Destination::ColorTable);
        m_colorSet = false;
        return;
    case Word::StyleSheet: setDestination(Destination::StyleSheet); return;
    case Word::Result:
        if (s.destination == Destination::ObjectSkip)
            setDestination(Destination::Text);
        return;
    case Word::ListText:
    case Word::PnText:
        // Word writes the number of a list item both as \listtext and, for old readers, as
        // \pntext; it is shown once.
        if (s.destination != Destination::Text || m_listTextInParagraph)
            setDestination(Destination::Skip);
        m_listTextInParagraph = true;
        return;
    case Word::Upr:
        if (m_overflowDepth == 0)
            s.upr = true;
        return;
    case Word::FieldResult:
    case Word::ShapePicture:
    case Word::Transparent:
    case Word::UnicodeDest: // outside a \upr group: its text is the only copy
        return; // text, in whatever destination holds it
    case Word::Object: setDestination(Destination::ObjectSkip); return;
    default: setDestination(Destination::Skip); return;
    }
}

void Reader::applyCharacter(Word word, const Token& token) {
    CharFormat& f = editFormat();
    const bool on = !token.hasParameter || token.parameter != 0;
    switch (word) {
    case Word::Plain: plainCharFormat(f); return;
    case Word::Font: f.font = fontSlot(token.parameter); return;
    case Word::FontSize:
        // \fs0 is not a size; keep the one in force.
        if (token.hasParameter && token.parameter > 0)
            f.halfPoints = static_cast<uint16_t>(std::min(token.parameter, kMaxHalfPoints));
        return;
    case Word::Bold: f.bold = on; return;
    case Word::Italic: f.italic = on; return;
    case Word::Underline: f.underline = on; return;
    case Word::UnderlineNone: f.underline = false; return;
    case Word::Strike: f.strike = on; return;
    case Word::Hidden: f.hidden = on; return;
    case Word::Super: f.vertical = CharFormat::Vertical::Super; return;
    case Word::Sub: f.vertical = CharFormat::Vertical::Sub; return;
    case Word::NoSuperSub: f.vertical = CharFormat::Vertical::Baseline; return;
    case Word::ColorFore:
    case Word::Highlight:
    case Word::ColorBack: {
        uint32_t color = CharFormat::kAutoColor;
        if (token.parameter > 0 && static_cast<std::size_t>(token.parameter) < m_doc.colors.size())
            color = m_doc.colors[static_cast<std::size_t>(token.parameter)];
        (word == Word::ColorFore ? f.color : f.background) = color;
        return;
    }
    default: return;
    }
}

void Reader::applyParagraph(Word word, const Token& token) {
    ParagraphFormat& p = state().para;
    const int32_t v = token.hasParameter ? token.parameter : 0;
    switch (word) {
    case Word::Pard: p = {}; return;
    case Word::AlignLeft: p.align = ParagraphFormat::Align::Left; return;
    case Word::AlignCenter: p.align = ParagraphFormat::Align::Center; return;
    case Word::AlignRight: p.align = ParagraphFormat::Align::Right; return;
    case Word::AlignJustify: p.align = ParagraphFormat::Align::Justify; return;
    case Word::LeftIndent: p.leftIndent = v; return;
    case Word::RightIndent: p.rightIndent = v; return;
    case Word::FirstIndent: p.firstLineIndent = v; return;
    case Word::SpaceBefore: p.spaceBefore = v; return;
    case Word::SpaceAfter: p.spaceAfter = v; return;
    case Word::LineSpacing: p.lineSpacing = v; return;
    case Word::LineMultiple: p.lineMultiple = v != 0; return;
    default: return;
    }
}

void Reader::applyTableEntry(Word word, const Token& token) {
    if (state().destination == Destination::ColorTable) {
        const int32_t v = std::clamp(token.parameter, 0, 255);
        if (word == Word::Red) m_red = v, m_colorSet = true;
        else if (word == Word::Green) m_green = v, m_colorSet = true;
        else if (word == Word::Blue) m_blue = v, m_colorSet = true;
        return;
    }
    if (word == Word::Font) {
        finishFontEntry();
        m_fontEntryOpen = true;
        m_fontEntrySlot = fontSlot(token.parameter);
        m_fontSlots[m_fontEntrySlot] = FontSlot{};
    } else if (word == Word::CharacterSet && m_fontEntryOpen) {
        FontSlot& slot = m_fontSlots[m_fontEntrySlot];
        slot.charsetPage = codePageForCharset(token.parameter);
        slot.hasCharset = true;
    } else if (word == Word::FontCodePage && m_fontEntryOpen && token.parameter > 0 &&
               token.parameter <= kMaxCodePage) {
        m_fontSlots[m_fontEntrySlot].explicitPage = token.parameter;
    }
}

void Reader::onSymbol(char symbol) {
    if (consumeFallback())
        return;
    if (symbol == '*') {
        m_starPending = true;
        return;
    }
    switch (symbol) {
    case '\\': case '{': case '}': {
        const char text[1] = {symbol};
        onText(std::string_view(text, 1));
        return;
    }
    default: break;
    }
    if (state().destination != Destination::Text)
        return;
    switch (symbol) {
    case '~': append(u'\u00A0'); return;
    case '-': append(u'\u00AD'); return;
    case '_': append(u'\u2011'); return;
    case '\n': endParagraph(); return;
    default: return; // \: \| and broken escapes
    }
}

void Reader::onHexByte(uint8_t byte) {
    if (consumeFallback())
        return;
    m_starPending = false;
    const GroupState& s = state();
    if (s.destination == Destination::Text) {
        if (!s.chr.hidden)
            appendSingleByte(byte);
        return;
    }
    const char text[1] = {static_cast<char>(byte)};
    onText(std::string_view(text, 1));
}

void Reader::onText(std::string_view bytes) {
    m_starPending = false;
    if (m_fallbackLeft > 0) {
        const std::size_t skip = std::min<std::size_t>(bytes.size(), std::size_t(m_fallbackLeft));
        m_fallbackLeft -= static_cast<int32_t>(skip);
        bytes.remove_prefix(skip);
        if (bytes.empty())
            return;
    }
    GroupState& s = state();
    switch (s.destination) {
    case Destination::Text:
        if (!s.chr.hidden)
            appendText(bytes);
        return;
    case Destination::FontTable:
        while (!bytes.empty()) {
            const std::size_t semicolon = bytes.find(';');
            if (m_fontEntryOpen) {
                FontSlot& slot = m_fontSlots[m_fontEntrySlot];
                int page = slot.explicitPage ? slot.explicitPage : slot.charsetPage;
                if (page == 0 || page > kMaxCodePage)
                    page = m_documentCodePage; // names of symbol fonts are plain ANSI
                m_decoder.decode(page, bytes.substr(0, semicolon), slot.name);
            }
            if (semicolon == std::string_view::npos)
                return;
            finishFontEntry();
            bytes.remove_prefix(semicolon + 1);
        }
        return;
    case Destination::ColorTable:
        for (char c : bytes)
            if (c == ';')
                finishColor();
        return;
    case Destination::StyleEntry:
        if (bytes.find(';') != std::string_view::npos)
            finishStyleEntry();
        return;
    default:
        return;
    }
}

void Reader::selectTextPage(int page) {
    m_textPage = page;
    m_textPageKind = pageKind(page);
    m_table = &singleByteTable(page);
}

void Reader::appendText(std::string_view bytes) {
    const int page = codePage();
    if (page != m_textPage)
        selectTextPage(page);
    if (m_textPageKind != PageKind::SingleByte || m_decoder.pending()) {
        m_scratch.clear();
        m_decoder.decode(page, bytes, m_scratch);
        append(m_scratch.data(), m_scratch.size());
        return;
    }
    beginRun();
    char16_t* out = textSpace(bytes.size());
    const auto& table = *m_table;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = table[static_cast<unsigned char>(bytes[i])];
    commitText(bytes.size());
}

// The common case of \'xx: one byte of a single-byte page in shown text.
void Reader::appendSingleByte(uint8_t byte) {
    const int page = codePage();
    if (page != m_textPage)
        selectTextPage(page);
    if (m_textPageKind != PageKind::SingleByte || m_decoder.pending()) {
        const char text[1] = {static_cast<char>(byte)};
        appendText(std::string_view(text, 1));
        return;
    }
    beginRun();
    *textSpace(1) = (*m_table)[byte];
    commitText(1);
}

void Reader::growText(std::size_t count) {
    m_doc.text.resize(m_textLength + std::max(count, kTextStep));
}

int Reader::codePage() {
    if (m_fontSlots.empty())
        return m_documentCodePage;
    const FontSlot& slot = m_fontSlots[state().chr.font];
    return slot.codePage ? slot.codePage : m_documentCodePage;
}

uint16_t Reader::fontSlot(int32_t number) {
    if (auto it = m_slotByFontNumber.find(number); it != m_slotByFontNumber.end())
        return it->second;
    if (m_fontSlots.size() >= kMaxFonts)
        return 0;
    const auto slot = static_cast<uint16_t>(m_fontSlots.size());
    m_fontSlots.emplace_back();
    m_slotByFontNumber.emplace(number, slot);
    return slot;
}

void Reader::plainCharFormat(CharFormat& f) {
    f = CharFormat{};
    f.font = fontSlot(m_defaultFontNumber);
    f.halfPoints = kDefaultHalfPoints;
}

void Reader::startRun() {
    m_formatDirty = false;
    const CharFormat& f = state().chr;
    if (m_runOpen && f == m_runFormat)
        return;
    auto [it, inserted] =
        m_formatIndex.try_emplace(keyOf(f), static_cast<uint32_t>(m_doc.charFormats.size()));
    if (inserted)
        m_doc.charFormats.push_back(f);
    m_runFormat = f;
    m_runOpen = true;
    if (!m_doc.runs.empty() && m_doc.runs.back().length == 0) {
        m_doc.runs.back().format = it->second; // a run left empty takes the new format
        return;
    }
    m_doc.runs.push_back({static_cast<int32_t>(m_textLength), 0, it->second});
}

void Reader::append(const char16_t* units, std::size_t count) {
    if (count == 0 || state().chr.hidden)
        return;
    beginRun();
    std::copy(units, units + count, textSpace(count));
    commitText(count);
}

void Reader::endParagraph() {
    // A hidden paragraph mark joins its paragraph to the next, as word processors show it.
    if (state().chr.hidden)
        return;
    const auto end = static_cast<int32_t>(m_textLength);
    m_doc.paragraphs.push_back({m_paragraphStart, end - m_paragraphStart,
                                paragraphFormatIndex(state().para)});
    append(Document::kParagraphEnd);
    m_paragraphStart = end + 1;
    m_listTextInParagraph = false;
}

uint32_t Reader::paragraphFormatIndex(const ParagraphFormat& p) {
    if (!m_doc.paragraphs.empty()) {
        const uint32_t last = m_doc.paragraphs.back().format;
        if (m_doc.paragraphFormats[last] == p)
            return last;
    }
    auto [it, inserted] = m_paragraphFormatIndex.try_emplace(
        keyOf(p), static_cast<uint32_t>(m_doc.paragraphFormats.size()));
    if (inserted)
        m_doc.paragraphFormats.push_back(p);
    return it->second;
}

void Reader::endParagraphUnlessEmpty() {
    if (static_cast<int32_t>(m_textLength) > m_paragraphStart)
        endParagraph();
}

bool Reader::atParagraphEndOnly() const {
    return static_cast<int32_t>(m_textLength) == m_paragraphStart && m_textLength > 0 &&
           m_doc.text[m_textLength - 1] == Document::kParagraphEnd;
}

void Reader::endCell() {
    // A cell whose text ends with its own \par is already separated from the next one.
    if (!atParagraphEndOnly())
        append(u'\t');
}

void Reader::endRow() {
    if (atParagraphEndOnly())
        return; // the last cell ended its paragraph; a row adds no empty one
    // Cells end in a tab; the row's last one becomes the row's paragraph end.
    if (m_textLength > 0 && m_doc.text[m_textLength - 1] == u'\t' &&
        static_cast<int32_t>(m_textLength) > m_paragraphStart) {
        --m_textLength;
        if (--m_doc.runs.back().length == 0) {
            m_doc.runs.pop_back();
            m_runOpen = false;
        }
    }
    endParagraph();
}

void Reader::finishFontEntry() {
    if (!m_fontEntryOpen)
        return;
    m_fontEntryOpen = false;
    m_decoder.reset();
    FontSlot& slot = m_fontSlots[m_fontEntrySlot];
    slot.defined = true;
    auto& name = slot.name;
    const auto notSpace = [](char16_t c) { return c != u' ' && c != u'\t'; };
    name.erase(name.begin(), std::find_if(name.begin(), name.end(), notSpace));
    name.erase(std::find_if(name.rbegin(), name.rend(), notSpace).base(), name.end());
    if (slot.charsetPage == kSymbolPrivatePage || (!slot.hasCharset && isSymbolFontName(name)))
        slot.codePage = symbolFontPage(name);
    else
        slot.codePage = slot.explicitPage ? slot.explicitPage : slot.charsetPage;
    m_textPage = -1; // the page of a font in use may have changed
}

void Reader::finishStyleEntry() {
    if (!m_styleOpen)
        return;
    m_styleOpen = false;
    const GroupState& s = state();
    (m_styleIsChar ? m_charStyles : m_paragraphStyles)[m_styleNumber] = {s.chr, s.para};
}

void Reader::finishColor() {
    if (m_doc.colors.size() < kMaxColors)
        m_doc.colors.push_back(m_colorSet ? uint32_t(m_red << 16 | m_green << 8 | m_blue)
                                          : CharFormat::kAutoColor);
    m_red = m_green = m_blue = 0;
    m_colorSet = false;
}

void Reader::finishDocument() {
    finishFontEntry();
    m_doc.text.resize(m_textLength);
    // The last paragraph has no paragraph end; its format is the one in force at the end.
    const ParagraphFormat last = m_stack.empty() ? ParagraphFormat{} : state().para;
    m_doc.paragraphs.push_back({m_paragraphStart,
                                static_cast<int32_t>(m_textLength) - m_paragraphStart,
                                paragraphFormatIndex(last)});
    if (!m_doc.runs.empty() && m_doc.runs.back().length == 0)
        m_doc.runs.pop_back();

    // Fonts that the table never defined take the default font's name.
    std::u16string fallback;
    if (auto it = m_slotByFontNumber.find(m_defaultFontNumber); it != m_slotByFontNumber.end())
        fallback = m_fontSlots[it->second].name;
    m_doc.fontNames.reserve(m_fontSlots.size());
    for (const FontSlot& slot : m_fontSlots) {
        std::string name;
        appendUtf8(name, slot.defined ? slot.name : fallback);
        m_doc.fontNames.push_back(std::move(name));
    }
    if (m_doc.fontNames.empty())
        m_doc.fontNames.emplace_back();

    // A \u escape may leave half of a surrogate pair alone; it is not a character.
    if (!m_surrogateWritten)
        return;
    auto& text = m_doc.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0xD800 || c > 0xDFFF)
            continue;
        if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
            ++i;
        else
            text[i] = kReplacement;
    }
}

} // namespace

ReadResult readRtf(std::string_view bytes) {
    return Reader(bytes).run();
}

} // namespace velmora::rtf
