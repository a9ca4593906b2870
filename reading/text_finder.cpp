#include "text_finder.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {

TextFinder::TextFinder(std::u16string_view needle) : m_needle(needle) {}

bool TextFinder::matchesAt(const char16_t* at) const
{
    return std::memcmp(at, m_needle.data(), m_needle.size() * sizeof(char16_t)) == 0;
}

std::size_t TextFinder::findScalar(std::u16string_view text, std::size_t from,
                                   std::size_t before) const
{
    const std::size_t n = m_needle.size();
    if (n == 0 || n > text.size())
        return kNotFound;
    const std::size_t end = std::min(before, text.size() - n + 1);
    const char16_t first = m_needle.front();
    for (std::size_t p = from; p < end; ++p) {
        if (text[p] == first && matchesAt(text.data() + p))
            return p;
    }
    return kNotFound;
}

std::size_t TextFinder::find(std::u16string_view text, std::size_t from, std::size_t before) const
{
#if defined(__SSE2__)
    const std::size_t n = m_needle.size();
    if (n == 0 || n > text.size())
        return kNotFound;
    const std::size_t end = std::min(before, text.size() - n + 1);
    // Comparing the needle's first and last characters at eight places at once rejects
    // almost every place, even when the first character is the commonest letter of the text.
    constexpr std::size_t kLanes = 8;
    const __m128i first = _mm_set1_epi16(static_cast<short>(m_needle.front()));
    const __m128i last = _mm_set1_epi16(static_cast<short>(m_needle.back()));
    const char16_t* data = text.data();
    std::size_t p = from;
    for (; p + kLanes <= end; p += kLanes) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + n - 1));
        const __m128i both =
            _mm_and_si128(_mm_cmpeq_epi16(atFirst, first), _mm_cmpeq_epi16(atLast, last));
        // Two mask bits per character; keep the low one of each.
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(both)) & 0x5555u;
        while (mask != 0) {
            const std::size_t lane = static_cast<std::size_t>(__builtin_ctz(mask)) / 2;
            if (matchesAt(data + p + lane))
                return p + lane;
            mask &= mask - 1;
        }
    }
    return p < end ? findScalar(text, p, end) : kNotFound;
#else
    return findScalar(text, from, before);
#endif
}

} // namespace velmora
