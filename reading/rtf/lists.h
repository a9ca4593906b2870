#pragma once
// List labels as word processors show them: the list table (\listtable, \listoverridetable) read
// into definitions, the paragraphs that name a list (\ls, \ilvl) numbered from them, and the older
// paragraph numbering (\pn) for files without a list table.

#include "control_words.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::rtf {

// RTF lists have nine levels; deeper \ilvl values name no level and fall back to \listtext.
constexpr std::size_t kListLevels = 9;
// Word files hold tens of lists; the caps keep a file of nothing but \list words from growing the
// tables (and the search for an override) with the file.
constexpr std::size_t kMaxLists = 2048;
constexpr std::size_t kMaxOverrides = 2048;
// Word accepts start values up to 32767; counters stop at a bound so a label stays short.
constexpr int32_t kMaxListStart = 32767;
constexpr int32_t kMaxListNumber = 999999;
// \leveltext gives its length in one byte, so no level text is longer than this.
constexpr std::size_t kMaxLevelText = 255;

// The list a paragraph belongs to, as its paragraph properties name it; \pard clears it.
struct ListRef {
    int32_t override = 0; // \ls; 0: none
    uint8_t level = 0;    // \ilvl
    int16_t pn = -1;      // index of the paragraph's \pn numbering; -1: none

    bool operator==(const ListRef&) const = default;
};

class ListTable {
public:
    // Where text inside the tables goes while they are read.
    enum class Capture : uint8_t { None, LevelText, LevelNumbers, PnBefore, PnAfter };

    // Words inside \listtable, \listoverridetable and \pn groups; text words take the token's text
    // (\pndec, \pnucrm, ...).
    void applyWord(Word word, int32_t value, bool hasValue, std::string_view text);
    void beginCapture(Capture capture) { m_capture = capture; }
    void endCapture() { m_capture = Capture::None; }
    Capture capture() const { return m_capture; }
    void captureText(std::u16string_view units);
    void captureByte(uint8_t byte);
    // Which group the words belong to: the list table, the override table or a \pn group.
    enum class Table : uint8_t { Lists, Overrides, Pn };
    void setTable(Table table) { m_table = table; }

    // The font a level's label is drawn in is a symbol font of this code page: its text bytes are
    // glyph numbers of that font.
    void setLevelSymbolPage(int page);
    // A \pn group starts; returns its index for the paragraph's ListRef (the last one is reused
    // once the cap is reached).
    int16_t beginPn();

    enum class LabelOutcome : uint8_t {
        Label,      // out holds the label
        Unresolved, // the list exists but its level does not: the written \listtext stays
        NoList,     // \ls names no list of the file: no label at all, as word processors show
    };
    // The label of the next paragraph of this list and level, its counters advanced, followed by
    // its tab or space.
    LabelOutcome nextLabel(const ListRef& ref, std::u16string& out);
    // A paragraph without \pn numbering ends a run of \pn paragraphs.
    void paragraphWithoutPn() { m_lastPn = -1; }

private:
    struct Level {
        uint8_t format = 0; // \levelnfc
        uint8_t follow = 0; // \levelfollow: 0 tab, 1 space, 2 nothing
        bool noRestart = false;
        bool legal = false;
        int32_t startAt = 1;
        int symbolPage = 0;
        std::u16string text;          // \leveltext, its length unit first
        std::vector<uint8_t> numbers; // \levelnumbers: positions of placeholders in text
    };
    struct List {
        int32_t id = 0;
        std::vector<Level> levels;
        std::array<int32_t, kListLevels> counters{};
        std::array<bool, kListLevels> started{};
        std::array<int32_t, kListLevels> restartAt{}; // an override's start, 0: none
    };
    struct Override {
        int32_t number = 0; // \ls
        int32_t listId = 0;
        bool used = false;
        std::array<int32_t, kListLevels> startAt{}; // 0: none
        std::size_t lfoLevels = 0;
        bool startOverride = false; // \listoverridestartat in the current \lfolevel
        // Levels that \listoverrideformat defines anew, by level number.
        std::vector<std::pair<std::size_t, Level>> levels;
    };
    struct Pn {
        uint8_t format = 0; // as \levelnfc
        bool bullet = false;
        bool body = false;
        int32_t start = 1;
        std::u16string before, after;
    };

    bool definesOverride(int32_t number) const;
    Level* currentLevel();
    List* listFor(int32_t overrideNumber, Override** override);
    int32_t levelValue(const List& list, std::size_t level) const;
    bool pnLabel(int16_t index, std::u16string& out);

    std::vector<List> m_lists;
    std::vector<Override> m_overrides;
    std::vector<Pn> m_pns;
    Capture m_capture = Capture::None;
    Table m_table = Table::Lists;
    int16_t m_lastPn = -1;
    int32_t m_pnCounter = 0;
};

// \levelnfc values this parser writes out; every other number format shows decimal.
enum ListNumberFormat : uint8_t {
    Decimal = 0,
    UpperRoman = 1,
    LowerRoman = 2,
    UpperLetter = 3,
    LowerLetter = 4,
    Ordinal = 5,
    LeadingZero = 22,
    Bullet = 23,
    NoNumber = 255,
};

// Appends number n in a list number format (\levelnfc); formats without a written form of their
// own are decimal, and so are numbers a format cannot write (Roman past 3999, letters past zzzz).
void appendListNumber(std::u16string& out, int32_t n, uint8_t format);
// A label's character: Windows writes symbol-font bullets as U+F020..U+F0FF, which mean nothing
// outside that font; in a label they are the bullets they draw, whatever font the label names.
char16_t labelCharacter(char16_t c);

} // namespace velmora::rtf
