#pragma once
// Every limit of showing the book, with the reason for its value: how large a book may be, what
// is too long to lay out at once, and what the window may spend before it answers again. The
// parser's own limits (group depth, \uc, font table) stand in reading/rtf beside the code they
// bound.

#include "rtf/model.h"

#include <QtGlobal>

#include <chrono>
#include <cstddef>

namespace velmora::limits {

using namespace std::chrono_literals;

// ---- The book ---------------------------------------------------------------------------------

// The sample book is under 2 MB; a file a hundred times larger is no book, and its text would no
// longer fit the 32-bit character positions that every caller counts in.
inline constexpr qint64 kMaxBookFileBytes = 128 * 1024 * 1024;
// From this size on a book is read on a worker thread: parsing it would hold the window longer
// than a stall may last. The sample book (under 2 MB) is read at once, a ten-times book is not.
inline constexpr qsizetype kReadInBackgroundBytes = 4 * 1024 * 1024;
// Text without a space for longer than this gets a line break at least this often: Qt lays a
// paragraph out whole, and five million letters with no place to break froze the window for
// 12 s. No word of a language comes near it; base64 pasted as text, or Chinese run together
// into one paragraph, does.
inline constexpr std::size_t kLongestWord = 16384;
// The largest text size, in points: the parser's cap.
inline constexpr int kMaxPoints = rtf::kMaxHalfPoints / 2;

// ---- Building the view's document -------------------------------------------------------------

// Qt lays out a paragraph as a whole, in time linear in its length: one of five million
// characters held the window for three seconds each time it was shown or the width changed.
// Past the first length a block ends at the paragraph's next line break, where the line ends
// anyway; past the second, which no paragraph of prose reaches, at its next space.
inline constexpr qsizetype kLongBlock = 4096;
inline constexpr qsizetype kLongestBlock = 65536;
// A block costs Qt some 150 bytes and 2.5 us however short it is: sixteen million empty
// paragraphs took 2.4 GB and a minute. Past this many blocks, more than the 320,000 paragraphs
// of a 128 MB book as dense as the sample book, paragraph ends are drawn as line breaks until a
// block holds kLongBlock characters.
inline constexpr int kMostBlocks = 1 << 19;
// Characters added to the document per building step; about a millisecond's work, so a slice
// checks its deadline often enough.
inline constexpr qsizetype kBuildStep = 64 * 1024;

// ---- Laying it out ----------------------------------------------------------------------------

// More than a 4K screen shows at the smallest text size; older lines are dropped first and laid
// out again if they are needed.
inline constexpr std::size_t kKeptBlocks = 512;
// Qt breaks a word too long for its line anywhere, but looks for the word's end again on each
// line, so a stretch of text with no place to break costs time in the square of its length: a
// word of 100,000 letters held the window for 25 s. No real word comes near this length; a
// paragraph that holds such a stretch breaks anywhere, which costs time in its length only.
inline constexpr qsizetype kLongestUnbreakable = 1000;

// ---- What the window may spend ----------------------------------------------------------------

// What a load, a size change or a resize may spend on building and measuring before the window
// is painted; the rest is done while idle. The sample book is built whole within it.
inline constexpr auto kSynchronousWork = 40ms;
// Of that, what measuring may take: a small book is measured whole, so its scroll bar is exact
// at once; a long one is measured while idle.
inline constexpr auto kSynchronousMeasure = 4ms;
// One slice of idle work: short enough that a click or a key waits no longer than this.
inline constexpr auto kIdleSlice = 8ms;

// ---- Copying ----------------------------------------------------------------------------------

// A selection longer than this is offered to other programs as plain text only: Qt makes the
// rich formats (HTML, ODF) on the window's thread when another program asks for them, and the
// ten-times book held the window for a second. A chapter is far shorter; a paste of a whole book
// into a word processor gets its words, not its fonts.
inline constexpr qsizetype kLongestRichCopy = 256 * 1024;

} // namespace velmora::limits
