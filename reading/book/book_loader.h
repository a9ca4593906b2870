#pragma once
// Loading the book: the file is read and checked at once, so that a failure is known when the
// load is asked for; a large book is parsed on a worker thread while the window goes on, and
// handed back through bookReady, no polling. Whatever needs the book before then waits for it.

#include "book.h"
#include "book_file.h"

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>

#include <memory>
#include <optional>
#include <thread>

namespace velmora {

class BookLoader : public QObject {
    Q_OBJECT
public:
    explicit BookLoader(QObject* parent = nullptr);
    // A book still being read is waited for.
    ~BookLoader() override;

    // Reads the file at path. On success the book is ready at once (a small book) or is parsed
    // on a worker (isReading), which reports bookReady or bookFailed; a book not taken yet is
    // dropped (the program loads one book, but a second load must not leave a worker running beside
    // the next).
    BookFileOutcome load(const QString& path);
    bool isReading() const { return m_parsed != nullptr; }
    bool hasBook() const { return m_ready.has_value() || isReading(); }
    // The book read last, once: waits for the worker if it has not finished. Empty when no book
    // is waiting to be taken.
    std::optional<Book> takeBook();
    // The same book without taking it, waiting for the worker likewise; nullptr when none.
    const Book* peekBook() const;

signals:
    // A book parsed on the worker is ready to take.
    void bookReady();
    // The worker could not make a book of the file that load had read.
    void bookFailed(const velmora::BookFileOutcome& outcome);

private:
    void dropReading();
    void waitForWorker() const;

    std::optional<Book> m_ready;
    // The worker's book, written by the worker before it reports that it has finished; empty
    // when it could not be made.
    std::shared_ptr<std::optional<Book>> m_parsed;
    QFuture<void> m_reading;
    QFutureWatcher<void> m_watcher;
    std::thread m_worker;
};

} // namespace velmora
