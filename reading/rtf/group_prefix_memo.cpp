#include "group_prefix_memo.h"

#include "tokenizer.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace velmora::rtf {

namespace {

// Shorter words, one or two, are read again rather than remembered.
constexpr std::size_t kMinWordsBytes = 8;

// How many bytes from pos on are the recorded words, or 0. Line ends may stand between two words
// (the tokenizer passes over them there), but nowhere else: inside a word they would end it.
std::size_t matchWords(std::string_view words, std::string_view bytes, std::size_t pos)
{
    std::size_t at = pos;
    for (std::size_t i = 0; i < words.size();) {
        // Eight bytes at a time up to the first that differs, most often a line end.
        if constexpr (std::endian::native == std::endian::little) {
            if (i + 8 <= words.size() && at + 8 <= bytes.size()) {
                uint64_t recorded = 0;
                uint64_t read = 0;
                std::memcpy(&recorded, words.data() + i, 8);
                std::memcpy(&read, bytes.data() + at, 8);
                if (recorded == read) {
                    i += 8;
                    at += 8;
                    continue;
                }
                const auto same = static_cast<std::size_t>(std::countr_zero(recorded ^ read)) / 8;
                i += same;
                at += same;
            }
        }
        if (at >= bytes.size())
            return 0;
        const char c = bytes[at];
        if (c == words[i]) {
            ++i;
            ++at;
        } else if (byte_class::passedOver(c) && words[i] == '\\') {
            ++at;
        } else {
            return 0;
        }
    }
    // The last word must end where it ended before, not run on into more letters or digits.
    if (words.back() != ' ' && at < bytes.size()) {
        const char next = bytes[at];
        if (byte_class::isLetter(next) || byte_class::isDigit(next) || next == '-')
            return 0;
        if (next == ' ')
            ++at; // its delimiter
    }
    return at - pos;
}

} // namespace

std::size_t GroupPrefixMemo::replay(std::string_view bytes, std::size_t offset, GroupState& state)
{
    for (std::size_t i = 0; i < m_used; ++i) {
        const Entry& entry = m_entries[i];
        const std::size_t length = matchWords(entry.words, bytes, offset);
        if (length > 0 && entry.before == state) {
            state = entry.after;
            return length;
        }
    }
    return 0;
}

void GroupPrefixMemo::stopRecording(const GroupState& after)
{
    m_recording = false;
    if (m_words.size() < kMinWordsBytes)
        return;
    for (std::size_t i = 0; i < m_used; ++i)
        if (m_entries[i].words == m_words && m_entries[i].before == m_before)
            return;
    std::size_t slot = m_used;
    if (m_used < kEntries) {
        ++m_used;
    } else {
        slot = m_nextToReplace;
        m_nextToReplace = (m_nextToReplace + 1) % kEntries;
    }
    Entry& entry = m_entries[slot];
    entry.words = m_words;
    entry.before = m_before;
    entry.after = after;
}

void GroupPrefixMemo::forget()
{
    m_used = 0;
    m_nextToReplace = 0;
    m_recording = false;
}

} // namespace velmora::rtf
