#include "document_converter.h"

#include "book_limits.h"
#include "picture_object.h"

#include "twips.h"

#include <QColor>
#include <QFont>
#include <QTextDocument>
#include <algorithm>

namespace velmora {

namespace {

// \sl with \slmult1 counts in 240ths of a single line.
constexpr double kLineMultipleUnit = 240.0;

using limits::kLongBlock;
using limits::kLongestBlock;
using limits::kMostBlocks;
constexpr QChar kParagraphEnd = QChar(rtf::Model::kParagraphEnd);
constexpr QChar kLineBreak = QChar(rtf::Model::kLineBreak);

} // namespace

QTextCharFormat toTextCharFormat(const rtf::CharFormat& format, const QStringList& families)
{
    QTextCharFormat result;
    if (!families.isEmpty())
        result.setFontFamilies(families);
    if (format.halfPoints > 0)
        result.setFontPointSize(format.points());
    // Arial Black is a weight as much as a family: a face standing in for it is drawn black.
    if (!families.isEmpty() &&
        families.front().compare(QStringLiteral("Arial Black"), Qt::CaseInsensitive) == 0)
        result.setFontWeight(QFont::Black);
    else if (format.bold)
        result.setFontWeight(QFont::Bold);
    if (format.italic)
        result.setFontItalic(true);
    if (format.underline)
        result.setFontUnderline(true);
    if (format.strike)
        result.setFontStrikeOut(true);
    if (format.capitals)
        result.setFontCapitalization(QFont::AllUppercase);
    else if (format.smallCapitals)
        result.setFontCapitalization(QFont::SmallCaps);
    if (format.vertical == rtf::CharFormat::Vertical::Super)
        result.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (format.vertical == rtf::CharFormat::Vertical::Sub)
        result.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    // Raised or lowered by the amount, as a share of the size: a text size picked later keeps it.
    if (format.raised != 0 && format.halfPoints > 0)
        result.setBaselineOffset(100.0 * format.raised / format.halfPoints);
    if (format.color != rtf::CharFormat::kAutoColor)
        result.setForeground(QColor::fromRgb(format.color & 0xFFFFFFu));
    if (format.background != rtf::CharFormat::kAutoColor)
        result.setBackground(QColor::fromRgb(format.background & 0xFFFFFFu));
    return result;
}

QTextBlockFormat toTextBlockFormat(const rtf::ParagraphFormat& format)
{
    using Align = rtf::ParagraphFormat::Align;
    QTextBlockFormat result;
    // RTF's alignment is physical, \qr ends the lines at the right margin in either direction,
    // so Qt must not mirror it for a right-to-left block; a paragraph without \rtlpar is
    // left-to-right even when it begins with Arabic, where Qt would guess from the text.
    result.setLayoutDirection(format.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    switch (format.align) {
    case Align::Left: result.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); break;
    case Align::Center: result.setAlignment(Qt::AlignHCenter); break;
    case Align::Right: result.setAlignment(Qt::AlignRight | Qt::AlignAbsolute); break;
    case Align::Justify: result.setAlignment(Qt::AlignJustify); break;
    }
    if (format.leftIndent != 0)
        result.setLeftMargin(twipsToExactPixels(format.leftIndent));
    if (format.rightIndent != 0)
        result.setRightMargin(twipsToExactPixels(format.rightIndent));
    if (format.firstLineIndent != 0)
        result.setTextIndent(twipsToExactPixels(format.firstLineIndent));
    if (format.spaceBefore != 0)
        result.setTopMargin(twipsToExactPixels(format.spaceBefore));
    if (format.spaceAfter != 0)
        result.setBottomMargin(twipsToExactPixels(format.spaceAfter));
    if (format.lineSpacing != 0) {
        if (format.lineMultiple) {
            const double percent = std::abs(format.lineSpacing) * 100.0 / kLineMultipleUnit;
            result.setLineHeight(percent, QTextBlockFormat::ProportionalHeight);
        } else if (format.lineSpacing > 0) {
            result.setLineHeight(twipsToExactPixels(format.lineSpacing),
                                 QTextBlockFormat::MinimumHeight);
        } else {
            result.setLineHeight(twipsToExactPixels(-format.lineSpacing),
                                 QTextBlockFormat::FixedHeight);
        }
    }
    return result;
}

DocumentConverter::DocumentConverter(const Book& book, QObject* parent)
    : m_book(book), m_model(book.formats()), m_document(new QTextDocument(parent)),
      m_cursor(m_document), m_charFormats(m_model.charFormats.size()),
      m_blockFormats(m_model.paragraphFormats.size())
{
    m_document->setUndoRedoEnabled(false);
    m_families.reserve(static_cast<qsizetype>(m_model.fontNames.size()));
    for (const std::string& name : m_model.fontNames) {
        if (name.empty())
            m_families.append(QStringList());
        else
            m_families.append(
                QStringList(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    }
    findBlockEnd();
}

void DocumentConverter::findBlockEnd()
{
    if (m_paragraphEnd < m_position)
        m_paragraphEnd = nextParagraphEnd(m_position);
    m_blockEnd = m_paragraphEnd;
    m_endKind = EndKind::Paragraph;
    const qsizetype length = m_paragraphEnd - m_blockStart;
    if (length < kLongBlock && m_document->blockCount() >= kMostBlocks)
        joinShortParagraphs();
    else if (length > kLongBlock)
        splitLongParagraph();
}

qsizetype DocumentConverter::nextParagraphEnd(qsizetype from) const
{
    const qsizetype at = m_book.indexOf(kParagraphEnd, static_cast<int>(from));
    return at < 0 ? m_book.length() : at;
}

// Whole paragraphs join the block while it stays short, their ends drawn as line breaks.
void DocumentConverter::joinShortParagraphs()
{
    for (qsizetype next = m_paragraphEnd; next < m_book.length();) {
        next = nextParagraphEnd(next + 1);
        if (next - m_blockStart > kLongBlock)
            break;
        m_blockEnd = next;
        m_endKind = EndKind::JoinedParagraphs;
    }
    m_paragraphEnd = m_blockEnd;
}

// The block ends at the paragraph's first line break past kLongBlock, or its first space past
// kLongestBlock; the paragraph goes on in the next block.
void DocumentConverter::splitLongParagraph()
{
    const qsizetype longest = std::min(m_blockStart + kLongestBlock, m_paragraphEnd);
    qsizetype split = m_book.indexOf(kLineBreak, static_cast<int>(m_blockStart + kLongBlock));
    if (split >= longest)
        split = -1;
    for (qsizetype at = longest; split < 0 && at < m_paragraphEnd; ++at) {
        const QChar c = m_book.at(static_cast<int>(at));
        if (c == u' ' || c == kLineBreak)
            split = at;
    }
    if (split >= 0) {
        m_blockEnd = split;
        m_endKind = EndKind::Split;
    }
}

// Ends the block at m_position, whose character the new block's separator stands for.
void DocumentConverter::endBlock(const QTextCharFormat& format)
{
    ++m_position;
    QTextBlockFormat next = blockFormatAt(m_position);
    if (m_endKind == EndKind::Split) {
        // The paragraph goes on: no space between its blocks, and no first-line indent.
        QTextBlockFormat current = m_cursor.blockFormat();
        current.setBottomMargin(0);
        m_cursor.setBlockFormat(current);
        next.setTopMargin(0);
        next.setTextIndent(0);
    }
    m_cursor.insertBlock(next, format);
    m_blockStart = m_position;
    findBlockEnd();
}

const QTextCharFormat& DocumentConverter::charFormat(uint32_t index)
{
    std::optional<QTextCharFormat>& slot = m_charFormats[index];
    if (!slot) {
        const rtf::CharFormat& format = m_model.charFormats[index];
        slot = toTextCharFormat(format, m_families[format.font]);
    }
    return *slot;
}

const QTextBlockFormat& DocumentConverter::blockFormatAt(qsizetype position)
{
    const std::vector<rtf::Paragraph>& paragraphs = m_model.paragraphs;
    while (m_paragraph + 1 < paragraphs.size() && paragraphs[m_paragraph + 1].start <= position)
        ++m_paragraph;
    if (paragraphs.empty()) // an empty book
        return m_plainBlockFormat;
    const uint32_t index = paragraphs[m_paragraph].format;
    std::optional<QTextBlockFormat>& slot = m_blockFormats[index];
    if (!slot)
        slot = toTextBlockFormat(m_model.paragraphFormats[index]);
    return *slot;
}

void DocumentConverter::advanceRun()
{
    const std::vector<rtf::CharRun>& runs = m_model.runs;
    while (m_run < runs.size() && runs[m_run].start + runs[m_run].length <= m_position)
        ++m_run;
}

bool DocumentConverter::buildSome(qsizetype characters)
{
    const std::vector<rtf::CharRun>& runs = m_model.runs;
    const std::vector<BookPicture>& pictures = m_book.pictures();
    const qsizetype end = m_book.length();
    const qsizetype stop = std::min(end, m_position + std::max<qsizetype>(characters, 1));
    // One edit block: the document reports one change instead of one per insertion.
    m_cursor.beginEditBlock();
    if (m_position == 0) {
        m_cursor.setBlockFormat(blockFormatAt(0));
        advanceRun();
        if (m_run < runs.size())
            m_cursor.setBlockCharFormat(charFormat(runs[m_run].format));
    }
    while (m_position < stop) {
        advanceRun(); // the runs cover the text
        const qsizetype runEnd = runs[m_run].start + runs[m_run].length;
        const QTextCharFormat& qtFormat = charFormat(runs[m_run].format);
        const qsizetype picture = m_picture < pictures.size() ? pictures[m_picture].position : end;
        const qsizetype stretchEnd = std::min({runEnd, m_blockEnd, picture});
        if (picture == m_position) {
            m_cursor.insertText(QString(QChar(rtf::Model::kObject)),
                                PictureObject::formatOf(qtFormat, m_picture));
            ++m_picture;
            ++m_position;
        } else if (stretchEnd > m_position) {
            QString stretch = m_book.text(static_cast<int>(m_position),
                                          static_cast<int>(stretchEnd - m_position));
            if (m_endKind == EndKind::JoinedParagraphs)
                stretch.replace(kParagraphEnd, kLineBreak);
            m_cursor.insertText(stretch, qtFormat);
            m_position = stretchEnd;
        }
        if (m_position == m_blockEnd && m_position < m_book.length())
            endBlock(qtFormat);
    }
    m_cursor.endEditBlock();
    return m_position >= end;
}

} // namespace velmora
