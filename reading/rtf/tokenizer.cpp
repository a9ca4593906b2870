#include "tokenizer.h"

#include <array>
#include <limits>

namespace velmora::rtf {

namespace {

// Bytes that end a text run: group braces, the escape, and line ends (which RTF ignores).
constexpr std::array<bool, 256> kEndsText = [] {
    std::array<bool, 256> table{};
    for (char c : {'{', '}', '\\', '\r', '\n', '\0'})
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

// Every byte's value as a hex digit, or -1; one lookup instead of three range tests, since
// \'xx escapes are most of the control sequences in text of a non-English language.
constexpr std::array<int8_t, 256> kHexValue = [] {
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

int hexValue(char c)
{
    return kHexValue[static_cast<unsigned char>(c)];
}
bool isLetter(char c)
{
    return static_cast<unsigned char>((c | 0x20) - 'a') < 26;
}
bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

} // namespace

Token Tokenizer::next()
{
    const std::size_t size = m_bytes.size();
    while (m_pos < size) {
        const std::size_t start = m_pos;
        const char c = m_bytes[m_pos];
        switch (c) {
        case '{': ++m_pos; return {.kind = TokenKind::GroupOpen, .offset = start};
        case '}': ++m_pos; return {.kind = TokenKind::GroupClose, .offset = start};
        case '\\':
            if (m_pos + 3 < size && m_bytes[m_pos + 1] == '\'') {
                const int high = hexValue(m_bytes[m_pos + 2]);
                const int low = hexValue(m_bytes[m_pos + 3]);
                if ((high | low) >= 0) {
                    m_pos += 4;
                    return {.kind = TokenKind::HexByte,
                            .byte = static_cast<uint8_t>(high << 4 | low),
                            .offset = start};
                }
            }
            return readControl(start); // a control word or symbol, or a broken \'xx
        case '\r':
        case '\n':
        case '\0': ++m_pos; continue;
        default: {
            std::size_t end = m_pos + 1;
            while (end < size && !kEndsText[static_cast<unsigned char>(m_bytes[end])])
                ++end;
            m_pos = end;
            return {.kind = TokenKind::Text,
                    .text = m_bytes.substr(start, end - start),
                    .offset = start};
        }
        }
    }
    return {.kind = TokenKind::End, .offset = m_pos};
}

Token Tokenizer::readControl(std::size_t start)
{
    const std::size_t size = m_bytes.size();
    std::size_t pos = start + 1;
    if (pos >= size) {
        m_pos = size;
        return {.kind = TokenKind::End, .offset = start};
    }
    const char first = m_bytes[pos];
    if (!isLetter(first)) {
        // A broken \'xx (next() reads every whole one) is handed on as the symbol \', which the
        // reader ignores, so its digits are read as text. A backslash before a line end is an old
        // spelling of \par.
        m_pos = pos + 1;
        return {.kind = TokenKind::ControlSymbol,
                .symbol = first == '\n' || first == '\r' ? '\n' : first,
                .offset = start};
    }

    std::size_t wordEnd = pos;
    while (wordEnd < size && isLetter(m_bytes[wordEnd]))
        ++wordEnd;
    std::string_view word = m_bytes.substr(pos, std::min(wordEnd - pos, kMaxControlWordLength));
    pos = wordEnd;

    Token token{.kind = TokenKind::ControlWord, .text = word, .offset = start};
    bool negative = false;
    if (pos < size && m_bytes[pos] == '-' && pos + 1 < size && isDigit(m_bytes[pos + 1])) {
        negative = true;
        ++pos;
    }
    if (pos < size && isDigit(m_bytes[pos])) {
        int64_t value = 0;
        std::size_t digits = 0;
        while (pos < size && isDigit(m_bytes[pos])) {
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

void Tokenizer::skipBytes(std::size_t count)
{
    const std::size_t left = m_bytes.size() - m_pos;
    m_pos += count < left ? count : left;
}

} // namespace velmora::rtf
