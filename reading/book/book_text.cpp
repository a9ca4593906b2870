#include "book_text.h"

#include "case_fold.h"
#include "text_finder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace velmora {

namespace {

bool fitsOneByte(char16_t unit)
{
    return unit < 0x100 && unit != 0x1A;
}

} // namespace

BookText::BookText(std::u16string_view text)
{
    m_bytes.resize(static_cast<qsizetype>(text.size()));
    char* out = m_bytes.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (fitsOneByte(unit)) {
            out[i] = static_cast<char>(unit);
        } else {
            out[i] = kAside;
            m_asidePositions.push_back(static_cast<int32_t>(i));
            m_asideUnits.push_back(unit);
        }
    }
    m_asidePositions.shrink_to_fit();
    m_asideUnits.shrink_to_fit();
}

char16_t BookText::asideAt(int position) const
{
    const auto found = std::lower_bound(m_asidePositions.begin(), m_asidePositions.end(), position);
    return m_asideUnits[static_cast<std::size_t>(found - m_asidePositions.begin())];
}

QChar BookText::at(int position) const
{
    const char byte = m_bytes[position];
    return byte == kAside ? QChar(asideAt(position)) : QChar(static_cast<uchar>(byte));
}

QString BookText::mid(int start, int count) const
{
    start = std::clamp(start, 0, length());
    count = std::clamp(count, 0, length() - start);
    QString result = QString::fromLatin1(m_bytes.constData() + start, count);
    auto aside = std::lower_bound(m_asidePositions.begin(), m_asidePositions.end(), start);
    for (; aside != m_asidePositions.end() && *aside < start + count; ++aside) {
        const auto index = static_cast<std::size_t>(aside - m_asidePositions.begin());
        result[*aside - start] = QChar(m_asideUnits[index]);
    }
    return result;
}

int BookText::indexOf(QChar c, int from) const
{
    from = std::max(from, 0);
    if (from >= length())
        return -1;
    if (fitsOneByte(c.unicode())) {
        const void* found = std::memchr(m_bytes.constData() + from, c.unicode(),
                                        static_cast<std::size_t>(length() - from));
        return found ? static_cast<int>(static_cast<const char*>(found) - m_bytes.constData()) : -1;
    }
    auto aside = std::lower_bound(m_asidePositions.begin(), m_asidePositions.end(), from);
    for (; aside != m_asidePositions.end(); ++aside) {
        if (m_asideUnits[static_cast<std::size_t>(aside - m_asidePositions.begin())] == c.unicode())
            return *aside;
    }
    return -1;
}

const QByteArray& BookText::folded() const
{
    if (m_folded.size() == m_bytes.size())
        return m_folded;
    std::array<char, 256> foldedByte{};
    for (char16_t unit = 0; unit < 0x100; ++unit) {
        const char32_t fold = QChar::toCaseFolded(char32_t(unit));
        foldedByte[unit] = fitsOneByte(static_cast<char16_t>(fold)) && fold < 0x100
                               ? static_cast<char>(fold)
                               : kAside;
    }
    m_folded.resize(m_bytes.size());
    const char* in = m_bytes.constData();
    char* out = m_folded.data();
    for (qsizetype i = 0; i < m_bytes.size(); ++i)
        out[i] = foldedByte[static_cast<uchar>(in[i])];
    // A character kept aside whose folded form fits one byte (the Kelvin sign is 'k') is
    // found by a search for that byte.
    for (std::size_t i = 0; i < m_asidePositions.size(); ++i) {
        const char16_t unit = m_asideUnits[i];
        if (QChar::isSurrogate(unit))
            continue;
        const char32_t fold = QChar::toCaseFolded(char32_t(unit));
        if (fold < 0x100 && fitsOneByte(static_cast<char16_t>(fold)))
            out[m_asidePositions[i]] = static_cast<char>(fold);
    }
    return m_folded;
}

bool BookText::matchesAt(int position, QStringView foldedNeedle) const
{
    return QStringView(foldCase(mid(position, static_cast<int>(foldedNeedle.size())))) ==
           foldedNeedle;
}

int BookText::find(QStringView needle, int from, int before) const
{
    from = std::max(from, 0);
    before = std::min(before, length());
    if (needle.isEmpty() || from >= before)
        return -1;
    const QString key = foldCase(needle);
    // The needle as the text's bytes hold it: where it has a character kept aside, a match of
    // the bytes is only a candidate, which the characters themselves confirm.
    std::string keyBytes(static_cast<std::size_t>(key.size()), kAside);
    bool bytesSuffice = true;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char16_t unit = key[i].unicode();
        if (fitsOneByte(unit))
            keyBytes[static_cast<std::size_t>(i)] = static_cast<char>(unit);
        else
            bytesSuffice = false;
    }
    const QByteArray& haystack = folded();
    const std::string_view bytes(haystack.constData(), static_cast<std::size_t>(haystack.size()));
    const ByteFinder finder(keyBytes);
    for (std::size_t at = static_cast<std::size_t>(from);
         (at = finder.find(bytes, at, static_cast<std::size_t>(before))) != ByteFinder::kNotFound;
         ++at) {
        if (bytesSuffice || matchesAt(static_cast<int>(at), key))
            return static_cast<int>(at);
    }
    return -1;
}

} // namespace velmora
