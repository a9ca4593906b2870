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
    m_nextBreak = m_text.indexOf(QChar(rtf::Document::kParagraphEnd));
    if (m_nextBreak < 0)
        m_nextBreak = m_text.size();
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
        const qsizetype stretchEnd = std::min(runEnd, m_nextBreak);
        if (stretchEnd > m_position) {
            // Raw data: the document copies the characters, so no QString is allocated per run.
            m_cursor.insertText(
                QString::fromRawData(m_text.data() + m_position, stretchEnd - m_position),
                qtFormat);
            m_position = stretchEnd;
        }
        if (m_position == m_nextBreak && m_position < m_text.size()) {
            ++m_position;
            m_cursor.insertBlock(blockFormatAt(m_position), qtFormat);
            m_nextBreak = m_text.indexOf(QChar(rtf::Document::kParagraphEnd), m_position);
            if (m_nextBreak < 0)
                m_nextBreak = m_text.size();
        }
    }
    m_cursor.endEditBlock();
    return m_position >= end;
}

} // namespace velmora
