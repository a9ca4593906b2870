#pragma once
// The tables of a file as the model keeps them: rows of cells, each cell a stretch of the text.
// The text itself is as it would be without tables (a cell ends in a tab, a row in a paragraph
// end), so search and copy see the same characters; this says where each cell stands and how it
// is drawn. Lengths in twips, as RTF gives them.

#include <array>
#include <cstdint>

namespace velmora::rtf {

// Word's limit: rows of more cells are kept as plain text.
inline constexpr uint32_t kMaxCellsInRow = 63;
// Nesting deeper than this is kept as the text of its cell.
inline constexpr uint8_t kMaxTableLevel = 8;
// A cell edge past 22 inches from the margin is no edge a page has.
inline constexpr int32_t kMaxCellEdge = 31680;

struct CellBorder {
    enum class Kind : uint8_t { None, Single, Thick, Double, Dotted, Dashed, Hairline };
    static constexpr uint32_t kAutoColor = 0xFF000000u;

    Kind kind = Kind::None;
    int16_t width = 0; // \brdrw; 0 draws the thinnest line
    uint32_t color = kAutoColor;
    bool operator==(const CellBorder&) const = default;
};

struct TableCell {
    enum class Merge : uint8_t { None, First, Continued };
    enum class VerticalAlign : uint8_t { Top, Center, Bottom };
    enum Side : uint8_t { Top, Left, Bottom, Right };

    // The cell's text runs from start to end; the one character at end, a tab or a paragraph
    // end, separates it from what follows, unless the next cell starts at end (a hidden \cell).
    int32_t start = 0;
    int32_t end = 0;
    int32_t left = 0;  // its left edge: the row's \trleft or the cell before's right edge
    int32_t right = 0; // \cellx
    std::array<int16_t, 4> padding{}; // by Side: the distance of the text from the edges
    std::array<CellBorder, 4> borders{};
    uint32_t shading = CellBorder::kAutoColor; // the background, tint applied; auto: none
    uint32_t paragraphFormat = 0; // of the paragraph that \cell ends (Model::paragraphFormats)
    Merge across = Merge::None;   // \clmgf, \clmrg
    Merge down = Merge::None;     // \clvmgf, \clvmrg
    VerticalAlign verticalAlign = VerticalAlign::Top;
};

struct TableRow {
    enum class Align : uint8_t { Left, Center, Right };

    int32_t start = 0;      // its first cell's first character
    int32_t end = 0;        // its paragraph end
    int32_t left = 0;       // \trleft
    int32_t height = 0;     // \trrh: at least that, or exactly minus that when negative
    uint32_t firstCell = 0; // in Model::tableCells
    uint32_t cellCount = 0;
    uint32_t table = 0; // consecutive rows of one level share a table
    uint8_t level = 1;  // 1 in the body, 2 in a cell of a row of level 1, ...
    Align align = Align::Left;
    bool rightToLeft = false; // \rtlrow: the first cell at the right
};

} // namespace velmora::rtf
