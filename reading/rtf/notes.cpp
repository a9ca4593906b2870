#include "notes.h"

#include "control_words.h"
#include "lists.h"

namespace velmora::rtf {

namespace {

// How far after a footnote mark (\chftn) the parser looks for the note's group to learn whether
// it is an endnote (\ftnalt): Word writes "\chftn}{\footnote\ftnalt" or "\chftn {\footnote".
constexpr int kFootnotePeekTokens = 8;

// The mark of note number n as Word numbers notes. Letters (to zzz) and Chicago signs (to §§) grow
// with n, so past a small bound the number is written in digits.
std::u16string noteMark(NoteStyle style, int32_t n)
{
    std::u16string mark;
    switch (style) {
    case NoteStyle::LowerAlpha:
    case NoteStyle::UpperAlpha:
        if (n <= 26 * 3)
            appendListNumber(mark, n, style == NoteStyle::LowerAlpha ? LowerLetter : UpperLetter);
        break;
    case NoteStyle::LowerRoman: appendListNumber(mark, n, LowerRoman); break;
    case NoteStyle::UpperRoman: appendListNumber(mark, n, UpperRoman); break;
    case NoteStyle::Chicago:
        if (n >= 1 && n <= 8) {
            static constexpr char16_t kSigns[] = {u'*', u'\u2020', u'\u2021', u'\u00A7'};
            mark.assign(static_cast<std::size_t>((n - 1) / 4 + 1), kSigns[(n - 1) % 4]);
        }
        break;
    case NoteStyle::Arabic: break;
    }
    if (mark.empty())
        appendListNumber(mark, n, Decimal);
    return mark;
}

} // namespace

NoteStyle noteStyleOf(std::string_view word)
{
    const std::string_view suffix = word.substr(word.size() >= 3 ? word.size() - 3 : 0);
    if (suffix == "alc")
        return NoteStyle::LowerAlpha;
    if (suffix == "auc")
        return NoteStyle::UpperAlpha;
    if (suffix == "rlc")
        return NoteStyle::LowerRoman;
    if (suffix == "ruc")
        return NoteStyle::UpperRoman;
    if (suffix == "chi")
        return NoteStyle::Chicago;
    return NoteStyle::Arabic;
}

std::u16string NoteCounters::next(bool endnote)
{
    NoteNumbering& numbering = endnote ? endnotes : footnotes;
    std::u16string mark = noteMark(numbering.style, numbering.next);
    if (numbering.next < kMaxNoteNumber)
        ++numbering.next;
    return mark;
}

bool endnoteFollows(Tokenizer ahead)
{
    // The mark stands just before its note's group, with nothing but braces between; \ftnalt
    // right after \footnote makes the note an endnote, with its own numbering.
    bool inNote = false;
    bool endnote = false;
    for (int i = 0; i < kFootnotePeekTokens; ++i) {
        const Token t = ahead.next();
        if (!inNote && (t.kind == TokenKind::GroupOpen || t.kind == TokenKind::GroupClose))
            continue;
        if (t.kind != TokenKind::ControlWord)
            break;
        const Word w = lookupWord(t.text, t.wordKey);
        if (inNote) {
            endnote = w == Word::EndnoteAlt;
            break;
        }
        if (w != Word::Footnote)
            break;
        inNote = true;
    }
    return endnote;
}

} // namespace velmora::rtf
