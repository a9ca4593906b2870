#pragma once
// The book's table rows as the view places them: which row a paragraph belongs to, and where
// each cell of a row stands at a given width. A table keeps its columns' widths in twips, as the
// file gives them, whatever the text size; one wider than the view shrinks in proportion until
// it fits, so no row is cut off.

#include "rtf/model.h"

#include <QList>
#include <span>
#include <vector>

namespace velmora {

class TableRows {
public:
    explicit TableRows(const rtf::Model& model);

    bool empty() const { return m_rows.empty(); }
    // The row of the body (not nested) whose text holds position; nullptr when none does.
    const rtf::TableRow* rowAt(int position) const;
    std::span<const rtf::TableCell> cellsOf(const rtf::TableRow& row) const;
    // The first row of the body that ends at or after position, or nullptr.
    const rtf::TableRow* rowFrom(int position) const;
    // The row of the level that starts at position, or nullptr: a nested row in a cell.
    const rtf::TableRow* rowStartingAt(int position, int level) const;
    // The row after this one in its table, or nullptr.
    const rtf::TableRow* nextInTable(const rtf::TableRow& row) const;

    // A cell's box across the view, in pixels from the text's left edge; a cell merged into the
    // one before it shares that cell's box (owner).
    struct Place {
        double left = 0;
        double right = 0;
        std::size_t owner = 0;
    };
    // The row's cells at a text width of width, with margin pixels to spare on either side.
    std::vector<Place> placesOf(const rtf::TableRow& row, double width, double margin) const;

private:
    struct Extent {
        int32_t left = 0;
        int32_t right = 0;
    };
    static int32_t rightOf(std::span<const rtf::TableCell> cells);

    const rtf::Model& m_model;
    std::vector<const rtf::TableRow*> m_rows; // of the body, by start
    // The nested rows, each level's by start: rows of one level never overlap.
    std::vector<std::vector<const rtf::TableRow*>> m_nested;
    std::vector<Extent> m_extents; // by table: the parser numbers tables from 0 on
};

} // namespace velmora
