#pragma once
// The book's text in about one byte a character. An Albanian book is written in Latin-1 but for
// a few marks (dashes, quotes) and any Arabic it quotes, so every character below U+0100 is kept
// as one byte, and every other is kept aside by position, its byte a placeholder. The ten-times
// book then takes 11 MB instead of the 22 MB of UTF-16, and a search reads half the bytes.
//
// Searches ignore letter case: they run over a case-folded copy made by the first of them, one
// byte for one, so that a position in the copy is the same position in the text.

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

class BookText {
public:
    BookText() = default;
    explicit BookText(std::u16string_view text);

    int length() const { return static_cast<int>(m_bytes.size()); }
    QChar at(int position) const;
    // The characters in [start, start + count), clamped to the text.
    QString mid(int start, int count) const;
    // The first position at or after from holding c; -1 when there is none.
    int indexOf(QChar c, int from) const;
    // The first position in [from, before) where needle starts, the whole needle in the text,
    // letter case ignored as foldCase ignores it; -1 when there is none or needle is empty.
    int find(QStringView needle, int from, int before) const;

private:
    // The placeholder byte of a character kept aside. A real U+001A is kept aside too, so the
    // byte always means "look aside".
    static constexpr char kAside = '\x1A';

    char16_t asideAt(int position) const;
    const QByteArray& folded() const;
    bool matchesAt(int position, QStringView foldedNeedle) const;

    QByteArray m_bytes;
    std::vector<int32_t> m_asidePositions; // ascending
    std::vector<char16_t> m_asideUnits;    // the characters kept aside, in the same order
    mutable QByteArray m_folded;           // made by the first search
};

} // namespace velmora
