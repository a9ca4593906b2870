#include "book.h"

#include "book_limits.h"
#include "picture_formats.h"
#include "rtf/model_edit.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace velmora {

namespace {

// The characters a text view would turn into paragraph or frame breaks of its own are replaced,
// so that every position stays one character: a line feed or paragraph separator becomes a line
// break, the two non-characters that Qt uses for frames become U+FFFD, and so does a U+FFFC
// that holds no picture, which the view would take for one.
void replaceViewBreaks(std::u16string& text, const std::vector<rtf::Picture>& pictures)
{
    auto picture = pictures.begin();
    for (std::size_t at = 0; at < text.size(); ++at) {
        char16_t& c = text[at];
        if (c == u'\n' || c == u'\u2029') {
            c = rtf::Model::kLineBreak;
        } else if (c == u'\uFDD0' || c == u'\uFDD1') {
            c = u'\uFFFD';
        } else if (c == rtf::Model::kObject) {
            while (picture != pictures.end() && static_cast<std::size_t>(picture->position) < at)
                ++picture;
            if (picture == pictures.end() || static_cast<std::size_t>(picture->position) != at)
                c = u'\uFFFD';
        }
    }
}

} // namespace

Book::Book(rtf::Model parsed) : m_formats(std::move(parsed))
{
    rtf::breakEndlessWords(m_formats, limits::kLongestWord);
    replaceViewBreaks(m_formats.text, m_formats.pictures);
    m_pictures = keepPictures(m_formats.pictures);
    m_text = BookText(m_formats.text);
    // Swapped, not assigned: an assigned empty string would keep the capacity.
    std::u16string().swap(m_formats.text);
    indexFonts();
}

QString Book::plainText(int start, int count) const
{
    QString text = m_text.mid(start, count);
    text.replace(QChar(rtf::Model::kParagraphEnd), QChar(u'\n'));
    text.replace(QChar(rtf::Model::kLineBreak), QChar(u'\n'));
    if (!m_pictures.empty())
        text.remove(QChar(rtf::Model::kObject));
    return text;
}

int Book::find(QStringView needle, int from, int before) const
{
    return m_text.find(needle, from, before);
}

int Book::scanForward(int position, QStringView set, bool stopInSet) const
{
    int at = std::clamp(position, 0, length());
    while (at < length() && set.contains(m_text.at(at)) != stopInSet)
        ++at;
    return at;
}

void Book::indexFonts()
{
    std::unordered_map<std::string_view, int> firstOf;
    m_fontKeys.assign(m_formats.fontNames.size(), 0);
    for (std::size_t i = 0; i < m_formats.fontNames.size(); ++i)
        m_fontKeys[i] = firstOf.emplace(m_formats.fontNames[i], static_cast<int>(i)).first->second;

    m_fontChanges.clear();
    int previous = 0;
    for (std::size_t i = 0; i < m_formats.runs.size(); ++i) {
        const int key = fontKey(m_formats.runs[i]);
        if (i > 0 && key != previous)
            m_fontChanges.push_back(m_formats.runs[i].start);
        previous = key;
    }
    m_fontChanges.shrink_to_fit();
}

int Book::fontKey(const rtf::CharRun& run) const
{
    return m_fontKeys[m_formats.charFormats[run.format].font];
}

int Book::fontKeyAt(int position) const
{
    // The first run starts at 0, and position is in the text.
    const std::vector<rtf::CharRun>& runs = m_formats.runs;
    const auto after =
        std::upper_bound(runs.begin(), runs.end(), position,
                         [](int at, const rtf::CharRun& run) { return at < run.start; });
    return fontKey(*(after - 1));
}

std::optional<QString> Book::fontNameOf(int start, int count) const
{
    if (isEmpty())
        return std::nullopt;
    int at = start;
    if (count == 0) {
        at = std::max(start - 1, 0);
    } else {
        const auto change = std::upper_bound(m_fontChanges.begin(), m_fontChanges.end(), start);
        if (change != m_fontChanges.end() && *change < start + count)
            return std::nullopt;
    }
    const std::string& name = m_formats.fontNames[static_cast<std::size_t>(fontKeyAt(at))];
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace velmora
