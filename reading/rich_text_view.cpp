#include "rich_text_view.h"

#include "book_file.h"
#include "case_fold.h"
#include "document_builder.h"
#include "rtf/document_edit.h"
#include "rtf/reader.h"
#include "text_finder.h"
#include "twips.h"
#include "view_layout.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPalette>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace velmora {

namespace {

const QColor kBackground(247, 243, 234);

using namespace std::chrono_literals;
// What a load, a size change or a resize may spend on building and measuring before the window
// is painted; the rest is done while idle. The sample book is built whole within it.
constexpr auto kSynchronousWork = 40ms;
// Of that, what measuring may take: a small book is measured whole, so its scroll bar is exact
// at once; a long one is measured while idle.
constexpr auto kSynchronousMeasure = 4ms;
// From this size on a book is read on a worker thread: parsing it would hold the window longer
// than a stall may last. The sample book (under 2 MB) is read at once, a ten-times book is not.
constexpr qsizetype kReadInBackgroundBytes = 4 * 1024 * 1024;
// How often the window looks whether the worker has finished.
constexpr auto kReadingPoll = 5ms;
// One slice of idle work: short enough that a click or a key waits no longer than this.
constexpr auto kIdleSlice = 8ms;
// Characters added to the document per building step; about a millisecond's work, so a slice
// checks its deadline often enough.
constexpr qsizetype kBuildStep = 64 * 1024;
// Text without a space for longer than this gets a line break at least this often: Qt lays a
// paragraph out whole, and five million letters with no place to break froze the window for
// 12 s. No word of a language comes near it; base64 pasted as text, or Chinese run together
// into one paragraph, does.
constexpr std::size_t kLongestWord = 16384;
// Where a match brought into sight by Find stands: a third down, with context on both sides.
constexpr double kMatchDepth = 1.0 / 3;

std::u16string_view utf16(const QString& text)
{
    return {reinterpret_cast<const char16_t*>(text.constData()),
            static_cast<std::size_t>(text.size())};
}

// The view's text: the model's, with the few characters that QTextDocument would turn into
// paragraph or frame breaks of its own replaced, so that every position stays one character.
QString viewText(const std::u16string& text)
{
    QString result(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = result.data();
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'\n' || c == u'\u2029')
            c = rtf::Document::kLineBreak;
        else if (c == u'\uFDD0' || c == u'\uFDD1')
            c = u'\uFFFD';
        out[i] = QChar(c);
    }
    return result;
}

} // namespace

RichTextView::RichTextView(QWidget* parent) : QTextEdit(parent)
{
    setReadOnly(true);
    // Read-only alone hides the caret and ignores the keyboard; the reader still moves a caret
    // and selects with Shift and the arrow keys.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setUndoRedoEnabled(false);
    // The main window offers its own menu on MouseUp; QTextEdit's would open on top of it.
    setContextMenuPolicy(Qt::PreventContextMenu);
    viewport()->setContextMenuPolicy(Qt::PreventContextMenu);

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
    m_readingDone.setInterval(kReadingPoll);
    connect(&m_readingDone, &QTimer::timeout, this, [this] {
        if (m_reading.valid() &&
            m_reading.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            finishReading();
    });
    connect(&m_idleWork, &QTimer::timeout, this, [this] {
        if (doIdleWork(QDeadlineTimer(kIdleSlice)))
            m_idleWork.start();
    });
    showModel();
}

// A book still being read is waited for: the future of std::async waits for its worker.
RichTextView::~RichTextView() = default;

bool RichTextView::setFileName(const QString& path, BookFileOutcome* outcome)
{
    QElapsedTimer clock;
    clock.start();
    QByteArray bytes;
    BookFileOutcome read = readBookFile(path, bytes);
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (read.ok() && !rtf::rtfStart(view))
        read.error = BookFileError::NotRtf;
    if (outcome)
        *outcome = read;
    if (!read.ok())
        return false; // a book still being read stays, and is shown once read
    abandonReading();
    m_fileName = path;
    if (bytes.size() >= kReadInBackgroundBytes) {
        // The window goes on painting and answering meanwhile; whatever needs the book first
        // waits for the rest of the reading (finishReading).
        m_reading = std::async(std::launch::async, [bytes = std::move(bytes)] {
            return rtf::readRtf(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        });
        m_readingDone.start();
        return true;
    }
    rtf::ReadResult result = rtf::readRtf(view);
    bytes = QByteArray(); // the reader's model holds all that is needed
    // Reading took part of what the window may wait.
    showDocument(std::move(result.document),
                 std::max(kSynchronousWork - std::chrono::milliseconds(clock.elapsed()), 0ms));
    return true;
}

void RichTextView::finishReading() const
{
    if (!m_reading.valid())
        return;
    auto* self = const_cast<RichTextView*>(this);
    self->m_readingDone.stop();
    rtf::ReadResult result = self->m_reading.get();
    self->showDocument(std::move(result.document), kSynchronousMeasure);
}

void RichTextView::abandonReading()
{
    if (!m_reading.valid())
        return;
    m_readingDone.stop();
    m_reading.get();
}

void RichTextView::loadDocument(rtf::Document document)
{
    abandonReading();
    showDocument(std::move(document), kSynchronousWork);
    m_fileName.clear();
}

void RichTextView::showDocument(rtf::Document document, std::chrono::milliseconds budget)
{
    m_model = std::move(document);
    rtf::breakEndlessWords(m_model, kLongestWord);
    m_text = viewText(m_model.text);
    m_model.text = std::u16string();
    m_folded.clear();
    rtf::repairRuns(m_model, static_cast<int32_t>(m_text.size()));
    indexFonts();
    showModel();
    settle(budget);
}

void RichTextView::indexFonts()
{
    std::unordered_map<std::string_view, int> firstOf;
    m_fontKeys.assign(m_model.fontNames.size(), 0);
    for (std::size_t i = 0; i < m_model.fontNames.size(); ++i)
        m_fontKeys[i] = firstOf.emplace(m_model.fontNames[i], static_cast<int>(i)).first->second;

    m_fontChanges.clear();
    int previous = 0;
    for (std::size_t i = 0; i < m_model.runs.size(); ++i) {
        const int key = fontKey(m_model.runs[i]);
        if (i > 0 && key != previous)
            m_fontChanges.push_back(m_model.runs[i].start);
        previous = key;
    }
}

int RichTextView::fontKey(const rtf::CharRun& run) const
{
    const uint16_t font = m_model.charFormats[run.format].font;
    return font < m_fontKeys.size() ? m_fontKeys[font] : -1;
}

std::size_t RichTextView::runIndexAt(int position) const
{
    const std::vector<rtf::CharRun>& runs = m_model.runs;
    const auto after =
        std::upper_bound(runs.begin(), runs.end(), position,
                         [](int at, const rtf::CharRun& run) { return at < run.start; });
    return after == runs.begin() ? 0 : static_cast<std::size_t>(after - runs.begin() - 1);
}

int RichTextView::fontKeyAt(int position) const
{
    const std::size_t run = runIndexAt(position);
    return run < m_model.runs.size() ? fontKey(m_model.runs[run]) : -1;
}

void RichTextView::showModel()
{
    m_builder.reset();
    auto builder = std::make_unique<DocumentBuilder>(m_model, m_text, this);
    QTextDocument* built = builder->document();
    m_layout = new ViewLayout(built);
    built->setDocumentLayout(m_layout);
    const bool whole = builder->buildSome(kBuildStep);
    // QTextEdit deletes only a document that it created itself; the ones built here are ours.
    QTextDocument* previous = document();
    const bool ours = previous->parent() == this;
    setDocument(built);
    if (ours)
        delete previous;
    if (!whole)
        m_builder = std::move(builder);
}

void RichTextView::buildStep(qsizetype characters)
{
    if (m_builder->buildSome(characters))
        m_builder.reset();
}

void RichTextView::buildUntil(QDeadlineTimer deadline)
{
    while (m_builder && !deadline.hasExpired())
        buildStep(kBuildStep);
}

bool RichTextView::doIdleWork(QDeadlineTimer deadline)
{
    buildUntil(deadline);
    if (m_builder)
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
    finishReading();
    while (m_builder && m_builder->builtLength() <= position)
        buildStep(position + 1 - m_builder->builtLength());
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
    finishReading();
    const QTextCursor cursor = textCursor();
    return {cursor.anchor(), cursor.position()};
}

void RichTextView::select(int anchor, int position)
{
    finishReading();
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
    return m_text.mid(SelStart(), SelLength());
}

std::optional<QString> RichTextView::SelFontName() const
{
    return fontNameOf(SelStart(), SelLength());
}

std::optional<QString> RichTextView::fontNameOf(int start, int length) const
{
    finishReading();
    if (m_text.isEmpty())
        return std::nullopt;
    int at = start;
    if (length == 0) {
        at = std::max(start - 1, 0);
    } else {
        const auto change = std::upper_bound(m_fontChanges.begin(), m_fontChanges.end(), start);
        if (change != m_fontChanges.end() && *change < start + length)
            return std::nullopt;
    }
    const int key = fontKeyAt(at);
    if (key < 0)
        return QString(""); // a format whose font is missing from the font table
    const std::string& name = m_model.fontNames[static_cast<std::size_t>(key)];
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
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
    const Selection kept = selection();
    if (kept.length() == 0)
        return;
    ensureBuilt(TextLength());
    rtf::resizeRuns(m_model, kept.start(), kept.start() + kept.length(),
                    static_cast<uint16_t>(points * 2));
    // The document takes the size in place: a rebuild of a long book would cost more than all
    // its format changes, and the layout then estimates the new heights without laying out.
    QTextCursor range(document());
    range.setPosition(kept.start());
    range.setPosition(kept.start() + kept.length(), QTextCursor::KeepAnchor);
    QTextCharFormat sized;
    sized.setFontPointSize(points);
    range.mergeCharFormat(sized);
    select(kept.anchor, kept.position);
    settle(kSynchronousWork);
}

const QString& RichTextView::foldedText()
{
    if (m_folded.size() != m_text.size())
        m_folded = foldCase(m_text);
    return m_folded;
}

int RichTextView::Find(const QString& text, std::optional<int> start, std::optional<int> end,
                       int options)
{
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

    const bool matchCase = (options & kFindMatchCase) != 0;
    const QString needle = matchCase ? text : foldCase(text);
    const std::u16string_view haystack = utf16(matchCase ? m_text : foldedText());
    const TextFinder finder(utf16(needle));
    const auto isWordCharacter = [this](qsizetype at) {
        return at >= 0 && at < m_text.size() && m_text[at].isLetterOrNumber();
    };
    std::size_t found = static_cast<std::size_t>(from);
    while ((found = finder.find(haystack, found, static_cast<std::size_t>(to))) !=
           TextFinder::kNotFound) {
        const auto at = static_cast<qsizetype>(found);
        if ((options & kFindWholeWord) == 0 ||
            (!isWordCharacter(at - 1) && !isWordCharacter(at + needle.size())))
            break;
        ++found;
    }
    if (found == TextFinder::kNotFound)
        return -1;
    const int at = static_cast<int>(found);
    if ((options & kFindNoHighlight) == 0) {
        ensureBuilt(at);
        const bool wasShown = isShown(at);
        select(at, at + static_cast<int>(needle.size()));
        // Qt would show a match at the view's bottom edge, with nothing of what follows it.
        if (!wasShown)
            scrollLineTo(at, kMatchDepth);
    }
    return at;
}

void RichTextView::Span(const QString& set, bool forward, bool negate)
{
    const auto stopsAt = [&](int at) { return set.contains(m_text[at]) == negate; };
    int start = SelStart();
    int end = start + SelLength();
    if (forward) {
        while (end < TextLength() && !stopsAt(end))
            ++end;
        select(start, end);
    } else {
        while (start > 0 && !stopsAt(start - 1))
            --start;
        select(end, start);
    }
}

void RichTextView::UpTo(const QString& set, bool forward, bool negate)
{
    const auto stopsAt = [&](int at) { return set.contains(m_text[at]) != negate; };
    int caret = selection().position;
    if (forward) {
        while (caret < TextLength() && !stopsAt(caret))
            ++caret;
    } else {
        while (caret > 0 && !stopsAt(caret - 1))
            --caret;
    }
    select(caret, caret);
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
