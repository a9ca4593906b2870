#pragma once
// Rtf1: the read-only rich-text view that shows the book. Its members keep the names by which
// the rest of the program knows them (SelStart, SelText, Find, Span, UpTo, ...).
// Positions are character positions in Text(): every paragraph end is one '\r'.
//
// The view keeps the selection and scrolls; the Book answers every question about the text
// (find, fonts, plain text), and BookDisplay loads it, converts it into the view's document and
// measures it, so that no action waits for the whole of a long book.

#include "book.h"
#include "book_file.h"
#include "book_limits.h"

#include <QString>
#include <QTextEdit>
#include <algorithm>
#include <cstdlib>
#include <optional>

class QMimeData;
class QMouseEvent;

namespace velmora {

class BookDisplay;

class RichTextView : public QTextEdit {
    Q_OBJECT
public:
    // Option bit of Find: the match is not selected (0 selects it).
    static constexpr int kFindNoHighlight = 8;

    explicit RichTextView(QWidget* parent = nullptr);
    ~RichTextView() override;

    // FileName (set): loads the RTF file at path (relative to the current directory) in place
    // of all content. On failure returns false, leaves the content as it was, and tells why in
    // *outcome. A file that ends inside an open group shows what was read before the end. A long
    // book is read after the call returns, and bookFailed tells when it cannot be shown.
    bool setFileName(const QString& path, BookFileOutcome* outcome = nullptr);

    // The book shown; a book still being read is waited for.
    const Book& book() const;

    // Plain text; paragraph ends are '\r'.
    QString Text() const { return book().text(); }
    int TextLength() const { return book().length(); }

    int SelStart() const;
    void setSelStart(int position); // caret there, nothing selected, brought into view
    int SelLength() const;
    void setSelLength(int length); // selects that many characters from SelStart
    QString SelText() const;       // "" when nothing is selected
    // The selection as other programs take it: line feeds for paragraph ends and line breaks.
    QString selectedPlainText() const;

    // The one font name of the whole selection (or of the character before the caret when
    // nothing is selected, the first character at the start); nullopt when the selection mixes
    // fonts or the text is empty.
    std::optional<QString> SelFontName() const;
    // The same answer for the length characters from start, as if they were selected.
    std::optional<QString> fontNameOf(int start, int length) const;
    // Given the text of a whole number of points (spaces around it allowed, 1 to
    // limits::kMaxPoints): every selected character takes that size. Font names and all other
    // attributes stay. Other texts, and a call with nothing selected, change nothing.
    void setSelFontSize(const QString& size);

    // Plain substring search, letter case ignored, matches inside words counted. Range: start to
    // end; only start: start to end of text; only end: caret (SelStart) to end; neither: whole text
    // when nothing is selected, else the selection. A match counts when it starts inside the range,
    // even if it runs past the range's end. Found: the match becomes the selection, is shown (one
    // that was out of sight a third down the view, with the text before it), its start is returned.
    // Not found (or an empty text): -1 and the selection stays.
    int Find(const QString& text, std::optional<int> start = std::nullopt,
             std::optional<int> end = std::nullopt, int options = 0);

    // Span(set, negate=true): keeps the selection's start and extends its end forward over
    // every character not in set, stopping before the next character of set or at the end of
    // text. negate=false spans over characters in set instead. (The program spans forward only.)
    void Span(const QString& set, bool negate = true);
    // UpTo(set, negate=false): caret, nothing selected, just before the first character of set
    // at or after the caret, or at the end of the text. negate=true stops at the first character
    // not in set. (The program moves forward only.)
    void UpTo(const QString& set, bool negate = false);

    void SetFocus();

    // Scrolls so that the line holding position stands at fraction of the view's height from
    // its top (0: the top line), as far as the scroll bar goes.
    void scrollLineTo(int position, double fraction = 0);

    // Placement in twips (15 twips a logical pixel), as the resize rule uses it.
    int Left() const;
    bool setWidth(int twips);  // a negative width is refused: false, nothing changes
    bool setHeight(int twips); // likewise

    // What Ctrl+C, the primary selection and a drag give other programs: the selection's plain
    // text as the copy button gives it, and its rich formats (HTML, ODF) made only when a
    // program asks for them, for a selection short enough to convert at once.
    QMimeData* createMimeDataFromSelection() const override;

signals:
    // A mouse button released over the view: button 1 left, 2 right, 4 middle; shift as a bit
    // set of 1 Shift, 2 Ctrl, 4 Alt; x and y in twips from the view's top left corner.
    void MouseUp(int button, int shift, int x, int y);
    // The menu key or Shift+F10 pressed in the view; at is the caret's foot, on the screen.
    void keyboardMenuRequested(QPoint at);
    // The long book that setFileName started to read could not be made a book of.
    void bookFailed(const velmora::BookFileOutcome& outcome);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Selection {
        int anchor = 0;
        int position = 0;
        int start() const { return std::min(anchor, position); }
        int length() const { return std::abs(position - anchor); }
    };

    // Asks for the menu at the caret, as the keyboard opens it.
    void requestKeyboardMenu();
    void select(int anchor, int position);
    Selection selection() const;
    QRect caretRectAt(int position) const;
    bool isShown(int position) const;

    BookDisplay* m_display; // a child of the view
};

} // namespace velmora
