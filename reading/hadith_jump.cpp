#include "hadith_jump.h"

#include "rich_text_view.h"

namespace velmora {

const QStringList& hadithNumbers() {
    static const QStringList numbers = [] {
        QStringList list;
        list.reserve(1015);
        for (int n = 1; n <= 1014; ++n) {
            list << QString::number(n);
            if (n == 443)
                list << QStringLiteral("443. a)");
        }
        return list;
    }();
    return numbers;
}

void jumpToHadith(RichTextView& view, const QString& number) {
    view.setSelStart(0);
    // An empty text would be "found" at the same place for ever.
    if (number.isEmpty())
        return;
    // Every heading is set in "Arial" and no Arial text before a heading holds its number, so
    // the first Arial occurrence is the heading. Each further search starts past the current
    // match, so the loop ends.
    for (int found = view.Find(number); found != -1;
         found = view.Find(number, found + int(number.size()))) {
        const std::optional<QString> font = view.SelFontName();
        if (!font || *font == kHeadingFont) {
            view.Span(QStringLiteral("\r"), true, true);
            return;
        }
    }
}

} // namespace velmora
