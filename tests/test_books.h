#pragma once
// Small books for the reading tests: pieces of text in named fonts, written as RTF and loaded
// into a view through its FileName, the way the program loads the real book.

#include "rich_text_view.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QtTest>

#include <initializer_list>

namespace velmora::test {

inline const char* const kBody = "Times New Roman";
inline const char* const kHeading = "Arial";
inline const char* const kTitle = "Arial Black";
inline const char* const kNote = "Arial Narrow";

struct Piece {
    QString text; // '\n' ends a paragraph
    const char* font;
};

inline int fontNumber(const char* font)
{
    const QByteArray name(font);
    if (name == kHeading)
        return 1;
    if (name == kTitle)
        return 2;
    if (name == kNote)
        return 3;
    return 0;
}

template <typename Pieces> QByteArray rtfOf(const Pieces& pieces)
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New "
        "Roman;}{\\f1\\fswiss\\fcharset0 Arial;}{\\f2\\fswiss\\fcharset0 Arial Black;}"
        "{\\f3\\fswiss\\fcharset0 Arial Narrow;}}\n";
    for (const Piece& piece : pieces) {
        rtf += "{\\f" + QByteArray::number(fontNumber(piece.font)) + "\\fs24 ";
        for (QChar c : piece.text) {
            if (c == u'\n')
                rtf += "\\par\n";
            else if (c == u'\\' || c == u'{' || c == u'}')
                rtf += QByteArray("\\") + char(c.unicode());
            else if (c.unicode() < 0x80)
                rtf += char(c.unicode());
            else
                rtf += "\\u" + QByteArray::number(c.unicode()) + "?";
        }
        rtf += "}";
    }
    return rtf + "}";
}

// A book written compactly for data rows: pieces separated by '|', each opening with its font,
// "A:" Arial, "T:" Times New Roman, "B:" Arial Black, "N:" Arial Narrow; '\n' ends a paragraph.
inline QList<Piece> piecesOf(const QString& book)
{
    QList<Piece> pieces;
    for (const QString& part : book.split(u'|')) {
        const QChar kind = part.isEmpty() ? QChar(u'T') : part.front();
        const char* font = kind == u'A'   ? kHeading
                           : kind == u'B' ? kTitle
                           : kind == u'N' ? kNote
                                          : kBody;
        pieces.push_back({part.mid(2), font});
    }
    return pieces;
}

// Loads the RTF into view through a file, the way the program loads its book.
inline bool loadRtf(RichTextView& view, const QByteArray& rtf)
{
    QTemporaryDir dir;
    QFile file(dir.filePath("book.rtf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) < 0)
        return false;
    file.close();
    BookFileOutcome outcome;
    const bool loaded = view.setFileName(file.fileName(), &outcome);
    if (!loaded)
        qWarning("book not loaded: error %d %s", int(outcome.error),
                 qPrintable(outcome.systemDetail));
    return loaded;
}

// Loads the pieces into view likewise.
template <typename Pieces> bool loadBook(RichTextView& view, const Pieces& pieces)
{
    return loadRtf(view, rtfOf(pieces));
}

inline bool loadBook(RichTextView& view, std::initializer_list<Piece> pieces)
{
    return loadBook<std::initializer_list<Piece>>(view, pieces);
}

inline bool loadBook(RichTextView& view, const QString& book)
{
    return loadBook(view, piecesOf(book));
}

// Where position is drawn, from the top of the view's visible part.
inline int depthOf(const RichTextView& view, int position)
{
    QTextCursor cursor(view.document());
    cursor.setPosition(position);
    return view.cursorRect(cursor).top();
}

} // namespace velmora::test
