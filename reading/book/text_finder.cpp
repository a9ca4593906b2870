#include "text_finder.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace velmora {

template <typename Unit>
BasicTextFinder<Unit>::BasicTextFinder(std::basic_string_view<Unit> needle) : m_needle(needle)
{
}

template <typename Unit> bool BasicTextFinder<Unit>::matchesAt(const Unit* at) const
{
    return std::memcmp(at, m_needle.data(), m_needle.size() * sizeof(Unit)) == 0;
}

template <typename Unit>
std::size_t BasicTextFinder<Unit>::findScalar(std::basic_string_view<Unit> text, std::size_t from,
                                              std::size_t before) const
{
    const std::size_t n = m_needle.size();
    if (n == 0 || n > text.size())
        return kNotFound;
    const std::size_t end = std::min(before, text.size() - n + 1);
    const Unit first = m_needle.front();
    for (std::size_t p = from; p < end; ++p) {
        if (text[p] == first && matchesAt(text.data() + p))
            return p;
    }
    return kNotFound;
}

template <typename Unit>
std::size_t BasicTextFinder<Unit>::find(std::basic_string_view<Unit> text, std::size_t from,
                                        std::size_t before) const
{
#if defined(__SSE2__)
    const std::size_t n = m_needle.size();
    if (n == 0 || n > text.size())
        return kNotFound;
    const std::size_t end = std::min(before, text.size() - n + 1);
    // Comparing the needle's first and last units at every place of a vector at once rejects
    // almost every place, even when the first unit is the commonest letter of the text.
    constexpr std::size_t kLanes = 16 / sizeof(Unit);
    const auto splat = [](Unit unit) {
        if constexpr (sizeof(Unit) == 1)
            return _mm_set1_epi8(static_cast<char>(unit));
        else
            return _mm_set1_epi16(static_cast<short>(unit));
    };
    const auto equal = [](__m128i a, __m128i b) {
        if constexpr (sizeof(Unit) == 1)
            return _mm_cmpeq_epi8(a, b);
        else
            return _mm_cmpeq_epi16(a, b);
    };
    // One mask bit per byte: a unit of two bytes keeps the low one of its two.
    constexpr unsigned kUnitBits = sizeof(Unit) == 1 ? 0xFFFFu : 0x5555u;
    const __m128i first = splat(m_needle.front());
    const __m128i last = splat(m_needle.back());
    const Unit* data = text.data();
    std::size_t p = from;
    for (; p + kLanes <= end; p += kLanes) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + n - 1));
        const __m128i both = _mm_and_si128(equal(atFirst, first), equal(atLast, last));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(both)) & kUnitBits;
        while (mask != 0) {
            const std::size_t lane = static_cast<std::size_t>(__builtin_ctz(mask)) / sizeof(Unit);
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

template class BasicTextFinder<char16_t>;
template class BasicTextFinder<char>;

} // namespace velmora
