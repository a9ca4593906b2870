#pragma once
// The control words the parser acts on. Every other word is ignored, as every RTF parser must.

#include <array>
#include <cstdint>
#include <string_view>

namespace velmora::rtf {

// Listed by family, in the order of WordFamily.
enum class Word : uint8_t {
    Unknown,
    EndnoteAlt,
    Binary,
    Unicode,
    UnicodeSkip,
    // Destinations whose text is shown or read
    FontTable,
    ColorTable,
    StyleSheet,
    FieldResult,
    ListText,
    PnText,
    Result,
    ShapePicture,
    ListTable,
    ListOverrideTable,
    LevelText,
    LevelNumbers,
    PnDef,
    PnTextBefore,
    PnTextAfter,
    Shape,
    ShapeInstructions,
    ShapeText,
    ShapeResult,
    DrawingObject, // Word 95's drawing objects, whose text boxes (\dptxbxtext) are shown
    DrawingText,
    // Destinations that are skipped (non-text)
    SkipDestination,
    FieldInstruction,
    NonShapePicture,
    Object,
    Picture,
    Footnote,
    // Groups that look like destinations but hold ordinary content (\*\nesttableprops), and the
    // two copies of a \upr group
    Transparent,
    Upr,
    UnicodeDest,
    // Defaults for the whole file
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    // Table entries
    Red,
    Green,
    Blue,
    CharacterSet,
    FontCodePage,
    // Styles and notes
    Style,
    CharStyle,
    TableStyle,
    TableStyleRef,
    FootnoteMark,
    FootnoteStart,
    EndnoteStart,
    FootnoteNumbering,
    EndnoteNumbering,
    // Character formatting
    Plain,
    Font,
    FontSize,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Capitals,
    SmallCapitals,
    Super,
    Sub,
    NoSuperSub,
    Up,
    Down,
    ColorFore,
    Highlight,
    ColorBack,
    // Associated (complex-script) character formatting and the run's direction
    AssocFont,
    AssocFontSize,
    AssocBold,
    AssocItalic,
    RtlChar,
    LtrChar,
    LowAnsiChars,
    HighAnsiChars,
    DoubleByteChars,
    // Paragraph formatting
    Pard,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    RtlPar,
    LtrPar,
    StartIndent,
    EndIndent,
    // Lists: the list tables, a paragraph's list, old-style paragraph numbering
    ListDef,
    ListLevel,
    ListId,
    LevelFormat,
    LevelStartAt,
    LevelNoRestart,
    LevelFollow,
    LevelLegal,
    ListOverride,
    LfoLevel,
    OverrideStartAt,
    ListStyle,
    ListLevelIndex,
    PnBody,
    PnBullet,
    PnStart,
    PnFormat,
    PnFont,
    // Breaks, table cells and rows, special characters
    Par,
    Line,
    Tab,
    Page,
    Sect,
    Cell,
    Row,
    NestCell,
    NestRow,
    EmDash,
    EnDash,
    EmSpace,
    EnSpace,
    QmSpace,
    Bullet,
    LQuote,
    RQuote,
    LDblQuote,
    RDblQuote,
    Zwj,
    Zwnj,
    LtrMark,
    RtlMark,
    // Table rows and cells: where a paragraph stands, and how rows and cells are defined
    InTable,
    TableLevel,
    RowDefaults,
    CellEdge,
    RowLeft,
    RowGap,
    RowHeight,
    RowAlignLeft,
    RowAlignCenter,
    RowAlignRight,
    RowRightToLeft,
    RowLeftToRight,
    RowPadTop,
    RowPadLeft,
    RowPadBottom,
    RowPadRight,
    RowPadUnitTop,
    RowPadUnitLeft,
    RowPadUnitBottom,
    RowPadUnitRight,
    CellPadTop,
    CellPadLeft,
    CellPadBottom,
    CellPadRight,
    CellPadUnitTop,
    CellPadUnitLeft,
    CellPadUnitBottom,
    CellPadUnitRight,
    RowBorderTop,
    RowBorderLeft,
    RowBorderBottom,
    RowBorderRight,
    RowBorderInsideH,
    RowBorderInsideV,
    CellBorderTop,
    CellBorderLeft,
    CellBorderBottom,
    CellBorderRight,
    OtherBorder, // a paragraph's or a character's border: the border words after it are not a
                 // cell's
    BorderNone,
    BorderSingle,
    BorderThick,
    BorderDouble,
    BorderDotted,
    BorderDashed,
    BorderHairline,
    BorderWidth,
    BorderColor,
    CellBackground,
    CellPatternColor,
    CellShading,
    CellMergeFirst,
    CellMerged,
    CellDownFirst,
    CellDownMerged,
    CellAlignTop,
    CellAlignCenter,
    CellAlignBottom,
    // A picture's kind and size
    PngBlip,
    JpegBlip,
    EmfBlip,
    WindowsMetafile,
    DibBitmap,
    DeviceBitmap,
    Os2Metafile,
    MacPict,
    PicWidth,
    PicHeight,
    PicWidthGoal,
    PicHeightGoal,
    PicScaleX,
    PicScaleY,
    PicBytesPerLine,
    PicBitsPerPixel,
};

// What a word acts on. The parser hands each family to one function, so a new word needs a
// family here (the compiler warns about a word left out) and a case in that function.
enum class WordFamily : uint8_t {
    Ignored,      // unknown, or only looked for elsewhere (\ftnalt, right after \footnote)
    Binary,       // \bin: raw bytes follow, whatever the destination
    Unicode,      // \u and \uc, read in every destination that is not skipped
    Destination,  // opens or changes the destination of its group
    FileDefaults, // the file's code page and default font
    TableEntry,   // the parts of a colour or font table entry (\f also selects a font)
    Style,        // \s, \cs, \ts, \yts: a style's number in the sheet, its formats in the text
    Note,         // footnote marks and their numbering
    Character,    // character formatting
    Paragraph,    // paragraph formatting
    List,         // list definitions, and the list and level of a paragraph
    Break,        // paragraph and line ends, tabs
    Table,        // the ends of table cells and rows
    TableFormat,  // where a paragraph stands in a table; the definition of rows and cells
    Symbol,       // one character spelled as a word (\emdash, \bullet, ...)
    Picture,      // inside \pict: the picture's kind and size
};

constexpr WordFamily familyOf(Word word)
{
    switch (word) {
    case Word::Unknown:
    case Word::EndnoteAlt: return WordFamily::Ignored;
    case Word::Binary: return WordFamily::Binary;
    case Word::Unicode:
    case Word::UnicodeSkip: return WordFamily::Unicode;
    case Word::FontTable:
    case Word::ColorTable:
    case Word::StyleSheet:
    case Word::FieldResult:
    case Word::ListText:
    case Word::PnText:
    case Word::Result:
    case Word::ShapePicture:
    case Word::ListTable:
    case Word::ListOverrideTable:
    case Word::LevelText:
    case Word::LevelNumbers:
    case Word::PnDef:
    case Word::PnTextBefore:
    case Word::PnTextAfter:
    case Word::Shape:
    case Word::ShapeInstructions:
    case Word::ShapeText:
    case Word::ShapeResult:
    case Word::DrawingObject:
    case Word::DrawingText:
    case Word::SkipDestination:
    case Word::FieldInstruction:
    case Word::NonShapePicture:
    case Word::Object:
    case Word::Picture:
    case Word::Footnote:
    case Word::Transparent:
    case Word::Upr:
    case Word::UnicodeDest: return WordFamily::Destination;
    case Word::Ansi:
    case Word::Mac:
    case Word::Pc:
    case Word::Pca:
    case Word::AnsiCodePage:
    case Word::DefaultFont: return WordFamily::FileDefaults;
    case Word::Red:
    case Word::Green:
    case Word::Blue:
    case Word::CharacterSet:
    case Word::FontCodePage: return WordFamily::TableEntry;
    case Word::Style:
    case Word::CharStyle:
    case Word::TableStyle:
    case Word::TableStyleRef: return WordFamily::Style;
    case Word::FootnoteMark:
    case Word::FootnoteStart:
    case Word::EndnoteStart:
    case Word::FootnoteNumbering:
    case Word::EndnoteNumbering: return WordFamily::Note;
    case Word::Plain:
    case Word::Font:
    case Word::FontSize:
    case Word::Bold:
    case Word::Italic:
    case Word::Underline:
    case Word::UnderlineNone:
    case Word::Strike:
    case Word::Hidden:
    case Word::Capitals:
    case Word::SmallCapitals:
    case Word::Super:
    case Word::Sub:
    case Word::NoSuperSub:
    case Word::Up:
    case Word::Down:
    case Word::ColorFore:
    case Word::Highlight:
    case Word::ColorBack:
    case Word::AssocFont:
    case Word::AssocFontSize:
    case Word::AssocBold:
    case Word::AssocItalic:
    case Word::RtlChar:
    case Word::LtrChar:
    case Word::LowAnsiChars:
    case Word::HighAnsiChars:
    case Word::DoubleByteChars: return WordFamily::Character;
    case Word::Pard:
    case Word::AlignLeft:
    case Word::AlignCenter:
    case Word::AlignRight:
    case Word::AlignJustify:
    case Word::LeftIndent:
    case Word::RightIndent:
    case Word::FirstIndent:
    case Word::SpaceBefore:
    case Word::SpaceAfter:
    case Word::LineSpacing:
    case Word::LineMultiple:
    case Word::RtlPar:
    case Word::LtrPar:
    case Word::StartIndent:
    case Word::EndIndent: return WordFamily::Paragraph;
    case Word::ListDef:
    case Word::ListLevel:
    case Word::ListId:
    case Word::LevelFormat:
    case Word::LevelStartAt:
    case Word::LevelNoRestart:
    case Word::LevelFollow:
    case Word::LevelLegal:
    case Word::ListOverride:
    case Word::LfoLevel:
    case Word::OverrideStartAt:
    case Word::ListStyle:
    case Word::ListLevelIndex:
    case Word::PnBody:
    case Word::PnBullet:
    case Word::PnStart:
    case Word::PnFormat:
    case Word::PnFont: return WordFamily::List;
    case Word::Par:
    case Word::Line:
    case Word::Tab:
    case Word::Page:
    case Word::Sect: return WordFamily::Break;
    case Word::Cell:
    case Word::Row:
    case Word::NestCell:
    case Word::NestRow: return WordFamily::Table;
    case Word::InTable:
    case Word::TableLevel:
    case Word::RowDefaults:
    case Word::CellEdge:
    case Word::RowLeft:
    case Word::RowGap:
    case Word::RowHeight:
    case Word::RowAlignLeft:
    case Word::RowAlignCenter:
    case Word::RowAlignRight:
    case Word::RowRightToLeft:
    case Word::RowLeftToRight:
    case Word::RowPadTop:
    case Word::RowPadLeft:
    case Word::RowPadBottom:
    case Word::RowPadRight:
    case Word::RowPadUnitTop:
    case Word::RowPadUnitLeft:
    case Word::RowPadUnitBottom:
    case Word::RowPadUnitRight:
    case Word::CellPadTop:
    case Word::CellPadLeft:
    case Word::CellPadBottom:
    case Word::CellPadRight:
    case Word::CellPadUnitTop:
    case Word::CellPadUnitLeft:
    case Word::CellPadUnitBottom:
    case Word::CellPadUnitRight:
    case Word::RowBorderTop:
    case Word::RowBorderLeft:
    case Word::RowBorderBottom:
    case Word::RowBorderRight:
    case Word::RowBorderInsideH:
    case Word::RowBorderInsideV:
    case Word::CellBorderTop:
    case Word::CellBorderLeft:
    case Word::CellBorderBottom:
    case Word::CellBorderRight:
    case Word::OtherBorder:
    case Word::BorderNone:
    case Word::BorderSingle:
    case Word::BorderThick:
    case Word::BorderDouble:
    case Word::BorderDotted:
    case Word::BorderDashed:
    case Word::BorderHairline:
    case Word::BorderWidth:
    case Word::BorderColor:
    case Word::CellBackground:
    case Word::CellPatternColor:
    case Word::CellShading:
    case Word::CellMergeFirst:
    case Word::CellMerged:
    case Word::CellDownFirst:
    case Word::CellDownMerged:
    case Word::CellAlignTop:
    case Word::CellAlignCenter:
    case Word::CellAlignBottom: return WordFamily::TableFormat;
    case Word::EmDash:
    case Word::EnDash:
    case Word::EmSpace:
    case Word::EnSpace:
    case Word::QmSpace:
    case Word::Bullet:
    case Word::LQuote:
    case Word::RQuote:
    case Word::LDblQuote:
    case Word::RDblQuote:
    case Word::Zwj:
    case Word::Zwnj:
    case Word::LtrMark:
    case Word::RtlMark: return WordFamily::Symbol;
    case Word::PngBlip:
    case Word::JpegBlip:
    case Word::EmfBlip:
    case Word::WindowsMetafile:
    case Word::DibBitmap:
    case Word::DeviceBitmap:
    case Word::Os2Metafile:
    case Word::MacPict:
    case Word::PicWidth:
    case Word::PicHeight:
    case Word::PicWidthGoal:
    case Word::PicHeightGoal:
    case Word::PicScaleX:
    case Word::PicScaleY:
    case Word::PicBytesPerLine:
    case Word::PicBitsPerPixel: return WordFamily::Picture;
    }
    return WordFamily::Ignored;
}

// The first eight letters of a word, the first in the lowest byte, zero-padded (Token::wordKey).
constexpr uint64_t packWord(std::string_view word)
{
    uint64_t key = 0;
    const std::size_t n = word.size() < 8 ? word.size() : 8;
    for (std::size_t i = 0; i < n; ++i)
        key |= uint64_t(static_cast<uint8_t>(word[i])) << (8 * i);
    return key;
}

// The control words this parser knows, in an open-addressing hash table built at compile time.
// A word's key (packWord) decides for every word of eight letters or fewer, so most lookups hash
// once and compare one integer. LibreOffice writes a dozen control words before every few words
// of text, so this lookup is inlined into the parser's loop.
constexpr std::size_t kWordTableSize = 2048; // a power of two, over four times the number of words

constexpr std::size_t wordSlotFor(uint64_t key, std::size_t length)
{
    return static_cast<std::size_t>(((key ^ length) * 0x9E3779B97F4A7C15ull) >> 53) &
           (kWordTableSize - 1);
}

struct WordSlot {
    uint64_t key = 0; // 0: empty, since no word is empty
    std::string_view word;
    Word value = Word::Unknown;
};
extern const std::array<WordSlot, kWordTableSize> kWordTable;

// Underline has many spellings (\uld, \uldb, \ulwave, ...); all draw a line, \ulnone removes it.
Word lookupUnderline(std::string_view word);
// Words over eight letters, which their key does not tell apart.
Word lookupLongWord(std::string_view word, uint64_t key);

inline Word lookupWord(std::string_view word, uint64_t key)
{
    if (word.size() > 8)
        return lookupLongWord(word, key);
    for (std::size_t i = wordSlotFor(key, word.size()); kWordTable[i].key != 0;
         i = (i + 1) & (kWordTableSize - 1))
        if (kWordTable[i].key == key && kWordTable[i].word.size() == word.size())
            return kWordTable[i].value;
    if (word.size() > 2 && word[0] == 'u' && word[1] == 'l')
        return lookupUnderline(word);
    return Word::Unknown;
}

} // namespace velmora::rtf
