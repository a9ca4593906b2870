#include "row_layout.h"

#include "twips.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

using Side = rtf::TableCell::Side;
using Kind = rtf::CellBorder::Kind;

double padding(const rtf::TableCell& cell, Side side)
{
    return twipsToExactPixels(cell.padding[side]);
}

// Lines are drawn on whole device pixels: a border as wide as the file says, at least one
// device pixel, never blurred across two.
class DevicePixels {
public:
    explicit DevicePixels(const QPainter* painter)
        : m_ratio(painter->device()->devicePixelRatioF()), m_dx(painter->worldTransform().dx()),
          m_dy(painter->worldTransform().dy())
    {
    }
    double x(double at) const { return std::round((at + m_dx) * m_ratio) / m_ratio - m_dx; }
    double y(double at) const { return std::round((at + m_dy) * m_ratio) / m_ratio - m_dy; }
    double pixel() const { return 1 / m_ratio; }
    int widthOf(const rtf::CellBorder& border) const
    {
        if (border.kind == Kind::Hairline)
            return 1;
        const double width =
            twipsToExactPixels(border.width) * (border.kind == Kind::Thick ? 2 : 1);
        return std::max(1, int(std::lround(width * m_ratio)));
    }

private:
    double m_ratio;
    double m_dx;
    double m_dy;
};

// A border along from..to (device-snapped), the line's middle at across.
void drawBorder(QPainter* painter, const DevicePixels& pixels, const rtf::CellBorder& border,
                bool horizontal, double from, double to, double across)
{
    if (border.kind == Kind::None)
        return;
    const QColor color = border.color == rtf::CellBorder::kAutoColor
                             ? QColor(Qt::black)
                             : QColor::fromRgb(border.color & 0xFFFFFFu);
    const int width = pixels.widthOf(border);
    const double pixel = pixels.pixel();
    const double thickness = width * pixel;
    const double start = horizontal ? pixels.y(across) : pixels.x(across);
    const double first = (horizontal ? pixels.x(from) : pixels.y(from));
    const double length = (horizontal ? pixels.x(to) : pixels.y(to)) - first + thickness;
    const auto band = [&](double offset, double along, double extent) {
        const double at = start - (width / 2) * pixel + offset;
        painter->fillRect(horizontal ? QRectF(first + along, at, extent, thickness)
                                     : QRectF(at, first + along, thickness, extent),
                          color);
    };
    if (border.kind == Kind::Double) {
        band(-thickness, 0, length);
        band(thickness, 0, length);
        return;
    }
    if (border.kind == Kind::Dotted || border.kind == Kind::Dashed) {
        const double on = (border.kind == Kind::Dotted ? 1 : 3) * thickness;
        const double off = (border.kind == Kind::Dotted ? 1 : 2) * thickness;
        for (double along = 0; along < length; along += on + off)
            band(0, along, std::min(on, length - along));
        return;
    }
    band(0, 0, length);
}

} // namespace

RowLayout::RowLayout(const QTextDocument* document, const TableRows& rows, const rtf::TableRow& row)
    : m_document(document), m_rows(rows), m_row(row)
{
}

RowLayout::Blocks RowLayout::blocksOf(const QTextDocument& document, const rtf::TableRow& row)
{
    // Past half a million blocks, paragraphs share blocks (DocumentConverter).
    const QTextBlock first = document.findBlock(row.start);
    if (first.isValid() && first.position() != row.start)
        return Blocks::Shared;
    if (!first.isValid() || document.characterCount() <= row.end + 1)
        return Blocks::NotBuilt;
    const QTextBlock last = document.findBlock(row.end);
    return last.isValid() && last.position() + last.length() - 1 == row.end ? Blocks::Own
                                                                            : Blocks::Shared;
}

bool RowLayout::isWhole() const
{
    return blocksOf(*m_document, m_row) == Blocks::Own;
}

void RowLayout::clear()
{
    for (const Paragraph& paragraph : m_paragraphs)
        paragraph.layout->clearLayout();
    m_paragraphs.clear();
    m_scratch.clear();
    m_cells.clear();
}

void RowLayout::moveTo(double top)
{
    if (top == m_top)
        return;
    for (const Paragraph& paragraph : m_paragraphs)
        paragraph.layout->setPosition(QPointF(0, top));
    for (Cell& cell : m_cells)
        cell.box.translate(0, top - m_top);
    m_top = top;
}

double RowLayout::layOut(double top, double width, double margin, const CellFormat& cellFormat,
                         Purpose purpose)
{
    clear();
    m_top = top;
    Flow flow;
    flow.purpose = purpose;
    flow.cellFormat = &cellFormat;
    m_height = layOutRow(m_row, margin, width, margin, 0, flow);
    if (flow.open)
        flow.open->endLayout();
    return m_height;
}

void RowLayout::openParagraph(int position, int cellStart, int cellEnd, Flow& flow)
{
    if (flow.open)
        flow.open->endLayout();
    flow.open = nullptr;
    flow.block = m_document->findBlock(position);
    if (!flow.block.isValid())
        return;
    const QTextBlock& block = flow.block;
    if (flow.purpose == Purpose::Measure) {
        const QFont font = m_document->defaultFont();
        m_scratch.push_back(std::make_unique<QTextLayout>(
            block.text(), block.length() > 1 ? font : block.charFormat().font().resolve(font)));
        m_scratch.back()->setFormats(block.textFormats());
        flow.open = m_scratch.back().get();
    } else {
        flow.open = block.layout();
    }
    QTextOption option = m_document->defaultTextOption();
    option.setTextDirection(block.textDirection());
    // Each line is placed here. A justified paragraph wholly in one cell is justified by Qt,
    // which leaves its last line; where a paragraph holds several cells, each cell's last line
    // would be stretched too, and it stays flush left.
    const int blockEnd = block.position() + block.length() - 1;
    const bool justified = block.blockFormat().alignment() & Qt::AlignJustify;
    option.setAlignment(justified && block.position() >= cellStart && blockEnd < cellEnd
                            ? Qt::AlignJustify
                            : Qt::AlignLeft | Qt::AlignAbsolute);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    flow.open->setTextOption(option);
    flow.open->setPosition(QPointF(0, m_top));
    flow.open->beginLayout();
    m_paragraphs.push_back({flow.open, block.position(), block.length() - 1});
}

double RowLayout::layOutRow(const rtf::TableRow& row, double left, double width, double margin,
                            double y, Flow& flow)
{
    const std::span<const rtf::TableCell> cells = m_rows.cellsOf(row);
    const std::vector<TableRows::Place> places = m_rows.placesOf(row, width, margin);
    // Each drawn cell once, in this row's order; the cells merged into it point to it.
    const std::size_t first = m_cells.size();
    std::vector<std::size_t> drawnAs(cells.size());
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (places[i].owner == i) {
            Cell cell;
            cell.row = &row;
            cell.index = cell.last = i;
            cell.box =
                QRectF(left + places[i].left, m_top + y, places[i].right - places[i].left, 0);
            m_cells.push_back(cell);
        } else {
            m_cells[drawnAs[places[i].owner]].last = i;
        }
        drawnAs[i] = places[i].owner == i ? m_cells.size() - 1 : drawnAs[places[i].owner];
    }
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const std::size_t drawn = drawnAs[i];
        const rtf::TableCell& owner = cells[m_cells[drawn].index];
        const double textLeft = m_cells[drawn].box.left() + padding(owner, Side::Left);
        const double textWidth = std::max(m_cells[drawn].box.width() - padding(owner, Side::Left) -
                                              padding(owner, Side::Right),
                                          1.0);
        double at =
            places[i].owner == i ? y + padding(owner, Side::Top) : m_cells[drawn].contentHeight;
        const int to = i + 1 < cells.size() ? cells[i + 1].start : row.end + 1;
        layOutText(drawn, cells[i], cells[i].start, to, textLeft, textWidth, at, flow);
        m_cells[drawn].contentHeight = at;
    }

    for (std::size_t c = first; c < m_cells.size(); ++c) {
        Cell& cell = m_cells[c];
        // An empty cell is one line tall.
        if (cell.row == &row && cell.lines.empty() && !cell.holdsRows) {
            const QTextBlock block = m_document->findBlock(cells[cell.index].start);
            if (block.isValid())
                cell.contentHeight += QFontMetricsF(block.charFormat().font()).height();
        }
    }
    double height = 1;
    for (std::size_t c = first; c < m_cells.size(); ++c)
        if (m_cells[c].row == &row)
            height = std::max(height, std::ceil(m_cells[c].contentHeight - y +
                                                padding(cells[m_cells[c].index], Side::Bottom)));
    if (row.height > 0)
        height = std::max(height, twipsToExactPixels(row.height));
    else if (row.height < 0)
        height = std::max(twipsToExactPixels(-row.height), 1.0);
    for (std::size_t c = first; c < m_cells.size(); ++c)
        if (m_cells[c].row == &row)
            m_cells[c].box.setHeight(height);
    alignVertically(row, first, height);
    return height;
}

// The text of one cell from from to to (its separator included), below y, which it moves on.
void RowLayout::layOutText(std::size_t drawn, const rtf::TableCell& cell, int from, int to,
                           double left, double width, double& y, Flow& flow)
{
    const std::size_t linesBefore = m_cells[drawn].lines.size();
    const rtf::TableRow& row = *m_cells[drawn].row;
    for (int pos = from; pos < to;) {
        // A row nested in the cell, whole within it, is laid out in its place.
        if (row.level < rtf::kMaxTableLevel) {
            if (const rtf::TableRow* inner = m_rows.rowStartingAt(pos, row.level + 1);
                inner && inner->end < to) {
                y += layOutRow(*inner, left, width, 0, y, flow);
                m_cells[drawn].holdsRows = true;
                pos = inner->end + 1;
                continue;
            }
        }
        if (!flow.block.isValid() || pos >= flow.block.position() + flow.block.length())
            openParagraph(pos, from, to, flow);
        if (!flow.open)
            break;
        const QTextBlock& block = flow.block;
        QTextLayout* layout = flow.open;
        const int blockStart = block.position();
        const int blockEnd = blockStart + block.length() - 1; // where its paragraph end is
        // The cell's paragraph that \cell ended has the cell's format; the others their own.
        const bool endsCell = cell.end >= pos && cell.end <= blockEnd;
        const QTextBlockFormat format = endsCell ? (*flow.cellFormat)(cell) : block.blockFormat();
        const int limit = std::min(to, blockEnd) - blockStart;
        const int separator = cell.end < to ? cell.end - blockStart : -1;
        const bool rightToLeft = block.textDirection() == Qt::RightToLeft;
        y += format.topMargin();
        // An empty paragraph of the cell, ended by its own paragraph end, is a line.
        const bool emptyParagraph = block.length() == 1 && to > blockEnd;
        for (int at = pos - blockStart; at < limit || (emptyParagraph && at == 0 && limit == 0);) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            line.setLeadingIncluded(true);
            const double indent = at == pos - blockStart ? format.textIndent() : 0;
            const double lineLeft = format.leftMargin() + (rightToLeft ? 0 : indent);
            const double lineRight = format.rightMargin() + (rightToLeft ? indent : 0);
            const double available = std::max(width - lineLeft - lineRight, 1.0);
            line.setLineWidth(available);
            if (line.textStart() + line.textLength() > limit)
                line.setNumColumns(limit - line.textStart(), available);
            const int lineEnd = line.textStart() + line.textLength();
            const bool holdsSeparator = separator >= line.textStart() && separator < lineEnd;
            std::vector<Line>& lines = m_cells[drawn].lines;
            if (holdsSeparator && lineEnd - line.textStart() == 1 && lines.size() > linesBefore) {
                // The separator alone after the cell's last line stands at that line's end.
                const QTextLine last =
                    m_paragraphs[lines.back().paragraph].layout->lineAt(lines.back().index);
                line.setPosition(QPointF(last.x() + last.naturalTextWidth(), last.y()));
            } else {
                const double used = holdsSeparator && !rightToLeft ? line.cursorToX(separator)
                                                                   : line.naturalTextWidth();
                double offset = 0;
                if (format.alignment() & Qt::AlignRight)
                    offset = std::max(available - used, 0.0);
                else if (format.alignment() & Qt::AlignHCenter)
                    offset = std::max(available - used, 0.0) / 2;
                line.setPosition(QPointF(left + lineLeft + offset, y));
                y += format.lineHeight(std::ceil(line.ascent() + line.descent() + line.leading()),
                                       1.0);
            }
            lines.push_back({m_paragraphs.size() - 1, line.lineNumber()});
            at = std::max(lineEnd, at + 1);
        }
        y += format.bottomMargin();
        pos = to <= blockEnd ? to : blockEnd + 1;
    }
}

void RowLayout::alignVertically(const rtf::TableRow& row, std::size_t firstCell, double height)
{
    for (std::size_t c = firstCell; c < m_cells.size(); ++c) {
        Cell& cell = m_cells[c];
        const rtf::TableCell& model = m_rows.cellsOf(*cell.row)[cell.index];
        // The cells of rows nested in this one's cells have their own row's height.
        if (cell.row != &row || model.verticalAlign == rtf::TableCell::VerticalAlign::Top ||
            cell.holdsRows)
            continue;
        const double bottom = cell.contentHeight - (cell.box.top() - m_top);
        const double room = std::max(height - bottom - padding(model, Side::Bottom), 0.0);
        const double shift =
            model.verticalAlign == rtf::TableCell::VerticalAlign::Center ? room / 2 : room;
        for (const Line& line : cell.lines) {
            QTextLine placed = m_paragraphs[line.paragraph].layout->lineAt(line.index);
            placed.setPosition(placed.position() + QPointF(0, shift));
        }
    }
}

void RowLayout::draw(QPainter* painter, const QAbstractTextDocumentLayout::PaintContext& context,
                     int cursorWidth) const
{
    painter->save();
    if (m_row.height < 0 && !m_cells.empty()) {
        QRectF row = m_cells.front().box;
        for (const Cell& cell : m_cells)
            row = row.united(cell.box);
        painter->setClipRect(row, Qt::IntersectClip);
    }
    const DevicePixels pixels(painter);
    for (const Cell& cell : m_cells) {
        const uint32_t shading = m_rows.cellsOf(*cell.row)[cell.index].shading;
        if (shading == rtf::CellBorder::kAutoColor)
            continue;
        const QRectF box = cell.box;
        painter->fillRect(QRectF(QPointF(pixels.x(box.left()), pixels.y(box.top())),
                                 QPointF(pixels.x(box.right()), pixels.y(box.bottom()))),
                          QColor::fromRgb(shading & 0xFFFFFFu));
    }
    const QRectF clip = context.clip;
    for (const Paragraph& paragraph : m_paragraphs) {
        const int start = paragraph.position;
        const int end = start + paragraph.length;
        QList<QTextLayout::FormatRange> selections;
        for (const QAbstractTextDocumentLayout::Selection& selection : context.selections) {
            const int from = std::max(selection.cursor.selectionStart(), start);
            const int to = std::min(selection.cursor.selectionEnd(), end);
            if (from < to)
                selections.append({from - start, to - from, selection.format});
        }
        paragraph.layout->draw(painter, QPointF(), selections, clip);
        if (context.cursorPosition >= start && context.cursorPosition <= end)
            paragraph.layout->drawCursor(painter, QPointF(), context.cursorPosition - start,
                                         cursorWidth);
    }
    drawBorders(painter);
    painter->restore();
}

void RowLayout::drawBorders(QPainter* painter) const
{
    const DevicePixels pixels(painter);
    for (const Cell& drawn : m_cells) {
        const std::span<const rtf::TableCell> cells = m_rows.cellsOf(*drawn.row);
        const rtf::TableCell& cell = cells[drawn.index];
        const rtf::TableRow* below = m_rows.nextInTable(*drawn.row);
        // A cell merged into the one above goes on through the line between them.
        bool continuesBelow = false;
        if (below)
            for (const rtf::TableCell& next : m_rows.cellsOf(*below))
                if (next.left == cell.left && next.right == cell.right)
                    continuesBelow = next.down == rtf::TableCell::Merge::Continued;
        const QRectF box = drawn.box;
        const bool mirrored = drawn.row->rightToLeft;
        const rtf::CellBorder& leftBorder =
            mirrored ? cells[drawn.last].borders[Side::Right] : cell.borders[Side::Left];
        const rtf::CellBorder& rightBorder =
            mirrored ? cell.borders[Side::Left] : cells[drawn.last].borders[Side::Right];
        if (cell.down != rtf::TableCell::Merge::Continued)
            drawBorder(painter, pixels, cell.borders[Side::Top], true, box.left(), box.right(),
                       box.top());
        if (!continuesBelow)
            drawBorder(painter, pixels, cell.borders[Side::Bottom], true, box.left(), box.right(),
                       box.bottom());
        drawBorder(painter, pixels, leftBorder, false, box.top(), box.bottom(), box.left());
        drawBorder(painter, pixels, rightBorder, false, box.top(), box.bottom(), box.right());
    }
}

int RowLayout::hitTest(const QPointF& point) const
{
    // The innermost cell under the point that holds text, else the nearest of the row's own.
    const Cell* hit = nullptr;
    for (const Cell& cell : m_cells)
        if (!cell.lines.empty() && cell.box.left() <= point.x() && point.x() <= cell.box.right() &&
            cell.box.top() <= point.y() && point.y() <= cell.box.bottom())
            hit = &cell;
    double distance = -1;
    for (const Cell& cell : m_cells) {
        if (hit)
            break;
        if (cell.row != &m_row)
            continue;
        const QRectF& box = cell.box;
        const double away = point.x() < box.left()    ? box.left() - point.x()
                            : point.x() > box.right() ? point.x() - box.right()
                                                      : 0;
        if (distance < 0 || away < distance) {
            distance = away;
            hit = &cell;
        }
    }
    if (!hit)
        return m_row.start;
    if (hit->lines.empty())
        return m_rows.cellsOf(*hit->row)[hit->index].start;
    const Line* line = &hit->lines.back();
    for (const Line& candidate : hit->lines) {
        const QTextLine placed = m_paragraphs[candidate.paragraph].layout->lineAt(candidate.index);
        if (point.y() < m_top + placed.y() + placed.height()) {
            line = &candidate;
            break;
        }
    }
    const Paragraph& paragraph = m_paragraphs[line->paragraph];
    return paragraph.position + paragraph.layout->lineAt(line->index).xToCursor(point.x());
}

} // namespace velmora
