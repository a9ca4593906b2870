#pragma once
// The control words the reader acts on. Every other word is ignored, as RTF readers must.

#include <cstdint>
#include <string_view>

namespace velmora::rtf {

enum class Word : uint8_t {
    Unknown,
    // Document and character set
    Rtf, Ansi, Mac, Pc, Pca, AnsiCodePage, DefaultFont, UnicodeSkip, Unicode, Upr, UnicodeDest,
    // Destinations whose text is shown or read
    FontTable, ColorTable, StyleSheet, FieldResult, ListText, PnText, Result, ShapePicture,
    // Destinations that are skipped (non-text)
    SkipDestination, FieldInstruction, NonShapePicture, Object, Picture, Footnote,
    // Groups that look like destinations but hold ordinary content (\*\nesttableprops)
    Transparent,
    // Table entries
    Red, Green, Blue, Font, CharacterSet, FontCodePage, Style, CharStyle,
    // Footnote marks and how they are numbered
    FootnoteMark, EndnoteAlt, FootnoteStart, EndnoteStart, FootnoteNumbering, EndnoteNumbering,
    // Character formatting
    Plain, FontSize, Bold, Italic, Underline, UnderlineNone, Strike, Hidden, Super, Sub,
    NoSuperSub, ColorFore, Highlight, ColorBack,
    // Paragraph formatting
    Pard, Sectd, AlignLeft, AlignCenter, AlignRight, AlignJustify, LeftIndent, RightIndent,
    FirstIndent, SpaceBefore, SpaceAfter, LineSpacing, LineMultiple, InTable,
    // Breaks and special characters
    Par, Line, Tab, Page, Sect, Cell, Row, NestCell, NestRow, Binary,
    EmDash, EnDash, EmSpace, EnSpace, QmSpace, Bullet, LQuote, RQuote, LDblQuote, RDblQuote,
    Zwj, Zwnj, LtrMark, RtlMark,
};

Word lookupWord(std::string_view word);

} // namespace velmora::rtf
