#pragma once
// How the parser builds the model (model.h) as it reads. Internal to the parser.

#include "model.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

namespace velmora::rtf {

// The text grows in steps of this many units, zero-filled once, so that appending needs no
// per-call resize; the capacity reserved up front (one unit per input byte) is only touched as
// far as the text really reaches.
constexpr std::size_t kTextStep = 1 << 16;

// Gives each distinct format one index into the model's list of formats.
template <typename Format> class FormatIndex {
public:
    uint32_t indexOf(const Format& format, std::vector<Format>& formats)
    {
        auto [it, inserted] = m_index.try_emplace(format, static_cast<uint32_t>(formats.size()));
        if (inserted)
            formats.push_back(format);
        return it->second;
    }

private:
    std::unordered_map<Format, uint32_t> m_index;
};

// Writes the model: the text, runs of one character format and paragraphs, each format stored
// once. It knows nothing of RTF; the parser says what to append, in which format.
class ModelWriter {
public:
    void reserve(std::size_t units) { m_model.text.reserve(units); }
    // The character format may differ from the open run's; saves comparing the whole format for
    // every piece of text.
    void formatChanged() { m_formatDirty = true; }

    void append(const char16_t* units, std::size_t count, const CharFormat& format)
    {
        beginRun(format);
        std::copy(units, units + count, textSpace(count));
        commitText(count);
    }
    // The fast path of text: a run of the format, room for count units, and then the units
    // written there committed.
    void beginRun(const CharFormat& format)
    {
        if (!m_runOpen || m_formatDirty)
            startRun(format);
    }
    char16_t* textSpace(std::size_t count)
    {
        if (m_textLength + count > m_model.text.size())
            growText(count);
        return m_model.text.data() + m_textLength;
    }
    void commitText(std::size_t count)
    {
        m_textLength += count;
        m_model.runs.back().length += static_cast<int32_t>(count);
    }

    void endParagraph(const ParagraphFormat& para, const CharFormat& format);
    bool paragraphEmpty() const { return static_cast<int32_t>(m_textLength) <= m_paragraphStart; }
    // Whether the paragraph just begun follows a paragraph end and holds nothing yet.
    bool atParagraphEndOnly() const
    {
        return static_cast<int32_t>(m_textLength) == m_paragraphStart && m_textLength > 0 &&
               m_model.text[m_textLength - 1] == Model::kParagraphEnd;
    }
    void dropTrailingTab();
    // Whether the text from start on, within the open paragraph, holds more than spaces and tabs.
    bool holdsTextFrom(std::size_t start) const;
    // A picture whose kObject was just appended.
    void addPicture(Picture picture) { m_model.pictures.push_back(std::move(picture)); }
    // For the parts of the model that only add to it, as the tables do.
    Model& model() { return m_model; }
    uint32_t paragraphFormatIndex(const ParagraphFormat& p);
    std::size_t length() const { return m_textLength; }
    // Drops the text from start on, within the open paragraph.
    void truncate(std::size_t start);
    // The last paragraph has no paragraph end; lone surrogates are replaced when \u may have
    // written any.
    Model finish(const ParagraphFormat& lastPara, bool surrogatesWritten);

private:
    void startRun(const CharFormat& format);
    void growText(std::size_t count)
    {
        m_model.text.resize(m_textLength + std::max(count, kTextStep));
    }

    Model m_model;
    std::size_t m_textLength = 0; // m_model.text is zero-filled ahead of this
    int32_t m_paragraphStart = 0;
    CharFormat m_runFormat;
    bool m_runOpen = false;
    bool m_formatDirty = true;
    FormatIndex<CharFormat> m_charFormats;
    FormatIndex<ParagraphFormat> m_paragraphFormats;
};

} // namespace velmora::rtf
