#pragma once
// Turns the bytes of RTF text (\'xx escapes and raw 8-bit bytes) into UTF-16, by code page.

#include <array>
#include <cstdint>
#include <string>

namespace velmora::rtf {

constexpr int kDefaultCodePage = 1252;

// The code page that a font's \fcharset implies; 0 when the charset says "use the document's".
int codePageForCharset(int charset);

// Whether the code page encodes some characters as two bytes (932, 936, 949, 950).
bool isDoubleByteCodePage(int codePage);
bool isLeadByte(int codePage, uint8_t byte);

// The 256 UTF-16 units of a single-byte code page (ASCII below 0x80). Unknown pages fall back
// to 1252, which is what word processors assume for an unnamed page.
const std::array<char16_t, 256>& singleByteTable(int codePage);

// Decodes one character of a double-byte page, given as two bytes or (below the lead-byte
// ranges) one; U+FFFD when the bytes are not valid in that page.
char16_t decodeDoubleByte(int codePage, uint8_t lead, uint8_t trail);
char16_t decodeSingleByte(int codePage, uint8_t byte);

// Appends the UTF-8 form of UTF-16 text (lone surrogates become U+FFFD).
void appendUtf8(std::string& out, const std::u16string& text);

} // namespace velmora::rtf
