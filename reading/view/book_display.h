#pragma once
// The book in the view: loaded from its file (a long book parsed on a worker while the window
// goes on), converted into the view's QTextDocument and laid out by ViewLayout, which lays out
// only what is shown. What is left of a long book is converted, and its estimated paragraphs
// measured, in short slices while the window is idle; the scroll bar then follows the heights
// that change above the reader's line, so that the text does not move under the reader.

#include "book.h"
#include "book_file.h"
#include "book_loader.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

class QTextEdit;

namespace velmora {

class DocumentConverter;
class ViewLayout;

class BookDisplay : public QObject {
    Q_OBJECT
public:
    // Shows an empty book in view until a book is loaded.
    explicit BookDisplay(QTextEdit& view);
    // A book still being read is waited for.
    ~BookDisplay() override;

    // Reads the book file at path; on success the book is shown at once, or once read when it
    // is long (or bookFailed tells that it could not be). On failure nothing changes.
    BookFileOutcome load(const QString& path);

    // The book shown; a book still being read is waited for.
    const Book& book() const;
    // The same, for what is copied from it: other programs may read that after another load.
    std::shared_ptr<const Book> sharedBook() const { return m_book; }
    // True while a book is read but not shown yet: the view's caret is then at its start.
    bool showPending() const { return m_loader.hasBook(); }
    // Shows a book read on the worker, waiting for the worker if it has not finished.
    void showLoaded();

    // Converts the book at least up to and including position.
    void ensureBuilt(int position);
    // Lays out what the view shows now, as its next paint would; a paragraph that was only
    // estimated may take another height there and move the text below it.
    void layOutShown();
    // Converts and measures for up to budget now; the rest is done while the window is idle.
    void settle(std::chrono::milliseconds budget);
    // True while the scroll bar moves to follow heights above the view: the view's picture is
    // then painted again rather than shifted.
    bool keepingPlace() const { return m_keepingPlace; }

signals:
    // A long book, read on the worker, could not be made a book of: nothing changes.
    void bookFailed(const velmora::BookFileOutcome& outcome);

private:
    void show(Book book, std::chrono::milliseconds budget);
    void showConverted();
    // One step of converting the book; the converter goes once the whole book is in.
    void buildStep(qsizetype characters);
    void buildUntil(QDeadlineTimer deadline);
    bool doIdleWork(QDeadlineTimer deadline);
    // Scrolls by what paragraphs wholly above the view took in height when laid out outside the
    // idle work, so that the reader's line stays.
    void followHeightsAbove();

    QTextEdit& m_view;
    std::shared_ptr<const Book> m_book;
    BookLoader m_loader;
    // Converts the rest of a long book while the window is idle; null once the book is in.
    std::unique_ptr<DocumentConverter> m_converter;
    ViewLayout* m_layout = nullptr; // owned by the document
    QTimer m_idleWork;
    bool m_keepingPlace = false;
};

} // namespace velmora
