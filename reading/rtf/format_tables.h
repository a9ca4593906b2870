#pragma once
// The tables at the head of an RTF file that character and paragraph formats refer to: fonts,
// colours and styles. Each is read entry by entry, an entry finished at its ';' or at the end of
// its group. Internal to the parser.

#include "control_words.h"
#include "lists.h"
#include "model.h"
#include "parser_state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmora::rtf {

// Word lists each font once per charset variant and stays in the hundreds; more than this is a
// broken or hostile file, and further font numbers share the first font's slot, so the table
// cannot grow with the file.
constexpr std::size_t kMaxFonts = 4096;
// The colour table: \cfN takes a 16-bit index in every writer; entries past it are never used.
constexpr std::size_t kMaxColors = 0x10000;

struct FontSlot {
    std::u16string name;
    int charsetPage = 0;  // from \fcharset; 0: none given
    int explicitPage = 0; // from \cpg
    int codePage = 0;     // resolved when the entry ends; 0: the file's
    bool hasCharset = false;
    bool defined = false;

    // The page the name itself is written in: names of symbol fonts are plain ANSI.
    int namePage(int filePage) const
    {
        const int page = explicitPage ? explicitPage : charsetPage;
        return page == 0 || page > kMaxCodePage ? filePage : page;
    }

    void finish();
};

// Font numbers take slots in the order the file first uses them, defined in the table or not,
// so character formats refer to a dense list whatever numbers the file picks.
struct FontTable {
    // Writers number their fonts from 0, and LibreOffice names a font before every run: the
    // small numbers are looked up in an array, the rest in a map.
    static constexpr int32_t kDirectNumbers = 256;
    static constexpr uint16_t kNoSlot = UINT16_MAX;

    std::vector<FontSlot> slots;
    std::array<uint16_t, kDirectNumbers> slotBySmallNumber = [] {
        std::array<uint16_t, kDirectNumbers> none{};
        none.fill(kNoSlot);
        return none;
    }();
    std::unordered_map<int32_t, uint16_t> slotByNumber;
    int32_t defaultNumber = 0; // \deff
    bool entryOpen = false;    // an entry is being read, into slots[entrySlot]
    uint16_t entrySlot = 0;

    uint16_t findSlot(int32_t number) const
    {
        if (number >= 0 && number < kDirectNumbers)
            return slotBySmallNumber[std::size_t(number)];
        const auto it = slotByNumber.find(number);
        return it == slotByNumber.end() ? kNoSlot : it->second;
    }
    uint16_t slotOf(int32_t number);

    FontSlot& entry() { return slots[entrySlot]; }
    void beginEntry(int32_t number);
    // Returns whether an entry was open.
    bool finishEntry();

    // The names in slot order; fonts that the table never defined take the default font's name.
    std::vector<std::string> names() const;
};

// The colour table, and the entry being read: one without \red, \green or \blue is the
// automatic colour.
struct ColorTable {
    std::vector<uint32_t> colors;
    int32_t red = 0, green = 0, blue = 0;
    bool set = false;

    void apply(Word word, int32_t value);
    void finishEntry();

    // \cfN, \cbN, \highlightN: index 0 and indices past the table are the automatic colour.
    uint32_t colorAt(int32_t index) const
    {
        if (index > 0 && static_cast<std::size_t>(index) < colors.size())
            return colors[static_cast<std::size_t>(index)];
        return CharFormat::kAutoColor;
    }
};

// A character style's formats.
struct CharStyle {
    CharFormat chr;
    ComplexScript complex;
};

// Styles by number and the entry being read: each entry is a group of the style sheet, and its
// formats are those of that group when it ends. A paragraph restates its style's formats, and
// word processors show those it leaves out at their defaults, not the style's: of a paragraph
// style only the list its paragraphs belong to is kept. A table style's paragraph format is
// kept, since the cell paragraphs that name it (\yts) leave it out.
struct StyleSheet {
    std::unordered_map<int32_t, ListRef> paragraphStyleLists;
    std::unordered_map<int32_t, CharStyle> charStyles;
    std::unordered_map<int32_t, ParagraphFormat> tableStyles;
    int32_t entryNumber = 0;
    bool entryIsChar = false;
    bool entryIsTable = false;
    bool entryOpen = false;
    std::size_t entryDepth = 0; // the stack depth of the entry's group

    void beginEntry(std::size_t depth);
    void finishEntry(const GroupState& s);
};

} // namespace velmora::rtf
