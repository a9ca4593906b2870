// List labels and field results: text that word processors work out themselves where the file
// leaves it to them, and so does the parser.

#include "parser.h"

#include "fields.h"

#include <algorithm>

namespace velmora::rtf {

void Parser::applyList(Word word, const Token& token)
{
    ListRef& list = state().list;
    if (word == Word::ListStyle)
        list.override = token.hasParameter ? token.parameter : 0;
    else if (word == Word::ListLevelIndex)
        list.level = static_cast<uint8_t>(std::clamp(token.parameter, 0, 255));
}

void Parser::applyListTable(Word word, const Token& token)
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
// then gives way to it, since word processors show the computed label. A paragraph that names
// a list the file lacks shows no label at all.
void Parser::listLabel()
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
    const ListTable::LabelOutcome outcome = m_lists.nextLabel(list, m_listText.label);
    if (outcome == ListTable::LabelOutcome::Unresolved)
        return;
    if (m_listText.written)
        m_writer.truncate(m_listText.start);
    m_listText.written = false;
    if (outcome == ListTable::LabelOutcome::NoList) {
        m_listText.inParagraph = true; // a \listtext still to come is not shown either
        return;
    }
    // Text may come before the paragraph's \listtext (Google Docs writes spaces there): the
    // label already stands, so that \listtext is not shown as well.
    m_listText.inParagraph = true;
    m_writer.append(m_listText.label.data(), m_listText.label.size(), state().chr);
}

// Called as the instruction's group closes, in the field's group.
void Parser::endFieldInstruction()
{
    m_field.text = symbolFieldText(m_field.instruction, m_fileCodePage);
    m_field.depth = m_field.text.empty() ? 0 : m_stack.size() - 1;
    m_field.start = m_writer.length();
}

// Called as the field's group closes: a result the file wrote stays as it is, as word
// processors show it until the field is updated; a missing one is computed.
void Parser::endField()
{
    if (m_writer.length() == m_field.start)
        append(m_field.text.data(), m_field.text.size());
    m_field.depth = 0;
}

} // namespace velmora::rtf
