#pragma once
// Reads the bytes of an RTF file into a Model. Never throws; never recurses on nesting.

#include "model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::rtf {

// Group states are kept for this many levels. Real files stay far below it except mail that
// Outlook wraps around HTML, which opens a group per HTML element and reaches a few thousand
// levels. Deeper groups are counted, not stored, so a million '{' costs no memory; they are read
// in the state of the deepest stored group, and any destination inside them is skipped.
constexpr std::size_t kMaxGroupDepth = 8192;
// \ucN beyond this is nonsense (no character has more than a few bytes of fallback); clamping
// keeps a hostile value from swallowing whole stretches of text as "fallback".
constexpr int32_t kMaxUnicodeSkip = 16;

enum class ParseStatus {
    Ok,        // read to the end
    Truncated, // the file ended inside an open group: everything read so far is kept
    NotRtf,    // the bytes do not start with "{\rtf"; the model is empty
};

struct ParseResult {
    ParseStatus status = ParseStatus::Ok;
    std::size_t byteOffset = 0; // where reading stopped or the fault was found
    std::string message;        // short English description for tools and logs; "" when Ok
    Model model;

    bool ok() const { return status != ParseStatus::NotRtf; }
};

// Reads a whole RTF file. What the text holds, where RTF leaves a choice:
// - shown: body text, field results (\fldrslt), list labels (\listtext or \pntext, once per
//   paragraph), an object's \result, shape results (\shprslt), the Unicode copy of \upr;
// - left out: font, colour and style tables (read for formatting), \info, headers and footers,
//   footnote and annotation contents (a footnote leaves its number, as \chftn asks), field
//   instructions, \bin data outside pictures, hidden text (\v), and every \* destination not
//   named here;
// - a picture (\pict) is one U+FFFC, in the text's format, and a Picture in the model; of a
//   \shppict and the \nonshppict after it only the first;
// - \par, \sect and \page end a paragraph ('\r', never two for one break), \line is U+2028,
//   \tab and \cell are '\t', and \row turns its last cell's tab into the paragraph end;
// - text in symbol fonts (\fcharset2) becomes the Unicode characters the Symbol font draws, the
//   usual Wingdings bullets as their Unicode look-alikes, anything else Windows' U+F000 + byte.
ParseResult parseRtf(std::string_view bytes);

// Where the RTF starts: past a UTF-8 byte-order mark and white space, at "{\rtf"; nullopt
// when the bytes do not start so, and parseRtf would say NotRtf.
std::optional<std::size_t> rtfStart(std::string_view bytes);

} // namespace velmora::rtf
