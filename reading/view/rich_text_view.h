#pragma once
// Rtf1: the read-only rich-text view that shows the book. Its members keep the names by which
// the rest of the program knows them (FileName, SelStart, Find, Span, UpTo, ...).
// Positions are character positions in Text(): every paragraph end is one '\r'.
//
// The view is a thin front of the Book, which holds the text and answers every question about
// it (find, fonts, plain text); the view keeps the selection, scrolls, and shows the book as a
// QTextDocument laid out by ViewLayout, which lays out only what is shown. A long book is
// converted and measured in short slices while the window is idle, so no action waits for the
// whole book.

#include "book.h"
#include "book_limits.h"
#include "book_loader.h"
#include "rtf/document.h"

#include <QDeadlineTimer>
#include <QString>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>

class QMimeData;
class QMouseEvent;

namespace velmora {

class DocumentConverter;
class ViewLayout;

class RichTextView : public QTextEdit {
    Q_OBJECT
public:
    // Option bits of Find; 0 ignores letter case, finds matches inside words and selects the match.
    static constexpr int kFindWholeWord = 2;
    static constexpr int kFindMatchCase = 4;
    static constexpr int kFindNoHighlight = 8;

    explicit RichTextView(QWidget* parent = nullptr);
    ~RichTextView() override;

    // FileName (set): loads the RTF file at path (relative to the current directory) in place
    // of all content. On failure returns false, leaves the content as it was, and tells why in
    // *outcome. A file that ends inside an open group shows what was read before the end.
    bool setFileName(const QString& path, BookFileOutcome* outcome = nullptr);
    QString fileName() const { return m_fileName; }

    // Shows a parsed document in place of all content, as setFileName does after reading the
    // file. Runs that leave gaps or overlap are repaired, so any document can be shown.
    void loadDocument(rtf::Document document);

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
    // Given the text of a whole number of points (spaces around it allowed, 1 to kMaxPoints):
    // every selected character takes that size. Font names and all other attributes stay.
    // Other texts, and a call with nothing selected, change nothing.
    void setSelFontSize(const QString& size);
    static constexpr int kMaxPoints = limits::kMaxPoints;

    // Plain substring search, letter case ignored. Range: start to end; only start: start to
    // end of text; only end: caret (SelStart) to end; neither: whole text when nothing is
    // selected, else the selection. A match counts when it starts inside the range, even if it
    // runs past the range's end. Found: the match becomes the selection, is shown (one that was
    // out of sight a third down the view, with the text before it), its start is returned. Not
    // found (or an empty text): -1 and the selection stays.
    int Find(const QString& text, std::optional<int> start = std::nullopt,
             std::optional<int> end = std::nullopt, int options = 0);

    // Span(set, forward=true, negate=true): keeps the selection's start and extends its end
    // forward over every character not in set, stopping before the next character of set or at
    // the end of text. negate=false spans over characters in set instead; forward=false moves
    // the selection's start backward the same way.
    void Span(const QString& set, bool forward = true, bool negate = true);
    // UpTo(set, forward=true, negate=false): caret, nothing selected, just before the first
    // character of set at or after the caret, or at the end of the text. negate=true stops at
    // the first character not in set; forward=false moves back to just after the nearest such
    // character before the caret, or to the start.
    void UpTo(const QString& set, bool forward = true, bool negate = false);

    void SetFocus();

    // Scrolls so that the line holding position stands at fraction of the view's height from
    // its top (0: the top line), as far as the scroll bar goes.
    void scrollLineTo(int position, double fraction = 0);

    // Placement in twips (15 twips a logical pixel).
    int Left() const;
    int Width() const;
    bool setWidth(int twips); // a negative width is refused: false, nothing changes
    int Height() const;
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

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // Asks for the menu at the caret, as the keyboard opens it.
    void requestKeyboardMenu();

    struct Selection {
        int anchor = 0;
        int position = 0;
        int start() const { return std::min(anchor, position); }
        int length() const { return std::abs(position - anchor); }
    };

    void showBook(Book book, std::chrono::milliseconds budget);
    void showDocument();
    // Shows a book read on a worker thread, waiting for the worker if it has not finished.
    void showLoadedBook();
    void select(int anchor, int position);
    Selection selection() const;
    void ensureBuilt(int position);
    // One step of converting the book; the converter goes once the whole book is in.
    void buildStep(qsizetype characters);
    void buildUntil(QDeadlineTimer deadline);
    void settle(std::chrono::milliseconds budget);
    bool doIdleWork(QDeadlineTimer deadline);
    QRect caretRectAt(int position) const;
    bool isShown(int position) const;

    // Shared with what was copied from it, which other programs may read after another load.
    std::shared_ptr<const Book> m_book;
    BookLoader m_loader;
    QString m_fileName;
    // Converts the rest of a long book while the window is idle; null once the book is in.
    std::unique_ptr<DocumentConverter> m_converter;
    ViewLayout* m_layout = nullptr; // owned by the document
    QTimer m_idleWork;
    bool m_keepingPlace = false; // the scroll bar follows heights above the view, not the reader
};

} // namespace velmora
