// The parser's run loop: each token in the state of the innermost group, the group stack, and
// the words handed on by destination and family.

#include "parser.h"

#include <algorithm>
#include <string>
#include <utility>

namespace velmora::rtf {

ParseResult Parser::run(std::size_t start)
{
    ParseResult result;
    m_tokens.skipBytes(start);
    m_writer.reserve(m_bytes.size());
    m_stack.reserve(64);

    bool ended = false;
    for (Token token = m_tokens.next(); token.kind != TokenKind::End; token = m_tokens.next()) {
        const Word word = token.kind == TokenKind::ControlWord
                              ? lookupWord(token.text, token.wordKey)
                              : Word::Unknown;
        switch (token.kind) {
        case TokenKind::GroupOpen: openGroup(); break;
        case TokenKind::GroupClose:
            if (m_stack.size() == 1 && m_deep.depth == 0)
                ended = true;
            else
                closeGroup();
            break;
        case TokenKind::ControlWord: onWord(token, word); break;
        case TokenKind::ControlSymbol: onSymbol(token.symbol); break;
        case TokenKind::HexByte:
        case TokenKind::Text: onText(m_tokens.gatherText(token, m_textPieces)); break;
        case TokenKind::End: break;
        }
        if (ended)
            break;
    }

    finishFontEntry();
    result.byteOffset = m_tokens.offset();
    if (!ended) {
        result.status = ParseStatus::Truncated;
        result.message = "the file ends inside " + std::to_string(m_stack.size() + m_deep.depth) +
                         " open group(s)";
    }
    // The last paragraph's format is the one in force at the end.
    const ParagraphFormat last =
        m_stack.empty() ? ParagraphFormat{} : state().logical.resolve(state().para);
    result.model = m_writer.finish(last, m_surrogateWritten);
    result.model.fontNames = m_fonts.names();
    return result;
}

void Parser::openGroup()
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
        s.complex = {};
        m_styles.beginEntry(m_stack.size());
    }
}

void Parser::closeGroup()
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
    if (m_pictures.depth == m_stack.size())
        endPicture();
    if (closing == Destination::FontTable)
        finishFontEntry();
    else if (closing == Destination::StyleEntry && m_stack.size() == m_styles.entryDepth)
        m_styles.finishEntry(state());
    m_stack.pop_back();
}

void Parser::onWord(const Token& token, Word word)
{
    const WordFamily family = familyOf(word);
    if (family == WordFamily::Binary) {
        // The bytes are data of whatever destination holds them; only a picture shows them.
        if (token.hasParameter && token.parameter > 0) {
            if (state().destination == Destination::Picture && m_deep.depth == 0)
                pictureData(static_cast<std::size_t>(token.parameter));
            m_tokens.skipBytes(static_cast<std::size_t>(token.parameter));
        }
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
    const bool styleEntry = s.destination == Destination::StyleEntry;
    if (starred && word != Word::CharStyle && !(word == Word::TableStyle && styleEntry)) {
        // An ignorable destination that this parser does not know: its content is not text.
        // (\*\csN and \*\tsN open a character or table style in the style sheet.)
        setDestination(Destination::Skip);
        return;
    }
    switch (s.destination) {
    case Destination::FontTable:
    case Destination::ColorTable: applyTableEntry(word, token); return;
    case Destination::StyleEntry: applyStyleEntry(word, family, token); return;
    case Destination::ListTable: applyListTable(word, token); return;
    case Destination::Picture:
        if (family == WordFamily::Picture)
            m_pictures.reader.applyWord(word, token.parameter, token.hasParameter);
        return;
    case Destination::Text:
        // Half the words LibreOffice writes (\fcs, \langfe, \insrsid, ...) are ignored.
        if (family != WordFamily::Ignored)
            applyInText(word, family, token);
        return;
    default: return;
    }
}

void Parser::applyUnicode(Word word, const Token& token)
{
    if (word == Word::UnicodeSkip)
        state().unicodeSkip = static_cast<uint8_t>(std::clamp(token.parameter, 0, kMaxUnicodeSkip));
    else if (token.hasParameter)
        onUnicode(token.parameter);
}

void Parser::applyInText(Word word, WordFamily family, const Token& token)
{
    switch (family) {
    case WordFamily::FileDefaults: applyFileDefaults(word, token); return;
    case WordFamily::Style: applyStyle(word, token); return;
    case WordFamily::Note: applyNote(word, token); return;
    case WordFamily::Character: applyCharacter(word, token); return;
    case WordFamily::Paragraph: applyParagraph(word, token); return;
    case WordFamily::List: applyList(word, token); return;
    case WordFamily::Break: applyBreak(word); return;
    case WordFamily::Table: applyTable(word); return;
    case WordFamily::TableFormat: applyTableFormat(word, token); return;
    case WordFamily::Symbol: applySymbol(word); return;
    default: return; // table entries outside their tables, and words acted on elsewhere
    }
}

void Parser::onUnicode(int32_t value)
{
    // \uN is a signed 16-bit value; anything outside that range is not a character.
    if (value < -32768 || value > 65535)
        value = kReplacement;
    else if (value < 0)
        value += 65536;
    GroupState& s = state();
    m_decoder.reset();
    const auto unit = static_cast<char16_t>(value);
    // Half a pair may stand alone in the body or in a list label alike.
    if (unit >= 0xD800 && unit <= 0xDFFF)
        m_surrogateWritten = true;
    if (s.destination == Destination::Text) {
        append(symbolUnit(codePage(), unit));
    } else if (s.destination == Destination::FontTable && m_fonts.entryOpen) {
        m_fonts.entry().name += unit;
    } else if (s.destination == Destination::ListCapture) {
        m_lists.captureText(std::u16string_view(&unit, 1));
    }
    m_pending.fallback = s.unicodeSkip;
}

void Parser::onSymbol(char symbol)
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

} // namespace velmora::rtf
