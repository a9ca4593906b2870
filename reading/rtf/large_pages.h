#pragma once
// Memory advice for the document's text, the one block of a book's size that the parser fills.
// The text is written front to back once, and the fault of a small page for every 4 KB of it
// was a large share of the time a book takes to read.

#include <cstddef>

namespace velmora::rtf {

// A size of at least bytes for a block that is to be advised onto large pages: for a large
// block, whole 2 MB pages less the little room that malloc keeps in front of a block, so that
// the system places the block's mapping on a 2 MB boundary and every 2 MB of it can be one page.
std::size_t largePageBlockSize(std::size_t bytes);

// Asks the system to back [start, start + bytes) with 2 MB pages where whole ones fit, the first
// of them at once. Only advice: where the system has no such pages, nothing changes.
void adviseLargePages(void* start, std::size_t bytes);

} // namespace velmora::rtf
