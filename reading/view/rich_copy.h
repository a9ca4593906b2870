#pragma once
// The part of the view's document between two positions as a document of its own, for the
// copy's rich formats: a table's rows as a table, so a word processor pastes a table, and the
// rest as it is.

#include "rtf/model.h"

class QTextDocument;

namespace velmora {

void copyRange(const QTextDocument& from, const rtf::Model& model, int start, int end,
               QTextDocument& to);

} // namespace velmora
