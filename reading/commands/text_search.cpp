#include "text_search.h"

#include "rich_text_view.h"

namespace velmora {

bool searchStep(RichTextView& view, const QString& searchText, const SearchPrompter& prompt)
{
    if (searchText.isEmpty()) {
        prompt(SearchPrompt::EmptyText);
        return false;
    }
    // The view's selection is the only record of where the last step ended. Each pass looks
    // at it once; the loop turns at most twice (other text -> caret, exact match -> restart).
    for (;;) {
        const QString selected = view.SelText();
        if (selected.isEmpty()) {
            const int start = view.SelStart();
            if (view.Find(searchText, start) != -1 || !prompt(SearchPrompt::RestartFromTop))
                return true;
            view.setSelStart(0);
            // Covers what the forward search could not: occurrences that begin before start.
            if (view.Find(searchText, std::nullopt, start) == -1)
                prompt(SearchPrompt::NotFound);
            return true;
        }
        if (selected == searchText) {
            const int start = view.SelStart() + int(selected.size());
            if (view.Find(searchText, start) != -1 || !prompt(SearchPrompt::RestartFromTop))
                return true;
            view.setSelStart(0);
            continue;
        }
        // Some other selection (a heading line, a match in other letter case, the reader's
        // own): resume from the end of the word it starts in.
        view.setSelStart(view.SelStart());
        view.UpTo(kSearchDelimiters, false);
    }
}

} // namespace velmora
