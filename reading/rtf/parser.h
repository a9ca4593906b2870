#pragma once
// The RTF parser behind parseRtf (parse_rtf.h). Internal to reading/rtf.
//
// The way of the bytes through the parser:
// - Tokenizer (tokenizer.h) cuts them into tokens, and lookupWord (control_words.h) names each
//   control word and its family.
// - Parser::run hands each token to onWord, onSymbol or onText (text and escaped bytes gathered
//   together), which act in the state of the innermost group (GroupState: destination,
//   character and paragraph format) on a stack.
//   onWord hands each family of words to one apply* function.
// - The tables at the head of the file are read into their own state (format_tables.h), each
//   entry finished at its ';' or the end of its group.
// - ModelWriter writes the model: text, runs of one character format, paragraphs, and every
//   distinct format once.

#include "code_pages.h"
#include "control_words.h"
#include "format_tables.h"
#include "lists.h"
#include "model_writer.h"
#include "notes.h"
#include "parse_rtf.h"
#include "parser_state.h"
#include "table_reader.h"
#include "tokenizer.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::rtf {

class Parser {
public:
    explicit Parser(std::string_view bytes) : m_bytes(bytes), m_tokens(bytes) {}
    // Reads the RTF that starts at start (rtfStart) to its end.
    ParseResult run(std::size_t start);

private:
    GroupState& state() { return m_stack.back(); }
    CharFormat& editFormat()
    {
        m_writer.formatChanged();
        m_scriptFormats.dirty = true;
        return m_stack.back().chr;
    }

    // Tokens and the group stack (parser.cpp)
    void openGroup();
    void closeGroup();
    void onWord(const Token& token, Word word);
    void onSymbol(char symbol);
    void onUnicode(int32_t value);
    void applyUnicode(Word word, const Token& token);
    void applyInText(Word word, WordFamily family, const Token& token);

    // Destinations and the tables at the head of the file (parser_destinations.cpp)
    void setDestination(Destination destination);
    void applyDestination(Word word);
    void applyTableEntry(Word word, const Token& token);
    void applyStyleEntry(Word word, WordFamily family, const Token& token);
    void finishFontEntry();

    // Character and paragraph formats (parser_formatting.cpp)
    void plainCharFormat(CharFormat& f);
    void applyFileDefaults(Word word, const Token& token);
    void applyStyle(Word word, const Token& token);
    void applyCharacter(Word word, const Token& token);
    void applyComplexScript(Word word, const Token& token);
    void applyParagraph(Word word, const Token& token);
    void applyDirection(Word word, const Token& token);

    // Text, by code page and by script, and the words that stand for characters (parser_text.cpp)
    void onText(std::string_view bytes);
    // The current font's code page, or the file's where the font names none.
    int codePage()
    {
        if (m_fonts.slots.empty())
            return m_fileCodePage;
        const FontSlot& slot = m_fonts.slots[state().chr.font];
        return slot.codePage ? slot.codePage : m_fileCodePage;
    }
    // Most of a book's text takes this way. Inline, and defined beside onText, its one caller,
    // which takes it in whole: as a call it cost the parser 7% more instructions on the sample
    // book.
    inline void appendText(std::string_view bytes);
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
    void applyBreak(Word word);
    void applyTable(Word word);
    void applyTableFormat(Word word, const Token& token);
    int tableLevel() const { return m_stack.back().tableLevel; }
    void applySymbol(Word word);
    void applyNote(Word word, const Token& token);
    void footnoteMark();

    // Pictures (parser_pictures.cpp)
    void beginPicture();
    void pictureData(std::size_t count);
    void endPicture();
    void nonShapePicture();

    // Lists and fields (parser_lists_fields.cpp)
    void applyList(Word word, const Token& token);
    void applyListTable(Word word, const Token& token);
    void listLabel();
    void endFieldInstruction();
    void endField();

    std::string_view m_bytes;
    Tokenizer m_tokens;
    std::string m_textPieces; // text gathered from pieces (Tokenizer::gatherText)
    std::vector<GroupState> m_stack;
    DeepGroups m_deep;
    Pending m_pending;

    int m_fileCodePage = kDefaultCodePage;
    ByteDecoder m_decoder;
    TextPage m_page;
    std::u16string m_scratch;

    FontTable m_fonts;
    ColorTable m_colors;
    StyleSheet m_styles;
    NoteCounters m_notes;

    ModelWriter m_writer;
    ScriptFormats m_scriptFormats;
    bool m_lastUnitComplex = false; // the last unit appended took the associated properties
    ListTable m_lists;
    ListText m_listText;
    Field m_field;
    ShapeText m_shapeText;
    PictureState m_pictures;
    bool m_surrogateWritten = false; // only \u writes surrogates that may stand alone
    // The format a row shown as one paragraph takes: that of its first cell holding text, or
    // of its first cell while none does.
    std::optional<ParagraphFormat> m_firstCellFormat;
    bool m_firstCellHoldsText = false;
    std::size_t m_cellStart = 0; // where the open cell's text begins
    TableReader m_tables;
    int m_rowEnding = 0; // the level of the row whose end is being written; 0: none
};

} // namespace velmora::rtf
