#include "case_fold.h"

namespace velmora {

QString foldCase(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    QChar* out = folded.data();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            const char16_t low = text[i + 1].unicode();
            const char32_t wide = QChar::toCaseFolded(QChar::surrogateToUcs4(c, low));
            const bool staysWide = QChar::requiresSurrogates(wide);
            out[i] = staysWide ? QChar(QChar::highSurrogate(wide)) : QChar(c);
            out[i + 1] = staysWide ? QChar(QChar::lowSurrogate(wide)) : QChar(low);
            ++i;
        } else {
            const char32_t narrow = QChar::toCaseFolded(char32_t(c));
            out[i] = QChar(QChar::requiresSurrogates(narrow) ? c : char16_t(narrow));
        }
    }
    return folded;
}

} // namespace velmora
