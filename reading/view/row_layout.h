#pragma once
// One table row of the view, laid out in the layouts of its own paragraphs: each paragraph's
// QTextLayout gets lines as wide as the cell they stand in, placed in that cell, so the
// document, its positions, the selection and the caret stay what they are for any paragraph.
// A cell's text ends at its separator (a tab, or the row's paragraph end), where its last line
// is cut short.

#include "table_rows.h"

#include <QAbstractTextDocumentLayout>
#include <QRectF>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QTextDocument;
class QTextLayout;

namespace velmora {

class RowLayout {
public:
    // The block format of a cell's last paragraph, which the document does not hold for a row
    // drawn as one paragraph.
    using CellFormat = std::function<QTextBlockFormat(const rtf::TableCell&)>;

    RowLayout(const QTextDocument* document, const TableRows& rows, const rtf::TableRow& row);

    // Whether the document holds the row as paragraphs of its own, the row starting and ending
    // a block, or not yet built to its end. A row in shared blocks is drawn as plain text.
    enum class Blocks : uint8_t { Own, Shared, NotBuilt };
    static Blocks blocksOf(const QTextDocument& document, const rtf::TableRow& row);
    bool isWhole() const;
    // Lays the row out with its top at top; returns its height. Only measured, it is laid out in
    // layouts of its own, gone with it: a block's own layout stays with the block, and those of
    // every paragraph of a long book of tables took tens of megabytes.
    enum class Purpose : uint8_t { Show, Measure };
    double layOut(double top, double width, double margin, const CellFormat& cellFormat,
                  Purpose purpose = Purpose::Show);
    // Lets the lines of the row's paragraphs go.
    void clear();
    // The row moved with the heights above it: its lines and boxes follow.
    void moveTo(double top);
    double height() const { return m_height; }

    void draw(QPainter* painter, const QAbstractTextDocumentLayout::PaintContext& context,
              int cursorWidth) const;
    int hitTest(const QPointF& point) const;

private:
    struct Line {
        std::size_t paragraph = 0; // in m_paragraphs
        int index = 0;
    };
    struct Paragraph {
        QTextLayout* layout = nullptr;
        int position = 0; // of its block
        int length = 0;   // its text's, without the paragraph end
    };
    // A cell as drawn: a cell merged across is part of the one it is merged into.
    struct Cell {
        const rtf::TableRow* row = nullptr;
        std::size_t index = 0; // among its row's cells
        std::size_t last = 0;  // the last cell merged into it
        QRectF box;            // in document coordinates
        double contentHeight = 0;
        bool holdsRows = false; // a nested row stands in it
        std::vector<Line> lines;
    };
    // Where the laying out is in the document: the paragraph whose lines are being made.
    struct Flow {
        QTextBlock block;
        QTextLayout* open = nullptr;
        Purpose purpose = Purpose::Show;
        const CellFormat* cellFormat = nullptr;
    };
    // Lays out row with its text's left edge at left and width to fill, its top y below the
    // row's; returns its height.
    double layOutRow(const rtf::TableRow& row, double left, double width, double margin, double y,
                     Flow& flow);
    void layOutText(std::size_t cell, const rtf::TableCell& model, int from, int to, double left,
                    double width, double& y, Flow& flow);
    void openParagraph(int position, int cellStart, int cellEnd, Flow& flow);
    void alignVertically(const rtf::TableRow& row, std::size_t firstCell, double height);
    void drawBorders(QPainter* painter) const;

    const QTextDocument* m_document;
    const TableRows& m_rows;
    const rtf::TableRow& m_row;
    std::vector<Cell> m_cells; // the row's, then those of the rows nested in them
    std::vector<Paragraph> m_paragraphs;
    std::vector<std::unique_ptr<QTextLayout>> m_scratch; // a measured row's layouts
    double m_top = 0;
    double m_height = 0;
};

} // namespace velmora
