#pragma once
// The small commands that act on the whole view or its selection.

#include <QString>

namespace velmora {

class RichTextView;

// The whole book takes the size (a whole number of points, as text); the caret goes to the
// start. Fonts and all other attributes stay.
void applyTextSize(RichTextView& view, const QString& size);

void caretToStart(RichTextView& view); // and the view takes the focus
void caretToEnd(RichTextView& view);   // likewise
void selectAll(RichTextView& view);

// Empties the clipboard, then gives it the selection's plain text (paragraph ends as line
// feeds); with nothing selected the clipboard stays as it was. Returns false when there is no
// clipboard; the view is never changed.
bool copySelection(const RichTextView& view);

} // namespace velmora
