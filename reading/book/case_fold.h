#pragma once
// Letter case folded for the view's search: one UTF-16 unit for one, so that a position in the
// folded text is the same position in the text.

#include <QString>
#include <QStringView>

namespace velmora {

// Simple case folding: ë and Ë, ç and Ç, σ, ς and Σ all fold alike; ß does not become "ss".
QString foldCase(QStringView text);

} // namespace velmora
