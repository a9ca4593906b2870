#include "document_builder.h"

#include "twips.h"

#include <QColor>
#include <QFont>
#include <QTextDocument>
#include <algorithm>

namespace velmora {

namespace {

// \sl with \slmult1 counts in 240ths of a single line.
constexpr double kLineMultipleUnit = 240.0;

// Qt lays out a paragraph as a whole, in time linear in its length: one of five million
// characters held the window for three seconds each time it was shown or the width changed.
// Past the first length a block ends at the paragraph's next line break, where the line ends
// anyway; past the second, which no paragraph of prose reaches, at its next space.
constexpr qsizetype kLongBlock = 4096;
constexpr qsizetype kLongestBlock = 65536;
constexpr QChar kParagraphEnd = QChar(rtf::Document::kParagraphEnd);
constexpr QChar kLineBreak = QChar(rtf::Document::kLineBreak);
// A block costs Qt some 150 bytes and 2.5 us however short it is: sixteen million empty
// paragraphs took 2.4 GB and a minute. Past this many blocks, more than the 320,000 paragraphs
// of a 128 MB book as dense as the sample book, paragraph ends are drawn as line breaks until a
// block holds kLongBlock characters.
constexpr int kMostBlocks = 1 << 19;

} // namespace

QTextCharFormat toTextCharFormat(const rtf::CharFormat& format, const QStringList& families)
{
    QTextCharFormat result;
    if (!families.isEmpty())
        result.setFontFamilies(families);
    if (format.halfPoints > 0)
        result.setFontPointSize(format.points());
    if (format.bold)
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

DocumentBuilder::DocumentBuilder(const rtf::Document& model, QStringView text, QObject* parent)
    : m_model(model), m_text(text), m_document(new QTextDocument(parent)), m_cursor(m_document),
      m_charFormats(model.charFormats.size()), m_blockFormats(model.paragraphFormats.size())
{
    m_document->setUndoRedoEnabled(false);
    m_families.reserve(static_cast<qsizetype>(model.fontNames.size()));
    for (const std::string& name : model.fontNames) {
        if (name.empty())
            m_families.append(QStringList());
        else
            m_families.append(
                QStringList(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
    }
    findBlockEnd();
}

void DocumentBuilder::findBlockEnd()
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

qsizetype DocumentBuilder::nextParagraphEnd(qsizetype from) const
{
    const qsizetype at = m_text.indexOf(kParagraphEnd, from);
    return at < 0 ? m_text.size() : at;
}

// Whole paragraphs join the block while it stays short, their ends drawn as line breaks.
void DocumentBuilder::joinShortParagraphs()
{
    for (qsizetype next = m_paragraphEnd; next < m_text.size();) {
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
void DocumentBuilder::splitLongParagraph()
{
    const QStringView paragraph = m_text.first(m_paragraphEnd);
    const qsizetype longest = std::min(m_blockStart + kLongestBlock, m_paragraphEnd);
    qsizetype split = paragraph.first(longest).indexOf(kLineBreak, m_blockStart + kLongBlock);
    for (qsizetype at = longest; split < 0 && at < m_paragraphEnd; ++at)
        if (paragraph[at] == u' ' || paragraph[at] == kLineBreak)
            split = at;
    if (split >= 0) {
        m_blockEnd = split;
        m_endKind = EndKind::Split;
    }
}

// Ends the block at m_position, whose character the new block's separator stands for.
void DocumentBuilder::endBlock(const QTextCharFormat& format)
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

const QTextCharFormat& DocumentBuilder::charFormat(uint32_t index)
{
    if (index >= m_charFormats.size())
        return m_plainCharFormat;
    std::optional<QTextCharFormat>& slot = m_charFormats[index];
    if (!slot) {
        const rtf::CharFormat& format = m_model.charFormats[index];
        static const QStringList kNoFamilies;
        const QStringList& families =
            format.font < m_families.size() ? m_families[format.font] : kNoFamilies;
        slot = toTextCharFormat(format, families);
    }
    return *slot;
}

const QTextBlockFormat& DocumentBuilder::blockFormatAt(qsizetype position)
{
    const std::vector<rtf::Paragraph>& paragraphs = m_model.paragraphs;
    while (m_paragraph + 1 < paragraphs.size() && paragraphs[m_paragraph + 1].start <= position)
        ++m_paragraph;
    if (m_paragraph >= paragraphs.size() || paragraphs[m_paragraph].start > position)
        return m_plainBlockFormat;
    const uint32_t index = paragraphs[m_paragraph].format;
    if (index >= m_blockFormats.size())
        return m_plainBlockFormat;
    std::optional<QTextBlockFormat>& slot = m_blockFormats[index];
    if (!slot)
        slot = toTextBlockFormat(m_model.paragraphFormats[index]);
    return *slot;
}

void DocumentBuilder::advanceRun()
{
    const std::vector<rtf::CharRun>& runs = m_model.runs;
    while (m_run < runs.size() && runs[m_run].start + runs[m_run].length <= m_position)
        ++m_run;
}

bool DocumentBuilder::buildSome(qsizetype characters)
{
    const std::vector<rtf::CharRun>& runs = m_model.runs;
    const qsizetype end = m_text.size();
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
        advanceRun();
        // The view repairs the model before building, so runs cover the text; a run that
        // does not (any text past the last run) is shown plain rather than dropped.
        qsizetype runEnd = m_text.size();
        uint32_t format = UINT32_MAX;
        if (m_run < runs.size() && runs[m_run].start <= m_position) {
            runEnd = runs[m_run].start + runs[m_run].length;
            format = runs[m_run].format;
        }
        const QTextCharFormat& qtFormat = charFormat(format);
        const qsizetype stretchEnd = std::min(runEnd, m_blockEnd);
        if (stretchEnd > m_position) {
            // Raw data: the document copies the characters, so no QString is allocated per run.
            QString stretch =
                QString::fromRawData(m_text.data() + m_position, stretchEnd - m_position);
            if (m_endKind == EndKind::JoinedParagraphs)
                stretch.replace(kParagraphEnd, kLineBreak);
            m_cursor.insertText(stretch, qtFormat);
            m_position = stretchEnd;
        }
        if (m_position == m_blockEnd && m_position < m_text.size())
            endBlock(qtFormat);
    }
    m_cursor.endEditBlock();
    return m_position >= end;
}

} // namespace velmora
