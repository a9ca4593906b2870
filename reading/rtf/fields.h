#pragma once
// Fields whose result a word processor computes when the file leaves it out.

#include <string>
#include <string_view>

namespace velmora::rtf {

// The instruction of a field is at most this long where it matters here; the rest is dropped.
constexpr std::size_t kMaxFieldInstruction = 256;

// The character of a SYMBOL field ("SYMBOL 74 \f "Wingdings" \s 12"): the code in decimal or
// 0x-hex, read as Unicode (\u), Shift-JIS (\j) or a byte of the named font, whose symbol fonts
// decode as their text does. Empty for any other field, or a code that names no character.
std::u16string symbolFieldText(std::string_view instruction, int fileCodePage);

} // namespace velmora::rtf
