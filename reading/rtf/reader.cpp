#include "reader.h"

#include "code_pages.h"
#include "control_words.h"
#include "document_writer.h"
#include "fields.h"
#include "format_tables.h"
#include "lists.h"
#include "notes.h"
#include "parser_state.h"
#include "scripts.h"
#include "tokenizer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <utility>

// The way of the bytes through this file:
// - Tokenizer (tokenizer.h) cuts them into tokens, and lookupWord (control_words.h) names each
//   control word and its family.
// - Reader::run hands each token to onWord, onSymbol, onHexByte or onText, which act in the state
//   of the innermost group (GroupState: destination, character and paragraph format) on a stack.
//   onWord hands each family of words to one apply* function.
// - The tables at the head of the file are read into their own state (FontTable, ColorTable,
//   StyleSheet), each entry finished at its ';' or the end of its group.
// - DocumentWriter writes the model: text, runs of one character format, paragraphs, and every
//   distinct format once.

namespace velmora::rtf {

namespace {

// How often a progress callback hears how far reading has got: often enough that a caller can
// give back the bytes behind the reader while the text grows, seldom enough to cost nothing.
constexpr std::size_t kProgressStep = 1 << 20;
constexpr uint16_t kDefaultHalfPoints = 24;
// \fsN above this is not a font size any writer produces (Word's largest is 1638 points).
constexpr int32_t kMaxHalfPoints = 3276;

class Reader {
public:
    Reader(std::string_view bytes, const ReadProgress& progress)
        : m_bytes(bytes), m_tokens(bytes), m_progress(progress),
          m_nextProgress(progress ? kProgressStep : SIZE_MAX)
    {
    }
    ReadResult run();

private:
    GroupState& state() { return m_stack.back(); }
    CharFormat& editFormat()
    {
        m_writer.formatChanged();
        m_scriptFormats.dirty = true;
        return m_stack.back().chr;
    }

    // Tokens
    void openGroup();
    void closeGroup();
    void onWord(const Token& token);
    void onSymbol(char symbol);
    void onText(std::string_view bytes);
    void onHexByte(uint8_t byte);
    void onUnicode(int32_t value);

    // Control words, by where they stand and by family
    void setDestination(Destination destination);
    void applyDestination(Word word);
    void applyUnicode(Word word, const Token& token);
    void applyTableEntry(Word word, const Token& token);
    void applyStyleEntry(Word word, WordFamily family, const Token& token);
    void applyInText(Word word, WordFamily family, const Token& token);
    void applyDocument(Word word, const Token& token);
    void applyStyle(Word word, const Token& token);
    void applyNote(Word word, const Token& token);
    void applyCharacter(Word word, const Token& token);
    void applyParagraph(Word word, const Token& token);
    void applyComplexScript(Word word, const Token& token);
    void applyDirection(Word word, const Token& token);
    void applyBreak(Word word);
    void applyTable(Word word);
    void applySymbol(Word word);
    void applyList(Word word, const Token& token);
    void footnoteMark();
    void endFieldInstruction();
    void endField();
    void listLabel();
    void applyListTable(Word word, const Token& token);

    // Text, by code page
    int codePage();
    void plainCharFormat(CharFormat& f);
    void appendText(std::string_view bytes);
    void append(char16_t unit) { append(&unit, 1); }
    void append(const char16_t* units, std::size_t count)
    {
        if (count == 0 || state().chr.hidden)
            return;
        if (m_listText.labelPending)
            listLabel();
        if (scriptFormats().differ)
            appendByScript(units, count);
        else
            m_writer.append(units, count, state().chr);
    }
    const ScriptFormats& scriptFormats();
    void appendByScript(const char16_t* units, std::size_t count);
    void endParagraph();

    void finishFontEntry();

    void reportProgress()
    {
        m_progress(m_tokens.offset());
        m_nextProgress = m_tokens.offset() + kProgressStep;
    }

    std::string_view m_bytes;
    Tokenizer m_tokens;
    const ReadProgress& m_progress;
    std::size_t m_nextProgress;
    std::vector<GroupState> m_stack;
    DeepGroups m_deep;
    Pending m_pending;

    int m_documentCodePage = kDefaultCodePage;
    ByteDecoder m_decoder;
    TextPage m_page;
    std::u16string m_scratch;

    FontTable m_fonts;
    ColorTable m_colors;
    StyleSheet m_styles;
    NoteCounters m_notes;

    DocumentWriter m_writer;
    ScriptFormats m_scriptFormats;
    bool m_lastUnitComplex = false; // the last unit appended took the associated properties
    ListTable m_lists;
    ListText m_listText;
    Field m_field;
    ShapeText m_shapeText;
    bool m_surrogateWritten = false; // only \u writes surrogates that may stand alone
};

// Past a UTF-8 byte-order mark and white space, which some writers put before the document.
std::size_t preambleEnd(std::string_view bytes)
{
    std::size_t start = 0;
    if (bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0)
        start = 3;
    while (start < bytes.size() && (bytes[start] == ' ' || bytes[start] == '\t' ||
                                    bytes[start] == '\r' || bytes[start] == '\n'))
        ++start;
    return start;
}

ReadResult Reader::run()
{
    ReadResult result;
    const std::optional<std::size_t> begin = rtfStart(m_bytes);
    if (!begin) {
        result.status = ReadStatus::NotRtf;
        result.byteOffset = preambleEnd(m_bytes);
        result.message = "not an RTF file: it does not start with {\\rtf";
        return result;
    }
    const std::size_t start = *begin;
    m_tokens.skipBytes(start);
    m_writer.reserve(m_bytes.size());
    m_stack.reserve(64);

    bool ended = false;
    for (Token token = m_tokens.next(); token.kind != TokenKind::End; token = m_tokens.next()) {
        switch (token.kind) {
        case TokenKind::GroupOpen: openGroup(); break;
        case TokenKind::GroupClose:
            if (m_stack.size() == 1 && m_deep.depth == 0)
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
        if (m_tokens.offset() >= m_nextProgress)
            reportProgress();
    }

    finishFontEntry();
    result.byteOffset = m_tokens.offset();
    if (!ended) {
        result.status = ReadStatus::Truncated;
        result.message = "the file ends inside " + std::to_string(m_stack.size() + m_deep.depth) +
                         " open group(s)";
    }
    // The last paragraph's format is the one in force at the end.
    const ParagraphFormat last =
        m_stack.empty() ? ParagraphFormat{} : state().logical.resolve(state().para);
    result.document = m_writer.finish(last, m_surrogateWritten);
    result.document.fontNames = m_fonts.names();
    result.document.colors = std::move(m_colors.colors);
    return result;
}

void Reader::openGroup()
{
    m_pending.clear();
    m_decoder.reset();
    if (m_stack.empty()) {
        GroupState root;
        plainCharFormat(root.chr);
        m_stack.push_back(root);
        return;
    }
    if (m_stack.size() >= kMaxGroupDepth || m_deep.depth > 0) {
        m_deep.open(state());
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
        s.complex = {};
        s.logical = {};
        m_styles.beginEntry(m_stack.size());
    }
}

void Reader::closeGroup()
{
    m_pending.clear();
    m_writer.formatChanged();
    m_scriptFormats.dirty = true;
    m_decoder.reset();
    if (m_deep.depth > 0) {
        m_deep.close(state());
        return;
    }
    if (m_stack.size() <= 1)
        return; // a stray '}' inside the root group
    const Destination closing = state().destination;
    if (m_listText.depth == m_stack.size())
        m_listText.depth = 0;
    if (closing == Destination::ListCapture &&
        m_stack[m_stack.size() - 2].destination != Destination::ListCapture)
        m_lists.endCapture();
    if (closing == Destination::FieldInstruction &&
        m_stack[m_stack.size() - 2].destination != Destination::FieldInstruction)
        endFieldInstruction();
    else if (m_field.depth == m_stack.size())
        endField();
    if (closing == Destination::FontTable)
        finishFontEntry();
    else if (closing == Destination::StyleEntry && m_stack.size() == m_styles.entryDepth)
        m_styles.finishEntry(state());
    m_stack.pop_back();
}

void Reader::setDestination(Destination destination)
{
    if (m_deep.depth == 0)
        state().destination = destination;
    else
        m_deep.skipToEnd(state());
}

void Reader::onWord(const Token& token)
{
    const Word word = lookupWord(token.text, token.wordKey);
    const WordFamily family = familyOf(word);
    if (family == WordFamily::Binary) {
        // The bytes are data of whatever destination holds them; none of ours shows them.
        if (token.hasParameter && token.parameter > 0)
            m_tokens.skipBytes(static_cast<std::size_t>(token.parameter));
        m_pending.consumeFallback();
        return;
    }
    if (m_pending.consumeFallback())
        return;
    const bool starred = std::exchange(m_pending.star, false);
    GroupState& s = state();
    if (s.destination == Destination::Skip) {
        if (word == Word::UnicodeDest && s.uprAlternative) {
            s.uprAlternative = false;
            s.destination = s.uprResume;
        }
        return;
    }
    switch (family) {
    case WordFamily::Unicode: applyUnicode(word, token); return;
    case WordFamily::Destination: applyDestination(word); return;
    default: break;
    }
    if (starred && word != Word::CharStyle) {
        // An ignorable destination that this reader does not know: its content is not text.
        // (\*\csN opens a character style in the style sheet.)
        setDestination(Destination::Skip);
        return;
    }
    switch (s.destination) {
    case Destination::FontTable:
    case Destination::ColorTable: applyTableEntry(word, token); return;
    case Destination::StyleEntry: applyStyleEntry(word, family, token); return;
    case Destination::ListTable: applyListTable(word, token); return;
    case Destination::Text:
        // Half the words LibreOffice writes (\fcs, \loch, \hich, \langfe, ...) are ignored.
        if (family != WordFamily::Ignored)
            applyInText(word, family, token);
        return;
    default: return;
    }
}

void Reader::applyUnicode(Word word, const Token& token)
{
    if (word == Word::UnicodeSkip)
        state().unicodeSkip = static_cast<uint8_t>(std::clamp(token.parameter, 0, kMaxUnicodeSkip));
    else if (token.hasParameter)
        onUnicode(token.parameter);
}

void Reader::applyDestination(Word word)
{
    GroupState& s = state();
    switch (word) {
    case Word::FontTable: setDestination(Destination::FontTable); return;
    case Word::ColorTable:
        setDestination(Destination::ColorTable);
        m_colors.set = false;
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
        if (s.destination != Destination::Text || m_listText.inParagraph) {
            setDestination(Destination::Skip);
        } else if (m_deep.depth == 0) {
            m_listText.depth = m_stack.size();
            m_listText.start = m_writer.length();
            m_listText.written = true;
        }
        m_listText.inParagraph = true;
        return;
    case Word::ListTable:
    case Word::ListOverrideTable:
        m_lists.setTable(word == Word::ListTable ? ListTable::Table::Lists
                                                 : ListTable::Table::Overrides);
        setDestination(Destination::ListTable);
        return;
    case Word::PnDef:
        // The numbering of old files: a paragraph property written as a group inside the
        // paragraph, so it is stored in the paragraph's (enclosing) group.
        if (s.destination != Destination::Text || m_deep.depth > 0 || m_stack.size() < 2) {
            setDestination(Destination::Skip);
            return;
        }
        m_lists.setTable(ListTable::Table::Pn);
        m_stack[m_stack.size() - 2].list.pn = m_lists.beginPn();
        setDestination(Destination::ListTable);
        return;
    case Word::LevelText:
    case Word::LevelNumbers:
    case Word::PnTextBefore:
    case Word::PnTextAfter:
        if (s.destination != Destination::ListTable) {
            setDestination(Destination::Skip);
            return;
        }
        m_lists.beginCapture(word == Word::LevelText      ? ListTable::Capture::LevelText
                             : word == Word::LevelNumbers ? ListTable::Capture::LevelNumbers
                             : word == Word::PnTextBefore ? ListTable::Capture::PnBefore
                                                          : ListTable::Capture::PnAfter);
        setDestination(Destination::ListCapture);
        return;
    case Word::Shape: m_shapeText.shown = false; return;
    case Word::ShapeInstructions:
    case Word::DrawingObject:
        setDestination(s.destination == Destination::Text ? Destination::ShapeSkip
                                                          : Destination::Skip);
        return;
    case Word::DrawingText:
        if (s.destination == Destination::ShapeSkip)
            setDestination(Destination::Text);
        return;
    case Word::ShapeText:
        if (s.destination == Destination::ShapeSkip) {
            setDestination(Destination::Text);
            m_shapeText.shown = true;
        }
        return;
    case Word::ShapeResult:
        if (m_shapeText.shown)
            setDestination(Destination::Skip);
        return;
    case Word::Upr:
        if (m_deep.depth == 0)
            s.upr = true;
        return;
    case Word::FieldResult:
    case Word::ShapePicture:
    case Word::Transparent:
    case Word::UnicodeDest: // outside a \upr group: its text is the only copy
        return;             // text, in whatever destination holds it
    case Word::Object: setDestination(Destination::ObjectSkip); return;
    case Word::FieldInstruction:
        if (s.destination == Destination::Text && m_deep.depth == 0) {
            setDestination(Destination::FieldInstruction);
            m_field.instruction.clear();
        } else {
            setDestination(Destination::Skip);
        }
        return;
    default: setDestination(Destination::Skip); return;
    }
}

// Every word in the font or colour table; \fN there starts a font entry.
void Reader::applyTableEntry(Word word, const Token& token)
{
    if (state().destination == Destination::ColorTable) {
        m_colors.apply(word, token.parameter);
        return;
    }
    if (word == Word::Font) {
        finishFontEntry();
        m_fonts.beginEntry(token.parameter);
    } else if (word == Word::CharacterSet && m_fonts.entryOpen) {
        FontSlot& slot = m_fonts.entry();
        slot.charsetPage = codePageForCharset(token.parameter);
        slot.hasCharset = true;
    } else if (word == Word::FontCodePage && m_fonts.entryOpen && token.parameter > 0 &&
               token.parameter <= kMaxCodePage) {
        m_fonts.entry().explicitPage = token.parameter;
    }
}

void Reader::applyStyleEntry(Word word, WordFamily family, const Token& token)
{
    switch (family) {
    case WordFamily::Style:
        m_styles.entryNumber = token.hasParameter ? token.parameter : 0;
        m_styles.entryIsChar = word == Word::CharStyle;
        return;
    case WordFamily::Character: applyCharacter(word, token); return;
    case WordFamily::Paragraph: applyParagraph(word, token); return;
    case WordFamily::List: applyList(word, token); return;
    default: return;
    }
}

void Reader::applyInText(Word word, WordFamily family, const Token& token)
{
    switch (family) {
    case WordFamily::Document: applyDocument(word, token); return;
    case WordFamily::Style: applyStyle(word, token); return;
    case WordFamily::Note: applyNote(word, token); return;
    case WordFamily::Character: applyCharacter(word, token); return;
    case WordFamily::Paragraph: applyParagraph(word, token); return;
    case WordFamily::List: applyList(word, token); return;
    case WordFamily::Break: applyBreak(word); return;
    case WordFamily::Table: applyTable(word); return;
    case WordFamily::Symbol: applySymbol(word); return;
    default: return; // table entries outside their tables, and words acted on elsewhere
    }
}

void Reader::applyDocument(Word word, const Token& token)
{
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
        m_fonts.defaultNumber = token.parameter;
        editFormat().font = m_fonts.slotOf(m_fonts.defaultNumber);
        return;
    default: return;
    }
}

void Reader::applyStyle(Word word, const Token& token)
{
    if (word == Word::Style) {
        auto it = m_styles.paragraphStyles.find(token.hasParameter ? token.parameter : 0);
        if (it != m_styles.paragraphStyles.end()) {
            state().para = it->second.para;
            state().logical = it->second.logical;
            editFormat() = it->second.chr;
            state().complex = it->second.complex;
            // A style without a list leaves the paragraph's own \ls alone.
            if (it->second.list.override != 0) {
                state().list.override = it->second.list.override;
                state().list.level = it->second.list.level;
            }
        }
        return;
    }
    auto it = m_styles.charStyles.find(token.parameter);
    if (it != m_styles.charStyles.end()) {
        editFormat() = it->second.chr;
        state().complex = it->second.complex;
    }
}

void Reader::applyNote(Word word, const Token& token)
{
    switch (word) {
    case Word::FootnoteMark: footnoteMark(); return;
    case Word::FootnoteNumbering: m_notes.footnotes.style = noteStyleOf(token.text); return;
    case Word::EndnoteNumbering: m_notes.endnotes.style = noteStyleOf(token.text); return;
    case Word::FootnoteStart:
        m_notes.footnotes.next = std::clamp(token.parameter, 0, kMaxNoteNumber);
        return;
    case Word::EndnoteStart:
        m_notes.endnotes.next = std::clamp(token.parameter, 0, kMaxNoteNumber);
        return;
    default: return;
    }
}

void Reader::footnoteMark()
{
    const std::u16string mark = m_notes.next(endnoteFollows(m_tokens));
    append(mark.data(), mark.size());
}

void Reader::applyCharacter(Word word, const Token& token)
{
    CharFormat& f = editFormat();
    const bool on = !token.hasParameter || token.parameter != 0;
    switch (word) {
    case Word::Plain:
        plainCharFormat(f);
        state().complex = {};
        return;
    case Word::Font: f.font = m_fonts.slotOf(token.parameter); return;
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
    case Word::Capitals: f.capitals = on; return;
    case Word::SmallCapitals: f.smallCapitals = on; return;
    case Word::Super: f.vertical = CharFormat::Vertical::Super; return;
    case Word::Sub: f.vertical = CharFormat::Vertical::Sub; return;
    case Word::NoSuperSub: f.vertical = CharFormat::Vertical::Baseline; return;
    case Word::ColorFore: f.color = m_colors.colorAt(token.parameter); return;
    case Word::Highlight:
    case Word::ColorBack: f.background = m_colors.colorAt(token.parameter); return;
    default: applyComplexScript(word, token); return;
    }
}

void Reader::applyParagraph(Word word, const Token& token)
{
    ParagraphFormat& p = state().para;
    const int32_t v = token.hasParameter ? token.parameter : 0;
    switch (word) {
    case Word::Pard:
        p = {};
        state().logical = {};
        state().list = {};
        return;
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
    default: applyDirection(word, token); return;
    }
}

void Reader::applyBreak(Word word)
{
    switch (word) {
    case Word::Par: endParagraph(); return;
    case Word::Page:
    case Word::Sect:
        // \par\page is one break: the empty paragraph after \par is not ended again.
        if (!m_writer.paragraphEmpty())
            endParagraph();
        return;
    case Word::Line: append(Document::kLineBreak); return;
    case Word::Tab: append(u'\t'); return;
    default: return;
    }
}

void Reader::applyTable(Word word)
{
    // A cell or row whose text ends with its own \par is already separated from the next one.
    if (m_writer.atParagraphEndOnly())
        return;
    if (word == Word::Cell || word == Word::NestCell) {
        append(u'\t');
        // Each cell is a paragraph of its own to a word processor: a list numbers every cell, and
        // each cell may bring its own \listtext.
        m_listText.labelPending = true;
        m_listText.inParagraph = false;
        m_listText.written = false;
        return;
    }
    // The row's end is no paragraph of the list: the label the last cell left pending goes.
    m_listText.labelPending = false;
    m_writer.dropTrailingTab();
    endParagraph();
}

void Reader::applySymbol(Word word)
{
    switch (word) {
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
    default: return;
    }
}

void Reader::onUnicode(int32_t value)
{
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
        append(symbolUnit(codePage(), unit));
    } else if (s.destination == Destination::FontTable && m_fonts.entryOpen) {
        m_fonts.entry().name += static_cast<char16_t>(value);
    } else if (s.destination == Destination::ListCapture) {
        const auto unit = static_cast<char16_t>(value);
        m_lists.captureText(std::u16string_view(&unit, 1));
    }
    m_pending.fallback = s.unicodeSkip;
}

void Reader::onSymbol(char symbol)
{
    if (m_pending.consumeFallback())
        return;
    if (symbol == '*') {
        m_pending.star = true;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}': {
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

void Reader::onHexByte(uint8_t byte)
{
    if (m_pending.consumeFallback())
        return;
    const char text[1] = {static_cast<char>(byte)};
    onText(std::string_view(text, 1));
}

void Reader::onText(std::string_view bytes)
{
    m_pending.star = false;
    if (m_pending.fallback > 0) {
        const std::size_t skip =
            std::min<std::size_t>(bytes.size(), std::size_t(m_pending.fallback));
        m_pending.fallback -= static_cast<int32_t>(skip);
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
            if (m_fonts.entryOpen) {
                FontSlot& slot = m_fonts.entry();
                m_decoder.decode(slot.namePage(m_documentCodePage), bytes.substr(0, semicolon),
                                 slot.name);
            }
            if (semicolon == std::string_view::npos)
                return;
            finishFontEntry();
            bytes.remove_prefix(semicolon + 1);
        }
        return;
    case Destination::FieldInstruction:
        if (m_field.instruction.size() < kMaxFieldInstruction)
            m_field.instruction.append(
                bytes.substr(0, kMaxFieldInstruction - m_field.instruction.size()));
        return;
    case Destination::ColorTable:
        for (char c : bytes)
            if (c == ';')
                m_colors.finishEntry();
        return;
    case Destination::StyleEntry:
        if (bytes.find(';') != std::string_view::npos)
            m_styles.finishEntry(s);
        return;
    case Destination::ListCapture:
        if (m_lists.capture() == ListTable::Capture::LevelNumbers) {
            for (char c : bytes)
                m_lists.captureByte(static_cast<uint8_t>(c));
        } else {
            m_scratch.clear();
            m_decoder.decode(codePage(), bytes, m_scratch);
            m_lists.captureText(m_scratch);
        }
        return;
    default: return;
    }
}

void Reader::appendText(std::string_view bytes)
{
    if (m_listText.labelPending)
        listLabel();
    const int page = codePage();
    m_page.select(page);
    if (m_page.kind != PageKind::SingleByte || m_decoder.pending() || scriptFormats().differ) {
        m_scratch.clear();
        m_decoder.decode(page, bytes, m_scratch);
        append(m_scratch.data(), m_scratch.size());
        return;
    }
    m_writer.beginRun(state().chr);
    char16_t* out = m_writer.textSpace(bytes.size());
    const auto& table = *m_page.table;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = table[static_cast<unsigned char>(bytes[i])];
    m_writer.commitText(bytes.size());
}

int Reader::codePage()
{
    if (m_fonts.slots.empty())
        return m_documentCodePage;
    const FontSlot& slot = m_fonts.slots[state().chr.font];
    return slot.codePage ? slot.codePage : m_documentCodePage;
}

void Reader::plainCharFormat(CharFormat& f)
{
    f = CharFormat{};
    f.font = m_fonts.slotOf(m_fonts.defaultNumber);
    f.halfPoints = kDefaultHalfPoints;
}

void Reader::endParagraph()
{
    // A hidden paragraph mark joins its paragraph to the next, as word processors show it.
    if (state().chr.hidden)
        return;
    if (m_listText.labelPending)
        listLabel();
    m_listText.written = false;
    m_listText.labelPending = true;
    const GroupState& s = state();
    // The paragraph mark is neutral: it takes the format of the run's direction.
    const bool complexMark = scriptFormats().differ && s.complex.rightToLeftRun;
    if (scriptFormats().differ)
        m_writer.formatChanged();
    m_writer.endParagraph(s.logical.resolve(s.para), complexMark ? m_scriptFormats.complex : s.chr);
    m_listText.inParagraph = false;
}

void Reader::applyList(Word word, const Token& token)
{
    ListRef& list = state().list;
    if (word == Word::ListStyle)
        list.override = token.hasParameter ? token.parameter : 0;
    else if (word == Word::ListLevelIndex)
        list.level = static_cast<uint8_t>(std::clamp(token.parameter, 0, 255));
}

void Reader::applyListTable(Word word, const Token& token)
{
    // A label's font matters only where it is a symbol font, whose bytes are glyph numbers: \pnf
    // decodes the \pn texts that follow it; a level names its font after its text.
    if (word == Word::PnFont || word == Word::Font) {
        const uint16_t slot = m_fonts.slotOf(token.parameter);
        if (word == Word::PnFont)
            editFormat().font = slot;
        else if (const int page = m_fonts.slots[slot].codePage; isSymbolPage(page))
            m_lists.setLevelSymbolPage(page);
        return;
    }
    m_lists.applyWord(word, token.parameter, token.hasParameter, token.text);
}

// The label of a list paragraph, computed where its list resolves; the paragraph's \listtext
// then gives way to it, since word processors show the computed label.
void Reader::listLabel()
{
    if (m_listText.depth != 0)
        return; // the \listtext group's own text
    m_listText.labelPending = false;
    const ListRef& list = state().list;
    if (list.pn < 0)
        m_lists.paragraphWithoutPn();
    if (list.override == 0 && list.pn < 0)
        return;
    m_listText.label.clear();
    if (!m_lists.nextLabel(list, m_listText.label))
        return;
    if (m_listText.written)
        m_writer.truncate(m_listText.start);
    m_listText.written = false;
    // Text may come before the paragraph's \listtext (Google Docs writes spaces there): the
    // label already stands, so that \listtext is not shown as well.
    m_listText.inParagraph = true;
    m_writer.append(m_listText.label.data(), m_listText.label.size(), state().chr);
}

// Called as the instruction's group closes, in the field's group.
void Reader::endFieldInstruction()
{
    m_field.text = symbolFieldText(m_field.instruction, m_documentCodePage);
    m_field.depth = m_field.text.empty() ? 0 : m_stack.size() - 1;
    m_field.start = m_writer.length();
}

// Called as the field's group closes: a result the file wrote stays as it is, as word
// processors show it until the field is updated; a missing one is computed.
void Reader::endField()
{
    if (m_writer.length() == m_field.start)
        append(m_field.text.data(), m_field.text.size());
    m_field.depth = 0;
}

// \af, \afs, \ab, \ai and the run's direction; in the text and in style entries alike.
void Reader::applyComplexScript(Word word, const Token& token)
{
    ComplexScript& c = state().complex;
    const bool on = !token.hasParameter || token.parameter != 0;
    switch (word) {
    case Word::AssocFont: c.font = m_fonts.slotOf(token.parameter); return;
    case Word::AssocFontSize:
        if (token.hasParameter && token.parameter > 0)
            c.halfPoints = static_cast<uint16_t>(std::min(token.parameter, kMaxHalfPoints));
        return;
    case Word::AssocBold: c.bold = on; return;
    case Word::AssocItalic: c.italic = on; return;
    case Word::RtlChar: c.rightToLeftRun = true; return;
    case Word::LtrChar: c.rightToLeftRun = false; return;
    default: return;
    }
}

void Reader::applyDirection(Word word, const Token& token)
{
    GroupState& s = state();
    const int32_t v = token.hasParameter ? token.parameter : 0;
    switch (word) {
    case Word::RtlPar: s.para.rightToLeft = true; return;
    case Word::LtrPar: s.para.rightToLeft = false; return;
    case Word::StartIndent:
        s.logical.start = v;
        s.logical.hasStart = true;
        return;
    case Word::EndIndent:
        s.logical.end = v;
        s.logical.hasEnd = true;
        return;
    default: return;
    }
}

const ScriptFormats& Reader::scriptFormats()
{
    if (m_scriptFormats.dirty) {
        const GroupState& s = state();
        m_scriptFormats.complex = s.complex.apply(s.chr);
        m_scriptFormats.differ = !(m_scriptFormats.complex == s.chr);
        m_scriptFormats.dirty = false;
    }
    return m_scriptFormats;
}

// Text whose complex-script characters are drawn in another format than the rest: split into
// runs by the script of each character. A combining mark stays with its letter, even when the
// two arrive in separate \u escapes.
void Reader::appendByScript(const char16_t* units, std::size_t count)
{
    const GroupState& s = state();
    const bool neutralComplex = s.complex.rightToLeftRun;
    bool runComplex = m_lastUnitComplex;
    std::size_t begin = 0;
    const auto flush = [&](std::size_t end) {
        if (end == begin)
            return;
        m_writer.formatChanged();
        m_writer.append(units + begin, end - begin, runComplex ? m_scriptFormats.complex : s.chr);
        begin = end;
    };
    for (std::size_t i = 0; i < count; ++i) {
        bool complex = runComplex;
        switch (scriptClassOf(units[i])) {
        case ScriptClass::Other: complex = false; break;
        case ScriptClass::Complex: complex = true; break;
        case ScriptClass::Neutral: complex = neutralComplex; break;
        case ScriptClass::Inherited: break;
        }
        if (complex != runComplex) {
            flush(i);
            runComplex = complex;
        }
    }
    flush(count);
    m_lastUnitComplex = runComplex;
}

void Reader::finishFontEntry()
{
    if (!m_fonts.finishEntry())
        return;
    m_decoder.reset();
    m_page.forget(); // the page of a font in use may have changed
}

} // namespace

std::optional<std::size_t> rtfStart(std::string_view bytes)
{
    const std::size_t start = preambleEnd(bytes);
    if (bytes.substr(start, 5) != "{\\rtf")
        return std::nullopt;
    return start;
}

ReadResult readRtf(std::string_view bytes, const ReadProgress& progress)
{
    return Reader(bytes, progress).run();
}

} // namespace velmora::rtf
