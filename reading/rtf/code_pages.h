#pragma once
// Turns the bytes of RTF text (\'xx escapes and raw 8-bit bytes) into UTF-16, by code page.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::rtf {

constexpr int kDefaultCodePage = 1252;
constexpr int kUtf8CodePage = 65001;
// Code page numbers in RTF are 16-bit, so pages above 0xFFFF cannot be named by a file: they
// stand for the fonts of the symbol character set (\fcharset2), whose bytes are glyph numbers.
constexpr int kSymbolFontPage = 0x10001;    // the Symbol font: Greek letters and math signs
constexpr int kWingdingsPage = 0x10002;     // Wingdings: its list bullets as Unicode
constexpr int kSymbolPrivatePage = 0x10003; // other symbol fonts: U+F000 + byte, as Windows
constexpr int kMaxCodePage = 0xFFFF;
// What stands in the text for bytes or escapes that name no character.
constexpr char16_t kReplacement = u'\uFFFD';

// The code page that a font's \fcharset implies; 0 when the charset says "use the file's".
// The symbol charset (2) gives kSymbolPrivatePage; symbolFontPage() refines it by font name.
int codePageForCharset(int charset);
// The page for a font of the symbol charset with this name (UTF-16, as the font table spells it).
int symbolFontPage(std::u16string_view fontName);
// Whether a font of this name writes its text in a symbol encoding even when the font table gives
// no \fcharset (old writers name "Symbol" for list bullets and nothing more).
bool isSymbolFontName(std::u16string_view fontName);

constexpr bool isSymbolPage(int codePage)
{
    return codePage >= kSymbolFontPage && codePage <= kSymbolPrivatePage;
}

// Whether two names are equal, ASCII letters compared without case (font names, field words).
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

enum class PageKind : uint8_t { SingleByte, DoubleByte, Utf8 };
PageKind pageKind(int codePage);

// The 256 UTF-16 units of a single-byte code page. Unknown pages fall back to 1252, which is what
// word processors assume for an unnamed page.
const std::array<char16_t, 256>& singleByteTable(int codePage);
// Whether a single-byte table leaves ASCII as it is (symbol fonts do not).
bool keepsAscii(const std::array<char16_t, 256>& table);
// Decodes bytes of a single-byte code page into out, which has room for one unit per byte.
void decodeSingleByte(std::string_view bytes, const std::array<char16_t, 256>& table,
                      bool asciiKept, char16_t* out);

// Decodes text of any page, keeping a character that is split across calls (the lead byte of a
// double-byte page, the start of a UTF-8 sequence) until the next call completes it.
class ByteDecoder {
public:
    // Appends the UTF-16 form of bytes in codePage to out.
    void decode(int codePage, std::string_view bytes, std::u16string& out);
    // Drops a half-read character: RTF writes the bytes of one character next to each other, so
    // anything else in between means the character is broken.
    void reset() { m_pendingCount = 0; }
    bool pending() const { return m_pendingCount != 0; }

private:
    void decodeDoubleByte(int codePage, std::string_view bytes, std::u16string& out);
    void decodeUtf8(std::string_view bytes, std::u16string& out);

    int m_page = 0;
    uint8_t m_pending[4] = {};
    uint8_t m_pendingCount = 0;
    uint8_t m_pendingNeeded = 0;
};

// A unit of a symbol font written as Unicode, as Windows does: U+F020..U+F0FF, decoded as that
// font's bytes are. Any other unit, or a page of no symbol font, stays as it is.
inline char16_t symbolUnit(int codePage, char16_t unit)
{
    return isSymbolPage(codePage) && unit >= 0xF020 && unit <= 0xF0FF
               ? singleByteTable(codePage)[unit & 0xFF]
               : unit;
}

// Appends a code point up to U+10FFFF, as a surrogate pair past the first plane.
void appendCodePoint(std::u16string& out, uint32_t code);

// Appends the UTF-8 form of UTF-16 text (lone surrogates become U+FFFD).
void appendUtf8(std::string& out, std::u16string_view text);

} // namespace velmora::rtf
