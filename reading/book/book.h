#pragma once
// The book as the program shows it: its text, held once, and the parser's formats of it. Every
// question about the book's text is answered here, without a widget: find, spans, the font of a
// stretch, plain text for the clipboard. Positions count UTF-16 units of the text; every
// paragraph end is one '\r' and every line break one U+2028.

#include "book_picture.h"
#include "book_text.h"
#include "rtf/model.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

class Book {
public:
    Book() = default;
    // The parser's model: its text becomes the book's, with the few characters that a text
    // view would turn into breaks of its own replaced (every position stays one character) and
    // a line break in every stretch too long to lay out. Its runs and paragraphs cover the text
    // and its indexes point into its tables, as the parser writes them (the fuzzer checks it).
    explicit Book(rtf::Model parsed);

    int length() const { return m_text.length(); }
    bool isEmpty() const { return m_text.length() == 0; }
    QChar at(int position) const { return m_text.at(position); }
    // The characters in [start, start + count), clamped to the text.
    QString text(int start, int count) const { return m_text.mid(start, count); }
    QString text() const { return m_text.mid(0, length()); }
    // The first position at or after from holding c; -1 when there is none.
    int indexOf(QChar c, int from) const { return m_text.indexOf(c, from); }
    // The same characters as another program expects them: every paragraph end and line break
    // is a line feed, and a picture is left out.
    QString plainText(int start, int count) const;

    // The first match of needle starting in [from, before), which may run past before, letter
    // case ignored ("Ë" finds "ë"); -1 when there is none or needle is empty.
    int find(QStringView needle, int from, int before) const;
    // The first position at or after position whose character is (stopInSet) or is not in set;
    // the text's end when there is none.
    int scanForward(int position, QStringView set, bool stopInSet) const;

    // The one font name of [start, start + count), of the character before start when count is
    // 0 (the first character at the start); nullopt when the stretch mixes fonts or the book is
    // empty.
    std::optional<QString> fontNameOf(int start, int count) const;

    // The parser's formats: runs, paragraphs, fonts (its text is the book's, held here; its
    // pictures too).
    const rtf::Model& formats() const { return m_formats; }
    // By position; each stands in the text as one U+FFFC, and no other U+FFFC does.
    const std::vector<BookPicture>& pictures() const { return m_pictures; }

private:
    int fontKey(const rtf::CharRun& run) const;
    int fontKeyAt(int position) const;
    void indexFonts();

    BookText m_text;
    std::vector<BookPicture> m_pictures;
    rtf::Model m_formats; // its text is empty
    // Per font of the table, the index of the first font with the same name, so that two
    // entries of a font table with one name count as one font.
    std::vector<int> m_fontKeys;
    // Positions where the font name differs from the character before.
    std::vector<int32_t> m_fontChanges;
};

} // namespace velmora
