#pragma once
// Splits RTF bytes into tokens, one at a time (pull API). Knows nothing of destinations or
// formatting; never allocates.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velmora::rtf {

// Longer control words do not exist; the rest of an overlong one is read and ignored.
constexpr std::size_t kMaxControlWordLength = 32;
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
    std::size_t offset = 0;
};

class Tokenizer {
public:
    explicit Tokenizer(std::string_view bytes) : m_bytes(bytes) {}

    Token next();
    // Skips binary data (\binN) without looking at it; clamped to the bytes that are left.
    void skipBytes(std::size_t count);
    std::size_t offset() const { return m_pos; }

private:
    Token readControl(std::size_t start);

    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

} // namespace velmora::rtf
