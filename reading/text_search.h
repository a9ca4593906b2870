#pragma once
// One step of the text search: from the view's selection to the next occurrence of a text.

#include <QString>

class QWidget;

namespace velmora {

class RichTextView;

// The characters before which a step that starts inside other selected text resumes.
inline const QString kSearchDelimiters = QStringLiteral(" ,.?!:");

// Runs one search step for searchText, asking and telling the user through message boxes
// (showMessage) parented to dialogParent. Returns false when searchText is empty: the user has
// been told so, and the caller should give the search box the focus.
bool searchStep(RichTextView& view, const QString& searchText, QWidget* dialogParent);

} // namespace velmora
