#pragma once
// The jump to a hadith: its heading is the first occurrence of its number set in "Arial".

#include <QString>

namespace velmora {

class RichTextView;

inline const QString kHeadingFont = QStringLiteral("Arial");

// Selects, in view, the heading line of the hadith whose number text is number: from the first
// character of the number to the end of its line. A number that never occurs leaves the caret at
// the start; one found only in other fonts ends with its last occurrence selected.
void jumpToHadith(RichTextView& view, const QString& number);

} // namespace velmora
