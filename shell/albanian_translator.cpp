#include "albanian_translator.h"

#include <cstring>

namespace velmora {

namespace {

struct Word {
    const char* context;
    const char* english;
    const char* albanian;
};

// Ampersands mark the keyboard letter, as in Qt's own words.
constexpr Word kWords[] = {
    {"QLineEdit", "&Undo", "&Zhbëje"},
    {"QLineEdit", "&Redo", "&Ribëje"},
    {"QLineEdit", "Cu&t", "&Prije"},
    {"QLineEdit", "&Copy", "&Kopjoje"},
    {"QLineEdit", "&Paste", "&Ngjite"},
    {"QLineEdit", "Delete", "Fshije"},
    {"QLineEdit", "Select All", "Selektoje tërë tekstin"},
    {"QScrollBar", "Scroll here", "Shko këtu"},
    {"QScrollBar", "Top", "Në fillim"},
    {"QScrollBar", "Bottom", "Në fund"},
    {"QScrollBar", "Left edge", "Skaji i majtë"},
    {"QScrollBar", "Right edge", "Skaji i djathtë"},
    {"QScrollBar", "Page up", "Një faqe lart"},
    {"QScrollBar", "Page down", "Një faqe poshtë"},
    {"QScrollBar", "Page left", "Një faqe majtas"},
    {"QScrollBar", "Page right", "Një faqe djathtas"},
    {"QScrollBar", "Scroll up", "Pak lart"},
    {"QScrollBar", "Scroll down", "Pak poshtë"},
    {"QScrollBar", "Scroll left", "Pak majtas"},
    {"QScrollBar", "Scroll right", "Pak djathtas"},
};

} // namespace

QString AlbanianTranslator::translate(const char* context, const char* sourceText, const char*,
                                      int) const
{
    if (!context || !sourceText)
        return {};
    for (const Word& word : kWords) {
        if (std::strcmp(word.context, context) == 0 && std::strcmp(word.english, sourceText) == 0)
            return QString::fromUtf8(word.albanian);
    }
    return {};
}

} // namespace velmora
