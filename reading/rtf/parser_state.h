#pragma once
// The parser's state: the group stack's entries, what one token leaves to the next, and the
// code page of the text. Internal to the parser.

#include "code_pages.h"
#include "lists.h"
#include "model.h"
#include "pictures.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora::rtf {

// Where the text and words of a group go.
enum class Destination : uint8_t {
    Text,       // shown
    Skip,       // read and dropped
    ObjectSkip, // an embedded object: dropped, except its \result
    FontTable,
    ColorTable,
    StyleSheet,
    StyleEntry,
    ListTable,        // \listtable, \listoverridetable, \pn: read into ListTable
    ListCapture,      // text of a level or \pn group, captured by ListTable
    ShapeSkip,        // \shpinst, \do: dropped, except their text boxes (\shptxt, \dptxbxtext)
    FieldInstruction, // \fldinst of a field in the text: kept to compute a missing result
    Picture,          // \pict in the text: its words and data make a picture
};

// Which characters \af names the font of: those of complex scripts, unless \loch or \hich has
// said that the text that follows is Latin (low- or high-ANSI: the font \f names too), or
// \dbch that it is East Asian (a font the model does not keep); \rtlch and \ltrch go back.
enum class AssocFontOf : uint8_t { ComplexScript, Latin, EastAsian };

// The associated character properties (\af, \afs, \ab, \ai) that complex-script characters
// take, and the run's direction (\rtlch), which gives them to the neutral characters too. A
// property the file leaves unset follows its ordinary counterpart, so "\f1\fs32 \rtlch" with
// no \af still draws the Arabic of font 1 at 16 points, as its writer meant.
struct ComplexScript {
    int32_t font = -1;       // a font slot; -1: the one of \f
    uint16_t halfPoints = 0; // 0: the size of \fs
    int8_t bold = -1;        // -1: as \b
    int8_t italic = -1;      // -1: as \i
    bool rightToLeftRun = false;
    AssocFontOf fontOf = AssocFontOf::ComplexScript;

    CharFormat apply(CharFormat f) const
    {
        if (font >= 0)
            f.font = static_cast<uint16_t>(font);
        if (halfPoints > 0)
            f.halfPoints = halfPoints;
        if (bold >= 0)
            f.bold = bold != 0;
        if (italic >= 0)
            f.italic = italic != 0;
        return f;
    }
    bool operator==(const ComplexScript&) const = default;
};

// \lin and \rin, the indents at the paragraph's start and end. Word writes them beside the
// physical \li and \ri; they are resolved when the paragraph ends, once its direction is known.
struct LogicalIndents {
    int32_t start = 0;
    int32_t end = 0;
    bool hasStart = false;
    bool hasEnd = false;

    ParagraphFormat resolve(ParagraphFormat p) const
    {
        if (hasStart)
            (p.rightToLeft ? p.rightIndent : p.leftIndent) = start;
        if (hasEnd)
            (p.rightToLeft ? p.leftIndent : p.rightIndent) = end;
        return p;
    }
    bool operator==(const LogicalIndents&) const = default;
};

// The paragraph formats that a paragraph's own words have given since \pard. A table style
// (\yts) gives only the others: word processors rank it below the paragraph's own format,
// and Word writes \yts after the paragraph's words.
struct RestatedFormats {
    enum Field : uint8_t {
        Align = 1 << 0,
        LeftIndent = 1 << 1,
        RightIndent = 1 << 2,
        FirstIndent = 1 << 3,
        SpaceBefore = 1 << 4,
        SpaceAfter = 1 << 5,
        LineSpacing = 1 << 6,
        LineMultiple = 1 << 7,
    };
    uint8_t fields = 0;

    bool has(Field f) const { return (fields & f) != 0; }
    // The table style's formats, where the paragraph's own words have not given them.
    ParagraphFormat underneath(ParagraphFormat p, const ParagraphFormat& style) const
    {
        const auto take = [&](Field f, auto ParagraphFormat::*member) {
            if (!has(f))
                p.*member = style.*member;
        };
        take(Align, &ParagraphFormat::align);
        take(LeftIndent, &ParagraphFormat::leftIndent);
        take(RightIndent, &ParagraphFormat::rightIndent);
        take(FirstIndent, &ParagraphFormat::firstLineIndent);
        take(SpaceBefore, &ParagraphFormat::spaceBefore);
        take(SpaceAfter, &ParagraphFormat::spaceAfter);
        take(LineSpacing, &ParagraphFormat::lineSpacing);
        take(LineMultiple, &ParagraphFormat::lineMultiple);
        return p;
    }
    bool operator==(const RestatedFormats&) const = default;
};

// The format of the complex-script characters in the current group, worked out again only after a
// character format word or a group boundary. Most text has no associated properties, or the
// same as the ordinary ones, and then keeps the fast paths of one format.
struct ScriptFormats {
    CharFormat complex;
    bool differ = false; // from the ordinary format: the text is split by script
    bool dirty = true;
};

// What a group takes from the group around it and gives back at its end.
struct GroupState {
    CharFormat chr;
    ParagraphFormat para;
    ComplexScript complex;
    LogicalIndents logical;
    RestatedFormats restated;
    Destination destination = Destination::Text;
    // A \upr group holds the same text twice: an ANSI group for older programs and \*\ud with
    // Unicode. Its child groups are skipped unless they turn out to be \ud, which then shows in
    // the destination of the \upr group (uprResume).
    bool upr = false;
    bool uprAlternative = false;
    Destination uprResume = Destination::Text;
    uint8_t unicodeSkip = 1;
    ListRef list; // a paragraph property; the model has no lists, so it is not in ParagraphFormat
    // \intbl and \itap: the table level of the paragraph, 0 in the body; TableReader keeps what
    // the model says of tables, so this is not in ParagraphFormat either.
    uint8_t tableLevel = 0;

    bool operator==(const GroupState&) const = default;
};

// Groups beyond kMaxGroupDepth share the state of the deepest stored group.
struct DeepGroups {
    std::size_t depth = 0;     // how many are open
    std::size_t skipDepth = 0; // where a destination inside them started skipping (0: none)
    Destination savedDestination = Destination::Text;
    GroupState base; // the state to return to when the last one closes

    void open(const GroupState& s)
    {
        if (depth++ == 0)
            base = s;
    }
    void close(GroupState& s)
    {
        if (skipDepth == depth) {
            s.destination = savedDestination;
            skipDepth = 0;
        }
        if (--depth == 0)
            s = base;
    }
    // The groups share one state, so a destination cannot be confined to its group: everything
    // up to the end of that group is skipped instead.
    void skipToEnd(GroupState& s)
    {
        if (skipDepth == 0 && s.destination != Destination::Skip) {
            skipDepth = depth;
            savedDestination = s.destination;
            s.destination = Destination::Skip;
        }
    }
};

// What one token leaves to the tokens after it. A group boundary drops both.
struct Pending {
    bool star = false;    // \*: the next word names a destination that may be ignored
    int32_t fallback = 0; // fallback bytes of a \u still to skip (an escape or word is one)

    void clear()
    {
        star = false;
        fallback = 0;
    }
    bool consumeFallback()
    {
        if (fallback <= 0)
            return false;
        --fallback;
        return true;
    }
};

// The code page of the text being read, with its kind and (single-byte) table; looked up again
// only when the page changes.
struct TextPage {
    int page = -1;
    PageKind kind = PageKind::SingleByte;
    const std::array<char16_t, 256>* table = nullptr;
    bool asciiKept = true; // the table leaves ASCII as it is

    void select(int codePage)
    {
        if (codePage == page)
            return;
        page = codePage;
        kind = pageKind(codePage);
        table = &singleByteTable(codePage);
        asciiKept = keepsAscii(*table);
    }
    void forget() { page = -1; }
};

// A list paragraph's label goes before its first text, or at its end when it has none; the
// \listtext written in the paragraph stays only when the list cannot be resolved.
struct ListText {
    bool labelPending = true; // the paragraph's label is yet to be placed
    bool inParagraph = false; // the paragraph has its \listtext, \pntext or label: no other shows
    bool written = false;     // the paragraph's \listtext stands in the text, from start on
    std::size_t depth = 0;    // the stack depth of an open \listtext group; 0: none
    std::size_t start = 0;    // where the paragraph's \listtext begins in the text
    std::u16string label;     // kept between paragraphs, so a label costs no allocation
};

// A field whose result the file may leave out, as writers do for SYMBOL fields: its
// instruction, and once read, what it shows if the field group ends with nothing shown.
struct Field {
    std::string instruction;
    std::u16string text;
    std::size_t depth = 0; // the stack depth of that field's group; 0: none
    std::size_t start = 0; // the text's length when its instruction ended
};

// The \pict group being read, and what decides whether a \nonshppict is shown: Word and
// LibreOffice write a picture twice, in \shppict and again in \nonshppict for older readers.
struct PictureState {
    static constexpr std::size_t kNone = std::size_t(-1);

    PictureReader reader;
    std::size_t depth = 0;       // the stack depth of the open \pict group; 0: none
    std::size_t count = 0;       // pictures so far
    std::size_t shapeAt = kNone; // the text's length where the last \shppict began
    // The text's length just after a picture that a \shppict gave: a \nonshppict right there
    // is the same picture again.
    std::size_t shapePictureEnd = kNone;
};

// A shape's text box (\shptxt, \dptxbxtext) shows where the shape is anchored; its result
// (\shprslt), the same text again for programs that draw no shapes, is then left out.
struct ShapeText {
    bool shown = false; // the current shape's text box has been shown
};

} // namespace velmora::rtf
