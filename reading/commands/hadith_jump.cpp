#include "hadith_jump.h"

#include "rich_text_view.h"

namespace velmora {

const QStringList& hadithNumbers()
{
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

void jumpToHadith(RichTextView& view, const QString& number)
{
    view.setSelStart(0);
    // An empty text would be "found" at the same place for ever.
    if (number.isEmpty())
        return;
    // Every heading is set in "Arial" and no Arial text before a heading holds its number, so
    // the first Arial occurrence is the heading. Each further search starts past the current
    // match, so the loop ends. No event runs during a jump, so the occurrences passed over are
    // never seen: only the one the jump stops at is selected and shown, rather than laying out
    // every paragraph that mentions the number on the way.
    const int length = int(number.size());
    int last = -1;
    bool heading = false;
    for (int found = view.Find(number, 0, std::nullopt, RichTextView::kFindNoHighlight);
         found != -1;
         found = view.Find(number, found + length, std::nullopt, RichTextView::kFindNoHighlight)) {
        last = found;
        const std::optional<QString> font = view.fontNameOf(found, length);
        heading = !font || *font == kHeadingFont;
        if (heading)
            break;
    }
    if (last == -1)
        return;
    view.setSelStart(last);
    view.setSelLength(length);
    if (heading) {
        view.Span(QStringLiteral("\r"), true);
        // The heading line at the top: the hadith itself follows it on screen.
        view.scrollLineTo(last);
    }
}

} // namespace velmora
