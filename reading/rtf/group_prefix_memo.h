#pragma once
// The formatting words that open a group, remembered with what they did to its state.
//
// Word processors write the same dozen words at the start of every group of text:
// LibreOffice writes "{\rtlch\fcs1\af0\afs24\ltrch\fcs0\lang1052\langfe1052\loch\f0\hich\af0
// \dbch\af0 " before every few words. Their effect depends on the state of the group alone, so
// once the same bytes are met again from the same state, the state they led to is taken at once
// and the bytes are passed over. Internal to the parser.

#include "control_words.h"
#include "parser_state.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::rtf {

// Words whose whole effect, in the text, is a change to the group's state that depends on that
// state and on the tables at the head of the file: character and paragraph formatting, \uc, and
// the words every reader ignores. (\plain and \f read the font table, \cf the colour table.)
constexpr bool changesGroupStateOnly(Word word, WordFamily family)
{
    switch (family) {
    case WordFamily::Ignored:
    case WordFamily::Character:
    case WordFamily::Paragraph: return true;
    case WordFamily::Unicode: return word == Word::UnicodeSkip;
    default: return false;
    }
}

class GroupPrefixMemo {
public:
    // When the bytes from offset on begin with words met before from this same state, sets the
    // state to what they led to and returns how many bytes they take; else 0.
    std::size_t replay(std::string_view bytes, std::size_t offset, GroupState& state);

    // Recording follows the words of a group that replay did not know, from its opening on.
    bool recording() const { return m_recording; }
    void startRecording()
    {
        m_recording = true;
        m_words.clear();
    }
    // A word's bytes, from its backslash to the end of its delimiter, and the state before it.
    void record(std::string_view word, const GroupState& current)
    {
        if (m_words.empty())
            m_before = current; // copied only for groups that open with such words
        if (m_words.size() + word.size() > kMaxWordsBytes)
            m_recording = false; // not what a writer repeats: not worth holding
        else
            m_words.append(word);
    }
    // The group's first other token has come: its words are remembered if there were some.
    void stopRecording(const GroupState& after);

    // The tables the words read have changed: what they did before is no guide.
    void forget();

private:
    struct Entry {
        std::string words;
        GroupState before;
        GroupState after;
    };
    // LibreOffice needs one entry, Word a few (its groups differ in their revision numbers).
    static constexpr std::size_t kEntries = 8;
    // LibreOffice's words take about a hundred bytes.
    static constexpr std::size_t kMaxWordsBytes = 4096;

    std::array<Entry, kEntries> m_entries;
    std::size_t m_used = 0;
    std::size_t m_nextToReplace = 0;

    bool m_recording = false;
    std::string m_words;
    GroupState m_before;
};

} // namespace velmora::rtf
