// Destinations (where a group's text goes) and the tables at the head of the file.

#include "parser.h"

namespace velmora::rtf {

void Parser::setDestination(Destination destination)
{
    if (m_deep.depth == 0)
        state().destination = destination;
    else
        m_deep.skipToEnd(state());
}

void Parser::applyDestination(Word word)
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
        // Word writes the number of a list item both as \listtext and, for older programs, as
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
    case Word::Picture: beginPicture(); return;
    case Word::ShapePicture: m_pictures.shapeAt = m_writer.length(); return;
    case Word::NonShapePicture: nonShapePicture(); return;
    case Word::FieldResult:
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
void Parser::applyTableEntry(Word word, const Token& token)
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

void Parser::applyStyleEntry(Word word, WordFamily family, const Token& token)
{
    switch (family) {
    case WordFamily::Style:
        if (word == Word::TableStyleRef)
            return;
        m_styles.entryNumber = token.hasParameter ? token.parameter : 0;
        m_styles.entryIsChar = word == Word::CharStyle;
        m_styles.entryIsTable = word == Word::TableStyle;
        if (m_styles.entryIsTable) { // its paragraph format starts from the defaults
            state().para = {};
            state().logical = {};
        }
        return;
    case WordFamily::Character: applyCharacter(word, token); return;
    case WordFamily::List: applyList(word, token); return;
    case WordFamily::Paragraph:
        // Of a table style the paragraph format is kept; of the others only the list, which
        // \pard forgets.
        if (m_styles.entryIsTable)
            applyParagraph(word, token);
        else if (word == Word::Pard)
            state().list = {};
        return;
    default: return;
    }
}

void Parser::finishFontEntry()
{
    if (!m_fonts.finishEntry())
        return;
    m_decoder.reset();
    m_page.forget(); // the page of a font in use may have changed
}

} // namespace velmora::rtf
