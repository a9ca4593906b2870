#include "scripts.h"

#include <algorithm>
#include <iterator>

namespace velmora::rtf {

namespace {

struct Range {
    char16_t first;
    char16_t last;
    ScriptClass kind;
};

// Sorted and disjoint; units in no range are Other. The characters of script Common inside the
// blocks of complex scripts (the Arabic comma, semicolon, question mark and tatweel, the Indic
// dandas, the baht sign) are listed as Neutral, so they follow the run as punctuation does.
constexpr Range kRanges[] = {
    {u'\u0000', u'\u0040', ScriptClass::Neutral}, // controls, space, digits, punctuation
    {u'\u005B', u'\u0060', ScriptClass::Neutral},
    {u'\u007B', u'\u00A9', ScriptClass::Neutral},
    {u'\u00AB', u'\u00B9', ScriptClass::Neutral},
    {u'\u00BB', u'\u00BF', ScriptClass::Neutral},
    {u'\u00D7', u'\u00D7', ScriptClass::Neutral},
    {u'\u00F7', u'\u00F7', ScriptClass::Neutral},
    {u'\u02B9', u'\u02DF', ScriptClass::Neutral}, // spacing modifiers
    {u'\u0300', u'\u036F', ScriptClass::Inherited},
    {u'\u0590', u'\u05FF', ScriptClass::Complex}, // Hebrew
    {u'\u0600', u'\u0604', ScriptClass::Complex}, // Arabic, Syriac, Thaana, N'Ko, Samaritan,
    {u'\u0605', u'\u0605', ScriptClass::Neutral}, // Mandaic, Arabic Extended
    {u'\u0606', u'\u060B', ScriptClass::Complex},
    {u'\u060C', u'\u060C', ScriptClass::Neutral},
    {u'\u060D', u'\u061A', ScriptClass::Complex},
    {u'\u061B', u'\u061C', ScriptClass::Neutral},
    {u'\u061D', u'\u061E', ScriptClass::Complex},
    {u'\u061F', u'\u061F', ScriptClass::Neutral},
    {u'\u0620', u'\u063F', ScriptClass::Complex},
    {u'\u0640', u'\u0640', ScriptClass::Neutral},
    {u'\u0641', u'\u064A', ScriptClass::Complex},
    {u'\u064B', u'\u0655', ScriptClass::Inherited}, // harakat: drawn with their letter
    {u'\u0656', u'\u066F', ScriptClass::Complex},
    {u'\u0670', u'\u0670', ScriptClass::Inherited},
    {u'\u0671', u'\u06DC', ScriptClass::Complex},
    {u'\u06DD', u'\u06DD', ScriptClass::Neutral},
    {u'\u06DE', u'\u0963', ScriptClass::Complex}, // ... and Devanagari
    {u'\u0964', u'\u0965', ScriptClass::Neutral},
    {u'\u0966', u'\u0E3E', ScriptClass::Complex}, // Indic scripts, Sinhala, Thai
    {u'\u0E3F', u'\u0E3F', ScriptClass::Neutral},
    {u'\u0E40', u'\u109F', ScriptClass::Complex}, // Thai, Lao, Tibetan, Myanmar
    {u'\u1780', u'\u17FF', ScriptClass::Complex}, // Khmer
    {u'\u1AB0', u'\u1AFF', ScriptClass::Inherited},
    {u'\u1DC0', u'\u1DFF', ScriptClass::Inherited},
    {u'\u2000', u'\u200B', ScriptClass::Neutral},
    {u'\u200C', u'\u200D', ScriptClass::Inherited}, // joiners
    {u'\u200E', u'\u20CF', ScriptClass::Neutral},   // marks, punctuation, currency
    {u'\u20D0', u'\u20FF', ScriptClass::Inherited},
    {u'\u2100', u'\u2BFF', ScriptClass::Neutral}, // symbols, arrows, mathematics, shapes
    {u'\u3000', u'\u3003', ScriptClass::Neutral},
    {u'\u3008', u'\u3020', ScriptClass::Neutral},
    {0xD802, 0xD803, ScriptClass::Complex}, // U+10800..U+10FFF: historic RTL scripts
    {0xD83A, 0xD83B, ScriptClass::Complex}, // U+1E800..U+1EFFF: Adlam, Arabic maths
    {0xDC00, 0xDFFF, ScriptClass::Inherited},
    {u'\uFB1D', u'\uFD3D', ScriptClass::Complex}, // Hebrew and Arabic presentation forms
    {u'\uFD3E', u'\uFD3F', ScriptClass::Neutral},
    {u'\uFD40', u'\uFDFF', ScriptClass::Complex},
    {u'\uFE00', u'\uFE0F', ScriptClass::Inherited},
    {u'\uFE10', u'\uFE1F', ScriptClass::Neutral},
    {u'\uFE20', u'\uFE2F', ScriptClass::Inherited},
    {u'\uFE30', u'\uFE6F', ScriptClass::Neutral},
    {u'\uFE70', u'\uFEFE', ScriptClass::Complex},
    {u'\uFEFF', u'\uFF20', ScriptClass::Neutral},
    {u'\uFF3B', u'\uFF40', ScriptClass::Neutral},
    {u'\uFF5B', u'\uFF65', ScriptClass::Neutral},
    {u'\uFFE0', u'\uFFFF', ScriptClass::Neutral},
};

constexpr bool sortedAndDisjoint()
{
    for (std::size_t i = 1; i < std::size(kRanges); ++i)
        if (kRanges[i].first <= kRanges[i - 1].last || kRanges[i].first > kRanges[i].last)
            return false;
    return true;
}
static_assert(sortedAndDisjoint());

} // namespace

ScriptClass scriptClassOf(char16_t unit)
{
    // Latin letters are most of the text: answered before the search.
    if ((unit >= u'a' && unit <= u'z') || (unit >= u'A' && unit <= u'Z'))
        return ScriptClass::Other;
    const auto it = std::upper_bound(std::begin(kRanges), std::end(kRanges), unit,
                                     [](char16_t u, const Range& r) { return u < r.first; });
    if (it == std::begin(kRanges))
        return ScriptClass::Other;
    const Range& range = *std::prev(it);
    return unit <= range.last ? range.kind : ScriptClass::Other;
}

} // namespace velmora::rtf
