#include "table_reader.h"

#include <algorithm>

namespace velmora::rtf {

namespace {

// \clpadfN and \trpaddfN: 3 counts in twips; 0 leaves the distance unset.
constexpr uint8_t kTwipsUnit = 3;
// \brdrwN goes to 75 twips in the format; Word writes up to 120 for its widest lines.
constexpr int32_t kMaxBorderWidth = 255;
// \clshdngN: 10000 is the pattern colour alone.
constexpr int32_t kFullShading = 10000;
// A distance within a cell, or a row's height, past 22 inches is none a page has.
constexpr int32_t kMaxDistance = kMaxCellEdge;

uint32_t channel(uint32_t color, int shift)
{
    return (color >> shift) & 0xFFu;
}

// The background that \clshdng's share of the pattern colour over the background gives.
uint32_t tint(uint32_t pattern, uint32_t background, int32_t share)
{
    uint32_t result = 0;
    for (const int shift : {0, 8, 16}) {
        const uint32_t mixed =
            (channel(pattern, shift) * uint32_t(share) +
             channel(background, shift) * uint32_t(kFullShading - share) + kFullShading / 2) /
            kFullShading;
        result |= mixed << shift;
    }
    return result;
}

} // namespace

std::size_t TableReader::slot(int level)
{
    return static_cast<std::size_t>(std::clamp(level, 1, int(kMaxTableLevel)) - 1);
}

CellBorder* TableReader::targetBorder(RowDefinition& row)
{
    switch (m_target.of) {
    case BorderTarget::Of::Row: return &row.borders[m_target.side];
    case BorderTarget::Of::Cell:
        row.pending.bordered[m_target.side] = true;
        return &row.pending.borders[m_target.side];
    case BorderTarget::Of::None: return nullptr;
    }
    return nullptr;
}

void TableReader::applyWord(Word word, int32_t value, int level, const ColorTable& colors)
{
    if (word == Word::RowDefaults) {
        m_definedLevel = std::max(level, 1);
        m_definitions[slot(m_definedLevel)] = {};
        m_target = {};
        return;
    }
    if (m_definedLevel == 0)
        m_definedLevel = 1; // row words without \trowd define the body's rows
    RowDefinition& row = m_definitions[slot(m_definedLevel)];
    CellDefinition& cell = row.pending;
    const int32_t distance = std::clamp(value, -kMaxDistance, kMaxDistance);
    const int32_t length = std::clamp(value, 0, kMaxDistance);
    const auto unit = static_cast<uint8_t>(std::clamp(value, 0, 255));
    const auto borderKind = [&](CellBorder::Kind kind) {
        if (CellBorder* border = targetBorder(row))
            border->kind = kind;
    };
    using Side = TableCell::Side;
    using Of = BorderTarget::Of;
    switch (word) {
    case Word::CellEdge:
        if (row.cells.size() < kMaxCellsInRow) {
            cell.right = std::clamp(value, -kMaxCellEdge, kMaxCellEdge);
            row.cells.push_back(cell);
        }
        cell = {};
        m_target = {};
        return;
    case Word::RowLeft: row.left = std::clamp(value, -kMaxCellEdge, kMaxCellEdge); return;
    case Word::RowGap: row.gap = length; return;
    case Word::RowHeight: row.height = distance; return;
    case Word::RowAlignLeft: row.align = TableRow::Align::Left; return;
    case Word::RowAlignCenter: row.align = TableRow::Align::Center; return;
    case Word::RowAlignRight: row.align = TableRow::Align::Right; return;
    case Word::RowRightToLeft: row.rightToLeft = true; return;
    case Word::RowLeftToRight: row.rightToLeft = false; return;
    case Word::RowPadTop: row.padding[Side::Top] = length; return;
    case Word::RowPadLeft: row.padding[Side::Left] = length; return;
    case Word::RowPadBottom: row.padding[Side::Bottom] = length; return;
    case Word::RowPadRight: row.padding[Side::Right] = length; return;
    case Word::RowPadUnitTop: row.paddingUnit[Side::Top] = unit; return;
    case Word::RowPadUnitLeft: row.paddingUnit[Side::Left] = unit; return;
    case Word::RowPadUnitBottom: row.paddingUnit[Side::Bottom] = unit; return;
    case Word::RowPadUnitRight: row.paddingUnit[Side::Right] = unit; return;
    // Word writes a cell's left distance as \clpadt and its top one as \clpadl, and so do
    // the readers that meet its files.
    case Word::CellPadTop: cell.padding[Side::Left] = length; return;
    case Word::CellPadLeft: cell.padding[Side::Top] = length; return;
    case Word::CellPadBottom: cell.padding[Side::Bottom] = length; return;
    case Word::CellPadRight: cell.padding[Side::Right] = length; return;
    case Word::CellPadUnitTop: cell.paddingUnit[Side::Left] = unit; return;
    case Word::CellPadUnitLeft: cell.paddingUnit[Side::Top] = unit; return;
    case Word::CellPadUnitBottom: cell.paddingUnit[Side::Bottom] = unit; return;
    case Word::CellPadUnitRight: cell.paddingUnit[Side::Right] = unit; return;
    case Word::RowBorderTop: m_target = {Of::Row, RowTop}; return;
    case Word::RowBorderLeft: m_target = {Of::Row, RowLeft}; return;
    case Word::RowBorderBottom: m_target = {Of::Row, RowBottom}; return;
    case Word::RowBorderRight: m_target = {Of::Row, RowRight}; return;
    case Word::RowBorderInsideH: m_target = {Of::Row, InsideH}; return;
    case Word::RowBorderInsideV: m_target = {Of::Row, InsideV}; return;
    case Word::CellBorderTop: m_target = {Of::Cell, Side::Top}; return;
    case Word::CellBorderLeft: m_target = {Of::Cell, Side::Left}; return;
    case Word::CellBorderBottom: m_target = {Of::Cell, Side::Bottom}; return;
    case Word::CellBorderRight: m_target = {Of::Cell, Side::Right}; return;
    case Word::OtherBorder: m_target = {}; return;
    case Word::BorderNone: borderKind(CellBorder::Kind::None); return;
    case Word::BorderSingle: borderKind(CellBorder::Kind::Single); return;
    case Word::BorderThick: borderKind(CellBorder::Kind::Thick); return;
    case Word::BorderDouble: borderKind(CellBorder::Kind::Double); return;
    case Word::BorderDotted: borderKind(CellBorder::Kind::Dotted); return;
    case Word::BorderDashed: borderKind(CellBorder::Kind::Dashed); return;
    case Word::BorderHairline: borderKind(CellBorder::Kind::Hairline); return;
    case Word::BorderWidth:
        if (CellBorder* border = targetBorder(row))
            border->width = static_cast<int16_t>(std::clamp(value, 0, kMaxBorderWidth));
        return;
    case Word::BorderColor:
        if (CellBorder* border = targetBorder(row))
            border->color = colors.colorAt(value);
        return;
    case Word::CellBackground: cell.background = colors.colorAt(value); return;
    case Word::CellPatternColor: cell.pattern = colors.colorAt(value); return;
    case Word::CellShading: cell.shading = std::clamp(value, 0, kFullShading); return;
    case Word::CellMergeFirst: cell.across = TableCell::Merge::First; return;
    case Word::CellMerged: cell.across = TableCell::Merge::Continued; return;
    case Word::CellDownFirst: cell.down = TableCell::Merge::First; return;
    case Word::CellDownMerged: cell.down = TableCell::Merge::Continued; return;
    case Word::CellAlignTop: cell.verticalAlign = TableCell::VerticalAlign::Top; return;
    case Word::CellAlignCenter: cell.verticalAlign = TableCell::VerticalAlign::Center; return;
    case Word::CellAlignBottom: cell.verticalAlign = TableCell::VerticalAlign::Bottom; return;
    default: return;
    }
}

void TableReader::dropOpenRows(std::size_t first)
{
    for (std::size_t at = first; at < kMaxTableLevel; ++at) {
        m_open[at].cells.clear();
        m_open[at].overfull = false;
    }
}

void TableReader::paragraphEnded(int level, std::size_t next)
{
    const auto first = static_cast<std::size_t>(std::max(level, 0));
    dropOpenRows(first);
    for (std::size_t at = first; at < kMaxTableLevel; ++at)
        m_open[at].start = m_open[at].rowStart = next;
}

void TableReader::cellEnded(int level, std::size_t end, std::size_t next, uint32_t paragraphFormat)
{
    OpenRow& row = m_open[slot(level)];
    if (row.cells.size() >= kMaxCellsInRow) {
        row.overfull = true;
    } else {
        // A cell with no text of its own whose \cell met the paragraph end before it is empty.
        TableCell cell;
        cell.start = static_cast<int32_t>(row.start);
        cell.end = static_cast<int32_t>(std::max(row.start, end));
        cell.paragraphFormat = paragraphFormat;
        row.cells.push_back(cell);
    }
    row.start = next;
    // A row deeper than this one lies inside this cell; the next cell starts afresh.
    paragraphEnded(level, next);
}

TableCell TableReader::cellOf(const RowDefinition& row, std::size_t index, int32_t left)
{
    // A cell the definition leaves out is as wide as the last one defined.
    const std::size_t defined = std::min(index, row.cells.size() - 1);
    const CellDefinition& definition = row.cells[defined];
    const int32_t lastWidth = defined == 0 ? definition.right - row.left
                                           : definition.right - row.cells[defined - 1].right;
    TableCell cell;
    cell.left = left;
    cell.right = index < row.cells.size() ? definition.right
                                          : std::min(left + std::max(lastWidth, 0), kMaxCellEdge);
    // Edges out of order are taken in order: a cell is never narrower than nothing.
    cell.right = std::max(cell.right, left);
    const bool first = index == 0;
    const bool last = index + 1 >= row.cells.size();
    for (int side = 0; side < 4; ++side) {
        const auto s = static_cast<std::size_t>(side);
        if (index < row.cells.size() && definition.paddingUnit[s] == kTwipsUnit &&
            definition.padding[s] >= 0)
            cell.padding[s] = static_cast<int16_t>(std::min(definition.padding[s], 0x7FFF));
        else if (row.paddingUnit[s] == kTwipsUnit && row.padding[s] >= 0)
            cell.padding[s] = static_cast<int16_t>(std::min(row.padding[s], 0x7FFF));
        else if (side == TableCell::Left || side == TableCell::Right)
            cell.padding[s] = static_cast<int16_t>(std::min(row.gap, 0x7FFF));
    }
    const std::array<RowSide, 4> rowSides = {RowTop, first ? RowLeft : InsideV, RowBottom,
                                             last ? RowRight : InsideV};
    for (std::size_t side = 0; side < 4; ++side)
        cell.borders[side] = index < row.cells.size() && definition.bordered[side]
                                 ? definition.borders[side]
                                 : row.borders[rowSides[side]];
    if (index < row.cells.size()) {
        const uint32_t white = 0xFFFFFFu;
        if (definition.shading > 0)
            cell.shading = tint(
                definition.pattern == CellBorder::kAutoColor ? 0 : definition.pattern,
                definition.background == CellBorder::kAutoColor ? white : definition.background,
                definition.shading);
        else
            cell.shading = definition.background;
        cell.across = definition.across;
        cell.down = definition.down;
        cell.verticalAlign = definition.verticalAlign;
    }
    return cell;
}

void TableReader::rowEnded(int level, std::size_t end, Model& model)
{
    const std::size_t at = slot(level);
    OpenRow& open = m_open[at];
    const RowDefinition& definition = m_definitions[at];
    // A row with no text of its own (\cell\cell\row right after a row) has no paragraph end of
    // its own either: the text keeps no trace of it, and the table goes on past it.
    if (open.cells.empty() || end < open.rowStart) {
        dropOpenRows(at);
        return;
    }
    if (!open.overfull && !definition.cells.empty()) {
        TableRow row;
        row.start = open.cells.front().start;
        row.end = static_cast<int32_t>(end);
        row.left = definition.left;
        row.height = definition.height;
        row.firstCell = static_cast<uint32_t>(model.tableCells.size());
        row.cellCount = static_cast<uint32_t>(open.cells.size());
        row.level = static_cast<uint8_t>(at + 1);
        row.align = definition.align;
        row.rightToLeft = definition.rightToLeft;
        if (m_lastRowEnd[at] != row.start)
            m_lastTable[at] = m_tables++;
        row.table = m_lastTable[at];
        int32_t left = definition.left;
        for (std::size_t i = 0; i < open.cells.size(); ++i) {
            TableCell cell = cellOf(definition, i, left);
            cell.start = open.cells[i].start;
            cell.end = open.cells[i].end;
            cell.paragraphFormat = open.cells[i].paragraphFormat;
            left = cell.right;
            model.tableCells.push_back(cell);
        }
        model.tableRows.push_back(row);
        m_lastRowEnd[at] = static_cast<int64_t>(end) + 1;
    }
    paragraphEnded(static_cast<int>(at), end + 1);
}

} // namespace velmora::rtf
