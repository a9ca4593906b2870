#pragma once
// Albanian for the few words Qt's own widgets show: the edit menu of the search box and of the
// combo boxes, and the scroll bar's menu. Qt ships no Albanian translation; these are all the
// words its widgets can put in front of the reader in this program.

#include <QTranslator>

namespace velmora {

class AlbanianTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* sourceText,
                      const char* disambiguation = nullptr, int n = -1) const override;
    bool isEmpty() const override { return false; }
};

} // namespace velmora
