#include "model_writer.h"

#include "code_pages.h"

#include <utility>

namespace velmora::rtf {

void ModelWriter::startRun(const CharFormat& format)
{
    m_formatDirty = false;
    if (m_runOpen && format == m_runFormat)
        return;
    const uint32_t index = m_charFormats.indexOf(format, m_model.charFormats);
    m_runFormat = format;
    m_runOpen = true;
    if (!m_model.runs.empty() && m_model.runs.back().length == 0) {
        m_model.runs.back().format = index; // a run left empty takes the new format
        return;
    }
    m_model.runs.push_back({static_cast<int32_t>(m_textLength), 0, index});
}

void ModelWriter::endParagraph(const ParagraphFormat& para, const CharFormat& format)
{
    const auto end = static_cast<int32_t>(m_textLength);
    m_model.paragraphs.push_back(
        {m_paragraphStart, end - m_paragraphStart, paragraphFormatIndex(para)});
    const char16_t paragraphEnd = Model::kParagraphEnd;
    append(&paragraphEnd, 1, format);
    m_paragraphStart = end + 1;
}

uint32_t ModelWriter::paragraphFormatIndex(const ParagraphFormat& p)
{
    if (!m_model.paragraphs.empty()) {
        const uint32_t last = m_model.paragraphs.back().format;
        if (m_model.paragraphFormats[last] == p)
            return last;
    }
    return m_paragraphFormats.indexOf(p, m_model.paragraphFormats);
}

// Cells end in a tab; the row's last one gives way to the row's paragraph end.
void ModelWriter::dropTrailingTab()
{
    if (m_textLength > 0 && m_model.text[m_textLength - 1] == u'\t' &&
        static_cast<int32_t>(m_textLength) > m_paragraphStart) {
        --m_textLength;
        if (--m_model.runs.back().length == 0) {
            m_model.runs.pop_back();
            m_runOpen = false;
        }
    }
}

bool ModelWriter::holdsTextFrom(std::size_t start) const
{
    start = std::max(start, static_cast<std::size_t>(m_paragraphStart));
    for (std::size_t i = start; i < m_textLength; ++i)
        if (m_model.text[i] != u' ' && m_model.text[i] != u'\t')
            return true;
    return false;
}

void ModelWriter::truncate(std::size_t start)
{
    start = std::max(start, static_cast<std::size_t>(m_paragraphStart));
    if (start >= m_textLength)
        return;
    m_textLength = start;
    const auto end = static_cast<int32_t>(start);
    while (!m_model.pictures.empty() && m_model.pictures.back().position >= end)
        m_model.pictures.pop_back();
    while (m_model.runs.size() > 1 && m_model.runs.back().start >= end)
        m_model.runs.pop_back();
    if (!m_model.runs.empty()) {
        CharRun& last = m_model.runs.back();
        last.length = std::max(0, end - last.start);
        m_runFormat = m_model.charFormats[last.format];
        m_runOpen = true;
    }
    m_formatDirty = true;
}

Model ModelWriter::finish(const ParagraphFormat& lastPara, bool surrogatesWritten)
{
    m_model.text.resize(m_textLength);
    m_model.paragraphs.push_back({m_paragraphStart,
                                  static_cast<int32_t>(m_textLength) - m_paragraphStart,
                                  paragraphFormatIndex(lastPara)});
    if (!m_model.runs.empty() && m_model.runs.back().length == 0)
        m_model.runs.pop_back();

    // A \u escape may leave half of a surrogate pair alone; it is not a character.
    if (surrogatesWritten) {
        auto& text = m_model.text;
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
    return std::move(m_model);
}

} // namespace velmora::rtf
