#include "rich_copy.h"

#include "table_rows.h"
#include "twips.h"

#include <QColor>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <algorithm>

namespace velmora {

namespace {

void copyText(const QTextDocument& from, int start, int end, QTextCursor& out)
{
    if (start >= end)
        return;
    QTextCursor range(const_cast<QTextDocument*>(&from));
    range.setPosition(start);
    range.setPosition(end, QTextCursor::KeepAnchor);
    out.insertFragment(QTextDocumentFragment(range));
}

// The rows of one table from first on that the range reaches, as a table of their own.
const rtf::TableRow* copyTable(const QTextDocument& from, const TableRows& rows,
                               const rtf::TableRow& first, int start, int end, QTextCursor& out)
{
    std::vector<const rtf::TableRow*> taken;
    std::size_t columns = 0;
    for (const rtf::TableRow* row = &first; row && row->start < end; row = rows.nextInTable(*row)) {
        taken.push_back(row);
        columns = std::max<std::size_t>(columns, row->cellCount);
    }
    QTextTableFormat format;
    format.setBorderCollapse(true);
    format.setCellPadding(2);
    QList<QTextLength> widths;
    for (const rtf::TableCell& cell : rows.cellsOf(first))
        widths.append(
            QTextLength(QTextLength::FixedLength, twipsToExactPixels(cell.right - cell.left)));
    format.setColumnWidthConstraints(widths);
    const bool bordered = std::any_of(taken.begin(), taken.end(), [&](const rtf::TableRow* row) {
        const auto cells = rows.cellsOf(*row);
        return std::any_of(cells.begin(), cells.end(), [](const rtf::TableCell& cell) {
            return cell.borders[rtf::TableCell::Top].kind != rtf::CellBorder::Kind::None;
        });
    });
    format.setBorder(bordered ? 1 : 0);
    QTextTable* table =
        out.insertTable(int(taken.size()), int(std::max<std::size_t>(columns, 1)), format);
    for (std::size_t r = 0; r < taken.size(); ++r) {
        const auto cells = rows.cellsOf(*taken[r]);
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const rtf::TableCell& cell = cells[c];
            QTextTableCell place = table->cellAt(int(r), int(c));
            if (cell.shading != rtf::CellBorder::kAutoColor) {
                QTextTableCellFormat shaded = place.format().toTableCellFormat();
                shaded.setBackground(QColor::fromRgb(cell.shading & 0xFFFFFFu));
                place.setFormat(shaded);
            }
            QTextCursor in = place.firstCursorPosition();
            copyText(from, std::max(cell.start, start), std::min(cell.end, end), in);
        }
        for (std::size_t c = 0; c < cells.size(); ++c) {
            std::size_t span = 1;
            while (c + span < cells.size() &&
                   cells[c + span].across == rtf::TableCell::Merge::Continued)
                ++span;
            if (span > 1)
                table->mergeCells(int(r), int(c), 1, int(span));
            c += span - 1;
        }
    }
    out.movePosition(QTextCursor::End);
    return taken.back();
}

} // namespace

void copyRange(const QTextDocument& from, const rtf::Model& model, int start, int end,
               QTextDocument& to)
{
    const TableRows rows(model);
    QTextCursor out(&to);
    for (int at = start; at < end;) {
        const rtf::TableRow* row = rows.rowFrom(at);
        if (!row || row->start >= end) {
            copyText(from, at, end, out);
            break;
        }
        if (row->start > at) {
            copyText(from, at, row->start, out);
            at = row->start;
            continue;
        }
        at = copyTable(from, rows, *row, at, end, out)->end + 1;
    }
}

} // namespace velmora
