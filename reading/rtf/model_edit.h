#pragma once
// An edit of the model after reading: breaking words too long to lay out. Plain C++, so the
// fuzz harness checks it too.

#include "rtf/model.h"

#include <cstddef>
#include <cstdint>

namespace velmora::rtf {

// Puts a line break (U+2028) into every stretch of more than maxStretch characters without white
// space, at most maxStretch apart: no one writes such a stretch on purpose (base64 pasted as text,
// a novel in Chinese run into one paragraph), and a view would have to lay it out whole. A break
// goes after punctuation near the limit where there is some, and never before a mark or the
// second half of a surrogate pair. Runs and paragraphs keep their characters. Returns how many
// breaks were put.
std::size_t breakEndlessWords(Model& model, std::size_t maxStretch);

} // namespace velmora::rtf
