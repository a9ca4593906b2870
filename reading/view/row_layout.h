#pragma once
// One table row of the view, laid out in the layouts of its own paragraphs: each paragraph's
// QTextLayout gets lines as wide as the cell they stand in, placed in that cell, so the
// document, its positions, the selection and the caret stay what they are for any paragraph.
// A cell's text ends at its separator (a tab, or the row's paragraph end), where its last line
// is cut short.

#include "table_rows.h"

#include <QAbstractTextDocumentLayout>
#include <QRectF>
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

    // Whether the document holds the row as its own paragraphs: built to its end, the row
    // starting and ending a block. Otherwise it is drawn as plain text.
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
    struct Cell {
        QRectF box; // in document coordinates
        double contentHeight = 0;
        std::vector<Line> lines;
    };
    void drawBorders(QPainter* painter) const;
    void alignVertically();

    const QTextDocument* m_document;
    const TableRows& m_rows;
    const rtf::TableRow& m_row;
    std::vector<Cell> m_cells; // by the model's cells; a merged cell's lines are its owner's
    std::vector<TableRows::Place> m_places;
    std::vector<Paragraph> m_paragraphs;
    std::vector<std::unique_ptr<QTextLayout>> m_scratch; // a measured row's layouts
    double m_top = 0;
    double m_height = 0;
    double m_origin = 0; // the text's left edge in the document
};

} // namespace velmora
