#include "book_display.h"

#include "book_limits.h"
#include "document_converter.h"
#include "picture_object.h"
#include "view_layout.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace velmora {

namespace {

using namespace std::chrono_literals;
using limits::kBuildStep;
using limits::kIdleSlice;
using limits::kSynchronousMeasure;
using limits::kSynchronousWork;

} // namespace

BookDisplay::BookDisplay(QTextEdit& view)
    : QObject(&view), m_view(view), m_book(std::make_shared<const Book>())
{
    m_idleWork.setInterval(0);
    m_idleWork.setSingleShot(true);
    connect(&m_idleWork, &QTimer::timeout, this, [this] {
        if (doIdleWork(QDeadlineTimer(kIdleSlice)))
            m_idleWork.start();
    });
    connect(&m_loader, &BookLoader::bookReady, this, &BookDisplay::showLoaded);
    connect(&m_loader, &BookLoader::bookFailed, this, &BookDisplay::bookFailed);
    connect(m_view.verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this](int value) { m_layout->setViewTop(value); });
    showConverted();
}

BookDisplay::~BookDisplay() = default;

BookFileOutcome BookDisplay::load(const QString& path)
{
    QElapsedTimer clock;
    clock.start();
    const BookFileOutcome outcome = m_loader.load(path);
    // A long book is parsed on a worker: the window goes on painting and answering meanwhile,
    // and whatever needs the book first waits for the rest of the reading.
    if (outcome.ok() && !m_loader.isReading()) {
        // Reading took part of what the window may wait.
        show(std::move(*m_loader.takeBook()),
             std::max(kSynchronousWork - std::chrono::milliseconds(clock.elapsed()), 0ms));
    }
    return outcome;
}

void BookDisplay::showLoaded()
{
    if (std::optional<Book> loaded = m_loader.takeBook())
        show(std::move(*loaded), kSynchronousMeasure);
}

const Book& BookDisplay::book() const
{
    const Book* loading = m_loader.peekBook();
    return loading ? *loading : *m_book;
}

void BookDisplay::show(Book book, std::chrono::milliseconds budget)
{
    m_converter.reset(); // it reads the book it was made for
    m_book = std::make_shared<const Book>(std::move(book));
    showConverted();
    settle(budget);
}

void BookDisplay::showConverted()
{
    m_converter.reset();
    auto converter = std::make_unique<DocumentConverter>(*m_book, &m_view);
    QTextDocument* built = converter->document();
    m_layout = new ViewLayout(built);
    auto* pictures = new PictureObject(m_book, m_layout);
    m_layout->registerHandler(PictureObject::kPictureObject, pictures);
    m_layout->setPictures(pictures);
    m_layout->setTables(m_book->formats());
    built->setDocumentLayout(m_layout);
    // Ahead of the view's own handling of a new size, which may clamp the scroll bar to a range
    // that does not hold the moved top yet.
    connect(m_layout, &ViewLayout::documentSizeChanged, this, &BookDisplay::followHeightsAbove);
    const bool whole = converter->buildSome(kBuildStep);
    // QTextEdit deletes only a document that it created itself; the ones built here are ours.
    QTextDocument* previous = m_view.document();
    const bool ours = previous->parent() == &m_view;
    m_view.setDocument(built);
    if (ours)
        delete previous;
    m_layout->setViewTop(m_view.verticalScrollBar()->value());
    if (!whole)
        m_converter = std::move(converter);
}

void BookDisplay::followHeightsAbove()
{
    const double shift = m_layout->takeShiftAbove();
    if (shift == 0)
        return;
    QScrollBar* bar = m_view.verticalScrollBar();
    const int kept = qRound(bar->value() + shift);
    bar->setMaximum(std::max(bar->maximum(), kept));
    m_keepingPlace = true;
    bar->setValue(kept);
    m_keepingPlace = false;
}

void BookDisplay::buildStep(qsizetype characters)
{
    if (m_converter->buildSome(characters))
        m_converter.reset();
}

void BookDisplay::buildUntil(QDeadlineTimer deadline)
{
    while (m_converter && !deadline.hasExpired())
        buildStep(kBuildStep);
}

bool BookDisplay::doIdleWork(QDeadlineTimer deadline)
{
    buildUntil(deadline);
    if (m_converter)
        return true;
    // Heights measured above the view would push its text down; the scroll bar moves with
    // them, so the reader's line stays where it is. A drag keeps its place under the pointer.
    followHeightsAbove(); // the anchor below is taken from where the text is now
    QScrollBar* bar = m_view.verticalScrollBar();
    if (bar->isSliderDown())
        return !m_layout->allMeasured();
    const ViewLayout::Anchor anchor = m_layout->anchorAt(bar->value());
    const bool more = m_layout->measureSome(deadline);
    const int kept = qRound(m_layout->yOf(anchor));
    if (kept != bar->value()) {
        m_keepingPlace = true;
        bar->setValue(kept);
        m_keepingPlace = false;
    }
    return more;
}

void BookDisplay::settle(std::chrono::milliseconds budget)
{
    const QDeadlineTimer deadline(budget);
    buildUntil(deadline);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline.remainingTimeAsDuration());
    if (doIdleWork(QDeadlineTimer(std::min(left, kSynchronousMeasure))))
        m_idleWork.start();
    else
        m_idleWork.stop();
}

void BookDisplay::layOutShown()
{
    const int top = m_view.verticalScrollBar()->value();
    m_layout->layOutBetween(top, top + m_view.viewport()->height());
}

void BookDisplay::ensureBuilt(int position)
{
    showLoaded();
    while (m_converter && m_converter->builtLength() <= position)
        buildStep(position + 1 - m_converter->builtLength());
}

} // namespace velmora
