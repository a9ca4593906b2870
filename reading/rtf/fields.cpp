#include "fields.h"

#include "code_pages.h"

#include <cstdint>
#include <optional>

namespace velmora::rtf {
namespace {

bool isSpace(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

char16_t lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c - u'A' + u'a') : c;
}

// Reads one word of the instruction: a quoted string, or the text up to white space.
std::u16string_view nextWord(std::u16string_view& rest)
{
    while (!rest.empty() && isSpace(rest.front()))
        rest.remove_prefix(1);
    if (rest.empty())
        return {};
    if (rest.front() == u'"') {
        const std::size_t close = rest.find(u'"', 1);
        const std::u16string_view word = rest.substr(1, close == rest.npos ? rest.npos : close - 1);
        rest.remove_prefix(close == rest.npos ? rest.size() : close + 1);
        return word;
    }
    std::size_t end = 0;
    while (end < rest.size() && !isSpace(rest[end]))
        ++end;
    const std::u16string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

// "74" or "0x4A"; nothing past U+10FFFF.
std::optional<uint32_t> parseCode(std::u16string_view word)
{
    int base = 10;
    if (word.size() > 2 && word[0] == u'0' && lower(word[1]) == u'x') {
        base = 16;
        word.remove_prefix(2);
    }
    if (word.empty())
        return std::nullopt;
    uint32_t code = 0;
    for (char16_t c : word) {
        const char16_t l = lower(c);
        const int digit = l >= u'0' && l <= u'9'                 ? l - u'0'
                          : base == 16 && l >= u'a' && l <= u'f' ? l - u'a' + 10
                                                                 : -1;
        if (digit < 0)
            return std::nullopt;
        code = code * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
        if (code > 0x10FFFF)
            return std::nullopt;
    }
    return code;
}

} // namespace

std::u16string symbolFieldText(std::string_view instruction, int fileCodePage)
{
    // The words that matter here are ASCII: each byte stands for itself.
    std::u16string wide;
    for (char c : instruction)
        wide += static_cast<unsigned char>(c);
    std::u16string_view rest = wide;
    if (!equalsIgnoringCase(nextWord(rest), u"SYMBOL"))
        return {};
    const std::optional<uint32_t> code = parseCode(nextWord(rest));
    std::u16string_view font;
    bool unicode = false, shiftJis = false;
    for (std::u16string_view word = nextWord(rest); !word.empty(); word = nextWord(rest)) {
        if (word.size() != 2 || word[0] != u'\\')
            continue;
        switch (lower(word[1])) {
        case u'f': font = nextWord(rest); break;
        case u'u': unicode = true; break;
        case u'j': shiftJis = true; break;
        case u's': nextWord(rest); break; // a size in points
        default: break;                   // \a (the default) and \h change nothing shown
        }
    }
    if (!code || *code < 0x20 || (*code >= 0xD800 && *code <= 0xDFFF))
        return {};
    const int symbolPage = isSymbolFontName(font) ? symbolFontPage(font) : 0;
    std::u16string out;
    if (unicode) {
        appendCodePoint(out, *code > 0xFFFF ? *code : symbolUnit(symbolPage, char16_t(*code)));
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
        out += singleByteTable(symbolPage ? symbolPage : fileCodePage)[*code];
    }
    return out;
}

} // namespace velmora::rtf
