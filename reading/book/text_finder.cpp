#include "text_finder.h"

#include "rtf/simd.h"

#include <algorithm>
#include <cstring>

namespace velmora {

bool ByteFinder::matchesAt(const char* at) const
{
    return std::memcmp(at, m_needle.data(), m_needle.size()) == 0;
}

std::size_t ByteFinder::findScalar(std::string_view text, std::size_t from, std::size_t end) const
{
    const char first = m_needle.front();
    for (std::size_t p = from; p < end; ++p) {
        if (text[p] == first && matchesAt(text.data() + p))
            return p;
    }
    return kNotFound;
}

std::size_t ByteFinder::find(std::string_view text, std::size_t from, std::size_t before) const
{
    const std::size_t n = m_needle.size();
    if (n == 0 || n > text.size())
        return kNotFound;
    const std::size_t end = std::min(before, text.size() - n + 1);
    std::size_t p = from;
#if defined(VELMORA_SSE2)
    // Comparing the needle's first and last bytes at sixteen places at once rejects almost every
    // place, even when the first byte is the commonest letter of the text.
    const __m128i first = _mm_set1_epi8(m_needle.front());
    const __m128i last = _mm_set1_epi8(m_needle.back());
    const char* data = text.data();
    for (; p + 16 <= end; p += 16) {
        const __m128i atFirst = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p));
        const __m128i atLast = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + p + n - 1));
        const __m128i both =
            _mm_and_si128(_mm_cmpeq_epi8(atFirst, first), _mm_cmpeq_epi8(atLast, last));
        for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(both)); mask != 0;
             mask &= mask - 1) {
            const auto lane = static_cast<std::size_t>(__builtin_ctz(mask));
            if (matchesAt(data + p + lane))
                return p + lane;
        }
    }
#endif
    return findScalar(text, p, end);
}

} // namespace velmora
