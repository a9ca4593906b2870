#include "document_writer.h"

#include "code_pages.h"

#include <utility>

namespace velmora::rtf {

void DocumentWriter::startRun(const CharFormat& format)
{
    m_formatDirty = false;
    if (m_runOpen && format == m_runFormat)
        return;
    const uint32_t index = m_charFormats.indexOf(format, m_doc.charFormats);
    m_runFormat = format;
    m_runOpen = true;
    if (!m_doc.runs.empty() && m_doc.runs.back().length == 0) {
        m_doc.runs.back().format = index; // a run left empty takes the new format
        return;
    }
    m_doc.runs.push_back({static_cast<int32_t>(m_textLength), 0, index});
}

void DocumentWriter::endParagraph(const ParagraphFormat& para, const CharFormat& format)
{
    const auto end = static_cast<int32_t>(m_textLength);
    m_doc.paragraphs.push_back(
        {m_paragraphStart, end - m_paragraphStart, paragraphFormatIndex(para)});
    const char16_t paragraphEnd = Document::kParagraphEnd;
    append(&paragraphEnd, 1, format);
    m_paragraphStart = end + 1;
}

uint32_t DocumentWriter::paragraphFormatIndex(const ParagraphFormat& p)
{
    if (!m_doc.paragraphs.empty()) {
        const uint32_t last = m_doc.paragraphs.back().format;
        if (m_doc.paragraphFormats[last] == p)
            return last;
    }
    return m_paragraphFormats.indexOf(p, m_doc.paragraphFormats);
}

// Cells end in a tab; the row's last one gives way to the row's paragraph end.
void DocumentWriter::dropTrailingTab()
{
    if (m_textLength > 0 && m_doc.text[m_textLength - 1] == u'\t' &&
        static_cast<int32_t>(m_textLength) > m_paragraphStart) {
        --m_textLength;
        if (--m_doc.runs.back().length == 0) {
            m_doc.runs.pop_back();
            m_runOpen = false;
        }
    }
}

void DocumentWriter::truncate(std::size_t start)
{
    start = std::max(start, static_cast<std::size_t>(m_paragraphStart));
    if (start >= m_textLength)
        return;
    m_textLength = start;
    const auto end = static_cast<int32_t>(start);
    while (m_doc.runs.size() > 1 && m_doc.runs.back().start >= end)
        m_doc.runs.pop_back();
    if (!m_doc.runs.empty()) {
        CharRun& last = m_doc.runs.back();
        last.length = std::max(0, end - last.start);
        m_runFormat = m_doc.charFormats[last.format];
        m_runOpen = true;
    }
    m_formatDirty = true;
}

Document DocumentWriter::finish(const ParagraphFormat& lastPara, bool surrogatesWritten)
{
    m_doc.text.resize(m_textLength);
    m_doc.paragraphs.push_back({m_paragraphStart,
                                static_cast<int32_t>(m_textLength) - m_paragraphStart,
                                paragraphFormatIndex(lastPara)});
    if (!m_doc.runs.empty() && m_doc.runs.back().length == 0)
        m_doc.runs.pop_back();

    // A \u escape may leave half of a surrogate pair alone; it is not a character.
    if (surrogatesWritten) {
        auto& text = m_doc.text;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c < 0xD800 || c > 0xDFFF)
                continue;
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                text[i + 1] <= 0xDFFF)
                ++i;
            else
                text[i] = kReplacement;
        }
    }
    return std::move(m_doc);
}

} // namespace velmora::rtf
