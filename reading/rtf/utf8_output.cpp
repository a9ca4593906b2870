// UTF-16 text written as UTF-8: how rtfdump prints a book, so it is tuned for text in which
// letters of two UTF-8 bytes (ë, ç, Arabic) come every few letters.

#include "code_pages.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__)
#include <tmmintrin.h>
#define VELMORA_SSSE3_SHUFFLE 1
#endif

namespace velmora::rtf {

namespace {

// Characters are encoded into a small local buffer and appended a block at a time: appending
// byte by byte to the string checks its capacity for every byte.
constexpr std::size_t kUtf8BlockBytes = 4096;

// Writes one code point as UTF-8 at out and returns the end of what it wrote.
char* putUtf8(char* out, uint32_t c)
{
    if (c < 0x80) {
        *out++ = static_cast<char>(c);
    } else if (c < 0x800) {
        *out++ = static_cast<char>(0xC0 | (c >> 6));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (c >> 18));
        *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Writes a unit below U+0800 as its one or two bytes, choosing without a branch, which would be
// mispredicted at every accented letter. Two bytes are always written.
char* putShortUtf8(char* out, uint32_t unit)
{
    const bool twoBytes = unit >= 0x80;
    out[0] = static_cast<char>(twoBytes ? 0xC0 | (unit >> 6) : unit);
    out[1] = static_cast<char>(0x80 | (unit & 0x3F));
    return out + 1 + twoBytes;
}

// A "short" unit is below U+0800 (one or two bytes) and not a carriage return, which may stand
// for a line end. writeShortPrefix writes the leading short units of the eight from units on at
// out and returns how many there were; it may write two bytes more than it keeps.
#if defined(__SSE2__)
// All ones in the lanes of eight units that are short.
__m128i shortUnits(__m128i v)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i notReturn =
        _mm_xor_si128(_mm_cmpeq_epi16(v, _mm_set1_epi16('\r')), _mm_cmpeq_epi16(zero, zero));
    const __m128i belowTwoBytes =
        _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(int16_t(0xF800))), zero);
    return _mm_and_si128(belowTwoBytes, notReturn);
}

std::size_t writeShortPrefix(const char16_t* units, char*& out)
{
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units));
    const auto count = static_cast<std::size_t>(std::countr_one(
                           static_cast<unsigned>(_mm_movemask_epi8(shortUnits(v))))) /
                       2;
    for (std::size_t k = 0; k < count; ++k)
        out = putShortUtf8(out, units[k]);
    return count;
}
#else
std::size_t writeShortPrefix(const char16_t* units, char*& out)
{
    std::size_t count = 0;
    for (; count < 8 && units[count] < 0x800 && units[count] != u'\r'; ++count)
        out = putShortUtf8(out, units[count]);
    return count;
}
#endif

#if VELMORA_SSSE3_SHUFFLE
// For each set of the eight units that take two bytes (bit k for unit k), the byte shuffle that
// keeps both bytes of those and the low byte of the others, and how many bytes that leaves.
struct Compaction {
    alignas(16) std::array<std::array<uint8_t, 16>, 256> shuffle;
    std::array<uint8_t, 256> length;
};
constexpr Compaction kCompaction = [] {
    Compaction table{};
    for (unsigned twoByteUnits = 0; twoByteUnits < 256; ++twoByteUnits) {
        auto& shuffle = table.shuffle[twoByteUnits];
        shuffle.fill(0x80); // pshufb writes zero for these
        uint8_t length = 0;
        for (uint8_t unit = 0; unit < 8; ++unit) {
            shuffle[length++] = static_cast<uint8_t>(2 * unit);
            if (twoByteUnits & (1u << unit))
                shuffle[length++] = static_cast<uint8_t>(2 * unit + 1);
        }
        table.length[twoByteUnits] = length;
    }
    return table;
}();

// Writes blocks of eight short units with one byte shuffle each, while there are eight units
// left and all of them are short; returns how many units it wrote. Each block stores sixteen
// bytes, of which it keeps eight to sixteen.
[[gnu::target("ssse3")]] std::size_t writeShortBlocks(const char16_t* units, std::size_t size,
                                                      char*& out)
{
    const __m128i zero = _mm_setzero_si128();
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(units + i));
        if (_mm_movemask_epi8(shortUnits(v)) != 0xFFFF)
            break;
        // Both UTF-8 bytes of every unit as one 16-bit lane: lead byte low, continuation high.
        const __m128i lead = _mm_or_si128(_mm_srli_epi16(v, 6), _mm_set1_epi16(0xC0));
        const __m128i continuation =
            _mm_or_si128(_mm_slli_epi16(_mm_and_si128(v, _mm_set1_epi16(0x3F)), 8),
                         _mm_set1_epi16(static_cast<int16_t>(0x8000)));
        const __m128i ascii =
            _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(int16_t(0xFF80))), zero);
        const __m128i pairs = _mm_or_si128(
            _mm_and_si128(ascii, v), _mm_andnot_si128(ascii, _mm_or_si128(lead, continuation)));
        const auto twoByteUnits =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ascii, zero))) ^ 0xFFu;
        const __m128i shuffle = _mm_load_si128(
            reinterpret_cast<const __m128i*>(kCompaction.shuffle[twoByteUnits].data()));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_shuffle_epi8(pairs, shuffle));
        out += kCompaction.length[twoByteUnits];
    }
    return i;
}

bool hasByteShuffle()
{
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#else
std::size_t writeShortBlocks(const char16_t*, std::size_t, char*&)
{
    return 0;
}

bool hasByteShuffle()
{
    return false;
}
#endif

} // namespace

char* writeUtf8(char* out, std::u16string_view text, LineEnds lineEnds)
{
    const bool newlines = lineEnds == LineEnds::AsNewline;
    const bool byteShuffle = hasByteShuffle();
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        if (byteShuffle) {
            i += writeShortBlocks(text.data() + i, size - i, out);
            if (i == size)
                break;
        }
        if (i + 8 <= size) {
            const std::size_t written = writeShortPrefix(text.data() + i, out);
            i += written;
            if (written == 8)
                continue;
        }
        const uint32_t c = text[i++];
        if (c < 0x80) {
            *out++ = newlines && c == u'\r' ? '\n' : static_cast<char>(c);
        } else if (newlines && c == 0x2028) {
            *out++ = '\n';
        } else if (c < 0xD800 || c > 0xDFFF) {
            out = putUtf8(out, c);
        } else if (c <= 0xDBFF && i < size && text[i] >= 0xDC00 && text[i] <= 0xDFFF) {
            out = putUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[i] - 0xDC00u));
            ++i;
        } else {
            out = putUtf8(out, kReplacement);
        }
    }
    return out;
}

std::size_t utf8SliceLength(std::u16string_view text, std::size_t most)
{
    const std::size_t length = std::min(text.size(), most);
    const bool splitsPair = length < text.size() && text[length - 1] >= 0xD800 &&
                            text[length - 1] <= 0xDBFF && text[length] >= 0xDC00 &&
                            text[length] <= 0xDFFF;
    return splitsPair ? length - 1 : length;
}

void appendUtf8(std::string& out, std::u16string_view text, LineEnds lineEnds)
{
    char block[kUtf8BlockBytes];
    while (!text.empty()) {
        const std::size_t units = utf8SliceLength(text, kUtf8BlockBytes / 3);
        out.append(block, writeUtf8(block, text.substr(0, units), lineEnds));
        text.remove_prefix(units);
    }
}

} // namespace velmora::rtf
