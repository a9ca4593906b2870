#include "rich_text_view.h"

#include "book_display.h"
#include "selection_mime_data.h"
#include "twips.h"

#include <QContextMenuEvent>
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
// Where a match brought into sight by Find stands: a third down, with context on both sides.
constexpr double kMatchDepth = 1.0 / 3;

} // namespace

RichTextView::RichTextView(QWidget* parent) : QTextEdit(parent)
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
    m_display = new BookDisplay(*this);
    connect(m_display, &BookDisplay::bookFailed, this, &RichTextView::bookFailed);
}

RichTextView::~RichTextView() = default;

bool RichTextView::setFileName(const QString& path, BookFileOutcome* outcome)
{
    const BookFileOutcome read = m_display->load(path);
    if (outcome)
        *outcome = read;
    return read.ok();
}

const Book& RichTextView::book() const
{
    return m_display->book();
}

void RichTextView::scrollContentsBy(int dx, int dy)
{
    // Keeping the place moves the scroll bar by what changed above the view; the picture
    // itself stays, so it is painted again rather than shifted.
    if (m_display->keepingPlace())
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
    m_display->settle(limits::kIdleSlice);
}

void RichTextView::scrollLineTo(int position, double fraction)
{
    m_display->ensureBuilt(position);
    QScrollBar* bar = verticalScrollBar();
    const int depth = qRound(viewport()->height() * fraction);
    // Paragraphs that come into sight above the line may have been estimated only; laid out,
    // they move it again. A few passes settle it.
    for (int pass = 0; pass < 4; ++pass) {
        const int before = bar->value();
        bar->setValue(before + caretRectAt(position).top() - depth);
        if (bar->value() == before)
            break;
        m_display->layOutShown();
    }
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
    if (m_display->showPending())
        return {};
    const QTextCursor cursor = textCursor();
    return {cursor.anchor(), cursor.position()};
}

void RichTextView::select(int anchor, int position)
{
    m_display->showLoaded();
    const int length = TextLength();
    anchor = std::clamp(anchor, 0, length);
    position = std::clamp(position, 0, length);
    m_display->ensureBuilt(std::max(anchor, position));
    QTextCursor cursor(document());
    cursor.setPosition(anchor);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    // Qt shows the end that moves, placed by its own paragraph alone: the others in sight, laid
    // out only when painted, may push it out of the view. A long selection is shown from its
    // start, where it is read.
    m_display->layOutShown();
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
    return new SelectionMimeData(m_display->sharedBook(), range.start(), range.length(),
                                 document());
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
    if (!ok || points < 1 || points > limits::kMaxPoints)
        return;
    m_display->showLoaded();
    const Selection kept = selection();
    if (kept.length() == 0)
        return;
    // The document takes the size in place, once: a rebuild of a long book would cost more
    // than all its format changes, and the layout then estimates the new heights without
    // laying out. What is not converted yet is converted first, so the size reaches it too.
    m_display->ensureBuilt(kept.start() + kept.length());
    QTextCursor range(document());
    range.setPosition(kept.start());
    range.setPosition(kept.start() + kept.length(), QTextCursor::KeepAnchor);
    QTextCharFormat sized;
    sized.setFontPointSize(points);
    range.mergeCharFormat(sized);
    select(kept.anchor, kept.position);
    m_display->settle(limits::kSynchronousWork);
}

int RichTextView::Find(const QString& text, std::optional<int> start, std::optional<int> end,
                       int options)
{
    m_display->showLoaded();
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
    const int at = book().find(text, from, to);
    if (at < 0)
        return -1;
    if ((options & kFindNoHighlight) == 0) {
        m_display->ensureBuilt(at);
        const bool wasShown = isShown(at);
        select(at, at + static_cast<int>(text.size()));
        // Qt would show a match at the view's bottom edge, with nothing of what follows it.
        if (!wasShown)
            scrollLineTo(at, kMatchDepth);
    }
    return at;
}

void RichTextView::Span(const QString& set, bool negate)
{
    m_display->showLoaded();
    const Selection range = selection();
    // Span stops at a character of set when negated, and at one outside it otherwise.
    select(range.start(), book().scanForward(range.start() + range.length(), set, negate));
}

void RichTextView::UpTo(const QString& set, bool negate)
{
    m_display->showLoaded();
    const int to = book().scanForward(selection().position, set, !negate);
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
