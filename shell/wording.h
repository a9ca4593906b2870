#pragma once
// Every sentence the program says to the reader in a message box, in Albanian: why the book
// could not be opened, and what the search tells or asks. The reading code reports outcomes;
// the words are found here.

#include "book_file.h"
#include "message_box.h"
#include "text_search.h"

#include <QString>

class QWidget;

namespace velmora {

// Why the book at path could not be opened, naming the file.
QString bookFailureText(const BookFileOutcome& outcome, const QString& path);

QString searchPromptText(SearchPrompt prompt);
MessageButtons searchPromptButtons(SearchPrompt prompt);

// Tells and asks the search step's prompts in message boxes over parent.
SearchPrompter messageBoxPrompter(QWidget* parent);

} // namespace velmora
