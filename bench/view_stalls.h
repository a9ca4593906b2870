#pragma once
// The longest stalls of the event loop while the view is driven through widths and text sizes:
// loading, then at each size and width a resize, a jump to the last hadith, a search for an
// absent word, select all with copy, and the caret to the end and back. Prints one table row
// per size and width.

#include <QString>

namespace velmora {

class RichTextView;

int printStallTable(RichTextView& view, const QString& book);

} // namespace velmora
