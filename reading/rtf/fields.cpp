#include "fields.h"

#include "code_pages.h"

#include <cstdint>
#include <optional>

namespace velmora::rtf {
namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Reads one word of the instruction: a quoted string, or the text up to white space.
std::string_view nextWord(std::string_view& rest)
{
    while (!rest.empty() && isSpace(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return {};
    if (rest.front() == '"') {
        const std::size_t close = rest.find('"', 1);
        const std::string_view word = rest.substr(1, close == rest.npos ? rest.npos : close - 1);
        rest.remove_prefix(close == rest.npos ? rest.size() : close + 1);
        return word;
    }
    std::size_t end = 0;
    while (end < rest.size() && !isSpace(rest[end]))
        ++end;
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

// "74" or "0x4A"; nothing past U+10FFFF.
std::optional<uint32_t> parseCode(std::string_view word)
{
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && lower(word[1]) == 'x') {
        base = 16;
        word.remove_prefix(2);
    }
    if (word.empty())
        return std::nullopt;
    uint32_t code = 0;
    for (char c : word) {
        const char l = lower(c);
        const int digit = l >= '0' && l <= '9'                 ? l - '0'
                          : base == 16 && l >= 'a' && l <= 'f' ? l - 'a' + 10
                                                               : -1;
        if (digit < 0)
            return std::nullopt;
        code = code * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
        if (code > 0x10FFFF)
            return std::nullopt;
    }
    return code;
}

void appendCodePoint(std::u16string& out, uint32_t code)
{
    if (code >= 0x10000) {
        code -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (code >> 10));
        out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    } else {
        out += static_cast<char16_t>(code);
    }
}

} // namespace

std::u16string symbolFieldText(std::string_view instruction, int documentCodePage)
{
    std::string_view rest = instruction;
    if (!equalsIgnoringCase(nextWord(rest), "SYMBOL"))
        return {};
    const std::optional<uint32_t> code = parseCode(nextWord(rest));
    std::u16string font;
    bool unicode = false, shiftJis = false;
    for (std::string_view word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
        if (word.size() != 2 || word[0] != '\\')
            continue;
        switch (lower(word[1])) {
        case 'f':
            font.clear();
            for (char c : nextWord(rest)) // font names that matter here are ASCII
                font += static_cast<char16_t>(static_cast<unsigned char>(c));
            break;
        case 'u': unicode = true; break;
        case 'j': shiftJis = true; break;
        case 's': nextWord(rest); break; // a size in points
        default: break;                  // \a (the default) and \h change nothing shown
        }
    }
    if (!code || *code < 0x20 || (*code >= 0xD800 && *code <= 0xDFFF))
        return {};
    const int symbolPage = isSymbolFontName(font) ? symbolFontPage(font) : 0;
    std::u16string out;
    if (unicode) {
        const bool privateSymbol = *code >= 0xF020 && *code <= 0xF0FF;
        if (symbolPage && privateSymbol)
            out += singleByteTable(symbolPage)[*code & 0xFF];
        else
            appendCodePoint(out, *code);
    } else if (shiftJis) {
        if (*code > 0xFFFF)
            return {};
        std::string bytes;
        if (*code > 0xFF)
            bytes += static_cast<char>(*code >> 8);
        bytes += static_cast<char>(*code & 0xFF);
        ByteDecoder decoder;
        decoder.decode(932, bytes, out);
    } else {
        if (*code > 0xFF)
            return {};
        out += singleByteTable(symbolPage ? symbolPage : documentCodePage)[*code];
    }
    return out;
}

} // namespace velmora::rtf
