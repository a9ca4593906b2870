#include "view_layout.h"

#include "book_limits.h"
#include "document_converter.h"
#include "picture_object.h"
#include "twips.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

using limits::kKeptBlocks;
using limits::kLongestUnbreakable;
// Lines break at word ends, so a paragraph fills its lines less than its average character
// width promises; a tenth is about what Albanian prose loses.
constexpr double kWrapSlack = 1.1;
// An exact line height (\sl negative) puts the baseline at four fifths of the line, as word
// processors do.
constexpr double kExactBaseline = 0.8;
// How much of a line lies below the baseline, about, in the fonts of a book.
constexpr double kDescentShare = 0.2;

bool hasUnbreakableStretch(const QString& text)
{
    if (text.size() <= kLongestUnbreakable)
        return false;
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    qsizetype last = 0;
    for (qsizetype at = breaks.toNextBoundary(); at != -1; at = breaks.toNextBoundary()) {
        if (at - last > kLongestUnbreakable)
            return true;
        last = at;
    }
    return false;
}

} // namespace

ViewLayout::ViewLayout(QTextDocument* document) : QAbstractTextDocumentLayout(document) {}

void ViewLayout::setTables(const rtf::Model& model)
{
    m_model = &model;
    m_tables = std::make_unique<TableRows>(model);
    if (m_tables->empty())
        m_tables.reset();
    m_cellFormats.assign(model.paragraphFormats.size(), std::nullopt);
    m_cellFormat = [this](const rtf::TableCell& cell) { return cellFormat(cell); };
}

QTextBlockFormat ViewLayout::cellFormat(const rtf::TableCell& cell) const
{
    if (cell.paragraphFormat >= m_cellFormats.size())
        return {};
    std::optional<QTextBlockFormat>& slot = m_cellFormats[cell.paragraphFormat];
    if (!slot)
        slot = toTextBlockFormat(m_model->paragraphFormats[cell.paragraphFormat]);
    return *slot;
}

const rtf::TableRow* ViewLayout::rowHeadedBy(const QTextBlock& block) const
{
    if (!m_tables)
        return nullptr;
    const rtf::TableRow* row = m_tables->rowAt(block.position());
    return row && row->start == block.position() ? row : nullptr;
}

const rtf::TableRow* ViewLayout::rowContinuedBy(const QTextBlock& block) const
{
    if (!m_tables)
        return nullptr;
    const rtf::TableRow* row = m_tables->rowAt(block.position());
    if (!row || row->start >= block.position())
        return nullptr;
    // A row drawn as plain text draws its later paragraphs as plain text too.
    return RowLayout::blocksOf(*document(), *row) == RowLayout::Blocks::Shared ? nullptr : row;
}

RowLayout* ViewLayout::laidOutRow(const QTextBlock& head) const
{
    const auto found = m_rows.find(head.position());
    return found == m_rows.end() ? nullptr : found->second.get();
}

RowLayout* ViewLayout::layOutRow(const QTextBlock& head, const rtf::TableRow& row, double top) const
{
    if (const auto found = m_rows.find(head.position()); found != m_rows.end()) {
        found->second->clear();
        m_rows.erase(found);
    }
    auto laid = std::make_unique<RowLayout>(document(), *m_tables, row);
    if (!laid->isWhole())
        return nullptr;
    laid->layOut(top, textWidth(), m_margin, m_cellFormat);
    return m_rows.emplace(head.position(), std::move(laid)).first->second.get();
}

double ViewLayout::estimateRow(const rtf::TableRow& row, const QTextBlock& block) const
{
    const FontMetrics& metrics = metricsOf(block.charFormatIndex());
    const std::span<const rtf::TableCell> cells = m_tables->cellsOf(row);
    const std::vector<TableRows::Place> places = m_tables->placesOf(row, textWidth(), m_margin);
    double height = metrics.lineHeight;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const rtf::TableCell& cell = cells[i];
        const int end = i + 1 < cells.size() ? cells[i + 1].start : row.end;
        const double width = std::max(places[i].right - places[i].left -
                                          twipsToExactPixels(cell.padding[rtf::TableCell::Left] +
                                                             cell.padding[rtf::TableCell::Right]),
                                      metrics.charWidth);
        const double lines =
            std::max(1.0, std::ceil((end - cell.start) * metrics.charWidth * kWrapSlack / width));
        height = std::max(height, lines * metrics.lineHeight +
                                      twipsToExactPixels(cell.padding[rtf::TableCell::Top] +
                                                         cell.padding[rtf::TableCell::Bottom]));
    }
    if (row.height < 0)
        return twipsToExactPixels(-row.height);
    return std::max(height, twipsToExactPixels(row.height));
}

double ViewLayout::textWidth() const
{
    return std::max(document()->pageSize().width() - 2 * m_margin, 1.0);
}

QSizeF ViewLayout::documentSize() const
{
    return {std::max(document()->pageSize().width(), 0.0), m_heights.total() + 2 * m_margin};
}

QRectF ViewLayout::frameBoundingRect(QTextFrame* frame) const
{
    if (frame != document()->rootFrame())
        return {};
    return {QPointF(0, 0), documentSize()};
}

const ViewLayout::FontMetrics& ViewLayout::metricsOf(int formatIndex) const
{
    const auto found = m_metrics.constFind(formatIndex);
    if (found != m_metrics.constEnd())
        return *found;
    const QList<QTextFormat> formats = document()->allFormats();
    QFont font = m_defaultFont;
    if (formatIndex >= 0 && formatIndex < formats.size())
        font = formats[formatIndex].toCharFormat().font().resolve(m_defaultFont);
    const QFontMetricsF metrics(font);
    FontMetrics result;
    result.lineHeight = std::ceil(metrics.ascent() + metrics.descent() + metrics.leading());
    result.charWidth = std::max(metrics.averageCharWidth(), 1.0);
    return *m_metrics.insert(formatIndex, result);
}

PictureObject::Span ViewLayout::picturesIn(const QTextBlock& block) const
{
    if (!m_pictures)
        return {};
    return m_pictures->picturesIn(block.position(), block.position() + block.length());
}

double ViewLayout::estimate(const QTextBlock& block) const
{
    if (rowContinuedBy(block))
        return 0; // its row's head holds the row's height
    if (const rtf::TableRow* row = rowHeadedBy(block))
        return estimateRow(*row, block);
    const PictureObject::Span pictures = picturesIn(block);
    const QTextBlockFormat format = block.blockFormat();
    const FontMetrics& metrics = metricsOf(block.charFormatIndex());
    const double available =
        std::max(textWidth() - format.leftMargin() - format.rightMargin(), metrics.charWidth);
    const double characters = std::max(block.length() - 1 - pictures.count, 0);
    const double lines =
        std::max(1.0, std::ceil(characters * metrics.charWidth * kWrapSlack / available));
    // A picture takes a line of its own as tall as it is; a paragraph of pictures alone has only
    // their lines, each as deep below the baseline as its letters would reach.
    const double textHeight = characters > 0 ? lines * format.lineHeight(metrics.lineHeight, 1.0)
                                             : pictures.count * metrics.lineHeight * kDescentShare;
    return format.topMargin() + textHeight + pictures.height + format.bottomMargin();
}

double ViewLayout::layOutLines(QTextLayout* layout, const QTextBlock& block, double top) const
{
    const QTextBlockFormat format = block.blockFormat();
    QTextOption option = document()->defaultTextOption();
    const Qt::LayoutDirection direction = block.textDirection();
    option.setTextDirection(direction);
    option.setAlignment(QStyle::visualAlignment(direction, format.alignment()));
    if (format.nonBreakableLines())
        option.setWrapMode(QTextOption::ManualWrap);
    else if (hasUnbreakableStretch(block.text()))
        option.setWrapMode(QTextOption::WrapAnywhere);
    if (!format.tabPositions().isEmpty())
        option.setTabs(format.tabPositions());
    layout->setTextOption(option);
    layout->setPosition(QPointF(m_margin, top + format.topMargin()));

    const double width = textWidth();
    const bool exact = format.lineHeightType() == QTextBlockFormat::FixedHeight;
    // A picture stands on the baseline, and its line reaches below it as far as the paragraph's
    // letters do, as in a word processor, even where no letter stands beside it.
    const double pictureDescent =
        picturesIn(block).count > 0
            ? QFontMetricsF(block.charFormat().font().resolve(document()->defaultFont())).descent()
            : 0;
    double y = 0;
    layout->beginLayout();
    for (bool first = true;; first = false) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        // The first line's indent is at the paragraph's start: the right in a right-to-left one.
        const double indent = first ? format.textIndent() : 0;
        const bool rightToLeft = direction == Qt::RightToLeft;
        const double left = format.leftMargin() + (rightToLeft ? 0 : indent);
        const double right = format.rightMargin() + (rightToLeft ? indent : 0);
        line.setLineWidth(std::max(width - left - right, 0.0));
        double natural = std::ceil(line.ascent() + line.descent() + line.leading());
        if (pictureDescent > line.descent())
            natural = std::ceil(line.ascent() + pictureDescent + std::max(line.leading(), 0.0));
        const double advance = format.lineHeight(natural, 1.0);
        line.setPosition(QPointF(left, exact ? y + advance * kExactBaseline - line.ascent() : y));
        y += advance;
    }
    layout->endLayout();
    return format.topMargin() + y + format.bottomMargin();
}

double ViewLayout::measure(const QTextBlock& block) const
{
    if (rowContinuedBy(block))
        return 0;
    if (const rtf::TableRow* row = rowHeadedBy(block)) {
        RowLayout laid(document(), *m_tables, *row);
        if (laid.isWhole()) {
            const double height =
                laid.layOut(0, textWidth(), m_margin, m_cellFormat, RowLayout::Purpose::Measure);
            laid.clear();
            return height;
        }
    }
    // Pictures are sized only in the block's own layout, which asks the document's handlers; it
    // is let go of at once, as the scratch one below is.
    if (picturesIn(block).count > 0) {
        QTextLayout* own = block.layout();
        const double height = layOutLines(own, block, 0);
        own->clearLayout();
        return height;
    }
    // A layout of its own, gone once measured: the block's own layout would stay with the
    // block, and at a narrow width and a large size the lines of every paragraph of a long book
    // took hundreds of megabytes. The same text, formats and options give the same lines.
    const QFont font = document()->defaultFont();
    QTextLayout scratch(block.text(),
                        block.length() > 1 ? font : block.charFormat().font().resolve(font));
    scratch.setFormats(block.textFormats());
    return layOutLines(&scratch, block, 0);
}

QTextLayout* ViewLayout::layOut(const QTextBlock& block, std::size_t index) const
{
    const double top = m_margin + m_heights.top(index);
    QTextLayout* layout = block.layout();
    if (const rtf::TableRow* row = rowContinuedBy(block)) {
        // Laid out, and drawn, with the row's first paragraph.
        const QTextBlock head = document()->findBlock(row->start);
        if (head.position() == row->start)
            layOut(head, static_cast<std::size_t>(head.blockNumber()));
        return layout;
    }
    const rtf::TableRow* row = rowHeadedBy(block);
    if (m_state[index] == State::LaidOut) {
        if (RowLayout* laid = row ? laidOutRow(block) : nullptr)
            laid->moveTo(top);
        else
            layout->setPosition(QPointF(m_margin, top + block.blockFormat().topMargin()));
        return layout;
    }
    RowLayout* laid = row ? layOutRow(block, *row, top) : nullptr;
    const double height = laid ? laid->height() : layOutLines(layout, block, top);
    if (height != m_heights.height(index)) {
        if (top + m_heights.height(index) <= m_viewTop) {
            m_shiftAbove += height - m_heights.height(index);
            m_viewTop += height - m_heights.height(index);
        }
        m_heights.set(index, height);
        sizeChanged();
    }
    m_state[index] = State::LaidOut;
    keepLaidOut(index);
    return layout;
}

void ViewLayout::keepLaidOut(std::size_t index) const
{
    m_kept.push_back(index);
    while (m_kept.size() > kKeptBlocks) {
        dropLines(m_kept.front());
        m_kept.pop_front();
    }
}

void ViewLayout::dropLines(std::size_t index) const
{
    if (index < m_state.size() && m_state[index] == State::LaidOut) {
        const QTextBlock block = document()->findBlockByNumber(static_cast<int>(index));
        if (const auto found = m_rows.find(block.position()); found != m_rows.end()) {
            found->second->clear();
            m_rows.erase(found);
        } else {
            block.layout()->clearLayout();
        }
        m_state[index] = State::Measured;
    }
}

void ViewLayout::sizeChanged() const
{
    // Heights change while painting or answering a query; the scroll bars follow afterwards,
    // never from inside a paint.
    if (m_sizeSignalQueued)
        return;
    m_sizeSignalQueued = true;
    auto* self = const_cast<ViewLayout*>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
            self->m_sizeSignalQueued = false;
            emit self->documentSizeChanged(self->documentSize());
        },
        Qt::QueuedConnection);
}

void ViewLayout::draw(QPainter* painter, const PaintContext& context)
{
    if (m_state.empty())
        return;
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(QPointF(), documentSize());
    const QVariant cursorProperty = property("cursorWidth");
    const int cursorWidth = cursorProperty.isValid() ? cursorProperty.toInt() : 1;
    painter->setPen(context.palette.color(QPalette::Text));

    std::size_t index = m_heights.indexAt(clip.top() - m_margin);
    for (QTextBlock block = document()->findBlockByNumber(static_cast<int>(index));
         block.isValid() && index < m_state.size(); block = block.next(), ++index) {
        if (m_margin + m_heights.top(index) > clip.bottom())
            break;
        if (rowContinuedBy(block))
            continue; // drawn with its row
        QTextLayout* layout = layOut(block, index);
        if (RowLayout* row = rowHeadedBy(block) ? laidOutRow(block) : nullptr) {
            row->draw(painter, context, cursorWidth);
            continue;
        }
        const int start = block.position();
        const int end = start + block.length() - 1; // the paragraph end is not drawn
        QList<QTextLayout::FormatRange> selections;
        for (const Selection& selection : context.selections) {
            const int from = std::max(selection.cursor.selectionStart(), start);
            const int to = std::min(selection.cursor.selectionEnd(), end);
            if (from < to)
                selections.append({from - start, to - from, selection.format});
        }
        layout->draw(painter, QPointF(), selections, clip);
        if (context.cursorPosition >= start && context.cursorPosition <= end)
            layout->drawCursor(painter, QPointF(), context.cursorPosition - start, cursorWidth);
    }
}

int ViewLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    if (m_state.empty())
        return -1;
    // Laying a block out can change its height; look again until the block found holds the
    // point. Every pass lays out another block, so a few passes settle it.
    std::size_t index = m_heights.indexAt(point.y() - m_margin);
    QTextBlock block;
    QTextLayout* layout = nullptr;
    for (int pass = 0; pass < 16; ++pass) {
        block = document()->findBlockByNumber(static_cast<int>(index));
        layout = layOut(block, index);
        const std::size_t again = m_heights.indexAt(point.y() - m_margin);
        if (again == index)
            break;
        index = again;
    }
    if (RowLayout* row = rowHeadedBy(block) ? laidOutRow(block) : nullptr)
        return row->hitTest(point);
    const int lineCount = layout->lineCount();
    if (lineCount == 0)
        return accuracy == Qt::ExactHit ? -1 : block.position();
    const QPointF at = point - layout->position();
    QTextLine line = layout->lineAt(lineCount - 1);
    for (int i = 0; i < lineCount; ++i) {
        if (at.y() < layout->lineAt(i).y() + layout->lineAt(i).height()) {
            line = layout->lineAt(i);
            break;
        }
    }
    if (accuracy == Qt::ExactHit && !line.naturalTextRect().contains(at))
        return -1;
    return block.position() + line.xToCursor(at.x());
}

QRectF ViewLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (!block.isValid() || block.blockNumber() < 0)
        return {};
    const auto index = static_cast<std::size_t>(block.blockNumber());
    if (index >= m_state.size())
        return {};
    const QTextLayout* layout = layOut(block, index);
    const QTextBlockFormat format = block.blockFormat();
    const double linesHeight = m_heights.height(index) - format.topMargin() - format.bottomMargin();
    return {layout->position(), QSizeF(textWidth(), std::max(linesHeight, 0.0))};
}

ViewLayout::Anchor ViewLayout::anchorAt(double y) const
{
    const std::size_t index = m_heights.indexAt(y - m_margin);
    return {index, y - m_margin - m_heights.top(index)};
}

double ViewLayout::yOf(Anchor anchor) const
{
    return m_margin + m_heights.top(anchor.block) + anchor.offset;
}

void ViewLayout::layOutBetween(double top, double bottom)
{
    const double total = m_heights.total();
    std::size_t index = m_heights.indexAt(top - m_margin);
    for (QTextBlock block = document()->findBlockByNumber(static_cast<int>(index));
         block.isValid() && index < m_state.size() && m_margin + m_heights.top(index) <= bottom;
         block = block.next(), ++index)
        layOut(block, index);
    if (m_heights.total() != total)
        emit documentSizeChanged(documentSize());
}

bool ViewLayout::measureSome(QDeadlineTimer deadline)
{
    bool changed = false;
    while (m_nextToMeasure < m_state.size() && !deadline.hasExpired()) {
        const std::size_t index = m_nextToMeasure++;
        if (m_state[index] != State::Estimated)
            continue;
        const double height = measure(document()->findBlockByNumber(static_cast<int>(index)));
        m_state[index] = State::Measured;
        if (height != m_heights.height(index)) {
            m_heights.set(index, height);
            changed = true;
        }
    }
    if (changed)
        emit documentSizeChanged(documentSize());
    return !allMeasured();
}

void ViewLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    const QTextDocument* doc = document();
    const auto count = static_cast<std::size_t>(doc->blockCount());
    const double width = doc->pageSize().width();
    const int wrapMode = doc->defaultTextOption().wrapMode();
    if (width != m_width || doc->defaultFont() != m_defaultFont || wrapMode != m_wrapMode ||
        doc->documentMargin() != m_margin) {
        m_width = width;
        m_defaultFont = doc->defaultFont();
        m_wrapMode = wrapMode;
        m_margin = doc->documentMargin();
        reestimateAll();
        return;
    }
    // The view's height changed, or an option that does not move a line was set again.
    if (from == 0 && charsRemoved == 0 && charsAdded == doc->characterCount() &&
        count == m_state.size())
        return;

    const QTextBlock firstBlock = doc->findBlock(from);
    const QTextBlock lastBlock = doc->findBlock(from + charsAdded);
    const auto first = static_cast<std::size_t>(firstBlock.isValid() ? firstBlock.blockNumber()
                                                                     : doc->blockCount() - 1);
    const auto last = static_cast<std::size_t>(lastBlock.isValid() ? lastBlock.blockNumber()
                                                                   : doc->blockCount() - 1);
    const std::size_t newCount = last - std::min(first, last) + 1;
    // Blocks after the change are the old ones, moved by the difference in count.
    const std::ptrdiff_t added =
        static_cast<std::ptrdiff_t>(count) - static_cast<std::ptrdiff_t>(m_state.size());
    const std::ptrdiff_t oldCount =
        std::max<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(newCount) - added, 0);
    reestimate(first, static_cast<std::size_t>(oldCount), newCount);
}

void ViewLayout::reestimate(std::size_t first, std::size_t oldCount, std::size_t newCount)
{
    first = std::min(first, m_state.size());
    oldCount = std::min(oldCount, m_state.size() - first);
    const std::ptrdiff_t shift =
        static_cast<std::ptrdiff_t>(newCount) - static_cast<std::ptrdiff_t>(oldCount);

    std::deque<std::size_t> kept;
    for (const std::size_t index : m_kept) {
        if (index < first)
            kept.push_back(index);
        else if (index >= first + oldCount)
            kept.push_back(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(index) + shift));
    }
    m_kept = std::move(kept);
    // Rows changed, or built on, are laid out again; a row whose later paragraphs come only now
    // was laid out as plain text, or estimated without them.
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        const auto head = static_cast<std::size_t>(document()->findBlock(it->first).blockNumber());
        if (head >= first && head < first + oldCount) {
            it->second->clear();
            it = m_rows.erase(it);
        } else {
            ++it;
        }
    }
    if (const QTextBlock changed = document()->findBlockByNumber(static_cast<int>(first));
        changed.isValid()) {
        if (const rtf::TableRow* row = rowContinuedBy(changed)) {
            const QTextBlock head = document()->findBlock(row->start);
            const auto index = static_cast<std::size_t>(head.blockNumber());
            if (head.position() == row->start && index < first &&
                m_state[index] != State::Estimated) {
                dropLines(index);
                m_kept.erase(std::remove(m_kept.begin(), m_kept.end(), index), m_kept.end());
                m_state[index] = State::Estimated;
                m_heights.set(index, estimate(head));
                m_nextToMeasure = std::min(m_nextToMeasure, index);
            }
        }
    }

    std::vector<double> heights;
    heights.reserve(newCount);
    QTextBlock block = document()->findBlockByNumber(static_cast<int>(first));
    for (std::size_t i = 0; i < newCount && block.isValid(); ++i, block = block.next())
        heights.push_back(estimate(block));
    newCount = heights.size();
    m_heights.splice(first, oldCount, heights);
    const auto at = m_state.begin() + static_cast<std::ptrdiff_t>(first);
    m_state.erase(at, at + static_cast<std::ptrdiff_t>(oldCount));
    m_state.insert(m_state.begin() + static_cast<std::ptrdiff_t>(first), newCount,
                   State::Estimated);
    m_nextToMeasure = std::min(m_nextToMeasure, first);
    emit documentSizeChanged(documentSize());
    // Nothing above the first block moved: a book built at its end repaints nothing on screen.
    emit update(QRectF(0, m_margin + m_heights.top(first), 1e9, 1e9));
}

void ViewLayout::reestimateAll()
{
    m_shiftAbove = 0; // every height is new: the view keeps its line by itself (a new width)
    for (const std::size_t index : m_kept)
        dropLines(index);
    m_kept.clear();
    m_metrics.clear();
    m_state.clear();
    m_heights.assign({});
    m_nextToMeasure = 0;
    reestimate(0, 0, static_cast<std::size_t>(document()->blockCount()));
}

} // namespace velmora
