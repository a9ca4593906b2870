#pragma once
// How the parser reads tables into the model (table_model.h). Internal to the parser.
//
// A row's definition (\trowd, the row's words, each cell's words ended by \cellx) stands apart
// from its text, before it or at the row's end, and stays until the next \trowd of that level.
// The text tells the rest: the parser reports where each cell and row of a level ends, and a
// row is kept with the definition in force at its end. A row nothing defines stays plain text.

#include "control_words.h"
#include "format_tables.h"
#include "model.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::rtf {

class TableReader {
public:
    // A word of the TableFormat family other than \intbl and \itap. level is that of the
    // paragraph it comes in: a \trowd there defines the rows of that level (at least 1).
    void applyWord(Word word, int32_t value, int level, const ColorTable& colors);

    // A paragraph of that level ended, and the text goes on at next: rows deeper than it are
    // over, and the next one starts there.
    void paragraphEnded(int level, std::size_t next);
    // A cell of that level ended at end (its text is before it); the next starts at next.
    void cellEnded(int level, std::size_t end, std::size_t next, uint32_t paragraphFormat);
    // A row of that level ended with the paragraph end at end.
    void rowEnded(int level, std::size_t end, Model& model);

private:
    struct CellDefinition {
        int32_t right = 0;
        std::array<int32_t, 4> padding{{-1, -1, -1, -1}}; // by TableCell::Side; -1: the row's
        std::array<uint8_t, 4> paddingUnit{{3, 3, 3, 3}};
        std::array<CellBorder, 4> borders{};
        std::array<bool, 4> bordered{}; // the cell gave that side
        uint32_t background = CellBorder::kAutoColor;
        uint32_t pattern = CellBorder::kAutoColor; // the colour \clshdng tints with
        int32_t shading = 0;                       // in hundredths of a percent
        TableCell::Merge across = TableCell::Merge::None;
        TableCell::Merge down = TableCell::Merge::None;
        TableCell::VerticalAlign verticalAlign = TableCell::VerticalAlign::Top;
    };
    // The row's borders: top, left, bottom, right, then inside horizontal and vertical.
    enum RowSide : uint8_t { RowTop, RowLeft, RowBottom, RowRight, InsideH, InsideV };
    struct RowDefinition {
        int32_t left = 0;
        int32_t gap = 0;
        int32_t height = 0;
        TableRow::Align align = TableRow::Align::Left;
        bool rightToLeft = false;
        std::array<int32_t, 4> padding{{-1, -1, -1, -1}};
        std::array<uint8_t, 4> paddingUnit{{3, 3, 3, 3}};
        std::array<CellBorder, 6> borders{};
        std::vector<CellDefinition> cells;
        CellDefinition pending; // the words since the last \cellx
    };
    // Where the border words that follow go.
    struct BorderTarget {
        enum class Of : uint8_t { None, Row, Cell } of = Of::None;
        uint8_t side = 0;
    };
    struct OpenRow {
        std::size_t start = 0; // of its next cell
        std::size_t rowStart = 0;
        std::vector<TableCell> cells;
        bool overfull = false;
    };

    static std::size_t slot(int level);
    // Forgets the cells of the open rows from that slot on, where they start staying.
    void dropOpenRows(std::size_t first);
    static constexpr std::array<int64_t, kMaxTableLevel> filled(int64_t value)
    {
        std::array<int64_t, kMaxTableLevel> all{};
        all.fill(value);
        return all;
    }
    CellBorder* targetBorder(RowDefinition& row);
    static TableCell cellOf(const RowDefinition& row, std::size_t index, int32_t left);

    std::array<RowDefinition, kMaxTableLevel> m_definitions;
    std::array<OpenRow, kMaxTableLevel> m_open;
    // Where each level's last row ended, plus one; -1 before its first.
    std::array<int64_t, kMaxTableLevel> m_lastRowEnd = filled(-1);
    std::array<uint32_t, kMaxTableLevel> m_lastTable{};
    uint32_t m_tables = 0;
    int m_definedLevel = 0; // the level the words since \trowd define
    BorderTarget m_target;
};

} // namespace velmora::rtf
