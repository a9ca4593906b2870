#pragma once
// Rtf1: the read-only rich-text view that shows the book. Its members keep the names by which
// the rest of the program knows them (FileName, SelStart, Find, Span, UpTo, ...).
// Positions are character positions in Text(): every paragraph end is one '\r'.

#include <QString>
#include <QTextEdit>
#include <optional>

namespace velmora {

class RichTextView : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextView(QWidget* parent = nullptr);
    ~RichTextView() override;

    // FileName (set): loads the RTF file at path (relative to the current directory) in place
    // of all content. On failure returns false, leaves the content as it was, and puts an
    // Albanian message naming the file and the reason into *error.
    bool setFileName(const QString& path, QString* error = nullptr);

    QString Text() const;            // plain text; paragraph ends are '\r'
    int TextLength() const;          // length of Text() without building it

    int SelStart() const;
    void setSelStart(int position);  // caret there, nothing selected, brought into view
    int SelLength() const;
    void setSelLength(int length);   // selects that many characters from SelStart
    QString SelText() const;         // "" when nothing is selected

    // The one font name of the whole selection (or of the character before the caret when
    // nothing is selected); nullopt when the selection mixes fonts.
    std::optional<QString> SelFontName() const;
    // Given the text of a whole number: every selected character takes that size in points.
    // Font names and all other attributes stay. Other texts change nothing.
    void setSelFontSize(const QString& size);

    // Plain substring search, letter case ignored. Range: start to end; only start: start to
    // end of text; only end: caret to end; neither: whole text when nothing is selected, else
    // the selection. Found: the match becomes the selection, is shown, its start is returned.
    // Not found: -1 and the selection stays.
    int Find(const QString& text, std::optional<int> start = std::nullopt,
             std::optional<int> end = std::nullopt, int options = 0);

    // Span(set, forward=true, negate=true): extends the selection's end forward over every
    // character not in set, stopping before the next character of set or at the end of text.
    void Span(const QString& set, bool forward = true, bool negate = true);
    // UpTo(set, forward=true, negate=false): caret just before the first character of set at or
    // after the caret, or at the end of the text.
    void UpTo(const QString& set, bool forward = true, bool negate = false);

    void SetFocus();

    // Placement in twips (15 twips a logical pixel).
    int Left() const;
    int Width() const;
    bool setWidth(int twips);   // a negative width is refused: false, nothing changes
    int Height() const;
    bool setHeight(int twips);  // likewise

signals:
    // A mouse button released over the view: button 1 left, 2 right, 4 middle; shift as a bit
    // set of 1 Shift, 2 Ctrl, 4 Alt; x and y in twips.
    void MouseUp(int button, int shift, int x, int y);
};

} // namespace velmora
