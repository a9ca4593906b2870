#include "rtf/model_edit.h"

#include "rtf/scripts.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace velmora::rtf {

namespace {

bool isWhiteSpace(char16_t c)
{
    return c <= u' ' || c == u'\u00A0' || c == Model::kLineBreak || c == u'\u2029' ||
           c == u'\u3000';
}

// Punctuation after which a forced line end reads as a pause rather than a cut: Latin, Arabic
// and ideographic commas, stops and marks, and the ellipsis.
constexpr std::u16string_view kClauseEnds =
    u".,;:!?\u060C\u061F\u2026\u3001\u3002\uFF01\uFF0C\uFF1A\uFF1B\uFF1F";

bool endsClause(char16_t c)
{
    return kClauseEnds.find(c) != std::u16string_view::npos;
}

// A line may not start with the second half of a surrogate pair or a mark drawn on the
// character before it.
bool mayStartLine(char16_t c)
{
    return scriptClassOf(c) != ScriptClass::Inherited;
}

// Where to break the stretch [start, last] that is one character too long: after the last
// clause end in its last quarter, else as late as a line may start, else (a stretch of marks
// alone) before its last character.
std::size_t breakBefore(std::u16string_view text, std::size_t start, std::size_t last)
{
    const std::size_t nearEnd = last - (last - start) / 4;
    for (std::size_t at = last; at >= nearEnd; --at)
        if (endsClause(text[at - 1]) && mayStartLine(text[at]))
            return at;
    for (std::size_t at = last; at > start; --at)
        if (mayStartLine(text[at]))
            return at;
    return last;
}

} // namespace

std::size_t breakEndlessWords(Model& model, std::size_t maxStretch)
{
    const std::u16string& text = model.text;
    std::vector<int32_t> breaks; // each goes before the character at this position
    if (maxStretch == 0)
        return 0;
    // A stretch longer than maxStretch covers a multiple of maxStretch, so only the stretches
    // through those positions are looked at: of a book of words, a few letters in thousands.
    std::size_t seenTo = 0; // stretches before this are done
    for (std::size_t probe = maxStretch; probe < text.size(); probe += maxStretch) {
        if (probe < seenTo || isWhiteSpace(text[probe]))
            continue;
        std::size_t start = probe;
        while (start > seenTo && !isWhiteSpace(text[start - 1]))
            --start;
        std::size_t end = probe;
        while (end < text.size() && !isWhiteSpace(text[end]))
            ++end;
        while (end - start > maxStretch) {
            start = breakBefore(text, start, start + maxStretch);
            breaks.push_back(static_cast<int32_t>(start));
        }
        seenTo = end;
    }
    if (breaks.empty())
        return 0;

    std::u16string broken;
    broken.reserve(text.size() + breaks.size());
    std::size_t from = 0;
    for (const int32_t at : breaks) {
        broken.append(text, from, static_cast<std::size_t>(at) - from);
        broken += Model::kLineBreak;
        from = static_cast<std::size_t>(at);
    }
    broken.append(text, from);
    model.text = std::move(broken);
    // A break before a stretch's first character belongs to that stretch.
    const auto moved = [&breaks](int32_t position) {
        return position +
               static_cast<int32_t>(std::lower_bound(breaks.begin(), breaks.end(), position) -
                                    breaks.begin());
    };
    const auto shift = [&moved](int32_t& start, int32_t& length) {
        const int32_t end = moved(start + length);
        start = moved(start);
        length = end - start;
    };
    for (CharRun& run : model.runs)
        shift(run.start, run.length);
    for (Paragraph& paragraph : model.paragraphs)
        shift(paragraph.start, paragraph.length);
    // Breaks stand inside stretches without white space, never at a cell's or row's separator.
    for (TableRow& row : model.tableRows) {
        row.start = moved(row.start);
        row.end = moved(row.end);
    }
    for (TableCell& cell : model.tableCells) {
        cell.start = moved(cell.start);
        cell.end = moved(cell.end);
    }
    for (Picture& picture : model.pictures)
        picture.position += static_cast<int32_t>(
            std::upper_bound(breaks.begin(), breaks.end(), picture.position) - breaks.begin());
    return breaks.size();
}

} // namespace velmora::rtf
