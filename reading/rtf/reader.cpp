#include "reader.h"

#include "code_pages.h"
#include "control_words.h"
#include "tokenizer.h"

#include <algorithm>
#include <array>
#include <string>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>

namespace velmora::rtf {

namespace {

// Groups nested deeper than this occur only in broken or hostile files. Deeper groups are
// counted, not stored, so a million '{' costs no memory; their content is read in the state of
// the deepest stored group.
constexpr std::size_t kMaxGroupDepth = 1024;
// \ucN beyond this is nonsense; clamping keeps a hostile value from swallowing whole groups of
// text as "fallback".
constexpr int32_t kMaxUnicodeSkip = 16;
constexpr char16_t kReplacement = u'\uFFFD';
constexpr uint16_t kDefaultHalfPoints = 24;

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
    uint8_t unicodeSkip = 1;
};

struct FontSlot {
    std::u16string name;
    int codePage = 0; // 0: the document's
    bool defined = false;
};

struct Style {
    CharFormat chr;
    ParagraphFormat para;
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

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes), m_tokens(bytes) {}
    ReadResult run();

private:
    GroupState& state() { return m_stack.back(); }

    void openGroup();
    void closeGroup();
    void onWord(const Token& token);
    void onSymbol(char symbol);
    void onText(std::string_view bytes);
    void onHexByte(uint8_t byte);
    bool consumeFallback();

    void applyDestination(Word word);
    void applyCharacter(Word word, const Token& token);
    void applyParagraph(Word word, const Token& token);
    void applyTableEntry(Word word, const Token& token);

    int codePage();
    uint16_t fontSlot(int32_t number);
    void plainCharFormat(CharFormat& f);
    void decodeBytes(std::string_view bytes, int page, std::u16string& out);

    void append(char16_t unit) { append(&unit, 1); }
    void append(const char16_t* units, std::size_t count);
    void beginRun();
    void endParagraph();
    uint32_t paragraphFormatIndex(const ParagraphFormat& p);
    void endParagraphUnlessEmpty();
    void endRow();

    void finishFontEntry();
    void finishStyleEntry();
    void finishColor();
    void finishDocument();

    std::string_view m_bytes;
    Tokenizer m_tokens;
    Document m_doc;
    std::vector<GroupState> m_stack;
    std::size_t m_overflowDepth = 0;
    bool m_starPending = false;
    int32_t m_fallbackLeft = 0;
    uint8_t m_leadByte = 0;
    bool m_listTextInParagraph = false;

    int m_documentCodePage = kDefaultCodePage;
    int32_t m_defaultFontNumber = 0;
    std::vector<FontSlot> m_fontSlots;
    std::unordered_map<int32_t, uint16_t> m_slotByFontNumber;

    // The font table entry being read.
    bool m_fontEntryOpen = false;
    uint16_t m_fontEntrySlot = 0;
    int m_fontEntryCodePage = 0;

    // The colour table entry being read.
    int32_t m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorSet = false;

    std::map<int32_t, Style> m_paragraphStyles;
    std::map<int32_t, Style> m_charStyles;
    int32_t m_styleNumber = 0;
    bool m_styleIsChar = false;
    bool m_styleOpen = false;
    std::size_t m_styleDepth = 0;

    std::unordered_map<FormatKey, uint32_t, FormatKeyHash> m_formatIndex;
    std::unordered_map<std::string, uint32_t> m_paragraphFormatIndex;
    CharFormat m_runFormat;
    bool m_runOpen = false;
    int32_t m_paragraphStart = 0;
    const std::array<char16_t, 256>* m_table = nullptr;
    int m_tablePage = 0;
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
            if (m_stack.size() == 1 && m_overflowDepth == 0) {
                ended = true;
            } else {
                closeGroup();
            }
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
    if (m_stack.empty()) {
        GroupState root;
        plainCharFormat(root.chr);
        m_stack.push_back(root);
        return;
    }
    if (m_stack.size() >= kMaxGroupDepth) {
        ++m_overflowDepth;
        return;
    }
    GroupState copy = state();
    if (copy.destination == Destination::StyleSheet) {
        copy.destination = Destination::StyleEntry;
        plainCharFormat(copy.chr);
        copy.para = {};
        m_styleNumber = 0;
        m_styleIsChar = false;
        m_styleOpen = true;
        m_styleDepth = m_stack.size() + 1;
    }
    m_stack.push_back(copy);
}

void Reader::closeGroup() {
    m_fallbackLeft = 0;
    m_starPending = false;
    if (m_overflowDepth > 0) {
        --m_overflowDepth;
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
    if (s.destination == Destination::Skip)
        return;
    if (word == Word::Unicode && token.hasParameter) {
        int32_t value = token.parameter;
        if (value < -32768 || value > 65535)
            value = kReplacement;
        else if (value < 0)
            value += 65536;
        m_leadByte = 0;
        if (s.destination == Destination::Text && !s.chr.hidden)
            append(static_cast<char16_t>(value));
        else if (s.destination == Destination::FontTable && m_fontEntryOpen)
            m_fontSlots[m_fontEntrySlot].name += static_cast<char16_t>(value);
        m_fallbackLeft = s.unicodeSkip;
        return;
    }
    if (word == Word::UnicodeSkip) {
        s.unicodeSkip = static_cast<uint8_t>(std::clamp(token.parameter, 0, kMaxUnicodeSkip));
        return;
    }
    switch (word) {
    case Word::FontTable: case Word::ColorTable: case Word::StyleSheet: case Word::FieldResult:
    case Word::ListText: case Word::PnText: case Word::Result: case Word::ShapePicture:
    case Word::SkipDestination: case Word::FieldInstruction: case Word::NonShapePicture:
    case Word::Object: case Word::Picture:
        applyDestination(word);
        return;
    default:
        break;
    }
    if (starred && word != Word::CharStyle) {
        // An ignorable destination that this reader does not know: its content is not text.
        // (\*\csN opens a character style in the style sheet.)
        s.destination = Destination::Skip;
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
        break;
    default:
        return;
    }

    switch (word) {
    case Word::Ansi: m_documentCodePage = 1252; return;
    case Word::Mac: m_documentCodePage = 10000; return;
    case Word::Pc: m_documentCodePage = 437; return;
    case Word::Pca: m_documentCodePage = 850; return;
    case Word::AnsiCodePage:
        if (token.hasParameter && token.parameter > 0)
            m_documentCodePage = token.parameter;
        return;
    case Word::DefaultFont:
        m_defaultFontNumber = token.parameter;
        s.chr.font = fontSlot(m_defaultFontNumber);
        return;
    case Word::Style: {
        auto it = m_paragraphStyles.find(token.hasParameter ? token.parameter : 0);
        if (it != m_paragraphStyles.end()) {
            s.para = it->second.para;
            s.chr = it->second.chr;
        }
        return;
    }
    case Word::CharStyle: {
        auto it = m_charStyles.find(token.parameter);
        if (it != m_charStyles.end())
            s.chr = it->second.chr;
        return;
    }
    case Word::Par: endParagraph(); return;
    case Word::Page:
    case Word::Sect: endParagraphUnlessEmpty(); return;
    case Word::Line: append(Document::kLineBreak); return;
    case Word::Tab:
    case Word::Cell:
    case Word::NestCell: append(u'\t'); return;
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

void Reader::applyDestination(Word word) {
    GroupState& s = state();
    switch (word) {
    case Word::FontTable: s.destination = Destination::FontTable; return;
    case Word::ColorTable:
        s.destination = Destination::ColorTable;
        m_colorSet = false;
        return;
    case Word::StyleSheet: s.destination = Destination::StyleSheet; return;
    case Word::Result:
        if (s.destination == Destination::ObjectSkip)
            s.destination = Destination::Text;
        return;
    case Word::ListText:
    case Word::PnText:
        // Word writes the number of a list item both as \listtext and, for old readers, as
        // \pntext; it is shown once.
        if (s.destination != Destination::Text || m_listTextInParagraph)
            s.destination = Destination::Skip;
        m_listTextInParagraph = true;
        return;
    case Word::FieldResult:
    case Word::ShapePicture:
        return; // text, in whatever destination holds it
    case Word::Object: s.destination = Destination::ObjectSkip; return;
    default: s.destination = Destination::Skip; return;
    }
}

void Reader::applyCharacter(Word word, const Token& token) {
    CharFormat& f = state().chr;
    const bool on = !token.hasParameter || token.parameter != 0;
    switch (word) {
    case Word::Plain: plainCharFormat(f); return;
    case Word::Font: f.font = fontSlot(token.parameter); return;
    case Word::FontSize:
        // \fs0 is not a size; keep the one in force.
        if (token.hasParameter && token.parameter > 0)
            f.halfPoints = static_cast<uint16_t>(std::min(token.parameter, 3276));
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
        m_fontSlots[m_fontEntrySlot].name.clear();
        m_fontEntryCodePage = 0;
    } else if (word == Word::CharacterSet && m_fontEntryOpen) {
        m_fontEntryCodePage = codePageForCharset(token.parameter);
        m_fontSlots[m_fontEntrySlot].codePage = m_fontEntryCodePage;
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
    const GroupState& s = state();
    if (s.destination != Destination::Text)
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
        if (s.chr.hidden)
            return;
        break;
    case Destination::FontTable:
        while (!bytes.empty()) {
            const std::size_t semicolon = bytes.find(';');
            if (m_fontEntryOpen) {
                decodeBytes(bytes.substr(0, semicolon),
                            m_fontEntryCodePage ? m_fontEntryCodePage : m_documentCodePage,
                            m_fontSlots[m_fontEntrySlot].name);
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

    const int page = codePage();
    if (isDoubleByteCodePage(page) || m_leadByte) {
        m_scratch.clear();
        decodeBytes(bytes, page, m_scratch);
        append(m_scratch.data(), m_scratch.size());
        return;
    }
    if (page != m_tablePage || !m_table) {
        m_table = &singleByteTable(page);
        m_tablePage = page;
    }
    beginRun();
    std::u16string& text = m_doc.text;
    const std::size_t old = text.size();
    text.resize(old + bytes.size());
    char16_t* out = text.data() + old;
    const auto& table = *m_table;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = table[static_cast<unsigned char>(bytes[i])];
    m_doc.runs.back().length += static_cast<int32_t>(bytes.size());
}

void Reader::decodeBytes(std::string_view bytes, int page, std::u16string& out) {
    if (!isDoubleByteCodePage(page)) {
        m_leadByte = 0;
        const auto& table = singleByteTable(page);
        for (char c : bytes)
            out += table[static_cast<unsigned char>(c)];
        return;
    }
    for (char c : bytes) {
        const auto byte = static_cast<uint8_t>(c);
        if (m_leadByte) {
            out += decodeDoubleByte(page, m_leadByte, byte);
            m_leadByte = 0;
        } else if (isLeadByte(page, byte)) {
            m_leadByte = byte;
        } else if (byte < 0x80) {
            out += static_cast<char16_t>(byte);
        } else {
            out += decodeSingleByte(page, byte); // half-width katakana and the like
        }
    }
}

int Reader::codePage() {
    const FontSlot& slot = m_fontSlots.empty() ? FontSlot{} : m_fontSlots[state().chr.font];
    return slot.codePage ? slot.codePage : m_documentCodePage;
}

uint16_t Reader::fontSlot(int32_t number) {
    auto [it, inserted] = m_slotByFontNumber.try_emplace(number, uint16_t(0));
    if (inserted) {
        // A hostile file may name tens of thousands of fonts; past what a uint16 holds, all
        // further ones share the last slot.
        if (m_fontSlots.size() >= 0xFFFF) {
            it->second = 0xFFFE;
        } else {
            it->second = static_cast<uint16_t>(m_fontSlots.size());
            m_fontSlots.emplace_back();
        }
    }
    return it->second;
}

void Reader::plainCharFormat(CharFormat& f) {
    f = CharFormat{};
    f.font = fontSlot(m_defaultFontNumber);
    f.halfPoints = kDefaultHalfPoints;
}

void Reader::beginRun() {
    const CharFormat& f = state().chr;
    if (m_runOpen && f == m_runFormat)
        return;
    auto [it, inserted] =
        m_formatIndex.try_emplace(keyOf(f), static_cast<uint32_t>(m_doc.charFormats.size()));
    if (inserted)
        m_doc.charFormats.push_back(f);
    m_runFormat = f;
    m_runOpen = true;
    m_doc.runs.push_back({static_cast<int32_t>(m_doc.text.size()), 0, it->second});
}

void Reader::append(const char16_t* units, std::size_t count) {
    if (count == 0 || state().chr.hidden)
        return;
    beginRun();
    m_doc.text.append(units, count);
    m_doc.runs.back().length += static_cast<int32_t>(count);
}

void Reader::endParagraph() {
    // A hidden paragraph mark joins its paragraph to the next, as word processors show it.
    if (state().chr.hidden)
        return;
    const auto end = static_cast<int32_t>(m_doc.text.size());
    m_doc.paragraphs.push_back({m_paragraphStart, end - m_paragraphStart,
                                paragraphFormatIndex(state().para)});
    append(Document::kParagraphEnd);
    m_paragraphStart = end + 1;
    m_listTextInParagraph = false;
}

uint32_t Reader::paragraphFormatIndex(const ParagraphFormat& p) {
    const std::array<int32_t, 8> fields = {static_cast<int32_t>(p.align), p.leftIndent,
                                           p.rightIndent, p.firstLineIndent, p.spaceBefore,
                                           p.spaceAfter, p.lineSpacing, p.lineMultiple};
    std::string key(reinterpret_cast<const char*>(fields.data()), sizeof fields);
    auto [it, inserted] = m_paragraphFormatIndex.try_emplace(
        std::move(key), static_cast<uint32_t>(m_doc.paragraphFormats.size()));
    if (inserted)
        m_doc.paragraphFormats.push_back(p);
    return it->second;
}

void Reader::endParagraphUnlessEmpty() {
    if (static_cast<int32_t>(m_doc.text.size()) > m_paragraphStart)
        endParagraph();
}

void Reader::endRow() {
    // Cells end in a tab; the row's last one becomes the row's paragraph end.
    if (!m_doc.text.empty() && m_doc.text.back() == u'\t' &&
        static_cast<int32_t>(m_doc.text.size()) > m_paragraphStart) {
        m_doc.text.pop_back();
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
    m_leadByte = 0;
    FontSlot& slot = m_fontSlots[m_fontEntrySlot];
    slot.defined = true;
    auto& name = slot.name;
    const auto notSpace = [](char16_t c) { return c != u' ' && c != u'\t'; };
    name.erase(name.begin(), std::find_if(name.begin(), name.end(), notSpace));
    name.erase(std::find_if(name.rbegin(), name.rend(), notSpace).base(), name.end());
}

void Reader::finishStyleEntry() {
    if (!m_styleOpen)
        return;
    m_styleOpen = false;
    const GroupState& s = state();
    (m_styleIsChar ? m_charStyles : m_paragraphStyles)[m_styleNumber] = {s.chr, s.para};
}

void Reader::finishColor() {
    m_doc.colors.push_back(m_colorSet ? uint32_t(m_red << 16 | m_green << 8 | m_blue)
                                      : CharFormat::kAutoColor);
    m_red = m_green = m_blue = 0;
    m_colorSet = false;
}

void Reader::finishDocument() {
    finishFontEntry();
    // The last paragraph has no paragraph end; its format is the one in force at the end.
    const ParagraphFormat last = m_stack.empty() ? ParagraphFormat{} : state().para;
    m_doc.paragraphs.push_back({m_paragraphStart,
                                static_cast<int32_t>(m_doc.text.size()) - m_paragraphStart,
                                paragraphFormatIndex(last)});

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
