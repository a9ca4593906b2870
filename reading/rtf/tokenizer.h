#pragma once
// Splits RTF bytes into tokens, one at a time (pull API). Knows nothing of destinations or
// formatting; allocates nothing of its own.
//
// Defined here, inline: the parser's loop takes over a million tokens from a long book, and with
// the tokenizer inlined into it reading costs a sixth fewer instructions.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "simd.h"

namespace velmora::rtf {

// Longer control words do not exist; the rest of an overlong one is read and ignored.
constexpr std::size_t kMaxControlWordLength = 32;
// Text gathered from several pieces is handed on in parts of about this size.
constexpr std::size_t kMaxGatheredText = 1 << 16;
// The room made ahead of each copy of a text piece while gathering.
constexpr std::size_t kGatherStep = 256;
// Ten digits hold every int32 value; more digits are read and the value clamped.
constexpr std::size_t kMaxParameterDigits = 10;

enum class TokenKind : uint8_t {
    End,
    GroupOpen,
    GroupClose,
    ControlWord,   // word, and parameter when hasParameter
    ControlSymbol, // symbol: the character after the backslash
    HexByte,       // \'xx: byte
    Text,          // text: a run of plain bytes, no braces, backslashes or line ends
};

struct Token {
    TokenKind kind = TokenKind::End;
    bool hasParameter = false;
    char symbol = 0;
    uint8_t byte = 0;
    int32_t parameter = 0;
    std::string_view text{}; // the word for ControlWord, the bytes for Text
    // A control word's first eight letters, the first in the lowest byte, zero-padded: the key
    // under which lookupWord finds it, read here at once since the bytes are at hand.
    uint64_t wordKey = 0;
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view bytes) : m_bytes(bytes) {}

    Token next();
    // The text that a Text or HexByte token begins, with the text and \'xx escapes right after
    // it up to the next other token (line ends between them are passed over), so that a word
    // broken by escapes is decoded in one piece. A view of the bytes when the token's text is all
    // of it, else of scratch; up to about kMaxGatheredText bytes at a time, so that a file of
    // escapes alone is not held twice.
    std::string_view gatherText(const Token& first, std::string& scratch);
    // Skips binary data (\binN) without looking at it; clamped to the bytes that are left.
    void skipBytes(std::size_t count);
    std::size_t offset() const { return m_pos; }

private:
    // The byte of a whole \'xx escape at pos, or -1.
    int hexEscapeAt(std::size_t pos) const;
    Token readControl(std::size_t start);
    // Where the word starting at pos ends; key gets its first eight letters (Token::wordKey).
    std::size_t scanWord(std::size_t pos, uint64_t& key) const;

    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

// Forced, since the compiler's own measure finds next() too large to inline where it is called
// from more than one place.
#define VELMORA_TOKENIZER_INLINE [[gnu::always_inline]] inline

// What each byte is, for the tokenizer alone.
namespace byte_class {

// The bytes that end a text run: the group braces and the escape, which begin other tokens,
// then the line ends (and NUL) that RTF passes over between tokens.
inline constexpr std::array<char, 6> kTextEnds = {'{', '}', '\\', '\r', '\n', '\0'};
inline constexpr std::size_t kFirstPassedOver = 3;

inline constexpr std::array<bool, 256> kEndsText = [] {
    std::array<bool, 256> table{};
    for (char c : kTextEnds)
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

inline bool passedOver(char c)
{
    return std::find(kTextEnds.begin() + kFirstPassedOver, kTextEnds.end(), c) != kTextEnds.end();
}

// Every byte's value as a hex digit, or -1; one lookup instead of three range tests, since
// \'xx escapes are most of the control sequences in text of a non-English language.
inline constexpr std::array<int8_t, 256> kHexValue = [] {
    std::array<int8_t, 256> table{};
    table.fill(-1);
    for (unsigned c = 0; c < 10; ++c)
        table['0' + c] = static_cast<int8_t>(c);
    for (unsigned c = 0; c < 6; ++c) {
        table['a' + c] = static_cast<int8_t>(10 + c);
        table['A' + c] = static_cast<int8_t>(10 + c);
    }
    return table;
}();

inline int hexValue(char c)
{
    return kHexValue[static_cast<unsigned char>(c)];
}
inline constexpr std::array<bool, 256> kIsLetter = [] {
    std::array<bool, 256> table{};
    for (unsigned c = 0; c < 26; ++c)
        table['a' + c] = table['A' + c] = true;
    return table;
}();

inline bool isLetter(char c)
{
    return kIsLetter[static_cast<unsigned char>(c)];
}
inline constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The high bit of each byte of the eight that is an ASCII letter. Setting bit 5 folds capitals
// onto small letters and moves no other byte into a to z; each byte's sums stay below 0x100,
// so nothing carries into the next byte.
inline uint64_t letterBytes(uint64_t bytes)
{
    constexpr uint64_t ones = 0x0101010101010101ull;
    const uint64_t folded = bytes | 0x20 * ones;
    const uint64_t low = folded & 0x7F * ones;
    const uint64_t atLeastA = low + (0x80 - 'a') * ones;
    const uint64_t pastZ = low + (0x80 - 'z' - 1) * ones;
    return atLeastA & ~pastZ & ~folded & kHighBits;
}

inline bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

#if defined(VELMORA_SSE2)
// Bit k set where byte k of the sixteen ends a text run.
inline unsigned textEndsIn(__m128i v)
{
    __m128i ends = _mm_setzero_si128();
    for (char c : kTextEnds)
        ends = _mm_or_si128(ends, _mm_cmpeq_epi8(v, _mm_set1_epi8(c)));
    return static_cast<unsigned>(_mm_movemask_epi8(ends));
}
#endif

// Where the text from pos on ends (kEndsText), or limit; sixteen bytes at a time where SSE2 is
// there, since the text between the escapes is most of a book's bytes.
inline std::size_t textEnd(const char* bytes, std::size_t pos, std::size_t limit)
{
    // A single character between two escapes (\u1076?) is common enough to look at on its own.
    if (pos < limit && kEndsText[static_cast<unsigned char>(bytes[pos])])
        return pos;
#if defined(VELMORA_SSE2)
    for (; pos + 16 <= limit; pos += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos));
        if (const unsigned found = textEndsIn(v))
            return pos + static_cast<std::size_t>(std::countr_zero(found));
    }
#endif
    while (pos < limit && !kEndsText[static_cast<unsigned char>(bytes[pos])])
        ++pos;
    return pos;
}

// Copies the text from pos on to out, up to its end (kEndsText), limit, or outEnd, and returns
// where it stopped; out is moved past the copy. Sixteen bytes at a time, each stored whole before
// their end is looked for, so a short run costs one load and one store.
inline std::size_t copyText(const char* bytes, std::size_t pos, std::size_t limit, char*& out,
                            const char* outEnd)
{
#if defined(VELMORA_SSE2)
    while (pos + 16 <= limit && outEnd - out >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
        if (const unsigned found = textEndsIn(v)) {
            const auto length = static_cast<std::size_t>(std::countr_zero(found));
            out += length;
            return pos + length;
        }
        out += 16;
        pos += 16;
    }
#endif
    while (pos < limit && out < outEnd && !kEndsText[static_cast<unsigned char>(bytes[pos])])
        *out++ = bytes[pos++];
    return pos;
}

} // namespace byte_class

inline int Tokenizer::hexEscapeAt(std::size_t pos) const
{
    if (pos + 3 >= m_bytes.size() || m_bytes[pos + 1] != '\'')
        return -1;
    const int high = byte_class::hexValue(m_bytes[pos + 2]);
    const int low = byte_class::hexValue(m_bytes[pos + 3]);
    return (high | low) >= 0 ? high << 4 | low : -1;
}

VELMORA_TOKENIZER_INLINE Token Tokenizer::next()
{
    const std::size_t size = m_bytes.size();
    while (m_pos < size) {
        const std::size_t start = m_pos;
        const char c = m_bytes[m_pos];
        switch (c) {
        case '{': ++m_pos; return {.kind = TokenKind::GroupOpen};
        case '}': ++m_pos; return {.kind = TokenKind::GroupClose};
        case '\\':
            if (const int byte = hexEscapeAt(m_pos); byte >= 0) {
                m_pos += 4;
                return {.kind = TokenKind::HexByte, .byte = static_cast<uint8_t>(byte)};
            }
            return readControl(start); // a control word or symbol, or a broken \'xx
        default:
            if (byte_class::passedOver(c)) {
                ++m_pos;
                continue;
            }
            const std::size_t end = byte_class::textEnd(m_bytes.data(), m_pos + 1, size);
            m_pos = end;
            return {.kind = TokenKind::Text, .text = m_bytes.substr(start, end - start)};
        }
    }
    return {.kind = TokenKind::End};
}

VELMORA_TOKENIZER_INLINE Token Tokenizer::readControl(std::size_t start)
{
    const std::size_t size = m_bytes.size();
    std::size_t pos = start + 1;
    if (pos >= size) {
        m_pos = size;
        return {.kind = TokenKind::End};
    }
    const char first = m_bytes[pos];
    if (!byte_class::isLetter(first)) {
        // A broken \'xx (next() reads every whole one) is handed on as the symbol \', which the
        // parser ignores, so its digits are read as text. A backslash before a line end is an old
        // spelling of \par.
        m_pos = pos + 1;
        return {.kind = TokenKind::ControlSymbol,
                .symbol = first == '\n' || first == '\r' ? '\n' : first};
    }

    uint64_t key = 0;
    const std::size_t wordEnd = scanWord(pos, key);
    const std::string_view word =
        m_bytes.substr(pos, std::min(wordEnd - pos, kMaxControlWordLength));
    Token token{.kind = TokenKind::ControlWord, .text = word, .wordKey = key};
    pos = wordEnd;

    bool negative = false;
    if (pos < size && m_bytes[pos] == '-' && pos + 1 < size &&
        byte_class::isDigit(m_bytes[pos + 1])) {
        negative = true;
        ++pos;
    }
    if (pos < size && byte_class::isDigit(m_bytes[pos])) {
        int64_t value = 0;
        std::size_t digits = 0;
        while (pos < size && byte_class::isDigit(m_bytes[pos])) {
            if (digits < kMaxParameterDigits + 1)
                value = value * 10 + (m_bytes[pos] - '0');
            ++digits;
            ++pos;
        }
        if (negative)
            value = -value;
        constexpr int64_t lo = std::numeric_limits<int32_t>::min();
        constexpr int64_t hi = std::numeric_limits<int32_t>::max();
        token.hasParameter = true;
        token.parameter = static_cast<int32_t>(value < lo ? lo : value > hi ? hi : value);
    }
    // Only a single space ends a control word and belongs to it; any other byte is content.
    if (pos < size && m_bytes[pos] == ' ')
        ++pos;
    m_pos = pos;
    return token;
}

// Eight bytes at a time where the buffer allows it: nearly every control word is shorter, so its
// end and its key come from one load instead of a loop over its letters.
VELMORA_TOKENIZER_INLINE std::size_t Tokenizer::scanWord(std::size_t pos, uint64_t& key) const
{
    const std::size_t size = m_bytes.size();
    if constexpr (std::endian::native == std::endian::little) {
        if (pos + 8 <= size) {
            uint64_t bytes = 0;
            std::memcpy(&bytes, m_bytes.data() + pos, 8);
            const uint64_t nonLetters = ~byte_class::letterBytes(bytes) & byte_class::kHighBits;
            if (nonLetters != 0) {
                const auto letters = static_cast<unsigned>(std::countr_zero(nonLetters)) / 8;
                key = bytes & ((uint64_t(1) << (8 * letters)) - 1);
                return pos + letters;
            }
            key = bytes;
            std::size_t end = pos + 8;
            while (end < size && byte_class::isLetter(m_bytes[end]))
                ++end;
            return end;
        }
    }
    std::size_t end = pos;
    while (end < size && byte_class::isLetter(m_bytes[end])) {
        if (end - pos < 8)
            key |= uint64_t(static_cast<uint8_t>(m_bytes[end])) << (8 * (end - pos));
        ++end;
    }
    return end;
}

inline std::string_view Tokenizer::gatherText(const Token& first, std::string& scratch)
{
    const std::string_view single = first.kind == TokenKind::Text ? first.text : std::string_view();
    bool copied = false;
    // scratch is written through a pointer and only ever grows: its size is room, and out marks
    // the end of the text in it.
    char* out = scratch.data();
    const auto room = [&scratch, &out](std::size_t more) {
        const auto length = static_cast<std::size_t>(out - scratch.data());
        if (scratch.size() < length + more) {
            scratch.resize(std::max(length + more, 2 * scratch.size()));
            out = scratch.data() + length;
        }
    };
    // The text gathered so far moves to scratch once a second piece joins it.
    const auto copyFirst = [&] {
        if (!copied) {
            room(single.size());
            std::memcpy(out, single.data(), single.size());
            out += single.size();
            copied = true;
        }
    };
    if (first.kind != TokenKind::Text) {
        room(1);
        *out++ = static_cast<char>(first.byte);
        copied = true;
    }
    const char* const bytes = m_bytes.data();
    const std::size_t size = m_bytes.size();
    std::size_t pos = m_pos;
    while (pos < size &&
           (!copied || static_cast<std::size_t>(out - scratch.data()) < kMaxGatheredText)) {
        const char c = bytes[pos];
        if (byte_class::passedOver(c)) {
            ++pos;
            continue;
        }
        if (c == '{' || c == '}')
            break;
        if (c == '\\') {
            const int byte = hexEscapeAt(pos);
            if (byte < 0)
                break; // a control word or symbol
            copyFirst();
            room(1);
            *out++ = static_cast<char>(byte);
            pos += 4;
            continue;
        }
        copyFirst();
        // A piece of text is copied whole, the room growing while the piece fills it.
        const char* roomEnd = nullptr;
        do {
            room(kGatherStep);
            roomEnd = scratch.data() + scratch.size();
            pos = byte_class::copyText(bytes, pos, size, out, roomEnd);
        } while (out == roomEnd);
    }
    m_pos = pos;
    return copied ? std::string_view(scratch.data(), static_cast<std::size_t>(out - scratch.data()))
                  : single;
}

inline void Tokenizer::skipBytes(std::size_t count)
{
    const std::size_t left = m_bytes.size() - m_pos;
    m_pos += count < left ? count : left;
}

#undef VELMORA_TOKENIZER_INLINE

} // namespace velmora::rtf
