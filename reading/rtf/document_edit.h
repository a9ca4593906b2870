#pragma once
// Edits of a document after reading: repairing runs that leave gaps or overlap, breaking words
// too long to lay out, and giving a stretch of text another size. Plain C++, so the fuzz harness
// checks them too.

#include "rtf/document.h"

#include <cstddef>
#include <cstdint>

namespace velmora::rtf {

// Makes the runs ordered, contiguous and covering [0, length), each with a valid format.
void repairRuns(Document& model, int32_t length);

// Puts a line break (U+2028) after every maxStretch characters of any longer stretch that has no
// white space and is written in scripts that put spaces between words (all below Thai): no one
// reads such a stretch (base64 pasted as text, say), but a view would have to lay it out as one
// word. Runs and paragraphs keep their characters. Returns how many breaks were put.
std::size_t breakEndlessWords(Document& model, std::size_t maxStretch);

// Gives the characters in [start, end) the size halfPoints, splitting the runs at the ends and
// joining neighbours that end up alike; formats no run uses any more are dropped.
void resizeRuns(Document& model, int32_t start, int32_t end, uint16_t halfPoints);

} // namespace velmora::rtf
