#pragma once
// Edits of a document's runs after reading: repairing runs that leave gaps or overlap, and
// giving a stretch of text another size. Plain C++, so the fuzz harness checks them too.

#include "rtf/document.h"

#include <cstdint>

namespace velmora::rtf {

// Makes the runs ordered, contiguous and covering [0, length), each with a valid format.
void repairRuns(Document& model, int32_t length);

// Gives the characters in [start, end) the size halfPoints, splitting the runs at the ends and
// joining neighbours that end up alike; formats no run uses any more are dropped.
void resizeRuns(Document& model, int32_t start, int32_t end, uint16_t halfPoints);

} // namespace velmora::rtf
