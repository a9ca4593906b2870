#pragma once
// Converts the book into a QTextDocument with undo off, at once or a slice at a time: the
// sample book of a million characters takes about 10 ms, a book ten times longer would hold the
// window for a tenth of a second, so the view converts that in slices while it is idle.

#include "book.h"
#include "rtf/model.h"

#include <QStringList>
#include <QStringView>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <optional>
#include <vector>

class QObject;
class QTextDocument;

namespace velmora {

class DocumentConverter {
public:
    // The book must outlive the converter. The document is created as a child of parent.
    DocumentConverter(const Book& book, QObject* parent);

    // Adds about the next characters of the book, in one edit block; true once all of it is
    // in. The document's positions are the book's, one for one: '\r' is the only character of
    // the book that QTextDocument breaks blocks at. A paragraph far longer than prose has is
    // built as several blocks, each breaking where a character of the paragraph was: a line
    // break (U+2028) or a space; past half a million blocks, short paragraphs end in line
    // breaks. A picture is its U+FFFC with the format of a PictureObject.
    bool buildSome(qsizetype characters);
    QTextDocument* document() const { return m_document; }
    qsizetype builtLength() const { return m_position; }

private:
    const QTextCharFormat& charFormat(uint32_t index);
    const QTextBlockFormat& blockFormatAt(qsizetype position);
    void advanceRun();
    void findBlockEnd();
    qsizetype nextParagraphEnd(qsizetype from) const;
    void joinShortParagraphs();
    void splitLongParagraph();
    void endBlock(const QTextCharFormat& format);

    const Book& m_book;
    const rtf::Model& m_model; // the book's formats
    QTextDocument* m_document;
    QTextCursor m_cursor;
    qsizetype m_position = 0;
    qsizetype m_paragraphEnd = -1; // the next '\r' at or after m_position, or the text's end
    qsizetype m_blockStart = 0;
    // Where the block ends: a paragraph end, or where a very long paragraph splits.
    qsizetype m_blockEnd = 0;
    // JoinedParagraphs: the block holds paragraph ends before m_blockEnd, drawn as line breaks.
    enum class EndKind : uint8_t {
        Paragraph,
        JoinedParagraphs,
        Split
    } m_endKind = EndKind::Paragraph;
    std::size_t m_run = 0;
    std::size_t m_paragraph = 0;
    std::size_t m_picture = 0;     // the next picture of the book to put in
    QList<QStringList> m_families; // per font of the model: { name } or {} when it has none
    // Made once per distinct format of the model: the document keeps one copy of each anyway,
    // and a reused object keeps its hash, so inserting text need not hash its properties again.
    std::vector<std::optional<QTextCharFormat>> m_charFormats;
    std::vector<std::optional<QTextBlockFormat>> m_blockFormats;
    QTextBlockFormat m_plainBlockFormat;
};

// What the view shows for one format of the model (sizes in points, lengths at 15 twips a pixel).
QTextCharFormat toTextCharFormat(const rtf::CharFormat& format, const QStringList& families);
QTextBlockFormat toTextBlockFormat(const rtf::ParagraphFormat& format);

} // namespace velmora
