// Text: bytes decoded by code page, runs split by script, paragraph ends, and the words that
// stand for characters.

#include "parser.h"

#include "fields.h"
#include "scripts.h"

#include <algorithm>

namespace velmora::rtf {

void Parser::onText(std::string_view bytes)
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
                m_decoder.decode(slot.namePage(m_fileCodePage), bytes.substr(0, semicolon),
                                 slot.name);
            }
            if (semicolon == std::string_view::npos)
                return;
            finishFontEntry();
            bytes.remove_prefix(semicolon + 1);
        }
        return;
    case Destination::Picture: m_pictures.reader.addHex(bytes); return;
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

void Parser::appendText(std::string_view bytes)
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
    decodeSingleByte(bytes, *m_page.table, m_page.asciiKept, m_writer.textSpace(bytes.size()));
    m_writer.commitText(bytes.size());
}

void Parser::endParagraph()
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
    m_writer.endParagraph(m_firstCellFormat.value_or(s.logical.resolve(s.para)),
                          complexMark ? m_scriptFormats.complex : s.chr);
    m_firstCellFormat.reset();
    m_firstCellHoldsText = false;
    m_cellStart = m_writer.length();
    m_tables.paragraphEnded(m_rowEnding != 0 ? m_rowEnding : s.tableLevel, m_cellStart);
    m_listText.inParagraph = false;
}

const ScriptFormats& Parser::scriptFormats()
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
void Parser::appendByScript(const char16_t* units, std::size_t count)
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

void Parser::applyBreak(Word word)
{
    switch (word) {
    case Word::Par: endParagraph(); return;
    case Word::Page:
    case Word::Sect:
        // \par\page is one break: the empty paragraph after \par is not ended again.
        if (!m_writer.paragraphEmpty())
            endParagraph();
        return;
    case Word::Line: append(Model::kLineBreak); return;
    case Word::Tab: append(u'\t'); return;
    default: return;
    }
}

void Parser::applyTable(Word word)
{
    const bool nested = word == Word::NestCell || word == Word::NestRow;
    const int level = nested ? std::max(tableLevel(), 2) : 1;
    // A cell or row whose text ends with its own \par is already separated from the next one:
    // that paragraph end stands between them.
    const bool separated = m_writer.atParagraphEndOnly();
    if (word == Word::Cell || word == Word::NestCell) {
        if (separated) {
            m_tables.cellEnded(
                level, m_writer.length() - 1, m_writer.length(),
                m_writer.paragraphFormatIndex(state().logical.resolve(state().para)));
            return;
        }
        // A row shown as one paragraph takes its first cell's format, where the row starts:
        // Word writes the row's end with the format of no cell (\pard\ql...\sa200\row). A
        // blank first cell gives way to the first that holds text, as word processors show a
        // centred heading beside an empty corner cell centred.
        const ParagraphFormat cellFormat = state().logical.resolve(state().para);
        if (!m_firstCellHoldsText) {
            const bool holdsText = m_writer.holdsTextFrom(m_cellStart);
            if (!m_firstCellFormat || holdsText)
                m_firstCellFormat = cellFormat;
            m_firstCellHoldsText = holdsText;
        }
        append(u'\t'); // a list label may come first; a hidden \cell writes nothing
        m_cellStart = m_writer.length();
        const std::size_t end = state().chr.hidden ? m_cellStart : m_cellStart - 1;
        m_tables.cellEnded(level, end, m_cellStart, m_writer.paragraphFormatIndex(cellFormat));
        // Each cell is a paragraph of its own to a word processor: a list numbers every cell, and
        // each cell may bring its own \listtext.
        m_listText.labelPending = true;
        m_listText.inParagraph = false;
        m_listText.written = false;
        return;
    }
    if (separated) {
        m_tables.rowEnded(level, m_writer.length() - 1, m_writer.model());
        return;
    }
    // The row's end is no paragraph of the list: the label the last cell left pending goes.
    m_listText.labelPending = false;
    m_writer.dropTrailingTab();
    const std::size_t end = m_writer.length();
    m_rowEnding = level;
    endParagraph();
    m_rowEnding = 0;
    if (m_writer.length() > end) // a hidden row end writes none, and the row goes on
        m_tables.rowEnded(level, end, m_writer.model());
}

void Parser::applyTableFormat(Word word, const Token& token)
{
    GroupState& s = state();
    if (word == Word::InTable) {
        s.tableLevel = std::max<uint8_t>(s.tableLevel, 1);
        return;
    }
    if (word == Word::TableLevel) {
        s.tableLevel = static_cast<uint8_t>(std::clamp(token.parameter, 0, int(kMaxTableLevel)));
        return;
    }
    m_tables.applyWord(word, token.parameter, s.tableLevel, m_colors);
}

void Parser::applySymbol(Word word)
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

void Parser::applyNote(Word word, const Token& token)
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

void Parser::footnoteMark()
{
    const std::u16string mark = m_notes.next(endnoteFollows(m_tokens));
    append(mark.data(), mark.size());
}

} // namespace velmora::rtf
