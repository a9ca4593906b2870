#pragma once
// Footnote and endnote marks as Word numbers them: each kind counts apart, in the style the
// file names for it (\ftnnar, \aftnnalc, ...). Internal to the parser.

#include "tokenizer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::rtf {

// No file has this many notes; the cap keeps every mark within the six bytes of the
// "\chftn" that asks for it, so a file of nothing but marks cannot multiply into text.
constexpr int32_t kMaxNoteNumber = 99999;

enum class NoteStyle : uint8_t { Arabic, LowerAlpha, UpperAlpha, LowerRoman, UpperRoman, Chicago };

// The style a numbering word names by its last three letters (\ftnnalc, \aftnnruc, ...); the
// words without a known ending number in Arabic digits.
NoteStyle noteStyleOf(std::string_view word);

struct NoteNumbering {
    NoteStyle style = NoteStyle::Arabic;
    int32_t next = 1;
};

// Footnotes and endnotes count apart, each in its own style.
struct NoteCounters {
    NoteNumbering footnotes;
    NoteNumbering endnotes;

    // The mark of the next note of that kind; its counter stops at kMaxNoteNumber.
    std::u16string next(bool endnote);
};

// Whether the note of a footnote mark (\chftn) is an endnote; ahead reads on from the mark.
bool endnoteFollows(Tokenizer ahead);

} // namespace velmora::rtf
