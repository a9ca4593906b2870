#include "rich_text_view.h"

#include "document_converter.h"
#include "selection_mime_data.h"
#include "twips.h"
#include "view_layout.h"

#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace velmora {

namespace {

const QColor kBackground(247, 243, 234);

using namespace std::chrono_literals;
using limits::kBuildStep;
using limits::kIdleSlice;
using limits::kSynchronousMeasure;
using limits::kSynchronousWork;
// Where a match brought into sight by Find stands: a third down, with context on both sides.
constexpr double kMatchDepth = 1.0 / 3;

FindFlags findFlagsOf(int options)
{
    FindFlags flags;
    if (options & RichTextView::kFindWholeWord)
        flags |= FindFlag::WholeWord;
    if (options & RichTextView::kFindMatchCase)
        flags |= FindFlag::MatchCase;
    return flags;
}

} // namespace

RichTextView::RichTextView(QWidget* parent)
    : QTextEdit(parent), m_book(std::make_shared<const Book>())
{
    setReadOnly(true);
    // Read-only alone hides the caret and ignores the keyboard; the reader still moves a caret
    // and selects with Shift and the arrow keys.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);

    QPalette colors = palette();
    colors.setColor(QPalette::Base, kBackground);
    // The search leaves its match selected while the focus is in the search box: an inactive
    // selection must look like an active one.
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        colors.setColor(QPalette::Inactive, role, colors.color(QPalette::Active, role));
    setPalette(colors);

    // The book always wraps to the view's width. A scroll bar that came and went with the
    // estimated height would change that width and start the layout over.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_idleWork.setInterval(0);
    m_idleWork.setSingleShot(true);
    connect(&m_idleWork, &QTimer::timeout, this, [this] {
        if (doIdleWork(QDeadlineTimer(kIdleSlice)))
            m_idleWork.start();
    });
    connect(&m_loader, &BookLoader::bookReady, this, &RichTextView::showLoadedBook);
    showDocument();
}

// A book still being read is waited for by the loader.
RichTextView::~RichTextView() = default;

bool RichTextView::setFileName(const QString& path, BookFileOutcome* outcome)
{
    QElapsedTimer clock;
    clock.start();
    const BookFileOutcome read = m_loader.load(path);
    if (outcome)
        *outcome = read;
    if (!read.ok())
        return false; // a book still being read stays, and is shown once read
    m_fileName = path;
    // A long book is parsed on a worker: the window goes on painting and answering meanwhile,
    // and whatever needs the book first waits for the rest of the reading.
    if (m_loader.isReading())
        return true;
    // Reading took part of what the window may wait.
    showBook(std::move(*m_loader.takeBook()),
             std::max(kSynchronousWork - std::chrono::milliseconds(clock.elapsed()), 0ms));
    return true;
}

void RichTextView::showLoadedBook()
{
    if (!m_loader.hasBook())
        return;
    if (std::optional<Book> loaded = m_loader.takeBook())
        showBook(std::move(*loaded), kSynchronousMeasure);
}

void RichTextView::loadDocument(rtf::Document document)
{
    m_loader.discard();
    showBook(Book(std::move(document)), kSynchronousWork);
    m_fileName.clear();
}

const Book& RichTextView::book() const
{
    const Book* loading = m_loader.peekBook();
    return loading ? *loading : *m_book;
}

void RichTextView::showBook(Book book, std::chrono::milliseconds budget)
{
    m_book = std::make_shared<const Book>(std::move(book));
    showDocument();
    settle(budget);
}

void RichTextView::showDocument()
{
    m_converter.reset();
    auto converter = std::make_unique<DocumentConverter>(*m_book, this);
    QTextDocument* built = converter->document();
    m_layout = new ViewLayout(built);
    built->setDocumentLayout(m_layout);
    const bool whole = converter->buildSome(kBuildStep);
    // QTextEdit deletes only a document that it created itself; the ones built here are ours.
    QTextDocument* previous = document();
    const bool ours = previous->parent() == this;
    setDocument(built);
    if (ours)
        delete previous;
    if (!whole)
        m_converter = std::move(converter);
}

void RichTextView::buildStep(qsizetype characters)
{
    if (m_converter->buildSome(characters))
        m_converter.reset();
}

void RichTextView::buildUntil(QDeadlineTimer deadline)
{
    while (m_converter && !deadline.hasExpired())
        buildStep(kBuildStep);
}

bool RichTextView::doIdleWork(QDeadlineTimer deadline)
{
    buildUntil(deadline);
    if (m_converter)
        return true;
    // Heights measured above the view would push its text down; the scroll bar moves with
    // them, so the reader's line stays where it is. A drag keeps its place under the pointer.
    QScrollBar* bar = verticalScrollBar();
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

void RichTextView::settle(std::chrono::milliseconds budget)
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

void RichTextView::ensureBuilt(int position)
{
    showLoadedBook();
    while (m_converter && m_converter->builtLength() <= position)
        buildStep(position + 1 - m_converter->builtLength());
}

void RichTextView::scrollContentsBy(int dx, int dy)
{
    // Keeping the place moves the scroll bar by what changed above the view; the picture
    // itself stays, so it is painted again rather than shifted.
    if (m_keepingPlace)
        viewport()->update();
    else
        QTextEdit::scrollContentsBy(dx, dy);
}

void RichTextView::resizeEvent(QResizeEvent* event)
{
    // A new width moves every line; the reader keeps the line that was at the top.
    const bool keepLine = verticalScrollBar()->value() > 0;
    const int topPosition = keepLine ? cursorForPosition(QPoint(0, 0)).position() : 0;
    QTextEdit::resizeEvent(event);
    if (keepLine)
        scrollLineTo(topPosition);
    settle(kIdleSlice);
}

void RichTextView::scrollLineTo(int position, double fraction)
{
    ensureBuilt(position);
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + caretRectAt(position).top() -
                  qRound(viewport()->height() * fraction));
}

QRect RichTextView::caretRectAt(int position) const
{
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(position, 0, document()->characterCount() - 1));
    return cursorRect(cursor);
}

bool RichTextView::isShown(int position) const
{
    return viewport()->rect().contains(caretRectAt(position));
}

RichTextView::Selection RichTextView::selection() const
{
    // A book read but not shown yet has its caret at the start.
    if (m_loader.hasBook())
        return {};
    const QTextCursor cursor = textCursor();
    return {cursor.anchor(), cursor.position()};
}

void RichTextView::select(int anchor, int position)
{
    showLoadedBook();
    const int length = TextLength();
    anchor = std::clamp(anchor, 0, length);
    position = std::clamp(position, 0, length);
    ensureBuilt(std::max(anchor, position));
    QTextCursor cursor(document());
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    // Qt shows the end that moves; a long selection is shown from its start, where it is read.
    const int start = std::min(anchor, position);
    if (!isShown(start))
        scrollLineTo(start);
    // Qt scrolls only until the caret's line shows; at the start the document's top margin
    // belongs to the view too.
    if (start == 0)
        verticalScrollBar()->setValue(0);
}

int RichTextView::SelStart() const
{
    return selection().start();
}

void RichTextView::setSelStart(int position)
{
    select(position, position);
}

int RichTextView::SelLength() const
{
    return selection().length();
}

void RichTextView::setSelLength(int length)
{
    const int start = SelStart();
    select(start, start + std::max(length, 0));
}

QString RichTextView::SelText() const
{
    const Selection range = selection();
    return book().text(range.start(), range.length());
}

QString RichTextView::selectedPlainText() const
{
    const Selection range = selection();
    return book().plainText(range.start(), range.length());
}

QMimeData* RichTextView::createMimeDataFromSelection() const
{
    const Selection range = selection();
    return new SelectionMimeData(m_book, range.start(), range.length(), document());
}

std::optional<QString> RichTextView::SelFontName() const
{
    return fontNameOf(SelStart(), SelLength());
}

std::optional<QString> RichTextView::fontNameOf(int start, int length) const
{
    return book().fontNameOf(start, length);
}

void RichTextView::setSelFontSize(const QString& size)
{
    const QString digits = size.trimmed();
    if (digits.isEmpty() ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return;
    bool ok = false;
    const int points = digits.toInt(&ok);
    if (!ok || points < 1 || points > kMaxPoints)
        return;
    showLoadedBook();
    const Selection kept = selection();
    if (kept.length() == 0)
        return;
    // The document takes the size in place, once: a rebuild of a long book would cost more
    // than all its format changes, and the layout then estimates the new heights without
    // laying out. What is not converted yet is converted first, so the size reaches it too.
    ensureBuilt(kept.start() + kept.length());
    QTextCursor range(document());
    range.setPosition(kept.start());
    range.setPosition(kept.start() + kept.length(), QTextCursor::KeepAnchor);
    QTextCharFormat sized;
    sized.setFontPointSize(points);
    range.mergeCharFormat(sized);
    select(kept.anchor, kept.position);
    settle(kSynchronousWork);
}

int RichTextView::Find(const QString& text, std::optional<int> start, std::optional<int> end,
                       int options)
{
    showLoadedBook();
    const int length = TextLength();
    int from = 0;
    int to = length;
    if (start) {
        from = *start;
        to = end.value_or(length);
    } else if (end) {
        from = SelStart();
        to = *end;
    } else if (SelLength() > 0) {
        from = SelStart();
        to = from + SelLength();
    }
    from = std::max(from, 0);
    to = std::min(to, length);
    if (text.isEmpty() || from >= to)
        return -1;
    const int at = m_book->find(text, from, to, findFlagsOf(options));
    if (at < 0)
        return -1;
    if ((options & kFindNoHighlight) == 0) {
        ensureBuilt(at);
        const bool wasShown = isShown(at);
        select(at, at + static_cast<int>(text.size()));
        // Qt would show a match at the view's bottom edge, with nothing of what follows it.
        if (!wasShown)
            scrollLineTo(at, kMatchDepth);
    }
    return at;
}

void RichTextView::Span(const QString& set, bool forward, bool negate)
{
    showLoadedBook();
    const Selection range = selection();
    const int start = range.start();
    const int end = start + range.length();
    // Span stops at a character of set when negated, and at one outside it otherwise.
    if (forward)
        select(start, m_book->scanForward(end, set, negate));
    else
        select(end, m_book->scanBackward(start, set, negate));
}

void RichTextView::UpTo(const QString& set, bool forward, bool negate)
{
    showLoadedBook();
    const int caret = selection().position;
    const bool stopInSet = !negate;
    const int to = forward ? m_book->scanForward(caret, set, stopInSet)
                           : m_book->scanBackward(caret, set, stopInSet);
    select(to, to);
}

void RichTextView::SetFocus()
{
    setFocus(Qt::OtherFocusReason);
}

int RichTextView::Left() const
{
    return x() * kTwipsPerPixel;
}
int RichTextView::Width() const
{
    return width() * kTwipsPerPixel;
}
int RichTextView::Height() const
{
    return height() * kTwipsPerPixel;
}

bool RichTextView::setWidth(int twips)
{
    if (twips < 0)
        return false;
    resize(twipsToNearestPixels(twips), height());
    return true;
}

bool RichTextView::setHeight(int twips)
{
    if (twips < 0)
        return false;
    resize(width(), twipsToNearestPixels(twips));
    return true;
}

void RichTextView::keyPressEvent(QKeyEvent* event)
{
    const bool menuKey = event->key() == Qt::Key_Menu ||
                         (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey)
        requestKeyboardMenu();
    else
        QTextEdit::keyPressEvent(event);
}

void RichTextView::contextMenuEvent(QContextMenuEvent* event)
{
    // Windows turns Shift+F10 into a context-menu request and never hands the view the key;
    // X11 sends one for the menu key beside the key itself (the menu, open by then, takes the
    // key). A request by the mouse is left to MouseUp: QTextEdit's own menu never opens.
    if (event->reason() == QContextMenuEvent::Keyboard)
        requestKeyboardMenu();
    event->accept();
}

void RichTextView::requestKeyboardMenu()
{
    const QRect caret = cursorRect().intersected(viewport()->rect());
    const QPoint foot = caret.isValid() ? caret.bottomLeft() : viewport()->rect().topLeft();
    emit keyboardMenuRequested(viewport()->mapToGlobal(foot));
}

void RichTextView::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    int button = 0;
    switch (event->button()) {
    case Qt::LeftButton: button = 1; break;
    case Qt::RightButton: button = 2; break;
    case Qt::MiddleButton: button = 4; break;
    default: return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const int shift = (modifiers & Qt::ShiftModifier ? 1 : 0) |
                      (modifiers & Qt::ControlModifier ? 2 : 0) |
                      (modifiers & Qt::AltModifier ? 4 : 0);
    const QPointF at = event->position();
    emit MouseUp(button, shift, qRound(at.x() * kTwipsPerPixel), qRound(at.y() * kTwipsPerPixel));
}

} // namespace velmora
