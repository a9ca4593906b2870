#pragma once
// One step of the text search: from the view's selection to the next occurrence of a text.

#include <QString>

#include <functional>

namespace velmora {

class RichTextView;

// The characters before which a step that starts inside other selected text resumes.
inline const QString kSearchDelimiters = QStringLiteral(" ,.?!:");

// What a step tells the reader or asks: the caller words it and answers.
enum class SearchPrompt {
    EmptyText,      // told: there is nothing to search for
    RestartFromTop, // asked: nothing more up to the end; start again from the top?
    NotFound,       // told: the text is nowhere in the book
};
// Answers a prompt: true for OK. Only RestartFromTop is a question; for the others the answer
// is not used.
using SearchPrompter = std::function<bool(SearchPrompt)>;

// Runs one search step for searchText, telling and asking through prompt. Returns false when
// searchText is empty: the user has been told so, and the caller should give the search box
// the focus.
bool searchStep(RichTextView& view, const QString& searchText, const SearchPrompter& prompt);

} // namespace velmora
