#include "book_loader.h"

#include "book_limits.h"
#include "rtf/parse_rtf.h"

#include <QPromise>

#include <system_error>

namespace velmora {

namespace {

// Nothing in the parser or the book throws on what a file holds; should anything still (memory
// running out included), the book is damaged, reported as any book that cannot be read, and
// never an end of the program by an exception.
std::optional<Book> parse(const QByteArray& bytes)
{
    try {
        return Book(rtf::parseRtf(
                        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
                        .model);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

const BookFileOutcome kDamaged{BookFileError::Damaged, {}};

} // namespace

BookLoader::BookLoader(QObject* parent) : QObject(parent)
{
    connect(&m_watcher, &QFutureWatcher<void>::finished, this, [this] {
        if (!isReading())
            return;
        if (m_parsed->has_value())
            emit bookReady();
        else
            emit bookFailed(kDamaged);
    });
}

BookLoader::~BookLoader()
{
    dropReading();
}

BookFileOutcome BookLoader::load(const QString& path)
{
    QByteArray bytes;
    const BookFileOutcome outcome = readBookFile(path, bytes);
    if (!outcome.ok())
        return outcome;
    dropReading();
    m_ready.reset();
    if (bytes.size() < limits::kReadInBackgroundBytes) {
        m_ready = parse(bytes);
        return m_ready ? outcome : kDamaged;
    }
    QPromise<void> promise;
    m_reading = promise.future();
    m_watcher.setFuture(m_reading);
    m_parsed = std::make_shared<std::optional<Book>>();
    try {
        m_worker = std::thread(
            [promise = std::move(promise), bytes = std::move(bytes), parsed = m_parsed]() mutable {
                promise.start();
                *parsed = parse(bytes);
                promise.finish();
            });
    } catch (const std::system_error&) { // no thread to be had: memory or the system's limits
        dropReading();
        return {BookFileError::NoResources, {}};
    }
    return outcome;
}

void BookLoader::dropReading()
{
    if (m_worker.joinable())
        m_worker.join();
    m_parsed.reset();
    m_reading = QFuture<void>();
    m_watcher.setFuture(m_reading);
}

void BookLoader::waitForWorker() const
{
    QFuture<void>(m_reading).waitForFinished();
}

std::optional<Book> BookLoader::takeBook()
{
    if (isReading()) {
        waitForWorker();
        m_ready = std::move(*m_parsed);
        dropReading();
    }
    std::optional<Book> book = std::move(m_ready);
    m_ready.reset();
    return book;
}

const Book* BookLoader::peekBook() const
{
    if (m_ready)
        return &*m_ready;
    if (!isReading())
        return nullptr;
    waitForWorker();
    return m_parsed->has_value() ? &**m_parsed : nullptr;
}

} // namespace velmora
