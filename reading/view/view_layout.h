#pragma once
// The view's document layout: it lays out only the paragraphs that are drawn, hit or asked for,
// and estimates the height of every other one from its length and font. Qt's own layout lays a
// document out from the top in ever larger steps, and at a narrow width or a large text size a
// step grows past what the window can wait for; here the work follows what is shown, not the
// book's length. The view measures the rest in short slices while it is idle (measureSome), and
// a measured height replaces its estimate.
//
// Paragraph spacing is added as word processors add it (space after, then space before),
// not collapsed as in HTML, so each paragraph's height stands on its own.

#include "block_heights.h"
#include "picture_object.h"
#include "row_layout.h"
#include "table_rows.h"

#include <QAbstractTextDocumentLayout>
#include <QDeadlineTimer>
#include <QFont>
#include <QHash>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

class QTextBlock;
class QTextLayout;

namespace velmora {

class ViewLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit ViewLayout(QTextDocument* document);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    // Lays the block out if it is not, so callers can read its lines at once.
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // A place in the document that stays with its text while heights above it change.
    struct Anchor {
        std::size_t block = 0;
        double offset = 0; // from the block's top
    };
    Anchor anchorAt(double y) const;
    double yOf(Anchor anchor) const;

    // Lays out the paragraphs between top and bottom as a paint would, and tells the size at
    // once if it changed: a place read before the paint is then where the paint puts it.
    void layOutBetween(double top, double bottom);

    // Measures paragraphs still estimated, top down, until the deadline; false once none is left.
    bool measureSome(QDeadlineTimer deadline);

    // Where the view's top edge is. A paragraph wholly above it may be laid out outside
    // measureSome (the caret's place asked for, by its blink or a screen reader) and take
    // another height: the text under the reader then moves by that much, which the view takes
    // back (takeShiftAbove) when the size change reaches it. A new top drops what is not taken:
    // whoever placed the view reckoned with the heights as they are.
    void setViewTop(double y)
    {
        m_viewTop = y;
        m_shiftAbove = 0;
    }
    double takeShiftAbove() { return std::exchange(m_shiftAbove, 0.0); }
    bool allMeasured() const { return m_nextToMeasure >= m_state.size(); }
    // The book's pictures, whose heights the estimates count.
    void setPictures(const PictureObject* pictures) { m_pictures = pictures; }
    // The book's model, whose table rows are drawn as rows of cells; set before the document
    // is built.
    void setTables(const rtf::Model& model);

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    enum class State : uint8_t { Estimated, Measured, LaidOut };
    struct FontMetrics {
        double lineHeight = 0;
        double charWidth = 0;
    };

    // Lays block number index out at its current top and keeps its lines; returns the layout.
    QTextLayout* layOut(const QTextBlock& block, std::size_t index) const;
    // Lays the block's lines out in layout at top; returns the block's full height.
    double layOutLines(QTextLayout* layout, const QTextBlock& block, double top) const;
    double measure(const QTextBlock& block) const; // the block's full height
    double estimate(const QTextBlock& block) const;
    double estimateRow(const rtf::TableRow& row, const QTextBlock& block) const;
    // The table row that block heads and draws, or that block is a later paragraph of.
    const rtf::TableRow* rowHeadedBy(const QTextBlock& block) const;
    const rtf::TableRow* rowContinuedBy(const QTextBlock& block) const;
    // The head's row laid out at top, or nullptr when the row is drawn as plain text.
    RowLayout* layOutRow(const QTextBlock& head, const rtf::TableRow& row, double top) const;
    RowLayout* laidOutRow(const QTextBlock& head) const;
    QTextBlockFormat cellFormat(const rtf::TableCell& cell) const;
    PictureObject::Span picturesIn(const QTextBlock& block) const;
    const FontMetrics& metricsOf(int formatIndex) const;
    void keepLaidOut(std::size_t index) const;
    // Lets a paragraph's lines go; its measured height stays.
    void dropLines(std::size_t index) const;
    void reestimate(std::size_t first, std::size_t oldCount, std::size_t newCount);
    void reestimateAll();
    void sizeChanged() const;
    double textWidth() const;

    mutable BlockHeights m_heights;
    mutable std::vector<State> m_state;
    // Blocks whose lines are kept, oldest first; the others keep only their height, so memory
    // stays bounded whatever the book's length and width.
    mutable std::deque<std::size_t> m_kept;
    mutable QHash<int, FontMetrics> m_metrics;
    std::size_t m_nextToMeasure = 0;
    double m_width = -1;
    double m_margin = 0;
    QFont m_defaultFont;
    int m_wrapMode = -1;
    mutable bool m_sizeSignalQueued = false;
    mutable double m_viewTop = 0;
    mutable double m_shiftAbove = 0;
    const PictureObject* m_pictures = nullptr;
    const rtf::Model* m_model = nullptr;
    std::unique_ptr<TableRows> m_tables;
    // The rows whose lines are kept, by their heads' positions.
    mutable std::unordered_map<int, std::unique_ptr<RowLayout>> m_rows;
    mutable std::vector<std::optional<QTextBlockFormat>> m_cellFormats;
    RowLayout::CellFormat m_cellFormat; // cellFormat, as the rows ask for it
};

} // namespace velmora
