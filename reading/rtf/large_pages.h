#pragma once
// Memory advice for the document's text, the one block of a book's size that the parser fills.

#include <cstddef>

namespace velmora::rtf {

// Asks the system to back the whole 2 MB stretches of [start, start + bytes) with 2 MB pages:
// the text is written front to back once, and the fault of a small page for every 4 KB of it was
// a large share of the time a book takes to read. Only advice: where the system has no such
// pages, nothing changes.
void adviseLargePages(void* start, std::size_t bytes);

} // namespace velmora::rtf
