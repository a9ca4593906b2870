#pragma once
// The jump to a hadith: its heading is the first occurrence of its number set in "Arial".

#include <QString>
#include <QStringList>

namespace velmora {

class RichTextView;

inline const QString kHeadingFont = QStringLiteral("Arial");

// The numbers of the book's hadith in list order: "1" to "443", the extra "443. a)", then "444"
// to "1014".
const QStringList& hadithNumbers();

// Selects, in view, the heading line of the hadith whose number text is number: from the first
// character of the number to the end of its line. A number that never occurs leaves the caret at
// the start; one found only in other fonts ends with its last occurrence selected.
void jumpToHadith(RichTextView& view, const QString& number);

} // namespace velmora
