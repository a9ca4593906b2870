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

bool RowLayout::isWhole() const
{
    if (m_document->characterCount() <= m_row.end + 1)
        return false;
    const QTextBlock first = m_document->findBlock(m_row.start);
    const QTextBlock last = m_document->findBlock(m_row.end);
    return first.isValid() && first.position() == m_row.start && last.isValid() &&
           last.position() + last.length() - 1 == m_row.end;
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
    m_origin = margin;
    const std::span<const rtf::TableCell> cells = m_rows.cellsOf(m_row);
    m_places = m_rows.placesOf(m_row, width, margin);
    m_cells.assign(cells.size(), {});

    QTextBlock block;
    QTextLayout* open = nullptr;
    const auto close = [&open] {
        if (open)
            open->endLayout();
        open = nullptr;
    };
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const rtf::TableCell& cell = cells[i];
        const std::size_t ownerIndex = m_places[i].owner;
        const rtf::TableCell& ownerCell = cells[ownerIndex];
        Cell& owner = m_cells[ownerIndex];
        const double left = margin + m_places[ownerIndex].left + padding(ownerCell, Side::Left);
        const double textWidth =
            std::max(m_places[ownerIndex].right - m_places[ownerIndex].left -
                         padding(ownerCell, Side::Left) - padding(ownerCell, Side::Right),
                     1.0);
        double y = i == ownerIndex ? padding(ownerCell, Side::Top) : owner.contentHeight;
        const std::size_t linesBefore = owner.lines.size();
        const int to = i + 1 < cells.size() ? cells[i + 1].start : m_row.end + 1;
        for (int pos = cell.start; pos < to;) {
            if (!block.isValid() || pos >= block.position() + block.length()) {
                close();
                block = m_document->findBlock(pos);
                if (!block.isValid())
                    break;
                if (purpose == Purpose::Measure) {
                    const QFont font = m_document->defaultFont();
                    m_scratch.push_back(std::make_unique<QTextLayout>(
                        block.text(),
                        block.length() > 1 ? font : block.charFormat().font().resolve(font)));
                    m_scratch.back()->setFormats(block.textFormats());
                    open = m_scratch.back().get();
                } else {
                    open = block.layout();
                }
                QTextOption option = m_document->defaultTextOption();
                option.setTextDirection(block.textDirection());
                option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); // each line placed here
                option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
                open->setTextOption(option);
                open->setPosition(QPointF(0, top));
                open->beginLayout();
                m_paragraphs.push_back({open, block.position(), block.length() - 1});
            }
            const int blockStart = block.position();
            const int blockEnd = blockStart + block.length() - 1; // where its paragraph end is
            // The cell's paragraph that \cell ended has the cell's format; the others their own.
            const bool endsCell = cell.end >= pos && cell.end <= blockEnd;
            const QTextBlockFormat format = endsCell ? cellFormat(cell) : block.blockFormat();
            const int limit = std::min(to, blockEnd) - blockStart;
            const int separator = cell.end < to ? cell.end - blockStart : -1;
            const bool rightToLeft = block.textDirection() == Qt::RightToLeft;
            y += format.topMargin();
            for (int at = pos - blockStart; at < limit;) {
                QTextLine line = open->createLine();
                if (!line.isValid())
                    break;
                line.setLeadingIncluded(true);
                const double indent = at == pos - blockStart ? format.textIndent() : 0;
                const double lineLeft = format.leftMargin() + (rightToLeft ? 0 : indent);
                const double lineRight = format.rightMargin() + (rightToLeft ? indent : 0);
                const double available = std::max(textWidth - lineLeft - lineRight, 1.0);
                line.setLineWidth(available);
                if (line.textStart() + line.textLength() > limit)
                    line.setNumColumns(limit - line.textStart(), available);
                const int lineEnd = line.textStart() + line.textLength();
                const bool holdsSeparator = separator >= line.textStart() && separator < lineEnd;
                if (holdsSeparator && lineEnd - line.textStart() == 1 &&
                    owner.lines.size() > linesBefore) {
                    // The separator alone after the cell's last line stands at that line's end.
                    const Line& before = owner.lines.back();
                    const QTextLine last =
                        m_paragraphs[before.paragraph].layout->lineAt(before.index);
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
                    y += format.lineHeight(
                        std::ceil(line.ascent() + line.descent() + line.leading()), 1.0);
                }
                owner.lines.push_back({m_paragraphs.size() - 1, line.lineNumber()});
                at = lineEnd;
            }
            y += format.bottomMargin();
            pos = to <= blockEnd ? to : blockEnd + 1;
        }
        if (i == ownerIndex && owner.lines.empty() && block.isValid()) // an empty cell's one line
            y += QFontMetricsF(block.charFormat().font()).height();
        owner.contentHeight = y;
    }
    close();

    m_height = 1;
    for (std::size_t i = 0; i < cells.size(); ++i)
        if (m_places[i].owner == i)
            m_height = std::max(
                m_height, std::ceil(m_cells[i].contentHeight + padding(cells[i], Side::Bottom)));
    if (m_row.height > 0)
        m_height = std::max(m_height, twipsToExactPixels(m_row.height));
    else if (m_row.height < 0)
        m_height = std::max(twipsToExactPixels(-m_row.height), 1.0);
    for (std::size_t i = 0; i < cells.size(); ++i)
        m_cells[i].box =
            QRectF(margin + m_places[m_places[i].owner].left, top,
                   m_places[m_places[i].owner].right - m_places[m_places[i].owner].left, m_height);
    alignVertically();
    return m_height;
}

void RowLayout::alignVertically()
{
    const std::span<const rtf::TableCell> cells = m_rows.cellsOf(m_row);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (m_places[i].owner != i || cells[i].verticalAlign == rtf::TableCell::VerticalAlign::Top)
            continue;
        const double room =
            std::max(m_height - m_cells[i].contentHeight - padding(cells[i], Side::Bottom), 0.0);
        const double shift =
            cells[i].verticalAlign == rtf::TableCell::VerticalAlign::Center ? room / 2 : room;
        for (const Line& line : m_cells[i].lines) {
            QTextLine placed = m_paragraphs[line.paragraph].layout->lineAt(line.index);
            placed.setPosition(placed.position() + QPointF(0, shift));
        }
    }
}

void RowLayout::draw(QPainter* painter, const QAbstractTextDocumentLayout::PaintContext& context,
                     int cursorWidth) const
{
    const std::span<const rtf::TableCell> cells = m_rows.cellsOf(m_row);
    painter->save();
    if (m_row.height < 0 && !m_cells.empty()) {
        QRectF row = m_cells.front().box;
        for (const Cell& cell : m_cells)
            row = row.united(cell.box);
        painter->setClipRect(row, Qt::IntersectClip);
    }
    const DevicePixels pixels(painter);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (m_places[i].owner != i || cells[i].shading == rtf::CellBorder::kAutoColor)
            continue;
        const QRectF box = m_cells[i].box;
        painter->fillRect(QRectF(QPointF(pixels.x(box.left()), pixels.y(box.top())),
                                 QPointF(pixels.x(box.right()), pixels.y(box.bottom()))),
                          QColor::fromRgb(cells[i].shading & 0xFFFFFFu));
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
    const std::span<const rtf::TableCell> cells = m_rows.cellsOf(m_row);
    const rtf::TableRow* below = m_rows.nextInTable(m_row);
    // A cell merged into the one above goes on through the line between them.
    const auto continuesBelow = [&](const rtf::TableCell& cell) {
        if (!below)
            return false;
        for (const rtf::TableCell& next : m_rows.cellsOf(*below))
            if (next.left == cell.left && next.right == cell.right)
                return next.down == rtf::TableCell::Merge::Continued;
        return false;
    };
    const DevicePixels pixels(painter);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (m_places[i].owner != i)
            continue;
        const rtf::TableCell& cell = cells[i];
        const QRectF box = m_cells[i].box;
        // The last cell merged into this one closes the box at the right.
        std::size_t last = i;
        while (last + 1 < cells.size() && m_places[last + 1].owner == i)
            ++last;
        const bool mirrored = m_row.rightToLeft;
        const rtf::CellBorder& leftBorder =
            mirrored ? cells[last].borders[Side::Right] : cell.borders[Side::Left];
        const rtf::CellBorder& rightBorder =
            mirrored ? cell.borders[Side::Left] : cells[last].borders[Side::Right];
        if (cell.down != rtf::TableCell::Merge::Continued)
            drawBorder(painter, pixels, cell.borders[Side::Top], true, box.left(), box.right(),
                       box.top());
        if (!continuesBelow(cell))
            drawBorder(painter, pixels, cell.borders[Side::Bottom], true, box.left(), box.right(),
                       box.bottom());
        drawBorder(painter, pixels, leftBorder, false, box.top(), box.bottom(), box.left());
        drawBorder(painter, pixels, rightBorder, false, box.top(), box.bottom(), box.right());
    }
}

int RowLayout::hitTest(const QPointF& point) const
{
    const std::span<const rtf::TableCell> cells = m_rows.cellsOf(m_row);
    std::size_t nearest = 0;
    double distance = -1;
    for (std::size_t i = 0; i < m_cells.size(); ++i) {
        if (m_places[i].owner != i)
            continue;
        const QRectF& box = m_cells[i].box;
        const double away = point.x() < box.left()    ? box.left() - point.x()
                            : point.x() > box.right() ? point.x() - box.right()
                                                      : 0;
        if (distance < 0 || away < distance) {
            distance = away;
            nearest = i;
        }
    }
    if (m_cells.empty())
        return m_row.start;
    const std::vector<Line>& lines = m_cells[nearest].lines;
    if (lines.empty())
        return cells[nearest].start;
    const Line* hit = &lines.back();
    for (const Line& line : lines) {
        const QTextLine placed = m_paragraphs[line.paragraph].layout->lineAt(line.index);
        if (point.y() < m_top + placed.y() + placed.height()) {
            hit = &line;
            break;
        }
    }
    const Paragraph& paragraph = m_paragraphs[hit->paragraph];
    return paragraph.position + paragraph.layout->lineAt(hit->index).xToCursor(point.x());
}

} // namespace velmora
