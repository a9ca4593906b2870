#include "table_rows.h"

#include "twips.h"

#include <algorithm>

namespace velmora {

TableRows::TableRows(const rtf::Model& model) : m_model(model)
{
    for (const rtf::TableRow& row : model.tableRows) {
        if (row.level == 1) {
            m_rows.push_back(&row);
        } else {
            m_nested.resize(std::max<std::size_t>(m_nested.size(), row.level - 1u));
            m_nested[row.level - 2u].push_back(&row);
        }
        const int32_t right = rightOf(cellsOf(row));
        if (row.table >= m_extents.size())
            m_extents.resize(row.table + 1u, Extent{row.left, right});
        Extent& extent = m_extents[row.table];
        extent.left = std::min(extent.left, row.left);
        extent.right = std::max(extent.right, right);
    }
    // Rows of one level never overlap, and they are kept in the order they end.
}

const rtf::TableRow* TableRows::rowStartingAt(int position, int level) const
{
    if (level < 2 || static_cast<std::size_t>(level - 2) >= m_nested.size())
        return nullptr;
    const std::vector<const rtf::TableRow*>& rows = m_nested[static_cast<std::size_t>(level - 2)];
    const auto at =
        std::lower_bound(rows.begin(), rows.end(), position,
                         [](const rtf::TableRow* row, int from) { return row->start < from; });
    return at != rows.end() && (*at)->start == position ? *at : nullptr;
}

int32_t TableRows::rightOf(std::span<const rtf::TableCell> cells)
{
    int32_t right = cells.empty() ? 0 : cells.front().left;
    for (const rtf::TableCell& cell : cells)
        right = std::max(right, cell.right);
    return right;
}

const rtf::TableRow* TableRows::rowAt(int position) const
{
    const auto after =
        std::upper_bound(m_rows.begin(), m_rows.end(), position,
                         [](int at, const rtf::TableRow* row) { return at < row->start; });
    if (after == m_rows.begin())
        return nullptr;
    const rtf::TableRow* row = *(after - 1);
    return position <= row->end ? row : nullptr;
}

const rtf::TableRow* TableRows::rowFrom(int position) const
{
    const auto at =
        std::lower_bound(m_rows.begin(), m_rows.end(), position,
                         [](const rtf::TableRow* row, int from) { return row->end < from; });
    return at == m_rows.end() ? nullptr : *at;
}

std::span<const rtf::TableCell> TableRows::cellsOf(const rtf::TableRow& row) const
{
    return std::span(m_model.tableCells).subspan(row.firstCell, row.cellCount);
}

const rtf::TableRow* TableRows::nextInTable(const rtf::TableRow& row) const
{
    const std::vector<const rtf::TableRow*>& rows =
        row.level == 1 ? m_rows : m_nested[row.level - 2u];
    const auto at = std::upper_bound(
        rows.begin(), rows.end(), row.start,
        [](int start, const rtf::TableRow* other) { return start < other->start; });
    return at != rows.end() && (*at)->table == row.table ? *at : nullptr;
}

std::vector<TableRows::Place> TableRows::placesOf(const rtf::TableRow& row, double width,
                                                  double margin) const
{
    const std::span<const rtf::TableCell> cells = cellsOf(row);
    const Extent extent =
        row.table < m_extents.size() ? m_extents[row.table] : Extent{row.left, rightOf(cells)};
    // A border on the view's very edge would be cut off: the table keeps a pixel inside.
    margin = std::max(margin - 1, 0.0);
    const double room = width + 2 * margin;
    const double extentWidth = twipsToExactPixels(extent.right - extent.left);
    const double scale = extentWidth > room ? room / extentWidth : 1.0;
    // Where the table's left edge stands: as the file places it, moved in as far as it must.
    double origin = twipsToExactPixels(extent.left) * scale;
    origin = std::clamp(origin, -margin, std::max(width + margin - extentWidth * scale, -margin));
    const auto x = [&](int32_t twips) {
        return origin + twipsToExactPixels(twips - extent.left) * scale;
    };
    const double rowLeft = x(row.left);
    const double rowRight = x(rightOf(cells));
    double shift = 0;
    if (row.align == rtf::TableRow::Align::Center)
        shift = (width - (rowRight - rowLeft)) / 2 - rowLeft;
    else if (row.align == rtf::TableRow::Align::Right)
        shift = width - rowRight;
    std::vector<Place> places(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        double left = x(cells[i].left) + shift;
        double right = x(cells[i].right) + shift;
        if (row.rightToLeft) // the first cell at the right, the row keeping its place
            std::tie(left, right) = std::pair(rowLeft + rowRight + 2 * shift - right,
                                              rowLeft + rowRight + 2 * shift - left);
        places[i] = {left, right, i};
        if (i > 0 && cells[i].across == rtf::TableCell::Merge::Continued) {
            Place& owner = places[places[i - 1].owner];
            owner.left = std::min(owner.left, left);
            owner.right = std::max(owner.right, right);
            places[i].owner = places[i - 1].owner;
        }
    }
    return places;
}

} // namespace velmora
